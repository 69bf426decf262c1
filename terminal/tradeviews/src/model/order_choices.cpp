#include "tradeviews/model/order_choices.h"

namespace tradeviews {
namespace {

constexpr std::string_view kPriceTypeNames[] = {"限价", "市价", "市价止损", "市价止盈", "限价止损", "限价止盈"};
constexpr std::string_view kDealAttributeNames[] = {"当日有效[GFD]", "全成或全撤[FOK]", "剩余即撤销[FAK]"};
constexpr std::string_view kCzce = "czce";

template <std::size_t N>
std::vector<std::string> NumberedItems(const std::string_view (&names)[N]) {
  std::vector<std::string> items;
  for (std::size_t i = 0; i < N; ++i) items.push_back(std::to_string(i + 1) + "-" + std::string(names[i]));
  return items;
}

struct ClassicItem {
  int digit;
  std::string_view name;
  std::string_view code;
};

std::vector<ClassicItem> ClassicBuySell(const ShortcutKeys& keys) {
  return {{keys.buy, kBuyText, "0"}, {keys.sell, kSellText, "1"}};
}

std::vector<ClassicItem> ClassicOpenClose(const ShortcutKeys& keys, bool closeToday) {
  std::vector<ClassicItem> items = {{keys.open, kOpenText, "0"}, {keys.close, kCloseText, "1"}};
  if (closeToday) items.push_back({keys.closeToday, kCloseTodayText, "2"});
  return items;
}

std::vector<std::string> TextsOf(const std::vector<ClassicItem>& items) {
  std::vector<std::string> texts;
  for (const ClassicItem& item : items) texts.push_back(ClassicItemText(item.digit, item.name));
  return texts;
}

std::string CodeOf(const std::vector<ClassicItem>& items, std::string_view text) {
  for (const ClassicItem& item : items) {
    if (ClassicItemText(item.digit, item.name) == text) return std::string(item.code);
  }
  return {};
}

std::string TextOf(const std::vector<ClassicItem>& items, std::string_view code) {
  for (const ClassicItem& item : items) {
    if (item.code == code) return ClassicItemText(item.digit, item.name);
  }
  return {};
}

}  // namespace

std::vector<std::string> PriceTypeItems() { return NumberedItems(kPriceTypeNames); }

std::vector<std::string> DealAttributeItems() { return NumberedItems(kDealAttributeNames); }

int NumberBeforeDash(std::string_view text) {
  int number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9' || number > 100000) break;
    number = number * 10 + (c - '0');
  }
  return number;
}

std::string PriceTypeCode(int number) {
  if (number == 1) return "0";
  if (number == kMarketPriceType) return "1";
  return std::to_string(number).substr(0, 1);
}

std::string DealAttributeCode(int number) { return std::to_string(number - 1).substr(0, 1); }

PriceTypeRules RulesForPriceType(int number, std::string_view exchangeCode, std::string_view lastPrice) {
  const bool stopType = number >= 3 && number <= 6;
  if ((stopType && exchangeCode == kCzce) || number < 1 || number > 6) number = 1;
  PriceTypeRules rules;
  rules.priceType = number;
  rules.triggerEnabled = number >= 3;
  // Stop orders keep the day's deal attribute; limit and market choose.
  rules.dealAttributeEnabled = number <= kMarketPriceType;
  rules.dealAttribute = number == kMarketPriceType ? kFillAndKillItem : 1;
  // Market kinds go without a price; limit kinds take the last one again.
  rules.priceEnabled = number == 1 || number >= 5;
  rules.price = rules.priceEnabled ? std::string(lastPrice) : "0";
  return rules;
}

ShortcutKeys ShortcutKeysOf(const client::OrderSettings& settings) {
  return {settings.ShortcutKeyBuy, settings.ShortcutKeySell, settings.ShortcutKeyOpen, settings.ShortcutKeyClose,
          settings.ShortcutKeyCloseToday};
}

std::optional<std::string_view> BuySellForDigit(const ShortcutKeys& keys, int digit) {
  if (digit == keys.buy) return "0";
  if (digit == keys.sell) return "1";
  return std::nullopt;
}

std::optional<std::string_view> OpenCloseForDigit(const ShortcutKeys& keys, int digit, bool closeToday) {
  if (digit == keys.open) return "0";
  if (digit == keys.close) return "1";
  if (closeToday && digit == keys.closeToday) return "2";
  return std::nullopt;
}

std::string_view ToggledBuySell(std::string_view text) { return text == kBuyText ? kSellText : kBuyText; }

std::string_view NextOpenClose(std::string_view text, bool closeToday) {
  if (text == kOpenText) return kCloseText;
  if (text == kCloseText && closeToday) return kCloseTodayText;
  return kOpenText;
}

int NextOpenCloseItem(int item, int itemCount) {
  if (item == 0) return 1;
  if (item == 1 && itemCount >= 3) return 2;
  return 0;
}

std::uint32_t BuySellColour(std::string_view text) { return text == kBuyText ? 0x0000FF : 0x00FF00; }

std::uint32_t OpenCloseColour(std::string_view text) {
  if (text == kOpenText) return 0x0000FF;
  if (text == kCloseText) return 0x00FF00;
  if (text == kCloseTodayText) return 0xFF0000;
  return 0x000000;
}

std::string ClassicItemText(int digit, std::string_view name) {
  return std::to_string(digit) + " " + std::string(name);
}

std::vector<std::string> ClassicBuySellItems(const ShortcutKeys& keys) { return TextsOf(ClassicBuySell(keys)); }

std::vector<std::string> ClassicOpenCloseItems(const ShortcutKeys& keys, bool closeToday) {
  return TextsOf(ClassicOpenClose(keys, closeToday));
}

std::string ClassicBuySellCode(const ShortcutKeys& keys, std::string_view text) {
  return CodeOf(ClassicBuySell(keys), text);
}

std::string ClassicOpenCloseCode(const ShortcutKeys& keys, std::string_view text) {
  return CodeOf(ClassicOpenClose(keys, true), text);
}

std::string ClassicBuySellText(const ShortcutKeys& keys, std::string_view code) {
  return TextOf(ClassicBuySell(keys), code);
}

std::string ClassicOpenCloseText(const ShortcutKeys& keys, std::string_view code) {
  return TextOf(ClassicOpenClose(keys, true), code);
}

}  // namespace tradeviews
