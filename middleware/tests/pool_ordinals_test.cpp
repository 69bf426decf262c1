// The ordinals that the connection-pool library calls, bound by ordinal,
// against the loopback test server: the service's life cycle with its
// hooks, sends without answer, the local addresses and the server test.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "middleware/Halvost.h"
#include "middleware/test_server.h"
#include "ordinals.h"
#include "platform/local_address.h"

using namespace std::chrono_literals;
using halvost::TestServer;

namespace {

using namespace halvost_test;

// What the middleware's hooks were given; they run on its reader threads.
class HookLog {
 public:
  void Add(std::string line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
    changed_.notify_all();
  }
  // Waits until `line` has arrived.
  bool WaitFor(const std::string& line) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kBound,
                             [&] { return std::find(lines_.begin(), lines_.end(), line) != lines_.end(); });
  }
  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
};

HookLog hookLog;

void OnState(int connection, int oldState, int newState) {
  hookLog.Add("state " + std::to_string(connection) + " " + std::to_string(oldState) + "->" + std::to_string(newState));
}
void OnReceive(int connection, const char* data, int length) {
  hookLog.Add("push " + std::to_string(connection) + " " + std::string(data, static_cast<std::size_t>(length)));
}
void OnTrace(const char* text) { hookLog.Add(std::string("trace ") + text); }

HalvostStartRecord StartRecord() {
  HalvostStartRecord record{};
  record.size = sizeof record;
  record.answerTimeoutMs = 15000;
  record.stateHook = OnState;
  record.receiveHook = OnReceive;
  record.traceHook = OnTrace;
  record.connectionCount = 4;
  return record;
}

class PoolOrdinalsTest : public testing::Test {
 protected:
  void TearDown() override {
    Stop();
    Cleanup();
  }

  int Connect(int connection) {
    server.Answer(1258, "Y|welcome|");
    char reply[64];
    return LoginCall(connection, reinterpret_cast<HalvostParam>(&record), 1258, 0, 0, "R|login|", reply, sizeof reply,
                     0, 60000);
  }

  TestServer server;
  HalvostConnectRecord record = server.ConnectRecord();
};

TEST_F(PoolOrdinalsTest, OffersTheOrdinalsOfTheConnectionPool) {
  for (int ordinal : {1, 2, 3, 5, 6, 7, 8, 11, 17, 18, 20, 22})
    EXPECT_NE(HalvostGetProcByOrdinal(ordinal), nullptr) << ordinal;
  for (int ordinal : {4, 9, 19, 21, 23}) EXPECT_EQ(HalvostGetProcByOrdinal(ordinal), nullptr) << ordinal;
}

TEST_F(PoolOrdinalsTest, TheStartRecordsHooksSeeStatesPushesAndTraceLinesUntilCleanUp) {
  EXPECT_EQ(Start(), kHalvostNotInitialised);
  HalvostStartRecord wrongSize = StartRecord();
  wrongSize.size = 124 + 1;
  EXPECT_EQ(Initialize(&wrongSize), kHalvostBadArgument);
  EXPECT_EQ(Initialize(nullptr), kHalvostBadArgument);

  const HalvostStartRecord start = StartRecord();
  ASSERT_EQ(Initialize(&start), kHalvostOk);
  ASSERT_EQ(Start(), kHalvostOk);
  EXPECT_TRUE(hookLog.WaitFor("trace 通讯中间件服务已启动。"));

  ASSERT_EQ(Connect(2), kHalvostOk);
  EXPECT_TRUE(hookLog.WaitFor("state 2 3->5"));
  server.PushData(0, std::string("R|a|\0R|b|\0", 10));
  EXPECT_TRUE(hookLog.WaitFor("push 2 " + std::string("R|a|\0R|b|\0", 10)));
  server.DropConnections();
  EXPECT_TRUE(hookLog.WaitFor("state 2 5->4"));

  // Stop closes what is open and ends a call waiting on it.
  ASSERT_EQ(Connect(1), kHalvostOk);
  server.Hold(9);
  auto waiting = std::async(std::launch::async, [] {
    char reply[32];
    return Call(1, 9, "R|", reply, sizeof reply, nullptr, 60000);
  });
  ASSERT_TRUE(server.WaitForReceived(3, kBound));
  EXPECT_EQ(Stop(), kHalvostOk);
  ASSERT_EQ(waiting.wait_for(kBound), std::future_status::ready);
  EXPECT_EQ(waiting.get(), kHalvostTransport);
  EXPECT_TRUE(hookLog.WaitFor("state 1 5->6"));
  EXPECT_TRUE(hookLog.WaitFor("trace 通讯中间件服务已停止。"));

  ASSERT_EQ(Cleanup(), kHalvostOk);
  EXPECT_EQ(Start(), kHalvostNotInitialised);
  const std::size_t seen = hookLog.Lines().size();
  ASSERT_EQ(Connect(3), kHalvostOk);
  EXPECT_EQ(Close(3), kHalvostOk);
  EXPECT_EQ(hookLog.Lines().size(), seen) << "no hooks after clean-up";
}

TEST_F(PoolOrdinalsTest, SendGoesOutWithoutAnswerOnAnOpenConnectionOnly) {
  char reply[32];
  EXPECT_EQ(Send(0, "R|m|0|5001|x|"), kHalvostNotConnected);
  EXPECT_EQ(Send(0, nullptr), kHalvostBadArgument);
  ASSERT_EQ(Connect(0), kHalvostOk);
  EXPECT_EQ(Send(0, "R|m|0|5001|x|"), kHalvostOk);
  server.Answer(7, "Y|");
  ASSERT_EQ(Call(0, 7, "R|after|", reply, sizeof reply, nullptr, 0), kHalvostOk);

  const auto received = server.Received();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[1].text, "R|m|0|5001|x|");
  EXPECT_EQ(received[1].sequence, 0u) << "no answer is awaited";
  EXPECT_EQ(received[2].text, "R|after|");
  EXPECT_EQ(Close(0), kHalvostOk);
}

TEST_F(PoolOrdinalsTest, LocalAddressesAreTheMachinesAndNeverCut) {
  char mac[32];
  ASSERT_EQ(LocalMac(mac, sizeof mac), kHalvostOk);
  EXPECT_EQ(std::string(mac), platform::FindLocalAddresses().machine);
  char ip[32];
  ASSERT_EQ(LocalIp(ip, sizeof ip), kHalvostOk);
  EXPECT_EQ(std::string(ip), platform::FindLocalAddresses().ip);

  char small[17];
  EXPECT_EQ(LocalMac(small, sizeof small), kHalvostReplyTooLong);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(LocalMac(nullptr, 32), kHalvostBadArgument);
  EXPECT_EQ(LocalIp(ip, 0), kHalvostBadArgument);
}

TEST_F(PoolOrdinalsTest, TheServerTestConnectsWithoutStayingConnected) {
  EXPECT_EQ(TestServerFn(4, &record, -2), kHalvostOk);
  EXPECT_EQ(TestServerFn(4, nullptr, -2), kHalvostBadArgument);

  HalvostConnectRecord nowhere = record;
  {
    TestServer gone;
    nowhere.servers[0].port = gone.Port();
  }
  EXPECT_EQ(TestServerFn(4, &nowhere, -2), kHalvostServerUnreachable);

  const auto deadline = std::chrono::steady_clock::now() + kBound;
  while (server.ConnectedClients() != 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(1ms);
  EXPECT_EQ(server.ConnectedClients(), 0);
}

}  // namespace
