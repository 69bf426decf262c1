#include "tradeviews/model/option_exercise.h"

#include <gtest/gtest.h>

namespace {

using tradeviews::QuantityEntry;
namespace member = tradeviews::abandon_member;

backend::RequestPtr Answer(std::initializer_list<std::string> lines) {
  backend::RequestPtr record = backend::CreateRequest("查询可放弃执行期权", 0, 2, "_QueryOptionsExercise", 1);
  for (const std::string& line : lines) record->At(0)->answer.AddText(line);
  return record;
}

const std::string kRow = "A|1|2|20261211|10001|D001|01000101|D|0|m2705-C-3000|5|0|1250.00|0|5|0|3035.5|";

TEST(OptionExerciseRows, FourteenFieldsOfEachRowAfterTheStatusLine) {
  const backend::RequestPtr answer = Answer({"A|1|2|Y|2|", kRow, kRow});
  const std::vector<tradeviews::AbandonableOptionRecord> records = tradeviews::BuildOptionExerciseRows(*answer);
  ASSERT_EQ(records.size(), 2u);
  const auto& m = records[0].members;
  EXPECT_EQ(m[0], "20261211");
  EXPECT_EQ(m[member::kTradingCode], "01000101");
  EXPECT_EQ(m[member::kExchange], "D");
  EXPECT_EQ(m[member::kContract], "m2705-C-3000");
  EXPECT_EQ(m[member::kBuyPosition], "5");
  EXPECT_EQ(m[member::kLargest], "5");
  EXPECT_EQ(m[member::kSettlementPrice], "3035.5");
  // The status line alone: no records.
  EXPECT_TRUE(tradeviews::BuildOptionExerciseRows(*Answer({"A|1|2|Y|0|"})).empty());
  EXPECT_TRUE(tradeviews::BuildOptionExerciseRows(*Answer({})).empty());
}

TEST(OptionExerciseRows, EachFieldIsCutToItsWidth) {
  const std::string longCode(40, 'C');
  const backend::RequestPtr answer = Answer({"A|1|2|Y|1|", "A|1|2|202612110|x|y|z|SFE|0|" + longCode + "|1234567890|"});
  const auto records = tradeviews::BuildOptionExerciseRows(*answer);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].members[0], "20261211");  // 9 bytes: 8 and the terminator
  EXPECT_EQ(records[0].members[member::kExchange], "S");
  EXPECT_EQ(records[0].members[member::kContract], std::string(31, 'C'));
  EXPECT_EQ(records[0].members[member::kBuyPosition], "1234567");
}

TEST(AbandonableCells, ProfitWithTwoDecimalsPriceWithTheTicksAndBack) {
  const auto record = tradeviews::BuildOptionExerciseRows(*Answer({"A|1|2|Y|1|", kRow}))[0];
  const tradeviews::Cells cells = tradeviews::AbandonableCells(record, tradeviews::SettlementPriceDecimals(0.001));
  EXPECT_EQ(cells,
            (tradeviews::Cells{"m2705-C-3000", "5", "0", "0", "5", "0", "1250.00", "3035.500", "01000101", "D"}));
  EXPECT_EQ(tradeviews::AbandonableCells(record, tradeviews::SettlementPriceDecimals(1.0))[7], "3035.50");
  EXPECT_EQ(tradeviews::SettlementPriceDecimals(0.5), 2);

  const tradeviews::AbandonableOptionRecord back = tradeviews::AbandonableRecordFromCells(cells);
  EXPECT_EQ(back.members[member::kContract], "m2705-C-3000");
  EXPECT_EQ(back.members[member::kExchange], "D");
  EXPECT_EQ(back.members[member::kLargest], "5");
  EXPECT_EQ(back.members[member::kTradingCode], "01000101");
  EXPECT_EQ(back.members[0], "");  // not shown, not rebuilt
}

TEST(AbandonQuantity, OnlyDigitStringsFromZeroToTheLargest) {
  for (const auto& [text, entry] : {std::pair{"0", QuantityEntry::kTaken},
                                    {"5", QuantityEntry::kTaken},
                                    {"005", QuantityEntry::kTaken},
                                    {"6", QuantityEntry::kRefused},
                                    {"50", QuantityEntry::kRefused},
                                    {"-1", QuantityEntry::kRefused},
                                    {"2x", QuantityEntry::kRefused},
                                    {"1.5", QuantityEntry::kRefused},
                                    {"99999999999999999999", QuantityEntry::kRefused},
                                    {"", QuantityEntry::kEmpty}}) {
    EXPECT_EQ(tradeviews::CheckAbandonQuantity(text, "5"), entry) << text;
  }
  EXPECT_EQ(tradeviews::CheckAbandonQuantity("0", "0"), QuantityEntry::kTaken);
  EXPECT_EQ(tradeviews::CheckAbandonQuantity("1", ""), QuantityEntry::kRefused);
}

}  // namespace
