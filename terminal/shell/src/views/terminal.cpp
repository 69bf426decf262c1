#include "shell/views/terminal.h"

#include <wx/app.h>
#include <wx/image.h>

#include <cstdio>
#include <set>

#include "backend/program_log.h"
#include "backend/sequence_number.h"
#include "backend/transport.h"
#include "client/account_queries.h"
#include "client/investor_service.h"
#include "client/notice_operations.h"
#include "client/operation_frame.h"
#include "client/quote_subscription.h"
#include "client/session_operations.h"
#include "client/settlement_operations.h"
#include "engine/query_facade.h"
#include "engine/reference_rows.h"
#include "order_module/order_module.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/message.h"
#include "platform/question.h"
#include "quotes/quote_object.h"
#include "shell/frame_routing.h"
#include "shell/settlement.h"
#include "shell/views/login_dialog.h"
#include "shell/views/main_frame.h"
#include "shell/views/settings_sheet.h"
#include "shell/views/startup_dialogs.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace shell {
namespace {

constexpr const char* kTitle = "Quentara";

std::string_view TextOf(std::span<const std::uint8_t> value) {
  std::string_view text(reinterpret_cast<const char*>(value.data()), value.size());
  while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  return text;
}

// The texts of a nested row list entry.
std::vector<std::string> RowTexts(std::span<const std::uint8_t> entry) {
  const backend::CxDataSetView row(entry);
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < row.GetCount(); ++i) texts.emplace_back(TextOf(row.GetValue(i)));
  return texts;
}

template <std::size_t N>
std::string Field(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

}  // namespace

std::string ProgramVersionText(int major, int minor, int build, int revision) {
  char text[64];
  std::snprintf(text, sizeof text, "%d.%d.%04d%04d.1", major, minor, build, revision);
  return text;
}

Terminal::Terminal()
    : settings_([this](std::vector<VarietyContract>& contracts) {
        backend::CxDataSet rows;
        if (!engine::EngineQueryContracts(engine_, rows, true)) return false;
        for (std::size_t i = 0; i < rows.GetCount(); ++i) {
          const std::span<const std::uint8_t> value = rows.GetValue(i);
          if (value.size() < sizeof(engine::ContractRow)) continue;
          engine::ContractRow row;
          std::memcpy(&row, value.data(), sizeof row);
          contracts.push_back({Field(row.szVarietyName), Field(row.szVarietyCode), Field(row.szContractCode),
                               Field(row.szExchangeCode), Field(row.szExchangeName), Field(row.szMinPriceStep)});
        }
        return true;
      }),
      registryStore_(kRegistryKey),
      sounds_([](std::string_view line) { backend::WriteLogLine(backend::kLogNote, std::string(line).c_str()); }),
      subscriptions_(client::QuoteSubscriptionSender()),
      guiCallbacks_(engine_, quotes::TheQuoteObject()),
      orderLookup_(engine_),
      pump_(engine_, subscriptions_, {.orders = &orderLookup_, .orderStates = &order_module::TheOrderModule()}),
      orderSettings_(settings_.records.orders, settings_.records.varieties),
      orderSubmission_(order_module::TheOrderModule(), orderSettings_),
      lifecycle_(*this) {
  client::InstallShellServices(this);
}

Terminal::~Terminal() {
  lifecycle_.Shutdown();
  quotes::TheQuoteObject().SetQuoteSubscriber(nullptr);
  client::InstallShellServices(nullptr);
}

bool Terminal::Start() { return lifecycle_.Start(); }

bool Terminal::InitialiseToolkit() {
  wxInitAllImageHandlers();
  platform::SetMessageHandler(
      [](std::string_view text, std::string_view caption) { ui::ShowMessageBox(nullptr, text, caption); });
  return true;
}

bool Terminal::OpenLog() { return backend::OpenProgramLog(); }
void Terminal::CloseLog() { backend::CloseProgramLog(); }

bool Terminal::ReadVersion(std::string& version) {
  version = version_ = shell::ProgramVersionText(QUENTARA_VERSION_MAJOR, QUENTARA_VERSION_MINOR, QUENTARA_VERSION_BUILD,
                                                 QUENTARA_VERSION_REVISION);
  return true;
}

void Terminal::WriteLog(int type, const std::string& text) { backend::WriteLogLine(type, text.c_str()); }

// The order thread's questions are asked on the GUI thread (the order
// module's delivery, the order submission), so the box is a modal one over
// the main frame once it is there.
void Terminal::StartOrderModule() {
  platform::SetQuestionHandler([this](std::string_view question, std::string_view caption) {
    return ui::AskYesNo(frame_, question, caption.empty() ? std::string_view(kTitle) : caption);
  });
  if (!order_module::StartOrderModule()) WriteLog(backend::kLogNote, "启动委托线程失败。");
}

// The thread goes first: a question it waits on ends with the stop, and none
// is asked after the handler is gone.
void Terminal::StopOrderModule() {
  order_module::StopOrderModule();
  platform::SetQuestionHandler(nullptr);
}

bool Terminal::StartCommunication(std::string& message) { return backend::StartCommunication(version_, message); }

void Terminal::StopCommunication() {
  backend::StopCommunication();
  // A key query of the investor page still waiting has ended with the
  // connections.
  client::StopInvestorServiceThread();
}

bool Terminal::RunLoginDialog() {
  LoginServices services{
      [](std::string& message, const client::LoginRequest& request) { return client::Login(message, request); },
      [this](int type, const std::string& text) { WriteLog(type, text); }};
  LoginDialog dialog(nullptr, settings_, client::TheConfigRegistry(), services,
                     [](wxWindow* parent, const std::string& caption, int mask) {
                       SettingsSheet sheet(parent, caption, mask, client::TheConfigRegistry());
                       sheet.ShowModal();
                     });
  return dialog.ShowModal() == wxID_OK;
}

bool Terminal::StartEngine(std::string& message) {
  engine::EngineCallbacks callbacks;
  callbacks.sendSync = backend::ExecuteRequest;
  callbacks.sendAsync = backend::PostRequest;
  callbacks.log = [](int level, const char* text) { backend::WriteLogLine(level, text); };
  callbacks.nextSequenceNo = backend::GetNextSequenceNo;
  guiCallbacks_.BindTo(callbacks);
  const std::string machine = backend::LocalMachineAddress();
  if (!engine_.Start({.machineAddress = machine,
                      .requestPrefix = client::kReservedLeadingText,
                      .applicationTag = client::kApplicationTag,
                      .accounts = &backend::TheAccountTable(),
                      .loginType = backend::GetLoginType()},
                     std::move(callbacks))) {
    message = kEngineFailedText;
    return false;
  }
  backend::SetConnectionStateHook(
      [this](int connection, int flag, int state) { engine_.OnConnectionState(state, flag, connection); });
  client::InstallOperationEngine(&engine_);
  quotes::TheQuoteObject().SetQuoteSubscriber(&subscriptions_);
  return true;
}

void Terminal::StopEngine() {
  backend::SetConnectionStateHook(nullptr);
  engine_.Stop();
  engine_.SetQuoteConnectionIndex(-1);
  client::InstallOperationEngine(nullptr);
}

bool Terminal::QueryQuoteServers(client::QuoteServerInfo& info, std::string& message) {
  return client::QueryQuoteServerInfo(info, message);
}

std::optional<client::QuoteServerRow> Terminal::ChosenGateway() {
  const client::GatewayRow* row = settings_.records.traderServers.SelectedGateway();
  if (row == nullptr) return std::nullopt;
  return client::QuoteServerRow{std::string(row->Address()), row->Port()};
}

const backend::AccountRecord* Terminal::TradingAccount() const {
  return backend::TheAccountTable().FindAccountBySlot(0);
}

void Terminal::ShowCustomerInformation() {
  const backend::AccountRecord* account = TradingAccount();
  if (account == nullptr) return;
  const CustomerInformation texts = DescribeCustomer(*account, backend::GetLoginType(), [](std::string& notices) {
    std::string message;
    return client::QueryImportantNotices(notices, message);
  });
  CustomerInfoDialog dialog(nullptr, texts);
  dialog.ShowModal();
}

bool Terminal::ConfirmSettlementStatement() {
  const backend::AccountRecord* account = TradingAccount();
  if (account == nullptr) return true;
  StatementServices services;
  services.query = [account](std::vector<std::string>& lines, std::string& message) {
    backend::CxDataSet rows;
    if (!client::QuerySettlementStatement(Field(account->key.customerNo), "", "1", rows, message)) return false;
    for (std::size_t i = 0; i < rows.GetCount(); ++i) {
      const std::vector<std::string> texts = RowTexts(rows.GetValue(i));
      lines.push_back(texts.empty() ? std::string() : texts[0]);
    }
    return true;
  };
  services.showReport = [](const std::vector<std::string>& lines) {
    StatementDialog dialog(nullptr, lines);
    return dialog.ShowModal() == wxID_OK;
  };
  services.confirm = [](std::string& message) { return client::ConfirmSettlementStatement(message); };
  services.log = [this](int type, const std::string& text) { WriteLog(type, text); };
  services.message = [](const std::string& text, const std::string& caption) {
    ui::ShowMessageBox(nullptr, text, caption);
  };
  return ConfirmSettlementStatementAtLogin(*account, backend::GetLoginType(), services);
}

bool Terminal::LoginQuoteGateway(const client::QuoteServerInfo& info, std::string& message) {
  return client::LoginQuoteGateway(message, info);
}

bool Terminal::FirstLoginOfTheDay() {
  const backend::AccountRecord* account = TradingAccount();
  return account != nullptr && account->Field(9) != account->Field(11);
}

// The page is off unless the site is set ("Configs.ini", [InvestorService]
// Address=https://...).
void Terminal::StartInvestorServicePage() {
  client::StartInvestorServiceThread(
      platform::ReadIniString("\\Config\\Configs.ini", "InvestorService", "Address", ""));
}

bool Terminal::CreateMainFrame() {
  if (registryStore_.GetInt(kFrameSettingsSection, "ApplicationLook", -1) == -1) {
    ui::ImportRegistryFile(platform::ProgramFolder() + "/Quentara.reg", registryStore_);
  }
  const backend::AccountRecord* account = TradingAccount();
  FrameContext context;
  context.settings = &settings_;
  context.registry = &client::TheConfigRegistry();
  context.registryStore = &registryStore_;
  context.output = &output_;
  context.clocks = &clocks_;
  context.clockSources = MakeClockSources();
  context.sounds = &sounds_;
  context.role = backend::GetLoginType();
  if (account != nullptr) {
    context.customerNo = Field(account->key.customerNo);
    context.customerName = std::string(account->Field(5));
    context.password = Field(account->key.password);
  }
  context.processReceiveQueue = [this] { return pump_.ProcessReceiveQueue(); };
  context.deliverOrderResults = [] { order_module::DeliverOrderModuleResults(); };
  context.shutdown = [this] { lifecycle_.Shutdown(); };
  frame_ = new MainFrame(std::move(context));
  frame_->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == frame_) frame_ = nullptr;
    event.Skip();
  });
  wxTheApp->SetTopWindow(frame_);
  frame_->Show(true);
  return true;
}

void Terminal::Logout() { client::Logout(); }

void Terminal::ShowMessage(const std::string& text) { ui::ShowMessageBox(nullptr, text, kTitle); }

int Terminal::AppendOutputLine(std::string_view text, int lineType) {
  output_.Push(lineType, StampOutputLine(platform::LocalNow(), text));
  return 1;
}

void Terminal::ShowConnectionState(int state, int slot) {
  const ConnectionDisplay display = DescribeConnectionState(state, slot, engine_.QuoteConnectionIndex());
  if (!display.shown) return;
  AppendOutputLine(display.line, client::kConnectionLine);
  if (frame_ != nullptr && display.pane != 0) frame_->SetPaneText(display.pane, display.paneText, true);
}

void Terminal::OnContractsReady() {
  if (frame_ != nullptr) frame_->OnContractsReady();
}

// The bars and views that show the tables come with their own modules;
// until they are there, a change has nowhere to go.
void Terminal::OnTableChanged(const engine::TableChangeRecord&) {}

bool Terminal::OnAsyncRequestDone(const backend::RequestRecord& record, std::string_view handlerTag) {
  if (handlerTag == client::kDeleteAllOrderTag) {
    for (const std::string& line : CancelResultLines(record)) AppendOutputLine(line, client::kCancelLine);
  }
  return true;
}

void Terminal::OnOrderResults(const backend::CGlobalStringList& result) {
  // Items: caller tag, failure flag, the handle of the message list (the
  // order module's, readable only during this call), prompt.
  if (result.GetCount() < 3) return;
  const backend::CxDataSet* messages = order_module::TheOrderModule().DeliveredMessages(result.GetAt(2));
  if (messages == nullptr) return;
  const bool failed = backend::ParseDecimal(result.GetAt(1)).value_or(0) != 0;
  std::string joined;
  for (std::size_t i = 0; i < messages->GetCount(); ++i) {
    const std::string_view line = TextOf(messages->GetValue(i));
    AppendOutputLine(line, failed ? client::kFailureLine : client::kOrderLine);
    joined.append(line).append("\n");
  }
  if (!joined.empty() && settings_.records.orders.OrderReturnHintBox) ui::ShowMessageBox(frame_, joined, kTitle);
}

void Terminal::UpdateExchangeClockState(const backend::CGlobalStringList& exchangeState) {
  std::vector<std::string> items;
  for (std::uint32_t i = 0; i < exchangeState.GetCount(); ++i) items.emplace_back(exchangeState.GetAt(i));
  clocks_.UpdateState(items);
}

ClockSources Terminal::MakeClockSources() {
  ClockSources sources;
  sources.seats = [this](std::vector<ClockSeat>& seats) {
    backend::CxDataSet rows;
    std::string error;
    if (!engine::QueryEngineTable(engine_, 10, rows, error)) return false;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < rows.GetCount(); ++i) {
      const std::span<const std::uint8_t> value = rows.GetValue(i);
      if (value.size() < sizeof(engine::ExchangeSeatRow)) continue;
      engine::ExchangeSeatRow row;
      std::memcpy(&row, value.data(), sizeof row);
      const std::string code = Field(row.szExchangeCode);
      if (!seen.insert(code).second) continue;
      seats.push_back({Field(row.szExchangeName), code, Field(row.szSeatFlag3) == "1"});
    }
    return true;
  };
  sources.systemDate = [](std::string& date, std::string& time) {
    client::SystemDate systemDate;
    std::string message;
    if (!client::QuerySystemDate(systemDate, message)) return false;
    date = systemDate.date;
    time = systemDate.time;
    return true;
  };
  sources.seatDifferences = [](std::vector<std::pair<std::string, int>>& differences) {
    std::string message;
    const backend::RequestPtr record = client::QuerySeatTimeDifference(message);
    if (record == nullptr) return false;
    for (int row = 1; row <= client::AnswerRowCount(*record); ++row) {
      const std::string_view line = client::AnswerRow(*record, row);
      differences.emplace_back(backend::GetSeparatedFieldText(4, line),
                               backend::ParseDecimal(backend::GetSeparatedFieldText(6, line)).value_or(0));
    }
    return true;
  };
  sources.marketStates = [](std::vector<std::pair<std::string, std::string>>& states) {
    backend::CxDataSet rows;
    std::string message;
    if (!client::QuerySettlementParams(rows, message)) return false;
    for (std::size_t i = 0; i < rows.GetCount(); ++i) {
      const std::vector<std::string> texts = RowTexts(rows.GetValue(i));
      if (texts.size() >= 3) states.emplace_back(texts[0], texts[2]);
    }
    return true;
  };
  sources.now = [] { return platform::LocalNow(); };
  return sources;
}

}  // namespace shell
