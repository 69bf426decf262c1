// The option exercise/abandon order push (15012) and its cancel push (15013)
// applied to the engine's applications and the exercisable quantities. Every
// record goes to the GUI at once.
//
// The pushes carry their texts four fields later than the exercise-order
// answer (5246) that fills the row: their field 16 is the row's text of
// answer field 12, fields 20, 22 and 23 those of answer fields 16, 18 and 19.
// The state sequence is the row's text of answer field 31, and the pushes'
// third key (field 31) is the row's key text (answer field 26).
#include <mutex>
#include <string>

#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "order_updates.h"

namespace engine {
namespace {

using backend::ExerciseOrderRow;

namespace field {
constexpr int kAccount = 8;
constexpr int kApplicationNo = 9;
constexpr int kExchangeCode = 10;
constexpr int kState = 12;
constexpr int kLots = 15;
constexpr int kAfterLots = 16;
constexpr int kText20 = 20;
constexpr int kText22 = 22;
constexpr int kText23 = 23;
constexpr int kSequence = 28;
constexpr int kKey = 31;
constexpr int kKindFlag = 42;
}  // namespace field

}  // namespace

void COperationEngineBase::ApplyExercisePush(const LineFields& line, std::optional<std::string_view> kindFlag,
                                             const std::function<void(ExerciseOrderRow&)>& change) {
  std::unique_lock guard(lock_);
  const std::optional<std::uint32_t> index = FindOrFetchExerciseOrder(
      {line.Field(field::kApplicationNo), line.Field(field::kExchangeCode), line.Field(field::kKey)},
      line.Field(field::kAccount), kindFlag, guard);
  if (!index) return;
  EngineTable& applications = TableAt(Table::kExerciseOrders);
  ExerciseOrderRow row = *typed_rows::RowAt<ExerciseOrderRow>(applications, *index);
  if (!order_updates::IsNewer(line.Field(field::kSequence), row.szText12B)) return;
  const std::string previousState(Text(row.szStateCode));
  change(row);
  SetText(row.szText12B, line.Field(field::kSequence));
  typed_rows::StoreRow(applications, *index, row);
  RaiseChange(order_updates::RowUpdate(table_id::kExerciseOrders, applications, *index, RowBytes(row)), kAtOnce);
  FollowExerciseState(previousState, row);
}

void COperationEngineBase::OnExerciseOrderPush(std::string_view pushed) {
  const LineFields line(pushed);
  ApplyExercisePush(line, std::nullopt, [&](ExerciseOrderRow& row) {
    SetText(row.szStateCode, line.Field(field::kState));
    SetText(row.szTexts16B[1], line.Field(field::kText20));
  });
}

void COperationEngineBase::OnExerciseCancelPush(std::string_view pushed) {
  const LineFields line(pushed);
  ApplyExercisePush(line, line.Field(field::kKindFlag), [&](ExerciseOrderRow& row) {
    SetText(row.szStateCode, line.Field(field::kState));
    SetText(row.szLots, line.Field(field::kLots));
    SetText(row.szTexts16A[0], line.Field(field::kAfterLots));
    SetText(row.szTexts16B[3], line.Field(field::kText22));
    SetText(row.szTexts16B[4], line.Field(field::kText23));
  });
}

}  // namespace engine
