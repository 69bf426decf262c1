#include "tradeviews/views/register_views.h"

#include "tradeviews/views/register_query_views.h"

namespace tradeviews {

void RegisterViews(ui::ViewFactories& factories) { RegisterQueryViews(factories); }

}  // namespace tradeviews
