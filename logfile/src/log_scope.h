// The write lock of a CLog for the length of one operation. Messages raised
// inside are shown by the outermost scope after the lock is released.
#pragma once

#include <string>

#include "logfile/log.h"
#include "platform/message.h"

class CLog::Scope {
 public:
  explicit Scope(const CLog& log) : log_(log) {
    log_.mutex_.lock();
    ++log_.lockDepth_;
  }
  ~Scope() {
    std::string message;
    if (--log_.lockDepth_ == 0) message.swap(log_.pendingMessage_);
    log_.mutex_.unlock();
    if (!message.empty()) platform::ShowMessage(message);
  }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  const CLog& log_;
};
