// The rows of one engine table grouped by a key read from each entry, kept
// beside the table so that a lookup visits only the rows of its key, in
// table order. The table stays the truth. The index notes the id of every
// entry it saw: the table gives each appended entry a rising id, so while
// the last row it saw still holds its id, the rows before it are where they
// were and only appended rows are new; otherwise rows were removed or moved
// and the index walks the table again. A table emptied and loaded afresh
// numbers its entries anew, so whoever does that calls Forget. Values
// written in place are not seen: the key must be one that in-place writes
// keep, or the caller verifies what it finds and calls Rebuild on a miss.
// Used under the engine lock, like the table.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/engine_table.h"

namespace engine {

class RowIndex {
 public:
  // The key of an entry; nothing leaves the entry out of the index.
  using KeyOf = std::function<std::optional<std::string>(std::span<const std::uint8_t> entry)>;

  explicit RowIndex(KeyOf keyOf) : keyOf_(std::move(keyOf)) {}

  // The rows of `table` whose key is `key`, ascending. The answer lasts until
  // the next call on this index.
  const std::vector<std::uint32_t>& RowsOf(const EngineTable& table, const std::string& key);

  // The next lookup walks the table.
  void Forget();
  void Rebuild(const EngineTable& table);

 private:
  using Rows = std::vector<std::uint32_t>;

  bool SeenRowsInPlace(const EngineTable& entries) const;
  void CatchUp(const EngineTable& table);

  KeyOf keyOf_;
  std::unordered_map<std::string, Rows> rows_;
  // Per row seen, in table order: its entry id, and its key's row list (null
  // for a row without a key; map nodes do not move).
  std::vector<std::uint32_t> idOfRow_;
  std::vector<Rows*> listOfRow_;
};

// The row of `table` that holds entry `id`: found by halving where the ids
// rise along the table, as a table that is only appended to and removed from
// keeps them, else by a walk.
std::optional<std::uint32_t> RowOfId(const EngineTable& table, std::uint32_t id);

}  // namespace engine
