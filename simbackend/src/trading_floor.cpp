#include "trading_floor.h"

#include <algorithm>

#include "day_clock.h"
#include "fill_rules.h"
#include "free_lots.h"
#include "order_lines.h"

namespace simbackend {
namespace {

constexpr const char* kCloseOnlyStatus = "4";

std::string LotsText(std::int64_t lots) { return std::to_string(lots) + "手"; }

// What a close of that scope is called.
std::string ClosableName(CloseScope scope) {
  switch (scope) {
    case CloseScope::kToday: return "可平今";
    case CloseScope::kBeforeToday: return "可平昨";
    case CloseScope::kAny: break;
  }
  return "可平仓";
}

// The frozen amounts shrink with the lots still working, each rounded as
// the terminal rounds what it keeps frozen.
void ShrinkFrozen(PerLot& frozen, std::int64_t before, std::int64_t after) {
  const auto shrink = [&](double amount) {
    return after == 0 ? 0 : RoundMoney(RoundMoney(amount) * static_cast<double>(after) / static_cast<double>(before));
  };
  frozen = {shrink(frozen.margin), shrink(frozen.fee), shrink(frozen.premium)};
}

// Whether the seat's exercise instructions ("1" exercise only, "2" abandon
// only, "3" both) take an application of that type.
bool InstructionTaken(const std::string& instructions, const std::string& type) {
  return instructions == "3" || instructions == type;
}

}  // namespace

TradingFloor::TradingFloor(const BackendData& data, QuoteFeed& quotes, const AccountBook& accounts, FillBehaviour fills,
                           PushSink push)
    : data_(data),
      quotes_(quotes),
      accounts_(accounts),
      push_(std::move(push)),
      business_(OpeningBusiness(data)),
      fills_(fills),
      random_(fills.seed) {
  // Fill numbers go on from the highest deal number of the data.
  for (const PositionDetail& position : data.positions)
    lastDealNumber_ = std::max(lastDealNumber_, position.dealNumber);
  for (const DayTrade& trade : data.trades) lastDealNumber_ = std::max(lastDealNumber_, trade.dealNumber);
  // Each account's day is kept from the start, as a back end keeps its book:
  // an account's first request costs what changed since, not its whole day.
  for (const Account& account : data.accounts)
    if (account.kind == AccountKind::kTrading) DayLocked(account.customer);
}

void TradingFloor::SetFillBehaviour(FillBehaviour fills) {
  std::lock_guard lock(mutex_);
  fills_ = fills;
  random_.seed(fills.seed);
}

void TradingFloor::CountRequest(const std::string& customer, const std::string& requestSequence) {
  std::lock_guard lock(mutex_);
  ++requestCounts_[{customer, requestSequence}];
}

std::optional<Refused> TradingFloor::Enter(const OrderRequest& request, BookOrder& entered, OrderProgress& progress) {
  std::lock_guard lock(mutex_);
  BookOrder order;
  DayOrder& o = order.order;
  o.customer = request.customer;
  o.contract = request.contract;
  o.buySell = request.buySell;
  o.openClose = request.openClose;
  o.hedge = request.hedge;
  o.lots = request.lots;
  o.price = request.price;
  o.tradeCode = request.tradeCode;
  o.seat = request.seat;
  order.priceType = request.priceType;
  order.validity = request.validity;
  order.kind = request.kind;
  order.strategy = request.strategy;
  order.secondLeg = request.secondLeg;
  order.received = true;
  order.requestSequence = request.requestSequence;
  std::size_t index = 0;
  if (std::optional<Refused> refusal = EnterLocked(std::move(order), index)) return refusal;
  entered = business_.orders[index];
  progress = ProgressOf(data_, business_, index);
  return std::nullopt;
}

std::optional<Refused> TradingFloor::EnterLocked(BookOrder order, std::size_t& index) {
  DayOrder& o = order.order;
  o.state = "n";
  o.time = NowText();
  const PriceSource last = LastPrices();
  for (const OrderLeg& leg : LegsOf(order)) {
    DayOrder legOrder = o;
    legOrder.contract = leg.contract;
    legOrder.buySell = leg.buySell;
    if (order.IsSpecial()) legOrder.price = quotes_.QuoteOf(leg.contract).last;
    PerLot frozen = FrozenAmounts(data_, legOrder, o.lots, RoundPrice4(last(UnderlyingOf(data_, leg.contract))));
    frozen.margin = Fixed2(MarginFactor(leg.number) * frozen.margin);
    FrozenOf(order, leg.number) = frozen;
  }
  if (std::optional<Refused> refusal = CheckOrder(order)) return refusal;

  std::int64_t lastNumber = 0;
  for (const BookOrder& other : business_.orders)
    if (other.order.customer == o.customer) lastNumber = std::max(lastNumber, other.order.number);
  o.number = lastNumber + 1;
  business_.orders.push_back(std::move(order));
  index = business_.orders.size() - 1;
  UpdateWaitedFor();
  return std::nullopt;
}

std::optional<Refused> TradingFloor::CheckOrder(const BookOrder& order) const {
  const Account& account = *data_.FindAccount(order.order.customer);
  double needed = 0;
  for (const OrderLeg& leg : LegsOf(order)) {
    const PerLot& frozen = FrozenOf(order, leg.number);
    needed += frozen.margin + frozen.fee + frozen.premium;
    if (order.order.openClose == "0") continue;
    DayOrder closing = order.order;
    closing.contract = leg.contract;
    closing.buySell = leg.buySell;
    const CloseScope scope = ScopeOf(data_, closing);
    const std::int64_t free = FreeLots(data_, business_, DayLocked(account.customer).details, ClosedBy(closing), scope);
    if (order.order.lots > free)
      return Refused{kNoPosition, "持仓不足：合约" + data_.contracts[leg.contract].code + ClosableName(scope) +
                                      "手数为" + LotsText(free) + "！"};
  }
  if (order.order.openClose == "0" && accounts_.Status(account.customer) == kCloseOnlyStatus)
    return Refused{kNotTaken, "账户" + account.customer + "只能平仓，不能开仓！"};
  needed = Fixed2(needed);
  const double available = Fixed2(FundsLocked(account).available);
  if (needed > available)
    return Refused{kNotEnoughFunds,
                   "可用资金不足：委托需要" + MoneyText(needed) + "元，可用资金" + MoneyText(available) + "元！"};
  return std::nullopt;
}

void TradingFloor::Take(const std::string& customer, std::int64_t number) {
  std::lock_guard lock(mutex_);
  const std::size_t index = FindOrder(business_, customer, number);
  if (index == business_.orders.size()) return;
  TakeLocked(index);
  FollowStandingLocked();
  UpdateWaitedFor();
}

void TradingFloor::TakeLocked(std::size_t index) {
  BookOrder& order = business_.orders[index];
  if (order.order.state != "n") return;
  order.order.state = "a";
  ++order.stateSequence;
  PushOrder(index, kOrderStatePush, "交易所已接受委托");
  Match(index);
  UpdateWaitedFor();
}

std::optional<Refused> TradingFloor::Cancel(const std::string& customer, std::int64_t number,
                                            const std::string& orderSeat, bool special, BookOrder& cancelled,
                                            OrderProgress& progress, std::string& push) {
  std::lock_guard lock(mutex_);
  const std::size_t index = FindOrder(business_, customer, number);
  if (index == business_.orders.size() || (!orderSeat.empty() && business_.orders[index].order.seat != orderSeat))
    return Refused{kNoSuchEntry, "委托单" + std::to_string(number) + "不存在！"};
  BookOrder& order = business_.orders[index];
  if (order.IsSpecial() != special)
    return Refused{kNotTaken,
                   "委托单" + std::to_string(number) + (special ? "不是套利委托！" : "是套利委托，不能这样撤单！")};
  if (!IsWorkingState(order.order.state))
    return Refused{kAlreadyDone,
                   "委托单" + std::to_string(number) + "的状态是" + OrderStateText(order.order.state) + "，不能撤单！"};
  CancelWorking(index);
  cancelled = order;
  progress = ProgressOf(data_, business_, index);
  push = ChangeLine(index, kOrderCancelPush, "撤单成功");
  UpdateWaitedFor();
  return std::nullopt;
}

void TradingFloor::MatchMoved(const std::vector<std::size_t>& contracts) {
  if (contracts.empty()) return;
  std::lock_guard lock(mutex_);
  const auto moved = [&](std::size_t contract) {
    return std::find(contracts.begin(), contracts.end(), contract) != contracts.end();
  };
  for (std::size_t index = 0; index < business_.orders.size(); ++index) {
    const std::vector<OrderLeg> legs = LegsOf(business_.orders[index]);
    if (std::any_of(legs.begin(), legs.end(), [&](const OrderLeg& leg) { return moved(leg.contract); })) Match(index);
  }
  WatchPrices(contracts);
  FollowStandingLocked();
  UpdateWaitedFor();
}

void TradingFloor::Match(std::size_t index) {
  const std::string& state = business_.orders[index].order.state;
  // Only orders that the exchange took meet the market.
  if (state != "a" && state != "p") return;
  if (business_.orders[index].IsSpecial()) return MatchSpecial(index);
  const std::int64_t working = ProgressOf(data_, business_, index).working;
  const Crossing crossing = Cross(business_.orders[index], working,
                                  quotes_.QuoteOf(business_.orders[index].order.contract), fills_.mode, random_);
  for (const std::int64_t lots : crossing.fills) Fill(index, lots, crossing.price);
  if (crossing.cancelRest) CancelRest(index, "未成交部分已被交易所撤销");
}

void TradingFloor::MatchSpecial(std::size_t index) {
  const BookOrder& order = business_.orders[index];
  const bool buy = order.order.buySell == "0";
  const Quote first = quotes_.QuoteOf(order.order.contract);
  const Quote second = quotes_.QuoteOf(order.secondLeg);
  // Buying the combination buys the first leg at its best offer and sells
  // the second at its best bid; selling it does the opposite.
  const BookLevel& firstLevel = buy ? first.asks[0] : first.bids[0];
  const BookLevel& secondLevel = buy ? second.bids[0] : second.asks[0];
  Quote combination;
  BookLevel& other = buy ? combination.asks[0] : combination.bids[0];
  other.price = firstLevel.price - secondLevel.price;
  other.volume = std::min(firstLevel.volume, secondLevel.volume);
  const std::int64_t working = ProgressOf(data_, business_, index).working;
  const Crossing crossing = Cross(order, working, combination, fills_.mode, random_);
  for (const std::int64_t lots : crossing.fills) FillSpecial(index, lots, firstLevel.price, secondLevel.price);
}

void TradingFloor::Fill(std::size_t index, std::int64_t lots, std::int64_t price) {
  BookOrder& order = business_.orders[index];
  const std::int64_t before = ProgressOf(data_, business_, index).working;
  AddTrade(business_, {order.order.customer, index, ++lastDealNumber_, lots, price, NowText()});
  const std::int64_t after = before - lots;
  ShrinkFrozen(order.frozen, before, after);
  order.order.state = after == 0 ? "c" : "p";
  ++order.stateSequence;
  const OrderProgress progress = ProgressOf(data_, business_, index);
  const std::string message = "成交" + LotsText(lots);
  Publish(order.order.customer, {OrderPushLine(kOrderStatePush, data_, order, progress, message),
                                 TradePushLine(data_, order, progress, business_.trades.back(), TodayText(), message)});
}

void TradingFloor::FillSpecial(std::size_t index, std::int64_t lots, std::int64_t firstPrice,
                               std::int64_t secondPrice) {
  BookOrder& order = business_.orders[index];
  const std::int64_t before = ProgressOf(data_, business_, index).working;
  const std::string time = NowText();
  AddTrade(business_, {order.order.customer, index, ++lastDealNumber_, lots, firstPrice, time, 1});
  AddTrade(business_, {order.order.customer, index, ++lastDealNumber_, lots, secondPrice, time, 2});
  const std::int64_t after = before - lots;
  ShrinkFrozen(order.frozen, before, after);
  ShrinkFrozen(order.secondFrozen, before, after);
  order.order.state = after == 0 ? "c" : "p";
  ++order.stateSequence;
  const OrderProgress progress = ProgressOf(data_, business_, index);
  const std::string message = "成交" + LotsText(lots);
  // The fills of both legs first, then the order's new state: a trade push
  // finds the order as it stood before the fill.
  const std::size_t firstTrade = business_.trades.size() - 2;
  Publish(order.order.customer,
          {TradePushLine(data_, order, progress, business_.trades[firstTrade], TodayText(), message),
           TradePushLine(data_, order, progress, business_.trades[firstTrade + 1], TodayText(), message),
           SpecialOrderPushLine(kSpecialStatePush, data_, order, progress, message)});
}

void TradingFloor::CancelRest(std::size_t index, const std::string& message) {
  if (!IsWorkingState(business_.orders[index].order.state)) return;
  CancelWorking(index);
  PushOrder(index, kOrderCancelPush, message);
}

void TradingFloor::CancelWorking(std::size_t index) {
  BookOrder& order = business_.orders[index];
  order.order.state = ProgressOf(data_, business_, index).filled > 0 ? "b" : "d";
  order.order.cancelTime = NowText();
  order.frozen = {};
  order.secondFrozen = {};
  ++order.stateSequence;
}

std::string TradingFloor::ChangeLine(std::size_t index, int code, const std::string& message) const {
  const BookOrder& order = business_.orders[index];
  const OrderProgress progress = ProgressOf(data_, business_, index);
  if (!order.IsSpecial()) return OrderPushLine(code, data_, order, progress, message);
  return SpecialOrderPushLine(code == kOrderStatePush ? kSpecialOrderPush : kSpecialStatePush, data_, order, progress,
                              message);
}

void TradingFloor::PushOrder(std::size_t index, int code, const std::string& message) const {
  Publish(business_.orders[index].order.customer, {ChangeLine(index, code, message)});
}

void TradingFloor::UpdateWaitedFor() {
  std::set<std::size_t> contracts;
  for (const BookOrder& order : business_.orders)
    if (order.received && IsWorkingState(order.order.state))
      for (const OrderLeg& leg : LegsOf(order)) contracts.insert(leg.contract);
  for (const ProfitLossOrder& order : business_.profitLossOrders)
    if (order.state == ProfitLossOrder::State::kWaiting || order.state == ProfitLossOrder::State::kWatching)
      contracts.insert(business_.orders[order.opening].order.contract);
  for (const ConditionOrder& order : business_.conditionOrders)
    if (order.state != ConditionOrder::State::kSent && order.state != ConditionOrder::State::kCancelled)
      contracts.insert(order.contract);
  if (contracts == waitedFor_) return;
  waitedFor_ = std::move(contracts);
  quotes_.SetWaitedFor({waitedFor_.begin(), waitedFor_.end()});
}

std::optional<Refused> TradingFloor::Apply(ExerciseApplication application, Backing backing,
                                           ExerciseApplication& entered, std::string& push) {
  std::lock_guard lock(mutex_);
  const bool exercise = application.type == "1";
  const std::string instruction = exercise ? "执行" : "放弃执行";
  if (!InstructionTaken(data_.ExerciseInstructions(application.orderSeat), application.type))
    return Refused{kNotTaken, "席位" + application.orderSeat + "不接受" + instruction + "申请！"};
  if (backing == Backing::kHeldNow) {
    const PositionKey position{application.customer,
                               data_.FindContract(application.exchange, application.contract),
                               "0",
                               application.hedge,
                               application.tradingCode,
                               application.orderSeat};
    const std::int64_t free =
        FreeLots(data_, business_, DayLocked(application.customer).details, position, CloseScope::kAny);
    if (application.lots > free)
      return Refused{kNoPosition,
                     "合约" + application.contract + "可申请" + instruction + "的买入持仓为" + LotsText(free) + "！"};
  }
  application.number = std::to_string(++lastApplicationNumber_);
  application.state = "a";
  application.tradingDate = TodayText();
  application.orderTime = NowText();
  business_.exercises.push_back(application);
  entered = application;
  push = ExercisePushLine(kExerciseStatePush, application, instruction + "申请已报入");
  return std::nullopt;
}

std::optional<Refused> TradingFloor::CancelApplication(const std::string& customer, const std::string& number,
                                                       const std::string& exchange, ExerciseApplication& cancelled,
                                                       std::string& push) {
  std::lock_guard lock(mutex_);
  const auto found =
      std::find_if(business_.exercises.begin(), business_.exercises.end(), [&](const ExerciseApplication& a) {
        return a.customer == customer && a.number == number && a.exchange == exchange;
      });
  if (found == business_.exercises.end()) return Refused{kNoSuchEntry, "期权执行申请" + number + "不存在！"};
  if (found->state == "d") return Refused{kAlreadyDone, "期权执行申请" + number + "已经撤销！"};
  found->state = "d";
  found->cancelTime = NowText();
  cancelled = *found;
  push = ExercisePushLine(kExerciseCancelPush, cancelled, "撤销申请成功");
  return std::nullopt;
}

void TradingFloor::Publish(const std::string& customer, const std::vector<std::string>& lines) const {
  if (push_) push_(customer, lines);
}

DayBusiness TradingFloor::Business() const {
  std::lock_guard lock(mutex_);
  return business_;
}

PriceSource TradingFloor::LastPrices() const {
  return [this](std::size_t contract) { return PriceValue(data_, contract, quotes_.QuoteOf(contract).last); };
}

Funds TradingFloor::FundsOf(const Account& account) const {
  std::lock_guard lock(mutex_);
  return FundsLocked(account);
}

AccountDay TradingFloor::DayOf(const std::string& customer) const {
  std::lock_guard lock(mutex_);
  return DayLocked(customer);
}

const AccountDay& TradingFloor::DayLocked(const std::string& customer) const {
  ReplayedDay& replayed = replayedDays_[customer];
  const PriceSource last = LastPrices();
  const std::string today = TodayText();
  const bool moved = std::any_of(replayed.pricesTaken.begin(), replayed.pricesTaken.end(),
                                 [&](const auto& taken) { return last(taken.first) != taken.second; });
  const PriceSource taking = [&](std::size_t contract) { return replayed.pricesTaken[contract] = last(contract); };
  // Every close was checked against the positions it closes when it came in.
  std::string problem;
  if (replayed.tradingDay != today || moved) {
    replayed.tradingDay = today;
    replayed.pricesTaken.clear();
    replayed.stopped = !ReplayDay(data_, business_, customer, today, taking, replayed.day, problem);
  } else {
    for (std::size_t trade = replayed.trades; trade < business_.trades.size() && !replayed.stopped; ++trade)
      if (business_.trades[trade].customer == customer)
        replayed.stopped =
            !ReplayTrade(data_, business_, business_.trades[trade], today, taking, replayed.day, problem);
  }
  replayed.trades = business_.trades.size();
  return replayed.day;
}

Funds TradingFloor::FundsLocked(const Account& account) const {
  const std::string today = TodayText();
  double deposits = 0;
  double withdrawals = 0;
  for (const MoneyEntry& entry : accounts_.MoneyHistory(account.customer, today, today, std::nullopt))
    (entry.direction == MoneyDirection::kDeposit ? deposits : withdrawals) += static_cast<double>(entry.cents) / 100;
  return ComputeFunds(data_, account, business_, DayLocked(account.customer), LastPrices(), deposits, withdrawals,
                      data_.FloatingProfitAvailable());
}

}  // namespace simbackend
