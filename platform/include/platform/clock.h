// The millisecond tick counter and the local calendar time, behind a clock
// source that tests can replace to set the time.
#pragma once

#include <cstdint>

namespace platform {

struct LocalTime {
  int year = 0;
  int month = 0;      // 1..12
  int day = 0;        // 1..31
  int dayOfWeek = 0;  // 1 = Sunday .. 7 = Saturday
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class ClockSource {
 public:
  virtual ~ClockSource() = default;
  // Milliseconds since an arbitrary start; wraps around at 2^32.
  virtual std::uint32_t TickCount() = 0;
  virtual LocalTime Now() = 0;
};

std::uint32_t TickCount();
LocalTime LocalNow();

// Replaces the clock of the whole process; null restores the system clock.
// The caller keeps the source alive while it is installed.
void SetClockSource(ClockSource* source);

struct CivilDate {
  int year;
  int month;
  int day;
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// The calendar date `days` days after `date` (before it when negative).
CivilDate AddDays(CivilDate date, int days);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(CivilDate date);

}  // namespace platform
