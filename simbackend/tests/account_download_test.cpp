// What the terminal's engine downloads of each account, as a client sees it:
// trade codes, funds, positions, orders, exercise applications and trades of
// the demo account and of a management account's sub-account.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "download_test.h"

namespace simbackend_test {
namespace {

using AccountDownloadTest = DownloadTest;

struct RowsCase {
  const char* what;
  int function;
  std::vector<std::string> parameters;
  std::size_t rows;
  // The row to check: the first whose field `keyField` is `key`.
  std::size_t keyField;
  std::string key;
  std::vector<ExpectedField> fields;
};

void CheckRows(const Reply& reply, const RowsCase& c) {
  SCOPED_TRACE(c.what);
  EXPECT_EQ(Field(reply.status, 4), "Y") << reply.status;
  ASSERT_EQ(reply.rows.size(), c.rows);
  if (c.rows == 0) return;
  const std::string row = LineWith(reply.rows, c.keyField, c.key);
  ASSERT_FALSE(row.empty());
  ExpectFields(row, c.fields);
}

const std::vector<std::string> kAllOrders = {"", "", ""};
const std::vector<std::string> kToday = {"20261210", "20261210", "", "", "", "", "", "", ""};

TEST_F(AccountDownloadTest, TheDemoAccountsRowsComeInTheLayoutTheEngineLoads) {
  // clang-format off
  const RowsCase cases[] = {
      {"trade code for hedging only", 5300, {"", ""}, 5, 6, "31000102",
       {{4, "10001"}, {5, "J"}, {7, "1"}, {8, "J001"}, {9, "0"}}},
      {"position held over two days", 5132, {}, 20, 6, "70001",
       {{4, "20261207"}, {5, "20261207"}, {7, "S001"}, {8, "10001"}, {10, "S"}, {12, "81000101"}, {13, "cu"},
        {14, "2701"}, {15, "0"}, {16, "0"}, {17, "3"}, {18, "76430"}, {19, "75800"}, {20, "114645.00"},
        {21, "114645.00"}, {22, "5"}, {23, "ordinary"}, {24, ""}, {25, "cu2701"}}},
      // 0.1 x 76510 x 5 = 38255 of the underlying; OTM 7550: 38255 + 3005 - 3775 a lot.
      {"option sold on futures", 5132, {}, 20, 6, "70006", {{15, "1"}, {18, "601"}, {20, "74970.00"}}},
      // Index 3915.2: 0.12 x 3915.2 x 100 - 1520 + 4080.
      {"option sold on the index", 5132, {}, 20, 6, "70019", {{10, "J"}, {18, "40.8"}, {20, "49542.40"}}},
      {"hedge position", 5132, {}, 20, 6, "70020", {{12, "31000102"}, {16, "1"}, {20, "117372.00"}}},
      {"no combination positions", 5133, {}, 0, 4, "", {}},
      {"order partly filled, still working", 5134, kAllOrders, 12, 5, "1004",
       {{4, "10001"}, {6, "D"}, {7, "m2705"}, {9, "p"}, {10, "0"}, {11, "0"}, {12, "0"}, {13, "2960"}, {14, "5"},
        {15, "2"}, {17, "3"}, {18, "1004"}, {19, "09:05:00"}, {21, "01000101"}, {25, "A"}, {26, "D001"},
        {29, "3"}, {32, "D001"}, {34, ""}, {39, "0"}, {40, "0"}, {48, "4736.00"}, {52, "3.40"}, {56, ""},
        {57, "0.00"}}},
      {"option bought, working", 5134, kAllOrders, 12, 5, "1010", {{48, "0.00"}, {52, "5.00"}, {57, "7500.00"}}},
      {"futures sold, working", 5134, kAllOrders, 12, 5, "1006", {{48, "140940.00"}, {52, "27.01"}}},
      {"order cancelled", 5134, kAllOrders, 12, 5, "1007", {{9, "d"}, {17, "0"}, {24, "09:15:30"}, {48, "0.00"}}},
      {"one order by its keys", 5134, {"1006", "J", "J001"}, 1, 5, "1006", {{7, "IF2612"}}},
      {"orders of one exchange", 5134, {"", "cffex", ""}, 2, 5, "1011", {{16, "49.8"}}},
      {"trade of a close", 5003, kToday, 10, 20, "2009",
       {{4, "J"}, {5, "20261210"}, {6, "1011"}, {7, "IO2612-P-3900"}, {8, "沪深300股指期权2612-P-3900"}, {9, "0"},
        {11, "1"}, {13, "0"}, {15, "1"}, {16, "49.8"}, {17, "4980.00"}, {18, "31000101"}, {19, "1011"},
        {21, "2612"}, {22, "09:29:02"}, {23, "J001"}}},
      {"trades of other days", 5003, {"20261201", "20261209", "", "", "", "", "", "", ""}, 0, 4, "", {}},
      {"no exercise application yet", 5246, kAllOrders, 0, 4, "", {}},
  };
  // clang-format on
  for (const RowsCase& c : cases) CheckRows(QueryDemo(c.function, c.parameters), c);
}

TEST_F(AccountDownloadTest, AnExerciseApplicationIsListedWithItsKeys) {
  const std::string sent =
      CallDemo(5240, {"S", "cu2702C76000", "0", "0", "2", "81000101", "S001", "1", "", "", "", "", "", "", "A"});
  ASSERT_EQ(Field(sent, 4), "Y") << sent;
  const RowsCase listed = {"applications",
                           5246,
                           kAllOrders,
                           1,
                           5,
                           "1",
                           {{4, "10001"},
                            {6, "S"},
                            {7, "cu2702C76000"},
                            {8, "a"},
                            {9, "0"},
                            {10, "0"},
                            {11, "2"},
                            {12, "81000101"},
                            {13, "09:30:05"},
                            {14, "20261210"},
                            {15, "S001"},
                            {21, "81000101"},
                            {26, "S001"},
                            {31, "1"},
                            {35, "1"}}};
  CheckRows(QueryDemo(5246, kAllOrders), listed);
  CheckRows(QueryDemo(5246, {"1", "sfe", "S001"}), listed);
  CheckRows(QueryDemo(5246, {"2", "", ""}), {"another number", 5246, {}, 0, 4, "", {}});
}

// A money field of the funds line.
double Money(const std::string& line, std::size_t field) { return std::strtod(Field(line, field).c_str(), nullptr); }

// The funds line holds together as the engine recomputes it: totals of their
// parts, available funds and equity from the balance, the day's results and
// what is frozen and held.
void ExpectConsistentFunds(const std::string& funds) {
  EXPECT_NEAR(Money(funds, 24), Money(funds, 7) + Money(funds, 8) + Money(funds, 23) + Money(funds, 33), 0.001);
  EXPECT_NEAR(Money(funds, 25), Money(funds, 9) + Money(funds, 10), 0.001);
  EXPECT_NEAR(Money(funds, 22), Money(funds, 11) - Money(funds, 12), 0.001);
  const double common =
      Money(funds, 22) + Money(funds, 6) + Money(funds, 19) - Money(funds, 17) + Money(funds, 32) - Money(funds, 31);
  const double floating = Money(funds, 18);
  // "T1": a floating profit is not available, a loss is subtracted.
  EXPECT_NEAR(Money(funds, 13),
              common - Money(funds, 24) - Money(funds, 25) + Money(funds, 28) - Money(funds, 35) +
                  (floating < 0 ? floating : 0),
              0.011);
  EXPECT_NEAR(Money(funds, 14), common + floating + Money(funds, 34), 0.011);
}

TEST_F(AccountDownloadTest, TheDemoFundsFollowItsPositionsOrdersAndTrades) {
  const std::string funds = CallDemo(5002, {"20261210", ""});
  ASSERT_EQ(Field(funds, 4), "Y") << funds;
  EXPECT_EQ(FieldCount(funds), 35u);
  // Frozen by orders 1004 (2 lots working), 1006 and 1010; fees of the ten
  // trades; closes of cu2701 -300, cu2702 today +200, SR705 +300, al2702 -100.
  ExpectFields(funds, {{5, ""},
                       {6, "1185620.50"},
                       {7, "4736.00"},
                       {8, "140940.00"},
                       {11, "0.00"},
                       {12, "0.00"},
                       {16, "0"},
                       {17, "133.21"},
                       {19, "100.00"},
                       {22, "0.00"},
                       {23, "35.41"},
                       {24, "153211.41"},
                       {28, "0.00"},
                       {29, "CNY"},
                       {31, "6180.00"},
                       {32, "500.00"},
                       {33, "7500.00"}});
  ExpectConsistentFunds(funds);
}

TEST_F(AccountDownloadTest, MoneyReviewedTodayEntersTheFunds) {
  auto manager = Connect();
  ASSERT_EQ(Field(manager->Call(ManagementLoginText(1, "90001", "999999")), 4), "Y");
  const std::string entered = manager->Call(RequestText(
      2, 5058, "90001", "999999", {"90001", "20001", "1", "20261210", "0", "", "1", "", "1", "2500.50", "入金"}));
  ASSERT_EQ(Field(entered, 4), "Y") << entered;
  ASSERT_EQ(Field(manager->Call(RequestText(3, 5059, "90001", "999999", {"90001", "20261210", Field(entered, 5)})), 4),
            "Y");
  auto sub = Connect();
  ASSERT_EQ(Field(sub->Call(SubAccountLoginText(1, "20001", "999999", "90001")), 4), "Y");
  const std::string funds = Call(*sub, 5002, {"20261210", ""}, "20001", "999999");
  ExpectFields(funds, {{11, "2500.50"}, {12, "0.00"}, {22, "2500.50"}});
  ExpectConsistentFunds(funds);
}

TEST_F(AccountDownloadTest, ASubAccountAnswersWithItsOwnBusinessAndTheManagerWithNone) {
  auto sub = Connect();
  ASSERT_EQ(Field(sub->Call(SubAccountLoginText(1, "20001", "999999", "90001")), 4), "Y");
  const auto query = [&](int function, const std::vector<std::string>& parameters) {
    return Query(*sub, function, parameters, "20001", "999999");
  };
  // clang-format off
  const RowsCase cases[] = {
      {"trade codes", 5300, {"", ""}, 4, 5, "D", {{4, "20001"}, {6, "01000201"}}},
      {"hedge position on the index", 5132, {}, 4, 6, "71004",
       {{8, "20001"}, {16, "1"}, {18, "2706.8"}, {20, "81204.00"}}},
      {"working order", 5134, kAllOrders, 2, 5, "3002", {{7, "c2705"}, {48, "7488.00"}, {52, "4.80"}}},
      {"trade", 5003, kToday, 1, 20, "4001", {{7, "rb2705"}, {16, "3201"}}},
  };
  // clang-format on
  for (const RowsCase& c : cases) CheckRows(query(c.function, c.parameters), c);
  // rb2705: 3 of 10 lots closed at 3201 against 3196, their margin released.
  const std::string funds = Call(*sub, 5002, {"20261210", ""}, "20001", "999999");
  ExpectFields(funds, {{6, "498230.00"},
                       {7, "7488.00"},
                       {9, "101338.80"},
                       {10, "9964.00"},
                       {17, "9.60"},
                       {19, "150.00"},
                       {23, "4.80"}});
  ExpectConsistentFunds(funds);

  auto manager = Connect();
  ASSERT_EQ(Field(manager->Call(ManagementLoginText(1, "90001", "999999")), 4), "Y");
  for (const int function : {5002, 5300, 5132, 5134, 5003})
    EXPECT_EQ(Field(Call(*manager, function, {}, "90001", "999999"), 5), "1003") << function;
}

}  // namespace
}  // namespace simbackend_test

namespace simbackend_test {
namespace {

using SingleRowTest = DownloadTest;

TEST_F(SingleRowTest, RatesExercisableQuantitiesAndOptionParametersComeInOneLine) {
  struct Case {
    const char* what;
    int function;
    std::vector<std::string> parameters;
    std::size_t fieldCount;
    std::vector<ExpectedField> fields;
  };
  // clang-format off
  const Case cases[] = {
      {"futures rates", 5016, {"S", "S001", "cu2702", "1", "20261210", "0"}, 31,
       {{4, "Y"}, {5, ""}, {6, "10001"}, {7, "S"}, {8, "S001"}, {9, "cu2702"}, {10, "0.00005"}, {11, "0"},
        {12, "0"}, {13, "0.5"}, {16, "0.0001"}, {19, "0.5"}, {22, "0"}, {23, "0"}, {24, "0.10"}, {26, "0.10"},
        {28, "0.09"}, {31, "0"}}},
      {"option rates", 5016, {"sfe", "S001", "cu2702C76000", "1", "20261210", "1"}, 31,
       {{9, "cu2702C76000"}, {10, "0"}, {11, "5"}, {26, "0.10"}}},
      {"rates of no contract", 5016, {"S", "S001", "cu2799", "1", "20261210", ""}, 6, {{4, "N"}, {5, "2001"}}},
      {"index option parameters", 5245, {"J", "", "IO2612-P-3900"}, 11,
       {{4, "Y"}, {5, "J"}, {6, "20261210"}, {7, "IO2612-P-3900"}, {8, "3915.2"}, {9, "1"}, {10, "2"}, {11, "0"}}},
      {"parameters of a future", 5245, {"J", "", "IF2612"}, 6, {{4, "N"}, {5, "2002"}}},
      {"long option held over night and bought today", 5242, {"D", "m2705-C-3000", "", "", "", "0"}, 14,
       {{4, "Y"}, {5, "10001"}, {6, "D"}, {7, "D001"}, {8, "m2705-C-3000"}, {9, "01000101"},
        {10, "D001"}, {11, "0"}, {12, "0"}, {13, "m2705"}, {14, "7"}}},
      {"option held short only", 5242, {"D", "m2705-P-2900", "", "", "", "0"}, 14, {{14, "0"}}},
      {"quantity of a future", 5242, {"S", "cu2702", "", "", "", "0"}, 6, {{4, "N"}, {5, "2002"}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string line = CallDemo(c.function, c.parameters);
    EXPECT_EQ(FieldCount(line), c.fieldCount) << line;
    ExpectFields(line, c.fields);
  }
}

TEST_F(SingleRowTest, ApplicationsFreezeTheirLotsOfTheExercisableQuantity) {
  // m2705-C-3000: 7 lots held long; the Dalian seat takes both instructions.
  const auto apply = [&](const std::string& lots, const std::string& type) {
    return Field(
        CallDemo(5240, {"D", "m2705-C-3000", "0", "0", lots, "01000101", "D001", type, "", "", "", "", "", "", "A"}),
        4);
  };
  ASSERT_EQ(apply("3", "1"), "Y");
  ASSERT_EQ(apply("1", "2"), "Y");
  const std::vector<std::string> selectors = {"D", "m2705-C-3000", "01000101", "D001", "0", "0"};
  // The abandon freezes the first quantity, the exercise the second; the key
  // is the seat the applications went out through.
  ExpectFields(CallDemo(5242, selectors),
               {{7, "D001"}, {9, "01000101"}, {10, "D001"}, {11, "1"}, {12, "3"}, {14, "7"}});
  ASSERT_EQ(Field(CallDemo(5241, {"1", "D001", "10001", "D", "D001", "1"}), 4), "Y");
  ExpectFields(CallDemo(5242, selectors), {{11, "1"}, {12, "0"}, {14, "7"}});
  // Another trade code holds none of it.
  ExpectFields(CallDemo(5242, {"D", "m2705-C-3000", "01009999", "", "", "0"}), {{9, "01009999"}, {11, "0"}, {12, "0"}});
}

TEST_F(SingleRowTest, LastPricesComeInTheOrderOfTheListOverTheQuoteConnection) {
  auto quotes = Connect();
  ASSERT_EQ(Field(quotes->Call(QuoteLoginText(1, "quote", "quote123")), 4), "Y");
  const std::string prices = Call(*quotes, 5128, {"S,cu2702;J,IF2612;S,cu2799;D,m2705;"}, "10001", "111111");
  ASSERT_EQ(Field(prices, 4), "Y") << prices;
  const std::string items = Field(prices, 5);
  ASSERT_EQ(std::count(items.begin(), items.end(), ';'), 3) << items;
  const std::string copper = items.substr(0, items.find(';'));
  // The price that option parameters take for the underlying.
  EXPECT_FALSE(copper.empty());
  EXPECT_EQ(copper, Field(CallDemo(5245, {"S", "", "cu2702C76000"}), 8));
  EXPECT_NE(items.find(";;"), std::string::npos) << "an unknown contract gives an empty item";
  EXPECT_EQ(Field(Call(*quotes, 5128, {"S,"}, "10001", "111111"), 5), "9003");
}

}  // namespace
}  // namespace simbackend_test
