#include "client/engine_order_lookup.h"

#include <string>

#include "engine/query_facade.h"
#include "engine/row_field.h"
#include "engine/trading_rows.h"

namespace client {

std::optional<KnownOrder> EngineOrderLookup::FindOrder(std::string_view exchange, std::string_view account,
                                                       std::string_view orderingSeat, std::string_view orderNo) {
  engine::OrderRow order{};
  if (!engine::FindOrder(engine_, exchange, account, orderingSeat, orderNo, order)) return std::nullopt;
  return KnownOrder{.orderNo = std::string(engine::Text(order.szOrderNo)),
                    .orderingSeat = std::string(engine::Text(order.szOrderSeat)),
                    .seatCode = std::string(engine::Text(order.szSeatCode)),
                    .contractCode = std::string(engine::Text(order.szContractCode)),
                    .lots = std::string(engine::Text(order.szOrderHands)),
                    .price = std::string(engine::Text(order.szOrderPrice))};
}

}  // namespace client
