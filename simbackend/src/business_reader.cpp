#include "business_reader.h"

#include <algorithm>
#include <map>
#include <set>

#include "record_kinds.h"

namespace simbackend {
namespace {

constexpr std::size_t kMaxTradeCode = 15;
constexpr std::int64_t kMaxLots = 99'999;
constexpr std::int64_t kMaxNumber = 999'999'999;

// Order states whose orders were (partly) cancelled and carry a cancel time.
bool IsCancelledState(const std::string& state) { return state == "d" || state == "b" || state == "m"; }

class BusinessReader {
 public:
  explicit BusinessReader(BackendData& data) : data_(data) {}

  // In the order they must be taken: what the later ones refer to first.
  std::vector<std::vector<RecordKind>> Passes() {
    return {
        {{"funds", 3, [this](const DataRecord& r) { return TakeFunds(r); }},
         {"tradecode", 5, [this](const DataRecord& r) { return TakeTradeCode(r); }}},
        {{"position", 9, [this](const DataRecord& r) { return TakePosition(r); }},
         {"order", 12, [this](const DataRecord& r) { return TakeOrder(r); }}},
        {{"trade", 6, [this](const DataRecord& r) { return TakeTrade(r); }}},
    };
  }

  // Each order's state fits the lots its trades filled.
  bool CheckFills(const std::string& path, std::string& error) const {
    std::vector<std::int64_t> filled(data_.orders.size(), 0);
    for (const DayTrade& trade : data_.trades) filled[trade.order] += trade.lots;
    for (std::size_t index = 0; index < data_.orders.size(); ++index) {
      const DayOrder& order = data_.orders[index];
      const bool fits = order.state == "c"                         ? filled[index] == order.lots
                        : order.state == "p" || order.state == "b" ? filled[index] > 0 && filled[index] < order.lots
                                                                   : filled[index] == 0;
      if (!fits) {
        error = LineError(path, orderLines_.at(index),
                          "the state '" + order.state + "' does not fit the " + std::to_string(filled[index]) + " of " +
                              std::to_string(order.lots) + " lots its trades filled");
        return false;
      }
    }
    return true;
  }

 private:
  // funds|customer|balance of the previous day|credit|
  std::string TakeFunds(const DataRecord& r) {
    Account* account = nullptr;
    std::int64_t balance = 0;
    std::int64_t credit = 0;
    if (std::string problem =
            FirstProblem({FindTrader(r.values[0], account), ParseAmount("the balance", r.values[1], balance),
                          ParseAmount("the credit", r.values[2], credit)});
        !problem.empty())
      return problem;
    if (!fundsGiven_.insert(account->customer).second) return "the funds of '" + account->customer + "' appear twice";
    account->yesterdayBalance = balance;
    account->credit = credit;
    return {};
  }

  // tradecode|customer|exchange|trade code|seat|type|
  std::string TakeTradeCode(const DataRecord& r) {
    Account* account = nullptr;
    TradeCode code{r.values[0], 0, r.values[2], r.values[3], r.values[4]};
    if (std::string problem =
            FirstProblem({FindTrader(code.customer, account), FindExchange(r.values[1], code.exchange),
                          CheckText("the trade code", code.code, kMaxTradeCode, true),
                          CheckChoice("the trade code type", code.type, {"0", "1", "2", "3"})});
        !problem.empty())
      return problem;
    const Seat* seat = data_.FindSeat(code.seat);
    if (seat == nullptr || seat->exchange != code.exchange)
      return "the seat '" + Printable(code.seat) + "' is no seat of '" + r.values[1] + "'";
    data_.tradeCodes.push_back(std::move(code));
    return {};
  }

  // position|customer|exchange|contract|buy/sell|hedge|lots|open price|open date|deal number|
  std::string TakePosition(const DataRecord& r) {
    const std::vector<std::string>& v = r.values;
    PositionDetail position{v[0], 0, v[3], v[4], 0, 0, v[7], 0, {}, {}};
    Account* account = nullptr;
    if (std::string problem = FirstProblem(
            {FindTrader(position.customer, account), FindContract(v[1], v[2], position.contract),
             CheckChoice("the buy/sell code", position.buySell, {"0", "1"}),
             CheckChoice("the hedge code", position.hedge, {"0", "1"}),
             ParseWholeNumber("the lots", v[5], 1, kMaxLots, position.lots), CheckDate("the open date", v[7]),
             ParseWholeNumber("the deal number", v[8], 1, kMaxNumber, position.dealNumber)});
        !problem.empty())
      return problem;
    const Contract& contract = data_.contracts[position.contract];
    if (std::string problem = FirstProblem(
            {ParsePrice("the open price", v[6], data_.VarietyOf(contract), position.openPrice),
             NewDealNumber(position.customer, position.dealNumber),
             AssignTradeCode(position.customer, contract.exchange, position.hedge, position.tradeCode, position.seat)});
        !problem.empty())
      return problem;
    data_.positions.push_back(std::move(position));
    return {};
  }

  // order|customer|order number|exchange|contract|buy/sell|open/close|hedge|lots|price|state|time|cancel time|
  std::string TakeOrder(const DataRecord& r) {
    const std::vector<std::string>& v = r.values;
    DayOrder order{v[0], 0, 0, v[4], v[5], v[6], 0, 0, v[9], v[10], v[11], {}, {}};
    Account* account = nullptr;
    if (std::string problem = FirstProblem(
            {FindTrader(order.customer, account),
             ParseWholeNumber("the order number", v[1], 1, kMaxNumber, order.number),
             FindContract(v[2], v[3], order.contract), CheckChoice("the buy/sell code", order.buySell, {"0", "1"}),
             CheckChoice("the open/close code", order.openClose, {"0", "1", "2"}),
             CheckChoice("the hedge code", order.hedge, {"0", "1"}),
             ParseWholeNumber("the lots", v[7], 1, kMaxLots, order.lots),
             CheckChoice("the order state", order.state,
                         {"n", "a", "p", "c", "f", "d", "q", "m", "e", "b", "g", "s", "t"}),
             CheckTime("the order time", order.time)});
        !problem.empty())
      return problem;
    const Contract& contract = data_.contracts[order.contract];
    if (std::string problem = FirstProblem(
            {ParsePrice("the price", v[8], data_.VarietyOf(contract), order.price),
             IsCancelledState(order.state) ? CheckTime("the cancel time", order.cancelTime)
             : order.cancelTime.empty()    ? ""
                                           : "only a cancelled order has a cancel time",
             AssignTradeCode(order.customer, contract.exchange, order.hedge, order.tradeCode, order.seat)});
        !problem.empty())
      return problem;
    if (order.price < contract.lowerLimit || order.price > contract.upperLimit)
      return "the price " + v[8] + " is beyond the limits of '" + contract.code + "'";
    if (!orderIndex_.emplace(std::pair{order.customer, order.number}, data_.orders.size()).second)
      return "order " + v[1] + " of '" + order.customer + "' appears twice";
    orderLines_.emplace(data_.orders.size(), r.line);
    data_.orders.push_back(std::move(order));
    return {};
  }

  // trade|customer|order number|deal number|lots|price|time|
  std::string TakeTrade(const DataRecord& r) {
    const std::vector<std::string>& v = r.values;
    DayTrade trade{v[0], 0, 0, 0, 0, v[5]};
    Account* account = nullptr;
    std::int64_t number = 0;
    if (std::string problem = FirstProblem(
            {FindTrader(trade.customer, account), ParseWholeNumber("the order number", v[1], 1, kMaxNumber, number),
             ParseWholeNumber("the deal number", v[2], 1, kMaxNumber, trade.dealNumber),
             ParseWholeNumber("the lots", v[3], 1, kMaxLots, trade.lots), CheckTime("the time", trade.time)});
        !problem.empty())
      return problem;
    trade.order = FindOrder(trade.customer, number);
    if (trade.order == kNone) return "order " + v[1] + " of '" + trade.customer + "' is not listed";
    const DayOrder& order = data_.orders[trade.order];
    const Contract& contract = data_.contracts[order.contract];
    if (std::string problem = FirstProblem({ParsePrice("the price", v[4], data_.VarietyOf(contract), trade.price),
                                            NewDealNumber(trade.customer, trade.dealNumber)});
        !problem.empty())
      return problem;
    // A limit order fills at its price or better, never before it was placed.
    if (order.buySell == "0" ? trade.price > order.price : trade.price < order.price)
      return "the price " + v[4] + " is worse than the order's limit";
    if (trade.time < order.time) return "the trade is earlier than its order";
    data_.trades.push_back(std::move(trade));
    return {};
  }

  // The deal numbers of an account's positions and trades are all different.
  std::string NewDealNumber(const std::string& customer, std::int64_t number) {
    if (!dealNumbers_[customer].insert(number).second)
      return "deal number " + std::to_string(number) + " of '" + customer + "' appears twice";
    return {};
  }

  std::string AssignTradeCode(const std::string& customer, std::size_t exchange, const std::string& hedge,
                              std::string& code, std::string& seat) const {
    const TradeCode* found = data_.TradeCodeFor(customer, exchange, hedge);
    if (found == nullptr)
      return "'" + customer + "' has no trade code at '" + data_.exchanges[exchange].code + "' for hedge code " + hedge;
    code = found->code;
    seat = found->seat;
    return {};
  }

  std::size_t FindOrder(const std::string& customer, std::int64_t number) const {
    const auto found = orderIndex_.find(std::pair{customer, number});
    return found == orderIndex_.end() ? kNone : found->second;
  }

  std::string FindTrader(const std::string& customer, Account*& account) {
    const auto found = std::find_if(data_.accounts.begin(), data_.accounts.end(),
                                    [&](const Account& a) { return a.customer == customer; });
    if (found == data_.accounts.end() || found->kind != AccountKind::kTrading)
      return "'" + Printable(customer) + "' is not a trading account";
    account = &*found;
    return {};
  }

  std::string FindExchange(const std::string& code, std::size_t& index) const {
    const Exchange* exchange = data_.FindExchange(code);
    if (exchange == nullptr || exchange->code != code) return "the exchange '" + Printable(code) + "' is not known";
    index = static_cast<std::size_t>(exchange - data_.exchanges.data());
    return {};
  }

  std::string FindContract(const std::string& exchange, const std::string& code, std::size_t& index) const {
    std::size_t ignored = 0;
    if (std::string problem = FindExchange(exchange, ignored); !problem.empty()) return problem;
    index = data_.FindContract(exchange, code);
    if (index == BackendData::kNoContract)
      return "the contract '" + Printable(code) + "' is not listed at '" + exchange + "'";
    return {};
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  BackendData& data_;
  std::set<std::string> fundsGiven_;
  std::map<std::string, std::set<std::int64_t>> dealNumbers_;               // by customer
  std::map<std::size_t, std::size_t> orderLines_;                           // line by order index
  std::map<std::pair<std::string, std::int64_t>, std::size_t> orderIndex_;  // by customer and order number
};

}  // namespace

bool TakeBusiness(const std::string& path, const std::vector<DataRecord>& records, BackendData& data,
                  std::string& error) {
  BusinessReader reader(data);
  for (const std::vector<RecordKind>& pass : reader.Passes()) {
    std::vector<DataRecord> taken;
    std::copy_if(records.begin(), records.end(), std::back_inserter(taken), [&](const DataRecord& record) {
      return std::any_of(pass.begin(), pass.end(), [&](const RecordKind& kind) { return record.key == kind.key; });
    });
    if (!TakeRecords(path, taken, pass, error)) return false;
  }
  return reader.CheckFills(path, error);
}

}  // namespace simbackend
