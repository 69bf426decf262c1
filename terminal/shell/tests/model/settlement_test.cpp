#include "shell/settlement.h"

#include <gtest/gtest.h>

namespace {

backend::AccountRecord Account(const char* mode, const char* confirmed, const char* notices = "0") {
  backend::AccountRecord account;
  std::string line = "A|1|2|Y|张三|0.1234||2|20260309|127.0.0.1|20260308|15:00:00|5|";
  line += std::string(mode) + "|" + confirmed + "|" + notices + "|";
  backend::FillAccountFromAnswer(account, line);
  std::snprintf(account.key.customerNo, sizeof account.key.customerNo, "10001");
  return account;
}

class StatementTest : public ::testing::Test {
 protected:
  StatementTest() {
    services.query = [this](std::vector<std::string>& lines, std::string& message) {
      ++queries;
      lines = {"结算单第一行", "结算单第二行"};
      message = "结算单服务器未启动";
      return queryWorks;
    };
    services.showReport = [this](const std::vector<std::string>& lines) {
      shown = lines;
      return pressConfirm;
    };
    services.confirm = [this](std::string& message) {
      ++confirmations;
      message = "超时";
      return confirmWorks;
    };
    services.log = [this](int, const std::string& text) { log.push_back(text); };
    services.message = [this](const std::string& text, const std::string& caption) {
      messages.push_back(caption + ":" + text);
    };
  }
  shell::StatementServices services;
  bool queryWorks = true, pressConfirm = true, confirmWorks = true;
  int queries = 0, confirmations = 0;
  std::vector<std::string> shown, log, messages;
};

TEST_F(StatementTest, NothingToShowPassesWithoutAQuery) {
  EXPECT_TRUE(shell::ConfirmSettlementStatementAtLogin(Account("0", "0"), 2, services));
  EXPECT_TRUE(shell::ConfirmSettlementStatementAtLogin(Account("2", "1"), 2, services));
  EXPECT_TRUE(shell::ConfirmSettlementStatementAtLogin(Account("2", "0"), 1, services));
  EXPECT_EQ(queries, 0);
}

TEST_F(StatementTest, OutcomesByModeAndButton) {
  struct Case {
    const char* mode;
    bool confirm, confirmWorks, result;
    int confirmations;
    const char* lastLog;
  };
  const Case cases[] = {
      {"2", true, true, true, 1, "下载了结算单并确认成功。"},
      {"2", true, false, false, 1, "需要确认结算单，但确认结算单失败：超时"},
      {"1", true, true, true, 0, "下载了结算单但不需要确认结算单。"},
      {"2", false, true, false, 0, "需要确认结算单但未确认，退出程序。"},
      {"1", false, true, true, 0, "没有选择确认结算单。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lastLog);
    log.clear();
    confirmations = 0;
    pressConfirm = c.confirm;
    confirmWorks = c.confirmWorks;
    EXPECT_EQ(shell::ConfirmSettlementStatementAtLogin(Account(c.mode, "0"), 2, services), c.result);
    EXPECT_EQ(confirmations, c.confirmations);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), c.lastLog);
    EXPECT_EQ(shown, (std::vector<std::string>{"结算单第一行", "结算单第二行"}));
  }
}

TEST_F(StatementTest, AFailedQueryIsReportedAndStartUpGoesOn) {
  queryWorks = false;
  EXPECT_TRUE(shell::ConfirmSettlementStatementAtLogin(Account("2", "0"), 2, services));
  EXPECT_EQ(log, std::vector<std::string>{"结算单服务器未启动"});
  EXPECT_EQ(messages, std::vector<std::string>{"提示:查询结算单不成功，可能原因为结算单不存在或结算单服务器未启动。"});
  EXPECT_TRUE(shown.empty());
}

TEST(CustomerInformation, TextsFromTheLoginAnswerAndNoticesOnlyForTradingRole) {
  int noticeQueries = 0;
  const auto notices = [&](std::string& text) {
    ++noticeQueries;
    text = "重要通知";
    return true;
  };
  const shell::CustomerInformation texts = shell::DescribeCustomer(Account("0", "0", "1"), 2, notices);
  EXPECT_EQ(texts, (shell::CustomerInformation{"张三", "10001", "强平", "12.34%", "127.0.0.1", "20260308", "15:00:00",
                                               "单帐户版", "重要通知"}));
  EXPECT_EQ(shell::DescribeCustomer(Account("0", "0", "1"), 1, notices)[8], "");
  EXPECT_EQ(shell::DescribeCustomer(Account("0", "0", "0"), 2, notices)[8], "");
  EXPECT_EQ(noticeQueries, 1);
}

}  // namespace
