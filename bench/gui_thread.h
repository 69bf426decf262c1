// What the benchmarks of windows share: the GUI thread's own time, and the
// application of their windows on the offscreen platform.
#pragma once

#include <stdlib.h>

#include <QApplication>
#include <memory>

#include "thread_clock.h"

namespace bench {

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
