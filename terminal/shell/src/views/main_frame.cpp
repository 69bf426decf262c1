#include "shell/views/main_frame.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QVBoxLayout>
#include <algorithm>

#include "client/push_dispatch.h"
#include "client/shell_services.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "platform/process.h"
#include "program_title.h"
#include "shell/frame_routing.h"
#include "shell/views/account_dialogs.h"
#include "shell/views/dockable_query.h"
#include "shell/views/settings_sheet.h"
#include "shell/views/unlock_prompt.h"
#include "ui/context_menus.h"
#include "ui/gbk_text.h"
#include "ui/looks.h"
#include "ui/message_box.h"
#include "ui/order_form.h"

namespace shell {
namespace {

// The bars: id, caption, size, side. Bars of one side dock together as tabs
// in this order, the first in front.
const ui::BarLayout kBars[] = {
    {bar::kOrderDock, "普通下单", 1800, 200, ui::DockSide::kLeft},
    {bar::kOutput, "信息输出", 200, 100, ui::DockSide::kBottom},
    {bar::kTrade, "成交", 300, 200, ui::DockSide::kRight},
    {bar::kOrder, "委托", 300, 200, ui::DockSide::kRight},
    {bar::kFund, "资金", 200, 100, ui::DockSide::kBottom},
    {bar::kPosition, "持仓", 200, 100, ui::DockSide::kBottom},
    {bar::kContract, "合约", 200, 100, ui::DockSide::kBottom},
    {bar::kAbandonableOptions, "可放弃执行现货期权", 1800, 200, ui::DockSide::kBottom},
    {bar::kExercisableOptions, "可申请执行商品期权", 900, 1300, ui::DockSide::kBottom},
    {bar::kExerciseOrders, "商品期权申请委托单", 800, 1000, ui::DockSide::kBottom},
    {bar::kOptionBoard, "期权T型报价", 500, 500, ui::DockSide::kLeft},
    {bar::kStatement, "结算单", 1800, 200, ui::DockSide::kBottom},
    {bar::kFundInOut, "出入金", 1800, 200, ui::DockSide::kBottom},
    {bar::kNoticeBoard, "公告板", 1800, 200, ui::DockSide::kBottom},
    {bar::kAbout, "关于Quentara", 1800, 200, ui::DockSide::kBottom},
    {bar::kAccountStatus, "帐号状态设置", 1800, 200, ui::DockSide::kBottom},
};

const char* const kLookNames[] = {
    "Office 2000",        "Office XP",          "Office 2003",          "Visual Studio 2005", "Windows XP",
    "Office 2007 (蓝色)", "Office 2007 (黑色)", "Office 2007 (水绿色)", "Office 2007 (银色)", "Visual Studio 2008",
    "Visual Studio 2010", "Office 2010 (蓝色)", "Office 2010 (黑色)",   "Office 2010 (银色)"};

std::string FrameTitle(int role, const std::string& customerNo) {
  const std::string title =
      (role == 1 ? "机构监控管理终端[客户号：" : "布伦纳克期权模拟交易终端[客户号：") + customerNo + "]";
  return title.substr(0, platform::GbkFitLength(title, 127));
}

// The market window's frame: it cannot be closed.
class FixedSubWindow : public QMdiSubWindow {
 public:
  using QMdiSubWindow::QMdiSubWindow;

 protected:
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

bool IsQueryDock(int barId) {
  switch (barId) {
    case bar::kStatement:
    case bar::kFundInOut:
    case bar::kNoticeBoard:
    case bar::kAbout:
    case bar::kAccountStatus:
    case bar::kAbandonableOptions:
    case bar::kExercisableOptions:
    case bar::kExerciseOrders: return true;
    default: return false;
  }
}

MainFrame::MainFrame(FrameContext context)
    : ui::DockingFrame(FrameTitle(context.role, context.customerNo), QSize(1280, 800)),
      context_(std::move(context)),
      lookId_(context_.registryStore->GetInt(kFrameSettingsSection, "ApplicationLook", ui::kDefaultLookId)),
      hideState_([this] {
        UnlockPrompt prompt(this, context_.password);
        return prompt.exec() == QDialog::Accepted;
      }),
      hotKey_([this] { OnHotKey(); }) {
  setObjectName("CMainFrame");
  setAttribute(Qt::WA_DeleteOnClose);
  context_.views.receivers = &receivers_;
  // Batch cancels are answered in the output pane unless a view takes them.
  receivers_.SetAsyncReceiver(client::kDeleteAllOrderTag, [this](const backend::RequestRecord& record) {
    for (const std::string& line : CancelResultLines(record)) {
      context_.output->Push(client::kCancelLine, StampOutputLine(platform::LocalNow(), line));
    }
  });
  BuildMenu();
  status_ = new ui::StatusPanes(this, {{0, -1, ""},
                                       {kClockPane, 396, std::string(kClockPaneInitialText)},
                                       {kTradingStatePane, 90, "交易:正常"},
                                       {kQuoteStatePane, 90, "行情:正常"}});
  setStatusBar(status_);
  BuildBars();
  SetLook(ui::IsLookId(lookId_) ? lookId_ : ui::kDefaultLookId);
  LoadPlacement(context_.registryStore->GetString(kFrameSettingsSection, kPlacementKey, ""));
  LoadLayout(context_.registryStore->GetString(kFrameSettingsSection, kLayoutKey, ""));

  trayMenu_ = std::make_unique<QMenu>();
  QObject::connect(ui::AddCommand(trayMenu_.get(), command::kTrayOpen, "打开Quentara(&O)"), &QAction::triggered, this,
                   [this] { RestoreFromTray(); });
  QObject::connect(ui::AddCommand(trayMenu_.get(), command::kTrayClose, "关闭Quentara(&C)"), &QAction::triggered, this,
                   [this] { CloseFromTray(); });
  tray_ = std::make_unique<ui::TrayIcon>(trayMenu_.get(), [this] { RestoreFromTray(); });
  RegisterHotKey();

  QObject::connect(&clockTimer_, &QTimer::timeout, this, [this] {
    const std::string text = context_.clocks->Text(platform::LocalNow());
    if (context_.clocks->Built()) SetPaneText(kClockPane, text, false);
  });
  QObject::connect(&pumpTimer_, &QTimer::timeout, this, [this] { PumpQueue(); });
  wakeTimer_.setSingleShot(true);
  QObject::connect(&wakeTimer_, &QTimer::timeout, this, [this] { PumpQueue(); });
  sinceDrain_.start();
  if (context_.watchArrivals) {
    // Runs on the posting thread: it only posts the wake to this frame,
    // which uninstalls it before it goes.
    context_.watchArrivals([this] {
      QMetaObject::invokeMethod(
          this, [this] { OnItemsArrived(); }, Qt::QueuedConnection);
    });
  }
  QObject::connect(&outputTimer_, &QTimer::timeout, this, [this] { DrainOutputLines(); });
  clockTimer_.start(1000);
  pumpTimer_.start(10);
  outputTimer_.start(100);
}

MainFrame::~MainFrame() { FinishShutdown(); }

void MainFrame::AddBarCommand(QMenu* menu, int commandId, int barId, std::string_view text, const char* key) {
  QAction* action = ui::AddCommand(menu, commandId, text);
  action->setCheckable(true);
  if (key != nullptr) action->setShortcut(QKeySequence(key));
  commands_[commandId] = action;
  action->setProperty("bar", barId);
}

void MainFrame::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("menuBar");
  QMenu* system = bar->addMenu(ui::FromGbk("系统(&S)"));
  for (const auto& [id, text] : {std::pair{command::kChangePassword, "修改密码(&C)"},
                                 std::pair{command::kLock, "锁屏(&L)"}, std::pair{command::kSettings, "设置(&C)"}}) {
    commands_[id] = ui::AddCommand(system, id, text);
  }
  system->addSeparator();
  commands_[command::kExit] = ui::AddCommand(system, command::kExit, "退出(&X)");

  QMenu* view = bar->addMenu(ui::FromGbk("视图(&V)"));
  AddBarCommand(view, command::kOrderDock, bar::kOrderDock, "普通下单", "F4");
  AddBarCommand(view, command::kFundBar, bar::kFund, "资金", "F6");
  AddBarCommand(view, command::kOrderBar, bar::kOrder, "委托", "F7");
  AddBarCommand(view, command::kTradeBar, bar::kTrade, "成交", "F8");
  AddBarCommand(view, command::kPositionBar, bar::kPosition, "持仓", "F9");
  AddBarCommand(view, command::kContractBar, bar::kContract, "合约(&C)");
  AddBarCommand(view, command::kOptionBoard, bar::kOptionBoard, "期权T型报价");
  view->addSeparator();
  AddBarCommand(view, 32868, bar::kFundInOut, "出入金(&O)");
  AddBarCommand(view, 32869, bar::kStatement, "结算单(&S)");
  AddBarCommand(view, 32870, bar::kNoticeBoard, "公告板(&B)");
  AddBarCommand(view, 32898, bar::kAbandonableOptions, "可放弃执行现货期权查询");
  AddBarCommand(view, 32906, bar::kExercisableOptions, "可申请执行商品期权查询");
  AddBarCommand(view, 32907, bar::kExerciseOrders, "商品期权申请委托单查询");
  view->addSeparator();
  AddBarCommand(view, command::kOutputBar, bar::kOutput, "信息输出栏", "F2");
  QAction* status = ui::AddCommand(view, command::kStatusBar, "状态栏(&S)");
  status->setCheckable(true);
  status->setChecked(true);
  commands_[command::kStatusBar] = status;
  QAction* market = ui::AddCommand(view, command::kMarketArea, "行情区");
  market->setShortcut(QKeySequence("F3"));
  commands_[command::kMarketArea] = market;
  // The account-status dock and the CTP check-in have no menu item, only
  // their commands.
  auto* accountStatus = new QAction(this);
  accountStatus->setData(command::kAccountStatusDock);
  accountStatus->setCheckable(true);
  accountStatus->setProperty("bar", bar::kAccountStatus);
  commands_[command::kAccountStatusDock] = accountStatus;
  auto* checkIn = new QAction(this);
  checkIn->setData(command::kCheckInToCtp);
  commands_[command::kCheckInToCtp] = checkIn;

  QMenu* looks = bar->addMenu(ui::FromGbk("外观(&L)"));
  auto* lookGroup = new QActionGroup(this);
  for (int id = ui::kFirstLookId; id <= ui::kLastLookId; ++id) {
    QAction* action = ui::AddCommand(looks, id, kLookNames[id - ui::kFirstLookId]);
    action->setCheckable(true);
    lookGroup->addAction(action);
    commands_[id] = action;
  }

  QMenu* help = bar->addMenu(ui::FromGbk("帮助(&H)"));
  commands_[command::kHelp] = ui::AddCommand(help, command::kHelp, "帮助");
  commands_[command::kHelp]->setShortcut(QKeySequence("F1"));
  commands_[command::kLogFolder] = ui::AddCommand(help, command::kLogFolder, "打开日志目录(&D)");
  commands_[command::kCheckUpdate] = ui::AddCommand(help, command::kCheckUpdate, "检查更新(&U)");
  help->addSeparator();
  AddBarCommand(help, command::kAbout, bar::kAbout, "关于 Quentara(&A)...");

  // No handler: these stay disabled.
  commands_[command::kCheckUpdate]->setEnabled(false);
  for (const auto& [id, action] : commands_) {
    action->setShortcutContext(Qt::ApplicationShortcut);
    if (action->parent() == this) addAction(action);
    QObject::connect(action, &QAction::triggered, this, [this, id = id] { RunCommand(id); });
  }
}

QWidget* MainFrame::MakeBarContent(const ui::BarLayout& spec) {
  if (spec.id == kOutputBarId) {
    auto* holder = new QWidget;
    outputList_ = new QListWidget(holder);
    outputList_->setObjectName("COutputList");
    outputList_->setContextMenuPolicy(Qt::NoContextMenu);
    outputList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(outputList_);
    return holder;
  }
  if (IsQueryDock(spec.id)) return new CTqDockableQuery(spec.caption, context_.factories, context_.views);
  QWidget* content =
      context_.factories == nullptr ? nullptr : context_.factories->CreateBarContent(spec.id, this, context_.views);
  if (content == nullptr) {
    // The module that fills this bar is not there: an empty pane in its place.
    content = new QWidget;
    content->setObjectName(ui::FromGbk(spec.caption));
  }
  return content;
}

void MainFrame::BuildBars() {
  for (const ui::BarLayout& spec : kBars) {
    if (spec.id == bar::kAccountStatus && context_.role != 1) continue;
    AddBar(spec, MakeBarContent(spec));
  }
  FinishDefaultLayout();
  // A bar's menu check follows whether it is open.
  for (const auto& [id, action] : commands_) {
    const int barId = action->property("bar").toInt();
    if (barId == 0) continue;
    QDockWidget* dock = Bar(barId);
    action->setEnabled(dock != nullptr);
    if (dock == nullptr) continue;
    action->setChecked(!dock->isHidden());
    QObject::connect(dock->toggleViewAction(), &QAction::toggled, action, &QAction::setChecked);
  }
}

void MainFrame::SetPaneText(int paneId, const std::string& text, bool withTip) {
  status_->SetPaneText(paneId, text);
  if (withTip) status_->SetPaneTip(paneId, text);
}

std::string MainFrame::PaneText(int paneId) const { return status_->PaneText(paneId); }
std::string MainFrame::PaneTip(int paneId) const { return status_->PaneTip(paneId); }

void MainFrame::PumpQueue() {
  // A message box inside the pump runs this timer again: the inner tick
  // leaves the queue to the outer one.
  if (pumping_ || shutDown_) return;
  pumping_ = true;
  while (context_.processReceiveQueue()) {
  }
  context_.deliverOrderResults();
  pumping_ = false;
  sinceDrain_.restart();
}

void MainFrame::OnItemsArrived() {
  if (pumping_ || shutDown_ || wakeTimer_.isActive()) return;
  const qint64 spacing = client::kWokenDrainSpacing.count();
  wakeTimer_.start(static_cast<int>(std::max<qint64>(0, spacing - sinceDrain_.elapsed())));
}

void MainFrame::DrainOutputLines() {
  if (outputList_ == nullptr) return;
  std::string newest;
  for (const OutputLine& line : context_.output->TakeBatch()) {
    outputList_->addItem(ui::FromGbk(line.text));
    PlayAlert(line.type);
    newest = line.text;
  }
  if (!newest.empty()) {
    outputList_->scrollToBottom();
    status_->SetPaneText(0, StatusTextOf(newest));
  }
}

void MainFrame::PlayAlert(int lineType) {
  const Alert alert = AlertFor(context_.settings->records.voice, lineType);
  if (alert.kind == Alert::kBeep) QApplication::beep();
  if (alert.kind == Alert::kSoundFile) context_.sounds->PlayFile(alert.soundFile);
}

void MainFrame::CreateMarketWindow() {
  marketTabs_ = new QTabWidget;
  marketTabs_->setObjectName("CQuentaraTabView");
  marketTabs_->setTabPosition(QTabWidget::North);
  for (const auto& [kind, caption] :
       {std::pair{ui::kOptionMarketKind, "期权合约"}, std::pair{ui::kFutureMarketKind, "期货合约"}}) {
    QWidget* tab = context_.factories == nullptr
                       ? nullptr
                       : context_.factories->CreateMarketTab(marketTabs_, context_.views, kind);
    if (tab == nullptr) tab = new QWidget;
    tab->setObjectName(QString("CQuentaraView%1").arg(kind));
    marketTabs_->addTab(tab, ui::FromGbk(caption));
  }
  marketTabs_->setCurrentIndex(0);
  marketWindow_ = new FixedSubWindow;
  marketWindow_->setObjectName("CChildFrame");
  marketWindow_->setWidget(marketTabs_);
  marketWindow_->setWindowTitle(ui::FromGbk("普通行情"));
  marketWindow_->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
  Centre()->addSubWindow(marketWindow_);
  marketWindow_->showMaximized();
}

void MainFrame::OnContractsReady() {
  if (marketWindow_ == nullptr) {
    CreateMarketWindow();
    context_.clocks->Refresh(context_.clockSources);
  }
  if (ui::OrderForm* form = receivers_.Form()) form->ReloadContracts();
  receivers_.NotifyContractsReady();
  if (client::CTQConfig* varieties = context_.registry->Find("VarietyParamSet")) varieties->Load();
}

void MainFrame::OnTableChanged(const engine::TableChangeRecord& record) {
  // Only the tables that a bar or view shows are routed.
  if (RouteTableChange(record.TableId()).empty()) return;
  receivers_.DeliverTableChange(record);
}

bool MainFrame::OnAsyncRequestDone(const backend::RequestRecord& record, std::string_view handlerTag) {
  receivers_.DeliverAsyncAnswer(handlerTag, record);
  return true;
}

void MainFrame::AfterOrderResult(const ui::OrderResult& result) {
  if (ui::OrderForm* form = receivers_.Form()) {
    form->ResetAfterOrder();
    const int position = context_.settings->records.orders.OrderReturnCursorPos;
    if (position >= 0 && position <= 4) form->FocusFieldAfterOrder(position);
  }
  receivers_.DeliverOrderResult(result);
}

void MainFrame::SetLook(int lookId) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  lookId_ = lookId;
  ApplyLook(lookId);
  if (QAction* action = CommandAction(lookId)) action->setChecked(true);
  QApplication::restoreOverrideCursor();
  context_.registryStore->SetInt(kFrameSettingsSection, "ApplicationLook", lookId);
  context_.registryStore->SetInt(kFrameSettingsSection, "OneNoteTabs",
                                 context_.registryStore->GetInt(kFrameSettingsSection, "OneNoteTabs", 1));
}

std::string MainFrame::RegisterHotKey() {
  hotKey_.Unregister();
  const HotKeySettings& settings = context_.settings->records.hotKey;
  if (!settings.use) return {};
  const std::string problem = ui::HotKeyProblemText(hotKey_.Register(settings.modifiers, settings.virtualKey));
  if (!problem.empty()) context_.output->Push(client::kNoticeLine, StampOutputLine(platform::LocalNow(), problem));
  return problem;
}

QAction* MainFrame::CommandAction(int commandId) const {
  const auto found = commands_.find(commandId);
  return found == commands_.end() ? nullptr : found->second;
}

void MainFrame::RunCommand(int id) {
  if (QAction* action = CommandAction(id); action != nullptr && action->property("bar").toInt() != 0) {
    const int barId = action->property("bar").toInt();
    ToggleBar(barId);
    action->setChecked(IsBarOpen(barId));
    return;
  }
  if (ui::IsLookId(id)) {
    SetLook(id);
    return;
  }
  switch (id) {
    case command::kLock:
      if (hideState_.Lock()) HideToTray();
      return;
    case command::kExit: close(); return;
    case command::kChangePassword: {
      ChangePasswordDialog dialog(this, context_.role);
      dialog.exec();
      return;
    }
    case command::kCheckInToCtp: {
      CheckInToCtpDialog dialog(this, context_.settings->login, context_.settings->records.login);
      dialog.exec();
      return;
    }
    case command::kStatusBar: status_->setVisible(status_->isHidden()); return;
    case command::kSettings: {
      SettingsSheet sheet(this, "系统设置", kCommunicationPages | kOtherPages, *context_.registry);
      sheet.exec();
      RegisterHotKey();
      return;
    }
    case command::kHelp: {
      const std::string help = platform::ResolvePath("Quentara.mht");
      if (!platform::IsRegularFile(help)) {
        ui::ShowMessageBox(this, "帮助文档不存在", kProgramTitle);
      } else if (!platform::StartProcess({"xdg-open", help})) {
        ui::ShowMessageBox(this, "加载帮助系统失败", kProgramTitle);
      }
      return;
    }
    case command::kLogFolder: platform::StartProcess({"xdg-open", platform::ResolvePath(".\\Log")}); return;
    case command::kMarketArea: ToggleCentre(); return;
    case command::kTrayOpen: RestoreFromTray(); return;
    case command::kTrayClose: CloseFromTray(); return;
    default: return;
  }
}

void MainFrame::HideToTray() {
  tray_->Add("Pellora:" + context_.customerName + " -已登录");
  if (ui::TrayIcon::Available()) {
    hide();
  } else {
    // No notification area on this desktop: the window goes to the task bar.
    showMinimized();
  }
}

// The one way back, for the tray and the hot key alike: the icon goes, the
// window comes back in front.
void MainFrame::ShowFromTray() {
  tray_->Remove();
  showNormal();
  raise();
  activateWindow();
}

void MainFrame::OnHotKey() {
  if (!hideState_.HotKey()) return;
  if (hideState_.State() == WindowState::kShown) {
    ShowFromTray();
  } else {
    HideToTray();
  }
}

void MainFrame::RestoreFromTray() {
  if (hideState_.Restore()) ShowFromTray();
}

void MainFrame::CloseFromTray() {
  FinishShutdown();
  close();
}

void MainFrame::closeEvent(QCloseEvent* event) {
  if (!shutDown_ && !ui::AskYesNo(this, "确定退出程序吗？", kProgramTitle)) {
    event->ignore();
    return;
  }
  FinishShutdown();
  event->accept();
}

void MainFrame::FinishShutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  if (context_.watchArrivals) context_.watchArrivals({});
  context_.shutdown();
  pumpTimer_.stop();
  wakeTimer_.stop();
  clockTimer_.stop();
  outputTimer_.stop();
  context_.registryStore->SetString(kFrameSettingsSection, kLayoutKey, SaveLayout());
  context_.registryStore->SetString(kFrameSettingsSection, kPlacementKey, SavePlacement());
  tray_->Remove();
  hotKey_.Unregister();
}

}  // namespace shell
