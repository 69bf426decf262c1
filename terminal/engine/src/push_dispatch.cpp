// The push dispatcher: every pushed line that reaches the engine goes to
// the handler of its push code.
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/field_text.h"
#include "engine/operation_engine.h"
#include "protocol/push_codes.h"

namespace engine {
namespace {

constexpr int kPushCodeField = 4;
// A message push whose field 9 is 1 asks for everything again.
constexpr int kDownloadAgainField = 9;
constexpr int kDownloadAgain = 1;

namespace push_code = protocol::push_code;

// The number in field n of a pushed line, read without splitting the line
// (a quote push has some sixty fields, and the dispatcher needs one or two).
std::optional<int> NumberField(std::string_view line, int n) {
  return backend::ParseDecimal(backend::GetSeparatedFieldText(n, line));
}

// The pushes that may be applied again after a download that already holds
// what they tell: an order's state and cancel carry its state sequence, and
// a stale one is passed over; a fill carries its fill number, and a fill the
// engine holds is passed over.
bool ReplaysSafely(int code) {
  return code == push_code::kOrderState || code == push_code::kOrderCancel || code == push_code::kTrade;
}

}  // namespace

void COperationEngine::ApplyOrHoldPush(std::string_view line) {
  const std::optional<int> code = NumberField(line, kPushCodeField);
  if (!code || !ReplaysSafely(*code)) {
    // Other pushes may ask the user first: no download waits for them, and
    // one that comes during a download is not applied.
    if (engineState_.load() == EngineState::kReady) OnPushLine(line);
    return;
  }
  std::lock_guard applying(applyLock_);
  if (engineState_.load() == EngineState::kReady) {
    OnPushLine(line);
  } else {
    HoldPushForDownload(line);
  }
}

void COperationEngine::HoldPushForDownload(std::string_view line) {
  if (pushesHeldForDownload_.size() >= kMaxPushesHeldForDownload) {
    // Too much happened meanwhile to hold: the account is downloaded again
    // once this download has ended.
    pushesHeldForDownload_.clear();
    pushesHeldOverflowed_ = true;
    return;
  }
  pushesHeldForDownload_.emplace_back(line);
}

void COperationEngine::ReplayPushesHeldForDownload() {
  std::vector<std::string> held;
  held.swap(pushesHeldForDownload_);
  if (std::exchange(pushesHeldOverflowed_, false)) {
    RequestFullDownload();
    return;
  }
  for (const std::string& line : held) ApplyOrHoldPush(line);
}

void COperationEngine::OnPushLine(std::string_view line) {
  const std::optional<int> code = NumberField(line, kPushCodeField);
  if (!code) return;
  switch (*code) {
    case push_code::kOrderState: OnOrderStatePush(line); break;
    case push_code::kConditionOrder: OnConditionOrderPush(line); break;
    case push_code::kOrderCancel: OnCancelPush(line); break;
    case push_code::kTrade: OnTradePush(line); break;
    case push_code::kMessage:
      if (NumberField(line, kDownloadAgainField) == kDownloadAgain) RequestFullDownload();
      break;
    case push_code::kSpecialOrder: OnSpecialOrderPush(line); break;
    case push_code::kSpecialOrderState: OnSpecialOrderStatePush(line); break;
    case push_code::kExerciseOrderState: OnExerciseOrderPush(line); break;
    case push_code::kExerciseOrderCancel: OnExerciseCancelPush(line); break;
    default: break;  // quotes, message boxes and codes without a handler
  }
}

}  // namespace engine
