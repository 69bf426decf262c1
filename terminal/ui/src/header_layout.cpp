#include "ui/header_layout.h"

namespace ui {

GridState CaptureHeaderLayout(const QHeaderView& header, const GridModel& rows) {
  GridState state;
  for (int visual = 0; visual < header.count(); ++visual) state.order.push_back(header.logicalIndex(visual));
  for (int column = 0; column < rows.ColumnCount(); ++column) {
    // A hidden section measures 0; its width is the one it comes back with.
    state.widths.push_back(header.isSectionHidden(column) ? rows.Column(column).width : header.sectionSize(column));
  }
  return state;
}

void ApplyHeaderLayout(QHeaderView& header, const GridState& state) {
  for (int visual = 0; visual < static_cast<int>(state.order.size()); ++visual) {
    header.moveSection(header.visualIndex(state.order[static_cast<std::size_t>(visual)]), visual);
  }
  for (int column = 0; column < static_cast<int>(state.widths.size()); ++column) {
    header.resizeSection(column, state.widths[static_cast<std::size_t>(column)]);
  }
}

}  // namespace ui
