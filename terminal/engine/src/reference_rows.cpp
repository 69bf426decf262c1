#include "engine/reference_rows.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "contract_key.h"
#include "engine/operation_engine_base.h"
#include "row_index.h"
#include "typed_rows.h"

namespace engine {

std::string_view ExerciseInstructionFor(std::string_view exchangeAbbr) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kInstructions{{
      {"sfe", exercise_instruction::kExerciseOnly},
      {"dce", exercise_instruction::kExerciseOnly},
      {"czce", exercise_instruction::kBoth},
      {"cffex", exercise_instruction::kAbandonOnly},
  }};
  for (const auto& [abbr, instruction] : kInstructions) {
    if (abbr == exchangeAbbr) return instruction;
  }
  return {};
}

void AppendContractKey(std::string& key, std::string_view exchangeCode, std::string_view contractCode) {
  key.append(exchangeCode).push_back('\x1f');
  key.append(contractCode);
}

bool ContractKeyOfEntry(std::span<const std::uint8_t> entry, std::string& key) {
  if (entry.size() < sizeof(ContractRow)) return false;
  AppendContractKey(key, typed_rows::FieldIn(entry, &ContractRow::szExchangeCode),
                    typed_rows::FieldIn(entry, &ContractRow::szContractCode));
  return true;
}

bool COperationEngineBase::FindContract(std::string_view exchangeCode, std::string_view contractCode,
                                        ContractRow& contract) const {
  std::lock_guard guard(lock_);
  const EngineTable& contracts = TableAt(Table::kContracts);
  std::string key;
  AppendContractKey(key, exchangeCode, contractCode);
  // Every row a download loads, and every trade the recalculation replays,
  // looks its contract up: the index finds it without a walk. A table
  // reloaded in place may leave the index behind, so a miss walks the table
  // once more before it counts.
  for (const bool walked : {false, true}) {
    if (walked) contractIndex_->Rebuild(contracts);
    // A separator byte inside a code could make two pairs one key: the
    // codes themselves decide.
    for (const std::uint32_t index : contractIndex_->RowsOf(contracts, key)) {
      const std::optional<ContractRow> row = RowFromBytes<ContractRow>(contracts.GetValue(index));
      if (row && Text(row->szExchangeCode) == exchangeCode && Text(row->szContractCode) == contractCode) {
        contract = *row;
        return true;
      }
    }
  }
  return false;
}

}  // namespace engine
