// Deposits and withdrawals, the management of sub-accounts, the CTP
// check-in and option exercise applications, as a client sees them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "order_client.h"
#include "server_fixture.h"

namespace simbackend_test {
namespace {

using AccountFunctionsTest = ServerFixture;

struct Refused {
  const char* what;
  std::vector<std::string> parameters;
  const char* code;
};

std::string HistoryText(int sequence, const std::string& customer, const std::string& password,
                        const std::string& first, const std::string& last, const std::string& direction) {
  return RequestText(sequence, 5006, customer, password, {first, last, "", "", direction, ""});
}

std::vector<std::string> MoneyParameters(const std::string& customer, const std::string& direction,
                                         const std::string& amount) {
  return {"90001", customer, "1", "20261210", "0", "", "1", "", direction, amount, " 调入 "};
}

TEST_F(AccountFunctionsTest, TheMoneyHistoryListsTheEntriesOfTheRangeAndDirectionWithATotal) {
  auto client = LoggedIn("10001", "111111");
  const std::string status = client->Call(HistoryText(2, "10001", "111111", "20261101", "20261231", ""));
  ASSERT_EQ(Field(status, 4), "Y") << status;
  const std::vector<std::string> rows = FetchRows(*client, 2, status);
  ASSERT_EQ(rows.size(), 4u);
  const std::vector<std::string> deposit = {"20261120", "100001", "0.00", "1000000.00", "开户入金", "10001",
                                            "人民币",   "1",      "3",    "01",         "1"};
  for (std::size_t field = 4; field <= 14; ++field) EXPECT_EQ(Field(rows[0], field), deposit[field - 4]) << field;
  EXPECT_EQ(Field(rows[1], 6), "50000.00");
  EXPECT_EQ(Field(rows[1], 7), "0.00");
  EXPECT_EQ(Field(rows[1], 11), "2");
  EXPECT_EQ(Field(rows[3], 4), "合计");
  EXPECT_EQ(Field(rows[3], 6), "50000.00");
  EXPECT_EQ(Field(rows[3], 7), "1200000.00");

  struct Range {
    const char* first;
    const char* last;
    const char* direction;
    const char* rows;
  };
  for (const Range& r : {Range{"20261201", "20261231", "", "3"}, Range{"20261101", "20261231", "0", "2"},
                         Range{"20261121", "20261130", "", "0"}}) {
    SCOPED_TRACE(std::string(r.first) + " " + r.direction);
    EXPECT_EQ(Field(client->Call(HistoryText(3, "10001", "111111", r.first, r.last, r.direction)), 5), r.rows);
  }
  EXPECT_EQ(Field(client->Call(HistoryText(4, "10001", "111111", "2026-12-01", "20261231", "")), 5), "2002");
  EXPECT_EQ(Field(client->Call(HistoryText(5, "10001", "111111", "20261201", "20261231", "3")), 5), "2002");
}

TEST_F(AccountFunctionsTest, TheManagerSetsTheStatusAndEntersMoneyOfItsSubAccountsOnly) {
  auto manager = Connect();
  ASSERT_EQ(Field(manager->Call(ManagementLoginText(1, "90001", "999999")), 4), "Y");
  const auto call = [&](int function, const std::vector<std::string>& parameters) {
    return manager->Call(RequestText(2, function, "90001", "999999", parameters));
  };
  const std::string status = call(5057, {"90001", "20001", "4"});
  EXPECT_EQ(Field(status, 4), "Y");
  EXPECT_EQ(Field(status, 5), "20001");
  EXPECT_EQ(Field(status, 6), "4");

  const std::string entered = call(5058, MoneyParameters("20001", "1", "1234.50"));
  ASSERT_EQ(Field(entered, 4), "Y") << entered;
  const std::string serial = Field(entered, 5);
  EXPECT_EQ(serial, "100006");

  auto subAccount = Connect();
  ASSERT_EQ(Field(subAccount->Call(SubAccountLoginText(1, "20001", "999999", "90001")), 4), "Y");
  const std::string today = HistoryText(2, "20001", "999999", "20261210", "20261210", "");
  EXPECT_EQ(Field(subAccount->Call(today), 5), "0");  // not yet reviewed

  EXPECT_EQ(Field(call(5059, {"90001", "20261210", serial}), 5), serial);
  const std::string history = subAccount->Call(today);
  const std::vector<std::string> rows = FetchRows(*subAccount, 2, history);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(Field(rows[0], 7), "1234.50");
  EXPECT_EQ(Field(rows[0], 8), "调入");
  EXPECT_EQ(Field(rows[0], 12), "1");

  const Refused refusals[] = {
      {"status of an account it does not manage", {"90001", "10001", "0"}, "1004"},
      {"unknown status", {"90001", "20001", "9"}, "2002"},
  };
  for (const Refused& r : refusals) EXPECT_EQ(Field(call(5057, r.parameters), 5), r.code) << r.what;
  const Refused moneyRefusals[] = {
      {"three decimals", MoneyParameters("20001", "1", "12.345"), "2002"},
      {"nothing", MoneyParameters("20001", "1", "0"), "2002"},
      {"direction 3", MoneyParameters("20001", "3", "1"), "2002"},
      {"account of nobody", MoneyParameters("10001", "1", "1"), "1004"},
  };
  for (const Refused& r : moneyRefusals) EXPECT_EQ(Field(call(5058, r.parameters), 5), r.code) << r.what;
  const Refused reviewRefusals[] = {
      {"reviewed twice", {"90001", "20261210", serial}, "2004"},
      {"unknown serial", {"90001", "20261210", "999"}, "2003"},
      {"entry of another account", {"90001", "20261210", "100001"}, "2003"},
  };
  for (const Refused& r : reviewRefusals) EXPECT_EQ(Field(call(5059, r.parameters), 5), r.code) << r.what;

  auto trader = LoggedIn("10001", "111111");
  EXPECT_EQ(Field(trader->Call(RequestText(2, 5057, "10001", "111111", {"10001", "10001", "0"})), 5), "1006");
}

TEST_F(AccountFunctionsTest, TheCtpCheckInTakesTheBackEndsTradingAccounts) {
  auto client = LoggedIn("10001", "111111");
  const auto checkIn = [&](const std::string& user, const std::string& password) {
    return client->Call(
        RequestText(2, 5137, "10001", "111111", {"10001", user, password, "1", "0", kClientIp, kMachineAddress}));
  };
  const std::string answer = checkIn(" 10001 ", "111111");
  ASSERT_EQ(Field(answer, 4), "Y") << answer;
  EXPECT_EQ(Field(answer, 5), "10001");
  EXPECT_EQ(Field(answer, 6), "1");
  EXPECT_EQ(Field(answer, 7), "20261210");
  EXPECT_EQ(Field(answer, 8), "签入CTP系统成功！");
  EXPECT_EQ(Field(checkIn("10001", "x"), 5), "2006");
  EXPECT_EQ(Field(checkIn("90001", "999999"), 5), "2006");
  EXPECT_EQ(Field(checkIn(" \t", "x"), 6), "CTP用户名不能为空！");
}

std::vector<std::string> ExerciseParameters(const std::string& exchange, const std::string& contract,
                                            const std::string& buySell, const std::string& lots,
                                            const std::string& type) {
  return {exchange, contract, buySell, "0", lots, "81000101", "S001", type, "", "", "", "", "", "", "A"};
}

// The next push line of an exercise application.
std::string ExercisePush(RawClient& client) {
  const std::vector<std::string> lines = PushesWithCodes(client, {15012, 15013}, 1);
  return lines.empty() ? std::string() : lines[0];
}

TEST_F(AccountFunctionsTest, ExerciseApplicationsAreEnteredAndCancelledOnceWithTheirPushes) {
  auto client = LoggedIn("10001", "111111");
  const auto call = [&](int function, const std::vector<std::string>& parameters) {
    return client->Call(RequestText(2, function, "10001", "111111", parameters));
  };
  const std::string sent = call(5240, ExerciseParameters("S", "cu2702C76000", "0", "3", "1"));
  ASSERT_EQ(Field(sent, 4), "Y") << sent;
  EXPECT_EQ(FieldCount(sent), 38u);
  // clang-format off
  ExpectFields(sent, {{5, "10001"},    {6, "1"},     {7, "S"},         {8, "cu2702C76000"}, {9, "a"},
                      {10, "0"},       {11, "0"},    {12, "3"},        {13, "81000101"},    {14, "09:30:05"},
                      {15, "20261210"}, {16, "S001"}, {19, ""},         {25, "S001"},        {34, "0.00"},
                      {35, "0.00"},    {38, "1"}});
  ExpectFields(ExercisePush(*client), {{4, "15012"}, {8, "10001"}, {9, "1"}, {10, "S"}, {11, "cu2702C76000"},
                                       {12, "a"}, {13, "0"}, {14, "0"}, {15, "3"}, {28, "1"}, {31, "S001"},
                                       // clang-format on
                                       {42, "1"}});
  EXPECT_EQ(Field(call(5240, ExerciseParameters("sfe", "cu2702C76000", "0", "1", "1")), 6), "2");

  const std::string cancelled = call(5241, {"1", "S001", "10001", "S", "S001", "1"});
  ASSERT_EQ(Field(cancelled, 4), "Y") << cancelled;
  EXPECT_EQ(FieldCount(cancelled), 25u);
  ExpectFields(cancelled,
               {{6, "1"}, {8, "cu2702C76000"}, {9, "d"}, {12, "3"}, {16, "09:30:05"}, {20, "S001"}, {25, "1"}});
  // The second application's push came before the cancel's.
  EXPECT_EQ(Field(ExercisePush(*client), 9), "2");
  // clang-format off
  ExpectFields(ExercisePush(*client), {{4, "15013"}, {9, "1"}, {12, "d"}, {15, "3"}, {16, "81000101"},
                                       {25, "09:30:05"}, {28, "2"}, {31, "S001"}, {42, "1"}});
  // clang-format on

  const Refused cancelRefusals[] = {
      {"cancelled twice", {"1", "S001", "10001", "S", "S001", "1"}, "2004"},
      {"unknown number", {"9", "S001", "10001", "S", "S001", "1"}, "2003"},
      {"cancelled twice, its number padded", {"001", "S001", "10001", "S", "S001", "1"}, "2004"},
      {"no number", {"x", "S001", "10001", "S", "S001", "1"}, "2003"},
      {"other exchange", {"2", "S001", "10001", "D", "S001", "2"}, "2003"},
  };
  for (const Refused& r : cancelRefusals) EXPECT_EQ(Field(call(5241, r.parameters), 5), r.code) << r.what;
  const Refused sendRefusals[] = {
      {"futures", ExerciseParameters("S", "cu2702", "0", "1", "1"), "2002"},
      {"unknown option", ExerciseParameters("S", "cu2702C99999", "0", "1", "1"), "2001"},
      {"type 3", ExerciseParameters("S", "cu2702C76000", "0", "1", "3"), "2002"},
      {"short position", ExerciseParameters("S", "cu2702C76000", "1", "1", "1"), "2002"},
      {"no lots", ExerciseParameters("S", "cu2702C76000", "0", "0", "1"), "2002"},
      {"abandon where the seat exercises only", ExerciseParameters("S", "cu2702C76000", "0", "1", "2"), "2009"},
  };
  for (const Refused& r : sendRefusals) EXPECT_EQ(Field(call(5240, r.parameters), 5), r.code) << r.what;

  // Another account cannot cancel this account's applications.
  auto other = LoggedIn("20001", "222222");
  EXPECT_EQ(Field(other->Call(RequestText(2, 5241, "20001", "222222", {"2", "S001", "20001", "S", "S001", "2"})), 5),
            "2003");
}

TEST_F(AccountFunctionsTest, OptionsHeldLongMayBeAbandonedOnTheirExerciseDay) {
  auto client = LoggedIn("10001", "111111");
  const auto call = [&](int sequence, int function, const std::vector<std::string>& parameters) {
    return client->Call(RequestText(sequence, function, "10001", "111111", parameters));
  };
  const auto abandonable = [&](const std::string& day) {
    const std::string list = call(2, 5244, {day, day, "", "", ""});
    EXPECT_EQ(Field(list, 4), "Y") << list;
    return FetchRows(*client, 2, list);
  };
  // IO2612-C-3900, held long, is exercised on the 18th; the Zhengzhou and
  // Dalian options later; Shanghai's seat exercises only.
  EXPECT_TRUE(abandonable("20261210").empty());
  EXPECT_EQ(Field(call(3, 5243, {"20261210", "J", "IO2612-C-3900", "1"}), 5), "2005");

  clock_.Set({2026, 12, 18, 6, 9, 30, 5, 0}, 1000);
  const std::vector<std::string> rows = abandonable("20261218");
  ASSERT_EQ(rows.size(), 1u);
  // Index 3915.2 above the strike 3900: 15.2 x 100 x 2 lots in the money.
  // clang-format off
  ExpectFields(rows[0], {{4, "20261218"}, {5, "10001"}, {6, "J001"}, {7, "31000101"}, {8, "J"}, {9, "0"},
                         {10, "IO2612-C-3900"}, {11, "2"}, {12, "0"}, {13, "3040.00"}, {14, "0"}, {15, "2"},
                         {16, "0"}, {17, "3915.2"}});
  // clang-format on

  const std::string applied = call(3, 5243, {"20261218", "J", "IO2612-C-3900", "1"});
  ASSERT_EQ(Field(applied, 4), "Y") << applied;
  ExpectFields(applied, {{5, "20261218"}, {11, "IO2612-C-3900"}, {16, "1"}, {17, "1"}});
  ExpectFields(ExercisePush(*client), {{4, "15012"}, {11, "IO2612-C-3900"}, {12, "a"}, {15, "1"}, {42, "2"}});
  const Refused refusals[] = {
      {"more than is free", {"20261218", "J", "IO2612-C-3900", "2"}, "2005"},
      {"an option not held", {"20261218", "J", "IO2612-P-3950", "1"}, "2005"},
      {"no lots", {"20261218", "J", "IO2612-C-3900", "0"}, "2002"},
      {"unknown option", {"20261218", "S", "cu2702C1", "1"}, "2001"},
  };
  for (const Refused& r : refusals) EXPECT_EQ(Field(call(4, 5243, r.parameters), 5), r.code) << r.what;
}

}  // namespace
}  // namespace simbackend_test
