// CtbQuotationCtrl: the quote table with its quote listeners. Every applied
// quote goes to each registered CWatchCallback in registration order.
//
// The watch list is used on the GUI thread only, like the windows that
// listen. A listener may register or unregister listeners (itself included)
// while it is being called: one that joins is called for the same quote, one
// that leaves is not called again.
#pragma once

#include "quotes/quotation_com.h"
#include "quotes/watch_callback.h"
#include "quotes/watch_list.h"

namespace quotes {

class CtbQuotationCtrl : public CtbQuotationCom {
 public:
  // Appends the listener, also when it is already registered. False when the
  // listener is null or the list cannot grow; the list stays as it was.
  bool RegisterWatch(CWatchCallback* watcher) { return watchers_.Register(watcher); }
  // Removes the first registration of the listener, closing the gap; a
  // listener that is not registered is ignored.
  void UnregisterWatch(CWatchCallback* watcher) { watchers_.Unregister(watcher); }

 protected:
  void NotifyQuote(const backend::QuoteRecord& quote) override;

 private:
  WatchList watchers_;
};

}  // namespace quotes
