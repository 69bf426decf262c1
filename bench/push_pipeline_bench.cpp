// Pushed lines through the terminal's whole in-process path (the receive
// callback with the program log open, the result queue, the GUI thread's
// pump, the engine, the quote table) into the one listener that counts
// them, for a loaded account: the lines it takes per second, and how late
// they arrive at the pace of a busy market drained by the 10 ms timer and
// the wake of arriving lines.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "backend/program_log.h"
#include "backend/quote_record.h"
#include "backend/request_queue.h"
#include "client/push_dispatch.h"
#include "client/quote_push.h"
#include "figures.h"
#include "platform/testing/temporary_folder.h"
#include "push_pipeline.h"

namespace {

using push_bench::Clock;
using push_bench::Pipeline;
using push_bench::PushLines;

// A loaded account: the day's orders and yesterday's positions (fewer for
// the quick check).
push_bench::AccountLoad LoadedAccount() {
  const int rows = bench::Quick() ? 1000 : 10000;
  return {.positionDetails = rows, .finishedOrders = rows, .restingOrders = rows / 10};
}
// Of every 100 lines of the mix, 96 quotes and two fills, each after the
// order-state push that the back end sends before it.
constexpr std::size_t kMixSize = 100;
constexpr std::size_t kFillsPerMix = 2;
constexpr std::size_t kNoFills = 0;
// The portal hands the callback what one socket read brought.
constexpr std::size_t kLinesPerBlock = 50;
constexpr auto kPumpTick = std::chrono::milliseconds(10);

// The next `count` lines, `fillsPerMix` fills in every 100 lines spread
// among the quotes.
std::vector<std::string> MixedLines(PushLines& lines, std::size_t count, std::size_t fillsPerMix = kFillsPerMix) {
  std::vector<std::string> mixed;
  mixed.reserve(count);
  const std::size_t fillEvery = fillsPerMix == 0 ? count + 2 : kMixSize / fillsPerMix;
  while (mixed.size() < count) {
    if (mixed.size() % fillEvery == fillEvery - 2 && count - mixed.size() >= 2) {
      for (std::string& line : lines.NextFill(true)) mixed.push_back(std::move(line));
    } else {
      mixed.push_back(lines.NextQuote());
    }
  }
  return mixed;
}

// The program log open, as the running terminal has it, in a folder of its
// own for the run.
class OpenProgramLog {
 public:
  OpenProgramLog() {
    if (backend::OpenProgramLog()) return;
    std::fprintf(stderr, "push_pipeline_bench: the program log did not open\n");
    std::exit(1);
  }
  ~OpenProgramLog() { backend::CloseProgramLog(); }
  OpenProgramLog(const OpenProgramLog&) = delete;
  OpenProgramLog& operator=(const OpenProgramLog&) = delete;

 private:
  platform_testing::ScopedProgramFolder folder_{"push-pipeline-bench"};
};

// Hands the lines to the receive callback block by block.
void ReceiveInBlocks(const std::vector<std::string>& lines, std::size_t first, std::size_t count) {
  for (std::size_t start = first; start < first + count; start += kLinesPerBlock) {
    const auto begin = lines.begin() + static_cast<std::ptrdiff_t>(start);
    const auto end = lines.begin() + static_cast<std::ptrdiff_t>(std::min(start + kLinesPerBlock, first + count));
    Pipeline::Receive({begin, end});
  }
}

bool EveryLineArrived(benchmark::State& state, const Pipeline& pipeline, std::size_t sent) {
  if (pipeline.Counter().Lines() == sent && pipeline.FailedSends() == 0) return true;
  const std::string error = "of " + std::to_string(sent) + " lines " + std::to_string(pipeline.Counter().Lines()) +
                            " reached the listener (" + std::to_string(pipeline.Counter().Quotes()) +
                            " quotes), and the engine asked the back end " + std::to_string(pipeline.FailedSends()) +
                            " times";
  state.SkipWithError(error.c_str());
  return false;
}

// Lines received and drained as fast as the path takes them, the receive
// callback and the pump on one thread: the path's cost per line.
void LinesPerSecond(benchmark::State& state, std::size_t fillsPerMix, double target) {
  const OpenProgramLog log;
  Pipeline pipeline(LoadedAccount());
  PushLines lines;
  const std::size_t batch = 1000;
  std::size_t sent = 0;
  Clock::duration spent{};
  for (auto _ : state) {
    const std::vector<std::string> mixed = MixedLines(lines, batch, fillsPerMix);
    const Clock::time_point start = Clock::now();
    ReceiveInBlocks(mixed, 0, mixed.size());
    pipeline.PumpTick();
    spent += Clock::now() - start;
    sent += mixed.size();
  }
  if (!EveryLineArrived(state, pipeline, sent)) return;
  state.SetItemsProcessed(static_cast<std::int64_t>(sent));
  bench::ReportFigure(state, static_cast<double>(sent) / std::chrono::duration<double>(spent).count(), "lines/s",
                      target, bench::Better::kHigher);
}

// The mix the terminal sees, and quotes alone (a market's burst), each line
// logged as the running terminal logs it.
void MixedLinesPerSecond(benchmark::State& state) { LinesPerSecond(state, kFillsPerMix, 1000000); }
void QuoteLinesPerSecond(benchmark::State& state) { LinesPerSecond(state, kNoFills, 1000000); }

// The quote parser alone, the push path's share spent reading a line's
// numbers: a figure without a target of its own.
void QuoteLineParse(benchmark::State& state) {
  PushLines lines;
  const std::vector<std::string> quotes = MixedLines(lines, 1000, kNoFills);
  backend::QuoteRecord quote;
  std::size_t parsed = 0;
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    client::ParseQuotePush(quotes[parsed++ % quotes.size()], quote);
    benchmark::DoNotOptimize(quote);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  state.SetItemsProcessed(static_cast<std::int64_t>(parsed));
  bench::ReportFigure(state, seconds * 1e6 / static_cast<double>(parsed), "us/line", 0, bench::Better::kLower);
}

// The wake that the result queue's arrival hook gives the GUI thread, as
// the main frame's queued call does.
class ArrivalWake {
 public:
  ArrivalWake() {
    backend::TheResultQueue().SetArrivalHook([this] {
      {
        const std::lock_guard lock(mutex_);
        woken_ = true;
      }
      changed_.notify_one();
    });
  }
  ~ArrivalWake() { backend::TheResultQueue().SetArrivalHook({}); }
  ArrivalWake(const ArrivalWake&) = delete;
  ArrivalWake& operator=(const ArrivalWake&) = delete;

  // True, taking the wake, when it came before `deadline`.
  bool WaitUntil(Clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, deadline, [this] { return woken_; });
    return std::exchange(woken_, false);
  }

 private:
  mutable std::mutex mutex_;  // guards woken_
  mutable std::condition_variable changed_;
  mutable bool woken_ = false;
};

// 40,000 lines a second received on the portal's thread, in a block each
// millisecond, while the GUI thread drains the queue every 10 ms and when
// lines arrive: the 99th percentile of the time from a line's receipt to
// its listener.
void PacedLinesLatency(benchmark::State& state) {
  constexpr std::size_t kLinesPerSecond = 40000;
  constexpr auto kBlockPeriod = std::chrono::milliseconds(1);
  constexpr std::size_t kLinesPerBlockPeriod = kLinesPerSecond / 1000;
  const auto duration = bench::Quick() ? std::chrono::milliseconds(200) : std::chrono::milliseconds(3000);
  const std::size_t blocks = static_cast<std::size_t>(duration / kBlockPeriod);

  const OpenProgramLog log;
  Pipeline pipeline(LoadedAccount());
  const ArrivalWake wake;
  PushLines lines;
  std::vector<double> latencies;
  for (auto _ : state) {
    const std::vector<std::string> mixed = MixedLines(lines, blocks * kLinesPerBlockPeriod);
    std::vector<Clock::time_point> received(blocks);
    pipeline.Counter().NoteArrivals(mixed.size());
    const std::size_t before = pipeline.Counter().Lines();
    std::atomic<bool> done{false};
    const Clock::time_point start = Clock::now();
    std::thread portal([&] {
      for (std::size_t block = 0; block < blocks; ++block) {
        std::this_thread::sleep_until(start + block * kBlockPeriod);
        received[block] = Clock::now();
        ReceiveInBlocks(mixed, block * kLinesPerBlockPeriod, kLinesPerBlockPeriod);
      }
      done = true;
    });
    // The GUI thread as the main frame runs it: a drain at each tick of the
    // timer, and one when lines arrive at the emptied queue, once the
    // spacing of woken drains allows.
    Clock::time_point tick = start + kPumpTick;
    Clock::time_point lastDrain = start;
    for (;;) {
      if (wake.WaitUntil(tick)) {
        std::this_thread::sleep_until(lastDrain + client::kWokenDrainSpacing);
      } else {
        tick += kPumpTick;
      }
      const bool last = done.load();
      pipeline.PumpTick();
      lastDrain = Clock::now();
      if (last) break;
    }
    portal.join();
    if (!EveryLineArrived(state, pipeline, before + mixed.size())) return;
    const std::vector<Clock::time_point>& arrivals = pipeline.Counter().Arrivals();
    for (std::size_t line = 0; line < arrivals.size(); ++line) {
      latencies.push_back(
          std::chrono::duration<double, std::milli>(arrivals[line] - received[line / kLinesPerBlockPeriod]).count());
    }
  }
  std::sort(latencies.begin(), latencies.end());
  const double p99 = latencies.empty() ? 0 : latencies[latencies.size() * 99 / 100];
  const auto within = std::count_if(latencies.begin(), latencies.end(), [](double ms) { return ms <= 10.0; });
  state.counters["within_10ms_percent"] =
      latencies.empty() ? 0 : 100.0 * static_cast<double>(within) / static_cast<double>(latencies.size());
  bench::ReportFigure(state, p99, "ms (p99)", 10, bench::Better::kLower);
}

BENCHMARK(MixedLinesPerSecond)->UseRealTime();
BENCHMARK(QuoteLinesPerSecond)->UseRealTime();
BENCHMARK(QuoteLineParse);
BENCHMARK(PacedLinesLatency)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
