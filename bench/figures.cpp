#include "figures.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace bench {
namespace {

// The counters that carry a figure through Google Benchmark's runs to the
// reporter; the unit travels as the run's label.
constexpr const char* kMeasured = "measured";
constexpr const char* kTarget = "target";
constexpr const char* kHigherIsBetter = "higher_is_better";

struct FigureRow {
  std::string figure;
  double measured = 0;
  std::string unit;
  double target = 0;
  double ratio = 0;
};

// 0 for a figure kept without a target.
double Ratio(double measured, double target, bool higherIsBetter) {
  if (target <= 0) return 0;
  if (higherIsBetter) return measured / target;
  return measured > 0 ? target / measured : 0;
}

// The console output as usual, and every run that reported a figure kept
// for the table.
class FigureReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const auto measured = run.counters.find(kMeasured);
      const auto target = run.counters.find(kTarget);
      const auto higher = run.counters.find(kHigherIsBetter);
      if (measured == run.counters.end() || target == run.counters.end() || higher == run.counters.end()) continue;
      rows_.push_back({run.benchmark_name(), measured->second.value, run.report_label, target->second.value,
                       Ratio(measured->second.value, target->second.value, higher->second.value != 0)});
    }
  }

  const std::vector<FigureRow>& Rows() const { return rows_; }

 private:
  std::vector<FigureRow> rows_;
};

void AppendRows(const std::vector<FigureRow>& rows, const char* path) {
  std::ofstream out(path, std::ios::app);
  for (const FigureRow& row : rows) {
    out << row.figure << '\t' << row.measured << '\t' << row.unit << '\t' << row.target << '\t' << row.ratio << '\n';
  }
}

void PrintRows(const std::vector<FigureRow>& rows) {
  if (rows.empty()) return;
  std::printf("\n%-60s %14s %-10s %14s %7s\n", "figure", "measured", "unit", "target", "ratio");
  for (const FigureRow& row : rows) {
    std::printf("%-60s %14.6g %-10s ", row.figure.c_str(), row.measured, row.unit.c_str());
    if (row.target > 0) {
      std::printf("%14.6g %7.2f\n", row.target, row.ratio);
    } else {
      std::printf("%14s %7s\n", "-", "-");
    }
  }
}

}  // namespace

void ReportFigure(benchmark::State& state, double measured, const std::string& unit, double target, Better better) {
  state.counters[kMeasured] = measured;
  state.counters[kTarget] = target;
  state.counters[kHigherIsBetter] = better == Better::kHigher ? 1 : 0;
  state.SetLabel(unit);
}

bool Quick() {
  const char* quick = std::getenv("QUENTARA_BENCH_QUICK");
  return quick != nullptr && *quick != '\0' && *quick != '0';
}

}  // namespace bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  if (const char* path = std::getenv("QUENTARA_BENCH_FIGURES"); path != nullptr && *path != '\0') {
    bench::AppendRows(reporter.Rows(), path);
  } else {
    bench::PrintRows(reporter.Rows());
  }
  return 0;
}
