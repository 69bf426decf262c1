#include "quotes/contract_group.h"

#include <algorithm>

#include "platform/gbk.h"

namespace quotes {

std::span<const ContractKey> ContractGroup::Rows(int first, int count) const {
  const int begin = std::clamp(first, 0, Count());
  const int end = std::clamp(first + std::max(count, 0), begin, Count());
  return std::span<const ContractKey>(keys).subspan(static_cast<std::size_t>(begin),
                                                    static_cast<std::size_t>(end - begin));
}

std::string FitGroupName(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  return std::string(name.substr(0, platform::GbkFitLength(name, kGroupNameSize - 1)));
}

int ContractGroupList::Find(std::string_view name) const {
  const auto found = std::find_if(groups.begin(), groups.end(), [&](const ContractGroup& g) { return g.name == name; });
  return found == groups.end() ? -1 : static_cast<int>(found - groups.begin());
}

ContractGroup* ContractGroupList::Current() {
  return currentIndex >= 0 && currentIndex < Count() ? &groups[static_cast<std::size_t>(currentIndex)] : nullptr;
}

const ContractGroup* ContractGroupList::Current() const { return const_cast<ContractGroupList*>(this)->Current(); }

void ContractGroupList::SettleCurrentIndex() {
  if (const ContractGroup* current = Current(); current != nullptr && !current->hidden) return;
  const auto visible = std::find_if(groups.begin(), groups.end(), [](const ContractGroup& g) { return !g.hidden; });
  currentIndex = visible == groups.end() ? -1 : static_cast<int>(visible - groups.begin());
}

}  // namespace quotes
