#include "client/engine_callbacks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/subscription_list.h"
#include "client/testing/recording_shell.h"
#include "engine/operation_engine.h"
#include "platform/files.h"
#include "platform/testing/temporary_folder.h"
#include "quotes/optional_contract.h"

namespace {

using client_testing::ConnectionStateCall;
using engine::connection_state::kConnected;
using engine::connection_state::kDisconnected;

constexpr int kQuoteSlot = 1;
constexpr int kReconnecting = 3;

// The views learn of the contracts once the groups are loaded and watched.
class StepShell : public client_testing::RecordingShell {
 public:
  StepShell(std::vector<std::string>& steps, const quotes::CtbOptionalContract& groups)
      : steps_(steps), groups_(groups) {}
  void OnContractsReady() override {
    steps_.push_back("contracts ready, load " + std::to_string(groups_.LoadCount()) +
                     (groups_.IsWatching() ? ", watched" : ""));
    RecordingShell::OnContractsReady();
  }

 private:
  std::vector<std::string>& steps_;
  const quotes::CtbOptionalContract& groups_;
};

class EngineCallbacksTest : public ::testing::Test {
 protected:
  EngineCallbacksTest() {
    engine.SetQuoteConnectionIndex(kQuoteSlot);
    quoteTable.SetQuoteSubscriber(&subscriptions);
    backend::CxDataSet keys;
    quotes::AppendContractKey(keys, quotes::MakeContractKey("1", "cu2607"));
    quoteTable.AddQuoteRefs(keys.View());
    subscriptions.CommitSubscriptionList();  // the first subscription went through
    sent.clear();
  }

  platform_testing::ScopedProgramFolder programFolder{"engine_callbacks"};
  quotes::CtbOptionalContract quoteTable;
  std::vector<std::string> steps;
  StepShell shell{steps, quoteTable};
  client_testing::ScopedShell installed{shell};
  engine::COperationEngine engine;
  std::vector<std::string> sent;
  client::SubscriptionList subscriptions{[this](std::string_view text) {
    sent.emplace_back(text);
    return true;
  }};
  client::EngineGuiCallbacks callbacks{engine, quoteTable};
};

TEST_F(EngineCallbacksTest, TheQuotesAreSubscribedAgainWhenTheQuoteConnectionComesBack) {
  callbacks.OnEngineConnectionState(kQuoteSlot, kReconnecting, kConnected);
  EXPECT_EQ(sent, (std::vector<std::string>{"1,cu2607;"}));

  // Neither another slot nor a report of a connection that never dropped.
  subscriptions.CommitSubscriptionList();
  callbacks.OnEngineConnectionState(0, kReconnecting, kConnected);
  callbacks.OnEngineConnectionState(kQuoteSlot, kConnected, kConnected);
  callbacks.OnEngineConnectionState(kQuoteSlot, kConnected, kDisconnected);
  EXPECT_EQ(sent.size(), 1u);

  EXPECT_EQ(shell.ConnectionStates(),
            (std::vector<ConnectionStateCall>{
                {kConnected, kQuoteSlot}, {kConnected, 0}, {kConnected, kQuoteSlot}, {kDisconnected, kQuoteSlot}}));
}

TEST_F(EngineCallbacksTest, AReconnectGivesASubscriptionRefusedTwiceAnotherChance) {
  callbacks.OnEngineConnectionState(kQuoteSlot, kReconnecting, kConnected);
  subscriptions.RetrySubscriptionList();
  subscriptions.RetrySubscriptionList();
  ASSERT_FALSE(subscriptions.Busy());
  ASSERT_EQ(sent.size(), 2u);

  callbacks.OnEngineConnectionState(kQuoteSlot, kReconnecting, kConnected);
  EXPECT_EQ(sent.size(), 3u);
  EXPECT_TRUE(subscriptions.Busy());
}

TEST_F(EngineCallbacksTest, EachDownloadsEndLoadsAndWatchesTheGroupsBeforeTheContractViews) {
  callbacks.OnEngineDownloadDone();
  callbacks.OnEngineDownloadDone();
  EXPECT_EQ(steps, (std::vector<std::string>{"contracts ready, load 1, watched", "contracts ready, load 2, watched"}));
  EXPECT_EQ(quoteTable.FilePath(), platform::ProgramFolder() + "/Config/Common/tbOptionalContractMQ.dat");
  EXPECT_TRUE(platform::IsRegularFile(quoteTable.FilePath()));  // saved before the second load
}

TEST_F(EngineCallbacksTest, TheEnginesCallbacksReachTheShell) {
  engine::EngineCallbacks bound;
  callbacks.BindTo(bound);
  bound.tableChanged(engine::TableChangeRecord::Reload(engine::table_id::kFunds));
  bound.connectionState(0, kConnected, kReconnecting);
  bound.downloadDone();

  ASSERT_EQ(shell.TableChanges().size(), 1u);
  EXPECT_EQ(shell.TableChanges()[0].TableId(), engine::table_id::kFunds);
  EXPECT_EQ(shell.ConnectionStates(), (std::vector<ConnectionStateCall>{{kReconnecting, 0}}));
  EXPECT_EQ(shell.ContractsReadyCalls(), 1);
}

}  // namespace
