// Helpers shared by the library's tests: a reader of the raw list layout and
// a switch that makes block allocations fail.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "block_memory.h"
#include "borrowed_list.h"
#include "connpool/packed_list.h"
#include "platform/little_endian.h"

namespace connpool::testing {

// Reads a list block byte by byte, as a host would.
class LayoutReader {
 public:
  explicit LayoutReader(const PackedBlock* block) : block_(reinterpret_cast<const std::byte*>(block)) {}

  std::uint32_t Header(std::size_t field) const { return platform::LoadLittleEndian<std::uint32_t>(block_ + field); }
  std::uint16_t GrowthStep() const {
    return platform::LoadLittleEndian<std::uint16_t>(block_ + packed_layout::kGrowthStep);
  }
  std::uint64_t ParentAddress() const {
    return Header(packed_layout::kParentLow) | (std::uint64_t{Header(packed_layout::kParentHigh)} << 32);
  }

  std::string Name(int index) const { return reinterpret_cast<const char*>(Entry(index)); }
  std::uint32_t ValueOffset(int index) const {
    return platform::LoadLittleEndian<std::uint32_t>(Entry(index) + packed_layout::kEntryValueOffset);
  }
  std::uint16_t Length(int index) const {
    return platform::LoadLittleEndian<std::uint16_t>(Entry(index) + packed_layout::kEntryLength);
  }
  std::uint8_t Type(int index) const { return std::to_integer<std::uint8_t>(Entry(index)[packed_layout::kEntryType]); }
  std::uint8_t Flag(int index) const { return std::to_integer<std::uint8_t>(Entry(index)[packed_layout::kEntryFlag]); }
  std::uint32_t Id(int index) const {
    return platform::LoadLittleEndian<std::uint32_t>(Entry(index) + packed_layout::kEntryId);
  }
  const std::byte* Value(int index) const { return block_ + Header(packed_layout::kValueArea) + ValueOffset(index); }

 private:
  const std::byte* Entry(int index) const {
    return block_ + packed_layout::kHeaderSize + static_cast<std::size_t>(index) * packed_layout::kEntrySize;
  }
  const std::byte* block_;
};

using connpool::BorrowedList;

inline std::uint64_t AddressOf(const void* block) { return reinterpret_cast<std::uintptr_t>(block); }

inline std::span<const std::byte> Bytes(std::string_view text) { return std::as_bytes(std::span(text)); }

// While alive, block allocations beyond the first `allowed` fail.
class FailingAllocations {
 public:
  explicit FailingAllocations(int allowed = 0) {
    remaining_ = allowed;
    SetAllocationGate(&Gate);
  }
  ~FailingAllocations() { SetAllocationGate(nullptr); }
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;

 private:
  static bool Gate(std::size_t) { return remaining_.fetch_sub(1) > 0; }
  static inline std::atomic<int> remaining_{0};
};

}  // namespace connpool::testing
