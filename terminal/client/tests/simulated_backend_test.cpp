#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "backend/account_table.h"
#include "backend/field_text.h"
#include "backend/global_string_list.h"
#include "backend/server_rotation.h"
#include "backend/testing/request_texts.h"
#include "backend/testing/transport_calls.h"
#include "backend/transport.h"
#include "client/async_operations.h"
#include "client/login.h"
#include "client/testing/client_test.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/temporary_folder.h"
#include "simbackend/backend_data.h"

namespace {

using backend::kManagementLogin;
using backend::kTradingLogin;
using backend_testing::kManagementRole;
using backend_testing::kSubAccountRole;
using backend_testing::kTradingRole;
using backend_testing::TakeResults;
using client_testing::ClientTest;
using client_testing::Fields;
using client_testing::kBound;
using client_testing::SimulatedBackEndTest;
using client_testing::StringList;

int SequenceOf(const std::string& text) {
  return backend::ParseDecimal(backend::GetSeparatedFieldText(3, text)).value_or(-1);
}

// The log-in text the terminal sends for an account in a role, numbered as
// `sent` is.
std::string LoginTextLike(const std::string& sent, const char* customer, const char* password,
                          const char* role = kTradingRole, const char* manager = "") {
  return backend_testing::LoginText({.sequence = SequenceOf(sent),
                                     .customer = customer,
                                     .password = password,
                                     .version = "5.2.0.1",
                                     .role = role,
                                     .manager = manager});
}

std::string QuoteText(const std::string& sent, const char* user, const char* password) {
  char text[1024];
  std::snprintf(text, sizeof text, "R|%s|%d|5001|%s|%s|%s|%s|%s|||1|20091204|%s|",
                backend::LocalMachineAddress().c_str(), SequenceOf(sent), "", "Pellora", user, password,
                backend::LocalIpAddress().c_str(), "9.0.20110712.1");
  return text;
}

void ExpectAccount(int slot, const char* customer, const char* password) {
  const backend::AccountRecord* account = backend::TheAccountTable().FindAccountBySlot(slot);
  ASSERT_NE(account, nullptr) << "slot " << slot;
  EXPECT_STREQ(account->key.customerNo, customer);
  EXPECT_STREQ(account->key.password, password);
}

class LoginTest : public SimulatedBackEndTest {
 protected:
  // A copy of the simulated back end's data folder with these accounts.
  static void WriteDataFolder(const platform_testing::TemporaryFolder& folder, const std::string& accounts) {
    std::filesystem::copy(simbackend::DefaultDataFolder(), folder.Path());
    std::ofstream(folder.PathOf("accounts.txt"), std::ios::binary | std::ios::trunc) << accounts;
  }

  void RestartServer(const std::string& dataFolder) {
    server->Stop();
    std::string error;
    simbackend::ServerOptions options;
    options.dataFolder = dataFolder;
    server = simbackend::Server::Start(std::move(options), error);
    ASSERT_NE(server, nullptr) << error;
    shell.SelectGateway("127.0.0.1", server->Port());
  }

  client::QuoteServerInfo SimulatedQuoteServer(const char* password = "quote123") const {
    client::QuoteServerInfo info;
    info.gatewayUser = "quote";
    info.gatewayPassword = password;
    info.servers = {{"127.0.0.1", server->Port()}};
    return info;
  }
};

TEST_F(LoginTest, ATradingAccountLogsInOnSlotZeroWithItsTwentyEightFields) {
  std::string message;
  ASSERT_TRUE(client::Login(message, {kTradingLogin, "10001", "111111"})) << message;

  EXPECT_EQ(backend::GetLoginType(), kTradingLogin);
  EXPECT_EQ(backend::TheAccountTable().Count(), 1u);
  ExpectAccount(0, "10001", "111111");
  EXPECT_EQ(backend::TheAccountTable().At(0).Field(5), "张明");
  EXPECT_EQ(ConnectedSlots(), 1);
  const std::vector<std::string> logins = RequestsOf(5001);
  ASSERT_EQ(logins.size(), 1u);
  EXPECT_EQ(logins[0], LoginTextLike(logins[0], "10001", "111111"));
  EXPECT_EQ(Fields(logins[0]).size(), 28u);
  EXPECT_GT(SequenceOf(logins[0]), 0);
  // A dropped trading connection reconnects through the gateway list.
  EXPECT_EQ(backend::TheServerRotation().Next(0), (backend::ServerRow{"127.0.0.1", server->Port()}));
}

TEST_F(LoginTest, ARefusedLoginShowsTheBackEndsCodeAndTextAndLeavesItsSlotFree) {
  std::string message;
  EXPECT_FALSE(client::Login(message, {kTradingLogin, "10001", "11|11"}));

  EXPECT_EQ(message, "[1002]密码错误！");
  EXPECT_EQ(ConnectedSlots(), 0);
  EXPECT_EQ(backend::TheAccountTable().Count(), 0u);
  // A "|" inside a value travels as 0x01, so the password stays one field.
  const std::vector<std::string> logins = RequestsOf(5001);
  ASSERT_EQ(logins.size(), 1u);
  EXPECT_NE(logins[0].find("|10001|11\x01"
                           "11|"),
            std::string::npos)
      << logins[0];
}

TEST_F(LoginTest, AManagementLoginTakesAllThreeSlotsAndLeavesNoneForTheQuoteGateway) {
  std::string message;
  ASSERT_TRUE(client::Login(message, {kManagementLogin, "90001", "999999"})) << message;

  EXPECT_EQ(backend::GetLoginType(), kManagementLogin);
  EXPECT_EQ(backend::TheAccountTable().Count(), 3u);
  ExpectAccount(0, "90001", "999999");
  ExpectAccount(1, "20001", "999999");
  ExpectAccount(2, "20002", "999999");
  EXPECT_EQ(ConnectedSlots(), 3);

  const std::vector<std::string> logins = RequestsOf(5001);
  ASSERT_EQ(logins.size(), 3u);
  EXPECT_EQ(logins[0], LoginTextLike(logins[0], "90001", "999999", kManagementRole));
  EXPECT_EQ(logins[1], LoginTextLike(logins[1], "20001", "999999", kSubAccountRole, "90001"));
  EXPECT_EQ(logins[2], LoginTextLike(logins[2], "20002", "999999", kSubAccountRole, "90001"));
  const std::vector<std::string> managedQueries = RequestsOf(5056);
  ASSERT_EQ(managedQueries.size(), 1u);
  EXPECT_EQ(Fields(managedQueries[0]), (std::vector<std::string>{"R", backend::LocalMachineAddress(),
                                                                 std::to_string(SequenceOf(managedQueries[0])), "5056",
                                                                 "", "Pellora", "90001", "999999", "90001", "1"}));

  EXPECT_FALSE(client::LoginQuoteGateway(message, SimulatedQuoteServer()));
  EXPECT_EQ(message, "无空闲连接！");
}

TEST_F(LoginTest, TheQuoteGatewayLogsInWithItsFourteenFieldsOnTheNextFreeSlot) {
  std::string message;
  ASSERT_TRUE(client::Login(message, {kTradingLogin, "10001", "111111"})) << message;
  StartEngineOverTransport();

  client::QuoteServerInfo info;
  ASSERT_TRUE(client::QueryQuoteServerInfo(info, message)) << message;
  EXPECT_EQ(info.gatewayUser, "quote");
  EXPECT_EQ(info.gatewayPassword, "quote123");
  EXPECT_EQ(info.servers, (std::vector<client::QuoteServerRow>{{"127.0.0.1", server->Port()}}));
  const std::vector<std::string> serverQueries = RequestsOf(5451);
  ASSERT_EQ(serverQueries.size(), 1u);
  EXPECT_EQ(Fields(serverQueries[0]),
            (std::vector<std::string>{"R", backend::LocalMachineAddress(), std::to_string(SequenceOf(serverQueries[0])),
                                      "5451", "", "Pellora", "10001", "111111"}));

  ASSERT_TRUE(client::LoginQuoteGateway(message, info)) << message;
  EXPECT_EQ(ConnectedSlots(), 2);
  EXPECT_EQ(backend::TheServerRotation().QuoteSlot(), 1);
  EXPECT_EQ(backend::TheServerRotation().Next(1), info.servers[0]);
  EXPECT_EQ(engine.QuoteConnectionIndex(), 1);
  EXPECT_EQ(backend::TheAccountTable().Count(), 1u) << "the quote gateway is no account";
  const std::vector<std::string> logins = RequestsOf(5001);
  ASSERT_EQ(logins.size(), 2u);
  EXPECT_EQ(logins[1], QuoteText(logins[1], "quote", "quote123"));
  EXPECT_EQ(Fields(logins[1]).size(), 14u);
}

TEST_F(LoginTest, ARefusedQuoteLoginFreesItsSlot) {
  std::string message;
  ASSERT_TRUE(client::Login(message, {kTradingLogin, "10001", "111111"})) << message;

  EXPECT_FALSE(client::LoginQuoteGateway(message, SimulatedQuoteServer("wrong")));
  EXPECT_EQ(message, "[1002]密码错误！");
  EXPECT_EQ(ConnectedSlots(), 1);
  EXPECT_FALSE(backend::IsSlotConnected(1));
  // Nothing holds the slot, so a second try can take it.
  ASSERT_TRUE(client::LoginQuoteGateway(message, SimulatedQuoteServer())) << message;
  EXPECT_EQ(backend::TheServerRotation().QuoteSlot(), 1);
}

TEST_F(LoginTest, ASelectionOutsideItsListCountsAsNoSelection) {
  client::GatewayRow gateway = shell.traderServers.gateways.at(0);
  const struct {
    std::vector<client::GatewayRow> rows;
    int selected;
  } gatewayCases[] = {{{}, 0}, {{gateway}, -1}, {{gateway}, 1}, {{gateway}, 7}};
  for (const auto& test : gatewayCases) {
    shell.traderServers = {test.rows, test.selected};
    std::string message;
    EXPECT_FALSE(client::Login(message, {kTradingLogin, "10001", "111111"})) << test.selected;
    EXPECT_EQ(message, "请选择正确的网关！");
    EXPECT_EQ(ConnectedSlots(), 0);
  }

  shell.traderServers = {{gateway}, 0};
  std::string message;
  ASSERT_TRUE(client::Login(message, {kTradingLogin, "10001", "111111"})) << message;
  for (const int selected : {-1, 1, 2}) {
    client::QuoteServerInfo info = SimulatedQuoteServer();
    info.selectedServer = selected;
    EXPECT_FALSE(client::LoginQuoteGateway(message, info)) << selected;
    EXPECT_EQ(message, "请选择正确的网关！");
  }
  client::QuoteServerInfo empty = SimulatedQuoteServer();
  empty.servers.clear();
  EXPECT_FALSE(client::LoginQuoteGateway(message, empty));
  EXPECT_EQ(message, "请选择正确的网关！");
  EXPECT_EQ(ConnectedSlots(), 1);
}

TEST_F(LoginTest, AManagementLoginThatRunsOutOfSlotsClosesExactlyTheSlotsItOpened) {
  std::string message;
  ASSERT_TRUE(client::Login(message, {kTradingLogin, "10001", "111111"})) << message;

  // The management account now lands on slot 1 and its first sub-account on
  // slot 2; the second finds no slot.
  EXPECT_FALSE(client::Login(message, {kManagementLogin, "90001", "999999"}));
  EXPECT_EQ(message, "无空闲连接！");
  EXPECT_TRUE(backend::IsSlotConnected(0));
  EXPECT_FALSE(backend::IsSlotConnected(1));
  EXPECT_FALSE(backend::IsSlotConnected(2));
  EXPECT_EQ(RequestsOf(5001).size(), 3u);
}

TEST_F(LoginTest, ARefusedSubAccountClosesTheManagementSlotAndItsOwn) {
  // Every log-in from the sub-accounts' on is refused: the rule is set while
  // the management log-in waits for its list of sub-accounts.
  server->HoldAnswers(5056);
  std::thread script([this] {
    server->WaitForHeld(1, kBound);
    server->RefuseFunction(5001, 1004, "交易账号不可用！");
    server->ReleaseHeld(5056);
  });
  std::string message;
  const bool loggedIn = client::Login(message, {kManagementLogin, "90001", "999999"});
  script.join();

  EXPECT_FALSE(loggedIn);
  EXPECT_EQ(message, "[1004]交易账号不可用！");
  EXPECT_EQ(ConnectedSlots(), 0);
}

TEST_F(LoginTest, AFailedListOfSubAccountsDisconnectsTheManagementSlot) {
  server->RefuseFunction(5056, 1006, "只有管理账号可以查询对应的交易账号！");
  std::string message;
  EXPECT_FALSE(client::Login(message, {kManagementLogin, "90001", "999999"}));
  EXPECT_EQ(message, "只有管理账号可以查询对应的交易账号！");
  EXPECT_EQ(ConnectedSlots(), 0);
}

TEST_F(LoginTest, AManagementAccountWithoutSubAccountsIsRefusedAndDisconnected) {
  const platform_testing::TemporaryFolder folder("client-data");
  WriteDataFolder(folder, "manager|90009|999999|孤立经理|\n");
  RestartServer(folder.Path());
  std::string message;
  EXPECT_FALSE(client::Login(message, {kManagementLogin, "90009", "999999"}));
  EXPECT_EQ(message, "请设置管理角色对应的交易角色账号！");
  EXPECT_EQ(ConnectedSlots(), 0);
}

TEST_F(LoginTest, AnUnknownRoleIsRefusedWithoutAMessage) {
  std::string message;
  EXPECT_FALSE(client::Login(message, {3, "10001", "111111"}));
  EXPECT_EQ(message, "");
  EXPECT_EQ(ConnectedSlots(), 0);
}

// The asynchronous operations through the real transport: the finished
// record comes back through the result queue under its handler tag.
using AsyncThroughTheTransport = LoginTest;

TEST_F(AsyncThroughTheTransport, CancelsComeBackThroughTheResultQueue) {
  std::string message;
  ASSERT_TRUE(client::Login(message, {kTradingLogin, "10001", "111111"})) << message;
  StartEngineOverTransport();
  ASSERT_TRUE(engine.MakeReady());

  ASSERT_TRUE(client::DeleteOrder("10001", "555", "S1", "O1", message)) << message;
  ASSERT_TRUE(client::DeleteAllOrder("10001", StringList({"556", "557"}), StringList({"S1", "S1"}),
                                     StringList({"O1", "O1"}), message))
      << message;

  const std::vector<backend::RequestPtr> results = TakeResults(2);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_STREQ(results[0]->handlerTag, "_DeleteOrder");
  EXPECT_STREQ(results[1]->handlerTag, "_DeleteAllOrder");
  ASSERT_EQ(results[1]->done, 2);
  for (const backend::RequestPtr& record : results) {
    for (int index = 0; index < record->count; ++index) {
      // The simulated back end does not cancel orders yet: each cancel is
      // answered, with its refusal.
      EXPECT_EQ(backend::GetAnswerStatus(backend::AnswerLine(*record->At(index), 0)), backend::AnswerStatus::kRefused);
    }
  }
  EXPECT_EQ(RequestsOf(5012).size(), 3u);
}

using OnlineTime = ClientTest;

TEST_F(OnlineTime, IsCountedOnTheCalendarAcrossMidnightAndNeverNegative) {
  platform::FakeClock clock({2026, 12, 31, 5, 23, 59, 50, 0}, 1000);
  std::string message;
  shell.traderServers = {};
  EXPECT_FALSE(client::Login(message, {kTradingLogin, "10001", "111111"}));  // the time counts from its start

  clock.Set({2026, 12, 31, 5, 23, 59, 58, 0}, 9000);
  EXPECT_EQ(client::OnlineSeconds(), 8);
  clock.Set({2027, 1, 1, 6, 0, 0, 10, 0}, 21000);
  EXPECT_EQ(client::OnlineSeconds(), 20);
  clock.Set({2027, 1, 2, 7, 0, 0, 10, 0}, 21000);
  EXPECT_EQ(client::OnlineSeconds(), 86400 + 20);
  clock.Set({2026, 12, 31, 5, 23, 0, 0, 0}, 22000);
  EXPECT_EQ(client::OnlineSeconds(), 0);
}

}  // namespace
