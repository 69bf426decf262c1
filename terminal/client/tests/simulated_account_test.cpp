// The account queries and the log-out against the simulated back end,
// through the real transport and the engine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/cx_data_set.h"
#include "client/account_queries.h"
#include "client/login.h"
#include "client/session_operations.h"
#include "client/settlement_operations.h"
#include "client/testing/client_test.h"

namespace {

using client_testing::ListRows;
using client_testing::SimulatedBackEndTest;

using SimulatedAccountOperations = SimulatedBackEndTest;

TEST_F(SimulatedAccountOperations, AnswersComeOverTheTransportAndTheLogOutReachesTheBackEnd) {
  std::string message;
  ASSERT_TRUE(client::Login(message, {backend::kTradingLogin, "10001", "111111"})) << message;
  StartEngineOverTransport();
  ASSERT_TRUE(engine.MakeReady());

  client::SystemDate systemDate;
  ASSERT_TRUE(client::QuerySystemDate(systemDate, message)) << message;
  EXPECT_EQ(systemDate.date.size(), 8u);
  EXPECT_EQ(systemDate.tradingDate, systemDate.date);
  ASSERT_EQ(systemDate.time.size(), 8u);
  EXPECT_EQ(systemDate.time[2], ':');

  // Rows come as follow-up packets: one row list per exchange.
  backend::CxDataSet rows;
  ASSERT_TRUE(client::QuerySettlementParams(rows, message)) << message;
  const std::vector<std::vector<std::string>> parameters = ListRows(rows);
  ASSERT_EQ(parameters.size(), 4u);
  EXPECT_EQ(parameters[0], (std::vector<std::string>{"S", "STATUS", "0", "开市"}));

  EXPECT_TRUE(client::QueryFunds("10001", message)) << message;

  EXPECT_TRUE(client::Logout());
  EXPECT_EQ(RequestsOf(5461).size(), 1u);
}

}  // namespace
