#include "connpool/packed_list.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "block_memory.h"
#include "platform/gbk.h"
#include "platform/little_endian.h"

namespace connpool {
namespace {

namespace layout = packed_layout;

std::byte* Bytes(PackedBlock* block) { return reinterpret_cast<std::byte*>(block); }
const std::byte* Bytes(const PackedBlock* block) { return reinterpret_cast<const std::byte*>(block); }
PackedBlock* AsBlock(std::byte* bytes) { return reinterpret_cast<PackedBlock*>(bytes); }

std::uint32_t Load32(const std::byte* at) { return platform::LoadLittleEndian<std::uint32_t>(at); }
std::uint16_t Load16(const std::byte* at) { return platform::LoadLittleEndian<std::uint16_t>(at); }
void Store32(std::byte* at, std::uint32_t value) { platform::StoreLittleEndian(at, value); }
void Store16(std::byte* at, std::uint16_t value) { platform::StoreLittleEndian(at, value); }

std::uint32_t Header(const std::byte* block, std::size_t field) { return Load32(block + field); }
void SetHeader(std::byte* block, std::size_t field, std::uint32_t value) { Store32(block + field, value); }

constexpr std::uint64_t ValueAreaOffset(std::uint64_t capacity) {
  return layout::kHeaderSize + capacity * layout::kEntrySize;
}

std::byte* Entry(std::byte* block, std::uint32_t index) {
  return block + layout::kHeaderSize + std::size_t{index} * layout::kEntrySize;
}
const std::byte* Entry(const std::byte* block, std::uint32_t index) {
  return block + layout::kHeaderSize + std::size_t{index} * layout::kEntrySize;
}
std::byte* Values(std::byte* block) { return block + Header(block, layout::kValueArea); }
const std::byte* Values(const std::byte* block) { return block + Header(block, layout::kValueArea); }

std::uint8_t EntryType(const std::byte* entry) { return std::to_integer<std::uint8_t>(entry[layout::kEntryType]); }

// Addresses are stored as 64-bit little-endian numbers.
std::uint64_t AddressOf(const std::byte* block) { return reinterpret_cast<std::uintptr_t>(block); }
std::byte* FromAddress(std::uint64_t address) {
  return reinterpret_cast<std::byte*>(static_cast<std::uintptr_t>(address));
}

std::byte* Parent(const std::byte* block) {
  const std::uint64_t low = Header(block, layout::kParentLow);
  const std::uint64_t high = Header(block, layout::kParentHigh);
  return FromAddress(low | (high << 32));
}

void SetParent(std::byte* block, const std::byte* parent, std::uint32_t entryId) {
  const std::uint64_t address = AddressOf(parent);
  SetHeader(block, layout::kParentLow, static_cast<std::uint32_t>(address));
  SetHeader(block, layout::kParentHigh, static_cast<std::uint32_t>(address >> 32));
  SetHeader(block, layout::kParentEntryId, entryId);
}

// The value bytes of entry `index`, or empty when the index or the entry's
// value range lies outside the block's layout.
std::span<const std::byte> ValueOf(const std::byte* block, int index) {
  const std::uint32_t count = Header(block, layout::kCount);
  if (index < 0 || static_cast<std::uint32_t>(index) >= count ||
      static_cast<std::uint32_t>(index) >= Header(block, layout::kCapacity))
    return {};
  const std::byte* entry = Entry(block, static_cast<std::uint32_t>(index));
  const std::uint32_t offset = Load32(entry + layout::kEntryValueOffset);
  const std::uint32_t length = Load16(entry + layout::kEntryLength);
  const std::uint32_t used = Header(block, layout::kValueBytes);
  if (offset > used || length > used - offset) return {};
  return {Values(block) + offset, length};
}

std::byte* ChildOf(const std::byte* block, int index) {
  const std::span<const std::byte> value = ValueOf(block, index);
  if (value.size() < sizeof(std::uint64_t) ||
      EntryType(Entry(block, static_cast<std::uint32_t>(index))) != kChildListEntry)
    return nullptr;
  return FromAddress(platform::LoadLittleEndian<std::uint64_t>(value.data()));
}

void StoreAddressValue(std::byte* block, std::uint32_t index, std::uint64_t address) {
  const std::byte* entry = Entry(block, index);
  platform::StoreLittleEndian(Values(block) + Load32(entry + layout::kEntryValueOffset), address);
}

template <typename Visit>
void ForEachChild(std::byte* block, Visit visit) {
  const int count = static_cast<int>(Header(block, layout::kCount));
  for (int index = 0; index < count; ++index)
    if (std::byte* child = ChildOf(block, index)) visit(static_cast<std::uint32_t>(index), child);
}

// The index of `parent`'s child entry holding the block at `address`.
int FindChildEntry(std::byte* parent, std::uint64_t address) {
  const int count = static_cast<int>(Header(parent, layout::kCount));
  for (int index = 0; index < count; ++index) {
    const std::byte* child = ChildOf(parent, index);
    if (child != nullptr && AddressOf(child) == address) return index;
  }
  return -1;
}

void FreeTree(std::byte* block, bool clearParentEntry) {
  if (std::byte* parent = Parent(block); clearParentEntry && parent != nullptr) {
    if (const int index = FindChildEntry(parent, AddressOf(block)); index >= 0) {
      auto i = static_cast<std::uint32_t>(index);
      StoreAddressValue(parent, i, 0);
      Entry(parent, i)[layout::kEntryType] = std::byte{kBinaryEntry};
    }
  }
  ForEachChild(block, [](std::uint32_t, std::byte* child) { FreeTree(child, false); });
  ReleaseBlock(block);
}

// After `block` moved from `oldAddress`: its children and its parent's entry
// must point at the new place.
void Relink(std::byte* block, std::uint64_t oldAddress) {
  ForEachChild(block, [block](std::uint32_t, std::byte* child) {
    SetParent(child, block, Header(child, layout::kParentEntryId));
  });
  if (std::byte* parent = Parent(block)) {
    if (const int index = FindChildEntry(parent, oldAddress); index >= 0)
      StoreAddressValue(parent, static_cast<std::uint32_t>(index), AddressOf(block));
  }
}

// The header must describe the block before it may be grown or written.
bool Consistent(const std::byte* block) {
  const std::uint64_t capacity = Header(block, layout::kCapacity);
  return Header(block, layout::kValueArea) == ValueAreaOffset(capacity) && Header(block, layout::kCount) <= capacity &&
         ValueAreaOffset(capacity) + Header(block, layout::kValueBytes) <= Header(block, layout::kBlockSize);
}

std::uint64_t RoundUpToUnit(std::uint64_t bytes) {
  return (bytes + layout::kBlockUnit - 1) / layout::kBlockUnit * layout::kBlockUnit;
}

std::byte* NewBlock(std::size_t firstLength) {
  // A first value shorter than this always fits beside the first directory.
  constexpr std::size_t kFirstDirectoryEnd = ValueAreaOffset(layout::kFirstCapacity) - 1;
  const std::size_t size = firstLength < layout::kBlockUnit - kFirstDirectoryEnd
                               ? layout::kBlockUnit
                               : ((firstLength + kFirstDirectoryEnd) / layout::kBlockUnit + 1) * layout::kBlockUnit;
  auto* block = static_cast<std::byte*>(AllocateBlock(size));
  if (block == nullptr) return nullptr;
  SetHeader(block, layout::kBlockSize, static_cast<std::uint32_t>(size));
  Store16(block + layout::kGrowthStep, layout::kStepGrowth);
  SetHeader(block, layout::kGrowthIncrement, static_cast<std::uint32_t>(size));
  SetHeader(block, layout::kValueArea, static_cast<std::uint32_t>(ValueAreaOffset(layout::kFirstCapacity)));
  SetHeader(block, layout::kParentEntryId, kAutomaticId);
  SetHeader(block, layout::kCapacity, layout::kFirstCapacity);
  return block;
}

struct Geometry {
  std::uint64_t size;
  std::uint64_t capacity;
  std::uint64_t step;
  std::uint64_t increment;
};

// The geometry a block needs to take one more entry with a value of `length`
// bytes. A full directory grows by its step (and the step by 16); the block
// grows by the growth increment when the new directory slots do not fit.
// Then, when the value does not fit, the block grows by the increment and by
// whole 8192-byte units beyond it as far as the value needs. Every growth of
// the block raises the increment by 8192.
Geometry GrownGeometry(const std::byte* block, std::size_t length) {
  Geometry g{Header(block, layout::kBlockSize), Header(block, layout::kCapacity), Load16(block + layout::kGrowthStep),
             Header(block, layout::kGrowthIncrement)};
  const std::uint64_t used = Header(block, layout::kValueBytes);
  auto freeRoom = [&] {
    return static_cast<std::int64_t>(g.size) - static_cast<std::int64_t>(used + ValueAreaOffset(g.capacity));
  };
  if (Header(block, layout::kCount) >= g.capacity) {
    g.capacity += g.step;
    g.step += layout::kStepGrowth;
    if (const std::int64_t room = freeRoom(); room < 0) {
      g.size += std::max(g.increment, RoundUpToUnit(static_cast<std::uint64_t>(-room)));
      g.increment += layout::kBlockUnit;
    }
  }
  if (const std::int64_t room = freeRoom(); room < static_cast<std::int64_t>(length)) {
    const std::uint64_t needed = g.size + length - static_cast<std::uint64_t>(room);
    std::uint64_t target = g.size + g.increment;
    if (target < needed) {
      const std::uint64_t extra = RoundUpToUnit(needed - target);
      target += extra;
      g.increment += extra;
    }
    g.increment += layout::kBlockUnit;
    g.size = target;
  }
  return g;
}

bool FitsHeader(const Geometry& g) {
  constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();
  return g.size <= kMax32 && g.increment <= kMax32 && g.step <= std::numeric_limits<std::uint16_t>::max() &&
         ValueAreaOffset(g.capacity) <= g.size;
}

// Writes entry `index` (its directory slot must be free) and appends its value.
void WriteEntry(std::byte* block, std::uint32_t index, std::span<const std::byte> value, std::string_view name,
                std::uint8_t type, std::uint8_t flag, std::uint32_t id) {
  std::byte* entry = Entry(block, index);
  std::memset(entry, 0, layout::kEntrySize);
  name = name.substr(0, name.find('\0'));
  if (const std::size_t kept = platform::GbkFitLength(name, layout::kNameSize - 1); kept > 0)
    std::memcpy(entry + layout::kEntryName, name.data(), kept);
  const std::uint32_t used = Header(block, layout::kValueBytes);
  Store32(entry + layout::kEntryValueOffset, used);
  Store16(entry + layout::kEntryLength, static_cast<std::uint16_t>(value.size()));
  entry[layout::kEntryType] = std::byte{type};
  entry[layout::kEntryFlag] = std::byte{flag};
  if (id == kAutomaticId) {
    id = Header(block, layout::kNextId);
    SetHeader(block, layout::kNextId, id + 1);
  }
  Store32(entry + layout::kEntryId, id);
  if (!value.empty()) std::memcpy(Values(block) + used, value.data(), value.size());
  SetHeader(block, layout::kValueBytes, used + static_cast<std::uint32_t>(value.size()));
  SetHeader(block, layout::kCount, Header(block, layout::kCount) + 1);
}

bool LiesWithin(std::span<const std::byte> value, const PackedBlock* block) {
  if (block == nullptr || value.empty()) return false;
  const std::byte* begin = Bytes(block);
  const std::byte* end = begin + Header(begin, layout::kBlockSize);
  return std::less_equal<>()(begin, value.data()) && std::less<>()(value.data(), end);
}

}  // namespace

PackedList::~PackedList() { Release(); }

PackedList::PackedList(PackedList&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}

PackedList& PackedList::operator=(PackedList&& other) noexcept {
  if (this != &other) {
    Release();
    block_ = std::exchange(other.block_, nullptr);
  }
  return *this;
}

bool PackedList::MakeRoom(std::size_t length) {
  if (block_ == nullptr) {
    block_ = AsBlock(NewBlock(length));
    return block_ != nullptr;
  }
  std::byte* block = Bytes(block_);
  if (!Consistent(block)) return false;
  const Geometry g = GrownGeometry(block, length);
  if (!FitsHeader(g)) return false;
  const std::uint32_t oldSize = Header(block, layout::kBlockSize);
  const std::uint32_t oldArea = Header(block, layout::kValueArea);
  const std::uint32_t used = Header(block, layout::kValueBytes);
  const std::uint64_t oldAddress = AddressOf(block);
  if (g.size != oldSize) {
    block = static_cast<std::byte*>(ResizeBlock(block, oldSize, g.size));
    if (block == nullptr) return false;
  }
  const auto newArea = static_cast<std::uint32_t>(ValueAreaOffset(g.capacity));
  if (newArea != oldArea) {
    std::memmove(block + newArea, block + oldArea, used);
    std::memset(block + oldArea, 0, newArea - oldArea);
  }
  SetHeader(block, layout::kBlockSize, static_cast<std::uint32_t>(g.size));
  Store16(block + layout::kGrowthStep, static_cast<std::uint16_t>(g.step));
  SetHeader(block, layout::kGrowthIncrement, static_cast<std::uint32_t>(g.increment));
  SetHeader(block, layout::kValueArea, newArea);
  SetHeader(block, layout::kCapacity, static_cast<std::uint32_t>(g.capacity));
  block_ = AsBlock(block);
  if (AddressOf(block) != oldAddress) Relink(block, oldAddress);
  return true;
}

bool PackedList::AddEntry(std::span<const std::byte> value, std::string_view name, std::uint8_t type, std::uint8_t flag,
                          std::uint32_t id) {
  if (LiesWithin(value, block_)) {  // growing could move the bytes away
    const std::vector<std::byte> copy(value.begin(), value.end());
    return AddEntry(copy, name, type, flag, id);
  }
  if (value.size() > kMaxValueLength || !MakeRoom(value.size())) return false;
  std::byte* block = Bytes(block_);
  WriteEntry(block, Header(block, layout::kCount), value, name, type, flag, id);
  return true;
}

bool PackedList::AddText(std::string_view text, std::string_view name, std::uint8_t type, std::uint8_t flag) {
  std::vector<std::byte> value(text.size() + 1);
  if (!text.empty()) std::memcpy(value.data(), text.data(), text.size());
  return AddEntry(value, name, type, flag);
}

bool PackedList::AddInt32(std::int32_t value, std::string_view name) {
  std::byte bytes[4];
  platform::StoreLittleEndian(bytes, static_cast<std::uint32_t>(value));
  return AddEntry(bytes, name, kInt32Entry, 0);
}

bool PackedList::AddChildList(PackedList& child, std::string_view name) {
  if (child.block_ == nullptr || Parent(Bytes(child.block_)) != nullptr) return false;
  for (const std::byte* ancestor = Bytes(block_); ancestor != nullptr; ancestor = Parent(ancestor))
    if (ancestor == Bytes(child.block_)) return false;
  std::byte address[sizeof(std::uint64_t)];
  platform::StoreLittleEndian(address, AddressOf(Bytes(child.block_)));
  if (!AddEntry(address, name, kChildListEntry, 0)) return false;
  std::byte* block = Bytes(block_);
  const std::uint32_t id = Load32(Entry(block, Header(block, layout::kCount) - 1) + layout::kEntryId);
  SetParent(Bytes(child.block_), block, id);
  child.block_ = nullptr;
  return true;
}

bool PackedList::InsertEntry(int position, std::span<const std::byte> value, std::string_view name, std::uint8_t type,
                             std::uint8_t flag) {
  if (position < 0) return false;
  if (position >= Count()) return AddEntry(value, name, type, flag);
  if (LiesWithin(value, block_)) {
    const std::vector<std::byte> copy(value.begin(), value.end());
    return InsertEntry(position, copy, name, type, flag);
  }
  if (value.size() > kMaxValueLength || !MakeRoom(value.size())) return false;
  std::byte* block = Bytes(block_);
  const auto at = static_cast<std::uint32_t>(position);
  std::memmove(Entry(block, at + 1), Entry(block, at), (Header(block, layout::kCount) - at) * layout::kEntrySize);
  WriteEntry(block, at, value, name, type, flag, kAutomaticId);
  return true;
}

bool PackedList::InsertInt32At(int position, std::int32_t value, std::string_view name) {
  std::byte bytes[4];
  platform::StoreLittleEndian(bytes, static_cast<std::uint32_t>(value));
  return InsertEntry(position, bytes, name, kInt32Entry, 0);
}

bool PackedList::RemoveAt(int index) {
  if (index < 0 || index >= Count()) return false;
  std::byte* block = Bytes(block_);
  if (std::byte* child = ChildOf(block, index)) FreeTree(child, false);
  const auto at = static_cast<std::uint32_t>(index);
  const std::uint32_t count = Header(block, layout::kCount);
  const std::span<const std::byte> value = ValueOf(block, index);
  if (!value.empty()) {
    std::byte* values = Values(block);
    const auto offset = static_cast<std::uint32_t>(value.data() - values);
    const auto length = static_cast<std::uint32_t>(value.size());
    const std::uint32_t used = Header(block, layout::kValueBytes);
    std::memmove(values + offset, values + offset + length, used - offset - length);
    std::memset(values + used - length, 0, length);
    for (std::uint32_t other = 0; other < count; ++other) {
      std::byte* entry = Entry(block, other);
      const std::uint32_t otherOffset = Load32(entry + layout::kEntryValueOffset);
      if (other != at && otherOffset >= offset + length)
        Store32(entry + layout::kEntryValueOffset, otherOffset - length);
    }
    SetHeader(block, layout::kValueBytes, used - length);
  }
  std::memmove(Entry(block, at), Entry(block, at + 1), (count - at - 1) * layout::kEntrySize);
  std::memset(Entry(block, count - 1), 0, layout::kEntrySize);
  SetHeader(block, layout::kCount, count - 1);
  return true;
}

bool PackedList::AppendListAsValue(const PackedList& other) {
  if (other.block_ == nullptr) return false;
  const std::uint32_t size = Header(Bytes(other.block_), layout::kBlockSize);
  if (size > kMaxValueLength) return false;
  return AddEntry({Bytes(other.block_), size}, {}, kBinaryEntry, 0);
}

int PackedList::Count() const {
  if (block_ == nullptr) return 0;
  const std::byte* block = Bytes(block_);
  return static_cast<int>(std::min(Header(block, layout::kCount), Header(block, layout::kCapacity)));
}

std::span<const std::byte> PackedList::ValueAt(int index) const {
  if (block_ == nullptr) return {};
  return ValueOf(Bytes(block_), index);
}

std::string_view PackedList::TextAt(int index) const {
  const std::span<const std::byte> value = ValueAt(index);
  const auto* text = reinterpret_cast<const char*>(value.data());
  return {text, static_cast<std::size_t>(std::find(text, text + value.size(), '\0') - text)};
}

PackedBlock* PackedList::ChildAt(int index) const {
  if (block_ == nullptr) return nullptr;
  return AsBlock(ChildOf(Bytes(block_), index));
}

void PackedList::Attach(PackedBlock* block) {
  Release();
  block_ = block;
}

PackedBlock* PackedList::Detach() { return std::exchange(block_, nullptr); }

void PackedList::Free() {
  if (block_ != nullptr) FreeTree(Bytes(block_), true);
  block_ = nullptr;
}

void PackedList::Release() {
  if (block_ != nullptr && Parent(Bytes(block_)) == nullptr) FreeTree(Bytes(block_), false);
  block_ = nullptr;
}

PackedBlock* PackedList::CloneBlock(const PackedBlock* source) {
  if (source == nullptr) return nullptr;
  const std::byte* original = Bytes(source);
  const std::uint32_t size = Header(original, layout::kBlockSize);
  auto* copy = static_cast<std::byte*>(AllocateBlock(size));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, original, size);
  SetParent(copy, nullptr, kAutomaticId);
  // The copy must not point at the original's children even for a moment: a
  // failure part-way frees the copy with the clones made so far, and only those.
  ForEachChild(copy, [copy](std::uint32_t index, std::byte*) { StoreAddressValue(copy, index, 0); });
  const int count = static_cast<int>(Header(original, layout::kCount));
  for (int index = 0; index < count; ++index) {
    std::byte* child = ChildOf(original, index);
    if (child == nullptr) continue;
    std::byte* clone = Bytes(CloneBlock(AsBlock(child)));
    if (clone == nullptr) {
      FreeTree(copy, false);
      return nullptr;
    }
    const auto at = static_cast<std::uint32_t>(index);
    SetParent(clone, copy, Load32(Entry(copy, at) + layout::kEntryId));
    StoreAddressValue(copy, at, AddressOf(clone));
  }
  return AsBlock(copy);
}

}  // namespace connpool
