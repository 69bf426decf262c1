#include "contracts_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "option_pricing.h"
#include "record_kinds.h"

namespace simbackend {
namespace {

// Widths of the terminal's quote and contract records, terminator excluded.
constexpr std::size_t kMaxExchangeCode = 7;
constexpr std::size_t kMaxExchangeName = 15;
constexpr std::size_t kMaxVarietyCode = 7;
constexpr std::size_t kMaxContractText = 31;  // contract code and name

constexpr double kMaxTick = 10'000;
constexpr std::int64_t kMaxMultiplier = 10'000'000;
constexpr std::int64_t kMaxStrikeStep = 1'000'000;
constexpr std::int64_t kMaxStrikesEachSide = 20;

std::string DecimalText(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

std::string CheckCode(std::string_view what, const std::string& value, std::size_t maxLength, bool lowerOnly) {
  if (value.empty() || value.size() > maxLength || !std::all_of(value.begin(), value.end(), [&](char c) {
        return lowerOnly ? c >= 'a' && c <= 'z' : IsAsciiLetter(c);
      }))
    return std::string(what) + " '" + Printable(value) + "' is not 1 to " + std::to_string(maxLength) +
           (lowerOnly ? " lower-case letters" : " letters");
  return {};
}

std::string CheckPeriod(const std::string& period) {
  const bool digits = std::all_of(period.begin(), period.end(), IsAsciiDigit);
  const int month = digits && period.size() >= 3 ? std::stoi(period.substr(period.size() - 2)) : 0;
  if ((period.size() != 3 && period.size() != 4) || !digits || month < 1 || month > 12)
    return "the delivery period '" + Printable(period) + "' is not YYMM or YMM";
  return {};
}

std::string CheckContractText(const Contract& contract) {
  return FirstProblem(
      {CheckText("the contract code '" + Printable(contract.code) + "'", contract.code, kMaxContractText, true),
       CheckText("the contract name of '" + Printable(contract.code) + "'", contract.name, kMaxContractText, true)});
}

class ContractsReader {
 public:
  explicit ContractsReader(BackendData& data) : data_(data) {}

  std::vector<RecordKind> Kinds() {
    return {
        {"exchange", 4, [this](const DataRecord& r) { return TakeExchange(r); }},
        {"variety", 6, [this](const DataRecord& r) { return TakeVariety(r); }},
        {"future", 4, [this](const DataRecord& r) { return TakeFuture(r); }},
        {"optionvariety", 7, [this](const DataRecord& r) { return TakeOptionVariety(r); }},
        {"options", kAnyCount, [this](const DataRecord& r) { return TakeOptionSeries(r); }},
    };
  }

 private:
  // exchange|id|code|name|book depth|
  std::string TakeExchange(const DataRecord& r) {
    Exchange exchange{r.values[0], r.values[1], r.values[2], 0};
    std::int64_t depth = 0;
    const bool idGood = exchange.id.size() == 1 && (IsAsciiLetter(exchange.id[0]) || IsAsciiDigit(exchange.id[0]));
    if (std::string problem =
            FirstProblem({idGood ? "" : "the exchange id '" + Printable(exchange.id) + "' is not one letter or digit",
                          CheckCode("the exchange code", exchange.code, kMaxExchangeCode, true),
                          CheckText("the exchange name", exchange.name, kMaxExchangeName, true),
                          ParseWholeNumber("the book depth", r.values[3], 1, 5, depth)});
        !problem.empty())
      return problem;
    if (depth != 1 && depth != 5) return "the book depth must be 1 or 5";
    for (const std::string* name : {&exchange.id, &exchange.code})
      if (data_.FindExchange(*name) != nullptr) return "the exchange '" + *name + "' appears twice";
    exchange.bookDepth = static_cast<int>(depth);
    data_.exchanges.push_back(std::move(exchange));
    return {};
  }

  // variety|exchange|code|name|multiplier|tick|limit percent|
  std::string TakeVariety(const DataRecord& r) {
    Variety variety;
    int limitDecimals = 0;
    if (std::string problem =
            FirstProblem({FindExchangeIndex(r.values[0], variety.exchange),
                          TakeVarietyHead(r.values[1], r.values[2], r.values[3], r.values[4], variety),
                          ParseDecimal("the price limit", r.values[5], 2, variety.limitPercent, limitDecimals)});
        !problem.empty())
      return problem;
    if (variety.limitPercent >= 100) return "the price limit must be below 100 %";
    return AddVariety(std::move(variety));
  }

  // optionvariety|exchange|code|name|underlying futures variety|multiplier|tick|code separator|
  std::string TakeOptionVariety(const DataRecord& r) {
    Variety variety;
    variety.options = true;
    variety.underlying = r.values[3];
    variety.codeSeparator = r.values[6];
    if (std::string problem =
            FirstProblem({FindExchangeIndex(r.values[0], variety.exchange),
                          TakeVarietyHead(r.values[1], r.values[2], r.values[4], r.values[5], variety)});
        !problem.empty())
      return problem;
    if (FindVariety(variety.exchange, variety.underlying, false) == kNone)
      return "'" + Printable(variety.underlying) + "' is no futures variety of '" + r.values[0] + "'";
    const std::string& separator = variety.codeSeparator;
    const bool sign = separator.size() == 1 && separator[0] > ' ' && separator[0] <= '~' &&
                      !IsAsciiLetter(separator[0]) && !IsAsciiDigit(separator[0]);
    if (!separator.empty() && !sign)
      return "the code separator '" + Printable(separator) + "' is not empty or one sign";
    return AddVariety(std::move(variety));
  }

  // The values that futures and option varieties share.
  static std::string TakeVarietyHead(const std::string& code, const std::string& name, const std::string& multiplier,
                                     const std::string& tick, Variety& variety) {
    variety.code = code;
    variety.name = name;
    if (std::string problem =
            FirstProblem({CheckCode("the variety code", variety.code, kMaxVarietyCode, false),
                          CheckText("the variety name", variety.name, kMaxContractText, true),
                          ParseWholeNumber("the multiplier", multiplier, 1, kMaxMultiplier, variety.multiplier),
                          ParseDecimal("the price tick", tick, kMaxPriceDecimals, variety.tick, variety.decimals)});
        !problem.empty())
      return problem;
    if (variety.tick > kMaxTick) return "the price tick must be at most " + DecimalText(kMaxTick, 0);
    return {};
  }

  std::string AddVariety(Variety variety) {
    // A futures variety and the options on it may share their code.
    if (FindVariety(variety.exchange, variety.code, variety.options) != kNone)
      return std::string(variety.options ? "option " : "") + "variety '" + variety.code + "' appears twice at '" +
             data_.exchanges[variety.exchange].code + "'";
    data_.varieties.push_back(std::move(variety));
    return {};
  }

  // future|exchange|variety|period|previous settlement price|
  std::string TakeFuture(const DataRecord& r) {
    Contract contract;
    contract.period = r.values[2];
    if (std::string problem =
            FirstProblem({FindExchangeIndex(r.values[0], contract.exchange), CheckPeriod(contract.period)});
        !problem.empty())
      return problem;
    contract.variety = FindVariety(contract.exchange, r.values[1], false);
    if (contract.variety == kNone)
      return "'" + Printable(r.values[1]) + "' is no futures variety of '" + r.values[0] + "'";
    const Variety& variety = data_.varieties[contract.variety];
    contract.code = variety.code + contract.period;
    contract.name = variety.name + contract.period;
    if (std::string problem = ParsePrice("the price", r.values[3], variety, contract.preSettlement); !problem.empty())
      return problem;
    const double price = static_cast<double>(contract.preSettlement) * variety.tick;
    // The limits are the whole ticks within the limit percentage.
    const double limit = price * variety.limitPercent / 100;
    contract.upperLimit = static_cast<std::int64_t>(std::floor((price + limit) / variety.tick + 1e-9));
    contract.lowerLimit =
        std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil((price - limit) / variety.tick - 1e-9)));
    return AddContract(std::move(contract));
  }

  // options|exchange|option variety|period|strike step|strikes each side|volatility percent|[exercise date|]
  std::string TakeOptionSeries(const DataRecord& r) {
    if (r.values.size() != 6 && r.values.size() != 7)
      return "'options' takes 6 or 7 values, found " + std::to_string(r.values.size());
    const std::string exerciseDate = r.values.size() == 7 ? r.values[6] : "";
    if (!exerciseDate.empty())
      if (std::string problem = CheckDate("the exercise date", exerciseDate); !problem.empty()) return problem;
    std::size_t exchange = 0;
    std::int64_t step = 0;
    std::int64_t eachSide = 0;
    double volatility = 0;
    int decimals = 0;
    if (std::string problem =
            FirstProblem({FindExchangeIndex(r.values[0], exchange), CheckPeriod(r.values[2]),
                          ParseWholeNumber("the strike step", r.values[3], 1, kMaxStrikeStep, step),
                          ParseWholeNumber("the strikes each side", r.values[4], 1, kMaxStrikesEachSide, eachSide),
                          ParseDecimal("the volatility", r.values[5], 2, volatility, decimals)});
        !problem.empty())
      return problem;
    if (volatility > 100) return "the volatility must be at most 100 %";
    const std::size_t varietyIndex = FindVariety(exchange, r.values[1], true);
    if (varietyIndex == kNone) return "'" + Printable(r.values[1]) + "' is no option variety of '" + r.values[0] + "'";
    const std::string underlyingCode = data_.varieties[varietyIndex].underlying + r.values[2];
    const std::size_t underlying = data_.FindContract(r.values[0], underlyingCode);
    if (underlying == BackendData::kNoContract)
      return "the underlying futures contract '" + Printable(underlyingCode) + "' is not listed above";
    const double forward = PriceOf(data_.contracts[underlying], data_.contracts[underlying].preSettlement);
    const auto atTheMoney = static_cast<std::int64_t>(std::llround(forward / static_cast<double>(step))) * step;
    if (atTheMoney - eachSide * step <= 0) return "the lowest strike would not be above 0";
    for (const char type : {'C', 'P'})
      for (std::int64_t k = -eachSide; k <= eachSide; ++k) {
        Contract option = MakeOption(varietyIndex, underlying, type, atTheMoney + k * step, volatility / 100);
        option.exerciseDate = exerciseDate;
        if (std::string problem = AddContract(std::move(option)); !problem.empty()) return problem;
      }
    return {};
  }

  // The option at `strike` on the futures contract `underlying`, priced
  // with the volatility `spread` over its life.
  Contract MakeOption(std::size_t varietyIndex, std::size_t underlying, char type, std::int64_t strike,
                      double spread) const {
    const Variety& variety = data_.varieties[varietyIndex];
    const Contract& future = data_.contracts[underlying];
    Contract option;
    option.kind = ContractKind::kOption;
    option.exchange = future.exchange;
    option.variety = varietyIndex;
    option.period = future.period;
    option.optionType = type;
    option.strike = strike;
    option.underlying = future.code;
    const std::string suffix =
        option.period + variety.codeSeparator + type + variety.codeSeparator + std::to_string(strike);
    option.code = variety.code + suffix;
    option.name = variety.name + suffix;
    const double forward = PriceOf(future, future.preSettlement);
    const double premium = OptionPremium(type, forward, static_cast<double>(strike), spread);
    option.preSettlement = std::max<std::int64_t>(1, std::llround(premium / variety.tick));
    // The option may move by what its underlying may move in a day.
    const auto limit = static_cast<std::int64_t>(
        std::floor(forward * data_.VarietyOf(future).limitPercent / 100 / variety.tick + 1e-9));
    option.upperLimit = option.preSettlement + limit;
    option.lowerLimit = std::max<std::int64_t>(1, option.preSettlement - limit);
    return option;
  }

  double PriceOf(const Contract& contract, std::int64_t ticks) const {
    return static_cast<double>(ticks) * data_.VarietyOf(contract).tick;
  }

  std::string AddContract(Contract contract) {
    if (std::string problem = CheckContractText(contract); !problem.empty()) return problem;
    if (static_cast<double>(contract.upperLimit) > kMaxPriceTicks)
      return "the prices of '" + contract.code + "' exceed " +
             std::to_string(static_cast<std::int64_t>(kMaxPriceTicks)) + " ticks";
    const std::string& exchange = data_.exchanges[contract.exchange].code;
    if (data_.FindContract(exchange, contract.code) != BackendData::kNoContract)
      return "contract '" + contract.code + "' appears twice at '" + exchange + "'";
    data_.contracts.push_back(std::move(contract));
    return {};
  }

  std::string FindExchangeIndex(const std::string& code, std::size_t& index) const {
    const Exchange* exchange = data_.FindExchange(code);
    if (exchange == nullptr || exchange->code != code)
      return "the exchange '" + Printable(code) + "' is not listed above";
    index = static_cast<std::size_t>(exchange - data_.exchanges.data());
    return {};
  }

  std::size_t FindVariety(std::size_t exchange, std::string_view code, bool options) const {
    for (std::size_t i = 0; i < data_.varieties.size(); ++i) {
      const Variety& variety = data_.varieties[i];
      if (variety.exchange == exchange && variety.code == code && variety.options == options) return i;
    }
    return kNone;
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  BackendData& data_;
};

}  // namespace

bool ReadContracts(const std::string& path, BackendData& data, std::string& error) {
  std::vector<DataRecord> records;
  if (!ReadRecordFile(path, records, error)) return false;
  ContractsReader reader(data);
  if (!TakeRecords(path, records, reader.Kinds(), error)) return false;
  if (data.contracts.empty()) {
    error = path + ": no contract";
    return false;
  }
  return true;
}

}  // namespace simbackend
