// The first row of an engine table whose key fields hold a key, found
// through an index beside the table rather than by a walk over every row.
// The table stays the truth: a row the index names is checked against the
// key before it is taken, and a key the index does not know is looked for
// by a walk, which makes the index walk the table afresh when it finds the
// row. So a table emptied and reloaded, or a key written in place, costs one
// walk and never a wrong or missed row. Used under the engine lock, like the
// table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_table.h"
#include "row_index.h"
#include "typed_rows.h"

namespace engine {

// A text field of a row: `width` bytes at `offset`.
struct KeyField {
  std::size_t offset;
  std::size_t width;
};

// The field `member` of a row as a key field.
template <EngineRow Row, std::size_t Width>
KeyField KeyFieldOf(const char (Row::*member)[Width]) {
  return {typed_rows::OffsetOf(member), Width};
}

class KeyedRows {
 public:
  // Rows of `rowSize` bytes keyed by `fields`, in that order.
  KeyedRows(std::size_t rowSize, std::vector<KeyField> fields);
  KeyedRows(const KeyedRows&) = delete;
  KeyedRows& operator=(const KeyedRows&) = delete;

  // The first row whose fields hold the texts of `key`, one per field.
  std::optional<std::uint32_t> Find(const EngineTable& table, std::span<const std::string_view> key);

  // The next lookup walks the table: for a table emptied and loaded afresh,
  // whose rows the index could take for the ones it saw.
  void Forget() { index_.Forget(); }

 private:
  bool Holds(std::span<const std::uint8_t> entry, std::span<const std::string_view> key) const;
  bool KeyOfEntry(std::span<const std::uint8_t> entry, std::string& key) const;

  std::size_t rowSize_;
  std::vector<KeyField> fields_;
  RowIndex index_;
  std::string keyText_;
};

}  // namespace engine
