// The engine as a host uses it: the exports of the real library, with the
// settings and test plug-ins in "GTNdll" beside this program.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

#include "delimited_field.h"
#include "middleware/Halvost.h"
#include "middleware/test_server.h"
#include "platform/files.h"
#include "securelogin/bnGatelin.h"
#include "securelogin/testing/engine_folder.h"
#include "securelogin/testing/fake_back_end.h"

namespace {

using gatelin_test::BackEndOptions;
using gatelin_test::FakeBackEnd;

constexpr int kConnection = 8;
constexpr const char* kRequest = "R|00-11-22-33-44-55|1|5001|0|0|80001234|pw8888|";

std::vector<std::string> logLines;

int HostLog(const char* text) {
  logLines.emplace_back(text);
  return 42;
}

class GtnExportsTest : public testing::Test {
 protected:
  GtnExportsTest() {
    logLines.clear();
    EXPECT_EQ(GTN_InitInstance(HostLog), 1);
  }
  // Like a host that never calls GTN_ExitInstance, each test ends its
  // process with the plug-in loaded: the engine must not call into it then.
  ~GtnExportsTest() override { HalvostClose(kConnection); }

  int Login(int policy, const char* secret) {
    return GTN_Login(kConnection, Record(), 5001, 0, 0, kRequest, secret, policy, reply, sizeof reply, 0, 10000);
  }
  int ReLogin() { return GTN_ReLogin(Record(), kRequest, reply, sizeof reply, 0, 10000); }
  GtnHostParam Record() const { return reinterpret_cast<GtnHostParam>(&record); }

  halvost::TestServer server;
  HalvostConnectRecord record = server.ConnectRecord();
  char reply[2048] = {};
};

TEST_F(GtnExportsTest, InitLogsTheVersionAndExitReturnsTheLogsResult) {
  EXPECT_EQ(logLines, (std::vector<std::string>{"[GTN]version:1.0.2011.0302", "[GTN]InitInstance..."}));
  EXPECT_EQ(GTN_ExitInstance(), 42);
  EXPECT_EQ(logLines.back(), "[GTN]ExitInstance...");

  char version[32];
  EXPECT_EQ(GTN_GetDllVersion(version, sizeof version), version);
  EXPECT_STREQ(version, "1.0.2011.0302");
  EXPECT_STREQ(GTN_GetDllVersion(version, 4), "1.0");
}

TEST_F(GtnExportsTest, WithoutALogFunctionLinesGoToTheDailyLogBesideTheSettings) {
  ASSERT_EQ(GTN_InitInstance(nullptr), 1);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char name[32];
  std::strftime(name, sizeof name, "/GTNdll/GTN%Y%m%d.txt", &local);
  std::ifstream file(platform::ProgramFolder() + name, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(file), {});
  EXPECT_NE(text.find("[GTN]version:1.0.2011.0302\n[GTN]InitInstance...\n"), std::string::npos) << name;
}

TEST_F(GtnExportsTest, ListsThePoliciesOfTheSettingsFile) {
  unsigned char list[GTN_POLICY_LIST_SIZE];
  ASSERT_EQ(GTN_GetGTNpolicyList(list), 1);
  EXPECT_EQ(list[0], 7);
  const char* name = reinterpret_cast<const char*>(list + 4 + GTN_POLICY_ENTRY_SIZE + 8);
  EXPECT_STREQ(name, "测试厂商证书认证");
}

TEST_F(GtnExportsTest, PasswordLogInAndRelogIn) {
  FakeBackEnd backEnd(server, gatelin_test::DataFolder(), {.kind = 1});
  EXPECT_EQ(Login(1, "pass1"), GTN_LOGGED_IN) << reply;
  EXPECT_EQ(ReLogin(), GTN_LOGGED_IN) << reply;
}

TEST_F(GtnExportsTest, CertificateLogInAndRelogIn) {
  FakeBackEnd backEnd(server, gatelin_test::DataFolder(), {});
  EXPECT_EQ(Login(2, "123456"), GTN_LOGGED_IN) << reply;
  EXPECT_EQ(ReLogin(), GTN_LOGGED_IN) << reply;

  char error[256];
  EXPECT_EQ(GTN_ChangeSEpassword(2, "123456", "654321", error, sizeof error), 0);
  EXPECT_STREQ(error, "证书已加载，不能修改私钥密码，请在登录前修改密码。");
}

TEST_F(GtnExportsTest, ResultCodesOfRefusalCommunicationErrorAndPluginFailure) {
  FakeBackEnd backEnd(server, gatelin_test::DataFolder(), {.kind = 1});
  EXPECT_EQ(Login(1, "wrong"), GTN_REFUSED);

  EXPECT_EQ(Login(3, "123456"), GTN_FAILED);
  EXPECT_STREQ(reply, "加载接口<SignData>失败:");

  record.servers[0].port = 0;
  EXPECT_EQ(Login(1, "pass1"), GTN_COMMUNICATION_ERROR);
  EXPECT_STREQ(reply, "连接服务器失败");
}

TEST_F(GtnExportsTest, APasswordChangeWithAWrongSecretChangesNothing) {
  char error[64];
  EXPECT_EQ(GTN_ChangeSEpassword(2, "wrong", "654321", error, sizeof error), 0);
  EXPECT_STREQ(error, "私钥密码错误");
  EXPECT_EQ(GTN_ChangeSEpassword(2, "wrong", "654321", error, 5), 0);
  EXPECT_STREQ(error, "私钥") << "cut on a character within the size";
}

}  // namespace
