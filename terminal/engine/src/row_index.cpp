#include "row_index.h"

#include <utility>

namespace engine {

const std::vector<std::uint32_t>& RowIndex::RowsOf(const EngineTable& table, const std::string& key) {
  CatchUp(table);
  static const Rows kNone;
  const auto found = rows_.find(key);
  return found == rows_.end() ? kNone : found->second;
}

void RowIndex::Forget() {
  rows_.clear();
  idOfRow_.clear();
  listOfRow_.clear();
}

void RowIndex::Rebuild(const EngineTable& table) {
  Forget();
  CatchUp(table);
}

bool RowIndex::SeenRowsInPlace(const EngineTable& entries) const {
  return idOfRow_.empty() ||
         (entries.GetCount() >= idOfRow_.size() && entries.GetId(idOfRow_.size() - 1) == idOfRow_.back());
}

void RowIndex::CatchUp(const EngineTable& table) {
  const EngineTable& entries = table;
  if (!SeenRowsInPlace(entries)) Forget();
  for (auto index = static_cast<std::uint32_t>(idOfRow_.size()); index < entries.GetCount(); ++index) {
    std::optional<std::string> key = keyOf_(entries.GetValue(index));
    Rows* list = nullptr;
    if (key) {
      list = &rows_[std::move(*key)];
      list->push_back(index);
    }
    idOfRow_.push_back(*entries.GetId(index));
    listOfRow_.push_back(list);
  }
}

std::optional<std::uint32_t> RowOfId(const EngineTable& table, std::uint32_t id) {
  const EngineTable& entries = table;
  std::uint32_t low = 0;
  std::uint32_t high = entries.GetCount();
  while (low < high) {
    const std::uint32_t middle = low + (high - low) / 2;
    if (*entries.GetId(middle) < id) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (entries.GetId(low) == id) return low;
  for (std::uint32_t row = 0; row < entries.GetCount(); ++row) {
    if (entries.GetId(row) == id) return row;
  }
  return std::nullopt;
}

}  // namespace engine
