// RowSlabs: the memory behind one engine table's values. Values are carved
// as slots from slabs of whole pages that are made present in one step when
// mapped, so that filling a large table takes no page fault per page and no
// heap growth per row. Slots come in size classes (16-byte steps for short
// values, then eight steps per doubling), so a table whose rows are mostly
// one length fills its slabs with no gaps; a slot given back is taken again
// by the next value of its class, and a slab wholly given back is returned
// to the system unless it is the last one its class can still take from.
// A slot never moves while it is held.
//
// Not thread-safe: the table's owner guards it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace engine {

class RowSlabs {
 public:
  // The largest slab; a slot longer than this has a slab of its own. Mapping
  // and populating one is the longest pause an append takes (about 0.3 ms on
  // a busy virtual machine, twice that for twice the slab), while the call per
  // slab costs next to nothing against populating its pages.
  static constexpr std::size_t kSlabBytes = 128 * 1024;

  RowSlabs() = default;
  ~RowSlabs() { Clear(); }
  RowSlabs(RowSlabs&& other) noexcept;
  RowSlabs& operator=(RowSlabs&& other) noexcept;
  RowSlabs(const RowSlabs&) = delete;
  RowSlabs& operator=(const RowSlabs&) = delete;

  // A slot of at least `length` bytes (an empty value takes one too, so that
  // it has an address), aligned to 16; null when memory runs out.
  std::uint8_t* Take(std::size_t length);
  // Gives back a slot that Take gave and that is still held.
  void Give(std::uint8_t* slot) noexcept;
  // Gives back every slot and returns every slab.
  void Clear() noexcept;

  // The bytes of the slot that a value of `length` bytes takes.
  static std::size_t SlotBytes(std::size_t length);
  // The slabs held now.
  std::size_t SlabCount() const { return slabs_.size(); }

 private:
  struct Slab {
    std::uint8_t* base;
    std::uint32_t bytes;
    std::uint32_t slotBytes;
    // Slots held by values, and slots carved from the slab's start so far.
    std::uint32_t held;
    std::uint32_t carved;
    // Given-back slots, each holding the address of the next.
    std::uint8_t* givenBack;
    // Whether the slab is on its class's list of slabs with room.
    bool open;
  };
  struct SizeClass {
    std::uint32_t slotBytes;
    std::uint32_t nextSlabBytes;
    std::uint32_t slabCount;
    // The class's slabs with room; its capacity always covers every slab of
    // the class, so that giving a slot back never allocates.
    std::vector<Slab*> open;
  };

  SizeClass* FindClass(std::size_t slotBytes) noexcept;
  SizeClass& ClassFor(std::size_t slotBytes);
  Slab* AddSlab(SizeClass& sizeClass);
  // The first slab whose base lies beyond `address`.
  std::vector<std::unique_ptr<Slab>>::iterator SlabsAfter(const std::uint8_t* address) noexcept;
  Slab& SlabHolding(const std::uint8_t* slot) noexcept;
  void ReturnSlab(SizeClass& sizeClass, Slab& slab) noexcept;

  // Sorted by base address, so that a slot's slab is found by a search.
  std::vector<std::unique_ptr<Slab>> slabs_;
  std::vector<SizeClass> classes_;
};

}  // namespace engine
