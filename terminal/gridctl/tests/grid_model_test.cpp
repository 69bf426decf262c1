#include "gridctl/model/grid_model.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using gridctl::CellKind;
using gridctl::GridModel;
using gridctl::ScrollAction;

struct Notice {
  int code;
  int row;
  friend bool operator==(const Notice&, const Notice&) = default;
};

class RecordingObserver : public gridctl::GridModelObserver {
 public:
  void OnGridNotify(int code, int, int row, int, int) override { notices.push_back({code, row}); }
  void OnGridLayout() override { ++layouts; }
  void OnGridRepaint() override {}
  void OnGridRepaintCell(int, std::int32_t) override {}
  std::vector<Notice> notices;
  int layouts = 0;
};

// A grid of one text column of 16 bytes and 80 px, plus a second column that
// tells the rows apart.
class GridModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model.SetObserver(&observer);
    model.SetColumnCapacity(2);
    text = model.AddColumn(16, 80);
    tag = model.AddColumn(8, 40);
  }
  void AddRows(const std::vector<std::string>& texts) {
    for (const std::string& value : texts) {
      const int row = model.AddRow();
      model.SetCellText(row, text, value, CellKind::kText);
      model.SetCellText(row, tag, std::to_string(row), CellKind::kText);
    }
  }
  std::vector<std::string> Column(std::int32_t field) const {
    std::vector<std::string> values;
    for (int row = 0; row < model.GetRowCount(); ++row) values.emplace_back(model.GetCellText(row, field));
    return values;
  }
  GridModel model;
  RecordingObserver observer;
  std::int32_t text = -1;
  std::int32_t tag = -1;
};

TEST_F(GridModelTest, ColumnsStopAtTheCapacity) {
  EXPECT_EQ(text, 0);
  EXPECT_EQ(tag, 1);
  EXPECT_EQ(model.AddColumn(4, 10), -1);
  EXPECT_EQ(model.ColumnCount(), 2);
  EXPECT_EQ(model.GetColumnOfField(tag), 1);
  EXPECT_EQ(model.GetFieldOfColumn(2), -1);
}

TEST_F(GridModelTest, TextSortIsStableAscendingAndReversedDescending) {
  AddRows({"b", "a", "b"});
  EXPECT_TRUE(model.SortByColumn(0));
  EXPECT_EQ(Column(tag), (std::vector<std::string>{"1", "0", "2"}));
  EXPECT_EQ(model.SortDirection(), GridModel::kSortAscending);
  EXPECT_TRUE(model.SortByColumn(0));
  EXPECT_EQ(Column(tag), (std::vector<std::string>{"2", "0", "1"}));
  EXPECT_EQ(model.SortDirection(), GridModel::kSortDescending);
  // Another column starts ascending again.
  EXPECT_TRUE(model.SortByColumn(1));
  EXPECT_EQ(model.SortField(), tag);
  EXPECT_EQ(model.SortDirection(), GridModel::kSortAscending);
  EXPECT_FALSE(model.SortByColumn(2));
}

TEST_F(GridModelTest, NumericColumnsSortByTheRoundedValue) {
  model.SetColumnNumeric(0, 1);
  // 1.3 and 1.25 share the key 13 (half up) and keep their order; 1.24 is 12.
  AddRows({"10", "1.3", "1.25", "9", "1.24", "abc"});
  model.SortByColumn(0);
  EXPECT_EQ(Column(text), (std::vector<std::string>{"abc", "1.24", "1.3", "1.25", "9", "10"}));
}

TEST_F(GridModelTest, TextColumnsCompareBytes) {
  AddRows({"9", "10", "铜", "Z"});
  model.SortByColumn(0);
  EXPECT_EQ(Column(text), (std::vector<std::string>{"10", "9", "Z", "铜"}));
}

TEST_F(GridModelTest, OneRowIsNotSortedAndTheSelectionStaysAtItsPlace) {
  AddRows({"only"});
  EXPECT_TRUE(model.SortByColumn(0));
  EXPECT_EQ(model.SortField(), -1);
  AddRows({"a"});
  model.SetCurrentRow(0);  // "only"
  model.SortByColumn(0);
  EXPECT_EQ(Column(text), (std::vector<std::string>{"a", "only"}));
  EXPECT_EQ(model.CurrentRow(), 0);
  EXPECT_EQ(model.SelectionAnchor(), 0);
  EXPECT_TRUE(model.IsRowSelected(0));
  EXPECT_FALSE(model.IsRowSelected(1));
}

TEST_F(GridModelTest, CurrentRowNotifiesOnlyWhenItChanges) {
  AddRows({"a", "b", "c"});
  model.SetCurrentRow(1);
  model.SetCurrentRow(1);
  model.SetCurrentRow(3);   // past the rows: ignored
  model.SetCurrentRow(-2);  // no such row: ignored
  EXPECT_EQ(observer.notices, (std::vector<Notice>{{4100, 1}}));
  EXPECT_TRUE(model.IsRowSelected(1));
  model.SetCurrentRow(2);
  EXPECT_FALSE(model.IsRowSelected(1));
  EXPECT_TRUE(model.IsRowSelected(2));
  model.SetCurrentRow(-1);
  EXPECT_EQ(observer.notices.back(), (Notice{4100, -1}));
}

TEST_F(GridModelTest, WithoutSelectOnClickTheCurrentRowIsNotMarked) {
  model.Settings().selectRowOnClick = false;
  AddRows({"a", "b"});
  model.SetCurrentRow(1);
  EXPECT_EQ(model.CurrentRow(), 1);
  EXPECT_FALSE(model.IsRowSelected(1));
  EXPECT_EQ(model.SelectionAnchor(), -1);
}

TEST_F(GridModelTest, ClearingAScrolledGridResetsTheTopRowThenTheCurrentRow) {
  AddRows(std::vector<std::string>(20, "x"));
  model.LayOut({120, 100}, {16, 16});
  model.SetTopRow(5);
  model.SetCurrentRow(7);
  observer.notices.clear();
  model.ClearRows();
  EXPECT_EQ(observer.notices, (std::vector<Notice>{{4101, 0}, {4100, -1}}));
  EXPECT_EQ(model.TopRow(), 0);
  EXPECT_EQ(model.CurrentColumn(), -1);
  EXPECT_EQ(model.SelectionEnd(), -1);
  // Columns can be added again once the rows are gone.
  model.SetColumnCapacity(3);
  EXPECT_EQ(model.AddColumn(4, 10), 2);
}

TEST_F(GridModelTest, CellTextsAreCutToTheColumnAndKeepTheirAttributes) {
  AddRows({"a"});
  EXPECT_FALSE(model.SetCellText(1, text, "x", CellKind::kText));
  EXPECT_FALSE(model.SetCellText(0, 7, "x", CellKind::kText));
  EXPECT_TRUE(model.SetCellText(0, tag, "123456789", CellKind::kText));
  EXPECT_EQ(model.GetCellText(0, tag), "1234567");
  model.SetCellColours(0, tag, 0x0000FF, 0x00FF00);
  model.SetCellText(0, tag, "z", CellKind::kImage);
  EXPECT_EQ(model.GetCellKind(0, tag), 2);
  EXPECT_EQ(model.GetCellBackColour(0, tag), 0x0000FFu);
  EXPECT_TRUE(model.SetCellValue(0, tag, 3));
  EXPECT_FALSE(model.SetCellValue(0, text, 3));  // a text cell has no image
  EXPECT_EQ(model.GetCellKind(0, 5), -1);
  EXPECT_EQ(model.GetCellTextColour(1, text), gridctl::kDefaultColour);
  EXPECT_FALSE(model.GetCellFont(0, tag).has_value());
  model.SetCellFont(0, tag, {"宋体", 12});
  EXPECT_EQ(model.GetCellFont(0, tag)->height, 12);
}

TEST_F(GridModelTest, ShiftAndCtrlBuildARangeWhenSeveralRowsAreSelectable) {
  AddRows(std::vector<std::string>(6, "x"));
  model.ExtendSelectionTo(3);  // single selection: nothing
  EXPECT_EQ(model.CurrentRow(), -1);
  model.Settings().multiSelect = true;
  model.ExtendSelectionTo(3);  // no current row: this row alone
  EXPECT_EQ(model.CurrentRow(), 3);
  model.ExtendSelectionTo(1);
  EXPECT_EQ(std::tuple(model.SelectionAnchor(), model.SelectionEnd(), model.CurrentRow()), std::tuple(1, 3, 3));
  for (int row : {1, 2, 3}) EXPECT_TRUE(model.IsRowSelected(row)) << row;
  model.ToggleRowSelection(5);
  EXPECT_EQ(model.SelectionEnd(), 5);
  model.ToggleRowSelection(5);  // the end moves inward to the nearest marked row
  EXPECT_EQ(model.SelectionEnd(), 3);
  model.ToggleRowSelection(3);  // the current row falls outside: it follows the end
  EXPECT_EQ(std::tuple(model.SelectionEnd(), model.CurrentRow()), std::tuple(2, 2));
  model.ToggleRowSelection(1);
  model.ToggleRowSelection(2);  // nothing left
  EXPECT_EQ(std::tuple(model.SelectionAnchor(), model.SelectionEnd(), model.CurrentRow()), std::tuple(-1, -1, -1));
}

// Scroll-bar choice: content width and height against a client of 200 x 100
// with bars 16 px thick.
struct BarCase {
  int columnWidth;
  int rows;
  bool horizontal;
  bool vertical;
};

class ScrollBarChoice : public ::testing::TestWithParam<BarCase> {};

TEST_P(ScrollBarChoice, FollowsTheContent) {
  const BarCase& bars = GetParam();
  GridModel model;
  model.SetColumnCapacity(1);
  model.Settings().headerHeight = 20;
  model.Settings().rowHeight = 20;
  model.AddColumn(4, bars.columnWidth);
  for (int row = 0; row < bars.rows; ++row) model.AddRow();
  const gridctl::ScrollLayout& layout = model.LayOut({200, 100}, {16, 16});
  EXPECT_EQ(layout.horizontal, bars.horizontal);
  EXPECT_EQ(layout.vertical, bars.vertical);
  EXPECT_EQ(layout.viewport.width, 200 - (bars.vertical ? 16 : 0));
  EXPECT_EQ(layout.viewport.height, 100 - (bars.horizontal ? 16 : 0));
}

INSTANTIATE_TEST_SUITE_P(GridLayout, ScrollBarChoice,
                         ::testing::Values(BarCase{200, 4, false, false},  // fits exactly
                                           BarCase{201, 3, true, false},   // 80 px fit above the bar
                                           BarCase{201, 4, true, true},    // 100 px do not
                                           BarCase{184, 5, false, true},   // taller: 184 px fit beside the bar
                                           BarCase{185, 5, true, true}));

TEST(GridLayout, ALineDownNeedsRowsBelowTheClient) {
  GridModel model;
  model.SetColumnCapacity(1);
  model.AddColumn(4, 50);
  for (int row = 0; row < 3; ++row) model.AddRow();
  model.LayOut({100, 20 + 5 * 18}, {16, 16});
  model.ScrollVertical(ScrollAction::kLineForward);
  EXPECT_EQ(model.TopRow(), 0);

  for (int row = 0; row < 7; ++row) model.AddRow();  // 10 rows, 5 shown
  model.LayOut({100, 20 + 5 * 18}, {16, 16});
  model.ScrollVertical(ScrollAction::kPageForward);
  EXPECT_EQ(model.TopRow(), 5);
  model.ScrollVertical(ScrollAction::kToEnd);
  EXPECT_EQ(model.TopRow(), 9);  // the range lets the last row reach the top
  model.ScrollVertical(ScrollAction::kLineForward);
  EXPECT_EQ(model.TopRow(), 9);
  model.ScrollVertical(ScrollAction::kThumb, 3 * 18 + 5);
  EXPECT_EQ(model.TopRow(), 3);
  // A client tall enough for every row needs no vertical bar: the top row
  // goes back to 0.
  model.LayOut({100, 400}, {16, 16});
  EXPECT_EQ(model.TopRow(), 0);
}

TEST(GridLayout, HitTestsOfAListGridStartAtTheTopEdge) {
  GridModel model;
  model.SetColumnCapacity(3);
  model.Settings().headerHeight = 0;
  model.Settings().rowHeight = 20;
  model.Settings().scrollBarsShown = false;
  model.AddColumn(4, 50);
  model.AddColumn(4, 60);
  model.AddColumn(4, 70);
  for (int row = 0; row < 8; ++row) model.AddRow();
  const gridctl::ScrollLayout& layout = model.LayOut({180, 110}, {16, 16});
  EXPECT_TRUE(layout.vertical);
  EXPECT_FALSE(layout.verticalShown);
  EXPECT_EQ(layout.viewport.width, 180);
  EXPECT_EQ(model.VisibleRowCount(), 6);  // 5.5 rows, the last one cut
  EXPECT_EQ(model.RowAt(0), 0);
  EXPECT_EQ(model.RowAt(105), 5);
  EXPECT_EQ(model.RowAt(110), -1);
  model.ScrollVertical(ScrollAction::kLineForward);
  EXPECT_EQ(model.RowAt(5), 1);
  // Column spans hit strictly inside; a hidden column takes no room.
  EXPECT_EQ(model.ColumnAt(50), -1);
  EXPECT_EQ(model.ColumnAt(51), 1);
  model.SetColumnHidden(1, true);
  EXPECT_EQ(model.ColumnAt(51), 2);
  EXPECT_EQ(model.CellRect(1, 2), (gridctl::Rect{50, 0, 120, 20}));
  EXPECT_TRUE(model.CellRect(0, 2).IsEmpty());   // scrolled out of view
  EXPECT_EQ(model.HeaderColumnAt({10, 0}), -1);  // no header
}

TEST(GridLayout, HeaderAndDividerHitsKeepTheirTolerance) {
  GridModel model;
  model.SetColumnCapacity(2);
  model.AddColumn(4, 50);
  model.AddColumn(4, 60);
  model.LayOut({300, 100}, {16, 16});
  EXPECT_EQ(model.HeaderColumnAt({2, 5}), -1);
  EXPECT_EQ(model.HeaderColumnAt({3, 5}), 0);
  EXPECT_EQ(model.HeaderColumnAt({47, 5}), 0);
  EXPECT_EQ(model.HeaderColumnAt({48, 5}), -1);
  EXPECT_EQ(model.DividerAt({48, 5}), -1);
  EXPECT_EQ(model.DividerAt({49, 5}), 0);
  EXPECT_EQ(model.DividerAt({51, 5}), 0);
  EXPECT_EQ(model.DividerAt({52, 5}), -1);
  EXPECT_EQ(model.DividerAt({50, 25}), -1);  // below the header
}

TEST(GridLayout, ColumnsScrollWholeAndComeBackWhenTheGridWidens) {
  GridModel model;
  model.SetColumnCapacity(5);
  model.Settings().fixedColumns = 1;
  for (int width : {40, 50, 60, 70, 80}) model.AddColumn(4, width);
  model.LayOut({150, 100}, {16, 16});
  EXPECT_TRUE(model.Layout().horizontal);
  EXPECT_EQ(model.Layout().horizontalMax, 300 - (40 + 80));
  model.ScrollHorizontal(ScrollAction::kLineForward);
  EXPECT_EQ(model.FirstScrolledColumn(), 2);
  EXPECT_EQ(model.ColumnAt(45), 2);  // right after the fixed column
  model.ScrollHorizontal(ScrollAction::kToEnd);
  EXPECT_EQ(model.FirstScrolledColumn(), 4);
  EXPECT_EQ(model.Layout().horizontalPosition, 180);
  model.ScrollHorizontal(ScrollAction::kLineForward);
  EXPECT_EQ(model.FirstScrolledColumn(), 4);
  model.ScrollHorizontal(ScrollAction::kThumb, 55);
  EXPECT_EQ(model.FirstScrolledColumn(), 2);
  // Room for 220 px beside the fixed column: columns 2 to 4 come into view.
  model.ScrollHorizontal(ScrollAction::kToEnd);
  model.LayOut({260, 100}, {16, 16});
  EXPECT_EQ(model.FirstScrolledColumn(), 2);
  model.LayOut({400, 100}, {16, 16});
  EXPECT_FALSE(model.Layout().horizontal);
  EXPECT_EQ(model.FirstScrolledColumn(), 1);
}

TEST(GridLayout, ArrowKeysMoveTheSelectionAndScrollItIntoView) {
  GridModel model;
  RecordingObserver observer;
  model.SetObserver(&observer);
  model.SetColumnCapacity(1);
  model.Settings().headerHeight = 0;
  model.Settings().rowHeight = 20;
  model.AddColumn(4, 50);
  for (int row = 0; row < 8; ++row) model.AddRow();
  model.LayOut({100, 100}, {16, 16});
  EXPECT_FALSE(model.MoveCurrentRow(-1));
  for (int step = 0; step < 5; ++step) ASSERT_TRUE(model.MoveCurrentRow(+1));
  EXPECT_EQ(model.CurrentRow(), 4);
  EXPECT_EQ(model.TopRow(), 0);  // row 4 ends at the client's bottom
  model.MoveCurrentRow(+1);
  EXPECT_EQ(model.TopRow(), 1);
  EXPECT_TRUE(model.IsRowSelected(5));
  EXPECT_FALSE(model.IsRowSelected(4));
  model.MoveCurrentRow(+1);
  model.MoveCurrentRow(+1);
  EXPECT_FALSE(model.MoveCurrentRow(+1));  // the last row
  EXPECT_EQ(model.TopRow(), 3);
  for (int step = 0; step < 5; ++step) model.MoveCurrentRow(-1);
  EXPECT_EQ(model.CurrentRow(), 2);
  EXPECT_EQ(model.TopRow(), 2);
}

TEST(GridLayout, DraggedDividersAndDoubleClickedOnesSizeTheColumn) {
  GridModel model;
  model.SetColumnCapacity(3);
  model.Settings().fixedColumns = 1;
  model.AddColumn(4, 40);
  const std::int32_t sized = model.AddColumn(32, 50);
  model.AddColumn(4, 60);
  model.LayOut({400, 100}, {16, 16});
  EXPECT_FALSE(model.ResizeColumnFromDivider(90, 90));
  EXPECT_TRUE(model.ResizeColumnFromDivider(90, 120));
  EXPECT_EQ(model.Columns()[1].width, 80);
  EXPECT_TRUE(model.ResizeColumnFromDivider(120, 0));
  EXPECT_EQ(model.Columns()[1].width, 0);

  // Every byte measures 7 px.
  const gridctl::TextMeasure measure = [](std::string_view text, const gridctl::FontSpec&) {
    return gridctl::Size{static_cast<int>(text.size()) * 7, 14};
  };
  const int row = model.AddRow();
  model.SetCellText(row, sized, "ABCDEFGHIJ", CellKind::kText);
  EXPECT_EQ(model.FittingWidth(1, measure), 76);
  model.SetCellText(row, sized, "AB\nABCDEF\nABC", CellKind::kCombo);
  EXPECT_EQ(model.FittingWidth(1, measure), (6 * 14 + 1) / 2 + 18 + 6);
}

TEST(GridLayout, OnlyScrolledColumnsMove) {
  GridModel model;
  model.SetColumnCapacity(4);
  model.Settings().fixedColumns = 1;
  for (int width : {10, 20, 30, 40}) model.AddColumn(4, width);
  EXPECT_FALSE(model.MoveScrolledColumn(0, 2));
  EXPECT_FALSE(model.MoveScrolledColumn(2, 2));
  EXPECT_TRUE(model.MoveScrolledColumn(1, 3));
  EXPECT_EQ(model.GetFieldOfColumn(1), 2);
  EXPECT_EQ(model.GetFieldOfColumn(3), 1);
  EXPECT_TRUE(model.MoveScrolledColumn(3, 1));
  EXPECT_EQ(model.GetFieldOfColumn(1), 1);
}

}  // namespace
