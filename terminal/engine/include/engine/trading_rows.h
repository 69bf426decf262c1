// Rows of the tables that hold the account's business: orders, special
// (combination) orders, trades, position details and summary, contracts to
// price, combination position details, order kinds, condition and
// profit/loss orders, and the exercisable option quantities. The rules of
// engine/reference_rows.h hold: fields through engine/row_field.h, one name
// for one quantity in every row, and szAnswerField<N> carrying field N of the
// answer that fills the row.
//
// The key offsets asserted below are those by which the change queue finds
// a held row again.
#pragma once

#include <cstddef>

#include "engine/row_field.h"

namespace engine {

// GUI table 2. Key: exchange code, order number, placing seat. Answer 5134,
// the lines without a strategy code.
struct OrderRow {
  char szTradeAccount[32];
  char szExchangeCode[20];
  char szOrderNo[16];  // a decimal number
  char szContractCode[64];
  char szFlagOrderState[4];   // order state code
  char szOrderStateText[16];  // written by the order pushes
  char szNameBS[10];          // "0" buy, "1" sell
  char szNameEO[11];          // "0" open, "1" close, "2" close today
  char szNameSH[11];          // "0" speculation, "1" hedge
  char szOrderHands[8];
  char szOrderPrice[16];
  char szDealHands[8];
  char szDealPrice[16];
  char szSysNo[16];  // the order's system number, as its trades carry it
  char szMapCode[16];
  char szAnswerField8[16];
  char szOrderTime[16];
  char szDeclareTime[16];
  char szAnswerField22[16];
  char szAnswerField23[16];
  char szDelOrderTime[16];
  char szOrderType[8];
  char szSeatCode[16];
  char szAnswerField27[16];
  char szRemark[64];
  char szStateSequence[32];  // the pushes apply only a greater sequence
  char szOrderSeat[16];      // the seat the order was placed through
  char szAnswerField33[16];
  char szOrderFormType[8];
  char szDealAttr[380];  // validity: "0" GFD, "1" FOK, "2" FAK
  char szWinLossPrice[16];
  char szSpringTime[16];
  char szAnswerField45[64];
  char szAnswerField46[16];
  char szAnswerField47[32];
  char szFrozenCautionMoney[16];  // money
  char szFrozenCharge[16];        // money
  char szFrozenPremium[16];       // money
  char szTradeClass[2];           // the contract's option flag; empty for an unknown contract
  char szReserved[16];
};
static_assert(sizeof(OrderRow) == 1126);
static_assert(offsetof(OrderRow, szExchangeCode) == 32);
static_assert(offsetof(OrderRow, szOrderNo) == 52);
static_assert(offsetof(OrderRow, szOrderSeat) == 496);

// GUI table 3: an order on a combination strategy of up to four legs. Key:
// exchange code, order number, placing seat. Answer 5134, the lines with a
// strategy code, whose fields mean what they mean in OrderRow.
struct SpecialOrderRow {
  char szTradeAccount[32];
  char szOrderNo[16];
  char szFlagOrderState[4];
  char szStateSequence[16];
  char szSysNo[16];
  char szMapCode[16];
  char szExchangeCode[4];  // first key of the order-kind lookup
  char szSeatCode[16];
  char szOrderSeat[16];
  char szAnswerField33[16];
  char szAnswerField30[12];
  char szAnswerField27[8];
  char szOrderTime[16];
  char szDeclareTime[16];
  char szDelOrderTime[16];
  char szAnswerField23[16];
  char szDealHands[8];
  char szDealPrice[16];
  char szOrderHands[8];
  char szOrderPrice[16];
  char szStrategyCode[8];  // second key of the order-kind lookup
  char szOrderFormType[4];
  char szDealAttr[4];
  char szKindKey3[2];  // third key of the order-kind lookup
  char szNameBS[2];    // fourth key
  char szNameEO[2];    // fifth key
  char szNameSH[2];
  char szLegContractCode1[16];
  char szLegContractCode2[16];
  char szLegContractCode3[16];
  char szLegContractCode4[16];
  char szLegFrozenMoney1[16];  // money
  char szLegFrozenMoney2[16];
  char szLegFrozenMoney3[16];
  char szLegFrozenMoney4[16];
  char szLegFrozenCharge1[16];  // money
  char szLegFrozenCharge2[16];
  char szLegFrozenCharge3[16];
  char szLegFrozenCharge4[16];
  char szContractCode[32];  // answer field 56, which replaces an order's contract
};
static_assert(sizeof(SpecialOrderRow) == 532);
static_assert(offsetof(SpecialOrderRow, szOrderNo) == 32);
static_assert(offsetof(SpecialOrderRow, szExchangeCode) == 100);
static_assert(offsetof(SpecialOrderRow, szOrderSeat) == 120);

// GUI table 4, in ascending order of szDealNo after a load. Answer 5003,
// fields 4 to 24 in order.
struct TradeRow {
  char szTradeAccount[32];
  char szExchangeCode[4];
  char szAnswerField5[16];
  char szOrderNo[16];
  char szContractCode[32];
  char szAnswerField8[32];
  char szNameBS[2];
  char szAnswerField10[8];
  char szNameEO[2];
  char szAnswerField12[8];
  char szNameSH[2];
  char szAnswerField14[8];
  char szDealHands[8];
  char szDealPrice[16];
  char szAnswerField17[16];
  char szMapCode[16];
  char szSysNo[16];
  char szDealNo[16];      // a decimal number
  char szAccountDay[16];  // the contract's delivery period
  char szDealTime[16];
  char szSeatCode[16];
  char szAnswerField24[8];
  char szMargin[16];      // money, from the fee calculation
  char szCommission[16];  // money, from the fee calculation
  char szRoyalty[16];     // money, from the fee calculation
  char szTradeClass[4];
};
static_assert(sizeof(TradeRow) == 358);

// An open position lot group as the back end reports it (answer 5132); the
// engine keeps the current details and the details as downloaded.
struct PositionDetailRow {
  char szTradeAccount[32];
  char szTradingDate[16];
  char szOpenDate[16];  // the trading date the detail was opened
  char szDealNo[16];    // the opening trade's number
  char szSeatCode[16];
  char szAnswerField9[16];
  char szExchangeCode[4];
  char szAnswerField11[8];
  char szMapCode[16];
  char szVarietyCode[8];  // joined with szAccountDay: the contract code
  char szAccountDay[16];
  char szFlagBS[2];
  char szFlagSH[2];
  char szPositionVolume[8];
  char szPositionPrice[16];
  char szOpenPrice[16];
  char szEngrossCautionMoney[16];  // money
  char szAnswerField21[16];        // a detail opened by a trade carries its margin here too
  char szVolumePerHand[8];
  char szPosKind[32];        // "ordinary", else the combination kind of a leg
  char szCombinationNo[32];  // combination number of a leg
  char szContractCode[32];
};
static_assert(sizeof(PositionDetailRow) == 344);

// GUI table 5 (and the single-contract table that GUI id 6 builds): one row
// per account, exchange, contract, direction, hedge, trade code and seat.
struct PositionSummaryRow {
  char szTradeAccount[32];
  char szExchangeCode[4];
  char szContractCode[32];
  char szFlagSH[2];
  char szPositionVolume[8];
  char szNewPrice[16];
  char szProfitAndLoss_KC[16];  // floating profit and loss
  char szProfitAndLoss_CC[16];  // mark-to-market profit and loss
  char szMapCode[16];
  char szVarietyCode[8];
  char szTodayVolume[8];
  char szPositionPrice[16];  // average holding price, money
  char szOpenPrice[16];      // average open price, money
  char szFlagBS[2];
  char szAccountDay[16];
  char szSeatCode[16];
  char szEngrossCautionMoney[16];  // money
  char szPositionCost[16];         // money
  char szOpenCost[16];             // money
  char szOptionMarketValue[16];
  char szTradeClass[4];
  char szFLOATINGMARGIN[16];
};
static_assert(sizeof(PositionSummaryRow) == 308);

// The contracts whose last prices the engine refreshes.
struct PriceContractRow {
  char szExchangeCode[4];
  char szContractCode[32];
  char szNewPrice[16];
};
static_assert(sizeof(PriceContractRow) == 52);

// One leg of a combination position as the back end reports it (answer
// 5133); the engine keeps the current details and the details as downloaded.
// A leg and its position detail share szOpenDate, szDealNo and szPosKind.
struct CombinationDetailRow {
  char szTradeAccount[32];
  char szOpenDate[16];
  char szExchangeCode[4];  // first key of the order-kind lookup
  char szSeatCode[16];
  char szPosKind[2];  // the combination kind
  char szLegNo[32];   // 1 to 4
  char szSysNo[32];
  char szCombinationNo[16];  // combination number, shared by its legs
  char szDealNo[16];
  char szAnswerField13[16];
  char szAnswerField14[16];
  char szAnswerField15[16];
  char szVarietyCode[8];  // joined with szAccountDay: the leg's contract code
  char szAccountDay[16];
  char szMapCode[16];
  char szPositionVolume[8];  // lots of the leg
  char szVolumePerHand[8];
  char szFlagSH[2];
  char szFlagBS[2];
  char szPositionPrice[16];
  char szOpenPrice[16];
  char szAnswerField25[16];
  char szAnswerField26[16];
  char szAnswerField27[16];
  char szAnswerField28[16];
  char szAnswerField29[8];
  char szAnswerField30[16];
  char szEngrossCautionMoney[16];  // margin of the leg, money
  char szAnswerField32[16];
  char szAnswerField33[16];
  char szAnswerField34[16];
  char szAnswerField35[16];
  char szStrategyCode[8];   // combination strategy code: second key of the order-kind lookup
  char szKindKey4[2];       // fourth key of the order-kind lookup
  char szAnswerField38[3];  // its last byte is the combination build's done mark
};
static_assert(sizeof(CombinationDetailRow) == 487);

// One leg of an order kind.
struct OrderKindLeg {
  char szFlagBS[2];
  char szFlagEO[2];
  char szVolumeRatio[16];
  char szPriceSign[4];  // the leg price's factor in the combination price
  char szMarginFactor[16];
};

// GUI table 8: a single-contract order kind or a combination strategy.
struct OrderKindRow {
  char szExchangeCode[4];
  char szStrategyCode[8];
  char szKindKey3[2];
  char szKindKey4[2];
  char szKindKey5[2];
  char szLegCount[4];
  OrderKindLeg legs[4];
};
static_assert(sizeof(OrderKindLeg) == 40);
static_assert(sizeof(OrderKindRow) == 182);

// GUI table 19: answer 5478, fields 4 to 44 in order. Keyed by
// szConditionOrderNo.
struct ConditionOrderRow {
  char szConditionOrderNo[16];
  char szOrderNo[16];  // the order it placed
  char szAnswerField6[4];
  char szAnswerField7[16];
  char szAnswerField8[32];
  char szFlagOrderState[4];  // the state of the order it placed
  char szAnswerField10[2];
  char szAnswerField11[2];
  char szAnswerField12[2];
  char szAnswerField13[16];
  char szAnswerField14[8];
  char szAnswerField15[16];
  char szAnswerField16[8];
  char szAnswerField17[16];
  char szAnswerField18[16];
  char szAnswerField19[16];
  char szAnswerField20[8];
  char szAnswerField21[8];
  char szFlagConditionState[8];  // an order state code
  char szAnswerField23[128];
  char szAnswerField24[32];
  char szAnswerField25[32];
  char szAnswerField26[8];
  char szAnswerField27[16];
  char szAnswerField28[16];
  char szAnswerField29[16];
  char szAnswerField30[16];
  char szAnswerField31[16];
  char szAnswerField32[16];
  char szAnswerField33[16];
  char szAnswerField34[16];
  char szAnswerField35[16];
  char szAnswerField36[8];
  char szAnswerField37[16];
  char szTriggerMetFlag[4];  // "1" when the trigger condition is already met
  char szAnswerField39[16];
  char szAnswerField40[8];
  char szAnswerField41[16];
  char szAnswerField42[16];
  char szAnswerField43[16];
  char szAnswerField44[16];
};
static_assert(sizeof(ConditionOrderRow) == 674);

// GUI table 18: answer 5474, fields 4 to 35 in order but field 10 before
// field 9. Keyed by szProfitLossOrderNo.
struct ProfitLossOrderRow {
  char szProfitLossOrderNo[16];
  char szAnswerField5[16];
  char szAnswerField6[16];
  char szAnswerField7[32];
  char szAnswerField8[16];
  char szAnswerField10[16];
  char szAnswerField9[16];
  char szAnswerField11[16];
  char szAnswerField12[16];
  char szAnswerField13[4];
  char szAnswerField14[16];
  char szAnswerField15[16];
  char szAnswerField16[16];
  char szAnswerField17[16];
  char szAnswerField18[16];
  char szFlagProfitLossState[16];
  char szProfitLossStateText[16];
  char szAnswerField21[16];
  char szAnswerField22[4];
  char szAnswerField23[16];
  char szAnswerField24[16];
  char szAnswerField25[32];
  char szAnswerField26[2];
  char szAnswerField27[2];
  char szAnswerField28[2];
  char szAnswerField29[8];
  char szAnswerField30[16];
  char szAnswerField31[4];
  char szAnswerField32[16];
  char szAnswerField33[8];
  char szAnswerField34[8];
  char szAnswerField35[16];
};
static_assert(sizeof(ProfitLossOrderRow) == 442);

// GUI table 20: the lots of an option position frozen by waiting exercise
// and abandon applications. Built from the first line of answer 5242, whose
// fields 5, 6, 8, 9, 10, 7, 11, 12, 14 and 13 fill the row in order, and by
// the applications themselves.
//
// Mapping:
// - Key: account, exchange code, option contract and key text (answer 5242
//   field 7: the seat the applications go out through). An application
//   (backend::ExerciseOrderRow) matches the row when its szAccount,
//   szExchangeCode, szContractCode and szKey (answer 5246 field 26, the
//   application's order seat) equal these four.
// - A new row made from an application copies the application's buy/sell
//   and hedge codes (answer 5246 fields 9 and 10, ExerciseOrderRow::szTexts10)
//   into szFlagBS and szFlagSH, the same columns of answer 5242.
// - The two quantities are answer 5242 fields 11 and 12: szFrozenHands sums
//   the lots of applications whose kind flag is not "1", szFrozenHandsKind1
//   those whose kind flag is "1". Both are "%d" texts.
struct ExercisableQuantityRow {
  char szTradeAccount[32];
  char szExchangeCode[4];
  char szContractCode[32];
  char szFlagBS[12];
  char szFlagSH[12];
  char szExerciseKey[42];
  char szFrozenHands[12];
  char szFrozenHandsKind1[12];
  char szAnswerField14[12];
  char szAnswerField13[28];
};
static_assert(sizeof(ExercisableQuantityRow) == 198);
static_assert(offsetof(ExercisableQuantityRow, szExchangeCode) == 32);
static_assert(offsetof(ExercisableQuantityRow, szContractCode) == 36);
static_assert(offsetof(ExercisableQuantityRow, szExerciseKey) == 92);

static_assert(EngineRow<OrderRow> && EngineRow<SpecialOrderRow> && EngineRow<TradeRow> &&
              EngineRow<PositionDetailRow> && EngineRow<PositionSummaryRow> && EngineRow<PriceContractRow> &&
              EngineRow<CombinationDetailRow> && EngineRow<OrderKindRow> && EngineRow<ConditionOrderRow> &&
              EngineRow<ProfitLossOrderRow> && EngineRow<ExercisableQuantityRow>);

}  // namespace engine
