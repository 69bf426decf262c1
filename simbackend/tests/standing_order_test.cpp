// Profit/loss and condition orders as a client of the demo account sees
// them: their answers, their state pushes and questions (15003), the
// answers to the questions, and the orders they become.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "order_client.h"

namespace simbackend_test {
namespace {

using StandingOrderTest = OrderTest;

// A profit/loss order on the opening order `number` of m2705 at the Dalian
// exchange: stop-loss and take-profit as distances from the open price,
// triggered by the last price, closed at the market.
std::vector<std::string> ProfitLossParameters(const std::string& number, const std::string& stopLoss,
                                              const std::string& takeProfit) {
  return {number, stopLoss, takeProfit, "0", "", "", "D", "D001", "1", "0", "1", ""};
}

// A limit order of the day on m2705 sent when `comparison` `trigger` holds
// of the last price.
std::vector<std::string> ConditionParameters(const std::string& lots, const std::string& price,
                                             const std::string& comparison, const std::string& trigger,
                                             const std::string& goOn, const std::string& askFirst,
                                             const std::string& choice) {
  return {"m2705", "D", "D001", "",   "0", "0", "0",  lots,     price,  "0",    comparison,
          trigger, "0", "-1",   "-1", "0", "",  goOn, askFirst, choice, "备注", "x"};
}

std::vector<std::string> StandingPushes(RawClient& client, std::size_t count) {
  return PushesWithCodes(client, {15003}, count);
}

TEST_F(StandingOrderTest, AProfitLossOrderWatchesItsFilledOpeningAndClosesItWhenTheMarketMeetsIt) {
  const std::string opening = Placed({"D", "m2705", "0", "0", "2", Best("D", "m2705").ask, "0", "0", "0", "", "", "N"});
  ASSERT_EQ(Field(opening, 4), "Y") << opening;
  const std::string number = Field(opening, 5);
  EXPECT_EQ(Field(opening, 31), "N");
  const auto call = [&](const std::vector<std::string>& parameters) {
    return demo_->Call(RequestText(++sequence_, 5473, "10001", "111111", parameters));
  };
  const std::string answer = call(ProfitLossParameters(number, "1", "1"));
  // clang-format off
  ExpectFields(answer, {{4, "Y"}, {5, "1"}, {6, number}, {8, "m2705"}, {9, "D001"}, {10, "1"}, {11, "1"}, {14, "D"},
                        {16, "2"}, {20, "0"}, {21, "等待开仓成交"}, {27, "0"}, {29, "1"}, {30, "1"}});
  // clang-format on
  // Its opening filled: it watches, one tick either side of the fill.
  const std::vector<std::string> watching = StandingPushes(*demo_, 1);
  ASSERT_EQ(watching.size(), 1u);
  ExpectFields(watching[0],
               {{4, "15003"}, {8, "10001"}, {10, "1"}, {11, number}, {12, "1"}, {14, "ZSZY#止损止盈监控中#"}});

  struct Refused {
    const char* what;
    std::vector<std::string> parameters;
    const char* code;
  } const refusals[] = {
      {"a second one", ProfitLossParameters(number, "1", "1"), "2004"},
      {"no such opening order", ProfitLossParameters("9999", "1", "1"), "2003"},
      {"neither stop", ProfitLossParameters(number, "", "0"), "2002"},
      {"a distance off the price grid", ProfitLossParameters(number, "0.5", "1"), "2002"},
  };
  for (const Refused& r : refusals) EXPECT_EQ(Field(call(r.parameters), 5), r.code) << r.what;

  // The market moves until one of the two is met: the filled lots close.
  const std::size_t orders = server_->Book("10001")->orders.size();
  for (int step = 0; step < 2000 && server_->Book("10001")->orders.size() == orders; ++step) server_->AdvanceQuotes();
  const std::vector<std::string> triggered = StandingPushes(*demo_, 1);
  ASSERT_EQ(triggered.size(), 1u) << "the market never moved a tick from the fill";
  EXPECT_TRUE(Field(triggered[0], 12) == "2" || Field(triggered[0], 12) == "3") << triggered[0];
  const simbackend::AccountView book = *server_->Book("10001");
  const simbackend::OrderView& closing = book.orders.back();
  ASSERT_EQ(book.profitLossOrders.size(), 1u);
  const simbackend::StandingOrderView& guard = book.profitLossOrders[0];
  EXPECT_EQ(guard.state, Field(triggered[0], 12) == "2" ? "1" : "4");
  EXPECT_EQ(guard.openingOrder, number);
  EXPECT_EQ(guard.sentOrder, closing.number);
  EXPECT_EQ(closing.kind, "N");
  EXPECT_EQ(closing.contract, "m2705");
  EXPECT_EQ(closing.buySell, "1");
  EXPECT_EQ(closing.openClose, "1");
  EXPECT_EQ(closing.lots, 2);
  EXPECT_EQ(closing.state, "c");
}

TEST_F(StandingOrderTest, AProfitLossOrderWhoseOpeningEndsUnfilledIsDeleted) {
  const std::string opening = Placed({"D", "m2705", "0", "0", "1", "2900", "0", "0", "0", "", "", "N"});
  ASSERT_EQ(Field(opening, 4), "Y");
  ASSERT_EQ(
      Field(demo_->Call(RequestText(3, 5473, "10001", "111111", ProfitLossParameters(Field(opening, 5), "", "3000"))),
            20),
      "0");
  ASSERT_EQ(Field(Cancel(Field(opening, 5), "D001"), 4), "Y");
  const std::vector<std::string> deleted = StandingPushes(*demo_, 1);
  ASSERT_EQ(deleted.size(), 1u);
  ExpectFields(deleted[0], {{10, "1"}, {12, "4"}, {14, "ZSZY#已删除#"}});
}

TEST_F(StandingOrderTest, AConditionMetAlreadyIsEnteredOnlyOnceConfirmedAndItsQuestionIsAnswered) {
  const auto send = [&](const std::vector<std::string>& parameters) {
    return demo_->Call(RequestText(++sequence_, 5477, "10001", "111111", parameters));
  };
  const auto reply = [&](int function, const std::string& number, const std::string& question,
                         const std::string& answer) {
    return demo_->Call(RequestText(++sequence_, function, "10001", "111111", {number, question, answer}));
  };
  // The market stands still: the last price is well above this.
  const std::string trigger = std::to_string(std::stoi(Best("D", "m2705").bid) - 30);
  const std::vector<std::string> met = ConditionParameters("2", "2900", ">=", trigger, "0", "1", "1");
  ExpectFields(send(met), {{4, "Y"}, {5, ""}, {9, "m2705"}, {39, "1"}});
  const std::size_t orders = server_->Book("10001")->orders.size();

  std::vector<std::string> confirmed = met;
  confirmed[17] = "1";
  const std::string entered = send(confirmed);
  // clang-format off
  ExpectFields(entered, {{4, "Y"}, {5, "1"}, {7, "D"}, {8, "D001"}, {9, "m2705"}, {14, "2900"}, {15, "2"},
                         {20, "01000101"}, {23, "0"}, {29, trigger}, {39, "0"}, {41, "1"}, {42, "1"}, {44, "备注"}});
  // clang-format on
  const std::vector<std::string> asked = StandingPushes(*demo_, 1);
  ASSERT_EQ(asked.size(), 1u);
  ExpectFields(asked[0], {{9, "1"}, {10, "1"}, {12, "3"}});
  const std::string question = Field(asked[0], 11);
  ASSERT_FALSE(question.empty());

  EXPECT_EQ(Field(reply(5482, "1", question + "0", "1"), 5), "2004");
  EXPECT_EQ(Field(reply(5483, "1", question, "0"), 5), "2004");
  EXPECT_EQ(Field(reply(5482, "1", question, "2"), 5), "2002");
  EXPECT_EQ(Field(reply(5482, "9", question, "1"), 5), "2003");
  // Cancel: no order.
  ExpectFields(reply(5482, "1", question, "0"), {{4, "Y"}, {5, "1"}, {6, question}, {7, "0"}});
  ExpectFields(StandingPushes(*demo_, 1).at(0), {{9, "3"}, {10, "1"}, {12, "2"}});
  EXPECT_EQ(server_->Book("10001")->orders.size(), orders);
  EXPECT_EQ(Field(reply(5482, "1", question, "1"), 5), "2004");

  // OK: its order goes out.
  ASSERT_EQ(Field(send(confirmed), 5), "2");
  const std::string second = Field(StandingPushes(*demo_, 1).at(0), 11);
  ASSERT_EQ(Field(reply(5482, "2", second, "1"), 4), "Y");
  const std::vector<std::string> sent = StandingPushes(*demo_, 1);
  ASSERT_EQ(sent.size(), 1u);
  ExpectFields(sent[0], {{9, "3"}, {10, "2"}, {12, "0"}});
  const simbackend::OrderView order = BookOrder(Field(sent[0], 11));
  const std::vector<simbackend::StandingOrderView> conditions = server_->Book("10001")->conditionOrders;
  ASSERT_EQ(conditions.size(), 2u);
  EXPECT_EQ(conditions[0].state, "d");
  EXPECT_EQ(conditions[1].state, "1");
  EXPECT_EQ(conditions[1].sentOrder, order.number);
  EXPECT_EQ(order.kind, "G");
  EXPECT_EQ(order.price, "2900");
  EXPECT_EQ(order.lots, 2);
  EXPECT_EQ(order.state, "a");
}

TEST_F(StandingOrderTest, ARefusedConditionOrderAsksToRetryCancelOrIgnore) {
  const std::string trigger = std::to_string(std::stoi(Best("D", "m2705").bid) - 30);
  const auto send = [&](const std::string& choice) {
    return demo_->Call(RequestText(++sequence_, 5477, "10001", "111111",
                                   ConditionParameters("99999", "2900", ">=", trigger, "1", "0", choice)));
  };
  const auto choose = [&](const std::string& number, const std::string& question, const std::string& answer) {
    return demo_->Call(RequestText(++sequence_, 5483, "10001", "111111", {number, question, answer}));
  };
  // More lots than the funds carry: retry or cancel.
  ASSERT_EQ(Field(send(""), 5), "1");
  std::vector<std::string> asked = StandingPushes(*demo_, 1);
  ASSERT_EQ(asked.size(), 1u);
  ExpectFields(asked[0], {{9, "2"}, {10, "1"}, {13, "1"}});
  EXPECT_NE(Field(asked[0], 14).find("可用资金不足"), std::string::npos);
  EXPECT_EQ(Field(choose("1", Field(asked[0], 11), "1"), 5), "2002") << "no ignore offered";
  ASSERT_EQ(Field(choose("1", Field(asked[0], 11), "0"), 4), "Y");
  asked = StandingPushes(*demo_, 1);
  ASSERT_EQ(asked.size(), 1u) << "a retry refused asks again";
  ExpectFields(asked[0], {{9, "2"}, {10, "1"}});
  ASSERT_EQ(Field(choose("1", Field(asked[0], 11), "2"), 4), "Y");
  ExpectFields(StandingPushes(*demo_, 1).at(0), {{9, "3"}, {10, "1"}, {12, "2"}});

  // Abort, retry or ignore: ignored, it waits for its condition to come again.
  ASSERT_EQ(Field(send("2"), 5), "2");
  asked = StandingPushes(*demo_, 1);
  ASSERT_EQ(asked.size(), 1u);
  ExpectFields(asked[0], {{9, "2"}, {10, "2"}, {13, "2"}});
  ASSERT_EQ(Field(choose("2", Field(asked[0], 11), "1"), 4), "Y");
  ExpectFields(StandingPushes(*demo_, 1).at(0), {{9, "3"}, {10, "2"}, {12, "1"}});
  server_->AdvanceQuotes();
  // Whatever the step pushed came before this answer.
  ASSERT_EQ(Field(demo_->Call(RequestText(++sequence_, 5002, "10001", "111111", {""})), 4), "Y");
  while (const std::optional<std::string> line = demo_->NextPushLine(std::chrono::milliseconds(0)))
    EXPECT_NE(PushCode(*line), 15003) << "the condition never passed: " << *line;
}

}  // namespace
}  // namespace simbackend_test
