// The terminal's transport against the simulated back end over loopback:
// synchronous round trips on one slot, and pushed lines from the back end
// into the result queue.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "backend/request_queue.h"
#include "backend/request_record.h"
#include "backend/sequence_number.h"
#include "backend/transport.h"
#include "figures.h"
#include "simbackend/server.h"

namespace {

constexpr const char* kCustomer = "10001";
constexpr const char* kPassword = "111111";

// The plain trading login's 28 fields:
// "R|addr|seq|5001||Pellora|customer|password|ip|1|1||date|version|||||||1|||||||".
std::string LoginText() {
  std::string text = "R|" + backend::LocalMachineAddress() + "|1|5001||Pellora|" + kCustomer + "|" + kPassword + "|" +
                     backend::LocalIpAddress() + "|1|1||20091204|1.0.0.1|";
  for (int field = 15; field <= 28; ++field) text += field == 21 ? "1|" : "|";
  return text;
}

// One back end and one logged-in slot for the whole run.
class Session {
 public:
  static Session& Get() {
    static Session session;
    return session;
  }

  simbackend::Server& Server() { return *server_; }

 private:
  Session() {
    std::string message;
    server_ = simbackend::Server::Start(simbackend::ServerOptions{}, message);
    if (!server_ || !backend::StartCommunication("1.0.0.1", message)) Fail(message);
    OV_ConnectBlock block{};
    orvanet::SetI32(block.connection, 0);
    orvanet::SetText(block.serverAddress, "127.0.0.1");
    orvanet::SetI32(block.serverPort, server_->Port());
    std::string answer;
    if (!backend::ConnectSlot(block, answer, message, LoginText())) Fail(message);
  }
  ~Session() { backend::StopCommunication(); }

  [[noreturn]] static void Fail(const std::string& message) {
    std::fprintf(stderr, "transport_bench: %s\n", message.c_str());
    std::exit(1);
  }

  std::unique_ptr<simbackend::Server> server_;
};

void SynchronousRoundTrip(benchmark::State& state) {
  Session::Get();
  backend::CxDataSet parameters;
  for (const char* text : {"", "Pellora", kCustomer, kPassword}) parameters.AddText(text);
  const std::string address = backend::LocalMachineAddress();
  std::string message;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    // A function the back end refuses at once: a full round trip, no work.
    backend::RequestPtr request = backend::BuildRequestCommand(
        "测试", 1, 0, 2, "", address, backend::GetNextSequenceNo(), 5999, true, parameters, message);
    if (!request || !backend::ExecuteRequest(*request, message)) {
      state.SkipWithError(message.c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  bench::ReportFigure(state, static_cast<double>(state.iterations()) / seconds, "trips/s", 0, bench::Better::kHigher);
}
BENCHMARK(SynchronousRoundTrip)->UseRealTime();

void PushedLinesIntoResultQueue(benchmark::State& state) {
  Session& session = Session::Get();
  const auto linesPerPush = static_cast<std::size_t>(state.range(0));
  const std::vector<std::string> lines(linesPerPush,
                                       "R|sim|0|15001|sfe|cu2607|铜2607|71230.0|71250.0|71240.0|12|8|315640|");
  for (auto _ : state) {
    session.Server().Push(kCustomer, lines);
    std::size_t taken = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (taken < linesPerPush) {
      if (const backend::RequestPtr item = backend::TheResultQueue().TakeNext()) {
        // A received block's lines arrive as one item.
        taken += backend::PushLineCount(*item);
      } else if (std::chrono::steady_clock::now() > deadline) {
        state.SkipWithError("pushed lines did not arrive");
        return;
      } else {
        std::this_thread::yield();
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(PushedLinesIntoResultQueue)->Arg(1)->Arg(100)->Arg(1000)->UseRealTime();

}  // namespace
