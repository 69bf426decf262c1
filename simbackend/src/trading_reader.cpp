#include "trading_reader.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "record_kinds.h"

namespace simbackend {
namespace {

// Widths of the terminal's exchange-seat, order-type and parameter fields.
constexpr std::size_t kMaxSeat = 15;
constexpr std::size_t kMaxOrderTypeCode = 3;
constexpr std::size_t kMaxOrderTypeFlag = 1;
constexpr std::size_t kMaxParameterName = 15;
constexpr std::size_t kMaxParameterValue = 15;
constexpr std::size_t kMaxParameterNote = 63;
constexpr std::size_t kMaxRateText = 15;
constexpr int kMaxRateDecimals = 8;
constexpr std::int64_t kMaxDenominator = 1'000'000;
constexpr std::int64_t kMaxTimeDifference = 3600;
constexpr std::size_t kMaxStrategyName = 31;

constexpr const char* kOpenCloseSet = "开平";
constexpr const char* kCloseTodaySet = "平今";

// Rates are given for a variety or for one contract of it; the contract's own win.
using RateKey = std::tuple<std::size_t, bool, std::string>;  // exchange, options, code

std::string CheckFlag(std::string_view what, const std::string& value) { return CheckChoice(what, value, {"0", "1"}); }

class TradingReader {
 public:
  explicit TradingReader(BackendData& data) : data_(data) {}

  std::vector<RecordKind> Kinds() {
    return {
        {"seat", 6, [this](const DataRecord& r) { return TakeSeat(r); }},
        {"closestrategy", 2, [this](const DataRecord& r) { return TakeCloseStrategy(r); }},
        {"ordertype", 4, [this](const DataRecord& r) { return TakeOrderType(r); }},
        {"parameter", 4, [this](const DataRecord& r) { return TakeParameter(r); }},
        {"fee", 10, [this](const DataRecord& r) { return TakeFee(r); }},
        {"margin", 11, [this](const DataRecord& r) { return TakeMargin(r); }},
        {"optionparams", 6, [this](const DataRecord& r) { return TakeOptionParams(r); }},
        {"seattime", 2, [this](const DataRecord& r) { return TakeTimeDifference(r); }},
        {"strategy", 3, [this](const DataRecord& r) { return TakeStrategy(r); }},
    };
  }

  // Every contract finds its rates; the parameters the terminal needs are given.
  bool Complete(const std::string& path, std::string& error) {
    if (std::count_if(data_.parameters.begin(), data_.parameters.end(),
                      [](const TradingParameter& p) { return p.name == kFloatingProfitParameter; }) != 1) {
      error = path + ": the parameter '" + kFloatingProfitParameter + "' must be given once";
      return false;
    }
    for (const Contract& contract : data_.contracts) {
      ContractRates rates;
      const std::string problem =
          FirstProblem({Resolve(contract, openCloseFees_, "opening and closing fee", rates.openCloseFee),
                        Resolve(contract, closeTodayFees_, "close-today fee", rates.closeTodayFee),
                        Resolve(contract, margins_, "margin", rates.margin)});
      if (!problem.empty()) {
        error = path + ": " + problem;
        return false;
      }
      data_.rates.push_back(std::move(rates));
    }
    return true;
  }

 private:
  // seat|exchange|seat code|grouped|close today|market orders|combinations|
  std::string TakeSeat(const DataRecord& r) {
    Seat seat{0, r.values[1], r.values[2], r.values[3], r.values[4], r.values[5]};
    if (std::string problem =
            FirstProblem({FindExchange(r.values[0], seat.exchange), CheckText("the seat", seat.code, kMaxSeat, true),
                          CheckFlag("the group flag", seat.grouped), CheckFlag("the close-today flag", seat.closeToday),
                          CheckFlag("the market-order flag", seat.marketOrder),
                          CheckFlag("the combination flag", seat.combination)});
        !problem.empty())
      return problem;
    // The exercise instructions of the trading parameters name a seat alone.
    if (data_.FindSeat(seat.code) != nullptr) return "the seat '" + Printable(seat.code) + "' appears twice";
    data_.seats.push_back(std::move(seat));
    return {};
  }

  // seattime|seat|seconds ahead of the back end, "-" for behind|
  std::string TakeTimeDifference(const DataRecord& r) {
    Seat* seat = nullptr;
    for (Seat& s : data_.seats)
      if (s.code == r.values[0]) seat = &s;
    if (seat == nullptr) return "the seat '" + Printable(r.values[0]) + "' is not listed above";
    const std::string& text = r.values[1];
    const bool behind = !text.empty() && text.front() == '-';
    std::int64_t seconds = 0;
    if (std::string problem =
            ParseWholeNumber("the time difference", behind ? text.substr(1) : text, 0, kMaxTimeDifference, seconds);
        !problem.empty())
      return problem;
    seat->timeDifference = behind ? -seconds : seconds;
    return {};
  }

  // strategy|exchange|DS or SPD|name|
  std::string TakeStrategy(const DataRecord& r) {
    CombinationStrategy strategy{0, r.values[1], r.values[2]};
    if (std::string problem = FirstProblem({FindExchange(r.values[0], strategy.exchange),
                                            CheckChoice("the combination strategy", strategy.code, {"DS", "SPD"}),
                                            CheckText("the strategy name", strategy.name, kMaxStrategyName, true)});
        !problem.empty())
      return problem;
    if (data_.FindStrategy(strategy.exchange, strategy.code) != nullptr)
      return "the strategy '" + strategy.code + "' of '" + r.values[0] + "' appears twice";
    data_.strategies.push_back(std::move(strategy));
    return {};
  }

  // closestrategy|exchange|1, 2 or 3|
  std::string TakeCloseStrategy(const DataRecord& r) {
    CloseStrategy strategy;
    std::int64_t number = 0;
    if (std::string problem = FirstProblem({FindExchange(r.values[0], strategy.exchange),
                                            ParseWholeNumber("the close strategy", r.values[1], 1, 3, number)});
        !problem.empty())
      return problem;
    if (std::any_of(data_.closeStrategies.begin(), data_.closeStrategies.end(),
                    [&](const CloseStrategy& s) { return s.exchange == strategy.exchange; }))
      return "a second close strategy of '" + r.values[0] + "'";
    strategy.number = static_cast<int>(number);
    data_.closeStrategies.push_back(strategy);
    return {};
  }

  // ordertype|exchange|price type code|validity code|flag|
  std::string TakeOrderType(const DataRecord& r) {
    OrderType type{0, r.values[1], r.values[2], r.values[3]};
    if (std::string problem = FirstProblem({FindExchange(r.values[0], type.exchange),
                                            CheckText("the order type", type.code, kMaxOrderTypeCode, true),
                                            CheckText("the validity", type.attribute, kMaxOrderTypeCode, false),
                                            CheckText("the order type flag", type.flag, kMaxOrderTypeFlag, false)});
        !problem.empty())
      return problem;
    data_.orderTypes.push_back(std::move(type));
    return {};
  }

  // parameter|name|key|value|note|
  std::string TakeParameter(const DataRecord& r) {
    TradingParameter parameter{r.values[0], r.values[1], r.values[2], r.values[3]};
    if (std::string problem = FirstProblem({CheckText("the parameter name", parameter.name, kMaxParameterName, true),
                                            CheckText("the key", parameter.key, kMaxSeat, false),
                                            CheckText("the value", parameter.value, kMaxParameterValue, false),
                                            CheckText("the note", parameter.note, kMaxParameterNote, false)});
        !problem.empty())
      return problem;
    if (parameter.name == kExerciseParameter) {
      if (data_.FindSeat(parameter.key) == nullptr)
        return "the exercise instructions name the seat '" + Printable(parameter.key) + "', which is not listed above";
      if (std::string problem = CheckChoice("the exercise instructions", parameter.value, {"1", "2", "3"});
          !problem.empty())
        return problem;
    }
    data_.parameters.push_back(std::move(parameter));
    return {};
  }

  // fee|exchange|0 futures, 1 options|variety or contract|开平 or 平今|three pairs of rate by amount and per lot|
  std::string TakeFee(const DataRecord& r) {
    const std::string& set = r.values[3];
    if (set != kOpenCloseSet && set != kCloseTodaySet)
      return "the fee set '" + Printable(set) + "' is not 开平 (open and close) or 平今 (close today)";
    return TakeRates(r, std::vector<std::string>(r.values.begin() + 4, r.values.end()),
                     set == kOpenCloseSet ? openCloseFees_ : closeTodayFees_);
  }

  // margin|exchange|0 futures, 1 options|variety or contract|four pairs of rate by amount and per lot|
  std::string TakeMargin(const DataRecord& r) {
    return TakeRates(r, std::vector<std::string>(r.values.begin() + 3, r.values.end()), margins_);
  }

  template <std::size_t N>
  std::string TakeRates(const DataRecord& r, const std::vector<std::string>& texts,
                        std::map<RateKey, std::array<std::string, N>>& table) {
    std::size_t exchange = 0;
    if (std::string problem = FirstProblem(
            {FindExchange(r.values[0], exchange), CheckChoice("the product kind", r.values[1], {"0", "1"})});
        !problem.empty())
      return problem;
    const bool options = r.values[1] == "1";
    const std::string& code = r.values[2];
    if (!NamesVariety(exchange, options, code) && !NamesContract(exchange, options, code))
      return "'" + Printable(code) + "' is no " + (options ? "option" : "futures") + " variety or contract of '" +
             r.values[0] + "'";
    std::array<std::string, N> rates;
    for (std::size_t i = 0; i < N; ++i) {
      double value = 0;
      if (std::string problem = FirstProblem({CheckText("a rate", texts[i], kMaxRateText, true),
                                              ParseRate("the rate", texts[i], kMaxRateDecimals, value)});
          !problem.empty())
        return problem;
      rates[i] = texts[i];
    }
    if (!table.emplace(RateKey{exchange, options, code}, std::move(rates)).second)
      return "the rates of '" + Printable(code) + "' appear twice";
    return {};
  }

  // optionparams|exchange|option variety|underlying price or empty|numerator|denominator|fourth value|
  std::string TakeOptionParams(const DataRecord& r) {
    OptionParams params{0, r.values[2], r.values[3], r.values[4], r.values[5]};
    std::size_t exchange = 0;
    std::int64_t underlying = 0;
    std::int64_t denominator = 0;
    double value = 0;
    if (std::string problem = FindExchange(r.values[0], exchange); !problem.empty()) return problem;
    params.variety = FindVariety(exchange, true, r.values[1]);
    if (params.variety == kNone)
      return "'" + Printable(r.values[1]) + "' is no option variety of '" + r.values[0] + "'";
    // The underlying price is one of the underlying futures variety.
    const Variety& option = data_.varieties[params.variety];
    const Variety& future = data_.varieties[FindVariety(exchange, false, option.underlying)];
    if (std::string problem =
            FirstProblem({params.underlyingPrice.empty()
                              ? ""
                              : ParsePrice("the underlying price", params.underlyingPrice, future, underlying),
                          ParseRate("the numerator", params.numerator, kMaxRateDecimals, value),
                          ParseWholeNumber("the denominator", params.denominator, 1, kMaxDenominator, denominator),
                          ParseRate("the fourth value", params.fourth, kMaxRateDecimals, value)});
        !problem.empty())
      return problem;
    if (std::any_of(data_.optionParams.begin(), data_.optionParams.end(),
                    [&](const OptionParams& p) { return p.variety == params.variety; }))
      return "the option parameters of '" + r.values[1] + "' appear twice";
    data_.optionParams.push_back(std::move(params));
    return {};
  }

  template <std::size_t N>
  std::string Resolve(const Contract& contract, const std::map<RateKey, std::array<std::string, N>>& table,
                      const std::string& what, std::array<std::string, N>& rates) const {
    const bool options = contract.kind == ContractKind::kOption;
    const std::string& variety = data_.VarietyOf(contract).code;
    for (const std::string* code : {&contract.code, &variety}) {
      const auto found = table.find(RateKey{contract.exchange, options, *code});
      if (found != table.end()) {
        rates = found->second;
        return {};
      }
    }
    return "the contract '" + contract.code + "' has no " + what + " rates";
  }

  bool NamesVariety(std::size_t exchange, bool options, const std::string& code) const {
    return FindVariety(exchange, options, code) != kNone;
  }

  bool NamesContract(std::size_t exchange, bool options, const std::string& code) const {
    const std::size_t index = data_.FindContract(data_.exchanges[exchange].code, code);
    return index != BackendData::kNoContract && (data_.contracts[index].kind == ContractKind::kOption) == options;
  }

  std::size_t FindVariety(std::size_t exchange, bool options, const std::string& code) const {
    for (std::size_t i = 0; i < data_.varieties.size(); ++i) {
      const Variety& v = data_.varieties[i];
      if (v.exchange == exchange && v.options == options && v.code == code) return i;
    }
    return kNone;
  }

  std::string FindExchange(const std::string& code, std::size_t& index) const {
    const Exchange* exchange = data_.FindExchange(code);
    if (exchange == nullptr || exchange->code != code) return "the exchange '" + Printable(code) + "' is not known";
    index = static_cast<std::size_t>(exchange - data_.exchanges.data());
    return {};
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  BackendData& data_;
  std::map<RateKey, std::array<std::string, 6>> openCloseFees_;
  std::map<RateKey, std::array<std::string, 6>> closeTodayFees_;
  std::map<RateKey, std::array<std::string, 8>> margins_;
};

}  // namespace

bool ReadTrading(const std::string& path, BackendData& data, std::string& error) {
  std::vector<DataRecord> records;
  if (!ReadRecordFile(path, records, error)) return false;
  TradingReader reader(data);
  return TakeRecords(path, records, reader.Kinds(), error) && reader.Complete(path, error);
}

}  // namespace simbackend
