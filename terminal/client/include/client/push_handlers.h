// What the GUI thread does with each kind of pushed line once the engine has
// applied it: order, cancel and trade pushes go to the output pane and the
// order module, exercise pushes to the output pane, message pushes by
// category to the output pane and the exchange clocks, message-box pushes to
// the output pane and a message box.
//
// Field numbers count from 1 as the line arrives; each field is read into a
// bounded copy ("|" inside a field travels as 0x01). Order, cancel, trade and
// exercise fields are read 50 characters wide, so that order numbers of any
// length the back end uses find their orders.
#pragma once

#include <string_view>

#include "backend/account_table.h"
#include "client/order_push_hooks.h"

namespace client {

class PushHandlers {
 public:
  // The account table decides which addressed notices are shown. The order
  // lookup and the order module's queue may be null (no order is found, no
  // state change queued).
  PushHandlers(const backend::AccountTable& accounts, OrderLookup* orders, OrderStateQueue* orderStates);

  // 15002: the order module learns the order's state; an order line.
  void OnOrderPush(std::string_view line);
  // 15004: the order module learns the order's state; a cancel line.
  void OnCancelPush(std::string_view line);
  // 15005: for an order of the local order table only: the order module
  // learns its state, and a trade line.
  void OnTradePush(std::string_view line);
  // 15012 and 15013: an exercise-order line and an exercise-cancel line.
  void OnExerciseOrderPush(std::string_view line);
  void OnExerciseCancelPush(std::string_view line);
  // 15006, by the category in field 9: 0 a notice for everybody or for a
  // logged-in customer, headed by its level; 1 a message shown once in the
  // run; 2 an exchange's new state, shown once per state value 0 to 3 (any
  // other state every time) and handed to the exchange clocks; 7 nothing;
  // any other the text as a notice line.
  void OnMessagePush(std::string_view line);
  // 15007: "[title]text" as an output line, then in a message box.
  void OnMessageBoxPush(std::string_view line);

 private:
  void OnNotice(std::string_view line);
  void OnExchangeState(std::string_view line);
  void QueueStateChange(const OrderStateChange& change);

  const backend::AccountTable& accounts_;
  OrderLookup* orders_;
  OrderStateQueue* orderStates_;

  // Once in the program's run: the messages of category 1, and the line of
  // each exchange state 0 to 3 (whichever exchange reports it first).
  bool runMessageShown_ = false;
  bool exchangeStateShown_[4] = {};
};

}  // namespace client
