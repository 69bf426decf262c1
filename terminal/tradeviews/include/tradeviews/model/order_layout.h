// The order in which the panels of styles 1 and 4 lay out their controls,
// which follows the input sequence; the view turns it into pixels. No
// toolkit.
#pragma once

#include <vector>

#include "tradeviews/model/order_panel.h"

namespace tradeviews {

// Style 1, left to right: the customer combo (multi-account mode only), the
// contract edit, the fields of the sequence in its order (codes outside 0
// to 6, and a code met before, are skipped), then the send button.
std::vector<PanelControl> RowOrder(const InputSequence& sequence, bool multiAccount);
// The gap after a control in the row: 20 after the edits with a spin button
// beside them (volume, price, trigger price), else 7.
int RowGapAfter(PanelControl control);

// Style 4, top to bottom: the customer combo (multi-account mode only), the
// contract edit, then for each entry of the sequence its field (codes 0 to
// 3) or the send button (code 4); codes 5 and 6 have no control here. A
// sequence without code 4 puts the send button last.
std::vector<PanelControl> ColumnOrder(const InputSequence& sequence, bool multiAccount);

}  // namespace tradeviews
