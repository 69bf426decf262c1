// The single-line queries of the engine: a contract's fee and margin rates,
// the exercisable quantity of an option held, and option parameters. The
// field layouts are told in functions.h.
#include <algorithm>

#include "account_day.h"
#include "functions.h"

namespace simbackend {
namespace {

// 5016
constexpr std::size_t kRateExchangeParameter = 5;
constexpr std::size_t kRateSeatParameter = 6;
constexpr std::size_t kRateContractParameter = 7;
// 5242
constexpr std::size_t kExercisableExchangeParameter = 5;
constexpr std::size_t kExercisableContractParameter = 6;
constexpr std::size_t kExercisableTradeCodeParameter = 7;
constexpr std::size_t kExercisableSeatParameter = 8;
constexpr std::size_t kExercisableHedgeParameter = 9;
// 5245
constexpr std::size_t kParamsExchangeParameter = 5;
constexpr std::size_t kParamsContractParameter = 7;

// The two rate texts between the fee and the margin rates, which the
// terminal does not read.
constexpr const char* kUnreadRate = "0";
constexpr const char* kExercise = "1";

bool Selected(const std::string& selector, const std::string& value) { return selector.empty() || selector == value; }

}  // namespace

std::size_t Functions::FindContractOf(const Request& request, std::size_t exchangeParameter,
                                      std::size_t contractParameter, std::string& refusal) const {
  const std::string& code = Parameter(request, contractParameter);
  const std::size_t contract = data_.FindContract(Parameter(request, exchangeParameter), code);
  if (contract == BackendData::kNoContract)
    refusal = RefusedLine(&request, kNoSuchContract, "合约" + code + "不存在！");
  return contract;
}

Answer Functions::FeeRates(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  const std::size_t contract = account == nullptr
                                   ? BackendData::kNoContract
                                   : FindContractOf(request, kRateExchangeParameter, kRateContractParameter, refusal);
  if (contract == BackendData::kNoContract) return OneLine(std::move(refusal));
  const ContractRates& rates = data_.rates[contract];
  std::vector<std::string> values = {"", account->customer, data_.ExchangeOf(data_.contracts[contract]).id,
                                     Parameter(request, kRateSeatParameter), data_.contracts[contract].code};
  values.insert(values.end(), rates.openCloseFee.begin(), rates.openCloseFee.end());
  values.insert(values.end(), rates.closeTodayFee.begin(), rates.closeTodayFee.end());
  values.insert(values.end(), {kUnreadRate, kUnreadRate});
  values.insert(values.end(), rates.margin.begin(), rates.margin.end());
  return OneLine(AcceptedLine(request, values));
}

// The engine takes fields 5, 6, 8, 9, 10, 7, 11, 12, 14 and 13 in this order
// into its exercisable-quantity row. Field 7 is the key an application
// shares with the row: its seat (the order seat of 5246 field 26). An
// application of type "1" (exercise) freezes lots of field 12, any other
// (abandon) of field 11.
Answer Functions::ExercisableQuantity(const Request& request, Session&) {
  std::string refusal;
  const Account* account = Trader(request, refusal);
  const std::size_t index = account == nullptr ? BackendData::kNoContract
                                               : FindContractOf(request, kExercisableExchangeParameter,
                                                                kExercisableContractParameter, refusal);
  if (index == BackendData::kNoContract) return OneLine(std::move(refusal));
  const Contract& option = data_.contracts[index];
  if (option.kind != ContractKind::kOption) return Refusal(request, kBadParameter, "合约" + option.code + "不是期权！");
  const std::string& tradeCode = Parameter(request, kExercisableTradeCodeParameter);
  const std::string& seat = Parameter(request, kExercisableSeatParameter);
  const std::string& hedge = Parameter(request, kExercisableHedgeParameter);

  std::int64_t held = 0;
  std::int64_t exercising = 0;
  std::int64_t abandoning = 0;
  floor_.ReadDay(account->customer, [&](const DayBusiness& business, const AccountDay& day) {
    for (const HeldDetail& d : day.details)
      if (d.contract == index && d.buySell == "0" && Selected(tradeCode, d.tradeCode) && Selected(seat, d.seat) &&
          Selected(hedge, d.hedge))
        held += d.lots;
    for (const ExerciseApplication& a : business.exercises)
      if (a.customer == account->customer && a.state == "a" && a.contract == option.code &&
          a.exchange == data_.ExchangeOf(option).id && Selected(tradeCode, a.tradingCode))
        (a.type == kExercise ? exercising : abandoning) += a.lots;
  });

  // Without selectors, the trade code and seat the account's orders go out with.
  const TradeCode* code = data_.TradeCodeFor(account->customer, option.exchange, hedge.empty() ? "0" : hedge);
  const std::string shownCode = !tradeCode.empty() || code == nullptr ? tradeCode : code->code;
  const std::string shownSeat = !seat.empty() || code == nullptr ? seat : code->seat;
  return OneLine(AcceptedLine(
      request, {account->customer, data_.ExchangeOf(option).id, shownSeat, option.code, shownCode, shownSeat,
                std::to_string(abandoning), std::to_string(exercising), option.underlying, std::to_string(held)}));
}

Answer Functions::OptionParameters(const Request& request, Session&) {
  std::string refusal;
  const std::size_t index = FindContractOf(request, kParamsExchangeParameter, kParamsContractParameter, refusal);
  if (index == BackendData::kNoContract) return OneLine(std::move(refusal));
  const Contract& option = data_.contracts[index];
  if (option.kind != ContractKind::kOption) return Refusal(request, kBadParameter, "合约" + option.code + "不是期权！");
  const OptionParams* params = data_.OptionParamsOf(option);
  if (params == nullptr) return Refusal(request, kNoSuchEntry, "期权" + option.code + "没有相关参数！");
  return OneLine(
      AcceptedLine(request, {data_.ExchangeOf(option).id, TodayText(), option.code, UnderlyingPriceText(index),
                             params->numerator, params->denominator, params->fourth}));
}

std::string Functions::UnderlyingPriceText(std::size_t option) const {
  const OptionParams* params = data_.OptionParamsOf(data_.contracts[option]);
  if (params != nullptr && !params->underlyingPrice.empty()) return params->underlyingPrice;
  const std::size_t future = UnderlyingOf(data_, option);
  return data_.PriceText(data_.contracts[future], quotes_.QuoteOf(future).last);
}

}  // namespace simbackend
