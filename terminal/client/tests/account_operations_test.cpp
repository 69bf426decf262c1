// The password, settlement, notice, fund and date operations, and the
// log-out.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "backend/account_table.h"
#include "client/account_queries.h"
#include "client/module_directory.h"
#include "client/notice_operations.h"
#include "client/operation_frame.h"
#include "client/session_operations.h"
#include "client/settlement_operations.h"
#include "client/testing/client_test.h"
#include "platform/files.h"

namespace {

using client_testing::AddAccount;
using client_testing::Fields;
using client_testing::ListRows;
using client_testing::ScriptedBackEndTest;

class AccountOperations : public ScriptedBackEndTest {
 protected:
  void SetUp() override {
    ScriptedBackEndTest::SetUp();
    AddTwoAccounts();
  }

  std::string message;
  std::string notices;
  client::SystemDate systemDate;
  std::vector<client::BulletinRecord> bulletins;
  backend::CxDataSet rows;
};

TEST_F(AccountOperations, RequestsAreSignedByTheAccountTheirOperationNames) {
  // After a management log-in the first trading account is the one on slot 1.
  backend::SetLoginType(backend::kManagementLogin);
  ASSERT_TRUE(engine.MakeReady());
  for (const int function : {5126, 5013, 5050, 5127, 5472, 5471, 5491, 5122, 5002, 5017, 5125}) {
    Answer(function, {"A|m|1|Y|0|"});
  }
  const client_testing::ExpectedRequest cases[] = {
      {[&] { return client::QueryPasswordRules("1", message) != nullptr; }, "查询密码规则", 1, 2, 0,
       "5126||Pellora|20001|222222|1|"},
      {[&] { return client::ChangePassword("old", 2, "new", message); }, "修改密码", 0, 2, 0,
       "5013||Pellora|10001|old|new|2|"},
      {[&] { return client::QuerySettlementParams(rows, message); }, "查询交易结算参数", 1, 2, 0,
       "5127||Pellora|20001|222222|2||STATUS|0|"},
      {[&] { return client::QuerySettlementStatement("20001", "20261201", "1", rows, message); }, "查询结算单", 1, 2, 0,
       "5472||Pellora|20001|222222|1|20261201|"},
      {[&] { return client::ConfirmSettlementStatement(message); }, "确认结算单", 0, 2, 1,
       "5471||Pellora|10001|111111|"},
      {[&] { return client::QueryImportantNotices(notices, message); }, "查询重要通知", 0, 1, 0,
       "5491||Pellora|10001|111111|||"},
      {[&] { return client::QuerySystemDate(systemDate, message); }, "查询系统日期", 1, 2, 1,
       "5122||Pellora|20001|222222|"},
      {[&] { return client::QueryFunds("10001", message); }, "查询资金", 0, 1, 1, "5002||Pellora|10001|111111||"},
      {[&] { return client::QueryBulletins("20001", "2", "20261201", "20261210", bulletins, message); }, "查询公告信息",
       1, 2, 0, "5017||Pellora|20001|222222|2||20261201|20261210|"},
      {[&] { return client::QuerySeatTimeDifference(message) != nullptr; }, "查询席位时差", 1, 2, 0,
       "5125||Pellora|20001|222222||"},
      // Last: it changes the password the others are signed with.
      {[&] { return client::ChangePassword("old", 0, "new", message); }, "修改密码", 0, 2, 0,
       "5050||Pellora|10001|111111|10001|10001|old|new|"},
  };
  ExpectRequests(cases, message);
}

TEST_F(AccountOperations, APasswordChangeSucceedsOnlyWhenTheBackEndTookIt) {
  Answer(5013, {"A|m|1|Y|"});
  EXPECT_TRUE(client::ChangePassword("old", 2, "new", message));
  EXPECT_EQ(message, "修改成功");

  Answer(5013, {"A|m|1|N|1005|原密码错误！|"});
  EXPECT_FALSE(client::ChangePassword("bad", 2, "new", message));
  EXPECT_EQ(message, "原密码错误！");

  backEnd.transportError = true;
  EXPECT_FALSE(client::ChangePassword("old", 0, "new", message));
  EXPECT_EQ(message, "通讯连接中断！");
}

TEST_F(AccountOperations, ANewLogInPasswordSignsTheLaterRequests) {
  struct Case {
    int kind;
    int function;
    const char* storedAfter;
  };
  const Case cases[] = {{2, 5013, "111111"}, {0, 5050, "new0"}, {1, 5013, "new1"}};
  for (const Case& test : cases) {
    Answer(test.function, {"A|m|1|Y|"});
    ASSERT_TRUE(client::ChangePassword(backend::TheAccountTable().FindAccountBySlot(0)->key.password, test.kind,
                                       "new" + std::to_string(test.kind), message))
        << message;
    EXPECT_STREQ(backend::TheAccountTable().FindAccountBySlot(0)->key.password, test.storedAfter) << test.kind;
  }
  ASSERT_TRUE(engine.MakeReady());
  Answer(5002, {"A|m|1|Y|"});
  backEnd.ClearSent();
  client::QueryFunds("10001", message);
  ASSERT_EQ(backEnd.Sent().size(), 1u);
  EXPECT_NE(backEnd.Sent()[0].text.find("|10001|new1|"), std::string::npos) << backEnd.Sent()[0].text;
}

TEST_F(AccountOperations, RefusalsComeBackWithTheBackEndsText) {
  ASSERT_TRUE(engine.MakeReady());
  for (const int function : {5126, 5127, 5472, 5471, 5491, 5122, 5002, 5017, 5125}) {
    Answer(function, {"A|m|1|N|2002|不允许！|"});
  }
  const std::function<bool()> calls[] = {
      [&] { return client::QueryPasswordRules("1", message) != nullptr; },
      [&] { return client::QuerySettlementParams(rows, message); },
      [&] { return client::QuerySettlementStatement("20001", "", "1", rows, message); },
      [&] { return client::ConfirmSettlementStatement(message); },
      [&] { return client::QueryImportantNotices(notices, message); },
      [&] { return client::QuerySystemDate(systemDate, message); },
      [&] { return client::QueryFunds("20001", message); },
      [&] { return client::QueryBulletins("20001", "", "", "", bulletins, message); },
      [&] { return client::QuerySeatTimeDifference(message) != nullptr; },
  };
  for (const auto& call : calls) {
    message.clear();
    EXPECT_FALSE(call());
    EXPECT_EQ(message, "不允许！");
  }
}

TEST_F(AccountOperations, SettlementAnswersComeBackAsRowLists) {
  Answer(5127, {"A|m|1|Y|2|", "A|a|1|S|x| 1 |y|", "A|a|1|D|"});
  ASSERT_TRUE(client::QuerySettlementParams(rows, message)) << message;
  EXPECT_EQ(ListRows(rows), (std::vector<std::vector<std::string>>{{"S", "x", "1", "y"}, {"D", "", "", ""}}));

  Answer(5472, {"A|m|1|Y|2|", "A|a|1|  客户号 10001 |", "A|a|1|\t期末结存|x|"});
  ASSERT_TRUE(client::QuerySettlementStatement("20001", "", "1", rows, message)) << message;
  EXPECT_EQ(ListRows(rows), (std::vector<std::vector<std::string>>{{"客户号 10001"}, {"期末结存"}}));
}

TEST_F(AccountOperations, ImportantNoticesBecomeOneText) {
  notices = "old";
  Answer(5491, {"A|m|1|Y|2|", "A|a|1| 请及时追加保证金 |", "A|a|1|\t第二条|"});
  ASSERT_TRUE(client::QueryImportantNotices(notices, message)) << message;
  EXPECT_EQ(notices, "请及时追加保证金\r\n第二条\r\n");

  Answer(5491, {"A|m|1|Y|0|"});
  ASSERT_TRUE(client::QueryImportantNotices(notices, message)) << message;
  EXPECT_EQ(notices, "");
}

TEST_F(AccountOperations, TheSystemDateTakesThreeStatusFields) {
  Answer(5122, {"A|m|1|Y|20261201|20261202|x|x|x|14:30:00|"});
  ASSERT_TRUE(client::QuerySystemDate(systemDate, message)) << message;
  EXPECT_EQ(systemDate.date, "20261202");
  EXPECT_EQ(systemDate.time, "14:30:00");
  EXPECT_EQ(systemDate.tradingDate, "20261201");
}

TEST_F(AccountOperations, BulletinFieldsAreCutToTheirWidthsAndTheTextIsWhole) {
  const std::string longText(5000, 'x');
  bulletins.push_back({.level = "kept"});
  Answer(5017, {"A|m|1|Y|2|", "A|a|1|x|2|y|内容\x01含竖线|20261201|09:30:00|c10|c11|",
                "A|a|1|x|一二三四五|y|" + longText + "|2026120199|09:30:00:000|0123456789|c11|"});
  ASSERT_TRUE(client::QueryBulletins("20001", "", "20261201", "20261210", bulletins, message)) << message;
  ASSERT_EQ(bulletins.size(), 3u);
  EXPECT_EQ(bulletins[0].level, "kept");
  const client::BulletinRecord& first = bulletins[1];
  EXPECT_EQ(first.level, "2");
  EXPECT_EQ(first.text, "内容|含竖线");
  EXPECT_EQ(first.sendDate, "20261201");
  EXPECT_EQ(first.sendTime, "09:30:00");
  EXPECT_EQ(first.field10, "c10");
  EXPECT_EQ(first.field11, "c11");
  const client::BulletinRecord& second = bulletins[2];
  EXPECT_EQ(second.level, "一二三四") << "nine bytes of room hold four whole characters";
  EXPECT_EQ(second.text, longText);
  EXPECT_EQ(second.sendDate, "20261201");
  EXPECT_EQ(second.sendTime, "09:30:00");
  EXPECT_EQ(second.field10, "012345678");
}

// --- Log-out

class Logout : public ScriptedBackEndTest {
 protected:
  // The requests' texts with the online seconds (field 9) taken out.
  std::vector<std::string> SentWithoutSeconds() const {
    std::vector<std::string> texts;
    for (const engine_testing::SentRequest& request : backEnd.Sent()) {
      std::vector<std::string> fields = Fields(request.text);
      EXPECT_FALSE(fields.at(8).empty());
      EXPECT_EQ(fields.at(8).find_first_not_of("0123456789"), std::string::npos) << request.text;
      std::string text = client_testing::ExpectedText(request, "");
      for (std::size_t n = 3; n < fields.size(); ++n) text += (n == 8 ? "<s>" : fields[n]) + "|";
      texts.push_back(text);
    }
    return texts;
  }
};

TEST_F(Logout, LogsOutThePlainAccount) {
  AddAccount("10001", "111111", 0);
  std::string answer = "A|m|1|Y|";
  for (int n = 5; n <= 43; ++n) answer += (n == 42 ? "S42|" : "|");
  backend::TheAccountTable().UpdateAccountFromAnswer("10001", answer);

  EXPECT_TRUE(client::Logout());
  ASSERT_EQ(backEnd.Sent().size(), 1u);
  EXPECT_EQ(backEnd.Sent()[0].title, "客户录出");
  EXPECT_EQ(backEnd.Sent()[0].singlePacket, 1);
  EXPECT_EQ(SentWithoutSeconds(), (std::vector<std::string>{client_testing::ExpectedText(
                                      backEnd.Sent()[0], "5461||Pellora|10001|111111|<s>|S42|||")}));
}

TEST_F(Logout, LogsOutTheManagementAccountAndEachSubAccount) {
  backend::SetLoginType(backend::kManagementLogin);
  AddAccount("90001", "999999", 0);
  AddAccount("20001", "999999", 1);
  AddAccount("20002", "999999", 2);

  EXPECT_TRUE(client::Logout());
  ASSERT_EQ(backEnd.Sent().size(), 3u);
  EXPECT_EQ(SentWithoutSeconds(),
            (std::vector<std::string>{
                client_testing::ExpectedText(backEnd.Sent()[0], "5461||Pellora|90001|999999|<s>||1|90001|"),
                client_testing::ExpectedText(backEnd.Sent()[1], "5461||Pellora|20001|999999|<s>||2|90001|"),
                client_testing::ExpectedText(backEnd.Sent()[2], "5461||Pellora|20002|999999|<s>||2|90001|")}));
  for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(backEnd.Sent()[static_cast<std::size_t>(slot)].slot, slot);
}

TEST_F(Logout, ReportsTheLastSend) {
  EXPECT_TRUE(client::Logout()) << "nobody to log out";
  EXPECT_TRUE(backEnd.Sent().empty());

  AddAccount("10001", "111111", 0);
  backEnd.transportError = true;
  EXPECT_FALSE(client::Logout());

  backEnd.transportError = false;
  client::InstallOperationEngine(nullptr);
  EXPECT_FALSE(client::Logout());
  EXPECT_EQ(backEnd.Sent().size(), 1u);
}

// --- The program's folder

TEST(ModuleDirectory, IsCutToTheBufferOnACharacterBoundary) {
  platform::SetProgramFolder("/opt/行情");
  const struct {
    std::size_t size;
    const char* folder;
  } cases[] = {{64, "/opt/行情"}, {9, "/opt/行"}, {8, "/opt/行"}, {7, "/opt/"}, {1, ""}};
  for (const auto& test : cases) {
    char buffer[80];
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(client::GetModuleDirectory(buffer, test.size), std::strlen(test.folder)) << test.size;
    EXPECT_STREQ(buffer, test.folder);
    EXPECT_EQ(buffer[test.size], 'z') << "nothing written past the buffer";
  }
  char untouched = 'z';
  EXPECT_EQ(client::GetModuleDirectory(&untouched, 0), 0u);
  EXPECT_EQ(untouched, 'z');
  EXPECT_EQ(client::GetModuleDirectory(nullptr, 64), 0u);
  platform::SetProgramFolder("");
}

}  // namespace
