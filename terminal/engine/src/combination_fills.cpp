#include "combination_fills.h"

#include "combination_legs.h"
#include "combination_order_legs.h"

namespace engine::combination_fills {

std::optional<CombinationLeg> LegOf(const SpecialOrderRow& order, const OrderKindRow& kind,
                                    std::string_view contractCode) {
  for (std::size_t leg = 0; leg < combination_order_legs::kContractCode.size(); ++leg) {
    if (Text(order.*combination_order_legs::kContractCode[leg]) != contractCode) continue;
    return CombinationLeg{.legNumber = static_cast<int>(leg) + 1,
                          .marginFactor = ReadMoney(kind.legs[leg].szMarginFactor),
                          .strategyCode = std::string(Text(order.szStrategyCode)),
                          .kindKey4 = std::string(Text(order.szNameBS))};
  }
  return std::nullopt;
}

CombinationDetailRow NewCombinationLeg(const TradeRow& trade, const ContractRow& contract, std::string_view tradingDate,
                                       const CombinationLeg& leg, double margin) {
  namespace field = combination_leg;
  CombinationDetailRow row{};
  SetText(row.szTradeAccount, Text(trade.szTradeAccount));
  SetText(row.*field::kOpenDate, tradingDate);
  SetText(row.szExchangeCode, Text(trade.szExchangeCode));
  SetText(row.*field::kSeatCode, Text(trade.szSeatCode));
  SetText(row.*field::kCombinationKind, kLegKind);
  SetInt(row.*field::kLegNumber, leg.legNumber);
  SetText(row.*field::kSystemNo, Text(trade.szSysNo));
  SetText(row.*field::kCombinationNo, Text(trade.szSysNo));
  SetText(row.*field::kDealNo, Text(trade.szDealNo));
  SetText(row.*field::kContractPart1, Text(contract.szVarietyCode));
  SetText(row.*field::kContractPart2, Text(trade.szAccountDay));
  SetText(row.*field::kTradeCode, Text(trade.szMapCode));
  SetText(row.*field::kLots, Text(trade.szDealHands));
  SetText(row.*field::kMultiplier, Text(contract.szVolumePerHand));
  SetText(row.*field::kHedge, Text(trade.szNameSH));
  SetText(row.*field::kBuySell, Text(trade.szNameBS));
  SetText(row.*field::kPrice, Text(trade.szDealPrice));
  SetText(row.*field::kOpenPrice, Text(trade.szDealPrice));
  SetMoney(row.*field::kMargin, margin);
  SetText(row.*field::kStrategyCode, leg.strategyCode);
  SetText(row.*field::kKindKey4, leg.kindKey4);
  return row;
}

}  // namespace engine::combination_fills
