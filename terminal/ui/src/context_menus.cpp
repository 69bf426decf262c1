#include "ui/context_menus.h"

#include <utility>

#include "ui/gbk_text.h"

namespace ui {

void ContextMenus::Register(const std::string& name, Builder builder) { builders_[name] = std::move(builder); }

std::unique_ptr<QMenu> ContextMenus::Create(const std::string& name) const {
  const auto found = builders_.find(name);
  return found == builders_.end() ? nullptr : found->second();
}

ContextMenus& TheContextMenus() {
  static ContextMenus menus;
  return menus;
}

QAction* AddCommand(QMenu* menu, int commandId, std::string_view text) {
  QAction* action = menu->addAction(FromGbk(text));
  action->setData(commandId);
  action->setObjectName(QString("command%1").arg(commandId));
  return action;
}

int CommandOf(const QAction* action) { return action == nullptr ? 0 : action->data().toInt(); }

}  // namespace ui
