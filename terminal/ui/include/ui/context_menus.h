// Context menus registered by name, so that a window can ask for "过滤菜单"
// without knowing who built it. Used on the GUI thread only.
#pragma once

#include <wx/menu.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace ui {

class ContextMenus {
 public:
  using Builder = std::function<std::unique_ptr<wxMenu>()>;

  // Replaces any menu of the name.
  void Register(const std::string& name, Builder builder);
  bool Has(const std::string& name) const { return builders_.count(name) != 0; }
  // A new menu of the name, or null.
  std::unique_ptr<wxMenu> Create(const std::string& name) const;

 private:
  std::map<std::string, Builder> builders_;
};

ContextMenus& TheContextMenus();

}  // namespace ui
