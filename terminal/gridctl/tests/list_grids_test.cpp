#include "gridctl/views/list_grids.h"

#include <gtest/gtest.h>

#include <QTest>

#include "contract_rows_support.h"
#include "grid_test_support.h"

namespace {

using gridctl::CxContractGrid;
using gridctl::CxVarietyGrid;
using gridctl::testing::Mouse;
using gridctl::testing::RecordingOwner;

TEST(ListGrids, WithoutAParentNoGridIsCreated) {
  CxContractGrid contracts;
  EXPECT_FALSE(contracts.CreateGrid(nullptr, QRect(0, 0, 100, 100), false));
  EXPECT_EQ(contracts.Model().ColumnCount(), 0);
  CxVarietyGrid varieties;
  EXPECT_FALSE(varieties.CreateGrid(nullptr, QRect(0, 0, 100, 100), false));
  EXPECT_EQ(varieties.Model().ColumnCount(), 0);
}

class CxContractGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid = new CxContractGrid;
    ASSERT_TRUE(grid->CreateGrid(&owner, QRect(10, 10, 176, 108), false));
    list = gridctl::testing::DemoContracts();
    grid->SetContracts(list);
    ASSERT_TRUE(gridctl::testing::ShowActive(owner));
  }
  std::string CodeAt(int row) const { return std::string(grid->Model().GetCellText(row, 0)); }

  RecordingOwner owner;
  CxContractGrid* grid = nullptr;
  backend::CxDataSet list;
};

TEST_F(CxContractGridTest, ListsContractsByVarietyThenCode) {
  EXPECT_EQ(grid->ControlId(), 2);
  ASSERT_EQ(grid->Model().GetRowCount(), 12);
  EXPECT_EQ(CodeAt(0), "IF2101");  // upper case sorts first
  EXPECT_EQ(CodeAt(2), "al2101");
  EXPECT_EQ(CodeAt(5), "cu2101");
  EXPECT_EQ(grid->Model().GetCellText(5, 1), "铜2101");
  // The caller's list is sorted too.
  EXPECT_EQ(gridctl::FieldText(gridctl::ContractRowsOf(list)[2].szContractCode), "al2101");
  ui::testing::SaveScreenshot(grid, "contract_grid");
}

TEST_F(CxContractGridTest, TypedTextsFindTheFirstCodeWithoutCaseForLetters) {
  EXPECT_TRUE(grid->SelectByPrefix("CU21"));
  EXPECT_EQ(grid->Model().CurrentRow(), 5);
  EXPECT_EQ(grid->Model().TopRow(), 5);
  EXPECT_EQ(grid->GetCurrentCode(), "cu2101");
  EXPECT_FALSE(grid->SelectByPrefix("cu-"));
  EXPECT_EQ(grid->Model().TopRow(), 0);
  EXPECT_EQ(grid->CompleteCode("Rb"), std::optional<std::string>("rb2105"));
  EXPECT_EQ(grid->CompleteCode("x"), std::nullopt);
  EXPECT_TRUE(grid->SelectByPrefix(""));
  EXPECT_EQ(grid->GetCurrentCode(), "IF2101");
  ui::testing::SaveScreenshot(grid, "contract_grid_selected");
}

TEST_F(CxContractGridTest, APressOnAContractTellsTheOwner) {
  const QRect cell = grid->CellRectOf(3, 1);
  Mouse(QTest::MouseClick, &owner, grid->viewport()->mapToGlobal(cell.center()));
  const gridctl::CxGridNotify* pressed = owner.Last(gridctl::notify::kCellPressed);
  ASSERT_NE(pressed, nullptr);
  EXPECT_EQ(pressed->kind, -1);
  EXPECT_EQ(pressed->row, 3);
  EXPECT_EQ(pressed->column, 1);
  EXPECT_EQ(grid->GetCurrentCode(), "al2102");
}

TEST(CxVarietyGridTest, ThreeVarietiesARowAsImageButtons) {
  RecordingOwner owner;
  auto* grid = new CxVarietyGrid;
  const char* varieties[][2] = {{"cu", "铜"},     {"al", "铝"},  {"zn", "锌"},     {"au", "黄金"},
                                {"rb", "螺纹钢"}, {"m", "豆粕"}, {"IF", "沪深300"}};
  for (const auto& variety : varieties) grid->AddVariety(variety[0], variety[1]);
  grid->AddVariety("cu", "again");
  ASSERT_TRUE(grid->CreateGrid(&owner, QRect(10, 10, 176, 108), false));
  ASSERT_TRUE(gridctl::testing::ShowActive(owner));
  EXPECT_EQ(grid->GetVarietyCount(), 7);
  EXPECT_EQ(grid->Model().GetRowCount(), 3);
  std::string code;
  EXPECT_TRUE(grid->GetVarietyAt(0, 2, code));
  EXPECT_EQ(code, "IF");
  EXPECT_FALSE(grid->GetVarietyAt(1, 2, code));
  EXPECT_EQ(grid->Model().GetCellKind(2, 1), -1);
  ui::testing::SaveScreenshot(grid, "variety_grid");

  // A press on an image tells the owner; beside it, nothing.
  const QRect cell = grid->CellRectOf(1, 1);
  Mouse(QTest::MouseClick, &owner, grid->viewport()->mapToGlobal(cell.topLeft() + QPoint(48, 10)));
  EXPECT_EQ(owner.Last(gridctl::notify::kCellPressed), nullptr);
  Mouse(QTest::MouseClick, &owner, grid->viewport()->mapToGlobal(cell.center()));
  const gridctl::CxGridNotify* pressed = owner.Last(gridctl::notify::kCellPressed);
  ASSERT_NE(pressed, nullptr);
  EXPECT_EQ(pressed->kind, 2);
  EXPECT_EQ(pressed->row, 1);
  EXPECT_EQ(pressed->column, 1);
  EXPECT_FALSE(grid->Model().IsRowSelected(1));  // no row selection in this grid
}

}  // namespace
