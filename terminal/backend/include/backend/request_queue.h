// The queues of request records: each connection slot's queue of records
// waiting to be sent, ordered by priority, and the one result queue through
// which finished asynchronous requests and pushed lines reach the GUI thread.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "backend/request_record.h"

namespace backend {

// Records waiting in order; the queue does not own them. No lock of its own:
// its owner guards it.
class RequestQueue {
 public:
  // Places the record in front of the first one of lower priority, so that
  // records of equal priority keep their order. False, with the queue as it
  // was, when memory runs out.
  bool Enqueue(RequestRecord* record);
  // Places the record at `position`, or at the end when the position is not
  // below the count.
  bool InsertAt(std::size_t position, RequestRecord* record);
  // The first record, taken off the queue; null when empty.
  RequestRecord* PopFront();
  std::size_t Count() const { return records_.size(); }

 private:
  std::deque<RequestRecord*> records_;
};

// Finished asynchronous records and push records on their way to the GUI
// thread; filled by the connection workers and the portal's threads.
class ResultQueue {
 public:
  ResultQueue() = default;
  ~ResultQueue();
  ResultQueue(const ResultQueue&) = delete;
  ResultQueue& operator=(const ResultQueue&) = delete;

  // Appends the record; false, with the record freed, when memory runs out.
  bool Post(RequestPtr record);
  // The oldest record, or null when the queue is empty.
  RequestPtr TakeNext();
  std::size_t Count() const;

  // The call that tells the taker that records wait: made by the first Post
  // after TakeNext found the queue empty (and by the first Post of all), on
  // the posting thread, outside the queue's lock. However many records
  // follow, there is no other call until the taker has emptied the queue
  // again: a burst of records wakes the taker once. Once this returns, the
  // hook it replaced is not running and is never called again; an empty
  // hook makes no call.
  void SetArrivalHook(std::function<void()> hook);

 private:
  mutable std::mutex mutex_;  // guards records_ and takerWaiting_
  RequestQueue records_;      // owns what it holds
  bool takerWaiting_ = true;  // TakeNext found the queue empty; no Post since
  std::mutex hookMutex_;      // guards arrivalHook_ and is held while it runs
  std::function<void()> arrivalHook_;
};

// The result queue of the running terminal.
ResultQueue& TheResultQueue();
bool PostToResultQueue(RequestPtr record);

}  // namespace backend
