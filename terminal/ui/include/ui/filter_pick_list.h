// What the value pick list of a grid's filter holds and how its checks
// follow each other: entry 0 is "(全选)", the others are a column's values.
// Checking or clearing "(全选)" does the same to every entry; an entry that
// then differs from it leaves "(全选)" indeterminate. The dialog shows this
// model; no toolkit.
#pragma once

#include <string>
#include <vector>

#include "ui/grid_model.h"

namespace ui {

enum class Check { kUnchecked = 0, kChecked = 1, kIndeterminate = 2 };

class FilterPickList {
 public:
  static constexpr const char* kAllText = "(全选)";

  // The values offered, and the filter being worked on: with its
  // all-selected flag every value starts checked, else those among its
  // selected values, and then "(全选)" is indeterminate when any is.
  FilterPickList(std::vector<std::string> values, const ColumnFilterState& working);

  int Count() const { return static_cast<int>(texts_.size()); }
  const std::string& Text(int entry) const { return texts_.at(static_cast<std::size_t>(entry)); }
  Check CheckOf(int entry) const { return checks_.at(static_cast<std::size_t>(entry)); }

  // The user set an entry's check; the others follow. An entry outside the
  // list changes nothing.
  void SetCheck(int entry, Check check);

  // On OK: the all-selected flag is "(全选)" checked (indeterminate is not
  // all), the selected values those checked, in list order.
  void ApplyTo(ColumnFilterState& working) const;

 private:
  std::vector<std::string> texts_;
  std::vector<Check> checks_;
};

}  // namespace ui
