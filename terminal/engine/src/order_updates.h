// What the updates of orders and option exercise applications share: how
// they compare order numbers and state sequences, how they store amounts,
// and how they find a row or fetch it from the back end without holding the
// engine lock while the back end answers.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "backend/field_text.h"
#include "engine/engine_table.h"
#include "engine/request_builders.h"
#include "engine/row_field.h"
#include "engine/table_catalogue.h"
#include "engine/table_change_record.h"
#include "engine/trading_rows.h"
#include "platform/sync.h"
#include "typed_rows.h"

namespace engine::order_updates {

// Two order (or application) numbers name the same order when their texts
// are equal or both are decimal numbers of one value ("00123" and "123").
bool SameOrderNo(std::string_view a, std::string_view b);

// A text that order numbers share exactly when SameOrderNo calls them the
// same: a decimal number's value, else the text; for indexes by number.
std::string OrderNoKey(std::string_view orderNo);
// Appends OrderNoKey(orderNo) to `key`, for keys built in a reused buffer.
void AppendOrderNoKey(std::string& key, std::string_view orderNo);

// An answer or push without an order number names no order.
inline bool NamesAnOrder(std::string_view orderNo) { return !backend::TrimBlanks(orderNo).empty(); }

// The order of the account with these keys, its number compared by value.
bool SameOrder(const OrderRow& row, const OrderSelectors& order, std::string_view account);
OrderSelectors SelectorsOf(const OrderRow& row);

// The leading decimal integer of a text after blanks, as state sequences and
// flags are read; 0 when there is none.
long long LeadingInteger(std::string_view text);

// The leading decimal number of a text after blanks, as a row field reads
// it; 0 when there is none.
double NumberOf(std::string_view text);

// How a pushed state sequence stands to the row's: a greater one is newer.
template <std::size_t Width>
std::strong_ordering CompareSequence(std::string_view pushedSequence, const char (&rowSequence)[Width]) {
  return LeadingInteger(pushedSequence) <=> LeadingInteger(Text(rowSequence));
}

template <std::size_t Width>
bool IsNewer(std::string_view pushedSequence, const char (&rowSequence)[Width]) {
  return CompareSequence(pushedSequence, rowSequence) > 0;
}

// Stores an amount of an answer as money: "%.2f" of its money-rounded value.
template <std::size_t Width>
void SetMoneyText(char (&field)[Width], std::string_view amount) {
  SetText(field, amount);
  SetMoney(field, ReadNumber(field));
}

// The index of the first row of a table that matches.
using typed_rows::FindIndex;

// The index of the row that `find` finds (an index of the engine's table, or
// nothing), else of the row that `fetch` gets from the back end (a Row that
// matches, or nothing) once `add` has stored it. `guard` holds the engine
// lock on entry and on return and lets it go while `fetch` waits; a row that
// another thread stored meanwhile is found instead of being added twice.
// Without an order number nothing is asked: empty selectors would ask for
// every order of the account.
template <EngineRow Row, typename Find, typename Fetch, typename Add>
std::optional<std::uint32_t> FindOrFetchWith(std::unique_lock<platform::CriticalSection>& guard,
                                             std::string_view orderNo, Find find, Fetch fetch, Add add) {
  if (const std::optional<std::uint32_t> index = find()) return index;
  if (!NamesAnOrder(orderNo)) return std::nullopt;
  guard.unlock();
  const std::optional<Row> fetched = fetch();
  guard.lock();
  if (!fetched) return std::nullopt;
  if (const std::optional<std::uint32_t> index = find()) return index;
  return add(*fetched);
}

// FindOrFetchWith, finding the first row of `table` that `matches`.
template <EngineRow Row, typename Predicate, typename Fetch, typename Add>
std::optional<std::uint32_t> FindOrFetch(std::unique_lock<platform::CriticalSection>& guard, const EngineTable& table,
                                         std::string_view orderNo, Predicate matches, Fetch fetch, Add add) {
  return FindOrFetchWith<Row>(
      guard, orderNo, [&] { return FindIndex<Row>(table, matches); }, fetch, add);
}

// The row of a fetched change record when the record holds one of `tableId`
// that matches.
template <EngineRow Row, typename Predicate>
std::optional<Row> FetchedRow(const TableChangeRecord& record, int tableId, Predicate matches) {
  if (record.TableId() != tableId) return std::nullopt;
  const std::optional<Row> row = RowFromBytes<Row>(record.Row());
  if (!row || !matches(*row)) return std::nullopt;
  return row;
}

// The 'u' record of a fund row: the fund table's records always name row 0
// of 1.
inline TableChangeRecord FundChange(std::span<const std::uint8_t> fundRow) {
  return TableChangeRecord::RowChange(table_id::kFunds, TableChangeRecord::kUpdate, 1, 0, fundRow);
}

// The 'u' record of row `index` of a table.
inline TableChangeRecord RowUpdate(int tableId, const EngineTable& table, std::uint32_t index,
                                   std::span<const std::uint8_t> row) {
  return TableChangeRecord::RowChange(tableId, TableChangeRecord::kUpdate, static_cast<int>(table.GetCount()),
                                      static_cast<int>(index), row);
}

}  // namespace engine::order_updates
