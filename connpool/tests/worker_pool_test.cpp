#include "connpool/worker_pool.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fake_transport.h"
#include "test_support.h"

namespace connpool {
namespace {

using testing::FakeTransport;
using testing::kBoundedWait;
using testing::kPreemptedText;

// What the pool hands to its hooks.
class Collected {
 public:
  PoolHooks Hooks() {
    return {.result = [this](CallBlock* block) { Add(block); },
            .trace =
                [this](TraceType type, std::string_view text) {
                  std::lock_guard lock(mutex_);
                  traces_.push_back(std::to_string(static_cast<int>(type)) + " " + std::string(text));
                }};
  }

  // Waits until `count` blocks have arrived.
  bool WaitForBlocks(std::size_t count) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, kBoundedWait, [&] { return blocks_.size() >= count; });
  }
  std::size_t BlockCount() {
    std::lock_guard lock(mutex_);
    return blocks_.size();
  }
  CallBlock* Block(std::size_t index) {
    std::lock_guard lock(mutex_);
    return blocks_.at(index).get();
  }
  std::vector<std::string> Traces() {
    std::lock_guard lock(mutex_);
    return traces_;
  }

 private:
  void Add(CallBlock* block) {
    std::lock_guard lock(mutex_);
    blocks_.emplace_back(block);
    arrived_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<CallBlockPtr> blocks_;
  std::vector<std::string> traces_;
};

class WorkerPoolTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pool.Start(0)); }

  // A block of one sub-call per function number, request numbers from 1.
  static CallBlockPtr Block(int priority, std::initializer_list<int> functions) {
    CallBlockPtr block = NewCallBlock({.title = "test", .priority = priority}, static_cast<int>(functions.size()));
    int index = 0;
    for (int function : functions) {
      EXPECT_TRUE(SetSubCall(*block, index, {.requestNumber = index + 1, .functionNumber = function}));
      ++index;
    }
    return block;
  }

  void SubmitAsync(CallBlockPtr block) {
    std::string error;
    ASSERT_TRUE(pool.SubmitAsync(0, block.get(), error)) << error;
    block.release();  // the pool's until the result hook takes it
  }

  // The first field of the sub-call's first answer packet.
  static std::string Answer(const SubCall& subCall) {
    const testing::BorrowedList results(subCall.results);
    const std::span<const std::byte> packet = results->ValueAt(0);
    const PackedList fields(PackedList::CloneBlock(reinterpret_cast<const PackedBlock*>(packet.data())));
    return std::string(fields.TextAt(0));
  }

  FakeTransport transport;
  Collected collected;
  WorkerPool pool{2, transport, collected.Hooks()};
};

TEST_F(WorkerPoolTest, QueuedBlocksRunByPriorityThenArrival) {
  transport.HoldNext(100);
  SubmitAsync(Block(0, {100}));
  ASSERT_TRUE(transport.WaitUntilHeld());
  SubmitAsync(Block(0, {1}));
  SubmitAsync(Block(1, {2}));
  SubmitAsync(Block(1, {3}));
  transport.Release();

  ASSERT_TRUE(collected.WaitForBlocks(4));
  EXPECT_EQ(transport.Calls(), (std::vector<int>{100, 2, 3, 1}));
  const CallBlock& last = *collected.Block(3);
  EXPECT_EQ(last.SubCalls()[0].resultCode, kCallDone);
  EXPECT_EQ(Answer(last.SubCalls()[0]), "answer 1");
}

TEST_F(WorkerPoolTest, PreemptedBlockOfPriorityOneRunsAgainFromItsFirstSubCall) {
  transport.HoldNext(11);
  SubmitAsync(Block(1, {10, 11}));
  ASSERT_TRUE(transport.WaitUntilHeld());

  CallBlockPtr urgent = Block(2, {20});
  std::string error;
  ASSERT_TRUE(pool.SubmitSync(0, urgent.get(), error)) << error;
  EXPECT_EQ(urgent->SubCalls()[0].resultCode, kCallDone);
  EXPECT_EQ(urgent->done, nullptr);

  ASSERT_TRUE(collected.WaitForBlocks(1));
  EXPECT_EQ(transport.Calls(), (std::vector<int>{10, 11, 20, 10, 11}));
  const CallBlock& again = *collected.Block(0);
  EXPECT_EQ(again.retry, 0);
  EXPECT_EQ(again.requeueCount, 1);
  EXPECT_EQ(again.processed, 2);
  for (int i = 0; i < 2; ++i) {
    const SubCall& subCall = again.SubCalls()[i];
    EXPECT_EQ(subCall.resultCode, kCallDone) << i;
    EXPECT_STREQ(subCall.errorText, "") << i;
    EXPECT_EQ(testing::BorrowedList(subCall.results)->Count(), 1) << "results of the first run were dropped, not kept";
  }
}

TEST_F(WorkerPoolTest, PreemptedBlockOfPriorityZeroFailsWithItsText) {
  transport.HoldNext(30);
  SubmitAsync(Block(0, {30}));
  ASSERT_TRUE(transport.WaitUntilHeld());

  CallBlockPtr urgent = Block(2, {20});
  std::string error;
  ASSERT_TRUE(pool.SubmitSync(0, urgent.get(), error)) << error;

  ASSERT_TRUE(collected.WaitForBlocks(1));
  EXPECT_EQ(transport.Calls(), (std::vector<int>{30, 20}));
  const CallBlock& interrupted = *collected.Block(0);
  EXPECT_EQ(interrupted.retry, 1);
  EXPECT_EQ(interrupted.processed, 1);
  EXPECT_EQ(interrupted.SubCalls()[0].resultCode, kCallInterrupted);
  EXPECT_EQ(interrupted.SubCalls()[0].errorText, kPreemptedText);
}

TEST_F(WorkerPoolTest, InterruptedBlockIsQueuedAgainOnlyABoundedNumberOfTimes) {
  transport.Answer(50, kCallInterrupted, "忙");
  SubmitAsync(Block(1, {50}));

  ASSERT_TRUE(collected.WaitForBlocks(1));
  EXPECT_EQ(transport.Calls().size(), 1u + kMaxRequeues);
  const CallBlock& block = *collected.Block(0);
  EXPECT_EQ(block.requeueCount, kMaxRequeues);
  EXPECT_EQ(block.SubCalls()[0].resultCode, kCallInterrupted);
  EXPECT_STREQ(block.SubCalls()[0].errorText, "忙");
}

TEST_F(WorkerPoolTest, ResultCodesGetTheirTexts) {
  const struct {
    int function;
    int code;
    const char* given;
    const char* stored;
  } cases[] = {
      {61, kNoResultData, "", "没有输出结果数据。"}, {62, kAnswerRefused, "资金不足", "资金不足"},
      {63, kCallFailed, "网络错误", "网络错误"},     {64, kCallException, "异常", "异常"},
      {65, -17, "whatever", "没有定义的错误类型。"},
  };
  for (const auto& c : cases) transport.Answer(c.function, c.code, c.given);
  CallBlockPtr block = Block(0, {61, 62, 63, 64, 65});
  std::string error;
  ASSERT_TRUE(pool.SubmitSync(0, block.get(), error)) << error;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(block->SubCalls()[i].resultCode, cases[i].code);
    EXPECT_STREQ(block->SubCalls()[i].errorText, cases[i].stored);
    EXPECT_EQ(block->SubCalls()[i].results, nullptr);
  }
  EXPECT_EQ(block->retry, 0);
}

TEST_F(WorkerPoolTest, CallbackAnsweringFalseSkipsTheRemainingSubCalls) {
  CallBlockPtr block = Block(0, {71, 72, 73});
  block->callback = [](int, SubCall*) { return 0; };
  std::string error;
  ASSERT_TRUE(pool.SubmitSync(0, block.get(), error)) << error;
  EXPECT_EQ(block->processed, 1);
  EXPECT_EQ(transport.Calls(), (std::vector<int>{71}));
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(block->SubCalls()[i].resultCode, 0);
    EXPECT_EQ(block->SubCalls()[i].results, nullptr);
  }

  CallBlockPtr next = Block(0, {74});
  ASSERT_TRUE(pool.SubmitSync(0, next.get(), error)) << error;
  EXPECT_EQ(Answer(next->SubCalls()[0]), "answer 74");
}

TEST_F(WorkerPoolTest, AsynchronousBlockReachesTheHookOnceAfterItsLastSubCall) {
  SubmitAsync(Block(0, {81, 82, 83}));
  ASSERT_TRUE(collected.WaitForBlocks(1));
  // A synchronous call behind it proves the worker is done with it.
  CallBlockPtr marker = Block(0, {84});
  std::string error;
  ASSERT_TRUE(pool.SubmitSync(0, marker.get(), error)) << error;
  EXPECT_EQ(collected.BlockCount(), 1u);
  EXPECT_EQ(collected.Block(0)->processed, 3);
  EXPECT_EQ(Answer(collected.Block(0)->SubCalls()[2]), "answer 83");

  const std::vector<std::string> traces = collected.Traces();
  ASSERT_FALSE(traces.empty());
  EXPECT_EQ(traces[0], "3 插入通讯队列：连接号 = 0, 请求编号 = 1, 功能号 = 81。");
}

TEST_F(WorkerPoolTest, StoppingReleasesEverySynchronousCallerWithAnError) {
  // One caller's block is being run by a middleware slow to notice the
  // pre-emption; a second caller's block waits in the queue behind it.
  transport.HoldNext(40, /*lingerWhenPreempted=*/true);
  CallBlockPtr running = Block(1, {40});
  CallBlockPtr queued = Block(2, {41});
  bool runningDone = false;
  bool queuedDone = false;
  std::thread first([&] {
    std::string error;
    runningDone = pool.SubmitSync(0, running.get(), error);
  });
  ASSERT_TRUE(transport.WaitUntilHeld());
  platform::Event queuedReturned(platform::ResetMode::kManual);
  std::thread second([&] {
    std::string error;
    queuedDone = pool.SubmitSync(0, queued.get(), error);
    queuedReturned.Set();
  });
  ASSERT_TRUE(transport.WaitUntilPreempted());  // so the second block is queued

  std::thread stopper([&] { pool.Stop(0); });
  // The queued caller returns while the worker is still inside its call.
  EXPECT_TRUE(queuedReturned.Wait(kBoundedWait));
  transport.Release();
  stopper.join();
  first.join();
  second.join();

  EXPECT_TRUE(queuedDone);
  EXPECT_EQ(queued->SubCalls()[0].resultCode, kCallFailed);
  EXPECT_EQ(queued->SubCalls()[0].errorText, kConnectionClosedText);
  EXPECT_TRUE(runningDone);
  EXPECT_EQ(running->SubCalls()[0].resultCode, kCallInterrupted) << "not queued again on a stopping slot";
  EXPECT_EQ(transport.Calls(), (std::vector<int>{40}));
  EXPECT_FALSE(pool.IsStarted(0));
  const std::vector<std::string> traces = collected.Traces();
  EXPECT_EQ(traces.back(), "3 #0连接，退出线程。");
}

TEST_F(WorkerPoolTest, StoppingHandsQueuedAsynchronousBlocksToTheHook) {
  transport.HoldNext(90);
  SubmitAsync(Block(0, {90}));
  ASSERT_TRUE(transport.WaitUntilHeld());
  SubmitAsync(Block(0, {91, 92}));
  ASSERT_TRUE(pool.Stop(0));

  // The worker and the stopping thread finish their blocks in either order.
  ASSERT_EQ(collected.BlockCount(), 2u);
  const bool queuedFirst = collected.Block(0)->subCallCount == 2;
  const CallBlock& queued = *collected.Block(queuedFirst ? 0 : 1);
  const CallBlock& running = *collected.Block(queuedFirst ? 1 : 0);
  EXPECT_EQ(queued.processed, 0);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(queued.SubCalls()[i].resultCode, kCallFailed);
    EXPECT_EQ(queued.SubCalls()[i].errorText, kConnectionClosedText);
  }
  EXPECT_EQ(running.SubCalls()[0].resultCode, kCallInterrupted);
  EXPECT_EQ(transport.Calls(), (std::vector<int>{90}));
}

TEST_F(WorkerPoolTest, StartAndStopFollowTheSlotsState) {
  EXPECT_EQ(pool.FreeSlotCount(), 1);
  EXPECT_FALSE(pool.Start(0)) << "already started";
  EXPECT_FALSE(pool.Start(2));
  EXPECT_FALSE(pool.Stop(1)) << "never started";
  EXPECT_FALSE(pool.Stop(-1));
  ASSERT_TRUE(pool.Stop(0));
  EXPECT_EQ(pool.FreeSlotCount(), 2);

  CallBlockPtr block = Block(0, {1});
  std::string error;
  EXPECT_FALSE(pool.SubmitSync(0, block.get(), error));
  EXPECT_EQ(error, "同步通讯调用时，连接号：0，还没有建立间接！");

  ASSERT_TRUE(pool.Start(0));  // a stopped slot can be started again
  ASSERT_TRUE(pool.SubmitSync(0, block.get(), error)) << error;
  EXPECT_EQ(block->SubCalls()[0].resultCode, kCallDone);
}

TEST_F(WorkerPoolTest, UnfitSubmissionsAreRefusedAtOnce) {
  CallBlockPtr good = Block(0, {1});
  CallBlockPtr noSubCalls = Block(0, {1});
  noSubCalls->subCallCount = 0;
  CallBlockPtr wrongSize = Block(0, {1});
  wrongSize->size += 1;
  const struct {
    int slot;
    CallBlock* block;
    const char* reason;
  } cases[] = {
      {-1, good.get(), "连接号：-1，非法！"},
      {2, good.get(), "连接号：2，非法！"},
      {1, good.get(), "连接号：1，还没有建立间接！"},
      {0, nullptr, "请求包为空！"},
      {0, noSubCalls.get(), "请求包的子调用数（0）非法！"},
      {0, wrongSize.get(), "请求包的大小（1833）与子调用数（1）不符！"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(pool.SubmitSync(c.slot, c.block, error));
    EXPECT_EQ(error, std::string("同步通讯调用时，") + c.reason);
    EXPECT_FALSE(pool.SubmitAsync(c.slot, c.block, error));
    EXPECT_EQ(error, std::string("异步通讯调用时，") + c.reason);
  }
  noSubCalls->subCallCount = 1;  // so that the block is freed whole
  EXPECT_TRUE(transport.Calls().empty());
}

TEST_F(WorkerPoolTest, QueueThatCannotGrowRefusesTheCaller) {
  CallBlockPtr block = Block(0, {1});
  std::string error;
  {
    testing::FailingAllocations failing;
    EXPECT_FALSE(pool.SubmitSync(0, block.get(), error));
  }
  EXPECT_EQ(error, "同步通讯调用时，请求包加入通讯队列失败！");
  EXPECT_EQ(block->done, nullptr);
}

}  // namespace
}  // namespace connpool
