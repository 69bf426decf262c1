// Copies of whole engine tables for the views, the order module and the
// query facade.
#include <mutex>

#include "engine/operation_engine.h"

namespace engine {
namespace {

constexpr std::string_view kCopyOutOfMemoryText = "复制表时内存不足！";

}  // namespace

bool COperationEngineBase::GetTableCopy(int tableId, backend::CxDataSet& copy, std::string& error) {
  const std::optional<Table> table = StoredTableFor(tableId);
  if (!table) {
    error = kNoSuchTableText;
    return false;
  }
  backend::CxDataSet clone;
  {
    std::lock_guard guard(lock_);
    clone = backend::CxDataSet::CloneBlock(TableAt(*table).View());
  }
  // A table never filled has no block; its copy is an empty list all the
  // same, so that a copy without a block always means a failure.
  if (clone.Block() == nullptr && !clone.EnsureSpace(0)) {
    error = kCopyOutOfMemoryText;
    return false;
  }
  copy = std::move(clone);
  return true;
}

bool COperationEngine::GetTableCopy(int tableId, backend::CxDataSet& copy, std::string& error) {
  return CheckBusy(error) && COperationEngineBase::GetTableCopy(tableId, copy, error);
}

}  // namespace engine
