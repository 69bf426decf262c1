#include "quotes/contract_key.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using quotes::ContractKey;
using quotes::MakeContractKey;

TEST(ContractKey, TextsAreCutToTheirFieldsOnCharacterBoundaries) {
  const ContractKey key = MakeContractKey("SX", std::string(30, 'a') + "铜");
  EXPECT_EQ(key.Exchange(), "S");
  EXPECT_EQ(key.Code(), std::string(30, 'a'));  // the two-byte character does not fit 31 bytes
  EXPECT_EQ(key.code[31], '\0');
}

TEST(ContractKey, ListsCarryNamelessThirtyFourByteEntries) {
  backend::CxDataSet list;
  ASSERT_TRUE(quotes::AppendContractKey(list, MakeContractKey("S", "cu2409")));
  const char other[] = "not a key";
  ASSERT_TRUE(list.AddEntry(nullptr, other, sizeof other, backend::data_set_block::kRawType));
  // A key whose texts fill their fields without a terminator.
  const std::string unterminated(sizeof(ContractKey), 'x');
  ASSERT_TRUE(list.AddEntry(nullptr, unterminated.data(), unterminated.size(), backend::data_set_block::kRawType));

  ASSERT_EQ(list.GetValue(0).size(), 34u);
  const std::vector<ContractKey> keys = quotes::ReadContractKeys(list.View());
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0], MakeContractKey("S", "cu2409"));
  EXPECT_EQ(keys[1].Exchange(), "x");
  EXPECT_EQ(keys[1].Code(), std::string(31, 'x'));
}

TEST(ContractKey, KeysDifferByExchangeAndByCase) {
  EXPECT_EQ(MakeContractKey("S", "cu2409"), MakeContractKey("S", "cu2409"));
  EXPECT_NE(MakeContractKey("S", "cu2409"), MakeContractKey("D", "cu2409"));
  EXPECT_NE(MakeContractKey("S", "cu2409"), MakeContractKey("S", "CU2409"));
}

}  // namespace
