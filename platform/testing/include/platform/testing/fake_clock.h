// A settable clock for tests: installs itself for its lifetime.
#pragma once

#include <mutex>

#include "platform/clock.h"

namespace platform {

class FakeClock final : public ClockSource {
 public:
  FakeClock(LocalTime now, std::uint32_t tick) : now_(now), tick_(tick) { SetClockSource(this); }
  ~FakeClock() override { SetClockSource(nullptr); }
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  std::uint32_t TickCount() override {
    std::lock_guard lock(mutex_);
    return tick_;
  }
  LocalTime Now() override {
    std::lock_guard lock(mutex_);
    return now_;
  }

  void Set(LocalTime now, std::uint32_t tick) {
    std::lock_guard lock(mutex_);
    now_ = now;
    tick_ = tick;
  }
  // Moves the tick counter only, as between two full reads of the calendar.
  void SetTick(std::uint32_t tick) {
    std::lock_guard lock(mutex_);
    tick_ = tick;
  }

 private:
  std::mutex mutex_;
  LocalTime now_;
  std::uint32_t tick_;
};

}  // namespace platform
