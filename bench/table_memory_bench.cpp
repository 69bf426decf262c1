// The memory the engine's largest tables hold per row: an engine table (each
// row one raw entry, appended as the engine appends them) filled with N rows,
// and the heap it then holds divided by N. And the longest single append
// while such a table fills to N rows, which must not hold up the engine's
// thread.
//
// The tables' directories live on the heap, read from the C library's own
// account of the bytes in use (which counts operator new as well), and their
// rows in pages mapped apart from the heap, counted by the platform layer.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "backend/data_set_block.h"
#include "engine/engine_table.h"
#include "engine/row_field.h"
#include "engine/trading_rows.h"
#include "figures.h"
#include "platform/populated_pages.h"
#include "thread_clock.h"

namespace {

// Bytes the program holds now: the arenas' blocks in use, the blocks mapped
// on their own and the pages mapped for rows.
std::int64_t HeapBytesInUse() {
  const struct mallinfo2 info = ::mallinfo2();
  return static_cast<std::int64_t>(info.uordblks + info.hblkhd + platform::MappedPageBytes());
}

// Rows that differ as the engine's do, by their numbers.
template <engine::EngineRow Row>
Row NumberedRow(std::int64_t number) {
  Row row{};
  const std::string text = std::to_string(number);
  engine::SetText(row.szTradeAccount, "10001");
  if constexpr (requires { row.szOrderNo; }) engine::SetText(row.szOrderNo, text);
  if constexpr (requires { row.szDealNo; }) engine::SetText(row.szDealNo, text);
  return row;
}

// Bytes the table holds per row after `count` rows were appended; none,
// with the reason in `error`, when the table cannot grow or the C library
// keeps no account of the heap (a sanitizer's allocator replaces it).
template <engine::EngineRow Row>
std::optional<double> BytesPerRow(std::int64_t count, std::string& error) {
  const std::int64_t before = HeapBytesInUse();
  engine::EngineTable table;
  for (std::int64_t number = 1; number <= count; ++number) {
    const Row row = NumberedRow<Row>(number);
    const auto bytes = engine::RowBytes(row);
    if (!table.AddEntry(bytes.data(), bytes.size(), backend::data_set_block::kRawType)) {
      error = "the table could not grow";
      return std::nullopt;
    }
  }
  const std::int64_t held = HeapBytesInUse() - before;
  if (held <= 0) {
    error = "the C library keeps no account of this program's heap";
    return std::nullopt;
  }
  return static_cast<double>(held) / static_cast<double>(count);
}

template <engine::EngineRow Row>
void TableBytesPerRow(benchmark::State& state) {
  const std::int64_t count = state.range(0);
  std::optional<double> perRow;
  std::string error;
  for (auto _ : state) {
    perRow = BytesPerRow<Row>(count, error);
    if (!perRow) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["row_size"] = sizeof(Row);
  state.counters["held_per_row_size"] = *perRow / sizeof(Row);
  bench::ReportFigure(state, *perRow, "B/row", 2.0 * sizeof(Row), bench::Better::kLower);
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(bench::Quick() ? 1'000 : 10'000)->Unit(benchmark::kMillisecond);
}

// An engine table takes no single append slower than this.
constexpr double kAppendPauseTargetMilliseconds = 1.0;

// Appends `count` rows, one at a time as the engine's pushes do, and gives
// the longest append in milliseconds; nothing when the table cannot grow.
template <engine::EngineRow Row>
std::optional<double> LongestAppend(std::int64_t count) {
  engine::EngineTable table;
  bench::ThreadClock::duration longest{};
  for (std::int64_t number = 1; number <= count; ++number) {
    const Row row = NumberedRow<Row>(number);
    const auto bytes = engine::RowBytes(row);
    const bench::ThreadClock::time_point start = bench::ThreadClock::now();
    const bool appended = table.AddEntry(bytes.data(), bytes.size(), backend::data_set_block::kRawType);
    longest = std::max(longest, bench::ThreadClock::now() - start);
    if (!appended) return std::nullopt;
  }
  return std::chrono::duration<double, std::milli>(longest).count();
}

template <engine::EngineRow Row>
void LongestAppendPause(benchmark::State& state) {
  std::optional<double> longest;
  for (auto _ : state) {
    longest = LongestAppend<Row>(state.range(0));
    if (!longest) {
      state.SkipWithError("the table could not grow");
      return;
    }
  }
  bench::ReportFigure(state, *longest, "ms", kAppendPauseTargetMilliseconds, bench::Better::kLower);
}

void PauseSizes(benchmark::internal::Benchmark* benchmark) {
  if (bench::Quick()) {
    benchmark->Arg(1'000);
  } else {
    benchmark->Arg(100'000)->Arg(200'000);
  }
  benchmark->Iterations(1)->Unit(benchmark::kMillisecond);
}

BENCHMARK(TableBytesPerRow<engine::OrderRow>)->Name("TableBytesPerRow/orders")->Apply(Sizes);
BENCHMARK(TableBytesPerRow<engine::TradeRow>)->Name("TableBytesPerRow/trades")->Apply(Sizes);
BENCHMARK(TableBytesPerRow<engine::PositionDetailRow>)->Name("TableBytesPerRow/position_details")->Apply(Sizes);
BENCHMARK(LongestAppendPause<engine::TradeRow>)->Name("LongestAppendPause/trades")->Apply(PauseSizes);
BENCHMARK(LongestAppendPause<engine::OrderRow>)->Name("LongestAppendPause/orders")->Apply(PauseSizes);

}  // namespace
