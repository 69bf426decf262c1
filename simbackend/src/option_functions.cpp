// Option exercise and abandon applications: checked for form here, entered
// by the trading floor against the positions, their pushes following the
// answers.
#include <algorithm>
#include <cstdlib>
#include <map>

#include "free_lots.h"
#include "functions.h"
#include "order_lines.h"
#include "record_kinds.h"

namespace simbackend {
namespace {

// 5240
constexpr std::size_t kExchangeParameter = 5;
constexpr std::size_t kContractParameter = 6;
constexpr std::size_t kBuySellParameter = 7;
constexpr std::size_t kHedgeParameter = 8;
constexpr std::size_t kLotsParameter = 9;
constexpr std::size_t kTradingCodeParameter = 10;
constexpr std::size_t kSeatParameter = 11;
constexpr std::size_t kTypeParameter = 12;
// 5241
constexpr std::size_t kNumberParameter = 5;
constexpr std::size_t kCancelExchangeParameter = 8;
// 5244
constexpr std::size_t kFirstDayParameter = 5;
constexpr std::size_t kLastDayParameter = 6;
// 5243
constexpr std::size_t kAbandonExchangeParameter = 6;
constexpr std::size_t kAbandonContractParameter = 7;
constexpr std::size_t kAbandonLotsParameter = 8;

constexpr std::int64_t kMaxLots = 999'999;
constexpr std::int64_t kMaxApplicationNumber = 999'999'999;
constexpr const char* kExercise = "1";
constexpr const char* kAbandon = "2";
// Frozen amounts of an application: exercising freezes lots, not money.
constexpr const char* kNoAmount = "0.00";

// The values of an answer's fields from field 5 to `last`, empty where `fields` has none.
std::vector<std::string> AnswerValues(const std::map<std::size_t, std::string>& fields, std::size_t last) {
  std::vector<std::string> values;
  for (std::size_t field = 5; field <= last; ++field) {
    const auto found = fields.find(field);
    values.push_back(found == fields.end() ? std::string() : found->second);
  }
  return values;
}

// Fields 5 to 15, which the answers of 5240 and 5241 share.
std::map<std::size_t, std::string> ApplicationFields(const ExerciseApplication& a) {
  return {{5, a.customer},     {6, a.number},     {7, a.exchange},    {8, a.contract},
          {9, a.state},        {10, a.buySell},   {11, a.hedge},      {12, std::to_string(a.lots)},
          {13, a.tradingCode}, {14, a.orderTime}, {15, a.tradingDate}};
}

std::vector<std::string> SentValues(const ExerciseApplication& a) {
  std::map<std::size_t, std::string> fields = ApplicationFields(a);
  fields.insert({{16, a.seat}, {19, a.cancelTime}, {25, a.orderSeat}, {34, kNoAmount}, {35, kNoAmount}, {38, a.type}});
  return AnswerValues(fields, 38);
}

std::vector<std::string> CancelledValues(const ExerciseApplication& a) {
  std::map<std::size_t, std::string> fields = ApplicationFields(a);
  fields.insert({{16, a.cancelTime}, {20, a.orderSeat}, {25, a.type}});
  return AnswerValues(fields, 25);
}

}  // namespace

Answer Functions::SendExercise(const Request& request, Session&) {
  std::string refusal;
  const Contract* const option =
      FindOption(request, Parameter(request, kExchangeParameter), Parameter(request, kContractParameter), refusal);
  if (option == nullptr) return OneLine(std::move(refusal));
  ExerciseApplication application;
  application.type = Parameter(request, kTypeParameter);
  if (application.type != kExercise && application.type != kAbandon)
    return Refusal(request, kBadParameter, "执行类型'" + application.type + "'无效！");
  // Only a long position can be exercised.
  application.buySell = Parameter(request, kBuySellParameter);
  if (application.buySell != "0") return Refusal(request, kBadParameter, "只有买入持仓可以申请执行或放弃执行！");
  application.hedge = Parameter(request, kHedgeParameter);
  if (application.hedge != "0" && application.hedge != "1")
    return Refusal(request, kBadParameter, "投机套保标志'" + application.hedge + "'无效！");
  if (!ParseWholeNumber("", Parameter(request, kLotsParameter), 1, kMaxLots, application.lots).empty())
    return Refusal(request, kBadParameter, "委托手数'" + Parameter(request, kLotsParameter) + "'无效！");
  application.customer = request.Field(kCustomerField);
  application.exchange = data_.ExchangeOf(*option).id;
  application.contract = option->code;
  application.tradingCode = Parameter(request, kTradingCodeParameter);
  application.seat = Parameter(request, kSeatParameter);
  application.orderSeat = application.seat;
  return Applied(request, std::move(application), TradingFloor::Backing::kAsStated, SentValues);
}

Answer Functions::CancelExercise(const Request& request, Session&) {
  const std::string& number = Parameter(request, kNumberParameter);
  const Exchange* const exchange = data_.FindExchange(Parameter(request, kCancelExchangeParameter));
  // Application numbers are written in one decimal form; a request may pad them.
  std::int64_t value = 0;
  if (exchange == nullptr || !ParseWholeNumber("", number, 1, kMaxApplicationNumber, value).empty())
    return Refusal(request, kNoSuchEntry, "期权执行申请" + number + "不存在！");
  const std::string& customer = request.Field(kCustomerField);
  ExerciseApplication cancelled;
  std::string push;
  if (const std::optional<Refused> refused =
          floor_.CancelApplication(customer, std::to_string(value), exchange->id, cancelled, push))
    return Refusal(request, refused->code, refused->text);
  Answer answer = OneLine(AcceptedLine(request, CancelledValues(cancelled)));
  answer.then = [this, customer, push] { floor_.Publish(customer, {push}); };
  return answer;
}

Answer Functions::ApplyAbandon(const Request& request, Session&) {
  std::string refusal;
  const std::string& code = Parameter(request, kAbandonContractParameter);
  const Contract* const option = FindOption(request, Parameter(request, kAbandonExchangeParameter), code, refusal);
  if (option == nullptr) return OneLine(std::move(refusal));
  std::int64_t lots = 0;
  if (!ParseWholeNumber("", Parameter(request, kAbandonLotsParameter), 1, kMaxLots, lots).empty())
    return Refusal(request, kBadParameter, "放弃数量'" + Parameter(request, kAbandonLotsParameter) + "'无效！");
  // The first position of the option that has the lots free, else the first at all.
  const std::string today = TodayText();
  std::vector<AbandonableRow> rows = Abandonable(request.Field(kCustomerField), today, today);
  std::erase_if(rows, [&](const AbandonableRow& row) { return &data_.contracts[row.position.contract] != option; });
  if (rows.empty()) return Refusal(request, kNoPosition, "合约" + code + "没有可放弃执行的持仓！");
  const auto found =
      std::find_if(rows.begin(), rows.end(), [&](const AbandonableRow& row) { return row.free >= lots; });
  const PositionKey position = (found == rows.end() ? rows.front() : *found).position;
  ExerciseApplication application;
  application.customer = position.customer;
  application.exchange = data_.ExchangeOf(*option).id;
  application.contract = option->code;
  application.buySell = "0";
  application.hedge = position.hedge;
  application.lots = lots;
  application.tradingCode = position.tradeCode;
  application.seat = position.seat;
  application.orderSeat = position.seat;
  application.type = kAbandon;
  // The answer is the position's row as the application leaves it.
  return Applied(request, std::move(application), TradingFloor::Backing::kHeldNow, [&](const ExerciseApplication&) {
    for (AbandonableRow& row : Abandonable(position.customer, today, today))
      if (row.position.contract == position.contract && row.position.hedge == position.hedge &&
          row.position.tradeCode == position.tradeCode && row.position.seat == position.seat)
        return std::move(row.values);
    return std::vector<std::string>();
  });
}

Answer Functions::AbandonableOptions(const Request& request, Session&) {
  std::vector<std::vector<std::string>> rows;
  for (AbandonableRow& row : Abandonable(request.Field(kCustomerField), Parameter(request, kFirstDayParameter),
                                         Parameter(request, kLastDayParameter)))
    rows.push_back(std::move(row.values));
  return RowsAnswer(request, rows);
}

Answer Functions::Applied(const Request& request, ExerciseApplication application, TradingFloor::Backing backing,
                          const std::function<std::vector<std::string>(const ExerciseApplication&)>& values) {
  ExerciseApplication entered;
  std::string push;
  if (const std::optional<Refused> refused = floor_.Apply(std::move(application), backing, entered, push))
    return Refusal(request, refused->code, refused->text);
  Answer answer = OneLine(AcceptedLine(request, values(entered)));
  answer.then = [this, customer = entered.customer, push] { floor_.Publish(customer, {push}); };
  return answer;
}

std::vector<Functions::AbandonableRow> Functions::Abandonable(const std::string& customer, const std::string& first,
                                                              const std::string& last) const {
  return floor_.ReadDay(customer, [&](const DayBusiness& business, const AccountDay& day) {
    return AbandonableRows(business, day, customer, first, last);
  });
}

std::vector<Functions::AbandonableRow> Functions::AbandonableRows(const DayBusiness& business, const AccountDay& day,
                                                                  const std::string& customer, const std::string& first,
                                                                  const std::string& last) const {
  const std::string today = TodayText();
  std::vector<AbandonableRow> rows;
  for (const HeldDetail& d : day.details) {
    const Contract& option = data_.contracts[d.contract];
    // Dates of eight digits compare as texts; an empty bound is no bound.
    if (option.kind != ContractKind::kOption || d.buySell != "0" || option.exerciseDate.empty() ||
        (!first.empty() && option.exerciseDate < first) || (!last.empty() && option.exerciseDate > last))
      continue;
    const std::string instructions = data_.ExerciseInstructions(d.seat);
    if (instructions != kAbandon && instructions != "3") continue;
    const PositionKey position{customer, d.contract, "0", d.hedge, d.tradeCode, d.seat};
    if (std::any_of(rows.begin(), rows.end(), [&](const AbandonableRow& r) {
          return r.position.contract == d.contract && r.position.hedge == d.hedge &&
                 r.position.tradeCode == d.tradeCode && r.position.seat == d.seat;
        }))
      continue;
    std::int64_t held = 0;
    std::int64_t sold = 0;
    for (const HeldDetail& other : day.details)
      if (other.contract == d.contract && other.hedge == d.hedge && other.tradeCode == d.tradeCode &&
          other.seat == d.seat)
        (other.buySell == "0" ? held : sold) += other.lots;
    std::int64_t applied = 0;
    for (const ExerciseApplication& a : business.exercises)
      if (a.customer == customer && a.state == "a" && a.type == kAbandon && a.contract == option.code &&
          a.exchange == data_.ExchangeOf(option).id && a.tradingCode == d.tradeCode && a.orderSeat == d.seat &&
          a.hedge == d.hedge)
        applied += a.lots;
    const std::int64_t free = FreeLots(data_, business, day.details, position, CloseScope::kAny);
    const std::string underlying = UnderlyingPriceText(d.contract);
    const double u = std::strtod(underlying.c_str(), nullptr);
    const auto strike = static_cast<double>(option.strike);
    const double inTheMoney = std::max(option.optionType == 'C' ? u - strike : strike - u, 0.0);
    const double profit =
        inTheMoney * static_cast<double>(data_.VarietyOf(option).multiplier) * static_cast<double>(held);
    // Exercising an option out of the money would only cost: abandon it all.
    const std::int64_t suggested = inTheMoney > 0 ? 0 : free;
    rows.push_back({position,
                    free,
                    {today, customer, d.seat, d.tradeCode, data_.ExchangeOf(option).id, d.hedge, option.code,
                     std::to_string(held), std::to_string(sold), MoneyText(profit), std::to_string(suggested),
                     std::to_string(free), std::to_string(applied), underlying}});
  }
  return rows;
}

}  // namespace simbackend
