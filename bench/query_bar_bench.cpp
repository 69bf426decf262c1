// The order bar over a ready engine, its grid shown on the offscreen
// platform: how many of the engine's order changes per second the bar takes
// from record to shown row while it holds 10,000 orders, and how long a
// reload of 100,000 orders takes from the engine's copy to the painted grid.
// Both in the GUI thread's own time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "backend/account_table.h"
#include "engine/query_facade.h"
#include "engine/table_catalogue.h"
#include "engine/testing/open_engine.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"
#include "figures.h"
#include "gui_thread.h"
#include "tradeviews/model/bar_table.h"
#include "tradeviews/model/query_bar_layout.h"
#include "ui/filter_grid.h"
#include "ui/grid_model.h"

namespace {

using Clock = bench::ThreadClock;
using engine::TableChangeRecord;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

const char* const kStates[] = {"n", "a", "p", "c", "d"};

std::string OrderNo(int n) { return std::to_string(100000 + n); }

engine::OrderRow OrderOf(int n, unsigned change) {
  const std::string orderNo = OrderNo(n);
  const std::string traded = std::to_string(change % 10);
  const std::string price = std::to_string(50000 + change % 100 * 10);
  return engine_testing::Order({.orderNo = orderNo,
                                .state = kStates[change % std::size(kStates)],
                                .lots = "10",
                                .price = price,
                                .traded = traded,
                                .seat = engine_testing::kSeat,
                                .orderSeat = "OS1",
                                .frozenMargin = "12000.00",
                                .frozenFee = "3.20",
                                .frozenPremium = "0.00"});
}

// A ready engine holding the contract of the orders and `orders` of them;
// it never talks to a back end.
class OrderEngine {
 public:
  explicit OrderEngine(int orders) {
    engine_testing::LogIn(accounts_, {});
    engine::EngineCallbacks callbacks;
    callbacks.sendSync = [](backend::RequestRecord&, std::string&) { return false; };
    callbacks.sendAsync = [](backend::RequestPtr&, std::string&) { return false; };
    callbacks.log = [](int, const char*) {};
    callbacks.nextSequenceNo = [] { return 1; };
    callbacks.tableChanged = [](const TableChangeRecord&) {};
    if (!engine_testing::StartEngine(engine, accounts_, backend::kTradingLogin, std::move(callbacks)) ||
        !engine.MakeReady()) {
      std::fprintf(stderr, "query_bar_bench: the engine did not start\n");
      std::exit(1);
    }
    engine.Add(engine::Table::kContracts, engine_testing::Contract({.multiplier = "5", .tick = "10"}));
    for (int n = 0; n < orders; ++n) engine.Add(engine::Table::kOrders, OrderOf(n, 0));
  }

 private:
  backend::AccountTable accounts_;

 public:
  engine_testing::OpenEngine engine;
};

// The order bar's grid in a window of a bar's size, following the engine.
struct ShownOrderBar {
  explicit ShownOrderBar(engine::COperationEngine& engine) : lookups(engine) {
    rows.SetColumns(tradeviews::OrderBarLayout().columns);
    grid.resize(1200, 400);
    grid.show();
    Settle();
  }
  // Lets the view take the changes and paint them.
  void Settle() {
    grid.TableModel().Flush();
    QApplication::processEvents();
    QApplication::sendPostedEvents();
  }

  std::unique_ptr<QApplication> application = bench::MakeOffscreenApplication();  // before any window
  tradeviews::BarLookups lookups;
  ui::GridModel rows;
  ui::CFilterGridCtrl grid{rows};
  tradeviews::QueryBarTable table{tradeviews::BarTableKind::kOrders, rows, lookups};
};

// Updates of random orders (every tenth one in sight), each the engine's
// record of the order's new state, traded lots and price, taken in the GUI
// pump's 10 ms ticks with the view's repaint after each: at the target's
// pace a tick brings 1,000 records.
void Changes(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const int changes = bench::Quick() ? 1'000 : 20'000;
  constexpr int kPerTick = 1'000;
  OrderEngine loaded(count);
  ShownOrderBar bar(loaded.engine);
  bar.table.Apply(TableChangeRecord::Reload(tradeviews::kOrderTable));
  bar.Settle();
  std::mt19937 random(7);
  std::vector<TableChangeRecord> records;
  records.reserve(static_cast<std::size_t>(changes));
  for (int change = 0; change < changes; ++change) {
    const int n = change % 10 == 0 ? static_cast<int>(random() % 20) : static_cast<int>(random() % count);
    records.push_back(TableChangeRecord::RowChange(tradeviews::kOrderTable, TableChangeRecord::kUpdate, 1, n,
                                                   engine::RowBytes(OrderOf(n, random())), 0));
  }
  Clock::duration spent{};
  for (auto _ : state) {
    const auto start = Clock::now();
    for (int change = 0; change < changes; ++change) {
      bar.table.Apply(records[static_cast<std::size_t>(change)]);
      if ((change + 1) % kPerTick == 0) bar.Settle();
    }
    bar.Settle();
    spent += Clock::now() - start;
  }
  const double applied = static_cast<double>(state.iterations()) * changes;
  bench::ReportFigure(state, applied / Seconds(spent), "records/s", 100'000, bench::Better::kHigher);
}

// The 'f' of the bar: the engine's copy of every order into the emptied
// grid, sorted, and the grid painted. The time of the engine's copy alone
// (its table's bytes into a new block) is kept beside the figure.
void Reload(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  OrderEngine loaded(count);
  ShownOrderBar bar(loaded.engine);
  Clock::duration spent{};
  for (auto _ : state) {
    bar.rows.RemoveAllRows();
    bar.Settle();
    const auto start = Clock::now();
    bar.table.Apply(TableChangeRecord::Reload(tradeviews::kOrderTable));
    bar.Settle();
    spent += Clock::now() - start;
    if (bar.rows.RowCount() != count) state.SkipWithError("the bar does not show every order");
  }
  const auto copyStart = Clock::now();
  {
    backend::CxDataSet copy;
    std::string error;
    engine::QueryEngineTable(loaded.engine, tradeviews::kOrderTable, copy, error);
  }
  state.counters["engine_copy_ms"] = Seconds(Clock::now() - copyStart) * 1000;
  const double milliseconds = Seconds(spent) * 1000 / static_cast<double>(state.iterations());
  bench::ReportFigure(state, milliseconds, "ms/reload", 300, bench::Better::kLower);
}

BENCHMARK(Changes)
    ->Name("OrderBar/changes_to_shown_rows")
    ->ArgName("orders")
    ->Arg(bench::Quick() ? 1'000 : 10'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::Quick() ? 1 : 3);
BENCHMARK(Reload)
    ->Name("OrderBar/reload")
    ->ArgName("orders")
    ->Arg(bench::Quick() ? 1'000 : 100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::Quick() ? 1 : 3);

}  // namespace
