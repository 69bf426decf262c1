#include "backend/transport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "backend/answer_bounds.h"
#include "backend/field_text.h"
#include "backend/program_log.h"
#include "backend/request_queue.h"
#include "backend/request_record.h"
#include "backend/server_rotation.h"
#include "backend/testing/request_texts.h"
#include "backend/testing/transport_calls.h"
#include "backend/testing/transport_fixture.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/testing/temporary_folder.h"
#include "portal/testing/loopback_server.h"

namespace {

using backend::RequestPtr;
using backend_testing::Await;
using backend_testing::ExecuteOnAnotherThread;
using backend_testing::ExpectWaitingAndQueuedRequestLost;
using backend_testing::NextResult;
using backend_testing::Outcome;
using backend_testing::TakeResults;
using portal_testing::LoopbackServer;

constexpr const char* kDone = "R|srv|0|Y|0|";
constexpr int kHeldFunction = 5100;

int FunctionOf(const std::string& text) {
  return backend::ParseDecimal(backend::GetSeparatedFieldText(4, text)).value_or(-1);
}

// Holds the requests of kHeldFunction and answers every other one as done.
std::optional<std::string> HoldSlowRequests(const std::string& request) {
  if (FunctionOf(request) == kHeldFunction) return std::nullopt;
  return kDone;
}

// The function numbers of the requests a server received, logins left out.
std::vector<int> Functions(const LoopbackServer& server) {
  std::vector<int> functions;
  for (const auto& request : server.Requests()) {
    if (FunctionOf(request.text) != 5001) functions.push_back(FunctionOf(request.text));
  }
  return functions;
}

class TransportTest : public backend_testing::TransportFixture {
 protected:
  TransportTest() : TransportFixture("1.0.0") {}

  static void Connect(int slot, const LoopbackServer& server) {
    OV_ConnectBlock block = backend_testing::LoopbackConnectBlock(slot, server.Port());
    std::string answer;
    std::string message;
    ASSERT_TRUE(backend::ConnectSlot(block, answer, message, "R|mac|1|5001||Pellora|c01|pw|")) << message;
    EXPECT_EQ(answer, LoopbackServer::kLoginAnswer);
  }

  // Parameters: the title, or the business frame with its password when
  // one is given.
  static RequestPtr Request(const char* title, int function, int priority, bool singlePacket = true,
                            const char* password = nullptr) {
    backend::CxDataSet parameters;
    if (password) {
      parameters = backend_testing::BusinessFrame("10001", password);
    } else {
      parameters.AddText(title);
    }
    return backend_testing::BuildRequest(title, function, priority, 0, singlePacket, parameters);
  }

  static void Post(RequestPtr record) {
    std::string message;
    ASSERT_TRUE(backend::PostRequest(record, message)) << message;
    EXPECT_FALSE(record);
  }
};

TEST_F(TransportTest, PriorityTwoCancelsARunningPriorityZeroRequest) {
  LoopbackServer server(HoldSlowRequests);
  Connect(0, server);
  RequestPtr slow = Request("慢查询", kHeldFunction, 0, true, "secret");
  auto pending = ExecuteOnAnotherThread(*slow);
  ASSERT_TRUE(server.WaitForRequests(2));

  RequestPtr urgent = Request("下单", 5011, 2);
  std::string message;
  EXPECT_TRUE(backend::ExecuteRequest(*urgent, message)) << message;
  EXPECT_EQ(backend::CheckReplyResult(0, message, urgent.get()), 0);

  const Outcome outcome = Await(pending);
  EXPECT_FALSE(outcome.ok);
  // The message reaches output lines and message boxes: its password is masked.
  const std::string cancelled =
      "优先级等于零的通讯操作被取消：" + backend::MaskPasswordFields(slow->subRequests[0].requestText) + "。";
  EXPECT_EQ(cancelled.find("secret"), std::string::npos);
  EXPECT_EQ(outcome.message, cancelled);
  EXPECT_EQ(backend::CheckReplyResult(0, message, slow.get()), backend::kReplyFailureCode);
  EXPECT_EQ(message, cancelled);
  EXPECT_EQ(Functions(server), (std::vector<int>{kHeldFunction, 5011}));
}

TEST_F(TransportTest, PriorityTwoRequeuesARunningPriorityOneRequest) {
  std::atomic<int> slowSeen{0};
  LoopbackServer server([&](const std::string& request) -> std::optional<std::string> {
    // Held the first time only; the repeat is answered.
    if (FunctionOf(request) == kHeldFunction && slowSeen++ == 0) return std::nullopt;
    return kDone;
  });
  Connect(0, server);
  RequestPtr fundQuery = Request("查询资金", kHeldFunction, 1);
  auto pending = ExecuteOnAnotherThread(*fundQuery);
  ASSERT_TRUE(server.WaitForRequests(2));

  RequestPtr urgent = Request("下单", 5011, 2);
  std::string message;
  EXPECT_TRUE(backend::ExecuteRequest(*urgent, message)) << message;

  const Outcome outcome = Await(pending);
  EXPECT_TRUE(outcome.ok) << outcome.message;
  EXPECT_EQ(backend::CheckReplyResult(0, message, fundQuery.get()), 0) << message;
  EXPECT_EQ(Functions(server), (std::vector<int>{kHeldFunction, 5011, kHeldFunction}));
  const auto requests = server.Requests();
  EXPECT_EQ(requests[3].text, requests[1].text);  // the same sub-request, sent again
}

TEST_F(TransportTest, WaitingRequestsAreSentByPriority) {
  LoopbackServer server(HoldSlowRequests);
  Connect(0, server);
  Post(Request("占用", kHeldFunction, 2));
  ASSERT_TRUE(server.WaitForRequests(2));

  // While the slot is busy: waiting 2, 1, 0, then a further 1 and a further 0.
  Post(Request("a", 5201, 2));
  Post(Request("b", 5202, 1));
  Post(Request("c", 5203, 0));
  Post(Request("d", 5204, 1));
  Post(Request("e", 5205, 0));
  server.Answer(server.Requests()[1].sequence, kDone);

  const std::vector<RequestPtr> results = TakeResults(6);
  ASSERT_EQ(results.size(), 6u);
  for (const RequestPtr& result : results) EXPECT_EQ(result->errorFlag, 0u) << result->errorText;
  EXPECT_EQ(Functions(server), (std::vector<int>{kHeldFunction, 5201, 5202, 5204, 5203, 5205}));
}

TEST_F(TransportTest, MultiPacketAnswersCollectOneLinePerFollowUp) {
  LoopbackServer server([](const std::string& request) -> std::optional<std::string> {
    switch (FunctionOf(request)) {
      case 5300: return "R|srv|0|Y|3|";
      case 0: return "R|row|" + backend::GetSeparatedFieldText(3, request) + "|";
      default: return kDone;
    }
  });
  Connect(0, server);
  RequestPtr rows = Request("查询成交", 5300, 2, false);
  std::string message;
  ASSERT_TRUE(backend::ExecuteRequest(*rows, message)) << message;
  const backend::SubRequest& answered = rows->subRequests[0];
  ASSERT_EQ(answered.answer.GetCount(), 4u);
  EXPECT_EQ(backend::AnswerLine(answered, 0), "R|srv|0|Y|3|");
  const std::string followUp =
      "R|" + backend::LocalMachineAddress() + "|" + std::to_string(answered.sequenceNo) + "|0|";
  EXPECT_EQ(backend::AnswerLine(answered, 3), "R|row|" + std::to_string(answered.sequenceNo) + "|");
  EXPECT_EQ(server.Requests().back().text, followUp);
  EXPECT_EQ(rows->done, 1);
  backend::CxDataSet split;
  EXPECT_TRUE(backend::SplitReplyRows(0, *rows, 2, 1, split));
  EXPECT_EQ(split.GetCount(), 3u);

  RequestPtr none = Request("查询委托", 5301, 2, false);
  ASSERT_TRUE(backend::ExecuteRequest(*none, message)) << message;
  EXPECT_EQ(none->subRequests[0].answer.GetCount(), 1u);
  EXPECT_EQ(Functions(server), (std::vector<int>{5300, 0, 0, 0, 5301}));
}

TEST_F(TransportTest, APreemptedFollowUpIsRequeuedAtItsSubRequest) {
  std::atomic<int> followUps{0};
  LoopbackServer server([&](const std::string& request) -> std::optional<std::string> {
    switch (FunctionOf(request)) {
      case 5400: return "R|srv|0|Y|2|";
      case 0:
        // The first follow-up is held until the request is pre-empted.
        if (followUps++ == 0) return std::nullopt;
        return "R|row|" + std::to_string(followUps.load()) + "|";
      default: return kDone;
    }
  });
  Connect(0, server);
  RequestPtr rows = Request("查询持仓", 5400, 1, false);
  auto pending = ExecuteOnAnotherThread(*rows);
  // Both follow-ups are in flight at once.
  ASSERT_TRUE(server.WaitForRequests(4));

  RequestPtr urgent = Request("撤单", 5012, 2);
  std::string message;
  EXPECT_TRUE(backend::ExecuteRequest(*urgent, message)) << message;
  const Outcome outcome = Await(pending);
  EXPECT_TRUE(outcome.ok) << outcome.message;
  EXPECT_EQ(Functions(server), (std::vector<int>{5400, 0, 0, 5012, 5400, 0, 0}));
  // Only the lines of the answer that was sent again: its status and two rows.
  ASSERT_EQ(rows->subRequests[0].answer.GetCount(), 3u);
  EXPECT_EQ(backend::AnswerLine(rows->subRequests[0], 1), "R|row|3|");
  EXPECT_EQ(backend::AnswerLine(rows->subRequests[0], 2), "R|row|4|");
}

// Answers function 5300 with a status line announcing `rows` rows and holds
// every follow-up for the test to answer.
portal_testing::Script AnnounceAndHold(std::size_t rows) {
  return [rows](const std::string& request) -> std::optional<std::string> {
    switch (FunctionOf(request)) {
      case 5300: return "R|srv|0|Y|" + std::to_string(rows) + "|";
      case 0: return std::nullopt;
      default: return kDone;
    }
  };
}

TEST_F(TransportTest, AWindowOfFollowUpsIsInFlightAndTheRowsKeepTheirOrder) {
  struct Case {
    int window;
    std::size_t rows;
  };
  for (const Case c : {Case{1, 3}, Case{2, 5}, Case{8, 3}}) {
    SCOPED_TRACE("window " + std::to_string(c.window) + ", rows " + std::to_string(c.rows));
    backend::SetFollowUpWindow(c.window);
    LoopbackServer server(AnnounceAndHold(c.rows));
    Connect(0, server);
    RequestPtr record = Request("查询成交", 5300, 2, false);
    auto pending = ExecuteOnAnotherThread(*record);
    // Each round answers what is in flight, the newest first: the slot keeps
    // the window full and takes the rows in the order it asked for them.
    for (std::size_t answered = 0; answered < c.rows;) {
      const std::size_t inFlight = std::min(static_cast<std::size_t>(c.window), c.rows - answered);
      const std::size_t requests = 2 + answered + inFlight;  // the login and the status request first
      EXPECT_TRUE(server.WaitForRequests(requests));
      EXPECT_FALSE(server.WaitForRequests(requests + 1, std::chrono::milliseconds(50))) << "no more than the window";
      const auto received = server.Requests();
      for (std::size_t row = answered + inFlight; row > answered; --row)
        server.Answer(received[1 + row].sequence, "R|row|" + std::to_string(row) + "|");
      answered += inFlight;
    }
    const Outcome outcome = Await(pending);
    EXPECT_TRUE(outcome.ok) << outcome.message;
    const backend::SubRequest& answer = record->subRequests[0];
    ASSERT_EQ(answer.answer.GetCount(), c.rows + 1);
    for (std::size_t row = 1; row <= c.rows; ++row)
      EXPECT_EQ(backend::AnswerLine(answer, row), "R|row|" + std::to_string(row) + "|");
    std::string message;
    ASSERT_TRUE(backend::CloseSlot(0, message)) << message;
  }
}

// Keeps the rows it is handed, with the sub-request each belongs to.
class RowsKept : public backend::AnswerRowSink {
 public:
  void ExpectRows(int index, std::size_t count) override { announced.emplace_back(index, count); }
  void TakeRow(int index, std::string_view row) override { rows.emplace_back(index, row); }
  std::vector<std::pair<int, std::size_t>> announced;
  std::vector<std::pair<int, std::string>> rows;
};

TEST_F(TransportTest, ARowSinkTakesTheRowsInOrderInPlaceOfTheAnswerList) {
  LoopbackServer server([rows = std::make_shared<std::atomic<int>>(0)](const std::string& request) {
    if (FunctionOf(request) == 0) return "R|row|" + std::to_string(++*rows) + "|";
    return std::string("R|srv|0|Y|300|");
  });
  Connect(0, server);
  RowsKept sink;
  RequestPtr record = Request("查询成交", 5003, 2, false);
  record->rowSink = &sink;
  std::string message;
  ASSERT_TRUE(backend::ExecuteRequest(*record, message)) << message;
  EXPECT_EQ(sink.announced, (std::vector<std::pair<int, std::size_t>>{{0, 300}}));
  ASSERT_EQ(sink.rows.size(), 300u);
  for (std::size_t row = 0; row < sink.rows.size(); ++row) {
    EXPECT_EQ(sink.rows[row].first, 0);
    EXPECT_EQ(sink.rows[row].second, "R|row|" + std::to_string(row + 1) + "|");
  }
  ASSERT_EQ(record->subRequests[0].answer.GetCount(), 1u);
  EXPECT_EQ(backend::AnswerLine(record->subRequests[0], 0), "R|srv|0|Y|300|");
}

TEST_F(TransportTest, AConnectionDropInsideAPipelinedAnswerFailsItsRequestAndTheSlotGoesOn) {
  LoopbackServer server(AnnounceAndHold(1000));
  backend::TheServerRotation().SetGateways({{"127.0.0.1", server.Port()}}, 0);
  Connect(0, server);
  ASSERT_TRUE(states_.WaitFor(OV_STATE_DISCONNECTED, OV_STATE_CONNECTED));
  const std::size_t before = states_.Count();
  RequestPtr record = Request("查询成交", 5300, 2, false);
  auto pending = ExecuteOnAnotherThread(*record);
  ASSERT_TRUE(server.WaitForRequests(2 + backend::kDefaultFollowUpWindow));
  const auto received = server.Requests();
  server.Answer(received[2].sequence, "R|row|1|");
  server.DropClient();
  const Outcome outcome = Await(pending);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message, "通讯连接中断！");
  EXPECT_EQ(record->subRequests[0].answer.GetCount(), 0u) << "no part of the answer is kept";

  ASSERT_TRUE(states_.WaitFor(OV_STATE_RECONNECTING, OV_STATE_CONNECTED, before));
  RequestPtr order = Request("下单", 5011, 2);
  std::string message;
  EXPECT_TRUE(backend::ExecuteRequest(*order, message)) << message;
  EXPECT_EQ(backend::CheckReplyResult(0, message, order.get()), 0) << message;
}

TEST_F(TransportTest, TheFollowUpWindowIsASettingOfTheSystemFile) {
  constexpr const char* kSystemFile = "\\Config\\SysParam.ini";
  platform_testing::TemporaryFolder folder("follow-up-window");
  std::filesystem::create_directory(folder.PathOf("Config"));
  platform::SetProgramFolder(folder.Path());
  struct Case {
    const char* value;  // null: no such key
    int window;
  };
  for (const Case c :
       {Case{nullptr, backend::kDefaultFollowUpWindow}, Case{"1", 1}, Case{"64", 64}, Case{"0", 1}, Case{"-5", 1},
        Case{"100000", backend::kMaxFollowUpWindow}, Case{"many", backend::kDefaultFollowUpWindow}}) {
    SCOPED_TRACE(c.value ? c.value : "missing");
    if (c.value) {
      ASSERT_TRUE(platform::WriteIniString(kSystemFile, "Communication", "FollowUpWindow", c.value));
    }
    backend::StopCommunication();
    std::string message;
    ASSERT_TRUE(backend::StartCommunication("1.0.0", message)) << message;
    EXPECT_EQ(backend::FollowUpWindow(), c.window);
  }
  platform::SetProgramFolder("");
}

TEST_F(TransportTest, ClosingASlotFinishesEveryRequestOnIt) {
  LoopbackServer server(HoldSlowRequests);
  Connect(0, server);
  RequestPtr waiting = Request("慢查询", kHeldFunction, 2);
  auto pending = ExecuteOnAnotherThread(*waiting);
  ASSERT_TRUE(server.WaitForRequests(2));
  Post(Request("排队", 5202, 0));

  std::string message;
  ASSERT_TRUE(backend::CloseSlot(0, message)) << message;
  ASSERT_NO_FATAL_FAILURE(ExpectWaitingAndQueuedRequestLost(pending));

  EXPECT_FALSE(backend::IsSlotConnected(0));
  EXPECT_EQ(backend::FindFreeSlot(), 0);
  EXPECT_EQ(backend::CountFreeSlots(), 3);
  RequestPtr late = Request("下单", 5011, 2);
  EXPECT_FALSE(backend::ExecuteRequest(*late, message));
  EXPECT_EQ(message, "执行操作[下单]时，还没有建立通讯连接！");
  EXPECT_FALSE(backend::CloseSlot(0, message));
  EXPECT_EQ(message, "断开连接错误[连接号：-1]：断连状态时又进行了断连操作");
  EXPECT_TRUE(backend::DisconnectSlot(0, message));
  EXPECT_FALSE(backend::DisconnectSlot(3, message));
}

TEST_F(TransportTest, APushBlockQueuesItsNonEmptyLinesInOrder) {
  LoopbackServer server(HoldSlowRequests);
  Connect(1, server);
  ASSERT_TRUE(states_.WaitFor(OV_STATE_DISCONNECTED, OV_STATE_CONNECTED));
  const char block[] = "R|p|0|15001|cu2405|\0\0R|p|0|15006|notice|\0";
  server.Push(std::string(block, sizeof block - 1));

  // The socket may hand the block over in more than one read: the lines
  // come in order, whichever items carry them.
  std::vector<std::string> lines;
  while (lines.size() < 2) {
    const RequestPtr item = NextResult();
    ASSERT_NE(item, nullptr) << "lines so far: " << lines.size();
    EXPECT_TRUE(item->IsPush());
    EXPECT_EQ(item->connection, 1);
    for (std::uint32_t line = 0; line < backend::PushLineCount(*item); ++line) {
      lines.emplace_back(backend::PushLineAt(*item, line));
    }
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"R|p|0|15001|cu2405|", "R|p|0|15006|notice|"}));
}

TEST_F(TransportTest, RequestsGoOnAfterThePortalReconnects) {
  LoopbackServer server(HoldSlowRequests);
  backend::TheServerRotation().SetGateways({{"127.0.0.1", server.Port()}}, 0);
  Connect(0, server);
  ASSERT_TRUE(states_.WaitFor(OV_STATE_DISCONNECTED, OV_STATE_CONNECTED));
  const std::size_t before = states_.Count();

  server.DropClient();
  ASSERT_TRUE(states_.WaitFor(OV_STATE_RECONNECTING, OV_STATE_CONNECTED, before));
  const std::vector<std::tuple<int, int, int>> expected = {{0, OV_STATE_CONNECTED, OV_STATE_RETRY_WAIT},
                                                           {0, OV_STATE_RETRY_WAIT, OV_STATE_RECONNECTING},
                                                           {0, OV_STATE_RECONNECTING, OV_STATE_CONNECTED}};
  const auto changes = states_.Changes();
  EXPECT_EQ(std::vector(changes.begin() + static_cast<std::ptrdiff_t>(before), changes.end()), expected);

  RequestPtr order = Request("下单", 5011, 2);
  std::string message;
  EXPECT_TRUE(backend::ExecuteRequest(*order, message)) << message;
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].connection, 2);  // the login again, on the new connection
  EXPECT_EQ(FunctionOf(requests[1].text), 5001);
  EXPECT_EQ(requests[2].connection, 2);
  EXPECT_EQ(FunctionOf(requests[2].text), 5011);
}

TEST_F(TransportTest, ADroppedConnectionMovesOnThroughTheGatewayList) {
  LoopbackServer first(HoldSlowRequests);
  LoopbackServer second(HoldSlowRequests);
  LoopbackServer third(HoldSlowRequests);
  backend::TheServerRotation().SetGateways(
      {{"127.0.0.1", first.Port()}, {"127.0.0.1", second.Port()}, {"127.0.0.1", third.Port()}}, 0);
  Connect(0, first);

  LoopbackServer* current = &first;
  for (LoopbackServer* next : {&second, &third}) {
    const std::size_t before = states_.Count();
    current->Close();
    current = next;
    ASSERT_TRUE(states_.WaitFor(OV_STATE_RECONNECTING, OV_STATE_CONNECTED, before));
    RequestPtr order = Request("下单", 5011, 2);
    std::string message;
    EXPECT_TRUE(backend::ExecuteRequest(*order, message)) << message;
    EXPECT_EQ(Functions(*next), (std::vector<int>{5011}));
  }
  EXPECT_EQ(backend::TheServerRotation().CurrentGateway(), 2);
}

// A back end that announces and sends whatever the test asks of an answer:
// the status line announces `announced` packets; each follow-up is answered
// with a row of `rowBytes` bytes, or held when `rowBytes` is 0.
struct HostileAnswers {
  std::string announced;
  std::size_t rowBytes = 0;

  std::optional<std::string> operator()(const std::string& request) const {
    if (FunctionOf(request) == 0) {
      if (rowBytes == 0) return std::nullopt;
      return "R|row|" + std::string(rowBytes, 'r') + "|";
    }
    return "R|srv|0|Y|" + announced + "|";
  }
};

TEST_F(TransportTest, AnAnswerPastWhatItsFunctionCanReturnFailsAtOnceAndFreesTheSlot) {
  constexpr int kOrders = 5134;   // a long list
  constexpr int kServers = 5451;  // a short one
  struct Case {
    const char* what;
    int function;
    HostileAnswers answers;
    bool ok;
    std::size_t followUps;  // sent before the request ended
    const char* message;
  };
  const HostileAnswers wideRows{"10000", 60000};
  const std::size_t statusBytes = wideRows("R|m|1|5451|")->size();
  const std::size_t rowBytes = wideRows("R|m|1|0|")->size();
  const std::size_t rowsPastBytes = (backend::kShortListBound.bytes - statusBytes) / rowBytes + 1;
  const Case cases[] = {
      {"a million packets",
       kOrders,
       {"1000000", 0},
       false,
       0,
       "功能号5134的应答宣称1000000个后续数据包，超过上限100000个，请求失败！"},
      {"more packets than any number holds",
       kOrders,
       {"99999999999999999999999", 0},
       false,
       0,
       "功能号5134的应答宣称99999999999999999999999个后续数据包，超过上限100000个，请求失败！"},
      {"one packet past a short list's bound",
       kServers,
       {"10001", 0},
       false,
       0,
       "功能号5451的应答宣称10001个后续数据包，超过上限10000个，请求失败！"},
      {"rows past a short list's bytes", kServers, wideRows, false, rowsPastBytes,
       "功能号5451的应答超过上限8388608字节，请求失败！"},
      {"a count that is no number: the status line alone", kServers, {"x", 0}, true, 0, ""},
      {"a short list within its bounds", kServers, {"3", 60000}, true, 3, ""},
  };
  // One follow-up at a time, so that none is in flight past the one that
  // failed.
  backend::SetFollowUpWindow(1);
  LoopbackServer server(HoldSlowRequests);
  Connect(0, server);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    server.SetScript(c.answers);
    const std::size_t before = server.Requests().size();
    // A follow-up that went out would wait for its held answer past the bound.
    RequestPtr record = Request("查询", c.function, 2, false);
    auto pending = ExecuteOnAnotherThread(*record);
    const Outcome outcome = Await(pending);
    EXPECT_EQ(outcome.ok, c.ok) << outcome.message;
    EXPECT_EQ(outcome.message, c.message);
    std::string message;
    EXPECT_EQ(backend::CheckReplyResult(0, message, record.get()), c.ok ? 0 : backend::kReplyFailureCode);
    EXPECT_EQ(server.Requests().size() - before, 1 + c.followUps);

    // The slot serves the next request at once.
    server.SetScript(HoldSlowRequests);
    RequestPtr next = Request("下单", 5011, 2);
    EXPECT_TRUE(backend::ExecuteRequest(*next, message)) << message;
  }
}

TEST_F(TransportTest, PushesBeforeTheLoginAnswerAreKeptWithinTheirBoundAndPastItTheLoginIsRefused) {
  LoopbackServer server(HoldSlowRequests);
  const std::string notice = std::string("R|p|0|15006|early|\0", 19);
  server.SetLoginPrelude(notice, 3);
  Connect(0, server);
  const std::vector<RequestPtr> early = TakeResults(3);
  ASSERT_EQ(early.size(), 3u);
  for (const RequestPtr& push : early) EXPECT_EQ(backend::AnswerLine(push->subRequests[0], 0), "R|p|0|15006|early|");

  // 150 MB of pushes, and the login answer only after them.
  LoopbackServer flooding(HoldSlowRequests);
  flooding.SetLoginPrelude(std::string(1 << 20, 'p'), 150);
  OV_ConnectBlock block = backend_testing::LoopbackConnectBlock(1, flooding.Port());
  std::string answer, message;
  EXPECT_FALSE(backend::ConnectSlot(block, answer, message, "R|mac|2|5001||Pellora|c01|pw|"));
  EXPECT_EQ(message, "登录应答之前收到的数据超过1048576字节，协议错误，连接被拒绝！");
  EXPECT_FALSE(backend::IsSlotConnected(1));
  EXPECT_EQ(backend::TheResultQueue().TakeNext(), nullptr) << "none of the flood was kept";

  flooding.SetLoginPrelude("", 0);
  Connect(1, flooding);
}

}  // namespace
