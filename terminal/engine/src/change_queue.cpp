// The change queue and the delivery of table-change records.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <optional>
#include <utility>

#include "backend/data_set_block.h"
#include "backend/exercise_order_row.h"
#include "engine/operation_engine_base.h"
#include "engine/reference_rows.h"
#include "engine/trading_rows.h"
#include "platform/little_endian.h"

namespace engine {
namespace {

// A text field of a row: its byte offset and width.
struct TextField {
  std::size_t offset;
  std::size_t width;
};

// The tables whose held records are refreshed at delivery: the row size and
// the key fields by which the held row is found again.
struct RefreshKey {
  int tableId;
  std::size_t rowSize;
  std::array<TextField, 4> keys;
  std::size_t keyCount;
};

using backend::ExerciseOrderRow;

constexpr std::array<RefreshKey, 5> kRefreshKeys{{
    {table_id::kFunds, sizeof(FundRow), {{{offsetof(FundRow, szTradeAccount), sizeof FundRow::szTradeAccount}}}, 1},
    {table_id::kOrders,
     sizeof(OrderRow),
     {{{offsetof(OrderRow, szExchangeCode), sizeof OrderRow::szExchangeCode},
       {offsetof(OrderRow, szOrderNo), sizeof OrderRow::szOrderNo},
       {offsetof(OrderRow, szOrderSeat), sizeof OrderRow::szOrderSeat}}},
     3},
    {table_id::kSpecialOrders,
     sizeof(SpecialOrderRow),
     {{{offsetof(SpecialOrderRow, szExchangeCode), sizeof SpecialOrderRow::szExchangeCode},
       {offsetof(SpecialOrderRow, szOrderNo), sizeof SpecialOrderRow::szOrderNo},
       {offsetof(SpecialOrderRow, szOrderSeat), sizeof SpecialOrderRow::szOrderSeat}}},
     3},
    // Tables 20 and 21 key on the account too: two accounts of one log-in
    // may hold the same option and may be given the same application number.
    {table_id::kExercisableQuantities,
     sizeof(ExercisableQuantityRow),
     {{{offsetof(ExercisableQuantityRow, szExchangeCode), sizeof ExercisableQuantityRow::szExchangeCode},
       {offsetof(ExercisableQuantityRow, szContractCode), sizeof ExercisableQuantityRow::szContractCode},
       {offsetof(ExercisableQuantityRow, szExerciseKey), sizeof ExercisableQuantityRow::szExerciseKey},
       {offsetof(ExercisableQuantityRow, szTradeAccount), sizeof ExercisableQuantityRow::szTradeAccount}}},
     4},
    {table_id::kExerciseOrders,
     sizeof(ExerciseOrderRow),
     {{{offsetof(ExerciseOrderRow, szExchangeCode), sizeof ExerciseOrderRow::szExchangeCode},
       {offsetof(ExerciseOrderRow, szApplicationNo), sizeof ExerciseOrderRow::szApplicationNo},
       {offsetof(ExerciseOrderRow, szKey), sizeof ExerciseOrderRow::szKey},
       {offsetof(ExerciseOrderRow, szAccount), sizeof ExerciseOrderRow::szAccount}}},
     4},
}};

const RefreshKey* RefreshKeyFor(int tableId) {
  for (const RefreshKey& key : kRefreshKeys) {
    if (key.tableId == tableId) return &key;
  }
  return nullptr;
}

// The text of a field: its bytes up to the first zero inside its width.
std::string_view FieldText(std::span<const std::uint8_t> row, const TextField& field) {
  const char* start = reinterpret_cast<const char*>(row.data() + field.offset);
  return {start, strnlen(start, field.width)};
}

bool SameKey(std::span<const std::uint8_t> row, std::span<const std::uint8_t> held, const RefreshKey& key) {
  for (std::size_t k = 0; k < key.keyCount; ++k) {
    const TextField& field = key.keys[k];
    if (row.size() < field.offset + field.width) return false;
    if (FieldText(row, field) != FieldText(held, field)) return false;
  }
  return true;
}

// Replaces the held row of `record` by the first current row with the same
// key; without a match the held row stays.
void RefreshHeldRow(TableChangeRecord& record, const EngineTable& table, const RefreshKey& key) {
  const std::span<const std::uint8_t> held = std::as_const(record).Row().first(key.rowSize);
  for (std::uint32_t index = 0; index < table.GetCount(); ++index) {
    const std::span<const std::uint8_t> row = table.GetValue(index);
    if (!SameKey(row, held, key)) continue;
    const std::span<std::uint8_t> copy = record.Row().first(key.rowSize);
    std::fill(copy.begin(), copy.end(), std::uint8_t{0});
    std::memcpy(copy.data(), row.data(), std::min(row.size(), key.rowSize));
    return;
  }
}

}  // namespace

void COperationEngineBase::RaiseChange(const TableChangeRecord& record, bool deliverAtOnce) {
  if (deliverAtOnce) {
    NotifyTableChange(record);
  } else {
    AppendToChangeQueue(record);
  }
}

void COperationEngineBase::AppendToChangeQueue(const TableChangeRecord& record) {
  std::lock_guard guard(lock_);
  const auto bytes = record.Bytes();
  TableAt(Table::kChangeQueue).AddEntry(bytes.data(), bytes.size(), backend::data_set_block::kRawType);
}

void COperationEngineBase::QueueConnectionState(int state, int connection, int flag) {
  std::lock_guard guard(lock_);
  EngineTable& queue = TableAt(Table::kChangeQueue);
  for (std::uint32_t index = 0; index < queue.GetCount(); ++index) {
    std::optional<TableChangeRecord> queued = TableChangeRecord::FromBytes(queue.GetValue(index));
    if (!queued || queued->TableId() != table_id::kConnectionState || queued->ConnectionNumber() != connection) {
      continue;
    }
    platform::StoreLittleEndian(queue.GetDataPtr(index) + TableChangeRecord::kConnectionStateOffset,
                                static_cast<std::uint32_t>(state));
    return;
  }
  AppendToChangeQueue(TableChangeRecord::ConnectionState(connection, flag, state));
}

std::vector<TableChangeRecord> COperationEngineBase::TakeChangeQueue() {
  std::lock_guard guard(lock_);
  EngineTable& queue = TableAt(Table::kChangeQueue);
  std::vector<TableChangeRecord> records;
  records.reserve(queue.GetCount());
  for (std::uint32_t index = 0; index < queue.GetCount(); ++index) {
    std::optional<TableChangeRecord> record = TableChangeRecord::FromBytes(queue.GetValue(index));
    if (!record) continue;
    if (const RefreshKey* key = RefreshKeyFor(record->TableId())) {
      if (const std::optional<Table> table = StoredTableFor(key->tableId)) {
        RefreshHeldRow(*record, TableAt(*table), *key);
      }
    }
    records.push_back(*record);
  }
  queue.Clear();
  return records;
}

void COperationEngineBase::DeliverChangeRecords(std::span<const TableChangeRecord> records) {
  for (const TableChangeRecord& record : records) {
    if (record.TableId() != table_id::kConnectionState) {
      NotifyTableChange(record);
    } else if (callbacks_.connectionState) {
      callbacks_.connectionState(record.ConnectionNumber(), record.ConnectionFlag(), record.ConnectionStateValue());
    }
  }
}

}  // namespace engine
