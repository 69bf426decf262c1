#include "platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/thread.h"

using namespace std::chrono_literals;
using platform::Event;
using platform::ResetMode;
using platform::WaitForAny;

TEST(Event, AutoResetIsTakenByOneWaitManualStays) {
  Event autoEvent(ResetMode::kAuto, true);
  EXPECT_TRUE(autoEvent.Wait(0ms));
  EXPECT_FALSE(autoEvent.Wait(0ms));

  Event manual(ResetMode::kManual, true);
  EXPECT_TRUE(manual.Wait(0ms));
  EXPECT_TRUE(manual.Wait(0ms));
  manual.Reset();
  EXPECT_FALSE(manual.Wait(10ms));
}

TEST(Event, WaitForAnyPrefersTheFirstSetEventAndTakesOnlyIt) {
  Event stop(ResetMode::kManual);
  Event work(ResetMode::kAuto);
  work.Set();
  stop.Set();
  EXPECT_EQ(WaitForAny({&stop, &work}, 0ms), 0);
  EXPECT_TRUE(work.IsSet()) << "the work signal must stay for the next wait";
  stop.Reset();
  EXPECT_EQ(WaitForAny({&stop, &work}, 0ms), 1);
  EXPECT_FALSE(work.IsSet());
  EXPECT_EQ(WaitForAny({&stop, &work}, 20ms), platform::kWaitTimedOut);
}

TEST(Event, WaitForAnyWakesWhenAnotherThreadSets) {
  Event a(ResetMode::kAuto), b(ResetMode::kAuto);
  std::thread setter([&] {
    std::this_thread::sleep_for(20ms);
    b.Set();
  });
  EXPECT_EQ(WaitForAny({&a, &b}, platform::kWaitForever), 1);
  setter.join();
}

TEST(Event, ManyProducersNeverLoseAWakeUp) {
  Event work(ResetMode::kAuto);
  std::atomic<int> pending{0};
  constexpr int kItems = 2000;
  std::thread producer([&] {
    for (int i = 0; i < kItems; ++i) {
      pending.fetch_add(1);
      work.Set();
    }
  });
  int taken = 0;
  while (taken < kItems) {
    ASSERT_NE(WaitForAny({&work}, 5s), platform::kWaitTimedOut);
    taken += pending.exchange(0);
  }
  producer.join();
  EXPECT_EQ(taken, kItems);
}

TEST(WorkerThread, StopSetsTheEventAndJoins) {
  platform::WorkerThread worker;
  std::atomic<bool> finished{false};
  ASSERT_TRUE(worker.Start([&](Event& stop) {
    stop.Wait();
    finished = true;
  }));
  EXPECT_FALSE(worker.Start([](Event&) {}));
  worker.Stop();
  EXPECT_TRUE(finished);
  EXPECT_FALSE(worker.IsRunning());
  worker.Stop();
  // A stopped worker can be started again with a fresh stop event.
  ASSERT_TRUE(worker.Start([&](Event& stop) { finished = !stop.IsSet(); }));
  worker.Stop();
}
