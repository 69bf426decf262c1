// The rows of an engine table, or of a packed record list built like one, as
// typed values. Every caller holds the engine lock while it uses these on an
// engine table; a walk over the rows visits the entries in table order, and
// no predicate changes the table.
#pragma once

#include <concepts>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/data_set_block.h"
#include "engine/engine_table.h"
#include "engine/row_field.h"

namespace engine::typed_rows {

// The tables these read: the engine's own and the lists built for copies.
template <typename Table>
concept RowTable = std::same_as<Table, EngineTable> || std::same_as<Table, backend::CxDataSet>;

// Calls `visit(index, value)` for each entry in table order; a visitor that
// returns bool ends the walk by returning false.
template <typename Visit>
void ForEachEntry(const EngineTable& table, Visit visit) {
  table.ForEach(visit);
}

template <typename Visit>
void ForEachEntry(const backend::CxDataSet& table, Visit visit) {
  const backend::CxDataSetView entries = table.View();
  for (std::uint32_t index = 0; index < entries.GetCount(); ++index) {
    if (!VisitEntry(visit, index, entries.GetValue(index))) return;
  }
}

// Row `index`, or nothing when the entry is absent or too short.
template <EngineRow Row, RowTable Table>
std::optional<Row> RowAt(const Table& table, std::size_t index) {
  return RowFromBytes<Row>(table.GetValue(index));
}

// The rows of the table, in table order; entries too short for a row are
// left out.
template <EngineRow Row, RowTable Table>
std::vector<Row> AllRows(const Table& table) {
  std::vector<Row> rows;
  rows.reserve(table.GetCount());
  ForEachEntry(table, [&](std::uint32_t, std::span<const std::uint8_t> bytes) {
    if (const std::optional<Row> row = RowFromBytes<Row>(bytes)) rows.push_back(*row);
  });
  return rows;
}

// A text field of the row an entry holds, read in place as Text reads it
// from the row: the field of `width` bytes at `offset`.
inline std::string_view FieldAt(std::span<const std::uint8_t> entry, std::size_t offset, std::size_t width) {
  if (entry.size() < offset + width) return {};
  const char* field = reinterpret_cast<const char*>(entry.data()) + offset;
  return {field, strnlen(field, width)};
}

// Where the field `member` starts in its row.
template <EngineRow Row, std::size_t Width>
std::size_t OffsetOf(const char (Row::*member)[Width]) {
  static constexpr Row kProbe{};
  return static_cast<std::size_t>(reinterpret_cast<const char*>(&(kProbe.*member)) -
                                  reinterpret_cast<const char*>(&kProbe));
}

// The field `member` of the row an entry holds, read in place as FieldAt
// reads it: a walk that needs a few fields of long rows copies none.
template <EngineRow Row, std::size_t Width>
std::string_view FieldIn(std::span<const std::uint8_t> entry, const char (Row::*member)[Width]) {
  return FieldAt(entry, OffsetOf(member), Width);
}

// Calls `visit` with each row and its index in table order, among the
// entries `mayMatch` lets through (see FindIndex), each entry copied once
// into the same row; entries too short for a row are left out.
template <EngineRow Row, RowTable Table, typename Prefilter, typename Visit>
void ForEachRow(const Table& table, Prefilter mayMatch, Visit visit) {
  Row row;
  ForEachEntry(table, [&](std::uint32_t index, std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof(Row) || !mayMatch(bytes)) return;
    std::memcpy(&row, bytes.data(), sizeof(Row));
    visit(std::as_const(row), index);
  });
}

template <EngineRow Row, RowTable Table, typename Visit>
void ForEachRow(const Table& table, Visit visit) {
  ForEachRow<Row>(
      table, [](std::span<const std::uint8_t>) { return true; }, visit);
}

// The index of the first row that `matches`, among the entries `mayMatch`
// lets through: a long table is told apart by a field read in place rather
// than by copying each entry into a row.
template <EngineRow Row, RowTable Table, typename Prefilter, typename Predicate>
std::optional<std::uint32_t> FindIndex(const Table& table, Prefilter mayMatch, Predicate matches) {
  // Each entry is copied once into the same row (rows are a kilobyte wide).
  Row row;
  std::optional<std::uint32_t> found;
  ForEachEntry(table, [&](std::uint32_t index, std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof(Row) || !mayMatch(bytes)) return true;
    std::memcpy(&row, bytes.data(), sizeof(Row));
    if (matches(std::as_const(row))) found = index;
    return !found;
  });
  return found;
}

// The index of the first row that `matches`.
template <EngineRow Row, RowTable Table, typename Predicate>
std::optional<std::uint32_t> FindIndex(const Table& table, Predicate matches) {
  return FindIndex<Row>(
      table, [](std::span<const std::uint8_t>) { return true; }, matches);
}

// The index of the first row of the exchange's contract, for rows that name
// one (szExchangeCode, szContractCode): the codes are read in place and no
// row is copied.
template <EngineRow Row, RowTable Table>
std::optional<std::uint32_t> FindContractRow(const Table& table, std::string_view exchangeCode,
                                             std::string_view contractCode) {
  std::optional<std::uint32_t> found;
  ForEachEntry(table, [&](std::uint32_t index, std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= sizeof(Row) && FieldIn(bytes, &Row::szContractCode) == contractCode &&
        FieldIn(bytes, &Row::szExchangeCode) == exchangeCode) {
      found = index;
    }
    return !found;
  });
  return found;
}

// The first row that `matches`.
template <EngineRow Row, RowTable Table, typename Predicate>
std::optional<Row> FindRow(const Table& table, Predicate matches) {
  const std::optional<std::uint32_t> index = FindIndex<Row>(table, matches);
  if (!index) return std::nullopt;
  return RowAt<Row>(table, *index);
}

// Writes `row` over entry `index`; false when the entry cannot hold it.
template <EngineRow Row, RowTable Table>
bool StoreRow(Table& table, std::size_t index, const Row& row) {
  if (table.GetValue(index).size() < sizeof(Row)) return false;
  std::memcpy(table.GetDataPtr(index), &row, sizeof(Row));
  return true;
}

// False, with the table unchanged, when the table cannot grow.
template <EngineRow Row>
bool AppendRow(EngineTable& table, const Row& row) {
  const auto bytes = RowBytes(row);
  return table.AddEntry(bytes.data(), bytes.size(), backend::data_set_block::kRawType);
}

// A built list grows by half at once, so that no append moves a long list
// often.
template <EngineRow Row>
bool AppendRow(backend::CxDataSet& table, const Row& row) {
  const auto bytes = RowBytes(row);
  return table.EnsureSpaceGeometric(bytes.size()) &&
         table.AddEntry(nullptr, bytes.data(), bytes.size(), backend::data_set_block::kRawType);
}

}  // namespace engine::typed_rows
