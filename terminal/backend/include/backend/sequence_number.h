// Request sequence numbers: one counter for the whole terminal, seeded from
// the time of day at first use so that the numbers of two runs on the same
// day rarely meet.
#pragma once

#include <cstdint>
#include <mutex>

namespace backend {

class SequenceCounter {
 public:
  // The next number: at first use (seconds of the local day) x 10000 +
  // 600001, then one more each time. The largest seed, 864590001 at
  // 23:59:59, leaves room for more than a billion requests in 32 bits.
  std::int32_t Next();

 private:
  std::mutex mutex_;  // guards counter_
  std::int32_t counter_ = 0;
};

// The next number of the terminal's one counter.
std::int32_t GetNextSequenceNo();

}  // namespace backend
