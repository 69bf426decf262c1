// The layout of a grid that is kept between runs under the grid's name:
// the order in which its columns are shown, their widths and the sort in
// force. It lives in the registry file, section "Settings\Grids\<name>".
// A saved layout of a grid that has since changed its number of columns,
// or that does not read back whole, is not used. No toolkit.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "ui/grid_model.h"

namespace ui {

class RegistryStore;

struct GridState {
  // The columns in the order they are shown (each column once).
  std::vector<int> order;
  // The width of each column, in column order.
  std::vector<int> widths;
  std::vector<SortColumn> sort;

  friend bool operator==(const GridState&, const GridState&) = default;
};

// False when the registry file could not be written.
bool SaveGridState(RegistryStore& registry, std::string_view gridName, const GridState& state);
// The saved layout of a grid of `columnCount` columns; nothing when none is
// saved or it does not fit the grid.
std::optional<GridState> LoadGridState(const RegistryStore& registry, std::string_view gridName, int columnCount);

}  // namespace ui
