#include "engine/row_slabs.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <utility>

#include "platform/populated_pages.h"

namespace engine {

namespace {

// A new class's first slab holds about this many slots, and each later slab
// twice the previous up to kSlabBytes, so a short table stays small.
constexpr std::size_t kFirstSlabSlots = 8;

std::size_t RoundUp(std::size_t value, std::size_t step) { return (value + step - 1) / step * step; }

}  // namespace

RowSlabs::RowSlabs(RowSlabs&& other) noexcept
    : slabs_(std::exchange(other.slabs_, {})), classes_(std::exchange(other.classes_, {})) {}

RowSlabs& RowSlabs::operator=(RowSlabs&& other) noexcept {
  if (this != &other) {
    Clear();
    slabs_ = std::exchange(other.slabs_, {});
    classes_ = std::exchange(other.classes_, {});
  }
  return *this;
}

std::size_t RowSlabs::SlotBytes(std::size_t length) {
  constexpr std::size_t kShortStep = 16;
  constexpr std::size_t kShortLimit = 256;
  if (length <= kShortLimit) return RoundUp(std::max(length, kShortStep), kShortStep);
  // Eight steps per doubling: a value wastes at most an eighth of its slot.
  return RoundUp(length, std::bit_floor(length - 1) / 8);
}

std::uint8_t* RowSlabs::Take(std::size_t length) {
  Slab* slab = nullptr;
  SizeClass* sizeClass = nullptr;
  try {
    sizeClass = &ClassFor(SlotBytes(length));
    slab = sizeClass->open.empty() ? AddSlab(*sizeClass) : sizeClass->open.back();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (slab == nullptr) return nullptr;
  std::uint8_t* slot = slab->givenBack;
  if (slot != nullptr) {
    std::memcpy(&slab->givenBack, slot, sizeof slab->givenBack);
  } else {
    slot = slab->base + std::size_t{slab->carved} * slab->slotBytes;
    ++slab->carved;
  }
  ++slab->held;
  if (slab->held == slab->bytes / slab->slotBytes) {
    sizeClass->open.pop_back();
    slab->open = false;
  }
  return slot;
}

void RowSlabs::Give(std::uint8_t* slot) noexcept {
  Slab& slab = SlabHolding(slot);
  std::memcpy(slot, &slab.givenBack, sizeof slab.givenBack);
  slab.givenBack = slot;
  --slab.held;
  SizeClass& sizeClass = *FindClass(slab.slotBytes);
  if (!slab.open) {
    sizeClass.open.push_back(&slab);  // within the capacity kept for it
    slab.open = true;
  }
  // The last slab with room stays, so that a table that loses and gains a
  // row at its edge does not map and return a slab each time.
  if (slab.held == 0 && sizeClass.open.size() > 1) ReturnSlab(sizeClass, slab);
}

void RowSlabs::Clear() noexcept {
  for (const std::unique_ptr<Slab>& slab : slabs_) platform::UnmapPages(slab->base, slab->bytes);
  slabs_.clear();
  classes_.clear();
}

RowSlabs::SizeClass* RowSlabs::FindClass(std::size_t slotBytes) noexcept {
  for (SizeClass& sizeClass : classes_) {
    if (sizeClass.slotBytes == slotBytes) return &sizeClass;
  }
  return nullptr;
}

RowSlabs::SizeClass& RowSlabs::ClassFor(std::size_t slotBytes) {
  if (SizeClass* known = FindClass(slotBytes)) return *known;
  const std::size_t firstSlab = std::min(RoundUp(slotBytes * kFirstSlabSlots, platform::PageSize()), kSlabBytes);
  classes_.push_back(SizeClass{static_cast<std::uint32_t>(slotBytes), static_cast<std::uint32_t>(firstSlab), 0, {}});
  return classes_.back();
}

RowSlabs::Slab* RowSlabs::AddSlab(SizeClass& sizeClass) {
  const std::size_t bytes =
      std::max<std::size_t>(sizeClass.nextSlabBytes, RoundUp(sizeClass.slotBytes, platform::PageSize()));
  // Room in the lists first, so that a slab once mapped is always kept.
  sizeClass.open.reserve(std::size_t{sizeClass.slabCount} + 1);
  slabs_.reserve(slabs_.size() + 1);
  auto slab = std::make_unique<Slab>(
      Slab{nullptr, static_cast<std::uint32_t>(bytes), sizeClass.slotBytes, 0, 0, nullptr, true});
  slab->base = static_cast<std::uint8_t*>(platform::MapPopulatedPages(bytes));
  if (slab->base == nullptr) return nullptr;
  Slab* added = slabs_.insert(SlabsAfter(slab->base), std::move(slab))->get();
  sizeClass.open.push_back(added);
  ++sizeClass.slabCount;
  sizeClass.nextSlabBytes = static_cast<std::uint32_t>(std::max(std::min(bytes * 2, kSlabBytes), bytes));
  return added;
}

std::vector<std::unique_ptr<RowSlabs::Slab>>::iterator RowSlabs::SlabsAfter(const std::uint8_t* address) noexcept {
  return std::upper_bound(slabs_.begin(), slabs_.end(), address,
                          [](const std::uint8_t* at, const std::unique_ptr<Slab>& held) { return at < held->base; });
}

RowSlabs::Slab& RowSlabs::SlabHolding(const std::uint8_t* slot) noexcept {
  // The slab whose base is the last one not beyond the slot.
  return **std::prev(SlabsAfter(slot));
}

void RowSlabs::ReturnSlab(SizeClass& sizeClass, Slab& slab) noexcept {
  sizeClass.open.erase(std::find(sizeClass.open.begin(), sizeClass.open.end(), &slab));
  --sizeClass.slabCount;
  platform::UnmapPages(slab.base, slab.bytes);
  slabs_.erase(std::prev(SlabsAfter(slab.base)));
}

}  // namespace engine
