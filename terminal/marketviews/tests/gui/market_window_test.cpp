// The market window of the logged-in terminal against the simulated back
// end: the option and futures tab views with a tab per group, live quotes
// streaming into the rows of the current group's quote window (and only its
// contracts held by the quote table), the window following the rows the
// user scrolls to, a click on a price cell filling the order form, the
// user's group showing what is added to it, and the tabs built anew when the
// contracts come again.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "client/engine_callbacks.h"
#include "client/fixed_text.h"
#include "engine/row_field.h"
#include "marketviews/views/market_view.h"
#include "quotes/group_tables.h"
#include "quotes/quote_object.h"
#include "recording_order_form.h"
#include "shell/testing/terminal_session.h"
#include "ui/gbk_text.h"
#include "ui/order_form.h"
#include "ui/testing/gui_test.h"

namespace {

using marketviews::CQuentaraView;
using marketviews::CTQMarketGridCtrl;
using marketviews::CTQMarketView;
using Strings = std::vector<std::string>;
namespace column = marketviews::market_column;

using marketviews::testing::RecordingOrderForm;

class MarketWindow : public shell::testing::TerminalSession {
 protected:
  void SetUp() override {
    TerminalSession::SetUp();
    // The terminal reads its settings from the session's program folder.
    terminal_ = std::make_unique<shell::Terminal>();
    terminal_->Factories().SetBarFactory(shell::bar::kOrderDock, [this](QWidget*, const ui::ViewContext& context) {
      form_ = new RecordingOrderForm;
      context.receivers->SetOrderForm(form_);
      return form_;
    });
    // The option board holds the quotes of its series: without it the
    // quote table holds only the market window's.
    terminal_->Factories().SetBarFactory(shell::bar::kOptionBoard,
                                         [](QWidget*, const ui::ViewContext&) -> QWidget* { return nullptr; });
    ASSERT_TRUE(shell::testing::StartLoggedIn(*terminal_));
    frame_ = terminal_->Frame();
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return frame_->MarketWindow() != nullptr; }));
    ASSERT_EQ(frame_->MarketTabs()->count(), 2);
    options_ = dynamic_cast<CQuentaraView*>(frame_->MarketTabs()->widget(0));
    futures_ = dynamic_cast<CQuentaraView*>(frame_->MarketTabs()->widget(1));
    ASSERT_NE(options_, nullptr);
    ASSERT_NE(futures_, nullptr);
  }

  static Strings TabTitles(const CQuentaraView& view) {
    Strings titles;
    for (int index = 0; index < view.count(); ++index) titles.push_back(ui::ToGbk(view.tabText(index)));
    return titles;
  }
  static CTQMarketView& Shown(const CQuentaraView& view) { return *view.TabView(view.currentIndex()); }
  static std::string Cell(const CTQMarketView& tab, int row, int col) {
    return std::string(tab.Rows().Rows().ShownText(row, col));
  }
  static Strings Codes(const CTQMarketView& tab, int first, int count) {
    Strings codes;
    for (int row = first; row < std::min(first + count, tab.Rows().Rows().ShownRowCount()); ++row) {
      codes.push_back(Cell(tab, row, column::kCode));
    }
    return codes;
  }
  // The rows [first, first + count) of the tab all show a last price.
  static bool Quoted(const CTQMarketView& tab, int first, int count) {
    for (int row = first; row < std::min(first + count, tab.Rows().Rows().ShownRowCount()); ++row) {
      if (Cell(tab, row, column::kLast).empty()) return false;
    }
    return true;
  }
  // The contracts the quote table holds, in the order of the rows.
  static Strings Held(const Strings& rows) {
    Strings held;
    for (const backend::QuoteSlot& slot : quotes::TheQuoteObject().CopySlots()) held.emplace_back(slot.quote.szCode);
    std::sort(held.begin(), held.end(), [&](const std::string& a, const std::string& b) {
      return std::find(rows.begin(), rows.end(), a) < std::find(rows.begin(), rows.end(), b);
    });
    return held;
  }
  void ShowOuterTab(int index) {
    QTabBar* bar = frame_->MarketTabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return frame_->MarketTabs()->currentIndex() == index; }));
  }
  static void ClickCell(CTQMarketGridCtrl& grid, int row, int col, Qt::MouseButton button = Qt::LeftButton) {
    const QRect cell = grid.visualRect(grid.model()->index(row, col));
    QTest::mouseClick(grid.viewport(), button, {}, cell.center());
  }

  void TearDown() override {
    terminal_.reset();
    TerminalSession::TearDown();
  }

  std::unique_ptr<shell::Terminal> terminal_;
  shell::MainFrame* frame_ = nullptr;
  RecordingOrderForm* form_ = nullptr;
  CQuentaraView* options_ = nullptr;
  CQuentaraView* futures_ = nullptr;
};

TEST_F(MarketWindow, LiveQuotesStreamIntoTheWindowsRowsWhichFollowTheScrollAndAClickFillsTheOrderForm) {
  // A tab per exchange whose seats give it groups, and the user's.
  Strings titles;
  for (const quotes::GroupExchange& exchange : quotes::ReadGroupTables(terminal_->Engine()).exchanges) {
    if (exchange.contractGroups) titles.push_back(exchange.name);
  }
  ASSERT_FALSE(titles.empty());
  titles.push_back("自选");
  EXPECT_EQ(TabTitles(*options_), titles);
  EXPECT_EQ(TabTitles(*futures_), titles);

  // The options are in front: their current group's first ten rows fill
  // with quotes, and only those contracts are held.
  CTQMarketView& optionTab = Shown(*options_);
  EXPECT_EQ(optionTab.objectName(), "CTQMarketOptionView");
  const int optionRows = optionTab.Rows().Rows().ShownRowCount();
  ASSERT_GT(optionRows, 20);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Quoted(optionTab, 0, 10); }));
  EXPECT_EQ(Held(Codes(optionTab, 0, 10)), Codes(optionTab, 0, 10));
  EXPECT_EQ(Cell(optionTab, 10, column::kLast), "");
  EXPECT_FALSE(Cell(optionTab, 0, column::kName).empty());
  ui::testing::SaveScreenshot(frame_, "market_window_options");

  // Scrolling to the last rows moves the window to the first row shown.
  CTQMarketGridCtrl& optionGrid = optionTab.Grid();
  QScrollBar* scroll = optionGrid.verticalScrollBar();
  ASSERT_GT(scroll->maximum(), 0);
  scroll->triggerAction(QAbstractSlider::SliderToMaximum);
  const int top = scroll->value();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return quotes::TheQuoteObject().GetTopRow() == top; }));
  EXPECT_EQ(Held(Codes(optionTab, 0, optionRows)), Codes(optionTab, top, 10));
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Quoted(optionTab, top, 10); }));
  ui::testing::SaveScreenshot(frame_, "market_window_options_scrolled");

  // A click on a bid sells at the bid; one on the frozen contract column of
  // an option grid buys at the last price.
  int row = top;
  while (row < optionRows &&
         (Cell(optionTab, row, column::kBid) == "-" || Cell(optionTab, row, column::kLast) == "-")) {
    ++row;
  }
  ASSERT_LT(row, optionRows) << "no option with a bid and a last price";
  ClickCell(optionGrid, row, column::kBid);
  ASSERT_EQ(form_->filled.size(), 1u);
  const order_module::OrderRecord& sell = form_->filled[0];
  EXPECT_EQ(engine::Text(sell.contractCode), Cell(optionTab, row, column::kCode));
  EXPECT_EQ(engine::Text(sell.buySell), "1");
  EXPECT_EQ(engine::Text(sell.price), client::FixedText(std::stod(Cell(optionTab, row, column::kBid)), 2));
  EXPECT_EQ(engine::Text(sell.customerNo), "10001");
  QTableView& frozen = optionGrid.FrozenColumn();
  QTest::mouseClick(frozen.viewport(), Qt::LeftButton, {},
                    frozen.visualRect(frozen.model()->index(row, column::kCode)).center());
  ASSERT_EQ(form_->filled.size(), 2u);
  EXPECT_EQ(engine::Text(form_->filled[1].buySell), "0");
  EXPECT_EQ(engine::Text(form_->filled[1].price), client::FixedText(std::stod(Cell(optionTab, row, column::kLast)), 2));

  // The futures of the first exchange, the first ten quoted.
  ASSERT_NO_FATAL_FAILURE(ShowOuterTab(1));
  CTQMarketView& futureTab = Shown(*futures_);
  EXPECT_EQ(futures_->currentIndex(), 0);
  const int rows = futureTab.Rows().Rows().ShownRowCount();
  ASSERT_GT(rows, 12);
  const Strings order = Codes(futureTab, 0, rows);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Quoted(futureTab, 0, 10); }));
  EXPECT_EQ(Held(order), Codes(futureTab, 0, 10));
  EXPECT_EQ(Cell(futureTab, 12, column::kLast), "");

  // Quotes keep coming: a row changes in place, the order stays.
  const std::string firstVolume = Cell(futureTab, 0, column::kVolume);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Cell(futureTab, 0, column::kVolume) != firstVolume; }));
  EXPECT_EQ(Codes(futureTab, 0, rows), order);
  ui::testing::SaveScreenshot(frame_, "market_window_futures");

  // The order settings' price level, read at the click, moves a bought ask
  // up by its ticks.
  terminal_->Settings().records.orders.PriceLevel = 2;
  ClickCell(futureTab.Grid(), 1, column::kAskVolume);
  ASSERT_EQ(form_->filled.size(), 3u);
  const std::string code = Cell(futureTab, 1, column::kCode);
  EXPECT_EQ(engine::Text(form_->filled[2].contractCode), code);
  EXPECT_EQ(engine::Text(form_->filled[2].buySell), "0");
  const double tick = futures_->Model().Catalogue().TickOf(code);
  ASSERT_GT(tick, 0);
  EXPECT_EQ(engine::Text(form_->filled[2].price),
            client::FixedText(std::stod(Cell(futureTab, 1, column::kAsk)) + 2 * tick, 3));
  EXPECT_EQ(futureTab.Grid().currentIndex().row(), 1);

  // The right button neither fills the form nor selects.
  ClickCell(futureTab.Grid(), 3, column::kBid, Qt::RightButton);
  EXPECT_EQ(form_->filled.size(), 3u);
  EXPECT_EQ(futureTab.Grid().currentIndex().row(), 1);
}

TEST_F(MarketWindow, TheUsersGroupShowsWhatIsAddedAndTheTabsComeAgainWithTheContracts) {
  ASSERT_NO_FATAL_FAILURE(ShowOuterTab(1));
  quotes::CtbOptionalContract& groups = quotes::TheQuoteObject();
  quotes::ContractGroup record;
  record.name = "自选";
  record.keys = {quotes::MakeContractKey("D", "m2701"), quotes::MakeContractKey("S", "au2702")};
  std::string error;
  ASSERT_EQ(groups.AddContracts(record, error, quotes::kFutureKind), 2) << error;
  const int optional = futures_->count() - 1;
  ASSERT_EQ(ui::ToGbk(futures_->tabText(optional)), "自选");
  EXPECT_EQ(Codes(*futures_->TabView(optional), 0, 5), (Strings{"m2701", "au2702"}));

  futures_->setCurrentIndex(optional);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Quoted(*futures_->TabView(optional), 0, 2); }));
  EXPECT_EQ(Held({"m2701", "au2702"}), (Strings{"m2701", "au2702"}));
  ui::testing::SaveScreenshot(frame_, "market_window_optional_group");

  // The contracts come again (a reconnect's download): the groups are built
  // anew with the user's group kept, and the tabs with them.
  const std::uint64_t loads = groups.LoadCount();
  groups.Load(client::ContractGroupsFolder(), quotes::ReadGroupTables(terminal_->Engine()));
  groups.StartWatching();
  frame_->OnContractsReady();
  EXPECT_EQ(groups.LoadCount(), loads + 1);
  ASSERT_EQ(futures_->count(), optional + 1);
  EXPECT_EQ(Codes(*futures_->TabView(optional), 0, 5), (Strings{"m2701", "au2702"}));
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Quoted(Shown(*futures_), 0, 10); }));
  EXPECT_EQ(Held(Codes(Shown(*futures_), 0, 10)), Codes(Shown(*futures_), 0, 10));
}

}  // namespace
