#include "tradeviews/model/query_throttle.h"

namespace tradeviews {

bool QueryThrottle::Allow(std::uint32_t now, int& secondsLeft) {
  const std::uint32_t elapsed = now - lastQuery_;
  if (queried_ && elapsed < kIntervalMs) {
    secondsLeft = static_cast<int>(kIntervalMs / 1000 - elapsed / 1000);
    return false;
  }
  queried_ = true;
  lastQuery_ = now;
  return true;
}

std::string WaitMessage(int secondsLeft) {
  return "请稍后再查询\t\n******剩余 " + std::to_string(secondsLeft) + " 秒******";
}

}  // namespace tradeviews
