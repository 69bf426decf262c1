// The groups file "tbOptionalContractMQ.dat": the contract groups kept
// between runs. Little-endian, without magic or version:
//   current kind                                  i32
//   for the kinds 0, 1 and 2 in turn:
//     current group index, capacity, group count  i32 each (12 zero bytes
//                                                 for a list that is absent)
//     each group: its 46-byte head, then exactly its key count of 34-byte
//     ContractKeys
// Every group is written, the built ones too, and the current index counts
// them; a reader keeps only the groups that are not built.
//
// The reader takes damaged files: counts beyond sane bounds and a file that
// ends early stop the reading, and the group being read is dropped; every
// group read whole before stays.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "quotes/contract_group.h"

namespace quotes {

inline constexpr std::string_view kGroupsFileName = "tbOptionalContractMQ.dat";

// The head of a group in the file, byte for byte.
struct GroupHeadBytes {
  static constexpr std::size_t kNameOffset = 0;
  static constexpr std::size_t kHiddenOffset = 32;
  static constexpr std::size_t kBuiltOffset = 33;
  static constexpr std::size_t kCapacityOffset = 34;
  static constexpr std::size_t kCountOffset = 38;
  static constexpr std::size_t kTopRowOffset = 42;
  static constexpr std::size_t kSize = 46;

  std::uint8_t bytes[kSize] = {};
};
static_assert(sizeof(GroupHeadBytes) == GroupHeadBytes::kSize);
static_assert(GroupHeadBytes::kNameOffset + kGroupNameSize == GroupHeadBytes::kHiddenOffset);
static_assert(sizeof(ContractKey) == 34);

inline constexpr std::size_t kListHeadSize = 12;

// What a reader accepts: more groups in a list, or more keys in a group,
// mark the file as damaged, and so does a file larger than any such file.
inline constexpr std::int32_t kMaxStoredGroups = 1000;
inline constexpr std::int32_t kMaxStoredKeys = 100000;
inline constexpr std::size_t kMaxGroupsFileBytes = 64u << 20;

// The file's bytes for the current kind and the three lists (an absent
// list is written as such).
std::string EncodeGroupsFile(int currentKind, const std::array<std::optional<ContractGroupList>, kGroupKinds>& lists);

// One list as the file gave it.
struct StoredGroupList {
  std::int32_t currentIndex = -1;
  // The name of the group the current index points at among all groups the
  // file lists for the kind, the built ones included; empty when none.
  std::string currentName;
  // The groups that are not built, in file order: capacity recomputed for
  // their keys, top row 0.
  std::vector<ContractGroup> groups;
};

struct StoredGroups {
  std::int32_t currentKind = 0;
  std::array<StoredGroupList, kGroupKinds> lists;
  // The file ended early or held a count beyond the bounds: what follows the
  // last whole group was not read.
  bool damaged = false;
};

StoredGroups DecodeGroupsFile(std::span<const std::uint8_t> bytes);

}  // namespace quotes
