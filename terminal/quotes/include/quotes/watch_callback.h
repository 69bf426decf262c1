// CWatchCallback: what the quote object tells its listeners. A window that
// listens derives from its own base and from CWatchCallback as a second base,
// and registers with the quote object; the quote object does not own it.
#pragma once

#include "backend/quote_record.h"

namespace quotes {

// The contract groups of one kind, kept by the quote object's group layer.
struct ContractGroupList;

// Events passed to the listeners.
inline constexpr int kQuoteEvent = 1;             // OnQuote
inline constexpr int kContractsAddedEvent = 4;    // OnGroupChanged
inline constexpr int kContractsRemovedEvent = 8;  // OnGroupChanged
inline constexpr int kCurrentGroupEvent = 16;     // OnGroupChanged: current kind or group changed

// Each operation answers a flag that no caller reads; a listener overrides
// only what it listens for.
class CWatchCallback {
 public:
  // A quote was applied, or a window started showing a contract whose quote
  // is already held. `quote` is valid only during the call.
  virtual bool OnQuote(int /*event*/, const backend::QuoteRecord* /*quote*/) { return false; }
  // Contracts were added to or removed from a group of `kind` (0 futures,
  // 1 combinations, 2 options), or the current kind or group changed.
  virtual bool OnGroupChanged(int /*event*/, int /*kind*/, const ContractGroupList* /*groups*/) { return false; }
  // Declared for a watch list of main contracts; nothing raises it.
  virtual bool OnMainContractChanged() { return false; }

 protected:
  // Listeners are never deleted through this interface.
  ~CWatchCallback() = default;
};

}  // namespace quotes
