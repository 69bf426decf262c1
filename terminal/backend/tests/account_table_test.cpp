#include "backend/account_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/little_endian.h"

namespace {

using backend::AccountKey;
using backend::AccountRecord;
using backend::AccountTable;

AccountKey Key(const std::string& customerNo, const std::string& password, int slot) {
  AccountKey key;
  customerNo.copy(key.customerNo, sizeof key.customerNo - 1);
  password.copy(key.password, sizeof key.password - 1);
  key.slot = slot;
  return key;
}

// A log-in answer line whose field n (from 5 on) reads "f<n>", up to field `last`.
std::string AnswerLine(int last) {
  std::string line = "R|srv|1|Y|";
  for (int n = 5; n <= last; ++n) line += "f" + std::to_string(n) + "|";
  return line;
}

class LoginTypeGuard {
 public:
  explicit LoginTypeGuard(int type) { backend::SetLoginType(type); }
  ~LoginTypeGuard() { backend::SetLoginType(backend::kTradingLogin); }
};

}  // namespace

TEST(AccountTable, ManagementLoginListsTheManagedAccounts) {
  AccountTable table;
  LoginTypeGuard management(backend::kManagementLogin);
  EXPECT_EQ(table.AddAccount(Key("m01", "pw", 0)), 0u);
  EXPECT_EQ(table.AddAccount(Key("t01", "pw", 1)), 1u);
  EXPECT_EQ(table.AddAccount(Key("t02", "pw", 2)), 2u);
  EXPECT_EQ(table.AddAccount(Key("t03", "pw", 2)), 3u);
  std::vector<AccountKey> keys;
  ASSERT_EQ(table.GetAccountList(keys), 3u);
  EXPECT_STREQ(keys[0].customerNo, "t01");
  EXPECT_STREQ(keys[2].customerNo, "t03");
  EXPECT_EQ(table.GetFirstAccountCode(), "m01");
  EXPECT_EQ(table.FindAccountBySlot(2), &table.At(2));
}

TEST(AccountTable, PlainLoginListsItsOneAccount) {
  AccountTable table;
  std::vector<AccountKey> keys;
  EXPECT_EQ(table.GetAccountList(keys), 0u);
  table.AddAccount(Key("c01", "secret", 0));
  EXPECT_EQ(table.GetAccountList(keys), 1u);
  EXPECT_STREQ(keys[0].customerNo, "c01");
  // A second record of the same customer number reports the first one's index.
  EXPECT_EQ(table.AddAccount(Key("c01", "other", 1)), 0u);
}

TEST(AccountTable, KeysAreFoundByCodeAndSlotAndZeroedWhenAbsent) {
  AccountTable table;
  table.AddAccount(Key("c01", "secret", 1));
  AccountKey key = Key("junk", "junk", 2);
  EXPECT_TRUE(table.CopyAccountKey("c01", key));
  EXPECT_STREQ(key.password, "secret");
  EXPECT_EQ(key.slot, 1);
  EXPECT_TRUE(table.CopyAccountKeyBySlot(1, key));
  EXPECT_STREQ(key.customerNo, "c01");

  EXPECT_FALSE(table.CopyAccountKey("C01", key));  // case matters
  const AccountKey zero{};
  EXPECT_EQ(std::memcmp(&key, &zero, sizeof key), 0);
  EXPECT_FALSE(table.CopyAccountKeyBySlot(0, key));
  EXPECT_EQ(table.FindAccountByCode("c0"), nullptr);
  EXPECT_EQ(table.GetFirstAccountCode(), "");
}

TEST(AccountTable, AnswerFillsFieldsFiveToFortyThree) {
  AccountTable table;
  table.AddAccount(Key("c01", "pw", 0));
  EXPECT_EQ(table.UpdateAccountFromAnswer("nobody", AnswerLine(43)), 1u);
  EXPECT_EQ(table.At(0).Field(5), "");

  // Only 20 fields: 5..19 filled (field 20 has no closing separator), the rest empty.
  std::string shortLine = AnswerLine(19) + "f20";
  EXPECT_EQ(table.UpdateAccountFromAnswer("c01", shortLine), 0u);
  const AccountRecord& record = table.At(0);
  EXPECT_EQ(record.Field(5), "f5");
  EXPECT_EQ(record.Field(19), "f19");
  EXPECT_EQ(record.Field(20), "");
  EXPECT_EQ(record.Field(43), "");
  EXPECT_EQ(record.Field(4), "");

  // Each field is cut to its width less one; 0x01 reads as "|".
  AccountRecord wide;
  backend::FillAccountFromAnswer(wide, "R|srv|1|Y|" + std::string(100, 'n') +
                                           "|12345678901234567890|a\x01"
                                           "b|");
  EXPECT_EQ(wide.Field(5), std::string(63, 'n'));
  EXPECT_EQ(wide.Field(6), "123456789012345");
  EXPECT_EQ(wide.Field(7), "a|b");
  backend::FillAccountFromAnswer(wide, AnswerLine(43));
  EXPECT_EQ(wide.Field(43), "f43");
  EXPECT_EQ(wide.Field(14), "f");  // width 2
}

TEST(AccountTable, KeyTextsAreCutTo63Bytes) {
  AccountTable table;
  AccountKey key;
  std::memset(key.customerNo, 'c', sizeof key.customerNo);  // no terminator at all
  std::memset(key.password, 'p', sizeof key.password);
  table.AddAccount(key);
  EXPECT_EQ(std::string(table.At(0).key.customerNo), std::string(63, 'c'));
  EXPECT_EQ(std::string(table.At(0).key.password), std::string(63, 'p'));
}

TEST(SettingsRows, VarietyRowAndVoiceItemLookups) {
  std::vector<std::uint8_t> rows(3 * backend::kVarietyParamRowSize, 0);
  std::memcpy(&rows[1 * backend::kVarietyParamRowSize + 64], "cu", 2);
  std::memcpy(&rows[2 * backend::kVarietyParamRowSize + 64], "al", 2);
  std::span<const std::uint8_t> row;
  EXPECT_EQ(backend::FindVarietyParamRow(rows, "al", &row), 2);
  EXPECT_EQ(row.data(), &rows[2 * backend::kVarietyParamRowSize]);
  EXPECT_EQ(backend::FindVarietyParamRow(rows, "c", &row), -1);
  EXPECT_EQ(backend::FindVarietyParamRow(std::span(rows).first(100), "", &row), -1);  // no whole row

  std::vector<std::uint8_t> items(2 * backend::kVoiceItemSize, 0);
  platform::StoreLittleEndian<std::uint32_t>(&items[backend::kVoiceItemSize], 7);
  EXPECT_EQ(backend::FindVoiceItem(7, items), 1);
  EXPECT_EQ(backend::FindVoiceItem(0, items), 0);
  EXPECT_EQ(backend::FindVoiceItem(8, items), -1);
}
