// The query form views run a query at most once in five seconds: a request
// within that time is refused with how many seconds are left. No toolkit.
#pragma once

#include <cstdint>
#include <string>

namespace tradeviews {

class QueryThrottle {
 public:
  static constexpr std::uint32_t kIntervalMs = 5000;

  // True when a query may run at `now` (a millisecond tick count that wraps
  // at 2^32), which then counts as the last query's time; the first request
  // always runs. Otherwise false with the seconds still to wait: 5 in the
  // first second after the last query, 1 in the fifth.
  bool Allow(std::uint32_t now, int& secondsLeft);

 private:
  bool queried_ = false;
  std::uint32_t lastQuery_ = 0;
};

// "请稍后再查询\t\n******剩余 %d 秒******"
std::string WaitMessage(int secondsLeft);

}  // namespace tradeviews
