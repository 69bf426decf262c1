#include <gtest/gtest.h>

#include "backend/request_record.h"
#include "shell/exchange_clock.h"
#include "shell/frame_routing.h"
#include "shell/hide_state.h"
#include "shell/output_lines.h"

namespace {

TEST(OutputLines, EveryLineOfABurstIsKeptAndMovedInTickSizedBatches) {
  shell::PendingOutputLines pending;
  for (int i = 0; i < 25; ++i) pending.Push(1, "撤单：" + std::to_string(i));
  std::vector<shell::OutputLine> shown;
  for (int tick = 0; tick < 3; ++tick) {
    const std::vector<shell::OutputLine> batch = pending.TakeBatch();
    EXPECT_LE(batch.size(), shell::kOutputBatch);
    shown.insert(shown.end(), batch.begin(), batch.end());
  }
  ASSERT_EQ(shown.size(), 25u);
  EXPECT_EQ(shown[24].text, "撤单：24");
  EXPECT_EQ(pending.Count(), 0u);
}

TEST(OutputLines, ALongLineIsCutOnACharacterBoundary) {
  shell::PendingOutputLines pending;
  std::string text(700, 'x');
  for (int i = 0; i < 400; ++i) text += "行";
  pending.Push(6, text);
  const std::string cut = pending.TakeBatch().at(0).text;
  EXPECT_EQ(cut.size(), 1022u);  // 700 single bytes and 161 whole characters
  EXPECT_EQ(cut, text.substr(0, 1022));
}

TEST(OutputLines, TheStampAndTheStatusText) {
  const platform::LocalTime now{.year = 2026, .month = 3, .day = 9, .hour = 8, .minute = 5, .second = 7};
  const std::string line = shell::StampOutputLine(now, "交易网关：已经连接。");
  EXPECT_EQ(line, "20260309 08:05:07 > 交易网关：已经连接。");
  EXPECT_EQ(shell::StatusTextOf(line), " 交易网关：已经连接。");
}

TEST(OutputLines, TheAlertFollowsTheVoiceType) {
  shell::VoiceSettings voice;
  shell::VoiceItem item;
  item.eventId = 1;
  shell::SetField(item.soundFile, "/res/撤单.wav");
  voice.items = {item};
  voice.voiceType = 1;
  EXPECT_EQ(shell::AlertFor(voice, 6).kind, shell::Alert::kBeep);
  voice.voiceType = 2;
  EXPECT_EQ(shell::AlertFor(voice, 1).soundFile, "/res/撤单.wav");
  EXPECT_EQ(shell::AlertFor(voice, 6).kind, shell::Alert::kNone);
  voice.voiceType = 0;
  EXPECT_EQ(shell::AlertFor(voice, 1).kind, shell::Alert::kNone);
}

TEST(ConnectionState, LinesAndPanesByStateAndSlot) {
  struct Case {
    int state, slot;
    const char* line;
    int pane;
    const char* paneText;
  };
  const Case cases[] = {
      {1, 0, "交易网关：已经连接。", shell::kTradingStatePane, "交易:正常"},
      {2, 0, "交易网关：正在重新连接。", shell::kTradingStatePane, "交易:重连"},
      {3, 1, "行情网关：正在重新连接。", shell::kQuoteStatePane, "行情:重连"},
      {0, 1, "行情网关：断开连接。", shell::kQuoteStatePane, "行情:断连"},
      {1, 2, "已经连接。", 0, ""},
  };
  for (const Case& c : cases) {
    const shell::ConnectionDisplay display = shell::DescribeConnectionState(c.state, c.slot, 1);
    EXPECT_TRUE(display.shown);
    EXPECT_EQ(display.line, c.line);
    EXPECT_EQ(display.pane, c.pane);
    EXPECT_EQ(display.paneText, c.paneText);
  }
  EXPECT_FALSE(shell::DescribeConnectionState(4, 0, 1).shown);
}

TEST(TableRouting, APositionChangeReachesTheBarAndTheExerciseView) {
  using shell::TableView;
  EXPECT_EQ(shell::RouteTableChange(5),
            (std::vector<TableView>{TableView::kPositionBar, TableView::kExerciseApplyView}));
  EXPECT_EQ(shell::RouteTableChange(1), std::vector<TableView>{TableView::kFundBar});
  EXPECT_EQ(shell::RouteTableChange(21), std::vector<TableView>{TableView::kExerciseOrdersView});
  EXPECT_TRUE(shell::RouteTableChange(14).empty());
  EXPECT_TRUE(shell::RouteTableChange(3).empty());
}

TEST(CancelResults, ABatchWithAFailedMiddleCancelGivesThreeLines) {
  backend::RequestPtr record = backend::CreateRequest("撤单", 0, 2, "_DeleteAllOrder", 3);
  ASSERT_NE(record, nullptr);
  record->At(0)->answer.AddText("A|1|2|Y|1|ok|101|x|S1|");
  record->At(1)->answer.AddText("A|1|3|N|-7|委托已成交|");
  record->At(2)->answer.AddText("A|1|4|Y|1|ok|103|x|S3|");
  EXPECT_EQ(shell::CancelResultLines(*record),
            (std::vector<std::string>{"撤单：ok|S1|", "委托已成交", "撤单：ok|S3|"}));
  backend::RequestPtr empty = backend::CreateRequest("撤单", 0, 2, "_DeleteAllOrder", 0);
  EXPECT_EQ(shell::CancelResultLines(*empty), std::vector<std::string>{"多笔撤单没有返回结果！"});
}

TEST(TabMenu, ItemsAreFilteredByTheAllowedBitsAndOneItemShowsNothing) {
  EXPECT_EQ(shell::TabMenuItems(false, 0x1F), (std::vector<int>{32874, 32875, 32876, 32877, 32878}));
  EXPECT_EQ(shell::TabMenuItems(false, 2), std::vector<int>{32875});
  EXPECT_FALSE(shell::ShowTabMenu(shell::TabMenuItems(false, 2)));
  EXPECT_EQ(shell::TabMenuItems(true, 1 | 8), (std::vector<int>{32876, 32877, 32879}));
  EXPECT_TRUE(shell::ShowTabMenu(shell::TabMenuItems(true, 1 | 8)));
}

TEST(HideState, TheLockAsksForThePasswordTheHotKeyNever) {
  int prompts = 0;
  bool accept = false;
  shell::HideState state([&] {
    ++prompts;
    return accept;
  });
  ASSERT_TRUE(state.HotKey());
  EXPECT_EQ(state.State(), shell::WindowState::kHiddenUnlocked);
  EXPECT_TRUE(state.HotKey());
  EXPECT_EQ(prompts, 0);
  EXPECT_EQ(state.State(), shell::WindowState::kShown);

  ASSERT_TRUE(state.Lock());
  EXPECT_FALSE(state.Restore());
  EXPECT_EQ(state.State(), shell::WindowState::kHiddenLocked);
  accept = true;
  EXPECT_TRUE(state.HotKey());
  EXPECT_EQ(prompts, 2);
  EXPECT_EQ(state.State(), shell::WindowState::kShown);
}

TEST(HideState, ASecondRestoreWhileThePromptIsOpenIsIgnored) {
  shell::HideState* self = nullptr;
  bool nested = true;
  shell::HideState state([&] {
    nested = self->Restore();
    return true;
  });
  self = &state;
  state.Lock();
  EXPECT_TRUE(state.Restore());
  EXPECT_FALSE(nested);
}

class ClockTest : public ::testing::Test {
 protected:
  ClockTest() {
    sources.seats = [](std::vector<shell::ClockSeat>& seats) {
      seats = {{"上海", "sfe", true}, {"大连", "dce", true}, {"郑州", "czce", false}};
      return true;
    };
    sources.systemDate = [this](std::string& d, std::string& t) {
      d = date;
      t = time;
      return true;
    };
    sources.seatDifferences = [](std::vector<std::pair<std::string, int>>& differences) {
      differences = {{"dce", 60}};
      return true;
    };
    sources.marketStates = [](std::vector<std::pair<std::string, std::string>>& states) {
      states = {{"sfe", "0"}, {"dce", "4"}};
      return true;
    };
    sources.now = [this] { return now; };
  }
  shell::ClockSources sources;
  std::string date = "20260309", time = "09:00:10";
  platform::LocalTime now{.year = 2026, .month = 3, .day = 9, .hour = 9, .minute = 0, .second = 0};
};

TEST_F(ClockTest, ShownExchangesWithTheirTimeAndState) {
  shell::ExchangeClockStrip strip;
  EXPECT_EQ(strip.Text(now), "");
  strip.Refresh(sources);
  EXPECT_EQ(strip.Text(now), "上海:09:00:10开市| 大连:09:01:10暂停|");
  EXPECT_TRUE(strip.UpdateState({"", "2"}));
  EXPECT_EQ(strip.Text(now), "上海:09:00:10收盘| 大连:09:01:10收盘|");
  EXPECT_TRUE(strip.UpdateState({"sfe", "3"}));
  EXPECT_EQ(strip.Text(now), "上海:09:00:10收市| 大连:09:01:10收盘|");
}

TEST_F(ClockTest, AnInvalidServerTimeKeepsThePreviousDifferences) {
  shell::ExchangeClockStrip strip;
  strip.Refresh(sources);
  time = "25:00:00";
  strip.Refresh(sources);
  EXPECT_FALSE(strip.TimeQueried());
  EXPECT_FALSE(strip.UpdateState({"", "2"}));
  EXPECT_EQ(strip.Clocks().at(0).difference, 10);
  EXPECT_EQ(strip.Clocks().at(1).difference, 70);
}

}  // namespace
