// The program's icon in the desktop's notification area while the main
// window is hidden, with its popup menu. Where the desktop has no such area
// the icon is kept as added but not seen, and the owner minimises instead of
// hiding (Available() tells which).
#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <functional>
#include <string>

namespace ui {

class TrayIcon {
 public:
  // `menu` is the icon's popup menu (owned by the caller); `restore` runs on
  // a double click.
  TrayIcon(QMenu* menu, std::function<void()> restore);

  static bool Available();

  // Adds the icon with its tip (GBK, at most 127 characters kept).
  void Add(const std::string& tip);
  void Remove();
  bool Added() const { return added_; }
  std::string Tip() const;

 private:
  QSystemTrayIcon icon_;
  bool added_ = false;
};

}  // namespace ui
