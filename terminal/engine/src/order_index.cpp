#include "order_index.h"

#include <string>

#include "engine/row_field.h"
#include "order_updates.h"
#include "typed_rows.h"

namespace engine {
namespace {

constexpr char kKeySeparator = '\x1f';

void AppendKey(std::string& key, std::string_view exchangeCode, std::string_view orderSeat, std::string_view orderNo) {
  key.append(exchangeCode).push_back(kKeySeparator);
  key.append(orderSeat).push_back(kKeySeparator);
  order_updates::AppendOrderNoKey(key, orderNo);
}

std::string KeyOf(const OrderSelectors& order) {
  std::string key;
  AppendKey(key, order.exchangeCode, order.orderSeat, order.orderNo);
  return key;
}

// The fields are read in place: building the index copies no row.
bool KeyOfEntry(std::span<const std::uint8_t> entry, std::string& key) {
  if (entry.size() < sizeof(OrderRow)) return false;
  AppendKey(key, typed_rows::FieldIn(entry, &OrderRow::szExchangeCode),
            typed_rows::FieldIn(entry, &OrderRow::szOrderSeat), typed_rows::FieldIn(entry, &OrderRow::szOrderNo));
  return true;
}

}  // namespace

OrderIndex::OrderIndex() : rows_(KeyOfEntry) {}

template <typename Is>
std::optional<std::uint32_t> OrderIndex::FirstOf(const EngineTable& orders, const OrderSelectors& order, Is is) {
  const std::string key = KeyOf(order);
  for (bool walked : {false, true}) {
    if (walked) rows_.Rebuild(orders);
    for (const std::uint32_t index : rows_.RowsOf(orders, key)) {
      const std::optional<OrderRow> row = typed_rows::RowAt<OrderRow>(orders, index);
      if (row && is(*row)) return index;
    }
  }
  return std::nullopt;
}

std::optional<std::uint32_t> OrderIndex::Find(const EngineTable& orders, const OrderSelectors& order,
                                              std::string_view account) {
  return FirstOf(orders, order, [&](const OrderRow& row) { return order_updates::SameOrder(row, order, account); });
}

std::optional<std::uint32_t> OrderIndex::FindExact(const EngineTable& orders, const OrderSelectors& order) {
  return FirstOf(orders, order, [&](const OrderRow& row) {
    return Text(row.szExchangeCode) == order.exchangeCode && Text(row.szOrderSeat) == order.orderSeat &&
           Text(row.szOrderNo) == order.orderNo;
  });
}

}  // namespace engine
