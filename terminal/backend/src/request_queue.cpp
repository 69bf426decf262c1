#include "backend/request_queue.h"

#include <algorithm>
#include <new>
#include <utility>

namespace backend {

bool RequestQueue::Enqueue(RequestRecord* record) {
  const auto lower = std::find_if(records_.begin(), records_.end(),
                                  [&](const RequestRecord* queued) { return queued->priority < record->priority; });
  return InsertAt(static_cast<std::size_t>(lower - records_.begin()), record);
}

bool RequestQueue::InsertAt(std::size_t position, RequestRecord* record) {
  position = std::min(position, records_.size());
  try {
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(position), record);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

RequestRecord* RequestQueue::PopFront() {
  if (records_.empty()) return nullptr;
  RequestRecord* first = records_.front();
  records_.pop_front();
  return first;
}

ResultQueue::~ResultQueue() {
  while (TakeNext()) {
  }
}

bool ResultQueue::Post(RequestPtr record) {
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    if (!records_.InsertAt(records_.Count(), record.get())) return false;
    record.release();
    wake = std::exchange(takerWaiting_, false);
  }
  if (wake) {
    // Held while the hook runs, so that replacing the hook waits for it. The
    // hook only signals the taker, which never waits for this lock while it
    // takes records.
    std::lock_guard hookLock(hookMutex_);
    if (arrivalHook_) arrivalHook_();
  }
  return true;
}

RequestPtr ResultQueue::TakeNext() {
  std::lock_guard lock(mutex_);
  RequestPtr next(records_.PopFront());
  if (!next) takerWaiting_ = true;
  return next;
}

void ResultQueue::SetArrivalHook(std::function<void()> hook) {
  std::lock_guard hookLock(hookMutex_);
  arrivalHook_ = std::move(hook);
}

std::size_t ResultQueue::Count() const {
  std::lock_guard lock(mutex_);
  return records_.Count();
}

ResultQueue& TheResultQueue() {
  static ResultQueue queue;
  return queue;
}

bool PostToResultQueue(RequestPtr record) { return TheResultQueue().Post(std::move(record)); }

}  // namespace backend
