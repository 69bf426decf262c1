#include "gridctl/views/numeric_edits.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QTest>

#include "grid_test_support.h"

namespace {

using gridctl::CTqEdit;
using gridctl::CTqEditPrice;
using gridctl::testing::Mouse;
using gridctl::testing::RecordingOwner;

class NumericEditsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lots = new CTqEdit(&panel);
    lots->setGeometry(20, 20, 80, 22);
    price = new CTqEditPrice(&panel);
    price->setGeometry(20, 60, 80, 22);
    ASSERT_TRUE(gridctl::testing::ShowActive(panel));
  }
  RecordingOwner panel;
  CTqEdit* lots = nullptr;
  CTqEditPrice* price = nullptr;
};

TEST_F(NumericEditsTest, ALotEditTakesFiveDigitsAndNothingElse) {
  ASSERT_TRUE(lots->CreateSpinButton(gridctl::kLotsLower, gridctl::kLotsUpper, 1));
  const gridctl::CTqSpinButtonCtrl* spin = lots->SpinButton();
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(spin->geometry(), QRect(100, 19, 14, 23));
  lots->setFocus();
  QTest::keyClicks(lots, "12a3-45.6");
  EXPECT_EQ(lots->text(), "12345");
  lots->selectAll();
  QTest::keyClicks(lots, "7");  // typed over the selection
  EXPECT_EQ(lots->text(), "7");
  EXPECT_FALSE(lots->Changed());
  lots->move(30, 20);
  EXPECT_EQ(lots->SpinButton()->geometry().left(), 110);
}

TEST_F(NumericEditsTest, AHeldSpinStepsFasterAndStopsAtTheBound) {
  ASSERT_TRUE(lots->CreateSpinButton(1, 20, 1));
  lots->setText("1");
  gridctl::CTqSpinButtonCtrl* spin = lots->SpinButton();
  const QPoint upper = spin->mapToGlobal(QPoint(7, 3));
  Mouse(QTest::MousePress, &panel, upper);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return lots->text() == "2"; }, std::chrono::seconds(5)));
  EXPECT_TRUE(lots->Changed());
  EXPECT_EQ(lots->cursorPosition(), 1);
  // Held on, the steps come faster until the bound of 20.
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return lots->text() == "20"; }, std::chrono::seconds(10)));
  QTest::qWait(100);
  EXPECT_EQ(lots->text(), "20");
  Mouse(QTest::MouseRelease, &panel, upper);
  const QPoint lower = spin->mapToGlobal(QPoint(7, spin->height() - 3));
  Mouse(QTest::MousePress, &panel, lower);
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return lots->text() == "19"; }, std::chrono::seconds(5)));
  Mouse(QTest::MouseRelease, &panel, lower);
  QTest::qWait(300);
  EXPECT_EQ(lots->text(), "19");  // released: no more steps
}

TEST_F(NumericEditsTest, APriceEditTakesTheTicksDecimalsAndStepsByTheTick) {
  ASSERT_TRUE(price->SetPriceTick(0.2));
  price->setFocus();
  QTest::keyClicks(price, "-12.34");
  EXPECT_EQ(price->text(), "12.3");
  EXPECT_TRUE(price->Changed());
  price->StepUp();
  EXPECT_EQ(price->text(), "12.5");
  // A nickel price of six digits fits.
  price->setText("");
  QTest::keyClicks(price, "125600");
  EXPECT_EQ(price->text(), "125600");
  price->SetPriceTick(1);
  price->StepDown();
  EXPECT_EQ(price->text(), "125599");
  ui::testing::SaveScreenshot(&panel, "numeric_edits");
}

TEST_F(NumericEditsTest, ASpinWithoutOwnerTellsItsParent) {
  auto* spin = new gridctl::CTqSpinButtonCtrl(&panel);
  spin->Create(QRect(200, 20, 14, 22));
  Mouse(QTest::MousePress, &panel, spin->mapToGlobal(QPoint(7, 18)));
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return !panel.notices.empty(); }, std::chrono::seconds(5)));
  Mouse(QTest::MouseRelease, &panel, spin->mapToGlobal(QPoint(7, 18)));
  EXPECT_EQ(panel.notices.front().code, -1);
  EXPECT_EQ(panel.notices.front().sender, spin);
}

TEST(NoContextMenuEdit, ShowsNoMenu) {
  gridctl::CTqNoContextMenuBCGPEdit edit;
  edit.show();
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), edit.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&edit, &event);
  EXPECT_TRUE(event.isAccepted());
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

}  // namespace
