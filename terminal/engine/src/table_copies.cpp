// Copies of whole engine tables for the views, the order module and the
// query facade.
#include <mutex>

#include "engine/account_sums.h"
#include "engine/operation_engine.h"
#include "typed_rows.h"

namespace engine {
namespace {

constexpr std::string_view kCopyOutOfMemoryText = "复制表时内存不足！";

bool IsBuiltTable(int tableId) {
  return tableId == table_id::kPositionDetailsView || tableId == table_id::kCombinationPositionsView;
}

template <typename Rows>
void VisitRows(const Rows& rows, const RowVisitor& visit) {
  if (visit.count) visit.count(rows.GetCount());
  typed_rows::ForEachEntry(rows, [&](std::uint32_t, std::span<const std::uint8_t> row) { visit.row(row); });
}

}  // namespace

bool COperationEngineBase::GetTableCopy(int tableId, backend::CxDataSet& copy, std::string& error) {
  backend::CxDataSet clone;
  if (tableId == table_id::kPositionDetailsView) {
    EngineTable summary;
    BuildPositionSummary(summary, PositionKinds::kOrdinaryOnly);
    clone = summary.ToDataSet();
  } else if (tableId == table_id::kCombinationPositionsView) {
    BuildCombinationTable(clone);
    // A list built of no rows has no block; its copy is an empty list all
    // the same.
    if (clone.Block() == nullptr) clone.EnsureSpace(0);
  } else if (const std::optional<Table> table = StoredTableFor(tableId)) {
    std::lock_guard guard(lock_);
    clone = TableAt(*table).ToDataSet();
  } else {
    error = kNoSuchTableText;
    return false;
  }
  // Every copy is a list, an empty one too (ToDataSet gives each a block), so
  // a copy without a block means memory ran out: the caller is told so
  // rather than handed an empty table.
  if (clone.Block() == nullptr) {
    error = kCopyOutOfMemoryText;
    return false;
  }
  copy = std::move(clone);
  return true;
}

bool COperationEngine::GetTableCopy(int tableId, backend::CxDataSet& copy, std::string& error) {
  return CheckBusy(error) && COperationEngineBase::GetTableCopy(tableId, copy, error);
}

bool COperationEngineBase::ReadTable(int tableId, const RowVisitor& visit, std::string& error) {
  if (IsBuiltTable(tableId)) {
    backend::CxDataSet built;
    if (!COperationEngineBase::GetTableCopy(tableId, built, error)) return false;
    VisitRows(built, visit);
    return true;
  }
  const std::optional<Table> table = StoredTableFor(tableId);
  if (!table) {
    error = kNoSuchTableText;
    return false;
  }
  std::lock_guard guard(lock_);
  VisitRows(TableAt(*table), visit);
  return true;
}

bool COperationEngine::ReadTable(int tableId, const RowVisitor& visit, std::string& error) {
  return CheckBusy(error) && COperationEngineBase::ReadTable(tableId, visit, error);
}

}  // namespace engine
