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
    case CloseScope::kToday:
      return "可平今";
    case CloseScope::kBeforeToday:
      return "可平昨";
    case CloseScope::kAny:
      break;
  }
  return "可平仓";
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
  o.state = "n";
  o.time = NowText();
  o.tradeCode = request.tradeCode;
  o.seat = request.seat;
  order.priceType = request.priceType;
  order.validity = request.validity;
  order.received = true;
  order.requestSequence = request.requestSequence;
  const double underlying = RoundPrice4(LastPrices()(UnderlyingOf(data_, request.contract)));
  order.frozen = FrozenAmounts(data_, order.order, request.lots, underlying);
  if (std::optional<Refused> refusal = CheckOrder(request, order)) return refusal;

  std::int64_t last = 0;
  for (const BookOrder& other : business_.orders)
    if (other.order.customer == request.customer) last = std::max(last, other.order.number);
  o.number = last + 1;
  business_.orders.push_back(order);
  UpdateWaitedFor();
  entered = order;
  progress = ProgressOf(data_, business_, business_.orders.size() - 1);
  return std::nullopt;
}

std::optional<Refused> TradingFloor::CheckOrder(const OrderRequest& request, const BookOrder& order) const {
  const Account& account = *data_.FindAccount(request.customer);
  const Contract& contract = data_.contracts[request.contract];
  if (request.openClose == "0") {
    if (accounts_.Status(account.customer) == kCloseOnlyStatus)
      return Refused{kNotTaken, "账户" + account.customer + "只能平仓，不能开仓！"};
  } else {
    const CloseScope scope = ScopeOf(data_, order.order);
    const std::int64_t free =
        FreeLots(data_, business_, DayLocked(account.customer).details, ClosedBy(order.order), scope);
    if (request.lots > free)
      return Refused{kNoPosition,
                     "持仓不足：合约" + contract.code + ClosableName(scope) + "手数为" + LotsText(free) + "！"};
  }
  const double needed = Fixed2(order.frozen.margin + order.frozen.fee + order.frozen.premium);
  const double available = Fixed2(FundsLocked(account).available);
  if (needed > available)
    return Refused{kNotEnoughFunds,
                   "可用资金不足：委托需要" + MoneyText(needed) + "元，可用资金" + MoneyText(available) + "元！"};
  return std::nullopt;
}

void TradingFloor::Take(const std::string& customer, std::int64_t number) {
  std::lock_guard lock(mutex_);
  const std::size_t index = FindOrder(business_, customer, number);
  if (index == business_.orders.size() || business_.orders[index].order.state != "n") return;
  BookOrder& order = business_.orders[index];
  order.order.state = "a";
  ++order.stateSequence;
  PushOrder(index, kOrderStatePush, "交易所已接受委托");
  Match(index);
  UpdateWaitedFor();
}

std::optional<Refused> TradingFloor::Cancel(const std::string& customer, std::int64_t number,
                                            const std::string& orderSeat, BookOrder& cancelled, OrderProgress& progress,
                                            std::string& push) {
  std::lock_guard lock(mutex_);
  const std::size_t index = FindOrder(business_, customer, number);
  if (index == business_.orders.size() || (!orderSeat.empty() && business_.orders[index].order.seat != orderSeat))
    return Refused{kNoSuchEntry, "委托单" + std::to_string(number) + "不存在！"};
  BookOrder& order = business_.orders[index];
  if (!IsWorkingState(order.order.state))
    return Refused{kAlreadyDone,
                   "委托单" + std::to_string(number) + "的状态是" + OrderStateText(order.order.state) + "，不能撤单！"};
  CancelWorking(index);
  cancelled = order;
  progress = ProgressOf(data_, business_, index);
  push = OrderPushLine(kOrderCancelPush, data_, order, progress, "撤单成功");
  UpdateWaitedFor();
  return std::nullopt;
}

void TradingFloor::MatchMoved(const std::vector<std::size_t>& contracts) {
  if (contracts.empty()) return;
  std::lock_guard lock(mutex_);
  for (std::size_t index = 0; index < business_.orders.size(); ++index)
    if (std::find(contracts.begin(), contracts.end(), business_.orders[index].order.contract) != contracts.end())
      Match(index);
  UpdateWaitedFor();
}

void TradingFloor::Match(std::size_t index) {
  const std::string& state = business_.orders[index].order.state;
  // Only orders that the exchange took meet the market.
  if (state != "a" && state != "p") return;
  const std::int64_t working = ProgressOf(data_, business_, index).working;
  const Crossing crossing = Cross(business_.orders[index], working,
                                  quotes_.QuoteOf(business_.orders[index].order.contract), fills_.mode, random_);
  for (const std::int64_t lots : crossing.fills) Fill(index, lots, crossing.price);
  if (crossing.cancelRest) CancelRest(index, "未成交部分已被交易所撤销");
}

void TradingFloor::Fill(std::size_t index, std::int64_t lots, std::int64_t price) {
  BookOrder& order = business_.orders[index];
  const std::int64_t before = ProgressOf(data_, business_, index).working;
  business_.trades.push_back({order.order.customer, index, ++lastDealNumber_, lots, price, NowText()});
  const std::int64_t after = before - lots;
  // The frozen amounts shrink with the lots still working, each rounded as
  // the terminal rounds what it keeps frozen.
  const auto shrink = [&](double frozen) {
    return after == 0 ? 0 : RoundMoney(RoundMoney(frozen) * static_cast<double>(after) / static_cast<double>(before));
  };
  order.frozen = {shrink(order.frozen.margin), shrink(order.frozen.fee), shrink(order.frozen.premium)};
  order.order.state = after == 0 ? "c" : "p";
  ++order.stateSequence;
  const OrderProgress progress = ProgressOf(data_, business_, index);
  const std::string message = "成交" + LotsText(lots);
  Publish(order.order.customer, {OrderPushLine(kOrderStatePush, data_, order, progress, message),
                                 TradePushLine(data_, order, progress, business_.trades.back(), TodayText(), message)});
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
  ++order.stateSequence;
}

void TradingFloor::PushOrder(std::size_t index, int code, const std::string& message) const {
  const BookOrder& order = business_.orders[index];
  Publish(order.order.customer, {OrderPushLine(code, data_, order, ProgressOf(data_, business_, index), message)});
}

void TradingFloor::UpdateWaitedFor() {
  std::set<std::size_t> contracts;
  for (const BookOrder& order : business_.orders)
    if (order.received && IsWorkingState(order.order.state)) contracts.insert(order.order.contract);
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

AccountDay TradingFloor::DayLocked(const std::string& customer) const {
  AccountDay day;
  std::string problem;
  // Every close was checked against the positions it closes when it came in.
  ReplayDay(data_, business_, customer, TodayText(), LastPrices(), day, problem);
  return day;
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
