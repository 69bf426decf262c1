// The order an order panel builds, checks and hands over: what the panel
// reads from its controls, the OrderRecord built from it (with the trade
// code, exchange and seat looked up), the checks in their order with their
// messages, the 17 texts of the order submission, and what the panel shows
// when a grid fills it from a record. No toolkit; texts are GBK.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/global_string_list.h"
#include "client/account_queries.h"
#include "client/order_settings.h"
#include "engine/order_quantities.h"
#include "engine/query_facade.h"
#include "order_module/order_record.h"

namespace tradeviews {

// What the panels ask of the engine, the accounts and the order submission.
class OrderPanelServices {
 public:
  virtual ~OrderPanelServices() = default;

  // The engine's contracts as short rows, in table order; false while the
  // engine downloads.
  virtual bool QueryContracts(backend::CxDataSet& rows) = 0;
  // Where the customer trades the contract (client::GetContractTradingCode).
  virtual bool ContractTradingCode(std::string_view customerNo, std::string_view contractCode, std::string_view hedge,
                                   client::ContractTradingCode& code, std::string& message) = 0;
  // The exchange id of a contract; empty when unknown.
  virtual std::string ContractExchange(std::string_view contractCode) = 0;
  // The exchange's code ("sfe", "dce", "czce", "cffex"); empty when unknown.
  virtual std::string ExchangeCode(std::string_view exchangeId) = 0;
  // Whether a seat of the exchange (any, for an empty id) takes close-today
  // orders.
  virtual bool CloseTodaySupported(std::string_view exchangeId) = 0;
  virtual double PriceTick(std::string_view contractCode) = 0;
  virtual bool PriceOnTick(std::string_view contractCode, std::string_view price) = 0;
  // engine::GetClosableVolume with the funds.
  virtual bool ClosableVolume(engine::QuantityRecord& record, std::string& error) = 0;
  // The customers of the logged-in accounts behind the customer selector,
  // in the account list's order; and the customer of the account on slot 0.
  virtual std::vector<std::string> Customers() = 0;
  virtual std::string FirstCustomer() = 0;
  // order_module::OrderSubmission::SubmitOrder.
  virtual bool SubmitOrder(const backend::CGlobalStringList& fields) = 0;
  // A user-action line of the program log.
  virtual void LogUserAction(std::string_view text) = 0;
};

// What the panel reads from its controls for one order. The buy/sell and
// open/close codes are the style's reading of its own controls.
struct OrderFormInput {
  bool customerShown = false;  // the customer combo (multi-account mode)
  std::string customer;        // its text
  std::string contract;
  std::string buySell;
  std::string openClose;
  // Style 1 only: the price-type and deal-attribute combo texts ("%d-%s")
  // and the trigger price as typed.
  bool withPriceType = false;
  std::string priceType;
  std::string dealAttribute;
  std::string triggerPrice;
  std::string volume;
  std::string price;
  bool hedge = false;
};

// The record of the input. With `lookUp`, the exchange, trade code and seat
// of the customer's trade code for the contract; when the look-up fails its
// text is left in `lookUpError` and those fields stay empty.
order_module::OrderRecord BuildOrderRecord(const OrderFormInput& input, OrderPanelServices& services, bool lookUp,
                                           std::string& lookUpError);

// True for an empty customer, an empty account list, or a customer of one
// of the accounts; else false with "传入的客户号非法!\n".
bool CheckCustomerNo(std::string_view customerNo, const std::vector<std::string>& customers, std::string& message);

// The checks in their order; every fault adds its message to `messages`,
// and the record is valid when none did. The contract must be one of the
// engine's, taken afresh, with the same letter case.
bool ValidateOrderInput(const order_module::OrderRecord& record, OrderPanelServices& services, bool multiAccount,
                        std::string& messages);

// The 17 texts of the order submission. The last is the record's customer in
// multi-account mode, else `firstCustomer`.
backend::CGlobalStringList OrderFieldList(const order_module::OrderRecord& record, bool multiAccount,
                                          std::string_view firstCustomer);

// The send button: build with the look-up, check, and hand the order to the
// submission. Empty when it was handed over (whatever the submission made of
// it), else the text to show: the checks' messages, or the look-up's text
// when only the look-up failed (an order never goes out without its trade
// code, exchange and seat).
std::string SendNormalOrder(const OrderFormInput& input, OrderPanelServices& services, bool multiAccount);

// The price a grid's record puts into the form: a price above 1e-6 with the
// decimals of the contract's tick, else (also for a tick of 0) the text as
// it stands.
std::string PriceTextForTick(std::string_view price, double tick);

// The first contract whose code equals the text without regard to letter
// case, in list order.
std::optional<engine::ReducedContractRow> MatchContract(const backend::CxDataSet& contracts, std::string_view text);

// The lots a chosen contract puts into an empty volume (or "0"): the
// default lots of the contract's variety row, when above 0.
std::optional<int> DefaultLots(const client::VarietyParamRows& rows, std::string_view contractCode,
                               std::string_view volume);

// The closeable-volume query of the record: customer, exchange, contract,
// hedge, price, trade code and seat.
engine::QuantityRecord QuantityQueryOf(const order_module::OrderRecord& record);

// Style 1's four labels: what a buy (or a sell) may close, close today and
// open, and the available funds; "可平：0", "可平今：0", "可开：0" and
// "可用：0.00" before the first answer.
struct VolumeLabels {
  std::string closable = "可平：0";
  std::string closableToday = "可平今：0";
  std::string openable = "可开：0";
  std::string usable = "可用：0.00";
};
VolumeLabels VolumeLabelsOf(const engine::QuantityRecord& answer, bool buy);

// Style 4's side panel: the available funds ("%.2f") and the long and
// short holdings ("%d/%d").
std::string FundsText(const engine::QuantityRecord& answer);
std::string HoldingsText(const engine::QuantityRecord& answer);

}  // namespace tradeviews
