#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "backend/sequence_number.h"
#include "backend/testing/request_texts.h"
#include "backend/testing/transport_calls.h"
#include "backend/testing/transport_fixture.h"
#include "backend/transport.h"
#include "engine/testing/answers.h"
#include "engine/testing/over_transport.h"
#include "engine/testing/started_engine.h"
#include "platform/testing/fake_clock.h"
#include "simbackend/server.h"

namespace {

using engine::Table;
using engine::TableChangeRecord;
using engine::Text;
using engine_testing::Answer;
using engine_testing::DataLine;
using engine_testing::kStatusLine;

class DownloadLoaders : public engine_testing::StartedEngine<> {
 protected:
  // Field 9 of the log-in answer is the trading date.
  DownloadLoaders() : StartedEngine({.loginAnswer = "A|||Y|||||20261210|"}) {}

  std::vector<engine::OrderRow> Orders() { return engine.Rows<engine::OrderRow>(Table::kOrders); }
  std::vector<engine::SpecialOrderRow> SpecialOrders() {
    return engine.Rows<engine::SpecialOrderRow>(Table::kSpecialOrders);
  }
};

TEST_F(DownloadLoaders, OrderLinesWithAStrategyCodeAreSpecialOrders) {
  engine.LoadContracts(Answer({kStatusLine, DataLine(24, {{4, "S"}, {6, "cu2702"}, {22, "1"}})}).View());
  const backend::CxDataSet answer = Answer({
      kStatusLine,
      // Field 56 names the contract, whatever field 7 holds.
      DataLine(57, {{5, "1"}, {6, "S"}, {7, "cu2701"}, {48, "1.005"}, {52, "2.344"}, {56, "cu2702"}}),
      DataLine(57, {{5, "2"}, {6, "S"}, {34, "SP"}, {35, "cu2701"}, {48, "1.005"}, {55, "x"}}),
      // Blanks are no strategy code; field 56 "0" keeps field 7.
      DataLine(57, {{5, "3"}, {6, "S"}, {7, "cu2701"}, {34, " \t "}, {56, "0"}}),
  });
  engine.LoadOrders("8001", answer.View());
  engine.LoadSpecialOrders("8001", answer.View());

  const std::vector<engine::OrderRow> orders = Orders();
  ASSERT_EQ(orders.size(), 2u);
  EXPECT_EQ(Text(orders[0].szTradeAccount), "8001");
  EXPECT_EQ(Text(orders[0].szContractCode), "cu2702");
  EXPECT_EQ(Text(orders[0].szTradeClass), "1");
  EXPECT_EQ(Text(orders[0].szFrozenCautionMoney), "1.01");
  EXPECT_EQ(Text(orders[0].szFrozenCharge), "2.34");
  EXPECT_EQ(Text(orders[0].szFrozenPremium), "0.00");
  EXPECT_EQ(Text(orders[1].szOrderNo), "3");
  EXPECT_EQ(Text(orders[1].szContractCode), "cu2701");
  EXPECT_EQ(Text(orders[1].szTradeClass), "");  // no such contract

  const std::vector<engine::SpecialOrderRow> specialOrders = SpecialOrders();
  ASSERT_EQ(specialOrders.size(), 1u);
  EXPECT_EQ(Text(specialOrders[0].szOrderNo), "2");
  EXPECT_EQ(Text(specialOrders[0].szStrategyCode), "SP");
  EXPECT_EQ(Text(specialOrders[0].szLegContractCode1), "cu2701");
  EXPECT_EQ(Text(specialOrders[0].szLegFrozenMoney1), "1.01");
  EXPECT_EQ(Text(specialOrders[0].szLegFrozenCharge4), "0.00");
}

TEST_F(DownloadLoaders, TradesEndInTheNumericOrderOfTheirDealNumbers) {
  engine.LoadTrades("8001", Answer({kStatusLine, DataLine(24, {{20, "12"}}), DataLine(24, {{20, "3"}})}).View());
  engine.LoadTrades("8002", Answer({kStatusLine, DataLine(24, {{20, "100"}}), DataLine(24, {{20, "5"}})}).View());
  std::vector<std::string> dealNos;
  for (const engine::TradeRow& trade : engine.Rows<engine::TradeRow>(Table::kTrades)) {
    dealNos.emplace_back(Text(trade.szDealNo));
  }
  EXPECT_EQ(dealNos, (std::vector<std::string>{"3", "5", "12", "100"}));
}

TEST_F(DownloadLoaders, APositionDetailTakesItsAccountFromTheLine) {
  engine.LoadPositionDetails(
      Answer({kStatusLine, DataLine(25, {{8, "8002"}, {25, "cu2701"}}), DataLine(25, {{25, "cu2702"}})}).View());
  const std::vector<engine::PositionDetailRow> details =
      engine.Rows<engine::PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(details.size(), 2u);
  EXPECT_EQ(Text(details[0].szTradeAccount), "8002");
  EXPECT_EQ(Text(details[1].szTradeAccount), "");
  EXPECT_EQ(Text(details[1].szContractCode), "cu2702");
}

TEST_F(DownloadLoaders, AnExchangeSeatSplitsItsFlagsAndTakesTheInstructionOfItsAbbreviation) {
  struct Case {
    const char* abbreviation;
    const char* flags;
    std::vector<std::string> expected;  // close today, market orders, third item, instruction
  } cases[] = {
      {"sfe", "1,0,", {"1", "0", "", "1"}},    {"dce", "1", {"1", "", "", "1"}},
      {"czce", "0,1,1", {"0", "1", "1", "3"}}, {"cffex", "", {"", "", "", "2"}},
      {"SFE", "1,1,1", {"1", "1", "1", ""}},
  };
  for (const Case& c : cases) {
    engine.LoadExchangeSeats(Answer({kStatusLine, DataLine(9, {{6, c.abbreviation}, {9, c.flags}})}).View());
    const std::vector<engine::ExchangeSeatRow> seats = engine.Rows<engine::ExchangeSeatRow>(Table::kExchangeSeats);
    ASSERT_EQ(seats.size(), 1u);
    EXPECT_EQ((std::vector<std::string>{
                  std::string(Text(seats[0].szCloseTodayFlag)), std::string(Text(seats[0].szMarketOrderFlag)),
                  std::string(Text(seats[0].szGroupFlag)), std::string(Text(seats[0].szExerciseInstruction))}),
              c.expected)
        << c.abbreviation;
    EXPECT_EQ(Text(seats[0].szCombinationFlag), "");
  }
}

TEST_F(DownloadLoaders, AContractWithoutOptionFlagIsFuturesAndALongNameIsCutOnACharacter) {
  // Nineteen characters of two bytes each; the name field holds 31 bytes.
  const std::string name = "沪铜二七零一期货合约测试名称太长了吧对";
  engine.LoadContracts(Answer({kStatusLine, DataLine(24, {{4, "S"}, {6, "cu2701"}, {7, name}})}).View());
  const std::vector<engine::ContractRow> contracts = engine.Rows<engine::ContractRow>(Table::kContracts);
  ASSERT_EQ(contracts.size(), 1u);
  EXPECT_EQ(Text(contracts[0].szTradeClass), "0");
  EXPECT_EQ(Text(contracts[0].szContractName), name.substr(0, 30));
}

TEST_F(DownloadLoaders, OrderTypesAndTradeCodesAreStoredWithoutBlanks) {
  engine.LoadOrderTypes(Answer({kStatusLine, DataLine(7, {{4, " S\t"}, {5, "\t0 "}})}).View());
  engine.LoadTradeCodes(
      Answer({kStatusLine, DataLine(9, {{4, " 8001 "}, {5, "S"}, {6, "81000101 "}, {7, " 0"}, {8, "\tS001"}})}).View());
  const engine::OrderTypeRow orderType = engine.Rows<engine::OrderTypeRow>(Table::kOrderTypes).at(0);
  EXPECT_EQ(Text(orderType.szExchangeCode), "S");
  EXPECT_EQ(Text(orderType.szOrderFormType), "0");
  const engine::TradeCodeRow tradeCode = engine.Rows<engine::TradeCodeRow>(Table::kTradeCodes).at(0);
  EXPECT_EQ(Text(tradeCode.szTradeAccount), "8001");
  EXPECT_EQ(Text(tradeCode.szMapCode), "81000101");
  EXPECT_EQ(Text(tradeCode.szSeatCode), "S001");
  EXPECT_EQ(Text(tradeCode.szTradeCodeType), "0");
}

TEST_F(DownloadLoaders, FundsOfABareStatusLineGiveTheAccountsRowAndOneUpdate) {
  for (const bool notifyNow : {false, true}) {
    gui.changes.clear();
    engine.TableAt(Table::kFunds).Clear();
    engine.LoadFunds(Answer({"A|||Y|"}).View(), "8001", notifyNow);

    const std::vector<engine::FundRow> funds = engine.Rows<engine::FundRow>(Table::kFunds);
    ASSERT_EQ(funds.size(), 1u);
    engine::FundRow expected{};
    engine::SetText(expected.szTradeAccount, "8001");
    EXPECT_EQ(std::memcmp(&funds[0], &expected, sizeof expected), 0);
    const std::vector<TableChangeRecord> records = notifyNow ? gui.changes : engine.TakeChangeQueue();
    ASSERT_EQ(records.size(), 1u) << notifyNow;
    EXPECT_EQ(records[0].TableId(), 1);
    EXPECT_EQ(records[0].Operation(), 'u');
    EXPECT_EQ(records[0].RowCount(), 1);
    EXPECT_EQ(records[0].RowIndex(), 0);
    EXPECT_EQ(std::memcmp(records[0].Row().data(), &expected, sizeof expected), 0);
  }
}

TEST_F(DownloadLoaders, ReferenceTablesAreReplacedByEachLoad) {
  engine.LoadCloseStrategies(Answer({kStatusLine, "A|||S|1|策略1|", "A|||D|1|策略1|"}).View());
  engine.LoadCloseStrategies(Answer({kStatusLine, "A|||J|3|策略3|"}).View());
  const std::vector<engine::CloseStrategyRow> strategies =
      engine.Rows<engine::CloseStrategyRow>(Table::kCloseStrategies);
  ASSERT_EQ(strategies.size(), 1u);
  EXPECT_EQ(Text(strategies[0].szExchangeCode), "J");
  EXPECT_EQ(Text(strategies[0].szCloseStrategy), "策略3");
}

TEST_F(DownloadLoaders, ProfitLossOrdersReplaceTheTableWithFieldTenBeforeFieldNine) {
  engine.LoadProfitLossOrders(Answer({kStatusLine, DataLine(35, {{4, "1"}})}).View());
  engine.LoadProfitLossOrders(Answer({kStatusLine, DataLine(35, {{4, "2"}, {9, "nine"}, {10, "ten"}})}).View());
  const std::vector<engine::ProfitLossOrderRow> rows =
      engine.Rows<engine::ProfitLossOrderRow>(Table::kProfitLossOrders);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0].szProfitLossOrderNo), "2");
  EXPECT_EQ(Text(rows[0].szAnswerField9), "nine");
  EXPECT_EQ(Text(rows[0].szAnswerField10), "ten");
}

// The current and the downloaded copy of a detail table hold the same rows.
void ExpectSameBytes(const engine::EngineTable& current, const engine::EngineTable& downloaded) {
  ASSERT_EQ(current.GetCount(), downloaded.GetCount());
  for (std::uint32_t index = 0; index < current.GetCount(); ++index) {
    const auto a = current.GetValue(index);
    const auto b = downloaded.GetValue(index);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end())) << index;
  }
}

TEST_F(DownloadLoaders, PerAccountTablesKeepEveryAccountAndARepeatedDownloadAddsNothing) {
  const backend::CxDataSet positions1 = Answer({kStatusLine, DataLine(25, {{8, "8001"}}), DataLine(25, {{8, "8001"}})});
  const backend::CxDataSet positions2 = Answer({kStatusLine, DataLine(25, {{8, "8002"}})});
  const backend::CxDataSet combinations = Answer({kStatusLine, DataLine(38, {{7, "8001"}})});
  const backend::CxDataSet tradeCodes = Answer({kStatusLine, DataLine(9, {{4, "8001"}})});
  for (int download = 0; download < 2; ++download) {
    engine.ClearPerAccountDownloadTables();
    for (const backend::CxDataSet* positions : {&positions1, &positions2}) {
      engine.LoadTradeCodes(tradeCodes.View());
      engine.LoadPositionDetails(positions->View());
      engine.LoadCombinationDetails(combinations.View());
      ExpectSameBytes(engine.TableAt(Table::kPositionDetails), engine.TableAt(Table::kDownloadedPositionDetails));
      ExpectSameBytes(engine.TableAt(Table::kCombinationDetails), engine.TableAt(Table::kDownloadedCombinationDetails));
    }
    std::vector<std::string> accounts;
    for (const auto& detail : engine.Rows<engine::PositionDetailRow>(Table::kPositionDetails)) {
      accounts.emplace_back(Text(detail.szTradeAccount));
    }
    EXPECT_EQ(accounts, (std::vector<std::string>{"8001", "8001", "8002"})) << download;
    EXPECT_EQ(engine.TableAt(Table::kCombinationDetails).GetCount(), 2u) << download;
    EXPECT_EQ(engine.TableAt(Table::kTradeCodes).GetCount(), 2u) << download;
  }
}

// --- The answers of the simulated back end, through the terminal's transport

class SimulatedDownload : public backend_testing::TransportFixture {
 protected:
  SimulatedDownload() : TransportFixture("5.2.0.1") {}

  void SetUp() override {
    TransportFixture::SetUp();
    std::string error;
    server_ = simbackend::Server::Start({}, error);
    ASSERT_NE(server_, nullptr) << error;
  }

  void TearDown() override {
    engine.Stop();
    TransportFixture::TearDown();
  }

  void LogIn(int slot, const char* customer, const char* password, const char* role = backend_testing::kTradingRole,
             const char* manager = "") {
    std::string message;
    ASSERT_TRUE(backend_testing::LogIn(accounts, server_->Port(), slot,
                                       {.sequence = 1,
                                        .customer = customer,
                                        .password = password,
                                        .version = "5.2.0.1",
                                        .role = role,
                                        .manager = manager},
                                       message))
        << message;
  }

  void StartEngine(int loginType) {
    ASSERT_TRUE(engine_testing::StartEngine(engine, accounts, loginType, engine_testing::TransportCallbacks(),
                                            backend::LocalMachineAddress()));
  }

  backend::CxDataSet Ask(backend::RequestPtr record) {
    backend::CxDataSet answer;
    std::string error;
    EXPECT_TRUE(engine.AskBackEnd(std::move(record), answer, error)) << error;
    return answer;
  }

  void DownloadReferenceTables() {
    engine.LoadExchangeSeats(Ask(engine.BuildExchangeSeatRequest()).View());
    engine.LoadCloseStrategies(Ask(engine.BuildCloseStrategyRequest()).View());
    engine.LoadOrderTypes(Ask(engine.BuildOrderTypeRequest()).View());
    engine.LoadContracts(Ask(engine.BuildContractRequest()).View());
  }

  // The accounts' tables in the order of the initial download.
  void DownloadAccounts(std::size_t firstAccount) {
    engine.ClearPerAccountDownloadTables();
    for (std::size_t index = firstAccount; index < accounts.Count(); ++index) {
      const backend::AccountKey& key = accounts.At(index).key;
      engine.LoadTradeCodes(Ask(engine.BuildTradeCodeRequest(key)).View());
      engine.LoadFunds(Ask(engine.BuildFundRequest(key)).View(), key.customerNo, true);
      const backend::CxDataSet orders = Ask(engine.BuildOrderRequest(key));
      engine.LoadOrders(key.customerNo, orders.View());
      engine.LoadSpecialOrders(key.customerNo, orders.View());
      engine.LoadPositionDetails(Ask(engine.BuildPositionDetailRequest(key)).View());
      engine.LoadCombinationDetails(Ask(engine.BuildCombinationDetailRequest(key)).View());
      engine.LoadTrades(key.customerNo, Ask(engine.BuildTradeRequest(key)).View());
    }
  }

  template <engine::EngineRow Row>
  std::vector<std::string> AccountsOf(Table table) {
    std::vector<std::string> accountsFound;
    for (const Row& row : engine.Rows<Row>(table)) accountsFound.emplace_back(Text(row.szTradeAccount));
    return accountsFound;
  }

  // 2026-12-10 09:30:05, a Thursday, as the demo data expects.
  platform::FakeClock clock_{{2026, 12, 10, 4, 9, 30, 5, 0}, 1000};
  std::unique_ptr<simbackend::Server> server_;
  backend::AccountTable accounts;
  engine_testing::OpenEngine engine;
};

TEST_F(SimulatedDownload, TheDemoAccountLoadsAsTheBackEndAnswersIt) {
  LogIn(0, "10001", "111111");
  StartEngine(backend::kTradingLogin);
  DownloadReferenceTables();
  DownloadAccounts(0);

  const std::vector<engine::ExchangeSeatRow> seats = engine.Rows<engine::ExchangeSeatRow>(Table::kExchangeSeats);
  ASSERT_EQ(seats.size(), 4u);
  EXPECT_EQ(Text(seats[0].szExchangeAbbr), "sfe");
  EXPECT_EQ(Text(seats[0].szSeatCode), "S001");
  EXPECT_EQ(Text(seats[0].szCloseTodayFlag), "1");
  EXPECT_EQ(Text(seats[0].szExerciseInstruction), "1");
  EXPECT_EQ(engine.Rows<engine::CloseStrategyRow>(Table::kCloseStrategies).size(), 4u);
  EXPECT_FALSE(engine.Rows<engine::OrderTypeRow>(Table::kOrderTypes).empty());
  engine::ContractRow option{};
  ASSERT_TRUE(engine.FindContract("S", "cu2702C76000", option));
  EXPECT_EQ(Text(option.szTradeClass), "1");
  EXPECT_EQ(Text(option.szOptionType), "C");

  EXPECT_EQ(AccountsOf<engine::TradeCodeRow>(Table::kTradeCodes), std::vector<std::string>(5, "10001"));
  const std::vector<engine::FundRow> funds = engine.Rows<engine::FundRow>(Table::kFunds);
  ASSERT_EQ(funds.size(), 1u);
  EXPECT_EQ(Text(funds[0].szTradeAccount), "10001");
  EXPECT_EQ(Text(funds[0].szDepositYesterday), "1185620.50");

  const std::vector<engine::OrderRow> orders = engine.Rows<engine::OrderRow>(Table::kOrders);
  ASSERT_EQ(orders.size(), 12u);
  EXPECT_TRUE(engine.Rows<engine::SpecialOrderRow>(Table::kSpecialOrders).empty());
  EXPECT_EQ(Text(orders[0].szOrderNo), "1001");
  EXPECT_EQ(Text(orders[0].szExchangeCode), "S");
  EXPECT_EQ(Text(orders[0].szContractCode), "cu2701");
  EXPECT_EQ(Text(orders[0].szTradeClass), "0");

  EXPECT_EQ(AccountsOf<engine::PositionDetailRow>(Table::kPositionDetails), std::vector<std::string>(20, "10001"));
  EXPECT_EQ(engine.TableAt(Table::kDownloadedPositionDetails).GetCount(), 20u);
  EXPECT_EQ(engine.TableAt(Table::kCombinationDetails).GetCount(), 0u);

  const std::vector<engine::TradeRow> trades = engine.Rows<engine::TradeRow>(Table::kTrades);
  ASSERT_FALSE(trades.empty());
  EXPECT_TRUE(std::is_sorted(trades.begin(), trades.end(), [](const auto& a, const auto& b) {
    return engine::ReadInt(a.szDealNo) < engine::ReadInt(b.szDealNo);
  }));
  const auto optionTrade = std::find_if(trades.begin(), trades.end(),
                                        [](const auto& trade) { return Text(trade.szContractCode) == "m2705-C-3000"; });
  ASSERT_NE(optionTrade, trades.end());
  EXPECT_EQ(Text(optionTrade->szTradeClass), "1");
}

TEST_F(SimulatedDownload, AManagementDownloadKeepsThePositionsOfEverySubAccount) {
  LogIn(0, "90001", "999999", backend_testing::kManagementRole);
  LogIn(1, "20001", "999999", backend_testing::kSubAccountRole, "90001");
  LogIn(2, "20002", "999999", backend_testing::kSubAccountRole, "90001");
  StartEngine(backend::kManagementLogin);
  DownloadReferenceTables();
  // A repeated download holds the same rows.
  for (int download = 0; download < 2; ++download) {
    engine.TableAt(Table::kFunds).Clear();
    DownloadAccounts(1);
    const std::vector<std::string> positionAccounts = AccountsOf<engine::PositionDetailRow>(Table::kPositionDetails);
    EXPECT_EQ(std::count(positionAccounts.begin(), positionAccounts.end(), "20001"), 4) << download;
    EXPECT_EQ(std::count(positionAccounts.begin(), positionAccounts.end(), "20002"), 3) << download;
    EXPECT_EQ(positionAccounts.size(), 7u) << download;
    EXPECT_EQ(AccountsOf<engine::PositionDetailRow>(Table::kDownloadedPositionDetails), positionAccounts);
    EXPECT_EQ(engine.TableAt(Table::kTradeCodes).GetCount(), 8u) << download;
    EXPECT_EQ(AccountsOf<engine::FundRow>(Table::kFunds), (std::vector<std::string>{"20001", "20002"}));
  }
}

}  // namespace
