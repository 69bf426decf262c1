#include "gridctl/model/contract_list.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

engine::ReducedContractRow Row(std::string_view code, std::string_view name, std::string_view variety) {
  engine::ReducedContractRow row{};
  std::memcpy(row.szContractCode, code.data(), code.size());
  std::memcpy(row.szContractName, name.data(), name.size());
  std::memcpy(row.szVarietyCode, variety.data(), variety.size());
  return row;
}

void Add(backend::CxDataSet& list, const engine::ReducedContractRow& row) {
  ASSERT_TRUE(list.AddEntry(nullptr, &row, sizeof(row), 0));
}

TEST(ContractListTest, RowsAreSortedByVarietyThenCodeInPlace) {
  backend::CxDataSet list;
  Add(list, Row("zn2105", "锌2105", "zn"));
  Add(list, Row("cu2103", "铜2103", "cu"));
  Add(list, Row("CU2102", "铜2102", "cu"));
  Add(list, Row("al2101", "铝2101", "al"));
  const char tooShort[] = "x";
  list.AddEntry(nullptr, tooShort, sizeof(tooShort), 0);
  gridctl::SortContractRows(list);
  const std::vector<engine::ReducedContractRow> rows = gridctl::ContractRowsOf(list);
  ASSERT_EQ(rows.size(), 4u);
  std::vector<std::string> codes;
  for (const auto& row : rows) codes.emplace_back(gridctl::FieldText(row.szContractCode));
  EXPECT_EQ(codes, (std::vector<std::string>{"al2101", "CU2102", "cu2103", "zn2105"}));
  EXPECT_EQ(gridctl::FieldText(rows[1].szContractName), "铜2102");
  EXPECT_EQ(list.GetValue(4).size(), sizeof(tooShort));  // left where it was
}

TEST(ContractListTest, TypedTextsMatchCodesWithoutCaseForLettersOnly) {
  EXPECT_TRUE(gridctl::CodeStartsWith("CU2101", "cu"));
  EXPECT_TRUE(gridctl::CodeStartsWith("CU2101", "Cu21"));
  EXPECT_TRUE(gridctl::CodeStartsWith("CU2101", ""));
  EXPECT_FALSE(gridctl::CodeStartsWith("CU2101", "cu-"));
  EXPECT_FALSE(gridctl::CodeStartsWith("CU", "CU2"));
  EXPECT_FALSE(gridctl::CodeStartsWith("IF2103", "if[1"));
}

TEST(ContractListTest, EachVarietyCodeOnce) {
  gridctl::VarietyList varieties;
  varieties.AddVariety("cu", "铜");
  varieties.AddVariety("al", "铝");
  varieties.AddVariety("cu", "另一个铜");
  varieties.AddVariety("CU", "大写");
  ASSERT_EQ(varieties.Count(), 3);
  EXPECT_EQ(varieties.Name(0), "铜");
  EXPECT_EQ(varieties.Code(2), "CU");
  EXPECT_EQ(varieties.Code(3), "");
  EXPECT_EQ(gridctl::VarietyList::IndexOf(1, 2, true), 7);
  EXPECT_EQ(gridctl::VarietyList::IndexOf(0, 2, false), 2);
  varieties.Clear();
  EXPECT_EQ(varieties.Count(), 0);
}

}  // namespace
