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
  // Keeps the latest `capacity` requests whose texts take no more than
  // `maxBytes` together, each text cut to `maxTextBytes`.
  RequestLog(std::size_t capacity, std::size_t maxBytes, std::size_t maxTextBytes)
      : capacity_(capacity), maxBytes_(maxBytes), maxTextBytes_(maxTextBytes) {}

  void Add(ReceivedRequest request);
  std::vector<ReceivedRequest> Requests() const;
  // Waits until `count` requests have been added since the start or Clear().
  bool WaitFor(std::size_t count, std::chrono::milliseconds timeout) const;
  void Clear();

 private:
  const std::size_t capacity_;
  const std::size_t maxBytes_;
  const std::size_t maxTextBytes_;
  mutable std::mutex mutex_;  // guards requests_, bytes_ and added_
  mutable std::condition_variable changed_;
  std::deque<ReceivedRequest> requests_;
  std::size_t bytes_ = 0;  // of the texts kept
  std::size_t added_ = 0;
};

}  // namespace simbackend
