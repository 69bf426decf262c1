// The terminal's start-up sequence and its shut-down, as a driver over the
// services that do each step. No toolkit: the application object supplies the
// real services, the tests fakes.
//
// Every step that fails ends start-up after its message (or none, where the
// user cancelled) and after undoing exactly what the earlier steps started.
// Once the customer is logged in, every way out runs the whole shut-down:
// log-out, engine, order module, portal library, and the log last.
#pragma once

#include <optional>
#include <string>

#include "client/login.h"

namespace shell {

inline constexpr std::string_view kLogOpenFailedText = "启动日志失败！";
inline constexpr std::string_view kVersionFailedText = "获取文件版本错误！";
inline constexpr std::string_view kToolkitFailedText = "初始化界面组件失败！";
inline constexpr std::string_view kEngineFailedText = "启动计算引擎失败！";
inline constexpr std::string_view kInvestorPageLogText = "启动监控中心自动登陆页面。";
inline constexpr int kQuoteConnectionIndex = 1;

class StartupServices {
 public:
  virtual ~StartupServices() = default;

  virtual bool InitialiseToolkit() = 0;
  virtual bool OpenLog() = 0;
  virtual void CloseLog() = 0;
  // The program's version text; false when the program has none.
  virtual bool ReadVersion(std::string& version) = 0;
  virtual void WriteLog(int type, const std::string& text) = 0;
  virtual void StartOrderModule() = 0;
  virtual void StopOrderModule() = 0;
  virtual bool StartCommunication(std::string& message) = 0;
  virtual void StopCommunication() = 0;
  // The login dialog; true once the customer is logged in.
  virtual bool RunLoginDialog() = 0;
  virtual bool StartEngine(std::string& message) = 0;
  virtual void StopEngine() = 0;
  virtual bool QueryQuoteServers(client::QuoteServerInfo& info, std::string& message) = 0;
  // The trading gateway chosen in the login dialog.
  virtual std::optional<client::QuoteServerRow> ChosenGateway() = 0;
  virtual void ShowCustomerInformation() = 0;
  // False when the customer must confirm the statement and did not.
  virtual bool ConfirmSettlementStatement() = 0;
  // Logs in to the market gateway, which then tells the engine its slot.
  virtual bool LoginQuoteGateway(const client::QuoteServerInfo& info, std::string& message) = 0;
  // Whether the login answer's trading date (field 9) differs from the last
  // login date (field 11).
  virtual bool FirstLoginOfTheDay() = 0;
  virtual void StartInvestorServicePage() = 0;
  // The registry settings, the default layout when none is stored, and the
  // main frame; false when the frame cannot be made.
  virtual bool CreateMainFrame() = 0;
  virtual void Logout() = 0;
  virtual void ShowMessage(const std::string& text) = 0;
};

// What is running, so that shut-down undoes exactly that.
struct RunningParts {
  bool log = false;
  bool orderModule = false;
  bool communication = false;
  bool loggedIn = false;
  bool engine = false;
};

class Lifecycle {
 public:
  explicit Lifecycle(StartupServices& services) : services_(services) {}

  // Runs the start-up; true when the main frame is up and the message loop
  // should run.
  bool Start();

  // Stops whatever runs, in order: log-out, engine, order module, portal
  // library, log. Each part once, however often this is called.
  void Shutdown();

  const RunningParts& Running() const { return running_; }
  const client::QuoteServerInfo& QuoteServers() const { return quoteServers_; }

 private:
  // Shows the message (when there is one), shuts down, answers false.
  bool Fail(const std::string& message);

  StartupServices& services_;
  RunningParts running_;
  client::QuoteServerInfo quoteServers_;
};

}  // namespace shell
