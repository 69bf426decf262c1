// The keys by which a grid finds a row again when a table-change record or a
// quote arrives. Each key is the grid's 32-bit value, computed from the row's
// key texts with wrap-around and every character taken as a signed byte,
// together with the texts themselves: two rows whose 32-bit values collide
// are told apart by their texts, so a change never lands on the wrong row.
// Pure functions; no toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

struct RowKey {
  std::int32_t hash = 0;
  // The key texts, each ended by a zero byte.
  std::string fields;

  friend bool operator==(const RowKey&, const RowKey&) = default;
};

// The fund rows' key, of the customer number: h = (h + c - 65) << 6.
RowKey HashRowKey(std::string_view text);

// The order rows' key, of the seat, the contract code and the order number:
// the seat folds as h = (h + c - 48) * 10, the code as h = (h + c - 65) << 6
// for a letter and as the seat for any other character; a non-empty order
// number then gives its integer value + (h << 16).
RowKey MakeOrderRowKey(std::string_view seat, std::string_view contractCode, std::string_view orderNo);

// The position rows' key, of the customer number, the seat code, the
// contract code, the trading code, the buy/sell code and the hedge code.
RowKey MakePositionRowKey(std::string_view customerNo, std::string_view seatCode, std::string_view contractCode,
                          std::string_view tradingCode, std::string_view buySell, std::string_view hedge);

// The exercise application rows' key, of the account (the record's leading
// text), the contract code, two codes (buy/sell and hedge) and the seat.
RowKey MakeExerciseRowKey(std::string_view account, std::string_view contractCode, std::string_view flagA,
                          std::string_view flagB, std::string_view seat);

// The quote grids' key of a contract code or strike text, which the trade
// rows use with their order number: h = h * 31 + c. Trades of one order
// share their key.
RowKey MakeCodeRowKey(std::string_view text);

}  // namespace ui
