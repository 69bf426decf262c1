#include "ui/row_keys.h"

#include <initializer_list>

namespace ui {
namespace {

// The folds run on unsigned values, so that they wrap at 32 bits as the
// keys are defined; each character counts as a signed byte.
using Fold = std::uint32_t;

Fold Char(char c) { return static_cast<Fold>(static_cast<std::int32_t>(static_cast<std::int8_t>(c))); }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// h = h * 10 + c - 48 for each character.
Fold FoldDecimal(Fold h, std::string_view text) {
  for (const char c : text) h = h * 10 + Char(c) - 48;
  return h;
}

// h = h * 2 + c - 48 for each character.
Fold FoldBinary(Fold h, std::string_view text) {
  for (const char c : text) h = h * 2 + Char(c) - 48;
  return h;
}

// h = 125 * h + 25 * s0 + 5 * s1 + s2 - 3007 of the seat's first three
// bytes; a seat shorter than that counts its missing bytes as zero.
Fold FoldSeat(Fold h, std::string_view seat) {
  const auto byte = [&](std::size_t i) { return i < seat.size() ? Char(seat[i]) : Fold{0}; };
  return 125 * h + 25 * byte(0) + 5 * byte(1) + byte(2) - 3007;
}

// A letter gives h = (h << 6) + c - 65, any other character h * 10 + c - 48.
Fold FoldCode(Fold h, std::string_view code) {
  for (const char c : code) h = IsLetter(c) ? (h << 6) + Char(c) - 65 : h * 10 + Char(c) - 48;
  return h;
}

// The integer value of a text as the C library reads it (blanks, a sign,
// digits), wrapping instead of overflowing on a long number.
Fold IntegerOf(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  Fold value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) value = value * 10 + Fold(text[at] - '0');
  return negative ? Fold{0} - value : value;
}

RowKey KeyOf(Fold hash, std::initializer_list<std::string_view> fields) {
  RowKey key{static_cast<std::int32_t>(hash), {}};
  for (const std::string_view field : fields) {
    key.fields.append(field);
    key.fields.push_back('\0');
  }
  return key;
}

}  // namespace

RowKey HashRowKey(std::string_view text) {
  Fold h = 0;
  for (const char c : text) h = (h + Char(c) - 65) << 6;
  return KeyOf(h, {text});
}

RowKey MakeOrderRowKey(std::string_view seat, std::string_view contractCode, std::string_view orderNo) {
  Fold h = 0;
  for (const char c : seat) h = (h + Char(c) - 48) * 10;
  for (const char c : contractCode) h = IsLetter(c) ? (h + Char(c) - 65) << 6 : (h + Char(c) - 48) * 10;
  if (!orderNo.empty()) h = IntegerOf(orderNo) + (h << 16);
  return KeyOf(h, {seat, contractCode, orderNo});
}

RowKey MakePositionRowKey(std::string_view customerNo, std::string_view seatCode, std::string_view contractCode,
                          std::string_view tradingCode, std::string_view buySell, std::string_view hedge) {
  Fold h = FoldCode(FoldSeat(FoldDecimal(0, customerNo), seatCode), contractCode);
  h = FoldBinary(FoldBinary(FoldDecimal(h, tradingCode), buySell), hedge);
  return KeyOf(h, {customerNo, seatCode, contractCode, tradingCode, buySell, hedge});
}

RowKey MakeExerciseRowKey(std::string_view account, std::string_view contractCode, std::string_view flagA,
                          std::string_view flagB, std::string_view seat) {
  const Fold h = FoldCode(FoldSeat(FoldDecimal(0, account), seat), contractCode);
  return KeyOf(FoldBinary(FoldBinary(h, flagA), flagB), {account, contractCode, flagA, flagB, seat});
}

RowKey MakeCodeRowKey(std::string_view text) {
  Fold h = 0;
  for (const char c : text) h = h * 31 + Char(c);
  return KeyOf(h, {text});
}

}  // namespace ui
