// What a connection tells its listener: pushes and state changes.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "connection.h"
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
  EXPECT_EQ(listener.WaitForStates(2),
            (std::vector<std::vector<int>>{{7, kHalvostConnecting, kHalvostConnected}, {7, kHalvostConnected, kHalvostClosed}}));

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
