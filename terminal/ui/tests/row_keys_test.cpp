#include "ui/row_keys.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct HashCase {
  std::string text;
  std::int32_t hash;
};

// Expected values worked out by hand and with an independent calculator:
// letters and digits, a GBK lead byte (a negative signed byte) and a text
// long enough to wrap.
TEST(RowKeys, HashRowKeyFoldsEachCharacterAsASignedByte) {
  const HashCase cases[] = {{"", 0},
                            {"A", 0},
                            {"AA", 0},
                            {"B", 64},
                            {"BA", 4096},
                            {"1", -1024},
                            {"\xB2", -9152},
                            {"BBBBBB", 1090785344},
                            {"10001", -289739776}};
  for (const HashCase& c : cases) EXPECT_EQ(ui::HashRowKey(c.text).hash, c.hash) << c.text;
}

TEST(RowKeys, OrderKeyShiftsTheFoldedSeatAndCodeUnderTheOrderNumber) {
  EXPECT_EQ(ui::MakeOrderRowKey("8", "IF", "").hash, 360768);  // no order number: the fold alone
  EXPECT_EQ(ui::MakeOrderRowKey("8", "IF", "123").hash, -2126512005);
  EXPECT_EQ(ui::MakeOrderRowKey("", "", "").hash, 0);
  EXPECT_EQ(ui::MakeOrderRowKey("0001", "cu2405", "20").hash, 770834452);
  EXPECT_EQ(ui::MakeOrderRowKey("0001", "cu2405", "-5").hash, 770834427);
  // An order number beyond 32 bits wraps instead of overflowing.
  EXPECT_EQ(ui::MakeOrderRowKey("", "", "99999999999").hash, 1215752191);
}

TEST(RowKeys, PositionAndExerciseKeysFoldTheSeatsFirstThreeBytesAndCountMissingOnesAsZero) {
  EXPECT_EQ(ui::MakePositionRowKey("10001", "0001", "cu2405", "88001", "0", "0").hash, 1089762180);
  EXPECT_EQ(ui::MakePositionRowKey("10001", "", "IF2406", "", "1", "1").hash, -940330277);
  EXPECT_EQ(ui::MakePositionRowKey("", "A", "", "", "", "").hash, 65 * 25 - 3007);
  EXPECT_EQ(ui::MakeExerciseRowKey("10001", "m2405-C-3000", "0", "0", "0001").hash, -838209760);
  EXPECT_EQ(ui::MakeExerciseRowKey("", "", "", "", "").hash, -3007);
}

TEST(RowKeys, CodeKeyIsTheQuoteGridsHashAndTradesOfOneOrderShareIt) {
  EXPECT_EQ(ui::MakeCodeRowKey("").hash, 0);
  EXPECT_EQ(ui::MakeCodeRowKey("ab").hash, 3105);
  EXPECT_EQ(ui::MakeCodeRowKey("\xB2").hash, -78);
  EXPECT_EQ(ui::MakeCodeRowKey("IF2406").hash, -2138851739);
  EXPECT_EQ(ui::MakeCodeRowKey(std::string(40, '1')).hash, 703892096);
  EXPECT_EQ(ui::MakeCodeRowKey("20"), ui::MakeCodeRowKey("20"));
  // A trailing blank makes another key.
  EXPECT_NE(ui::MakeCodeRowKey("IF2406").hash, ui::MakeCodeRowKey("IF2406 ").hash);
}

TEST(RowKeys, KeysWhoseHashesCollideDifferInTheirTexts) {
  EXPECT_EQ(ui::HashRowKey("A").hash, ui::HashRowKey("AA").hash);
  EXPECT_NE(ui::HashRowKey("A"), ui::HashRowKey("AA"));
  // The texts are kept apart: ("ab", "c") is not ("a", "bc").
  EXPECT_NE(ui::MakeOrderRowKey("1", "ab", "c").fields, ui::MakeOrderRowKey("1", "a", "bc").fields);
}

}  // namespace
