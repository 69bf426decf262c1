// What the query bars' row actions reach outside the grid: the back-end
// client's cancels, fund query and quotations, the order submissions, the
// order form, the program log and the order settings (BarServices); and the
// windows they open (BarPrompts). The terminal gives the real ones, tests
// their own. No toolkit.
#pragma once

#include <string>
#include <string_view>

#include "backend/global_string_list.h"
#include "backend/quote_record.h"
#include "order_module/order_record.h"

namespace engine {
class COperationEngine;
}

namespace tradeviews {

struct ChangePriceRecord;
struct PositionOrderRecord;

// The order settings the bars read, at each action.
struct BarSettings {
  int priceLevel = 0;                  // "PriceLevel": ticks a filled price moves
  bool confirmCancel = false;          // "DelOrderAffirmBox"
  bool doubleClickSendsClose = false;  // "DBClickCloseOrder"
};

class BarServices {
 public:
  virtual ~BarServices() = default;

  virtual engine::COperationEngine& Engine() = 0;
  virtual BarSettings Settings() const = 0;
  // The customer of the account on connection slot 0.
  virtual std::string FirstAccountCode() const = 0;

  // The asynchronous cancels: false with the reason when nothing was sent.
  virtual bool DeleteOrder(std::string_view customer, std::string_view orderNo, std::string_view seat,
                           std::string_view orderSeat, std::string& message) = 0;
  virtual bool DeleteAllOrder(std::string_view customer, const backend::CGlobalStringList& orderNos,
                              const backend::CGlobalStringList& seats, const backend::CGlobalStringList& orderSeats,
                              std::string& message) = 0;
  // Asks for the customer's funds anew; the answer reaches the fund bar as
  // table changes.
  virtual bool QueryFunds(std::string_view customer, std::string& message) = 0;
  // The contract's quotation; a failure is reported where the look-up
  // reports it.
  virtual bool GetQuote(std::string_view exchangeCode, std::string_view contractCode, backend::QuoteRecord& quote) = 0;

  // The order submissions report their own refusals.
  virtual void SubmitOrder(const backend::CGlobalStringList& list) = 0;
  virtual void SubmitReverseOrder(const backend::CGlobalStringList& list) = 0;
  virtual void SubmitChangePriceOrder(const backend::CGlobalStringList& list) = 0;

  // Fills the order dock's form.
  virtual void FillOrderForm(const order_module::OrderRecord& record) = 0;
  // One line of the program log.
  virtual void WriteLog(std::string_view line) = 0;
};

class BarPrompts {
 public:
  virtual ~BarPrompts() = default;

  virtual void ShowMessage(std::string_view text) = 0;
  // True for OK.
  virtual bool AskOkCancel(std::string_view text) = 0;
  // The modal dialogs of a change of price and of a reverse order.
  virtual void ShowChangePrice(const ChangePriceRecord& record) = 0;
  virtual void ShowReverseOrder(const PositionOrderRecord& record) = 0;
};

}  // namespace tradeviews
