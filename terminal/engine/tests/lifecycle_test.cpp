#include <gtest/gtest.h>

#include <string>

#include "engine/testing/open_engine.h"
#include "engine/testing/recording_gui.h"

namespace {

using engine::EngineState;
using engine::Table;
namespace table_id = engine::table_id;

backend::AccountKey Key(const std::string& customerNo, const std::string& password, int slot) {
  backend::AccountKey key;
  customerNo.copy(key.customerNo, sizeof key.customerNo - 1);
  password.copy(key.password, sizeof key.password - 1);
  key.slot = slot;
  return key;
}

// A log-in answer whose field 9 is the trading date and field 24 the
// contract-cache tag.
std::string LoginAnswer(const std::string& date, const std::string& tag) {
  std::string line = "A|1|2|Y|";
  for (int n = 5; n <= 30; ++n) line += (n == 9 ? date : n == 24 ? tag : "x") + "|";
  return line;
}

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    accounts.AddAccount(Key("m01", "mpw", 0));
    accounts.AddAccount(Key("t01", "tpw", 1));
    accounts.UpdateAccountFromAnswer("m01", LoginAnswer("20261209", "tag-m"));
    accounts.UpdateAccountFromAnswer("t01", LoginAnswer("20261210", "tag-t"));
  }

  backend::AccountTable accounts;
  engine_testing::RecordingGui gui;
  engine_testing::OpenEngine engine;
};

TEST_F(Lifecycle, StartServesTheAccountOfTheLoginsSlot) {
  struct Case {
    int loginType;
    int slot;
    std::string customer, password, date, tag;
  };
  for (const Case& c : {Case{backend::kTradingLogin, 0, "m01", "mpw", "20261209", "tag-m"},
                        Case{backend::kManagementLogin, 1, "t01", "tpw", "20261210", "tag-t"}}) {
    ASSERT_TRUE(engine.Start({.machineAddress = "00-11-22-33-44-55",
                              .requestPrefix = "",
                              .applicationTag = "Pellora",
                              .accounts = &accounts,
                              .loginType = c.loginType},
                             gui.Callbacks()));
    EXPECT_EQ(engine.ConnectionIndex(), c.slot);
    const auto texts = engine.GetLoginTexts();
    EXPECT_EQ(texts.machineAddress, "00-11-22-33-44-55");
    EXPECT_EQ(texts.applicationTag, "Pellora");
    EXPECT_EQ(texts.customerNumber, c.customer);
    EXPECT_EQ(texts.password, c.password);
    EXPECT_EQ(texts.tradingDate, c.date);
    EXPECT_EQ(texts.contractCacheTag, c.tag);
    EXPECT_EQ(engine.GetEngineState(), EngineState::kInitialDownload);
    EXPECT_EQ(engine.GetDownloadState(), engine::DownloadState::kIdle);
    engine.Stop();
    EXPECT_EQ(engine.ConnectionIndex(), -1);
  }
}

TEST_F(Lifecycle, StartCutsTheTextsToTheirFields) {
  std::string address;
  for (int i = 0; i < 30; ++i) address += "网";
  ASSERT_TRUE(engine.Start({.machineAddress = address, .accounts = &accounts}, gui.Callbacks()));
  EXPECT_EQ(engine.GetLoginTexts().machineAddress, address.substr(0, 48));
}

TEST_F(Lifecycle, AStoppedEngineClosesNothing) {
  ASSERT_TRUE(engine.Start({.accounts = &accounts}, gui.Callbacks()));
  engine.FinishDownload();
  engine.SetQuoteConnectionIndex(2);
  engine.Stop();
  EXPECT_EQ(engine.QuoteConnectionIndex(), -1);
  engine.OnConnectionState(1, 0, 0);
  engine.OnPushBatchDone();
  EXPECT_TRUE(gui.changes.empty());
  EXPECT_TRUE(gui.connectionStates.empty());
  EXPECT_EQ(engine.GetEngineState(), EngineState::kInitialDownload);
}

TEST(TableCatalogue, MapsTheGuiIdsOfStoredTablesOnly) {
  EXPECT_EQ(engine::StoredTableFor(table_id::kFunds), Table::kFunds);
  EXPECT_EQ(engine::StoredTableFor(table_id::kOrders), Table::kOrders);
  EXPECT_EQ(engine::StoredTableFor(table_id::kAlwaysEmpty15), Table::kAlwaysEmpty15);
  EXPECT_EQ(engine::StoredTableFor(table_id::kProfitLossOrders), Table::kProfitLossOrders);
  EXPECT_EQ(engine::StoredTableFor(table_id::kConditionOrders), Table::kConditionOrders);
  EXPECT_EQ(engine::StoredTableFor(table_id::kExerciseOrders), Table::kExerciseOrders);
  for (const int id : {0, 6, 7, 14, 22, -1}) EXPECT_FALSE(engine::StoredTableFor(id).has_value()) << id;
}

}  // namespace
