// The lists behind the contract and variety grids: the short contract rows
// of the engine's contract table, put in order of variety and code; the
// comparison of a typed text with a contract code; and the variety list, a
// packed list of {code, name} entries in which each code appears once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "backend/field_text.h"
#include "engine/query_facade.h"

namespace gridctl {

// The contract rows of the list, in its order; entries too short for a row
// are left out.
std::vector<engine::ReducedContractRow> ContractRowsOf(const backend::CxDataSet& contracts);
// Sorts the list's rows in place, ascending by variety code and then by
// contract code (bytes compared unsigned).
void SortContractRows(backend::CxDataSet& contracts);

using backend::FieldText;

// Whether the code begins with the typed text: letters compared without
// case, everything else exactly. The empty text begins every code.
bool CodeStartsWith(std::string_view code, std::string_view typed);

class VarietyList {
 public:
  static constexpr std::size_t kTextSize = 80;
  static constexpr std::size_t kEntrySize = 2 * kTextSize;

  // Appends the variety unless an entry has exactly this code; both texts
  // are cut to 79 bytes on a character boundary.
  void AddVariety(std::string_view code, std::string_view name);
  int Count() const { return static_cast<int>(entries_.GetCount()); }
  std::string Code(int index) const;
  std::string Name(int index) const;
  void Clear() { entries_.FreeBlock(); }

  // The entry of a cell: row + column in one column, row * 3 + column in
  // three; nothing past the list.
  static int IndexOf(int column, int row, bool threeColumns) { return threeColumns ? row * 3 + column : row + column; }

 private:
  std::string TextAt(int index, std::size_t offset) const;

  backend::CxDataSet entries_;
};

}  // namespace gridctl
