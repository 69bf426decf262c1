// What the terminal's engine downloads before any account: the system date,
// the exchange seats, the trading parameters, the close strategies, the
// order types and the contracts.
#include <cstdio>
#include <utility>

#include "functions.h"

namespace simbackend {
namespace {

// 5127
constexpr std::size_t kParameterNameParameter = 7;

std::string TickText(const Variety& variety) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", variety.decimals, variety.tick);
  return text;
}

}  // namespace

void AnswerRows::Add(const std::vector<std::string>& values) { lines_.push_back(RowLine(request_, values)); }

Answer AnswerRows::Take() {
  return {AcceptedLine(request_, {std::to_string(lines_.size())}), std::move(lines_), {}, {}};
}

Answer RowsAnswer(const Request& request, const std::vector<std::vector<std::string>>& rows) {
  AnswerRows answer(request);
  for (const std::vector<std::string>& row : rows) answer.Add(row);
  return answer.Take();
}

Answer Functions::SystemDate(const Request& request, Session&) {
  const std::string today = TodayText();
  // The trading day is the calendar day: the back end knows no night session.
  return OneLine(AcceptedLine(request, {today, today, "", "", "", NowText()}));
}

Answer Functions::ExchangeSeats(const Request& request, Session&) {
  std::vector<std::vector<std::string>> rows;
  for (const Seat& seat : data_.seats) {
    const Exchange& exchange = data_.exchanges[seat.exchange];
    rows.push_back({exchange.id, exchange.name, exchange.code, seat.code, seat.grouped,
                    seat.closeToday + "," + seat.marketOrder + "," + seat.combination});
  }
  return RowsAnswer(request, rows);
}

Answer Functions::TradingParameters(const Request& request, Session&) {
  const std::string& name = Parameter(request, kParameterNameParameter);
  std::vector<std::vector<std::string>> rows;
  for (const TradingParameter& parameter : data_.parameters)
    if (parameter.name == name) rows.push_back({parameter.key, parameter.name, parameter.value, parameter.note});
  return RowsAnswer(request, rows);
}

Answer Functions::CloseStrategies(const Request& request, Session&) {
  std::vector<std::vector<std::string>> rows;
  for (const CloseStrategy& strategy : data_.closeStrategies) {
    const std::string number = std::to_string(strategy.number);
    rows.push_back({data_.exchanges[strategy.exchange].id, number, "策略" + number});
  }
  return RowsAnswer(request, rows);
}

Answer Functions::OrderTypes(const Request& request, Session&) {
  std::vector<std::vector<std::string>> rows;
  for (const OrderType& type : data_.orderTypes)
    rows.push_back({data_.exchanges[type.exchange].id, type.code, type.attribute, type.flag});
  return RowsAnswer(request, rows);
}

Answer Functions::Contracts(const Request& request, Session&) {
  std::vector<std::vector<std::string>> rows;
  for (const Contract& contract : data_.contracts) {
    const Exchange& exchange = data_.ExchangeOf(contract);
    const Variety& variety = data_.VarietyOf(contract);
    const bool option = contract.kind == ContractKind::kOption;
    FieldValues row(4, 24);
    row.Set(4, exchange.id)
        .Set(5, exchange.name)
        .Set(6, contract.code)
        .Set(7, contract.name)
        .Set(8, std::to_string(variety.multiplier))
        .Set(9, data_.PriceText(contract, contract.upperLimit))
        .Set(10, data_.PriceText(contract, contract.lowerLimit))
        .Set(11, contract.period)
        .Set(12, data_.PriceText(contract, contract.preSettlement))
        .Set(13, contract.underlying)
        .Set(14, variety.code)
        .Set(15, variety.name)
        .Set(16, TickText(variety))
        .Set(17, exchange.code)
        .Set(22, option ? "1" : "0");
    if (option) row.Set(23, std::string(1, contract.optionType)).Set(24, std::to_string(contract.strike));
    rows.push_back(row.Take());
  }
  return RowsAnswer(request, rows);
}

}  // namespace simbackend
