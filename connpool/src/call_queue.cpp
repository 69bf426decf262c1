#include "call_queue.h"

#include <cstdint>

#include "platform/little_endian.h"

namespace connpool {
namespace {

CallBlock* BlockAt(const PackedList& blocks, int index) {
  const std::span<const std::byte> value = blocks.ValueAt(index);
  if (value.size() != sizeof(std::uint64_t)) return nullptr;
  return reinterpret_cast<CallBlock*>(
      static_cast<std::uintptr_t>(platform::LoadLittleEndian<std::uint64_t>(value.data())));
}

}  // namespace

void CallQueue::Open() {
  std::lock_guard lock(mutex_);
  open_ = true;
}

void CallQueue::Close() {
  std::lock_guard lock(mutex_);
  open_ = false;
}

PushResult CallQueue::Push(CallBlock* block) {
  std::lock_guard lock(mutex_);
  if (!open_) return PushResult::kClosed;
  int position = 0;
  while (position < blocks_.Count() && BlockAt(blocks_, position)->priority >= block->priority) ++position;
  std::byte address[sizeof(std::uint64_t)];
  platform::StoreLittleEndian(address, static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(block)));
  return blocks_.InsertEntry(position, address, {}, kBinaryEntry, 0) ? PushResult::kQueued : PushResult::kNoRoom;
}

CallBlock* CallQueue::Pop() {
  std::lock_guard lock(mutex_);
  CallBlock* block = BlockAt(blocks_, 0);
  if (block != nullptr) blocks_.RemoveAt(0);
  return block;
}

}  // namespace connpool
