#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "backend/global_string_list.h"
#include "backend/quote_record.h"
#include "backend/request_queue.h"
#include "backend/server_rotation.h"
#include "backend/transport.h"
#include "client/async_operations.h"
#include "client/management_operations.h"
#include "client/option_operations.h"
#include "client/quote_operations.h"
#include "client/testing/client_test.h"
#include "client/testing/recording_shell.h"
#include "quotes/contract_key.h"
#include "quotes/quote_object.h"

namespace {

using client_testing::AddAccount;
using client_testing::AnswerLine;
using client_testing::Fields;
using client_testing::OutputLine;
using client_testing::ScriptedBackEndTest;
using client_testing::StringList;

// The fields of a request after the four leading ones.
std::vector<std::string> OwnParameters(const std::string& text) {
  const std::vector<std::string> fields = Fields(text);
  return {fields.begin() + 8, fields.end()};
}

class Operations : public ScriptedBackEndTest {
 protected:
  void SetUp() override {
    ScriptedBackEndTest::SetUp();
    AddAccount("10001", "111111", 0);
    // Field 9 of the log-in answer is the value the slot-0 requests carry.
    backend::TheAccountTable().UpdateAccountFromAnswer("10001", "A|m|1|Y|张明|0||0|LV9|");
    AddAccount("20001", "222222", 1);
  }

  void MakeReady() { ASSERT_TRUE(engine.MakeReady()); }
};

// --- Quotations

TEST_F(Operations, AQuotationInTheQuoteTableIsTakenWithoutARequest) {
  const quotes::ContractKey key = quotes::MakeContractKey("F", "IF2612");
  backend::CxDataSet keys;
  quotes::AppendContractKey(keys, key);
  quotes::CtbQuotationCtrl& table = quotes::TheQuoteObject();
  table.AddQuoteRefs(keys.View());
  backend::QuoteRecord held;
  std::strcpy(held.szExchange, "F");
  std::strcpy(held.szCode, "IF2612");
  std::strcpy(held.szName, "沪深300");
  held.fNewPrice = 3850.2f;
  ASSERT_TRUE(table.ApplyQuote(held));

  backend::QuoteRecord quote;
  std::string message;
  const bool found = client::GetQuoteOrQuery("F", "IF2612", quote, message);
  table.ReleaseQuoteRefs(keys.View());

  ASSERT_TRUE(found) << message;
  EXPECT_STREQ(quote.szName, "沪深300");
  EXPECT_FLOAT_EQ(quote.fNewPrice, 3850.2f);
  EXPECT_TRUE(backEnd.Sent().empty());
}

TEST_F(Operations, AQuotationAnswerFillsTheMembersThatTheQuotePushFills) {
  backend::TheServerRotation().SetQuoteSlot(2);
  std::vector<std::pair<int, std::string>> set = {
      {5, "FX"},      {7, "IF2612"}, {8, "沪深300"},     {9, "3801.5"}, {10, "3802"},  {11, "3860"}, {12, "3790"},
      {13, "3850.2"}, {14, "1234"},  {15, "98765432.5"}, {17, "3850"},  {18, "3851"},  {19, "12,7"}, {20, "9"},
      {21, "4100"},   {22, "3400"},  {23, "3799"},       {24, "3840"},  {27, "45678"},
  };
  for (int level = 0; level < 4; ++level) {
    set.push_back({29 + 2 * level, std::to_string(10 + level)});
    set.push_back({30 + 2 * level, std::to_string(3849 - level)});
    set.push_back({37 + 2 * level, std::to_string(20 + level)});
    set.push_back({38 + 2 * level, std::to_string(3852 + level)});
  }
  Answer(5007, {AnswerLine(52, set)});

  // Left over from an earlier use: the answer replaces the whole record.
  backend::QuoteRecord quote;
  quote.dwPreOpenInterest = 5;
  quote.fClosePrice = 5;
  quote.reserved1[0] = 'x';
  quote.reserved2[7] = 'x';
  std::string message;
  ASSERT_TRUE(client::GetQuoteOrQuery("F", "IF2612", quote, message)) << message;

  ASSERT_EQ(backEnd.Sent().size(), 1u);
  EXPECT_EQ(backEnd.Sent()[0].slot, 2) << "the quote connection carries the query";
  EXPECT_EQ(Fields(backEnd.SentTexts()[0])[6], "10001");
  EXPECT_EQ(OwnParameters(backEnd.SentTexts()[0]), (std::vector<std::string>{"F", "IF2612"}));
  EXPECT_STREQ(quote.szExchange, "F");
  EXPECT_STREQ(quote.szCode, "IF2612");
  EXPECT_STREQ(quote.szName, "沪深300");
  EXPECT_FLOAT_EQ(quote.fLastClosePrice, 3801.5f);
  EXPECT_FLOAT_EQ(quote.fOpenPrice, 3802);
  EXPECT_FLOAT_EQ(quote.fHighestPrice, 3860);
  EXPECT_FLOAT_EQ(quote.fLowestPrice, 3790);
  EXPECT_FLOAT_EQ(quote.fNewPrice, 3850.2f);
  EXPECT_EQ(quote.dwVolume, 1234);
  EXPECT_DOUBLE_EQ(quote.dAmount, 98765432.5);
  EXPECT_FLOAT_EQ(quote.fBuyPrice1, 3850);
  EXPECT_FLOAT_EQ(quote.fSellPrice1, 3851);
  EXPECT_EQ(quote.dwBuyVolume1, 12);
  EXPECT_EQ(quote.dwBuyVolumeSecond, 7);
  EXPECT_EQ(quote.dwSellVolume1, 9);
  EXPECT_EQ(quote.dwSellVolumeSecond, 0);
  EXPECT_FLOAT_EQ(quote.fUpperLimitPrice, 4100);
  EXPECT_FLOAT_EQ(quote.fLowerLimitPrice, 3400);
  EXPECT_FLOAT_EQ(quote.fPreSettlementPrice, 3799);
  EXPECT_FLOAT_EQ(quote.fSettlementPrice, 3840);
  EXPECT_EQ(quote.dwOpenInterest, 45678);
  for (int level = 0; level < 4; ++level) {
    const backend::QuoteDepthLevel& depth = quote.depth[level];
    EXPECT_EQ(depth.dwBuyVolume, 10 + level);
    EXPECT_FLOAT_EQ(depth.fBuyPrice, static_cast<float>(3849 - level));
    EXPECT_EQ(depth.dwSellVolume, 20 + level);
    EXPECT_FLOAT_EQ(depth.fSellPrice, static_cast<float>(3852 + level));
  }
  // Members that the answer has no field for are zero.
  EXPECT_EQ(quote.dwPreOpenInterest, 0);
  EXPECT_FLOAT_EQ(quote.fClosePrice, 0);
  const char zeros[8] = {};
  EXPECT_EQ(std::memcmp(quote.reserved1, zeros, sizeof quote.reserved1), 0);
  EXPECT_EQ(std::memcmp(quote.reserved2, zeros, sizeof quote.reserved2), 0);
}

TEST_F(Operations, AShortQuotationAnswerLeavesTheMissingMembersZero) {
  Answer(5007, {"A|m|1|Y|F||IF2612|沪深300|3801.5|"});
  backend::QuoteRecord quote;
  quote.fNewPrice = 1;
  quote.depth[3].fSellPrice = 1;
  std::string message;
  ASSERT_TRUE(client::QueryQuoteRecord("F", "IF2612", quote, message)) << message;
  EXPECT_STREQ(quote.szCode, "IF2612");
  EXPECT_FLOAT_EQ(quote.fLastClosePrice, 3801.5f);
  EXPECT_FLOAT_EQ(quote.fNewPrice, 0);
  EXPECT_FLOAT_EQ(quote.depth[3].fSellPrice, 0);
}

TEST_F(Operations, AMissingQuotationIsReportedAsANoticeLine) {
  Answer(5007, {"A|m|1|N|3001|合约不存在！|"});
  backend::QuoteRecord quote;
  std::string message;
  EXPECT_FALSE(client::GetQuoteOrQuery("F", "IF2699", quote, message));
  EXPECT_EQ(message, "查询合约IF2699 价格失败！");

  backEnd.transportError = true;
  EXPECT_FALSE(client::GetQuoteOrQuery("F", "IF2699", quote, message));
  EXPECT_EQ(message, "通讯连接中断！");
  EXPECT_EQ(shell.OutputLines(), (std::vector<OutputLine>{{"查询合约IF2699 价格失败！", client::kNoticeLine},
                                                          {"通讯连接中断！", client::kNoticeLine}}));
}

// --- Asynchronous operations

TEST_F(Operations, ABatchCancelSendsOneRecordWithOneCancelPerOrder) {
  MakeReady();
  std::string message;
  ASSERT_TRUE(client::DeleteAllOrder("20001", StringList({"101", "102", "103"}), StringList({"S1", "S2", "S3"}),
                                     StringList({"O1", "O2", "O3"}), message))
      << message;

  ASSERT_EQ(backEnd.posted.size(), 1u);
  const backend::RequestRecord& record = *backEnd.posted[0];
  EXPECT_STREQ(record.handlerTag, "_DeleteAllOrder");
  EXPECT_STREQ(record.title, "批量撤销委托[异步]");
  EXPECT_EQ(record.connection, 1);
  ASSERT_EQ(record.count, 3);
  for (int index = 0; index < 3; ++index) {
    const backend::SubRequest& cancel = *record.At(index);
    EXPECT_EQ(cancel.functionNo, 5012);
    EXPECT_EQ(cancel.singlePacket, 1);
    EXPECT_EQ(cancel.sequenceNo, record.At(0)->sequenceNo + index);
    const std::vector<std::string> fields = Fields(cancel.requestText);
    EXPECT_EQ(std::vector<std::string>(fields.begin() + 4, fields.begin() + 8),
              (std::vector<std::string>{"", "Pellora", "20001", "222222"}));
    const std::string n = std::to_string(index + 1);
    EXPECT_EQ(OwnParameters(cancel.requestText),
              (std::vector<std::string>{"", "", "", "", "", "", "", "10" + n, "", "", "S" + n, "O" + n}));
  }
}

TEST_F(Operations, ABatchCancelOfEmptyOrUnequalListsIsRefused) {
  MakeReady();
  const struct {
    std::vector<std::string> orders, seats, orderingSeats;
    const char* message;
  } cases[] = {
      {{}, {}, {}, "没有要撤销的委托！"},
      {{}, {"S1"}, {"O1"}, "没有要撤销的委托！"},
      {{"101", "102"}, {"S1"}, {"O1", "O2"}, "撤销委托的委托号、席位号和下单席位个数不一致！"},
      {{"101"}, {"S1"}, {"O1", "O2"}, "撤销委托的委托号、席位号和下单席位个数不一致！"},
  };
  for (const auto& test : cases) {
    std::string message;
    EXPECT_FALSE(client::DeleteAllOrder("20001", StringList(test.orders), StringList(test.seats),
                                        StringList(test.orderingSeats), message));
    EXPECT_EQ(message, test.message);
  }
  EXPECT_TRUE(backEnd.posted.empty());
}

TEST_F(Operations, AsynchronousRequestsCarryTheirHandlerTagPriorityAndParameters) {
  MakeReady();
  std::string message;
  ASSERT_TRUE(client::QueryHisIOFund("20001", "20261201", "20261210", "1", message)) << message;
  ASSERT_TRUE(client::DeleteOrder("10001", "555", "S9", "O9", message)) << message;
  ASSERT_TRUE(client::QueryOptionsExercise(message)) << message;

  ASSERT_EQ(backEnd.posted.size(), 3u);
  const struct {
    const char* tag;
    int priority;
    int slot;
    int singlePacket;
    std::vector<std::string> parameters;
  } expected[] = {
      {"_QueryHisIOFund", 1, 1, 0, {"20261201", "20261210", "", "", "1", ""}},
      {"_DeleteOrder", 2, 0, 1, {"", "", "", "", "", "", "", "555", "", "", "S9", "O9"}},
      {"_QueryOptionsExercise", 2, 0, 0, {"LV9", "LV9", "", "", ""}},
  };
  for (std::size_t index = 0; index < backEnd.posted.size(); ++index) {
    const backend::RequestRecord& record = *backEnd.posted[index];
    EXPECT_STREQ(record.handlerTag, expected[index].tag);
    EXPECT_EQ(record.priority, expected[index].priority) << record.handlerTag;
    EXPECT_EQ(record.connection, expected[index].slot) << record.handlerTag;
    EXPECT_EQ(record.At(0)->singlePacket, expected[index].singlePacket) << record.handlerTag;
    EXPECT_EQ(OwnParameters(record.At(0)->requestText), expected[index].parameters) << record.handlerTag;
  }
}

TEST_F(Operations, AnAsynchronousRequestTheEngineRefusesIsNotSent) {
  std::string message;
  EXPECT_FALSE(client::DeleteOrder("10001", "555", "S9", "O9", message));
  EXPECT_EQ(message, "计算引擎正在处理初始化下载数据。");

  MakeReady();
  backEnd.refuseAsync = true;
  EXPECT_FALSE(client::QueryHisIOFund("20001", "a", "b", "c", message));
  EXPECT_EQ(message, "执行操作[查询出入金]时，还没有建立通讯连接！");
  EXPECT_TRUE(backEnd.posted.empty());
  EXPECT_EQ(backend::TheResultQueue().Count(), 0u);
}

// --- Synchronous management operations

TEST_F(Operations, ManagementOperationsAreSignedOnSlotZeroAndReadTheirAnswers) {
  std::string result;
  std::string entryNo;
  std::string message;
  const std::string ip = backend::LocalIpAddress();
  const std::string machine = backend::LocalMachineAddress();
  Answer(5137, {"A|m|1|Y|x|x|CTP-7|已签入|"});
  Answer(5058, {"A|m|1|Y|E42|"});
  Answer(5057, {"A|m|1|Y|"});
  Answer(5059, {"A|m|1|Y|"});
  const struct {
    const char* name;
    std::function<bool()> call;
    std::vector<std::string> parameters;
  } cases[] = {
      {"5137",
       [&] { return client::CheckInToCTP("a", "b", "c", result, message); },
       {"10001", "a", "b", "c", "0", ip, machine}},
      {"5057", [&] { return client::MaintainCustomerStatus("20001", "2", message); }, {"10001", "20001", "2"}},
      {"5058",
       [&] { return client::EditCustomerIOMoney("t1", "t2", "t3", "t4", "t5", "t6", entryNo, message); },
       {"10001", "t1", "t2", "LV9", "t3", "", "1", "", "t4", "t5", "t6"}},
      {"5059", [&] { return client::ReviewCustomerIOMoney("E42", message); }, {"10001", "LV9", "E42"}},
  };
  for (const auto& test : cases) {
    backEnd.ClearSent();
    EXPECT_TRUE(test.call()) << test.name << ": " << message;
    ASSERT_EQ(backEnd.Sent().size(), 1u) << test.name;
    EXPECT_EQ(Fields(backEnd.SentTexts()[0])[3], test.name);
    EXPECT_EQ(Fields(backEnd.SentTexts()[0])[6], "10001") << test.name;
    EXPECT_EQ(backEnd.Sent()[0].slot, 0) << test.name;
    EXPECT_EQ(OwnParameters(backEnd.SentTexts()[0]), test.parameters) << test.name;
  }
  EXPECT_EQ(result, "CTP-7");
  EXPECT_EQ(entryNo, "E42");

  EXPECT_TRUE(client::CheckInToCTP("a", "b", "c", result, message));
  EXPECT_EQ(message, "已签入");
  Answer(5057, {"A|m|1|N|4001|客户不存在！|"});
  EXPECT_FALSE(client::MaintainCustomerStatus("29999", "2", message));
  EXPECT_EQ(message, "客户不存在！");
}

// --- Option applications

TEST_F(Operations, AnAbandonApplicationSendsThreeMembersAndTakesAllFourteenBack) {
  client::OptionsAbandonApplication application;
  application.members[4] = "1";
  application.members[6] = "m1709-C-3000";
  application.members[12] = "2";
  Answer(5243, {"A|m|1|Y|a|b|c|d|e|f|g|h|i|j|k|l|m|n|o|"});
  std::string message;
  ASSERT_TRUE(client::ApplyOptionsAbandon(application, message)) << message;
  ASSERT_EQ(backEnd.Sent().size(), 1u);
  EXPECT_EQ(OwnParameters(backEnd.SentTexts()[0]), (std::vector<std::string>{"LV9", "1", "m1709-C-3000", "2"}));
  EXPECT_EQ(application.members,
            (std::array<std::string, 14>{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n"}));
}

TEST_F(Operations, AnExerciseOrderAnswerFillsTheApplicationRow) {
  MakeReady();
  std::vector<std::pair<int, std::string>> set = {{5, "20001"},   {6, "77"}, {7, "D"},     {8, "m1709-C-3000"},
                                                  {9, "a"},       {12, "3"}, {25, "KEY1"}, {34, "12.345"},
                                                  {35, "0.0046"}, {38, "1"}};
  Answer(5240, {AnswerLine(40, set)});
  backend::ExerciseOrderRow row;
  std::memset(&row, 0x5A, sizeof row);
  std::string message;
  ASSERT_TRUE(client::SendOptionsExerciseOrder({"t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8"}, "20001", row, message))
      << message;

  ASSERT_EQ(backEnd.Sent().size(), 1u);
  EXPECT_EQ(backEnd.Sent()[0].slot, 1);
  EXPECT_EQ(OwnParameters(backEnd.SentTexts()[0]),
            (std::vector<std::string>{"t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8", "", "", "", "", "", "", "A"}));
  EXPECT_STREQ(row.szAccount, "20001");
  EXPECT_STREQ(row.szApplicationNo, "77");
  EXPECT_STREQ(row.szExchangeCode, "D");
  EXPECT_STREQ(row.szExchangeName, "");
  EXPECT_STREQ(row.szContractCode, "m1709-C-3000");
  EXPECT_STREQ(row.szStateCode, "a");
  EXPECT_STREQ(row.szTexts10[0], "f10");
  EXPECT_STREQ(row.szTexts10[1], "f11");
  EXPECT_STREQ(row.szLots, "3");
  EXPECT_STREQ(row.szTexts16A[1], "f14");
  EXPECT_STREQ(row.szText32, "f15");
  EXPECT_STREQ(row.szTexts16B[0], "f16");
  EXPECT_STREQ(row.szTexts16B[6], "f22");
  EXPECT_STREQ(row.szTexts12A[0], "f23");
  EXPECT_STREQ(row.szTexts12A[1], "f24");
  EXPECT_STREQ(row.szKey, "KEY1");
  EXPECT_STREQ(row.szTexts16C[0], "f26");
  EXPECT_STREQ(row.szTexts16C[3], "f29");
  EXPECT_STREQ(row.szText12B, "f30");
  EXPECT_STREQ(row.szText64, "f31");
  EXPECT_STREQ(row.szTexts16D[0], "f32");
  EXPECT_STREQ(row.szTexts16D[1], "f33");
  EXPECT_STREQ(row.szAmounts[0], "12.35");
  EXPECT_STREQ(row.szAmounts[1], "0.01");
  EXPECT_STREQ(row.szKindFlag, "1");
  EXPECT_STREQ(row.szText256, "");
}

TEST_F(Operations, AnExerciseCancelAnswerFillsItsOwnColumns) {
  MakeReady();
  Answer(5241, {AnswerLine(26, {{5, "20001"}, {6, "77"}, {20, "KEY1"}, {25, "2"}})});
  backend::ExerciseOrderRow row;
  std::string message;
  ASSERT_TRUE(client::CancelOptionsExerciseOrder({"c1", "c2", "c3", "c4", "c5"}, "20001", row, message)) << message;

  EXPECT_EQ(OwnParameters(backEnd.SentTexts().at(0)), (std::vector<std::string>{"c1", "c2", "c3", "c4", "c5"}));
  EXPECT_STREQ(row.szAccount, "20001");
  EXPECT_STREQ(row.szText32, "f15");
  EXPECT_STREQ(row.szTexts16B[0], "");
  EXPECT_STREQ(row.szTexts16B[3], "f16");
  EXPECT_STREQ(row.szTexts16B[4], "f17");
  EXPECT_STREQ(row.szTexts16B[6], "f18");
  EXPECT_STREQ(row.szTexts12A[0], "");
  EXPECT_STREQ(row.szTexts12A[1], "f19");
  EXPECT_STREQ(row.szKey, "KEY1");
  EXPECT_STREQ(row.szTexts16C[0], "f21");
  EXPECT_STREQ(row.szText12B, "f22");
  EXPECT_STREQ(row.szKindFlag, "2");
  EXPECT_STREQ(row.szAmounts[0], "");
}

TEST_F(Operations, ExerciseOrdersWaitForTheEnginesDownload) {
  std::string message;
  backend::ExerciseOrderRow row{};
  EXPECT_FALSE(client::SendOptionsExerciseOrder({}, "20001", row, message));
  EXPECT_EQ(message, "计算引擎正在处理初始化下载数据。");
  EXPECT_FALSE(client::CancelOptionsExerciseOrder({}, "20001", row, message));
  EXPECT_EQ(message, "计算引擎正在处理初始化下载数据。");
  EXPECT_TRUE(backEnd.Sent().empty());
}

}  // namespace
