#include "gridctl/views/combo_boxes.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QPainter>
#include <QTest>

#include "grid_test_support.h"
#include "gridctl/views/paint_support.h"
#include "ui/gbk_text.h"

namespace {

using gridctl::CTqComboBox;

class ComboBoxesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(gridctl::testing::ShowActive(panel)); }
  gridctl::testing::RecordingOwner panel;
};

TEST_F(ComboBoxesTest, AnEditableComboShowsTheChosenItemInItsEditPart) {
  auto* combo = new CTqComboBox(&panel, CTqComboBox::Style::kDropDown);
  combo->setGeometry(10, 10, 90, 22);
  combo->show();
  EXPECT_EQ(combo->AddItem("限价"), 0);
  EXPECT_EQ(combo->AddItem("市价止损"), 1);
  ASSERT_NE(combo->EditPart(), nullptr);
  EXPECT_EQ(combo->lineEdit(), combo->EditPart());
  EXPECT_EQ(combo->SetCurSel(1), 1);
  EXPECT_EQ(ui::ToGbk(combo->EditPart()->text()), "市价止损");
  EXPECT_EQ(combo->SetCurSel(-1), -1);
  EXPECT_EQ(combo->EditPart()->text(), "");
  EXPECT_EQ(combo->SetCurSel(5), -1);
  EXPECT_GE(combo->view()->minimumWidth(), gridctl::MeasureText("市价止损", combo->font()).width + 8);
  combo->ResetContent();
  EXPECT_EQ(combo->count(), 0);
  EXPECT_EQ(combo->Items().Count(), 0);
}

TEST_F(ComboBoxesTest, TheBuySellComboDrawsEachSideInItsColourAndSwapsOnADoubleClick) {
  auto* combo = new gridctl::CTqColorComboBS(&panel);
  combo->setGeometry(10, 10, 90, 22);
  combo->show();
  combo->InitItems();
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->GetSelText(), "买入");
  // The box shows the side in red.
  const QImage box = combo->grab().toImage();
  bool red = false;
  for (int x = 0; x < box.width() && !red; ++x) {
    for (int y = 0; y < box.height() && !red; ++y) {
      const QRgb pixel = box.pixel(x, y);
      red = qRed(pixel) > 200 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
    }
  }
  EXPECT_TRUE(red);
  combo->showPopup();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return combo->view()->isVisible(); }));
  ui::testing::SaveScreenshot(combo->view()->window(), "buy_sell_combo_list");
  QTest::mouseDClick(combo->view()->viewport(), Qt::LeftButton, {},
                     combo->view()->visualRect(combo->model()->index(0, 0)).center());
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(combo->GetSelText(), "卖出");
  EXPECT_FALSE(combo->view()->isVisible());
  combo->ResetContent();
  EXPECT_EQ(combo->GetSelText(), "");
}

TEST_F(ComboBoxesTest, TheDealAttributeComboStaysAtItsEnds) {
  auto* combo = new gridctl::CTqComboDealAttr(&panel);
  for (const char* text : {"当日有效[GFD]", "全成或全撤[FOK]", "剩余即撤销[FAK]"}) combo->AddItem(text);
  combo->SetCurSel(0);
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Up);
  EXPECT_EQ(combo->currentIndex(), 0);
  QTest::keyClick(combo, Qt::Key_Down);
  QTest::keyClick(combo, Qt::Key_Down);
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(combo->currentIndex(), 2);
  QTest::keyClick(combo, Qt::Key_Up);
  EXPECT_EQ(combo->currentIndex(), 1);
  // While the list holds fewer entries, Down keeps to the last one.
  combo->ResetContent();
  combo->AddItem("当日有效[GFD]");
  combo->AddItem("全成或全撤[FOK]");
  combo->SetCurSel(1);
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(combo->currentIndex(), 1);
}

TEST_F(ComboBoxesTest, AComboWithoutItemsDrawsNothing) {
  CTqComboBox combo;
  QImage image(40, 20, QImage::Format_RGB32);
  image.fill(Qt::gray);
  QPainter painter(&image);
  combo.DrawItem(painter, QRect(0, 0, 40, 20), 0, true);
  combo.DrawItem(painter, QRect(0, 0, 40, 20), -1, false);
  painter.end();
  EXPECT_EQ(image.pixel(20, 10), QColor(Qt::gray).rgb());
}

}  // namespace
