#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/testing/answers.h"
#include "engine/testing/recording_engine.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::EngineState;
using engine::TableChangeRecord;
using engine_testing::AppliedAnswer;
using engine_testing::Leading;
using engine_testing::MakeRequest;
namespace table_id = engine::table_id;

const std::vector<int> kAccountChanging{5002, 5011, 5012, 5240, 5241, 5321, 5322, 5460, 5464,
                                        5466, 5467, 5473, 5475, 5476, 5477, 5479, 5480, 5481};
const std::string kDone = "A|1|2|Y|0|";
const std::string kRefused = "A|1|2|N|1002|资金不足|";

std::vector<std::string> Lines(const backend::SubRequest& subRequest) {
  std::vector<std::string> lines;
  for (std::size_t line = 0; line < subRequest.answer.GetCount(); ++line) {
    lines.emplace_back(backend::AnswerLine(subRequest, line));
  }
  return lines;
}

backend::RequestPtr PushRecord(const std::vector<std::string>& lines) {
  backend::RequestPtr record = backend::CreateRequest("", 0, 0, backend::kPushHandlerTag, 1);
  for (const std::string& line : lines) record->subRequests[0].answer.AddText(line);
  return record;
}

class RequestDispatch : public engine_testing::StartedEngine<engine_testing::RecordingEngine> {
 protected:
  void SetUp() override {
    StartedEngine::SetUp();
    MakeReady();
  }
  void Reconnecting() {
    engine.OnConnectionState(1, 2, 0);
    ASSERT_EQ(engine.GetEngineState(), EngineState::kReconnectDownload);
  }
};

TEST_F(RequestDispatch, AccountChangingRequestsAreRefusedWhileTheEngineDownloads) {
  Reconnecting();
  std::vector<int> asyncGuarded = kAccountChanging;
  asyncGuarded.insert(asyncGuarded.end(), {5474, 5478});
  for (const int functionNo : asyncGuarded) {
    backend::RequestPtr record = MakeRequest(functionNo, Leading());
    std::string error;
    const bool syncGuarded = functionNo != 5474 && functionNo != 5478;
    if (syncGuarded) {
      EXPECT_FALSE(engine.SendRequest(*record, error)) << functionNo;
      EXPECT_EQ(error, "计算引擎正在处理断线重连。") << functionNo;
    }
    error.clear();
    EXPECT_EQ(engine.SendRequestAsync(record, error), -1) << functionNo;
    EXPECT_EQ(error, "计算引擎正在处理断线重连。") << functionNo;
  }
  EXPECT_EQ(backEnd.syncSends, 0);
  EXPECT_EQ(backEnd.asyncSends, 0);
  EXPECT_TRUE(engine.applied.empty());
}

TEST_F(RequestDispatch, OtherRequestsAreSentWhileTheEngineDownloads) {
  Reconnecting();
  backend::RequestPtr logout = MakeRequest(5461, Leading());
  std::string error;
  EXPECT_TRUE(engine.SendRequest(*logout, error));
  // Only the asynchronous hook applies the profit/loss-order list.
  backend::RequestPtr list = MakeRequest(5474, Leading());
  EXPECT_TRUE(engine.SendRequest(*list, error));
  backend::RequestPtr history = MakeRequest(5003, Leading());
  EXPECT_EQ(engine.SendRequestAsync(history, error), 0);
  EXPECT_EQ(history, nullptr) << "a queued record is taken over";
  EXPECT_EQ(backEnd.syncSends, 2);
  EXPECT_EQ(backEnd.asyncSends, 1);
}

TEST(RequestDispatchBeforeStart, TheEngineStartsBusyWithItsInitialDownload) {
  engine_testing::OpenEngine engine;
  backend::RequestPtr order = MakeRequest(5011, Leading());
  std::string error;
  EXPECT_FALSE(engine.CheckBusy(error));
  EXPECT_EQ(error, "计算引擎正在处理初始化下载数据。");
  error.clear();
  EXPECT_FALSE(engine.SendRequest(*order, error));
  EXPECT_EQ(error, "计算引擎正在处理初始化下载数据。");

  backend::RequestPtr logout = MakeRequest(5461, Leading());
  EXPECT_FALSE(engine.SendRequest(*logout, error));
  EXPECT_EQ(error, "计算前移未初始化！");
}

TEST_F(RequestDispatch, FeeRateQueriesAreAnsweredLocallyByEitherHook) {
  const std::vector<std::string> parameters = Leading({"F1", "S01", "cu2601", "1", "20261210", "0"});
  for (const bool async : {false, true}) {
    gui.Clear();
    engine.applied.clear();
    backend::RequestPtr record = MakeRequest(5016, parameters);
    std::string error;
    if (async) {
      EXPECT_EQ(engine.SendRequestAsync(record, error), 1);
    } else {
      EXPECT_TRUE(engine.SendRequest(*record, error));
    }
    EXPECT_EQ(Lines(record->subRequests[0]), std::vector<std::string>{"A|||Y||"});
    EXPECT_EQ(record->done, 1);
    ASSERT_EQ(engine.applied.size(), 1u);
    EXPECT_EQ(engine.applied[0].customer, "8001");
    EXPECT_EQ(engine.applied[0].texts, (std::vector<std::string>{"F1", "S01", "cu2601"}));
    // The request text is logged with its password masked.
    EXPECT_EQ(gui.LogTexts(),
              (std::vector<std::string>{"计算引擎：查询费率(5016)，本地后台联合处理。",
                                        "计算引擎：R|00-11-22-33-44-55|1|5016||Pellora|8001|********|F1|S01|cu2601|1|"
                                        "20261210|0|"}));
  }
  EXPECT_EQ(backEnd.syncSends + backEnd.asyncSends, 0);

  Reconnecting();
  backend::RequestPtr record = MakeRequest(5016, parameters);
  std::string error;
  EXPECT_EQ(engine.SendRequestAsync(record, error), -1);
  EXPECT_EQ(error, "计算引擎正在处理断线重连。");
}

TEST_F(RequestDispatch, SynchronousAnswersAreAppliedForTheSlotsCustomerWithTheirRecordsHeld) {
  backEnd.Answer(5011, {kDone});
  backend::RequestPtr order = MakeRequest(5011, Leading());
  std::string error;
  ASSERT_TRUE(engine.SendRequest(*order, error));
  ASSERT_EQ(engine.applied.size(), 1u);
  EXPECT_EQ(engine.applied[0].update, "order");
  EXPECT_EQ(engine.applied[0].customer, "8001");
  EXPECT_EQ(engine.applied[0].texts, std::vector<std::string>{kDone});
  EXPECT_FALSE(engine.applied[0].deliverAtOnce);
}

TEST_F(RequestDispatch, RefusedOrFailedAnswersAreLoggedNotApplied) {
  backEnd.Answer(5011, {kRefused});
  backend::RequestPtr order = MakeRequest(5011, Leading());
  std::string error;
  EXPECT_TRUE(engine.SendRequest(*order, error));
  EXPECT_TRUE(engine.applied.empty());
  EXPECT_EQ(gui.LogTexts(), std::vector<std::string>{"计算引擎：资金不足"});

  gui.Clear();
  backEnd.transportError = true;
  backend::RequestPtr again = MakeRequest(5011, Leading());
  EXPECT_FALSE(engine.SendRequest(*again, error));
  EXPECT_EQ(error, "通讯连接中断！");
  EXPECT_TRUE(engine.applied.empty());
  EXPECT_EQ(gui.LogTexts(), std::vector<std::string>{"计算引擎：通讯连接中断！"});
}

TEST_F(RequestDispatch, EachAnsweredCancelOfABatchIsCheckedOnItsOwn) {
  backend::CxDataSet parameters;
  for (const std::string& text : Leading({"F1", "17"})) parameters.AddText(text);
  std::string message;
  backend::RequestPtr cancels =
      backend::BuildRequestCommand("撤单", 2, 0, 2, "", "00-11-22-33-44-55", 1, 5012, true, parameters, message);
  ASSERT_TRUE(backend::AddCancelSubRequest(*cancels, parameters, "00-11-22-33-44-55", 2, 1));
  backEnd.Answer(5012, {kRefused}, 0);
  backEnd.Answer(5012, {kDone}, 1);
  std::string error;
  ASSERT_TRUE(engine.SendRequest(*cancels, error));
  ASSERT_EQ(engine.applied.size(), 1u);
  EXPECT_EQ(engine.applied[0].update, "cancel");
  EXPECT_EQ(engine.applied[0].texts, std::vector<std::string>{kDone});
}

TEST_F(RequestDispatch, HeldRecordsOfASynchronousAnswerReachTheGuiAtTheBatchCloseWithTheirCurrentRows) {
  // The order update inserts the order and then sees it updated twice.
  engine.onOrderAnswer = [this](bool deliverAtOnce) {
    engine::EngineTable& orders = engine.TableAt(engine::Table::kOrders);
    std::vector<std::uint8_t> row(1126, 0);
    std::memcpy(row.data() + 52, "17", 2);
    std::memcpy(row.data() + 132, "n", 1);
    orders.AddEntry(row.data(), row.size(), backend::data_set_block::kRawType);
    engine.RaiseChange(TableChangeRecord::RowChange(table_id::kOrders, 'i', 1, 0, row), deliverAtOnce);
    for (const char* state : {"a", "p"}) {
      std::memcpy(orders.GetDataPtr(0) + 132, state, 1);
      engine.RaiseChange(TableChangeRecord::RowChange(table_id::kOrders, 'u', 1, 0, orders.GetValue(0)), deliverAtOnce);
    }
  };
  backEnd.Answer(5011, {kDone});
  backend::RequestPtr order = MakeRequest(5011, Leading());
  std::string error;
  ASSERT_TRUE(engine.SendRequest(*order, error));
  EXPECT_TRUE(gui.changes.empty());
  // Changed once more before the close.
  std::memcpy(engine.TableAt(engine::Table::kOrders).GetDataPtr(0) + 132, "c", 1);

  engine.OnPushBatchDone();
  ASSERT_EQ(gui.changes.size(), 3u);
  std::string letters;
  for (const TableChangeRecord& record : gui.changes) {
    letters += record.Operation();
    EXPECT_EQ(record.Row()[132], 'c');
  }
  EXPECT_EQ(letters, "iuu");
}

TEST_F(RequestDispatch, AsynchronousAnswersAreAppliedAtOnceOnlyWhileTheEngineIsReady) {
  backend::RequestPtr order = MakeRequest(5011, Leading());
  order->subRequests[0].answer.AddText(kDone);
  order->done = 1;
  engine.OnAsyncAnswer(*order);
  ASSERT_EQ(engine.applied.size(), 1u);
  EXPECT_TRUE(engine.applied[0].deliverAtOnce);

  backend::RequestPtr history = MakeRequest(5003, Leading());
  history->subRequests[0].answer.AddText(kDone);
  history->done = 1;
  engine.OnAsyncAnswer(*history);
  EXPECT_EQ(engine.applied.size(), 1u) << "not an account-changing request";

  Reconnecting();
  engine.OnAsyncAnswer(*order);
  EXPECT_EQ(engine.applied.size(), 1u);
}

TEST_F(RequestDispatch, EachAnswerReachesTheUpdateOfItsFunction) {
  const std::vector<std::pair<int, std::string>> routes{
      {5002, "fund"},
      {5011, "order"},
      {5012, "cancel"},
      {5240, "exercise order"},
      {5241, "exercise cancel"},
      {5321, "special order"},
      {5322, "special cancel"},
      {5460, "stored order change"},
      {5464, "stored order add"},
      {5466, "stored order delete"},
      {5467, "stored order send"},
      {5473, "profit/loss add"},
      {5474, "profit/loss load"},
      {5475, "profit/loss change"},
      {5476, "profit/loss delete"},
      {5477, "condition add"},
      {5478, "condition load"},
      {5479, "condition change"},
      {5480, "condition cancel"},
      {5481, "condition state"},
  };
  for (const auto& [functionNo, update] : routes) {
    engine.applied.clear();
    backend::RequestPtr record = MakeRequest(functionNo, Leading({"7"}));
    record->subRequests[0].answer.AddText(kDone);
    record->done = 1;
    engine.OnAsyncAnswer(*record);
    ASSERT_EQ(engine.applied.size(), 1u) << functionNo;
    EXPECT_EQ(engine.applied[0].update, update) << functionNo;
  }
}

TEST_F(RequestDispatch, AProfitLossOrderListReloadsItsTableAtOnce) {
  backend::RequestPtr list = MakeRequest(5474, Leading());
  list->subRequests[0].answer.AddText(kDone);
  list->done = 1;
  engine.OnAsyncAnswer(*list);
  ASSERT_EQ(engine.applied.size(), 1u);
  EXPECT_EQ(engine.applied[0].update, "profit/loss load");
  EXPECT_EQ(gui.ChangedTableIds(), std::vector<int>{table_id::kProfitLossOrders});
  EXPECT_EQ(gui.changes[0].Operation(), 'f');
}

TEST_F(RequestDispatch, StoredOrderChangeFieldsAreCutToTheFieldsTheyFill) {
  std::string wide;
  for (int i = 0; i < 20; ++i) wide += "中";
  const std::vector<std::string> fields{
      "0000000000000000001", "SHFE", "cu2601", "cu2602", std::string(40, 'x'), "0", "1", "0", "12345678", wide,
      "1234567890"};
  backEnd.Answer(5460, {kDone});
  backend::RequestPtr change = MakeRequest(5460, Leading(fields));
  std::string error;
  ASSERT_TRUE(engine.SendRequest(*change, error));
  ASSERT_EQ(engine.applied.size(), 1u);
  const std::vector<std::string>& cut = engine.applied[0].texts;
  ASSERT_EQ(cut.size(), 11u);
  EXPECT_EQ(cut[0], "000000000000000");
  EXPECT_EQ(cut[1], "SHF");
  EXPECT_EQ(cut[4], std::string(31, 'x'));
  EXPECT_EQ(cut[8], "1234567");
  EXPECT_EQ(cut[9], wide.substr(0, 14)) << "seven whole characters, not half of the eighth";
  EXPECT_EQ(cut[10], "1234567");
}

TEST_F(RequestDispatch, StoredOrderDeleteTakesItsNumberFromTheRequest) {
  backEnd.Answer(5466, {kDone});
  backend::RequestPtr remove = MakeRequest(5466, Leading({"42"}));
  std::string error;
  ASSERT_TRUE(engine.SendRequest(*remove, error));
  ASSERT_EQ(engine.applied.size(), 1u);
  EXPECT_EQ(engine.applied[0].update, "stored order delete");
  EXPECT_EQ(engine.applied[0].texts, std::vector<std::string>{"42"});
}

TEST_F(RequestDispatch, PushesReachThePushDispatcherOnlyWhileTheEngineIsReady) {
  engine.OnPushData(*PushRecord({"A|1|2|15002|x|"}));
  engine.OnPushData(*PushRecord({}));
  Reconnecting();
  engine.OnPushData(*PushRecord({"A|1|2|15005|y|"}));
  EXPECT_EQ(engine.pushLines, std::vector<std::string>{"A|1|2|15002|x|"});
}

TEST_F(RequestDispatch, ThePushesOfTheTablesThatComeDuringADownloadAreAppliedInTheirOrderOnceItHasEnded) {
  Reconnecting();
  const std::vector<std::string> tablePushes{"A|1|2|15005|a|", "A|1|2|15003|b|", "A|1|2|15009|c|",
                                             "A|1|2|15002|d|", "A|1|2|15012|e|", "A|1|2|15008|f|",
                                             "A|1|2|15004|g|", "A|1|2|15013|h|", "A|1|2|15003|i|"};
  // Between them a quote, a message box and a message that asks for a
  // download, which change no table and are not held.
  const std::vector<std::string> others{"A|1|2|15001|q|", "A|1|2|15007|box|", "A|1|2|15006|m||||1|"};
  for (std::size_t push = 0; push < tablePushes.size(); ++push) {
    engine.OnPushData(*PushRecord({tablePushes[push]}));
    engine.OnPushData(*PushRecord({others[push % others.size()]}));
  }
  engine.OnPushBatchDone();
  EXPECT_TRUE(engine.pushLines.empty()) << "nothing while the download runs";

  engine.FinishDownload();
  engine.OnPushBatchDone();
  EXPECT_EQ(engine.pushLines, tablePushes);
  engine.pushLines.clear();
  engine.OnPushBatchDone();
  EXPECT_TRUE(engine.pushLines.empty()) << "each once";
}

TEST_F(RequestDispatch, TooManyPushesForADownloadToHoldHaveTheAccountDownloadedAgain) {
  Reconnecting();
  // No download brings back a condition-order push: it waits for the next.
  engine.OnPushData(*PushRecord({"A|1|2|15003|question|"}));
  for (std::size_t push = 0; push <= engine::COperationEngine::kMaxPushesHeldForDownload; ++push) {
    engine.OnPushData(*PushRecord({"A|1|2|15005|" + std::to_string(push) + "|"}));
  }
  engine.OnPushData(*PushRecord({"A|1|2|15009|after|"}));
  engine.FinishDownload();
  engine.OnPushBatchDone();
  EXPECT_TRUE(engine.pushLines.empty());
  EXPECT_EQ(engine.GetEngineState(), EngineState::kInitialDownload);

  engine.FinishDownload();
  engine.OnPushBatchDone();
  EXPECT_EQ(engine.pushLines, std::vector<std::string>{"A|1|2|15003|question|"});
}

TEST_F(RequestDispatch, AnAnswerThatComesOnceADownloadHasBegunIsLeftToIt) {
  backEnd.Answer(5011, {kDone});
  // The connection comes back from a drop while the order is answered.
  backEnd.OnRequest(5011, [this] { engine.OnConnectionState(1, 2, 0); });
  backend::RequestPtr order = MakeRequest(5011, Leading());
  std::string error;
  EXPECT_TRUE(engine.SendRequest(*order, error)) << error;
  EXPECT_EQ(engine.GetEngineState(), EngineState::kReconnectDownload);
  EXPECT_TRUE(engine.applied.empty());
}

TEST_F(RequestDispatch, SendFailuresAreLoggedAndReported) {
  backEnd.refuseAsync = true;
  backend::RequestPtr history = MakeRequest(5003, Leading());
  std::string error;
  EXPECT_EQ(engine.SendRequestAsync(history, error), -1);
  EXPECT_NE(history, nullptr) << "a refused record stays with its caller";
  EXPECT_EQ(error, "执行操作[下单]时，还没有建立通讯连接！");
  EXPECT_EQ(gui.LogTexts(), std::vector<std::string>{"计算引擎：执行操作[下单]时，还没有建立通讯连接！"});
}

TEST_F(RequestDispatch, CheckedSendsPassOnlyWithADoneAnswer) {
  struct Case {
    std::vector<std::string> answer;
    bool transportError;
    bool passes;
    std::string error;
  };
  for (const Case& c : {Case{{kDone}, false, true, ""}, Case{{kRefused}, false, false, "资金不足"},
                        Case{{}, false, false, "IO返回数据为空！"}, Case{{kDone}, true, false, "通讯连接中断！"}}) {
    backEnd.Answer(5122, c.answer);
    backEnd.transportError = c.transportError;
    backend::RequestPtr date = MakeRequest(5122, Leading());
    std::string error;
    EXPECT_EQ(engine.SendSyncChecked(*date, error), c.passes) << c.error;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
