#include "shell/views/dockable_query.h"

#include <QVBoxLayout>

#include "ui/gbk_text.h"

namespace shell {

CTqDockableQuery::CTqDockableQuery(const std::string& caption, const ui::ViewFactories* factories,
                                   const ui::ViewContext& context)
    : caption_(caption) {
  setObjectName(ui::FromGbk(caption));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  if (factories != nullptr) view_ = factories->CreateQueryView(caption, this, context);
  if (view_ != nullptr) layout->addWidget(view_);
}

}  // namespace shell
