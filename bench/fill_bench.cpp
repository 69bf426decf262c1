// One fill at a time through the path of a real push (the receive callback,
// the result queue, the GUI thread's pump, the engine: the order's state, the
// trade, the positions, the margins, fees and funds, the change records),
// for accounts of growing size: the time per fill should not grow with them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <string>
#include <vector>

#include "figures.h"
#include "push_pipeline.h"

namespace {

using push_bench::Clock;
using push_bench::Pipeline;

// The sizes the per-fill target holds at: a fill must not grow with the account.
constexpr int kTargetSizes[] = {10000, 100000};
constexpr double kTargetMicroseconds = 3.0;

// Every run books the same number of fills, so that the trades they add
// weigh alike at every size; fewer for the largest account, whose fills are
// slow, and a few for the quick check.
benchmark::IterationCount FillsFor(int size) {
  if (bench::Quick()) return 20;
  return size >= 100000 ? 200 : 2000;
}

void TimePerFill(benchmark::State& state, const push_bench::AccountLoad& load, int size) {
  Pipeline pipeline(load);
  push_bench::PushLines lines;
  std::size_t fills = 0;
  const std::size_t changesBefore = pipeline.Counter().TableChanges();
  Clock::duration spent{};
  for (auto _ : state) {
    const std::vector<std::string> fill = lines.NextFill(false);
    const Clock::time_point start = Clock::now();
    Pipeline::Receive(fill);
    pipeline.PumpTick();
    spent += Clock::now() - start;
    ++fills;
  }
  // Each fill changes at least its trade, its order and the funds.
  if (pipeline.Counter().OutputLines() != fills || pipeline.Counter().TableChanges() - changesBefore < 3 * fills ||
      pipeline.FailedSends() != 0) {
    state.SkipWithError("a fill did not reach the output pane and the views, or made the engine ask the back end");
    return;
  }
  const double microseconds = std::chrono::duration<double, std::micro>(spent).count() / static_cast<double>(fills);
  const bool targeted = std::ranges::find(kTargetSizes, size) != std::end(kTargetSizes);
  bench::ReportFigure(state, microseconds, "us/fill", targeted ? kTargetMicroseconds : 0, bench::Better::kLower);
}

// Open position details and the day's finished orders, as many of each.
push_bench::AccountLoad WithPositionsAndOrders(int size) {
  return {.positionDetails = size, .finishedOrders = size, .restingOrders = 0};
}

// Working orders, nothing filled yet, beside a small account.
push_bench::AccountLoad WithRestingOrders(int size) {
  return {.positionDetails = 100, .finishedOrders = 100, .restingOrders = size};
}

// One benchmark per size, so that each books its own number of fills.
void RegisterSizes(const std::string& name, push_bench::AccountLoad (*load)(int), const std::vector<int>& sizes) {
  for (int size : sizes) {
    benchmark::RegisterBenchmark((name + "/" + std::to_string(size)).c_str(),
                                 [load, size](benchmark::State& state) { TimePerFill(state, load(size), size); })
        ->Iterations(FillsFor(size))
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond);
  }
}

[[maybe_unused]] const bool kRegistered = [] {
  if (bench::Quick()) {
    RegisterSizes("FillWithPositionsAndOrders", WithPositionsAndOrders, {100});
    RegisterSizes("FillWithRestingOrders", WithRestingOrders, {100});
  } else {
    RegisterSizes("FillWithPositionsAndOrders", WithPositionsAndOrders, {100, 1000, 10000, 100000});
    RegisterSizes("FillWithRestingOrders", WithRestingOrders, {100, 1000, 10000});
  }
  return true;
}();

}  // namespace
