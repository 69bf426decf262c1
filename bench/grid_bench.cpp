// The toolkit grid with the order bar's 27 columns and 100,000 live rows, a
// table view shown over it on the offscreen platform: the GUI thread's time
// to load the rows, per row change when changes arrive in a stream and the
// view repaints once per 10 ms pump tick, to sort and to filter, and the
// memory the grid holds per row.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/trading_rows.h"
#include "figures.h"
#include "gui_thread.h"
#include "ui/filter_grid.h"
#include "ui/grid_model.h"

namespace {

using Clock = bench::ThreadClock;

int RowCount() { return bench::Quick() ? 1'000 : 100'000; }

const char* const kCodes[] = {"IF2406", "IF2407", "IH2406",        "IC2406",      "cu2405", "cu2406",
                              "al2405", "zn2405", "au2406",        "ag2406",      "rb2410", "hc2410",
                              "m2405",  "m2409",  "y2405",         "c2405",       "SR405",  "CF405",
                              "TA405",  "MA405",  "IO2406-C-3500", "m2405-C-3000"};
const char* const kStates[] = {"已报", "部分成交", "全部成交", "已撤单", "废单", "未报"};

std::vector<ui::ColumnSpec> OrderColumns() {
  std::vector<ui::ColumnSpec> columns;
  for (const char* caption : {"交易账号", "委托单号", "合约",     "委托状态",   "买卖",       "开平",       "委托手数",
                              "委托价格", "成交手数", "成交价格", "冻结保证金", "冻结权利金", "冻结手续费", "定单类型",
                              "成交属性", "盈损价",   "委托类型", "委托时间",   "申报时间",   "撤单时间",   "触发时间",
                              "投保",     "下单席位", "备注",     "席位号",     "交易编码",   "交易类别"}) {
    columns.emplace_back(caption);
  }
  return columns;
}

std::string Money(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

std::string Time(int seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", 9 + seconds / 3600 % 6, seconds / 60 % 60, seconds % 60);
  return text;
}

// The texts and key of order `n` as the order bar's row fill writes them.
struct OrderTexts {
  std::vector<std::string> cells;
  ui::RowKey key;
};

OrderTexts TextsOf(int n) {
  const std::string orderNo = std::to_string(100000 + n);
  const char* code = kCodes[n % std::size(kCodes)];
  return {{"10001",
           orderNo,
           code,
           kStates[n % std::size(kStates)],
           n % 2 ? "买入" : "卖出",
           n % 3 ? "开仓" : "平仓",
           std::to_string(1 + n % 20),
           Money(3000 + n % 997 * 0.2),
           std::to_string(n % 7),
           Money(3000 + n % 991 * 0.2),
           Money(n % 5000 * 1.5),
           "0.00",
           Money(n % 300 * 0.3),
           "限价",
           "当日有效[GFD]",
           "0.00",
           "普通",
           Time(n),
           Time(n + 1),
           "",
           "",
           "投机",
           "0001",
           "",
           "0001",
           "88001",
           "期货"},
          ui::MakeOrderRowKey("0001", code, orderNo)};
}

// The texts of `count` orders, formatted once: the bars' formatting is
// theirs, not the grid's.
const std::vector<OrderTexts>& Orders(int count) {
  static std::vector<OrderTexts> orders;
  while (static_cast<int>(orders.size()) < count) orders.push_back(TextsOf(static_cast<int>(orders.size())));
  return orders;
}

// The grid rows of the first `count` orders, coloured as the order bar
// colours them.
std::vector<std::pair<ui::GridRow, ui::RowKey>> OrderRows(const ui::GridModel& grid, int count) {
  std::vector<std::pair<ui::GridRow, ui::RowKey>> rows;
  rows.reserve(static_cast<std::size_t>(count));
  const std::vector<OrderTexts>& orders = Orders(count);
  for (int n = 0; n < count; ++n) {
    const OrderTexts& order = orders[static_cast<std::size_t>(n)];
    ui::GridRow row = ui::CreateGridRow(grid);
    for (int column = 0; column < static_cast<int>(order.cells.size()); ++column) {
      row.SetText(column, order.cells[static_cast<std::size_t>(column)]);
    }
    row.SetColour(3, 0x008080);
    row.SetColour(4, n % 2 ? 0x0000FF : 0x008000);
    rows.emplace_back(std::move(row), order.key);
  }
  return rows;
}

// A grid of the order columns shown in a window of a bar's size.
struct ShownGrid {
  ShownGrid() {
    ui::InsertGridColumns(rows, OrderColumns());
    grid.resize(1200, 400);
    grid.show();
    QApplication::processEvents();
  }
  // Lets the view lay out and paint what is waiting.
  static void Settle() {
    QApplication::processEvents();
    QApplication::sendPostedEvents();
  }
  std::unique_ptr<QApplication> application = bench::MakeOffscreenApplication();  // before any window
  ui::GridModel rows;
  ui::CFilterGridCtrl grid{rows};
};

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// The time to fill a shown grid with the rows: the figure is that of loads
// into a heap the program already holds; the first load of the run, which
// also takes its pages from the system, is kept beside it.
void Load(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  Orders(count);
  const auto loadOnce = [count] {
    ShownGrid shown;
    const auto start = Clock::now();
    shown.rows.ReplaceRows(OrderRows(shown.rows, count));
    ShownGrid::Settle();
    return Milliseconds(Clock::now() - start);
  };
  state.counters["first_load_ms"] = loadOnce();
  double total = 0;
  for (auto _ : state) total += loadOnce();
  bench::ReportFigure(state, total / static_cast<double>(state.iterations()), "ms/load", 200, bench::Better::kLower);
}

// A stream of changes to the price, traded lots and state of random
// orders (every tenth one in sight), applied tick by tick; each tick ends
// with the view's one repaint. The figure is the GUI thread's time per
// change; the repaint's time per tick, and both together per change at
// this pace, are kept beside it.
void Changes(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const int ticks = bench::Quick() ? 10 : 100;
  const int changesPerTick = 100;
  ShownGrid shown;
  shown.rows.ReplaceRows(OrderRows(shown.rows, count));
  ShownGrid::Settle();
  std::mt19937 random(7);
  Clock::duration changing{};
  Clock::duration painting{};
  for (auto _ : state) {
    for (int tick = 0; tick < ticks; ++tick) {
      const auto start = Clock::now();
      for (int change = 0; change < changesPerTick; ++change) {
        const int position = change % 10 == 0 ? static_cast<int>(random() % 30)
                                              : static_cast<int>(random() % static_cast<unsigned>(count));
        const ui::RowId id = shown.rows.ShownRow(position);
        ui::GridRow row = *shown.rows.Row(id);
        const unsigned value = random();
        row.SetText(3, kStates[value % std::size(kStates)]);
        row.SetText(8, std::to_string(value % 20));
        row.SetText(9, Money(3000 + value % 1000 * 0.2));
        shown.rows.UpdateRow(id, std::move(row));
      }
      shown.grid.TableModel().Flush();
      const auto changed = Clock::now();
      ShownGrid::Settle();
      changing += changed - start;
      painting += Clock::now() - changed;
    }
  }
  const double changes = static_cast<double>(state.iterations()) * ticks * changesPerTick;
  const double micros = std::chrono::duration<double, std::micro>(changing).count();
  const double paintMicros = std::chrono::duration<double, std::micro>(painting).count();
  state.counters["paint_ms_per_tick"] = paintMicros / 1000 / (static_cast<double>(state.iterations()) * ticks);
  state.counters["us_per_change_with_paint"] = (micros + paintMicros) / changes;
  bench::ReportFigure(state, micros / changes, "us/change", 5, bench::Better::kLower);
}

// Sorts on a price column and on a code column in turn.
void Sort(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  ShownGrid shown;
  shown.rows.ReplaceRows(OrderRows(shown.rows, count));
  ShownGrid::Settle();
  double total = 0;
  int sorts = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    shown.rows.Sort(sorts % 2 ? 2 : 7, sorts % 4 < 2, false);
    ShownGrid::Settle();
    total += Milliseconds(Clock::now() - start);
    ++sorts;
  }
  bench::ReportFigure(state, total / sorts, "ms/sort", 100, bench::Better::kLower);
}

// Filters the state column to two of its values, and clears it, in turn.
void Filter(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  ShownGrid shown;
  shown.rows.ReplaceRows(OrderRows(shown.rows, count));
  shown.rows.Sort(7, true, false);
  ShownGrid::Settle();
  double total = 0;
  int filters = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    if (filters % 2 == 0) {
      shown.rows.SetFilter({3, false, {kStates[0], kStates[1]}});
    } else {
      shown.rows.ClearFilter();
    }
    ShownGrid::Settle();
    total += Milliseconds(Clock::now() - start);
    ++filters;
  }
  bench::ReportFigure(state, total / filters, "ms/filter", 100, bench::Better::kLower);
}

std::int64_t HeapBytesInUse() {
  const struct mallinfo2 info = ::mallinfo2();
  return static_cast<std::int64_t>(info.uordblks + info.hblkhd);
}

// The heap the loaded grid holds per row, against twice the engine's order
// row that the grid row shows.
void Memory(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  Orders(count);
  double perRow = 0;
  for (auto _ : state) {
    ShownGrid shown;
    ShownGrid::Settle();
    const std::int64_t before = HeapBytesInUse();
    shown.rows.ReplaceRows(OrderRows(shown.rows, count));
    ShownGrid::Settle();
    const std::int64_t held = HeapBytesInUse() - before;
    if (held <= 0) {
      state.SkipWithError("the C library keeps no account of this program's heap");
      return;
    }
    perRow = static_cast<double>(held) / count;
  }
  state.counters["order_row_size"] = sizeof(engine::OrderRow);
  bench::ReportFigure(state, perRow, "B/row", 2.0 * sizeof(engine::OrderRow), bench::Better::kLower);
}

void Once(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgName("rows")->Arg(RowCount())->Unit(benchmark::kMillisecond)->Iterations(bench::Quick() ? 1 : 3);
}

BENCHMARK(Load)->Name("Grid/load")->Apply(Once);
BENCHMARK(Changes)->Name("Grid/row_change_at_10ms_ticks")->Apply(Once);
BENCHMARK(Sort)->Name("Grid/sort")->Apply(Once);
BENCHMARK(Filter)->Name("Grid/filter")->Apply(Once);
BENCHMARK(Memory)->Name("Grid/memory_per_row")->Apply(Once);

}  // namespace
