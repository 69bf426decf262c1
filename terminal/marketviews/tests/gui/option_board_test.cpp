// The option quote board of the logged-in terminal against the simulated
// back end: the first series by strike with live calls and puts, the row at
// the money nearest the underlying's price, a click on a put's bid filling
// a sale at the bid less the settings' price level, the detail panel of the
// clicked option, a series typed into the combo and chosen in the picker,
// and the detail panel hidden and shown again.
#include <gtest/gtest.h>

#include <QDockWidget>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "client/fixed_text.h"
#include "engine/row_field.h"
#include "marketviews/views/option_board_view.h"
#include "quotes/quote_object.h"
#include "recording_order_form.h"
#include "shell/testing/terminal_session.h"
#include "ui/gbk_text.h"
#include "ui/order_form.h"
#include "ui/testing/gui_test.h"

namespace {

using marketviews::CMyBCGPComboBox;
using marketviews::CTMarketOptionDlg;
namespace option = marketviews::option_column;

constexpr int kPriceLevel = 2;
using marketviews::testing::RecordingOrderForm;

class OptionBoard : public shell::testing::TerminalSession {
 protected:
  void SetUp() override {
    TerminalSession::SetUp();
    // The order settings' price level, as the settings sheet writes it.
    std::ofstream(folder_ / "Config" / "EntrustParam.ini")
        << "[EntrustCommon]\nPriceLevel=" << kPriceLevel << "\n[EntrustAdv]\nPriceLevel=" << kPriceLevel << "\n";
    terminal_ = std::make_unique<shell::Terminal>();
    terminal_->Factories().SetBarFactory(shell::bar::kOrderDock, [this](QWidget*, const ui::ViewContext& context) {
      form_ = new RecordingOrderForm;
      context.receivers->SetOrderForm(form_);
      return form_;
    });
    ASSERT_TRUE(shell::testing::StartLoggedIn(*terminal_));
    frame_ = terminal_->Frame();
    board_ = dynamic_cast<CTMarketOptionDlg*>(frame_->findChild<QWidget*>("CTMarketOptionDlg"));
    ASSERT_NE(board_, nullptr);
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return board_->Model().Loaded(); }));
    // The board's bar floats, wide enough for both sides of the grid.
    auto* bar = qobject_cast<QDockWidget*>(board_->parentWidget());
    ASSERT_NE(bar, nullptr);
    bar->setFloating(true);
    bar->resize(1400, 330);
    bar->show();
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return board_->isVisible() && board_->width() > 1300; }));
  }
  void TearDown() override {
    terminal_.reset();
    TerminalSession::TearDown();
  }

  marketviews::OptionTRows& Rows() const { return board_->Model().Grid(); }
  std::string Cell(int row, int col) const { return std::string(Rows().Rows().ShownText(row, col)); }
  // Every option of the series has had a whole quote.
  bool AllQuoted() const {
    for (const marketviews::OptionContract& option : Rows().Contracts()) {
      if (Rows().GetStoredQuote(option.code).szName[0] == '\0') return false;
    }
    return true;
  }
  // The row whose strike is nearest the underlying's price now.
  int NearestStrikeRow() const {
    const double price = board_->Model().UnderlyingPrice();
    int nearest = -1;
    for (int row = 0; row < Rows().Rows().ShownRowCount(); ++row) {
      const double strike = std::stod(Cell(row, option::kStrike));
      if (nearest < 0 || std::fabs(strike - price) < std::fabs(std::stod(Cell(nearest, option::kStrike)) - price)) {
        nearest = row;
      }
    }
    return nearest;
  }
  void ClickCell(int row, int col) {
    marketviews::CTMarketOptionGridCtrl& grid = board_->Grid();
    grid.scrollTo(grid.model()->index(row, col));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(row, col)).center());
  }
  // A double click as the user's: the first click presses the item.
  static void DoubleClick(QTreeWidget& tree, const QTreeWidgetItem* item) {
    const QPoint centre = tree.visualItemRect(item).center();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, centre);
  }
  // The references the quote table counts for the contract.
  static int References(const std::string& code) {
    for (const backend::QuoteSlot& slot : quotes::TheQuoteObject().CopySlots()) {
      if (code == slot.quote.szCode) return slot.refCount;
    }
    return 0;
  }
  static bool Held(const std::string& code) { return References(code) > 0; }

  std::unique_ptr<shell::Terminal> terminal_;
  shell::MainFrame* frame_ = nullptr;
  RecordingOrderForm* form_ = nullptr;
  CTMarketOptionDlg* board_ = nullptr;
};

TEST_F(OptionBoard, ASeriesShowsLiveCallsAndPutsByStrikeShadedAtTheMoneyAndAPutsBidSellsBelowIt) {
  const std::string series = board_->Model().CurrentSeries();
  ASSERT_FALSE(series.empty());
  EXPECT_EQ(ui::ToGbk(board_->SeriesCombo().currentText()), series);
  const int rows = Rows().Rows().ShownRowCount();
  ASSERT_GE(rows, 5);
  ASSERT_EQ(static_cast<int>(Rows().Contracts().size()), 2 * rows);

  // Calls and puts stream in, each into its side of its strike's row.
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return AllQuoted(); }));
  for (const marketviews::OptionContract& option : Rows().Contracts()) EXPECT_TRUE(Held(option.code)) << option.code;
  ASSERT_TRUE(ui::testing::WaitUntil([&] {
    for (int row = 0; row < rows; ++row) {
      if (Cell(row, option::kLast) == "-" || Cell(row, option::Mirrored(option::kLast)) == "-") return false;
    }
    return true;
  }));

  // The underlying's quote places the strike at the money.
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return board_->Model().UnderlyingPrice() > 0; }));
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return Rows().ShadedRow() == NearestStrikeRow(); }));
  board_->CentreButton().click();
  ui::testing::SaveScreenshot(board_, "option_board");

  // A put's bid sells at the bid less the price level's ticks.
  int row = 0;
  while (row < rows && Cell(row, option::Mirrored(option::kBid)) == "-") ++row;
  ASSERT_LT(row, rows) << "no put with a bid";
  const std::string put = Rows().CodeAt(row, "P");
  const double bid = std::stod(Cell(row, option::Mirrored(option::kBid)));
  const double tick = board_->Model().Catalogue().TickOf(put);
  ClickCell(row, option::Mirrored(option::kBid));
  ASSERT_EQ(form_->filled.size(), 1u);
  const order_module::OrderRecord& sell = form_->filled[0];
  EXPECT_EQ(engine::Text(sell.contractCode), put);
  EXPECT_EQ(engine::Text(sell.buySell), "1");
  EXPECT_EQ(engine::Text(sell.price), client::FixedText(bid - kPriceLevel * tick, 2));
  EXPECT_EQ(engine::Text(sell.customerNo), "10001");
  // The put shows in the detail panel, the put's side of its row selected.
  EXPECT_EQ(board_->Model().Detail().Contract(), put);
  EXPECT_EQ(board_->Model().Detail().SideText(), "  看跌  ");
  EXPECT_EQ(board_->Grid().selectionModel()->selectedIndexes().size(), option::kCount - option::kStrike);
  ui::testing::SaveScreenshot(board_, "option_board_put_clicked");

  // A call's ask buys at the ask plus the price level's ticks.
  ClickCell(row, option::kAsk);
  ASSERT_EQ(form_->filled.size(), 2u);
  EXPECT_EQ(engine::Text(form_->filled[1].buySell), "0");
  EXPECT_EQ(engine::Text(form_->filled[1].contractCode), Rows().CodeAt(row, "C"));
}

TEST_F(OptionBoard, ATypedSeriesIsPickedInTheTreeAndReplacesTheRowsAndTheirQuotes) {
  const std::vector<marketviews::OptionContract> before = Rows().Contracts();
  ASSERT_FALSE(before.empty());
  // The last series of the map, typed but for its last character.
  const marketviews::OptionExchange* last = nullptr;
  for (const marketviews::OptionExchange& exchange : board_->Model().Map().Exchanges()) {
    if (exchange.listed && !exchange.series.empty()) last = &exchange;
  }
  ASSERT_NE(last, nullptr);
  const std::string wanted = last->series.back().name;
  ASSERT_NE(wanted, board_->Model().CurrentSeries());
  std::vector<int> references;
  for (const marketviews::OptionContract& option : before) references.push_back(References(option.code));
  QLineEdit* edit = board_->SeriesCombo().lineEdit();
  edit->selectAll();
  QTest::keyClicks(edit, ui::FromGbk(wanted.substr(0, wanted.size() - 1)));
  ASSERT_TRUE(board_->Picker().isVisible());
  const std::string picked = board_->Picker().SelectedLeaf();
  EXPECT_EQ(picked.find(wanted.substr(0, wanted.size() - 1)), 0u) << picked;
  ui::testing::SaveScreenshot(std::vector<QWidget*>{board_, &board_->Picker()}, "option_board_picker");

  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_FALSE(board_->Picker().isVisible());
  EXPECT_EQ(board_->Model().CurrentSeries(), picked);
  ASSERT_FALSE(Rows().Contracts().empty());
  EXPECT_EQ(Rows().Contracts().front().series, picked);
  // The earlier series' quotes are let go (the market window may still hold
  // some of them), the new one's come.
  for (std::size_t index = 0; index < before.size(); ++index) {
    EXPECT_EQ(References(before[index].code), references[index] - 1) << before[index].code;
  }
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return AllQuoted(); }));

  // Clearing the text hides the picker again.
  edit->selectAll();
  QTest::keyClicks(edit, "x");
  ASSERT_TRUE(board_->Picker().isVisible());
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_FALSE(board_->Picker().isVisible());
}

TEST_F(OptionBoard, CentringScrollsTheMoneyRowToTheMiddleAndADoubleClickedSeriesShowsOnTheBoard) {
  // A board too low for all its rows.
  auto* bar = qobject_cast<QDockWidget*>(board_->parentWidget());
  bar->resize(1400, 150);
  marketviews::CTMarketOptionGridCtrl& grid = board_->Grid();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return grid.verticalScrollBar()->maximum() > 0; }));
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return board_->Model().UnderlyingPrice() > 0; }));
  QTest::mouseClick(&board_->CentreButton(), Qt::LeftButton);
  const int row = Rows().ShadedRow();
  ASSERT_GE(row, 0);
  const int page = grid.viewport()->height();
  const int position = row * marketviews::CTMarketOptionGridCtrl::kRowHeight;
  const int expected = position < page / 2 ? 0 : std::min(position - page / 2, grid.verticalScrollBar()->maximum());
  EXPECT_EQ(grid.verticalScrollBar()->value(), expected);
  EXPECT_GE(grid.LastShownRow(), row);
  EXPECT_LE(grid.FirstShownRow(), row);
  ui::testing::SaveScreenshot(board_, "option_board_centred");

  // The combo's arrow drops the picker down at the series shown.
  CMyBCGPComboBox& combo = board_->SeriesCombo();
  QTest::mouseClick(&combo, Qt::LeftButton, {}, QPoint(combo.width() - 5, combo.height() / 2));
  ASSERT_TRUE(board_->Picker().isVisible());
  EXPECT_EQ(board_->Picker().SelectedLeaf(), board_->Model().CurrentSeries());
  QTreeWidget& tree = board_->Picker().Tree();
  const QTreeWidgetItem* shown = tree.currentItem();
  ASSERT_NE(shown, nullptr);
  QTreeWidgetItem* group = shown->parent();
  ASSERT_NE(group, nullptr);
  // A double click on a group is no choice.
  DoubleClick(tree, group);
  EXPECT_TRUE(board_->Picker().isVisible());
  group->setExpanded(true);
  QTreeWidgetItem* other = nullptr;
  for (int index = 0; index < group->childCount() && other == nullptr; ++index) {
    if (group->child(index) != shown) other = group->child(index);
  }
  ASSERT_NE(other, nullptr) << "the series' group has one series only";
  const std::string chosen = ui::ToGbk(other->text(0));
  tree.scrollToItem(other);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return tree.viewport()->rect().contains(tree.visualItemRect(other)); }));
  DoubleClick(tree, other);
  EXPECT_FALSE(board_->Picker().isVisible());
  EXPECT_EQ(board_->Model().CurrentSeries(), chosen);
  EXPECT_EQ(ui::ToGbk(combo.currentText()), chosen);
  EXPECT_EQ(Rows().Contracts().front().series, chosen);
}

TEST_F(OptionBoard, HidingTheDetailGivesTheGridTheWidthLessTheToggle) {
  ASSERT_TRUE(board_->DetailPanel().isVisible());
  QTest::mouseClick(&board_->DetailToggle(), Qt::LeftButton);
  EXPECT_TRUE(board_->DetailHidden());
  EXPECT_FALSE(board_->DetailPanel().isVisible());
  EXPECT_EQ(board_->Grid().width(), board_->width() - 5);
  EXPECT_EQ(ui::ToGbk(board_->DetailToggle().toolTip()), "显示详细行情");
  QTest::mouseClick(&board_->DetailToggle(), Qt::LeftButton);
  EXPECT_TRUE(board_->DetailPanel().isVisible());
  EXPECT_EQ(board_->Grid().width(), board_->width() - 5 - 180);
}

}  // namespace
