// Where Tab, Enter and the arrow keys move the focus in each panel style.
// The panel asks for the next or the previous control from the focused one;
// `canFocus` tells whether a control is enabled and shown now. kNone means
// the focus stays where it is. Leaving the contract edit forwards completes
// its text from the drop-down grid first (the panel does that).
//
// Style 1 follows the input sequence and skips the fields that cannot take
// the focus (price, deal attribute and trigger price are disabled by some
// price types); style 2 has a fixed chain; style 4 follows the input
// sequence over its four fields and tries only the one target.
#pragma once

#include <functional>

#include "tradeviews/model/order_panel.h"

namespace tradeviews {

using CanFocus = std::function<bool(PanelControl control)>;

PanelControl NextFocus(PanelStyle style, const InputSequence& sequence, PanelControl from, const CanFocus& canFocus);
PanelControl PreviousFocus(PanelStyle style, const InputSequence& sequence, PanelControl from,
                           const CanFocus& canFocus);

// Where the focus goes after an order ("OrderReturnCursorPos"): 1 buy/sell,
// 2 open/close, 3 volume, 4 price, anything else the contract edit.
PanelControl FocusAfterOrder(int position);

}  // namespace tradeviews
