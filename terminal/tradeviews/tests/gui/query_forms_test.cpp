// The query docks of the real program against the simulated back end: each
// view queries and shows its rows, the throttle refuses a second query too
// soon, a grid goes to a CSV file, an option's abandonment is confirmed, an
// exercise order is sent and cancelled, and a management account sets an
// account's status and moves money between its accounts.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "client/login.h"
#include "client/settings_registry.h"
#include "platform/clock.h"
#include "platform/ini_file.h"
#include "shell/testing/terminal_session.h"
#include "shell/views/dockable_query.h"
#include "simbackend/backend_data.h"
#include "tradeviews/views/account_views.h"
#include "tradeviews/views/history_views.h"
#include "tradeviews/views/option_views.h"
#include "tradeviews/views/statement_view.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/testing/gui_test.h"

namespace {

namespace fs = std::filesystem;
using shell::MainFrame;
using tradeviews::CTQOtherQryBaseView;

constexpr std::chrono::seconds kAnswerWait{30};

// The view a dock of the frame shows.
template <class View>
View* ViewOf(MainFrame* frame, int barId) {
  auto* host = dynamic_cast<shell::CTqDockableQuery*>(frame->BarContent(barId));
  return host == nullptr ? nullptr : dynamic_cast<View*>(host->View());
}

void Click(QWidget* view, int id) {
  auto* button = ui::FindControl<QPushButton>(view, id);
  ASSERT_NE(button, nullptr) << id;
  QTest::mouseClick(button, Qt::LeftButton);
}

std::string Cell(CTQOtherQryBaseView* view, int position, int column) {
  return std::string(view->Rows().ShownText(position, column));
}

bool WaitForRows(CTQOtherQryBaseView* view, int rows = 1) {
  return ui::testing::WaitUntil([&] { return view->Rows().ShownRowCount() >= rows; }, kAnswerWait);
}

// The dock floated to a readable size for its picture, then docked again.
void Screenshot(MainFrame* frame, int barId, std::string_view name) {
  QDockWidget* dock = frame->Bar(barId);
  frame->ShowBar(barId, true);
  dock->setFloating(true);
  dock->resize(1150, 340);
  QTest::qWait(50);
  // The view fills the dock's own client area.
  auto* host = dynamic_cast<shell::CTqDockableQuery*>(frame->BarContent(barId));
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(dock->widget(), host);
  ASSERT_NE(host->View(), nullptr);
  EXPECT_EQ(host->View()->geometry(), host->rect());
  EXPECT_FALSE(ui::testing::SaveScreenshot(dock, name).empty());
  dock->setFloating(false);
}

void SetRange(QWidget* view, QDate first, QDate last) {
  ui::FindControl<QDateEdit>(view, 1213)->setDate(first);
  ui::FindControl<QDateEdit>(view, 1214)->setDate(last);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class QueryFormsSession : public shell::testing::TerminalSession {
 protected:
  // The demo back end with the options of one series exercised today, so
  // that their holders may abandon them.
  void SetUp() override {
    shell::testing::TerminalSession::SetUp();
    fs::copy(simbackend::DefaultDataFolder(), Data(), fs::copy_options::recursive);
    const platform::LocalTime now = platform::LocalNow();
    char today[16];
    std::snprintf(today, sizeof today, "%04d%02d%02d", now.year, now.month, now.day);
    ASSERT_TRUE(EditData("contracts.txt", "options|dce|m|2705|50|4|7|20270407|",
                         "options|dce|m|2705|50|4|7|" + std::string(today) + "|"));
    Restart();
  }

  fs::path Data() const { return folder_ / "simdata"; }

  // Replaces a text of a data file; false when the file does not hold it.
  bool EditData(const std::string& file, const std::string& from, const std::string& to) const {
    std::string text = ReadFile(Data() / file);
    const std::size_t at = text.find(from);
    if (at == std::string::npos) return false;
    text.replace(at, from.size(), to);
    std::ofstream(Data() / file, std::ios::binary) << text;
    return true;
  }

  // The back end afresh on the edited data, where the terminal looks for it.
  void Restart() {
    server_.reset();
    std::string error;
    simbackend::ServerOptions options;
    options.dataFolder = Data().string();
    server_ = simbackend::Server::Start(options, error);
    ASSERT_NE(server_, nullptr) << error;
    platform::WriteIniString((folder_ / "Config" / "Configs.ini").string(), "TraderServerSet", "Port_1",
                             std::to_string(server_->Port()));
  }

  MainFrame* Start(shell::Terminal& terminal) {
    if (!shell::testing::StartLoggedIn(terminal)) return nullptr;
    MainFrame* frame = terminal.Frame();
    if (!ui::testing::WaitUntil([&] { return frame->MarketWindow() != nullptr; }, kAnswerWait)) return nullptr;
    return frame;
  }

  static void Close(shell::Terminal& terminal) {
    terminal.Frame()->RunCommand(shell::command::kTrayClose);
    EXPECT_TRUE(ui::testing::WaitUntil([&] { return terminal.Frame() == nullptr; }));
  }
};

TEST_F(QueryFormsSession, EachDockQueriesAndShowsItsRows) {
  shell::Terminal terminal;
  MainFrame* frame = Start(terminal);
  ASSERT_NE(frame, nullptr);

  // About fills itself, once, at its creation.
  auto* about = ViewOf<tradeviews::CAboutBoxView>(frame, shell::bar::kAbout);
  ASSERT_NE(about, nullptr);
  ASSERT_EQ(about->Rows().ShownRowCount(), 10);
  EXPECT_EQ(Cell(about, 1, 0), "客户号");
  EXPECT_EQ(Cell(about, 1, 1), "10001");
  EXPECT_EQ(Cell(about, 2, 1), "张明");
  EXPECT_EQ(Cell(about, 6, 1), "127.0.0.1");
  EXPECT_EQ(Cell(about, 7, 1), std::to_string(server_->Port()));
  Screenshot(frame, shell::bar::kAbout, "query_about");

  // Today's statement, one line a row; a second query at once is refused.
  auto* statement = ViewOf<tradeviews::CTQReportQryView>(frame, shell::bar::kStatement);
  ASSERT_NE(statement, nullptr);
  EXPECT_TRUE(ui::FindControl<QDateEdit>(statement, 1207)->isVisibleTo(statement));
  EXPECT_FALSE(ui::FindControl<QComboBox>(statement, 1211)->isVisibleTo(statement));
  EXPECT_EQ(ui::FindControl<QComboBox>(statement, 1211)->count(), 12);
  Click(statement, 1209);
  ASSERT_TRUE(WaitForRows(statement, 5));
  std::string wait;
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { wait = text; });
  Click(statement, 1209);
  EXPECT_EQ(wait.rfind("请稍后再查询\t\n******剩余 ", 0), 0u) << wait;
  Screenshot(frame, shell::bar::kStatement, "query_statement");

  // The statement to a CSV file, each line ending in a comma and a tab.
  const fs::path csv = folder_ / "statement.csv";
  std::string saved;
  ui::testing::WhenShown("exportFileDialog", [&](QWidget* window) {
    auto* dialog = static_cast<QFileDialog*>(window);
    auto* name = window->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "StatementGrid");
    dialog->setDirectory(QString::fromStdString(csv.parent_path().string()));
    ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { saved = text; });
    name->clear();
    QTest::keyClicks(name, QString::fromStdString(csv.filename().string()));
    QTest::keyClick(name, Qt::Key_Return);
  });
  QMenu* menu = statement->GridPopupMenu();
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(ui::ToGbk(menu->actions()[0]->text()), "导出到CSV(&V)");
  menu->actions()[0]->trigger();
  EXPECT_EQ(saved, "保存文件" + csv.string() + "成功！");
  const std::string text = ReadFile(csv);
  EXPECT_EQ(text.rfind("结算单,\t\r\n", 0), 0u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), statement->Rows().ShownRowCount() + 1);

  // Deposits and withdrawals of the demo's month, the answer through the frame.
  auto* money = ViewOf<tradeviews::CTQInOutMoneyQuery>(frame, shell::bar::kFundInOut);
  ASSERT_NE(money, nullptr);
  EXPECT_EQ(ui::FindControl<QDateEdit>(money, 1213)->date(), QDate::currentDate().addDays(-30));
  SetRange(money, QDate(2026, 11, 1), QDate(2026, 12, 31));
  Click(money, 1216);
  ASSERT_TRUE(WaitForRows(money, 4));
  EXPECT_EQ(Cell(money, 0, 0), "10001");
  EXPECT_EQ(Cell(money, 0, 3), "入金");
  EXPECT_EQ(Cell(money, 1, 3), "出金");
  EXPECT_EQ(Cell(money, 1, 4), "50000.00");
  EXPECT_EQ(Cell(money, 3, 1), "合计");
  EXPECT_EQ(Cell(money, 3, 0), "");
  Screenshot(frame, shell::bar::kFundInOut, "query_in_out_money");

  // The notices of the demo's days, every level.
  auto* notices = ViewOf<tradeviews::CTQNoticeBoard>(frame, shell::bar::kNoticeBoard);
  ASSERT_NE(notices, nullptr);
  SetRange(notices, QDate(2026, 12, 1), QDate(2026, 12, 10));
  Click(notices, 1216);
  ASSERT_TRUE(WaitForRows(notices, 4));
  EXPECT_EQ(Cell(notices, 2, 2), "危险");
  EXPECT_EQ(Cell(notices, 2, 3), "您的账户风险度较高，请注意控制仓位。");
  Screenshot(frame, shell::bar::kNoticeBoard, "query_notice_board");

  // The long option positions outside cffex, from the position table.
  auto* apply = ViewOf<tradeviews::CTqOptionsExerciseApply>(frame, shell::bar::kExercisableOptions);
  ASSERT_NE(apply, nullptr);
  ASSERT_TRUE(WaitForRows(apply, 3));
  for (int row = 0; row < apply->Rows().ShownRowCount(); ++row) {
    EXPECT_NE(Cell(apply, row, tradeviews::apply_column::kExchange), "中金所");
    EXPECT_EQ(Cell(apply, row, tradeviews::apply_column::kBuySell), "买入");
  }
  Screenshot(frame, shell::bar::kExercisableOptions, "query_exercise_apply");

  // The options exercised today that may be abandoned.
  auto* abandon = ViewOf<tradeviews::CTqOptionsExercise>(frame, shell::bar::kAbandonableOptions);
  ASSERT_NE(abandon, nullptr);
  Click(abandon, 1291);
  ASSERT_TRUE(WaitForRows(abandon));
  EXPECT_EQ(Cell(abandon, 0, 0), "m2705-C-3000");
  EXPECT_EQ(Cell(abandon, 0, 1), "7");  // five before the market opened, two bought today
  Screenshot(frame, shell::bar::kAbandonableOptions, "query_abandonable");
  Close(terminal);
}

TEST_F(QueryFormsSession, AnAbandonIsConfirmedWithinTheLargestQuantity) {
  shell::Terminal terminal;
  MainFrame* frame = Start(terminal);
  ASSERT_NE(frame, nullptr);
  auto* abandon = ViewOf<tradeviews::CTqOptionsExercise>(frame, shell::bar::kAbandonableOptions);
  ASSERT_NE(abandon, nullptr);
  Click(abandon, 1291);
  ASSERT_TRUE(WaitForRows(abandon));
  ASSERT_EQ(Cell(abandon, 0, 4), "7");  // the largest abandonable quantity
  abandon->Grid().selectRow(0);

  std::string refused;
  bool confirmed = false;
  ui::testing::WhenShown("COptionsExerciseConfirmDlg", [&](QWidget* dialog) {
    EXPECT_EQ(ui::ToGbk(ui::FindControl<QLabel>(dialog, 1295)->text()), "m2705-C-3000");
    auto* quantity = ui::FindControl<QLineEdit>(dialog, 1293);
    ui::testing::SaveScreenshot(std::vector<QWidget*>{frame, dialog}, "abandon_confirm");
    // Above the largest: refused, and the edit shows the quantity taken.
    ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { refused = text; });
    quantity->selectAll();
    QTest::keyClicks(quantity, "9");
    EXPECT_TRUE(ui::testing::WaitUntil([&] { return !refused.empty(); }));
    quantity->clear();
    QTest::keyClicks(quantity, "2");
    confirmed = true;
    Click(dialog, 1309);
  });
  Click(abandon, 1292);
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(refused, "输入数值无效，请输入0-最大放弃量之间的数值");
  // The row shows the application as the back end took it.
  EXPECT_EQ(Cell(abandon, 0, 5), "2");
  EXPECT_EQ(Cell(abandon, 0, 0), "m2705-C-3000");
  Screenshot(frame, shell::bar::kAbandonableOptions, "query_abandoned");
  Close(terminal);
}

TEST_F(QueryFormsSession, AnExerciseOrderIsSentAndCancelled) {
  shell::Terminal terminal;
  MainFrame* frame = Start(terminal);
  ASSERT_NE(frame, nullptr);
  auto* apply = ViewOf<tradeviews::CTqOptionsExerciseApply>(frame, shell::bar::kExercisableOptions);
  auto* orders = ViewOf<tradeviews::CTqOptionsExerciseOrders>(frame, shell::bar::kExerciseOrders);
  ASSERT_NE(apply, nullptr);
  ASSERT_NE(orders, nullptr);
  ASSERT_TRUE(WaitForRows(apply, 3));

  // A wrong quantity and no contract: both said in one box.
  std::string problems;
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { problems = text; });
  ui::FindControl<QLineEdit>(apply, 1294)->setText("012");
  Click(apply, 1312);
  EXPECT_EQ(problems, "合约不能为空!\n委托手数第一位不能为0!\n");

  // The row's contract and lots go into the edits on a click.
  int row = 0;
  while (row < apply->Rows().ShownRowCount() && Cell(apply, row, 0) != "m2705-C-3000") ++row;
  ASSERT_LT(row, apply->Rows().ShownRowCount());
  const QRect cell = apply->Grid().visualRect(apply->Grid().model()->index(row, 0));
  QTest::mouseClick(apply->Grid().viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(ui::ToGbk(ui::FindControl<QLineEdit>(apply, 1293)->text()), "m2705-C-3000");
  EXPECT_EQ(ui::ToGbk(ui::FindControl<QLineEdit>(apply, 1294)->text()), "7");
  ui::FindControl<QLineEdit>(apply, 1294)->setText("1");
  Click(apply, 1312);
  ASSERT_TRUE(shell::testing::WaitForOutputLine(*frame, "期权申请执行委托单发送成功，[10001]买入|投机|1|委托单号="));

  // The order shows, waiting; its lots count as applied for exercise.
  ASSERT_TRUE(WaitForRows(orders));
  EXPECT_EQ(Cell(orders, 0, 1), "m2705-C-3000");
  EXPECT_EQ(Cell(orders, 0, 2), "已经报入");
  EXPECT_EQ(Cell(orders, 0, 5), "执行");
  EXPECT_TRUE(ui::testing::WaitUntil(
      [&] { return Cell(apply, row, tradeviews::apply_column::kAppliedExercise) == "1"; }, kAnswerWait));
  Screenshot(frame, shell::bar::kExerciseOrders, "query_exercise_order");

  // Only waiting orders when asked; then the cancel.
  ui::FindControl<QCheckBox>(orders, 1316)->setChecked(true);
  EXPECT_EQ(orders->Rows().ShownRowCount(), 1);
  orders->Grid().selectRow(0);
  Click(orders, 1317);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return orders->Rows().ShownRowCount() == 0; }, kAnswerWait));
  ui::FindControl<QCheckBox>(orders, 1316)->setChecked(false);
  ASSERT_EQ(orders->Rows().ShownRowCount(), 1);
  EXPECT_EQ(Cell(orders, 0, 2), "已经撤销");
  EXPECT_TRUE(ui::testing::WaitUntil(
      [&] { return Cell(apply, row, tradeviews::apply_column::kAppliedExercise) == "0"; }, kAnswerWait));
  Screenshot(frame, shell::bar::kExerciseOrders, "query_exercise_cancelled");
  Close(terminal);
}

// No option series is exercised today.
TEST_F(QueryFormsSession, AnEmptyListOfAbandonableOptionsIsSaid) {
  fs::copy_file(fs::path(simbackend::DefaultDataFolder()) / "contracts.txt", Data() / "contracts.txt",
                fs::copy_options::overwrite_existing);
  Restart();
  if (HasFatalFailure()) return;
  shell::Terminal terminal;
  MainFrame* frame = Start(terminal);
  ASSERT_NE(frame, nullptr);
  auto* abandon = ViewOf<tradeviews::CTqOptionsExercise>(frame, shell::bar::kAbandonableOptions);
  ASSERT_NE(abandon, nullptr);
  Click(abandon, 1291);
  EXPECT_TRUE(shell::testing::WaitForOutputLine(*frame, "查询可放弃执行期权，没有结果集返回。"));
  EXPECT_EQ(abandon->Rows().ShownRowCount(), 0);
  Close(terminal);
}

// The login dialog logs every user in as a trading customer: the manager
// logs in as the program's other callers of the login do. The manager and
// its two accounts take the three connections, which leaves none for the
// market gateway: these views need none.
class ManagerTerminal : public shell::Terminal {
 public:
  bool LoginQuoteGateway(const client::QuoteServerInfo&, std::string&) override { return true; }
  bool RunLoginDialog() override {
    Settings().RegisterAndLoad(client::TheConfigRegistry());
    Settings().records.traderServers.selected = 0;
    std::string message;
    const bool loggedIn = client::Login(message, {backend::kManagementLogin, "90001", "999999"});
    EXPECT_TRUE(loggedIn) << message;
    return loggedIn;
  }
};

TEST_F(QueryFormsSession, AManagerSetsAnAccountsStatusAndMovesMoney) {
  ManagerTerminal terminal;
  MainFrame* frame = Start(terminal);
  ASSERT_NE(frame, nullptr);
  auto* status = ViewOf<tradeviews::CTQCustStatusSet>(frame, shell::bar::kAccountStatus);
  ASSERT_NE(status, nullptr);
  auto* accounts = ui::FindControl<QComboBox>(status, 1281);
  ASSERT_EQ(accounts->count(), 2);
  EXPECT_EQ(accounts->itemText(0), "20001");
  std::string said;
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { said = text; });
  Click(status, 1283);
  EXPECT_EQ(said, "交易帐号不能为空!");
  accounts->setCurrentIndex(0);
  ui::FindControl<QComboBox>(status, 1282)->setCurrentIndex(1);
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { said = text; });
  Click(status, 1283);
  EXPECT_EQ(said, "设置状态成功!");
  Screenshot(frame, shell::bar::kAccountStatus, "query_account_status");

  // The fund allocation view, which the frame offers no dock of.
  shell::CTqDockableQuery host("资金管理", &terminal.Factories(), frame->Views());
  auto* allocate = dynamic_cast<tradeviews::CTQFundAllocate*>(host.View());
  ASSERT_NE(allocate, nullptr);
  auto* paying = ui::FindControl<QComboBox>(allocate, 1273);
  auto* receiving = ui::FindControl<QComboBox>(allocate, 1274);
  paying->setCurrentIndex(0);
  receiving->setCurrentIndex(0);
  ui::FindControl<QLineEdit>(allocate, 1275)->setText("1000");
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { said = text; });
  Click(allocate, 1276);
  EXPECT_EQ(said, "转出和转入交易帐号不能相同!");
  receiving->setCurrentIndex(1);
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { said = text; });
  Click(allocate, 1276);
  EXPECT_EQ(said, "资金调拨成功!");
  // The back end's books: withdrawn from one account, deposited to the other.
  EXPECT_EQ(server_->Book("20001")->funds.withdrawals, "1000.00");
  EXPECT_EQ(server_->Book("20002")->funds.deposits, "1000.00");

  // The management customer holds no trading code: the exercise application
  // stops with the look-up's text and sends nothing.
  auto* apply = ViewOf<tradeviews::CTqOptionsExerciseApply>(frame, shell::bar::kExercisableOptions);
  ASSERT_NE(apply, nullptr);
  ui::FindControl<QLineEdit>(apply, 1293)->setText("m2705-C-3000");
  ui::FindControl<QLineEdit>(apply, 1294)->setText("1");
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { said = text; });
  Click(apply, 1312);
  EXPECT_EQ(said, "交易编码不存在！");
  EXPECT_FALSE(shell::testing::WaitForOutputLine(*frame, "期权申请执行委托单", std::chrono::milliseconds(300)));
  Close(terminal);
}

TEST(QueryDockHost, ACaptionOutsideTheTableShowsAnEmptyPane) {
  ui::ViewFactories factories;
  shell::CTqDockableQuery host("资金", &factories, ui::ViewContext{});
  EXPECT_EQ(host.View(), nullptr);
  EXPECT_EQ(ui::ToGbk(host.objectName()), "资金");
}

}  // namespace
