// The choices of the order panels and what the user's keys make of them:
// the texts of the sides and of open and close, the style-1 price-type and
// deal-attribute combos and the record codes behind their items, the rules
// a price type sets for the other controls, the style-4 combo items that
// show their shortcut digits, the digit shortcuts, the double-click toggles
// and the text colours. No toolkit; texts are GBK.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/order_settings.h"

namespace tradeviews {

inline constexpr std::string_view kBuyText = "买入";
inline constexpr std::string_view kSellText = "卖出";
inline constexpr std::string_view kOpenText = "开仓";
inline constexpr std::string_view kCloseText = "平仓";
inline constexpr std::string_view kCloseTodayText = "平今";

// Style 1's combos, items "%d-%s": price types 1 限价 to 6 限价止盈, deal
// attributes 1 当日有效[GFD] to 3 剩余即撤销[FAK].
std::vector<std::string> PriceTypeItems();
std::vector<std::string> DealAttributeItems();
inline constexpr int kMarketPriceType = 2;
inline constexpr int kFillAndKillItem = 3;

// The number before "-" in a combo text; 0 when the text starts with none.
int NumberBeforeDash(std::string_view text);
// The record's price type code of an item number: "0" for 1 (limit), "1"
// for 2 (market), the number itself (one character) otherwise.
std::string PriceTypeCode(int number);
// The record's deal attribute code: the item number less one.
std::string DealAttributeCode(int number);

// What a price type (item number) does to the other style-1 controls.
struct PriceTypeRules {
  int priceType = 1;  // the item in force: a stop type on "czce" falls back to 1
  bool triggerEnabled = false;
  bool dealAttributeEnabled = true;
  int dealAttribute = 1;  // the deal attribute item to select
  bool priceEnabled = true;
  std::string price;  // the price text to put in the price edit
};
// `lastPrice` is the price text of the last closeable-volume answer; the
// exchange code is the current contract's ("sfe", "czce", ...).
PriceTypeRules RulesForPriceType(int number, std::string_view exchangeCode, std::string_view lastPrice);

// The digit keys of the settings.
struct ShortcutKeys {
  int buy = 1;
  int sell = 3;
  int open = 1;
  int close = 2;
  int closeToday = 3;
};
ShortcutKeys ShortcutKeysOf(const client::OrderSettings& settings);

// The buy/sell code ("0" or "1") a digit picks, or nothing.
std::optional<std::string_view> BuySellForDigit(const ShortcutKeys& keys, int digit);
// The open/close code ("0", "1" or "2") a digit picks; close today only
// while the contract's exchange takes it.
std::optional<std::string_view> OpenCloseForDigit(const ShortcutKeys& keys, int digit, bool closeToday);

// Style 1's double clicks on its two edits: the other side (any other text
// becomes 买入); 开仓 -> 平仓 -> 平今 (only with close today, else 开仓) ->
// 开仓 (any other text becomes 开仓).
std::string_view ToggledBuySell(std::string_view text);
std::string_view NextOpenClose(std::string_view text, bool closeToday);
// Style 2's open/close combo by item: 0 -> 1 -> 2 (when it holds three) ->
// 0.
int NextOpenCloseItem(int item, int itemCount);

// Text colours, 0x00BBGGRR: 买入 red, else green; 开仓 red, 平仓 green,
// 平今 blue, else black.
std::uint32_t BuySellColour(std::string_view text);
std::uint32_t OpenCloseColour(std::string_view text);

// Style 4's combos show the digit of each item: "%d %s". The open/close
// combo holds 平今 only while the exchange takes close today.
std::string ClassicItemText(int digit, std::string_view name);
std::vector<std::string> ClassicBuySellItems(const ShortcutKeys& keys);
std::vector<std::string> ClassicOpenCloseItems(const ShortcutKeys& keys, bool closeToday);
// Item text to code ("" for any other text) and back ("" for any other
// code).
std::string ClassicBuySellCode(const ShortcutKeys& keys, std::string_view text);
std::string ClassicOpenCloseCode(const ShortcutKeys& keys, std::string_view text);
std::string ClassicBuySellText(const ShortcutKeys& keys, std::string_view code);
std::string ClassicOpenCloseText(const ShortcutKeys& keys, std::string_view code);

}  // namespace tradeviews
