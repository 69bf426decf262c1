// A list of listeners called in registration order. A listener may join or
// leave while the list is being called: one that joins is called in the same
// round, one that leaves is not called again. Not owning; one thread.
#pragma once

#include <algorithm>
#include <new>
#include <vector>

#include "quotes/watch_callback.h"

namespace quotes {

class WatchList {
 public:
  // Appends the listener, also when it is already in the list. False when
  // the listener is null or the list cannot grow; the list stays as it was.
  bool Register(CWatchCallback* watcher) {
    if (watcher == nullptr) return false;
    try {
      watchers_.push_back(watcher);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

  // Removes the first registration of the listener, closing the gap; a
  // listener that is not in the list is ignored.
  void Unregister(CWatchCallback* watcher) {
    const auto found = std::find(watchers_.begin(), watchers_.end(), watcher);
    if (found == watchers_.end()) return;
    // While listeners are being called their positions must stay put; the
    // gap closes when the outermost round ends.
    if (depth_ > 0) {
      *found = nullptr;
    } else {
      watchers_.erase(found);
    }
  }

  // Calls `call` with each listener in registration order.
  template <typename Call>
  void ForEach(Call call) {
    ++depth_;
    for (std::size_t index = 0; index < watchers_.size(); ++index) {
      if (CWatchCallback* watcher = watchers_[index]) call(*watcher);
    }
    if (--depth_ == 0) std::erase(watchers_, nullptr);
  }

 private:
  std::vector<CWatchCallback*> watchers_;  // null: left during a round
  int depth_ = 0;                          // rounds under way (a listener may cause another)
};

}  // namespace quotes
