#include "combination_fills.h"

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
  CombinationDetailRow row{};
  SetText(row.szTradeAccount, Text(trade.szTradeAccount));
  SetText(row.szOpenDate, tradingDate);
  SetText(row.szExchangeCode, Text(trade.szExchangeCode));
  SetText(row.szSeatCode, Text(trade.szSeatCode));
  SetText(row.szPosKind, kLegKind);
  SetInt(row.szLegNo, leg.legNumber);
  SetText(row.szSysNo, Text(trade.szSysNo));
  SetText(row.szCombinationNo, Text(trade.szSysNo));
  SetText(row.szDealNo, Text(trade.szDealNo));
  SetText(row.szVarietyCode, Text(contract.szVarietyCode));
  SetText(row.szAccountDay, Text(trade.szAccountDay));
  SetText(row.szMapCode, Text(trade.szMapCode));
  SetText(row.szPositionVolume, Text(trade.szDealHands));
  SetText(row.szVolumePerHand, Text(contract.szVolumePerHand));
  SetText(row.szFlagSH, Text(trade.szNameSH));
  SetText(row.szFlagBS, Text(trade.szNameBS));
  SetText(row.szPositionPrice, Text(trade.szDealPrice));
  SetText(row.szOpenPrice, Text(trade.szDealPrice));
  SetMoney(row.szEngrossCautionMoney, margin);
  SetText(row.szStrategyCode, leg.strategyCode);
  SetText(row.szKindKey4, leg.kindKey4);
  return row;
}

}  // namespace engine::combination_fills
