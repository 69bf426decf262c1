// The engine's downloads end to end: the terminal logs in to the simulated
// back end (with the demo's accounts and their business) through the real
// transport and the portal library over loopback sockets, the engine
// downloads the day on its own thread, and its tables then hold what the
// back end's book holds. The back end's scripting (held
// answers, dropped connections) stands in for a failing network.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "backend/account_table.h"
#include "backend/request_queue.h"
#include "backend/sequence_number.h"
#include "backend/server_rotation.h"
#include "backend/testing/request_texts.h"
#include "backend/testing/transport_calls.h"
#include "backend/transport.h"
#include "client/login.h"
#include "client/operation_frame.h"
#include "client/testing/recording_shell.h"
#include "engine/operation_engine.h"
#include "engine/row_field.h"
#include "engine/testing/over_transport.h"
#include "engine/testing/started_engine.h"
#include "engine_e2e.h"
#include "platform/files.h"
#include "platform/testing/temporary_folder.h"
#include "simbackend/backend_data.h"
#include "simbackend/server.h"

namespace {

using engine::Table;
using engine::Text;
using engine_e2e::Key;
using engine_e2e::OfAccount;
using engine_e2e::Sorted;

constexpr auto kDownloadBound = std::chrono::seconds(60);

const client::LoginRequest kTrader{backend::kTradingLogin, "10001", "111111"};
const client::LoginRequest kManager{backend::kManagementLogin, "90001", "999999"};

class EngineDownloadEndToEnd : public ::testing::Test {
 protected:
  // The contract cache goes there.
  platform_testing::ScopedProgramFolder programFolder_{"engine-e2e"};

  void SetUp() override {
    // The demo's own data, with the business of its accounts.
    const std::string dataFolder = simbackend::DefaultDataFolder();
    std::string error;
    ASSERT_TRUE(simbackend::LoadBackendData(dataFolder, data, error)) << error;
    // Quotes that stand still, so that the book's floating profit is the one
    // the engine priced.
    server = simbackend::Server::Start(
        {.dataFolder = dataFolder, .port = 0, .log = {}, .quoteInterval = std::chrono::milliseconds(0)}, error);
    ASSERT_NE(server, nullptr) << error;
    ASSERT_TRUE(backend::StartCommunication("1.0.0.1", error)) << error;
    communicating_ = true;
    shell.SetVersionText("1.0.0.1");
    shell.SelectGateway("127.0.0.1", server->Port());
    backend::SetConnectionStateHook(
        [this](int connection, int flag, int state) { engine.OnConnectionState(state, flag, connection); });
  }

  void TearDown() override {
    engine.Stop();
    backend::SetConnectionStateHook(nullptr);
    if (communicating_) backend::StopCommunication();
    while (backend::TheResultQueue().TakeNext()) {
    }
    backend::TheAccountTable().Clear();
    backend::SetLoginType(backend::kTradingLogin);
    backend::TheServerRotation().SetGateways({}, 0);
    server.reset();
  }

  // Logs in as the log-in dialog does and starts the engine as start-up
  // does; its download thread then downloads the day.
  void LogInAndStart(const client::LoginRequest& request) {
    std::string message;
    ASSERT_TRUE(client::Login(message, request)) << message;
    engine::EngineCallbacks callbacks = engine_testing::TransportCallbacks();
    callbacks.log = [this](int, const char* text) {
      std::lock_guard guard(logMutex_);
      logLines_.emplace_back(text);
    };
    ASSERT_TRUE(engine_testing::StartEngine(engine, backend::TheAccountTable(), backend::GetLoginType(),
                                            std::move(callbacks), backend::LocalMachineAddress()));
  }

  // Drains the result queue as the GUI thread's timer does, the engine
  // seeing every item first and closing each drain, until `done` holds.
  bool PumpUntil(const std::function<bool()>& done) {
    return engine_e2e::PumpUntil([this] { engine_testing::DrainIntoEngine(engine); }, done, kDownloadBound);
  }
  bool PumpUntilReady() {
    return PumpUntil([this] { return engine.GetEngineState() == engine::EngineState::kReady; });
  }

  int LinesSaying(std::string_view step) {
    std::lock_guard guard(logMutex_);
    return static_cast<int>(std::ranges::count(logLines_, "计算引擎：" + std::string(step)));
  }

  std::vector<int> FunctionsReceived() const {
    std::vector<int> functions;
    for (const simbackend::ReceivedRequest& request : server->Requests()) functions.push_back(request.function);
    return functions;
  }

  // The account's day in the engine equals the book's (funds to the cent,
  // but for the figures `apart`), and so do its positions as downloaded and
  // its trade codes.
  void ExpectAccountAsTheBookHasIt(const std::string& customer, const std::set<std::string_view>& apart = {}) {
    SCOPED_TRACE(customer);
    const std::optional<simbackend::AccountView> book = server->Book(customer);
    ASSERT_TRUE(book.has_value());

    ASSERT_FALSE(book->orders.empty());
    ASSERT_FALSE(book->trades.empty());
    engine_e2e::ExpectDayAsTheBookHasIt(engine, *book, customer, apart);

    // The positions held before the market opened, as the data folder lists them.
    std::vector<Key> dataPositions;
    for (const simbackend::PositionDetail& position : data.positions) {
      if (position.customer != customer) continue;
      const simbackend::Contract& contract = data.contracts[position.contract];
      dataPositions.push_back({data.ExchangeOf(contract).id, contract.code, position.buySell, position.hedge,
                               std::to_string(position.lots), std::to_string(position.dealNumber)});
    }
    EXPECT_EQ(OfAccount<engine::PositionDetailRow>(
                  engine.Rows<engine::PositionDetailRow>(Table::kDownloadedPositionDetails), customer,
                  [](const engine::PositionDetailRow& row) -> Key {
                    return {std::string(Text(row.szExchangeCode)),   std::string(Text(row.szContractCode)),
                            std::string(Text(row.szFlagBS)),         std::string(Text(row.szFlagSH)),
                            std::string(Text(row.szPositionVolume)), std::string(Text(row.szDealNo))};
                  }),
              Sorted(dataPositions));

    ASSERT_FALSE(dataPositions.empty());

    std::vector<Key> dataTradeCodes;
    for (const simbackend::TradeCode& code : data.tradeCodes) {
      if (code.customer == customer) dataTradeCodes.push_back({data.exchanges[code.exchange].id, code.code});
    }
    EXPECT_EQ(OfAccount<engine::TradeCodeRow>(
                  engine.Rows<engine::TradeCodeRow>(Table::kTradeCodes), customer,
                  [](const engine::TradeCodeRow& row) -> Key {
                    return {std::string(Text(row.szExchangeCode)), std::string(Text(row.szMapCode))};
                  }),
              Sorted(dataTradeCodes));
  }

  // Every contract of the back end, once.
  void ExpectEveryContract() {
    std::vector<Key> dataContracts;
    for (const simbackend::Contract& contract : data.contracts) {
      dataContracts.push_back({data.ExchangeOf(contract).id, contract.code});
    }
    std::vector<Key> engineContracts;
    for (const engine::ContractRow& row : engine.Rows<engine::ContractRow>(Table::kContracts)) {
      engineContracts.push_back({std::string(Text(row.szExchangeCode)), std::string(Text(row.szContractCode))});
    }
    EXPECT_EQ(Sorted(engineContracts), Sorted(dataContracts));
  }

  client_testing::RecordingShell shell;
  client_testing::ScopedShell installed{shell};
  simbackend::BackendData data;
  std::unique_ptr<simbackend::Server> server;
  engine_e2e::VisibleEngine engine;

 private:
  bool communicating_ = false;
  std::mutex logMutex_;
  std::vector<std::string> logLines_;
};

TEST_F(EngineDownloadEndToEnd, TheDemoCustomersDayIsDownloadedAsTheBookHoldsIt) {
  LogInAndStart(kTrader);
  ASSERT_TRUE(PumpUntilReady());
  EXPECT_EQ(LinesSaying("初始化下载完成。"), 1);
  ExpectEveryContract();
  ExpectAccountAsTheBookHasIt("10001");
}

TEST_F(EngineDownloadEndToEnd, AManagementLoginKeepsTheDayOfBothSubAccounts) {
  LogInAndStart(kManager);
  ASSERT_TRUE(PumpUntilReady());
  ExpectAccountAsTheBookHasIt("20001");
  ExpectAccountAsTheBookHasIt("20002");
  // Nothing of the management account itself, which trades nothing.
  for (const engine::FundRow& fund : engine.Rows<engine::FundRow>(Table::kFunds)) {
    EXPECT_NE(Text(fund.szTradeAccount), "90001");
  }
}

TEST_F(EngineDownloadEndToEnd, AfterADropTheReconnectDownloadCatchesUpWithWhatTheEngineMissed) {
  LogInAndStart(kTrader);
  ASSERT_TRUE(PumpUntilReady());

  // An order the engine never sees: sent past it, its pushes dropped.
  backend::CxDataSet parameters = backend_testing::BusinessFrame(kTrader.customerNo, kTrader.password);
  for (const char* parameter : {"D", "m2705", "0", "0", "0", "1", "", "", "", "1", "2"}) parameters.AddText(parameter);
  backend::RequestPtr order = backend_testing::BuildRequest("下单", 5011, 2, 0, true, parameters);
  std::string message;
  ASSERT_TRUE(backend::ExecuteRequest(*order, message)) << message;
  ASSERT_EQ(backend::CheckReplyResult(0, message, order.get()), 0) << message;
  const std::size_t ordersBefore = engine.Rows<engine::OrderRow>(Table::kOrders).size();
  ASSERT_EQ(server->Book(kTrader.customerNo)->orders.size(), ordersBefore + 1);
  while (const backend::RequestPtr push = backend_testing::NextResult()) {
    if (backend::AnswerLine(push->subRequests[0], 0).find("|15005|") != std::string::npos) break;
  }

  server->ClearRequests();
  ASSERT_EQ(server->DropConnections(), 1u);
  ASSERT_TRUE(PumpUntil([&] {
    return LinesSaying("断线重连处理完成。") == 1 && engine.GetEngineState() == engine::EngineState::kReady;
  }));

  const std::vector<int> functions = FunctionsReceived();
  for (const int function : {5002, 5134, 5246, 5003}) {
    EXPECT_EQ(std::ranges::count(functions, function), 1) << function;
  }
  for (const int function : {5122, 5300, 5008, 5132}) {
    EXPECT_EQ(std::ranges::count(functions, function), 0) << function << " is not downloaded again";
  }
  ExpectAccountAsTheBookHasIt("10001");
}

TEST_F(EngineDownloadEndToEnd, ADropInTheMiddleOfTheInitialDownloadMakesItRunAgainWhole) {
  server->HoldAnswers(5132);
  LogInAndStart(kTrader);
  ASSERT_TRUE(server->WaitForHeld(1, backend_testing::kBound));
  server->ClearRule(5132);
  ASSERT_EQ(server->DropConnections(), 1u);
  ASSERT_TRUE(PumpUntilReady());

  EXPECT_EQ(LinesSaying("初始化下载。"), 2);
  EXPECT_EQ(LinesSaying("初始化下载完成。"), 1);
  ExpectEveryContract();
  ExpectAccountAsTheBookHasIt("10001");
}

}  // namespace
