#include "gridctl/views/in_place_editors.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "grid_test_support.h"
#include "gridctl/views/grid_base.h"

namespace {

using gridctl::CellKind;
using gridctl::CxGridBase;
using gridctl::testing::RecordingOwner;

// One row: an edit cell of a 10-byte column and a combo cell whose items
// are A and B (the C after the last line feed is no item).
class InPlaceEditorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid = new CxGridBase(&owner);
    grid->setGeometry(0, 0, 300, 200);
    elsewhere = new QLineEdit(&owner);
    elsewhere->setGeometry(0, 250, 100, 20);
    gridctl::GridModel& model = grid->Model();
    model.SetColumnCapacity(2);
    edited = model.AddColumn(10, 100);
    chosen = model.AddColumn(32, 120);
    model.AddRow();
    model.SetCellText(0, edited, "", CellKind::kEdit);
    model.SetCellText(0, chosen, "A\nB\nC", CellKind::kCombo);
    model.SetCellStyle(0, chosen, 2);  // a drop-down: typing allowed
    ASSERT_TRUE(gridctl::testing::ShowActive(owner));
  }
  QLineEdit* StartEdit() {
    grid->StartInPlaceEdit(0, edited);
    return grid->RunningEdit();
  }
  gridctl::CxInPlaceComboBox* StartCombo() {
    grid->StartInPlaceCombo(0, chosen);
    return grid->RunningCombo();
  }

  RecordingOwner owner;
  CxGridBase* grid = nullptr;
  QLineEdit* elsewhere = nullptr;
  std::int32_t edited = -1, chosen = -1;
};

TEST_F(InPlaceEditorsTest, AnEditTakesTheColumnLessOneByteAndShiftTabStoresIt) {
  QLineEdit* edit = StartEdit();
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(edit->geometry(), grid->CellRectOf(0, 0));
  EXPECT_TRUE(grid->Model().Cell(0, edited)->editing);
  ui::testing::SaveScreenshot(&owner, "grid_in_place_edit");
  QTest::keyClicks(edit, "1234567890");
  EXPECT_EQ(edit->text(), "123456789");
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, "ab");
  EXPECT_EQ(edit->text(), "12345678a");
  QTest::keyClick(edit, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(grid->RunningEdit(), nullptr);
  EXPECT_EQ(grid->Model().GetCellText(0, edited), "12345678a");
  EXPECT_FALSE(grid->Model().Cell(0, edited)->editing);
  ASSERT_EQ(owner.Codes(), (std::vector<int>{4103, 4098}));
  EXPECT_EQ(owner.notices[0].kind, 3);
  EXPECT_EQ(owner.notices[1].extra, 37);
  EXPECT_TRUE(owner.notices[1].text.empty());
}

TEST_F(InPlaceEditorsTest, TabStoresEscapeDoesNotAndTheStartCarriesTheText) {
  grid->Model().SetCellText(0, edited, "100", CellKind::kEdit);
  QLineEdit* edit = StartEdit();
  EXPECT_EQ(owner.Last(4103)->text, "100");
  EXPECT_EQ(edit->selectedText(), "100");
  QTest::keyClicks(edit, "250");  // typed over the selected text
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_EQ(owner.Last(4098)->extra, 39);
  EXPECT_EQ(grid->Model().GetCellText(0, edited), "250");

  edit = StartEdit();
  QTest::keyClicks(edit, "7");
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(owner.Last(4098)->extra, 27);
  EXPECT_EQ(grid->Model().GetCellText(0, edited), "250");
}

TEST_F(InPlaceEditorsTest, AComboOffersTheStoredItemsAndReportsTheChoiceWhenLeft) {
  gridctl::CxInPlaceComboBox* combo = StartCombo();
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(1), "B");
  EXPECT_EQ(combo->currentText(), "");
  combo->setCurrentIndex(1);
  ui::testing::SaveScreenshot(&owner, "grid_in_place_combo");
  elsewhere->setFocus();
  EXPECT_EQ(grid->RunningCombo(), nullptr);
  const gridctl::CxGridNotify* ended = owner.Last(4098);
  ASSERT_NE(ended, nullptr);
  EXPECT_EQ(ended->kind, 4);
  EXPECT_EQ(ended->extra, 1);
  EXPECT_EQ(grid->Model().Cell(0, chosen)->chosenText, "B");
  EXPECT_EQ(grid->Model().GetCellText(0, chosen), "A\nB\nC");  // the items stay

  // The chosen text is selected when the combo opens again; typed text that
  // is no item is still reported and shown.
  combo = StartCombo();
  EXPECT_EQ(combo->currentIndex(), 1);
  QTest::keyClicks(combo->lineEdit(), "Z");
  elsewhere->setFocus();
  EXPECT_EQ(owner.Last(4098)->extra, -1);
  EXPECT_EQ(grid->Model().Cell(0, chosen)->chosenText, "Z");
}

TEST_F(InPlaceEditorsTest, TheGridsCharacterFilterHoldsForBothEditors) {
  grid->Model().SetCharFilter([](char32_t character) { return character >= U'A' && character <= U'z'; });
  QLineEdit* edit = StartEdit();
  QTest::keyClicks(edit, "1a2B");
  EXPECT_EQ(edit->text(), "12");
  grid->EndInPlaceEditors();
  EXPECT_EQ(grid->Model().GetCellText(0, edited), "12");
  gridctl::CxInPlaceComboBox* combo = StartCombo();
  QTest::keyClicks(combo->lineEdit(), "x9");
  EXPECT_EQ(combo->lineEdit()->text(), "9");
}

}  // namespace
