#include "marketviews/views/register_views.h"

#include "marketviews/views/market_view.h"

namespace marketviews {

void RegisterViews(ui::ViewFactories& factories) {
  factories.SetMarketTabFactory([](QWidget* parent, const ui::ViewContext& context, int kind) -> QWidget* {
    if (context.quotes == nullptr) return nullptr;
    return new CQuentaraView(context, kind, parent);
  });
}

}  // namespace marketviews
