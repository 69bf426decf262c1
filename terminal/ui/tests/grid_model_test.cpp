#include "ui/grid_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// Keeps its own copy of the shown rows from what it is told alone, as a
// view does; the tests compare it with the store's shown rows.
class MirrorListener final : public ui::GridListener {
 public:
  explicit MirrorListener(ui::GridModel& grid) : grid_(grid) { grid.SetListener(this); }
  ~MirrorListener() { grid_.SetListener(nullptr); }

  std::vector<ui::RowId> rows;
  std::vector<ui::RowId> changed;
  int moves = 0;
  int reorders = 0;
  int headerChanges = 0;
  std::vector<std::pair<ui::RowId, int>> edits;

  void RowsInserting(int first, int last) override { pending_ = {first, last}; }
  void RowsInserted() override {
    for (int position = pending_.first; position <= pending_.second; ++position) {
      rows.insert(rows.begin() + position, grid_.ShownRow(position));
    }
  }
  void RowsRemoving(int first, int last) override { rows.erase(rows.begin() + first, rows.begin() + last + 1); }
  void RowsRemoved() override {}
  void RowMoving(int from, int destination) override {
    ++moves;
    const ui::RowId id = rows[static_cast<std::size_t>(from)];
    rows.erase(rows.begin() + from);
    rows.insert(rows.begin() + (destination > from ? destination - 1 : destination), id);
  }
  void RowMoved() override {}
  void RowChanged(ui::RowId id) override { changed.push_back(id); }
  void OrderChanging() override {}
  void OrderChanged() override {
    ++reorders;
    rows.clear();
    for (int position = 0; position < grid_.ShownRowCount(); ++position) rows.push_back(grid_.ShownRow(position));
  }
  void ColumnsChanging() override {}
  void ColumnsChanged() override { rows.clear(); }
  void HeaderChanged() override { ++headerChanges; }
  void CellEdited(ui::RowId id, int column) override { edits.emplace_back(id, column); }

 private:
  ui::GridModel& grid_;
  std::pair<int, int> pending_;
};

class GridModelTest : public ::testing::Test {
 protected:
  GridModelTest() {
    ui::InsertGridColumns(grid_, {{"合约", 70, ui::kAlignLeft, "szContractCode"},
                                  {"价格", 70, ui::kAlignRight, "szPrice"},
                                  {"状态", 70, ui::kAlignRight, "szState"}});
  }

  ui::RowId Add(const std::string& code, const std::string& price, const std::string& state = "") {
    ui::GridRow row = ui::CreateGridRow(grid_);
    row.SetText(0, code);
    row.SetText(1, price);
    row.SetText(2, state);
    return grid_.AddRow(std::move(row), ui::MakeCodeRowKey(code));
  }

  void Update(ui::RowId id, int column, const std::string& text) {
    ui::GridRow row = *grid_.Row(id);
    row.SetText(column, text);
    ASSERT_TRUE(grid_.UpdateRow(id, std::move(row)));
  }

  // The column's texts down the shown rows.
  std::vector<std::string> Shown(int column) const {
    std::vector<std::string> texts;
    for (int position = 0; position < grid_.ShownRowCount(); ++position) {
      texts.emplace_back(grid_.ShownText(position, column));
    }
    return texts;
  }

  std::vector<ui::RowId> ShownIds() const {
    std::vector<ui::RowId> ids;
    for (int position = 0; position < grid_.ShownRowCount(); ++position) ids.push_back(grid_.ShownRow(position));
    return ids;
  }

  ui::GridModel grid_;
  MirrorListener mirror_{grid_};
};

TEST_F(GridModelTest, RowsShowInTheOrderAddedAndAreFoundByTheirKeys) {
  const ui::RowId first = Add("IF2406", "3500");
  const ui::RowId second = Add("cu2405", "70000");
  EXPECT_THAT(Shown(0), ElementsAre("IF2406", "cu2405"));
  EXPECT_EQ(grid_.FindRow(ui::MakeCodeRowKey("cu2405")), second);
  EXPECT_EQ(grid_.FindRow(ui::MakeCodeRowKey("IF2406")), first);
  EXPECT_EQ(grid_.FindRow(ui::MakeCodeRowKey("m2405")), std::nullopt);
  EXPECT_EQ(mirror_.rows, ShownIds());
  // A row given more cells than the grid has keeps the grid's columns.
  ui::GridRow wide(5);
  wide.SetText(4, "x");
  const ui::RowId third = grid_.AddRow(std::move(wide));
  EXPECT_EQ(grid_.Row(third)->ColumnCount(), 3);
}

TEST_F(GridModelTest, NumbersSortAsNumbersBetweenEmptyCellsAndTexts) {
  for (const char* price : {"10", "9", "abc", "-1.5", "", "85.12%", "1e2", "+3", "-"}) Add(price, price);
  grid_.Sort(1, true, false);
  EXPECT_THAT(Shown(1), ElementsAre("", "-1.5", "+3", "9", "10", "85.12%", "1e2", "-", "abc"));
  EXPECT_EQ(mirror_.rows, ShownIds());
  grid_.Sort(1, false, false);
  EXPECT_THAT(Shown(1), ElementsAre("abc", "-", "1e2", "85.12%", "10", "9", "+3", "-1.5", ""));
  EXPECT_EQ(mirror_.rows, ShownIds());
  EXPECT_EQ(grid_.ColumnSortState(1), -1);
  EXPECT_EQ(grid_.ColumnSortState(0), 0);
}

TEST_F(GridModelTest, SortingIsStableSoASecondSortKeepsTheFirstAmongEqualCells) {
  Add("b", "2", "x");
  Add("a", "1", "y");
  Add("c", "1", "x");
  Add("d", "2", "y");
  grid_.Sort(0, false, false);  // d c b a
  grid_.Sort(1, true, false);   // equal prices keep d-c-b-a among them
  EXPECT_THAT(Shown(0), ElementsAre("c", "a", "d", "b"));
  // Added sort columns order the ties of those before them.
  grid_.Sort(2, true, false);
  grid_.Sort(1, false, true);
  EXPECT_THAT(grid_.SortColumns(), ElementsAre(ui::SortColumn{2, true}, ui::SortColumn{1, false}));
  EXPECT_THAT(Shown(0), ElementsAre("b", "c", "d", "a"));
  EXPECT_EQ(mirror_.reorders, 4);
  EXPECT_EQ(mirror_.rows, ShownIds());
}

TEST_F(GridModelTest, RowsAddedAndUpdatedUnderASortTakeTheirPlaceWithoutReorderingTheRest) {
  for (const char* price : {"30", "10", "20"}) Add(price, price);
  grid_.Sort(1, true, false);
  const ui::RowId fifteen = Add("15", "15");
  EXPECT_THAT(Shown(1), ElementsAre("10", "15", "20", "30"));
  Update(fifteen, 1, "25");  // moves down
  EXPECT_THAT(Shown(1), ElementsAre("10", "20", "25", "30"));
  Update(fifteen, 1, "5");  // moves up
  EXPECT_THAT(Shown(1), ElementsAre("5", "10", "20", "30"));
  EXPECT_EQ(mirror_.moves, 2);
  mirror_.changed.clear();
  Update(fifteen, 2, "c");  // another column: stays, only its cells are told
  EXPECT_EQ(mirror_.moves, 2);
  EXPECT_THAT(mirror_.changed, ElementsAre(fifteen));
  mirror_.changed.clear();
  Update(fifteen, 2, "c");  // nothing changed: nothing told
  EXPECT_TRUE(mirror_.changed.empty());
  EXPECT_EQ(mirror_.reorders, 1);
  EXPECT_EQ(mirror_.rows, ShownIds());
}

TEST_F(GridModelTest, TheFilterShowsTheSelectedValuesOnlyAndAllSelectedShowsEveryRow) {
  const ui::RowId a = Add("IF2406", "1", "a");
  Add("IF2407", "2", "b");
  Add("IF2408", "3", "a");
  grid_.SetFilter({2, false, {"a"}});
  EXPECT_THAT(Shown(0), ElementsAre("IF2406", "IF2408"));
  EXPECT_TRUE(grid_.IsColumnFiltered(2));
  Add("IF2409", "4", "c");  // a value not selected stays hidden
  Add("IF2410", "5", "a");
  EXPECT_THAT(Shown(0), ElementsAre("IF2406", "IF2408", "IF2410"));
  Update(a, 2, "b");  // an update out of the filter hides the row, and back in shows it
  EXPECT_THAT(Shown(0), ElementsAre("IF2408", "IF2410"));
  Update(a, 2, "a");
  EXPECT_THAT(Shown(0), ElementsAre("IF2406", "IF2408", "IF2410"));
  EXPECT_EQ(mirror_.rows, ShownIds());
  EXPECT_EQ(grid_.RowCount(), 5);

  // "(全选)" checked: no row hidden, also rows added later whatever their value.
  grid_.SetFilter({2, true, {"a"}});
  Add("IF2411", "6", "z");
  EXPECT_EQ(grid_.ShownRowCount(), 6);
  EXPECT_FALSE(grid_.IsColumnFiltered(2));
  grid_.ClearFilter();
  EXPECT_EQ(grid_.Filter(), ui::ColumnFilterState{});
  EXPECT_EQ(mirror_.rows, ShownIds());
}

TEST_F(GridModelTest, ColumnValuesAreTheDistinctShownTextsInShownOrder) {
  Add("1", "1", "b");
  Add("2", "2", "a");
  Add("3", "3", "b");
  Add("4", "4", "c");
  EXPECT_THAT(grid_.CollectColumnValues(2), ElementsAre("b", "a", "c"));
  grid_.SetFilter({2, false, {"a", "c"}});
  EXPECT_THAT(grid_.CollectColumnValues(2), ElementsAre("a", "c"));  // hidden values are not offered
  grid_.Sort(0, false, false);
  EXPECT_THAT(grid_.CollectColumnValues(2), ElementsAre("c", "a"));
}

TEST_F(GridModelTest, RowsInGridOrderHoldTheHiddenRowsToo) {
  Add("1", "3", "a");
  Add("2", "1", "b");
  Add("3", "2", "a");
  grid_.SetFilter({2, false, {"a"}});
  grid_.Sort(1, true, false);
  const std::vector<ui::RowId> ordered = grid_.RowsInGridOrder();
  ASSERT_EQ(ordered.size(), 3U);
  EXPECT_EQ(grid_.Row(ordered[0])->Text(0), "2");
  EXPECT_EQ(grid_.Row(ordered[1])->Text(0), "3");
  EXPECT_EQ(grid_.ShownRowCount(), 2);
}

TEST_F(GridModelTest, KeysThatCollideFindTheirOwnRows) {
  // "A" and "AA" have the same 32-bit key.
  ui::GridRow row = ui::CreateGridRow(grid_);
  row.SetText(0, "first");
  const ui::RowId first = grid_.AddRow(row, ui::HashRowKey("A"));
  row.SetText(0, "second");
  const ui::RowId second = grid_.AddRow(row, ui::HashRowKey("AA"));
  EXPECT_EQ(grid_.FindRow(ui::HashRowKey("A")), first);
  EXPECT_EQ(grid_.FindRow(ui::HashRowKey("AA")), second);
  EXPECT_EQ(grid_.FindRow(ui::HashRowKey("AAA")), std::nullopt);
  ASSERT_TRUE(grid_.RemoveRow(first));
  EXPECT_EQ(grid_.FindRow(ui::HashRowKey("A")), std::nullopt);
  EXPECT_EQ(grid_.FindRow(ui::HashRowKey("AA")), second);
  // Rows that share a key whole (the trades of one order): the first added.
  const ui::RowId trade1 = Add("20", "1");
  Add("20", "2");
  EXPECT_EQ(grid_.FindRow(ui::MakeCodeRowKey("20")), trade1);
}

TEST_F(GridModelTest, RemovedRowsLeaveTheShownRowsAndTheirIdsAreUsedAgain) {
  const ui::RowId a = Add("a", "1", "x");
  const ui::RowId b = Add("b", "2", "y");
  Add("c", "3", "x");
  grid_.SetFilter({2, false, {"x"}});
  EXPECT_TRUE(grid_.RemoveRow(b));  // hidden
  EXPECT_TRUE(grid_.RemoveRow(a));  // shown
  EXPECT_FALSE(grid_.RemoveRow(a));
  EXPECT_EQ(grid_.Row(a), nullptr);
  EXPECT_EQ(grid_.ShownPositionOf(a), -1);
  EXPECT_THAT(Shown(0), ElementsAre("c"));
  EXPECT_EQ(grid_.RowCount(), 1);
  const ui::RowId d = Add("d", "4", "x");
  EXPECT_TRUE(d == a || d == b);
  EXPECT_THAT(Shown(0), ElementsAre("c", "d"));
  EXPECT_EQ(mirror_.rows, ShownIds());
}

TEST_F(GridModelTest, ReplacingTheRowsKeepsSortAndFilterAndNewColumnsDropThem) {
  Add("x", "1", "a");
  grid_.Sort(1, false, false);
  grid_.SetFilter({2, false, {"a"}});
  std::vector<std::pair<ui::GridRow, ui::RowKey>> rows;
  for (const char* price : {"1", "3", "2"}) {
    ui::GridRow row = ui::CreateGridRow(grid_);
    row.SetText(1, price);
    row.SetText(2, std::string(price) == "2" ? "b" : "a");
    rows.emplace_back(std::move(row), ui::MakeCodeRowKey(price));
  }
  grid_.ReplaceRows(std::move(rows));
  EXPECT_THAT(Shown(1), ElementsAre("3", "1"));
  EXPECT_EQ(mirror_.rows, ShownIds());

  grid_.SetColumns({{"一"}, {"二"}});
  EXPECT_EQ(grid_.RowCount(), 0);
  EXPECT_TRUE(grid_.SortColumns().empty());
  EXPECT_EQ(grid_.Filter().column, -1);
  EXPECT_TRUE(mirror_.rows.empty());
}

TEST_F(GridModelTest, HeaderMarksShowSortAndFilter) {
  Add("a", "1", "x");
  struct Case {
    std::vector<ui::SortColumn> sort;
    ui::ColumnFilterState filter;
    int mark;
  };
  const Case cases[] = {{{}, {}, 0},
                        {{{1, true}}, {}, 1},
                        {{{1, false}}, {}, 2},
                        {{}, {1, false, {"1"}}, 3},
                        {{{1, true}}, {1, false, {"1"}}, 4},
                        {{{0, true}, {1, false}}, {1, false, {"1"}}, 5},
                        {{{1, true}}, {1, true, {}}, 1}};  // all selected: no filter mark
  for (const Case& c : cases) {
    grid_.SetSortColumns(c.sort);
    grid_.SetFilter(c.filter);
    EXPECT_EQ(ui::HeaderMarkOf(grid_, 1), c.mark);
  }
  EXPECT_GT(mirror_.headerChanges, 0);
  grid_.SetSortColumns({{7, true}});  // outside the grid: dropped
  EXPECT_TRUE(grid_.SortColumns().empty());
}

TEST_F(GridModelTest, OnlyEditableCellsTakeTheUsersEdit) {
  ui::GridRow row = ui::CreateGridRow(grid_);
  row.SetEditable(1, true);
  const ui::RowId id = grid_.AddRow(std::move(row));
  EXPECT_FALSE(grid_.EditCell(id, 0, "x"));
  EXPECT_TRUE(grid_.EditCell(id, 1, "12"));
  EXPECT_EQ(grid_.Row(id)->Text(1), "12");
  EXPECT_THAT(mirror_.edits, ElementsAre(std::pair<ui::RowId, int>{id, 1}));
}

// NewRow hands out the blocks of removed rows again: each comes back as a
// row of the grid's columns with nothing of what it held before.
TEST_F(GridModelTest, NewRowsAreBlankWhateverTheirBlocksHeld) {
  for (int n = 0; n < 3; ++n) {
    ui::GridRow row = grid_.NewRow();
    row.SetText(0, std::string(200, 'x'));
    row.SetText(2, "废单");
    row.SetColour(1, 0x0000FF);
    row.SetEditable(2, true);
    grid_.AddRow(std::move(row), ui::MakeCodeRowKey(std::to_string(n)));
  }
  grid_.RemoveAllRows();
  const ui::GridRow blank = ui::CreateGridRow(grid_);
  for (int n = 0; n < 5; ++n) {
    ui::GridRow row = grid_.NewRow();
    EXPECT_EQ(row, blank) << n;
    EXPECT_EQ(row.Text(0), "") << n;
    row.SetText(1, "3001.00");
    grid_.AddRow(std::move(row));
  }
  EXPECT_EQ(grid_.RowCount(), 5);
  EXPECT_EQ(grid_.ShownText(4, 1), "3001.00");
  EXPECT_EQ(grid_.ShownText(4, 0), "");
  // Rows of a grid whose columns changed have the new columns.
  ui::InsertGridColumns(grid_, {{"合约"}, {"价格"}});
  EXPECT_EQ(grid_.NewRow(), ui::GridRow(2));
}

TEST(GridRow, CellsAreSetInAnyOrderWithTheirColoursAndEditability) {
  ui::GridRow row(4);
  row.SetText(2, "中文");
  row.SetText(0, "first");
  row.SetText(3, "last");
  row.SetText(2, "x");
  row.SetText(9, "ignored");
  EXPECT_EQ(row.Text(0), "first");
  EXPECT_EQ(row.Text(1), "");
  EXPECT_EQ(row.Text(2), "x");
  EXPECT_EQ(row.Text(3), "last");
  EXPECT_EQ(row.Text(-1), "");
  EXPECT_EQ(row.Colour(1), ui::kDefaultColour);
  row.SetColour(1, 0x0000FF);
  EXPECT_EQ(row.Colour(1), 0x0000FFU);
  EXPECT_EQ(row.Colour(0), ui::kDefaultColour);
  EXPECT_FALSE(row.IsEditable(3));
  row.SetEditable(3, true);
  EXPECT_TRUE(row.IsEditable(3));
  EXPECT_EQ(ui::GridRow(100).ColumnCount(), ui::GridRow::kMaxColumns);
}

TEST(GridRow, TextsThatGrowAndShrinkOverAndOverKeepEveryCellRight) {
  ui::GridRow row(3);
  ui::GridRow fresh(3);
  row.SetText(0, "IF2406");
  row.SetText(2, "tail");
  for (int i = 0; i < 2000; ++i) {
    // Longer, shorter and longer again: the row packs its dead bytes away.
    row.SetText(1, std::string(static_cast<std::size_t>(i % 37), static_cast<char>('a' + i % 26)));
    row.SetText(0, i % 2 ? "IF2406" : "IF2406-C-3500");
  }
  EXPECT_EQ(row.Text(0), "IF2406");
  EXPECT_EQ(row.Text(1), std::string(1999 % 37, static_cast<char>('a' + 1999 % 26)));
  EXPECT_EQ(row.Text(2), "tail");
  // Rows compare by what they hold, not by how it was written.
  fresh.SetText(0, "IF2406");
  fresh.SetText(1, row.Text(1));
  fresh.SetText(2, "tail");
  EXPECT_EQ(row, fresh);
  fresh.SetColour(2, 0x0000FF);
  EXPECT_NE(row, fresh);
}

// The colours share the block with the texts: the first colour makes room
// for them, whenever it comes, and the texts stay as they were.
TEST(GridRow, ColoursComeAtAnyTimeWithoutDisturbingTheTexts) {
  ui::GridRow coloursFirst(4);
  coloursFirst.SetColour(3, 0x008000);
  coloursFirst.SetColour(0, 0x0000FF);
  ui::GridRow coloursBetween(4);
  coloursBetween.SetText(0, "cu2609");
  coloursBetween.SetText(2, "部分成交");
  coloursBetween.SetColour(0, 0x0000FF);
  coloursBetween.SetText(1, "");
  coloursBetween.SetColour(3, 0x008000);
  coloursBetween.SetText(2, "已撤单和更长的文字");
  coloursFirst.SetText(0, "cu2609");
  coloursFirst.SetText(2, "已撤单和更长的文字");
  EXPECT_EQ(coloursBetween, coloursFirst);
  EXPECT_EQ(coloursBetween.Text(2), "已撤单和更长的文字");
  EXPECT_EQ(coloursBetween.Colour(3), 0x008000U);
  EXPECT_EQ(coloursBetween.Colour(1), ui::kDefaultColour);
  coloursBetween.Compact();
  EXPECT_EQ(coloursBetween, coloursFirst);

  // A row filled to the most its block holds still takes its colours.
  ui::GridRow full(2);
  full.SetText(1, "b");
  full.SetText(0, std::string(70000, 'a'));
  const std::string kept(full.Text(0));
  EXPECT_GT(kept.size(), 65000U);
  full.SetColour(1, 0x0000FF);
  EXPECT_EQ(full.Text(0), kept);
  EXPECT_EQ(full.Text(1), "b");
  EXPECT_EQ(full.Colour(1), 0x0000FFU);

  // A reset row is as new.
  full.SetEditable(0, true);
  full.Reset(3);
  EXPECT_EQ(full, ui::GridRow(3));
}

TEST(GridRow, AnOverlongTextIsCutOnACharacterBoundary) {
  ui::GridRow row(2);
  row.SetText(1, "ab");
  std::string text = "a";
  while (text.size() < 70000) text += "中";
  row.SetText(0, text);
  const std::string_view kept = row.Text(0);
  EXPECT_LT(kept.size(), 65536U);
  EXPECT_EQ(kept.size() % 2, 1U);  // "a" and whole two-byte characters
  EXPECT_EQ(kept, std::string_view(text).substr(0, kept.size()));
  EXPECT_EQ(row.Text(1), "ab");
}

}  // namespace
