#include "client/operation_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/login.h"
#include "client/testing/client_test.h"

namespace {

using client_testing::AddAccount;
using client_testing::ClientTest;
using client_testing::Fields;
using client_testing::ScriptedBackEndTest;

TEST(AnswerRoutines, ReadTheStatusAndNumberFields) {
  std::string message = "old";
  EXPECT_TRUE(client::CheckLoginAnswer("A|srv|1|Y|0|", message));
  EXPECT_TRUE(client::CheckLoginAnswer("A|srv|1|y|", message));
  EXPECT_EQ(message, "old");
  EXPECT_FALSE(client::CheckLoginAnswer("A|srv|1|N|1002|密码错误！|", message));
  EXPECT_EQ(message, "[1002]密码错误！");
  EXPECT_FALSE(client::CheckLoginAnswer("A|srv|1|", message));
  EXPECT_EQ(message, "[]");

  const struct {
    const char* line;
    int count;
  } counts[] = {{"A|s|1|Y|3|", 3}, {"A|s|1|Y|", 0}, {"A|s|1|Y|x|", 0}, {"A|s|1|Y| 12 |", 12}, {"A|s|1|Y|3", 0}};
  for (const auto& test : counts) EXPECT_EQ(client::GetReplyPacketCount(test.line), test.count) << test.line;
  EXPECT_EQ(client::GetPushCode("P|srv|0|15005|x|"), 15005);
  EXPECT_EQ(client::GetPushCode("P|srv|0|"), 0);
}

using QuoteServerList = ScriptedBackEndTest;

TEST_F(QuoteServerList, AnswerWithoutRowsKeepsTheListAndTakesTheGatewayAccount) {
  AddAccount("10001", "111111", 0);
  Answer(5451, {"A|m|1|Y|0|quote|secret|"});
  client::QuoteServerInfo info;
  info.servers = {{"10.0.0.9", 7009}};
  std::string message;
  ASSERT_TRUE(client::QueryQuoteServerInfo(info, message)) << message;
  EXPECT_EQ(info.gatewayUser, "quote");
  EXPECT_EQ(info.gatewayPassword, "secret");
  EXPECT_EQ(info.servers, (std::vector<client::QuoteServerRow>{{"10.0.0.9", 7009}}));
}

TEST_F(QuoteServerList, RowsWithoutAnAddressOrAPortAreLeftOutAndMissingRowsAreNoRows) {
  AddAccount("10001", "111111", 0);
  Answer(5451, {"A|m|1|Y|7|quote|secret|", "1|甲| 10.0.0.1\t|7001|", "2|乙| \t |7002|", "3|丙|10.0.0.3|port|",
                "4|丁|10.0.0.4|70000|", "5|戊|1234567890123456789|7005|", "6|己||7006|"});
  client::QuoteServerInfo info;
  info.servers = {{"10.0.0.9", 7009}};
  std::string message;
  ASSERT_TRUE(client::QueryQuoteServerInfo(info, message)) << message;
  EXPECT_EQ(info.servers,
            (std::vector<client::QuoteServerRow>{{"10.0.0.9", 7009}, {"10.0.0.1", 7001}, {"123456789012345", 7005}}));
}

TEST_F(QuoteServerList, IsAskedForByTheFirstTradingAccount) {
  const struct {
    int loginType;
    int slot;
    const char* customer;
  } cases[] = {{backend::kTradingLogin, 0, "10001"}, {backend::kManagementLogin, 1, "20001"}};
  AddAccount("10001", "111111", 0);
  AddAccount("20001", "222222", 1);
  Answer(5451, {"A|m|1|Y|0|quote|secret|"});
  for (const auto& test : cases) {
    backend::SetLoginType(test.loginType);
    backEnd.ClearSent();
    client::QuoteServerInfo info;
    std::string message;
    ASSERT_TRUE(client::QueryQuoteServerInfo(info, message)) << message;
    ASSERT_EQ(backEnd.Sent().size(), 1u);
    const std::vector<std::string> fields = Fields(backEnd.SentTexts()[0]);
    ASSERT_EQ(fields.size(), 8u) << backEnd.SentTexts()[0];
    EXPECT_EQ(fields[3], "5451");
    EXPECT_EQ(fields[4], "");
    EXPECT_EQ(fields[5], "Pellora");
    EXPECT_EQ(fields[6], test.customer);
    EXPECT_EQ(backEnd.Sent()[0].slot, test.slot);
  }
}

TEST_F(QuoteServerList, FailuresComeBackWithTheirMessage) {
  AddAccount("10001", "111111", 0);
  client::QuoteServerInfo info;
  std::string message;

  Answer(5451, {"A|m|1|N|2001|没有行情服务器！|"});
  EXPECT_FALSE(client::QueryQuoteServerInfo(info, message));
  EXPECT_EQ(message, "没有行情服务器！");

  backEnd.transportError = true;
  EXPECT_FALSE(client::QueryQuoteServerInfo(info, message));
  EXPECT_EQ(message, "通讯连接中断！");
}

using OperationFrame = ClientTest;

TEST_F(OperationFrame, WithoutAnEngineNothingIsSent) {
  AddAccount("10001", "111111", 0);
  client::QuoteServerInfo info;
  std::string message;
  EXPECT_FALSE(client::QueryQuoteServerInfo(info, message));
  EXPECT_EQ(message, "计算前移未初始化！");
}

TEST_F(OperationFrame, LeadingParametersComeBeforeTheOperationsOwn) {
  AddAccount("10001", "pass|word", 0);
  client::OperationParameters parameters(client::SlotAccount(0));
  parameters.Add("a").Add("").Add("b|c");
  std::string message;
  const backend::RequestPtr record =
      client::BuildOperationRequest({.title = "测试", .functionNo = 5999}, 0, parameters, message);
  ASSERT_NE(record, nullptr) << message;
  const std::string& text = record->At(0)->requestText;
  EXPECT_EQ(text.substr(text.find("|5999|")),
            "|5999||Pellora|10001|pass\x01word|a||b\x01"
            "c|");
  EXPECT_EQ(record->priority, 2);
  EXPECT_EQ(record->At(0)->singlePacket, 0);
}

}  // namespace
