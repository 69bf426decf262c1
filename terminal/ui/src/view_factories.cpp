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

void ViewFactories::SetQueryViewFactory(std::string caption, QueryViewFactory factory) {
  queryViews_[std::move(caption)] = std::move(factory);
}

QWidget* ViewFactories::CreateQueryView(std::string_view caption, QWidget* parent, const ViewContext& context) const {
  const auto found = queryViews_.find(caption);
  return found == queryViews_.end() ? nullptr : found->second(parent, context);
}

}  // namespace ui
