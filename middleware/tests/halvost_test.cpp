// The middleware's functions as hosts see them: bound by ordinal, against the
// loopback test server.
#include "middleware/Halvost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>

#include "middleware/test_server.h"
#include "ordinals.h"
#include "platform/sync.h"

using namespace std::chrono_literals;
using halvost::TestServer;

namespace {

using namespace halvost_test;

HalvostParam Address(const HalvostConnectRecord& record) { return reinterpret_cast<HalvostParam>(&record); }

class HalvostTest : public testing::Test {
 protected:
  void TearDown() override { Close(kConnection); }

  // Opens kConnection with a first call of function 1258.
  void Connect() {
    server.Answer(1258, "Y|welcome|");
    char reply[64];
    ASSERT_EQ(LoginCall(kConnection, Address(record), 1258, 0, 0, "R|login|", reply, sizeof reply, 0, 60000),
              kHalvostOk);
  }

  std::string Text(int code) {
    char buffer[128];
    ErrorText(code, buffer, sizeof buffer);
    return buffer;
  }

  static constexpr int kConnection = 3;
  TestServer server;
  HalvostConnectRecord record = server.ConnectRecord();
};

TEST_F(HalvostTest, OffersTheOrdinalsOfTheSecureLoginEngine) {
  for (int ordinal : {6, 8, 11, 17, 24, 25}) EXPECT_NE(HalvostGetProcByOrdinal(ordinal), nullptr) << ordinal;
  for (int ordinal : {0, 4, 99}) EXPECT_EQ(HalvostGetProcByOrdinal(ordinal), nullptr) << ordinal;
  EXPECT_EQ(HalvostGetProcByOrdinal(11), reinterpret_cast<void*>(&HalvostCall));
}

TEST_F(HalvostTest, LoginCallOpensTheConnectionOnceAndLaterCallsUseIt) {
  char reply[64];
  EXPECT_EQ(LoginCall(kConnection, 0, 1258, 0, 0, "R|x|", reply, sizeof reply, 0, 0), kHalvostNotConnected);

  server.Answer(1258, "Y|welcome|");
  server.Answer(5001, [](const halvost::ReceivedFrame& request) { return "echo:" + request.text; });
  ASSERT_EQ(LoginCall(kConnection, Address(record), 1258, 0, 0, "R|login|", reply, sizeof reply, 0, 60000), kHalvostOk);
  EXPECT_STREQ(reply, "Y|welcome|");
  EXPECT_EQ(LoginCall(kConnection, 0, 5001, 0, 0, "R|again|", reply, sizeof reply, 0, 0), kHalvostOk);
  EXPECT_STREQ(reply, "echo:R|again|");
  EXPECT_EQ(Call(kConnection, 5001, "R|third|", reply, sizeof reply, nullptr, -2), kHalvostOk);
  EXPECT_STREQ(reply, "echo:R|third|");

  const auto received = server.Received();
  ASSERT_EQ(received.size(), 3u);
  for (const auto& frame : received) EXPECT_EQ(frame.client, 1) << "one connection for all three calls";
  EXPECT_EQ(received[0].function, 1258);
  EXPECT_EQ(received[1].function, 5001);
}

TEST_F(HalvostTest, ConnectFailsWhenNoServerOfTheRecordListens) {
  HalvostConnectRecord nowhere{};
  std::strcpy(nowhere.servers[0].host, "127.0.0.1");
  nowhere.servers[0].port = 0;  // skipped: no port
  char reply[16];
  EXPECT_EQ(LoginCall(kConnection, Address(nowhere), 1258, 0, 0, "R|", reply, sizeof reply, 0, 0),
            kHalvostConnectFailed);
  nowhere.servers[2] = record.servers[0];
  server.Answer(1258, "Y|");
  EXPECT_EQ(LoginCall(kConnection, Address(nowhere), 1258, 0, 0, "R|", reply, sizeof reply, 0, 0), kHalvostOk)
      << "the third place is tried after the others";
}

TEST_F(HalvostTest, TextsBeyondTheLimitsFailInsteadOfBeingCut) {
  Connect();
  server.Answer(7, std::string(20, 'a'));
  char reply[24];
  std::memset(reply, '#', sizeof reply);
  EXPECT_EQ(Call(kConnection, 7, "R|", reply, 20, nullptr, 0), kHalvostReplyTooLong);
  EXPECT_EQ(reply[0], '\0');
  EXPECT_EQ(reply[20], '#') << "nothing written past the given size";
  EXPECT_EQ(Call(kConnection, 7, "R|", reply, 21, nullptr, 0), kHalvostOk);
  EXPECT_EQ(std::string(reply), std::string(20, 'a'));

  const std::string longest(kHalvostMaxRequestLength, 'r');
  EXPECT_EQ(Call(kConnection, 7, longest.c_str(), reply, sizeof reply, nullptr, 0), kHalvostOk);
  EXPECT_EQ(Call(kConnection, 7, (longest + "r").c_str(), reply, sizeof reply, nullptr, 0), kHalvostRequestTooLong);
  EXPECT_EQ(Call(kConnection, 7, nullptr, reply, sizeof reply, nullptr, 0), kHalvostBadArgument);
  EXPECT_EQ(Call(kConnection, 7, "R|", reply, 0, nullptr, 0), kHalvostBadArgument);
}

TEST_F(HalvostTest, APreemptedCallReturnsAtOnceAndItsLateAnswerIsDropped) {
  Connect();
  server.Answer(9, "late");
  server.Answer(10, "fresh");
  platform::Event preempt(platform::ResetMode::kManual);
  server.Hold(9);
  auto waiting = std::async(std::launch::async, [&] {
    char reply[32];
    return Call(kConnection, 9, "R|slow|", reply, sizeof reply, &preempt, 60000);
  });
  ASSERT_TRUE(server.WaitForReceived(2, kBound));
  preempt.Set();
  ASSERT_EQ(waiting.wait_for(kBound), std::future_status::ready);
  EXPECT_EQ(waiting.get(), kHalvostPreempted);

  char reply[32];
  EXPECT_EQ(Call(kConnection, 10, "R|", reply, sizeof reply, &preempt, 60000), kHalvostPreempted)
      << "an event already set pre-empts at once";
  preempt.Reset();
  server.Release(9);
  ASSERT_EQ(Call(kConnection, 10, "R|", reply, sizeof reply, &preempt, 60000), kHalvostOk);
  EXPECT_STREQ(reply, "fresh") << "the late answer of the pre-empted call is not taken";
}

TEST_F(HalvostTest, ACallWithoutAnswerTimesOut) {
  Connect();
  server.Hold(9);
  char reply[32];
  EXPECT_EQ(Call(kConnection, 9, "R|", reply, sizeof reply, nullptr, 30), kHalvostTimedOut);
}

// Closing the connection, by the host or by the server, must finish a call
// that waits on it.
TEST_F(HalvostTest, ClosingOrLosingTheConnectionEndsAWaitingCall) {
  for (bool byHost : {true, false}) {
    Connect();
    server.Hold(9);
    const std::size_t before = server.Received().size();
    auto waiting = std::async(std::launch::async, [&] {
      char reply[32];
      return Call(kConnection, 9, "R|", reply, sizeof reply, nullptr, 60000);
    });
    ASSERT_TRUE(server.WaitForReceived(before + 1, kBound));
    if (byHost) {
      EXPECT_EQ(Close(kConnection), kHalvostOk);
    } else {
      server.DropConnections();
    }
    ASSERT_EQ(waiting.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(waiting.get(), kHalvostTransport) << (byHost ? "closed by host" : "dropped by server");
    char reply[32];
    EXPECT_EQ(Call(kConnection, 9, "R|", reply, sizeof reply, nullptr, 0), kHalvostNotConnected);
    server.Release(9);
  }
  EXPECT_EQ(Close(kConnection), kHalvostNotConnected);
}

int SessionHook(int connection, const char* request, const char* reply, char* out, int outSize) {
  const std::string text = std::to_string(connection) + "/" + request + "/" + reply;
  if (static_cast<int>(text.size()) >= outSize) return 0;
  std::strcpy(out, text.c_str());
  return static_cast<int>(text.size());
}

int OverclaimingHook(int, const char*, const char*, char* out, int outSize) {
  out[0] = 'x';
  return outSize;  // claims the whole buffer, terminator included
}

TEST_F(HalvostTest, AReplyHookSeesEachAnswerAndItsTextBecomesTheSessionText) {
  server.Answer(5001, "Y|");
  char reply[32];
  ASSERT_EQ(LoginHookCall(kConnection, Address(record), 5001, 0, 0, "R|one|", reply, sizeof reply, 0, 0, SessionHook),
            kHalvostOk);
  ASSERT_EQ(HookCall(kConnection, 5001, "R|two|", reply, sizeof reply, 0, 0, OverclaimingHook), kHalvostOk);
  ASSERT_EQ(HookCall(kConnection, 5001, "R|three|", reply, sizeof reply, 0, 0, SessionHook), kHalvostOk);
  ASSERT_TRUE(server.WaitForReceived(5, kBound));

  std::vector<std::string> sessions;
  for (const auto& frame : server.Received()) {
    if (frame.kind == 4) sessions.push_back(frame.text);
  }
  EXPECT_EQ(sessions, (std::vector<std::string>{"3/R|one|/Y|", "3/R|three|/Y|"}));
}

TEST_F(HalvostTest, ErrorTextsNameEveryCodeAndFitTheBuffer) {
  EXPECT_EQ(Text(kHalvostTransport), "通讯中断");
  EXPECT_EQ(Text(kHalvostPreempted), "调用被中断");
  EXPECT_EQ(Text(-12345), "未知错误(-12345)");
  char small[5];
  ASSERT_EQ(ErrorText(kHalvostTimedOut, small, sizeof small), kHalvostOk);
  EXPECT_EQ(std::string(small), std::string("等待应答超时").substr(0, 4));
  EXPECT_EQ(ErrorText(kHalvostTimedOut, small, 0), kHalvostBadArgument);
}

}  // namespace
