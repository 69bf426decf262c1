// The factories of this module's bars and views, registered with the main
// frame's factories when the terminal is made.
#pragma once

#include "ui/view_factories.h"

namespace gridctl {

void RegisterViews(ui::ViewFactories& factories);

}  // namespace gridctl
