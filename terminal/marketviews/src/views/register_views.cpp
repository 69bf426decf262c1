#include "marketviews/views/register_views.h"

#include "marketviews/views/market_view.h"
#include "marketviews/views/option_board_view.h"

namespace marketviews {

void RegisterViews(ui::ViewFactories& factories) {
  factories.SetMarketTabFactory([](QWidget* parent, const ui::ViewContext& context, int kind) -> QWidget* {
    if (context.quotes == nullptr) return nullptr;
    return new CQuentaraView(context, kind, parent);
  });
  factories.SetBarFactory(kOptionBoardBarId, [](QWidget* parent, const ui::ViewContext& context) -> QWidget* {
    if (context.quotes == nullptr) return nullptr;
    return new CTMarketOptionDlg(context, parent);
  });
}

}  // namespace marketviews
