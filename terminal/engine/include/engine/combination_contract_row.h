// The row of the combination-contract table (GUI table 12): one row per
// combination contract, whose code holds "&". No download fills the table;
// the query facade and the recalculation's combination flags read it.
#pragma once

#include <cstddef>

#include "engine/row_field.h"

namespace engine {

struct CombinationContractRow {
  char szExchangeCode[4];  // first field: the recalculation compares it with the seats' exchanges
  char szExchangeName[16];
  char szStrategyCode[8];   // the combination strategy: the first key of the conditional query
  char szContractCode[64];  // the combination's code, legs joined by "&"
  char szContractName[64];
  char szMinPriceStep[16];  // the combination's price tick
  char szReserved[60];
};
static_assert(sizeof(CombinationContractRow) == 232);
static_assert(offsetof(CombinationContractRow, szExchangeCode) == 0);
static_assert(EngineRow<CombinationContractRow>);

}  // namespace engine
