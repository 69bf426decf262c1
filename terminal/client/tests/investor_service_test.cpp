#include "client/investor_service.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "client/testing/client_test.h"
#include "platform/sync.h"

namespace {

using client_testing::ScriptedBackEndTest;

constexpr const char* kSite = "https://investor.example";
constexpr const char* kBarePage = "https://investor.example/loginByKey.do";

class InvestorService : public ScriptedBackEndTest {
 protected:
  void SetUp() override {
    ScriptedBackEndTest::SetUp();
    AddTwoAccounts();
  }

  std::string message;
};

TEST_F(InvestorService, TheKeyComesFromTheStatusLine) {
  const struct {
    const char* answer;
    const char* password;
  } cases[] = {
      {"A|m|1|Y|U77|C01|12345|ab|cd|ef|", "abcdef"},
      {"A|m|1|Y|U77|C01|12345|ab|||", "ab"},
      // The joined password keeps 22 bytes and no half character.
      {"A|m|1|Y|U77|C01|12345|0123456789|0123456789|a密|", "01234567890123456789a"},
  };
  for (const auto& test : cases) {
    Answer(5406, {test.answer});
    client::MonitorCentreKey key;
    ASSERT_TRUE(client::QueryMonitorCentreKey(key, message)) << message;
    EXPECT_STREQ(key.userId, "U77");
    EXPECT_STREQ(key.companyId, "C01");
    EXPECT_EQ(key.keyId, 12345);
    EXPECT_STREQ(key.password, test.password);
  }
  ASSERT_EQ(backEnd.Sent().size(), 3u);
  EXPECT_EQ(backEnd.Sent()[0].text, client_testing::ExpectedText(backEnd.Sent()[0], "5406||Pellora|10001|111111|"));
  EXPECT_EQ(backEnd.Sent()[0].title, "查询监控中心密钥");
  EXPECT_EQ(backEnd.Sent()[0].slot, 0);
  EXPECT_EQ(backEnd.Sent()[0].priority, 2);
  EXPECT_EQ(backEnd.Sent()[0].singlePacket, 1);
}

TEST_F(InvestorService, AFailedKeyQueryLeavesTheKeyAlone) {
  const struct {
    std::vector<std::string> answer;
    const char* message;
  } cases[] = {{{"A|m|1|N|7001|无监控中心账号！|U77|C01|1|x|"}, "无监控中心账号！"}, {{}, "IO返回数据为空！"}};
  for (const auto& test : cases) {
    Answer(5406, test.answer);
    client::MonitorCentreKey key;
    std::strcpy(key.userId, "10001");
    EXPECT_FALSE(client::QueryMonitorCentreKey(key, message));
    EXPECT_EQ(message, test.message);
    EXPECT_STREQ(key.userId, "10001");
    EXPECT_STREQ(key.password, "");
  }
}

TEST(InvestorServicePage, TheAddressCarriesTheKeyPercentEncoded) {
  client::MonitorCentreKey key;
  std::strcpy(key.companyId, "0001");
  std::strcpy(key.userId, "100-01_a.b~");
  key.keyId = -42;
  std::strcpy(key.password, "密&码 +");
  EXPECT_EQ(client::InvestorServicePageAddress(kSite, &key),
            std::string(kBarePage) + "?companyID=0001&userid=100-01_a.b~&keyid=-42&passwd=%C3%DC%26%C2%EB%20%2B");
  EXPECT_EQ(client::InvestorServicePageAddress(kSite, nullptr), kBarePage);
}

// The worker with an opener that records the addresses it is given.
class PageWorker : public InvestorService {
 protected:
  // Runs the worker once and waits for it to open the page.
  void RunOnce() {
    opened_.Reset();
    ASSERT_TRUE(worker_.Start(kSite));
    EXPECT_TRUE(opened_.Wait(client_testing::kBound)) << "the page was not opened";
    worker_.Stop();
  }

  std::vector<std::string> Addresses() {
    std::lock_guard lock(mutex_);
    return addresses_;
  }

 protected:
  std::mutex mutex_;  // guards addresses_
  std::vector<std::string> addresses_;
  platform::Event opened_{platform::ResetMode::kManual};
  client::InvestorServiceThread worker_{[this](const std::string& address) {
    {
      std::lock_guard lock(mutex_);
      addresses_.push_back(address);
    }
    opened_.Set();
    return true;
  }};
};

TEST_F(PageWorker, WithoutASiteThePageIsOff) {
  Answer(5406, {"A|m|1|Y|U77|C01|9|pw|||"});
  EXPECT_FALSE(worker_.Start(""));
  EXPECT_TRUE(backEnd.Sent().empty());
}

TEST_F(PageWorker, OpensThePageLoggedInByTheKeyOrElseBare) {
  Answer(5406, {"A|m|1|Y|U77|C01|9|pw|||"});
  RunOnce();
  Answer(5406, {"A|m|1|N|7001|无监控中心账号！|"});
  RunOnce();
  EXPECT_EQ(Addresses(), (std::vector<std::string>{
                             std::string(kBarePage) + "?companyID=C01&userid=U77&keyid=9&passwd=pw", kBarePage}));
  ASSERT_EQ(backEnd.Sent().size(), 2u);
  EXPECT_EQ(backEnd.Sent()[0].slot, 0);
}

}  // namespace
