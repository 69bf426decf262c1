// The program log's communication lines as the transport and the portal
// library write them: each line's password fields masked, the record
// stamped and scrambled, held and written to the day's file with the head
// that counts it. A line should cost well under a microsecond.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "backend/program_log.h"
#include "figures.h"
#include "platform/files.h"
#include "platform/testing/temporary_folder.h"

namespace {

constexpr double kTargetLinesPerSecond = 2'000'000;

// What goes over the line most: an order request with its password, the
// push of its fill and a quote push.
constexpr const char* kLines[] = {
    "R|00-1A-2B-3C-4D-5E|1843|5011||Pellora|10001|111111|sfe|cu2701|0|0|0|2|76400|0|0||||",
    "R|sim|0|15005|10001|1843|2001|sfe|cu2701|0|0|0|2|76400|09:31:05|81000101|S001|",
    "R|sim|0|15001|sfe|cu2607|铜2607|71230.0|71250.0|71240.0|12|8|315640|",
};

// The log opened in a folder of its own for the run, removed afterwards.
class LogFolder {
 public:
  LogFolder() {
    if (!log_.Open()) Fail("cannot open the program log in " + folder_.Path());
  }
  ~LogFolder() { log_.Close(); }
  LogFolder(const LogFolder&) = delete;
  LogFolder& operator=(const LogFolder&) = delete;

  backend::ProgramLog& Log() { return log_; }

 private:
  [[noreturn]] static void Fail(const std::string& message) {
    std::fprintf(stderr, "program_log_bench: %s\n", message.c_str());
    std::exit(1);
  }

  platform_testing::ScopedProgramFolder folder_{"program-log-bench"};
  backend::ProgramLog log_;
};

void CommunicationLines(benchmark::State& state) {
  LogFolder folder;
  std::size_t next = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    folder.Log().WriteLine(backend::kLogCommunication, kLines[next]);
    next = (next + 1) % std::size(kLines);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.SetItemsProcessed(state.iterations());
  bench::ReportFigure(state, static_cast<double>(state.iterations()) / seconds, "lines/s", kTargetLinesPerSecond,
                      bench::Better::kHigher);
}
BENCHMARK(CommunicationLines);

}  // namespace
