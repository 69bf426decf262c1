#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "backend/field_text.h"
#include "backend/request_queue.h"
#include "backend/sequence_number.h"
#include "backend/server_rotation.h"
#include "backend/transport.h"
#include "scripted_server.h"

namespace {

using backend::RequestPtr;
using backend::RequestRecord;
using backend_testing::ScriptedServer;
using namespace std::chrono_literals;

constexpr auto kBound = 10s;
constexpr const char* kDone = "R|srv|0|Y|0|";
constexpr const char* kLost = "通讯连接中断！";
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
std::vector<int> Functions(const ScriptedServer& server) {
  std::vector<int> functions;
  for (const auto& request : server.Requests()) {
    if (FunctionOf(request.text) != 5001) functions.push_back(FunctionOf(request.text));
  }
  return functions;
}

struct Outcome {
  bool ok = false;
  std::string message;
};

// Every change the portal reported: connection number, state before, state.
class StateLog {
 public:
  void Add(int connection, int flag, int state) {
    std::lock_guard lock(mutex_);
    changes_.emplace_back(connection, flag, state);
    changed_.notify_all();
  }
  // Waits for a change from `flag` to `state` beyond the first `skip` ones.
  bool WaitFor(int flag, int state, std::size_t skip = 0) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kBound, [&] {
      for (std::size_t index = skip; index < changes_.size(); ++index) {
        if (std::get<1>(changes_[index]) == flag && std::get<2>(changes_[index]) == state) return true;
      }
      return false;
    });
  }
  std::size_t Count() {
    std::lock_guard lock(mutex_);
    return changes_.size();
  }
  std::vector<std::tuple<int, int, int>> Changes() {
    std::lock_guard lock(mutex_);
    return changes_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::tuple<int, int, int>> changes_;
};

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string message;
    ASSERT_TRUE(backend::StartCommunication("1.0.0", message)) << message;
    backend::SetConnectionStateHook([this](int connection, int flag, int state) {
      states_.Add(connection, flag, state);
    });
  }

  void TearDown() override {
    backend::StopCommunication();
    backend::SetConnectionStateHook(nullptr);
    backend::TheServerRotation().SetGateways({}, 0);
    while (backend::TheResultQueue().TakeNext()) {
    }
  }

  static void Connect(int slot, const ScriptedServer& server) {
    OV_ConnectBlock block{};
    orvanet::SetI32(block.connection, slot);
    orvanet::SetText(block.serverAddress, "127.0.0.1");
    orvanet::SetI32(block.serverPort, server.Port());
    std::string answer;
    std::string message;
    ASSERT_TRUE(backend::ConnectSlot(block, answer, message, "R|mac|1|5001||Pellora|c01|pw|")) << message;
    EXPECT_EQ(answer, ScriptedServer::kLoginAnswer);
  }

  static RequestPtr Request(const char* title, int function, int priority, bool singlePacket = true) {
    backend::CxDataSet parameters;
    parameters.AddText(title);
    std::string message;
    RequestPtr record =
        backend::BuildRequestCommand(title, 1, 0, priority, "", backend::LocalMachineAddress(),
                                     backend::GetNextSequenceNo(), function, singlePacket, parameters, message);
    EXPECT_TRUE(record) << message;
    return record;
  }

  static std::future<Outcome> ExecuteOnAnotherThread(RequestRecord& record) {
    return std::async(std::launch::async, [&record] {
      Outcome outcome;
      outcome.ok = backend::ExecuteRequest(record, outcome.message);
      return outcome;
    });
  }

  // The outcome of a call on another thread, within a bound: when it takes
  // longer the slots are closed, which ends every waiting call.
  static Outcome Await(std::future<Outcome>& pending) {
    if (pending.wait_for(kBound) != std::future_status::ready) {
      ADD_FAILURE() << "the request did not end in time";
      for (int slot = 0; slot < backend::kSlotCount; ++slot) {
        std::string ignored;
        backend::DisconnectSlot(slot, ignored);
      }
    }
    return pending.get();
  }

  static void Post(RequestPtr record) {
    std::string message;
    ASSERT_TRUE(backend::PostRequest(record, message)) << message;
    EXPECT_FALSE(record);
  }

  // The next `count` records of the result queue, waiting a bounded time.
  static std::vector<RequestPtr> TakeResults(std::size_t count) {
    std::vector<RequestPtr> results;
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (results.size() < count && std::chrono::steady_clock::now() < deadline) {
      if (RequestPtr record = backend::TheResultQueue().TakeNext()) {
        results.push_back(std::move(record));
      } else {
        std::this_thread::sleep_for(5ms);
      }
    }
    return results;
  }

  StateLog states_;
};

TEST_F(TransportTest, PriorityTwoCancelsARunningPriorityZeroRequest) {
  ScriptedServer server(HoldSlowRequests);
  Connect(0, server);
  RequestPtr slow = Request("慢查询", kHeldFunction, 0);
  auto pending = ExecuteOnAnotherThread(*slow);
  ASSERT_TRUE(server.WaitForRequests(2));

  RequestPtr urgent = Request("下单", 5011, 2);
  std::string message;
  EXPECT_TRUE(backend::ExecuteRequest(*urgent, message)) << message;
  EXPECT_EQ(backend::CheckReplyResult(0, message, urgent.get()), 0);

  const Outcome outcome = Await(pending);
  EXPECT_FALSE(outcome.ok);
  const std::string cancelled = "优先级等于零的通讯操作被取消：" + slow->subRequests[0].requestText + "。";
  EXPECT_EQ(outcome.message, cancelled);
  EXPECT_EQ(backend::CheckReplyResult(0, message, slow.get()), backend::kReplyFailureCode);
  EXPECT_EQ(message, cancelled);
  EXPECT_EQ(Functions(server), (std::vector<int>{kHeldFunction, 5011}));
}

TEST_F(TransportTest, PriorityTwoRequeuesARunningPriorityOneRequest) {
  std::atomic<int> slowSeen{0};
  ScriptedServer server([&](const std::string& request) -> std::optional<std::string> {
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
  ScriptedServer server(HoldSlowRequests);
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
  ScriptedServer server([](const std::string& request) -> std::optional<std::string> {
    switch (FunctionOf(request)) {
      case 5300:
        return "R|srv|0|Y|3|";
      case 0:
        return "R|row|" + backend::GetSeparatedFieldText(3, request) + "|";
      default:
        return kDone;
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
  ScriptedServer server([&](const std::string& request) -> std::optional<std::string> {
    switch (FunctionOf(request)) {
      case 5400:
        return "R|srv|0|Y|2|";
      case 0:
        // The first follow-up is held until the request is pre-empted.
        if (followUps++ == 0) return std::nullopt;
        return "R|row|" + std::to_string(followUps.load()) + "|";
      default:
        return kDone;
    }
  });
  Connect(0, server);
  RequestPtr rows = Request("查询持仓", 5400, 1, false);
  auto pending = ExecuteOnAnotherThread(*rows);
  ASSERT_TRUE(server.WaitForRequests(3));

  RequestPtr urgent = Request("撤单", 5012, 2);
  std::string message;
  EXPECT_TRUE(backend::ExecuteRequest(*urgent, message)) << message;
  const Outcome outcome = Await(pending);
  EXPECT_TRUE(outcome.ok) << outcome.message;
  EXPECT_EQ(Functions(server), (std::vector<int>{5400, 0, 5012, 5400, 0, 0}));
  // Only the lines of the answer that was sent again: its status and two rows.
  ASSERT_EQ(rows->subRequests[0].answer.GetCount(), 3u);
  EXPECT_EQ(backend::AnswerLine(rows->subRequests[0], 2), "R|row|3|");
}

TEST_F(TransportTest, ClosingASlotFinishesEveryRequestOnIt) {
  ScriptedServer server(HoldSlowRequests);
  Connect(0, server);
  RequestPtr waiting = Request("慢查询", kHeldFunction, 2);
  auto pending = ExecuteOnAnotherThread(*waiting);
  ASSERT_TRUE(server.WaitForRequests(2));
  Post(Request("排队", 5202, 0));

  std::string message;
  ASSERT_TRUE(backend::CloseSlot(0, message)) << message;
  const Outcome outcome = Await(pending);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message, kLost);
  const std::vector<RequestPtr> results = TakeResults(1);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0]->errorFlag, 1u);
  EXPECT_EQ(results[0]->errorText, kLost);

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

TEST_F(TransportTest, APushBlockQueuesOneRecordPerNonEmptyLine) {
  ScriptedServer server(HoldSlowRequests);
  Connect(1, server);
  ASSERT_TRUE(states_.WaitFor(OV_STATE_DISCONNECTED, OV_STATE_CONNECTED));
  const char block[] = "R|p|0|15001|cu2405|\0\0R|p|0|15006|notice|\0";
  server.Push(std::string(block, sizeof block - 1));

  const std::vector<RequestPtr> results = TakeResults(2);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_TRUE(results[0]->IsPush());
  EXPECT_EQ(results[0]->connection, 1);
  EXPECT_EQ(backend::AnswerLine(results[0]->subRequests[0], 0), "R|p|0|15001|cu2405|");
  EXPECT_EQ(backend::AnswerLine(results[1]->subRequests[0], 0), "R|p|0|15006|notice|");
}

TEST_F(TransportTest, RequestsGoOnAfterThePortalReconnects) {
  ScriptedServer server(HoldSlowRequests);
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
  ScriptedServer first(HoldSlowRequests);
  ScriptedServer second(HoldSlowRequests);
  ScriptedServer third(HoldSlowRequests);
  backend::TheServerRotation().SetGateways(
      {{"127.0.0.1", first.Port()}, {"127.0.0.1", second.Port()}, {"127.0.0.1", third.Port()}}, 0);
  Connect(0, first);

  ScriptedServer* current = &first;
  for (ScriptedServer* next : {&second, &third}) {
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

}  // namespace
