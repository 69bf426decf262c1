// The local MAC address, which goes into every request: asked of the
// middleware until it answers, then kept. Safe to use from any thread.
#pragma once

#include <mutex>
#include <string>

#include "middleware/Halvost.h"

namespace connpool {

class MacAddressCache {
 public:
  explicit MacAddressCache(HalvostLocalMacFn query) : query_(query) {}

  // Empty while the middleware cannot tell.
  std::string Get();

 private:
  const HalvostLocalMacFn query_;
  std::mutex mutex_;
  bool filled_ = false;  // guarded by mutex_
  std::string text_;     // guarded by mutex_
};

}  // namespace connpool
