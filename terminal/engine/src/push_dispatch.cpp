// The push dispatcher: every pushed line that reaches the engine goes to
// the handler of its push code.
#include <optional>

#include "backend/field_text.h"
#include "engine/answer_fields.h"
#include "engine/operation_engine.h"

namespace engine {
namespace {

constexpr int kPushCodeField = 4;
// A message push (15006) whose field 9 is 1 asks for everything again.
constexpr int kDownloadAgainField = 9;
constexpr int kDownloadAgain = 1;

namespace push_code {
constexpr int kOrderState = 15002;
constexpr int kConditionOrder = 15003;
constexpr int kCancel = 15004;
constexpr int kTrade = 15005;
constexpr int kMessage = 15006;
constexpr int kSpecialOrder = 15008;
constexpr int kSpecialOrderState = 15009;
constexpr int kExerciseOrder = 15012;
constexpr int kExerciseCancel = 15013;
}  // namespace push_code

// The line up to and with its `count`th separator: its fields are the first
// `count` fields of the line, read without splitting the rest (a quote push
// has some sixty fields, and the dispatcher needs two).
std::string_view FirstFields(std::string_view line, int count) {
  std::size_t end = 0;
  for (int field = 0; field < count; ++field) {
    end = line.find(backend::kFieldSeparator, end);
    if (end == std::string_view::npos) return line;
    ++end;
  }
  return line.substr(0, end);
}

}  // namespace

void COperationEngine::OnPushLine(std::string_view line) {
  const LineFields fields(FirstFields(line, kDownloadAgainField));
  const std::optional<int> code = backend::ParseDecimal(fields.Field(kPushCodeField));
  if (!code) return;
  switch (*code) {
    case push_code::kOrderState: OnOrderStatePush(line); break;
    case push_code::kConditionOrder: OnConditionOrderPush(line); break;
    case push_code::kCancel: OnCancelPush(line); break;
    case push_code::kTrade: OnTradePush(line); break;
    case push_code::kMessage:
      if (backend::ParseDecimal(fields.Field(kDownloadAgainField)) == kDownloadAgain) RequestFullDownload();
      break;
    case push_code::kSpecialOrder: OnSpecialOrderPush(line); break;
    case push_code::kSpecialOrderState: OnSpecialOrderStatePush(line); break;
    case push_code::kExerciseOrder: OnExerciseOrderPush(line); break;
    case push_code::kExerciseCancel: OnExerciseCancelPush(line); break;
    default: break;  // quotes (15001), 15007 and codes without a handler
  }
}

}  // namespace engine
