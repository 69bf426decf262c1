// GUI table 7: one row per combination position, built on request from the
// combination position details.
#pragma once

#include <cstddef>

#include "engine/row_field.h"

namespace engine {

// Money fields hold "%.2f", lots "%d". The trade code, seat and fourth kind
// key are those of the position's first leg.
struct CombinationSummaryRow {
  char szExchangeCode[4];
  char szStrategyCode[8];
  char szMapCode[16];
  char szSeatCode[16];
  char szCombinationCode[64];  // "<strategy> <leg 1>&<leg 2>[&<leg 3>[&<leg 4>]]"
  char szKindKey4[2];
  char szPositionVolume[8];  // combination lots
  char szCombinationPrice[16];
  char szEngrossCautionMoney[16];  // margin of all legs
  char szLegCount[8];
  char szLegContractCode[4][16];
  char szLegFlagBS[4][2];
  char szLegVolume[4][8];
  char szLegPrice[4][16];  // average price of the leg
  char szLegMargin[4][16];
};
static_assert(sizeof(CombinationSummaryRow) == 390);
static_assert(offsetof(CombinationSummaryRow, szCombinationCode) == 44);
static_assert(offsetof(CombinationSummaryRow, szLegCount) == 150);
static_assert(offsetof(CombinationSummaryRow, szLegContractCode) == 158);
static_assert(offsetof(CombinationSummaryRow, szLegFlagBS) == 222);
static_assert(offsetof(CombinationSummaryRow, szLegVolume) == 230);
static_assert(offsetof(CombinationSummaryRow, szLegPrice) == 262);
static_assert(offsetof(CombinationSummaryRow, szLegMargin) == 326);
static_assert(EngineRow<CombinationSummaryRow>);

}  // namespace engine
