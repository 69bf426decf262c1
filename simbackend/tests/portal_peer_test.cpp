// The back end with the portal library as its client, as the terminal uses it.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "portal/Orvanet.h"
#include "raw_client.h"
#include "simbackend/server.h"

namespace simbackend_test {
namespace {

// The portal's callbacks take no context: what they saw goes here.
struct Pushes {
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<std::string> blocks;
} pushes;

void OnPush(int, const char* data, int length) {
  std::lock_guard lock(pushes.mutex);
  pushes.blocks.emplace_back(data, static_cast<std::size_t>(length));
  pushes.arrived.notify_all();
}

// Sends a request on the portal connection; its answer, or the failure text.
std::string SendAndReceive(int connection, int function, const std::string& text) {
  std::string reply;
  const int sent = OV_SendAndRecv(connection, function, nullptr, text.data(), static_cast<int>(text.size()),
                                  OV_AppendToString, &reply);
  return sent == 1 ? reply : "failed: " + reply;
}

TEST(PortalPeerTest, ThePortalLogsInFetchesRowsAndReceivesPushes) {
  std::string error;
  const auto server = simbackend::Server::Start({}, error);
  ASSERT_NE(server, nullptr) << error;
  std::string message;
  ASSERT_EQ(OV_Start("Pellora", "1.0.0.1", 3, static_cast<int>(kWait.count()), 5, 0, 3, 3, nullptr, OnPush, nullptr,
                     nullptr, OV_AppendToString, &message),
            1)
      << message;

  OV_ConnectBlock block{};
  orvanet::SetI32(block.connection, 0);
  ASSERT_TRUE(orvanet::SetText(block.loginText, TradingLoginText(1, "10001", "111111")));
  ASSERT_TRUE(orvanet::SetText(block.serverAddress, "127.0.0.1"));
  orvanet::SetI32(block.serverPort, server->Port());
  std::string login;
  ASSERT_EQ(OV_Connect(&block, OV_AppendToString, &login), 1) << login;
  EXPECT_EQ(Field(login, 4), "Y");
  EXPECT_EQ(Field(login, 5), "张明");

  const std::string status = SendAndReceive(0, 5451, RequestText(2, 5451, "10001", "111111"));
  ASSERT_EQ(Field(status, 5), "1") << status;
  EXPECT_EQ(Field(SendAndReceive(0, 0, FollowUpText(2)), 3), "127.0.0.1");

  EXPECT_EQ(server->Push("10001", {"R|x|0|15006|一|", "R|x|0|15006|二|"}), 1u);
  {
    std::unique_lock lock(pushes.mutex);
    ASSERT_TRUE(pushes.arrived.wait_for(lock, kWait, [] { return !pushes.blocks.empty(); }));
    EXPECT_EQ(pushes.blocks.front(), std::string("R|x|0|15006|一|\0R|x|0|15006|二|\0", 32));
  }

  EXPECT_EQ(Field(SendAndReceive(0, 5461, RequestText(3, 5461, "10001", "111111")), 4), "Y");
  EXPECT_EQ(OV_DisConnect(0), 1);
  EXPECT_EQ(OV_Stop(), 1);
  EXPECT_TRUE(server->WaitForConnectionCount(0, kWait));
}

}  // namespace
}  // namespace simbackend_test
