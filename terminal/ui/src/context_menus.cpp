#include "ui/context_menus.h"

#include <utility>

namespace ui {

void ContextMenus::Register(const std::string& name, Builder builder) { builders_[name] = std::move(builder); }

std::unique_ptr<wxMenu> ContextMenus::Create(const std::string& name) const {
  const auto found = builders_.find(name);
  return found == builders_.end() ? nullptr : found->second();
}

ContextMenus& TheContextMenus() {
  static ContextMenus menus;
  return menus;
}

}  // namespace ui
