// CallQueue: a slot's waiting call blocks, highest priority first, equal
// priorities in arrival order. A packed list of block addresses under a mutex.
// A closed queue takes nothing; it is open while its slot is connected.
#pragma once

#include <mutex>

#include "connpool/call_block.h"
#include "connpool/packed_list.h"

namespace connpool {

enum class PushResult { kQueued, kClosed, kNoRoom };

class CallQueue {
 public:
  void Open();
  // Blocks still queued stay for Pop; nothing new is taken.
  void Close();

  // Queues `block` before the first block of lower priority.
  PushResult Push(CallBlock* block);
  // The first block, or null when the queue is empty.
  CallBlock* Pop();

 private:
  std::mutex mutex_;
  bool open_ = false;  // guarded by mutex_
  PackedList blocks_;  // guarded by mutex_; each value one block's address
};

}  // namespace connpool
