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
//
// Keys are not stored: the index keeps each row's key hash in a flat table
// and chains the rows of one hash in table order, and a lookup reads the
// key of each chained row again, so that building the index over a long
// table allocates nothing per row.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_table.h"

namespace engine {

class RowIndex {
 public:
  // Writes the key of an entry into `key` (emptied first); false leaves the
  // entry out of the index.
  using KeyOf = std::function<bool(std::span<const std::uint8_t> entry, std::string& key)>;

  explicit RowIndex(KeyOf keyOf) : keyOf_(std::move(keyOf)) {}

  // The rows of `table` whose key is `key`, ascending. The answer lasts until
  // the next call on this index.
  const std::vector<std::uint32_t>& RowsOf(const EngineTable& table, std::string_view key);

  // The next lookup walks the table.
  void Forget();
  void Rebuild(const EngineTable& table);

 private:
  static constexpr std::uint32_t kNoRow = UINT32_MAX;

  // The rows of one key hash: the first and last of its chain.
  struct HashChain {
    std::uint64_t hash = 0;
    std::uint32_t first = kNoRow;
    std::uint32_t last = kNoRow;
  };

  bool SeenRowsInPlace(const EngineTable& entries) const;
  void CatchUp(const EngineTable& table);
  // Appends the row to the chain of its hash.
  void Link(std::uint32_t row, std::uint64_t hash);
  // The slot of `hash` in chains_: its chain, or the empty slot it would take.
  std::size_t SlotOf(std::uint64_t hash) const;
  // Takes `slots` (a power of two, more than the chains held) and files
  // the chains held anew.
  void ResizeChains(std::size_t slots);

  KeyOf keyOf_;
  // Per row seen, in table order: its entry id, and the next row of its
  // key's hash (kNoRow at the end, and for a row without a key).
  std::vector<std::uint32_t> idOfRow_;
  std::vector<std::uint32_t> nextOfRow_;
  // Open addressing over the hashes; a power of two long, or empty.
  std::vector<HashChain> chains_;
  std::size_t chainCount_ = 0;
  std::string key_;  // the key being read, kept for its buffer
  std::vector<std::uint32_t> found_;
};

}  // namespace engine
