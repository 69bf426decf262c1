// What every fuzz target shares: a failed property stops the run with the
// input, as a sanitizer report would.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Stops the fuzzer with `what` when `holds` is false; libFuzzer keeps the
// input that did it.
inline void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace fuzz
