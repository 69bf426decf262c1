#include "call_queue.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace connpool {
namespace {

std::vector<CallBlockPtr> BlocksOfPriorities(std::initializer_list<int> priorities) {
  std::vector<CallBlockPtr> blocks;
  for (int priority : priorities) blocks.push_back(NewCallBlock({.title = "t", .priority = priority}, 1));
  return blocks;
}

TEST(CallQueue, HigherPrioritiesComeFirstAndEqualOnesInArrivalOrder) {
  CallQueue queue;
  queue.Open();
  const std::vector<CallBlockPtr> blocks = BlocksOfPriorities({0, 1, 1, 2, 0, 2});
  for (const CallBlockPtr& block : blocks) ASSERT_EQ(queue.Push(block.get()), PushResult::kQueued);

  const std::size_t expected[] = {3, 5, 1, 2, 0, 4};
  for (std::size_t index : expected) EXPECT_EQ(queue.Pop(), blocks[index].get()) << index;
  EXPECT_EQ(queue.Pop(), nullptr);
}

TEST(CallQueue, ClosedQueueTakesNothingButGivesUpWhatItHolds) {
  CallQueue queue;
  const std::vector<CallBlockPtr> blocks = BlocksOfPriorities({0, 0});
  EXPECT_EQ(queue.Push(blocks[0].get()), PushResult::kClosed) << "a new queue is closed";
  queue.Open();
  ASSERT_EQ(queue.Push(blocks[0].get()), PushResult::kQueued);
  queue.Close();
  EXPECT_EQ(queue.Push(blocks[1].get()), PushResult::kClosed);
  EXPECT_EQ(queue.Pop(), blocks[0].get());
  EXPECT_EQ(queue.Pop(), nullptr);
}

TEST(CallQueue, PushReportsAQueueThatCannotGrow) {
  CallQueue queue;
  queue.Open();
  const std::vector<CallBlockPtr> blocks = BlocksOfPriorities({0});
  testing::FailingAllocations failing;
  EXPECT_EQ(queue.Push(blocks[0].get()), PushResult::kNoRoom);
  EXPECT_EQ(queue.Pop(), nullptr);
}

}  // namespace
}  // namespace connpool
