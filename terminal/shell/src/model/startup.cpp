#include "shell/startup.h"

#include "backend/program_log.h"

namespace shell {

bool Lifecycle::Start() {
  if (!services_.InitialiseToolkit()) return Fail(std::string(kToolkitFailedText));
  if (!services_.OpenLog()) return Fail(std::string(kLogOpenFailedText));
  running_.log = true;

  std::string version;
  if (!services_.ReadVersion(version)) {
    services_.WriteLog(backend::kLogNote, std::string(kVersionFailedText));
    return Fail(std::string(kVersionFailedText));
  }
  services_.WriteLog(backend::kLogNote, "当前版本：" + version + "。");

  services_.StartOrderModule();
  running_.orderModule = true;

  std::string message;
  services_.WriteLog(backend::kLogNote, "初始化通讯模块。");
  if (!services_.StartCommunication(message)) return Fail(message);
  running_.communication = true;

  if (!services_.RunLoginDialog()) return Fail({});
  running_.loggedIn = true;

  if (!services_.StartEngine(message)) return Fail(message.empty() ? std::string(kEngineFailedText) : message);
  running_.engine = true;

  quoteServers_ = {};
  if (!services_.QueryQuoteServers(quoteServers_, message)) return Fail(message);
  quoteServers_.quoteSlot = kQuoteConnectionIndex;
  if (quoteServers_.servers.empty()) {
    if (const std::optional<client::QuoteServerRow> gateway = services_.ChosenGateway()) {
      quoteServers_.servers.push_back(*gateway);
    }
    quoteServers_.selectedServer = 0;
  }

  services_.ShowCustomerInformation();
  if (!services_.ConfirmSettlementStatement()) return Fail({});

  if (!services_.LoginQuoteGateway(quoteServers_, message)) return Fail(message);

  if (services_.FirstLoginOfTheDay()) {
    services_.WriteLog(backend::kLogNote, std::string(kInvestorPageLogText));
    services_.StartInvestorServicePage();
  }

  if (!services_.CreateMainFrame()) return Fail({});
  return true;
}

void Lifecycle::Shutdown() {
  if (running_.loggedIn) {
    running_.loggedIn = false;
    services_.Logout();
  }
  if (running_.engine) {
    running_.engine = false;
    services_.StopEngine();
  }
  if (running_.orderModule) {
    running_.orderModule = false;
    services_.StopOrderModule();
  }
  if (running_.communication) {
    running_.communication = false;
    services_.StopCommunication();
  }
  if (running_.log) {
    running_.log = false;
    services_.CloseLog();
  }
}

bool Lifecycle::Fail(const std::string& message) {
  if (!message.empty()) services_.ShowMessage(message);
  Shutdown();
  return false;
}

}  // namespace shell
