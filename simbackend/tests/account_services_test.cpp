// The account's services besides trading, as a client sees them: passwords,
// settlement statements, notices and bulletins, seat clocks, the monitoring
// centre's key, one order's state, and the functions the back end refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "order_client.h"

namespace simbackend_test {
namespace {

using AccountServicesTest = OrderTest;

std::string LoginAnswer(RawClient& client, const std::string& customer, const std::string& password) {
  return client.Call(TradingLoginText(1, customer, password));
}

// The first line that starts with `head`; empty when none does.
std::string LineStartingWith(const std::vector<std::string>& lines, const std::string& head) {
  for (const std::string& line : lines)
    if (line.rfind(head, 0) == 0) return line;
  return {};
}

TEST_F(AccountServicesTest, ANewTradingPasswordKeepsTheRulesAndLogsInFromThenOn) {
  const auto call = [&](int function, const std::string& password, const std::vector<std::string>& parameters) {
    return demo_->Call(RequestText(++sequence_, function, "10001", password, parameters));
  };
  const std::string rules = call(5126, "111111", {"1"});
  const std::vector<std::string> lines = FetchRows(*demo_, sequence_, rules);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Field(lines[0], 4), "交易密码由6到8位数字或英文字母组成");

  struct Refused {
    const char* what;
    std::string signer;  // the old password
    std::string next;
    const char* code;
    const char* text;
  } const refusals[] = {
      {"wrong old password", "111112", "abc123", "1002", "原交易密码错误！"},
      {"too short", "111111", "abc12", "2002", "新密码不符合规则：交易密码由6到8位数字或英文字母组成！"},
      {"not letters or digits", "111111", "abc-123", "2002", "新密码不符合规则：交易密码由6到8位数字或英文字母组成！"},
      {"the old one", "111111", "111111", "2002", "新密码不符合规则：新密码不能与原密码相同！"},
      {"one character", "111111", "aaaaaa", "2002", "新密码不符合规则：新密码不能全部是同一个字符！"},
  };
  for (const Refused& r : refusals) {
    const std::string answer = call(5013, r.signer, {r.next, "1"});
    EXPECT_EQ(Field(answer, 5), r.code) << r.what;
    EXPECT_EQ(Field(answer, 6), r.text) << r.what;
  }
  ASSERT_EQ(Field(call(5013, "111111", {"abc123", "1"}), 4), "Y");

  // The session goes on, signed by the new password.
  EXPECT_EQ(Field(call(5002, "111111", {""}), 5), "1005");
  EXPECT_EQ(Field(call(5002, "abc123", {""}), 4), "Y");
  EXPECT_EQ(Field(LoginAnswer(*Connect(), "10001", "111111"), 5), "1002");
  EXPECT_EQ(Field(LoginAnswer(*Connect(), "10001", "abc123"), 4), "Y");

  // The fund password is a kind of its own, signed by itself.
  EXPECT_EQ(Field(call(5013, "111111", {"12345a", "2"}), 6), "新密码不符合规则：资金密码由6位数字组成！");
  ASSERT_EQ(Field(call(5013, "111111", {"654321", "2"}), 4), "Y");
  EXPECT_EQ(Field(call(5013, "111111", {"654320", "2"}), 6), "原资金密码错误！");
  EXPECT_EQ(Field(call(5013, "654321", {"654320", "2"}), 4), "Y");
  EXPECT_EQ(Field(call(5013, "654320", {"654321", "4"}), 5), "2002");
}

TEST_F(AccountServicesTest, AManagersNewPasswordSignsItsSubAccountsToo) {
  auto manager = Connect();
  ASSERT_EQ(Field(manager->Call(ManagementLoginText(1, "90001", "999999")), 4), "Y");
  const auto change = [&](const std::vector<std::string>& parameters) {
    return manager->Call(RequestText(2, 5050, "90001", "999999", parameters));
  };
  EXPECT_EQ(Field(change({"20001", "20001", "999999", "mgr2026"}), 5), "1005");
  EXPECT_EQ(Field(change({"90001", "90001", "999990", "mgr2026"}), 5), "1002");
  ASSERT_EQ(Field(change({"90001", "90001", "999999", "mgr2026"}), 4), "Y");

  EXPECT_EQ(Field(Connect()->Call(ManagementLoginText(1, "90001", "mgr2026")), 4), "Y");
  EXPECT_EQ(Field(Connect()->Call(SubAccountLoginText(1, "20001", "999999", "90001")), 5), "1002");
  EXPECT_EQ(Field(Connect()->Call(SubAccountLoginText(1, "20001", "mgr2026", "90001")), 4), "Y");
}

TEST_F(AccountServicesTest, StatementsShowTheBookOfTheDayAndOfTheMonthAndTheirConfirmationIsKept) {
  const auto statement = [&](const std::string& period, const std::string& date) {
    const std::string status = demo_->Call(RequestText(++sequence_, 5472, "10001", "111111", {period, date}));
    EXPECT_EQ(Field(status, 4), "Y") << status;
    std::vector<std::string> lines;
    for (const std::string& row : FetchRows(*demo_, sequence_, status)) lines.push_back(Field(row, 4));
    return lines;
  };
  // What follows the first label of a line.
  const auto amountOf = [](const std::string& line) {
    const std::string colon = "：";
    return line.substr(line.find_first_not_of(' ', line.find(colon) + colon.size()));
  };

  // A fill of the morning reaches the statement of the day.
  ASSERT_EQ(Field(Placed({"D", "m2705", "0", "0", "1", Best("D", "m2705").ask}), 4), "Y");
  const simbackend::AccountView book = *server_->Book("10001");
  const std::vector<std::string> day = statement("1", "");
  EXPECT_NE(day[0].find("交易结算单（日结）"), std::string::npos);
  EXPECT_EQ(LineStartingWith(day, "结算日期："), "结算日期：20261210");
  EXPECT_EQ(amountOf(LineStartingWith(day, "上日结存：")).rfind("1185620.50", 0), 0u);
  EXPECT_EQ(amountOf(LineStartingWith(day, "当日出入金：")).rfind("0.00", 0), 0u);
  EXPECT_NE(LineStartingWith(day, "平仓盈亏：").find(book.funds.closingProfit), std::string::npos);
  EXPECT_NE(LineStartingWith(day, "手续费：").find(book.funds.available), std::string::npos);
  EXPECT_NE(LineStartingWith(day, "上日结存：").find(book.funds.equity), std::string::npos);
  const std::string lastFill = LineStartingWith(day, "20261210  " + book.trades.back().fillNumber);
  EXPECT_NE(lastFill.find("m2705"), std::string::npos) << lastFill;
  EXPECT_EQ(day, statement("1", "20261210"));

  // The month's: what came in and went out in December, from the balance before it.
  const std::vector<std::string> month = statement("2", "");
  EXPECT_EQ(LineStartingWith(month, "结算月份："), "结算月份：202612");
  EXPECT_EQ(amountOf(LineStartingWith(month, "期初结存：")).rfind("1035620.50", 0), 0u);
  EXPECT_EQ(amountOf(LineStartingWith(month, "本月出入金：")).rfind("150000.00", 0), 0u);
  EXPECT_NE(LineStartingWith(month, "20261201  100002").find("50000.00"), std::string::npos);
  EXPECT_EQ(amountOf(LineStartingWith(month, "期末结存：")), amountOf(LineStartingWith(day, "当日结存：")));

  struct Refused {
    const char* what;
    std::string period, date;
    const char* code;
  } const refusals[] = {
      {"another day", "1", "20261209", "2003"},
      {"another month", "2", "202611", "2003"},
      {"no such period", "3", "", "2002"},
  };
  for (const Refused& r : refusals)
    EXPECT_EQ(Field(demo_->Call(RequestText(2, 5472, "10001", "111111", {r.period, r.date})), 5), r.code) << r.what;

  EXPECT_EQ(Field(LoginAnswer(*Connect(), "10001", "111111"), 15), "0");
  ASSERT_EQ(Field(demo_->Call(RequestText(2, 5471, "10001", "111111")), 4), "Y");
  EXPECT_EQ(Field(LoginAnswer(*Connect(), "10001", "111111"), 15), "1");
}

TEST_F(AccountServicesTest, NoticesAndBulletinsAreThoseAddressedToTheCustomerOrToEverybody) {
  auto other = LoggedIn("20002", "333333");
  const auto rows = [&](RawClient& client, const std::string& customer, const std::string& password, int function,
                        const std::vector<std::string>& parameters) {
    const std::string status = client.Call(RequestText(++sequence_, function, customer, password, parameters));
    return FetchRows(client, sequence_, status);
  };
  EXPECT_EQ(rows(*demo_, "10001", "111111", 5491, {"", ""}).size(), 2u);
  const std::vector<std::string> notices = rows(*other, "20002", "333333", 5491, {"", ""});
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(Field(notices[0], 4), "系统将于本周六09:00至17:00停机维护，届时暂停出入金业务。");

  struct Board {
    const char* what;
    std::string customer, password, level, first, last;
    std::size_t rows;
  } const boards[] = {
      {"all of the demo account", "10001", "111111", "", "", "", 4},
      {"all of another account", "20002", "333333", "", "", "", 3},
      {"warnings", "10001", "111111", "2", "", "", 1},
      {"from the ninth", "10001", "111111", "", "20261209", "", 2},
      {"up to the eighth", "20002", "333333", "", "20261201", "20261208", 2},
  };
  for (const Board& b : boards) {
    RawClient& client = b.customer == "10001" ? *demo_ : *other;
    EXPECT_EQ(rows(client, b.customer, b.password, 5017, {b.level, "", b.first, b.last}).size(), b.rows) << b.what;
  }
  const std::vector<std::string> warning = rows(*demo_, "10001", "111111", 5017, {"2", "", "20261201", "20261231"});
  ASSERT_EQ(warning.size(), 1u);
  ExpectFields(warning[0], {{4, ""}, {5, "2"}, {8, "20261208"}, {9, "16:00:00"}});
  EXPECT_NE(Field(warning[0], 7).find("涨跌停板"), std::string::npos);
  EXPECT_EQ(Field(demo_->Call(RequestText(2, 5017, "10001", "111111", {"", "", "2026-12-01", ""})), 5), "2002");
}

TEST_F(AccountServicesTest, SeatClocksAndTheMonitoringCentreKeyAreAnswered) {
  const std::string status = demo_->Call(RequestText(2, 5125, "10001", "111111", {""}));
  const std::vector<std::string> seats = FetchRows(*demo_, 2, status);
  ASSERT_EQ(seats.size(), 4u);
  ExpectFields(LineWith(seats, 5, "D001"), {{4, "D"}, {6, "-2"}});
  ExpectFields(LineWith(seats, 5, "J001"), {{4, "J"}, {6, "0"}});

  const std::string first = demo_->Call(RequestText(3, 5406, "10001", "111111"));
  const std::string second = demo_->Call(RequestText(4, 5406, "10001", "111111"));
  ExpectFields(first, {{4, "Y"}, {5, "10001"}, {6, "8888"}, {7, "1"}});
  EXPECT_EQ(Field(second, 7), "2");
  const auto password = [](const std::string& key) { return Field(key, 8) + Field(key, 9) + Field(key, 10); };
  EXPECT_EQ(password(first).size(), 16u);
  EXPECT_NE(password(first), password(second));
}

TEST_F(AccountServicesTest, AnOrdersStateIsAnsweredFromTheBook) {
  const auto state = [&](const std::vector<std::string>& parameters) {
    return demo_->Call(RequestText(++sequence_, 5010, "10001", "111111", parameters));
  };
  ExpectFields(state({"0001012", "S001", "S"}), {{4, "Y"},
                                                 {5, "1012"},
                                                 {6, "S001"},
                                                 {7, "S"},
                                                 {8, "b"},
                                                 {9, "2"},
                                                 {10, "0"},
                                                 {11, "部成部撤"},
                                                 {12, "al2702"},
                                                 {13, "3"},
                                                 {14, "09:40:00"}});
  ASSERT_EQ(Field(Placed({"D", "m2705", "0", "0", "2", "2900"}), 4), "Y");
  ExpectFields(state({"1013", "", ""}), {{8, "a"}, {9, "0"}, {10, "2"}});
  for (const std::vector<std::string>& unknown :
       {std::vector<std::string>{"1012", "D001", ""}, {"1012", "", "dce"}, {"9999", "", ""}})
    EXPECT_EQ(Field(state(unknown), 5), "2003") << unknown[0] << " " << unknown[1] << " " << unknown[2];
}

TEST_F(AccountServicesTest, FunctionsTheTerminalNeverSendsAreRefusedAsUnknown) {
  for (const int function :
       {5321, 5322, 5460, 5462, 5463, 5464, 5465, 5466, 5467, 5474, 5475, 5476, 5478, 5479, 5480, 5481}) {
    const std::string answer = demo_->Call(RequestText(2, function, "10001", "111111"));
    EXPECT_EQ(Field(answer, 5), "9001") << function;
    EXPECT_EQ(Field(answer, 6), "模拟后台不支持功能号" + std::to_string(function) + "！");
  }
}

}  // namespace
}  // namespace simbackend_test
