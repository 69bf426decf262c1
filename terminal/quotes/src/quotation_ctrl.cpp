#include "quotes/quotation_ctrl.h"

#include <algorithm>
#include <new>

namespace quotes {

bool CtbQuotationCtrl::RegisterWatch(CWatchCallback* watcher) {
  if (watcher == nullptr) return false;
  try {
    watchers_.push_back(watcher);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void CtbQuotationCtrl::UnregisterWatch(CWatchCallback* watcher) {
  const auto found = std::find(watchers_.begin(), watchers_.end(), watcher);
  if (found == watchers_.end()) return;
  // While listeners are being called their positions must stay put; the gap
  // closes when the outermost notification ends.
  if (notifyDepth_ > 0) {
    *found = nullptr;
  } else {
    watchers_.erase(found);
  }
}

void CtbQuotationCtrl::NotifyQuote(const backend::QuoteRecord& quote) {
  ++notifyDepth_;
  for (std::size_t index = 0; index < watchers_.size(); ++index) {
    if (CWatchCallback* watcher = watchers_[index]) watcher->OnQuote(kQuoteEvent, &quote);
  }
  if (--notifyDepth_ == 0) std::erase(watchers_, nullptr);
}

}  // namespace quotes
