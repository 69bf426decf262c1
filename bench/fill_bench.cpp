// One fill at a time through the path of a real push (the receive callback,
// the result queue, the GUI thread's pump, the engine: the order's state, the
// trade, the positions, the margins, fees and funds, the change records),
// for accounts of growing size: the time per fill should not grow with them.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "figures.h"
#include "push_pipeline.h"

namespace {

using push_bench::Clock;
using push_bench::Pipeline;

// The size the per-fill target holds at.
constexpr int kTargetSize = 10000;
constexpr double kTargetMicroseconds = 3.0;

void TimePerFill(benchmark::State& state, const push_bench::AccountLoad& load, int size) {
  Pipeline pipeline(load);
  push_bench::PushLines lines;
  std::size_t fills = 0;
  Clock::duration spent{};
  for (auto _ : state) {
    const std::vector<std::string> fill = lines.NextFill(false);
    const Clock::time_point start = Clock::now();
    Pipeline::Receive(fill);
    pipeline.PumpTick();
    spent += Clock::now() - start;
    ++fills;
  }
  if (pipeline.Counter().OutputLines() != fills || pipeline.FailedSends() != 0) {
    state.SkipWithError("a fill did not reach the output pane once, or made the engine ask the back end");
    return;
  }
  const double microseconds = std::chrono::duration<double, std::micro>(spent).count() / static_cast<double>(fills);
  bench::ReportFigure(state, microseconds, "us/fill", size == kTargetSize ? kTargetMicroseconds : 0,
                      bench::Better::kLower);
}

// Open position details and the day's finished orders, as many of each.
void FillWithPositionsAndOrders(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  TimePerFill(state, {.positionDetails = size, .finishedOrders = size, .restingOrders = 0}, size);
}

// Working orders, nothing filled yet, beside a small account.
void FillWithRestingOrders(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  TimePerFill(state, {.positionDetails = 100, .finishedOrders = 100, .restingOrders = size}, size);
}

[[maybe_unused]] const bool kRegistered = [] {
  const std::vector<int> accountSizes =
      bench::Quick() ? std::vector<int>{100} : std::vector<int>{100, 1000, 10000, 100000};
  const std::vector<int> restingSizes = bench::Quick() ? std::vector<int>{100} : std::vector<int>{100, 1000, 10000};
  auto* withPositions = benchmark::RegisterBenchmark("FillWithPositionsAndOrders", FillWithPositionsAndOrders);
  for (int size : accountSizes) withPositions->Arg(size);
  auto* withResting = benchmark::RegisterBenchmark("FillWithRestingOrders", FillWithRestingOrders);
  for (int size : restingSizes) withResting->Arg(size);
  for (auto* registered : {withPositions, withResting}) {
    registered->UseRealTime()->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

}  // namespace
