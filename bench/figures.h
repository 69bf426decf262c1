// Benchmarks that carry a target: each reports its measured figure beside
// the target it must meet, and the benchmark programs print one table of
// figure, target and ratio (a ratio of 1 or more meets the target).
//
// Every program built with quentara_add_bench() uses this file's main():
//   QUENTARA_BENCH_QUICK=1   registers only the small sizes and runs a few
//                            iterations (CI checks that benchmarks run)
//   QUENTARA_BENCH_FIGURES=F appends the table's rows to F as tab-separated
//                            fields (figure, measured, unit, target, ratio)
//                            instead of printing them; scripts/bench prints
//                            the rows of every program as one table
#pragma once

#include <benchmark/benchmark.h>

#include <string>

namespace bench {

enum class Better { kHigher, kLower };

// The figure of this run, in `unit` ("lines/s", "us/fill", ...), against its
// target (0: a figure kept without a target). Call once per run, after the
// timed loop.
void ReportFigure(benchmark::State& state, double measured, const std::string& unit, double target, Better better);

// True when only a quick check that the benchmarks run was asked for.
bool Quick();

}  // namespace bench
