#include "combination_orders.h"

#include "record_kinds.h"

namespace simbackend {
namespace {

constexpr std::int64_t kMaxLots = 99'999;
constexpr std::int64_t kMaxOrderNumber = 999'999'999;
// "DS" buys the combination only.
constexpr const char* kBuyOnlyStrategy = "DS";

// A price of the variety's tick grid that may be 0 or below.
std::optional<std::int64_t> SignedTicks(const std::string& text, const Variety& variety) {
  if (text == "0") return 0;
  const bool below = !text.empty() && text.front() == '-';
  std::int64_t ticks = 0;
  if (!ParsePrice("", below ? text.substr(1) : text, variety, ticks).empty()) return std::nullopt;
  return below ? -ticks : ticks;
}

// A futures contract of the exchange; a refusal line when there is none.
std::optional<Refused> FindLeg(const BackendData& data, const Exchange& exchange, const std::string& code,
                               std::size_t& contract) {
  contract = data.FindContract(exchange.code, code);
  if (contract == BackendData::kNoContract) return Refused{kNoSuchContract, "合约" + code + "不存在！"};
  if (data.contracts[contract].kind != ContractKind::kFutures)
    return Refused{kBadParameter, "套利委托的合约" + code + "不是期货！"};
  return std::nullopt;
}

}  // namespace

std::optional<Refused> ReadSpecialOrder(const BackendData& data, const std::string& customer,
                                        const SpecialOrder& fields, TradingFloor::OrderRequest& order) {
  const Account* account = data.FindAccount(customer);
  if (account == nullptr || account->kind != AccountKind::kTrading)
    return Refused{kWrongRole, "'" + customer + "'不是交易账号！"};
  const Exchange* exchange = data.FindExchange(fields.exchange);
  if (exchange == nullptr) return Refused{kBadParameter, "交易所'" + fields.exchange + "'不存在！"};
  const auto exchangeIndex = static_cast<std::size_t>(exchange - data.exchanges.data());
  if (data.FindStrategy(exchangeIndex, fields.strategy) == nullptr)
    return Refused{kNotTaken, exchange->name + "没有套利策略" + fields.strategy + "！"};
  for (auto bad : {BadCode("买卖方向", fields.buySell, {"0", "1"}), BadCode("开平标志", fields.openClose, {"0", "1"}),
                   BadCode("投机套保标志", fields.hedge, {"0", "1"})})
    if (bad) return bad;
  if (fields.strategy == kBuyOnlyStrategy && fields.buySell != "0")
    return Refused{kNotTaken, std::string("套利策略") + kBuyOnlyStrategy + "只能买入！"};
  if (std::optional<Refused> refused = FindLeg(data, *exchange, fields.firstLeg, order.contract)) return refused;
  if (std::optional<Refused> refused = FindLeg(data, *exchange, fields.secondLeg, order.secondLeg)) return refused;
  const Contract& first = data.contracts[order.contract];
  if (order.secondLeg == order.contract || data.contracts[order.secondLeg].variety != first.variety)
    return Refused{kBadParameter, "套利委托的两腿应是同一品种的不同合约！"};
  if (!ParseWholeNumber("", fields.lots, 1, kMaxLots, order.lots).empty())
    return Refused{kBadParameter, "委托手数'" + fields.lots + "'无效，应为1到" + std::to_string(kMaxLots) + "的整数！"};
  const std::optional<std::int64_t> price = SignedTicks(fields.price, data.VarietyOf(first));
  if (!price) return Refused{kBadParameter, "套利价格'" + fields.price + "'无效！"};
  const TradeCode* code = data.TradeCodeFor(customer, exchangeIndex, fields.hedge);
  if (code == nullptr) return Refused{kNotTaken, "客户" + customer + "在" + exchange->name + "没有可用的交易编码！"};
  if (data.FindSeat(code->seat)->combination != "1")
    return Refused{kNotTaken, "席位" + code->seat + "不接受套利委托！"};
  order.customer = customer;
  order.strategy = fields.strategy;
  order.buySell = fields.buySell;
  order.openClose = fields.openClose;
  order.hedge = fields.hedge;
  order.price = *price;
  order.tradeCode = code->code;
  order.seat = code->seat;
  return std::nullopt;
}

std::optional<std::string> PlaceSpecialOrder(const BackendData& data, TradingFloor& floor, const std::string& customer,
                                             const SpecialOrder& order, std::string& refusal) {
  TradingFloor::OrderRequest request;
  std::optional<Refused> refused = ReadSpecialOrder(data, customer, order, request);
  BookOrder entered;
  OrderProgress progress;
  if (!refused) refused = floor.Enter(request, entered, progress);
  if (refused) {
    refusal = refused->text;
    return std::nullopt;
  }
  floor.Take(entered.order.customer, entered.order.number);
  return std::to_string(entered.order.number);
}

bool CancelSpecialOrder(TradingFloor& floor, const std::string& customer, std::string_view number,
                        std::string& refusal) {
  std::int64_t value = 0;
  const std::string text(number);
  if (!ParseWholeNumber("", text, 1, kMaxOrderNumber, value).empty()) {
    refusal = "委托单号'" + text + "'无效！";
    return false;
  }
  BookOrder cancelled;
  OrderProgress progress;
  std::string push;
  if (const std::optional<Refused> refused = floor.Cancel(customer, value, "", true, cancelled, progress, push)) {
    refusal = refused->text;
    return false;
  }
  floor.Publish(customer, {push});
  return true;
}

}  // namespace simbackend
