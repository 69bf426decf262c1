#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "engine/testing/started_engine.h"

namespace {

using engine::DownloadState;
using engine::EngineState;
using engine::TableChangeRecord;
using engine_testing::ConnectionStateCall;
namespace table_id = engine::table_id;

const std::vector<int> kReconnectReloads{1, 2, 3, 4, 5, 7, 20, 21};
const std::vector<int> kInitialReloads{1, 2, 3, 4, 5, 7, 20, 21, 11, 12, 8, 10, 17};

bool OnlyReloads(const std::vector<TableChangeRecord>& records) {
  return std::ranges::all_of(records, [](const TableChangeRecord& record) {
    return record.Operation() == 'f' && record.RowCount() == 0 && record.RowIndex() == 0;
  });
}

using BatchClose = engine_testing::StartedEngine<>;

TEST_F(BatchClose, TheInitialDownloadEndsWithEveryReloadAndThePostDownloadHook) {
  EXPECT_EQ(engine.GetEngineState(), EngineState::kInitialDownload);
  engine.OnPushBatchDone();
  EXPECT_TRUE(gui.changes.empty()) << "nothing before the download is done";
  EXPECT_EQ(engine.GetEngineState(), EngineState::kInitialDownload);

  engine.FinishDownload();
  engine.OnPushBatchDone();
  EXPECT_EQ(gui.ChangedTableIds(), kInitialReloads);
  EXPECT_TRUE(OnlyReloads(gui.changes));
  EXPECT_EQ(gui.downloadDoneCalls, 1);
  EXPECT_EQ(gui.connectionStates, (std::vector<ConnectionStateCall>{{.connection = 0, .flag = 0, .state = 1}}));
  EXPECT_EQ(engine.GetEngineState(), EngineState::kReady);
  EXPECT_EQ(engine.GetDownloadState(), DownloadState::kIdle);

  gui.Clear();
  engine.OnPushBatchDone();
  EXPECT_TRUE(gui.changes.empty());
  EXPECT_EQ(gui.downloadDoneCalls, 0);
}

TEST_F(BatchClose, AReconnectDownloadReloadsTheAccountTablesOnly) {
  MakeReady();
  engine.OnConnectionState(2, 1, 0);  // the connection is lost ...
  engine.OnConnectionState(1, 2, 0);  // ... and comes back from reconnecting
  EXPECT_EQ(engine.GetEngineState(), EngineState::kReconnectDownload);
  EXPECT_EQ(engine.GetDownloadState(), DownloadState::kScheduled);

  engine.FinishDownload();
  engine.OnPushBatchDone();
  EXPECT_EQ(gui.ChangedTableIds(), kReconnectReloads);
  EXPECT_EQ(gui.downloadDoneCalls, 0);
  // One record for the engine's connection: its last state, its first flag.
  EXPECT_EQ(gui.connectionStates, (std::vector<ConnectionStateCall>{{.connection = 0, .flag = 1, .state = 1}}));
  EXPECT_EQ(engine.GetEngineState(), EngineState::kReady);
}

TEST_F(BatchClose, ConnectionChangesScheduleTheDownloadTheirPreviousStateCallsFor) {
  struct Case {
    int flag;
    EngineState expected;
  };
  MakeReady();
  for (const Case& c : {Case{0, EngineState::kInitialDownload}, Case{2, EngineState::kReconnectDownload},
                        Case{3, EngineState::kReconnectDownload}, Case{1, EngineState::kReady}}) {
    engine.OnConnectionState(1, c.flag, 0);
    EXPECT_EQ(engine.GetEngineState(), c.expected) << "flag " << c.flag;
    const bool scheduled = c.expected != EngineState::kReady;
    EXPECT_EQ(engine.GetDownloadState(), scheduled ? DownloadState::kScheduled : DownloadState::kIdle);
    if (scheduled) engine.FinishDownload();
    engine.OnPushBatchDone();
    EXPECT_EQ(engine.GetEngineState(), EngineState::kReady);
  }
}

TEST_F(BatchClose, AScheduledDownloadIsNotScheduledAgain) {
  MakeReady();
  engine.OnConnectionState(1, 2, 0);
  engine.RequestFullDownload();
  engine.OnConnectionState(1, 0, 0);
  EXPECT_EQ(engine.GetEngineState(), EngineState::kReconnectDownload);

  engine.FinishDownload();
  engine.OnPushBatchDone();
  engine.RequestFullDownload();
  EXPECT_EQ(engine.GetEngineState(), EngineState::kInitialDownload);
  EXPECT_EQ(engine.GetDownloadState(), DownloadState::kScheduled);
}

TEST_F(BatchClose, NoRecordReachesTheGuiFromTheSchedulingOfADownloadToItsClose) {
  MakeReady();
  const TableChangeRecord update = TableChangeRecord::RowChange(table_id::kTrades, 'i', 1, 0, {});
  engine.RequestFullDownload();
  engine.RaiseChange(update, true);
  engine.NotifyTableChange(update);
  engine.FinishDownload();
  engine.RaiseChange(update, true);
  // A report that the connection is still up (a drop would make the
  // finished download run again).
  engine.OnConnectionState(1, 1, 0);
  EXPECT_TRUE(gui.changes.empty());
  EXPECT_TRUE(gui.connectionStates.empty());

  engine.OnPushBatchDone();
  EXPECT_EQ(gui.ChangedTableIds(), kInitialReloads);
}

// The engine with downloads that succeed, run by its real download thread.
class DownloadingEngine : public engine::COperationEngine {
 public:
  ~DownloadingEngine() override { StopDownloadThread(); }
  std::atomic<int> initialDownloads{0};
  std::atomic<int> reconnectDownloads{0};

 protected:
  bool DownloadAll() override {
    ++initialDownloads;
    return true;
  }
  bool DownloadAfterReconnect() override {
    ++reconnectDownloads;
    return true;
  }
};

TEST(DownloadThread, RunsTheDownloadTheEngineStateAsksForAndWaitsForTheClose) {
  engine_testing::RecordingGui gui;
  backend::AccountTable accounts;
  DownloadingEngine engine;
  ASSERT_TRUE(engine.Start({.accounts = &accounts}, gui.Callbacks()));
  ASSERT_TRUE(engine_testing::Eventually([&] { return engine.GetDownloadState() == DownloadState::kDone; }));
  EXPECT_EQ(engine.initialDownloads.load(), 1);
  EXPECT_EQ(gui.LogTexts().front(), "计算引擎：下载线程启动。");
  EXPECT_EQ(engine.GetEngineState(), EngineState::kInitialDownload) << "ready only after the close";
  engine.OnPushBatchDone();
  EXPECT_EQ(gui.ChangedTableIds(), kInitialReloads);

  gui.Clear();
  engine.OnConnectionState(1, 2, 0);
  ASSERT_TRUE(engine_testing::Eventually([&] { return engine.GetDownloadState() == DownloadState::kDone; }));
  EXPECT_EQ(engine.reconnectDownloads.load(), 1);
  engine.OnPushBatchDone();
  EXPECT_EQ(gui.ChangedTableIds(), kReconnectReloads);
  EXPECT_EQ(engine.GetEngineState(), EngineState::kReady);

  engine.Stop();
  EXPECT_EQ(gui.LogTexts().back(), "计算引擎：下载线程退出。");
}

}  // namespace
