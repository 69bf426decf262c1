// The query bars of the running terminal against the simulated back end:
// they show the demo account's orders, trades, positions, funds and
// contracts docked in their tab groups, follow the account live while
// orders fill, and act on it: a cancel from the order bar, the batch cancel
// of every order, a change of price, a quick close and a reverse order from
// the position bar, and the export of what a bar shows.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <iterator>
#include <sstream>

#include "order_module/order_submission.h"
#include "platform/ini_file.h"
#include "shell/testing/terminal_session.h"
#include "tradeviews/views/bar_dialogs.h"
#include "tradeviews/views/query_bars.h"
#include "tradeviews/views/register_query_bars.h"
#include "ui/context_menus.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/testing/gui_test.h"

namespace tradeviews {
namespace {

using namespace std::chrono_literals;

// Below the bid of cu2701 and inside its day's limits: it waits.
constexpr const char* kWaitingPrice = "72000";

// The demo account's day: its orders, its trades (one row each) and its
// position summary (long and short, hedging apart).
constexpr int kDemoOrders = 12;
constexpr int kDemoTrades = 10;
constexpr int kDemoPositions = 18;

class QueryBarsInTheTerminal : public shell::testing::TerminalSession {
 protected:
  void SetUp() override {
    TerminalSession::SetUp();
    const std::string ini = (folder_ / "Config" / "EntrustParam.ini").string();
    platform::WriteIniString(ini, "EntrustCommon", "DelOrderAffirmBox", "0");
    platform::WriteIniString(ini, "EntrustCommon", "SendOrderAffirmBox", "0");
    // Made once the session's folder and gateway are in place: the terminal
    // reads its settings as it is made.
    terminal_ = std::make_unique<shell::Terminal>();
    ASSERT_TRUE(shell::testing::StartLoggedIn(*terminal_));
    frame_ = terminal_->Frame();
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return frame_->MarketWindow() != nullptr; }, 30s));
  }
  void TearDown() override {
    ui::testing::CancelWatches();
    if (frame_ != nullptr) frame_->CloseFromTray();
    terminal_.reset();
    TerminalSession::TearDown();
  }

  template <class Bar>
  Bar* BarOf(int barId) const {
    auto* bar = dynamic_cast<Bar*>(frame_->BarContent(barId));
    EXPECT_NE(bar, nullptr) << barId;
    return bar;
  }
  CTQEntrustReturnViewBar* Orders() const { return BarOf<CTQEntrustReturnViewBar>(kOrderBarId); }
  CTQPositionQueryViewBar* Positions() const { return BarOf<CTQPositionQueryViewBar>(kPositionBarId); }

  // The first row whose cells hold these texts.
  static std::optional<ui::RowId> FindRow(CTQReturnViewBar* bar, std::vector<std::pair<int, std::string>> cells) {
    for (const ui::RowId id : bar->Rows().RowsInGridOrder()) {
      const ui::GridRow& row = *bar->Rows().Row(id);
      bool all = true;
      for (const auto& [column, text] : cells) all = all && row.Text(column) == text;
      if (all) return id;
    }
    return std::nullopt;
  }
  static std::string Cell(CTQReturnViewBar* bar, ui::RowId id, int column) {
    const ui::GridRow* row = bar->Rows().Row(id);
    return row != nullptr ? std::string(row->Text(column)) : std::string();
  }
  static void Select(CTQReturnViewBar* bar, ui::RowId id) {
    bar->Grid().selectRow(bar->Rows().ShownPositionOf(id));
    ASSERT_EQ(bar->Grid().SelectedRow(), id);
  }

  // A day order of cu2701 at a price the market does not reach.
  void PlaceWaitingOrder(const char* buySell, const char* price = kWaitingPrice) {
    backend::CGlobalStringList list;
    for (const char* item :
         {"", "", "", "S", "cu2701", buySell, "0", "0", "1", price, "81000101", "S001", "0", "0", "", "0", "10001"}) {
      list.Append(item);
    }
    ASSERT_TRUE(frame_->Views().orders->SubmitOrder(list));
  }
  // Runs a bar's export command with the file name typed into the save
  // dialog as a user would; the file's bytes once the bar says it is saved.
  std::string Export(int command, const std::string& name, int barId = kOrderBarId) {
    const std::string path = (folder_ / name).string();
    ui::testing::WhenShown("exportFileDialog", [&](QWidget* window) {
      static_cast<QFileDialog*>(window)->setDirectory(QString::fromStdString(folder_.string()));
      auto* edit = window->findChild<QLineEdit*>("fileNameEdit");
      ASSERT_NE(edit, nullptr);
      edit->clear();
      QTest::keyClicks(edit, QString::fromStdString(name));
      QTest::keyClick(edit, Qt::Key_Return);
    });
    std::string said;
    ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { said = text; });
    BarOf<CTQReturnViewBar>(barId)->RunCommand(command);
    EXPECT_TRUE(ui::testing::WaitUntil([&] { return !said.empty(); }, 10s));
    EXPECT_EQ(said, "保存文件" + path + "成功！");
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  }
  // The account's orders at the back end, those of its data folder first.
  std::vector<simbackend::OrderView> BackEndOrders() const {
    const std::optional<simbackend::AccountView> book = server_->Book("10001");
    return book ? book->orders : std::vector<simbackend::OrderView>{};
  }
  // The order bar's row of the account's newest order at the back end.
  std::optional<ui::RowId> NewestOrderRow() {
    const std::vector<simbackend::OrderView> orders = BackEndOrders();
    if (orders.empty()) return std::nullopt;
    return FindRow(Orders(), {{order_column::kOrderNo, orders.back().number}});
  }
  std::string BackEndState(const std::string& number) {
    for (const simbackend::OrderView& order : BackEndOrders()) {
      if (order.number == number) return order.state;
    }
    return {};
  }

  std::unique_ptr<shell::Terminal> terminal_;
  shell::MainFrame* frame_ = nullptr;
};

TEST_F(QueryBarsInTheTerminal, TheBarsShowTheAccountDockedInTheirTabGroups) {
  auto* orders = Orders();
  auto* trades = BarOf<CTQDoneReturnViewBar>(kTradeBarId);
  auto* funds = BarOf<CTQFundQueryViewBar>(kFundBarId);
  auto* positions = Positions();
  auto* contracts = BarOf<CTQContractQueryViewBar>(kContractBarId);
  ASSERT_TRUE(ui::testing::WaitUntil([&] {
    return orders->Rows().RowCount() == kDemoOrders && trades->Rows().RowCount() == kDemoTrades &&
           funds->Rows().RowCount() == 1 && positions->Rows().RowCount() == kDemoPositions &&
           contracts->Rows().RowCount() > 20;
  }));
  // The demo's orders in order-number order.
  EXPECT_EQ(orders->Rows().ShownText(0, order_column::kOrderNo), "1001");
  EXPECT_EQ(orders->Rows().ShownText(2, order_column::kOrderNo), "1003");
  EXPECT_EQ(orders->Rows().ShownText(0, order_column::kState), "全部成交");
  EXPECT_EQ(funds->Rows().ShownText(0, fund_column::kAccount), "10001");
  EXPECT_EQ(funds->Rows().ShownText(0, fund_column::kRiskLevel), "正常");
  const std::optional<ui::RowId> copper =
      FindRow(positions, {{position_column::kContract, "cu2701"}, {position_column::kBuySell, "买入"}});
  ASSERT_TRUE(copper.has_value());
  EXPECT_EQ(Cell(positions, *copper, position_column::kVolume), "3");
  EXPECT_EQ(Cell(positions, *copper, position_column::kClosable), "3");
  // A trading customer's terminal hides the account column.
  EXPECT_TRUE(orders->Grid().isColumnHidden(kAccountColumn));
  EXPECT_TRUE(orders->Grid().isColumnHidden(order_column::kSeat));
  EXPECT_FALSE(contracts->Grid().isColumnHidden(0));

  EXPECT_EQ(frame_->TabGroupOf(kOrderBarId), (std::vector<int>{kTradeBarId, kOrderBarId}));
  const std::vector<int> bottom = frame_->TabGroupOf(kPositionBarId);
  for (const int barId : {kFundBarId, kContractBarId}) {
    EXPECT_NE(std::find(bottom.begin(), bottom.end(), barId), bottom.end()) << barId;
  }
  frame_->Bar(kOrderBarId)->raise();
  frame_->Bar(kPositionBarId)->raise();
  ui::testing::WaitUntil([] { return false; }, 300ms);
  ui::testing::SaveScreenshot(frame_, "query_bars_docked");
  ui::testing::SaveScreenshot(orders, "order_bar");
  ui::testing::SaveScreenshot(positions, "position_bar");
  frame_->Bar(kFundBarId)->raise();
  frame_->Bar(kTradeBarId)->raise();
  ui::testing::WaitUntil([] { return false; }, 300ms);
  ui::testing::SaveScreenshot(funds, "fund_bar");
  ui::testing::SaveScreenshot(trades, "trade_bar");
  frame_->Bar(kContractBarId)->raise();
  ui::testing::WaitUntil([] { return false; }, 300ms);
  ui::testing::SaveScreenshot(contracts, "contract_bar");
}

TEST_F(QueryBarsInTheTerminal, OrdersTradesPositionsAndFundsFollowAFill) {
  auto* trades = BarOf<CTQDoneReturnViewBar>(kTradeBarId);
  auto* funds = BarOf<CTQFundQueryViewBar>(kFundBarId);
  auto* positions = Positions();
  ASSERT_TRUE(ui::testing::WaitUntil(
      [&] { return trades->Rows().RowCount() == kDemoTrades && funds->Rows().RowCount() == 1; }));
  const std::string available(funds->Rows().ShownText(0, fund_column::kAvailable));

  // Above the ask: it fills at once.
  PlaceWaitingOrder("0", "78000");
  std::optional<ui::RowId> row;
  ASSERT_TRUE(ui::testing::WaitUntil([&] {
    row = NewestOrderRow();
    return row && Cell(Orders(), *row, order_column::kState) == "全部成交";
  }));
  EXPECT_EQ(Cell(Orders(), *row, order_column::kTradedLots), "1");
  EXPECT_EQ(Cell(Orders(), *row, order_column::kPrice), "78000.00");
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return trades->Rows().RowCount() == kDemoTrades + 1; }));
  const std::optional<ui::RowId> copper =
      FindRow(positions, {{position_column::kContract, "cu2701"}, {position_column::kBuySell, "买入"}});
  ASSERT_TRUE(copper.has_value());
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return Cell(positions, *copper, position_column::kVolume) == "4"; }));
  EXPECT_TRUE(ui::testing::WaitUntil(
      [&] { return std::string(funds->Rows().ShownText(0, fund_column::kAvailable)) != available; }));
}

TEST_F(QueryBarsInTheTerminal, ACancelFromTheOrderBarAndTheCancelOfAllOrders) {
  for (int order = 0; order < 3; ++order) PlaceWaitingOrder("0");
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Orders()->Rows().RowCount() == kDemoOrders + 3; }));
  std::vector<std::string> numbers;
  for (const simbackend::OrderView& order : BackEndOrders()) {
    if (order.timesReceived > 0) numbers.push_back(order.number);
  }
  ASSERT_EQ(numbers.size(), 3u);
  const std::optional<ui::RowId> first = FindRow(Orders(), {{order_column::kOrderNo, numbers[0]}});
  ASSERT_TRUE(first.has_value());
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Cell(Orders(), *first, order_column::kState) == "已经报入"; }));

  // A double-click cancels the order under the mouse.
  frame_->Bar(kOrderBarId)->raise();
  ui::CFilterGridCtrl& grid = Orders()->Grid();
  const int position = Orders()->Rows().ShownPositionOf(*first);
  grid.scrollTo(grid.model()->index(position, order_column::kContract));
  const QRect cell = grid.visualRect(grid.model()->index(position, order_column::kContract));
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return Cell(Orders(), *first, order_column::kState) == "已经撤销"; }));
  EXPECT_EQ(BackEndState(numbers[0]), "d");

  // A finished order cannot be cancelled again.
  Select(Orders(), *first);
  std::string said;
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { said = text; });
  Orders()->RunCommand(bar_command::kCancelOrder);
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return !said.empty(); }, 5s));
  EXPECT_EQ(said, "此委托单不可撤!");

  Orders()->RunCommand(bar_command::kCancelAll);
  EXPECT_TRUE(
      ui::testing::WaitUntil([&] { return BackEndState(numbers[1]) == "d" && BackEndState(numbers[2]) == "d"; }));
  EXPECT_TRUE(ui::testing::WaitUntil([&] {
    return Cell(Orders(), *FindRow(Orders(), {{order_column::kOrderNo, numbers[2]}}), order_column::kState) ==
           "已经撤销";
  }));
  EXPECT_TRUE(shell::testing::WaitForOutputLine(*frame_, "撤单："));
  ui::testing::SaveScreenshot(Orders(), "order_bar_after_cancels");
}

TEST_F(QueryBarsInTheTerminal, TheContextMenusOfferTheirBarsCommands) {
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Positions()->Rows().RowCount() == kDemoPositions; }));
  frame_->Bar(kPositionBarId)->raise();
  ui::CFilterGridCtrl& grid = Positions()->Grid();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return grid.isVisible(); }, 5s));
  const QRect cell = grid.visualRect(grid.model()->index(1, position_column::kContract));
  QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, cell.center());
  QMenu& menu = Positions()->ContextMenu();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return menu.isVisible(); }, 5s));
  std::vector<std::pair<int, std::string>> items;
  for (const QAction* action : menu.actions()) {
    if (!action->isSeparator()) items.emplace_back(ui::CommandOf(action), ui::ToGbk(action->text()));
  }
  EXPECT_EQ(items, (std::vector<std::pair<int, std::string>>{{12360, "快捷平仓(&C)"},
                                                             {12361, "快捷锁仓(&L)"},
                                                             {12362, "反手委托(&R)"},
                                                             {12363, "市价反手(&M)"},
                                                             {12359, "穿仓预测(&P)"},
                                                             {12346, "导出到CSV(&V)"},
                                                             {12347, "导出到Html(&H)"}}));
  EXPECT_TRUE(menu.actions().back()->isEnabled());
  ui::testing::SaveScreenshot(std::vector<QWidget*>{frame_, &menu}, "position_bar_menu");
  menu.hide();

  // The forecast of the row the right button selected.
  std::string said;
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { said = text; });
  Positions()->RunCommand(bar_command::kForecast);
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return !said.empty(); }, 5s));
  EXPECT_EQ(said.rfind("合     约：", 0), 0u) << said;
  EXPECT_NE(said.find("穿仓价格："), std::string::npos);
}

TEST_F(QueryBarsInTheTerminal, AChangeOfPriceReplacesTheOrderAtTheNewPrice) {
  PlaceWaitingOrder("0");
  std::optional<ui::RowId> row;
  ASSERT_TRUE(ui::testing::WaitUntil([&] {
    row = NewestOrderRow();
    return row && Cell(Orders(), *row, order_column::kState) == "已经报入";
  }));
  const std::string number = Cell(Orders(), *row, order_column::kOrderNo);
  Select(Orders(), *row);
  std::string refusal;
  ui::testing::WhenShown("CChgPriceOrder", [&](QWidget* dialog) {
    auto* price = ui::FindControl<QLineEdit>(dialog, change_price_control::kPrice);
    auto* lots = ui::FindControl<QLineEdit>(dialog, change_price_control::kLots);
    EXPECT_FALSE(lots->isEnabled());
    EXPECT_EQ(lots->text(), "1");
    // Off the tick of 10 first: refused, and the dialog stays.
    ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { refusal = text; });
    price->selectAll();
    QTest::keyClicks(price, "72005");
    ui::testing::SaveScreenshot(dialog, "change_price_dialog");
    QTest::mouseClick(ui::FindControl<QPushButton>(dialog, change_price_control::kConfirm), Qt::LeftButton);
    price->selectAll();
    QTest::keyClicks(price, "72010");
    QTest::mouseClick(ui::FindControl<QPushButton>(dialog, change_price_control::kConfirm), Qt::LeftButton);
  });
  Orders()->RunCommand(bar_command::kChangePrice);
  EXPECT_EQ(refusal, "您输入的触发价格不符合最小变动价位!");
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return BackEndState(number) == "d"; }));
  EXPECT_TRUE(ui::testing::WaitUntil([&] {
    const std::optional<ui::RowId> changed = FindRow(Orders(), {{order_column::kPrice, "72010.00"}});
    return changed && Cell(Orders(), *changed, order_column::kState) == "已经报入";
  }));
}

TEST_F(QueryBarsInTheTerminal, AQuickCloseFromThePositionBarClosesThePosition) {
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Positions()->Rows().RowCount() == kDemoPositions; }));
  const std::optional<ui::RowId> gold =
      FindRow(Positions(), {{position_column::kContract, "au2702"}, {position_column::kBuySell, "买入"}});
  ASSERT_TRUE(gold.has_value());
  Select(Positions(), *gold);
  Positions()->RunCommand(bar_command::kQuickClose);
  // Closed whole: its row goes.
  EXPECT_TRUE(ui::testing::WaitUntil([&] {
    return !FindRow(Positions(), {{position_column::kContract, "au2702"}, {position_column::kBuySell, "买入"}});
  }));
  EXPECT_EQ(Positions()->Rows().RowCount(), kDemoPositions - 1);
}

TEST_F(QueryBarsInTheTerminal, AReverseOrderTurnsAShortPositionLong) {
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Positions()->Rows().RowCount() == kDemoPositions; }));
  const std::optional<ui::RowId> aluminium =
      FindRow(Positions(), {{position_column::kContract, "al2702"}, {position_column::kBuySell, "卖出"}});
  ASSERT_TRUE(aluminium.has_value());
  Select(Positions(), *aluminium);
  ui::testing::WhenShown("CReverseOrder", [](QWidget* dialog) {
    EXPECT_EQ(ui::FindControl<QLineEdit>(dialog, reverse_control::kCloseLots)->text(), "3");
    EXPECT_EQ(ui::FindControl<QLineEdit>(dialog, reverse_control::kOpenLots)->text(), "3");
    ui::testing::SaveScreenshot(dialog, "reverse_order_dialog");
    QTest::mouseClick(ui::FindControl<QPushButton>(dialog, reverse_control::kOk), Qt::LeftButton);
  });
  Positions()->RunCommand(bar_command::kReverse);
  EXPECT_TRUE(ui::testing::WaitUntil([&] {
    const std::optional<ui::RowId> turned =
        FindRow(Positions(), {{position_column::kContract, "al2702"}, {position_column::kBuySell, "买入"}});
    return turned && Cell(Positions(), *turned, position_column::kVolume) == "3" &&
           !FindRow(Positions(), {{position_column::kContract, "al2702"}, {position_column::kBuySell, "卖出"}});
  }));
  ui::testing::SaveScreenshot(Positions(), "position_bar_after_reverse");
}

TEST_F(QueryBarsInTheTerminal, AnExportedCsvHoldsTheShownColumnsInGbk) {
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Orders()->Rows().RowCount() == kDemoOrders; }));
  const std::string text = Export(bar_command::kExportCsv, "orders.csv");
  std::istringstream lines(text);
  std::string header;
  std::getline(lines, header);
  // The captions of the shown columns, as GBK bytes: no account, seat or
  // trading code column in a trading customer's terminal.
  EXPECT_EQ(header.rfind("委托单号,合约,委托状态,买卖,开平,委托手数,委托价格,", 0), 0u);
  const std::string end = "下单席位,备注,交易类别,\t\r";
  EXPECT_TRUE(header.size() > end.size() && header.compare(header.size() - end.size(), end.size(), end) == 0) << header;
  std::string first;
  std::getline(lines, first);
  EXPECT_EQ(first.rfind("1001,cu2701,全部成交,卖出,平仓,2,76400.00,", 0), 0u) << first;
}

TEST_F(QueryBarsInTheTerminal, AnExportedHtmlPageHoldsTheShownGridInGbk) {
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Positions()->Rows().RowCount() == kDemoPositions; }));
  const std::string text = Export(bar_command::kExportHtml, "positions.html", kPositionBarId);
  EXPECT_NE(text.find("charset=GBK"), std::string::npos);
  EXPECT_NE(text.find("<title>PositionGrid</title>"), std::string::npos) << text.substr(0, 300);
  EXPECT_NE(text.find("持仓均价"), std::string::npos);
  EXPECT_EQ(text.find("交易账号"), std::string::npos);
  EXPECT_NE(text.find("cu2701"), std::string::npos);
}
}  // namespace
}  // namespace tradeviews
