// How the query bars write numbers into cells and colour them, and the
// engine look-ups their cells need, kept per bar so that a stream of row
// changes does not ask the engine the same question for every row. No
// toolkit.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/trading_rows.h"

namespace engine {
class COperationEngine;
}

namespace tradeviews {

// Cell text colours, 0x00BBGGRR.
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kGreen = 0x008000;
inline constexpr std::uint32_t kBlue = 0xFF0000;
inline constexpr std::uint32_t kOlive = 0x008080;
inline constexpr std::uint32_t kBlack = 0x000000;

// The leading number of a cell or field text; 0 when there is none.
double NumberOf(std::string_view text);
// "%.02f" of the text's number.
std::string TwoDecimals(std::string_view text);
// The money rule's text of the text's number: floor(x * 100 + 0.55) / 100.
std::string MoneyRounded(std::string_view text);
// The integer value of a text as the C library reads it (blanks, a sign,
// digits); 0 when there is none or it does not fit.
long long IntegerOf(std::string_view text);
// Digits with at most one decimal point, at least one digit: a price or lot
// count typed in full, which "12abc", "1e3" or "-5" are not.
bool IsPlainDecimal(std::string_view text);
// Red above 0, green below 0, black at 0.
std::uint32_t SignColour(double value);
// The decimals prices of a contract are shown with: those of its tick, at
// least 2.
int PriceDecimalsOf(double tick);

// The validity texts of the deal attribute codes "0", "1" and "2", and
// back; an unknown code or text gives "".
const char* DealAttributeText(std::string_view code);
const char* DealAttributeCode(std::string_view text);
// Whether the order state code is one of those of a working order ("n",
// "p", "a", "t"): only such orders can be cancelled or given a new price.
bool IsWorkingOrderState(std::string_view code);

// What the bars ask the engine while they fill cells: the decimals of a
// contract's prices (by its tick) and an exchange's name, each remembered
// until Forget, and the lots a position may still close. Answers given
// while the engine downloads are its defaults and are not remembered.
class BarLookups {
 public:
  explicit BarLookups(engine::COperationEngine& engine) : engine_(engine) {}

  engine::COperationEngine& Engine() const { return engine_; }

  int PriceDecimals(std::string_view contractCode);
  // The exchange's name; its code when the engine knows no name.
  std::string ExchangeName(std::string_view exchangeCode);
  // What the position's side may still close; nothing when the engine does
  // not answer.
  std::optional<int> ClosableVolume(const engine::PositionSummaryRow& row) const;

  // After a reload or a new contract list: the ticks may have changed.
  void Forget();

 private:
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  template <class Value>
  using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

  bool Ready() const;

  engine::COperationEngine& engine_;
  TextMap<int> decimals_;
  TextMap<std::string> exchangeNames_;
};

}  // namespace tradeviews
