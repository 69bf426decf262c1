// The groups file read from arbitrary bytes: reading never goes past the
// bytes, and what it keeps is a set of groups that, written again, reads
// back whole and unchanged.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "fuzz_support.h"
#include "quotes/groups_file.h"

namespace {

bool SameGroups(const quotes::StoredGroupList& a, const quotes::StoredGroupList& b) {
  if (a.groups.size() != b.groups.size()) return false;
  for (std::size_t index = 0; index < a.groups.size(); ++index) {
    const quotes::ContractGroup& x = a.groups[index];
    const quotes::ContractGroup& y = b.groups[index];
    if (x.name != y.name || x.hidden != y.hidden || x.built || y.built || x.capacity != y.capacity || x.topRow != 0 ||
        y.topRow != 0 || x.keys != y.keys) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const quotes::StoredGroups read = quotes::DecodeGroupsFile(std::span(data, size));

  std::array<std::optional<quotes::ContractGroupList>, quotes::kGroupKinds> lists;
  for (int kind = 0; kind < quotes::kGroupKinds; ++kind) {
    const quotes::StoredGroupList& stored = read.lists[static_cast<std::size_t>(kind)];
    quotes::ContractGroupList& list = lists[static_cast<std::size_t>(kind)].emplace();
    list.groups = stored.groups;
    list.currentIndex = stored.currentName.empty() ? -1 : list.Find(stored.currentName);
  }
  const std::string written = quotes::EncodeGroupsFile(read.currentKind, lists);
  const quotes::StoredGroups again =
      quotes::DecodeGroupsFile(std::span(reinterpret_cast<const std::uint8_t*>(written.data()), written.size()));
  fuzz::Check(!again.damaged, "a written file reads whole");
  fuzz::Check(again.currentKind == read.currentKind, "the current kind reads back");
  for (int kind = 0; kind < quotes::kGroupKinds; ++kind) {
    const auto index = static_cast<std::size_t>(kind);
    fuzz::Check(SameGroups(read.lists[index], again.lists[index]), "the groups read back");
    const int current = lists[index]->currentIndex;
    fuzz::Check(again.lists[index].currentName == (current < 0 ? "" : lists[index]->groups[current].name),
                "the current group reads back");
  }
  return 0;
}
