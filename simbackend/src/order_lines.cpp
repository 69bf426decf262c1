#include "order_lines.h"

#include <cstdio>
#include <map>

#include "numbered_fields.h"
#include "per_lot.h"

namespace simbackend {
namespace {

// Field 41 of the order pushes, its release flag: a state push (15002,
// 15008) makes the terminal release what the order froze when the flag is
// set, a cancel push (15004, 15009) when it is clear.
constexpr const char* kFlagClear = "0";
constexpr const char* kFlagSet = "1";

std::string TextOf(const std::map<std::string, std::string>& texts, const std::string& code) {
  const auto found = texts.find(code);
  return found == texts.end() ? std::string() : found->second;
}

// The order's number, exchange, contract, state, codes with their texts,
// lots, price, lots filled and average fill price: seventeen fields from
// `first` on, in the same order in the order answer and the order push.
void SetOrderFields(NumberedFields& fields, std::size_t first, const BackendData& data, const DayOrder& o,
                    const OrderProgress& progress) {
  const Contract& contract = data.contracts[o.contract];
  const Exchange& exchange = data.ExchangeOf(contract);
  const std::string values[] = {std::to_string(o.number),
                                exchange.id,
                                exchange.name,
                                contract.code,
                                contract.name,
                                o.state,
                                OrderStateText(o.state),
                                o.buySell,
                                BuySellText(o.buySell),
                                o.openClose,
                                OpenCloseText(o.openClose),
                                o.hedge,
                                HedgeText(o.hedge),
                                std::to_string(o.lots),
                                data.PriceText(contract, o.price),
                                std::to_string(progress.filled),
                                AveragePriceText(progress)};
  for (std::size_t index = 0; index < std::size(values); ++index) fields.Set(first + index, values[index]);
}

}  // namespace

std::string OrderStateText(const std::string& state) {
  static const std::map<std::string, std::string> kTexts = {
      {"n", "等待发出"}, {"a", "已经报入"}, {"p", "部分成交"}, {"c", "全部成交"}, {"f", "等待撤除"},
      {"d", "已经撤销"}, {"q", "场内拒绝"}, {"m", "主机撤单"}, {"e", "错误委托"}, {"b", "部成部撤"},
      {"g", "撤单发出"}, {"s", "正在申报"}, {"t", "等待触发"}};
  return TextOf(kTexts, state);
}

std::string BuySellText(const std::string& code) { return TextOf({{"0", "买入"}, {"1", "卖出"}}, code); }
std::string OpenCloseText(const std::string& code) {
  return TextOf({{"0", "开仓"}, {"1", "平仓"}, {"2", "平今"}}, code);
}
std::string HedgeText(const std::string& code) { return TextOf({{"0", "投机"}, {"1", "保值"}}, code); }

std::string AveragePriceText(const OrderProgress& progress) {
  if (progress.filled == 0) return "0";
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", progress.filledValue / static_cast<double>(progress.filled));
  std::string shown = text;
  shown.erase(shown.find_last_not_of('0') + 1);
  if (shown.back() == '.') shown.pop_back();
  return shown;
}

std::vector<std::string> OrderAnswerValues(const BackendData& data, const BookOrder& book,
                                           const OrderProgress& progress) {
  const DayOrder& o = book.order;
  const std::string number = std::to_string(o.number);
  NumberedFields fields(47);
  SetOrderFields(fields, 5, data, o, progress);
  return fields.Set(22, o.customer)
      .Set(23, number)
      .Set(24, o.tradeCode)
      .Set(26, o.time)
      .Set(27, o.time)
      .Set(30, o.cancelTime)
      .Set(31, book.kind)
      .Set(32, o.seat)
      .Set(34, o.seat)
      .Set(36, book.priceType)
      .Set(37, book.validity)
      .Set(43, MoneyText(book.frozen.margin))
      .Set(44, MoneyText(book.frozen.fee))
      .Set(47, MoneyText(book.frozen.premium))
      .From(5);
}

std::string OrderPushLine(int code, const BackendData& data, const BookOrder& book, const OrderProgress& progress,
                          const std::string& message) {
  const DayOrder& o = book.order;
  NumberedFields fields = PushHead(code, 42);
  SetOrderFields(fields.Set(8, o.customer), 9, data, o, progress);
  return fields.Set(26, o.time)
      .Set(27, o.tradeCode)
      .Set(28, std::to_string(o.number))
      .Set(31, o.time)
      .Set(34, o.cancelTime)
      .Set(35, book.priceType)
      .Set(36, o.seat)
      .Set(37, book.validity)
      .Set(39, std::to_string(book.stateSequence))
      .Set(40, message)
      .Set(41, kFlagClear)
      .Set(42, o.seat)
      .Line();
}

std::string SpecialOrderPushLine(int code, const BackendData& data, const BookOrder& book,
                                 const OrderProgress& progress, const std::string& message) {
  const DayOrder& o = book.order;
  const Contract& first = data.contracts[o.contract];
  const Exchange& exchange = data.ExchangeOf(first);
  // The special order push of the order taken releases nothing; its state
  // push releases what the order still froze once it no longer works.
  const bool holdBack = code == kSpecialStatePush && IsWorkingState(o.state);
  return PushHead(code, 41)
      .Set(8, o.customer)
      .Set(9, std::to_string(o.number))
      .Set(10, o.state)
      .Set(11, std::to_string(book.stateSequence))
      .Set(12, book.strategy)
      .Set(13, CombinationCode(data, book))
      .Set(14, exchange.id)
      .Set(15, exchange.name)
      .Set(16, o.seat)
      .Set(17, o.buySell)
      .Set(18, o.openClose)
      .Set(19, o.hedge)
      .Set(20, std::to_string(o.lots))
      .Set(21, o.time)
      .Set(22, o.time)
      .Set(23, o.cancelTime)
      .Set(24, OrderStateText(o.state))
      .Set(25, data.PriceText(first, o.price))
      .Set(26, std::to_string(progress.filled))
      .Set(27, AveragePriceText(progress))
      .Set(28, o.tradeCode)
      .Set(29, first.code)
      .Set(30, data.contracts[book.secondLeg].code)
      .Set(40, message)
      .Set(41, holdBack ? kFlagSet : kFlagClear)
      .Line();
}

std::string TradePushLine(const BackendData& data, const BookOrder& book, const OrderProgress& progress,
                          const DayTrade& trade, const std::string& tradingDay, const std::string& message) {
  const DayOrder& o = book.order;
  const OrderLeg leg = LegOf(book, trade.leg);
  const Contract& contract = data.contracts[leg.contract];
  const double turnover = data.Price(contract, trade.price) * static_cast<double>(trade.lots) *
                          static_cast<double>(data.VarietyOf(contract).multiplier);
  NumberedFields fields = PushHead(kTradePush, book.IsSpecial() ? 46 : 37);
  fields.Set(8, o.customer)
      .Set(9, data.ExchangeOf(contract).id)
      .Set(10, tradingDay)
      .Set(11, std::to_string(o.number))
      .Set(12, o.state)
      .Set(13, OrderStateText(o.state))
      .Set(14, contract.code)
      .Set(15, contract.name)
      .Set(16, leg.buySell)
      .Set(17, BuySellText(leg.buySell))
      .Set(18, o.openClose)
      .Set(19, OpenCloseText(o.openClose))
      .Set(20, o.hedge)
      .Set(21, HedgeText(o.hedge))
      .Set(22, std::to_string(trade.lots))
      .Set(23, std::to_string(progress.working))
      .Set(24, data.PriceText(contract, trade.price))
      .Set(25, AveragePriceText(progress))
      .Set(26, MoneyText(turnover))
      .Set(27, o.tradeCode)
      .Set(28, std::to_string(o.number))
      .Set(29, std::to_string(trade.dealNumber))
      .Set(30, contract.period)
      .Set(31, trade.time)
      .Set(32, o.seat)
      .Set(35, std::to_string(book.stateSequence))
      .Set(36, message)
      .Set(37, o.seat);
  // A special order's fill tells the combinations filled and still working.
  if (book.IsSpecial())
    fields.Set(44, std::to_string(progress.filled))
        .Set(45, std::to_string(progress.working))
        .Set(46, AveragePriceText(progress));
  return fields.Line();
}

std::string ExercisePushLine(int code, const ExerciseApplication& a, const std::string& message) {
  return PushHead(code, 42)
      .Set(8, a.customer)
      .Set(9, a.number)
      .Set(10, a.exchange)
      .Set(11, a.contract)
      .Set(12, a.state)
      .Set(13, a.buySell)
      .Set(14, a.hedge)
      .Set(15, std::to_string(a.lots))
      .Set(16, a.tradingCode)
      .Set(25, a.cancelTime)
      .Set(28, std::to_string(a.StateSequence()))
      .Set(29, message)
      .Set(31, a.orderSeat)
      .Set(42, a.type)
      .Line();
}

}  // namespace simbackend
