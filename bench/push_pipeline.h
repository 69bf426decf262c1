// Pushed lines through the terminal's in-process path, for the benchmarks:
// the receive callback the transport installs in the portal library, the
// result queue, the GUI thread's pump as the main frame's timer runs it, the
// engine, the quote table and the output pane, with an engine loaded as a
// download would load an account.
//
// Every line of the mix the benchmarks push reaches the one LineCounter once,
// in the order it was received: quotes as the quote table's listener, order
// states and fills as output lines; it also takes the engine's table changes
// as the shell does.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client/testing/recording_shell.h"
#include "engine/table_catalogue.h"
#include "quotes/contract_key.h"
#include "quotes/optional_contract.h"
#include "quotes/watch_callback.h"

namespace push_bench {

using Clock = std::chrono::steady_clock;

// What the engine's tables hold before the first push.
struct AccountLoad {
  int positionDetails = 0;  // yesterday's, over every contract
  int finishedOrders = 0;   // the day's filled orders
  int restingOrders = 0;    // working orders, nothing filled yet
};

// The shell's output pane and a quote window in one: counts the lines that
// reach the GUI and, while asked to, notes when each arrives.
class LineCounter : public client_testing::RecordingShell, public quotes::CWatchCallback {
 public:
  int AppendOutputLine(std::string_view text, int lineType) override;
  bool OnQuote(int event, const backend::QuoteRecord* quote) override;
  // The engine's table changes, which the shell routes to the views.
  void OnTableChanged(const engine::TableChangeRecord& record) override;

  // Notes the arrival time of the next `lines` lines, forgetting earlier ones.
  void NoteArrivals(std::size_t lines);
  const std::vector<Clock::time_point>& Arrivals() const { return arrivals_; }

  std::size_t Quotes() const { return quotes_; }
  std::size_t OutputLines() const { return outputLines_; }
  std::size_t Lines() const { return quotes_ + outputLines_; }
  std::size_t TableChanges() const { return tableChanges_; }

 private:
  void Arrived();

  std::size_t quotes_ = 0;
  std::size_t outputLines_ = 0;
  std::size_t tableChanges_ = 0;
  bool noting_ = false;
  std::vector<Clock::time_point> arrivals_;
};

// The contracts the quote table watches unless a benchmark asks for others.
inline constexpr std::size_t kDefaultWatchedContracts = 20;

// The first `count` contracts of the account (at most 60), as the quote
// table keys them.
std::vector<quotes::ContractKey> WatchedContracts(std::size_t count);

// The pushed lines of the benchmarks' account: quotes of the contracts the
// quote table watches, and the fills of two working orders of many lots on
// one contract, a buy that opens and a sell that closes today's lots, taken
// in turn so that the positions stay as loaded.
class PushLines {
 public:
  // Quotes of the first `watchedContracts` contracts in turn.
  explicit PushLines(std::size_t watchedContracts = kDefaultWatchedContracts) : watched_(watchedContracts) {}
  // The next quote, of the next watched contract, its prices moving.
  std::string NextQuote();
  // The next fill, with the order-state push (15002) the back end sends
  // before it when `withState`; one line or two.
  std::vector<std::string> NextFill(bool withState);

 private:
  std::size_t watched_;
  std::size_t quotes_ = 0;
  std::size_t fills_ = 0;
};

// The path and the engine behind it, on the calling thread as the GUI thread.
class Pipeline {
 public:
  // The quote table holds the first `watchedContracts` contracts.
  explicit Pipeline(const AccountLoad& load, std::size_t watchedContracts = kDefaultWatchedContracts);
  ~Pipeline();
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  // The portal library's receive thread: one block of lines, each closed by
  // a zero byte, as a read from the socket hands it to the callback.
  static void Receive(const std::vector<std::string>& lines);
  // One tick of the main frame's timer: drains the result queue.
  void PumpTick();

  LineCounter& Counter() { return counter_; }
  // The quote object of the path, for more listeners and contract groups.
  quotes::CtbOptionalContract& Quotes();
  const LineCounter& Counter() const { return counter_; }
  // The rows of a table of the engine.
  std::size_t TableRows(engine::Table table) const;
  // Log lines the engine wrote that tell of a request it could not send: a
  // push that made it ask the back end, which the benchmarks must not do.
  std::size_t FailedSends() const;

 private:
  class Parts;
  LineCounter counter_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace push_bench
