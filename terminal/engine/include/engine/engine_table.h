// EngineTable: one stored table of the calculation engine. Rows never move
// once appended: each entry's value lives in a slot of the table's RowSlabs,
// and the directory lies in segments of at most kSegmentEntries entries found
// through a short list of segment starts. An append therefore never copies
// the table, and a removal in the middle shifts the directory entries of one
// segment (and the starts of the later segments), never a row, so a pointer
// to a row stays valid until that row is removed or the table cleared.
//
// Each appended entry takes the next id unless it is given one, so along a
// table that only grows and loses entries the ids rise; a cleared table
// numbers its entries anew. The views' copies and every answer stay
// backend::CxDataSet, built from the table by ToDataSet.
//
// Not thread-safe: the engine lock guards every table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "backend/cx_data_set.h"
#include "engine/row_slabs.h"

namespace engine {

class EngineTable {
 public:
  // Asks AddEntry for the table's next id.
  static constexpr std::uint32_t kAutoId = backend::CxDataSet::kAutoId;
  // A value's length fits the 16 bits a copy stores it in.
  static constexpr std::size_t kMaxValueLength = backend::CxDataSet::kMaxValueLength;
  // The most directory entries one segment holds: a removal shifts at most
  // this many.
  static constexpr std::size_t kSegmentEntries = 1024;

  EngineTable() = default;
  ~EngineTable() { Clear(); }
  EngineTable(EngineTable&& other) noexcept;
  EngineTable& operator=(EngineTable&& other) noexcept;
  // Copies are made on purpose only, through Copy.
  EngineTable(const EngineTable&) = delete;
  EngineTable& operator=(const EngineTable&) = delete;

  std::uint32_t GetCount() const { return count_; }
  // The value of entry `index`; an empty span with a null data pointer when
  // there is no such entry.
  std::span<const std::uint8_t> GetValue(std::size_t index) const;
  // The value of entry `index` in place, or null; valid until that entry is
  // removed or the table cleared.
  const std::uint8_t* GetDataPtr(std::size_t index) const { return GetValue(index).data(); }
  std::uint8_t* GetDataPtr(std::size_t index) { return const_cast<std::uint8_t*>(GetValue(index).data()); }
  // Copies the value of entry `index` into `buffer` and returns its length;
  // 0 and nothing copied when there is no such entry or the buffer is shorter
  // than the value.
  std::size_t GetData(std::size_t index, std::size_t bufferSize, void* buffer) const;
  // The id of entry `index`, or nothing when there is no such entry.
  std::optional<std::uint32_t> GetId(std::size_t index) const;
  // The index of the entry with `id`, or nothing: found by one search over
  // the segments where the ids rise along the table, as they do in a table
  // that is only appended to and removed from, else by a walk.
  std::optional<std::uint32_t> IndexOfId(std::uint32_t id) const;

  // Appends one entry: the value's `length` bytes, its type
  // (backend::data_set_block::kTextType or kRawType) and `id`, where kAutoId
  // takes the next id. False, with the table unchanged, when the value is
  // longer than kMaxValueLength or memory runs out.
  bool AddEntry(const void* value, std::size_t length, std::uint8_t type, std::uint32_t id = kAutoId);
  // Appends `text` with a terminating zero as a text entry.
  bool AddText(std::string_view text);
  // Removes entry `index`; the later entries keep their values in place.
  bool RemoveEntry(std::size_t index);
  // Makes room in the directory for `entries` entries in all; false when
  // memory runs out.
  bool Reserve(std::size_t entries);
  // Removes every entry; the next appended entry takes id 0.
  void Clear() noexcept;

  // A copy of the table, ids and next id included; empty when memory runs
  // out.
  EngineTable Copy() const;
  // The table as a packed record list: its entries in order, each with its
  // id and type, in a block even when the table is empty; a list without a
  // block when memory runs out.
  backend::CxDataSet ToDataSet() const;

  // Calls `visit(index, value)` for each entry in table order, walking the
  // segments rather than looking each index up. A visitor that returns bool
  // ends the walk by returning false. The visitor must not change the table.
  template <typename Visit>
  void ForEach(Visit visit) const;

 private:
  struct Entry {
    std::uint8_t* value;
    std::uint32_t id;
    std::uint16_t length;
    std::uint8_t type;
  };
  static_assert(sizeof(Entry) == 16, "a directory entry stays two words wide");
  using Segment = std::vector<Entry>;
  struct Place {
    std::size_t segment;
    std::size_t offset;
  };

  std::optional<Place> Locate(std::size_t index) const;
  // Joins segment `segment` with a neighbour when both fit one segment, so
  // that removals leave no long run of nearly empty segments behind.
  void MergeAround(std::size_t segment);
  void DropSegment(std::size_t segment);

  RowSlabs slabs_;
  std::vector<Segment> segments_;
  // The index of each segment's first entry.
  std::vector<std::uint32_t> starts_;
  std::uint32_t count_ = 0;
  std::uint32_t nextId_ = 0;
};

// Hands a walk's visitor one entry; false when the visitor, by returning
// false, ends the walk (a visitor returning nothing walks on).
template <typename Visit>
bool VisitEntry(Visit& visit, std::uint32_t index, std::span<const std::uint8_t> value) {
  if constexpr (std::is_same_v<std::invoke_result_t<Visit&, std::uint32_t, std::span<const std::uint8_t>>, bool>) {
    return visit(index, value);
  } else {
    visit(index, value);
    return true;
  }
}

template <typename Visit>
void EngineTable::ForEach(Visit visit) const {
  std::uint32_t index = 0;
  for (const Segment& segment : segments_) {
    for (const Entry& entry : segment) {
      if (!VisitEntry(visit, index, {entry.value, entry.length})) return;
      ++index;
    }
  }
}

}  // namespace engine
