#include "ui/filter_grid.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "temp_config_home.h"
#include "ui/dialog_base.h"
#include "ui/filter_list_dialog.h"
#include "ui/gbk_text.h"
#include "ui/grid_export_dialog.h"
#include "ui/query_grid.h"
#include "ui/registry_store.h"
#include "ui/testing/gui_test.h"

namespace {

using ::testing::ElementsAre;

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x008000;

struct Order {
  const char* code;
  const char* side;
  const char* price;
  const char* lots;
};

constexpr Order kOrders[] = {{"IF2406", "买入", "3500.2", "2"}, {"cu2405", "卖出", "70010", "1"},
                             {"m2405", "买入", "3012", "10"},   {"IF2406", "卖出", "3499.8", "3"},
                             {"au2406", "买入", "480.5", "1"},  {"c2405", "卖出", "2400", "5"},
                             {"rb2410", "买入", "3650", "12"},  {"IO2406-C-3500", "卖出", "88.6", "4"}};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

class RecordingParent final : public ui::CGridParent {
 public:
  std::vector<QPoint> contextMenus;
  std::vector<QPoint> doubleClicks;
  void OnGridContextMenu(const ui::GridMouse& mouse) override { contextMenus.push_back(mouse.point); }
  void OnGridDblClk(const ui::GridMouse& mouse) override { doubleClicks.push_back(mouse.point); }
};

class FilterGridTest : public ::testing::Test {
 protected:
  FilterGridTest() {
    ui::InsertGridColumns(rows_, {{"合约", 110, ui::kAlignLeft, "szContractCode"},
                                  {"买卖", 60, ui::kAlignCentre, "szNameBS"},
                                  {"委托价格", 90, ui::kAlignRight, "szOrderPrice"},
                                  {"委托手数", 80, ui::kAlignRight, "szOrderHands"}});
    for (const Order& order : kOrders) Add(order);
    grid_.resize(460, 240);
    grid_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid_));
  }
  ~FilterGridTest() override { ui::testing::CancelWatches(); }

  ui::RowId Add(const Order& order) {
    ui::GridRow row = ui::CreateGridRow(rows_);
    row.SetText(0, order.code);
    row.SetText(1, order.side);
    row.SetColour(1, std::string_view(order.side) == "买入" ? kRed : kGreen);
    row.SetText(2, order.price);
    row.SetText(3, order.lots);
    return rows_.AddRow(std::move(row), ui::MakeCodeRowKey(order.code));
  }

  // The column's texts as the view shows them, top to bottom.
  std::vector<std::string> Shown(int column) const {
    std::vector<std::string> texts;
    for (int row = 0; row < grid_.model()->rowCount(); ++row) {
      texts.push_back(ui::ToGbk(grid_.model()->index(row, column).data().toString()));
    }
    return texts;
  }

  QPoint SectionCentre(int column) const {
    const QHeaderView& header = grid_.Header();
    return {header.sectionViewportPosition(column) + header.sectionSize(column) / 3, header.height() / 2};
  }

  QPoint CellCentre(int row, int column) const { return grid_.visualRect(grid_.model()->index(row, column)).center(); }

  // Opens the header menu of the column with its button and picks the
  // command with the mouse.
  void PickHeaderCommand(int column, int commandId) {
    QTest::mouseClick(grid_.Header().viewport(), Qt::LeftButton, {}, grid_.Header().MenuButtonRect(column).center());
    QMenu& menu = grid_.HeaderMenu();
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return menu.isVisible(); }));
    auto* action = menu.findChild<QAction*>(QString("command%1").arg(commandId));
    ASSERT_NE(action, nullptr);
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(action).center());
  }

  // Clicks the check box of an entry of the pick list.
  static void ClickCheck(QListWidget& list, int entry) {
    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.rect = list.visualItemRect(list.item(entry));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect check = list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, check.center());
  }

  static int EntryOf(const QListWidget& list, std::string_view text) {
    for (int entry = 0; entry < list.count(); ++entry) {
      if (ui::ToGbk(list.item(entry)->text()) == text) return entry;
    }
    return -1;
  }

  // Exports with the save dialog, typing the path; the message box's text.
  std::string Export(ui::ExportKind kind, const std::filesystem::path& path) {
    ui::testing::WhenShown("exportFileDialog", [path](QWidget* window) {
      static_cast<QFileDialog*>(window)->setDirectory(QString::fromStdString(path.parent_path().string()));
      auto* edit = window->findChild<QLineEdit*>("fileNameEdit");
      ASSERT_NE(edit, nullptr);
      edit->clear();
      QTest::keyClicks(edit, QString::fromStdString(path.filename().string()));
      QTest::keyClick(edit, Qt::Key_Return);
    });
    std::string message;
    ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { message = text; });
    ui::ExportGrid(grid_, kind, "EntrustGrid");
    return message;
  }

  ui::testing::TempConfigHome home_;
  ui::GridModel rows_;
  ui::CFilterGridCtrl grid_{rows_};
};

TEST_F(FilterGridTest, AHeaderClickSortsItsColumnAndTurnsTheSortAndCtrlAddsAColumn) {
  QTest::mouseClick(grid_.Header().viewport(), Qt::LeftButton, {}, SectionCentre(2));
  EXPECT_THAT(Shown(2), ElementsAre("88.6", "480.5", "2400", "3012", "3499.8", "3500.2", "3650", "70010"));
  EXPECT_EQ(grid_.GetHeaderMenuButtonImageIndex(2), 1);
  QTest::mouseClick(grid_.Header().viewport(), Qt::LeftButton, {}, SectionCentre(2));
  EXPECT_EQ(Shown(2).front(), "70010");
  EXPECT_EQ(grid_.GetHeaderMenuButtonImageIndex(2), 2);
  // Ctrl: the side first as it was, then the code.
  QTest::mouseClick(grid_.Header().viewport(), Qt::LeftButton, {}, SectionCentre(1));
  QTest::mouseClick(grid_.Header().viewport(), Qt::LeftButton, Qt::ControlModifier, SectionCentre(0));
  EXPECT_THAT(rows_.SortColumns(), ElementsAre(ui::SortColumn{1, true}, ui::SortColumn{0, true}));
  EXPECT_THAT(Shown(0),
              ElementsAre("IF2406", "au2406", "m2405", "rb2410", "IF2406", "IO2406-C-3500", "c2405", "cu2405"));
  EXPECT_FALSE(ui::testing::SaveScreenshot(&grid_, "filter_grid_sorted").empty());
}

TEST_F(FilterGridTest, TheHeaderMenuSortsAndItsPickListFiltersTheColumn) {
  PickHeaderCommand(2, ui::kSortDescendingCommand);
  EXPECT_EQ(grid_.HeaderMenuColumn(), 2);
  EXPECT_EQ(Shown(2).front(), "70010");
  PickHeaderCommand(2, ui::kSortAscendingCommand);
  EXPECT_EQ(Shown(2).front(), "88.6");

  // The pick list offers the side column's values; "卖出" is cleared.
  QTest::mouseClick(grid_.Header().viewport(), Qt::LeftButton, {}, grid_.Header().MenuButtonRect(1).center());
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return grid_.HeaderMenu().isVisible(); }));
  EXPECT_FALSE(ui::testing::SaveScreenshot({&grid_, &grid_.HeaderMenu()}, "filter_grid_header_menu").empty());
  grid_.HeaderMenu().close();
  std::vector<std::string> offered;
  ui::testing::WhenShown("CFilterListDlg", [&](QWidget* window) {
    auto& dialog = *static_cast<ui::CFilterListDlg*>(window);
    QListWidget& list = dialog.List();
    for (int entry = 0; entry < list.count(); ++entry) offered.push_back(ui::ToGbk(list.item(entry)->text()));
    ClickCheck(list, EntryOf(list, "卖出"));
    EXPECT_EQ(list.item(0)->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(ui::testing::SaveScreenshot({&grid_, &dialog}, "filter_pick_list").empty());
    QTest::mouseClick(ui::FindControl<QPushButton>(&dialog, 1), Qt::LeftButton);
  });
  PickHeaderCommand(1, ui::kSetFilterCommand);
  EXPECT_THAT(offered, ElementsAre("(全选)", "卖出", "买入"));  // values in shown order
  EXPECT_THAT(Shown(1), ElementsAre("买入", "买入", "买入", "买入"));
  EXPECT_THAT(Shown(2), ElementsAre("480.5", "3012", "3500.2", "3650"));  // still sorted
  EXPECT_EQ(grid_.GetHeaderMenuButtonImageIndex(1), 3);
  EXPECT_EQ(grid_.GetHeaderMenuButtonImageIndex(2), 1);
  EXPECT_FALSE(ui::testing::SaveScreenshot(&grid_, "filter_grid_filtered").empty());

  // A new row whose side is not selected stays hidden; clearing shows all.
  Add({"ag2406", "卖出", "5800", "1"});
  EXPECT_EQ(grid_.model()->rowCount(), 4);
  PickHeaderCommand(1, ui::kClearFilterCommand);
  EXPECT_EQ(grid_.model()->rowCount(), 9);
  EXPECT_EQ(grid_.GetHeaderMenuButtonImageIndex(1), 0);
}

TEST_F(FilterGridTest, TheMenuCommandsDoNothingBeforeAHeaderMenuWasOpened) {
  ASSERT_EQ(grid_.HeaderMenuColumn(), -1);
  grid_.OnSortAscending();
  grid_.OnSortDescending();
  bool pickListShown = false;
  ui::testing::WhenShown("CFilterListDlg", [&](QWidget* window) {
    pickListShown = true;
    static_cast<QDialog*>(window)->reject();
  });
  grid_.OnSetFilter();
  EXPECT_FALSE(pickListShown);
  EXPECT_TRUE(rows_.SortColumns().empty());
  EXPECT_EQ(rows_.Filter(), ui::ColumnFilterState{});
  EXPECT_EQ(Shown(0).front(), "IF2406");
}

TEST_F(FilterGridTest, CancellingThePickListKeepsTheFilterAndAllChecksKeepEveryRow) {
  rows_.SetFilter({0, false, {"IF2406"}});
  grid_.selectRow(0);
  ui::testing::WhenShown("CFilterListDlg", [](QWidget* window) {
    auto& dialog = *static_cast<ui::CFilterListDlg*>(window);
    ClickCheck(dialog.List(), 0);  // "(全选)" from indeterminate to checked
    QTest::mouseClick(ui::FindControl<QPushButton>(&dialog, 2), Qt::LeftButton);
  });
  PickHeaderCommand(0, ui::kSetFilterCommand);
  EXPECT_EQ(rows_.Filter(), (ui::ColumnFilterState{0, false, {"IF2406"}}));
  EXPECT_FALSE(grid_.SelectedRow().has_value());

  // Another column starts from every value checked; OK with "(全选)"
  // replaces the first filter and hides nothing.
  ui::testing::WhenShown("CFilterListDlg", [](QWidget* window) {
    auto& dialog = *static_cast<ui::CFilterListDlg*>(window);
    EXPECT_EQ(dialog.List().item(1)->checkState(), Qt::Checked);
    QTest::mouseClick(ui::FindControl<QPushButton>(&dialog, 1), Qt::LeftButton);
  });
  PickHeaderCommand(3, ui::kSetFilterCommand);
  EXPECT_EQ(rows_.Filter().column, 3);
  EXPECT_EQ(grid_.model()->rowCount(), 8);
  EXPECT_EQ(grid_.GetHeaderMenuButtonImageIndex(3), 0);
}

TEST_F(FilterGridTest, AFilteredSortedGridExportsWhatItShowsToCsvAndHtml) {
  // Sorted by lots, descending, with the header menu; only sells, with the
  // pick list; the lots column dragged to the front; the price hidden.
  PickHeaderCommand(3, ui::kSortDescendingCommand);
  ui::testing::WhenShown("CFilterListDlg", [](QWidget* window) {
    auto& dialog = *static_cast<ui::CFilterListDlg*>(window);
    ClickCheck(dialog.List(), EntryOf(dialog.List(), "买入"));
    QTest::mouseClick(ui::FindControl<QPushButton>(&dialog, 1), Qt::LeftButton);
  });
  PickHeaderCommand(1, ui::kSetFilterCommand);
  ASSERT_EQ(grid_.model()->rowCount(), 4);
  QHeaderView& header = grid_.Header();
  const QPoint from = SectionCentre(3);
  const QPoint to(header.sectionViewportPosition(0) + 5, from.y());
  QTest::mousePress(header.viewport(), Qt::LeftButton, {}, from);
  QMouseEvent drag(QEvent::MouseMove, to, header.viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(header.viewport(), &drag);
  QTest::mouseRelease(header.viewport(), Qt::LeftButton, {}, to);
  ASSERT_EQ(grid_.ShownColumns().front(), 3);
  grid_.SetColumnVisible(2, false);
  EXPECT_FALSE(ui::testing::SaveScreenshot(&grid_, "filter_grid_exported").empty());

  const std::filesystem::path csv = home_.Folder() / "orders.csv";
  EXPECT_EQ(Export(ui::ExportKind::kCsv, csv), "保存文件" + csv.string() + "成功！");
  EXPECT_EQ(ReadFile(csv),
            "委托手数,合约,买卖,\t\r\n"
            "5,c2405,卖出,\t\r\n"
            "4,IO2406-C-3500,卖出,\t\r\n"
            "3,IF2406,卖出,\t\r\n"
            "1,cu2405,卖出,\t\r\n");

  const std::filesystem::path html = home_.Folder() / "orders.html";
  EXPECT_EQ(Export(ui::ExportKind::kHtml, html), "保存文件" + html.string() + "成功！");
  const std::string page = ReadFile(html);
  EXPECT_NE(page.find("<tr><th>委托手数</th><th>合约</th><th>买卖</th></tr>\r\n"), std::string::npos);
  EXPECT_NE(page.find("<tr><td align=\"right\">5</td><td align=\"left\">c2405</td><td align=\"center\">卖出</td>"
                      "</tr>\r\n"),
            std::string::npos);
  EXPECT_EQ(page.find("买入"), std::string::npos);
  EXPECT_EQ(page.find("70010"), std::string::npos);
}

TEST_F(FilterGridTest, TheRightButtonsReleaseAndTheDoubleClickGoToTheOwner) {
  RecordingParent parent;
  grid_.SetListener(&parent);
  const QPoint cell = CellCentre(2, 1);
  QTest::mouseClick(grid_.viewport(), Qt::RightButton, {}, cell);
  ASSERT_THAT(parent.contextMenus, ElementsAre(cell));
  QTest::mouseDClick(grid_.viewport(), Qt::LeftButton, {}, CellCentre(4, 0));
  ASSERT_THAT(parent.doubleClicks, ElementsAre(CellCentre(4, 0)));
  const std::optional<ui::RowId> row = grid_.RowAt(parent.doubleClicks.front());
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(rows_.Row(*row)->Text(0), "au2406");
}

TEST_F(FilterGridTest, LiveChangesRepaintOncePerTickAndNeverResetTheModel) {
  int resets = 0;
  int layouts = 0;
  QObject::connect(grid_.model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
  QObject::connect(grid_.model(), &QAbstractItemModel::layoutChanged, [&] { ++layouts; });
  int paints = 0;
  struct PaintCounter : QObject {
    int* count;
    explicit PaintCounter(int* c) : count(c) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++*count;
      return false;
    }
  } counter(&paints);
  grid_.viewport()->installEventFilter(&counter);
  grid_.Header().resizeSection(0, 140);
  // The resize's repaints come first, however late a busy machine runs them.
  do {
    paints = 0;
    QTest::qWait(50);
  } while (paints > 0);
  // One tick: a hundred changes to the rows in sight, and a row added.
  for (int i = 0; i < 100; ++i) {
    const ui::RowId id = rows_.ShownRow(i % 4);
    ui::GridRow row = *rows_.Row(id);
    row.SetText(3, std::to_string(i));
    rows_.UpdateRow(id, std::move(row));
  }
  Add({"sc2407", "买入", "610", "1"});
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return paints > 0; }));
  QTest::qWait(50);
  EXPECT_EQ(paints, 1);
  EXPECT_THAT(Shown(3), ElementsAre("96", "97", "98", "99", "1", "5", "12", "4", "1"));
  EXPECT_EQ(resets, 0);
  EXPECT_EQ(layouts, 0);
  EXPECT_EQ(grid_.Header().sectionSize(0), 140);  // the columns keep their sizes
  grid_.viewport()->removeEventFilter(&counter);
}

TEST_F(FilterGridTest, TheColumnLayoutAndSortReadBackUnderTheGridName) {
  ui::RegistryStore registry("Tolvane\\Brennark\\Quentara");
  grid_.Header().moveSection(2, 0);
  grid_.Header().resizeSection(0, 150);
  rows_.Sort(2, false, false);
  ASSERT_TRUE(grid_.SaveState(registry, "EntrustGrid"));

  ui::GridModel again;
  ui::InsertGridColumns(again, {{"合约", 110}, {"买卖", 60}, {"委托价格", 90}, {"委托手数", 80}});
  ui::CFilterGridCtrl restored(again);
  EXPECT_FALSE(restored.LoadState(registry, "DoneGrid"));
  ASSERT_TRUE(restored.LoadState(registry, "EntrustGrid"));
  EXPECT_THAT(restored.ShownColumns(), ElementsAre(2, 0, 1, 3));
  EXPECT_EQ(restored.Header().sectionSize(0), 150);
  EXPECT_EQ(restored.Header().sectionSize(1), 60);
  EXPECT_THAT(again.SortColumns(), ElementsAre(ui::SortColumn{2, false}));
}

// A form view that offers its popup menu to the query grid inside it.
class MenuHost final : public QWidget, public ui::GridMenuHost {
 public:
  MenuHost() : menu_(new QMenu(this)) { menu_->addAction("导出到CSV(&V)"); }
  QMenu* GridPopupMenu() override { return menu_; }
  QMenu* menu_;
};

TEST(QueryGrid, TheRightButtonOpensTheFormViewsMenuAndAnEditIsRemembered) {
  ui::GridModel rows;
  ui::InsertGridColumns(rows, {{"声音", 80}, {"文件", 160}});
  ui::GridRow row = ui::CreateGridRow(rows);
  row.SetText(0, "成交");
  row.SetText(1, "deal.wav");
  row.SetEditable(1, true);
  rows.AddRow(std::move(row));

  MenuHost host;
  auto* grid = new ui::CTQGridCtrl(rows, &host);
  (new QVBoxLayout(&host))->addWidget(grid);
  host.resize(300, 160);
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  const QPoint cell = grid->visualRect(grid->model()->index(0, 1)).center();
  QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cell);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return host.menu_->isVisible(); }));
  EXPECT_EQ(host.menu_->pos(), grid->viewport()->mapToGlobal(cell));
  host.menu_->close();

  // Only the editable cell takes an edit; the last edit is remembered.
  EXPECT_EQ(grid->LastEditedValue(), "");
  QApplication::setActiveWindow(&host);
  grid->setFocus();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return grid->hasFocus(); }));
  grid->setCurrentIndex(grid->model()->index(0, 0));
  QTest::keyClick(grid, Qt::Key_F2);
  EXPECT_EQ(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
  grid->setCurrentIndex(grid->model()->index(0, 1));
  QTest::keyClick(grid, Qt::Key_F2);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "trade.wav");
  QTest::keyClick(editor, Qt::Key_Return);  // the editor commits on the next turn of the event loop
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return grid->LastEditedValue() == "trade.wav"; }));
  EXPECT_EQ(rows.ShownText(0, 1), "trade.wav");

  // Outside a form view the right button opens nothing.
  ui::CTQGridCtrl alone(rows);
  alone.resize(300, 160);
  alone.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&alone));
  QTest::mouseClick(alone.viewport(), Qt::RightButton, {}, cell);
  QTest::qWait(50);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

}  // namespace
