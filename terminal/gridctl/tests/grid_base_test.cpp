#include "gridctl/views/grid_base.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "grid_test_support.h"
#include "gridctl/views/paint_support.h"

namespace {

using gridctl::CellKind;
using gridctl::CxGridBase;
using gridctl::testing::RecordingOwner;

QRgb Rgb(std::uint32_t colour) { return gridctl::ToQColor(colour).rgb(); }

// A grid of three columns (code, name, state) and twelve rows in an owner.
class CxGridBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid = new CxGridBase(&owner);
    grid->SetControlId(7);
    grid->setGeometry(10, 10, 380, 200);
    gridctl::GridModel& model = grid->Model();
    model.SetColumnCapacity(3);
    code = model.AddColumn(32, 90);
    name = model.AddColumn(32, 110);
    state = model.AddColumn(32, 120);
    const char* names[] = {"铜", "铝", "锌", "铅", "镍", "锡", "黄金", "白银", "螺纹钢", "线材", "热轧卷板", "不锈钢"};
    for (int row = 0; row < 12; ++row) {
      model.AddRow();
      model.SetCellText(row, code, "CU21" + std::to_string(row + 10), CellKind::kText);
      model.SetCellText(row, name, names[row], CellKind::kText);
    }
    model.SetCellText(0, state, "", CellKind::kCheckBox);
    model.SetCellStyle(0, state, 1);
    model.SetCellText(1, state, "123456", CellKind::kEdit);
    model.SetCellText(2, state, "限价\n市价\n", CellKind::kCombo);
    model.SetChosenText(2, state, "市价");
    model.SetCellText(3, state, "secret", CellKind::kEdit);
    model.SetCellStyle(3, state, gridctl::kPasswordStyle);
    ASSERT_TRUE(gridctl::testing::ShowActive(owner));
  }
  QImage Shown() { return grid->viewport()->grab().toImage(); }

  RecordingOwner owner;
  CxGridBase* grid = nullptr;
  std::int32_t code = -1, name = -1, state = -1;
};

TEST_F(CxGridBaseTest, PaintsHeaderRowsSelectionAndCellKinds) {
  grid->Model().SetCurrentRow(1);
  grid->Model().SortByColumn(1);  // ascending by name; the selection stays on row 1
  const QImage image = Shown();
  ui::testing::SaveScreenshot(grid, "grid_base_sorted_selected");
  const gridctl::GridSettings& settings = grid->Model().Settings();
  EXPECT_EQ(image.pixel(20, 10), Rgb(settings.headerBackground));
  EXPECT_EQ(image.pixel(0, 5), Rgb(settings.headerLightEdge));
  EXPECT_EQ(image.pixel(89, 5), Rgb(settings.headerDarkEdge));
  // Rows of 18 px below the 20 px header: row 0, the selected row 1, rows 2
  // and 3.
  EXPECT_EQ(image.pixel(80, 22), Rgb(settings.evenRowColour));
  EXPECT_EQ(image.pixel(80, 40), Rgb(settings.selectionColour));
  EXPECT_EQ(image.pixel(80, 58), Rgb(settings.evenRowColour));
  EXPECT_EQ(image.pixel(80, 76), Rgb(settings.oddRowColour));
  // Grid lines at the right and bottom edges of a cell.
  EXPECT_EQ(image.pixel(89, 25), Rgb(settings.gridLineColour));
  EXPECT_EQ(image.pixel(50, 37), Rgb(settings.gridLineColour));
  // Right of the columns the background.
  EXPECT_EQ(image.pixel(340, 50), Rgb(settings.background));
}

TEST_F(CxGridBaseTest, ScrollBarsFollowTheContentAndScrollingTellsTheOwner) {
  gridctl::GridModel& model = grid->Model();
  EXPECT_TRUE(grid->verticalScrollBar()->isVisible());
  EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
  EXPECT_EQ(grid->viewport()->width(), 380 - grid->verticalScrollBar()->width());
  grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(model.TopRow(), 1);
  ASSERT_NE(owner.Last(gridctl::notify::kTopRow), nullptr);
  EXPECT_EQ(owner.Last(gridctl::notify::kTopRow)->row, 1);
  EXPECT_EQ(owner.Last(gridctl::notify::kTopRow)->sender, grid);
  EXPECT_EQ(owner.Last(gridctl::notify::kTopRow)->id, 7);
  grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(model.TopRow(), 11);
  EXPECT_EQ(grid->verticalScrollBar()->value(), 11 * 18);
  ui::testing::SaveScreenshot(grid, "grid_base_scrolled_to_end");
  // Narrow the grid: the columns no longer fit and scroll whole.
  grid->resize(200, 200);
  ASSERT_TRUE(grid->horizontalScrollBar()->isVisible());
  grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(model.FirstScrolledColumn(), 1);
  EXPECT_EQ(grid->horizontalScrollBar()->value(), 90);
  // Tall enough again: the rows go back to the top.
  grid->resize(380, 300);
  EXPECT_EQ(model.TopRow(), 0);
  EXPECT_EQ(owner.Last(gridctl::notify::kTopRow)->row, 0);
}

TEST_F(CxGridBaseTest, ATitleTipShowsOnlyATextWiderThanItsCell) {
  const QFont font = grid->RowFont();
  const int fitting = gridctl::MeasureText(" CU2110 ", font).width;
  grid->Model().SetColumnWidth(0, fitting);
  grid->ShowTitleTip(0, 0);
  ASSERT_NE(grid->TitleTipWindow(), nullptr);
  EXPECT_FALSE(grid->TitleTipWindow()->isVisible());
  grid->Model().SetColumnWidth(0, fitting - 1);
  grid->ShowTitleTip(0, 0);
  EXPECT_TRUE(grid->TitleTipWindow()->isVisible());
  EXPECT_EQ(grid->TitleTipWindow()->width(), fitting);
  EXPECT_EQ(grid->TitleTipWindow()->pos(), grid->viewport()->mapToGlobal(QPoint(0, 20)));
  grid->HideTitleTip();
  EXPECT_FALSE(grid->TitleTipWindow()->isVisible());
}

TEST_F(CxGridBaseTest, OwnerHearsOfTheCurrentRowAndClearing) {
  grid->Model().SetCurrentRow(4);
  grid->Model().ClearRows();
  EXPECT_EQ(owner.Codes(), (std::vector<int>{4100, 4100}));
  EXPECT_EQ(owner.notices.back().row, -1);
  EXPECT_FALSE(grid->verticalScrollBar()->isVisible());
}

}  // namespace
