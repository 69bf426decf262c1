// The back end's answers as a client on a socket sees them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "data_folder.h"
#include "server_fixture.h"
#include "simbackend/backend_data.h"

namespace simbackend_test {
namespace {

using ServerTest = ServerFixture;

TEST_F(ServerTest, TradingLoginAnswersTheAccountAndReportsThePreviousLoginNextTime) {
  auto first = Connect();
  const std::string answer = first->Call(TradingLoginText(7, "10001", "111111"));
  EXPECT_EQ(FieldCount(answer), 43u) << answer;
  EXPECT_EQ(Field(answer, 2), kMachineAddress);
  EXPECT_EQ(Field(answer, 3), "7");
  EXPECT_EQ(Field(answer, 4), "Y");
  EXPECT_EQ(Field(answer, 5), "张明");
  EXPECT_EQ(Field(answer, 8), "0");  // risk level: normal
  EXPECT_EQ(Field(answer, 9), "20261210");
  EXPECT_EQ(Field(answer, 11), "");   // never logged in before
  EXPECT_EQ(Field(answer, 14), "2");  // the settlement statement to confirm
  EXPECT_EQ(Field(answer, 15), "0");  // not confirmed yet
  EXPECT_EQ(Field(answer, 16), "1");  // important notices waiting
  EXPECT_EQ(Field(answer, 19), "SIM 1.0");
  EXPECT_FALSE(Field(answer, 42).empty());

  const std::string again = Connect()->Call(TradingLoginText(8, "10001", "111111"));
  EXPECT_EQ(Field(again, 10), kClientIp);
  EXPECT_EQ(Field(again, 11), "20261210");
  EXPECT_EQ(Field(again, 12), "09:30:05");
  EXPECT_EQ(Field(again, 13), "5");
}

TEST_F(ServerTest, RefusedLoginsGiveCodeAndTextAndLeaveTheConnectionLoggedOut) {
  struct Case {
    const char* what;
    std::string login;
    const char* code;
    const char* text;
  };
  const Case cases[] = {
      {"wrong password", TradingLoginText(1, "10001", "111112"), "1002", "密码错误！"},
      {"unknown customer", TradingLoginText(1, "55555", "1"), "1001", "客户号55555不存在！"},
      {"manager as a customer", TradingLoginText(1, "90001", "999999"), "1003", "管理账号请以管理角色登录！"},
      {"customer as a manager", ManagementLoginText(1, "10001", "111111"), "1003", "该账号不能以此角色登录！"},
      {"manager, wrong password", ManagementLoginText(1, "90001", "111111"), "1002", "密码错误！"},
      {"sub-account with its own password", SubAccountLoginText(1, "20001", "222222", "90001"), "1002", "密码错误！"},
      {"account of nobody", SubAccountLoginText(1, "10001", "999999", "90001"), "1004",
       "交易账号10001不属于管理账号90001！"},
      {"quote gateway, wrong password", QuoteLoginText(1, "quote", "quote"), "1002", "密码错误！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto client = Connect();
    const std::string answer = client->Call(c.login);
    EXPECT_EQ(Field(answer, 3), "1");
    EXPECT_EQ(Field(answer, 4), "N");
    EXPECT_EQ(Field(answer, 5), c.code);
    EXPECT_EQ(Field(answer, 6), c.text);
    EXPECT_EQ(Field(client->Call(RequestText(2, 5451, "10001", "111111")), 5), "9002");
  }
}

TEST_F(ServerTest, ManagementLoginListsItsSubAccountsRowByRowAndTheyLogInWithItsPassword) {
  auto manager = Connect();
  const std::string login = manager->Call(ManagementLoginText(1, "90001", "999999"));
  EXPECT_EQ(Field(login, 4), "Y");
  EXPECT_EQ(Field(login, 5), "李经理");
  EXPECT_EQ(Field(login, 13), "");

  const std::string status = manager->Call(RequestText(2, 5056, "90001", "999999", {"90001", "1"}));
  EXPECT_EQ(Field(status, 4), "Y");
  ASSERT_EQ(Field(status, 5), "2");
  const std::string first = manager->Call(FollowUpText(2));
  const std::string second = manager->Call(FollowUpText(2));
  EXPECT_EQ(Field(first, 6), "20001");
  EXPECT_EQ(Field(first, 7), "王芳");
  EXPECT_EQ(Field(second, 6), "20002");
  const std::string beyond = manager->Call(FollowUpText(2));
  EXPECT_EQ(Field(beyond, 4), "N");
  EXPECT_EQ(Field(beyond, 5), "9004");

  for (const char* subAccount : {"20001", "20002"}) {
    SCOPED_TRACE(subAccount);
    auto client = Connect();
    const std::string answer = client->Call(SubAccountLoginText(1, subAccount, "999999", "90001"));
    EXPECT_EQ(Field(answer, 4), "Y");
    // The sub-account's requests are signed with the manager's password.
    EXPECT_EQ(Field(client->Call(RequestText(2, 5451, subAccount, "999999")), 4), "Y");
    const std::string refused = client->Call(RequestText(3, 5056, subAccount, "999999", {subAccount, "1"}));
    EXPECT_EQ(Field(refused, 5), "1006");
  }
  const std::string again = Connect()->Call(ManagementLoginText(1, "90001", "999999"));
  EXPECT_EQ(Field(again, 13), "6");  // the multi-account channel of the login before
}

TEST_F(ServerTest, QuoteServerListPointsAtThisBackEndAndItsGatewayLoginIsAccepted) {
  auto client = LoggedIn("10001", "111111");
  const std::string status = client->Call(RequestText(2, 5451, "10001", "111111"));
  EXPECT_EQ(Field(status, 4), "Y");
  ASSERT_EQ(Field(status, 5), "1");
  EXPECT_EQ(Field(status, 6), "quote");
  EXPECT_EQ(Field(status, 7), "quote123");
  const std::string row = client->Call(FollowUpText(2));
  EXPECT_EQ(Field(row, 2), "本机模拟行情");
  EXPECT_EQ(Field(row, 3), "127.0.0.1");
  EXPECT_EQ(Field(row, 4), std::to_string(server_->Port()));

  auto quotes = Connect();
  EXPECT_EQ(Field(quotes->Call(QuoteLoginText(1, "quote", "quote123")), 4), "Y");
  // The quote connection carries requests signed by the trading account.
  EXPECT_EQ(Field(quotes->Call(RequestText(2, 5451, "10001", "111111")), 4), "Y");
}

TEST_F(ServerTest, RequestsItCannotServeAreRefusedWithCodeAndText) {
  auto client = Connect();
  const std::string malformed = client->Call("hello");
  EXPECT_EQ(Field(malformed, 4), "N");
  EXPECT_EQ(Field(malformed, 5), "9003");
  EXPECT_EQ(Field(malformed, 6), "请求格式错误！");
  EXPECT_EQ(Field(client->Call(RequestText(1, 5999, "10001", "111111")), 6), "尚未登录，请先登录！");

  ASSERT_EQ(Field(client->Call(TradingLoginText(2, "10001", "111111")), 4), "Y");
  const std::string unknown = client->Call(RequestText(3, 5999, "10001", "111111"));
  EXPECT_EQ(Field(unknown, 3), "3");
  EXPECT_EQ(Field(unknown, 4), "N");
  EXPECT_EQ(Field(unknown, 5), "9001");
  EXPECT_EQ(Field(unknown, 6), "模拟后台不支持功能号5999！");
  EXPECT_EQ(Field(client->Call(RequestText(4, 5451, "10001", "bad")), 5), "1005");
  EXPECT_EQ(Field(client->Call(RequestText(5, 5451, "20001", "222222")), 5), "1005");
  EXPECT_EQ(Field(client->Call(FollowUpText(4)), 5), "9004");

  EXPECT_EQ(Field(client->Call(RequestText(6, 5461, "10001", "111111", {"100", "", "", ""})), 4), "Y");
  EXPECT_EQ(Field(client->Call(RequestText(7, 5451, "10001", "111111")), 5), "9002");
}

TEST_F(ServerTest, ValuesHoldingTheSeparatorByteAreWrittenEscaped) {
  DataFolder folder;
  folder.CopyShipped();
  folder.Write(simbackend::kAccountsFile, "trader|10009|1|王秥|\n");
  StartServer({folder.Path(), 0, {}});
  const std::string answer = Connect()->Call(TradingLoginText(1, "10009", "1"));
  EXPECT_THAT(answer, ::testing::HasSubstr("|Y|\xCD\xF5\xB6\x01|"));
  EXPECT_EQ(Field(answer, 5), "王秥");
}

TEST_F(ServerTest, ServesManyConnectionsAtOnce) {
  constexpr std::size_t kClients = 32;
  std::vector<std::unique_ptr<RawClient>> clients;
  for (std::size_t i = 0; i < kClients; ++i) clients.push_back(Connect());
  std::vector<std::string> names(kClients), rows(kClients);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < kClients; ++i)
    threads.emplace_back([&, i] {
      const bool plain = i % 2 == 0;
      const std::string customer = plain ? "10001" : "20001";
      const std::string password = plain ? "111111" : "222222";
      names[i] = Field(clients[i]->Call(TradingLoginText(1, customer, password)), 5);
      clients[i]->Call(RequestText(2, 5451, customer, password));
      rows[i] = Field(clients[i]->Call(FollowUpText(2)), 3);
    });
  for (std::thread& thread : threads) thread.join();
  for (std::size_t i = 0; i < kClients; ++i) {
    EXPECT_EQ(names[i], i % 2 == 0 ? "张明" : "王芳") << i;
    EXPECT_EQ(rows[i], "127.0.0.1") << i;
  }
  EXPECT_TRUE(server_->WaitForConnectionCount(kClients, kWait));
  clients.clear();
  EXPECT_TRUE(server_->WaitForConnectionCount(0, kWait));
}

TEST_F(ServerTest, StopsCleanlyWithClientsConnectedAndAnswersHeld) {
  auto idle = Connect();
  auto loggedIn = LoggedIn("10001", "111111");
  auto waiting = LoggedIn("20001", "222222");
  server_->HoldAnswers(5451);
  waiting->Send(RequestText(2, 5451, "20001", "222222"));
  ASSERT_TRUE(server_->WaitForHeld(1, kWait));
  auto halfFrame = Connect();
  halfFrame->SendBytes(std::string("\x20\x00\x00", 3));

  server_->Stop();
  for (RawClient* client : {idle.get(), loggedIn.get(), waiting.get(), halfFrame.get()})
    EXPECT_TRUE(client->WaitClosed());
  EXPECT_EQ(server_->ConnectionCount(), 0u);
  EXPECT_EQ(server_->HeldCount(), 0u);
  server_->Stop();
  EXPECT_FALSE(RawClient(server_->Port()).Connected());
}

TEST_F(ServerTest, ABrokenFrameEndsThatConnectionOnly) {
  auto broken = LoggedIn("10001", "111111");
  auto other = LoggedIn("10001", "111111");
  broken->SendBytes(std::string("\x06\x00\x00\x00\x09\x01\x00\x00\x00\x41", 10));  // kind 9
  EXPECT_TRUE(broken->WaitClosed());
  EXPECT_EQ(Field(other->Call(RequestText(2, 5451, "10001", "111111")), 4), "Y");
}

TEST(ServerStartTest, RefusesAMissingDataFolderAndABusyPort) {
  std::string error;
  EXPECT_EQ(simbackend::Server::Start({"/nonexistent/simbackend-data", 0, {}}, error), nullptr);
  EXPECT_THAT(error, ::testing::HasSubstr("/nonexistent/simbackend-data/accounts.txt: cannot be opened"));

  const auto first = simbackend::Server::Start({}, error);
  ASSERT_NE(first, nullptr) << error;
  EXPECT_EQ(simbackend::Server::Start({"", first->Port(), {}}, error), nullptr);
  EXPECT_THAT(error, ::testing::HasSubstr("cannot listen on 127.0.0.1:" + std::to_string(first->Port())));
}

}  // namespace
}  // namespace simbackend_test
