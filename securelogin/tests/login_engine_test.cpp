// The log-in flow against the loopback back end and the test plug-in.
#include "login_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "delimited_field.h"
#include "middleware/Halvost.h"
#include "middleware/test_server.h"
#include "securelogin/testing/engine_folder.h"
#include "securelogin/testing/fake_back_end.h"

namespace {

using gatelin::FieldOrEmpty;
using gatelin_test::BackEndOptions;
using gatelin_test::EngineFolder;
using gatelin_test::FakeBackEnd;
using gatelin_test::kSecret;

constexpr int kConnection = 5;
// The host's own request: field 6 the customer, field 7 the password.
constexpr const char* kRequest = "R|00-11-22-33-44-55|1|5001|0|0|80001234|pw8888|";
constexpr int kPasswordPolicy = 1;
constexpr int kCertificatePolicy = 2;

std::vector<std::string> logLines;

int CaptureLog(const char* text) {
  logLines.emplace_back(text);
  return 1;
}

class LoginEngineTest : public testing::Test {
 protected:
  LoginEngineTest() {
    logLines.clear();
    engine.InitInstance(CaptureLog, folder.Path());
    server.Answer(1, "Y|");
  }
  ~LoginEngineTest() override { HalvostClose(kConnection); }

  void StartBackEnd(BackEndOptions options) {
    backEnd = std::make_unique<FakeBackEnd>(server, gatelin_test::DataFolder(), std::move(options));
  }

  int Login(int policy, const std::string& secret = kSecret, const std::string& request = kRequest) {
    host.a = reinterpret_cast<HalvostParam>(&record);
    return engine.Login(kConnection, host, request.c_str(), secret.c_str(), policy, reply, sizeof reply);
  }

  int ReLogin(const std::string& request = kRequest) {
    return engine.ReLogin(host.a, request.c_str(), reply, sizeof reply, host.e, host.f);
  }

  // A log-in through a fresh engine over `engineFolder` against a back end of
  // its own fails with `expected`, and the engine closed the connection.
  void ExpectFreshLoginRefused(const EngineFolder& engineFolder, BackEndOptions options, const std::string& expected,
                               const std::string& label) {
    halvost::TestServer backEndServer;
    FakeBackEnd backEndOfCase(backEndServer, gatelin_test::DataFolder(), std::move(options));
    gatelin::LoginEngine loginEngine;
    loginEngine.InitInstance(CaptureLog, engineFolder.Path());
    HalvostConnectRecord where = backEndServer.ConnectRecord();
    host.a = reinterpret_cast<HalvostParam>(&where);
    EXPECT_EQ(loginEngine.Login(kConnection, host, kRequest, kSecret, kCertificatePolicy, reply, sizeof reply),
              GTN_FAILED)
        << label;
    EXPECT_STREQ(reply, expected.c_str()) << label;
    EXPECT_EQ(HalvostClose(kConnection), kHalvostNotConnected) << label << ": the engine closed it";
  }

  // The requests the back end received for a function, in order.
  std::vector<std::string> Requests(int function) const {
    std::vector<std::string> texts;
    for (const auto& frame : server.Received()) {
      if (frame.kind == 1 && frame.function == function) texts.push_back(frame.text);
    }
    return texts;
  }

  std::vector<std::string> SessionTexts() const {
    std::vector<std::string> texts;
    for (const auto& frame : server.Received()) {
      if (frame.kind == 4) texts.push_back(frame.text);
    }
    return texts;
  }

  bool ConnectionOpen() {
    char answer[16];
    return HalvostCall(kConnection, 1, "R|", answer, sizeof answer, nullptr, 10000) != kHalvostNotConnected;
  }

  std::string LogText() const {
    std::string text;
    for (const auto& line : logLines) text += line + "\n";
    return text;
  }

  EngineFolder folder{{"TESTCA", "NOSIGN"}};
  halvost::TestServer server;
  HalvostConnectRecord record = server.ConnectRecord();
  gatelin::HostParams host{0, 5001, 0, 0, 0, 10000};
  gatelin::LoginEngine engine;
  std::unique_ptr<FakeBackEnd> backEnd;
  char reply[2048] = {};
};

// ---------------------------------------------------------------------------
// Password log-in (kind 1)

TEST_F(LoginEngineTest, PasswordLogInSendsOneRoundAndTheRelogInOneMore) {
  StartBackEnd({.kind = 1});
  ASSERT_EQ(Login(kPasswordPolicy, "pass1"), GTN_LOGGED_IN) << reply;
  auto requests = Requests(5001);
  ASSERT_EQ(requests.size(), 1u);
  const std::string& first = requests[0];
  EXPECT_EQ(FieldOrEmpty(first, 7), "pw8888");
  EXPECT_EQ(FieldOrEmpty(first, 11), "3");
  EXPECT_EQ(FieldOrEmpty(first, 14), "2");
  EXPECT_EQ(FieldOrEmpty(first, 15), "1");
  EXPECT_EQ(FieldOrEmpty(first, 18), "pass1");
  EXPECT_EQ(FieldOrEmpty(first, 19), "1");
  EXPECT_EQ(FieldOrEmpty(first, 21), "TESTCA");

  ASSERT_EQ(ReLogin(), GTN_LOGGED_IN) << reply;
  requests = Requests(5001);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(FieldOrEmpty(requests[1], 14), "9");
  EXPECT_EQ(FieldOrEmpty(requests[1], 18), "pass1");
  EXPECT_EQ(FieldOrEmpty(requests[1], 22), "K1TOKEN");
}

TEST_F(LoginEngineTest, TheLogShowsNeitherThePasswordNorTheSecret) {
  StartBackEnd({.kind = 1});
  ASSERT_EQ(Login(kPasswordPolicy, "pass1"), GTN_LOGGED_IN);
  const std::string log = LogText();
  EXPECT_EQ(log.find("pass1"), std::string::npos) << log;
  EXPECT_EQ(log.find("pw8888"), std::string::npos) << log;
  EXPECT_NE(log.find("[GTN][5001-2]请求(CID=5):R|00-11-22-33-44-55|1|5001|0|0|80001234|******|"), std::string::npos)
      << log;
  EXPECT_NE(log.find("[GTN][5001-2]应答(CID=5):A|"), std::string::npos) << log;
}

TEST_F(LoginEngineTest, ARefusedLogInClosesTheConnection) {
  StartBackEnd({.kind = 1});
  EXPECT_EQ(Login(kPasswordPolicy, "wrong"), GTN_REFUSED);
  EXPECT_EQ(FieldOrEmpty(reply, 6), "密码错误") << "the server's answer is the host's to read";
  EXPECT_FALSE(ConnectionOpen());
}

TEST_F(LoginEngineTest, ACommunicationErrorLeavesTheMiddlewaresTextInTheReply) {
  StartBackEnd({.kind = 1});
  record.servers[0].port = 0;  // nowhere to connect
  EXPECT_EQ(Login(kPasswordPolicy, "pass1"), GTN_COMMUNICATION_ERROR);
  EXPECT_STREQ(reply, "连接服务器失败");
  EXPECT_NE(LogText().find("[GTN][5001-2]通讯错误(CID=5):连接服务器失败"), std::string::npos);
}

TEST_F(LoginEngineTest, TheReplyBufferBoundsWhatTheMiddlewareWrites) {
  StartBackEnd({.kind = 1});
  char small[17];
  std::memset(small, '#', sizeof small);
  host.a = reinterpret_cast<HalvostParam>(&record);
  EXPECT_EQ(engine.Login(kConnection, host, kRequest, "pass1", kPasswordPolicy, small, 16), GTN_COMMUNICATION_ERROR);
  EXPECT_STREQ(small, "应答超过缓冲区") << "the error text cut on a character within the size";
  EXPECT_EQ(small[16], '#');
}

TEST_F(LoginEngineTest, ATextBeyondWhatTheMiddlewareAcceptsFailsInsteadOfBeingCut) {
  StartBackEnd({.kind = 1});
  std::string request = kRequest;
  gatelin::SetDelimitedField(request, 30, std::string(kHalvostMaxRequestLength, 'x'));
  EXPECT_EQ(Login(kPasswordPolicy, "pass1", request), GTN_COMMUNICATION_ERROR);
  EXPECT_STREQ(reply, "请求超过允许长度");
  EXPECT_TRUE(Requests(5001).empty());
}

// ---------------------------------------------------------------------------
// Certificate log-in (kind 2)

TEST_F(LoginEngineTest, CertificateLogInSignsTheChallengeAndRelogsInShort) {
  StartBackEnd({});
  ASSERT_EQ(Login(kCertificatePolicy), GTN_LOGGED_IN) << reply;
  auto requests = Requests(5001);
  ASSERT_EQ(requests.size(), 2u);
  const std::string& first = requests[0];
  EXPECT_EQ(FieldOrEmpty(first, 14), "1");
  EXPECT_EQ(FieldOrEmpty(first, 7), "") << "the password stays home in round 1";
  EXPECT_EQ(FieldOrEmpty(first, 16).size(), 12u) << "base64 of 8 random bytes";
  EXPECT_EQ(FieldOrEmpty(first, 17), "2002") << "the client certificate's detail";
  const std::string& second = requests[1];
  EXPECT_EQ(FieldOrEmpty(second, 14), "2");
  EXPECT_EQ(FieldOrEmpty(second, 7), "pw8888");
  EXPECT_EQ(FieldOrEmpty(second, 16), "");
  EXPECT_EQ(FieldOrEmpty(second, 17), "");
  const std::string field18 = FieldOrEmpty(second, 18);
  EXPECT_EQ(field18.substr(field18.find('#')), "##2##");
  EXPECT_EQ(FieldOrEmpty(second, 19), "1");
  EXPECT_EQ(FieldOrEmpty(second, 22), "P01,8194,,#T1#T2");

  ASSERT_EQ(ReLogin(), GTN_LOGGED_IN) << reply;
  requests = Requests(5001);
  ASSERT_EQ(requests.size(), 3u) << "the same customer relogs in with one round";
  EXPECT_EQ(FieldOrEmpty(requests[2], 14), "9");
  EXPECT_EQ(FieldOrEmpty(requests[2], 18), field18.substr(0, field18.find('#')) + "#2##");
  EXPECT_EQ(FieldOrEmpty(requests[2], 22), "P01,8194,,#T1#T2");

  std::string otherCustomer = kRequest;
  gatelin::SetDelimitedField(otherCustomer, 6, "80009999");
  ASSERT_EQ(ReLogin(otherCustomer), GTN_LOGGED_IN) << reply;
  requests = Requests(5001);
  ASSERT_EQ(requests.size(), 5u) << "another customer goes through the whole handshake";
  EXPECT_EQ(FieldOrEmpty(requests[3], 14), "1");
}

TEST_F(LoginEngineTest, EnvelopeModeTwoSendsThePasswordSealedAndChecksTheEcho) {
  StartBackEnd({.envelopeMode = 2});
  ASSERT_EQ(Login(kCertificatePolicy), GTN_LOGGED_IN) << reply;
  const auto requests = Requests(5001);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(FieldOrEmpty(requests[1], 7), "") << "the password travels only in the envelope";
  EXPECT_EQ(backEnd->EnvelopedPassword(), "pw8888");
  ASSERT_TRUE(ConnectionOpen());  // a round trip after the session text
  EXPECT_EQ(SessionTexts(), std::vector<std::string>{"SESSION2"}) << "the reply hook's text reached the middleware";

  ASSERT_EQ(ReLogin(), GTN_LOGGED_IN) << reply;
  const auto relogin = Requests(5001).back();
  EXPECT_EQ(FieldOrEmpty(relogin, 7), "");
  const std::string signedField = FieldOrEmpty(requests[1], 18);
  EXPECT_EQ(FieldOrEmpty(relogin, 18),
            FieldOrEmpty(signedField, 0, '#') + "#2#" + FieldOrEmpty(signedField, 3, '#') + "#");
  ASSERT_TRUE(ConnectionOpen());
  EXPECT_EQ(SessionTexts().back(), "SESSION9");
}

TEST_F(LoginEngineTest, ServerSideChecksFailWithTheirMessages) {
  struct Case {
    const char* name;
    BackEndOptions options;
    std::string expected;
  };
  const std::vector<Case> cases{
      {"wrong echo", {.envelopeMode = 2, .echoWrongChallenge = true}, "验证码不匹配:"},
      {"bad server signature", {.signRandomWrongly = true}, "服务端签名不正确:验签失败"},
      {"bad random echo", {.randomEcho = true, .signRandomWrongly = true}, "(BNM)验证服务端签名不正确:"},
      {"revoked client certificate", {.clientSerial = "-1"}, "服务器端无该客户证书或已失效:"},
  };
  for (const Case& c : cases) {
    EngineFolder fresh{{"TESTCA"}};
    ExpectFreshLoginRefused(fresh, c.options, c.expected, c.name);
  }
}

TEST_F(LoginEngineTest, TheRandomEchoProvesAServerWithoutCertificate) {
  StartBackEnd({.randomEcho = true});
  EXPECT_EQ(Login(kCertificatePolicy), GTN_LOGGED_IN) << reply;
}

TEST_F(LoginEngineTest, ModeZeroNeedsNoSignature) {
  StartBackEnd({.envelopeMode = 0, .randomEcho = true});
  ASSERT_EQ(Login(kCertificatePolicy), GTN_LOGGED_IN) << reply;
  const std::string second = Requests(5001).back();
  EXPECT_EQ(FieldOrEmpty(second, 18), "0");
  EXPECT_EQ(FieldOrEmpty(second, 19), "0");
  EXPECT_EQ(FieldOrEmpty(second, 22), "-1");
}

TEST_F(LoginEngineTest, AnUnknownClientCertificateIsUploadedInChunks) {
  StartBackEnd({.clientSerial = "0"});
  ASSERT_EQ(Login(kCertificatePolicy), GTN_LOGGED_IN) << reply;
  const auto uploads = Requests(5492);
  const std::string certificate = backEnd->UploadedCertificate();
  const std::size_t chunks = (certificate.size() + 127) / 128;
  ASSERT_EQ(uploads.size(), chunks);
  for (std::size_t i = 0; i < chunks; ++i) {
    EXPECT_EQ(FieldOrEmpty(uploads[i], 3), "5492");
    EXPECT_EQ(FieldOrEmpty(uploads[i], 7), "pw8888") << "fields 0 to 7 come from the log-in request";
    EXPECT_EQ(FieldOrEmpty(uploads[i], 8), "1");
    EXPECT_EQ(FieldOrEmpty(uploads[i], 9), "TESTCA");
    EXPECT_EQ(FieldOrEmpty(uploads[i], 10), std::to_string(chunks));
    EXPECT_EQ(FieldOrEmpty(uploads[i], 11), std::to_string(i + 1));
    EXPECT_EQ(FieldOrEmpty(uploads[i], 12), certificate.substr(i * 128, 128));
  }
  EXPECT_TRUE(backEnd->HasClientCertificate());
  EXPECT_NE(LogText().find("[GTN][5492]请求(CID=5):R|00-11-22-33-44-55|1|5492|0|0|80001234|******|"),
            std::string::npos);
  EXPECT_EQ(FieldOrEmpty(Requests(5001).back(), 22), "P01,,2002,#T1#T2") << "without serial: the detail";
}

TEST_F(LoginEngineTest, AMissingServerCertificateIsDownloadedAndStored) {
  folder.RemoveServerCertificate("TESTCA");
  StartBackEnd({});
  ASSERT_EQ(Login(kCertificatePolicy), GTN_LOGGED_IN) << reply;
  EXPECT_EQ(Requests(5493).size(), 1u);
  EXPECT_GE(Requests(0).size(), 2u);
  EXPECT_EQ(FieldOrEmpty(Requests(0)[0], 3), "0");
  EXPECT_TRUE(std::filesystem::exists(folder.SupplierFolder("TESTCA") + "/server.crt"));
}

TEST_F(LoginEngineTest, TheDownloadIsRefusedOrBounded) {
  struct Case {
    const char* name;
    BackEndOptions options;
    std::string expected;
    std::size_t continuations;
  };
  const std::vector<Case> cases{
      {"download not offered", {.field34Tail = ",0"}, "客户端无服务器证书或已失效:无服务器证书", 0},
      {"absurd packet count", {.downloadPackets = "999999"}, "下载证书失败:", 0},
      {"certificate too long", {.downloadPackets = "3", .downloadFiller = std::string(1000, 'A')}, "下载证书失败:", 3},
      {"too few packets", {.downloadPackets = "1"}, "下载证书失败:证书格式错误", 1},
  };
  for (const Case& c : cases) {
    EngineFolder fresh{{"TESTCA"}};
    fresh.RemoveServerCertificate("TESTCA");
    halvost::TestServer backEndServer;
    FakeBackEnd failing(backEndServer, gatelin_test::DataFolder(), c.options);
    gatelin::LoginEngine loginEngine;
    loginEngine.InitInstance(CaptureLog, fresh.Path());
    HalvostConnectRecord where = backEndServer.ConnectRecord();
    host.a = reinterpret_cast<HalvostParam>(&where);
    EXPECT_EQ(loginEngine.Login(kConnection, host, kRequest, kSecret, kCertificatePolicy, reply, sizeof reply),
              GTN_FAILED)
        << c.name;
    EXPECT_STREQ(reply, c.expected.c_str()) << c.name;
    std::size_t continuations = 0;
    for (const auto& frame : backEndServer.Received()) continuations += frame.function == 0 ? 1 : 0;
    EXPECT_EQ(continuations, c.continuations) << c.name;
  }
}

TEST_F(LoginEngineTest, PluginFailuresGiveTheStepsMessageWithThePluginsText) {
  struct Case {
    const char* failing;
    BackEndOptions options;
    std::string expected;
  };
  const std::vector<Case> cases{
      {"GetcustCertDetail", {}, "调用认证厂商功能失败:GetcustCertDetail测试失败"},
      {"SignData", {}, "签名失败:SignData测试失败"},
      {"SignData:overlong", {}, "签名失败:"},
      {"Envelope", {.envelopeMode = 2}, "组成数字信封失败:Envelope测试失败"},
      {"UpTransCertificate", {.clientSerial = "0"}, "上传证书失败:UpTransCertificate测试失败"},
  };
  for (const Case& c : cases) {
    EngineFolder fresh{{"TESTCA"}};
    fresh.FailInPlugin("TESTCA", c.failing);
    ExpectFreshLoginRefused(fresh, c.options, c.expected, c.failing);
  }
}

TEST_F(LoginEngineTest, APluginThatCannotBeMadeCurrentFailsBeforeAnyRound) {
  StartBackEnd({});
  EXPECT_EQ(Login(3), GTN_FAILED);
  EXPECT_STREQ(reply, "加载接口<SignData>失败:");
  EXPECT_TRUE(Requests(5001).empty());
  EXPECT_NE(LogText().find("[GTN]加载接口<SignData>失败:"), std::string::npos);
}

TEST_F(LoginEngineTest, AnUnknownKindFailsAndClosesTheConnection) {
  StartBackEnd({});
  char answer[16];
  ASSERT_EQ(HalvostLoginCall(kConnection, reinterpret_cast<HalvostParam>(&record), 1, 0, 0, "R|", answer, sizeof answer,
                             0, 0),
            kHalvostOk);
  EXPECT_EQ(Login(7), GTN_FAILED);
  EXPECT_STREQ(reply, "未知类型的安全登录方式:");
  EXPECT_FALSE(ConnectionOpen());
}

TEST_F(LoginEngineTest, ARelogInWithoutEarlierLogInFailsAndClosesNothing) {
  for (int connection : {0, kConnection}) {
    char answer[16];
    ASSERT_EQ(HalvostLoginCall(connection, reinterpret_cast<HalvostParam>(&record), 1, 0, 0, "R|", answer,
                               sizeof answer, 0, 0),
              kHalvostOk);
  }
  EXPECT_EQ(ReLogin(), GTN_FAILED);
  EXPECT_STREQ(reply, "未知类型的安全登录方式:");
  EXPECT_TRUE(ConnectionOpen());
  char answer[16];
  EXPECT_EQ(HalvostCall(0, 1, "R|", answer, sizeof answer, nullptr, 10000), kHalvostOk);
  HalvostClose(0);
}

TEST_F(LoginEngineTest, ALogInWithAnotherSecretOpensAFreshSession) {
  StartBackEnd({});
  ASSERT_EQ(Login(kCertificatePolicy), GTN_LOGGED_IN) << reply;
  EXPECT_EQ(Login(kCertificatePolicy, "wrong"), GTN_FAILED);
  EXPECT_STREQ(reply, "调用认证厂商功能失败:私钥密码错误") << "the loaded session of the right secret is not reused";
}

TEST_F(LoginEngineTest, ARelogInAfterExitLoadsThePluginAgain) {
  StartBackEnd({});
  ASSERT_EQ(Login(kCertificatePolicy), GTN_LOGGED_IN) << reply;
  engine.ExitInstance();
  EXPECT_EQ(ReLogin(), GTN_LOGGED_IN) << reply;
}

TEST_F(LoginEngineTest, ASignatureThatWouldOverflowTheRequestFailsTheStep) {
  StartBackEnd({});
  // Round 1 still fits; the signature of step 6 does not.
  std::string request = kRequest;
  gatelin::SetDelimitedField(request, 30, std::string(3900, 'x'));
  EXPECT_EQ(Login(kCertificatePolicy, kSecret, request), GTN_FAILED);
  EXPECT_STREQ(reply, "签名失败:");
  EXPECT_EQ(Requests(5001).size(), 1u);
}

TEST_F(LoginEngineTest, TheReplyHookWritesNoMoreThanTheMiddlewareOffers) {
  StartBackEnd({.envelopeMode = 2});
  ASSERT_EQ(Login(kCertificatePolicy), GTN_LOGGED_IN) << reply;
  const auto clientCertificate = gtn_test::ReadCertificate(gatelin_test::DataFolder() + "/client.crt");
  gtn_test::KeyPtr clientKey(X509_get_pubkey(clientCertificate.get()));
  const std::string answer = gatelin_test::Answer(true, {{31, *gtn_test::Seal(clientKey.get(), "SESSION9")}});
  std::string relogin = kRequest;
  gatelin::SetDelimitedField(relogin, 14, "9");
  char out[16];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(engine.OnReply(kConnection, relogin.c_str(), answer.c_str(), out, 8), 0);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(out[8], '#');
  EXPECT_EQ(engine.OnReply(kConnection, relogin.c_str(), answer.c_str(), out, 9), 8);
  EXPECT_STREQ(out, "SESSION9");
  EXPECT_EQ(engine.OnReply(kConnection + 1, relogin.c_str(), answer.c_str(), out, 9), 0) << "another connection";
}

}  // namespace
