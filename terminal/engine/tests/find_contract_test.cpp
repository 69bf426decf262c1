#include <gtest/gtest.h>

#include <cstring>

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

}  // namespace
