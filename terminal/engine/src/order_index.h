// Where each order of the order table was last seen, so that a push finds its
// order without walking a table of the day's orders. The table stays the
// truth: a hit is checked against the row it names, and a miss or a stale hit
// walks the table once more, noting every order on the way. Used under the
// engine lock, like the table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "backend/cx_data_set.h"
#include "engine/request_builders.h"

namespace engine {

class OrderIndex {
 public:
  // The row of `orders` that is the order of `account` the selectors name,
  // as order_updates::SameOrder tells; where the table holds one order twice,
  // the first of them as the last walk saw the table.
  std::optional<std::uint32_t> Find(const backend::CxDataSet& orders, const OrderSelectors& order,
                                    std::string_view account);

 private:
  void Rebuild(const backend::CxDataSet& orders);

  // Account, exchange, order seat and order number, the number as its value
  // where it is a decimal number (SameOrderNo's "00123" and "123" are one).
  std::unordered_map<std::string, std::uint32_t> rows_;
};

}  // namespace engine
