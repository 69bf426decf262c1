// The byte layout of a packed record list block (CxDataSet). Blocks are
// copied byte for byte, handed between threads and nested inside other
// blocks, so the layout is fixed; every field is little-endian.
//
//   header (40 bytes) | directory (capacity x 44 bytes) | values
//
// Values lie in entry order without gaps; the header holds offsets only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/little_endian.h"

namespace backend::data_set_block {

// Header fields.
inline constexpr std::size_t kBlockSizeOffset = 0;      // u32 bytes of the whole block
inline constexpr std::size_t kHeapOffset = 4;           // u32 heap handle; 0 here
inline constexpr std::size_t kDirectoryStepOffset = 8;  // u16 entries added per directory growth
inline constexpr std::size_t kBlockGrowthOffset = 12;   // u32 bytes added per block enlargement
inline constexpr std::size_t kValueAreaOffset = 16;     // u32 start of the values in the block
inline constexpr std::size_t kValueBytesOffset = 20;    // u32 bytes of values in use
inline constexpr std::size_t kCapacityOffset = 24;      // u32 directory capacity in entries
inline constexpr std::size_t kCountOffset = 28;         // u32 entries
inline constexpr std::size_t kNextIdOffset = 32;        // u32 next automatic id
inline constexpr std::size_t kHeaderSize = 40;

// Directory entry fields.
inline constexpr std::size_t kEntryNameOffset = 0;     // char[32], zero-terminated
inline constexpr std::size_t kEntryValueOffset = 32;   // u32 offset within the values
inline constexpr std::size_t kEntryLengthOffset = 36;  // u16 value bytes
inline constexpr std::size_t kEntryTypeOffset = 38;    // byte
inline constexpr std::size_t kEntryFlagOffset = 39;    // byte
inline constexpr std::size_t kEntryIdOffset = 40;      // u32
inline constexpr std::size_t kEntrySize = 44;
inline constexpr std::size_t kNameSize = 32;

static_assert(kNextIdOffset + 4 + 4 == kHeaderSize, "header: next id, then 4 unused bytes");
static_assert(kEntryIdOffset + 4 == kEntrySize);
static_assert(kEntryNameOffset + kNameSize == kEntryValueOffset);

// Entry types.
inline constexpr std::uint8_t kTextType = 33;  // a text stored with its terminating zero
inline constexpr std::uint8_t kRawType = 0;    // raw bytes or a nested block

inline std::uint32_t U32(const std::uint8_t* block, std::size_t at) {
  return platform::LoadLittleEndian<std::uint32_t>(block + at);
}
inline std::uint16_t U16(const std::uint8_t* block, std::size_t at) {
  return platform::LoadLittleEndian<std::uint16_t>(block + at);
}
inline void SetU32(std::uint8_t* block, std::size_t at, std::uint32_t value) {
  platform::StoreLittleEndian(block + at, value);
}
inline void SetU16(std::uint8_t* block, std::size_t at, std::uint16_t value) {
  platform::StoreLittleEndian(block + at, value);
}

inline std::uint32_t BlockSize(const std::uint8_t* block) { return U32(block, kBlockSizeOffset); }
inline std::uint16_t DirectoryStep(const std::uint8_t* block) { return U16(block, kDirectoryStepOffset); }
inline std::uint32_t BlockGrowth(const std::uint8_t* block) { return U32(block, kBlockGrowthOffset); }
inline std::uint32_t ValueArea(const std::uint8_t* block) { return U32(block, kValueAreaOffset); }
inline std::uint32_t ValueBytes(const std::uint8_t* block) { return U32(block, kValueBytesOffset); }
inline std::uint32_t Capacity(const std::uint8_t* block) { return U32(block, kCapacityOffset); }
inline std::uint32_t Count(const std::uint8_t* block) { return U32(block, kCountOffset); }
inline std::uint32_t NextId(const std::uint8_t* block) { return U32(block, kNextIdOffset); }

// The value area offset of a directory of `capacity` entries.
constexpr std::size_t ValueAreaFor(std::size_t capacity) { return kHeaderSize + capacity * kEntrySize; }

inline const std::uint8_t* Entry(const std::uint8_t* block, std::size_t index) {
  return block + kHeaderSize + index * kEntrySize;
}
inline std::uint8_t* Entry(std::uint8_t* block, std::size_t index) { return block + kHeaderSize + index * kEntrySize; }

inline std::string_view EntryName(const std::uint8_t* entry) {
  const char* name = reinterpret_cast<const char*>(entry + kEntryNameOffset);
  std::size_t length = 0;
  while (length < kNameSize && name[length] != '\0') ++length;
  return {name, length};
}
inline std::uint32_t EntryValueOffset(const std::uint8_t* entry) { return U32(entry, kEntryValueOffset); }
inline std::uint16_t EntryLength(const std::uint8_t* entry) { return U16(entry, kEntryLengthOffset); }
inline std::uint8_t EntryType(const std::uint8_t* entry) { return entry[kEntryTypeOffset]; }
inline std::uint8_t EntryFlag(const std::uint8_t* entry) { return entry[kEntryFlagOffset]; }
inline std::uint32_t EntryId(const std::uint8_t* entry) { return U32(entry, kEntryIdOffset); }

}  // namespace backend::data_set_block
