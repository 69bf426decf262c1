#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Every key asked, present or not, finds the row a walk over the table
// finds first, however the table changed since the last lookup.
class FindContractAsTheTableChanges : public FindContract {
 protected:
  void Load(const std::vector<std::array<std::string_view, 2>>& keys) {
    for (const auto& [exchange, code] : keys)
      AddContract(exchange, code, std::string(exchange) + "/" + std::string(code));
  }

  void ExpectWalksAnswer() {
    const std::vector<ContractRow> rows = engine.Rows<ContractRow>(engine::Table::kContracts);
    const std::array<std::string_view, 2> keys[] = {{"F1", "cu01"}, {"F1", "cu02"}, {"F2", "m01"},  {"F2", "cu01"},
                                                    {"F1", ""},     {"F1c", "u01"}, {"F", "1cu01"}, {"F3", "new"}};
    for (const auto& [exchange, code] : keys) {
      std::optional<std::string_view> walked;
      for (const ContractRow& row : rows) {
        if (Text(row.szExchangeCode) == exchange && Text(row.szContractCode) == code) {
          walked = Text(row.szContractName);
          break;
        }
      }
      ContractRow found{};
      const bool hit = engine.FindContract(exchange, code, found);
      EXPECT_EQ(hit ? std::optional<std::string_view>(Text(found.szContractName)) : std::nullopt, walked)
          << exchange << "," << code;
    }
  }

  // Rewrites the key of row `index` in place, as a write into the table would.
  void RekeyInPlace(std::size_t index, std::string_view exchange, std::string_view code) {
    std::lock_guard guard(engine.lock_);
    ContractRow row{};
    std::memcpy(&row, engine.TableAt(engine::Table::kContracts).GetDataPtr(index), sizeof row);
    SetText(row.szExchangeCode, exchange);
    SetText(row.szContractCode, code);
    std::memcpy(engine.TableAt(engine::Table::kContracts).GetDataPtr(index), &row, sizeof row);
  }
};

TEST_F(FindContractAsTheTableChanges, FindsWhatAWalkFinds) {
  ExpectWalksAnswer();
  Load({{"F1", "cu01"}, {"F2", "m01"}, {"F1", "cu02"}});
  ExpectWalksAnswer();
  Load({{"F2", "cu01"}, {"F3", "new"}});  // appended after lookups
  ExpectWalksAnswer();
  {
    std::lock_guard guard(engine.lock_);
    ASSERT_TRUE(engine.TableAt(engine::Table::kContracts).RemoveEntry(1));  // the later rows move down
  }
  ExpectWalksAnswer();
  RekeyInPlace(0, "F1", "cu02x");
  ExpectWalksAnswer();
  RekeyInPlace(0, "F2", "m01");
  ExpectWalksAnswer();
  // Emptied and loaded afresh in another order, the entries numbered anew.
  engine.Replace(engine::Table::kContracts,
                 engine_testing::Contract({.exchange = "F3", .code = "new", .name = "F3/new"}));
  Load({{"F1", "cu02"}, {"F1", "cu01"}, {"F2", "m01"}});
  ExpectWalksAnswer();
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
