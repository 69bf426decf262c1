#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>

namespace platform {
namespace {

class SystemClock final : public ClockSource {
 public:
  std::uint32_t TickCount() override {
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
  }

  LocalTime Now() override {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday + 1,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec,  static_cast<int>(ms)};
  }
};

SystemClock systemClock;
std::atomic<ClockSource*> installed{&systemClock};

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long DaysFromCivil(CivilDate date) {
  const int y = date.year - (date.month <= 2);
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned m = static_cast<unsigned>(date.month);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(date.day) - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468;
}

CivilDate CivilFromDays(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const long y = static_cast<long>(yoe) + era * 400 + (m <= 2);
  return CivilDate{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

}  // namespace

std::uint32_t TickCount() { return installed.load()->TickCount(); }

LocalTime LocalNow() { return installed.load()->Now(); }

void SetClockSource(ClockSource* source) { installed.store(source ? source : &systemClock); }

CivilDate AddDays(CivilDate date, int days) { return CivilFromDays(DaysFromCivil(date) + days); }

int DayOfWeek(CivilDate date) {
  const long days = DaysFromCivil(date);  // 1970-01-01 was a Thursday
  return static_cast<int>(((days % 7) + 7 + 4) % 7) + 1;
}

}  // namespace platform
