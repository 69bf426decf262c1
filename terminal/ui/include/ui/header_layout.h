// The column layout of a table view's header as a grid keeps it between
// runs (GridState): the order the columns show in and their widths. Every
// grid over a row store saves and restores it this way; the filter grid
// keeps its sort with it.
#pragma once

#include <QHeaderView>

#include "ui/grid_model.h"
#include "ui/grid_state.h"

namespace ui {

// The header's column order and widths; a hidden column keeps the width it
// comes back with. No sort.
GridState CaptureHeaderLayout(const QHeaderView& header, const GridModel& rows);
// Shows the columns in the state's order and widths.
void ApplyHeaderLayout(QHeaderView& header, const GridState& state);

}  // namespace ui
