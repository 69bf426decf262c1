// WorkerPool: a fixed number of numbered slots; a started slot has a worker
// thread and a priority queue of call blocks. The worker runs each block's
// sub-calls in order through the CallTransport. A synchronous submission waits
// until its block is done; an asynchronous one returns at once and the block
// reaches the result hook when done. A priority-2 submission pre-empts a
// lower-priority block being run; an interrupted block of priority above 0 is
// queued again (a bounded number of times).
//
// Stopping a slot finishes every block still queued with kCallFailed and
// kConnectionClosedText (a synchronous caller wakes at once; an asynchronous
// block goes to the result hook) and pre-empts the block being run.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "connpool/call_block.h"
#include "connpool/call_transport.h"

namespace connpool {

enum class TraceType : int {
  kError = 1,
  kConnectFailure = 2,
  kEvent = 3,
  kCommunication = 4,
};

// The hooks run on the pool's threads (a slot's worker, or the thread that
// stops a slot); they must not start or stop slots.
struct PoolHooks {
  // Receives every finished asynchronous block and then decides its fate;
  // without a hook the pool frees it.
  std::function<void(CallBlock* block)> result;
  std::function<void(TraceType type, std::string_view text)> trace;
};

// How often an interrupted block is queued again before it completes with
// its interruption.
inline constexpr int kMaxRequeues = 5;

inline constexpr std::string_view kConnectionClosedText = "通讯连接已经断开，请求没有执行！";

class WorkerPool {
 public:
  // `transport` must outlive the pool.
  WorkerPool(int slotCount, CallTransport& transport, PoolHooks hooks);
  // Stops every started slot.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int SlotCount() const { return static_cast<int>(slots_.size()); }
  int FreeSlotCount() const;
  bool IsStarted(int slot) const;

  // Opens the slot's queue and starts its worker. False for a number outside
  // the pool or a slot already started.
  bool Start(int slot);
  // Finishes the queued blocks, pre-empts the running one and waits for the
  // worker to end. False for a number outside the pool or a slot not started.
  bool Stop(int slot);

  // Queue `block` on `slot`. A refused block is left as it was apart from its
  // connection, done and requeue fields, and `error` says why. SubmitSync
  // returns true once the block is done (its sub-calls carry their results);
  // SubmitAsync returns true once it is queued, and the block then belongs to
  // the pool until the result hook receives it.
  bool SubmitSync(int slot, CallBlock* block, std::string& error);
  bool SubmitAsync(int slot, CallBlock* block, std::string& error);

 private:
  struct Slot;

  bool Submit(int slot, CallBlock* block, platform::Event* done, std::string& error);
  void RunWorker(Slot& slot, platform::Event& quit);
  CallBlock* TakeNext(Slot& slot);
  void Process(Slot& slot, CallBlock& block, platform::Event& quit);
  void RunSubCall(Slot& slot, CallBlock& block, SubCall& subCall);
  void Finish(Slot& slot, CallBlock* block, const platform::Event& quit);
  void Complete(CallBlock* block);
  void FinishQueuedAsClosed(Slot& slot);
  void Trace(TraceType type, const std::string& text) const;

  CallTransport& transport_;
  const PoolHooks hooks_;
  std::vector<std::unique_ptr<Slot>> slots_;
  // Serialises Start and Stop.
  std::mutex control_;
};

}  // namespace connpool
