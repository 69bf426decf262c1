#include "shell/views/terminal.h"

#include <QApplication>
#include <cstdio>
#include <functional>
#include <set>
#include <utility>

#include "backend/program_log.h"
#include "backend/request_queue.h"
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
#include "engine/user_prompt.h"
#include "gridctl/views/register_views.h"
#include "marketviews/views/register_views.h"
#include "order_module/order_module.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/message.h"
#include "platform/question.h"
#include "program_title.h"
#include "quotes/quote_object.h"
#include "shell/frame_routing.h"
#include "shell/settlement.h"
#include "shell/views/login_dialog.h"
#include "shell/views/main_frame.h"
#include "shell/views/settings_pages.h"
#include "shell/views/settings_sheet.h"
#include "shell/views/startup_dialogs.h"
#include "tradeviews/views/register_views.h"
#include "ui/context_menus.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"
#include "ui/order_form.h"

namespace shell {
namespace {

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

ui::Buttons ButtonsOf(engine::PromptButtons buttons) {
  switch (buttons) {
    case engine::PromptButtons::kOk: return ui::Buttons::kOk;
    case engine::PromptButtons::kYesNo: return ui::Buttons::kYesNo;
    case engine::PromptButtons::kOkCancel: return ui::Buttons::kOkCancel;
    case engine::PromptButtons::kRetryCancel: return ui::Buttons::kRetryCancel;
    case engine::PromptButtons::kAbortRetryIgnore: return ui::Buttons::kAbortRetryIgnore;
  }
  return ui::Buttons::kOk;
}

ui::BoxIcon IconOf(engine::PromptIcon icon) {
  switch (icon) {
    case engine::PromptIcon::kNone: return ui::BoxIcon::kNone;
    case engine::PromptIcon::kQuestion: return ui::BoxIcon::kQuestion;
    case engine::PromptIcon::kStop: return ui::BoxIcon::kStop;
  }
  return ui::BoxIcon::kNone;
}

engine::PromptAnswer AnswerOf(ui::Answer answer) {
  switch (answer) {
    case ui::Answer::kOk: return engine::PromptAnswer::kOk;
    case ui::Answer::kCancel: return engine::PromptAnswer::kCancel;
    case ui::Answer::kYes: return engine::PromptAnswer::kYes;
    case ui::Answer::kNo: return engine::PromptAnswer::kNo;
    case ui::Answer::kRetry: return engine::PromptAnswer::kRetry;
    case ui::Answer::kAbort: return engine::PromptAnswer::kAbort;
    case ui::Answer::kIgnore: return engine::PromptAnswer::kIgnore;
  }
  return engine::PromptAnswer::kCancel;
}

// The engine's questions on condition orders, in message boxes with the
// application's title and the buttons the engine asks for.
class EnginePrompt final : public engine::UserPrompt {
 public:
  explicit EnginePrompt(std::shared_ptr<ui::QuestionBridge> questions) : questions_(std::move(questions)) {}

  engine::PromptAnswer Ask(const engine::UserQuestion& question) override {
    return AnswerOf(
        questions_->Ask({question.text, kProgramTitle, ButtonsOf(question.buttons), IconOf(question.icon)}));
  }

 private:
  std::shared_ptr<ui::QuestionBridge> questions_;
};

// The grids' sort and filter menu, which they ask for by name.
std::unique_ptr<QMenu> FilterMenu() {
  auto menu = std::make_unique<QMenu>();
  ui::AddCommand(menu.get(), 61508, "&S升序");
  ui::AddCommand(menu.get(), 61509, "&O降序");
  ui::AddCommand(menu.get(), 61510, "&F设置过滤...");
  ui::AddCommand(menu.get(), 61511, "&C清除过滤");
  return menu;
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
  gridctl::RegisterViews(factories_);
  marketviews::RegisterViews(factories_);
  tradeviews::RegisterViews(factories_);
  RegisterSettingsPages(
      {.engine = &engine_, .groups = &quotes::TheQuoteObject(), .layouts = &registryStore_, .sounds = &sounds_});
}

Terminal::~Terminal() {
  // The frame works with what this owns: it goes first.
  delete frame_;
  ClearSettingsPages();
  lifecycle_.Shutdown();
  quotes::TheQuoteObject().SetQuoteSubscriber(nullptr);
  client::InstallShellServices(nullptr);
}

bool Terminal::Start() { return lifecycle_.Start(); }

bool Terminal::InitialiseToolkit() {
  if (QApplication::instance() == nullptr) return false;
  questions_ = std::make_shared<ui::QuestionBridge>([this](const ui::Question& question) {
    return ui::RunMessageBox(frame_, question.text, question.caption, question.buttons, question.icon);
  });
  platform::SetMessageHandler([this](std::string_view text, std::string_view caption) {
    Ask(text, caption.empty() ? std::string_view(kProgramTitle) : caption, ui::Buttons::kOk, ui::BoxIcon::kNone);
  });
  return true;
}

ui::Answer Terminal::Ask(std::string_view text, std::string_view caption, ui::Buttons buttons, ui::BoxIcon icon) {
  if (questions_ == nullptr) return ui::DecliningAnswer(buttons);
  return questions_->Ask({std::string(text), std::string(caption), buttons, icon});
}

// Threads that shut-down joins may wait on a question: the wait ends here,
// and later questions are declined.
void Terminal::StopQuestions() {
  if (questions_ != nullptr) questions_->Stop();
}

bool Terminal::OpenLog() { return backend::OpenProgramLog(); }
void Terminal::CloseLog() { backend::CloseProgramLog(); }

bool Terminal::ReadVersion(std::string& version) {
  version = version_ = shell::ProgramVersionText(QUENTARA_VERSION_MAJOR, QUENTARA_VERSION_MINOR, QUENTARA_VERSION_BUILD,
                                                 QUENTARA_VERSION_REVISION);
  return true;
}

void Terminal::WriteLog(int type, const std::string& text) { backend::WriteLogLine(type, text.c_str()); }

// The order module's questions (asked on the GUI thread by its delivery and
// the order submission) are Yes/No boxes over the main frame once it is
// there.
void Terminal::StartOrderModule() {
  platform::SetQuestionHandler([this](std::string_view question, std::string_view caption) {
    return Ask(question, caption.empty() ? std::string_view(kProgramTitle) : caption, ui::Buttons::kYesNo,
               ui::BoxIcon::kQuestion) == ui::Answer::kYes;
  });
  if (!order_module::StartOrderModule()) WriteLog(backend::kLogNote, "启动委托线程失败。");
}

// The thread goes first: a question it waits on ends with the stop, and none
// is asked after the handler is gone.
void Terminal::StopOrderModule() {
  StopQuestions();
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
                     [](QWidget* parent, const std::string& caption, int mask) {
                       SettingsSheet sheet(parent, caption, mask, client::TheConfigRegistry());
                       sheet.exec();
                     });
  return dialog.exec() == QDialog::Accepted;
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
  if (questions_ != nullptr) engine_.SetUserPrompt(std::make_shared<EnginePrompt>(questions_));
  return true;
}

void Terminal::StopEngine() {
  StopQuestions();
  backend::SetConnectionStateHook(nullptr);
  engine_.Stop();
  engine_.SetQuoteConnectionIndex(-1);
  client::InstallOperationEngine(nullptr);
  // The contract groups are saved with the end of the session; no quote
  // subscription goes out any more.
  quotes::TheQuoteObject().StopWatching();
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
  dialog.exec();
}

bool Terminal::ConfirmSettlementStatement() {
  const backend::AccountRecord* account = TradingAccount();
  if (account == nullptr) return true;
  StatementServices services;
  services.query = [account](std::vector<std::string>& lines, std::string& message) {
    backend::CxDataSet rows;
    if (!client::QuerySettlementStatement(Field(account->key.customerNo), "", "1", rows, message)) return false;
    lines = client::StatementLines(rows);
    return true;
  };
  services.showReport = [](const std::vector<std::string>& lines) {
    StatementDialog dialog(nullptr, lines);
    return dialog.exec() == QDialog::Accepted;
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

void Terminal::StartInvestorServicePage() { client::StartInvestorServiceThread(client::InvestorServiceSite()); }

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
  context.watchArrivals = [](std::function<void()> wake) { backend::TheResultQueue().SetArrivalHook(std::move(wake)); };
  context.deliverOrderResults = [] { order_module::DeliverOrderModuleResults(); };
  context.shutdown = [this] { lifecycle_.Shutdown(); };
  context.views = {.engine = &engine_,
                   .quotes = &quotes::TheQuoteObject(),
                   .orders = &orderSubmission_,
                   .orderModule = &order_module::TheOrderModule(),
                   .orderSettings = &orderSettings_,
                   .settings = &client::TheConfigRegistry(),
                   .registry = &registryStore_,
                   .role = context.role,
                   .customerNo = context.customerNo,
                   .customerName = context.customerName,
                   .output = [this](int type, std::string_view text) { AppendOutputLine(text, type); },
                   .receivers = nullptr};
  context.factories = &factories_;
  frame_ = new MainFrame(std::move(context));
  // The program ends with its main window, not with the last window shown
  // (the frame may be hidden in the tray while a prompt closes).
  QApplication::setQuitOnLastWindowClosed(false);
  QObject::connect(frame_, &QObject::destroyed, [this] {
    frame_ = nullptr;
    QCoreApplication::quit();
  });
  frame_->show();
  ui::TheContextMenus().Register("过滤菜单", FilterMenu);
  return true;
}

void Terminal::Logout() { client::Logout(); }

void Terminal::ShowMessage(const std::string& text) { ui::ShowMessageBox(frame_, text, kProgramTitle); }

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

void Terminal::OnTableChanged(const engine::TableChangeRecord& record) {
  if (frame_ != nullptr) frame_->OnTableChanged(record);
}

bool Terminal::OnAsyncRequestDone(const backend::RequestRecord& record, std::string_view handlerTag) {
  return frame_ != nullptr && frame_->OnAsyncRequestDone(record, handlerTag);
}

void Terminal::OnOrderResults(const backend::CGlobalStringList& result) {
  // Items: caller tag, failure flag, the handle of the message list (the
  // order module's, readable only during this call), prompt.
  if (result.GetCount() < 3) return;
  const backend::CxDataSet* messages = order_module::TheOrderModule().DeliveredMessages(result.GetAt(2));
  if (messages == nullptr) return;
  ui::OrderResult shown;
  shown.callerTag = result.GetAt(0);
  shown.failed = backend::ParseDecimal(result.GetAt(1)).value_or(0) != 0;
  shown.prompt = result.GetCount() > 3 ? std::string(result.GetAt(3)) : std::string();
  std::string joined;
  for (std::size_t i = 0; i < messages->GetCount(); ++i) {
    const std::string_view line = TextOf(messages->GetValue(i));
    AppendOutputLine(line, shown.failed ? client::kFailureLine : client::kOrderLine);
    joined.append(line).append("\n");
    shown.lines.emplace_back(line);
  }
  if (!joined.empty() && settings_.records.orders.OrderReturnHintBox) ui::ShowMessageBox(frame_, joined, kProgramTitle);
  if (frame_ != nullptr) frame_->AfterOrderResult(shown);
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
      seats.push_back({Field(row.szExchangeName), code, Field(row.szGroupFlag) == "1"});
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
