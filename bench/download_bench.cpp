// The engine's initial download from the simulated back end over loopback,
// with its recalculation of funds and positions, for an account whose day
// holds N orders and N trades: how long from the engine's start until it is
// ready, and whether that time grows in step with N.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "backend/account_table.h"
#include "backend/request_queue.h"
#include "backend/sequence_number.h"
#include "backend/testing/transport_calls.h"
#include "backend/transport.h"
#include "engine/operation_engine.h"
#include "engine/testing/over_transport.h"
#include "engine/testing/started_engine.h"
#include "figures.h"
#include "platform/files.h"
#include "platform/testing/temporary_folder.h"
#include "simbackend/backend_data.h"
#include "simbackend/server.h"

namespace {

constexpr const char* kCustomer = "30001";
constexpr const char* kPassword = "303030";
constexpr auto kDownloadBound = std::chrono::minutes(5);
constexpr double kTargetSecondsAtLargest = 2.0;
constexpr std::int64_t kLargest = 100'000;

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "download_bench: %s\n", message.c_str());
  std::exit(1);
}

// Day orders of one lot each, every one filled by one trade at its price,
// spread over contracts of all four exchanges; prices within their limits.
struct DayOrderPattern {
  const char* exchange;
  const char* contract;
  const char* price;
};
constexpr DayOrderPattern kPatterns[] = {
    {"sfe", "cu2701", "76400"}, {"sfe", "al2702", "20600"},    {"dce", "m2705", "2960"},
    {"czce", "SR705", "5880"},  {"cffex", "IF2612", "3915.0"},
};

// The account's speculation trade code and seat at each exchange.
struct TradeCode {
  const char* exchange;
  const char* code;
  const char* seat;
};
constexpr TradeCode kTradeCodes[] = {
    {"sfe", "81003001", "S001"},
    {"dce", "01003001", "D001"},
    {"czce", "21003001", "Z001"},
    {"cffex", "31003001", "J001"},
};

// The demo's data with one more trading account whose day holds `count`
// orders and as many trades, so that every other file stays the demo's.
void WriteDataFolder(const std::filesystem::path& folder, std::int64_t count) {
  std::filesystem::copy(simbackend::DefaultDataFolder(), folder, std::filesystem::copy_options::recursive);
  std::ofstream accounts(folder / "accounts.txt", std::ios::app | std::ios::binary);
  accounts << "\ntrader|" << kCustomer << '|' << kPassword << "|Bench|\n"
           << "funds|" << kCustomer << "|50000000.00|0|\n";
  for (const auto& [exchange, code, seat] : kTradeCodes) {
    accounts << "tradecode|" << kCustomer << '|' << exchange << '|' << code << '|' << seat << "|0|\n";
  }
  for (std::int64_t number = 1; number <= count; ++number) {
    const DayOrderPattern& pattern = kPatterns[number % std::size(kPatterns)];
    accounts << "order|" << kCustomer << '|' << number << '|' << pattern.exchange << '|' << pattern.contract << '|'
             << number % 2 << "|0|0|1|" << pattern.price << "|c|09:30:00||\n"
             << "trade|" << kCustomer << '|' << number << '|' << number << "|1|" << pattern.price << "|09:30:01|\n";
  }
  if (!accounts) Fail("cannot write the accounts of " + folder.string());
}

// A back end on the generated data and the account logged in on slot 0,
// for the benchmark of one size.
class Session {
 public:
  explicit Session(std::int64_t count) {
    WriteDataFolder(folder_.PathOf("data"), count);
    std::string error;
    // Quotes that stand still: the download alone is timed.
    server_ = simbackend::Server::Start(
        {.dataFolder = folder_.PathOf("data"), .port = 0, .log = {}, .quoteInterval = std::chrono::milliseconds(0)},
        error);
    if (!server_ || !backend::StartCommunication("1.0.0.1", error)) Fail(error);
    if (!backend_testing::LogInTrader(accounts_, server_->Port(), kCustomer, kPassword, error)) Fail(error);
  }

  ~Session() {
    backend::StopCommunication();
    while (backend::TheResultQueue().TakeNext()) {
    }
    server_.reset();
    platform::SetProgramFolder("");
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // One initial download into a new engine, as at the terminal's first
  // start: no contract cache yet. The seconds from the start until ready.
  double Download() {
    const std::filesystem::path program = folder_.PathOf("program");
    std::filesystem::remove_all(program);
    std::filesystem::create_directory(program);
    platform::SetProgramFolder(program.string());
    auto engine = std::make_unique<engine::COperationEngine>();
    const auto start = std::chrono::steady_clock::now();
    if (!engine_testing::StartEngine(*engine, accounts_, backend::kTradingLogin, engine_testing::TransportCallbacks(),
                                     backend::LocalMachineAddress()))
      Fail("the engine did not start");
    PumpUntilReady(*engine, start + kDownloadBound);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    engine->Stop();
    return seconds;
  }

 private:
  // Drains the result queue as the GUI thread's timer does, the engine
  // closing each drain, which ends the finished download.
  static void PumpUntilReady(engine::COperationEngine& engine, std::chrono::steady_clock::time_point deadline) {
    while (engine.GetEngineState() != engine::EngineState::kReady) {
      if (std::chrono::steady_clock::now() > deadline) Fail("the download did not end in time");
      engine_testing::DrainIntoEngine(engine);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  platform_testing::TemporaryFolder folder_{"download-bench"};
  std::unique_ptr<simbackend::Server> server_;
  backend::AccountTable accounts_;
};

// What a run reports: the seconds of a download, or the microseconds per
// row of the day (orders and trades together), the figure of linearity,
// which stays flat across the sizes when the download grows in step with
// the day.
enum class Figure { kSeconds, kMicrosecondsPerRow };

void InitialDownload(benchmark::State& state, Figure figure) {
  const std::int64_t count = state.range(0);
  Session session(count);
  double total = 0;
  for (auto _ : state) {
    const double seconds = session.Download();
    state.SetIterationTime(seconds);
    total += seconds;
  }
  state.SetItemsProcessed(state.iterations() * count);
  const double seconds = total / static_cast<double>(state.iterations());
  if (figure == Figure::kSeconds) {
    bench::ReportFigure(state, seconds, "s", count == kLargest ? kTargetSecondsAtLargest : 0, bench::Better::kLower);
  } else {
    bench::ReportFigure(state, seconds * 1e6 / static_cast<double>(2 * count), "us/row", 0, bench::Better::kLower);
  }
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(1'000);
  if (!bench::Quick()) benchmark->Arg(10'000)->Arg(kLargest);
  benchmark->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(InitialDownload, seconds, Figure::kSeconds)->Apply(Sizes);
BENCHMARK_CAPTURE(InitialDownload, per_row, Figure::kMicrosecondsPerRow)->Apply(Sizes);

}  // namespace
