#include "gridctl/model/click_classifier.h"

#include <gtest/gtest.h>

namespace {

using Action = gridctl::ClickClassifier::Action;
using Button = gridctl::ClickClassifier::Button;
using gridctl::ClickClassifier;

TEST(ClickClassifierTest, ALeftClickIsDecided150MillisecondsAfterTheRelease) {
  ClickClassifier clicks;
  clicks.Press(Button::kLeft, {5, 6}, 1000);
  EXPECT_EQ(clicks.Tick(1149, false).action, Action::kNone);
  EXPECT_EQ(clicks.Tick(1150, false).action, Action::kNone);  // a held left button is nothing
  clicks.Press(Button::kLeft, {5, 6}, 2000);
  clicks.Release(Button::kLeft, {5, 6}, 2040);
  EXPECT_EQ(clicks.Tick(2189, false).action, Action::kNone);
  EXPECT_EQ(clicks.Tick(2190, false).action, Action::kLeftClick);
  EXPECT_EQ(clicks.Tick(2500, false).action, Action::kNone);  // once
  EXPECT_FALSE(clicks.Pending());
}

TEST(ClickClassifierTest, ADoubleClickClearsTheSingleClick) {
  ClickClassifier clicks;
  clicks.Press(Button::kLeft, {1, 1}, 0);
  clicks.Release(Button::kLeft, {1, 1}, 30);
  clicks.Clear();
  EXPECT_EQ(clicks.Tick(500, false).action, Action::kNone);
}

TEST(ClickClassifierTest, AHeldRightButtonOpensTheMenuAtThePress) {
  ClickClassifier clicks;
  clicks.Press(Button::kRight, {40, 50}, 100);
  const ClickClassifier::Due due = clicks.Tick(250, true);
  EXPECT_EQ(due.action, Action::kShowMenu);
  EXPECT_EQ(due.point, (gridctl::Point{40, 50}));
  // The release after that comes more than 300 ms after the press: nothing.
  clicks.Release(Button::kRight, {41, 50}, 400);
  EXPECT_EQ(clicks.Tick(550, true).action, Action::kNone);
}

TEST(ClickClassifierTest, AQuickRightClickOpensTheMenuOnlyWithin300MillisecondsOfThePress) {
  ClickClassifier clicks;
  clicks.Press(Button::kRight, {1, 2}, 0);
  clicks.Release(Button::kRight, {3, 4}, 100);
  const ClickClassifier::Due due = clicks.Tick(250, true);
  EXPECT_EQ(due.action, Action::kShowMenu);
  EXPECT_EQ(due.point, (gridctl::Point{3, 4}));

  clicks.Press(Button::kRight, {1, 2}, 1000);
  clicks.Release(Button::kRight, {1, 2}, 1151);
  EXPECT_EQ(clicks.Tick(1301, true).action, Action::kNone);  // 150 after the release is 301 after the press
  EXPECT_FALSE(clicks.Pending());                            // and the click was consumed
}

TEST(ClickClassifierTest, WithoutMenuItemsARightClickIsANotification) {
  ClickClassifier clicks;
  clicks.Press(Button::kRight, {1, 2}, 0);
  EXPECT_EQ(clicks.Tick(200, false).action, Action::kNone);  // held, no menu
  clicks.Press(Button::kRight, {1, 2}, 1000);
  clicks.Release(Button::kRight, {1, 2}, 1900);
  EXPECT_EQ(clicks.Tick(2050, false).action, Action::kRightClick);
}

TEST(ClickClassifierTest, MiddleClicksAndWrappingTickCounts) {
  ClickClassifier clicks;
  clicks.Press(Button::kMiddle, {1, 2}, 0xFFFFFFF0u);
  EXPECT_EQ(clicks.Tick(0x200, false).action, Action::kNone);
  clicks.Release(Button::kMiddle, {1, 2}, 0xFFFFFFF0u);
  EXPECT_EQ(clicks.Tick(0x80, false).action, Action::kNone);
  EXPECT_EQ(clicks.Tick(0x90, false).action, Action::kMiddleClick);
}

}  // namespace
