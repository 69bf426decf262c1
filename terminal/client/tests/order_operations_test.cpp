#include "client/order_operations.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "client/testing/client_test.h"

namespace {

using client_testing::AnswerLine;
using client_testing::ListTexts;
using client_testing::ScriptedBackEndTest;

constexpr client::OrderFields kOrder{.exchangeCode = "S",
                                     .contractCode = "cu2701",
                                     .buySell = "0",
                                     .openClose = "1",
                                     .hedge = "0",
                                     .lots = "3",
                                     .price = "76500",
                                     .tradeCode = "TC01",
                                     .seat = "SEAT1",
                                     .priceType = "0",
                                     .dealAttribute = "2",
                                     .triggerPrice = "76000",
                                     .orderKind = "A"};

class OrderOperations : public ScriptedBackEndTest {
 protected:
  void SetUp() override {
    ScriptedBackEndTest::SetUp();
    AddTwoAccounts();
  }

  void MakeReady() { ASSERT_TRUE(engine.MakeReady()); }

  std::string message;
  int errorCode = -1;
  engine::OrderRow row{};
  client::OrderStateAnswer state;
  backend::CxDataSet list;
};

TEST_F(OrderOperations, RequestsGoOutOnTheNamedAccountsSlotAsTheBackEndReadsThem) {
  MakeReady();
  for (const int function : {5010, 5011, 5012, 5473}) Answer(function, {"A|m|1|Y|"});
  const client_testing::ExpectedRequest cases[] = {
      {[&] { return client::SendOrder(kOrder, "20001", row, message, errorCode); }, "委托发送", 1, 2, 1,
       "5011||Pellora|20001|222222|S|cu2701|0|1|0|3|76500|TC01|SEAT1|0|2|76000||||A|"},
      {[&] { return client::QueryOrderState("20001", "701", "S", "OS1", state, message); }, "查询委托单状态", 1, 1, 1,
       "5010||Pellora|20001|222222|701|OS1|S|"},
      {[&] { return client::CancelOrder("10001", "701", "SEAT1", "OS1", list, message); }, "撤单", 0, 2, 1,
       "5012||Pellora|10001|111111||||||||701|||SEAT1|OS1|"},
      {[&] {
         return client::SendProfitLossOrder("20001", "701", "S", "OS1",
                                            {"v1", "v2", "v3", "v4", "v5", "v6", "v7", "v8"}, list, message);
       },
       "下盈损单", 1, 2, 1, "5473||Pellora|20001|222222|701|v1|v2|v3|v4||S|OS1|v5|v6|v7|v8|"},
  };
  ExpectRequests(cases, message);
}

TEST_F(OrderOperations, AnOrderAnswerFillsTheOrderRow) {
  MakeReady();
  std::vector<std::pair<int, std::string>> set = {
      {5, "701"},    {6, "S"},     {7, "上期所"},     {8, "cu2701"},  {9, "沪铜2701"}, {10, "n"},    {11, "未成交"},
      {12, "0"},     {13, "买入"}, {14, "1"},         {15, "平仓"},   {16, "0"},       {17, "投机"}, {18, "3"},
      {19, "76500"}, {20, "0"},    {21, "76510.456"}, {43, "12.345"}, {44, "-0.0049"},
  };
  Answer(5011, {AnswerLine(46, set)});
  std::memset(&row, 0x5A, sizeof row);
  ASSERT_TRUE(client::SendOrder(kOrder, "20001", row, message, errorCode)) << message;
  EXPECT_EQ(errorCode, 0);

  EXPECT_STREQ(row.szTradeAccount, "20001");
  EXPECT_STREQ(row.szOrderNo, "701");
  EXPECT_STREQ(row.szExchangeCode, "S");
  EXPECT_STREQ(row.szExchangeCode + 4, "上期所");
  EXPECT_STREQ(row.szContractCode, "cu2701");
  EXPECT_STREQ(row.szContractCode + 32, "沪铜2701");
  EXPECT_STREQ(row.szFlagOrderState, "n");
  EXPECT_STREQ(row.szOrderStateText, "未成交");
  EXPECT_STREQ(row.szNameBS, "0");
  EXPECT_STREQ(row.szNameBS + 2, "买入");
  EXPECT_STREQ(row.szNameEO, "1");
  EXPECT_STREQ(row.szNameEO + 3, "平仓");
  EXPECT_STREQ(row.szNameSH, "0");
  EXPECT_STREQ(row.szNameSH + 3, "投机");
  EXPECT_STREQ(row.szOrderHands, "3");
  EXPECT_STREQ(row.szOrderPrice, "76500");
  EXPECT_STREQ(row.szDealHands, "0");
  EXPECT_STREQ(row.szDealPrice, "76510.46");
  // Fields 23 to 42 in the row's order; field 22 is not read.
  const char* const carried[] = {row.szSysNo,         row.szMapCode,       row.szAnswerField8,  row.szOrderTime,
                                 row.szDeclareTime,   row.szAnswerField22, row.szAnswerField23, row.szDelOrderTime,
                                 row.szOrderType,     row.szSeatCode,      row.szAnswerField27, row.szOrderSeat,
                                 row.szAnswerField33, row.szOrderFormType, row.szDealAttr,      row.szWinLossPrice,
                                 row.szSpringTime,    row.szAnswerField45, row.szAnswerField46, row.szAnswerField47};
  for (int k = 0; k < 20; ++k) EXPECT_EQ(std::string(carried[k]), "f" + std::to_string(23 + k));
  EXPECT_STREQ(row.szFrozenCautionMoney, "12.35");
  EXPECT_STREQ(row.szFrozenCharge, "0.00");
  EXPECT_STREQ(row.szRemark, "");
  EXPECT_STREQ(row.szStateSequence, "");
  EXPECT_STREQ(row.szFrozenPremium, "");
  EXPECT_STREQ(row.szTradeClass, "");
}

TEST_F(OrderOperations, LongAnswerFieldsStayInTheirPartOfTheRow) {
  MakeReady();
  // The code parts are 4, 32, 2 and 3 bytes wide; the text parts follow them.
  Answer(5011, {AnswerLine(44, {{6, "SHFE"},
                                {7, "上海期货交易所甲乙"},
                                {8, std::string(40, 'c')},
                                {9, "名"},
                                {12, "BUY"},
                                {13, "买入开仓了"},
                                {14, "OPEN"},
                                {15, "x"}})});
  ASSERT_TRUE(client::SendOrder(kOrder, "20001", row, message, errorCode)) << message;
  EXPECT_STREQ(row.szExchangeCode, "SHF");
  EXPECT_STREQ(row.szExchangeCode + 4, "上海期货交易所");
  EXPECT_EQ(std::string(row.szContractCode), std::string(31, 'c'));
  EXPECT_STREQ(row.szContractCode + 32, "名");
  EXPECT_STREQ(row.szNameBS, "B");
  // Seven bytes of room: three whole characters, not half of the fourth.
  EXPECT_STREQ(row.szNameBS + 2, "买入开");
  EXPECT_STREQ(row.szNameEO, "OP");
  EXPECT_STREQ(row.szNameEO + 3, "x");
}

TEST_F(OrderOperations, AFailedOrderGivesItsCodeAndLeavesTheRow) {
  MakeReady();
  const struct {
    const char* name;
    std::vector<std::string> answer;
    bool lostConnection;
    int code;
    const char* message;
  } cases[] = {
      {"refused", {"A|m|1|N|1002|资金不足！|"}, false, 1002, "资金不足！"},
      {"no answer", {}, false, 99999, "IO返回数据为空！"},
      {"connection lost", {"A|m|1|Y|"}, true, 99999, "通讯连接中断！"},
  };
  for (const auto& test : cases) {
    Answer(5011, test.answer);
    backEnd.transportError = test.lostConnection;
    std::memset(&row, 0x5A, sizeof row);
    EXPECT_FALSE(client::SendOrder(kOrder, "20001", row, message, errorCode)) << test.name;
    EXPECT_EQ(errorCode, test.code) << test.name;
    EXPECT_EQ(message, test.message) << test.name;
    EXPECT_EQ(row.szOrderNo[0], 0x5A) << test.name;
  }
}

TEST_F(OrderOperations, OrdersWaitForTheEnginesDownload) {
  EXPECT_FALSE(client::SendOrder(kOrder, "20001", row, message, errorCode));
  EXPECT_EQ(errorCode, 99999);
  EXPECT_EQ(message, "计算引擎正在处理初始化下载数据。");
  EXPECT_FALSE(client::CancelOrder("20001", "701", "SEAT1", "OS1", list, message));
  EXPECT_EQ(message, "计算引擎正在处理初始化下载数据。");
  EXPECT_TRUE(backEnd.Sent().empty());
}

TEST_F(OrderOperations, AnOrderStateIsReadOnlyFromAWholeAnswer) {
  Answer(5010, {"A|m|1|Y|701|OS1|x|d|0|"});
  ASSERT_TRUE(client::QueryOrderState("20001", "701", "S", "OS1", state, message)) << message;
  EXPECT_EQ(state.field5, "701");
  EXPECT_EQ(state.field6, "OS1");
  EXPECT_EQ(state.field8, "d");
  EXPECT_EQ(state.field9, "0");

  const struct {
    std::vector<std::string> answer;
    bool lostConnection;
    const char* message;
  } failures[] = {
      {{"A|m|1|N|3001|委托不存在！|701|x|d|"}, false, "委托不存在！"},
      {{}, false, "IO返回数据为空！"},
      {{"A|m|1|Y|701|OS1|x|d|0|"}, true, "通讯连接中断！"},
  };
  for (const auto& test : failures) {
    Answer(5010, test.answer);
    backEnd.transportError = test.lostConnection;
    state = {};
    EXPECT_FALSE(client::QueryOrderState("20001", "701", "S", "OS1", state, message));
    EXPECT_EQ(message, test.message);
    EXPECT_EQ(state.field8, "") << "no state read from a failed answer";
  }
}

TEST_F(OrderOperations, CancelAndProfitLossAnswersComeBackAsTrimmedFieldLists) {
  MakeReady();
  backend::CxDataSet stale;
  stale.AddText("left over");
  list = std::move(stale);
  Answer(5012, {"A|m|1|Y| 701 |\tS|cu2701|"});
  ASSERT_TRUE(client::CancelOrder("20001", "701", "SEAT1", "OS1", list, message)) << message;
  std::vector<std::string> expected(12);
  expected[0] = "701";
  expected[1] = "S";
  expected[2] = "cu2701";
  EXPECT_EQ(ListTexts(list.View()), expected);

  Answer(5473, {AnswerLine(40, {{5, "PL9"}})});
  ASSERT_TRUE(client::SendProfitLossOrder("20001", "701", "S", "OS1", {}, list, message)) << message;
  const std::vector<std::string> values = ListTexts(list.View());
  ASSERT_EQ(values.size(), 32u);
  EXPECT_EQ(values.front(), "PL9");
  EXPECT_EQ(values.back(), "f36");

  Answer(5473, {"A|m|1|N|4001|开仓委托不存在！|"});
  EXPECT_FALSE(client::SendProfitLossOrder("20001", "701", "S", "OS1", {}, list, message));
  EXPECT_EQ(message, "开仓委托不存在！");
}

}  // namespace
