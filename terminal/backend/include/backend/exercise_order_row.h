// One option exercise or abandon application as the engine keeps it (its
// table of applications) and as the option operations fill it from the
// back end's answers: 880 bytes of zero-terminated texts of fixed width,
// back to back, zero-filled before they are built. The row travels whole in
// table-change records and table copies, so its layout is fixed.
//
// The back end does not name every column; the members that no one reads by
// meaning are named by their width and kept in answer order.
#pragma once

#include <cstddef>
#include <type_traits>

namespace backend {

struct ExerciseOrderRow {
  char szAccount[32];
  char szApplicationNo[16];
  char szExchangeCode[4];
  char szExchangeName[16];  // looked up from the exchange seats
  char szContractCode[64];
  char szStateCode[20];  // an order state letter
  char szTexts10[2][10];
  char szLots[8];
  char szTexts16A[2][16];
  char szText32[32];
  char szTexts16B[7][16];
  char szTexts12A[2][12];
  char szKey[16];  // with the application number, exchange and account: the row's identity
  char szTexts16C[4][16];
  char szText12B[12];
  // One 40-byte member: the kind flag ("1" selects the second frozen
  // quantity of the exercisable row) and two money amounts ("%.2f").
  char szKindFlag[8];
  char szAmounts[2][16];
  char szText64[64];
  char szTexts16D[2][16];
  char szUnused[16];
  char szText256[256];
};

static_assert(std::is_trivially_copyable_v<ExerciseOrderRow> && std::is_standard_layout_v<ExerciseOrderRow>);
static_assert(offsetof(ExerciseOrderRow, szApplicationNo) == 32);
static_assert(offsetof(ExerciseOrderRow, szExchangeCode) == 48);
static_assert(offsetof(ExerciseOrderRow, szExchangeName) == 52);
static_assert(offsetof(ExerciseOrderRow, szContractCode) == 68);
static_assert(offsetof(ExerciseOrderRow, szStateCode) == 132);
static_assert(offsetof(ExerciseOrderRow, szTexts10) == 152);
static_assert(offsetof(ExerciseOrderRow, szLots) == 172);
static_assert(offsetof(ExerciseOrderRow, szTexts16A) == 180);
static_assert(offsetof(ExerciseOrderRow, szText32) == 212);
static_assert(offsetof(ExerciseOrderRow, szTexts16B) == 244);
static_assert(offsetof(ExerciseOrderRow, szTexts12A) == 356);
static_assert(offsetof(ExerciseOrderRow, szKey) == 380);
static_assert(offsetof(ExerciseOrderRow, szTexts16C) == 396);
static_assert(offsetof(ExerciseOrderRow, szText12B) == 460);
static_assert(offsetof(ExerciseOrderRow, szKindFlag) == 472);
static_assert(offsetof(ExerciseOrderRow, szAmounts) == 480);
static_assert(offsetof(ExerciseOrderRow, szText64) == 512);
static_assert(offsetof(ExerciseOrderRow, szTexts16D) == 576);
static_assert(offsetof(ExerciseOrderRow, szUnused) == 608);
static_assert(offsetof(ExerciseOrderRow, szText256) == 624);
static_assert(sizeof(ExerciseOrderRow) == 880);

}  // namespace backend
