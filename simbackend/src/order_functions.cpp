// Orders and their cancels: checked for form here, entered and followed by
// the trading floor (trading_floor.h), whose pushes follow the answers.
#include <algorithm>
#include <initializer_list>
#include <optional>

#include "functions.h"
#include "order_lines.h"
#include "record_kinds.h"

namespace simbackend {
namespace {

// 5011
constexpr std::size_t kExchangeParameter = 5;
constexpr std::size_t kContractParameter = 6;
constexpr std::size_t kBuySellParameter = 7;
constexpr std::size_t kOpenCloseParameter = 8;
constexpr std::size_t kHedgeParameter = 9;
constexpr std::size_t kLotsParameter = 10;
constexpr std::size_t kPriceParameter = 11;
constexpr std::size_t kTradeCodeParameter = 12;
constexpr std::size_t kSeatParameter = 13;
constexpr std::size_t kPriceTypeParameter = 14;
constexpr std::size_t kValidityParameter = 15;
constexpr std::size_t kKindParameter = 20;
// 5010
constexpr std::size_t kQueriedNumberParameter = 5;
constexpr std::size_t kQueriedSeatParameter = 6;
constexpr std::size_t kQueriedExchangeParameter = 7;
// 5012
constexpr std::size_t kOrderNumberParameter = 12;
constexpr std::size_t kCancelSeatParameter = 15;
constexpr std::size_t kOrderSeatParameter = 16;

constexpr std::int64_t kMaxLots = 99'999;
constexpr std::int64_t kMaxOrderNumber = 999'999'999;

// The order's codes and lots.
std::optional<Refused> ReadSides(const Request& request, TradingFloor::OrderRequest& order) {
  order.buySell = Parameter(request, kBuySellParameter);
  order.openClose = Parameter(request, kOpenCloseParameter);
  order.hedge = Parameter(request, kHedgeParameter);
  for (auto& bad :
       {BadCode("买卖方向", order.buySell, {"0", "1"}), BadCode("开平标志", order.openClose, {"0", "1", "2"}),
        BadCode("投机套保标志", order.hedge, {"0", "1"})})
    if (bad) return bad;
  const std::string& lots = Parameter(request, kLotsParameter);
  if (!ParseWholeNumber("", lots, 1, kMaxLots, order.lots).empty())
    return Refused{kBadParameter, "委托手数'" + lots + "'无效，应为1到" + std::to_string(kMaxLots) + "的整数！"};
  return std::nullopt;
}

// The order's kind: a plain order (also when empty) or the opening order of
// a profit/loss order.
std::optional<Refused> ReadKind(const Request& request, TradingFloor::OrderRequest& order) {
  const std::string& kind = Parameter(request, kKindParameter);
  order.kind = kind.empty() ? kPlainOrder : kind;
  return BadCode("委托类型", order.kind, {kPlainOrder, kProfitLossOrderKind});
}

// The order's price type and validity, which must make an order type of
// its exchange; empty ones stand for a limit order of the day.
std::optional<Refused> ReadOrderType(const BackendData& data, const Contract& contract, const Request& request,
                                     TradingFloor::OrderRequest& order) {
  const std::string& priceType = Parameter(request, kPriceTypeParameter);
  const std::string& validity = Parameter(request, kValidityParameter);
  order.priceType = priceType.empty() ? kLimitPrice : priceType;
  order.validity = validity.empty() ? kGoodForDay : validity;
  const bool listed = std::any_of(data.orderTypes.begin(), data.orderTypes.end(), [&](const OrderType& t) {
    return t.exchange == contract.exchange && t.code == order.priceType && t.attribute == order.validity;
  });
  if (listed) return std::nullopt;
  return Refused{kNotTaken, data.ExchangeOf(contract).name + "不接受价格类型为" + order.priceType + "、成交属性为" +
                                order.validity + "的委托！"};
}

// A limit order's price, on the tick grid within the price limits. A market
// order may fill up to the price limit in its direction, and is priced there.
std::optional<Refused> ReadPrice(const BackendData& data, const Contract& contract, const Request& request,
                                 TradingFloor::OrderRequest& order) {
  if (order.priceType != kLimitPrice) {
    order.price = order.buySell == "0" ? contract.upperLimit : contract.lowerLimit;
    return std::nullopt;
  }
  const std::string& price = Parameter(request, kPriceParameter);
  if (!ParsePrice("", price, data.VarietyOf(contract), order.price).empty())
    return Refused{kBadParameter, "委托价格'" + price + "'无效！"};
  if (order.price < contract.lowerLimit || order.price > contract.upperLimit)
    return Refused{kPriceBeyondLimits, "委托价格" + price + "超出涨跌停板（" +
                                           data.PriceText(contract, contract.lowerLimit) + "至" +
                                           data.PriceText(contract, contract.upperLimit) + "）！"};
  return std::nullopt;
}

// The answer's field 5 on: 5 customer, 6 order number, 7 contract, 8 state,
// 9 state text, 10 buy/sell, 11 lots, 12 lots filled, 13 average fill
// price, 14 cancel time, 15 exchange id, 16 order seat.
std::vector<std::string> CancelValues(const BackendData& data, const BookOrder& book, const OrderProgress& progress) {
  const DayOrder& o = book.order;
  const Contract& contract = data.contracts[o.contract];
  return {o.customer,
          std::to_string(o.number),
          contract.code,
          o.state,
          OrderStateText(o.state),
          o.buySell,
          std::to_string(o.lots),
          std::to_string(progress.filled),
          AveragePriceText(progress),
          o.cancelTime,
          data.ExchangeOf(contract).id,
          o.seat};
}

// The order number of a parameter, which may come padded with zeros.
std::optional<std::int64_t> OrderNumberOf(const std::string& text) {
  std::int64_t number = 0;
  if (!ParseWholeNumber("", text, 1, kMaxOrderNumber, number).empty()) return std::nullopt;
  return number;
}

}  // namespace

Answer Functions::OrderState(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  const std::string& numberText = Parameter(request, kQueriedNumberParameter);
  const std::optional<std::int64_t> number = OrderNumberOf(numberText);
  if (!number) return Refusal(request, kBadParameter, "委托单号'" + numberText + "'无效！");
  const std::string& seat = Parameter(request, kQueriedSeatParameter);
  const std::string& exchange = Parameter(request, kQueriedExchangeParameter);
  const std::optional<std::vector<std::string>> values =
      floor_.ReadBusiness([&](const DayBusiness& business) -> std::optional<std::vector<std::string>> {
        const std::size_t index = FindOrder(business, account->customer, *number);
        const bool found =
            index < business.orders.size() && (seat.empty() || business.orders[index].order.seat == seat) &&
            (exchange.empty() ||
             data_.FindExchange(exchange) == &data_.ExchangeOf(data_.contracts[business.orders[index].order.contract]));
        if (!found) return std::nullopt;
        const BookOrder& book = business.orders[index];
        const DayOrder& o = book.order;
        const OrderProgress progress = ProgressOf(data_, business, index);
        return std::vector<std::string>{std::to_string(o.number),
                                        o.seat,
                                        data_.ExchangeOf(data_.contracts[o.contract]).id,
                                        o.state,
                                        std::to_string(progress.filled),
                                        std::to_string(progress.working),
                                        OrderStateText(o.state),
                                        data_.contracts[o.contract].code,
                                        std::to_string(o.lots),
                                        o.cancelTime,
                                        std::to_string(book.stateSequence)};
      });
  if (!values) return Refusal(request, kNoSuchEntry, "委托单" + std::to_string(*number) + "不存在！");
  return OneLine(AcceptedLine(request, *values));
}

Answer Functions::SendOrder(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  floor_.CountRequest(account->customer, request.Sequence());
  const std::size_t index = FindContractOf(request, kExchangeParameter, kContractParameter, refusal);
  if (index == BackendData::kNoContract) return OneLine(std::move(refusal));
  const Contract& contract = data_.contracts[index];

  TradingFloor::OrderRequest order;
  order.customer = account->customer;
  order.contract = index;
  order.requestSequence = request.Sequence();
  std::optional<Refused> refused = ReadSides(request, order);
  if (!refused) refused = ReadKind(request, order);
  if (!refused) refused = ReadOrderType(data_, contract, request, order);
  if (!refused) refused = ReadPrice(data_, contract, request, order);
  if (refused) return Refusal(request, refused->code, refused->text);
  const TradeCode* code = TradeCodeOf(request, contract.exchange, order.hedge, Parameter(request, kTradeCodeParameter),
                                      Parameter(request, kSeatParameter), refusal);
  if (code == nullptr) return OneLine(std::move(refusal));
  if ((refused = CloseTodayRefused(contract, *code, order.openClose)))
    return Refusal(request, refused->code, refused->text);
  order.tradeCode = code->code;
  order.seat = code->seat;

  BookOrder entered;
  OrderProgress progress;
  if ((refused = floor_.Enter(order, entered, progress))) return Refusal(request, refused->code, refused->text);
  Answer answer = OneLine(AcceptedLine(request, OrderAnswerValues(data_, entered, progress)));
  answer.then = [this, customer = entered.order.customer, number = entered.order.number] {
    floor_.Take(customer, number);
  };
  return answer;
}

Answer Functions::CancelOrder(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  const std::string& numberText = Parameter(request, kOrderNumberParameter);
  const std::optional<std::int64_t> number = OrderNumberOf(numberText);
  if (!number) return Refusal(request, kBadParameter, "委托单号'" + numberText + "'无效！");
  const std::string& orderSeat = Parameter(request, kOrderSeatParameter).empty()
                                     ? Parameter(request, kCancelSeatParameter)
                                     : Parameter(request, kOrderSeatParameter);
  BookOrder cancelled;
  OrderProgress progress;
  std::string push;
  if (const std::optional<Refused> refused =
          floor_.Cancel(account->customer, *number, orderSeat, false, cancelled, progress, push))
    return Refusal(request, refused->code, refused->text);
  Answer answer = OneLine(AcceptedLine(request, CancelValues(data_, cancelled, progress)));
  answer.then = [this, customer = account->customer, push] {
    floor_.Publish(customer, {push});
    floor_.FollowStanding();
  };
  return answer;
}

std::optional<Refused> Functions::CloseTodayRefused(const Contract& contract, const TradeCode& code,
                                                    const std::string& openClose) const {
  if (openClose != "2" || data_.FindSeat(code.seat)->closeToday == "1") return std::nullopt;
  return Refused{kNotTaken, data_.ExchangeOf(contract).name + "不接受平今委托，请以平仓委托平仓！"};
}

const TradeCode* Functions::TradeCodeOf(const Request& request, std::size_t exchange, const std::string& hedge,
                                        const std::string& tradeCode, const std::string& seat,
                                        std::string& refusal) const {
  const std::string& customer = request.Field(kCustomerField);
  const std::string& exchangeName = data_.exchanges[exchange].name;
  const TradeCode* code = nullptr;
  if (tradeCode.empty()) {
    code = data_.TradeCodeFor(customer, exchange, hedge);
    if (code == nullptr) {
      refusal = RefusedLine(&request, kNotTaken, "客户" + customer + "在" + exchangeName + "没有可用的交易编码！");
      return nullptr;
    }
  } else {
    const auto found = std::find_if(data_.tradeCodes.begin(), data_.tradeCodes.end(), [&](const TradeCode& c) {
      return c.customer == customer && c.exchange == exchange && c.code == tradeCode;
    });
    if (found == data_.tradeCodes.end()) {
      refusal = RefusedLine(&request, kBadParameter,
                            "交易编码" + tradeCode + "不是客户" + customer + "在" + exchangeName + "的交易编码！");
      return nullptr;
    }
    if (!found->Takes(hedge)) {
      refusal = RefusedLine(&request, kNotTaken, "交易编码" + tradeCode + "不能做" + HedgeText(hedge) + "交易！");
      return nullptr;
    }
    code = &*found;
  }
  if (!seat.empty() && seat != code->seat) {
    refusal = RefusedLine(&request, kBadParameter, "席位" + seat + "不是交易编码" + code->code + "的席位！");
    return nullptr;
  }
  return code;
}

}  // namespace simbackend
