#include "engine/reference_rows.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <span>
#include <utility>

#include "engine/operation_engine_base.h"

namespace engine {
namespace {

// The text of a row's fixed-width field of N bytes at `offset`, up to its
// first zero byte.
template <std::size_t N>
std::string_view FieldAt(std::span<const std::uint8_t> row, std::size_t offset) {
  const char* text = reinterpret_cast<const char*>(row.data() + offset);
  return {text, strnlen(text, N)};
}

}  // namespace

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
  const EngineTable& contracts = TableAt(Table::kContracts);
  // The keys are read in place: every row a download loads looks its
  // contract up, so only the match is copied.
  for (std::uint32_t index = 0; index < contracts.GetCount(); ++index) {
    const std::span<const std::uint8_t> bytes = contracts.GetValue(index);
    if (bytes.size() < sizeof(ContractRow) ||
        FieldAt<sizeof ContractRow::szContractCode>(bytes, offsetof(ContractRow, szContractCode)) != contractCode ||
        FieldAt<sizeof ContractRow::szExchangeCode>(bytes, offsetof(ContractRow, szExchangeCode)) != exchangeCode) {
      continue;
    }
    if (const std::optional<ContractRow> row = RowFromBytes<ContractRow>(bytes)) {
      contract = *row;
      return true;
    }
  }
  return false;
}

}  // namespace engine
