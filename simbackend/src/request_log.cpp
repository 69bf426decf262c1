#include "request_log.h"

namespace simbackend {

void RequestLog::Add(ReceivedRequest request) {
  {
    std::lock_guard lock(mutex_);
    if (requests_.size() >= capacity_) requests_.pop_front();
    requests_.push_back(std::move(request));
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
  added_ = 0;
}

}  // namespace simbackend
