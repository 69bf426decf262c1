// The library as a host sees it: its exported functions, over the
// middleware stand-in Halvost, against the scripted loopback server. Every
// wait is bounded, so a fault fails a test instead of hanging it.
#include "connpool/Linkara.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <future>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "connpool/worker_pool.h"
#include "middleware/test_server.h"
#include "platform/local_address.h"
#include "test_support.h"

using namespace std::chrono_literals;

namespace connpool {
namespace {

using halvost::ReceivedFrame;
using halvost::TestServer;
using Packets = std::vector<std::vector<std::string>>;

constexpr auto kBound = 10s;  // below the middleware's answer time-out of 15 s
constexpr std::string_view kPushTitle = "接收通讯推送";

template <typename Condition>
bool Eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + kBound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

Packets PacketsOf(const SubCall& subCall) {
  Packets packets;
  const BorrowedList results(subCall.results);
  for (int index = 0; index < results->Count(); ++index) {
    const BorrowedList packet(reinterpret_cast<const PackedBlock*>(results->ValueAt(index).data()));
    auto& fields = packets.emplace_back();
    for (int field = 0; field < packet->Count(); ++field) fields.emplace_back(packet->TextAt(field));
  }
  return packets;
}

// What the host's hooks receive, on the library's threads.
class Host {
 public:
  void Trace(int type, const char* text) {
    Add([&] { traces_.push_back(std::to_string(type) + " " + text); });
  }
  void State(int connection, int oldState, int newState) {
    Add([&] {
      states_.push_back(std::to_string(connection) + " " + std::to_string(oldState) + "->" + std::to_string(newState));
    });
  }
  // A push block is the library's and is read here; a finished
  // asynchronous block is the host's from now on.
  void Result(CallBlock* block) {
    if (block->title == kPushTitle) {
      const SubCall& subCall = block->SubCalls()[0];
      std::string summary = std::to_string(block->connection) + " " + std::to_string(subCall.functionNumber) + ":";
      const Packets packets = PacketsOf(subCall);
      for (const auto& field : packets.at(0)) summary += field + ",";
      Add([&] { pushes_.push_back(summary); });
    } else {
      Add([&] { blocks_.emplace_back(block); });
    }
  }

  bool WaitFor(const std::function<bool()>& condition) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kBound, condition);
  }
  bool WaitForBlocks(std::size_t count) {
    return WaitFor([&] { return blocks_.size() >= count; });
  }
  bool WaitForTrace(const std::string& line) {
    return WaitFor([&] { return std::find(traces_.begin(), traces_.end(), line) != traces_.end(); });
  }
  bool WaitForStates(std::size_t count) {
    return WaitFor([&] { return states_.size() >= count; });
  }
  bool WaitForPushes(std::size_t count) {
    return WaitFor([&] { return pushes_.size() >= count; });
  }

  std::vector<std::string> Traces() { return Read(traces_); }
  std::vector<std::string> States() { return Read(states_); }
  std::vector<std::string> Pushes() { return Read(pushes_); }
  CallBlock& Block(std::size_t index) {
    std::lock_guard lock(mutex_);
    return *blocks_.at(index);
  }

 private:
  template <typename Change>
  void Add(Change change) {
    std::lock_guard lock(mutex_);
    change();
    changed_.notify_all();
  }
  std::vector<std::string> Read(const std::vector<std::string>& lines) {
    std::lock_guard lock(mutex_);
    return lines;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> traces_;
  std::vector<std::string> states_;
  std::vector<std::string> pushes_;
  std::vector<CallBlockPtr> blocks_;
};

Host* host = nullptr;

void OnTrace(int type, const char* text) { host->Trace(type, text); }
void OnState(int connection, int oldState, int newState) { host->State(connection, oldState, newState); }
void OnResult(CallBlock* block) { host->Result(block); }

struct Call {
  int function;
  std::initializer_list<const char*> arguments = {};
  bool singlePacket = true;
  int requestNumber = 1;
};

CallBlockPtr Block(int priority, std::initializer_list<Call> calls) {
  CallBlockPtr block = NewCallBlock({.title = "test", .priority = priority}, static_cast<int>(calls.size()));
  int index = 0;
  for (const Call& call : calls) {
    PackedList arguments;
    for (const char* text : call.arguments) arguments.AddText(text);
    EXPECT_TRUE(SetSubCall(*block, index++,
                           {.requestNumber = call.requestNumber,
                            .functionNumber = call.function,
                            .singlePacket = call.singlePacket,
                            .arguments = arguments.Block()}));
  }
  return block;
}

class LinkaraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host = &hostLog;
    server.Answer(1258, "R|m|1|Y|欢迎|");
    ASSERT_EQ(Create(3), 1) << error;
    char buffer[LINKARA_ADDRESS_SIZE];
    mac = LinkaraGetLocalMacAddress(buffer);
  }
  void TearDown() override {
    LinkaraDestroy();
    host = nullptr;
  }

  int Create(int count) {
    return LinkaraCreate(OnTrace, OnState, OnResult, "first", "second", count, error, sizeof error);
  }

  // Place 0 names the loopback server, or a port where nothing listens.
  ServerInfo Info(bool reachable = true) const {
    ServerInfo info{};
    WriteInt32(info.serverCount, 1);
    WriteInt32(info.servers[0].enabled, 1);
    std::strcpy(info.servers[0].host, "127.0.0.1");
    WriteUint16(info.servers[0].port, reachable ? server.Port() : ClosedPort());
    return info;
  }
  static std::uint16_t ClosedPort() {
    TestServer gone;
    return gone.Port();
  }

  int Connect(int number, const ServerInfo& info, std::initializer_list<const char*> arguments = {}) {
    login = Block(0, {{.function = 5001, .arguments = arguments, .requestNumber = 7}});
    return LinkaraConnect(number, &info, &login->SubCalls()[0], error, sizeof error);
  }
  int Connect(int number) { return Connect(number, Info()); }

  // Runs `block` synchronously on connection 0.
  void Run(const CallBlockPtr& block) { ASSERT_EQ(LinkaraDoFunction(0, block.get(), error, sizeof error), 1) << error; }
  void RunAsync(CallBlockPtr block) {
    ASSERT_EQ(LinkaraDoFunctionSA(0, block.get(), error, sizeof error), 1) << error;
    block.release();  // the library's until the result hook takes it
  }

  std::vector<ReceivedFrame> Requests() const {
    std::vector<ReceivedFrame> requests;
    for (const ReceivedFrame& frame : server.Received()) {
      if (frame.function != 1258) requests.push_back(frame);
    }
    return requests;
  }
  std::vector<int> RequestFunctions() const {
    std::vector<int> functions;
    for (const ReceivedFrame& frame : Requests()) functions.push_back(frame.function);
    return functions;
  }

  Host hostLog;
  TestServer server;
  char error[256] = {};
  std::string mac;
  CallBlockPtr login;
};

TEST_F(LinkaraTest, ConnectPicksTheLowestFreeNumberAndRefusesWhatItCannotTake) {
  EXPECT_EQ(LinkaraGetFreeConnectionCount(), 3);
  EXPECT_EQ(Connect(-1), 0) << error;
  EXPECT_EQ(Connect(2), 2) << error;
  EXPECT_EQ(Connect(-1), 1) << error;
  EXPECT_EQ(LinkaraGetFreeConnectionCount(), 0);

  const std::size_t traced = hostLog.Traces().size();
  const struct {
    int number;
    const char* refusal;
  } cases[] = {
      {-1, "建立连接时，没有空闲的连接号！"},
      {2, "使用连接号2建立连接时，连接号2已经被使用！"},
      {3, "建立连接时，连接号：3，非法！"},
      {-2, "建立连接时，连接号：-2，非法！"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Connect(c.number), -1) << c.number;
    EXPECT_STREQ(error, c.refusal);
  }
  EXPECT_EQ(hostLog.Traces().size(), traced) << "a refused number is not traced";

  EXPECT_EQ(LinkaraDisConnect(1, error, sizeof error), 1) << error;
  EXPECT_EQ(LinkaraGetFreeConnectionCount(), 1);
  EXPECT_EQ(Connect(-1), 1) << error;
}

TEST_F(LinkaraTest, ConcurrentConnectsTakeDifferentNumbers) {
  server.Hold(1258);
  std::vector<std::future<int>> connects;
  for (int i = 0; i < 2; ++i) {
    connects.push_back(std::async(std::launch::async, [&] {
      CallBlockPtr ownLogin = Block(0, {{.function = 5001}});
      const ServerInfo info = Info();
      char ownError[256];
      return LinkaraConnect(-1, &info, &ownLogin->SubCalls()[0], ownError, sizeof ownError);
    }));
  }
  ASSERT_TRUE(server.WaitForReceived(2, kBound)) << "both log-ins are under way";
  EXPECT_EQ(LinkaraGetFreeConnectionCount(), 1) << "a number being connected is not free";
  server.Release(1258);
  std::vector<int> numbers;
  for (auto& connect : connects) {
    ASSERT_EQ(connect.wait_for(kBound), std::future_status::ready);
    numbers.push_back(connect.get());
  }
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(numbers, (std::vector<int>{0, 1}));
}

TEST_F(LinkaraTest, TheLoginSendsItsRequestAndKeepsTheAnswersFields) {
  server.Answer(1258, "R|m|7|y|欢迎|session|");
  ASSERT_EQ(Connect(-1, Info(), {"", "Pellora", "10001", "secret"}), 0) << error;

  const ReceivedFrame first = server.Received().at(0);
  EXPECT_EQ(first.function, 1258);
  EXPECT_EQ(first.text, "R|" + mac + "|7|5001||Pellora|10001|secret|");
  EXPECT_EQ(PacketsOf(login->SubCalls()[0]), (Packets{{"欢迎", "session"}}));

  const std::vector<std::string> traces = hostLog.Traces();
  const std::vector<std::string> expected = {
      "4 请求(CID=0)：R|" + mac + "|7|5001||Pellora|10001|********|",
      "4 返回(CID=0)：R|m|7|y|欢迎|session|",
      "3 建立连接成功，连接号：0。",
  };
  auto at = traces.begin();
  for (const std::string& line : expected) {
    at = std::find(at, traces.end(), line);
    EXPECT_NE(at, traces.end()) << "missing or out of order: " << line;
  }
}

TEST_F(LinkaraTest, ARefusedOrUnreachableLoginLeavesTheNumberFree) {
  server.Answer(1258, "R|m|7|N|12|密码错误|");
  EXPECT_EQ(Connect(-1), -1);
  EXPECT_STREQ(error, "密码错误");
  EXPECT_TRUE(hostLog.WaitForTrace("2 建立连接失败：密码错误"));
  EXPECT_TRUE(hostLog.WaitForTrace("3 返回(CID=0)：断开连接成功。")) << "the refused connection is closed";
  EXPECT_TRUE(Eventually([&] { return server.ConnectedClients() == 0; }));

  EXPECT_EQ(Connect(-1, Info(/*reachable=*/false)), -1);
  EXPECT_STREQ(error, "连接服务器失败");
  EXPECT_TRUE(hostLog.WaitForTrace("1 通讯错误(CID=0)：连接服务器失败"));
  EXPECT_TRUE(hostLog.WaitForTrace("2 建立连接失败：连接服务器失败"));
  EXPECT_EQ(LinkaraGetFreeConnectionCount(), 3);
}

TEST_F(LinkaraTest, RefusalsBeforeCreationAndOnNumbersNotConnected) {
  LinkaraDestroy();
  CallBlockPtr block = Block(0, {{.function = 5100}});
  const ServerInfo info = Info();
  EXPECT_EQ(LinkaraConnect(-1, &info, &block->SubCalls()[0], error, sizeof error), -1);
  EXPECT_STREQ(error, "建立连接时，还没有创建通讯线程池！");
  EXPECT_EQ(LinkaraDisConnect(0, error, sizeof error), 0);
  EXPECT_STREQ(error, "断开连接时，还没有创建通讯线程池！");
  EXPECT_EQ(LinkaraDoFunction(0, block.get(), error, sizeof error), 0);
  EXPECT_STREQ(error, "同步通讯调用时，还没有创建通讯线程池！");
  EXPECT_EQ(LinkaraDoFunctionSA(0, block.get(), error, sizeof error), 0);
  EXPECT_STREQ(error, "异步讯调用时，还没有创建通讯线程池！");
  EXPECT_EQ(LinkaraGetFreeConnectionCount(), 0);
  EXPECT_EQ(LinkaraTestServer(&info), 0);

  EXPECT_EQ(Create(0), 0);
  EXPECT_STREQ(error, "创建通讯线程池时，连接数：0，非法！");
  ASSERT_EQ(Create(3), 1) << error;
  const struct {
    std::function<int()> call;
    const char* refusal;
  } cases[] = {
      {[&] { return LinkaraDisConnect(1, error, sizeof error); }, "断开连接时，连接号：1，还没有建立连接！"},
      {[&] { return LinkaraDisConnect(3, error, sizeof error); }, "断开连接时，连接号：3，非法！"},
      {[&] { return LinkaraDoFunction(1, block.get(), error, sizeof error); },
       "同步通讯调用时，连接号：1，还没有建立间接！"},
      {[&] { return LinkaraDoFunctionSA(-1, block.get(), error, sizeof error); }, "异步通讯调用时，连接号：-1，非法！"},
      {[&] { return LinkaraConnect(0, nullptr, &block->SubCalls()[0], error, sizeof error) + 1; },
       "建立连接时，服务器信息或登录请求为空！"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.call(), 0) << c.refusal;
    EXPECT_STREQ(error, c.refusal);
  }

  // The error buffer takes what fits, cut on a character boundary.
  char small[10];
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(LinkaraDisConnect(1, small, 9), 0);
  EXPECT_STREQ(small, "断开连接");
  EXPECT_EQ(small[9], '#');
  EXPECT_EQ(LinkaraDisConnect(1, nullptr, 0), 0);
}

TEST_F(LinkaraTest, SynchronousAndAsynchronousCallsCarryTheirResults) {
  ASSERT_EQ(Connect(0), 0) << error;
  server.Answer(5100, "R|m|1|Y|a|b|");
  server.Answer(5200, "R|m|1|N|12|资金不足|");
  server.Answer(5300, "R|m|1|y|0|空|");

  CallBlockPtr block =
      Block(1, {{.function = 5100, .arguments = {"x", "y"}}, {.function = 5200, .singlePacket = false}});
  Run(block);
  EXPECT_EQ(block->processed, 2);
  EXPECT_EQ(block->SubCalls()[0].resultCode, kCallDone);
  EXPECT_EQ(PacketsOf(block->SubCalls()[0]), (Packets{{"a", "b"}}));
  EXPECT_EQ(block->SubCalls()[1].resultCode, kAnswerRefused);
  EXPECT_STREQ(block->SubCalls()[1].errorText, "资金不足");
  EXPECT_EQ(Requests().at(0).text, "R|" + mac + "|1|5100|x|y|");

  RunAsync(Block(0, {{.function = 5300, .singlePacket = false, .requestNumber = 4}}));
  ASSERT_TRUE(hostLog.WaitForBlocks(1));
  const CallBlock& done = hostLog.Block(0);
  EXPECT_EQ(done.processed, 1);
  EXPECT_EQ(done.SubCalls()[0].resultCode, kNoResultData);
  EXPECT_STREQ(done.SubCalls()[0].errorText, "没有输出结果数据。");
  EXPECT_TRUE(hostLog.WaitForTrace("3 插入通讯队列：连接号 = 0, 请求编号 = 4, 功能号 = 5300。"));
}

TEST_F(LinkaraTest, LongRequestTextsGoOutWhole) {
  const std::string longArgument(3000, 'x');
  ASSERT_EQ(Connect(0, Info(), {longArgument.c_str()}), 0) << error;
  server.Answer(5100, "R|m|1|Y|ok|");
  Run(Block(0, {{.function = 5100, .arguments = {longArgument.c_str(), "end"}}}));
  EXPECT_EQ(server.Received().at(0).text, "R|" + mac + "|7|5001|" + longArgument + "|");
  EXPECT_EQ(Requests().at(0).text, "R|" + mac + "|1|5100|" + longArgument + "|end|");
}

TEST_F(LinkaraTest, WithoutHooksFinishedBlocksAreFreedByTheLibrary) {
  ASSERT_EQ(LinkaraCreate(nullptr, nullptr, nullptr, nullptr, nullptr, 1, error, sizeof error), 1) << error;
  ASSERT_EQ(Connect(0), 0) << error;
  server.Answer(5100, "R|m|1|Y|ok|");
  RunAsync(Block(0, {{.function = 5100}}));
  server.Push("R|m|0|15001|a|");
  CallBlockPtr marker = Block(0, {{.function = 5100}});
  Run(marker);  // behind the asynchronous block on the same worker
  EXPECT_EQ(PacketsOf(marker->SubCalls()[0]), (Packets{{"ok"}}));
  EXPECT_TRUE(hostLog.Traces().empty());
}

TEST_F(LinkaraTest, AMultiPacketAnswerFetchesItsFurtherPackets) {
  ASSERT_EQ(Connect(0), 0) << error;
  server.Answer(5100, "R|m|1|Y|3|ok|");
  server.Answer(5451, "R|m|1|Y|2|ok|h|");
  int row = 0;  // the server's thread alone counts
  server.Answer(0, [&row](const ReceivedFrame&) { return "R|m|1|row" + std::to_string(++row) + "|x|"; });

  CallBlockPtr block = Block(0, {{.function = 5100, .singlePacket = false}, {.function = 5451, .singlePacket = false}});
  Run(block);
  EXPECT_EQ(PacketsOf(block->SubCalls()[0]), (Packets{{"row1", "x"}, {"row2", "x"}, {"row3", "x"}}));
  EXPECT_EQ(PacketsOf(block->SubCalls()[1]), (Packets{{"ok", "h"}, {"row4", "x"}, {"row5", "x"}}));
  EXPECT_EQ(RequestFunctions(), (std::vector<int>{5100, 0, 0, 0, 5451, 0, 0}));
  EXPECT_EQ(Requests().at(1).text, "R|" + mac + "|1|0|");

  // A follow-up that fails ends the sub-call with its failure.
  server.Hold(0);
  const std::size_t before = server.Received().size();
  auto failing = std::async(std::launch::async, [&] {
    CallBlockPtr next = Block(0, {{.function = 5100, .singlePacket = false}});
    Run(next);
    return std::make_pair(next->SubCalls()[0].resultCode, std::string(next->SubCalls()[0].errorText));
  });
  ASSERT_TRUE(server.WaitForReceived(before + 2, kBound));
  server.DropConnections();
  ASSERT_EQ(failing.wait_for(kBound), std::future_status::ready);
  EXPECT_EQ(failing.get(), std::make_pair(kCallFailed, std::string("通讯中断")));
}

TEST_F(LinkaraTest, APriorityTwoCallPreemptsAHeldAnswer) {
  ASSERT_EQ(Connect(0), 0) << error;
  for (int function : {10, 11, 20, 30}) server.Answer(function, "R|m|1|Y|" + std::to_string(function) + "|");

  // A pre-empted block of priority 1 runs again from its first sub-call,
  // after the priority-2 call.
  server.Hold(11);
  RunAsync(Block(1, {{.function = 10}, {.function = 11}}));
  ASSERT_TRUE(server.WaitForReceived(3, kBound));
  CallBlockPtr urgent = Block(2, {{.function = 20}});
  Run(urgent);
  EXPECT_EQ(PacketsOf(urgent->SubCalls()[0]), (Packets{{"20"}}));
  server.Release(11);
  ASSERT_TRUE(hostLog.WaitForBlocks(1));
  EXPECT_EQ(RequestFunctions(), (std::vector<int>{10, 11, 20, 10, 11}));
  const CallBlock& again = hostLog.Block(0);
  EXPECT_EQ(again.SubCalls()[0].resultCode, kCallDone);
  EXPECT_EQ(again.SubCalls()[1].resultCode, kCallDone);
  EXPECT_EQ(PacketsOf(again.SubCalls()[1]), (Packets{{"11"}}));

  // A pre-empted block of priority 0 fails with the middleware's text.
  server.Hold(30);
  RunAsync(Block(0, {{.function = 30}}));
  ASSERT_TRUE(server.WaitForReceived(7, kBound));
  Run(Block(2, {{.function = 20}}));
  ASSERT_TRUE(hostLog.WaitForBlocks(2));
  EXPECT_EQ(hostLog.Block(1).SubCalls()[0].resultCode, kCallInterrupted);
  EXPECT_STREQ(hostLog.Block(1).SubCalls()[0].errorText, "调用被中断");
  EXPECT_EQ(RequestFunctions(), (std::vector<int>{10, 11, 20, 10, 11, 30, 20}));
  server.Release(30);
}

TEST_F(LinkaraTest, PushedLinesReachTheResultHook) {
  ASSERT_EQ(Connect(0), 0) << error;
  ASSERT_EQ(Connect(1), 1) << error;
  // Client 2 of the server is connection 1; the last line has no terminator.
  const char data[] = "R|m|0|15001|a|\0\0R|m|0|15002||Pellora|10001|pw|\0R|m|0|15003|c|";
  server.PushData(2, std::string_view(data, sizeof data - 1));

  ASSERT_TRUE(hostLog.WaitForPushes(3));
  EXPECT_EQ(hostLog.Pushes(),
            (std::vector<std::string>{"1 15001:15001,a,", "1 15002:15002,,Pellora,10001,pw,", "1 15003:15003,c,"}));
  EXPECT_TRUE(hostLog.WaitForTrace("3 收到推送数据(CID=1)，长度为：" + std::to_string(sizeof data - 1) + "。"));
  EXPECT_TRUE(hostLog.WaitForTrace("4 接收通讯推送(CID=1)：R|m|0|15002||Pellora|10001|********|"));
}

TEST_F(LinkaraTest, ConnectionStatesReachTheStateHook) {
  ASSERT_EQ(Connect(0), 0) << error;
  ASSERT_TRUE(hostLog.WaitForStates(1));
  server.DropConnections();
  ASSERT_TRUE(hostLog.WaitForStates(2));

  // The number stays in use until the host lets it go.
  EXPECT_EQ(LinkaraGetFreeConnectionCount(), 2);
  EXPECT_EQ(LinkaraDisConnect(0, error, sizeof error), 0);
  EXPECT_STREQ(error, "连接未建立");
  EXPECT_TRUE(hostLog.WaitForTrace("2 断开连接失败，连接号：0。"));
  EXPECT_EQ(LinkaraGetFreeConnectionCount(), 3);

  ASSERT_EQ(Connect(0), 0) << error;
  ASSERT_TRUE(hostLog.WaitForStates(3));
  EXPECT_EQ(LinkaraDisConnect(0, error, sizeof error), 1) << error;
  ASSERT_TRUE(hostLog.WaitForStates(4));
  EXPECT_EQ(hostLog.States(), (std::vector<std::string>{"0 2->1", "0 1->2", "0 2->1", "0 1->2"}));
  EXPECT_TRUE(hostLog.WaitForTrace("3 状态推送，连接号：0, 原状态：3, 新状态：5。"));
}

// Stopping a connection, by disconnecting it or by destroying the pool,
// releases a synchronous caller at once with a failed sub-call, and fails
// the blocks queued behind it.
TEST_F(LinkaraTest, StoppingReleasesAWaitingSynchronousCallerAtOnce) {
  using Outcome = std::pair<int, std::string>;
  const Outcome closed{kCallFailed, "通讯中断"};
  const Outcome preempted{kCallInterrupted, "调用被中断"};
  for (bool destroy : {false, true}) {
    ASSERT_EQ(Create(3), 1) << error;
    ASSERT_EQ(Connect(0), 0) << error;
    server.Hold(40);
    const std::size_t before = server.Received().size();
    auto waiting = std::async(std::launch::async, [&] {
      CallBlockPtr block = Block(1, {{.function = 40}});
      EXPECT_EQ(LinkaraDoFunction(0, block.get(), nullptr, 0), 1);
      return Outcome(block->SubCalls()[0].resultCode, block->SubCalls()[0].errorText);
    });
    ASSERT_TRUE(server.WaitForReceived(before + 1, kBound));
    RunAsync(Block(0, {{.function = 41}}));

    if (destroy) {
      LinkaraDestroy();
    } else {
      EXPECT_EQ(LinkaraDisConnect(0, error, sizeof error), 1) << error;
    }
    ASSERT_EQ(waiting.wait_for(kBound), std::future_status::ready) << (destroy ? "destroy" : "disconnect");
    const Outcome outcome = waiting.get();
    if (destroy) {
      EXPECT_EQ(outcome, preempted) << "the stopped worker pre-empts the call";
    } else {
      // The closed connection ends the call, unless the worker stopping
      // right after is seen first.
      EXPECT_TRUE(outcome == closed || outcome == preempted) << outcome.first << " " << outcome.second;
    }
    server.Release(40);
  }
  // Both queued blocks failed: never run, or run on a closed connection.
  ASSERT_TRUE(hostLog.WaitForBlocks(2));
  for (std::size_t index = 0; index < 2; ++index) {
    const SubCall& queued = hostLog.Block(index).SubCalls()[0];
    EXPECT_EQ(queued.resultCode, kCallFailed);
    EXPECT_TRUE(queued.errorText == kConnectionClosedText || std::string(queued.errorText) == "连接未建立")
        << queued.errorText;
  }
  EXPECT_EQ(hostLog.Block(1).SubCalls()[0].errorText, kConnectionClosedText) << "destroy runs nothing more";
}

TEST_F(LinkaraTest, APasswordChangeLogsInAgainOnlyAfterItIsAccepted) {
  ASSERT_EQ(Connect(0), 0) << error;
  server.Answer(5013, [](const ReceivedFrame& request) {
    return request.text.find("|1|5013|") != std::string::npos ? "R|m|1|N|3|原密码错误|" : "R|m|2|Y|0|ok|";
  });
  server.Answer(5100, "R|m|3|Y|");
  const std::initializer_list<const char*> change = {"", "Pellora", "10001", "old", "new"};
  CallBlockPtr refused = Block(0, {{.function = 5013, .arguments = change, .singlePacket = false, .requestNumber = 1}});
  Run(refused);
  EXPECT_EQ(refused->SubCalls()[0].resultCode, kAnswerRefused);
  CallBlockPtr accepted =
      Block(0, {{.function = 5013, .arguments = change, .singlePacket = false, .requestNumber = 2}});
  Run(accepted);
  EXPECT_EQ(accepted->SubCalls()[0].resultCode, kNoResultData);
  Run(Block(0, {{.function = 5100, .requestNumber = 3}}));  // behind the log-in on the same connection

  const std::vector<ReceivedFrame> requests = Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].text, "R|" + mac + "|1|5013||Pellora|10001|old|new|");
  EXPECT_EQ(requests[2].text, "R|" + mac + "|0|5001||Pellora|10001|new|1|1|");
  EXPECT_EQ(requests[2].sequence, 0u) << "sent without waiting for an answer";
  EXPECT_EQ(requests[3].function, 5100);
  EXPECT_TRUE(hostLog.WaitForTrace("4 请求(CID=0)：R|" + mac + "|2|5013||Pellora|10001|********|********|"));
}

TEST_F(LinkaraTest, TheServerTestTriesEachEnabledServer) {
  ServerInfo info = Info(/*reachable=*/false);
  WriteInt32(info.servers[0].enabled, 0);
  EXPECT_EQ(LinkaraTestServer(&info), 1) << "no server enabled";
  WriteInt32(info.servers[0].enabled, 1);
  EXPECT_EQ(LinkaraTestServer(&info), 2) << "the last one tried was unreachable";
  info.servers[2] = Info().servers[0];
  EXPECT_EQ(LinkaraTestServer(&info), 1) << "the third place answered";
  EXPECT_EQ(LinkaraTestServer(nullptr), 0);
}

TEST_F(LinkaraTest, LocalAddressesComeFromTheMiddlewareAndTheMacIsSharedSafely) {
  const platform::LocalAddresses local = platform::FindLocalAddresses();
  std::vector<std::future<std::string>> readers;
  for (int reader = 0; reader < 8; ++reader) {
    readers.push_back(std::async(std::launch::async, [] {
      char buffer[LINKARA_ADDRESS_SIZE];
      return std::string(LinkaraGetLocalMacAddress(buffer));
    }));
  }
  for (auto& reader : readers) EXPECT_EQ(reader.get(), local.machine);
  char buffer[LINKARA_ADDRESS_SIZE] = "stale";
  EXPECT_EQ(std::string(LinkaraGetLocalIPAddress(buffer)), local.ip);
  EXPECT_EQ(LinkaraGetLocalMacAddress(nullptr), nullptr);
  EXPECT_EQ(LinkaraGetLocalIPAddress(nullptr), nullptr);
}

TEST_F(LinkaraTest, CreatingAgainReplacesThePoolAndClosesItsConnections) {
  ASSERT_EQ(Connect(0), 0) << error;
  ASSERT_EQ(Create(5), 1) << error;
  EXPECT_EQ(LinkaraGetFreeConnectionCount(), 5);
  EXPECT_TRUE(Eventually([&] { return server.ConnectedClients() == 0; }));
  ASSERT_EQ(Connect(4), 4) << error;
  server.Answer(5100, "R|m|1|Y|ok|");
  CallBlockPtr block = Block(0, {{.function = 5100}});
  ASSERT_EQ(LinkaraDoFunction(4, block.get(), error, sizeof error), 1) << error;
  EXPECT_EQ(PacketsOf(block->SubCalls()[0]), (Packets{{"ok"}}));
}

}  // namespace
}  // namespace connpool
