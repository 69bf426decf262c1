#include "request_log.h"

namespace simbackend {

void RequestLog::Add(ReceivedRequest request) {
  if (request.text.size() > maxTextBytes_) request.text.resize(maxTextBytes_);
  {
    std::lock_guard lock(mutex_);
    bytes_ += request.text.size();
    requests_.push_back(std::move(request));
    while (requests_.size() > capacity_ || bytes_ > maxBytes_) {
      bytes_ -= requests_.front().text.size();
      requests_.pop_front();
    }
    ++added_;
  }
  changed_.notify_all();
}

std::vector<ReceivedRequest> RequestLog::Requests() const {
  std::lock_guard lock(mutex_);
  return {requests_.begin(), requests_.end()};
}

bool RequestLog::WaitFor(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return added_ >= count; });
}

void RequestLog::Clear() {
  std::lock_guard lock(mutex_);
  requests_.clear();
  bytes_ = 0;
  added_ = 0;
}

}  // namespace simbackend
