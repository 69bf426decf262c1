#include "block_memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace connpool {
namespace {

std::atomic<AllocationGate> gate{nullptr};

bool Allowed(std::size_t bytes) {
  const AllocationGate current = gate.load();
  return current == nullptr || current(bytes);
}

}  // namespace

void* AllocateBlock(std::size_t bytes) {
  if (!Allowed(bytes)) return nullptr;
  return std::calloc(1, bytes);
}

void* ResizeBlock(void* block, std::size_t oldBytes, std::size_t newBytes) {
  if (!Allowed(newBytes)) return nullptr;
  void* resized = std::realloc(block, newBytes);
  if (resized != nullptr && newBytes > oldBytes)
    std::memset(static_cast<char*>(resized) + oldBytes, 0, newBytes - oldBytes);
  return resized;
}

void ReleaseBlock(void* block) { std::free(block); }

void SetAllocationGate(AllocationGate newGate) { gate.store(newGate); }

}  // namespace connpool
