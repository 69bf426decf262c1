#include "order_index.h"

#include "backend/field_text.h"
#include "engine/row_field.h"
#include "engine/trading_rows.h"
#include "order_updates.h"
#include "typed_rows.h"

namespace engine {
namespace {

constexpr char kKeySeparator = '\x1f';

std::string KeyOf(std::string_view account, std::string_view exchangeCode, std::string_view orderSeat,
                  std::string_view orderNo) {
  std::string key;
  key.reserve(account.size() + exchangeCode.size() + orderSeat.size() + orderNo.size() + 8);
  key.append(account).push_back(kKeySeparator);
  key.append(exchangeCode).push_back(kKeySeparator);
  key.append(orderSeat).push_back(kKeySeparator);
  // A number and a text of the same digits must not meet: "#" and "=" keep
  // them apart.
  if (const std::optional<int> value = backend::ParseDecimal(orderNo)) {
    key.append("#").append(std::to_string(*value));
  } else {
    key.append("=").append(orderNo);
  }
  return key;
}

std::string KeyOf(const OrderRow& row) {
  return KeyOf(Text(row.szTradeAccount), Text(row.szExchangeCode), Text(row.szOrderSeat), Text(row.szOrderNo));
}

}  // namespace

std::optional<std::uint32_t> OrderIndex::Find(const backend::CxDataSet& orders, const OrderSelectors& order,
                                              std::string_view account) {
  const std::string key = KeyOf(account, order.exchangeCode, order.orderSeat, order.orderNo);
  if (const auto seen = rows_.find(key); seen != rows_.end()) {
    const std::optional<OrderRow> row = typed_rows::RowAt<OrderRow>(orders, seen->second);
    if (row && order_updates::SameOrder(*row, order, account)) return seen->second;
  }
  Rebuild(orders);
  const auto seen = rows_.find(key);
  if (seen == rows_.end()) return std::nullopt;
  return seen->second;
}

void OrderIndex::Rebuild(const backend::CxDataSet& orders) {
  rows_.clear();
  typed_rows::ForEachRow<OrderRow>(
      orders, [&](const OrderRow& row, std::uint32_t index) { rows_.try_emplace(KeyOf(row), index); });
}

}  // namespace engine
