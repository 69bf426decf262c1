// Rows of the engine's account and reference tables: funds, close strategies,
// order types, contracts, exchange seats, trade codes and the fee-rate cache.
// Fields are read and written through engine/row_field.h. A field name means
// the same quantity in every row of the engine, except szAnswerField<N>: field
// N of the answer that fills the row, carried as the back end sends it, to
// which nothing in the engine gives a meaning.
#pragma once

#include <cstddef>
#include <string_view>

#include "engine/row_field.h"

namespace engine {

// One row per account (GUI table 1). Answer 5002, fields 5 to 35 in order
// after the account.
struct FundRow {
  char szTradeAccount[32];  // the key
  char szAnswerField5[16];
  char szDepositYesterday[16];  // "上日结存"
  char szBFreeze[16];           // frozen for buy orders
  char szSFreeze[16];           // frozen for sell orders
  char szBCautionMoney[16];     // margin of buy positions
  char szSCautionMoney[16];     // margin of sell positions
  char szAnswerField11[16];
  char szAnswerField12[16];
  char szUsableMoney[24];          // "可用资金"
  char szDynamicRights[24];        // "动态权益"
  char szDynamicRiskLevel[16];     // the company's risk ratio, a fraction
  char szSecurity[16];             // risk level code: "1" 追加, "2" 强平, "3" 穿仓, "4" 低权, else 正常
  char szCommissionCharge[16];     // fees of the day
  char szProfitAndLoss[16];        // floating profit and loss
  char szOffsetProfitAndLoss[16];  // profit and loss of closed positions
  char szAnswerField20[16];
  char szAnswerField21[16];
  char szIOMoneyToday[16];  // deposits less withdrawals of the day
  char szFreezeCommissionCharge[16];
  char szTotalFreeze[16];
  char szTotalCautionMoney[16];
  char szAnswerField26[16];
  char szAnswerField27[16];
  char szCreditMoney[16];
  char szAnswerField29[8];
  char szDynamicRiskLevel2[16];  // the exchange's risk ratio, a fraction
  char szRoyaltyOut[16];         // option premium paid
  char szRoyaltyIn[16];          // option premium received
  char szFrozenRoyalty[16];
  char szOptionMarketValue[16];
  char szFLOATINGMARGIN[16];  // floating margin of option positions
};
static_assert(sizeof(FundRow) == 536);
static_assert(offsetof(FundRow, szTradeAccount) == 0);

// The close strategy of an exchange: "策略1", "策略2" or "策略3".
struct CloseStrategyRow {
  char szExchangeCode[4];
  char szCloseStrategy[32];
};
static_assert(sizeof(CloseStrategyRow) == 36);

// GUI table 9. Answer 5323, fields 4 to 7 in order, trimmed.
struct OrderTypeRow {
  char szExchangeCode[4];
  char szOrderFormType[4];  // "定单类型"
  char szAnswerField6[4];
  char szAnswerField7[2];
};
static_assert(sizeof(OrderTypeRow) == 14);

// GUI table 11; keyed by exchange code and contract code. Answer 5008 (or the
// contract cache), fields 4 to 8, 11 to 16 and 22 to 24 in order.
struct ContractRow {
  char szExchangeCode[4];
  char szExchangeName[16];
  char szContractCode[32];
  char szContractName[32];
  char szVolumePerHand[8];  // the multiplier: units per lot
  char szAccountDay[16];    // delivery period
  char szAnswerField12[8];
  char szAnswerField13[8];
  char szVarietyCode[8];
  char szVarietyName[32];
  char szMinPriceStep[8];
  char szTradeClass[4];  // "1" option, anything else futures
  char szOptionType[4];  // "C" call, anything else put
  char szStrikePrice[16];
};
static_assert(sizeof(ContractRow) == 196);
static_assert(offsetof(ContractRow, szContractCode) == 20);

// GUI table 10. Answer 5454: fields 4 to 8, then the three items of field 9.
struct ExchangeSeatRow {
  char szExchangeCode[4];
  char szExchangeName[16];
  char szExchangeAbbr[8];  // "sfe", "dce", "czce" or "cffex"
  char szSeatCode[16];
  char szAnswerField8[2];
  char szCloseTodayFlag[2];       // "1": close-today orders taken on this seat
  char szMarketOrderFlag[2];      // "1": market orders taken on this seat
  char szGroupFlag[2];            // "1": the views give the exchange its futures and option groups
  char szCombinationFlag[2];      // "1" when the exchange has combination contracts
  char szExerciseInstruction[2];  // exercise_instruction below
};
static_assert(sizeof(ExchangeSeatRow) == 56);

// What an exchange takes of option applications, by its abbreviation.
namespace exercise_instruction {
inline constexpr std::string_view kExerciseOnly = "1";
inline constexpr std::string_view kAbandonOnly = "2";
inline constexpr std::string_view kBoth = "3";
}  // namespace exercise_instruction
// The instruction code of an exchange abbreviation, compared exactly: empty
// for any abbreviation but the four known ones.
std::string_view ExerciseInstructionFor(std::string_view exchangeAbbr);

// GUI table 13.
struct TradeCodeRow {
  char szTradeAccount[32];
  char szExchangeCode[4];
  char szMapCode[16];  // the account's trade code at the exchange
  char szSeatCode[16];
  char szTradeCodeType[2];
  char szTradeCodeState[2];
};
static_assert(sizeof(TradeCodeRow) == 72);

// One fee and margin rate: a rate by amount and an amount per lot.
struct RatePair {
  char szRateByAmount[16];
  char szAmountPerLot[16];
};

// The fee-rate cache: one row per account, exchange, seat and contract.
struct FeeRateRow {
  char szTradeAccount[32];
  char szExchangeCode[4];
  char szSeatCode[16];
  char szContractCode[32];
  RatePair openCloseFees[3];
  RatePair closeTodayFees[3];
  char szFeeRateField[2][16];
  RatePair buySpeculationMargin;
  RatePair sellSpeculationMargin;
  RatePair buyHedgeMargin;
  RatePair sellHedgeMargin;
};
static_assert(sizeof(FeeRateRow) == 436);
static_assert(offsetof(FeeRateRow, openCloseFees) == 84);
static_assert(offsetof(FeeRateRow, buySpeculationMargin) == 84 + 14 * 16);

// The parameters of an option contract that its margin needs (answer 5245):
// decimal texts, the fourth not used by the calculation.
struct OptionParamsRow {
  char szExchangeCode[4];
  char szAnswerField6[9];
  char szContractCode[32];
  char szUnderlyingPrice[12];
  char szGuaranteeNumerator[12];
  char szGuaranteeDenominator[12];
  char szAnswerField11[12];
};
static_assert(sizeof(OptionParamsRow) == 93);

static_assert(EngineRow<FundRow> && EngineRow<CloseStrategyRow> && EngineRow<OrderTypeRow> && EngineRow<ContractRow> &&
              EngineRow<ExchangeSeatRow> && EngineRow<TradeCodeRow> && EngineRow<FeeRateRow> &&
              EngineRow<OptionParamsRow>);

}  // namespace engine
