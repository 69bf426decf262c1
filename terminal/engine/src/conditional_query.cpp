// The conditional query: the rows of one engine table whose key texts match.
#include <mutex>

#include "backend/data_set_block.h"
#include "engine/operation_engine.h"

namespace engine {
namespace {

constexpr std::string_view kQueryOutOfMemoryText = "条件查询时内存不足！";

}  // namespace

bool COperationEngineBase::QueryTableByCondition(EngineQueryRecord& query, std::string& error) const {
  const std::optional<std::size_t> rowSize = ConditionalQueryRowSize(query.TableId());
  const std::optional<Table> table = StoredTableFor(query.TableId());
  if (!rowSize || !table) {
    error = kNoConditionalQueryText;
    return false;
  }
  // The result is a list even when nothing matches, so that the caller can
  // tell an empty answer from a failed one.
  backend::CxDataSet matches;
  bool complete = matches.EnsureSpace(0);
  {
    std::lock_guard guard(lock_);
    TableAt(*table).ForEach([&](std::uint32_t, std::span<const std::uint8_t> row) {
      if (row.size() >= *rowSize && query.Matches(row.first(*rowSize))) {
        complete = matches.AddEntry(nullptr, row.data(), *rowSize, backend::data_set_block::kRawType);
      }
      return complete;
    });
  }
  if (!complete) {
    error = kQueryOutOfMemoryText;
    return false;
  }
  query.SetResult(std::move(matches));
  return true;
}

bool COperationEngine::QueryTableByCondition(EngineQueryRecord& query, std::string& error) const {
  return CheckBusy(error) && QueryTableByConditionUnguarded(query, error);
}

bool COperationEngine::QueryTableByConditionUnguarded(EngineQueryRecord& query, std::string& error) const {
  return COperationEngineBase::QueryTableByCondition(query, error);
}

}  // namespace engine
