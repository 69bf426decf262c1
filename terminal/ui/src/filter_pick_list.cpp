#include "ui/filter_pick_list.h"

#include <algorithm>
#include <unordered_set>

namespace ui {

FilterPickList::FilterPickList(std::vector<std::string> values, const ColumnFilterState& working) {
  texts_.reserve(values.size() + 1);
  texts_.emplace_back(kAllText);
  checks_.push_back(working.allSelected ? Check::kChecked : Check::kUnchecked);
  const std::unordered_set<std::string> selected(working.selectedValues.begin(), working.selectedValues.end());
  bool anyChecked = false;
  for (std::string& value : values) {
    const bool checked = working.allSelected || selected.count(value) != 0;
    anyChecked = anyChecked || checked;
    checks_.push_back(checked ? Check::kChecked : Check::kUnchecked);
    texts_.push_back(std::move(value));
  }
  if (!working.allSelected && anyChecked) checks_[0] = Check::kIndeterminate;
}

void FilterPickList::SetCheck(int entry, Check check) {
  if (entry < 0 || entry >= Count()) return;
  checks_[static_cast<std::size_t>(entry)] = check;
  if (entry == 0) {
    std::fill(checks_.begin(), checks_.end(), check);
  } else if (check != checks_[0]) {
    checks_[0] = Check::kIndeterminate;
  }
}

void FilterPickList::ApplyTo(ColumnFilterState& working) const {
  working.allSelected = checks_[0] == Check::kChecked;
  working.selectedValues.clear();
  for (int entry = 1; entry < Count(); ++entry) {
    if (CheckOf(entry) == Check::kChecked) working.selectedValues.push_back(Text(entry));
  }
}

}  // namespace ui
