#include "engine/reference_rows.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

#include "engine/operation_engine_base.h"
#include "keyed_rows.h"
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

bool COperationEngineBase::FindContract(std::string_view exchangeCode, std::string_view contractCode,
                                        ContractRow& contract) const {
  std::lock_guard guard(lock_);
  // Every row a download loads, and every trade the recalculation replays,
  // looks its contract up: the index finds it without a walk.
  const EngineTable& contracts = TableAt(Table::kContracts);
  const std::string_view key[] = {exchangeCode, contractCode};
  const std::optional<std::uint32_t> index = contractRows_->Find(contracts, key);
  if (!index) return false;
  contract = *RowFromBytes<ContractRow>(contracts.GetValue(*index));
  return true;
}

}  // namespace engine
