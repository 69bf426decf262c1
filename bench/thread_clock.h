// The calling thread's processor time as a clock: what a benchmark of one
// thread's work measures when other programs on a busy machine must not
// stretch the figure (page faults the work takes still count).
#pragma once

#include <time.h>

#include <chrono>

namespace bench {

struct ThreadClock {
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<ThreadClock, duration>;
  static constexpr bool is_steady = true;
  static time_point now() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return time_point(std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
  }
};

}  // namespace bench
