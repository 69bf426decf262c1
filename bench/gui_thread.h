// What the benchmarks of windows share: the GUI thread's own time, and the
// application of their windows on the offscreen platform.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <QApplication>
#include <chrono>
#include <memory>

namespace bench {

// The calling thread's CPU time: what the GUI thread's figures are about,
// and what other programs on a busy machine do not stretch.
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

// The application of a benchmark's windows, on the offscreen platform. Each
// benchmark makes its own and ends it before main() returns: ended among
// the toolkit's own globals after main(), it would find some of them gone.
inline std::unique_ptr<QApplication> MakeOffscreenApplication() {
  static int argc = 1;
  static char name[] = "quentara_bench";
  static char* argv[] = {name, nullptr};
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  return std::make_unique<QApplication>(argc, argv);
}

}  // namespace bench
