#include "gridctl/views/grid.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "grid_test_support.h"
#include "gridctl/views/in_place_editors.h"
#include "gridctl/views/paint_support.h"

namespace {

using gridctl::CellKind;
using gridctl::CxGrid;
using gridctl::testing::Command;
using gridctl::testing::Mouse;
using gridctl::testing::RecordingOwner;

constexpr auto kClickWait = std::chrono::seconds(5);

// A grid with a fixed code column and three scrolled ones (name, price, an
// edit cell column), ten rows, in an owner.
class CxGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid = new CxGrid(&owner);
    grid->SetControlId(21);
    grid->setGeometry(10, 10, 400, 230);
    gridctl::GridModel& model = grid->Model();
    model.Settings().fixedColumns = 1;
    model.SetColumnCapacity(4);
    code = model.AddColumn(16, 80);
    name = model.AddColumn(32, 90);
    price = model.AddColumn(16, 80);
    extra = model.AddColumn(16, 100);
    model.SetColumnNumeric(2, 1);
    model.SetColumnAlignRight(2, true);
    const char* names[] = {"铜", "铝", "锌", "铅", "镍", "锡", "黄金", "白银", "螺纹钢", "线材"};
    const char* prices[] = {"69870", "18425", "21370", "15325", "125600", "198000", "455.6", "5720", "3820", "4120"};
    for (int row = 0; row < 10; ++row) {
      model.AddRow();
      model.SetCellText(row, code, "C" + std::to_string(2100 + row), CellKind::kText);
      model.SetCellText(row, name, names[row], CellKind::kText);
      model.SetCellText(row, price, prices[row], CellKind::kText);
      model.SetCellText(row, extra, "", row == 0 ? CellKind::kCheckBox : CellKind::kEdit);
    }
    ASSERT_TRUE(gridctl::testing::ShowActive(owner));
  }
  QPoint CellPoint(int row, int column, QPoint offset = {}) const {
    const QRect cell = grid->CellRectOf(row, column);
    return grid->viewport()->mapToGlobal(offset.isNull() ? cell.center() : cell.topLeft() + offset);
  }
  QPoint ViewportPoint(QPoint local) const { return grid->viewport()->mapToGlobal(local); }
  void Click(QPoint global, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {}) {
    Mouse(QTest::MouseClick, &owner, global, button, modifiers);
  }

  RecordingOwner owner;
  CxGrid* grid = nullptr;
  std::int32_t code = -1, name = -1, price = -1, extra = -1;
};

TEST_F(CxGridTest, AClickSelectsTheRowPostsTheCellCommandAndIsReportedOnceSettled) {
  Click(CellPoint(3, 1));
  EXPECT_EQ(grid->Model().CurrentRow(), 3);
  EXPECT_EQ(grid->Model().CurrentColumn(), name);
  EXPECT_TRUE(grid->hasFocus());
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return owner.Last(gridctl::notify::kLeftClick) != nullptr; }, kClickWait));
  EXPECT_EQ(owner.commands, (std::vector<Command>{{21, gridctl::kCommandCellClicked}}));
  const gridctl::CxGridNotify* click = owner.Last(gridctl::notify::kLeftClick);
  EXPECT_EQ(click->row, 3);
  EXPECT_EQ(click->column, name);
  EXPECT_EQ(owner.Codes(), (std::vector<int>{4100, 4104}));
}

TEST_F(CxGridTest, ADoubleClickPostsItsCommandAndNoSingleClick) {
  Mouse(QTest::MouseDClick, &owner, CellPoint(2, 1));
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return owner.commands.size() == 2; }, kClickWait));
  EXPECT_EQ(owner.commands.back(), (Command{21, gridctl::kCommandDoubleClicked}));
  QTest::qWait(300);
  EXPECT_EQ(owner.Last(gridctl::notify::kLeftClick), nullptr);
}

TEST_F(CxGridTest, HeaderClicksSortUpThenDownAndTheSelectionStaysInPlace) {
  Click(CellPoint(1, 1));  // 铝
  const QPoint priceHeader = ViewportPoint(gridctl::ToQRect(grid->Model().HeaderRect(2)).center());
  Click(priceHeader);
  EXPECT_EQ(grid->Model().SortDirection(), 1);
  EXPECT_EQ(grid->Model().GetCellText(0, price), "455.6");
  EXPECT_EQ(grid->Model().GetCellText(9, price), "198000");  // by value, not by text
  EXPECT_TRUE(grid->Model().IsRowSelected(1));
  ui::testing::SaveScreenshot(grid, "grid_sorted_selected");
  Click(priceHeader);
  EXPECT_EQ(grid->Model().SortDirection(), -1);
  EXPECT_EQ(grid->Model().GetCellText(0, price), "198000");
}

TEST_F(CxGridTest, AHeldRightButtonOpensTheMenuAndAnEmptyMenuNotifies) {
  Mouse(QTest::MousePress, &owner, CellPoint(4, 1), Qt::RightButton);
  QTest::qWait(250);
  Mouse(QTest::MouseRelease, &owner, CellPoint(4, 1), Qt::RightButton);
  QTest::qWait(250);
  EXPECT_EQ(owner.Last(gridctl::notify::kRightClick) != nullptr, true);
  EXPECT_EQ(grid->Model().CurrentRow(), 4);

  ASSERT_TRUE(grid->AppendMenuItem("复制", 101, gridctl::kTextItem));
  const QPoint press = CellPoint(5, 1);
  Mouse(QTest::MousePress, &owner, press, Qt::RightButton);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return grid->PopupMenu()->isVisible(); }, kClickWait));
  EXPECT_EQ(grid->PopupMenu()->pos(), press);
  Mouse(QTest::MouseRelease, &owner, press, Qt::RightButton);
  // The item reaches the grid's parent as a command with the grid's id.
  Mouse(QTest::MouseMove, &owner, gridctl::testing::GlobalCentre(grid->PopupMenu(), grid->PopupMenu()->ItemRect(0)),
        Qt::NoButton);
  Mouse(QTest::MousePress, &owner, gridctl::testing::GlobalCentre(grid->PopupMenu(), grid->PopupMenu()->ItemRect(0)));
  EXPECT_FALSE(grid->PopupMenu()->isVisible());
  EXPECT_EQ(owner.commands.back(), (Command{101, 21}));
}

TEST_F(CxGridTest, ACheckBoxTogglesOnlyInsideItsBox) {
  Click(CellPoint(0, 3, {60, 9}));
  EXPECT_EQ(grid->Model().Cell(0, extra)->value, 0);
  EXPECT_EQ(grid->Model().CurrentRow(), 0);
  Click(CellPoint(0, 3, {8, 8}));
  EXPECT_EQ(grid->Model().Cell(0, extra)->value, 1);
  const gridctl::CxGridNotify* pressed = owner.Last(gridctl::notify::kCellPressed);
  ASSERT_NE(pressed, nullptr);
  EXPECT_EQ(pressed->kind, 1);
  EXPECT_EQ(pressed->column, extra);
}

TEST_F(CxGridTest, AnEditCellIsEditedInPlaceAndEnterStoresIt) {
  Click(CellPoint(2, 3));
  ASSERT_NE(grid->RunningEdit(), nullptr);
  QTest::keyClicks(grid->RunningEdit(), "42");
  QTest::keyClick(grid->RunningEdit(), Qt::Key_Return);
  EXPECT_EQ(grid->Model().GetCellText(2, extra), "42");
  EXPECT_EQ(owner.Last(gridctl::notify::kEditEnded)->extra, 13);
  EXPECT_NE(owner.Last(gridctl::notify::kEditStarted), nullptr);
}

TEST_F(CxGridTest, OnlyScrolledColumnsAreDraggedToAnotherPlace) {
  const auto header = [&](int column) {
    return ViewportPoint(gridctl::ToQRect(grid->Model().HeaderRect(column)).center());
  };
  // The fixed column does not move.
  Mouse(QTest::MousePress, &owner, header(0));
  Mouse(QTest::MouseMove, &owner, header(2), Qt::LeftButton);
  Mouse(QTest::MouseRelease, &owner, header(2));
  EXPECT_EQ(grid->Model().GetFieldOfColumn(0), code);
  // The name column dropped onto the edit column takes its place.
  Mouse(QTest::MousePress, &owner, header(1));
  Mouse(QTest::MouseMove, &owner, header(1) + QPoint(30, 0), Qt::LeftButton);
  EXPECT_TRUE(grid->DragWindow()->isVisible());
  Mouse(QTest::MouseMove, &owner, header(3), Qt::LeftButton);
  Mouse(QTest::MouseRelease, &owner, header(3));
  EXPECT_FALSE(grid->DragWindow()->isVisible());
  EXPECT_EQ(grid->Model().GetFieldOfColumn(1), price);
  EXPECT_EQ(grid->Model().GetFieldOfColumn(3), name);
}

TEST_F(CxGridTest, DividersResizeByDragAndFitByDoubleClick) {
  const QRect nameHeader = gridctl::ToQRect(grid->Model().HeaderRect(1));
  const QPoint divider = ViewportPoint(QPoint(nameHeader.left() + nameHeader.width(), 10));
  Mouse(QTest::MouseMove, &owner, divider, Qt::NoButton);
  Mouse(QTest::MousePress, &owner, divider);
  Mouse(QTest::MouseMove, &owner, divider + QPoint(25, 0), Qt::LeftButton);
  Mouse(QTest::MouseRelease, &owner, divider + QPoint(25, 0));
  EXPECT_EQ(grid->Model().Columns()[1].width, 115);
  // The fixed column's divider does nothing.
  const QPoint fixedDivider = ViewportPoint(QPoint(80, 10));
  Mouse(QTest::MouseMove, &owner, fixedDivider, Qt::NoButton);
  Mouse(QTest::MousePress, &owner, fixedDivider);
  Mouse(QTest::MouseMove, &owner, fixedDivider + QPoint(25, 0), Qt::LeftButton);
  Mouse(QTest::MouseRelease, &owner, fixedDivider + QPoint(25, 0));
  EXPECT_EQ(grid->Model().Columns()[0].width, 80);
  // A double click fits the widest name.
  const QPoint fitted = ViewportPoint(QPoint(80 + 115, 10));
  Mouse(QTest::MouseMove, &owner, fitted, Qt::NoButton);
  Mouse(QTest::MouseDClick, &owner, fitted);
  EXPECT_EQ(grid->Model().Columns()[1].width, gridctl::MeasureText("螺纹钢", grid->RowFont()).width + 6);
}

TEST_F(CxGridTest, WheelAndArrowKeysScroll) {
  grid->resize(400, 130);  // six whole rows shown
  QWheelEvent down(QPointF(50, 50), ViewportPoint({50, 50}), {}, QPoint(0, -240), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(grid->viewport(), &down);
  EXPECT_EQ(grid->Model().TopRow(), 2);
  QWheelEvent up(QPointF(50, 50), ViewportPoint({50, 50}), {}, QPoint(0, 1), Qt::NoButton, Qt::NoModifier,
                 Qt::NoScrollPhase, false);
  QApplication::sendEvent(grid->viewport(), &up);
  EXPECT_EQ(grid->Model().TopRow(), 1);
  Click(CellPoint(1, 1));
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(grid->Model().CurrentRow(), 2);
  for (int step = 0; step < 5; ++step) QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(grid->Model().CurrentRow(), 7);
  EXPECT_EQ(grid->Model().TopRow(), 2);  // row 7 is the last whole one shown
  for (int step = 0; step < 5; ++step) QTest::keyClick(grid, Qt::Key_Up);
  QTest::keyClick(grid, Qt::Key_Up);
  QTest::keyClick(grid, Qt::Key_Up);
  EXPECT_EQ(grid->Model().CurrentRow(), 0);
  EXPECT_EQ(grid->Model().TopRow(), 0);
}

TEST_F(CxGridTest, DraggingSelectsARangeWhenSeveralRowsAreSelectable) {
  grid->Model().Settings().multiSelect = true;
  Mouse(QTest::MousePress, &owner, CellPoint(1, 1));
  Mouse(QTest::MouseMove, &owner, CellPoint(4, 1), Qt::LeftButton);
  Mouse(QTest::MouseRelease, &owner, CellPoint(4, 1));
  EXPECT_EQ(grid->Model().SelectionAnchor(), 1);
  EXPECT_EQ(grid->Model().SelectionEnd(), 4);
  Click(CellPoint(3, 1), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_FALSE(grid->Model().IsRowSelected(3));
  ui::testing::SaveScreenshot(grid, "grid_multi_selection");
}

TEST_F(CxGridTest, ATruncatedCellShowsItsTitleTipUnderThePointer) {
  grid->Model().SetColumnWidth(1, 20);
  Mouse(QTest::MouseMove, &owner, CellPoint(8, 1), Qt::NoButton);
  ASSERT_NE(grid->TitleTipWindow(), nullptr);
  EXPECT_TRUE(grid->TitleTipWindow()->isVisible());
  EXPECT_EQ(grid->TitleTipWindow()->Row(), 8);
  Mouse(QTest::MouseMove, &owner, CellPoint(8, 2), Qt::NoButton);
  EXPECT_FALSE(grid->TitleTipWindow()->isVisible());
}

}  // namespace

namespace {

// An owner whose handler of the current-row notification fails.
class FailingOwner : public RecordingOwner {
 protected:
  bool event(QEvent* event) override {
    if (event->type() == gridctl::NotifyEvent::EventType())
      throw gridctl::CxException("设置数据操作时，指定的记录号不存在。");
    return RecordingOwner::event(event);
  }
};

TEST(CxGridFailures, AnExceptionInAHandlerStaysInsideTheGridsEvent) {
  FailingOwner owner;
  auto* grid = new CxGrid(&owner);
  grid->setGeometry(0, 0, 200, 100);
  grid->Model().SetColumnCapacity(1);
  grid->Model().AddColumn(8, 80);
  grid->Model().AddRow();
  grid->Model().AddRow();
  ASSERT_TRUE(gridctl::testing::ShowActive(owner));
  Mouse(QTest::MouseClick, &owner, grid->viewport()->mapToGlobal(grid->CellRectOf(1, 0).center()));
  EXPECT_EQ(grid->Model().CurrentRow(), 1);  // the press was handled up to the failing notification
  QTest::keyClick(grid, Qt::Key_Up);
  EXPECT_EQ(grid->Model().CurrentRow(), 0);
}

}  // namespace
