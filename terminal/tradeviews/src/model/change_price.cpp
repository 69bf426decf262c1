#include "tradeviews/model/change_price.h"

#include "client/code_tables.h"
#include "engine/query_facade.h"
#include "tradeviews/model/bar_cells.h"
#include "tradeviews/model/bar_services.h"

namespace tradeviews {
namespace {

using engine::Text;

constexpr double kPriceLimit = 1000000;

NewPriceCheck CheckNewPrice(std::string_view price, engine::COperationEngine& engine, std::string_view contract) {
  if (price.empty()) return NewPriceCheck::kEmpty;
  if (!IsPlainDecimal(price) || NumberOf(price) >= kPriceLimit) return NewPriceCheck::kInvalid;
  if (!engine::CheckPriceTick(engine, contract, price)) return NewPriceCheck::kOffTick;
  return NewPriceCheck::kAccepted;
}

}  // namespace

std::string ChangePriceInfoLine(const ChangePriceRecord& record) {
  std::string line = "交易账号：";
  line.append(Text(record.customer)).append(", 委托号：").append(Text(record.orderNo));
  line.append(", ").append(Text(record.contract));
  line.append(", ").append(client::BuySellText(Text(record.buySell)));
  line.append(", ").append(client::OpenCloseText(Text(record.openClose)));
  line.append(", ").append(client::HedgeText(Text(record.hedge)));
  return line;
}

const char* NewPriceMessage(NewPriceCheck check) {
  switch (check) {
    case NewPriceCheck::kAccepted: return "";
    case NewPriceCheck::kEmpty: return "价格不能为空!";
    case NewPriceCheck::kInvalid: return "输入价格不合法，请重新输入!";
    case NewPriceCheck::kOffTick: return "您输入的触发价格不符合最小变动价位!";
  }
  return "";
}

NewPriceCheck SubmitChange(ChangePriceRecord& record, std::string_view lots, std::string_view price,
                           BarServices& services) {
  engine::SetText(record.lots, lots);
  engine::SetText(record.price, price);
  const NewPriceCheck check = CheckNewPrice(Text(record.price), services.Engine(), Text(record.contract));
  if (check == NewPriceCheck::kAccepted) services.SubmitChangePriceOrder(ChangePriceList(record));
  return check;
}

backend::CGlobalStringList ChangePriceList(const ChangePriceRecord& record) {
  backend::CGlobalStringList list;
  for (int empty = 0; empty < 3; ++empty) list.Append("");
  for (const std::string_view item :
       {Text(record.orderNo), Text(record.seat), Text(record.orderSeat), Text(record.exchange), Text(record.contract),
        Text(record.buySell), Text(record.openClose), Text(record.hedge), Text(record.lots), Text(record.price),
        Text(record.tradeCode), Text(record.priceType), Text(record.dealAttribute), Text(record.profitLossPrice),
        Text(record.customer)}) {
    list.Append(item);
  }
  return list;
}

}  // namespace tradeviews
