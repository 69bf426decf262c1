// The short codes of the trading back end (buy/sell, open/close, hedge, order
// states and kinds, price types, market states, money types, notice levels,
// product kinds, option types) and the Chinese texts the terminal shows for
// them.
//
// Every lookup returns a constant text, never a copy. A code matches only
// when the whole text is equal ("0 " matches nothing); only OptionTypeText
// ignores letter case. Anything unknown gives "" unless the function names
// another default.
#pragma once

#include <string_view>

namespace client {

// Code to text.
const char* BuySellText(std::string_view code);
// "自动" for every code but "0", "1" and "2".
const char* OpenCloseText(std::string_view code);
const char* HedgeText(std::string_view code);
const char* NoticeLevelText(std::string_view code);
const char* MoneyTypeText(std::string_view code);
const char* OrderStateText(std::string_view code);
// "普通委托" for every unknown kind.
const char* OrderKindText(std::string_view code);
const char* MarketStateText(std::string_view code);
const char* ProductKindText(std::string_view code);
const char* OptionTypeText(std::string_view code);

// Text to code.
const char* BuySellCode(std::string_view text);
// "自动" has no code: it gives "" like any unknown text.
const char* OpenCloseCode(std::string_view text);
const char* HedgeCode(std::string_view text);
const char* OrderStateCode(std::string_view text);

// Both ways over the price types: code to text when `codeToText` is set,
// text to code otherwise.
const char* PriceTypeText(std::string_view codeOrText, bool codeToText);

// The decimals a price is shown with: 0 for an integral value, else the
// digits after the point of its six-decimal form, trailing zeros dropped.
int CountDecimalPlaces(double value);

}  // namespace client
