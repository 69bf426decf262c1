// The row of the stored-order table (GUI table 17). Each field is named
// after the field of answer 5464 that fills it; a stored-order change (5460)
// fills the fields from szStoredField5 to szStoredField17 and szStoredField19
// from its request fields 9 to 19. A row is identified by its account and
// szStoredField5.
#pragma once

#include <cstddef>

#include "engine/row_field.h"

namespace engine {

struct StoredOrderRow {
  char szTradeAccount[32];
  char szStoredField5[16];  // the stored order's number
  char szStoredField6[4];
  char szStoredField7[16];
  char szStoredField8[16];
  char szStoredField9[32];
  char szStoredField10[2];
  char szStoredField12[2];
  char szStoredField14[2];
  char szStoredField16[8];
  char szStoredField17[16];
  char szStoredField18[16];
  char szStoredField19[8];
  char szStoredField20[4];  // "1" once the stored order was sent (5467)
  char szStoredField21[16];
  char szStoredField22[16];
};
static_assert(sizeof(StoredOrderRow) == 206);
static_assert(offsetof(StoredOrderRow, szStoredField5) == 32);
static_assert(EngineRow<StoredOrderRow>);

}  // namespace engine
