#include "ui/docking_frame.h"

#include <gtest/gtest.h>

#include "ui/gbk_text.h"
#include "ui/looks.h"
#include "ui/testing/gui_test.h"

namespace {

using ui::DockSide;

class DockingFrameTest : public ::testing::Test {
 protected:
  // Two bars on the right, three at the bottom, one on the left.
  static void AddBars(ui::DockingFrame& frame) {
    const ui::BarLayout bars[] = {
        {32863, "成交", 300, 200, DockSide::kRight},      {32862, "委托", 300, 200, DockSide::kRight},
        {32873, "信息输出", 200, 100, DockSide::kBottom}, {32861, "资金", 200, 100, DockSide::kBottom},
        {32864, "持仓", 200, 100, DockSide::kBottom},     {142, "普通下单", 1800, 200, DockSide::kLeft}};
    for (const ui::BarLayout& bar : bars) ASSERT_TRUE(frame.AddBar(bar, new QWidget));
    frame.FinishDefaultLayout();
  }
};

TEST_F(DockingFrameTest, BarsOfOneSideDockTogetherAsTabsWithTheFirstInFront) {
  ui::DockingFrame frame("布伦纳克", QSize(1024, 700));
  AddBars(frame);
  frame.show();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return frame.isVisible(); }));
  EXPECT_EQ(frame.TabGroupOf(32862), (std::vector<int>{32863, 32862}));
  EXPECT_EQ(frame.TabGroupOf(32873), (std::vector<int>{32873, 32861, 32864}));
  EXPECT_EQ(frame.TabGroupOf(142), std::vector<int>{142});
  EXPECT_TRUE(frame.IsBarInFront(32863));
  EXPECT_FALSE(frame.IsBarInFront(32862));
  EXPECT_TRUE(frame.IsBarInFront(32873));
  EXPECT_EQ(frame.SideOf(32862), DockSide::kRight);
  EXPECT_FALSE(frame.AddBar({32863, "again"}, new QWidget));
  EXPECT_FALSE(frame.AddBar({1, "none"}, nullptr));
  ui::testing::SaveScreenshot(&frame, "docking_frame");
}

TEST_F(DockingFrameTest, ToggleBringsABarBehindATabToTheFrontClosesOneInFrontAndOpensAClosedOne) {
  ui::DockingFrame frame("布伦纳克", QSize(1024, 700));
  AddBars(frame);
  frame.show();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return frame.isVisible(); }));
  frame.ToggleBar(32862);
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return frame.IsBarInFront(32862); }));
  EXPECT_TRUE(frame.IsBarOpen(32863));
  frame.ToggleBar(32862);
  EXPECT_FALSE(frame.IsBarOpen(32862));
  EXPECT_EQ(frame.TabGroupOf(32863), std::vector<int>{32863});
  frame.ToggleBar(32862);
  EXPECT_TRUE(frame.IsBarOpen(32862));
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return frame.IsBarInFront(32862); }));
  EXPECT_EQ(frame.TabGroupOf(32863), (std::vector<int>{32863, 32862}));
}

TEST_F(DockingFrameTest, TheSavedLayoutBringsBackClosedAndMovedBarsAndStrangeTextIsRefused) {
  std::string layout, placement;
  {
    ui::DockingFrame frame("布伦纳克", QSize(1024, 700));
    AddBars(frame);
    frame.show();
    frame.ShowBar(32861, false);
    frame.removeDockWidget(frame.Bar(32864));
    frame.addDockWidget(Qt::LeftDockWidgetArea, frame.Bar(32864));
    frame.Bar(32864)->show();
    frame.resize(900, 640);
    layout = frame.SaveLayout();
    placement = frame.SavePlacement();
  }
  ui::DockingFrame again("布伦纳克", QSize(1024, 700));
  AddBars(again);
  EXPECT_TRUE(again.LoadPlacement(placement));
  EXPECT_TRUE(again.LoadLayout(layout));
  again.show();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return again.isVisible(); }));
  EXPECT_FALSE(again.IsBarOpen(32861));
  EXPECT_EQ(again.SideOf(32864), DockSide::kLeft);
  EXPECT_EQ(again.size(), QSize(900, 640));
  EXPECT_FALSE(again.LoadLayout(""));
  EXPECT_FALSE(again.LoadLayout("layout2|bar32863=..."));
  EXPECT_FALSE(again.LoadLayout("qt1:!!!"));
  EXPECT_TRUE(again.IsBarOpen(32863));
}

TEST_F(DockingFrameTest, TheMarketAreaHidesAndComesBackAndEveryLookApplies) {
  ui::DockingFrame frame("布伦纳克", QSize(1024, 700));
  AddBars(frame);
  EXPECT_TRUE(frame.IsCentreShown());
  frame.ToggleCentre();
  EXPECT_FALSE(frame.IsCentreShown());
  frame.ToggleCentre();
  EXPECT_TRUE(frame.IsCentreShown());
  for (int id = ui::kFirstLookId; id <= ui::kLastLookId; ++id) {
    frame.ApplyLook(id);
    EXPECT_EQ(frame.styleSheet().contains("QTabBar"), ui::LookHasColouredTabs(id)) << id;
  }
}

}  // namespace
