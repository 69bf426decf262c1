// The terminal's top-level window: dock bars around the market area. Bars
// are named by their command ids; each can float, dock on any side, be
// closed (hidden) and shown again, and bars added on the same side dock
// together as tabs. The centre is a tabbed document area whose documents are
// the market window. The arrangement of the bars and the window's place are
// saved as text and restored.
//
// Bars do not auto-hide: a bar is closed and opened again by its command.
#pragma once

#include <QDockWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

enum class DockSide { kLeft, kRight, kTop, kBottom };

struct BarLayout {
  int id = 0;
  std::string caption;  // GBK
  int width = 200;
  int height = 100;
  DockSide side = DockSide::kBottom;
};

class DockingFrame : public QMainWindow {
 public:
  DockingFrame(std::string_view title, QSize size);

  // Adds `content` as the bar, docked as a tab beside the bars already on
  // its side; false when the id is taken or the content is missing.
  bool AddBar(const BarLayout& spec, QWidget* content);
  // Brings the first bar of each side to the front of its tabs and gives
  // the sides their sizes; call once the bars are added.
  void FinishDefaultLayout();

  bool HasBar(int id) const { return bars_.count(id) != 0; }
  QDockWidget* Bar(int id) const;
  QWidget* BarContent(int id) const;
  int BarCount() const { return static_cast<int>(bars_.size()); }
  std::vector<int> BarIds() const;
  // Open: not closed, though perhaps behind another tab.
  bool IsBarOpen(int id) const;
  // Open and in front of its tabs.
  bool IsBarInFront(int id) const;
  void ShowBar(int id, bool show);
  // A closed bar opens in front, a bar behind another tab comes to the
  // front, a bar in front closes.
  void ToggleBar(int id);
  // The bars docked together with this one as tabs, this one included, in
  // tab order; just this one when it has no tabs beside it.
  std::vector<int> TabGroupOf(int id) const;
  DockSide SideOf(int id) const;

  QMdiArea* Centre() const { return centre_; }
  bool IsCentreShown() const { return !centre_->isHidden(); }
  void ToggleCentre() { centre_->setVisible(centre_->isHidden()); }

  // Colours the frame, the bars' captions and the tabs after the look.
  void ApplyLook(int lookId);

  // The arrangement of the bars, and the window's size and place, as text;
  // the loads answer false when the text is not one of these.
  std::string SaveLayout() const;
  bool LoadLayout(const std::string& layout);
  std::string SavePlacement() const;
  bool LoadPlacement(const std::string& placement);

 private:
  int IdOf(const QDockWidget* dock) const;

  QMdiArea* centre_;
  std::map<int, QDockWidget*> bars_;
  std::vector<BarLayout> specs_;
};

}  // namespace ui
