#include "gridctl/views/contract_edit.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QTest>

#include "contract_rows_support.h"
#include "grid_test_support.h"
#include "ui/gbk_text.h"

namespace {

using gridctl::CTqContractEdit;
using gridctl::PanelState;
using gridctl::testing::Mouse;
using gridctl::testing::RecordingOwner;

// What the order panels will give the edit: the engine's contracts, or
// nothing while it downloads.
class FakeContractSource : public gridctl::ContractListSource {
 public:
  bool QueryContracts(backend::CxDataSet& rows) override {
    ++queries;
    if (busy) return false;
    rows = gridctl::testing::DemoContracts();
    return true;
  }
  bool busy = false;
  int queries = 0;
};

class CTqContractEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner.setGeometry(100, 100, 300, 200);
    edit = new CTqContractEdit(&owner);
    edit->setGeometry(40, 20, 90, 22);
    ASSERT_TRUE(gridctl::testing::ShowActive(owner));
    ASSERT_TRUE(edit->CreateDropDowns());
    ASSERT_TRUE(edit->LoadContracts(source));
    edit->MoveDropDowns();
    edit->setFocus();
    CursorNearEdit();
  }
  void CursorNearEdit() { QCursor::setPos(edit->mapToGlobal(edit->rect().center())); }
  std::string Text() const { return ui::ToGbk(edit->text()); }
  void Type(const char* keys) { QTest::keyClicks(edit, keys); }
  QPoint ContractRow(int row) const {
    gridctl::CxContractGrid* contracts = edit->ContractPanel()->Contracts();
    return contracts->viewport()->mapToGlobal(contracts->CellRectOf(row, 0).center());
  }

  RecordingOwner owner;
  CTqContractEdit* edit = nullptr;
  FakeContractSource source;
};

TEST_F(CTqContractEditTest, ATypedContractIsPickedFromThePanelAndReadBack) {
  EXPECT_EQ(edit->State(), PanelState::kNone);
  EXPECT_EQ(edit->ContractPanel()->geometry(), QRect(edit->mapToGlobal(QPoint(-20, 24)), QSize(178, 110)));
  Type("cu");
  ASSERT_EQ(edit->State(), PanelState::kContract);
  EXPECT_TRUE(edit->ContractPanel()->isVisible());
  EXPECT_FALSE(edit->VarietyPanel()->isVisible());
  gridctl::CxContractGrid* contracts = edit->ContractPanel()->Contracts();
  EXPECT_EQ(contracts->GetCurrentCode(), "cu2101");
  EXPECT_EQ(contracts->Model().TopRow(), 5);
  EXPECT_EQ(Text(), "cu");
  ui::testing::SaveScreenshot(edit->ContractPanel(), "contract_panel");
  // Down moves the panel's selection and the edit follows.
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(Text(), "cu2102");
  EXPECT_EQ(edit->cursorPosition(), 6);
  // Picking a row puts its code in the edit, closes the panel and presses
  // Enter once on the edit's parent.
  Mouse(QTest::MouseClick, contracts, ContractRow(7));
  EXPECT_EQ(Text(), "cu2103");
  EXPECT_FALSE(edit->ContractPanel()->isVisible());
  EXPECT_EQ(edit->State(), PanelState::kNone);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return owner.enterPresses == 1; }, std::chrono::seconds(5)));
  QTest::qWait(50);
  EXPECT_EQ(owner.enterPresses, 1);
  ui::testing::SaveScreenshot(&owner, "contract_edit_picked");
}

TEST_F(CTqContractEditTest, AVarietyPickedFillsTheEditAndOpensItsContracts) {
  ASSERT_TRUE(edit->ShowDropDowns(1));
  EXPECT_TRUE(edit->VarietyPanel()->isVisible());
  EXPECT_TRUE(edit->hasFocus());
  gridctl::CxVarietyGrid* varieties = edit->VarietyPanel()->Varieties();
  EXPECT_EQ(varieties->GetVarietyCount(), 7);
  ui::testing::SaveScreenshot(edit->VarietyPanel(), "variety_panel");
  // Varieties in the order of the owner's list: cu, al, zn, then au ...
  const QRect cu = varieties->CellRectOf(0, 0);
  Mouse(QTest::MouseClick, varieties, varieties->viewport()->mapToGlobal(cu.center()));
  EXPECT_EQ(Text(), "cu");
  EXPECT_EQ(edit->State(), PanelState::kContract);
  EXPECT_FALSE(edit->VarietyPanel()->isVisible());
  EXPECT_EQ(edit->ContractPanel()->Contracts()->GetCurrentCode(), "cu2101");
}

TEST_F(CTqContractEditTest, TextThatBeginsNoCodeHidesThePanels) {
  Type("cux");
  EXPECT_EQ(edit->State(), PanelState::kNone);
  EXPECT_FALSE(edit->ContractPanel()->isVisible());
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->State(), PanelState::kContract);
  EXPECT_EQ(edit->ContractPanel()->Contracts()->GetCurrentCode(), "cu2101");
  // Left and Home do not move the caret.
  QTest::keyClick(edit, Qt::Key_Left);
  QTest::keyClick(edit, Qt::Key_Home);
  EXPECT_EQ(edit->cursorPosition(), 2);
}

TEST_F(CTqContractEditTest, WithTheCursorAwayNoPanelOpens) {
  QCursor::setPos(edit->mapToGlobal(QPoint(-40, 10)));
  Type("cu");
  EXPECT_EQ(edit->State(), PanelState::kNone);
  EXPECT_FALSE(edit->ContractPanel()->isVisible());
  EXPECT_TRUE(edit->ShowDropDowns(1));
  EXPECT_FALSE(edit->VarietyPanel()->isVisible());
}

TEST_F(CTqContractEditTest, CompletionTakesTheSelectedCodeInItsOwnCase) {
  Type("if21");
  ASSERT_EQ(edit->State(), PanelState::kContract);
  EXPECT_TRUE(edit->CompleteFromGrid());
  EXPECT_EQ(Text(), "IF2101");
  edit->setText("m2");
  edit->ShowDropDowns(0);
  EXPECT_TRUE(edit->CompleteFromGrid());  // no panel: the first code of the list
  EXPECT_EQ(Text(), "m2105");
  edit->setText("zz");
  EXPECT_FALSE(edit->CompleteFromGrid());
  EXPECT_EQ(edit->selectedText(), "zz");
}

TEST_F(CTqContractEditTest, ABusySourceChangesNothingAndAnEmptyListOpensNothing) {
  source.busy = true;
  EXPECT_FALSE(edit->LoadContracts(source));
  EXPECT_EQ(edit->ContractPanel()->Contracts()->Model().GetRowCount(), 12);
  edit->SetContractData(backend::CxDataSet());
  EXPECT_EQ(edit->ContractPanel()->Contracts()->Model().GetRowCount(), 0);
  EXPECT_EQ(edit->VarietyPanel()->Varieties()->GetVarietyCount(), 0);
  Type("c");
  EXPECT_EQ(edit->State(), PanelState::kNone);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->State(), PanelState::kNone);
}

}  // namespace
