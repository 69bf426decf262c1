// The terminal's transport end to end: connection slots, request queues and
// pushes through the portal library, over real loopback sockets, against the
// simulated back end. The back end's scripting (held answers, dropped
// connections, pushes) stands in for a slow or failing network.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "backend/field_text.h"
#include "backend/program_log.h"
#include "backend/request_queue.h"
#include "backend/request_record.h"
#include "backend/sequence_number.h"
#include "backend/server_rotation.h"
#include "backend/transport.h"
#include "simbackend/server.h"

namespace {

using backend::RequestPtr;
using backend::RequestRecord;
using namespace std::chrono_literals;

// Every wait is bounded, and below the portal's answer time-out (15 s): a
// request that ends within it was ended by the transport, not by the time-out.
constexpr auto kBound = 10s;

constexpr int kLoginFunction = 5001;
constexpr int kQuoteServersQuery = 5451;
constexpr int kManagedAccountsQuery = 5056;
constexpr int kFollowUp = 0;
constexpr const char* kLost = "通讯连接中断！";

// The accounts of the test data folder.
struct Account {
  std::string customer;
  std::string password;
};
const Account kTrader{"10001", "111111"};
const Account kManager{"90001", "999999"};  // manages 20001 and 20002
const Account kLoneManager{"90002", "888888"};  // manages no account

// The login roles of field 27: a customer's own login, a management
// account, a trading account signed by its management account.
constexpr const char* kTradingRole = "";
constexpr const char* kManagementRole = "1";
constexpr const char* kSubAccountRole = "2";

// The 28-field login text: the business frame with the customer's
// credentials, the terminal's addresses and version, the role in field 27
// and the management account in field 28.
std::string LoginText(const Account& account, const char* role, const std::string& manager = {}) {
  const std::vector<std::string> fields = {
      "R", backend::LocalMachineAddress(), std::to_string(backend::GetNextSequenceNo()), "5001", "", "Pellora",
      account.customer, account.password, backend::LocalIpAddress(), "1", "1", "", "20091204", "1.0.0.1",
      "", "", "", "", "", "", "1", "", "", "", "", "", role, manager};
  std::string text;
  for (const std::string& field : fields) backend::AppendSeparatedField(text, field);
  return text;
}

std::string Field(int n, std::string_view line) { return backend::GetSeparatedFieldText(n, line); }

// The function numbers of the requests a back end received, oldest first.
std::vector<int> Functions(const simbackend::Server& server) {
  std::vector<int> functions;
  for (const simbackend::ReceivedRequest& request : server.Requests()) functions.push_back(request.function);
  return functions;
}

// Every change the portal reported: connection number, state before, state.
class StateLog {
 public:
  using Change = std::tuple<int, int, int>;

  void Add(int connection, int flag, int state) {
    std::lock_guard lock(mutex_);
    changes_.emplace_back(connection, flag, state);
    changed_.notify_all();
  }
  // Waits for a change from `flag` to `state` among those after the first `skip`.
  bool WaitFor(int flag, int state, std::size_t skip) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kBound, [&] {
      return std::any_of(changes_.begin() + static_cast<std::ptrdiff_t>(std::min(skip, changes_.size())),
                         changes_.end(), [&](const Change& change) {
                           return std::get<1>(change) == flag && std::get<2>(change) == state;
                         });
    });
  }
  std::vector<Change> Changes() const {
    std::lock_guard lock(mutex_);
    return changes_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Change> changes_;
};

struct Outcome {
  bool ok = false;
  std::string message;
};

class TransportEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string message;
    ASSERT_TRUE(backend::StartCommunication("1.0.0.1", message)) << message;
    backend::SetConnectionStateHook(
        [this](int connection, int flag, int state) { states_.Add(connection, flag, state); });
  }

  // The transport's state is global: every test leaves it as it found it.
  void TearDown() override {
    backend::StopCommunication();
    backend::SetConnectionStateHook(nullptr);
    servers_.clear();
    backend::TheServerRotation().SetGateways({}, 0);
    while (backend::TheResultQueue().TakeNext()) {
    }
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
    OV_ConnectBlock block{};
    orvanet::SetI32(block.connection, slot);
    orvanet::SetText(block.serverAddress, "127.0.0.1");
    orvanet::SetI32(block.serverPort, server.Port());
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
    backend::CxDataSet parameters;
    for (const std::string& text : {std::string(), std::string("Pellora"), signer.customer, signer.password})
      parameters.AddText(text);
    std::string message;
    RequestPtr record = backend::BuildRequestCommand(title, 1, slot, priority, "", backend::LocalMachineAddress(),
                                                     backend::GetNextSequenceNo(), function, singlePacket,
                                                     parameters, message);
    EXPECT_TRUE(record) << message;
    return record;
  }

  static void Execute(RequestRecord& record) {
    std::string message;
    EXPECT_TRUE(backend::ExecuteRequest(record, message)) << message;
  }

  static void Post(RequestPtr record) {
    std::string message;
    EXPECT_TRUE(backend::PostRequest(record, message)) << message;
  }

  // Between this call and Await() a test checks with EXPECT only: returning
  // early would leave the future's destructor waiting for the call.
  static std::future<Outcome> ExecuteOnAnotherThread(RequestRecord& record) {
    return std::async(std::launch::async, [&record] {
      Outcome outcome;
      outcome.ok = backend::ExecuteRequest(record, outcome.message);
      return outcome;
    });
  }

  // The outcome of a call on another thread within the bound; past it the
  // slots are closed, which ends every waiting call.
  static Outcome Await(std::future<Outcome>& pending) {
    if (pending.wait_for(kBound) != std::future_status::ready) {
      ADD_FAILURE() << "the request did not end in time";
      for (int slot = 0; slot < backend::kSlotCount; ++slot) {
        std::string ignored;
        backend::DisconnectSlot(slot, ignored);
      }
    }
    return pending.get();
  }

  // The next `count` records of the result queue, within the bound.
  static std::vector<RequestPtr> TakeResults(std::size_t count) {
    std::vector<RequestPtr> results;
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (results.size() < count && std::chrono::steady_clock::now() < deadline) {
      if (RequestPtr record = backend::TheResultQueue().TakeNext())
        results.push_back(std::move(record));
      else
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(results.size(), count);
    return results;
  }

  StateLog states_;
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
  // Answered by the back end, which has no order function: sent, not cancelled.
  EXPECT_EQ(backend::CheckReplyResult(0, message, order.get()), 9001) << message;

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

  for (const RequestPtr& result : TakeResults(6)) EXPECT_EQ(result->errorFlag, 0u) << result->errorText;
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
  const Outcome outcome = Await(pending);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message, kLost);
  const std::vector<RequestPtr> results = TakeResults(1);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0]->errorFlag, 1u);
  EXPECT_EQ(results[0]->errorText, kLost);

  EXPECT_TRUE(server.WaitForConnectionCount(0, kBound));
  EXPECT_EQ(backend::FindFreeSlot(), 0);
  EXPECT_EQ(Functions(server), (std::vector<int>{kLoginFunction, kQuoteServersQuery}));
}

TEST_F(TransportEndToEnd, APushBlockWithAnEmptyLineQueuesOneRecordPerLine) {
  simbackend::Server& server = StartServer();
  ASSERT_TRUE(Connect(0, server, LoginText(kTrader, kTradingRole)));
  const std::string trade = "R|sim|0|15003|10001|cu2607|0|0|71240.0|2|";
  const std::string notice = "R|sim|0|15006|1|系统通知|";
  ASSERT_EQ(server.Push(kTrader.customer, {trade, "", notice}), 1u);

  const std::vector<RequestPtr> results = TakeResults(2);
  ASSERT_EQ(results.size(), 2u);
  for (const RequestPtr& result : results) {
    EXPECT_TRUE(result->IsPush());
    EXPECT_EQ(result->connection, 0);
    EXPECT_EQ(result->subRequests[0].answer.GetCount(), 1u);
  }
  EXPECT_EQ(backend::AnswerLine(results[0]->subRequests[0], 0), trade);
  EXPECT_EQ(backend::AnswerLine(results[1]->subRequests[0], 0), notice);
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
  for (const RequestPtr& result : TakeResults(3)) {
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

}  // namespace
