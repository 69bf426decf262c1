// One sub-call through the request executor against a scripted middleware:
// the answer's status, multi-packet answers, middleware failures and the
// log-in after a password change.
#include "request_executor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_middleware.h"
#include "platform/sync.h"
#include "request_text.h"
#include "test_support.h"

namespace connpool {
namespace {

using testing::FakeMiddleware;
constexpr auto Answer = FakeMiddleware::Answer;
constexpr auto Failure = FakeMiddleware::Failure;
constexpr auto Raise = FakeMiddleware::Raise;
using Packets = std::vector<std::vector<std::string>>;

constexpr const char* kMac = "00-11-22-33-44-55";

class RequestExecutorTest : public ::testing::Test {
 protected:
  int Run(int function, bool singlePacket = false, const PackedList& arguments = PackedList()) {
    results.Free();
    error.clear();
    return executor.Call({.connection = 2,
                          .requestNumber = 9,
                          .functionNumber = function,
                          .singlePacket = singlePacket,
                          .arguments = arguments.Block()},
                         preempt, results, error);
  }

  void Script(std::initializer_list<FakeMiddleware::Reply> replies) {
    middleware.replies.assign(replies.begin(), replies.end());
  }

  Packets ResultPackets() const {
    Packets packets;
    for (int index = 0; index < results.Count(); ++index) {
      const PackedList packet(
          PackedList::CloneBlock(reinterpret_cast<const PackedBlock*>(results.ValueAt(index).data())));
      auto& fields = packets.emplace_back();
      for (int field = 0; field < packet.Count(); ++field) fields.emplace_back(packet.TextAt(field));
    }
    return packets;
  }

  FakeMiddleware middleware;
  const MiddlewareApi api = middleware.Api();
  MacAddressCache mac{api.localMac};
  std::vector<std::string> traces;
  RequestExecutor executor{api, mac, [this](TraceType type, std::string_view text) {
                             traces.push_back(std::to_string(static_cast<int>(type)) + " " + std::string(text));
                           }};
  platform::Event preempt{platform::ResetMode::kManual};
  PackedList results;
  std::string error;
};

TEST_F(RequestExecutorTest, TheAnswersStatusDecidesTheCode) {
  const struct {
    const char* answer;
    bool singlePacket;
    int code;
    const char* error;
    Packets packets;
  } cases[] = {
      {"R|m|9|Y|a|b|cut", true, kCallDone, "", {{"a", "b"}}},
      {"R|m|9|Y|", true, kCallDone, "", {}},
      {"R|m|9|N|7|资金不足|", false, kAnswerRefused, "资金不足", {}},
      {"R|m|9|n|7|a\001b|", true, kAnswerRefused, "a|b", {}},
      {"R|m|9|", false, kAnswerRefused, "", {}},
      {"R|m|9|y|0|ok|", false, kNoResultData, "", {}},
      {"R|m|9|Y||ok|", false, kNoResultData, "", {}},
      {"R|m|9|Y|-2|ok|", false, kCallFailed, "应答的数据包个数（-2）非法！", {}},
      {"R|m|9|Y|2x|ok|", false, kCallFailed, "应答的数据包个数（2x）非法！", {}},
  };
  for (const auto& c : cases) {
    Script({Answer(c.answer)});
    EXPECT_EQ(Run(5100, c.singlePacket), c.code) << c.answer;
    if (c.code == kCallDone) {
      EXPECT_EQ(ResultPackets(), c.packets) << c.answer;
    } else {
      EXPECT_EQ(error, c.error) << c.answer;
    }
  }
  EXPECT_EQ(middleware.calls.front(), std::string("2 5100 R|") + kMac + "|9|5100|");
  EXPECT_EQ(traces[0], std::string("4 请求(CID=2)：R|") + kMac + "|9|5100|");
  EXPECT_EQ(traces[1], "4 返回(CID=2)：R|m|9|Y|a|b|cut");
}

TEST_F(RequestExecutorTest, AMultiPacketAnswerFetchesEachFurtherPacket) {
  Script({Answer("R|m|9|Y|2|ok|not a row|"), Answer("R|m|9|r1|x|"), Answer("R|m|9|r2|")});
  ASSERT_EQ(Run(5100), kCallDone) << error;
  EXPECT_EQ(ResultPackets(), (Packets{{"r1", "x"}, {"r2"}}));
  const std::string followUp = std::string("2 0 R|") + kMac + "|9|0|";
  EXPECT_EQ(middleware.calls,
            (std::vector<std::string>{std::string("2 5100 R|") + kMac + "|9|5100|", followUp, followUp}));

  // Two functions carry a packet in their first answer too.
  for (int function : {5451, 3001}) {
    Script({Answer("R|m|9|Y|1|ok|h1|h2|"), Answer("R|m|9|r1|")});
    ASSERT_EQ(Run(function), kCallDone) << error;
    EXPECT_EQ(ResultPackets(), (Packets{{"ok", "h1", "h2"}, {"r1"}})) << function;
  }

  // A failing follow-up ends the sub-call with its code.
  Script({Answer("R|m|9|Y|3|ok|"), Answer("R|m|9|r1|"), Failure(kHalvostPreempted)});
  EXPECT_EQ(Run(5100), kCallInterrupted);
  EXPECT_EQ(error, "错误-9");
}

TEST_F(RequestExecutorTest, MiddlewareFailuresBecomeTheirCodes) {
  const struct {
    FakeMiddleware::Reply reply;
    int code;
    const char* error;
    const char* trace;
  } cases[] = {
      {Failure(kHalvostPreempted), kCallInterrupted, "错误-9", "1 错误(CID=2)：错误-9"},
      {Failure(kHalvostTimedOut), kCallFailed, "错误-5", "1 错误(CID=2)：错误-5"},
      {Raise("半截应答"), kCallException, "半截应答", "1 错误(CID=2)：通讯发生异常错误！"},
  };
  for (const auto& c : cases) {
    Script({c.reply});
    traces.clear();
    EXPECT_EQ(Run(5100), c.code);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(traces.back(), c.trace);
  }
}

TEST_F(RequestExecutorTest, APasswordChangeLogsInAgainOnlyWhenAccepted) {
  PackedList arguments;
  for (const char* text : {"", "Pellora", "10001", "old", "new"}) arguments.AddText(text);
  Script({Answer("R|m|9|N|3|原密码错误|"), Failure(kHalvostTimedOut), Answer("R|m|9|Y|0|ok|")});
  EXPECT_EQ(Run(kPasswordChangeFunction, false, arguments), kAnswerRefused);
  EXPECT_EQ(Run(kPasswordChangeFunction, false, arguments), kCallFailed);
  EXPECT_TRUE(middleware.sends.empty());
  EXPECT_EQ(Run(kPasswordChangeFunction, false, arguments), kNoResultData);
  EXPECT_EQ(middleware.sends,
            (std::vector<std::string>{std::string("2 R|") + kMac + "|0|5001||Pellora|10001|new|1|1|"}));
}

}  // namespace
}  // namespace connpool
