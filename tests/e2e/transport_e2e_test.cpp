// The terminal's transport end to end: connection slots, request queues and
// pushes through the portal library, over real loopback sockets, against the
// simulated back end. The back end's scripting (held answers, dropped
// connections, pushes) stands in for a slow or failing network.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "backend/field_text.h"
#include "backend/program_log.h"
#include "backend/request_queue.h"
#include "backend/request_record.h"
#include "backend/sequence_number.h"
#include "backend/server_rotation.h"
#include "backend/testing/request_texts.h"
#include "backend/testing/transport_calls.h"
#include "backend/testing/transport_fixture.h"
#include "backend/transport.h"
#include "logfile/testing/log_files.h"
#include "platform/files.h"
#include "simbackend/backend_data.h"
#include "simbackend/server.h"

namespace {

using backend::RequestPtr;
using backend::RequestRecord;
using backend_testing::Await;
using backend_testing::ExecuteOnAnotherThread;
using backend_testing::ExpectWaitingAndQueuedRequestLost;
using backend_testing::kBound;
using backend_testing::kManagementRole;
using backend_testing::kSubAccountRole;
using backend_testing::kTradingRole;
using backend_testing::Outcome;
using backend_testing::StateLog;
using backend_testing::TakeResults;

constexpr int kLoginFunction = 5001;
constexpr int kQuoteServersQuery = 5451;
constexpr int kManagedAccountsQuery = 5056;
constexpr int kFollowUp = 0;

// The accounts of the test data folder.
struct Account {
  std::string customer;
  std::string password;
};
const Account kTrader{"10001", "111111"};
const Account kManager{"90001", "999999"};      // manages 20001 and 20002
const Account kLoneManager{"90002", "888888"};  // manages no account

// The log-in text of this terminal's version, numbered as its next request.
std::string LoginText(const Account& account, const char* role, const std::string& manager = {}) {
  return backend_testing::LoginText({.sequence = backend::GetNextSequenceNo(),
                                     .customer = account.customer,
                                     .password = account.password,
                                     .version = "1.0.0.1",
                                     .role = role,
                                     .manager = manager});
}

std::string Field(int n, std::string_view line) { return backend::GetSeparatedFieldText(n, line); }

// The function numbers of the requests a back end received, oldest first.
std::vector<int> Functions(const simbackend::Server& server) {
  std::vector<int> functions;
  for (const simbackend::ReceivedRequest& request : server.Requests()) functions.push_back(request.function);
  return functions;
}

class TransportEndToEnd : public backend_testing::TransportFixture {
 protected:
  TransportEndToEnd() : TransportFixture("1.0.0.1") {}

  // The back ends outlive the transport.
  void TearDown() override {
    TransportFixture::TearDown();
    servers_.clear();
  }

  // A back end on a free loopback port, serving the test data folder; it
  // lives until the transport has stopped.
  simbackend::Server& StartServer() {
    std::string error;
    std::unique_ptr<simbackend::Server> server = simbackend::Server::Start({E2E_DATA_FOLDER, 0, {}}, error);
    // Gtest reports the exception as the test's failure.
    if (!server) throw std::runtime_error("the back end did not start: " + error);
    servers_.push_back(std::move(server));
    return *servers_.back();
  }

  // Connects the slot with the login text; true when the back end accepted it.
  static bool Connect(int slot, const simbackend::Server& server, const std::string& loginText) {
    OV_ConnectBlock block = backend_testing::LoopbackConnectBlock(slot, server.Port());
    std::string answer;
    std::string message;
    if (!backend::ConnectSlot(block, answer, message, loginText)) {
      ADD_FAILURE() << "slot " << slot << ": " << message;
      return false;
    }
    EXPECT_EQ(Field(4, answer), "Y") << answer;
    return Field(4, answer) == "Y";
  }

  // A request of one sub-request in the business frame, signed by `signer`.
  static RequestPtr Request(const char* title, int function, int priority, const Account& signer, int slot = 0,
                            bool singlePacket = false) {
    return backend_testing::BuildRequest(title, function, priority, slot, singlePacket,
                                         backend_testing::BusinessFrame(signer.customer, signer.password));
  }

  static void Execute(RequestRecord& record) {
    std::string message;
    EXPECT_TRUE(backend::ExecuteRequest(record, message)) << message;
  }

  static void Post(RequestPtr record) {
    std::string message;
    EXPECT_TRUE(backend::PostRequest(record, message)) << message;
  }

  std::vector<std::unique_ptr<simbackend::Server>> servers_;
};

TEST_F(TransportEndToEnd, PriorityTwoCancelsARunningPriorityZeroRequest) {
  simbackend::Server& server = StartServer();
  ASSERT_TRUE(Connect(0, server, LoginText(kTrader, kTradingRole)));
  server.HoldAnswers(kQuoteServersQuery);
  RequestPtr slow = Request("查询行情服务器信息", kQuoteServersQuery, 0, kTrader);
  auto pending = ExecuteOnAnotherThread(*slow);
  EXPECT_TRUE(server.WaitForHeld(1, kBound));

  RequestPtr order = Request("下单", 5011, 2, kTrader);
  Execute(*order);
  std::string message;
  // Answered by the back end (which refuses the bare order): sent, not
  // cancelled.
  const int result = backend::CheckReplyResult(0, message, order.get());
  EXPECT_NE(result, 0) << message;
  EXPECT_NE(result, backend::kReplyFailureCode) << message;

  const Outcome outcome = Await(pending);
  EXPECT_FALSE(outcome.ok);
  const std::string cancelled =
      "优先级等于零的通讯操作被取消：" + backend::MaskPasswordFields(slow->subRequests[0].requestText) + "。";
  EXPECT_EQ(outcome.message, cancelled);
  EXPECT_EQ(cancelled.find(kTrader.password), std::string::npos);
  EXPECT_EQ(backend::CheckReplyResult(0, message, slow.get()), backend::kReplyFailureCode);
  EXPECT_EQ(Functions(server), (std::vector<int>{kLoginFunction, kQuoteServersQuery, 5011}));
}

TEST_F(TransportEndToEnd, PriorityTwoRequeuesARunningPriorityOneRequest) {
  simbackend::Server& server = StartServer();
  ASSERT_TRUE(Connect(0, server, LoginText(kTrader, kTradingRole)));
  server.HoldAnswers(kQuoteServersQuery);
  RequestPtr query = Request("查询行情服务器信息", kQuoteServersQuery, 1, kTrader);
  auto pending = ExecuteOnAnotherThread(*query);
  EXPECT_TRUE(server.WaitForHeld(1, kBound));

  RequestPtr order = Request("下单", 5011, 2, kTrader);
  Execute(*order);
  // The query went out again after the order and is held once more; the
  // answer to its first send, released with it, finds no one waiting.
  EXPECT_TRUE(server.WaitForHeld(2, kBound));
  EXPECT_EQ(server.ReleaseHeld(kQuoteServersQuery), 2u);

  const Outcome outcome = Await(pending);
  EXPECT_TRUE(outcome.ok) << outcome.message;
  std::string message;
  EXPECT_EQ(backend::CheckReplyResult(0, message, query.get()), 0) << message;
  EXPECT_EQ(query->subRequests[0].answer.GetCount(), 4u);
  EXPECT_EQ(Functions(server), (std::vector<int>{kLoginFunction, kQuoteServersQuery, 5011, kQuoteServersQuery,
                                                 kFollowUp, kFollowUp, kFollowUp}));
  const auto requests = server.Requests();
  EXPECT_EQ(requests[3].text, requests[1].text);  // the same sub-request, sent again
}

TEST_F(TransportEndToEnd, WaitingRequestsAreSentByPriority) {
  simbackend::Server& server = StartServer();
  ASSERT_TRUE(Connect(0, server, LoginText(kTrader, kTradingRole)));
  server.HoldAnswers(kQuoteServersQuery);
  // Of equal priority, so it keeps the slot busy without being pre-empted.
  Post(Request("查询行情服务器信息", kQuoteServersQuery, 2, kTrader, 0, true));
  ASSERT_TRUE(server.WaitForHeld(1, kBound));

  // Waiting 2, 1, 0; then a further 1 goes before the 0, a further 0 last.
  Post(Request("下单", 5011, 2, kTrader));
  Post(Request("查询委托状态", 5010, 1, kTrader));
  Post(Request("查询公告", 5017, 0, kTrader));
  Post(Request("查询资金", 5002, 1, kTrader));
  // The system date comes in its status line alone, as the terminal asks for it.
  Post(Request("查询系统日期", 5122, 0, kTrader, 0, true));
  EXPECT_EQ(server.ReleaseHeld(kQuoteServersQuery), 1u);

  const std::vector<RequestPtr> results = TakeResults(6);
  EXPECT_EQ(results.size(), 6u);
  for (const RequestPtr& result : results) EXPECT_EQ(result->errorFlag, 0u) << result->errorText;
  EXPECT_EQ(Functions(server), (std::vector<int>{kLoginFunction, kQuoteServersQuery, 5011, 5010, 5002, 5017, 5122}));
}

TEST_F(TransportEndToEnd, AMultiPacketAnswerHoldsItsStatusLineAndOneLinePerRow) {
  simbackend::Server& server = StartServer();
  ASSERT_TRUE(Connect(0, server, LoginText(kTrader, kTradingRole)));
  ASSERT_TRUE(Connect(1, server, LoginText(kLoneManager, kManagementRole)));

  // Three quote servers: the status line and three rows, one follow-up each.
  RequestPtr servers = Request("查询行情服务器信息", kQuoteServersQuery, 2, kTrader);
  Execute(*servers);
  const backend::SubRequest& rows = servers->subRequests[0];
  ASSERT_EQ(rows.answer.GetCount(), 4u);
  EXPECT_EQ(Field(5, backend::AnswerLine(rows, 0)), "3");
  for (std::size_t row = 1; row <= 3; ++row)
    EXPECT_EQ(Field(3, backend::AnswerLine(rows, row)), "127.0.0." + std::to_string(row));
  EXPECT_EQ(Field(4, backend::AnswerLine(rows, 1)), std::to_string(server.Port()));
  EXPECT_EQ(server.Requests().back().text,
            "R|" + backend::LocalMachineAddress() + "|" + std::to_string(rows.sequenceNo) + "|0|");

  // A management account without trading accounts: the status line alone.
  RequestPtr accounts = Request("查询管理的交易账号", kManagedAccountsQuery, 2, kLoneManager, 1);
  Execute(*accounts);
  std::string message;
  EXPECT_EQ(backend::CheckReplyResult(0, message, accounts.get()), 0) << message;
  ASSERT_EQ(accounts->subRequests[0].answer.GetCount(), 1u);
  EXPECT_EQ(Field(5, backend::AnswerLine(accounts->subRequests[0], 0)), "0");

  EXPECT_EQ(Functions(server), (std::vector<int>{kLoginFunction, kLoginFunction, kQuoteServersQuery, kFollowUp,
                                                 kFollowUp, kFollowUp, kManagedAccountsQuery}));
}

TEST_F(TransportEndToEnd, ClosingASlotEndsTheWaitingCallerAndTheQueuedRequests) {
  simbackend::Server& server = StartServer();
  ASSERT_TRUE(Connect(0, server, LoginText(kTrader, kTradingRole)));
  server.HoldAnswers(kQuoteServersQuery);
  RequestPtr waiting = Request("查询行情服务器信息", kQuoteServersQuery, 2, kTrader);
  auto pending = ExecuteOnAnotherThread(*waiting);
  EXPECT_TRUE(server.WaitForHeld(1, kBound));
  Post(Request("查询公告", 5017, 0, kTrader));

  std::string message;
  EXPECT_TRUE(backend::CloseSlot(0, message)) << message;
  ASSERT_NO_FATAL_FAILURE(ExpectWaitingAndQueuedRequestLost(pending));

  EXPECT_TRUE(server.WaitForConnectionCount(0, kBound));
  EXPECT_EQ(backend::FindFreeSlot(), 0);
  EXPECT_EQ(Functions(server), (std::vector<int>{kLoginFunction, kQuoteServersQuery}));
}

TEST_F(TransportEndToEnd, APushBlockWithAnEmptyLineQueuesItsOtherLinesInOrder) {
  simbackend::Server& server = StartServer();
  ASSERT_TRUE(Connect(0, server, LoginText(kTrader, kTradingRole)));
  const std::string trade = "R|sim|0|15003|10001|cu2607|0|0|71240.0|2|";
  const std::string notice = "R|sim|0|15006|1|系统通知|";
  ASSERT_EQ(server.Push(kTrader.customer, {trade, "", notice}), 1u);

  // However the socket splits the block, the lines come in order.
  std::vector<std::string> lines;
  while (lines.size() < 2) {
    const std::vector<RequestPtr> results = TakeResults(1);
    ASSERT_EQ(results.size(), 1u) << "lines so far: " << lines.size();
    EXPECT_TRUE(results[0]->IsPush());
    EXPECT_EQ(results[0]->connection, 0);
    for (std::uint32_t line = 0; line < backend::PushLineCount(*results[0]); ++line) {
      lines.emplace_back(backend::PushLineAt(*results[0], line));
    }
  }
  EXPECT_EQ(lines, (std::vector<std::string>{trade, notice}));
  EXPECT_EQ(backend::TheResultQueue().Count(), 0u);
}

TEST_F(TransportEndToEnd, AfterADropThePortalLogsInAgainAndRequestsGoOn) {
  simbackend::Server& server = StartServer();
  backend::TheServerRotation().SetGateways({{"127.0.0.1", server.Port()}}, 0);
  ASSERT_TRUE(Connect(0, server, LoginText(kTrader, kTradingRole)));

  ASSERT_EQ(server.DropConnections(), 1u);
  ASSERT_TRUE(states_.WaitFor(OV_STATE_RECONNECTING, OV_STATE_CONNECTED, 0));
  // The first report comes from the connection's own thread, before the drop
  // is read on it.
  EXPECT_EQ(states_.Changes(), (std::vector<StateLog::Change>{{0, OV_STATE_DISCONNECTED, OV_STATE_CONNECTED},
                                                              {0, OV_STATE_CONNECTED, OV_STATE_RETRY_WAIT},
                                                              {0, OV_STATE_RETRY_WAIT, OV_STATE_RECONNECTING},
                                                              {0, OV_STATE_RECONNECTING, OV_STATE_CONNECTED}}));

  RequestPtr query = Request("查询行情服务器信息", kQuoteServersQuery, 2, kTrader);
  Execute(*query);
  std::string message;
  EXPECT_EQ(backend::CheckReplyResult(0, message, query.get()), 0) << message;
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 6u);
  // The login again, then the query, on the new connection.
  EXPECT_EQ(requests[1].connection, 2u);
  EXPECT_EQ(requests[1].function, kLoginFunction);
  EXPECT_EQ(requests[1].text, requests[0].text);
  EXPECT_EQ(requests[2].connection, 2u);
  EXPECT_EQ(requests[2].customer, kTrader.customer);
  EXPECT_EQ(requests[2].function, kQuoteServersQuery);
}

TEST_F(TransportEndToEnd, DroppedConnectionsMoveRoundTheGatewayList) {
  simbackend::Server* servers[] = {&StartServer(), &StartServer(), &StartServer()};
  std::vector<backend::ServerRow> gateways;
  for (const simbackend::Server* server : servers) gateways.push_back({"127.0.0.1", server->Port()});
  backend::TheServerRotation().SetGateways(gateways, 0);
  ASSERT_TRUE(Connect(0, *servers[0], LoginText(kTrader, kTradingRole)));

  int current = 0;
  for (const int next : {1, 2, 0}) {
    servers[next]->ClearRequests();
    const std::size_t before = states_.Changes().size();
    ASSERT_EQ(servers[current]->DropConnections(), 1u);
    ASSERT_TRUE(states_.WaitFor(OV_STATE_RECONNECTING, OV_STATE_CONNECTED, before));
    EXPECT_EQ(backend::TheServerRotation().CurrentGateway(), next);

    RequestPtr order = Request("下单", 5011, 2, kTrader);
    Execute(*order);
    EXPECT_EQ(Functions(*servers[next]), (std::vector<int>{kLoginFunction, 5011})) << "server " << next;
    current = next;
  }
}

TEST_F(TransportEndToEnd, AManagementLoginWithTwoTradingAccountsTakesAllThreeSlots) {
  simbackend::Server& server = StartServer();
  ASSERT_TRUE(Connect(0, server, LoginText(kManager, kManagementRole)));
  RequestPtr managed = Request("查询管理的交易账号", kManagedAccountsQuery, 2, kManager);
  Execute(*managed);
  ASSERT_EQ(managed->subRequests[0].answer.GetCount(), 3u);

  // Each trading account on the next free slot, signed by the management account.
  std::vector<Account> signers = {kManager};
  for (std::size_t row = 1; row <= 2; ++row) {
    const Account account{Field(6, backend::AnswerLine(managed->subRequests[0], row)), kManager.password};
    const int slot = backend::FindFreeSlot();
    ASSERT_EQ(slot, static_cast<int>(row));
    ASSERT_TRUE(Connect(slot, server, LoginText(account, kSubAccountRole, kManager.customer)));
    signers.push_back(account);
  }
  EXPECT_EQ(signers[1].customer, "20001");
  EXPECT_EQ(signers[2].customer, "20002");
  EXPECT_EQ(backend::CountFreeSlots(), 0);
  EXPECT_EQ(backend::FindFreeSlot(), -1);
  EXPECT_TRUE(server.WaitForConnectionCount(3, kBound));

  // All three slots at work at once, each for its own account.
  for (int slot = 0; slot < backend::kSlotCount; ++slot)
    Post(Request("查询行情服务器信息", kQuoteServersQuery, 2, signers[static_cast<std::size_t>(slot)], slot));
  const std::vector<RequestPtr> results = TakeResults(3);
  EXPECT_EQ(results.size(), 3u);
  for (const RequestPtr& result : results) {
    std::string message;
    EXPECT_EQ(backend::CheckReplyResult(0, message, result.get()), 0) << message;
  }
  std::set<std::uint64_t> connections;
  std::set<std::string> customers;
  for (const simbackend::ReceivedRequest& request : server.Requests()) {
    if (request.function != kQuoteServersQuery) continue;
    connections.insert(request.connection);
    customers.insert(request.customer);
  }
  EXPECT_EQ(connections.size(), 3u);
  EXPECT_EQ(customers, (std::set<std::string>{"90001", "20001", "20002"}));
}

// Every password of the test data goes over the wire, in logins accepted or
// refused, in the quote server list and the quote gateway's login, in a
// password change and in the monitoring centre's key; none of them reaches
// the program log, which only its owner can read.
TEST_F(TransportEndToEnd, NoPasswordReachesTheProgramLog) {
  std::string folder = ::testing::TempDir() + "passwordlog-XXXXXX";
  ASSERT_NE(::mkdtemp(folder.data()), nullptr);
  platform::SetProgramFolder(folder);
  ASSERT_TRUE(backend::OpenProgramLog());
  simbackend::BackendData data;
  std::string error;
  ASSERT_TRUE(simbackend::LoadBackendData(E2E_DATA_FOLDER, data, error)) << error;
  simbackend::Server& server = StartServer();

  std::vector<std::string> passwords = {data.quotePassword};
  for (const simbackend::Account& account : data.accounts) {
    passwords.push_back(account.password);
    const bool manager = account.kind == simbackend::AccountKind::kManagement;
    OV_ConnectBlock block = backend_testing::LoopbackConnectBlock(0, server.Port());
    std::string answer, message;
    ASSERT_TRUE(
        backend::ConnectSlot(block, answer, message,
                             LoginText({account.customer, account.password}, manager ? kManagementRole : kTradingRole)))
        << message;
    ASSERT_TRUE(backend::CloseSlot(0, message)) << message;
  }
  ASSERT_TRUE(Connect(0, server, LoginText(kTrader, kTradingRole)));
  RequestPtr servers = Request("查询行情服务器信息", kQuoteServersQuery, 2, kTrader);
  Execute(*servers);
  const std::string status(backend::AnswerLine(servers->subRequests[0], 0));
  ASSERT_EQ(Field(7, status), data.quotePassword) << "the quote gateway's password came";
  const std::string quoteUser = Field(6, status);
  ASSERT_TRUE(Connect(1, server,
                      "R|" + backend::LocalMachineAddress() + "|" + std::to_string(backend::GetNextSequenceNo()) +
                          "|5001||Pellora|" + quoteUser + "|" + data.quotePassword + "|" + backend::LocalIpAddress() +
                          "|||1|20091204|9.0.20110712.1|"));

  RequestPtr key = Request("查询监控中心密钥", 5406, 2, kTrader, 0, true);
  Execute(*key);
  const std::string keyLine(backend::AnswerLine(key->subRequests[0], 0));
  for (const int part : {8, 9, 10}) passwords.push_back(Field(part, keyLine));

  const std::string next = "7" + kTrader.password + "7";
  passwords.push_back(next);
  backend::CxDataSet change = backend_testing::BusinessFrame(kTrader.customer, kTrader.password);
  for (const std::string& parameter : {kTrader.customer, kTrader.customer, kTrader.password, next})
    change.AddText(parameter);
  RequestPtr changed = backend_testing::BuildRequest("修改密码", 5050, 2, 0, true, change);
  Execute(*changed);

  const std::string file = backend::TheProgramLog().FileName();
  for (int slot = 0; slot < backend::kSlotCount; ++slot) {
    std::string ignored;
    backend::DisconnectSlot(slot, ignored);
  }
  backend::CloseProgramLog();
  std::string log;
  for (const std::string& text : logfile_testing::TextsReadBack(file)) log += text + "\n";
  platform::SetProgramFolder("");
  struct stat info {};
  EXPECT_EQ(::stat(file.c_str(), &info), 0);
  std::filesystem::remove_all(folder);

  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_NE(log.find("|" + quoteUser + "|********|"), std::string::npos) << "the quote server list is logged, masked";
  for (const std::string& password : passwords) {
    ASSERT_FALSE(password.empty());
    EXPECT_EQ(log.find(password), std::string::npos) << password << " is in the log:\n" << log;
  }
}

}  // namespace
