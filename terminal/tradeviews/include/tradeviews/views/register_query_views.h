// The form views of the query docks, registered by the docks' captions.
#pragma once

#include "ui/view_factories.h"

namespace tradeviews {

void RegisterQueryViews(ui::ViewFactories& factories);

}  // namespace tradeviews
