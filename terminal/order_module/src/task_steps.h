// The steps that several follow-up tasks share: reading and writing the
// order record, the closeable lots, sending an order in pieces, and
// cancelling orders and settling their confirmations. All run on the order
// thread; every message goes to the task's message list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "client/order_push_hooks.h"
#include "engine/row_field.h"
#include "order_module/order_record.h"
#include "order_task.h"

namespace order_module {

inline constexpr std::string_view kBuy = "0";
inline constexpr std::string_view kOpen = "0";
inline constexpr std::string_view kClose = "1";
inline constexpr std::string_view kCloseToday = "2";
inline constexpr std::string_view kAutomatic = "3";

// "委托被取消！" followed by two tabs: the user said no.
inline constexpr std::string_view kCancelledByUserText = "委托被取消！\t\t";

// A field of a record as a text of its own.
template <std::size_t Width>
std::string Str(const char (&field)[Width]) {
  return std::string(engine::Text(field));
}

// The leading whole number of a text; 0 for none.
int LeadingInt(std::string_view text);
// The leading decimal number of a text; 0 for none.
double LeadingNumber(std::string_view text);

int Lots(const OrderRecord& order);
void SetLots(OrderRecord& order, int lots);

// What the order's direction may still close.
struct ClosableLots {
  int total = 0;
  int today = 0;
};
// Asks the engine for the closeable lots of the order's account, exchange,
// contract, hedge, trade code and seat, for the order's direction. False
// with the engine's reason.
bool QueryClosable(const OrderRecord& order, ClosableLots& lots, std::string& error);

// What the back end answered to one sent order.
struct SentOrder {
  std::string orderNo;
  std::string orderingSeat;
  std::string state;
};

// Sends the order in pieces of at most `lotsPerSend` lots (one order of all
// its lots when that is 0 or less), pausing between the pieces; each piece
// adds its line. `last` takes the last piece's answer. False at the first
// failed piece, `errorCode` then the back end's code (99999 when no answer
// came), or when the module stops between pieces.
bool SendOrderPieces(TaskContext& context, TaskMessages& messages, const OrderRecord& order, int lotsPerSend,
                     std::string_view orderKind, SentOrder& last, int& errorCode);

// An order a task may cancel, with the last state reported for it.
struct CancelEntry {
  bool done = false;  // settled, no longer waited for
  std::string orderNo;
  std::string orderingSeat;
  std::string seatCode;
  std::string exchange;
  std::string state;
  std::string remaining;  // not yet filled, as the last state change said

  // True when the change names this order.
  bool Names(const client::OrderStateChange& change) const;
  // "席位代码=%s, 下单席位=%s, 委托单号=%s"
  std::string Keys() const;
};

// A task's orders to cancel, and the wait for their confirmations.
class CancelList {
 public:
  // How long cancels are waited for before their states are asked.
  static constexpr std::uint32_t kWaitMilliseconds = 2000;

  void Add(CancelEntry entry) { entries_.push_back(std::move(entry)); }
  bool Empty() const { return entries_.empty(); }
  std::vector<CancelEntry>& Entries() { return entries_; }

  // Takes a new state of one of its orders; false when none is named or the
  // state is the one known.
  bool TakeStateChange(const client::OrderStateChange& change);

  // Cancels every order, each with its lines (a failed cancel is only
  // noted), then starts the wait.
  void CancelAll(TaskMessages& messages, std::string_view account);
  // The wait counts from now, once the cancels have gone out.
  void StartWait();
  bool WaitOver() const;

 private:
  std::uint32_t startTick_ = 0;
  std::vector<CancelEntry> entries_;
};

// The synchronous cancel of one order, with its line.
bool CancelOrderForTask(TaskMessages& messages, const CancelEntry& entry, std::string_view account);

// Asks the back end for the state of every entry not yet settled: true only
// when each of them is now cancelled ("d" or "m").
bool QueryPendingCancels(TaskMessages& messages, CancelList& cancels, std::string_view account);

// Where the wait for the cancel confirmations of a close stands.
enum class CancelWait { kWaiting, kSettled, kFailed };
// Settles the entries whose state came in (cancelled, filled or partly
// filled), and after the wait asks for the others.
CancelWait CheckCancelConfirmations(TaskMessages& messages, CancelList& cancels, std::string_view account);

}  // namespace order_module
