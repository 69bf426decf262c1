#include "tradeviews/model/query_throttle.h"

#include <gtest/gtest.h>

namespace {

TEST(QueryThrottle, RunsAtOnceThenWaitsFiveSecondsCountingDown) {
  tradeviews::QueryThrottle throttle;
  int left = -1;
  // The first query runs whatever the tick count, also one just after start.
  EXPECT_TRUE(throttle.Allow(1200, left));
  for (const auto& [elapsed, seconds] : {std::pair{0u, 5}, {999u, 5}, {1000u, 4}, {4000u, 1}, {4999u, 1}}) {
    EXPECT_FALSE(throttle.Allow(1200 + elapsed, left)) << elapsed;
    EXPECT_EQ(left, seconds) << elapsed;
  }
  EXPECT_TRUE(throttle.Allow(1200 + 5000, left));
  EXPECT_FALSE(throttle.Allow(1200 + 5001, left));
}

TEST(QueryThrottle, CountsAcrossTheWrapOfTheTickCounter) {
  tradeviews::QueryThrottle throttle;
  int left = 0;
  EXPECT_TRUE(throttle.Allow(0xFFFFFF00u, left));
  EXPECT_FALSE(throttle.Allow(0x00000100u, left));  // 512 ms later
  EXPECT_EQ(left, 5);
  EXPECT_TRUE(throttle.Allow(0xFFFFFF00u + 5000u, left));
}

TEST(QueryThrottle, TheWaitMessageNamesTheSecondsLeft) {
  EXPECT_EQ(tradeviews::WaitMessage(3), "请稍后再查询\t\n******剩余 3 秒******");
}

}  // namespace
