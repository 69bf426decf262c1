// The synchronous order operations that the order module and the order
// views use: placing an order (function 5011), asking for one order's state
// (5010), cancelling an order (5012) and placing a profit/loss order (5473).
//
// Each is signed by the account whose customer number the caller names and
// goes on that account's slot. The engine refuses 5011, 5012 and 5473 while
// it downloads, and applies the answers of 5011 and 5012 to its tables before
// the operation reads them. Each returns false with the reason in `message`:
// the engine's, the transport's or the back end's text.
//
// Called on the order module's thread or on the GUI thread; each blocks until
// its answer is in.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "engine/trading_rows.h"

namespace client {

// One order (or one piece of a split order) as the order module sends it:
// parameters 5 to 16 and 20 of the request.
struct OrderFields {
  std::string_view exchangeCode;
  std::string_view contractCode;
  std::string_view buySell;    // "0" buy, "1" sell
  std::string_view openClose;  // "0" open, "1" close, "2" close today
  std::string_view hedge;      // "0" speculation, "1" hedge
  std::string_view lots;
  std::string_view price;
  std::string_view tradeCode;
  std::string_view seat;
  std::string_view priceType;
  std::string_view dealAttribute;
  std::string_view triggerPrice;
  std::string_view orderKind;
};

// Places the order. On success `row` holds the order as the back end took it
// (zero-filled, then filled from the answer) and `errorCode` is 0. On failure
// `row` is left alone and `errorCode` is the back end's code of a refused
// order, or 99999 when the request failed before an answer came.
bool SendOrder(const OrderFields& order, std::string_view customerNo, engine::OrderRow& row, std::string& message,
               int& errorCode);

// The status-line fields of an order-state answer that the order module
// reads; their meaning is the order module's.
struct OrderStateAnswer {
  std::string field5;
  std::string field6;
  std::string field8;
  std::string field9;
};

// Asks for the state of the order placed through `orderingSeat`.
bool QueryOrderState(std::string_view customerNo, std::string_view orderNo, std::string_view exchangeCode,
                     std::string_view orderingSeat, OrderStateAnswer& answer, std::string& message);

// Cancels the order. On success `result` holds answer fields 5 to 16, twelve
// texts, blanks and tabs trimmed, a missing field as an empty text.
bool CancelOrder(std::string_view customerNo, std::string_view orderNo, std::string_view seatCode,
                 std::string_view orderingSeat, backend::CxDataSet& result, std::string& message);

// Places the profit/loss order that follows the opening order `orderNo`. The
// task's eight values are the order module's and go out in its order. On
// success `result` holds answer fields 5 to 36, 32 texts read like a
// cancel's; the first is the profit/loss order's number.
bool SendProfitLossOrder(std::string_view customerNo, std::string_view orderNo, std::string_view exchangeCode,
                         std::string_view orderingSeat, const std::array<std::string_view, 8>& taskValues,
                         backend::CxDataSet& result, std::string& message);

}  // namespace client
