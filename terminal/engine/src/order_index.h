// Where each order of the order table was last seen, so that a push or a
// lookup finds its order without walking a table of the day's orders. The
// table stays the truth: a candidate is checked against its row, and when no
// candidate is the order the table is walked once more, noting every order
// on the way (an order's number may have been written into its row in
// place). Used under the engine lock, like the table.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/engine_table.h"
#include "engine/request_builders.h"
#include "engine/trading_rows.h"
#include "row_index.h"

namespace engine {

class OrderIndex {
 public:
  OrderIndex();

  // The row of `orders` that is the order of `account` the selectors name,
  // as order_updates::SameOrder tells; where the table holds one order twice,
  // the first of them.
  std::optional<std::uint32_t> Find(const EngineTable& orders, const OrderSelectors& order, std::string_view account);
  // The first row of `orders` whose exchange, order seat and order number
  // are these very texts (no account compared, "00123" is not "123").
  std::optional<std::uint32_t> FindExact(const EngineTable& orders, const OrderSelectors& order);
  // For an order table emptied or replaced.
  void Forget() { rows_.Forget(); }
  // Notes every order of `orders` now.
  void Rebuild(const EngineTable& orders) { rows_.Rebuild(orders); }

 private:
  // The first candidate row `is` accepts, walking the table again once when
  // none does.
  template <typename Is>
  std::optional<std::uint32_t> FirstOf(const EngineTable& orders, const OrderSelectors& order, Is is);

  // Rows by exchange, order seat and order number, the number as its value
  // where it is a decimal number, so that both ways of comparing find their
  // rows among the candidates.
  RowIndex rows_;
};

}  // namespace engine
