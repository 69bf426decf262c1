#include "ui/grid_state.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "ui/registry_store.h"

namespace ui {
namespace {

constexpr int kMaxWidth = 10000;

std::string SectionOf(std::string_view gridName) { return "Settings\\Grids\\" + std::string(gridName); }

std::string Joined(const std::vector<int>& numbers) {
  std::string text;
  for (const int number : numbers) text.append(text.empty() ? "" : ",").append(std::to_string(number));
  return text;
}

std::optional<int> SavedInteger(std::string_view text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

// The parts of a comma-separated text; none for an empty text.
std::vector<std::string_view> PartsOf(std::string_view text) {
  std::vector<std::string_view> parts;
  while (!text.empty()) {
    const std::string_view part = text.substr(0, text.find(','));
    parts.push_back(part);
    text.remove_prefix(std::min(text.size(), part.size() + 1));
  }
  return parts;
}

// "1,0,2" as numbers; nothing when a part is no number.
std::optional<std::vector<int>> NumbersOf(std::string_view text) {
  std::vector<int> numbers;
  for (const std::string_view part : PartsOf(text)) {
    const std::optional<int> number = SavedInteger(part);
    if (!number) return std::nullopt;
    numbers.push_back(*number);
  }
  return numbers;
}

// Each sort column as its column number with "+" (ascending) or "-".
std::string SortText(const std::vector<SortColumn>& sort) {
  std::string text;
  for (const SortColumn& column : sort) {
    text.append(text.empty() ? "" : ",").append(std::to_string(column.column)).push_back(column.ascending ? '+' : '-');
  }
  return text;
}

std::optional<std::vector<SortColumn>> SortOf(std::string_view text, int columnCount) {
  std::vector<SortColumn> sort;
  for (const std::string_view part : PartsOf(text)) {
    if (part.size() < 2 || (part.back() != '+' && part.back() != '-')) return std::nullopt;
    const std::optional<int> column = SavedInteger(part.substr(0, part.size() - 1));
    if (!column || *column < 0 || *column >= columnCount) return std::nullopt;
    sort.push_back({*column, part.back() == '+'});
  }
  return sort;
}

bool IsOrderOf(std::vector<int> order, int columnCount) {
  std::sort(order.begin(), order.end());
  for (int column = 0; column < static_cast<int>(order.size()); ++column) {
    if (order[static_cast<std::size_t>(column)] != column) return false;
  }
  return static_cast<int>(order.size()) == columnCount;
}

}  // namespace

bool SaveGridState(RegistryStore& registry, std::string_view gridName, const GridState& state) {
  const std::string section = SectionOf(gridName);
  return registry.SetInt(section, "Columns", static_cast<int>(state.widths.size())) &&
         registry.SetString(section, "Order", Joined(state.order)) &&
         registry.SetString(section, "Widths", Joined(state.widths)) &&
         registry.SetString(section, "Sort", SortText(state.sort));
}

std::optional<GridState> LoadGridState(const RegistryStore& registry, std::string_view gridName, int columnCount) {
  const std::string section = SectionOf(gridName);
  if (columnCount <= 0 || registry.GetInt(section, "Columns", -1) != columnCount) return std::nullopt;
  const std::optional<std::vector<int>> order = NumbersOf(registry.GetString(section, "Order", ""));
  const std::optional<std::vector<int>> widths = NumbersOf(registry.GetString(section, "Widths", ""));
  std::optional<std::vector<SortColumn>> sort = SortOf(registry.GetString(section, "Sort", ""), columnCount);
  if (!order || !IsOrderOf(*order, columnCount) || !widths || static_cast<int>(widths->size()) != columnCount ||
      !sort) {
    return std::nullopt;
  }
  const bool widthsFit = std::all_of(widths->begin(), widths->end(), [](int w) { return w >= 0 && w <= kMaxWidth; });
  if (!widthsFit) return std::nullopt;
  return GridState{*order, *widths, std::move(*sort)};
}

}  // namespace ui
