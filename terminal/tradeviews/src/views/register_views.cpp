#include "tradeviews/views/register_views.h"

#include "tradeviews/views/register_query_bars.h"
#include "tradeviews/views/register_query_views.h"

namespace tradeviews {

void RegisterViews(ui::ViewFactories& factories) {
  RegisterQueryBars(factories);
  RegisterQueryViews(factories);
}

}  // namespace tradeviews
