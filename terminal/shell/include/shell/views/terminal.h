// The running terminal: owns the settings, the engine and the queue pump,
// carries out each start-up step (StartupServices) and is the shell the
// back-end client and the engine call (client::ShellServices), forwarding to
// the main frame once it exists.
#pragma once

#include <memory>
#include <string>

#include "client/engine_callbacks.h"
#include "client/engine_order_lookup.h"
#include "client/push_dispatch.h"
#include "client/shell_services.h"
#include "client/subscription_list.h"
#include "engine/operation_engine.h"
#include "order_module/order_submission.h"
#include "shell/exchange_clock.h"
#include "shell/order_settings_source.h"
#include "shell/output_lines.h"
#include "shell/settings_areas.h"
#include "shell/startup.h"
#include "ui/question_bridge.h"
#include "ui/registry_store.h"
#include "ui/sound_service.h"
#include "ui/view_factories.h"

namespace shell {

class MainFrame;

inline constexpr const char* kRegistryKey = "Tolvane\\Brennark\\Quentara";

// "%d.%d.%04d%04d.1" of the program's version numbers.
std::string ProgramVersionText(int major, int minor, int build, int revision);

class Terminal : public StartupServices, public client::ShellServices {
 public:
  Terminal();
  ~Terminal() override;

  // Runs the start-up; true when the main frame runs.
  bool Start();
  MainFrame* Frame() const { return frame_; }
  ShellSettings& Settings() { return settings_; }
  Lifecycle& Life() { return lifecycle_; }
  // Where the order panels hand in their orders.
  order_module::OrderSubmission& Orders() { return orderSubmission_; }
  engine::COperationEngine& Engine() { return engine_; }
  // The bar and market-tab factories of the view modules, registered when
  // the terminal is made; the frame takes them when it is created.
  ui::ViewFactories& Factories() { return factories_; }
  // The questions of the engine, the order module and the code below the
  // windows; null before the toolkit is set up.
  ui::QuestionBridge* Questions() const { return questions_.get(); }

  // StartupServices
  bool InitialiseToolkit() override;
  bool OpenLog() override;
  void CloseLog() override;
  bool ReadVersion(std::string& version) override;
  void WriteLog(int type, const std::string& text) override;
  void StartOrderModule() override;
  void StopOrderModule() override;
  bool StartCommunication(std::string& message) override;
  void StopCommunication() override;
  bool RunLoginDialog() override;
  bool StartEngine(std::string& message) override;
  void StopEngine() override;
  bool QueryQuoteServers(client::QuoteServerInfo& info, std::string& message) override;
  std::optional<client::QuoteServerRow> ChosenGateway() override;
  void ShowCustomerInformation() override;
  bool ConfirmSettlementStatement() override;
  bool LoginQuoteGateway(const client::QuoteServerInfo& info, std::string& message) override;
  bool FirstLoginOfTheDay() override;
  void StartInvestorServicePage() override;
  bool CreateMainFrame() override;
  void Logout() override;
  void ShowMessage(const std::string& text) override;

  // client::ShellServices
  int AppendOutputLine(std::string_view text, int lineType) override;
  void ShowConnectionState(int state, int slot) override;
  void OnContractsReady() override;
  void OnTableChanged(const engine::TableChangeRecord& record) override;
  bool OnAsyncRequestDone(const backend::RequestRecord& record, std::string_view handlerTag) override;
  void OnOrderResults(const backend::CGlobalStringList& result) override;
  void UpdateExchangeClockState(const backend::CGlobalStringList& exchangeState) override;
  std::string ProgramVersionText() const override { return version_; }
  const client::TraderServerConfigData& TraderServerConfig() const override { return settings_.records.traderServers; }
  const client::ProxyServerConfigData& ProxyServerConfig() const override { return settings_.records.proxy.server; }

 private:
  ClockSources MakeClockSources();
  const backend::AccountRecord* TradingAccount() const;
  // A question asked by any thread, declined once shut-down has begun.
  ui::Answer Ask(std::string_view text, std::string_view caption, ui::Buttons buttons, ui::BoxIcon icon);
  void StopQuestions();

  std::shared_ptr<ui::QuestionBridge> questions_;
  ui::ViewFactories factories_;
  std::string version_;
  ShellSettings settings_;
  ui::RegistryStore registryStore_;
  PendingOutputLines output_;
  ExchangeClockStrip clocks_;
  ui::SoundService sounds_;
  engine::COperationEngine engine_;
  client::SubscriptionList subscriptions_;
  client::EngineGuiCallbacks guiCallbacks_;
  client::EngineOrderLookup orderLookup_;
  client::ReceivePump pump_;
  ShellOrderSettings orderSettings_;
  order_module::OrderSubmission orderSubmission_;
  Lifecycle lifecycle_;
  MainFrame* frame_ = nullptr;
};

}  // namespace shell
