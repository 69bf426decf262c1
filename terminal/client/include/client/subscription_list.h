// The quote subscription list: turns the quote table's set of contracts into
// the text of the asynchronous quote subscription and keeps one subscription
// outstanding at a time, the newest wanted list waiting behind it.
//
// A refused or failed subscription is sent once more; when that fails too,
// the list rests until the quote table changes or the quote connection comes
// back, so a back end that keeps refusing is not asked again and again. A
// send that cannot even start (no connection) leaves the list idle too.
//
// Used on the GUI thread only (quote table changes, connection-state
// records, subscription answers), so it has no lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "backend/quote_record.h"
#include "quotes/quote_subscriber.h"

namespace client {

// One contract of a subscription.
struct SubscriptionEntry {
  char exchange[4] = {};
  char code[32] = {};
  std::int32_t subscribeFlag = 0;
};
static_assert(sizeof(SubscriptionEntry) == 40);

// The entry for a quote slot: its exchange text, contract code and
// subscribe flag.
SubscriptionEntry EntryOf(const backend::QuoteSlot& slot);

// "<exchange>,<code>;" for each entry in order, with ";#;" in place of the
// last ";" when the entry's subscribe flag is set.
std::string BuildSubscriptionText(std::span<const SubscriptionEntry> entries);

// Sends a subscription text; true once it is under way (its answer will
// come back through the result queue).
using SubscriptionSender = std::function<bool(std::string_view contracts)>;

class SubscriptionList : public quotes::QuoteSubscriber {
 public:
  static constexpr std::size_t kMaxEntries = 40;

  explicit SubscriptionList(SubscriptionSender send);

  // The quote table's contracts (at most the first 40 slots are taken).
  // While a subscription is outstanding they wait behind it, replacing any
  // list that waited before; otherwise they are sent now.
  void SetSubscriptionList(std::span<const backend::QuoteSlot> slots) override;
  // The outstanding subscription succeeded: the waiting list, if any, is
  // sent next.
  void CommitSubscriptionList();
  // The outstanding subscription failed: the waiting list, if any, is sent
  // in its place; else the failed list is sent once more, unless it was
  // already sent again.
  void RetrySubscriptionList();

  // A subscription is outstanding.
  bool Busy() const { return busy_; }

 private:
  // Sends the sent bank; busy while it is under way.
  void SendSubscriptionList();

  SubscriptionSender send_;
  bool busy_ = false;
  // The sent list was already sent a second time after a failure.
  bool resent_ = false;
  std::vector<SubscriptionEntry> sent_;
  // A list wanted while the sent one is outstanding; it may be empty (every
  // contract released), which is still a list to send.
  std::optional<std::vector<SubscriptionEntry>> waiting_;
};

}  // namespace client
