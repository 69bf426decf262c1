// The trade-code lookup over the engine's contract and trade-code tables.
#include <gtest/gtest.h>

#include <string>

#include "client/account_queries.h"
#include "client/operation_frame.h"
#include "engine/reference_rows.h"
#include "engine/row_field.h"
#include "engine/table_catalogue.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::Table;

class TradingCode : public engine_testing::StartedEngine<> {
 protected:
  void SetUp() override {
    StartedEngine::SetUp();
    MakeReady();
    AddContract("S", "cu2701");
    AddContract("D", "m2701");
    // Customer, exchange, trade code, seat, kind; in table order.
    AddTradeCode("10001", "S", "TC-H", "SEAT-H", "1");
    AddTradeCode("10001", "S", "TC-N", "SEAT-N", "2");
    AddTradeCode("10001", "S", "TC-S", "SEAT-S", "3");
    AddTradeCode("10001", "S", "TC-A", "SEAT-A", "0");
    AddTradeCode("20001", "D", "TC-D", "SEAT-D", "2");
    client::InstallOperationEngine(&engine);
  }

  void TearDown() override { client::InstallOperationEngine(nullptr); }

  void AddContract(const char* exchange, const char* code) {
    engine.Add(Table::kContracts, engine_testing::Contract({.exchange = exchange, .code = code}));
  }

  void AddTradeCode(const char* customer, const char* exchange, const char* tradeCode, const char* seat,
                    const char* kind) {
    engine::TradeCodeRow row{};
    engine::SetText(row.szTradeAccount, customer);
    engine::SetText(row.szExchangeCode, exchange);
    engine::SetText(row.szMapCode, tradeCode);
    engine::SetText(row.szSeatCode, seat);
    engine::SetText(row.szTradeCodeType, kind);
    engine.Add(Table::kTradeCodes, row);
  }

  client::ContractTradingCode code;
  std::string message;
};

TEST_F(TradingCode, TheFirstCodeOfTheCustomerAtTheExchangeWhoseKindServesTheOrder) {
  const struct {
    const char* customer;
    const char* contract;
    const char* hedge;
    const char* tradeCode;  // null: none
    const char* seat;
  } cases[] = {
      {"10001", "cu2701", "1", "TC-H", "SEAT-H"},
      {"10001", "cu2701", "0", "TC-S", "SEAT-S"},
      {"10001", "cu2701", "9", "TC-A", "SEAT-A"},
      {"20001", "m2701", "0", nullptr, nullptr},  // only a kind that serves no order
      {"10001", "m2701", "0", nullptr, nullptr},  // no code at that exchange
      {"20001", "cu2701", "1", nullptr, nullptr},
      {"10001", "zz9999", "0", nullptr, nullptr},  // a contract the engine does not know
  };
  for (const auto& test : cases) {
    code = {};
    const bool found = client::GetContractTradingCode(test.customer, test.contract, test.hedge, code, message);
    if (test.tradeCode == nullptr) {
      EXPECT_FALSE(found) << test.customer << " " << test.contract;
      EXPECT_EQ(message, "交易编码不存在！");
      continue;
    }
    ASSERT_TRUE(found) << test.customer << " " << test.contract << ": " << message;
    EXPECT_EQ(code.exchangeCode, "S");
    EXPECT_EQ(code.tradeCode, test.tradeCode);
    EXPECT_EQ(code.seat, test.seat);
  }
}

TEST_F(TradingCode, WaitsForTheEnginesReconnect) {
  engine.OnConnectionState(engine::connection_state::kConnected, 2, 0);
  ASSERT_EQ(engine.GetEngineState(), engine::EngineState::kReconnectDownload);
  EXPECT_FALSE(client::GetContractTradingCode("10001", "cu2701", "1", code, message));
  EXPECT_EQ(message, "计算引擎正在处理断线重连。");
}

}  // namespace
