// The row of the stored-order table (GUI table 17), filled from answer 5464:
// szStoredOrderNo from its field 5, szAnswerField<N> from its field N, which
// the engine only carries. A stored-order change (5460) fills the fields from
// szStoredOrderNo to szAnswerField17 and szAnswerField19 from its request
// fields 9 to 19. A row is identified by its account and szStoredOrderNo.
#pragma once

#include <cstddef>

#include "engine/row_field.h"

namespace engine {

struct StoredOrderRow {
  char szTradeAccount[32];
  char szStoredOrderNo[16];
  char szAnswerField6[4];
  char szAnswerField7[16];
  char szAnswerField8[16];
  char szAnswerField9[32];
  char szAnswerField10[2];
  char szAnswerField12[2];
  char szAnswerField14[2];
  char szAnswerField16[8];
  char szAnswerField17[16];
  char szAnswerField18[16];
  char szAnswerField19[8];
  char szSentFlag[4];  // "1" once the stored order was sent (5467)
  char szAnswerField21[16];
  char szAnswerField22[16];
};
static_assert(sizeof(StoredOrderRow) == 206);
static_assert(offsetof(StoredOrderRow, szStoredOrderNo) == 32);
static_assert(EngineRow<StoredOrderRow>);

}  // namespace engine
