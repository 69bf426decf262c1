#include "gridctl/model/title_tip_rest.h"

#include <gtest/gtest.h>

namespace {

using gridctl::Point;
using gridctl::TitleTipRest;

TEST(TitleTipRest, ShowsOncePerRestAfterTheDelay) {
  TitleTipRest rest;
  rest.SetDelay(500);
  const Point at{100, 80};
  EXPECT_TRUE(rest.OnMouseMove(at, 1000).startTimer);
  EXPECT_FALSE(rest.OnTick(at, true, 1499).show);
  const TitleTipRest::Outcome due = rest.OnTick(at, true, 1500);
  ASSERT_TRUE(due.show);
  EXPECT_EQ(due.at, at);
  rest.OnShown();
  EXPECT_FALSE(rest.OnTick(at, true, 9000).show);  // resting longer shows nothing more
  // The first move after showing is absorbed, the next one hides.
  EXPECT_FALSE(rest.OnMouseMove({101, 80}, 9001).hide);
  EXPECT_TRUE(rest.OnMouseMove({102, 80}, 9002).hide);
  // The move began a new rest.
  EXPECT_FALSE(rest.OnTick(Point{102, 80}, true, 9501).show);
  EXPECT_TRUE(rest.OnTick(Point{102, 80}, true, 9502).show);
}

TEST(TitleTipRest, ADelayOfZeroShowsAtTheFirstTickAndTheCountResetsWithTheTimer) {
  TitleTipRest rest;
  const Point at{5, 5};
  rest.OnMouseMove(at, 42);
  EXPECT_TRUE(rest.OnTick(at, true, 42).show);
  rest.OnShown();
  // The cursor left the owner: timer off, tip hidden; the next move starts
  // a fresh rest that may show again.
  const TitleTipRest::Outcome left = rest.OnTick(Point{500, 500}, false, 50);
  EXPECT_TRUE(left.stopTimer);
  EXPECT_TRUE(left.hide);
  EXPECT_FALSE(rest.TimerRunning());
  EXPECT_TRUE(rest.OnMouseMove(at, 60).startTimer);
  EXPECT_TRUE(rest.OnTick(at, true, 60).show);
}

TEST(TitleTipRest, ButtonsAndUnreadableOrMovedCursorsHide) {
  TitleTipRest rest;
  rest.OnMouseMove({1, 1}, 0);
  const TitleTipRest::Outcome pressed = rest.OnButton();
  EXPECT_TRUE(pressed.stopTimer);
  EXPECT_TRUE(pressed.hide);
  EXPECT_FALSE(rest.OnTick(Point{1, 1}, true, 100).show);  // no timer any more

  rest.OnMouseMove({1, 1}, 0);
  EXPECT_TRUE(rest.OnTick(std::nullopt, true, 10).hide);
  rest.OnMouseMove({1, 1}, 0);
  EXPECT_TRUE(rest.OnTick(Point{2, 1}, true, 10).hide);
}

TEST(TitleTipRest, TickCountsThatWrapStillMeasureTheRest) {
  TitleTipRest rest;
  rest.SetDelay(100);
  rest.OnMouseMove({1, 1}, 0xFFFFFFF0u);
  EXPECT_FALSE(rest.OnTick(Point{1, 1}, true, 0x10).show);
  EXPECT_TRUE(rest.OnTick(Point{1, 1}, true, 0x60).show);
}

}  // namespace
