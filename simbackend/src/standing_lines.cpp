#include "standing_lines.h"

#include "day_clock.h"
#include "numbered_fields.h"
#include "order_lines.h"

namespace simbackend {
namespace {

std::string OrderNumberOf(const DayBusiness& business, std::size_t order) {
  return order == kNoOrder ? std::string() : std::to_string(business.orders[order].order.number);
}

// A price of the contract, or nothing for 0.
std::string PriceOrNothing(const BackendData& data, const Contract& contract, std::int64_t ticks) {
  return ticks == 0 ? std::string() : data.PriceText(contract, ticks);
}

std::string PriceName(const std::string& triggerPrice) {
  return triggerPrice == "1" ? "买一价" : triggerPrice == "2" ? "卖一价" : "最新价";
}

}  // namespace

std::vector<std::string> ProfitLossAnswerValues(const BackendData& data, const DayBusiness& business,
                                                const ProfitLossOrder& p) {
  const BookOrder& opening = business.orders[p.opening];
  const DayOrder& o = opening.order;
  const Contract& contract = data.contracts[o.contract];
  const OrderProgress progress = ProgressOf(data, business, p.opening);
  return NumberedFields(36)
      .Set(5, p.number)
      .Set(6, std::to_string(o.number))
      .Set(7, p.customer)
      .Set(8, contract.code)
      .Set(9, o.seat)
      .Set(10, PriceOrNothing(data, contract, p.stopLoss))
      .Set(11, PriceOrNothing(data, contract, p.takeProfit))
      .Set(12, PriceOrNothing(data, contract, p.closeDifference))
      .Set(13, PriceOrNothing(data, contract, p.floatingStop))
      .Set(14, data.ExchangeOf(contract).id)
      .Set(15, o.tradeCode)
      .Set(16, std::to_string(progress.filled))
      .Set(17, AveragePriceText(progress))
      .Set(18, PriceOrNothing(data, contract, p.stopPrice))
      .Set(19, PriceOrNothing(data, contract, p.takePrice))
      .Set(20, KeptCode(p.state))
      .Set(21, StateText(p.state))
      .Set(22, p.time)
      .Set(23, p.closeMethod)
      .Set(24, OrderNumberOf(business, p.closing))
      .Set(25, p.triggerTime)
      .Set(26, p.message)
      .Set(27, o.buySell)
      .Set(28, o.hedge)
      .Set(29, p.priceMode)
      .Set(30, std::to_string(p.triggerCount))
      .Set(31, TodayText())
      .Set(32, p.triggerPrice)
      .Set(33, o.seat)
      .From(5);
}

std::string ProfitLossPushLine(const DayBusiness& business, const ProfitLossOrder& p) {
  return PushHead(kStandingOrderPush, 14)
      .Set(8, p.customer)
      .Set(9, kStatePushKind)
      .Set(10, p.number)
      .Set(11, std::to_string(business.orders[p.opening].order.number))
      .Set(12, PushedCode(p.state))
      .Set(14, std::string("ZSZY#") + StateText(p.state) + "#")
      .Line();
}

std::vector<std::string> ConditionAnswerValues(const BackendData& data, const DayBusiness& business,
                                               const ConditionOrder& c, bool alreadyMet) {
  const Contract& contract = data.contracts[c.contract];
  const std::string order = OrderNumberOf(business, c.order);
  const std::string description = PriceName(c.triggerPrice) + c.comparison + data.PriceText(contract, c.trigger) +
                                  "时" + BuySellText(c.buySell) + OpenCloseText(c.openClose) + contract.code +
                                  std::to_string(c.lots) + "手，价格" + data.PriceText(contract, c.price);
  return NumberedFields(45)
      .Set(5, c.number)
      .Set(6, order)
      .Set(7, data.ExchangeOf(contract).id)
      .Set(8, c.seat)
      .Set(9, contract.code)
      .Set(10, c.order == kNoOrder ? std::string() : business.orders[c.order].order.state)
      .Set(11, c.buySell)
      .Set(12, c.openClose)
      .Set(13, c.hedge)
      .Set(14, data.PriceText(contract, c.price))
      .Set(15, std::to_string(c.lots))
      .Set(16, c.customer)
      .Set(17, kLimitPrice)
      .Set(18, c.time)
      .Set(19, c.triggerTime)
      .Set(20, c.tradeCode)
      .Set(23, KeptCode(c.state))
      .Set(24, description)
      .Set(25, c.message)
      .Set(26, StateText(c.state))
      .Set(27, c.triggerPrice)
      .Set(28, c.comparison)
      .Set(29, data.PriceText(contract, c.trigger))
      .Set(30, TodayText())
      .Set(39, alreadyMet ? "1" : "0")
      .Set(41, c.askFirst)
      .Set(42, c.choice)
      .Set(44, c.carried[0])
      .Set(45, c.carried[1])
      .From(5);
}

std::string ConditionStatePushLine(const DayBusiness& business, const ConditionOrder& c) {
  return PushHead(kStandingOrderPush, 14)
      .Set(8, c.customer)
      .Set(9, kStatePushKind)
      .Set(10, c.number)
      .Set(11, OrderNumberOf(business, c.order))
      .Set(12, PushedCode(c.state))
      .Set(14, StateText(c.state))
      .Line();
}

std::string ConditionQuestionLine(const ConditionOrder& c, const std::string& text) {
  const bool choice = c.questionKind == 2;
  return PushHead(kStandingOrderPush, 14)
      .Set(8, c.customer)
      .Set(9, choice ? kChoiceQuestion : kConfirmationQuestion)
      .Set(10, c.number)
      .Set(11, c.question)
      .Set(12, PushedCode(c.state))
      .Set(13, choice ? c.choice : std::string())
      .Set(14, text)
      .Line();
}

}  // namespace simbackend
