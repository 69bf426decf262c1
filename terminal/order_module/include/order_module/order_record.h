// One order as the order panels hand it over and as every follow-up task
// carries it: fixed-width, zero-terminated GBK texts, zero-filled before it
// is built. The panels, the order submission and the order module share the
// layout, so it is fixed; its fields are written and read through
// engine::SetText and engine::Text, which never pass a field.
#pragma once

#include <cstddef>

#include "engine/row_field.h"

namespace order_module {

struct OrderRecord {
  char customerNo[16];
  char exchange[2];  // the one-character exchange id
  char contractCode[64];
  char buySell[2];    // "0" buy, "1" sell
  char openClose[2];  // "0" open, "1" close, "2" close today, "3" automatic
  char hedge[2];      // "0" speculation, "1" hedge
  char lots[8];
  char price[16];
  char tradeCode[16];
  char seat[16];
  char priceType[2];
  char dealAttribute[2];
  char triggerPrice[16];
  char tail[50];  // left zero
};
static_assert(sizeof(OrderRecord) == 214);
static_assert(offsetof(OrderRecord, exchange) == 16);
static_assert(offsetof(OrderRecord, contractCode) == 18);
static_assert(offsetof(OrderRecord, buySell) == 82);
static_assert(offsetof(OrderRecord, lots) == 88);
static_assert(offsetof(OrderRecord, price) == 96);
static_assert(offsetof(OrderRecord, tradeCode) == 112);
static_assert(offsetof(OrderRecord, seat) == 128);
static_assert(offsetof(OrderRecord, priceType) == 144);
static_assert(offsetof(OrderRecord, triggerPrice) == 148);
static_assert(offsetof(OrderRecord, tail) == 164);
static_assert(engine::EngineRow<OrderRecord>);

}  // namespace order_module
