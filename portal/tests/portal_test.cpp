// The portal library through its exported functions, against loopback test
// servers. Every wait is bounded; the answer time-out is long unless a test
// is about it, so that an early return proves the abort or close did it.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sync.h"
#include "portal/Orvanet.h"
#include "portal/frame.h"
#include "portal/testing/loopback_server.h"

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using portal_testing::Echo;
using portal_testing::HoldAll;
using portal_testing::LoopbackServer;
using testing::ElementsAre;
using testing::HasSubstr;

constexpr auto kBound = 10s;  // no wait of a test lasts longer
constexpr int kLongAnswerTimeoutMs = 60000;

struct StateChange {
  int connection;
  int flag;
  int state;
  friend bool operator==(const StateChange&, const StateChange&) = default;
};

// What the callbacks saw. The callbacks take no context, so the recorder is
// one global, reset by every test.
struct Recorder {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<StateChange> states;
  std::vector<std::string> pushes;
  std::vector<std::thread::id> pushThreads;
  std::vector<std::string> logs;
  std::vector<std::uint16_t> rotation;  // ports handed out by the next-server callback, in turn
  std::size_t nextServer = 0;
  std::vector<int> nextServerConnections;

  template <typename Ready>
  bool WaitUntil(Ready ready) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, kBound, ready);
  }
};

Recorder* recorder = nullptr;

void RecordState(int connection, int flag, int state) {
  std::lock_guard lock(recorder->mutex);
  recorder->states.push_back({connection, flag, state});
  recorder->changed.notify_all();
}

void RecordPush(int, const char* data, int length) {
  std::lock_guard lock(recorder->mutex);
  recorder->pushes.emplace_back(data, static_cast<std::size_t>(length));
  recorder->pushThreads.push_back(std::this_thread::get_id());
  recorder->changed.notify_all();
}

void RecordLog(int, const char* text) {
  std::lock_guard lock(recorder->mutex);
  recorder->logs.emplace_back(text);
  recorder->changed.notify_all();
}

int NextServer(int connection, char* address, int addressSize, unsigned short* port) {
  std::lock_guard lock(recorder->mutex);
  recorder->nextServerConnections.push_back(connection);
  if (recorder->rotation.empty()) return 0;
  *port = recorder->rotation[recorder->nextServer++ % recorder->rotation.size()];
  std::snprintf(address, static_cast<std::size_t>(addressSize), "127.0.0.1");
  return 1;
}

// A port on which nothing listens: a server opened and closed again.
std::uint16_t DeadPort() {
  LoopbackServer server(Echo);
  server.Close();
  return server.Port();
}

struct Result {
  bool ok = false;
  std::string text;
};

Result Send(int connection, const std::string& request, platform::Event* abort = nullptr) {
  Result result;
  result.ok = OV_SendAndRecv(connection, 5002, abort, request.data(), static_cast<int>(request.size()),
                             OV_AppendToString, &result.text) != 0;
  return result;
}

OV_ConnectBlock MakeBlock(int connection, std::uint16_t port, const std::string& login) {
  OV_ConnectBlock block{};
  orvanet::SetI32(block.connection, connection);
  EXPECT_TRUE(orvanet::SetText(block.loginText, login));
  EXPECT_TRUE(orvanet::SetText(block.serverAddress, "127.0.0.1"));
  orvanet::SetI32(block.serverPort, port);
  return block;
}

Result Connect(OV_ConnectBlock& block) {
  Result result;
  result.ok = OV_Connect(&block, OV_AppendToString, &result.text) != 0;
  return result;
}

class PortalTest : public testing::Test {
 protected:
  static constexpr const char* kLogin = "R|00-11-22-33-44-55|600001|5001||Pellora|8001|secret|";

  void SetUp() override {
    recorder = &recorder_;
    Start(kLongAnswerTimeoutMs, 3);
  }

  void TearDown() override { OV_Stop(); }

  void Start(int answerTimeoutMs, int reconnectAttempts) {
    std::string message;
    ASSERT_EQ(OV_Start("Pellora", "1.0", reconnectAttempts, answerTimeoutMs, 5, 0, 3, 3, RecordState, RecordPush,
                       RecordLog, NextServer, OV_AppendToString, &message),
              1)
        << message;
  }

  void Restart(int answerTimeoutMs, int reconnectAttempts) {
    OV_Stop();
    Start(answerTimeoutMs, reconnectAttempts);
  }

  // Connects number 0 to `server` and waits until the connection reported itself.
  void ConnectTo(LoopbackServer& server) {
    OV_ConnectBlock block = MakeBlock(0, server.Port(), kLogin);
    const Result connected = Connect(block);
    ASSERT_TRUE(connected.ok) << connected.text;
    ASSERT_TRUE(recorder_.WaitUntil([&] { return !recorder_.states.empty(); }));
  }

  std::vector<StateChange> States() {
    std::lock_guard lock(recorder_.mutex);
    return recorder_.states;
  }

  Recorder recorder_;
};

TEST_F(PortalTest, SendsTheLoginFirstAndThenCarriesRequests) {
  LoopbackServer server(Echo);
  OV_ConnectBlock block = MakeBlock(2, server.Port(), kLogin);
  const Result connected = Connect(block);
  ASSERT_TRUE(connected.ok) << connected.text;
  EXPECT_EQ(connected.text, "R|srv|1|Y|0|");
  EXPECT_EQ(orvanet::GetI32(block.connection), 2);
  EXPECT_EQ(OV_GetConnectionState(2), OV_STATE_CONNECTED);

  const Result answered = Send(2, "R|00-11-22-33-44-55|600002|5002||Pellora|8001|secret|");
  EXPECT_TRUE(answered.ok);
  EXPECT_EQ(answered.text, "A:R|00-11-22-33-44-55|600002|5002||Pellora|8001|secret|");

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].text, kLogin);
  EXPECT_NE(requests[0].sequence, requests[1].sequence);
  EXPECT_NE(requests[1].sequence, 0u) << "0 marks a push";
  ASSERT_TRUE(recorder_.WaitUntil([&] { return !recorder_.states.empty(); }));
  EXPECT_THAT(States(), ElementsAre(StateChange{2, OV_STATE_DISCONNECTED, OV_STATE_CONNECTED}));
}

TEST_F(PortalTest, HandsARefusedLoginAnswerToTheCallerToJudge) {
  LoopbackServer server(Echo);
  server.SetLoginAnswer("R|srv|1|N|1002|密码错误|");
  OV_ConnectBlock block = MakeBlock(0, server.Port(), kLogin);
  const Result connected = Connect(block);
  EXPECT_TRUE(connected.ok);
  EXPECT_EQ(connected.text, "R|srv|1|N|1002|密码错误|");
  EXPECT_EQ(OV_DisConnect(0), 1);
}

TEST_F(PortalTest, CarriesAnAnswerOfAnyLength) {
  LoopbackServer server(Echo);
  ConnectTo(server);
  const std::string request = "R|" + std::string(300000, 'x') + "|";
  const Result answered = Send(0, request);
  EXPECT_TRUE(answered.ok);
  EXPECT_EQ(answered.text, "A:" + request);
}

TEST_F(PortalTest, MatchesAnswersToRequestsBySequenceNumber) {
  LoopbackServer server(HoldAll);
  ConnectTo(server);
  auto first = std::async(std::launch::async, [] { return Send(0, "first"); });
  ASSERT_TRUE(server.WaitForRequests(2));
  auto second = std::async(std::launch::async, [] { return Send(0, "second"); });
  ASSERT_TRUE(server.WaitForRequests(3));

  const auto requests = server.Requests();
  server.Answer(requests[2].sequence, "answer to second");
  ASSERT_EQ(second.wait_for(kBound), std::future_status::ready);
  server.Answer(requests[1].sequence, "answer to first");
  ASSERT_EQ(first.wait_for(kBound), std::future_status::ready);

  const Result firstResult = first.get();
  const Result secondResult = second.get();
  EXPECT_TRUE(firstResult.ok);
  EXPECT_EQ(firstResult.text, "answer to first");
  EXPECT_TRUE(secondResult.ok);
  EXPECT_EQ(secondResult.text, "answer to second");
}

TEST_F(PortalTest, AbortEventEndsAWaitingSendAndASetOneSendsNothing) {
  LoopbackServer server(HoldAll);
  ConnectTo(server);
  platform::Event abort(platform::ResetMode::kManual);
  auto waiting = std::async(std::launch::async, [&] { return Send(0, "waiting", &abort); });
  ASSERT_TRUE(server.WaitForRequests(2));
  abort.Set();
  ASSERT_EQ(waiting.wait_for(kBound), std::future_status::ready) << "the abort must end the wait";
  const Result aborted = waiting.get();
  EXPECT_FALSE(aborted.ok);
  EXPECT_EQ(aborted.text, "通讯操作被中止！");

  const Result notSent = Send(0, "never sent", &abort);
  EXPECT_FALSE(notSent.ok);
  server.SetScript(Echo);
  abort.Reset();
  EXPECT_EQ(Send(0, "after", &abort).text, "A:after");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].text, "after") << "a send whose abort event is already set sends nothing";
}

TEST_F(PortalTest, GivesUpAfterTheAnswerTimeOutAndDropsTheLateAnswer) {
  Restart(200, 3);
  LoopbackServer server(HoldAll);
  ConnectTo(server);
  const Result slow = Send(0, "slow");
  EXPECT_FALSE(slow.ok);
  EXPECT_THAT(slow.text, HasSubstr("超时"));

  ASSERT_TRUE(server.WaitForRequests(2));
  server.Answer(server.Requests()[1].sequence, "late answer");
  ASSERT_TRUE(recorder_.WaitUntil([&] {
    return std::any_of(recorder_.logs.begin(), recorder_.logs.end(),
                       [](const std::string& line) { return line.find("丢弃过期的应答") != std::string::npos; });
  }));
  server.SetScript(Echo);
  const Result next = Send(0, "next");
  EXPECT_TRUE(next.ok);
  EXPECT_EQ(next.text, "A:next");
  EXPECT_EQ(OV_GetConnectionState(0), OV_STATE_CONNECTED) << "a time-out leaves the connection up";
}

// The pipelined calls: sends that do not wait, answers taken by sequence.
int SendOnly(int connection, const std::string& request, std::string& reason, platform::Event* abort = nullptr) {
  return OV_SendOnly(connection, 0, abort, request.data(), static_cast<int>(request.size()), OV_AppendToString,
                     &reason);
}

Result Receive(int connection, int sequence, platform::Event* abort = nullptr) {
  Result result;
  result.ok = OV_RecvAnswer(connection, sequence, abort, OV_AppendToString, &result.text) != 0;
  return result;
}

// Sends `count` requests "0", "1", ... without waiting; their sequences.
std::vector<int> SendMany(int connection, int count) {
  std::vector<int> sequences;
  for (int i = 0; i < count; ++i) {
    std::string reason;
    sequences.push_back(SendOnly(connection, std::to_string(i), reason));
    EXPECT_GT(sequences.back(), 0) << reason;
  }
  return sequences;
}

TEST_F(PortalTest, PipelinedRequestsTakeTheirOwnAnswersWhateverOrderTheyComeIn) {
  LoopbackServer server(HoldAll);
  ConnectTo(server);
  const std::vector<int> sequences = SendMany(0, 3);
  ASSERT_TRUE(server.WaitForRequests(4));
  const auto requests = server.Requests();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(requests[static_cast<std::size_t>(i) + 1].text, std::to_string(i)) << "sent in order";
    EXPECT_EQ(requests[static_cast<std::size_t>(i) + 1].sequence, static_cast<std::uint32_t>(sequences[i]));
  }
  // The last answer first; the first is taken before the others are in.
  server.Answer(requests[3].sequence, "answer 2");
  server.Answer(requests[1].sequence, "answer 0");
  EXPECT_EQ(Receive(0, sequences[0]).text, "answer 0");
  server.Answer(requests[2].sequence, "answer 1");
  for (int i = 1; i < 3; ++i) {
    const Result answer = Receive(0, sequences[static_cast<std::size_t>(i)]);
    EXPECT_TRUE(answer.ok);
    EXPECT_EQ(answer.text, "answer " + std::to_string(i));
  }
  const Result again = Receive(0, sequences[0]);
  EXPECT_FALSE(again.ok) << "an answer is taken once";
  EXPECT_EQ(again.text, "请求[序号" + std::to_string(sequences[0]) + "]没有等待中的应答！");
  EXPECT_EQ(Receive(0, 0).text, "请求序号0无效！");
}

TEST_F(PortalTest, AnAbandonedRequestsAnswerIsDroppedAndTheOthersStillCome) {
  LoopbackServer server(HoldAll);
  ConnectTo(server);
  const std::vector<int> sequences = SendMany(0, 2);
  ASSERT_TRUE(server.WaitForRequests(3));
  EXPECT_EQ(OV_Abandon(0, sequences[0]), 1);
  EXPECT_EQ(OV_Abandon(0, sequences[0]), 0) << "given up once";
  const auto requests = server.Requests();
  server.Answer(requests[1].sequence, "unwanted");
  server.Answer(requests[2].sequence, "wanted");
  EXPECT_EQ(Receive(0, sequences[1]).text, "wanted");
  ASSERT_TRUE(recorder_.WaitUntil([&] {
    return std::any_of(recorder_.logs.begin(), recorder_.logs.end(),
                       [](const std::string& line) { return line.find("丢弃过期的应答") != std::string::npos; });
  }));
  EXPECT_FALSE(Receive(0, sequences[0]).ok);
}

TEST_F(PortalTest, AWaitForAnAnswerEndsAtTheAbortAndTheAnswerIsThenDropped) {
  LoopbackServer server(HoldAll);
  ConnectTo(server);
  platform::Event abort(platform::ResetMode::kManual);
  const std::vector<int> sequences = SendMany(0, 2);
  ASSERT_TRUE(server.WaitForRequests(3));
  auto waiting = std::async(std::launch::async, [&] { return Receive(0, sequences[0], &abort); });
  EXPECT_EQ(waiting.wait_for(100ms), std::future_status::timeout) << "it waits for its answer";
  abort.Set();
  ASSERT_EQ(waiting.wait_for(kBound), std::future_status::ready) << "the abort must end the wait";
  EXPECT_EQ(waiting.get().text, "通讯操作被中止！");

  std::string reason;
  EXPECT_EQ(SendOnly(0, "never sent", reason, &abort), 0);
  EXPECT_EQ(reason, "通讯操作被中止！");
  EXPECT_EQ(server.Requests().size(), 3u) << "a send under a set abort sends nothing";
  EXPECT_FALSE(Receive(0, sequences[0]).ok) << "an aborted wait gives its sequence up";
  server.Answer(server.Requests()[2].sequence, "the other");
  EXPECT_EQ(Receive(0, sequences[1]).text, "the other");
}

TEST_F(PortalTest, AnAnswerTimesOutCountedFromItsSendButOneAlreadyInIsStillTaken) {
  Restart(300, 3);
  LoopbackServer server(HoldAll);
  ConnectTo(server);
  const std::vector<int> sequences = SendMany(0, 2);
  ASSERT_TRUE(server.WaitForRequests(3));
  server.Answer(server.Requests()[2].sequence, "kept");
  std::this_thread::sleep_for(400ms);
  const auto start = std::chrono::steady_clock::now();
  const Result late = Receive(0, sequences[0]);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms) << "its time-out ran from the send";
  EXPECT_FALSE(late.ok);
  EXPECT_THAT(late.text, HasSubstr("超时"));
  const Result kept = Receive(0, sequences[1]);
  EXPECT_TRUE(kept.ok);
  EXPECT_EQ(kept.text, "kept");
  EXPECT_EQ(OV_GetConnectionState(0), OV_STATE_CONNECTED);
}

TEST_F(PortalTest, ADropFinishesEveryRequestInFlightWithTheTransportError) {
  LoopbackServer server(HoldAll);
  ConnectTo(server);
  const std::vector<int> sequences = SendMany(0, 4);
  ASSERT_TRUE(server.WaitForRequests(5));
  server.Answer(server.Requests()[2].sequence, "answered before");
  auto waiting = std::async(std::launch::async, [&] { return Receive(0, sequences[0]); });
  server.DropClient();
  ASSERT_EQ(waiting.wait_for(kBound), std::future_status::ready) << "the drop must end the wait";
  EXPECT_EQ(waiting.get().text, "通讯连接中断！");
  EXPECT_EQ(Receive(0, sequences[1]).text, "answered before") << "an answer that came first stays the answer";
  for (std::size_t i = 2; i < sequences.size(); ++i) {
    const Result lost = Receive(0, sequences[i]);
    EXPECT_FALSE(lost.ok);
    EXPECT_EQ(lost.text, "通讯连接中断！");
  }
}

TEST_F(PortalTest, DeliversEveryPushedLineOnThePortalsThread) {
  LoopbackServer server(Echo);
  ConnectTo(server);
  server.Push("R|x|0|15001|a|\0\0R|x|0|15006|委托被取消!|\0"s);
  server.Push("unterminated");
  ASSERT_TRUE(recorder_.WaitUntil([&] { return recorder_.pushes.size() == 2; }));

  std::lock_guard lock(recorder_.mutex);
  EXPECT_EQ(recorder_.pushes[0], "R|x|0|15001|a|\0\0R|x|0|15006|委托被取消!|\0"s);
  EXPECT_THAT(portal::SplitPushLines(recorder_.pushes[0]),
              ElementsAre("R|x|0|15001|a|", "", "R|x|0|15006|委托被取消!|"));
  EXPECT_EQ(recorder_.pushes[1], "unterminated\0"s) << "every line handed over ends with a zero byte";
  EXPECT_NE(recorder_.pushThreads[0], std::this_thread::get_id());
}

TEST_F(PortalTest, RefusesADisconnectFromInsideACallback) {
  static std::atomic<int> result{-1};
  result = -1;
  OV_Stop();
  std::string message;
  ASSERT_EQ(OV_Start(
                "Pellora", "1.0", 3, kLongAnswerTimeoutMs, 5, 0, 3, 3, nullptr,
                [](int connection, const char*, int) {
                  // Joining its own thread would hang the connection for good.
                  result = OV_DisConnect(connection);
                  std::lock_guard lock(recorder->mutex);
                  recorder->changed.notify_all();
                },
                nullptr, nullptr, OV_AppendToString, &message),
            1)
      << message;
  LoopbackServer server(Echo);
  OV_ConnectBlock block = MakeBlock(0, server.Port(), kLogin);
  ASSERT_TRUE(Connect(block).ok);
  server.Push("line\0"s);
  ASSERT_TRUE(recorder_.WaitUntil([] { return result != -1; }));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(OV_GetConnectionState(0), OV_STATE_CONNECTED);
}

TEST_F(PortalTest, ReconnectsThroughTheNextServerAfterADropAndSendsTheLoginAgain) {
  LoopbackServer first(HoldAll);
  LoopbackServer second(Echo);
  recorder_.rotation = {DeadPort(), second.Port()};
  ConnectTo(first);
  auto waiting = std::async(std::launch::async, [] { return Send(0, "in flight"); });
  ASSERT_TRUE(first.WaitForRequests(2));
  first.Close();

  ASSERT_EQ(waiting.wait_for(kBound), std::future_status::ready) << "a drop must end the waiting send";
  const Result lost = waiting.get();
  EXPECT_FALSE(lost.ok);
  EXPECT_EQ(lost.text, "通讯连接中断！");

  ASSERT_TRUE(recorder_.WaitUntil(
      [&] { return recorder_.states.back().state == OV_STATE_CONNECTED && recorder_.states.size() > 1; }));
  EXPECT_THAT(States(), ElementsAre(StateChange{0, OV_STATE_DISCONNECTED, OV_STATE_CONNECTED},
                                    StateChange{0, OV_STATE_CONNECTED, OV_STATE_RETRY_WAIT},
                                    StateChange{0, OV_STATE_RETRY_WAIT, OV_STATE_RECONNECTING},
                                    StateChange{0, OV_STATE_RECONNECTING, OV_STATE_RETRY_WAIT},
                                    StateChange{0, OV_STATE_RETRY_WAIT, OV_STATE_RECONNECTING},
                                    StateChange{0, OV_STATE_RECONNECTING, OV_STATE_CONNECTED}));
  {
    std::lock_guard lock(recorder_.mutex);
    EXPECT_THAT(recorder_.nextServerConnections, ElementsAre(0, 0));
  }
  ASSERT_TRUE(second.WaitForRequests(1));
  EXPECT_EQ(second.Requests()[0].text, kLogin);
  EXPECT_EQ(OV_GetConnectionState(0), OV_STATE_CONNECTED);
  EXPECT_EQ(Send(0, "again").text, "A:again");
}

TEST_F(PortalTest, ReportsTheConnectionLostWhenEveryReconnectTryIsRefused) {
  Restart(kLongAnswerTimeoutMs, 2);
  LoopbackServer first(Echo);
  LoopbackServer refusing(Echo);
  refusing.SetLoginAnswer("R|srv|1|N|1002|密码错误|");
  recorder_.rotation = {refusing.Port()};
  ConnectTo(first);
  first.Close();

  ASSERT_TRUE(recorder_.WaitUntil([&] { return recorder_.states.back().state == OV_STATE_DISCONNECTED; }));
  EXPECT_EQ(States().back(), (StateChange{0, OV_STATE_RETRY_WAIT, OV_STATE_DISCONNECTED}));
  EXPECT_EQ(refusing.Requests().size(), 2u) << "two tries, each refused at its login";
  EXPECT_EQ(OV_GetConnectionState(0), OV_STATE_DISCONNECTED);
  EXPECT_EQ(Send(0, "nothing").text, "通讯连接中断！");
  EXPECT_EQ(OV_DisConnect(0), 1) << "the lost connection is still the caller's to close";
}

TEST_F(PortalTest, DisconnectEndsAWaitingSendWithATransportError) {
  LoopbackServer server(HoldAll);
  ConnectTo(server);
  auto waiting = std::async(std::launch::async, [] { return Send(0, "waiting"); });
  ASSERT_TRUE(server.WaitForRequests(2));
  EXPECT_EQ(OV_DisConnect(0), 1);
  ASSERT_EQ(waiting.wait_for(kBound), std::future_status::ready);
  const Result closed = waiting.get();
  EXPECT_FALSE(closed.ok);
  EXPECT_EQ(closed.text, "通讯连接已关闭！");

  EXPECT_EQ(OV_GetConnectionState(0), OV_STATE_DISCONNECTED);
  EXPECT_EQ(OV_DisConnect(0), 0);
  EXPECT_EQ(States().size(), 1u) << "a disconnect the caller asked for is not reported back, nor reconnected";
  EXPECT_FALSE(Send(0, "after").ok);
}

TEST_F(PortalTest, RefusesAConnectThatCannotWork) {
  LoopbackServer server(Echo);
  ConnectTo(server);
  const std::string login = kLogin;
  struct Case {
    const char* name;
    OV_ConnectBlock block;
    const char* reason;
  };
  std::vector<Case> cases = {
      {"number in use", MakeBlock(0, server.Port(), login), "连接号0已经建立连接！"},
      {"negative number", MakeBlock(-1, server.Port(), login), "连接号-1无效！"},
      {"number too large", MakeBlock(OV_MAX_CONNECTIONS, server.Port(), login), "连接号64无效！"},
      {"empty login", MakeBlock(1, server.Port(), ""), "登录请求为空！"},
      {"login without its zero", MakeBlock(1, server.Port(), login), "登录请求超长！"},
      {"proxy", MakeBlock(1, server.Port(), login), "不支持通过代理服务器连接（代理类型2）！"},
      {"no address", MakeBlock(1, server.Port(), login), "服务器地址为空！"},
      {"port zero", MakeBlock(1, 0, login), "服务器端口0无效！"},
      {"port too large", MakeBlock(1, 0, login), "服务器端口65536无效！"},
      {"nothing listening", MakeBlock(1, DeadPort(), login), "连接服务器127.0.0.1:"},
  };
  std::memset(cases[4].block.loginText, 'x', sizeof cases[4].block.loginText);
  orvanet::SetI32(cases[5].block.proxyKind, 2);
  std::memset(cases[6].block.serverAddress, 0, sizeof cases[6].block.serverAddress);
  orvanet::SetI32(cases[8].block.serverPort, 65536);

  for (Case& c : cases) {
    const Result refused = Connect(c.block);
    EXPECT_FALSE(refused.ok) << c.name;
    EXPECT_THAT(refused.text, HasSubstr(c.reason)) << c.name;
  }
  EXPECT_EQ(OV_GetConnectionState(1), OV_STATE_DISCONNECTED);
  EXPECT_EQ(server.Requests().size(), 1u) << "only the first connection logged in";
}

TEST_F(PortalTest, StartsOnceWithUsableValues) {
  std::string message;
  EXPECT_EQ(OV_Start("Pellora", "1.0", 999, 15000, 5, 3, 3, 3, nullptr, nullptr, nullptr, nullptr, OV_AppendToString,
                     &message),
            0);
  EXPECT_EQ(message, "通讯库已经启动！");
  OV_Stop();
  message.clear();
  EXPECT_EQ(
      OV_Start("Pellora", "1.0", 999, 0, 5, 3, 3, 3, nullptr, nullptr, nullptr, nullptr, OV_AppendToString, &message),
      0);
  EXPECT_EQ(message, "通讯库启动参数无效！");

  OV_ConnectBlock block = MakeBlock(0, DeadPort(), kLogin);
  message.clear();
  EXPECT_EQ(OV_Connect(&block, OV_AppendToString, &message), 0);
  EXPECT_EQ(message, "通讯库尚未启动！");
}

// "00-11-22-33-44-55": six pairs of upper-case hexadecimal digits.
bool IsHardwareAddressText(std::string_view text) {
  if (text.size() != 17) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool ok = i % 3 == 2 ? c == '-' : (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    if (!ok) return false;
  }
  return true;
}

TEST(LocalAddresses, AreTheHardwareAddressAndIpTextOfThisMachine) {
  char machine[64] = {};
  ASSERT_EQ(OV_GetLocalMachineAddr(machine, sizeof machine), 1);
  EXPECT_TRUE(IsHardwareAddressText(machine)) << machine;
  char tooSmall[17] = {};
  EXPECT_EQ(OV_GetLocalMachineAddr(tooSmall, sizeof tooSmall), 0) << "17 characters need 18 bytes";
  EXPECT_EQ(tooSmall[0], '\0');

  char ip[64] = {};
  ASSERT_EQ(OV_GetLocalIpAddr(ip, sizeof ip), 1);
  in_addr parsed{};
  EXPECT_EQ(::inet_pton(AF_INET, ip, &parsed), 1) << ip;
}

}  // namespace
