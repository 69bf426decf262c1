// Profit/loss and condition orders, and the answers to the condition orders'
// questions: checked for form here, kept and followed by the trading floor
// (trading_floor.h), whose pushes follow the answers.
#include <optional>
#include <utility>

#include "functions.h"
#include "record_kinds.h"

namespace simbackend {
namespace {

// 5473
constexpr std::size_t kOpeningNumberParameter = 5;
constexpr std::size_t kStopLossParameter = 6;
constexpr std::size_t kTakeProfitParameter = 7;
constexpr std::size_t kCloseMethodParameter = 8;
constexpr std::size_t kCloseDifferenceParameter = 9;
constexpr std::size_t kOpeningExchangeParameter = 11;
constexpr std::size_t kOpeningSeatParameter = 12;
constexpr std::size_t kPriceModeParameter = 13;
constexpr std::size_t kTriggerPriceCodeParameter = 14;
constexpr std::size_t kTriggerCountParameter = 15;
constexpr std::size_t kFloatingStopParameter = 16;
// 5477
constexpr std::size_t kContractParameter = 5;
constexpr std::size_t kExchangeParameter = 6;
constexpr std::size_t kSeatParameter = 7;
constexpr std::size_t kTradeCodeParameter = 8;
constexpr std::size_t kHedgeParameter = 9;
constexpr std::size_t kBuySellParameter = 10;
constexpr std::size_t kOpenCloseParameter = 11;
constexpr std::size_t kLotsParameter = 12;
constexpr std::size_t kPriceParameter = 13;
constexpr std::size_t kTriggerKindParameter = 14;
constexpr std::size_t kComparisonParameter = 15;
constexpr std::size_t kTriggerParameter = 16;
constexpr std::size_t kPriceTypeParameter = 17;
constexpr std::size_t kValidityParameter = 20;
constexpr std::size_t kGoOnParameter = 22;
constexpr std::size_t kAskFirstParameter = 23;
constexpr std::size_t kChoiceParameter = 24;
constexpr std::size_t kFirstCarriedParameter = 25;
constexpr std::size_t kSecondCarriedParameter = 26;
// 5482, 5483
constexpr std::size_t kConditionNumberParameter = 5;
constexpr std::size_t kQuestionParameter = 6;
constexpr std::size_t kReplyParameter = 7;

constexpr std::int64_t kMaxLots = 99'999;
constexpr std::int64_t kMaxTriggerCount = 99;
constexpr std::int64_t kMaxOrderNumber = 999'999'999;

// A price or distance of the variety in ticks; empty or zero: 0.
std::optional<std::int64_t> TicksOrNone(const std::string& text, const Variety& variety) {
  if (text.find_first_not_of("0.") == std::string::npos) return 0;
  std::int64_t ticks = 0;
  if (!ParsePrice("", text, variety, ticks).empty()) return std::nullopt;
  return ticks;
}

// A value of the profit/loss order in ticks, or its refusal.
std::optional<Refused> ReadTicks(const Request& request, std::size_t parameter, const Variety& variety,
                                 const std::string& what, std::int64_t& ticks) {
  const std::string& text = Parameter(request, parameter);
  const std::optional<std::int64_t> read = TicksOrNone(text, variety);
  if (!read) return Refused{kBadParameter, what + "'" + text + "'无效！"};
  ticks = *read;
  return std::nullopt;
}

// A code that may be empty, standing for `empty`.
std::optional<Refused> ReadCode(const Request& request, std::size_t parameter, const std::string& what,
                                const char* empty, std::initializer_list<const char*> codes, std::string& code) {
  code = Parameter(request, parameter).empty() ? empty : Parameter(request, parameter);
  return BadCode(what, code, codes);
}

}  // namespace

Answer Functions::PlaceProfitLoss(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  const std::string& numberText = Parameter(request, kOpeningNumberParameter);
  std::int64_t number = 0;
  if (!ParseWholeNumber("", numberText, 1, kMaxOrderNumber, number).empty())
    return Refusal(request, kBadParameter, "开仓委托号'" + numberText + "'无效！");
  const std::string& exchange = Parameter(request, kOpeningExchangeParameter);
  const std::string& seat = Parameter(request, kOpeningSeatParameter);
  // The opening order's index and contract.
  const std::optional<std::pair<std::size_t, std::size_t>> opened =
      floor_.ReadBusiness([&](const DayBusiness& business) -> std::optional<std::pair<std::size_t, std::size_t>> {
        const std::size_t index = FindOrder(business, account->customer, number);
        if (index == business.orders.size()) return std::nullopt;
        const DayOrder& o = business.orders[index].order;
        if ((!seat.empty() && o.seat != seat) ||
            data_.FindExchange(exchange) != &data_.ExchangeOf(data_.contracts[o.contract]))
          return std::nullopt;
        return std::pair{index, o.contract};
      });
  if (!opened) return Refusal(request, kNoSuchEntry, "开仓委托" + std::to_string(number) + "不存在！");
  const auto [opening, contract] = *opened;

  const Variety& variety = data_.VarietyOf(data_.contracts[contract]);
  ProfitLossOrder order;
  order.customer = account->customer;
  order.opening = opening;
  std::optional<Refused> refused = ReadTicks(request, kStopLossParameter, variety, "止损价", order.stopLoss);
  if (!refused) refused = ReadTicks(request, kTakeProfitParameter, variety, "止盈价", order.takeProfit);
  if (!refused) refused = ReadTicks(request, kCloseDifferenceParameter, variety, "平仓价差", order.closeDifference);
  if (!refused) refused = ReadTicks(request, kFloatingStopParameter, variety, "浮动止损", order.floatingStop);
  if (!refused) refused = ReadCode(request, kCloseMethodParameter, "平仓方式", "0", {"0", "1", "2"}, order.closeMethod);
  if (!refused) refused = ReadCode(request, kPriceModeParameter, "价格方式", "0", {"0", "1"}, order.priceMode);
  if (!refused)
    refused = ReadCode(request, kTriggerPriceCodeParameter, "触发价格", "0", {"0", "1"}, order.triggerPrice);
  if (refused) return Refusal(request, refused->code, refused->text);
  const std::string count =
      Parameter(request, kTriggerCountParameter).empty() ? "1" : Parameter(request, kTriggerCountParameter);
  if (!ParseWholeNumber("", count, 1, kMaxTriggerCount, order.triggerCount).empty())
    return Refusal(request, kBadParameter, "触发次数'" + count + "'无效！");
  if (order.stopLoss == 0 && order.takeProfit == 0 && order.floatingStop == 0)
    return Refusal(request, kBadParameter, "止损、止盈和浮动止损不能都为空！");

  std::vector<std::string> values;
  if ((refused = floor_.AddProfitLoss(std::move(order), values))) return Refusal(request, refused->code, refused->text);
  Answer answer = OneLine(AcceptedLine(request, values));
  answer.then = [this] { floor_.FollowStanding(); };
  return answer;
}

Answer Functions::PlaceCondition(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  const std::size_t index = FindContractOf(request, kExchangeParameter, kContractParameter, refusal);
  if (index == BackendData::kNoContract) return OneLine(std::move(refusal));
  const Contract& contract = data_.contracts[index];
  const Variety& variety = data_.VarietyOf(contract);

  ConditionOrder order;
  order.customer = account->customer;
  order.contract = index;
  std::string ignored;
  std::string goOn;
  std::optional<Refused> refused = ReadCode(request, kBuySellParameter, "买卖方向", "", {"0", "1"}, order.buySell);
  if (!refused) refused = ReadCode(request, kOpenCloseParameter, "开平标志", "", {"0", "1", "2"}, order.openClose);
  if (!refused) refused = ReadCode(request, kHedgeParameter, "投机套保标志", "", {"0", "1"}, order.hedge);
  if (!refused)
    refused = ReadCode(request, kTriggerKindParameter, "触发价格", "0", {"0", "1", "2"}, order.triggerPrice);
  if (!refused) refused = ReadCode(request, kComparisonParameter, "触发条件", "", {">=", "<="}, order.comparison);
  if (!refused) refused = ReadCode(request, kPriceTypeParameter, "价格类型", "0", {"0"}, ignored);
  if (!refused) refused = ReadCode(request, kValidityParameter, "成交属性", "0", {"0"}, ignored);
  if (!refused) refused = ReadCode(request, kGoOnParameter, "条件满足确认", "0", {"0", "1"}, goOn);
  if (!refused) refused = ReadCode(request, kAskFirstParameter, "触发确认", "0", {"0", "1"}, order.askFirst);
  if (!refused) refused = ReadCode(request, kChoiceParameter, "拒绝处理", "1", {"1", "2"}, order.choice);
  if (refused) return Refusal(request, refused->code, refused->text);
  const std::string& lots = Parameter(request, kLotsParameter);
  if (!ParseWholeNumber("", lots, 1, kMaxLots, order.lots).empty())
    return Refusal(request, kBadParameter,
                   "委托手数'" + lots + "'无效，应为1到" + std::to_string(kMaxLots) + "的整数！");
  for (const auto& [parameter, ticks] :
       {std::pair{kPriceParameter, &order.price}, std::pair{kTriggerParameter, &order.trigger}}) {
    const std::string& text = Parameter(request, parameter);
    if (!ParsePrice("", text, variety, *ticks).empty() || *ticks < contract.lowerLimit || *ticks > contract.upperLimit)
      return Refusal(request, kBadParameter,
                     "价格'" + text + "'无效，应在涨跌停板（" + data_.PriceText(contract, contract.lowerLimit) + "至" +
                         data_.PriceText(contract, contract.upperLimit) + "）以内！");
  }
  const TradeCode* code = TradeCodeOf(request, contract.exchange, order.hedge, Parameter(request, kTradeCodeParameter),
                                      Parameter(request, kSeatParameter), refusal);
  if (code == nullptr) return OneLine(std::move(refusal));
  if ((refused = CloseTodayRefused(contract, *code, order.openClose)))
    return Refusal(request, refused->code, refused->text);
  order.tradeCode = code->code;
  order.seat = code->seat;
  order.carried[0] = Parameter(request, kFirstCarriedParameter);
  order.carried[1] = Parameter(request, kSecondCarriedParameter);

  std::vector<std::string> values;
  if ((refused = floor_.AddCondition(std::move(order), goOn == "1", values)))
    return Refusal(request, refused->code, refused->text);
  Answer answer = OneLine(AcceptedLine(request, values));
  answer.then = [this] { floor_.FollowStanding(); };
  return answer;
}

Answer Functions::ConfirmCondition(const Request& request, Session&) { return AnswerQuestion(request, 1); }

Answer Functions::ChooseConditionAction(const Request& request, Session&) { return AnswerQuestion(request, 2); }

Answer Functions::AnswerQuestion(const Request& request, int kind) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  const std::string& number = Parameter(request, kConditionNumberParameter);
  const std::string& question = Parameter(request, kQuestionParameter);
  const std::string& reply = Parameter(request, kReplyParameter);
  if (const std::optional<Refused> refused = floor_.AnswerQuestion(account->customer, number, question, kind, reply))
    return Refusal(request, refused->code, refused->text);
  Answer answer = OneLine(AcceptedLine(request, {number, question, reply}));
  answer.then = [this] { floor_.FollowStanding(); };
  return answer;
}

}  // namespace simbackend
