// The real program's main window against the simulated back end: the demo
// customer logged in through the dialog, the bars in their tab groups, the
// keys and menu checks of the bars, the market window once the contracts
// are ready, what the frame routes to the views that register (table
// changes, asynchronous answers, order results with the order form reset),
// the settings sheet cancelled, hiding and showing by hot key, lock and
// tray, and the shut-down in order.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "backend/request_queue.h"
#include "client/shell_services.h"
#include "order_module/order_module.h"
#include "platform/ini_file.h"
#include "shell/frame_routing.h"
#include "shell/testing/terminal_session.h"
#include "ui/context_menus.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/order_form.h"
#include "ui/testing/gui_test.h"

namespace {

namespace fs = std::filesystem;
using shell::MainFrame;

// The terminal with its shut-down steps recorded.
class RecordingTerminal : public shell::Terminal {
 public:
  void Logout() override {
    steps.push_back("logout");
    Terminal::Logout();
  }
  void StopEngine() override {
    steps.push_back("stop engine");
    Terminal::StopEngine();
  }
  void StopOrderModule() override {
    steps.push_back("stop order module");
    Terminal::StopOrderModule();
  }
  void StopCommunication() override {
    steps.push_back("stop communication");
    Terminal::StopCommunication();
  }
  void CloseLog() override {
    steps.push_back("close log");
    Terminal::CloseLog();
  }

  std::vector<std::string> steps;
};

// The order dock's content as the order panel will register itself.
class StubOrderForm : public QLineEdit, public ui::OrderForm {
 public:
  bool FillFromOrderRecord(const order_module::OrderRecord&) override { return true; }
  void ResetAfterOrder() override { ++resets; }
  void FocusFieldAfterOrder(int position) override { focused = position; }
  void ReloadContracts() override { ++reloads; }

  int resets = 0;
  int focused = -1;
  int reloads = 0;
};

struct Routed {
  std::vector<int> tables;
  std::vector<std::string> tags;
  int contractsReady = 0;
  int orderResults = 0;
};

class MainFrameSession : public shell::testing::TerminalSession {
 protected:
  // Registers the stub order form and receivers for the order dock.
  void RegisterViews(shell::Terminal& terminal) {
    terminal.Factories().SetBarFactory(shell::bar::kOrderDock, [this](QWidget*, const ui::ViewContext& context) {
      form_ = new StubOrderForm;
      context.receivers->SetOrderForm(form_);
      for (const int table : {2, 3}) {
        context.receivers->AddTableReceiver(
            table, [this](const engine::TableChangeRecord& record) { routed_.tables.push_back(record.TableId()); });
      }
      context.receivers->SetAsyncReceiver(client::kDeleteOrderTag, [this](const backend::RequestRecord&) {
        routed_.tags.push_back(std::string(client::kDeleteOrderTag));
      });
      context.receivers->AddContractsReadyListener([this] { ++routed_.contractsReady; });
      context.receivers->AddOrderResultReceiver([this](const ui::OrderResult&) { ++routed_.orderResults; });
      return form_;
    });
  }

  StubOrderForm* form_ = nullptr;
  Routed routed_;
};

TEST_F(MainFrameSession, LogsInShowsTheBarsInTheirGroupsRoutesToTheViewsAndClosesInOrder) {
  RecordingTerminal terminal;
  RegisterViews(terminal);
  ASSERT_TRUE(shell::testing::StartLoggedIn(terminal));
  MainFrame* frame = terminal.Frame();
  EXPECT_EQ(ui::ToGbk(frame->windowTitle()), "布伦纳克期权模拟交易终端[客户号：10001]");
  EXPECT_EQ(frame->BarCount(), 15);  // a trading customer has no account-status dock
  EXPECT_EQ(frame->BarContent(shell::bar::kOrderDock), form_);
  EXPECT_EQ(frame->TabGroupOf(shell::bar::kTrade), (std::vector<int>{shell::bar::kTrade, shell::bar::kOrder}));
  EXPECT_EQ(frame->TabGroupOf(shell::bar::kOrderDock),
            (std::vector<int>{shell::bar::kOrderDock, shell::bar::kOptionBoard}));
  const std::vector<int> bottom = frame->TabGroupOf(shell::bar::kOutput);
  EXPECT_EQ(bottom.size(), 11u);
  EXPECT_EQ(std::vector<int>(bottom.begin(), bottom.begin() + 4),
            (std::vector<int>{shell::bar::kOutput, shell::bar::kFund, shell::bar::kPosition, shell::bar::kContract}));
  for (const int front : {shell::bar::kTrade, shell::bar::kOrderDock, shell::bar::kOutput}) {
    EXPECT_TRUE(frame->IsBarInFront(front)) << front;
  }
  EXPECT_EQ(frame->PaneText(shell::kTradingStatePane).rfind("交易:", 0), 0u);
  EXPECT_TRUE(order_module::TheOrderModule().IsRunning());
  // The grids' sort and filter menu is there by name from the start.
  const std::unique_ptr<QMenu> filter = ui::TheContextMenus().Create("过滤菜单");
  ASSERT_NE(filter, nullptr);
  std::vector<std::pair<int, std::string>> items;
  for (const QAction* action : filter->actions()) items.emplace_back(ui::CommandOf(action), ui::ToGbk(action->text()));
  EXPECT_EQ(items, (std::vector<std::pair<int, std::string>>{
                       {61508, "&S升序"}, {61509, "&O降序"}, {61510, "&F设置过滤..."}, {61511, "&C清除过滤"}}));

  // The market gateway's line comes once the engine listens; the market
  // window once the contracts are in.
  ASSERT_TRUE(shell::testing::WaitForOutputLine(*frame, "行情网关：已经连接。"));
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return frame->MarketWindow() != nullptr; }));
  ASSERT_EQ(frame->MarketTabs()->count(), 2);
  EXPECT_EQ(ui::ToGbk(frame->MarketTabs()->tabText(0)), "期权合约");
  EXPECT_EQ(ui::ToGbk(frame->MarketTabs()->tabText(1)), "期货合约");
  EXPECT_EQ(ui::ToGbk(frame->MarketWindow()->windowTitle()), "普通行情");
  EXPECT_GE(routed_.contractsReady, 1);
  EXPECT_EQ(form_->reloads, routed_.contractsReady);
  EXPECT_NE(frame->PaneTip(shell::kQuoteStatePane), "");
  ui::testing::SaveScreenshot(frame, "main_frame");

  // F7 brings the order bar in front of the trade bar, then closes it, then
  // opens it again; its menu check follows.
  QAction* orderBar = frame->CommandAction(shell::command::kOrderBar);
  QTest::keyClick(frame, Qt::Key_F7);
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return frame->IsBarInFront(shell::bar::kOrder); }));
  EXPECT_TRUE(orderBar->isChecked());
  QTest::keyClick(frame, Qt::Key_F7);
  EXPECT_FALSE(frame->IsBarOpen(shell::bar::kOrder));
  EXPECT_FALSE(orderBar->isChecked());
  QTest::keyClick(frame, Qt::Key_F7);
  EXPECT_TRUE(frame->IsBarOpen(shell::bar::kOrder));
  EXPECT_TRUE(orderBar->isChecked());
  frame->Bar(shell::bar::kFund)->close();
  EXPECT_FALSE(frame->CommandAction(shell::command::kFundBar)->isChecked());

  // A limit buy of one lot, as the order panel lists it: the order thread
  // sends it, the order table changes, and the result resets the form.
  const int changesBefore = static_cast<int>(routed_.tables.size());
  backend::CGlobalStringList order;
  for (const char* item :
       {"", "", "", "S", "cu2701", "0", "0", "0", "1", "80000", "81000101", "S001", "0", "0", "", "0", "10001"}) {
    order.Append(item);
  }
  ASSERT_TRUE(terminal.Orders().SubmitOrder(order));
  ASSERT_TRUE(shell::testing::WaitForOutputLine(*frame, "委托单发送"));
  EXPECT_TRUE(shell::testing::HasOutputLine(*frame, "[10001]买入|开仓|投机|1|"));
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return form_->resets >= 1; }));
  EXPECT_EQ(form_->focused, 0);  // "OrderReturnCursorPos" 0: the contract
  EXPECT_EQ(routed_.orderResults, form_->resets);
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return static_cast<int>(routed_.tables.size()) > changesBefore; }));
  EXPECT_EQ(std::count(routed_.tables.begin(), routed_.tables.end(), 3), 0);
  // Special orders (table 3) are shown by no bar: not routed.
  frame->OnTableChanged(engine::TableChangeRecord::Reload(3));
  EXPECT_EQ(std::count(routed_.tables.begin(), routed_.tables.end(), 3), 0);
  // A single cancel's answer reaches the view that asked.
  backend::RequestRecord cancel;
  EXPECT_TRUE(frame->OnAsyncRequestDone(cancel, client::kDeleteOrderTag));
  EXPECT_EQ(routed_.tags, std::vector<std::string>{std::string(client::kDeleteOrderTag)});

  // Cancelling the settings changes no file.
  const std::map<std::string, std::string> configBefore = shell::testing::ConfigFiles(folder_ / "Config");
  bool sheetSeen = false;
  ui::testing::WhenShown("CTQPropertySheet", [&](QWidget* sheet) {
    sheetSeen = true;
    ui::testing::SaveScreenshot(sheet, "settings_sheet");
    QTest::mouseClick(sheet->findChild<QPushButton*>("cancel"), Qt::LeftButton);
  });
  frame->RunCommand(shell::command::kSettings);
  EXPECT_TRUE(sheetSeen);
  EXPECT_EQ(shell::testing::ConfigFiles(folder_ / "Config"), configBefore);

  // Closing asks; "是" shuts down in order and keeps the layout.
  std::string question;
  ui::testing::WhenMessageBox(ui::Answer::kYes, [&](const std::string& text) { question = text; });
  frame->close();
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return terminal.Frame() == nullptr; }));
  EXPECT_EQ(question, "确定退出程序吗？");
  EXPECT_EQ(terminal.steps, (std::vector<std::string>{"logout", "stop engine", "stop order module",
                                                      "stop communication", "close log"}));
  EXPECT_FALSE(order_module::TheOrderModule().IsRunning());
  // The frame took its wake from the result queue as it went: an item that
  // arrives now reaches nothing of it.
  while (backend::TheResultQueue().TakeNext()) {
  }
  ASSERT_TRUE(backend::TheResultQueue().Post(backend::CreateRequest("", 0, 0, "", 0)));
  QCoreApplication::processEvents();
  EXPECT_NE(backend::TheResultQueue().TakeNext(), nullptr);
  ui::RegistryStore registry("Tolvane\\Brennark\\Quentara");
  EXPECT_EQ(registry.GetString("Settings", shell::kLayoutKey, "").rfind("qt1:", 0), 0u);
  EXPECT_EQ(registry.GetString("Settings", shell::kPlacementKey, "").rfind("qt1:", 0), 0u);
}

TEST_F(MainFrameSession, TheHotKeyHidesAndRestoresAsTheTrayDoesAndTheLockAsksForThePassword) {
  const std::string sysParam = (folder_ / "Config" / "SysParam.ini").string();
  platform::WriteIniString(sysParam, "SysHotKey", "UseHotKey", "1");
  platform::WriteIniString(sysParam, "SysHotKey", "key", "81");
  platform::WriteIniString(sysParam, "SysHotKey", "Mod", "3");
  shell::Terminal terminal;
  ASSERT_TRUE(shell::testing::StartLoggedIn(terminal));
  MainFrame* frame = terminal.Frame();
  // The offscreen platform is no X11 desktop: the output pane says so.
  EXPECT_TRUE(shell::testing::WaitForOutputLine(*frame, "当前桌面不支持全局热键。"));

  frame->OnHotKey();
  EXPECT_EQ(frame->HideStateNow(), shell::WindowState::kHiddenUnlocked);
  EXPECT_TRUE(frame->Tray().Added());
  EXPECT_EQ(frame->Tray().Tip().rfind("Pellora:", 0), 0u);
  EXPECT_TRUE(frame->isMinimized() || !frame->isVisible());
  // Back by the hot key: the icon goes and the window shows, no password.
  frame->OnHotKey();
  EXPECT_EQ(frame->HideStateNow(), shell::WindowState::kShown);
  EXPECT_FALSE(frame->Tray().Added());
  EXPECT_TRUE(frame->isVisible());
  EXPECT_FALSE(frame->isMinimized());

  // The lock: the tray brings it back only with the trading password.
  frame->RunCommand(shell::command::kLock);
  EXPECT_EQ(frame->HideStateNow(), shell::WindowState::kHiddenLocked);
  std::string refusal;
  ui::testing::WhenShown("CIconRButtonResume", [&](QWidget* prompt) {
    auto* edit = ui::FindControl<QLineEdit>(prompt, 1238);
    QTest::keyClicks(edit, "000000");
    ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { refusal = text; });
    QTest::mouseClick(ui::FindControl<QPushButton>(prompt, 1239), Qt::LeftButton);
    edit->clear();
    QTest::keyClicks(edit, "111111");
    QTest::mouseClick(ui::FindControl<QPushButton>(prompt, 1239), Qt::LeftButton);
  });
  frame->RunCommand(shell::command::kTrayOpen);
  EXPECT_EQ(refusal, "交易密码不正确");
  EXPECT_EQ(frame->HideStateNow(), shell::WindowState::kShown);
  EXPECT_FALSE(frame->Tray().Added());

  // The tray's close ends the program without asking.
  frame->RunCommand(shell::command::kTrayClose);
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return terminal.Frame() == nullptr; }));
  EXPECT_FALSE(order_module::TheOrderModule().IsRunning());
}

}  // namespace
