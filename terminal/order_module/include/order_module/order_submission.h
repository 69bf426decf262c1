// The order submission: an order leaves the terminal as the order panels'
// list of texts (17 for a plain order or a quick close, 21 for a reverse
// order, 18 for a change of price). Each submission applies the
// market-price rule, reads the order settings that steer the follow-up, and
// hands the order to the order module, whose thread sends it. GUI thread
// only; each returns once the module has the task.
//
// The market-price rule: a market order (price 0, price type empty, "0",
// "1", "3" or "4") on a seat that takes market orders goes out as one
// (price type "1", deal attribute "2"); elsewhere it becomes a limit order
// (price type "0", deal attribute "0") at the limit price on its side of the
// contract's quotation ("%.2f"), after the user agreed when the settings ask
// for it. A quotation without that limit price refuses the order.
//
// Refusals leave a line in the output pane: the user's no ("委托被取消!",
// a notice line, for plain orders; "委托被取消！", a cancel line, for
// reverse and change-price orders) and a missing quotation or limit price
// (a failure line). The order module's refusal is shown in a message box for
// plain and reverse orders, and as a failure line for a change of price.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "backend/global_string_list.h"
#include "order_module/order_module.h"

namespace order_module {

// What the submissions and the quote grids read of the order settings
// ("\Config\EntrustParam.ini").
struct OrderEntrySettings {
  bool sendOrderAffirmBox = false;          // ask before sending
  bool firstTodayLastTomorrow = false;      // close today's positions first
  bool exceededMaxHandsSplitOrder = false;  // split orders above the variety's lot limit
  bool enableAutoDelOrder = false;
  int autoDelOrderType = 0;   // the check mode of a close order when enabled
  int wayOfReverseOrder = 0;  // non-zero: a reverse order opens as its close fills
  // When the switch is non-zero its value replaces sendOrderAffirmBox as
  // the confirmation of plain and reverse orders.
  int affirmOverrideSwitch = 0;
  int affirmOverrideValue = 0;
  // The ticks a price taken from a quote (a click on a quoted price) moves
  // towards the other side, so that the order is likelier to trade.
  int priceLevel = 0;
};

// Where the submissions read the settings, at each order.
class OrderSettingsSource {
 public:
  virtual OrderEntrySettings EntrySettings() const = 0;
  // The variety parameter rows, 240 bytes each, packed.
  virtual std::span<const std::uint8_t> VarietyParamRows() const = 0;

 protected:
  ~OrderSettingsSource() = default;
};

// The lot limits of a variety parameter row.
inline constexpr std::size_t kLimitOrderLotsOffset = 172;
inline constexpr std::size_t kMarketOrderLotsOffset = 176;

// The most lots one order of the contract may carry, by its price type; 0
// for no limit (the setting off, no row for the contract, or another price
// type). A limit price type with price 0 takes the market limit.
int GetMaxSplitLots(const OrderEntrySettings& settings, std::span<const std::uint8_t> varietyRows,
                    std::string_view contractCode, std::string_view priceType, std::string_view price);

class OrderSubmission {
 public:
  // Both must outlive the submission.
  OrderSubmission(OrderModule& module, const OrderSettingsSource& settings);

  // Each reads the list as the panels fill it (a missing item reads as
  // empty) and is true when the order module took the task.
  bool SubmitOrder(const backend::CGlobalStringList& list);
  bool SubmitReverseOrder(const backend::CGlobalStringList& list);
  bool SubmitChangePriceOrder(const backend::CGlobalStringList& list);

 private:
  OrderModule& module_;
  const OrderSettingsSource& settings_;
};

}  // namespace order_module
