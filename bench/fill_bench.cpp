// One fill at a time through the path of a real push (the receive callback,
// the result queue, the GUI thread's pump, the engine: the order's state, the
// trade, the positions, the margins, fees and funds, the change records),
// for accounts of growing size: the time per fill should not grow with them,
// and no single fill should pause the GUI thread.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <string>
#include <vector>

#include "figures.h"
#include "push_pipeline.h"
#include "thread_clock.h"

namespace {

using push_bench::Clock;
using push_bench::Pipeline;

// The sizes the per-fill target holds at: a fill must not grow with the account.
constexpr int kTargetSizes[] = {10000, 100000};
constexpr double kTargetMicroseconds = 3.0;
// Nor does a single fill hold up the GUI thread longer than this, the first
// close of a position of many details included.
constexpr double kPauseTargetMilliseconds = 1.0;

// Every run books the same number of fills, so that the trades they add
// weigh alike at every size; fewer for the largest account, whose fills are
// slow, and a few for the quick check.
benchmark::IterationCount FillsFor(int size) {
  if (bench::Quick()) return 20;
  return size >= 100000 ? 200 : 2000;
}

// One fill after another on one clock: the time they took, and the longest.
template <typename FillClock>
struct FillTimes {
  typename FillClock::duration spent{};
  typename FillClock::duration longest{};
  std::size_t fills = 0;
};

// Books the run's fills into an account of `load`; false, with the run
// marked failed, when one went astray.
template <typename FillClock>
bool BookFills(benchmark::State& state, const push_bench::AccountLoad& load, FillTimes<FillClock>& times) {
  Pipeline pipeline(load);
  push_bench::PushLines lines;
  const std::size_t changesBefore = pipeline.Counter().TableChanges();
  for (auto _ : state) {
    const std::vector<std::string> fill = lines.NextFill(false);
    const typename FillClock::time_point start = FillClock::now();
    Pipeline::Receive(fill);
    pipeline.PumpTick();
    const typename FillClock::duration took = FillClock::now() - start;
    times.spent += took;
    times.longest = std::max(times.longest, took);
    ++times.fills;
  }
  // Each fill changes at least its trade, its order and the funds.
  if (pipeline.Counter().OutputLines() != times.fills ||
      pipeline.Counter().TableChanges() - changesBefore < 3 * times.fills || pipeline.FailedSends() != 0) {
    state.SkipWithError("a fill did not reach the output pane and the views, or made the engine ask the back end");
    return false;
  }
  return true;
}

bool Targeted(int size) { return std::ranges::find(kTargetSizes, size) != std::end(kTargetSizes); }

void TimePerFill(benchmark::State& state, const push_bench::AccountLoad& load, int size) {
  FillTimes<Clock> times;
  if (!BookFills(state, load, times)) return;
  const double microseconds =
      std::chrono::duration<double, std::micro>(times.spent).count() / static_cast<double>(times.fills);
  bench::ReportFigure(state, microseconds, "us/fill", Targeted(size) ? kTargetMicroseconds : 0, bench::Better::kLower);
}

// On the thread's own clock: a pause of the fill's own work, not of other
// programs holding the core. Reading it is a system call, which would weigh
// on the fills timed around it, so the mean is taken on the other clock.
void LongestFill(benchmark::State& state, const push_bench::AccountLoad& load, int size) {
  FillTimes<bench::ThreadClock> times;
  if (!BookFills(state, load, times)) return;
  const double milliseconds = std::chrono::duration<double, std::milli>(times.longest).count();
  bench::ReportFigure(state, milliseconds, "ms", Targeted(size) ? kPauseTargetMilliseconds : 0, bench::Better::kLower);
}

// Open position details and the day's finished orders, as many of each.
push_bench::AccountLoad WithPositionsAndOrders(int size) {
  return {.positionDetails = size, .finishedOrders = size, .restingOrders = 0};
}

// Working orders, nothing filled yet, beside a small account.
push_bench::AccountLoad WithRestingOrders(int size) {
  return {.positionDetails = 100, .finishedOrders = 100, .restingOrders = size};
}

using Figure = void (*)(benchmark::State&, const push_bench::AccountLoad&, int);

// One benchmark per size, so that each books its own number of fills.
void RegisterSizes(const std::string& name, Figure figure, push_bench::AccountLoad (*load)(int),
                   const std::vector<int>& sizes) {
  for (int size : sizes) {
    benchmark::RegisterBenchmark((name + "/" + std::to_string(size)).c_str(),
                                 [figure, load, size](benchmark::State& state) { figure(state, load(size), size); })
        ->Iterations(FillsFor(size))
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond);
  }
}

[[maybe_unused]] const bool kRegistered = [] {
  if (bench::Quick()) {
    RegisterSizes("FillWithPositionsAndOrders", TimePerFill, WithPositionsAndOrders, {100});
    RegisterSizes("FillWithRestingOrders", TimePerFill, WithRestingOrders, {100});
    RegisterSizes("LongestFill", LongestFill, WithPositionsAndOrders, {100});
  } else {
    RegisterSizes("FillWithPositionsAndOrders", TimePerFill, WithPositionsAndOrders, {100, 1000, 10000, 100000});
    RegisterSizes("FillWithRestingOrders", TimePerFill, WithRestingOrders, {100, 1000, 10000});
    RegisterSizes("LongestFill", LongestFill, WithPositionsAndOrders, {10000, 100000});
  }
  return true;
}();

}  // namespace
