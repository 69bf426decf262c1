// A change of price: the record the order bar fills from a pending order,
// what the dialog "改价下单" shows of it, the checks of the new price, and
// the 18 texts the change-price submission takes (cancel the order, send it
// again at the new price). No toolkit.
#pragma once

#include <string>
#include <string_view>

#include "backend/global_string_list.h"
#include "engine/row_field.h"

namespace tradeviews {

class BarServices;

// Zero-terminated GBK texts, each cut to its width.
struct ChangePriceRecord {
  char orderNo[16];
  char exchange[2];
  char seat[17];
  char contract[17];
  char tradeCode[17];
  char buySell[2];
  char openClose[2];
  char lots[9];  // what is still untraded
  char price[16];
  char hedge[2];
  char orderSeat[21];
  char priceType[10];
  char dealAttribute[10];
  char profitLossPrice[16];
  char reserved[10];  // left empty
  char customer[16];
};
static_assert(engine::EngineRow<ChangePriceRecord>);

// "交易账号：<customer>, 委托号：<order>, <contract>, <buy/sell>, <open/close>,
// <hedge>", the codes as their texts.
std::string ChangePriceInfoLine(const ChangePriceRecord& record);

enum class NewPriceCheck { kAccepted, kEmpty, kInvalid, kOffTick };
// The message of a refused price; empty for an accepted one.
const char* NewPriceMessage(NewPriceCheck check);

// The dialog's "确认": the lots and price texts (cut to 8 and 15 bytes) go
// into the record; a price that is a plain decimal number below 1000000 and
// on the contract's tick is handed to the change-price submission.
NewPriceCheck SubmitChange(ChangePriceRecord& record, std::string_view lots, std::string_view price,
                           BarServices& services);

// Items 1 to 18 of the change-price submission.
backend::CGlobalStringList ChangePriceList(const ChangePriceRecord& record);

}  // namespace tradeviews
