// What a connection tells its listener: pushes and state changes.
#include "connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "middleware.h"
#include "middleware/test_server.h"
#include "socket_connect.h"

using namespace std::chrono_literals;

namespace {

class RecordingListener : public halvost::ConnectionListener {
 public:
  void OnPush(int connection, std::string_view data) override {
    std::lock_guard lock(mutex_);
    pushes_.push_back(std::to_string(connection) + ":" + std::string(data));
    changed_.notify_all();
  }
  void OnStateChange(int connection, int oldState, int newState) override {
    std::lock_guard lock(mutex_);
    states_.push_back({connection, oldState, newState});
    changed_.notify_all();
  }
  std::vector<std::string> WaitForPushes(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, 10s, [&] { return pushes_.size() >= count; });
    return pushes_;
  }
  std::vector<std::vector<int>> WaitForStates(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, 10s, [&] { return states_.size() >= count; });
    return states_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> pushes_;
  std::vector<std::vector<int>> states_;
};

class ConnectionTest : public testing::Test {
 protected:
  std::shared_ptr<halvost::Connection> Open() {
    const int fd = halvost::ConnectToFirstServer(server.ConnectRecord(), 5s);
    EXPECT_GE(fd, 0);
    return halvost::Connection::Start(7, fd, listener);
  }

  halvost::TestServer server;
  RecordingListener listener;
};

TEST_F(ConnectionTest, PushedLinesReachTheListenerWithTheirTerminators) {
  auto connection = Open();
  // The server knows the client only once it accepted it.
  server.Answer(1, "Y|");
  std::string answer;
  ASSERT_EQ(connection->Call(1, "R|", answer, nullptr, 10s), kHalvostOk);
  server.Push("A|push|");
  const auto pushes = listener.WaitForPushes(1);
  ASSERT_EQ(pushes.size(), 1u);
  EXPECT_EQ(pushes[0], std::string("7:A|push|") + '\0');
  connection->Close();
}

TEST_F(ConnectionTest, ReportsConnectedThenClosedOrBroken) {
  auto closed = Open();
  closed->Close();
  EXPECT_EQ(listener.WaitForStates(2), (std::vector<std::vector<int>>{{7, kHalvostConnecting, kHalvostConnected},
                                                                      {7, kHalvostConnected, kHalvostClosed}}));

  auto broken = Open();
  server.Answer(1, "Y|");
  std::string answer;
  ASSERT_EQ(broken->Call(1, "R|", answer, nullptr, 10s), kHalvostOk);
  server.DropConnections();
  const auto states = listener.WaitForStates(4);
  ASSERT_EQ(states.size(), 4u);
  EXPECT_EQ(states[3], (std::vector<int>{7, kHalvostConnected, kHalvostBroken}));
  EXPECT_FALSE(broken->IsOpen());
}

}  // namespace

namespace {

std::mutex hookMutex;
std::condition_variable hookCalled;
std::vector<std::string> hookEvents;

void RecordPush(int connection, const char* data, int length) {
  std::lock_guard lock(hookMutex);
  hookEvents.push_back("push " + std::to_string(connection) + ":" +
                       std::string(data, static_cast<std::size_t>(length)));
  hookCalled.notify_all();
}

void RecordState(int connection, int oldState, int newState) {
  std::lock_guard lock(hookMutex);
  hookEvents.push_back("state " + std::to_string(connection) + ":" + std::to_string(oldState) + ">" +
                       std::to_string(newState));
  hookCalled.notify_all();
}

std::vector<std::string> WaitForHookEvents(std::size_t count) {
  std::unique_lock lock(hookMutex);
  hookCalled.wait_for(lock, 10s, [&] { return hookEvents.size() >= count; });
  return hookEvents;
}

TEST(Middleware, HandsPushesAndStatesToTheHooksOfItsStartRecord) {
  hookEvents.clear();
  halvost::TestServer server;
  server.Answer(1, "Y|");
  halvost::Middleware middleware;
  HalvostStartRecord start{};
  start.size = sizeof start;
  start.stateHook = RecordState;
  start.receiveHook = RecordPush;
  middleware.Configure(start);
  const HalvostConnectRecord record = server.ConnectRecord();
  std::string answer;
  ASSERT_EQ(middleware.Call(2, &record, 1, "R|", answer, nullptr, 0), kHalvostOk);
  server.Push("P|");
  WaitForHookEvents(2);
  middleware.CloseAll();
  EXPECT_EQ(WaitForHookEvents(3),
            (std::vector<std::string>{"state 2:3>5", std::string("push 2:P|") + '\0', "state 2:5>6"}));
}

TEST(Middleware, ClosingAllConnectionsEndsEveryWaitingCall) {
  halvost::TestServer server;
  server.Answer(1, "Y|");
  server.Hold(9);
  halvost::Middleware middleware;
  const HalvostConnectRecord record = server.ConnectRecord();
  std::string answer;
  ASSERT_EQ(middleware.Call(1, &record, 1, "R|", answer, nullptr, 0), kHalvostOk);
  ASSERT_EQ(middleware.Call(2, &record, 1, "R|", answer, nullptr, 0), kHalvostOk);
  auto waitOn = [&](int connection) {
    return std::async(std::launch::async, [&middleware, connection] {
      std::string held;
      return middleware.Call(connection, nullptr, 9, "R|", held, nullptr, 60000);
    });
  };
  auto first = waitOn(1);
  auto second = waitOn(2);
  ASSERT_TRUE(server.WaitForReceived(4, 10s));
  middleware.CloseAll();
  ASSERT_EQ(first.wait_for(10s), std::future_status::ready);
  ASSERT_EQ(second.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(first.get(), kHalvostTransport);
  EXPECT_EQ(second.get(), kHalvostTransport);
  EXPECT_EQ(middleware.Call(1, nullptr, 1, "R|", answer, nullptr, 0), kHalvostNotConnected);
}

}  // namespace
