#include "tradeviews/views/register_views.h"

#include "tradeviews/views/order_dock.h"
#include "tradeviews/views/register_query_bars.h"
#include "tradeviews/views/register_query_views.h"
#include "ui/view_receivers.h"

namespace tradeviews {

void RegisterViews(ui::ViewFactories& factories) {
  RegisterQueryBars(factories);
  RegisterQueryViews(factories);
  // The main frame's order dock always shows style 1.
  factories.SetBarFactory(kOrderDockBarId, [](QWidget* parent, const ui::ViewContext& context) -> QWidget* {
    auto* dock = new CTqDockableOrder(parent, context, 1);
    if (context.receivers != nullptr) context.receivers->SetOrderForm(dock->View());
    return dock;
  });
}

}  // namespace tradeviews
