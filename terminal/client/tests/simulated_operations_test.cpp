// The operations of management accounts, quotations and option applications
// against the simulated back end, through the real transport and the engine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/testing/transport_calls.h"
#include "client/async_operations.h"
#include "client/login.h"
#include "client/management_operations.h"
#include "client/operation_frame.h"
#include "client/option_operations.h"
#include "client/quote_operations.h"
#include "client/testing/client_test.h"

namespace {

using backend_testing::NextResult;
using client_testing::OutputLine;
using client_testing::SimulatedBackEndTest;

class SimulatedOperations : public SimulatedBackEndTest {
 protected:
  // Logs in, starts the engine over the transport and makes it ready.
  void LogIn(int role, const char* customer, const char* password) {
    std::string message;
    ASSERT_TRUE(client::Login(message, {role, customer, password})) << message;
    StartEngineOverTransport();
    ASSERT_TRUE(engine.MakeReady());
  }

  // The trading date of the account on slot 0, as its log-in answered it.
  static std::string TradingDate() { return client::SlotZeroLoginValue(); }

  // The customer logged in on the connection that carried the requests of
  // one function.
  std::vector<std::string> CustomersOf(int function) const {
    std::vector<std::string> customers;
    for (const simbackend::ReceivedRequest& request : server->Requests()) {
      if (request.function == function) customers.push_back(request.customer);
    }
    return customers;
  }
};

TEST_F(SimulatedOperations, TheQuotationComesOverTheQuoteConnection) {
  LogIn(backend::kTradingLogin, "10001", "111111");
  client::QuoteServerInfo info;
  std::string message;
  ASSERT_TRUE(client::QueryQuoteServerInfo(info, message)) << message;
  ASSERT_TRUE(client::LoginQuoteGateway(message, info)) << message;

  backend::QuoteRecord quote;
  ASSERT_TRUE(client::GetQuoteOrQuery("S", "cu2701", quote, message)) << message;
  EXPECT_STREQ(quote.szExchange, "S");
  EXPECT_STREQ(quote.szCode, "cu2701");
  EXPECT_STRNE(quote.szName, "");
  EXPECT_FLOAT_EQ(quote.fPreSettlementPrice, 76430);
  EXPECT_GT(quote.fUpperLimitPrice, quote.fLowerLimitPrice);
  EXPECT_GT(quote.fLowerLimitPrice, 0);
  EXPECT_EQ(CustomersOf(5007), (std::vector<std::string>{"quote"}));

  EXPECT_FALSE(client::GetQuoteOrQuery("S", "cu2799", quote, message));
  EXPECT_EQ(message, "查询合约cu2799 价格失败！");
  EXPECT_EQ(shell.OutputLines(), (std::vector<OutputLine>{{"查询合约cu2799 价格失败！", client::kNoticeLine}}));
}

TEST_F(SimulatedOperations, AManagerKeepsTheStatusAndMoneyOfItsSubAccounts) {
  LogIn(backend::kManagementLogin, "90001", "999999");
  std::string message;
  EXPECT_TRUE(client::MaintainCustomerStatus("20001", "4", message)) << message;
  EXPECT_FALSE(client::MaintainCustomerStatus("20001", "9", message));
  EXPECT_EQ(message, "客户状态'9'无效！");

  std::string entryNo;
  ASSERT_TRUE(client::EditCustomerIOMoney("20001", "1", "", "1", "1000.50", "入金", entryNo, message)) << message;
  EXPECT_FALSE(entryNo.empty());
  EXPECT_TRUE(client::ReviewCustomerIOMoney(entryNo, message)) << message;
  EXPECT_FALSE(client::ReviewCustomerIOMoney(entryNo, message));
  EXPECT_EQ(message, "出入金流水号" + entryNo + "已经复核！");

  // The history comes back asynchronously: the entry and the total.
  ASSERT_TRUE(client::QueryHisIOFund("20001", TradingDate(), TradingDate(), "1", message)) << message;
  const backend::RequestPtr history = NextResult();
  ASSERT_NE(history, nullptr);
  EXPECT_STREQ(history->handlerTag, "_QueryHisIOFund");
  EXPECT_EQ(history->connection, 1) << "the sub-account's own connection";
  EXPECT_EQ(backend::CheckReplyResult(0, message, history.get()), 0) << message;
  EXPECT_EQ(history->At(0)->answer.GetCount(), 3u);

  std::string result;
  ASSERT_TRUE(client::CheckInToCTP("10001", "111111", "1", result, message)) << message;
  EXPECT_EQ(result, TradingDate());
  EXPECT_EQ(message, "签入CTP系统成功！");
  EXPECT_FALSE(client::CheckInToCTP("10001", "wrong", "1", result, message));
  EXPECT_EQ(message, "CTP用户名或密码错误！");
}

TEST_F(SimulatedOperations, AnExerciseApplicationIsSentAndCancelled) {
  LogIn(backend::kTradingLogin, "10001", "111111");
  std::string message;
  backend::ExerciseOrderRow sent{};
  ASSERT_TRUE(client::SendOptionsExerciseOrder({"S", "cu2702C77000", "0", "0", "2", "TC01", "SEAT1", "1"}, "10001",
                                               sent, message))
      << message;
  EXPECT_STREQ(sent.szAccount, "10001");
  EXPECT_STREQ(sent.szExchangeCode, "S");
  EXPECT_STREQ(sent.szContractCode, "cu2702C77000");
  EXPECT_STREQ(sent.szLots, "2");
  EXPECT_STREQ(sent.szKey, "SEAT1");
  EXPECT_STREQ(sent.szKindFlag, "1");
  EXPECT_STREQ(sent.szAmounts[0], "0.00");
  ASSERT_STRNE(sent.szApplicationNo, "");

  backend::ExerciseOrderRow cancelled{};
  ASSERT_TRUE(client::CancelOptionsExerciseOrder({sent.szApplicationNo, "", "", "S", ""}, "10001", cancelled, message))
      << message;
  EXPECT_STREQ(cancelled.szApplicationNo, sent.szApplicationNo);
  EXPECT_STREQ(cancelled.szKey, "SEAT1");
  EXPECT_STREQ(cancelled.szKindFlag, "1");
  EXPECT_STRNE(cancelled.szStateCode, sent.szStateCode);
  EXPECT_FALSE(
      client::CancelOptionsExerciseOrder({sent.szApplicationNo, "", "", "S", ""}, "10001", cancelled, message));
  EXPECT_EQ(message, "期权执行申请" + std::string(sent.szApplicationNo) + "已经撤销！");
}

TEST_F(SimulatedOperations, WithoutOptionPositionsNothingCanBeAbandoned) {
  LogIn(backend::kTradingLogin, "10001", "111111");
  std::string message;
  client::OptionsAbandonApplication application;
  application.members[4] = "S";
  application.members[6] = "cu2702C77000";
  application.members[12] = "1";
  EXPECT_FALSE(client::ApplyOptionsAbandon(application, message));
  EXPECT_EQ(message, "合约cu2702C77000没有可放弃执行的持仓！");

  ASSERT_TRUE(client::QueryOptionsExercise(message)) << message;
  const backend::RequestPtr abandonable = NextResult();
  ASSERT_NE(abandonable, nullptr);
  EXPECT_STREQ(abandonable->handlerTag, "_QueryOptionsExercise");
  EXPECT_EQ(backend::CheckReplyResult(0, message, abandonable.get()), 0) << message;
  EXPECT_EQ(abandonable->At(0)->answer.GetCount(), 1u);
}

}  // namespace
