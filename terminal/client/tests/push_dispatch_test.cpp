// The result-queue pump over a started engine: every item reaches the engine
// first, then its handler; pushes by code, asynchronous answers by handler
// tag.
#include "client/push_dispatch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "backend/request_queue.h"
#include "client/order_push_hooks.h"
#include "client/quote_subscription.h"
#include "client/testing/push_lines.h"
#include "client/testing/recording_shell.h"
#include "engine/testing/answers.h"
#include "engine/testing/recording_engine.h"
#include "engine/testing/started_engine.h"
#include "platform/message.h"
#include "protocol/function_numbers.h"
#include "protocol/push_codes.h"
#include "quotes/quotation_ctrl.h"
#include "quotes/watch_callback.h"

namespace {

using client_testing::OutputLine;
using client_testing::PushFields;
using client_testing::PushLine;

// The shell, noting for every call how much the engine had seen by then.
class WitnessShell : public client_testing::RecordingShell {
 public:
  explicit WitnessShell(const engine_testing::RecordingEngine& engine) : engine_(engine) {}

  int AppendOutputLine(std::string_view text, int lineType) override {
    enginePushesSeen.push_back(engine_.pushLines.size());
    return RecordingShell::AppendOutputLine(text, lineType);
  }
  bool OnAsyncRequestDone(const backend::RequestRecord& record, std::string_view handlerTag) override {
    engineAnswersSeen.push_back(engine_.applied.size());
    return RecordingShell::OnAsyncRequestDone(record, handlerTag);
  }

  std::vector<std::size_t> enginePushesSeen;
  std::vector<std::size_t> engineAnswersSeen;

 private:
  const engine_testing::RecordingEngine& engine_;
};

// The order module's queue and the engine's order table.
class OrderSide : public client::OrderLookup, public client::OrderStateQueue {
 public:
  std::optional<client::KnownOrder> FindOrder(std::string_view exchange, std::string_view account,
                                              std::string_view orderingSeat, std::string_view orderNo) override {
    lookups.emplace_back(exchange, account, orderingSeat, orderNo);
    for (const auto& [key, order] : orders) {
      if (key == std::tuple(std::string(exchange), std::string(orderingSeat), std::string(orderNo))) return order;
    }
    return std::nullopt;
  }
  void QueueOrderStateChange(const client::OrderStateChange& change) override { changes.push_back(change); }

  // Exchange, ordering seat, order number.
  std::map<std::tuple<std::string, std::string, std::string>, client::KnownOrder> orders;
  std::vector<std::tuple<std::string, std::string, std::string, std::string>> lookups;
  std::vector<client::OrderStateChange> changes;
};

struct StateChange {
  std::string orderNo, orderingSeat, seatCode, state, volume, remaining;
  friend bool operator==(const StateChange&, const StateChange&) = default;
};

StateChange Texts(const client::OrderStateChange& change) {
  return {change.orderNo, change.orderingSeat, change.seatCode, change.state, change.volume, change.remaining};
}

class QuoteListener : public quotes::CWatchCallback {
 public:
  bool OnQuote(int event, const backend::QuoteRecord* quote) override {
    quotes.emplace_back(event, *quote);
    return true;
  }
  std::vector<std::pair<int, backend::QuoteRecord>> quotes;
};

constexpr const char* kCopper = "cu2607";

class PumpTest : public engine_testing::StartedEngine<engine_testing::RecordingEngine> {
 protected:
  void SetUp() override {
    StartedEngine::SetUp();
    MakeReady();
    backend::CxDataSet keys;
    quotes::AppendContractKey(keys, quotes::MakeContractKey("1", kCopper));
    quoteTable.AddQuoteRefs(keys.View());
    quoteTable.RegisterWatch(&listener);
    platform::SetMessageHandler([this](std::string_view text, std::string_view) {
      boxes.emplace_back(text);
      linesBeforeBox.push_back(shell.OutputLines().size());
      if (onBox) onBox();
    });
  }
  void TearDown() override { platform::SetMessageHandler(nullptr); }

  void Push(const std::string& line) {
    backend::RequestPtr record = backend::CreateRequest("", 0, 0, backend::kPushHandlerTag, 1);
    record->subRequests[0].answer.AddText(line);
    queue.Post(std::move(record));
  }

  // An asynchronous request of `function` under `tag`, answered with `status`.
  void Answer(int function, std::string_view tag, const std::string& status) {
    backend::RequestPtr record = engine_testing::MakeRequest(function, engine_testing::Leading());
    std::strcpy(record->handlerTag, std::string(tag).c_str());
    record->subRequests[0].answer.AddText(status);
    record->done = 1;
    queue.Post(std::move(record));
  }

  std::vector<OutputLine> Lines() const { return shell.OutputLines(); }

  backend::ResultQueue queue;
  quotes::CtbQuotationCtrl quoteTable;
  QuoteListener listener;
  OrderSide orderSide;
  WitnessShell shell{engine};
  client_testing::ScopedShell installed{shell};
  std::vector<std::string> subscriptionsSent;
  client::SubscriptionList subscriptions{[this](std::string_view text) {
    subscriptionsSent.emplace_back(text);
    return true;
  }};
  client::ReceivePump pump{engine,
                           subscriptions,
                           {.results = &queue,
                            .quotes = &quoteTable,
                            .accounts = &accounts,
                            .orders = &orderSide,
                            .orderStates = &orderSide}};
  std::vector<std::string> boxes;
  std::vector<std::size_t> linesBeforeBox;
  std::function<void()> onBox;
};

TEST_F(PumpTest, AnEmptyQueueClosesTheEnginesBatchOncePerEmptyCall) {
  engine.RaiseChange(engine::TableChangeRecord::Reload(engine::table_id::kOrders), false);
  EXPECT_FALSE(pump.ProcessReceiveQueue());
  EXPECT_EQ(gui.ChangedTableIds(), (std::vector<int>{engine::table_id::kOrders}));

  // A push first: handled without closing the batch.
  engine.RaiseChange(engine::TableChangeRecord::Reload(engine::table_id::kTrades), false);
  Push(PushLine(protocol::push_code::kConditionOrder, {}));
  EXPECT_TRUE(pump.ProcessReceiveQueue());
  EXPECT_EQ(gui.ChangedTableIds().size(), 1u);
  EXPECT_FALSE(pump.ProcessReceiveQueue());
  EXPECT_EQ(gui.ChangedTableIds(), (std::vector<int>{engine::table_id::kOrders, engine::table_id::kTrades}));
}

struct RouteCase {
  int code;
  PushFields fields;
  std::vector<int> lineTypes;
  std::size_t stateChanges;
  std::size_t quotes;
};

TEST_F(PumpTest, EachPushReachesTheEngineFirstAndThenItsHandler) {
  orderSide.orders[{"1", "OS1", "1001"}] = {"1001", "OS1", "S01", kCopper, "5", "70000"};
  const RouteCase cases[] = {
      {protocol::push_code::kQuote, {{9, "1"}, {11, kCopper}, {12, "沪铜"}, {17, "70000"}}, {}, 0, 1},
      {protocol::push_code::kOrderState, {{9, "1001"}, {14, "a"}, {22, "5"}}, {client::kOrderLine}, 1, 0},
      {protocol::push_code::kConditionOrder, {{14, "ZSZY"}}, {}, 0, 0},
      {protocol::push_code::kOrderCancel, {{9, "1001"}, {14, "d"}}, {client::kCancelLine}, 1, 0},
      {protocol::push_code::kTrade, {{9, "1"}, {11, "1001"}, {37, "OS1"}, {22, "1"}}, {client::kTradeLine}, 1, 0},
      {protocol::push_code::kMessage, {{9, "9"}, {17, "系统通知"}}, {client::kNoticeLine}, 0, 0},
      {protocol::push_code::kMessageBox, {{8, "风控"}, {9, "请注意"}}, {client::kConnectionLine}, 0, 0},
      {protocol::push_code::kSpecialOrder, {{9, "1001"}}, {}, 0, 0},
      {protocol::push_code::kSpecialOrderState, {{9, "1001"}}, {}, 0, 0},
      {protocol::push_code::kExerciseOrderState, {{9, "E1"}}, {client::kOrderLine}, 0, 0},
      {protocol::push_code::kExerciseOrderCancel, {{9, "E1"}}, {client::kCancelLine}, 0, 0},
      {16000, {{9, "1"}}, {}, 0, 0},
  };
  for (const RouteCase& c : cases) {
    SCOPED_TRACE(c.code);
    shell.Clear();
    shell.enginePushesSeen.clear();
    orderSide.changes.clear();
    listener.quotes.clear();
    const std::string line = PushLine(c.code, c.fields);
    Push(line);

    EXPECT_TRUE(pump.ProcessReceiveQueue());
    ASSERT_FALSE(engine.pushLines.empty());
    EXPECT_EQ(engine.pushLines.back(), line);
    std::vector<int> types;
    for (const OutputLine& output : Lines()) types.push_back(output.type);
    EXPECT_EQ(types, c.lineTypes);
    for (const std::size_t seen : shell.enginePushesSeen) EXPECT_EQ(seen, engine.pushLines.size());
    EXPECT_EQ(orderSide.changes.size(), c.stateChanges);
    EXPECT_EQ(listener.quotes.size(), c.quotes);
  }
  ASSERT_EQ(quoteTable.CopySlots().size(), 1u);
  EXPECT_EQ(quoteTable.CopySlots()[0].quote.fNewPrice, 70000);
  EXPECT_EQ(queue.Count(), 0u);
}

TEST_F(PumpTest, OrderAndCancelPushesTellTheOrderModuleAndTheOutputPane) {
  PushFields order{{9, "1001"}, {12, kCopper}, {14, "a"}, {15, "1"},   {17, "0"},    {19, "0"},  {21, "70000"},
                   {22, "5"},   {23, "0"},     {24, "2"}, {36, "S01"}, {40, "成功"}, {42, "OS1"}};
  Push(PushLine(protocol::push_code::kOrderState, order));
  PushFields cancel = order;
  cancel[10] = "1";
  cancel[14] = "d";
  cancel[40] = "撤单成功";
  Push(PushLine(protocol::push_code::kOrderCancel, cancel));
  EXPECT_TRUE(pump.ProcessReceiveQueue());
  EXPECT_TRUE(pump.ProcessReceiveQueue());

  EXPECT_EQ(Lines(), (std::vector<OutputLine>{
                         {"委托单：1001|1|cu2607|0|0|70000|5|0[成功]", client::kOrderLine},
                         {"撤单：1001|1|1|cu2607|0|0|70000|S01|OS1|撤单成功|", client::kCancelLine},
                     }));
  ASSERT_EQ(orderSide.changes.size(), 2u);
  EXPECT_EQ(Texts(orderSide.changes[0]), (StateChange{"1001", "OS1", "S01", "a", "5", "3"}));
  EXPECT_EQ(Texts(orderSide.changes[1]), (StateChange{"1001", "OS1", "S01", "d", "5", "3"}));
}

// Each field is read 50 bytes wide at most, cut before a two-byte character
// that would not fit, with its escaped separators turned back.
TEST_F(PumpTest, PushFieldsAreReadAsBoundedCopies) {
  const std::string twoByteCharacter = "\xB3\xC9";
  Push(PushLine(protocol::push_code::kOrderState, {{9, "1001"},
                                                   {12, std::string(60, 'c')},
                                                   {15,
                                                    "A\x01"
                                                    "B"},
                                                   {40, std::string(49, 'x') + twoByteCharacter},
                                                   {21, std::string(48, '9') + twoByteCharacter}}));
  EXPECT_TRUE(pump.ProcessReceiveQueue());

  EXPECT_EQ(Lines(), (std::vector<OutputLine>{
                         {"委托单：1001|A|B|" + std::string(50, 'c') + "|||" + std::string(48, '9') + twoByteCharacter +
                              "||[" + std::string(49, 'x') + "]",
                          client::kOrderLine},
                     }));
}

TEST_F(PumpTest, ATradePushFindsItsOrderByItsWholeNumberAndIsDroppedWithoutOne) {
  // Longer than the seven characters the trade push was once read with.
  const std::string orderNo = "240612001234";
  orderSide.orders[{"1", "OS1", orderNo}] = {orderNo, "OS1", "S01", kCopper, "5", "70000"};
  PushFields trade{{8, "8001"},   {9, "1"},  {11, orderNo}, {12, "p"},   {17, "0"},  {19, "0"},
                   {21, "70010"}, {22, "2"}, {23, "3"},     {36, "S01"}, {37, "OS1"}};
  Push(PushLine(protocol::push_code::kTrade, trade));
  trade[11] = "999";
  Push(PushLine(protocol::push_code::kTrade, trade));
  EXPECT_TRUE(pump.ProcessReceiveQueue());
  EXPECT_TRUE(pump.ProcessReceiveQueue());

  ASSERT_EQ(orderSide.lookups.size(), 2u);
  EXPECT_EQ(orderSide.lookups[0], std::tuple("1", "8001", "OS1", orderNo));
  EXPECT_EQ(Lines(),
            (std::vector<OutputLine>{
                {"委托单：240612001234|委托5手,本次成交2手,共成交2手|cu2607|0|0|70010|70000[S01]", client::kTradeLine},
            }));
  ASSERT_EQ(orderSide.changes.size(), 1u);
  EXPECT_EQ(Texts(orderSide.changes[0]), (StateChange{orderNo, "OS1", "S01", "p", "5", "3"}));
}

TEST_F(PumpTest, ExercisePushesShowTheirCodesAsTexts) {
  Push(
      PushLine(protocol::push_code::kExerciseOrderState,
               {{9, "E1"}, {11, "m2609-C-3000"}, {12, "a"}, {13, "0"}, {14, "0"}, {15, "2"}, {29, "成功"}, {42, "1"}}));
  Push(PushLine(protocol::push_code::kExerciseOrderCancel, {{9, "E1"},
                                                            {10, "1"},
                                                            {11, "m2609-C-3000"},
                                                            {12, "d"},
                                                            {13, "1"},
                                                            {14, "1"},
                                                            {25, "x25"},
                                                            {29, "撤单成功"},
                                                            {31, "x31"},
                                                            {42, "2"}}));
  Push(PushLine(protocol::push_code::kExerciseOrderState, {{9, "E2"}, {42, "3"}}));
  for (int item = 0; item < 3; ++item) EXPECT_TRUE(pump.ProcessReceiveQueue());
  EXPECT_EQ(Lines(),
            (std::vector<OutputLine>{
                {"执行放弃委托单：E1|已经报入|m2609-C-3000|执行|买入|投机|2[成功]", client::kOrderLine},
                {"执行放弃委托撤单：E1|1|已经撤销|m2609-C-3000|放弃|卖出|保值|x25|x31|撤单成功|", client::kCancelLine},
                {"执行放弃委托单：E2||||||[]", client::kOrderLine},
            }));
}

TEST_F(PumpTest, NoticesAreHeadedByTheirLevelAndShownOnlyToTheirAddressee) {
  const struct {
    const char* addressee;
    const char* level;
    std::optional<std::string> line;
  } cases[] = {
      {"", "1", "普通信息：收盘提醒"},
      {" ", "2", "警告信息：收盘提醒"},
      {"8001", "3", "危险信息：收盘提醒"},
      {"", "4", "滚动信息：收盘提醒"},
      {"", "5", "风控信息：收盘提醒"},
      {"", "9", "收盘提醒"},
      {"", "", "收盘提醒"},
      {"9999", "1", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.addressee) + "/" + c.level);
    shell.Clear();
    Push(PushLine(protocol::push_code::kMessage, {{9, "0"}, {11, c.addressee}, {14, c.level}, {17, "收盘提醒"}}));
    EXPECT_TRUE(pump.ProcessReceiveQueue());
    if (c.line) {
      EXPECT_EQ(Lines(), (std::vector<OutputLine>{{*c.line, client::kNoticeLine}}));
    } else {
      EXPECT_TRUE(Lines().empty());
    }
  }
}

TEST_F(PumpTest, OnceMessagesAndExchangeStatesAreShownOnceInTheRun) {
  auto message = [](const char* category, const char* exchange, const char* state, const char* text) {
    return PushLine(protocol::push_code::kMessage, {{9, category}, {17, text}, {19, exchange}, {20, state}});
  };
  Push(message("1", "", "", "欢迎"));
  Push(message("1", "", "", "欢迎"));
  Push(message("2", "1", "1", "上期所开盘"));
  Push(message("2", "2", "1", "大商所开盘"));
  Push(message("2", "2", "2", "大商所收盘"));
  Push(message("2", "1", "6", "上期所结算"));
  Push(message("2", "1", "6", "上期所结算"));
  Push(message("7", "", "", "不显示"));
  Push(message("3", "", "", "其他消息"));
  while (pump.ProcessReceiveQueue()) {
  }

  EXPECT_EQ(Lines(), (std::vector<OutputLine>{
                         {"欢迎", client::kNoticeLine},
                         {"上期所开盘", client::kExchangeStateLine},
                         {"大商所收盘", client::kExchangeStateLine},
                         {"上期所结算", client::kNoticeLine},
                         {"上期所结算", client::kNoticeLine},
                         {"其他消息", client::kNoticeLine},
                     }));
  EXPECT_EQ(shell.ExchangeClockStates(),
            (std::vector<std::vector<std::string>>{{"1", "1"}, {"2", "1"}, {"2", "2"}, {"1", "6"}, {"1", "6"}}));
}

TEST_F(PumpTest, AMessageBoxShowsAfterItsLineAndItsTimersDoNotReenterThePump) {
  Push(PushLine(protocol::push_code::kMessageBox, {{8, "风控"}, {9, "请注意仓位"}}));
  Push(PushLine(protocol::push_code::kMessage, {{9, "3"}, {17, "其他消息"}}));
  std::vector<bool> nested;
  onBox = [&] { nested.push_back(pump.ProcessReceiveQueue()); };

  EXPECT_TRUE(pump.ProcessReceiveQueue());
  EXPECT_EQ(boxes, (std::vector<std::string>{"[风控]请注意仓位"}));
  EXPECT_EQ(linesBeforeBox, (std::vector<std::size_t>{1}));
  EXPECT_EQ(nested, (std::vector<bool>{false}));
  // The nested call took nothing: the next item is still there.
  EXPECT_EQ(queue.Count(), 1u);
  EXPECT_TRUE(pump.ProcessReceiveQueue());
  EXPECT_EQ(Lines(), (std::vector<OutputLine>{{"[风控]请注意仓位", client::kConnectionLine},
                                              {"其他消息", client::kNoticeLine}}));
}

TEST_F(PumpTest, AnAnswerReachesTheShellAfterTheEngineAppliedIt) {
  shell.SetAsyncDoneResult(true);
  Answer(5012, client::kDeleteOrderTag, "A|sim|1|Y|0|");
  EXPECT_TRUE(pump.ProcessReceiveQueue());
  shell.SetAsyncDoneResult(false);
  Answer(5006, client::kQueryHisIOFundTag, "A|sim|1|Y|0|");
  EXPECT_FALSE(pump.ProcessReceiveQueue());

  ASSERT_EQ(engine.applied.size(), 1u);
  EXPECT_EQ(engine.applied[0].update, "cancel");
  EXPECT_EQ(shell.engineAnswersSeen, (std::vector<std::size_t>{1, 1}));
  const auto done = shell.AsyncRequestsDone();
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0].handlerTag, client::kDeleteOrderTag);
  EXPECT_EQ(done[1].handlerTag, client::kQueryHisIOFundTag);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(PumpTest, AFailedAnswerBecomesAnOutputLineAndStopsThisDrain) {
  Answer(5012, client::kDeleteOrderTag, "A|sim|1|N|3021|委托已成交，不能撤单|");
  backend::RequestPtr lost = engine_testing::MakeRequest(5006, engine_testing::Leading());
  std::strcpy(lost->handlerTag, std::string(client::kQueryHisIOFundTag).c_str());
  lost->errorFlag = 1;
  lost->errorText = "通讯连接中断！";
  queue.Post(std::move(lost));

  EXPECT_FALSE(pump.ProcessReceiveQueue());
  EXPECT_FALSE(pump.ProcessReceiveQueue());
  EXPECT_EQ(Lines(), (std::vector<OutputLine>{{"委托已成交，不能撤单", client::kFailureLine},
                                              {"通讯连接中断！", client::kFailureLine}}));
  EXPECT_TRUE(shell.AsyncRequestsDone().empty());
  EXPECT_EQ(queue.Count(), 0u);
}

TEST_F(PumpTest, TheSubscriptionsAnswerCommitsOrRollsBackWithoutALine) {
  const backend::QuoteSlot slots[1] = {};
  subscriptions.SetSubscriptionList(slots);
  ASSERT_EQ(subscriptionsSent.size(), 1u);

  Answer(protocol::function_no::kSubscribeQuotation, client::kSubscribeQuotationTag, "A|sim|1|N|1|行情服务未就绪|");
  EXPECT_FALSE(pump.ProcessReceiveQueue());
  EXPECT_EQ(subscriptionsSent.size(), 2u);  // sent once more
  EXPECT_TRUE(subscriptions.Busy());

  Answer(protocol::function_no::kSubscribeQuotation, client::kSubscribeQuotationTag, "A|sim|1|Y|0|");
  EXPECT_TRUE(pump.ProcessReceiveQueue());
  EXPECT_FALSE(subscriptions.Busy());
  EXPECT_EQ(subscriptionsSent.size(), 2u);
  EXPECT_TRUE(Lines().empty());
  EXPECT_TRUE(shell.AsyncRequestsDone().empty());
}

TEST_F(PumpTest, WithoutAShellAnAnswerIsFinishedAndFreed) {
  client::InstallShellServices(nullptr);
  Answer(5006, client::kQueryHisIOFundTag, "A|sim|1|Y|0|");
  EXPECT_FALSE(pump.ProcessReceiveQueue());
  EXPECT_EQ(queue.Count(), 0u);
  client::InstallShellServices(&shell);
}

}  // namespace
