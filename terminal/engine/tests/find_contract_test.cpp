#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/reference_rows.h"
#include "engine/testing/open_engine.h"

namespace {

using engine::ContractRow;
using engine::SetText;
using engine::Text;

class FindContract : public ::testing::Test {
 protected:
  void AddContract(std::string_view exchange, std::string_view code, std::string_view name) {
    engine.Add(engine::Table::kContracts, engine_testing::Contract({.exchange = exchange, .code = code, .name = name}));
  }

  engine_testing::OpenEngine engine;
};

TEST_F(FindContract, FindsTheFirstRowOfTheExactKey) {
  AddContract("F1", "cu2609", "沪铜2609");
  AddContract("F2", "m2609", "豆粕2609");
  AddContract("F2", "m2609", "豆粕2609 second");
  ContractRow found{};
  ASSERT_TRUE(engine.FindContract("F2", "m2609", found));
  EXPECT_EQ(Text(found.szContractName), "豆粕2609");
}

TEST_F(FindContract, MissesLeaveTheBufferAsItWas) {
  AddContract("F1", "cu2609", "沪铜2609");
  ContractRow buffer{};
  SetText(buffer.szContractName, "untouched");
  const char* const misses[][2] = {{"F1", "CU2609"}, {"F1", "cu2609 "}, {"F2", "cu2609"}, {"", ""}};
  for (const auto& miss : misses) {
    EXPECT_FALSE(engine.FindContract(miss[0], miss[1], buffer)) << miss[0] << "," << miss[1];
  }
  EXPECT_EQ(Text(buffer.szContractName), "untouched");
}

TEST_F(FindContract, SeesTheTableAsItIsNowAfterEarlierLookups) {
  AddContract("F1", "cu2609", "沪铜2609");
  ContractRow found{};
  ASSERT_TRUE(engine.FindContract("F1", "cu2609", found));
  ASSERT_FALSE(engine.FindContract("F1", "al2609", found));
  AddContract("F1", "al2609", "沪铝2609");
  ASSERT_TRUE(engine.FindContract("F1", "al2609", found));
  EXPECT_EQ(Text(found.szContractName), "沪铝2609");
  // Emptied and loaded afresh with as many rows: the old rows are gone.
  engine.Replace(engine::Table::kContracts, engine_testing::Contract({.exchange = "F2", .code = "m2609"}));
  AddContract("F2", "y2609", "豆油2609");
  EXPECT_FALSE(engine.FindContract("F1", "cu2609", found));
  EXPECT_FALSE(engine.FindContract("F1", "al2609", found));
  ASSERT_TRUE(engine.FindContract("F2", "y2609", found));
  EXPECT_EQ(Text(found.szContractName), "豆油2609");
}

TEST_F(FindContract, CodesThatJoinAlikeStayApart) {
  // "F" + 0x1F + "a" with "b", and "F" with "a" + 0x1F + "b".
  const std::string longExchange = std::string("F\x1f") + "a";
  const std::string longCode = std::string("a\x1f") + "b";
  AddContract(longExchange, "b", "first");
  AddContract("F", longCode, "second");
  ContractRow found{};
  ASSERT_TRUE(engine.FindContract("F", longCode, found));
  EXPECT_EQ(Text(found.szContractName), "second");
  ASSERT_TRUE(engine.FindContract(longExchange, "b", found));
  EXPECT_EQ(Text(found.szContractName), "first");
}

}  // namespace
