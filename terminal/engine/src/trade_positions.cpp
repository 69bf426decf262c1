// A downloaded trade replayed over the positions, and the current details
// of one summary row summed.
#include <array>
#include <mutex>
#include <optional>
#include <string>

#include "combination_legs.h"
#include "engine/operation_engine_base.h"
#include "lots.h"
#include "position_rows.h"
#include "typed_rows.h"

namespace engine {
namespace {

using position_rows::kOpen;

// The combination of a special order that an opening trade is a leg of.
struct CombinationLeg {
  int legNumber = 0;  // 1 to 4
  double marginFactor = 0.0;
  std::string strategyCode;
  std::string kindKey4;
};

using SpecialOrderLegText = char (SpecialOrderRow::*)[16];
constexpr std::array<SpecialOrderLegText, 4> kLegContractCode{
    &SpecialOrderRow::szLegContractCode1, &SpecialOrderRow::szLegContractCode2, &SpecialOrderRow::szLegContractCode3,
    &SpecialOrderRow::szLegContractCode4};

// The leg of the special order whose contract is the trade's; nothing when
// the order's kind is unknown or no leg trades the contract.
std::optional<CombinationLeg> LegOfSpecialOrder(const COperationEngineBase& engine, const SpecialOrderRow& order,
                                                std::string_view contractCode) {
  OrderKindRow kind{};
  if (!engine.FindOrderKind(Text(order.szExchangeCode), Text(order.szStrategyCode), Text(order.szSpecField41),
                            Text(order.szSpecField12), Text(order.szSpecField10), kind)) {
    return std::nullopt;
  }
  for (std::size_t leg = 0; leg < kLegContractCode.size(); ++leg) {
    if (Text(order.*kLegContractCode[leg]) != contractCode) continue;
    return CombinationLeg{.legNumber = static_cast<int>(leg) + 1,
                          .marginFactor = ReadMoney(kind.legs[leg].szMarginFactor),
                          .strategyCode = std::string(Text(order.szStrategyCode)),
                          .kindKey4 = std::string(Text(order.szSpecField12))};
  }
  return std::nullopt;
}

// A leg's combination-detail row, which shares the open date, the deal
// number and the combination kind with the leg's position detail. The legs
// of one combination order share its system number as their combination
// number.
CombinationDetailRow NewCombinationLeg(const TradeRow& trade, const ContractRow& contract, std::string_view tradingDate,
                                       const CombinationLeg& leg, std::string_view combinationKind, double margin) {
  namespace field = combination_leg;
  CombinationDetailRow row{};
  SetText(row.szTradeAccount, Text(trade.szTradeAccount));
  SetText(row.*field::kOpenDate, tradingDate);
  SetText(row.szExchangeCode, Text(trade.szExchangeCode));
  SetText(row.*field::kSeatCode, Text(trade.szSeatCode));
  SetText(row.*field::kCombinationKind, combinationKind);
  SetInt(row.*field::kLegNumber, leg.legNumber);
  SetText(row.*field::kSystemNo, Text(trade.szSysNo));
  SetText(row.*field::kCombinationNo, Text(trade.szSysNo));
  SetText(row.*field::kDealNo, Text(trade.szDealNo));
  SetText(row.*field::kContractPart1, Text(contract.szVarietyCode));
  SetText(row.*field::kContractPart2, Text(trade.szTradeField21));
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

// An average of a cost over lots; no lots have no average.
double Average(double cost, long long lots) { return lots == 0 ? 0.0 : cost / static_cast<double>(lots); }

}  // namespace

double COperationEngineBase::CalcTradeFee(TradeRow& trade) {
  ContractRow contract{};  // an unknown contract is futures with multiplier 0
  FindContract(Text(trade.szExchangeCode), Text(trade.szContractCode), contract);
  const int lots = ReadInt(trade.szDealHands);
  const int multiplier = ReadInt(contract.szVolumePerHand);
  LotCosts perLot;
  // Without a rate the trade costs nothing.
  CalcOptionMargin({.exchangeCode = Text(trade.szExchangeCode),
                    .seatCode = Text(trade.szSeatCode),
                    .contractCode = Text(trade.szContractCode),
                    .buySell = Text(trade.szNameBS),
                    .openClose = Text(trade.szNameEO),
                    .hedge = Text(trade.szNameSH),
                    .customer = Text(trade.szTradeAccount),
                    .price = ReadMoney(trade.szDealPrice)},
                   perLot);
  // The fee as the trade row shows it, so that the day's fees add up to the
  // trades' own.
  const double fee = RoundMoney(perLot.fee * lots);
  const double premium = position_rows::IsOption(contract) ? lots * multiplier * ReadNumber(trade.szDealPrice) : 0.0;
  SetMoney(trade.szRoyalty, premium);
  SetMoney(trade.szCommission, fee);

  if (Text(trade.szNameEO) != kOpen) {
    LegList legs;
    CloseByStrategy(CloseStrategyOf(Text(trade.szExchangeCode), Text(trade.szNameEO)), legs,
                    {.account = Text(trade.szTradeAccount),
                     .exchangeCode = Text(trade.szExchangeCode),
                     .seatCode = Text(trade.szSeatCode),
                     .tradeCode = Text(trade.szMapCode),
                     .contractCode = Text(trade.szContractCode),
                     .buySell = Text(trade.szNameBS),
                     .hedge = Text(trade.szNameSH),
                     .lots = lots});
    return fee;
  }

  const std::string tradingDate = GetLoginTexts().tradingDate;
  std::lock_guard guard(lock_);
  std::optional<CombinationLeg> leg;
  const std::optional<SpecialOrderRow> order =
      typed_rows::FindRow<SpecialOrderRow>(TableAt(Table::kSpecialOrders), [&](const SpecialOrderRow& row) {
        return Text(row.szExchangeCode) == Text(trade.szExchangeCode) &&
               Text(row.szSpecField18) == Text(trade.szSysNo) && Text(row.szTradeAccount) == Text(trade.szTradeAccount);
      });
  if (order) leg = LegOfSpecialOrder(*this, *order, Text(trade.szContractCode));
  const std::string_view combinationKind = leg ? "0" : position_rows::kOrdinaryKind;
  const double margin = perLot.margin * lots * (leg ? leg->marginFactor : 1.0);
  SetMoney(trade.szMargin, margin);

  // A row the table cannot take is lost, as any failed append.
  typed_rows::AppendRow(TableAt(Table::kPositionDetails),
                        position_rows::NewDetail({.account = Text(trade.szTradeAccount),
                                                  .tradingDate = tradingDate,
                                                  .dealNo = Text(trade.szDealNo),
                                                  .seatCode = Text(trade.szSeatCode),
                                                  .exchangeCode = Text(trade.szExchangeCode),
                                                  .posField11 = Text(trade.szTradeField24),
                                                  .tradeCode = Text(trade.szMapCode),
                                                  .variety = Text(contract.szVarietyCode),
                                                  .deliveryPeriod = Text(trade.szTradeField21),
                                                  .buySell = Text(trade.szNameBS),
                                                  .hedge = Text(trade.szNameSH),
                                                  .lots = lots,
                                                  .price = Text(trade.szDealPrice),
                                                  .margin = margin,
                                                  .multiplier = multiplier,
                                                  .combinationKind = combinationKind,
                                                  .contractCode = Text(trade.szContractCode)}));
  if (leg) {
    typed_rows::AppendRow(TableAt(Table::kCombinationDetails),
                          NewCombinationLeg(trade, contract, tradingDate, *leg, combinationKind, margin));
  }
  return fee;
}

PositionSummaryRow COperationEngineBase::ApplyTradeToPositions(const PositionKey& position) {
  ContractRow contract{};
  FindContract(position.exchangeCode, position.contractCode, contract);
  const std::string tradingDate = GetLoginTexts().tradingDate;
  long long volume = 0;
  long long todayVolume = 0;
  double openCost = 0.0;
  double positionCost = 0.0;
  double margin = 0.0;
  {
    std::lock_guard guard(lock_);
    for (const PositionDetailRow& detail : typed_rows::AllRows<PositionDetailRow>(TableAt(Table::kPositionDetails))) {
      if (position_rows::KeyOf(detail) != position) continue;
      const int lots = ReadInt(detail.szPositionVolume);
      volume += lots;
      if (Text(detail.szOpenDate) == tradingDate) todayVolume += lots;
      openCost += lots * ReadMoney(detail.szOpenPrice);
      positionCost += lots * ReadMoney(detail.szPositionPrice);
      margin += ReadMoney(detail.szEngrossCautionMoney);
    }
  }
  PositionSummaryRow row{};
  if (volume == 0) return row;
  SetText(row.szTradeAccount, position.account);
  SetText(row.szExchangeCode, position.exchangeCode);
  SetText(row.szContractCode, position.contractCode);
  SetText(row.szFlagSH, position.hedge);
  SetText(row.szMapCode, position.tradeCode);
  SetText(row.szFlagBS, position.buySell);
  SetText(row.szSeatCode, position.seatCode);
  SetText(row.szSumField142, Text(contract.szVarietyCode));
  SetText(row.szSumField192, Text(contract.szAccountDay));
  SetText(row.szTradeClass, Text(contract.szTradeClass));
  SetInt(row.szPositionVolume, SaturateLots(volume));
  SetInt(row.szTodayVolume, SaturateLots(todayVolume));
  SetMoney(row.szPositionPrice, Average(positionCost, volume));
  SetMoney(row.szOpenPrice, Average(openCost, volume));
  SetMoney(row.szEngrossCautionMoney, margin);
  SetMoney(row.szOpenCost, openCost);
  SetMoney(row.szPositionCost, positionCost);
  return row;
}

}  // namespace engine
