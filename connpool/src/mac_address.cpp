#include "mac_address.h"

#include "middleware_api.h"

namespace connpool {

std::string MacAddressCache::Get() {
  std::lock_guard lock(mutex_);
  if (!filled_ && query_ != nullptr) {
    char buffer[kMiddlewareTextSize] = {};
    if (query_(buffer, sizeof buffer) == kHalvostOk) {
      text_ = TextIn(buffer, sizeof buffer);
      filled_ = true;
    }
  }
  return text_;
}

}  // namespace connpool
