// The contract groups that the market views show as tabs: three lists of
// groups, one per kind, each group a named list of contracts in display
// order with the first row of its quote window. Plain data with the few
// rules every user of a group shares; CtbOptionalContract keeps the lists.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quotes/contract_key.h"

namespace quotes {

// The kinds of groups, each with its own list.
inline constexpr int kFutureKind = 0;
inline constexpr int kCombinationKind = 1;
inline constexpr int kOptionKind = 2;
inline constexpr int kGroupKinds = 3;

constexpr bool IsGroupKind(int kind) { return kind >= 0 && kind < kGroupKinds; }

// The rows of a group whose quotes are wanted: from its top row on.
inline constexpr int kQuoteWindowRows = 10;
// The user's own group, which every list has.
inline constexpr std::string_view kOptionalGroupName = "自选";
// Bytes of a group's name with its terminator, as the file keeps it.
inline constexpr std::size_t kGroupNameSize = 32;

// Room for keys grows in steps of ten, always leaving at least one spare:
// 9 keys take 10, 10 keys take 20.
constexpr int GroupCapacityFor(int keyCount) { return (keyCount + 10) / 10 * 10; }

struct ContractGroup {
  std::string name;     // GBK, at most 31 bytes: the tab's title
  bool hidden = false;  // gets no tab and cannot become current
  bool built = false;   // built from the engine's tables at each load, never read back from the file
  int capacity = GroupCapacityFor(0);
  int topRow = 0;  // the first row of the quote window
  std::vector<ContractKey> keys;

  int Count() const { return static_cast<int>(keys.size()); }
  // The keys of the rows [first, first + count) that the group has.
  std::span<const ContractKey> Rows(int first, int count) const;
  // The keys of the quote window at `top`.
  std::span<const ContractKey> WindowAt(int top) const { return Rows(top, kQuoteWindowRows); }
};

// A name cut to what the file keeps, on a character boundary.
std::string FitGroupName(std::string_view name);

struct ContractGroupList {
  // Room for groups at a load; a list made later starts with ten. Either
  // grows by ten when a group must be added to a full list.
  static constexpr int kLoadCapacity = 30;
  static constexpr int kGrowth = 10;

  int currentIndex = -1;  // the current group; -1: none
  int capacity = kLoadCapacity;
  std::vector<ContractGroup> groups;

  int Count() const { return static_cast<int>(groups.size()); }
  bool IsFull() const { return Count() >= capacity; }
  // The index of the group of that name (exact text), or -1.
  int Find(std::string_view name) const;
  // The current group, or null.
  ContractGroup* Current();
  const ContractGroup* Current() const;
  // Makes the current index point at a group that may be current: an index
  // beyond the list or on a hidden group gives way to the first group that
  // is not hidden (-1 when there is none).
  void SettleCurrentIndex();
};

}  // namespace quotes
