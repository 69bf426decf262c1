#include "gridctl/views/title_tip.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QTest>

#include "gridctl/views/paint_support.h"
#include "ui/testing/gui_test.h"

namespace {

class CxTitleTipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner.setGeometry(100, 100, 200, 120);
    owner.show();
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return owner.isVisible(); }));
  }
  // The cursor rests on the owner at the point, and the owner says so.
  QPoint RestAt(QPoint local) {
    const QPoint global = owner.mapToGlobal(local);
    QCursor::setPos(global);
    tip.RelayEvent(QEvent::MouseMove, global);
    return global;
  }
  QWidget owner;
  gridctl::CxTitleTip tip{&owner};
};

TEST_F(CxTitleTipTest, ShowsItsLinesBelowTheRestingCursorAsWideAsTheLongest) {
  backend::CxDataSet lines;
  lines.AddText("平仓");
  lines.AddText("可平数量: 12345");
  ASSERT_TRUE(tip.CreateLines(&owner, lines, 0));
  const QPoint global = RestAt({40, 30});
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return tip.isVisible(); }, std::chrono::seconds(5)));
  const QFont font = gridctl::ToQFont({"宋体", 14});
  EXPECT_EQ(tip.pos(), global + QPoint(0, 24));
  EXPECT_EQ(tip.width(), gridctl::MeasureText("可平数量: 12345", font).width + 12);
  EXPECT_EQ(tip.height(), 2 * gridctl::MeasureText("平仓", font).height + 8);
  ui::testing::SaveScreenshot(&tip, "title_tip_two_lines");

  // The first move after showing is absorbed, the next hides the tip.
  RestAt({41, 30});
  EXPECT_TRUE(tip.isVisible());
  RestAt({42, 30});
  EXPECT_FALSE(tip.isVisible());
}

TEST_F(CxTitleTipTest, APressHidesTheTipAndNothingIsShownBeforeCreation) {
  RestAt({10, 10});
  QTest::qWait(30);
  EXPECT_FALSE(tip.isVisible());  // not created: relaying does nothing

  ASSERT_TRUE(tip.CreateText(&owner, "委托价格", 0));
  const QPoint global = RestAt({10, 10});
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return tip.isVisible(); }, std::chrono::seconds(5)));
  tip.RelayEvent(QEvent::MouseButtonPress, global);
  EXPECT_FALSE(tip.isVisible());
  QTest::qWait(30);
  EXPECT_FALSE(tip.isVisible());  // the timer stopped with the press
}

TEST_F(CxTitleTipTest, ACursorThatLeavesTheOwnerHidesTheTip) {
  ASSERT_TRUE(tip.CreateText(&owner, "tip", 0));
  RestAt({10, 10});
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return tip.isVisible(); }, std::chrono::seconds(5)));
  QCursor::setPos(owner.mapToGlobal(QPoint(500, 500)));
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return !tip.isVisible(); }, std::chrono::seconds(5)));
}

}  // namespace
