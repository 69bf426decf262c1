#include "logfile/bn_time.h"

#include "platform/clock.h"

namespace {

constexpr std::uint32_t kFullReadInterval = 10000;  // milliseconds

}  // namespace

CBNTime::CBNTime() {
  std::lock_guard lock(lock_);
  ReflushTime();
}

CBNTime::~CBNTime() = default;

CBNTime& CBNTime::GetTickCount() {
  std::lock_guard lock(lock_);
  BringUpToDate();
  return *this;
}

void CBNTime::ReflushTime2() {
  std::lock_guard lock(lock_);
  ReflushTime();
}

CBNTime::Fields CBNTime::Current() const {
  std::lock_guard lock(lock_);
  return now_;
}

void CBNTime::BringUpToDate() {
  const std::uint32_t tick = platform::TickCount();
  if (tick == lastUpdateTick_) return;
  // A tick below the last update means the counter wrapped around.
  if (tick > lastUpdateTick_ && tick - lastFullReadTick_ < kFullReadInterval) {
    Fields next = now_;
    const int milliseconds = next.msecond + static_cast<int>(tick - lastUpdateTick_);
    next.msecond = milliseconds % 1000;
    next.second += milliseconds / 1000;
    next.minute += next.second / 60;
    next.second %= 60;
    next.hour += next.minute / 60;
    next.minute %= 60;
    // Advancing into the next day would need the calendar: read it instead.
    if (next.hour < 24) {
      now_ = next;
      lastUpdateTick_ = tick;
      return;
    }
  }
  ReflushTime();
}

void CBNTime::ReflushTime() {
  const platform::LocalTime calendar = platform::LocalNow();
  const std::uint32_t tick = platform::TickCount();
  now_ = Fields{calendar.year, calendar.month,  calendar.day,    calendar.dayOfWeek,
                calendar.hour, calendar.minute, calendar.second, static_cast<int>(tick % 1000)};
  lastUpdateTick_ = tick;
  lastFullReadTick_ = tick;
}

int CBNTime::GetYear() const {
  std::lock_guard lock(lock_);
  return now_.year;
}

int CBNTime::GetMonth() const {
  std::lock_guard lock(lock_);
  return now_.month;
}

int CBNTime::GetDay() const {
  std::lock_guard lock(lock_);
  return now_.day;
}

int CBNTime::GetHour() const {
  std::lock_guard lock(lock_);
  return now_.hour;
}

int CBNTime::GetMinute() const {
  std::lock_guard lock(lock_);
  return now_.minute;
}

int CBNTime::GetSecond() const {
  std::lock_guard lock(lock_);
  return now_.second;
}

int CBNTime::GetMSecond() const {
  std::lock_guard lock(lock_);
  return now_.msecond;
}

int CBNTime::GetDayOfWeek() const {
  std::lock_guard lock(lock_);
  return now_.dayOfWeek;
}

CBNTime& GetBNTime() {
  // Never destroyed: log objects with static lifetime still stamp their
  // closing record after other statics are gone.
  static CBNTime* const clock = new CBNTime;
  return clock->GetTickCount();
}
