// What tests can make the back end do, seen from a client.
#include <gtest/gtest.h>

#include <thread>

#include "server_fixture.h"

namespace simbackend_test {
namespace {

using ScriptingTest = ServerFixture;

std::string QuoteServersRequest(int sequence) { return RequestText(sequence, 5451, "10001", "111111"); }
std::string UnknownRequest(int sequence) { return RequestText(sequence, 5999, "10001", "111111"); }

TEST_F(ScriptingTest, ARefusedFunctionIsAnsweredWithTheCodeAndTextUntilTheRuleIsCleared) {
  server_->RefuseFunction(5001, 77, "系统维护中");
  auto client = Connect();
  const std::string login = client->Call(TradingLoginText(1, "10001", "111111"));
  EXPECT_EQ(Field(login, 4), "N");
  EXPECT_EQ(Field(login, 5), "77");
  EXPECT_EQ(Field(login, 6), "系统维护中");

  server_->ClearRule(5001);
  ASSERT_EQ(Field(client->Call(TradingLoginText(2, "10001", "111111")), 4), "Y");
  server_->RefuseFunction(0, 78, "后续包丢失");
  client->Call(QuoteServersRequest(3));
  EXPECT_EQ(Field(client->Call(FollowUpText(3)), 5), "78");
  server_->ClearRules();
  EXPECT_EQ(Field(client->Call(FollowUpText(3)), 3), "127.0.0.1");
}

TEST_F(ScriptingTest, AHeldAnswerWaitsForItsReleaseWhileLaterRequestsAreAnswered) {
  auto client = LoggedIn("10001", "111111");
  server_->HoldAnswers(5451);
  const std::uint32_t held = client->Send(QuoteServersRequest(2));
  ASSERT_TRUE(server_->WaitForHeld(1, kWait));

  const std::uint32_t later = client->Send(UnknownRequest(3));
  std::optional<portal::Frame> next = client->NextFrame();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->sequence, later);

  EXPECT_EQ(server_->ReleaseHeld(5999), 0u);
  EXPECT_EQ(server_->ReleaseHeld(5451), 1u);
  next = client->NextFrame();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->sequence, held);
  EXPECT_EQ(Field(next->text, 5), "1");
  EXPECT_EQ(server_->HeldCount(), 0u);
}

TEST_F(ScriptingTest, ADelayedAnswerComesAfterTheAnswersOfLaterRequests) {
  auto client = LoggedIn("10001", "111111");
  server_->DelayAnswers(5451, std::chrono::milliseconds(1000));
  constexpr std::uint32_t delayed = 20, later = 21;
  std::string frames;
  portal::AppendFrame(frames, portal::FrameKind::kRequest, delayed, QuoteServersRequest(2));
  portal::AppendFrame(frames, portal::FrameKind::kRequest, later, UnknownRequest(3));
  ASSERT_TRUE(client->SendBytes(frames));
  std::optional<portal::Frame> first = client->NextFrame();
  std::optional<portal::Frame> second = client->NextFrame();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->sequence, later);
  EXPECT_EQ(second->sequence, delayed);
  EXPECT_EQ(Field(second->text, 4), "Y");
}

TEST_F(ScriptingTest, HeldAnswersAreBoundedAndTheSurplusIsAnsweredAtOnce) {
  auto client = LoggedIn("10001", "111111");
  server_->HoldAnswers(5999);
  std::string frames;
  for (std::size_t i = 0; i <= simbackend::Server::kMaxDeferredAnswers; ++i)
    portal::AppendFrame(frames, portal::FrameKind::kRequest, static_cast<std::uint32_t>(100 + i),
                        UnknownRequest(static_cast<int>(i)));
  ASSERT_TRUE(client->SendBytes(frames));
  std::optional<portal::Frame> surplus = client->NextFrame();
  ASSERT_TRUE(surplus);
  EXPECT_EQ(surplus->sequence, 100 + simbackend::Server::kMaxDeferredAnswers);
  EXPECT_EQ(server_->HeldCount(), simbackend::Server::kMaxDeferredAnswers);
}

TEST_F(ScriptingTest, DropsEveryConnectionOrThoseOfOneAccount) {
  auto customer = LoggedIn("10001", "111111");
  auto other = LoggedIn("20001", "222222");
  auto anonymous = Connect();
  ASSERT_TRUE(server_->WaitForConnectionCount(3, kWait));

  EXPECT_EQ(server_->DropConnections("10001"), 1u);
  EXPECT_TRUE(customer->WaitClosed());
  EXPECT_EQ(Field(other->Call(RequestText(2, 5451, "20001", "222222")), 4), "Y");
  EXPECT_TRUE(server_->WaitForConnectionCount(2, kWait));

  EXPECT_EQ(server_->DropConnections(), 2u);
  EXPECT_TRUE(other->WaitClosed());
  EXPECT_TRUE(anonymous->WaitClosed());
  EXPECT_TRUE(server_->WaitForConnectionCount(0, kWait));
  // The back end still takes new connections.
  LoggedIn("10001", "111111");
}

TEST_F(ScriptingTest, PushesReachEveryConnectionOfTheAccountAndNoOther) {
  auto first = LoggedIn("10001", "111111");
  auto second = LoggedIn("10001", "111111");
  auto other = LoggedIn("20001", "222222");
  EXPECT_EQ(server_->Push("10001", {"R|x|0|15006|一|", "", "R|x|0|15001|二|"}), 2u);
  EXPECT_EQ(server_->Push("10001", {std::string("a\0b", 3)}), 0u);
  EXPECT_EQ(server_->Push("30001", {"R|x|0|15006|"}), 0u);

  for (RawClient* client : {first.get(), second.get()}) {
    std::optional<portal::Frame> push = client->NextFrame();
    ASSERT_TRUE(push);
    EXPECT_EQ(push->kind, portal::FrameKind::kPush);
    EXPECT_EQ(push->sequence, 0u);
    EXPECT_EQ(portal::SplitPushLines(push->text),
              (std::vector<std::string_view>{"R|x|0|15006|一|", "", "R|x|0|15001|二|"}));
  }
  other->Call(RequestText(2, 5451, "20001", "222222"));
  EXPECT_TRUE(other->Pushes().empty());
}

TEST_F(ScriptingTest, MessagePushesCarryTheirFieldsWhereTheTerminalReadsThem) {
  auto client = LoggedIn("10001", "111111");
  auto other = LoggedIn("20001", "222222");
  simbackend::MessagePush state;
  state.category = "2";
  state.text = "上期所开盘";
  state.exchange = "S";
  state.state = "1";
  EXPECT_EQ(server_->PushMessage("10001", state), 1u);
  simbackend::MessagePush notice;
  notice.addressee = "10001";
  notice.level = "3";
  notice.text = "保证金不足|请追加";
  EXPECT_EQ(server_->PushMessage("10001", notice), 1u);
  EXPECT_EQ(server_->PushMessageBox("10001", "风控提示", "请注意持仓风险"), 1u);

  const auto nextLine = [&] {
    const std::optional<portal::Frame> push = client->NextFrame();
    EXPECT_TRUE(push && push->kind == portal::FrameKind::kPush);
    return push ? std::string(portal::SplitPushLines(push->text).at(0)) : std::string();
  };
  const std::string exchangeState = nextLine();
  EXPECT_EQ(Field(exchangeState, 1), "R");
  EXPECT_EQ(Field(exchangeState, 4), "15006");
  EXPECT_EQ(Field(exchangeState, 9), "2");
  EXPECT_EQ(Field(exchangeState, 17), "上期所开盘");
  EXPECT_EQ(Field(exchangeState, 19), "S");
  EXPECT_EQ(Field(exchangeState, 20), "1");
  const std::string noticeLine = nextLine();
  EXPECT_EQ(Field(noticeLine, 9), "0");
  EXPECT_EQ(Field(noticeLine, 11), "10001");
  EXPECT_EQ(Field(noticeLine, 14), "3");
  EXPECT_EQ(Field(noticeLine, 17), "保证金不足|请追加");
  const std::string box = nextLine();
  EXPECT_EQ(Field(box, 4), "15007");
  EXPECT_EQ(Field(box, 8), "风控提示");
  EXPECT_EQ(Field(box, 9), "请注意持仓风险");
  EXPECT_EQ(FieldCount(box), 9u);

  other->Call(RequestText(2, 5451, "20001", "222222"));
  EXPECT_TRUE(other->Pushes().empty());
}

TEST_F(ScriptingTest, RecordsTheRequestsReceivedWithinItsBound) {
  auto client = Connect();
  client->Call(TradingLoginText(1, "10001", "111111"));
  client->Call(QuoteServersRequest(2));
  client->Call(FollowUpText(2));
  client->Call("junk");
  ASSERT_TRUE(server_->WaitForRequests(4, kWait));
  const std::vector<simbackend::ReceivedRequest> requests = server_->Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].function, 5001);
  EXPECT_EQ(requests[0].customer, "");
  EXPECT_EQ(requests[0].text, TradingLoginText(1, "10001", "111111"));
  EXPECT_EQ(requests[1].function, 5451);
  EXPECT_EQ(requests[1].customer, "10001");
  EXPECT_EQ(requests[2].function, 0);
  EXPECT_EQ(requests[3].function, -1);
  EXPECT_EQ(requests[3].connection, requests[0].connection);

  server_->ClearRequests();
  EXPECT_TRUE(server_->Requests().empty());
  const std::size_t total = simbackend::Server::kMaxRecordedRequests + 10;
  std::string frames;
  for (std::size_t i = 0; i < total; ++i)
    portal::AppendFrame(frames, portal::FrameKind::kRequest, static_cast<std::uint32_t>(i + 1),
                        UnknownRequest(static_cast<int>(i)));
  // Sent on a thread of its own while the answers are read, so that neither
  // side's socket buffer can fill up and stall the other.
  std::thread sender([&] { client->SendBytes(frames); });
  std::size_t answers = 0;
  while (answers < total && client->NextFrame()) ++answers;
  sender.join();
  EXPECT_EQ(answers, total);
  ASSERT_TRUE(server_->WaitForRequests(total, kWait));
  const std::vector<simbackend::ReceivedRequest> kept = server_->Requests();
  ASSERT_EQ(kept.size(), simbackend::Server::kMaxRecordedRequests);
  EXPECT_EQ(kept.back().text, UnknownRequest(static_cast<int>(total - 1)));
}

}  // namespace
}  // namespace simbackend_test
