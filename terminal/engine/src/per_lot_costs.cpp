// The margin, fee and premium of one lot of a futures or option contract.
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "engine/operation_engine_base.h"
#include "fee_rate_readings.h"
#include "order_flags.h"

namespace engine {
namespace {

using order_flags::kBuy;
using order_flags::kClose;
using order_flags::kOpen;
using order_flags::kSell;
constexpr std::string_view kSpeculation = "0";
constexpr std::string_view kCall = "C";
constexpr std::string_view kCffex = "cffex";

enum class ContractKind { kFutures, kOption, kOther };

ContractKind KindOf(const ContractRow& contract) {
  const std::string_view kind = Text(contract.szTradeClass);
  if (kind.empty() || kind == "0") return ContractKind::kFutures;
  return kind == "1" ? ContractKind::kOption : ContractKind::kOther;
}

const Rate& MarginRate(const FeeRates& rates, std::string_view buySell, std::string_view hedge) {
  const bool buy = buySell == kBuy;
  if (hedge == kSpeculation) return buy ? rates.buySpeculationMargin : rates.sellSpeculationMargin;
  return buy ? rates.buyHedgeMargin : rates.sellHedgeMargin;
}

// Opening and closing pay the open/close fees; any other code the close-today fees.
double Fee(const FeeRates& rates, std::string_view openClose, double lotValue) {
  const std::array<Rate, 3>& fees =
      openClose == kOpen || openClose == kClose ? rates.openCloseFees : rates.closeTodayFees;
  double fee = 0.0;
  for (const Rate& rate : fees) fee += rate.byAmount * lotValue + rate.perLot;
  return fee;
}

// The terms of one sold option lot that both margin rules read.
struct SoldOption {
  bool call;
  double strike;
  double multiplier;
  double premium;
  Rate sellMargin;  // sell-speculation rate and amount per lot
};

double OutOfTheMoney(const SoldOption& option, double underlying) {
  const double distance = option.call ? option.strike - underlying : underlying - option.strike;
  return std::max(distance * option.multiplier, 0.0);
}

// The rule of "cffex", with the underlying price and the guarantee ratio of
// the option's parameters.
double CffexMargin(const SoldOption& option, double underlying, double guarantee) {
  const double otm = OutOfTheMoney(option, underlying);
  const double rate = option.sellMargin.byAmount;
  const double perLot = option.sellMargin.perLot;
  const double byUnderlying = rate * underlying * option.multiplier - otm;
  const double byGuarantee = rate * guarantee * (option.call ? underlying : option.strike) * option.multiplier;
  return std::max(perLot - otm, guarantee * perLot) + std::max(byUnderlying, byGuarantee) + option.premium;
}

// The rule of every other exchange.
double GeneralMargin(const SoldOption& option, double underlying) {
  const double otm = OutOfTheMoney(option, underlying);
  const double base = option.sellMargin.perLot + option.sellMargin.byAmount * (option.multiplier * underlying);
  return std::max(base + option.premium - 0.5 * otm, option.premium + 0.5 * base);
}

LotCosts RoundedPerLot(const LotCosts& costs) {
  return {Round(costs.margin, kPerLotRounding), Round(costs.fee, kPerLotRounding),
          Round(costs.premium, kPerLotRounding)};
}

}  // namespace

LotCostQuery LotOfTrade(const TradeRow& trade) {
  return {.exchangeCode = Text(trade.szExchangeCode),
          .seatCode = Text(trade.szSeatCode),
          .contractCode = Text(trade.szContractCode),
          .buySell = Text(trade.szNameBS),
          .openClose = Text(trade.szNameEO),
          .hedge = Text(trade.szNameSH),
          .customer = Text(trade.szTradeAccount),
          .price = ReadMoney(trade.szDealPrice)};
}

bool COperationEngineBase::CalcOptionMargin(const LotCostQuery& query, LotCosts& costs) {
  ContractRow contract{};  // an unknown contract is futures with multiplier 0
  FindContract(query.exchangeCode, query.contractCode, contract);
  return CalcLotCosts(query, contract, costs);
}

bool COperationEngineBase::CalcLotCosts(const LotCostQuery& query, const ContractRow& contract, LotCosts& costs) {
  costs = {};
  FeeRates rates;
  if (!FindFeeRates(query.exchangeCode, query.seatCode, query.contractCode, query.customer, rates)) return false;
  const ContractKind kind = KindOf(contract);
  if (kind == ContractKind::kOther) return true;

  const double lotValue = query.price * ReadInt(contract.szVolumePerHand);
  LotCosts lot{.fee = Fee(rates, query.openClose, lotValue)};
  if (kind == ContractKind::kFutures) {
    if (query.openClose == kOpen) {
      const Rate& margin = MarginRate(rates, query.buySell, query.hedge);
      lot.margin = margin.byAmount * lotValue + margin.perLot;
    }
  } else {
    lot.premium = lotValue;
    if (query.openClose == kOpen && query.buySell == kSell) {
      const std::optional<double> margin = SoldOptionMargin(query, contract, rates, lot.premium);
      if (!margin) return false;
      lot.margin = *margin;
    }
  }
  costs = RoundedPerLot(lot);
  return true;
}

std::optional<double> COperationEngineBase::SoldOptionMargin(const LotCostQuery& query, const ContractRow& option,
                                                             const FeeRates& rates, double premium) {
  const SoldOption sold{.call = Text(option.szOptionType) == kCall,
                        .strike = ReadNumber(option.szStrikePrice),
                        .multiplier = static_cast<double>(ReadInt(option.szVolumePerHand)),
                        .premium = premium,
                        .sellMargin = rates.sellSpeculationMargin};
  std::string abbreviation;
  if (FindExchangeAbbreviation(query.exchangeCode, abbreviation) && abbreviation == kCffex) {
    OptionParamsRow params{};
    if (!FindOptionParams(query.exchangeCode, query.contractCode, query.customer, params)) return std::nullopt;
    if (ReadInt(params.szGuaranteeDenominator) == 0) return std::nullopt;
    const double guarantee = ReadNumber(params.szGuaranteeNumerator) / ReadNumber(params.szGuaranteeDenominator);
    return CffexMargin(sold, ReadNumber(params.szUnderlyingPrice), guarantee);
  }
  // The underlying futures contract is the option's variety and delivery period.
  const std::string underlyingCode = std::string(Text(option.szVarietyCode)).append(Text(option.szAccountDay));
  double underlying = GetLastPrice(query.exchangeCode, underlyingCode);
  if (double quoted = 0.0; IsNoPrice(underlying) && QuoteLastPrice(query.exchangeCode, underlyingCode, quoted)) {
    underlying = quoted;
  }
  return GeneralMargin(sold, underlying);
}

}  // namespace engine
