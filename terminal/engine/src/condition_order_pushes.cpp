// The condition-order push (15003): the state of a profit/loss order, the
// back end's questions on a condition order, which the user answers and
// the engine sends back (5482, 5483), and the state of a condition order.
#include <algorithm>
#include <array>
#include <string>

#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "order_updates.h"
#include "protocol/function_numbers.h"

namespace engine {
namespace {

namespace field {
constexpr int kKind = 9;
constexpr int kOrderNo = 10;
constexpr int kSecondText = 11;  // the back end's own text, echoed in the answer
constexpr int kState = 12;
constexpr int kChoiceKind = 13;
constexpr int kText = 14;  // the question, or a marked status
}  // namespace field

namespace push_kind {
constexpr long long kConfirm = 1;
constexpr long long kChoose = 2;
constexpr long long kState = 3;
}  // namespace push_kind

// A text beginning with this marker reports a profit/loss order's status:
// "ZSZY#<status>#".
constexpr std::string_view kProfitLossMarker = "ZSZY";
constexpr char kStatusDelimiter = '#';
// Pushes whose text begins with this marker concern no table of the engine.
constexpr std::string_view kIgnoredMarker = "WTHB";

constexpr EngineRequest kConfirmAnswer{"条件单确认相应", protocol::function_no::kConfirmConditionOrder,
                                       AnswerForm::kSingleLine};
constexpr std::string_view kChoiceCreateFailure = "时，创建请求命令失败！";
constexpr EngineRequest kChoiceAnswer{"条件单选择操作", protocol::function_no::kChooseConditionOrderAction,
                                      AnswerForm::kSingleLine, kChoiceCreateFailure, kChoiceCreateFailure};

// The status between the first "#" of a marked text and the next "#" or
// the text's end.
std::string_view StatusText(std::string_view text) {
  const std::size_t first = text.find(kStatusDelimiter);
  if (first == std::string_view::npos) return {};
  text.remove_prefix(first + 1);
  return text.substr(0, text.find(kStatusDelimiter));
}

std::string_view ConfirmationAnswer(PromptAnswer answer) { return answer == PromptAnswer::kOk ? "1" : "0"; }

std::string_view ChoiceAnswer(PromptAnswer answer) {
  switch (answer) {
    case PromptAnswer::kRetry: return "0";
    case PromptAnswer::kIgnore: return "1";
    default: return "2";  // Cancel or Abort
  }
}

// The code a condition order stores for a pushed state.
std::string_view StoredConditionState(std::string_view pushed) {
  struct Mapping {
    std::string_view pushed;
    std::string_view stored;
  };
  static constexpr std::array<Mapping, 9> kMappings{
      {{"0", "1"}, {"7", "1"}, {"8", "1"}, {"2", "d"}, {"1", "0"}, {"3", "2"}, {"4", "2"}, {"5", "2"}, {"6", "3"}}};
  const auto* found = std::find_if(kMappings.begin(), kMappings.end(),
                                   [&](const Mapping& mapping) { return mapping.pushed == pushed; });
  return found != kMappings.end() ? found->stored : std::string_view{};
}

}  // namespace

void COperationEngineBase::OnConditionOrderPush(std::string_view pushed) {
  const LineFields line(pushed);
  const std::string_view orderNo = line.Field(field::kOrderNo);
  const std::string_view text = line.Field(field::kText);
  if (text.starts_with(kProfitLossMarker)) {
    OnProfitLossOrderState(orderNo, line.Field(field::kState), StatusText(text));
    return;
  }
  if (text.starts_with(kIgnoredMarker)) return;
  switch (order_updates::LeadingInteger(line.Field(field::kKind))) {
    case push_kind::kConfirm: ConfirmConditionOrder(orderNo, line.Field(field::kSecondText), text); break;
    case push_kind::kChoose:
      ChooseConditionOrderAction(text, orderNo, line.Field(field::kSecondText), line.Field(field::kChoiceKind));
      break;
    case push_kind::kState: OnConditionOrderState(orderNo, line.Field(field::kState)); break;
    default: break;
  }
}

void COperationEngineBase::ConfirmConditionOrder(std::string_view orderNo, std::string_view secondText,
                                                 std::string_view question) {
  const PromptAnswer answer = AskUser({std::string(question), PromptButtons::kOkCancel, PromptIcon::kStop});
  const backend::RequestPtr record =
      BuildEngineRequest(kConfirmAnswer, EngineAccountKey(), {orderNo, secondText, ConfirmationAnswer(answer)});
  if (record) SendAndTell(*record, "确认成功！", "确认失败：");
}

void COperationEngineBase::ChooseConditionOrderAction(std::string_view question, std::string_view orderNo,
                                                      std::string_view secondText, std::string_view choiceKind) {
  PromptButtons buttons;
  if (choiceKind.starts_with("1")) {
    buttons = PromptButtons::kRetryCancel;
  } else if (choiceKind.starts_with("2")) {
    buttons = PromptButtons::kAbortRetryIgnore;
  } else {
    return;
  }
  const PromptAnswer answer = AskUser({std::string(question), buttons, PromptIcon::kStop});
  const backend::RequestPtr record =
      BuildEngineRequest(kChoiceAnswer, EngineAccountKey(), {orderNo, secondText, ChoiceAnswer(answer)});
  if (record) SendAndTell(*record, "选择成功！", "选择失败：");
}

void COperationEngineBase::OnConditionOrderState(std::string_view orderNo, std::string_view state) {
  SetConditionOrderState(orderNo, StoredConditionState(state));
}

}  // namespace engine
