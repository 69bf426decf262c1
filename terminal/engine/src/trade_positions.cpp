// A downloaded trade replayed over the positions, and the current details
// of one summary row summed.
#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "backend/field_text.h"
#include "combination_fills.h"
#include "combination_order_legs.h"
#include "engine/operation_engine_base.h"
#include "lots.h"
#include "position_book.h"
#include "position_rows.h"
#include "typed_rows.h"

namespace engine {
namespace {

using position_rows::kOpen;

}  // namespace

double COperationEngineBase::CalcTradeFee(TradeRow& trade) {
  ContractRow contract{};  // an unknown contract is futures with multiplier 0
  FindContract(Text(trade.szExchangeCode), Text(trade.szContractCode), contract);
  const int lots = ReadInt(trade.szDealHands);
  const int multiplier = ReadInt(contract.szVolumePerHand);
  LotCosts perLot;
  // Without a rate the trade costs nothing.
  CalcLotCosts(LotOfTrade(trade), contract, perLot);
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

  const std::string tradingDate = TradingDate();
  std::lock_guard guard(lock_);
  std::optional<combination_fills::CombinationLeg> leg;
  const std::optional<SpecialOrderRow> order =
      typed_rows::FindRow<SpecialOrderRow>(TableAt(Table::kSpecialOrders), [&](const SpecialOrderRow& row) {
        return Text(row.szExchangeCode) == Text(trade.szExchangeCode) && Text(row.szSysNo) == Text(trade.szSysNo) &&
               Text(row.szTradeAccount) == Text(trade.szTradeAccount);
      });
  if (OrderKindRow kind{}; order && combination_order_legs::FindKindOf(*this, *order, kind)) {
    leg = combination_fills::LegOf(*order, kind, Text(trade.szContractCode));
  }
  const std::string_view combinationKind = leg ? combination_fills::kLegKind : position_rows::kOrdinaryKind;
  const double margin = perLot.margin * lots * (leg ? leg->marginFactor : 1.0);
  SetMoney(trade.szMargin, margin);

  // A row the table cannot take is lost, as any failed append.
  typed_rows::AppendRow(TableAt(Table::kPositionDetails),
                        position_rows::NewDetail({.account = Text(trade.szTradeAccount),
                                                  .tradingDate = tradingDate,
                                                  .dealNo = Text(trade.szDealNo),
                                                  .seatCode = Text(trade.szSeatCode),
                                                  .exchangeCode = Text(trade.szExchangeCode),
                                                  .answerField11 = Text(trade.szAnswerField24),
                                                  .tradeCode = Text(trade.szMapCode),
                                                  .variety = Text(contract.szVarietyCode),
                                                  .deliveryPeriod = Text(trade.szAccountDay),
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
                          combination_fills::NewCombinationLeg(trade, contract, tradingDate, *leg, margin));
  }
  return fee;
}

PositionSummaryRow COperationEngineBase::ApplyTradeToPositions(const PositionKey& position) {
  PositionBook::Sums sums;
  {
    std::lock_guard guard(lock_);
    sums = FollowedPositions().SumsOf(position);
  }
  PositionSummaryRow row{};
  if (sums.lots == 0) return row;
  ContractRow contract{};
  FindContract(position.exchangeCode, position.contractCode, contract);
  SetText(row.szTradeAccount, position.account);
  SetText(row.szExchangeCode, position.exchangeCode);
  SetText(row.szContractCode, position.contractCode);
  SetText(row.szFlagSH, position.hedge);
  SetText(row.szMapCode, position.tradeCode);
  SetText(row.szFlagBS, position.buySell);
  SetText(row.szSeatCode, position.seatCode);
  SetText(row.szVarietyCode, Text(contract.szVarietyCode));
  SetText(row.szAccountDay, Text(contract.szAccountDay));
  SetText(row.szTradeClass, Text(contract.szTradeClass));
  WriteSummarySums(row, sums);
  return row;
}

}  // namespace engine
