// Context menus registered by name, so that a window can ask for "过滤菜单"
// without knowing who built it. GUI thread only.
#pragma once

#include <QMenu>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace ui {

class ContextMenus {
 public:
  using Builder = std::function<std::unique_ptr<QMenu>()>;

  // Replaces any menu of the name (GBK).
  void Register(const std::string& name, Builder builder);
  bool Has(const std::string& name) const { return builders_.count(name) != 0; }
  // A new menu of the name, or null.
  std::unique_ptr<QMenu> Create(const std::string& name) const;

 private:
  std::map<std::string, Builder> builders_;
};

ContextMenus& TheContextMenus();

// A menu item that carries its command id (as the action's data).
QAction* AddCommand(QMenu* menu, int commandId, std::string_view text);
// The command id of an action; 0 for one without.
int CommandOf(const QAction* action);

}  // namespace ui
