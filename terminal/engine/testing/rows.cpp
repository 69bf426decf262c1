#include "engine/testing/rows.h"

#include <algorithm>
#include <cstddef>
#include <span>

namespace engine_testing {
namespace {

// The first part of a contract code (its variety) and the rest.
std::string_view VarietyPart(std::string_view contract) { return contract.substr(0, 2); }
std::string_view PeriodPart(std::string_view contract) {
  return contract.substr(std::min<std::size_t>(2, contract.size()));
}

// Up to `Count` texts into fields of one width.
template <std::size_t Count, std::size_t Width>
void SetTexts(char (*const (&fields)[Count])[Width], const std::vector<std::string_view>& texts) {
  for (std::size_t index = 0; index < std::min(Count, texts.size()); ++index) SetText(*fields[index], texts[index]);
}

}  // namespace

engine::ContractRow Contract(const ContractFields& fields) {
  engine::ContractRow row{};
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szContractCode, fields.code);
  SetText(row.szContractName, fields.name);
  SetText(row.szVolumePerHand, fields.multiplier);
  SetText(row.szAccountDay, fields.period);
  SetText(row.szVarietyCode, fields.variety);
  SetText(row.szVarietyName, fields.varietyName);
  SetText(row.szMinPriceStep, fields.tick);
  SetText(row.szTradeClass, fields.tradeClass);
  SetText(row.szOptionType, fields.optionType);
  SetText(row.szStrikePrice, fields.strike);
  return row;
}

engine::ContractRow Option(std::string_view code, std::string_view multiplier) {
  constexpr std::string_view kDigits = "0123456789";
  std::string_view rest = code;
  const auto take = [&rest](std::size_t length) {
    const std::string_view taken = rest.substr(0, length);
    rest.remove_prefix(taken.size());
    if (rest.starts_with('-')) rest.remove_prefix(1);
    return taken;
  };
  const std::string_view variety = take(rest.find_first_of(kDigits));
  const std::string_view period = take(rest.find_first_not_of(kDigits));
  const std::string_view type = take(1);
  return Contract({.code = code,
                   .multiplier = multiplier,
                   .period = period,
                   .variety = variety,
                   .tradeClass = "1",
                   .optionType = type,
                   .strike = rest});
}

engine::ExchangeSeatRow ExchangeSeat(const ExchangeSeatFields& fields) {
  engine::ExchangeSeatRow row{};
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szExchangeName, fields.name);
  SetText(row.szExchangeAbbr, fields.abbreviation);
  SetText(row.szSeatCode, fields.seat);
  SetText(row.szCloseTodayFlag, fields.closeToday);
  SetText(row.szMarketOrderFlag, fields.marketOrders);
  SetText(row.szExerciseInstruction, fields.exerciseInstruction);
  return row;
}

void SetPair(engine::RatePair& pair, std::string_view byAmount, std::string_view perLot) {
  SetText(pair.szRateByAmount, byAmount);
  SetText(pair.szAmountPerLot, perLot);
}

engine::FeeRateRow FeeRates(std::string_view contract) {
  engine::FeeRateRow row{};
  SetText(row.szTradeAccount, kAccount);
  SetText(row.szExchangeCode, kExchange);
  SetText(row.szSeatCode, kSeat);
  SetText(row.szContractCode, contract);
  SetPair(row.openCloseFees[0], "0.0001", "0");
  SetPair(row.openCloseFees[1], "0", "2");
  SetPair(row.openCloseFees[2], "0", "0");
  SetPair(row.closeTodayFees[0], "0.0002", "0");
  SetPair(row.closeTodayFees[1], "0", "1");
  SetPair(row.closeTodayFees[2], "0", "0");
  for (engine::RatePair* pair :
       {&row.buySpeculationMargin, &row.sellSpeculationMargin, &row.buyHedgeMargin, &row.sellHedgeMargin}) {
    SetPair(*pair, "0.1", "0");
  }
  return row;
}

engine::PriceContractRow PriceRow(std::string_view contract, std::string_view price, std::string_view exchange) {
  engine::PriceContractRow row{};
  SetText(row.szExchangeCode, exchange);
  SetText(row.szContractCode, contract);
  SetText(row.szNewPrice, price);
  return row;
}

engine::OrderKindRow OrderKind(const OrderKindFields& fields) {
  engine::OrderKindRow row{};
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szStrategyCode, fields.strategy);
  SetText(row.szKindKey3, fields.key3);
  SetText(row.szKindKey4, fields.key4);
  SetText(row.szKindKey5, fields.key5);
  SetText(row.szLegCount, fields.legCount.empty() ? std::to_string(fields.legs.size()) : std::string(fields.legCount));
  for (std::size_t index = 0; index < std::min(std::size(row.legs), fields.legs.size()); ++index) {
    const KindLeg& given = fields.legs[index];
    engine::OrderKindLeg& leg = row.legs[index];
    SetText(leg.szFlagBS, given.buySell);
    SetText(leg.szFlagEO, given.openClose);
    SetText(leg.szVolumeRatio, given.ratio);
    SetText(leg.szPriceSign, given.priceSign);
    SetText(leg.szMarginFactor, given.marginFactor);
  }
  return row;
}

engine::FundRow Fund(const FundFields& fields) {
  engine::FundRow row{};
  SetText(row.szTradeAccount, fields.account);
  SetText(row.szDepositYesterday, fields.previousBalance);
  SetText(row.szBFreeze, fields.buyFrozen);
  SetText(row.szSFreeze, fields.sellFrozen);
  SetText(row.szBCautionMoney, fields.buyMargin);
  SetText(row.szSCautionMoney, fields.sellMargin);
  SetText(row.szUsableMoney, fields.usable);
  SetText(row.szDynamicRights, fields.equity);
  SetText(row.szCommissionCharge, fields.fees);
  SetText(row.szProfitAndLoss, fields.floatingProfit);
  SetText(row.szOffsetProfitAndLoss, fields.closingProfit);
  SetText(row.szIOMoneyToday, fields.depositsToday);
  SetText(row.szFreezeCommissionCharge, fields.feeFrozen);
  SetText(row.szTotalFreeze, fields.totalFrozen);
  SetText(row.szTotalCautionMoney, fields.totalMargin);
  SetText(row.szCreditMoney, fields.credit);
  SetText(row.szRoyaltyOut, fields.premiumPaid);
  SetText(row.szRoyaltyIn, fields.premiumReceived);
  SetText(row.szFrozenRoyalty, fields.premiumFrozen);
  SetText(row.szOptionMarketValue, fields.optionValue);
  SetText(row.szFLOATINGMARGIN, fields.optionFloatingMargin);
  return row;
}

engine::FundRow SellFrozenFund(std::string_view account) {
  return Fund({.account = account,
               .buyFrozen = "0.00",
               .sellFrozen = "200.00",
               .usable = "10000.00",
               .equity = "10000.00",
               .depositsToday = "300.00",
               .feeFrozen = "0.00",
               .totalFrozen = "200.00",
               .credit = "0.00",
               .premiumFrozen = "0.00"});
}

engine::OrderRow Order(const OrderFields& fields) {
  engine::OrderRow row{};
  SetText(row.szTradeAccount, fields.account);
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szOrderNo, fields.orderNo);
  SetText(row.szContractCode, fields.contract);
  SetText(row.szFlagOrderState, fields.state);
  SetText(row.szNameBS, fields.buySell);
  SetText(row.szNameEO, fields.openClose);
  SetText(row.szNameSH, fields.hedge);
  SetText(row.szOrderHands, fields.lots);
  SetText(row.szOrderPrice, fields.price);
  SetText(row.szDealHands, fields.traded);
  SetText(row.szMapCode, fields.tradeCode);
  SetText(row.szSeatCode, fields.seat);
  SetText(row.szStateSequence, fields.sequence);
  SetText(row.szOrderSeat, fields.orderSeat);
  SetText(row.szFrozenCautionMoney, fields.frozenMargin);
  SetText(row.szFrozenCharge, fields.frozenFee);
  SetText(row.szFrozenPremium, fields.frozenPremium);
  return row;
}

engine::SpecialOrderRow SpecialOrder(const SpecialOrderFields& fields) {
  engine::SpecialOrderRow row{};
  SetText(row.szTradeAccount, fields.account);
  SetText(row.szOrderNo, fields.orderNo);
  SetText(row.szFlagOrderState, fields.state);
  SetText(row.szStateSequence, fields.sequence);
  SetText(row.szSysNo, fields.systemNo);
  SetText(row.szMapCode, fields.tradeCode);
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szOrderSeat, fields.orderSeat);
  SetText(row.szDealHands, fields.traded);
  SetText(row.szOrderHands, fields.lots);
  SetText(row.szStrategyCode, fields.strategy);
  SetText(row.szKindKey3, fields.key3);
  SetText(row.szNameBS, fields.key4);
  SetText(row.szNameEO, fields.key5);
  SetTexts({&row.szLegContractCode1, &row.szLegContractCode2, &row.szLegContractCode3, &row.szLegContractCode4},
           fields.legContracts);
  SetTexts({&row.szLegFrozenMoney1, &row.szLegFrozenMoney2, &row.szLegFrozenMoney3, &row.szLegFrozenMoney4},
           fields.legFrozenMoney);
  SetTexts({&row.szLegFrozenCharge1, &row.szLegFrozenCharge2, &row.szLegFrozenCharge3, &row.szLegFrozenCharge4},
           fields.legFrozenFees);
  return row;
}

engine::TradeRow Trade(const TradeFields& fields) {
  engine::TradeRow row{};
  SetText(row.szTradeAccount, fields.account);
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szContractCode, fields.contract);
  SetText(row.szNameBS, fields.buySell);
  SetText(row.szNameEO, fields.openClose);
  SetText(row.szNameSH, fields.hedge);
  SetText(row.szDealHands, fields.lots);
  SetText(row.szDealPrice, fields.price);
  SetText(row.szMapCode, fields.tradeCode);
  SetText(row.szSysNo, "S" + std::string(fields.dealNo));
  SetText(row.szDealNo, fields.dealNo);
  SetText(row.szAccountDay, PeriodPart(fields.contract));
  SetText(row.szSeatCode, fields.seat);
  return row;
}

engine::PositionDetailRow Detail(const DetailFields& fields) {
  engine::PositionDetailRow row{};
  SetText(row.szTradeAccount, fields.account);
  SetText(row.szOpenDate, fields.openDate);
  SetText(row.szDealNo, fields.dealNo);
  SetText(row.szSeatCode, fields.seat);
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szMapCode, fields.tradeCode);
  SetText(row.szVarietyCode, VarietyPart(fields.contract));
  SetText(row.szAccountDay, PeriodPart(fields.contract));
  SetText(row.szFlagBS, fields.buySell);
  SetText(row.szFlagSH, fields.hedge);
  SetText(row.szPositionVolume, fields.lots);
  SetText(row.szPositionPrice, fields.price);
  SetText(row.szOpenPrice, fields.price);
  SetText(row.szEngrossCautionMoney, fields.margin);
  SetText(row.szPosKind, fields.kind);
  SetText(row.szContractCode, fields.contract);
  return row;
}

engine::PositionSummaryRow Summary(const SummaryFields& fields) {
  engine::PositionSummaryRow row{};
  SetText(row.szTradeAccount, fields.account);
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szContractCode, fields.contract);
  SetText(row.szFlagSH, fields.hedge);
  SetText(row.szPositionVolume, fields.lots);
  SetText(row.szMapCode, fields.tradeCode);
  SetText(row.szTodayVolume, fields.todayLots);
  SetText(row.szPositionPrice, fields.positionPrice);
  SetText(row.szFlagBS, fields.buySell);
  SetText(row.szSeatCode, fields.seat);
  SetText(row.szPositionCost, fields.positionCost);
  SetText(row.szOpenCost, fields.openCost);
  SetText(row.szTradeClass, fields.tradeClass);
  return row;
}

engine::CombinationDetailRow Leg(const LegFields& fields) {
  engine::CombinationDetailRow row{};
  SetText(row.szTradeAccount, fields.account);
  SetText(row.szOpenDate, fields.openDate);
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szPosKind, fields.kind);
  SetText(row.szLegNo, fields.legNumber);
  SetText(row.szCombinationNo, fields.combinationNo);
  SetText(row.szDealNo, fields.dealNo);
  SetText(row.szVarietyCode, VarietyPart(fields.contract));
  SetText(row.szAccountDay, PeriodPart(fields.contract));
  SetText(row.szPositionVolume, fields.lots);
  SetText(row.szFlagBS, fields.buySell);
  SetText(row.szPositionPrice, fields.price);
  SetText(row.szEngrossCautionMoney, fields.margin);
  SetText(row.szStrategyCode, fields.strategy);
  SetText(row.szKindKey4, fields.key4);
  return row;
}

backend::ExerciseOrderRow Application(const ApplicationFields& fields) {
  backend::ExerciseOrderRow row{};
  SetText(row.szAccount, fields.account);
  SetText(row.szApplicationNo, fields.applicationNo);
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szContractCode, fields.contract);
  SetText(row.szStateCode, fields.state);
  SetText(row.szTexts10[0], fields.tradeCode);
  SetText(row.szTexts10[1], fields.seat);
  SetText(row.szLots, fields.lots);
  SetText(row.szKey, fields.key);
  SetText(row.szKindFlag, fields.kind);
  return row;
}

engine::ExercisableQuantityRow ExercisableQuantity(const ExercisableQuantityFields& fields) {
  engine::ExercisableQuantityRow row{};
  SetText(row.szTradeAccount, fields.account);
  SetText(row.szExchangeCode, fields.exchange);
  SetText(row.szContractCode, fields.contract);
  SetText(row.szExerciseKey, fields.key);
  SetText(row.szFrozenHands, fields.frozenLots);
  SetText(row.szFrozenHandsKind1, fields.frozenLotsOfKind1);
  return row;
}

}  // namespace engine_testing
