// Quotes of 40 subscribed contracts through the terminal's path (the
// receive callback, the result queue, the GUI thread's pump, the engine,
// the quote table and its listeners) into the rows of the market tab that
// shows them all: the quote lines a second the market view absorbs while
// the GUI thread stays half idle, with the view's grid shown on the
// offscreen platform and repainted once per 10 ms pump tick, and without
// the grid (the rows' store alone).
//
// Only the GUI thread's own time counts: the receive callback runs on the
// portal library's thread in the terminal and is left out. The figure is
// the rate at which the GUI thread would be busy half the time: ticks cost
// a repaint each, lines their share of the pump.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "figures.h"
#include "gui_thread.h"
#include "marketviews/model/market_tabs.h"
#include "marketviews/views/market_grid.h"
#include "platform/testing/temporary_folder.h"
#include "push_pipeline.h"

namespace {

using Clock = bench::ThreadClock;

constexpr std::size_t kSubscribedContracts = 40;
constexpr double kTicksPerSecond = 100;  // the 10 ms pump
constexpr double kBusyShare = 0.5;
constexpr double kTargetLinesPerSecond = 100000;
// A tick at the target's pace.
constexpr std::size_t kLinesPerTick = 1000;
// The portal hands the callback what one socket read brought.
constexpr std::size_t kLinesPerBlock = 50;

// The market tab of one group holding the 40 contracts, shown in front:
// every quote lands in one of its rows.
class MarketTab {
 public:
  explicit MarketTab(push_bench::Pipeline& pipeline)
      : tabs_(pipeline.Quotes(), quotes::kFutureKind, [] {
          marketviews::ContractCatalogue catalogue;
          for (const quotes::ContractKey& key : push_bench::WatchedContracts(kSubscribedContracts)) {
            catalogue.Add(std::string(key.Code()), "合约" + std::string(key.Code()), 1);
          }
          return catalogue;
        }) {
    quotes::GroupTables tables;
    tables.exchanges.push_back({"交易所", true, false});
    for (const quotes::ContractKey& key : push_bench::WatchedContracts(kSubscribedContracts)) {
      tables.contracts.push_back({"交易所", key, false});
    }
    // Not watched: the pipeline's quote table holds all 40 contracts as the
    // quote window and the option board would.
    pipeline.Quotes().Load(folder_.Path(), tables);
    tabs_.Refresh();
    tabs_.OnTabActivated(0);
  }

  ui::GridModel& Rows() { return tabs_.Tab(0).Rows(); }
  int QuotedRows() {
    int quoted = 0;
    for (int row = 0; row < Rows().ShownRowCount(); ++row) quoted += Rows().ShownText(row, 1).empty() ? 0 : 1;
    return quoted;
  }

 private:
  platform_testing::TemporaryFolder folder_{"market_bench"};
  marketviews::MarketTabs tabs_;
};

// The next tick's lines, received block by block as the portal hands them.
void ReceiveTick(push_bench::PushLines& lines) {
  std::vector<std::string> block;
  for (std::size_t line = 0; line < kLinesPerTick; ++line) {
    block.push_back(lines.NextQuote());
    if (block.size() == kLinesPerBlock) {
      push_bench::Pipeline::Receive(block);
      block.clear();
    }
  }
  if (!block.empty()) push_bench::Pipeline::Receive(block);
}

bool AllArrived(benchmark::State& state, std::size_t sent, std::size_t arrived, MarketTab& tab) {
  if (arrived == sent && tab.QuotedRows() == static_cast<int>(kSubscribedContracts)) return true;
  state.SkipWithError(("of " + std::to_string(sent) + " quotes " + std::to_string(arrived) + " arrived, " +
                       std::to_string(tab.QuotedRows()) + " rows quoted")
                          .c_str());
  return false;
}

// The rate at which the GUI thread is busy half the time, from its time per
// line and per tick.
double RateAtHalfBusy(double secondsPerLine, double secondsPerTick) {
  return (kBusyShare - kTicksPerSecond * secondsPerTick) / secondsPerLine;
}

// Ticks of 1,000 lines each; with `shown`, the tab's grid is shown and
// repaints what changed after each tick.
void QuotesIntoTheMarketView(benchmark::State& state, bool shown) {
  std::unique_ptr<QApplication> application = shown ? bench::MakeOffscreenApplication() : nullptr;
  push_bench::Pipeline pipeline({}, kSubscribedContracts);
  push_bench::PushLines lines(kSubscribedContracts);
  MarketTab tab(pipeline);
  std::unique_ptr<marketviews::CTQMarketGridCtrl> grid;
  if (shown) {
    grid = std::make_unique<marketviews::CTQMarketGridCtrl>(tab.Rows());
    grid->resize(1400, 1000);  // every row in sight
    grid->show();
    QApplication::processEvents();
  }
  const auto settle = [&] {
    if (!shown) return;
    QApplication::processEvents();
    QApplication::sendPostedEvents();
  };

  const std::size_t before = pipeline.Counter().Quotes();
  Clock::duration pumping{};
  Clock::duration painting{};
  std::size_t ticks = 0;
  for (auto _ : state) {
    ReceiveTick(lines);
    const Clock::time_point start = Clock::now();
    pipeline.PumpTick();
    const Clock::time_point pumped = Clock::now();
    settle();
    pumping += pumped - start;
    painting += Clock::now() - pumped;
    ++ticks;
  }
  const std::size_t sent = ticks * kLinesPerTick;
  if (!AllArrived(state, sent, pipeline.Counter().Quotes() - before, tab)) return;
  const double secondsPerLine = std::chrono::duration<double>(pumping).count() / static_cast<double>(sent);
  const double secondsPerTick = std::chrono::duration<double>(painting).count() / static_cast<double>(ticks);
  state.SetItemsProcessed(static_cast<std::int64_t>(sent));
  state.counters["us_per_line"] = secondsPerLine * 1e6;
  state.counters["paint_ms_per_tick"] = secondsPerTick * 1e3;
  state.counters["busy_percent_at_target"] =
      100 * (kTargetLinesPerSecond * secondsPerLine + kTicksPerSecond * secondsPerTick);
  bench::ReportFigure(state, RateAtHalfBusy(secondsPerLine, secondsPerTick), "lines/s at 50% busy",
                      kTargetLinesPerSecond, bench::Better::kHigher);
}

void ShownMarketView(benchmark::State& state) { QuotesIntoTheMarketView(state, true); }
// The rows' store alone, to tell the toolkit's share.
void MarketRowsOnly(benchmark::State& state) { QuotesIntoTheMarketView(state, false); }

BENCHMARK(ShownMarketView)->UseRealTime();
BENCHMARK(MarketRowsOnly)->UseRealTime();

}  // namespace
