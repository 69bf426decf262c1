#include "download_rows.h"

#include "backend/field_text.h"
#include "engine/operation_engine_base.h"

namespace engine::download_rows {
namespace {

constexpr int kStrategyCodeField = 34;
// The contract code of an order line replaces field 7 unless it is empty or
// "0".
constexpr int kOrderContractField = 7;
constexpr int kOrderContractOverrideField = 56;

// An answer field as the number it reads as: the leading decimal number
// after blanks, 0 when there is none.
double NumberOf(std::string_view text) {
  char field[64];
  SetText(field, text);
  return ReadNumber(field);
}

// Stores an answer field as money: "%.2f" of its money-rounded value.
template <std::size_t Width>
void SetMoneyField(char (&field)[Width], const LineFields& line, int n) {
  SetMoney(field, NumberOf(line.Field(n)));
}

}  // namespace

bool IsSpecialOrderLine(const LineFields& line) { return !line.Trimmed(kStrategyCodeField).empty(); }

OrderRow OrderRowFromLine(std::string_view account, const LineFields& line, const COperationEngineBase& engine) {
  OrderRow row{};
  SetText(row.szTradeAccount, account);
  SetText(row.szExchangeCode, line.Field(6));
  SetText(row.szOrderNo, line.Field(5));
  const std::string_view contractOverride = line.Field(kOrderContractOverrideField);
  const bool overridden = !contractOverride.empty() && contractOverride != "0";
  SetText(row.szContractCode, overridden ? contractOverride : line.Field(kOrderContractField));
  SetText(row.szFlagOrderState, line.Field(9));
  SetText(row.szNameBS, line.Field(12));
  SetText(row.szNameEO, line.Field(10));
  SetText(row.szNameSH, line.Field(11));
  SetText(row.szOrderHands, line.Field(14));
  SetText(row.szOrderPrice, line.Field(13));
  SetText(row.szDealHands, line.Field(17));
  SetText(row.szDealPrice, line.Field(16));
  SetText(row.szSysNo, line.Field(18));
  SetText(row.szMapCode, line.Field(21));
  SetText(row.szAnswerField8, line.Field(8));
  FillInOrder(line, 19, row.szOrderTime, row.szDeclareTime);
  FillInOrder(line, 22, row.szAnswerField22, row.szAnswerField23, row.szDelOrderTime, row.szOrderType, row.szSeatCode,
              row.szAnswerField27, row.szRemark, row.szStateSequence);
  FillInOrder(line, 32, row.szOrderSeat, row.szAnswerField33);
  FillInOrder(line, 39, row.szOrderFormType, row.szDealAttr);
  FillInOrder(line, 42, row.szWinLossPrice, row.szSpringTime);
  FillInOrder(line, 45, row.szAnswerField45, row.szAnswerField46, row.szAnswerField47);
  SetMoneyField(row.szFrozenCautionMoney, line, 48);
  SetMoneyField(row.szFrozenCharge, line, 52);
  SetMoneyField(row.szFrozenPremium, line, 57);
  ContractRow contract{};
  if (engine.FindContract(Text(row.szExchangeCode), Text(row.szContractCode), contract)) {
    SetText(row.szTradeClass, Text(contract.szTradeClass));
  }
  return row;
}

SpecialOrderRow SpecialOrderRowFromLine(std::string_view account, const LineFields& line) {
  SpecialOrderRow row{};
  SetText(row.szTradeAccount, account);
  SetText(row.szOrderNo, line.Field(5));
  SetText(row.szFlagOrderState, line.Field(9));
  SetText(row.szStateSequence, line.Field(29));
  SetText(row.szSysNo, line.Field(18));
  SetText(row.szMapCode, line.Field(21));
  SetText(row.szExchangeCode, line.Field(6));
  SetText(row.szSeatCode, line.Field(26));
  SetText(row.szOrderSeat, line.Field(32));
  SetText(row.szAnswerField33, line.Field(33));
  SetText(row.szAnswerField30, line.Field(30));
  SetText(row.szAnswerField27, line.Field(27));
  FillInOrder(line, 19, row.szOrderTime, row.szDeclareTime);
  SetText(row.szDelOrderTime, line.Field(24));
  SetText(row.szAnswerField23, line.Field(23));
  SetText(row.szDealHands, line.Field(17));
  SetText(row.szDealPrice, line.Field(16));
  SetText(row.szOrderHands, line.Field(14));
  SetText(row.szOrderPrice, line.Field(13));
  SetText(row.szStrategyCode, line.Field(kStrategyCodeField));
  FillInOrder(line, 39, row.szOrderFormType, row.szDealAttr, row.szKindKey3);
  SetText(row.szNameBS, line.Field(12));
  FillInOrder(line, 10, row.szNameEO, row.szNameSH);
  FillInOrder(line, 35, row.szLegContractCode1, row.szLegContractCode2, row.szLegContractCode3, row.szLegContractCode4);
  int field = 48;
  for (auto* money :
       {&row.szLegFrozenMoney1, &row.szLegFrozenMoney2, &row.szLegFrozenMoney3, &row.szLegFrozenMoney4,
        &row.szLegFrozenCharge1, &row.szLegFrozenCharge2, &row.szLegFrozenCharge3, &row.szLegFrozenCharge4}) {
    SetMoneyField(*money, line, field++);
  }
  SetText(row.szContractCode, line.Field(56));
  return row;
}

ConditionOrderRow ConditionOrderRowFromLine(const LineFields& line) {
  ConditionOrderRow row{};
  FillInOrder(line, 4, row.szConditionOrderNo, row.szOrderNo, row.szAnswerField6, row.szAnswerField7,
              row.szAnswerField8, row.szFlagOrderState, row.szAnswerField10, row.szAnswerField11, row.szAnswerField12,
              row.szAnswerField13, row.szAnswerField14, row.szAnswerField15, row.szAnswerField16, row.szAnswerField17,
              row.szAnswerField18, row.szAnswerField19, row.szAnswerField20, row.szAnswerField21,
              row.szFlagConditionState, row.szAnswerField23, row.szAnswerField24, row.szAnswerField25,
              row.szAnswerField26, row.szAnswerField27, row.szAnswerField28, row.szAnswerField29, row.szAnswerField30,
              row.szAnswerField31, row.szAnswerField32, row.szAnswerField33, row.szAnswerField34, row.szAnswerField35,
              row.szAnswerField36, row.szAnswerField37, row.szTriggerMetFlag, row.szAnswerField39, row.szAnswerField40,
              row.szAnswerField41, row.szAnswerField42, row.szAnswerField43, row.szAnswerField44);
  return row;
}

ProfitLossOrderRow ProfitLossOrderRowFromLine(const LineFields& line) {
  ProfitLossOrderRow row{};
  FillInOrder(line, 4, row.szProfitLossOrderNo, row.szAnswerField5, row.szAnswerField6, row.szAnswerField7,
              row.szAnswerField8);
  FillInOrder(line, 9, row.szAnswerField9, row.szAnswerField10);
  FillInOrder(line, 11, row.szAnswerField11, row.szAnswerField12, row.szAnswerField13, row.szAnswerField14,
              row.szAnswerField15, row.szAnswerField16, row.szAnswerField17, row.szAnswerField18,
              row.szFlagProfitLossState, row.szProfitLossStateText, row.szAnswerField21, row.szAnswerField22,
              row.szAnswerField23, row.szAnswerField24, row.szAnswerField25, row.szAnswerField26, row.szAnswerField27,
              row.szAnswerField28, row.szAnswerField29, row.szAnswerField30, row.szAnswerField31, row.szAnswerField32,
              row.szAnswerField33, row.szAnswerField34, row.szAnswerField35);
  return row;
}

LineFields AsDownloadLine(std::string_view answerLine) {
  const std::size_t firstEnd = answerLine.find(backend::kFieldSeparator);
  return LineFields(firstEnd == std::string_view::npos ? std::string_view{} : answerLine.substr(firstEnd + 1));
}

backend::ExerciseOrderRow ExerciseOrderRowFromLine(const LineFields& line) {
  backend::ExerciseOrderRow row{};
  FillInOrder(line, 4, row.szAccount, row.szApplicationNo, row.szExchangeCode);
  FillInOrder(line, 7, row.szContractCode, row.szStateCode, row.szTexts10[0], row.szTexts10[1], row.szLots,
              row.szTexts16A[0], row.szTexts16A[1], row.szText32);
  FillInOrder(line, 15, row.szTexts16B[0], row.szTexts16B[1], row.szTexts16B[2], row.szTexts16B[3], row.szTexts16B[4],
              row.szTexts16B[5], row.szTexts16B[6], row.szTexts12A[0], row.szTexts12A[1], row.szText256);
  // Field 25 is not kept.
  FillInOrder(line, 26, row.szKey, row.szTexts16C[0], row.szTexts16C[1], row.szTexts16C[2], row.szTexts16C[3],
              row.szText12B, row.szText64, row.szTexts16D[0], row.szTexts16D[1], row.szKindFlag);
  return row;
}

ExercisableQuantityRow ExercisableQuantityRowFromLine(const LineFields& line) {
  ExercisableQuantityRow row{};
  FillInOrder(line, 5, row.szTradeAccount, row.szExchangeCode);
  SetText(row.szExerciseKey, line.Field(7));
  FillInOrder(line, 8, row.szContractCode, row.szFlagBS, row.szFlagSH, row.szFrozenHands, row.szFrozenHandsKind1,
              row.szAnswerField13, row.szAnswerField14);
  return row;
}

}  // namespace engine::download_rows
