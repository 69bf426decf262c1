// What the terminal's engine downloads of each account: trade codes, funds,
// orders, exercise applications, positions and trades. The field layouts are
// told in functions.h.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "account_day.h"
#include "functions.h"
#include "order_lines.h"
#include "record_kinds.h"

namespace simbackend {
namespace {

// 5134 and 5246
constexpr std::size_t kOrderNumberParameter = 5;
constexpr std::size_t kOrderExchangeParameter = 6;
constexpr std::size_t kOrderSeatParameter = 7;
// 5003
constexpr std::size_t kFirstDayParameter = 5;
constexpr std::size_t kLastDayParameter = 6;

constexpr const char* kOrdinaryPosition = "ordinary";
constexpr const char* kNormalTradeCode = "0";
constexpr const char* kCurrency = "CNY";

// True when the selector is empty or names the same number.
bool NumberSelected(const std::string& selector, std::int64_t number) {
  return selector.empty() || std::atoll(selector.c_str()) == number;
}

bool ExchangeSelected(const BackendData& data, const std::string& selector, std::size_t exchange) {
  return selector.empty() || data.FindExchange(selector) == &data.exchanges[exchange];
}

std::vector<std::string> FundValues(const Funds& f) {
  const auto risk = [](double ratio) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", ratio);
    return std::string(text);
  };
  return {"",
          MoneyText(f.yesterdayBalance),
          MoneyText(f.buyFrozen),
          MoneyText(f.sellFrozen),
          MoneyText(f.buyMargin),
          MoneyText(f.sellMargin),
          MoneyText(f.depositsToday),
          MoneyText(f.withdrawalsToday),
          MoneyText(f.available),
          MoneyText(f.equity),
          risk(f.RiskRatio()),
          f.RiskRatio() >= 1 ? "2" : "0",
          MoneyText(f.fees),
          MoneyText(f.floatingProfit),
          MoneyText(f.closingProfit),
          MoneyText(f.yesterdayBalance + f.MoneyToday()),
          MoneyText(0),
          MoneyText(f.MoneyToday()),
          MoneyText(f.frozenFee),
          MoneyText(f.TotalFrozen()),
          MoneyText(f.TotalMargin()),
          MoneyText(0),
          MoneyText(0),
          MoneyText(f.credit),
          kCurrency,
          risk(f.RiskRatio()),
          MoneyText(f.premiumOut),
          MoneyText(f.premiumIn),
          MoneyText(f.frozenPremium),
          MoneyText(f.optionValue),
          MoneyText(f.optionFloatingMargin)};
}

}  // namespace

const Account* Functions::Trader(const Request& request, std::string& refusal) const {
  const Account* account = data_.FindAccount(request.Field(kCustomerField));
  if (account == nullptr || account->kind != AccountKind::kTrading) {
    refusal = RefusedLine(&request, kWrongRole, "管理账号没有交易数据，请查询它的交易账号！");
    return nullptr;
  }
  return account;
}

Answer Functions::TradeCodes(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  std::vector<std::vector<std::string>> rows;
  for (const TradeCode& code : data_.tradeCodes)
    if (code.customer == account->customer)
      rows.push_back(
          {code.customer, data_.exchanges[code.exchange].id, code.code, code.type, code.seat, kNormalTradeCode});
  return RowsAnswer(request, rows);
}

Answer Functions::FundsQuery(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  return OneLine(AcceptedLine(request, FundValues(floor_.FundsOf(*account))));
}

Answer Functions::PositionDetails(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  std::vector<std::vector<std::string>> rows;
  for (const PositionDetail& position : data_.positions) {
    if (position.customer != account->customer) continue;
    const HeldDetail d = PreOpenDetail(data_, position);
    const Contract& contract = data_.contracts[d.contract];
    const Variety& variety = data_.VarietyOf(contract);
    rows.push_back(FieldValues(4, 25)
                       .Set(4, d.openDate)
                       .Set(5, d.openDate)
                       .Set(6, std::to_string(d.dealNumber))
                       .Set(7, d.seat)
                       .Set(8, position.customer)
                       .Set(10, data_.ExchangeOf(contract).id)
                       .Set(12, d.tradeCode)
                       .Set(13, variety.code)
                       .Set(14, contract.period)
                       .Set(15, d.buySell)
                       .Set(16, d.hedge)
                       .Set(17, std::to_string(d.lots))
                       .Set(18, data_.PriceText(contract, d.positionPrice))
                       .Set(19, data_.PriceText(contract, d.openPrice))
                       .Set(20, MoneyText(d.margin))
                       .Set(21, MoneyText(d.margin))
                       .Set(22, std::to_string(variety.multiplier))
                       .Set(23, kOrdinaryPosition)
                       .Set(25, contract.code)
                       .Take());
  }
  return RowsAnswer(request, rows);
}

Answer Functions::CombinationDetails(const Request& request, Session&) {
  std::string refusal;
  if (Trader(request, refusal) == nullptr) return OneLine(std::move(refusal));
  // The accounts of the data folder hold no combination positions.
  return RowsAnswer(request, {});
}

Answer Functions::Orders(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  const std::string& number = Parameter(request, kOrderNumberParameter);
  const std::string& exchange = Parameter(request, kOrderExchangeParameter);
  const std::string& seat = Parameter(request, kOrderSeatParameter);
  AnswerRows answer(request);
  floor_.ReadBusiness([&](const DayBusiness& business) {
    for (std::size_t index = 0; index < business.orders.size(); ++index) {
      const BookOrder& book = business.orders[index];
      const DayOrder& order = book.order;
      const Contract& contract = data_.contracts[order.contract];
      if (order.customer == account->customer && NumberSelected(number, order.number) &&
          ExchangeSelected(data_, exchange, contract.exchange) && (seat.empty() || seat == order.seat))
        answer.Add(OrderRow(book, ProgressOf(data_, business, index)));
    }
  });
  return answer.Take();
}

std::vector<std::string> Functions::OrderRow(const BookOrder& book, const OrderProgress& progress) const {
  const DayOrder& order = book.order;
  const Contract& contract = data_.contracts[order.contract];
  const std::string orderNumber = std::to_string(order.number);
  FieldValues row(4, 57);
  row.Set(4, order.customer);
  row.Set(5, orderNumber);
  row.Set(6, data_.ExchangeOf(contract).id);
  row.Set(7, book.IsSpecial() ? CombinationCode(data_, book) : contract.code);
  row.Set(9, order.state);
  row.Set(10, order.openClose);
  row.Set(11, order.hedge);
  row.Set(12, order.buySell);
  row.Set(13, data_.PriceText(contract, order.price));
  row.Set(14, std::to_string(order.lots));
  row.Set(15, std::to_string(progress.working));
  row.Set(16, AveragePriceText(progress));
  row.Set(17, std::to_string(progress.filled));
  row.Set(18, orderNumber);
  row.Set(19, order.time);
  row.Set(20, order.time);
  row.Set(21, order.tradeCode);
  row.Set(24, order.cancelTime);
  row.Set(25, book.kind);
  row.Set(26, order.seat);
  row.Set(29, std::to_string(book.stateSequence));
  row.Set(32, order.seat);
  row.Set(39, book.priceType);
  row.Set(40, book.validity);
  row.Set(48, MoneyText(book.frozen.margin));
  row.Set(52, MoneyText(book.frozen.fee));
  row.Set(57, MoneyText(book.frozen.premium));
  if (book.IsSpecial()) {
    // Its strategy and legs, with what each leg freezes; the hedge code
    // is the third key of the terminal's order kinds.
    row.Set(34, book.strategy);
    row.Set(35, contract.code);
    row.Set(36, data_.contracts[book.secondLeg].code);
    row.Set(41, order.hedge);
    row.Set(49, MoneyText(book.secondFrozen.margin));
    row.Set(53, MoneyText(book.secondFrozen.fee));
  }
  return row.Take();
}

Answer Functions::ExerciseOrders(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  const std::string& number = Parameter(request, kOrderNumberParameter);
  const Exchange* exchange = data_.FindExchange(Parameter(request, kOrderExchangeParameter));
  const std::string& seat = Parameter(request, kOrderSeatParameter);
  const auto selected = [&](const ExerciseApplication& a) {
    return a.customer == account->customer && NumberSelected(number, std::atoll(a.number.c_str())) &&
           (Parameter(request, kOrderExchangeParameter).empty() ||
            (exchange != nullptr && exchange->id == a.exchange)) &&
           (seat.empty() || seat == a.orderSeat);
  };
  std::vector<ExerciseApplication> applications;
  floor_.ReadBusiness([&](const DayBusiness& business) {
    std::copy_if(business.exercises.begin(), business.exercises.end(), std::back_inserter(applications), selected);
  });
  std::vector<std::vector<std::string>> rows;
  for (const ExerciseApplication& a : applications) {
    FieldValues row(4, 35);
    row.Set(4, a.customer);
    row.Set(5, a.number);
    row.Set(6, a.exchange);
    row.Set(7, a.contract);
    row.Set(8, a.state);
    row.Set(9, a.buySell);
    row.Set(10, a.hedge);
    row.Set(11, std::to_string(a.lots));
    row.Set(12, a.tradingCode);
    row.Set(13, a.orderTime);
    row.Set(14, a.tradingDate);
    row.Set(15, a.seat);
    row.Set(18, a.cancelTime);
    row.Set(21, a.tradingCode);
    row.Set(26, a.orderSeat);
    row.Set(27, MoneyText(0));
    row.Set(28, MoneyText(0));
    row.Set(31, std::to_string(a.StateSequence()));
    row.Set(35, a.type);
    rows.push_back(row.Take());
  }
  return RowsAnswer(request, rows);
}

Answer Functions::Trades(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  if (account == nullptr) return OneLine(std::move(refusal));
  const std::string& first = Parameter(request, kFirstDayParameter);
  const std::string& last = Parameter(request, kLastDayParameter);
  for (const std::string* day : {&first, &last})
    if (!day->empty() && !CheckDate("", *day).empty())
      return Refusal(request, kBadParameter, "查询日期'" + *day + "'应为八位的年月日！");
  // The trades of the data folder are those of the current trading day.
  const std::string today = TodayText();
  AnswerRows answer(request);
  if ((first.empty() || first <= today) && (last.empty() || today <= last))
    floor_.ReadBusiness([&](const DayBusiness& business) {
      for (const DayTrade& trade : business.trades)
        if (trade.customer == account->customer) answer.Add(TradeRow(business, trade, today));
    });
  return answer.Take();
}

std::vector<std::string> Functions::TradeRow(const DayBusiness& business, const DayTrade& trade,
                                             const std::string& today) const {
  const DayOrder& order = business.orders[trade.order].order;
  const OrderLeg leg = LegOf(business.orders[trade.order], trade.leg);
  const Contract& contract = data_.contracts[leg.contract];
  const double turnover = data_.Price(contract, trade.price) * static_cast<double>(trade.lots) *
                          static_cast<double>(data_.VarietyOf(contract).multiplier);
  return FieldValues(4, 24)
      .Set(4, data_.ExchangeOf(contract).id)
      .Set(5, today)
      .Set(6, std::to_string(order.number))
      .Set(7, contract.code)
      .Set(8, contract.name)
      .Set(9, leg.buySell)
      .Set(10, BuySellText(leg.buySell))
      .Set(11, order.openClose)
      .Set(12, OpenCloseText(order.openClose))
      .Set(13, order.hedge)
      .Set(14, HedgeText(order.hedge))
      .Set(15, std::to_string(trade.lots))
      .Set(16, data_.PriceText(contract, trade.price))
      .Set(17, MoneyText(turnover))
      .Set(18, order.tradeCode)
      .Set(19, std::to_string(order.number))
      .Set(20, std::to_string(trade.dealNumber))
      .Set(21, contract.period)
      .Set(22, trade.time)
      .Set(23, order.seat)
      .Take();
}

}  // namespace simbackend
