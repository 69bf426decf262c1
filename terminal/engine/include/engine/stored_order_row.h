// The row of the stored-order table (GUI table 17). Each field is named
// after the field of answer 5464 that fills it; a stored-order change (5460)
// fills the fields from szStoredOrderNo to szAnswerField17 and szAnswerField19
// from its request fields 9 to 19. A row is identified by its account and
// szStoredOrderNo.
#pragma once

#include <cstddef>

#include "engine/row_field.h"

namespace engine {

struct StoredOrderRow {
  char szTradeAccount[32];
  char szStoredOrderNo[16];  // the stored order's number
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
