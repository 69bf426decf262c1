#include "shell/startup.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Services that record each call and fail the one step named.
class FakeServices : public shell::StartupServices {
 public:
  bool InitialiseToolkit() override { return Step("toolkit"); }
  bool OpenLog() override { return Step("open log"); }
  void CloseLog() override { calls.push_back("close log"); }
  bool ReadVersion(std::string& version) override {
    version = "5.2.00010002.1";
    return Step("version");
  }
  void WriteLog(int, const std::string& text) override { log.push_back(text); }
  void StartOrderModule() override { calls.push_back("start order module"); }
  void StopOrderModule() override { calls.push_back("stop order module"); }
  bool StartCommunication(std::string& message) override {
    message = "通讯模块启动失败";
    return Step("communication");
  }
  void StopCommunication() override { calls.push_back("stop communication"); }
  bool RunLoginDialog() override { return Step("login"); }
  bool StartEngine(std::string& message) override {
    message.clear();
    return Step("engine");
  }
  void StopEngine() override { calls.push_back("stop engine"); }
  bool QueryQuoteServers(client::QuoteServerInfo& info, std::string& message) override {
    message = "查询行情服务器失败";
    info.servers = quoteServers;
    return Step("quote servers");
  }
  std::optional<client::QuoteServerRow> ChosenGateway() override { return client::QuoteServerRow{"127.0.0.1", 17001}; }
  void ShowCustomerInformation() override { calls.push_back("customer information"); }
  bool ConfirmSettlementStatement() override { return Step("statement"); }
  bool LoginQuoteGateway(const client::QuoteServerInfo& info, std::string& message) override {
    quoteLogin = info;
    message = "行情登录失败";
    return Step("quote login");
  }
  bool FirstLoginOfTheDay() override { return firstLoginOfTheDay; }
  void StartInvestorServicePage() override { calls.push_back("investor page"); }
  bool CreateMainFrame() override { return Step("frame"); }
  void Logout() override { calls.push_back("logout"); }
  void ShowMessage(const std::string& text) override { calls.push_back("message: " + text); }

  std::string failing;
  bool firstLoginOfTheDay = false;
  std::vector<client::QuoteServerRow> quoteServers;
  std::vector<std::string> calls;
  std::vector<std::string> log;
  client::QuoteServerInfo quoteLogin;

 private:
  bool Step(const std::string& name) {
    calls.push_back(name);
    return name != failing;
  }
};

// The calls after the failing step: its message and the undoing.
std::vector<std::string> After(const std::vector<std::string>& calls, const std::string& step) {
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i] == step) return {calls.begin() + static_cast<std::ptrdiff_t>(i) + 1, calls.end()};
  }
  return {"<step not reached>"};
}

TEST(Startup, EachFailingStepGivesItsMessageAndUndoesExactlyWhatStarted) {
  const std::vector<std::string> fullShutdown{"logout", "stop engine", "stop order module", "stop communication",
                                              "close log"};
  struct Case {
    std::string step;
    std::vector<std::string> after;
  };
  const std::vector<Case> cases = {
      {"toolkit", {"message: 初始化界面组件失败！"}},
      {"open log", {"message: 启动日志失败！"}},
      {"version", {"message: 获取文件版本错误！", "close log"}},
      {"communication", {"message: 通讯模块启动失败", "stop order module", "close log"}},
      {"login", {"stop order module", "stop communication", "close log"}},
      {"engine", {"message: 启动计算引擎失败！", "logout", "stop order module", "stop communication", "close log"}},
      {"quote servers",
       [&] {
         std::vector<std::string> after{"message: 查询行情服务器失败"};
         after.insert(after.end(), fullShutdown.begin(), fullShutdown.end());
         return after;
       }()},
      {"statement", fullShutdown},
      {"quote login",
       [&] {
         std::vector<std::string> after{"message: 行情登录失败"};
         after.insert(after.end(), fullShutdown.begin(), fullShutdown.end());
         return after;
       }()},
      {"frame", fullShutdown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    FakeServices services;
    services.failing = c.step;
    shell::Lifecycle lifecycle(services);
    EXPECT_FALSE(lifecycle.Start());
    EXPECT_EQ(After(services.calls, c.step), c.after);
    // A second shut-down (the frame's close after a failed start) stops nothing twice.
    const std::size_t count = services.calls.size();
    lifecycle.Shutdown();
    EXPECT_EQ(services.calls.size(), count);
  }
}

TEST(Startup, TheVersionFailureIsAlsoLogged) {
  FakeServices services;
  services.failing = "version";
  shell::Lifecycle(services).Start();
  EXPECT_EQ(services.log, std::vector<std::string>{"获取文件版本错误！"});
}

TEST(Startup, ASuccessfulStartRunsEveryStepInOrderAndShutsDownInOrder) {
  FakeServices services;
  shell::Lifecycle lifecycle(services);
  ASSERT_TRUE(lifecycle.Start());
  EXPECT_EQ(services.calls, (std::vector<std::string>{"toolkit", "open log", "version", "start order module",
                                                      "communication", "login", "engine", "quote servers",
                                                      "customer information", "statement", "quote login", "frame"}));
  EXPECT_EQ(services.log, (std::vector<std::string>{"当前版本：5.2.00010002.1。", "初始化通讯模块。"}));
  services.calls.clear();
  lifecycle.Shutdown();
  EXPECT_EQ(services.calls, (std::vector<std::string>{"logout", "stop engine", "stop order module",
                                                      "stop communication", "close log"}));
}

TEST(Startup, AnEmptyQuoteServerListLeavesExactlyTheChosenGateway) {
  FakeServices services;
  ASSERT_TRUE(shell::Lifecycle(services).Start());
  ASSERT_EQ(services.quoteLogin.servers.size(), 1u);
  EXPECT_EQ(services.quoteLogin.servers[0], (client::QuoteServerRow{"127.0.0.1", 17001}));
  EXPECT_EQ(services.quoteLogin.selectedServer, 0);
  EXPECT_EQ(services.quoteLogin.quoteSlot, shell::kQuoteConnectionIndex);

  FakeServices listed;
  listed.quoteServers = {{"10.1.1.1", 9000}, {"10.1.1.2", 9000}};
  ASSERT_TRUE(shell::Lifecycle(listed).Start());
  EXPECT_EQ(listed.quoteLogin.servers, listed.quoteServers);
}

TEST(Startup, TheInvestorPageOpensOnlyOnTheDaysFirstLogin) {
  for (const bool first : {false, true}) {
    FakeServices services;
    services.firstLoginOfTheDay = first;
    ASSERT_TRUE(shell::Lifecycle(services).Start());
    const bool opened = std::count(services.calls.begin(), services.calls.end(), "investor page") == 1;
    const bool logged = std::count(services.log.begin(), services.log.end(), "启动监控中心自动登陆页面。") == 1;
    EXPECT_EQ(opened, first);
    EXPECT_EQ(logged, first);
  }
}

}  // namespace
