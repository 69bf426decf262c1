// The cached clock: advanced by the tick counter between full reads of the
// calendar.
#include "logfile/bn_time.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/testing/fake_clock.h"

namespace {

platform::LocalTime Calendar(int day, int hour, int minute, int second) {
  return platform::LocalTime{2026, 3, day, platform::DayOfWeek({2026, 3, day}), hour, minute, second, 777};
}

std::string Shown(const CBNTime& clock) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d/%d %02d:%02d:%02d.%03d", clock.GetYear(), clock.GetMonth(),
                clock.GetDay(), clock.GetDayOfWeek(), clock.GetHour(), clock.GetMinute(), clock.GetSecond(),
                clock.GetMSecond());
  return text;
}

TEST(CBNTime, FullReadTakesTheCalendarAndTheTickCountersMillisecond) {
  platform::FakeClock fake(Calendar(5, 10, 0, 59), 3900);
  CBNTime clock;
  EXPECT_EQ(Shown(clock), "2026-03-05/5 10:00:59.900");
}

TEST(CBNTime, TicksAdvanceTheClockAcrossAMinuteWithoutAFullRead) {
  platform::FakeClock fake(Calendar(5, 10, 0, 59), 3900);
  CBNTime clock;
  fake.Set(Calendar(5, 11, 11, 11), 4150);  // a full read would show this
  EXPECT_EQ(Shown(clock.GetTickCount()), "2026-03-05/5 10:01:00.150");
  fake.Set(Calendar(5, 11, 11, 11), 4150 + 3600);
  EXPECT_EQ(Shown(clock.GetTickCount()), "2026-03-05/5 10:01:03.750");
}

TEST(CBNTime, TenSecondsAfterTheLastFullReadTheCalendarIsReadAgain) {
  platform::FakeClock fake(Calendar(5, 10, 0, 0), 1000);
  CBNTime clock;
  fake.Set(Calendar(5, 12, 0, 0), 10999);
  EXPECT_EQ(Shown(clock.GetTickCount()), "2026-03-05/5 10:00:09.999");
  fake.Set(Calendar(5, 12, 0, 0), 11000);
  EXPECT_EQ(Shown(clock.GetTickCount()), "2026-03-05/5 12:00:00.000");
  fake.Set(Calendar(5, 13, 0, 0), 11500);  // the window starts again at the full read
  EXPECT_EQ(Shown(clock.GetTickCount()), "2026-03-05/5 12:00:00.500");
}

TEST(CBNTime, ChangeOfDayIsReadFromTheCalendar) {
  platform::FakeClock fake(Calendar(5, 23, 59, 59), 8990);
  CBNTime clock;
  fake.Set(Calendar(6, 0, 0, 0), 9010);
  EXPECT_EQ(Shown(clock.GetTickCount()), "2026-03-06/6 00:00:00.010");
}

TEST(CBNTime, WrappedTickCounterForcesAFullRead) {
  platform::FakeClock fake(Calendar(5, 10, 0, 0), 0xFFFFFF00);
  CBNTime clock;
  fake.Set(Calendar(5, 10, 0, 1), 0x40);
  EXPECT_EQ(Shown(clock.GetTickCount()), "2026-03-05/5 10:00:01.064");
}

TEST(CBNTime, ReflushTime2ReadsTheCalendarAtOnce) {
  platform::FakeClock fake(Calendar(5, 10, 0, 0), 1000);
  CBNTime clock;
  fake.Set(Calendar(7, 9, 30, 0), 1200);
  clock.ReflushTime2();
  EXPECT_EQ(Shown(clock), "2026-03-07/7 09:30:00.200");
}

TEST(CBNTime, EachClockKeepsItsOwnFullReadWindow) {
  platform::FakeClock fake(Calendar(5, 10, 0, 0), 1000);
  CBNTime first;
  fake.Set(Calendar(5, 10, 0, 9), 9000);
  CBNTime second;  // its full read must not move the first clock's window
  fake.Set(Calendar(5, 15, 0, 0), 11000);
  EXPECT_EQ(Shown(first.GetTickCount()), "2026-03-05/5 15:00:00.000");
  EXPECT_EQ(Shown(second.GetTickCount()), "2026-03-05/5 10:00:11.000");
}

TEST(CBNTime, GetBNTimeReturnsTheOneUpdatedClock) {
  platform::FakeClock fake(Calendar(5, 10, 0, 0), 50000);
  GetBNTime().ReflushTime2();
  fake.Set(Calendar(5, 10, 0, 0), 50250);
  CBNTime& clock = GetBNTime();
  EXPECT_EQ(&clock, &GetBNTime());
  EXPECT_EQ(Shown(clock), "2026-03-05/5 10:00:00.250");
}

}  // namespace
