#include "backend/global_string_list.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "platform/little_endian.h"

namespace backend {
namespace {

constexpr std::size_t kCapacityOffset = 0;
constexpr std::size_t kCountOffset = 4;
static_assert(CGlobalStringList::kHeaderSize == kCountOffset + 4);

std::uint32_t ListCapacity(const std::uint8_t* block) {
  return platform::LoadLittleEndian<std::uint32_t>(block + kCapacityOffset);
}
std::uint32_t ListCount(const std::uint8_t* block) {
  return platform::LoadLittleEndian<std::uint32_t>(block + kCountOffset);
}
void SetListCapacity(std::uint8_t* block, std::uint32_t capacity) {
  platform::StoreLittleEndian(block + kCapacityOffset, capacity);
}
void SetListCount(std::uint8_t* block, std::uint32_t count) {
  platform::StoreLittleEndian(block + kCountOffset, count);
}

std::uint8_t* Slot(std::uint8_t* block, std::size_t index) {
  return block + CGlobalStringList::kHeaderSize + index * CGlobalStringList::kSlotSize;
}

// A zeroed block of `capacity` empty slots, or null.
std::uint8_t* AllocateBlock(std::uint32_t capacity) {
  auto* block = static_cast<std::uint8_t*>(
      std::calloc(1, CGlobalStringList::kHeaderSize + std::size_t{capacity} * CGlobalStringList::kSlotSize));
  if (block != nullptr) SetListCapacity(block, capacity);
  return block;
}

}  // namespace

CGlobalStringList::CGlobalStringList(std::uint32_t growthStep) : growthStep_(growthStep == 0 ? 1 : growthStep) {}

CGlobalStringList::CGlobalStringList(CGlobalStringList&& other) noexcept
    : block_(std::exchange(other.block_, nullptr)), growthStep_(other.growthStep_) {}

CGlobalStringList& CGlobalStringList::operator=(CGlobalStringList&& other) noexcept {
  if (this != &other) {
    Free();
    block_ = std::exchange(other.block_, nullptr);
    growthStep_ = other.growthStep_;
  }
  return *this;
}

bool CGlobalStringList::Append(std::string_view text) {
  if (text.size() >= kSlotSize) return false;
  if (GetCount() == GetCapacity() && !Grow()) return false;
  const std::uint32_t count = ListCount(block_);
  std::uint8_t* slot = Slot(block_, count);
  if (!text.empty()) std::memcpy(slot, text.data(), text.size());
  slot[text.size()] = '\0';
  SetListCount(block_, count + 1);
  return true;
}

bool CGlobalStringList::AppendNumber(long long number) { return Append(std::to_string(number)); }

const char* CGlobalStringList::GetAt(std::size_t index) const {
  if (index >= GetCount()) return nullptr;
  return reinterpret_cast<const char*>(Slot(block_, index));
}

std::uint32_t CGlobalStringList::GetCount() const { return block_ == nullptr ? 0 : ListCount(block_); }

std::uint32_t CGlobalStringList::GetCapacity() const { return block_ == nullptr ? 0 : ListCapacity(block_); }

void CGlobalStringList::Free() {
  std::free(block_);
  block_ = nullptr;
}

// Moves the texts into a new block with growthStep_ more slots.
bool CGlobalStringList::Grow() {
  const std::uint32_t capacity = GetCapacity();
  if (capacity > std::numeric_limits<std::uint32_t>::max() - growthStep_) return false;
  std::uint8_t* grown = AllocateBlock(capacity + growthStep_);
  if (grown == nullptr) return false;
  const std::uint32_t count = GetCount();
  for (std::uint32_t index = 0; index < count; ++index) {
    std::memcpy(Slot(grown, index), Slot(block_, index), kSlotSize);
  }
  SetListCount(grown, count);
  std::free(block_);
  block_ = grown;
  return true;
}

}  // namespace backend
