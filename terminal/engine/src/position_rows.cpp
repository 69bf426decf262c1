#include "position_rows.h"

#include <string>

#include "backend/field_text.h"

namespace engine::position_rows {

bool IsOption(const ContractRow& contract) {
  const std::string_view kind = Text(contract.szTradeClass);
  return !kind.empty() && kind != "0";
}

PositionKey KeyOf(const PositionDetailRow& detail) {
  return {.account = std::string(Text(detail.szTradeAccount)),
          .exchangeCode = std::string(Text(detail.szExchangeCode)),
          .seatCode = std::string(Text(detail.szSeatCode)),
          .tradeCode = std::string(Text(detail.szMapCode)),
          .contractCode = std::string(backend::TrimBlanks(Text(detail.szContractCode))),
          .hedge = std::string(Text(detail.szFlagSH)),
          .buySell = std::string(Text(detail.szFlagBS))};
}

bool HasKey(const PositionDetailRow& detail, const PositionKey& key) {
  return Text(detail.szFlagBS) == key.buySell && backend::TrimBlanks(Text(detail.szContractCode)) == key.contractCode &&
         Text(detail.szTradeAccount) == key.account && Text(detail.szExchangeCode) == key.exchangeCode &&
         Text(detail.szSeatCode) == key.seatCode && Text(detail.szMapCode) == key.tradeCode &&
         Text(detail.szFlagSH) == key.hedge;
}

PositionKey KeyOf(const PositionSummaryRow& row) {
  return {.account = std::string(Text(row.szTradeAccount)),
          .exchangeCode = std::string(Text(row.szExchangeCode)),
          .seatCode = std::string(Text(row.szSeatCode)),
          .tradeCode = std::string(Text(row.szMapCode)),
          .contractCode = std::string(Text(row.szContractCode)),
          .hedge = std::string(Text(row.szFlagSH)),
          .buySell = std::string(Text(row.szFlagBS))};
}

bool HasKey(const PositionSummaryRow& row, const PositionKey& key) {
  return Text(row.szFlagBS) == key.buySell && Text(row.szContractCode) == key.contractCode &&
         Text(row.szTradeAccount) == key.account && Text(row.szExchangeCode) == key.exchangeCode &&
         Text(row.szSeatCode) == key.seatCode && Text(row.szMapCode) == key.tradeCode &&
         Text(row.szFlagSH) == key.hedge;
}

PositionDetailRow NewDetail(const OpenedLots& opened) {
  PositionDetailRow row{};
  SetText(row.szTradeAccount, opened.account);
  SetText(row.szTradingDate, opened.tradingDate);
  SetText(row.szOpenDate, opened.tradingDate);
  SetText(row.szDealNo, opened.dealNo);
  SetText(row.szSeatCode, opened.seatCode);
  SetText(row.szExchangeCode, opened.exchangeCode);
  SetText(row.szAnswerField11, opened.answerField11);
  SetText(row.szMapCode, opened.tradeCode);
  SetText(row.szVarietyCode, opened.variety);
  SetText(row.szAccountDay, opened.deliveryPeriod);
  SetText(row.szFlagBS, opened.buySell);
  SetText(row.szFlagSH, opened.hedge);
  SetInt(row.szPositionVolume, opened.lots);
  SetText(row.szPositionPrice, opened.price);
  SetText(row.szOpenPrice, opened.price);
  SetMoney(row.szEngrossCautionMoney, opened.margin);
  SetMoney(row.szAnswerField21, opened.margin);
  SetInt(row.szVolumePerHand, opened.multiplier);
  SetText(row.szPosKind, opened.combinationKind);
  SetText(row.szContractCode, opened.contractCode);
  return row;
}

}  // namespace engine::position_rows
