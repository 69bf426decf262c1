#include "ui/view_factories.h"

namespace ui {

void ViewFactories::SetBarFactory(int barId, BarFactory factory) { bars_[barId] = std::move(factory); }

QWidget* ViewFactories::CreateBarContent(int barId, QWidget* parent, const ViewContext& context) const {
  const auto found = bars_.find(barId);
  return found == bars_.end() ? nullptr : found->second(parent, context);
}

QWidget* ViewFactories::CreateMarketTab(QWidget* parent, const ViewContext& context, int kind) const {
  return marketTab_ ? marketTab_(parent, context, kind) : nullptr;
}

}  // namespace ui
