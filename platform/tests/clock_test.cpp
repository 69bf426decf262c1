#include "platform/clock.h"

#include <gtest/gtest.h>

#include "platform/testing/fake_clock.h"

using platform::CivilDate;

TEST(CivilDate, AddDaysCrossesMonthsYearsAndLeapDays) {
  struct Case {
    CivilDate from;
    int days;
    CivilDate to;
  };
  const Case cases[] = {
      {{2026, 3, 31}, -30, {2026, 3, 1}}, {{2026, 3, 1}, -1, {2026, 2, 28}}, {{2024, 3, 1}, -1, {2024, 2, 29}},
      {{2026, 12, 31}, 1, {2027, 1, 1}},  {{2000, 2, 28}, 1, {2000, 2, 29}}, {{1900, 2, 28}, 1, {1900, 3, 1}},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::AddDays(c.from, c.days), c.to);
}

TEST(CivilDate, DayOfWeekCountsFromSunday) {
  EXPECT_EQ(platform::DayOfWeek({1970, 1, 1}), 5);  // Thursday
  EXPECT_EQ(platform::DayOfWeek({2026, 3, 1}), 1);  // Sunday
  EXPECT_EQ(platform::DayOfWeek({2026, 12, 12}), 7);
}

TEST(Clock, FakeClockReplacesAndRestoresTheSystemClock) {
  {
    platform::FakeClock fake({2026, 3, 5, 5, 10, 0, 0, 0}, 1234);
    EXPECT_EQ(platform::TickCount(), 1234u);
    EXPECT_EQ(platform::LocalNow().day, 5);
  }
  EXPECT_GE(platform::LocalNow().year, 2024);
}
