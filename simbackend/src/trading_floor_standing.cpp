// The profit/loss and condition orders that stand at the trading floor.
#include <algorithm>
#include <cmath>

#include "day_clock.h"
#include "platform/gbk.h"
#include "standing_lines.h"
#include "trading_floor.h"

namespace simbackend {
namespace {

using PlState = ProfitLossOrder::State;
using CondState = ConditionOrder::State;

// The terminal keeps a profit/loss order's message in 32 bytes.
constexpr std::size_t kMaxMessage = 31;
// Kinds of the condition orders' questions.
constexpr int kConfirmation = 1;
constexpr int kChoice = 2;
constexpr const char* kAbortRetryIgnore = "2";

std::string Message(const std::string& text) { return text.substr(0, platform::GbkFitLength(text, kMaxMessage)); }

std::string Opposite(const std::string& buySell) { return buySell == "0" ? "1" : "0"; }

}  // namespace

std::optional<Refused> TradingFloor::AddProfitLoss(ProfitLossOrder order, std::vector<std::string>& answer) {
  std::lock_guard lock(mutex_);
  const BookOrder& opening = business_.orders[order.opening];
  const std::string number = std::to_string(opening.order.number);
  if (opening.order.openClose != "0" || opening.IsSpecial())
    return Refused{kNotTaken, "委托单" + number + "不是开仓委托，不能下盈损单！"};
  if (std::any_of(business_.profitLossOrders.begin(), business_.profitLossOrders.end(),
                  [&](const ProfitLossOrder& p) { return p.opening == order.opening; }))
    return Refused{kAlreadyDone, "开仓委托" + number + "已有盈损单！"};
  if (!IsWorkingState(opening.order.state) && ProgressOf(data_, business_, order.opening).filled == 0)
    return Refused{kAlreadyDone, "开仓委托" + number + "没有成交，不能下盈损单！"};
  order.number = std::to_string(++lastProfitLossNumber_);
  order.state = PlState::kWaiting;
  order.time = NowText();
  order.message = "盈损单已报入";
  business_.profitLossOrders.push_back(std::move(order));
  answer = ProfitLossAnswerValues(data_, business_, business_.profitLossOrders.back());
  return std::nullopt;
}

std::optional<Refused> TradingFloor::AddCondition(ConditionOrder order, bool goOnThoughMet,
                                                  std::vector<std::string>& answer) {
  std::lock_guard lock(mutex_);
  if (ConditionMet(order) && !goOnThoughMet) {
    answer = ConditionAnswerValues(data_, business_, order, true);
    return std::nullopt;
  }
  order.number = std::to_string(++lastConditionNumber_);
  order.state = CondState::kWaiting;
  order.time = NowText();
  business_.conditionOrders.push_back(std::move(order));
  answer = ConditionAnswerValues(data_, business_, business_.conditionOrders.back(), false);
  UpdateWaitedFor();
  return std::nullopt;
}

std::optional<Refused> TradingFloor::AnswerQuestion(const std::string& customer, const std::string& number,
                                                    const std::string& question, int kind, const std::string& answer) {
  std::lock_guard lock(mutex_);
  const auto found =
      std::find_if(business_.conditionOrders.begin(), business_.conditionOrders.end(),
                   [&](const ConditionOrder& c) { return c.customer == customer && c.number == number; });
  if (found == business_.conditionOrders.end()) return Refused{kNoSuchEntry, "条件单" + number + "不存在！"};
  ConditionOrder& order = *found;
  if (order.state != CondState::kAsking || order.question != question || order.questionKind != kind)
    return Refused{kAlreadyDone, "条件单" + number + "没有待回答的问题" + question + "！"};
  const bool ignorable = order.choice == kAbortRetryIgnore;
  std::optional<CondState> next;
  if (kind == kConfirmation) {
    if (answer == "1") next = CondState::kConfirmed;
    if (answer == "0") next = CondState::kDeclined;
  } else {
    if (answer == "0") next = CondState::kConfirmed;
    if (answer == "2") next = CondState::kDeclined;
    if (answer == "1" && ignorable) next = CondState::kIgnored;
  }
  if (!next) return Refused{kBadParameter, "条件单" + number + "的答复'" + answer + "'无效！"};
  order.state = *next;
  order.question.clear();
  return std::nullopt;
}

void TradingFloor::FollowStanding() {
  std::lock_guard lock(mutex_);
  FollowStandingLocked();
  UpdateWaitedFor();
}

void TradingFloor::FollowStandingLocked() {
  // Sending an order appends to the orders, never to the standing orders.
  for (ProfitLossOrder& order : business_.profitLossOrders) FollowProfitLoss(order);
  for (ConditionOrder& order : business_.conditionOrders) FollowCondition(order);
}

void TradingFloor::FollowProfitLoss(ProfitLossOrder& p) {
  if (p.state != PlState::kWaiting) return;
  const BookOrder& opening = business_.orders[p.opening];
  const OrderProgress progress = ProgressOf(data_, business_, p.opening);
  if (progress.filled == 0) {
    if (IsWorkingState(opening.order.state)) return;
    p.state = PlState::kDeleted;
    p.message = "开仓委托没有成交";
    return PushState(p);
  }
  // Distances count from the average price of the opening fills.
  const Variety& variety = data_.VarietyOf(data_.contracts[opening.order.contract]);
  const auto open = static_cast<std::int64_t>(
      std::llround(progress.filledValue / static_cast<double>(progress.filled) / variety.tick));
  const bool bought = opening.order.buySell == "0";
  const auto from = [&](std::int64_t distance, bool below) {
    if (distance == 0) return std::int64_t{0};
    return below ? open - distance : open + distance;
  };
  const bool distances = p.priceMode == "1";
  p.stopPrice = distances ? from(p.stopLoss, bought) : p.stopLoss;
  p.takePrice = distances ? from(p.takeProfit, !bought) : p.takeProfit;
  p.best = open;
  p.state = PlState::kWatching;
  p.message = "开仓已成交，开始监控";
  PushState(p);
}

void TradingFloor::WatchPrices(const std::vector<std::size_t>& contracts) {
  for (ProfitLossOrder& p : business_.profitLossOrders) {
    if (p.state != PlState::kWatching) continue;
    const DayOrder& opening = business_.orders[p.opening].order;
    if (std::find(contracts.begin(), contracts.end(), opening.contract) == contracts.end()) continue;
    const Quote quote = quotes_.QuoteOf(opening.contract);
    const bool bought = opening.buySell == "0";
    // A bought position closes by selling: its price is the best bid.
    const BookLevel& closing = bought ? quote.bids[0] : quote.asks[0];
    const std::int64_t price = p.triggerPrice == "0" ? quote.last : closing.volume > 0 ? closing.price : 0;
    if (price == 0) continue;
    if (p.floatingStop > 0) {
      p.best = bought ? std::max(p.best, price) : std::min(p.best, price);
      const std::int64_t trailing = bought ? p.best - p.floatingStop : p.best + p.floatingStop;
      p.stopPrice = p.stopPrice == 0 ? trailing
                    : bought         ? std::max(p.stopPrice, trailing)
                                     : std::min(p.stopPrice, trailing);
    }
    const bool stop = p.stopPrice != 0 && (bought ? price <= p.stopPrice : price >= p.stopPrice);
    const bool take = p.takePrice != 0 && (bought ? price >= p.takePrice : price <= p.takePrice);
    if (!stop && !take) {
      p.metInARow = 0;
      continue;
    }
    if (++p.metInARow >= p.triggerCount) CloseGuarded(p, stop ? PlState::kStopLoss : PlState::kTakeProfit);
  }
}

void TradingFloor::CloseGuarded(ProfitLossOrder& p, PlState trigger) {
  // A copy: entering the close adds to the orders.
  const BookOrder opening = business_.orders[p.opening];
  const Contract& contract = data_.contracts[opening.order.contract];
  const Quote quote = quotes_.QuoteOf(opening.order.contract);
  BookOrder closing;
  DayOrder& o = closing.order;
  o.customer = p.customer;
  o.contract = opening.order.contract;
  o.buySell = Opposite(opening.order.buySell);
  // The guarded lots were opened today: where the seat wants closes
  // explicit, they close as today's.
  o.openClose = data_.FindSeat(opening.order.seat)->closeToday == "1" ? "2" : "1";
  o.hedge = opening.order.hedge;
  o.lots = ProgressOf(data_, business_, p.opening).filled;
  o.tradeCode = opening.order.tradeCode;
  o.seat = opening.order.seat;
  closing.kind = kProfitLossOrderKind;
  closing.received = true;
  const bool sell = o.buySell == "1";
  const std::int64_t limit = sell ? contract.lowerLimit : contract.upperLimit;
  const bool marketTaken = std::any_of(data_.orderTypes.begin(), data_.orderTypes.end(), [&](const OrderType& t) {
    return t.exchange == contract.exchange && t.code == kMarketPrice && t.attribute == kFillAndKill;
  });
  if (p.closeMethod == "0") {
    // At the market: a market order where the exchange takes one, else a
    // limit at the price limit, which fills at the best price there is.
    o.price = limit;
    if (marketTaken) {
      closing.priceType = kMarketPrice;
      closing.validity = kFillAndKill;
    }
  } else {
    const BookLevel& other = sell ? quote.bids[0] : quote.asks[0];
    const std::int64_t base = p.closeMethod == "1" && other.volume > 0 ? other.price : quote.last;
    o.price = std::clamp(sell ? base - p.closeDifference : base + p.closeDifference, contract.lowerLimit,
                         contract.upperLimit);
  }
  p.triggerTime = NowText();
  std::size_t index = 0;
  if (const std::optional<Refused> refused = EnterLocked(std::move(closing), index)) {
    p.state = PlState::kFailed;
    p.message = Message(refused->text);
    return PushState(p);
  }
  p.closing = index;
  p.state = trigger;
  p.message = trigger == PlState::kStopLoss ? "止损条件满足，已平仓" : "止盈条件满足，已平仓";
  PushState(p);
  TakeLocked(index);
}

void TradingFloor::FollowCondition(ConditionOrder& c) {
  switch (c.state) {
    case CondState::kWaiting: {
      const bool met = ConditionMet(c);
      // After an ignored refusal the condition must pass before it counts again.
      if (c.waitsForChange) {
        c.waitsForChange = met;
        return;
      }
      if (!met) return;
      c.triggerTime = NowText();
      if (c.askFirst == "1") return Ask(c, kConfirmation, "条件单" + c.number + "的触发条件已满足，是否发出委托？");
      return SendCondition(c);
    }
    case CondState::kConfirmed: return SendCondition(c);
    case CondState::kDeclined:
      c.state = CondState::kCancelled;
      c.message = "客户取消";
      return PushState(c);
    case CondState::kIgnored:
      c.state = CondState::kWaiting;
      c.waitsForChange = true;
      c.message = "客户忽略，等待再次触发";
      return PushState(c);
    case CondState::kAsking:
    case CondState::kSent:
    case CondState::kCancelled: return;
  }
}

void TradingFloor::SendCondition(ConditionOrder& c) {
  BookOrder order;
  DayOrder& o = order.order;
  o.customer = c.customer;
  o.contract = c.contract;
  o.buySell = c.buySell;
  o.openClose = c.openClose;
  o.hedge = c.hedge;
  o.lots = c.lots;
  o.price = c.price;
  o.tradeCode = c.tradeCode;
  o.seat = c.seat;
  order.kind = kConditionOrderKind;
  order.received = true;
  std::size_t index = 0;
  if (const std::optional<Refused> refused = EnterLocked(std::move(order), index)) {
    c.message = refused->text;
    const char* offered = c.choice == kAbortRetryIgnore ? "中止、重试还是忽略？" : "重试还是取消？";
    return Ask(c, kChoice, "条件单" + c.number + "的委托被拒绝：" + refused->text + offered);
  }
  c.order = index;
  c.state = CondState::kSent;
  c.message = "委托已发出";
  PushState(c);
  TakeLocked(index);
}

void TradingFloor::Ask(ConditionOrder& c, int kind, const std::string& text) {
  c.state = CondState::kAsking;
  c.question = std::to_string(++lastQuestionNumber_);
  c.questionKind = kind;
  Publish(c.customer, {ConditionQuestionLine(c, text)});
}

bool TradingFloor::ConditionMet(const ConditionOrder& c) const {
  const Quote quote = quotes_.QuoteOf(c.contract);
  const BookLevel& level = c.triggerPrice == "1" ? quote.bids[0] : quote.asks[0];
  const std::int64_t price = c.triggerPrice == "0" ? quote.last : level.volume > 0 ? level.price : 0;
  if (price == 0) return false;
  return c.comparison == ">=" ? price >= c.trigger : price <= c.trigger;
}

void TradingFloor::PushState(const ProfitLossOrder& order) const {
  Publish(order.customer, {ProfitLossPushLine(business_, order)});
}

void TradingFloor::PushState(const ConditionOrder& order) const {
  Publish(order.customer, {ConditionStatePushLine(business_, order)});
}

}  // namespace simbackend
