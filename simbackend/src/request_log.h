// The requests the back end received, kept for the tests to look at.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "simbackend/server.h"

namespace simbackend {

class RequestLog {
 public:
  // Keeps the latest `capacity` requests.
  explicit RequestLog(std::size_t capacity) : capacity_(capacity) {}

  void Add(ReceivedRequest request);
  std::vector<ReceivedRequest> Requests() const;
  // Waits until `count` requests have been added since the start or Clear().
  bool WaitFor(std::size_t count, std::chrono::milliseconds timeout) const;
  void Clear();

 private:
  const std::size_t capacity_;
  mutable std::mutex mutex_;  // guards requests_ and added_
  mutable std::condition_variable changed_;
  std::deque<ReceivedRequest> requests_;
  std::size_t added_ = 0;
};

}  // namespace simbackend
