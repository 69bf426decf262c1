#include "quotes/quotation_ctrl.h"

namespace quotes {

void CtbQuotationCtrl::NotifyQuote(const backend::QuoteRecord& quote) {
  watchers_.ForEach([&](CWatchCallback& watcher) { watcher.OnQuote(kQuoteEvent, &quote); });
}

}  // namespace quotes
