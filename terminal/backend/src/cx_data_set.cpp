#include "backend/cx_data_set.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <utility>

#include "platform/gbk.h"

namespace backend {

using namespace data_set_block;

namespace {

constexpr std::uint64_t kFirstBlockSize = 8192;
constexpr std::uint64_t kGrowthIncrement = 8192;
constexpr std::uint32_t kFirstCapacity = 16;
constexpr std::uint32_t kDirectoryStepIncrement = 16;
// The most a block grows by at once. Growth as this list makes it stays far
// below (it adds 8192 bytes, plus a value's shortfall, per enlargement of a
// block of at most 4 GB); a cloned or nested block states its own, and a
// malformed one must not make one small entry allocate gigabytes.
constexpr std::uint64_t kMaxBlockGrowth = 16u << 20;
constexpr std::size_t kMaxNameLength = kNameSize - 1;

// A full table's room for entries and values grows by half at once.
constexpr std::uint64_t Enlarged(std::uint64_t needed) { return needed + needed / 2; }

static_assert(ValueAreaFor(kFirstCapacity) == 744);
static_assert(kFirstBlockSize - ValueAreaFor(kFirstCapacity) == 7448,
              "the largest first value that fits the first block");

constexpr std::uint64_t RoundUp(std::uint64_t value, std::uint64_t multiple) {
  return (value + multiple - 1) / multiple * multiple;
}

// The first block: 8192 bytes, or enough whole 8192-byte steps for a long
// first value.
constexpr std::uint64_t FirstBlockSize(std::uint64_t firstValueLength) {
  const std::uint64_t room = kFirstBlockSize - ValueAreaFor(kFirstCapacity);
  if (firstValueLength <= room) return kFirstBlockSize;
  return ((firstValueLength - (room + 1)) / kFirstBlockSize + 2) * kFirstBlockSize;
}
static_assert(FirstBlockSize(7448) == 8192 && FirstBlockSize(7449) == 16384);
static_assert(FirstBlockSize(15640) == 16384 && FirstBlockSize(15641) == 24576);

// Checks what the writers rely on beyond what a view checks: the directory
// fills the space before the values, and the values lie packed in entry
// order and add up to the bytes in use.
bool IsWellFormed(std::span<const std::uint8_t> bytes) {
  const std::uint8_t* block = bytes.data();
  if (ValueArea(block) != ValueAreaFor(Capacity(block))) return false;
  std::uint64_t packed = 0;
  for (std::uint32_t index = 0; index < Count(block); ++index) {
    const std::uint8_t* entry = Entry(block, index);
    if (EntryValueOffset(entry) != packed) return false;
    packed += EntryLength(entry);
  }
  return packed == ValueBytes(block);
}

void SetEntry(std::uint8_t* entry, std::string_view name, std::uint32_t valueOffset, std::uint16_t length,
              std::uint8_t type, std::uint32_t id) {
  std::memset(entry, 0, kEntrySize);
  const std::size_t nameLength = platform::GbkFitLength(name, kMaxNameLength);
  if (nameLength > 0) std::memcpy(entry + kEntryNameOffset, name.data(), nameLength);
  SetU32(entry, kEntryValueOffset, valueOffset);
  SetU16(entry, kEntryLengthOffset, length);
  entry[kEntryTypeOffset] = type;
  SetU32(entry, kEntryIdOffset, id);
}

bool Inside(const void* pointer, const std::uint8_t* block) {
  const auto* byte = static_cast<const std::uint8_t*>(pointer);
  return block != nullptr && !std::less<>()(byte, block) && std::less<>()(byte, block + BlockSize(block));
}

}  // namespace

// ---------------------------------------------------------------- view

CxDataSetView::CxDataSetView(std::span<const std::uint8_t> bytes) {
  if (bytes.data() == nullptr || bytes.size() < kHeaderSize) return;
  const std::uint8_t* block = bytes.data();
  const std::uint64_t size = BlockSize(block);
  const bool fits = size >= kHeaderSize && size <= bytes.size() && Count(block) <= Capacity(block) &&
                    ValueAreaFor(Count(block)) <= ValueArea(block) &&
                    std::uint64_t{ValueArea(block)} + ValueBytes(block) <= size;
  if (fits) block_ = block;
}

std::span<const std::uint8_t> CxDataSetView::Bytes() const {
  if (block_ == nullptr) return {};
  return {block_, BlockSize(block_)};
}

std::uint32_t CxDataSetView::GetCount() const { return block_ == nullptr ? 0 : Count(block_); }

std::span<const std::uint8_t> CxDataSetView::GetValue(std::size_t index) const {
  if (index >= GetCount()) return {};
  const std::uint8_t* entry = Entry(block_, index);
  const std::uint64_t offset = EntryValueOffset(entry);
  const std::size_t length = EntryLength(entry);
  if (offset + length > ValueBytes(block_)) return {};
  return {block_ + ValueArea(block_) + offset, length};
}

std::optional<std::uint32_t> CxDataSetView::GetId(std::size_t index) const {
  if (index >= GetCount()) return std::nullopt;
  return EntryId(Entry(block_, index));
}

std::size_t CxDataSetView::GetData(std::size_t index, std::size_t bufferSize, void* buffer) const {
  const std::span<const std::uint8_t> value = GetValue(index);
  if (value.data() == nullptr || buffer == nullptr || bufferSize < value.size()) return 0;
  std::memcpy(buffer, value.data(), value.size());
  return value.size();
}

// ---------------------------------------------------------------- list

// The header fields that growth changes, wide enough to see an overflow.
struct CxDataSet::Layout {
  std::uint64_t size;
  std::uint64_t growth;
  std::uint64_t capacity;
  std::uint64_t step;

  std::uint64_t ValueArea() const { return ValueAreaFor(capacity); }
  std::uint64_t Free(std::uint64_t used) const { return size - ValueArea() - used; }
  bool Fits() const {
    constexpr std::uint64_t kU32 = std::numeric_limits<std::uint32_t>::max();
    return size <= kU32 && growth <= kU32 && capacity <= kU32 && step <= std::numeric_limits<std::uint16_t>::max();
  }
};

CxDataSet::CxDataSet(CxDataSet&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}

CxDataSet& CxDataSet::operator=(CxDataSet&& other) noexcept {
  if (this != &other) {
    FreeBlock();
    block_ = std::exchange(other.block_, nullptr);
  }
  return *this;
}

bool CxDataSet::AddEntry(const char* name, const void* value, std::size_t length, std::uint8_t type, std::uint32_t id) {
  if (value == nullptr && length > 0) return false;
  const std::string_view nameText =
      name == nullptr ? std::string_view() : std::string_view(name, strnlen(name, kNameSize));
  return AppendEntry(nameText, std::string_view(static_cast<const char*>(value), length), false, type, id);
}

bool CxDataSet::AddText(std::string_view text) { return AppendEntry({}, text, true, kTextType, kAutoId); }

bool CxDataSet::StartWithTexts(std::span<const std::string_view> texts) {
  if (block_ != nullptr || texts.empty()) return false;
  std::size_t valueBytes = 0;
  for (const std::string_view text : texts) {
    if (text.size() + 1 > kMaxValueLength) return false;
    valueBytes += text.size() + 1;
  }
  if (!CreateFittedBlock(texts.size(), valueBytes)) return false;
  // The block is made to fit the values, so appending cannot fail.
  for (const std::string_view text : texts) AppendEntry({}, text, true, kTextType, kAutoId);
  return true;
}

bool CxDataSet::AppendEntry(std::string_view name, std::string_view value, bool addTerminator, std::uint8_t type,
                            std::uint32_t id) {
  const std::size_t length = value.size() + (addTerminator ? 1 : 0);
  if (length > kMaxValueLength) return false;
  // Making room moves this list's values and may move its block, so a value
  // taken from the list itself is copied out first.
  std::string ownValue;
  if (!value.empty() && Inside(value.data(), block_)) value = ownValue.assign(value);
  if (!EnsureSpace(length)) return false;

  const std::uint32_t count = Count(block_);
  const std::uint32_t used = ValueBytes(block_);
  if (id == kAutoId) {
    id = NextId(block_);
    SetU32(block_, kNextIdOffset, id + 1);
  }
  SetEntry(Entry(block_, count), name, used, static_cast<std::uint16_t>(length), type, id);
  std::uint8_t* destination = block_ + ValueArea(block_) + used;
  if (!value.empty()) std::memcpy(destination, value.data(), value.size());
  if (addTerminator) destination[value.size()] = 0;
  SetU32(block_, kValueBytesOffset, used + static_cast<std::uint32_t>(length));
  SetU32(block_, kCountOffset, count + 1);
  return true;
}

bool CxDataSet::InsertItem(std::size_t position, std::span<const std::uint8_t, kItemSize> item) {
  const CxDataSetView current = View();
  const std::uint32_t count = current.GetCount();
  position = std::min<std::size_t>(position, count);
  const std::uint32_t itemId = block_ == nullptr ? 0 : NextId(block_);

  CxDataSet rebuilt;
  for (std::size_t index = 0; index <= count; ++index) {
    if (index == position && !rebuilt.AddEntry(nullptr, item.data(), item.size(), kRawType, itemId)) {
      return false;
    }
    if (index == count) break;
    const std::uint8_t* entry = Entry(block_, index);
    const std::span<const std::uint8_t> value = current.GetValue(index);
    const std::string_view valueText(reinterpret_cast<const char*>(value.data()), value.size());
    if (!rebuilt.AppendEntry(EntryName(entry), valueText, false, EntryType(entry), EntryId(entry))) {
      return false;
    }
  }
  SetU32(rebuilt.block_, kNextIdOffset, itemId + 1);
  *this = std::move(rebuilt);
  return true;
}

bool CxDataSet::RemoveEntry(std::size_t index) {
  const std::uint32_t count = GetCount();
  if (index >= count) return false;
  // The values lie packed in entry order (IsWellFormed): the later ones
  // move down as one run, and so do their directory entries.
  std::uint8_t* values = block_ + ValueArea(block_);
  const std::uint32_t removedAt = EntryValueOffset(Entry(block_, index));
  const std::uint16_t removedLength = EntryLength(Entry(block_, index));
  const std::uint32_t used = ValueBytes(block_);
  const std::uint32_t laterAt = std::min(used, removedAt + removedLength);
  std::memmove(values + removedAt, values + laterAt, used - laterAt);
  std::memmove(Entry(block_, index), Entry(block_, index + 1), (count - index - 1) * kEntrySize);
  for (std::size_t later = index; later + 1 < count; ++later) {
    std::uint8_t* entry = Entry(block_, later);
    SetU32(entry, kEntryValueOffset, EntryValueOffset(entry) - removedLength);
  }
  const std::uint32_t writePoint = removedAt + (used - laterAt);
  // Clear what the list no longer holds, so a clone carries no stale bytes.
  std::memset(Entry(block_, count - 1), 0, kEntrySize);
  std::memset(values + writePoint, 0, used - writePoint);
  SetU32(block_, kValueBytesOffset, writePoint);
  SetU32(block_, kCountOffset, count - 1);
  return true;
}

bool CxDataSet::EnsureSpace(std::size_t length) {
  if (length > kMaxValueLength) return false;
  if (block_ == nullptr) return CreateBlock(length);

  Layout layout{BlockSize(block_), std::min<std::uint64_t>(BlockGrowth(block_), kMaxBlockGrowth), Capacity(block_),
                DirectoryStep(block_)};
  const std::uint64_t used = ValueBytes(block_);
  if (Count(block_) == layout.capacity) {
    // The directory grows by `step` entries, enlarging the block as often as
    // it takes for them to fit.
    if (layout.step == 0 || layout.growth == 0) return false;
    const std::uint64_t need = layout.step * kEntrySize;
    while (layout.Free(used) < need) {
      layout.size += layout.growth;
      layout.growth += kGrowthIncrement;
    }
    layout.capacity += layout.step;
    layout.step += kDirectoryStepIncrement;
  }
  if (layout.Free(used) < length) {
    const std::uint64_t required = layout.ValueArea() + used + length;
    std::uint64_t size = layout.size + layout.growth;
    const std::uint64_t rounding = size < required ? RoundUp(required - size, kGrowthIncrement) : 0;
    layout.size = size + rounding;
    layout.growth += kGrowthIncrement + rounding;
  }
  return layout.Fits() && Reshape(layout);
}

bool CxDataSet::Reserve(std::size_t entries, std::size_t valueBytes) {
  if (block_ == nullptr && !CreateBlock(0)) return false;
  Layout layout{BlockSize(block_), BlockGrowth(block_), std::max<std::uint64_t>(Capacity(block_), entries),
                DirectoryStep(block_)};
  const std::uint64_t needed = layout.ValueArea() + std::max<std::uint64_t>(ValueBytes(block_), valueBytes);
  layout.size = std::max(layout.size, needed);
  return layout.Fits() && Reshape(layout);
}

bool CxDataSet::EnsureSpaceGeometric(std::size_t length) {
  if (length > kMaxValueLength) return false;
  if (block_ != nullptr) {
    const std::uint64_t count = Count(block_);
    const std::uint64_t used = ValueBytes(block_);
    const bool full = count == Capacity(block_) || BlockSize(block_) - ValueArea(block_) - used < length;
    if (full && Reserve(Enlarged(count + 1), Enlarged(used + length))) return true;
  }
  return EnsureSpace(length);
}

// Takes on a new layout: a larger block, a larger directory, or both; the
// values move up behind the directory. Nothing changes when the block cannot
// be enlarged.
bool CxDataSet::Reshape(const Layout& layout) {
  const std::uint32_t oldSize = BlockSize(block_);
  const std::uint32_t oldValueArea = ValueArea(block_);
  const auto size = static_cast<std::uint32_t>(layout.size);
  const auto valueArea = static_cast<std::uint32_t>(layout.ValueArea());
  if (size != oldSize) {
    auto* grown = static_cast<std::uint8_t*>(std::realloc(block_, size));
    if (grown == nullptr) return false;
    block_ = grown;
    std::memset(block_ + oldSize, 0, size - oldSize);
  }
  if (valueArea != oldValueArea) {
    std::memmove(block_ + valueArea, block_ + oldValueArea, ValueBytes(block_));
    std::memset(block_ + oldValueArea, 0, valueArea - oldValueArea);
  }
  SetU32(block_, kBlockSizeOffset, size);
  SetU32(block_, kBlockGrowthOffset, static_cast<std::uint32_t>(layout.growth));
  SetU32(block_, kValueAreaOffset, valueArea);
  SetU32(block_, kCapacityOffset, static_cast<std::uint32_t>(layout.capacity));
  SetU16(block_, kDirectoryStepOffset, static_cast<std::uint16_t>(layout.step));
  return true;
}

bool CxDataSet::CreateBlock(std::size_t firstValueLength) {
  const std::uint64_t size = FirstBlockSize(firstValueLength);
  block_ = static_cast<std::uint8_t*>(std::calloc(1, size));
  if (block_ == nullptr) return false;
  WriteHeader(size, kFirstCapacity);
  return true;
}

bool CxDataSet::CreateFittedBlock(std::size_t entries, std::size_t valueBytes) {
  const std::uint64_t valueArea = ValueAreaFor(entries);
  const std::uint64_t size = valueArea + valueBytes;
  if (entries > std::numeric_limits<std::uint32_t>::max() || size > std::numeric_limits<std::uint32_t>::max()) {
    return false;
  }
  block_ = static_cast<std::uint8_t*>(std::malloc(size));
  if (block_ == nullptr) return false;
  // The values are written as they are appended; only what precedes them
  // must start cleared.
  std::memset(block_, 0, valueArea);
  WriteHeader(size, static_cast<std::uint32_t>(entries));
  return true;
}

void CxDataSet::WriteHeader(std::uint64_t size, std::uint32_t capacity) {
  SetU32(block_, kBlockSizeOffset, static_cast<std::uint32_t>(size));
  SetU16(block_, kDirectoryStepOffset, kFirstCapacity);
  // A block smaller than a first block grows as a first block would.
  SetU32(block_, kBlockGrowthOffset, static_cast<std::uint32_t>(std::max(size, kFirstBlockSize)));
  SetU32(block_, kValueAreaOffset, static_cast<std::uint32_t>(ValueAreaFor(capacity)));
  SetU32(block_, kCapacityOffset, capacity);
}

std::uint8_t* CxDataSet::GetDataPtr(std::size_t index) { return const_cast<std::uint8_t*>(View().GetDataPtr(index)); }

CxDataSetView CxDataSet::View() const {
  if (block_ == nullptr) return {};
  return CxDataSetView(std::span<const std::uint8_t>(block_, BlockSize(block_)));
}

std::uint8_t* CxDataSet::ReleaseBlock() noexcept { return std::exchange(block_, nullptr); }

CxDataSet CxDataSet::CloneBlock(const CxDataSetView& block) {
  const std::span<const std::uint8_t> bytes = block.Bytes();
  if (bytes.empty() || !IsWellFormed(bytes)) return {};
  auto* copy = static_cast<std::uint8_t*>(std::malloc(bytes.size()));
  if (copy == nullptr) return {};
  std::memcpy(copy, bytes.data(), bytes.size());
  SetU32(copy, kHeapOffset, 0);  // one plain allocation, no heap of its own
  return CxDataSet(copy);
}

void CxDataSet::FreeBlock() noexcept {
  std::free(block_);
  block_ = nullptr;
}

}  // namespace backend
