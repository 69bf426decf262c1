// CtbQuotationCtrl: the quote table with its quote listeners. Every applied
// quote goes to each registered CWatchCallback in registration order.
//
// The watch list is used on the GUI thread only, like the windows that
// listen. A listener may register or unregister listeners (itself included)
// while it is being called: one that joins is called for the same quote, one
// that leaves is not called again.
#pragma once

#include <vector>

#include "quotes/quotation_com.h"
#include "quotes/watch_callback.h"

namespace quotes {

class CtbQuotationCtrl : public CtbQuotationCom {
 public:
  // Appends the listener, also when it is already registered. False when the
  // listener is null or the list cannot grow; the list stays as it was.
  bool RegisterWatch(CWatchCallback* watcher);
  // Removes the first registration of the listener, closing the gap; a
  // listener that is not registered is ignored.
  void UnregisterWatch(CWatchCallback* watcher);

 protected:
  void NotifyQuote(const backend::QuoteRecord& quote) override;

 private:
  std::vector<CWatchCallback*> watchers_;  // null: left during a notification
  int notifyDepth_ = 0;                    // notifications under way (a listener may cause another)
};

}  // namespace quotes
