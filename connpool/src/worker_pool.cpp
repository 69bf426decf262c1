#include "connpool/worker_pool.h"

#include <atomic>

#include "call_queue.h"
#include "platform/format.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "text.h"

namespace connpool {
namespace {

constexpr int kPreemptingPriority = 2;
constexpr std::string_view kQueueFullText = "请求包加入通讯队列失败！";

// Why a block cannot be queued, or empty when it can.
std::string CheckBlock(const CallBlock* block) {
  if (block == nullptr) return "请求包为空！";
  if (block->subCallCount < 1) return platform::Format("请求包的子调用数（%d）非法！", block->subCallCount);
  if (block->size != CallBlockSize(static_cast<std::size_t>(block->subCallCount)))
    return platform::Format("请求包的大小（%u）与子调用数（%d）不符！", block->size, block->subCallCount);
  return {};
}

// Marks the sub-calls from `first` on as never run, for `reason`.
void FailFrom(CallBlock& block, int first, std::string_view reason) {
  for (int index = first; index < block.subCallCount; ++index) {
    SubCall& subCall = block.SubCalls()[index];
    subCall.resultCode = kCallFailed;
    SetErrorText(subCall, reason);
  }
}

// Readies an interrupted block to run again from its first sub-call.
void ClearForRetry(CallBlock& block) {
  block.retry = 0;
  ++block.requeueCount;
  block.processed = 0;
  for (int index = 0; index < block.subCallCount; ++index) {
    SubCall& subCall = block.SubCalls()[index];
    subCall.resultCode = kCallDone;
    SetErrorText(subCall, {});
    SetResults(subCall, PackedList());
  }
}

}  // namespace

struct WorkerPool::Slot {
  explicit Slot(int number) : number(number) {}

  const int number;
  std::atomic<bool> started{false};  // written under control_
  platform::Event preempt{platform::ResetMode::kManual};
  platform::Event work{platform::ResetMode::kManual};
  platform::WorkerThread worker;  // its stop event is the slot's quit event
  CallQueue queue;
  std::mutex currentLock;
  CallBlock* current = nullptr;  // the block being run; guarded by currentLock
};

WorkerPool::WorkerPool(int slotCount, CallTransport& transport, PoolHooks hooks)
    : transport_(transport), hooks_(std::move(hooks)) {
  for (int number = 0; number < slotCount; ++number) slots_.push_back(std::make_unique<Slot>(number));
}

WorkerPool::~WorkerPool() {
  for (int number = 0; number < SlotCount(); ++number) Stop(number);
}

int WorkerPool::FreeSlotCount() const {
  int free = 0;
  for (const auto& slot : slots_) free += slot->started ? 0 : 1;
  return free;
}

bool WorkerPool::IsStarted(int slot) const { return slot >= 0 && slot < SlotCount() && slots_[slot]->started; }

bool WorkerPool::Start(int number) {
  if (number < 0 || number >= SlotCount()) return false;
  std::lock_guard control(control_);
  Slot& slot = *slots_[number];
  if (slot.started) return false;
  slot.preempt.Reset();
  slot.work.Reset();
  slot.queue.Open();
  slot.worker.Start([this, &slot](platform::Event& quit) { RunWorker(slot, quit); });
  slot.started = true;
  return true;
}

bool WorkerPool::Stop(int number) {
  if (number < 0 || number >= SlotCount()) return false;
  std::lock_guard control(control_);
  Slot& slot = *slots_[number];
  if (!slot.started) return false;
  slot.queue.Close();
  // Quit before pre-empt: the worker resets pre-empt before it looks at quit,
  // so either it sees quit or its next call sees pre-empt.
  slot.worker.StopEvent().Set();
  slot.preempt.Set();
  FinishQueuedAsClosed(slot);
  slot.worker.Stop();
  slot.started = false;
  return true;
}

bool WorkerPool::SubmitSync(int slot, CallBlock* block, std::string& error) {
  platform::Event done(platform::ResetMode::kManual);
  if (!Submit(slot, block, &done, error)) return false;
  done.Wait();
  block->done = nullptr;
  return true;
}

bool WorkerPool::SubmitAsync(int slot, CallBlock* block, std::string& error) {
  return Submit(slot, block, nullptr, error);
}

bool WorkerPool::Submit(int number, CallBlock* block, platform::Event* done, std::string& error) {
  const std::string_view how = done != nullptr ? "同步通讯调用时，" : "异步通讯调用时，";
  auto refuse = [&](const std::string& reason) {
    error = std::string(how) + reason;
    return false;
  };
  if (number < 0 || number >= SlotCount()) return refuse(platform::Format("连接号：%d，非法！", number));
  const std::string notConnected = platform::Format("连接号：%d，还没有建立间接！", number);
  if (!IsStarted(number)) return refuse(notConnected);
  if (std::string problem = CheckBlock(block); !problem.empty()) return refuse(problem);

  Slot& slot = *slots_[number];
  block->connection = number;
  block->done = done;
  block->requeueCount = 0;
  if (done == nullptr) {
    const SubCall& first = block->SubCalls()[0];
    Trace(TraceType::kEvent, platform::Format("插入通讯队列：连接号 = %d, 请求编号 = %d, 功能号 = %d。", number,
                                              first.requestNumber, first.functionNumber));
  }
  switch (slot.queue.Push(block)) {
    case PushResult::kQueued: break;
    case PushResult::kClosed: block->done = nullptr; return refuse(notConnected);
    case PushResult::kNoRoom: block->done = nullptr; return refuse(std::string(kQueueFullText));
  }
  if (block->priority == kPreemptingPriority) {
    std::lock_guard lock(slot.currentLock);
    if (slot.current != nullptr && slot.current->priority < kPreemptingPriority) slot.preempt.Set();
  }
  slot.work.Set();
  return true;
}

void WorkerPool::RunWorker(Slot& slot, platform::Event& quit) {
  while (platform::WaitForAny({&quit, &slot.work}, platform::kWaitForever) == 1) {
    slot.work.Reset();
    // Quit is looked at between blocks, so a long queue cannot hold up a stop.
    while (!quit.IsSet()) {
      CallBlock* block = TakeNext(slot);
      if (block == nullptr) break;
      Process(slot, *block, quit);
      Finish(slot, block, quit);
    }
  }
  Trace(TraceType::kEvent, platform::Format("#%d连接，退出线程。", slot.number));
}

CallBlock* WorkerPool::TakeNext(Slot& slot) {
  std::lock_guard lock(slot.currentLock);
  slot.current = slot.queue.Pop();
  return slot.current;
}

void WorkerPool::Process(Slot& slot, CallBlock& block, platform::Event& quit) {
  for (int index = 0; index < block.subCallCount; ++index) {
    slot.preempt.Reset();
    if (quit.IsSet()) {
      FailFrom(block, index, kConnectionClosedText);
      return;
    }
    SubCall& subCall = block.SubCalls()[index];
    RunSubCall(slot, block, subCall);
    ++block.processed;
    if (block.callback != nullptr && block.callback(index, &subCall) == 0) return;
  }
}

void WorkerPool::RunSubCall(Slot& slot, CallBlock& block, SubCall& subCall) {
  const SubCallRequest request{block.connection, subCall.requestNumber, subCall.functionNumber,
                               subCall.singlePacket != 0, subCall.arguments};
  PackedList results;
  std::string error;
  const int code = transport_.Call(request, slot.preempt, results, error);
  subCall.resultCode = code;
  switch (code) {
    case kCallDone: SetResults(subCall, std::move(results)); break;
    case kNoResultData: SetErrorText(subCall, "没有输出结果数据。"); break;
    case kCallInterrupted:
      block.retry = 1;
      SetErrorText(subCall, error);
      break;
    case kAnswerRefused:
    case kCallFailed:
    case kCallException: SetErrorText(subCall, error); break;
    default: SetErrorText(subCall, "没有定义的错误类型。"); break;
  }
}

void WorkerPool::Finish(Slot& slot, CallBlock* block, const platform::Event& quit) {
  {
    std::lock_guard lock(slot.currentLock);
    slot.current = nullptr;
  }
  // A stopping slot runs nothing more: an interrupted block completes with
  // its interruption.
  if (block->retry != 0 && block->priority > 0 && block->requeueCount < kMaxRequeues && !quit.IsSet()) {
    ClearForRetry(*block);
    switch (slot.queue.Push(block)) {
      case PushResult::kQueued: return;
      case PushResult::kClosed: FailFrom(*block, 0, kConnectionClosedText); break;
      case PushResult::kNoRoom: FailFrom(*block, 0, kQueueFullText); break;
    }
  }
  Complete(block);
}

void WorkerPool::Complete(CallBlock* block) {
  if (platform::Event* done = block->done) {
    done->Set();  // the waiting submitter owns the block from here on
    return;
  }
  if (hooks_.result) {
    hooks_.result(block);
  } else {
    FreeCallBlock(block);
  }
}

void WorkerPool::FinishQueuedAsClosed(Slot& slot) {
  while (CallBlock* block = slot.queue.Pop()) {
    FailFrom(*block, block->processed, kConnectionClosedText);
    Complete(block);
  }
}

void WorkerPool::Trace(TraceType type, const std::string& text) const {
  if (hooks_.trace) hooks_.trace(type, text);
}

}  // namespace connpool
