// The order-entry form as the rest of the terminal reaches it: the grids
// fill it from an order record, and the main frame resets it after an
// order's results and reloads its contracts after each contract download.
// No toolkit.
#pragma once

#include <string>

#include "order_module/order_record.h"

namespace ui {

class OrderForm {
 public:
  virtual ~OrderForm() = default;

  // Fills the form from the record (its customer number selects the
  // customer); false when the form refused it.
  virtual bool FillFromOrderRecord(const order_module::OrderRecord& record) = 0;
  // Clears the form as the setting "ClearInfoAfterOrder" says.
  virtual void ResetAfterOrder() = 0;
  // Puts the focus into field 0 to 4 of the form ("OrderReturnCursorPos").
  virtual void FocusFieldAfterOrder(int position) = 0;
  // Takes the engine's contract list afresh.
  virtual void ReloadContracts() = 0;
  // Builds the order record of what the form holds (with `lookUp`, the
  // exchange, trade code and seat of its contract too); false with the
  // reason. The query views ask it which customer is chosen. A form that
  // offers no choice leaves the record as it is given: with the customer
  // on slot 0.
  virtual bool BuildOrderRecord(order_module::OrderRecord& /*record*/, std::string& /*message*/, bool /*lookUp*/) {
    return true;
  }
};

}  // namespace ui
