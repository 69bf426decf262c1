// The push dispatcher: every pushed line that reaches the engine goes to
// the handler of its push code. While a download runs, the pushes applied
// to the tables are held, and applied in the order they came once it has
// ended.
#include <array>
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

// A message push whose field 9 is 1 asks for everything again.
constexpr int kDownloadAgainField = 9;
constexpr int kDownloadAgain = 1;

namespace push_code = protocol::push_code;

// The number in field n of a pushed line, read without splitting the line
// (a quote push has some sixty fields, and the dispatcher needs one or two).
std::optional<int> NumberField(std::string_view line, int n) {
  return backend::ParseDecimal(backend::GetSeparatedFieldText(n, line));
}

}  // namespace

// A push applied to the tables, and whether those tables are ones the
// downloads load.
//
// Each of these pushes may be applied again after a download that already
// holds what it tells: an order's state and cancel, a special order's push
// and state and an application's state and cancel carry a state sequence,
// and a stale one is passed over; a fill carries its fill number, and a
// fill the engine holds is passed over; a condition or profit/loss order's
// state is set once more to what the push says.
//
// A push of downloaded tables is applied apart from a download's emptying
// and loading of them, and a download asked for once too many were held
// brings back what it told. The condition-order push needs neither: no
// download loads the condition and profit/loss orders. It may ask the user,
// and goes without the exclusion, so that no download waits for the answer.
struct COperationEngine::PushRoute {
  int code;
  void (COperationEngineBase::*apply)(std::string_view line);
  bool changesDownloadedTables;
};

const COperationEngine::PushRoute* COperationEngine::FindPushRoute(int code) {
  using Engine = COperationEngine;
  static constexpr std::array<PushRoute, 8> kRoutes{{
      {push_code::kOrderState, &Engine::OnOrderStatePush, true},
      {push_code::kConditionOrder, &Engine::OnConditionOrderPush, false},
      {push_code::kOrderCancel, &Engine::OnCancelPush, true},
      {push_code::kTrade, &Engine::OnTradePush, true},
      {push_code::kSpecialOrder, &Engine::OnSpecialOrderPush, true},
      {push_code::kSpecialOrderState, &Engine::OnSpecialOrderStatePush, true},
      {push_code::kExerciseOrderState, &Engine::OnExerciseOrderPush, true},
      {push_code::kExerciseOrderCancel, &Engine::OnExerciseCancelPush, true},
  }};
  for (const PushRoute& route : kRoutes) {
    if (route.code == code) return &route;
  }
  return nullptr;
}

void COperationEngine::ApplyOrHoldPush(std::string_view line, std::optional<int> pushCode) {
  const PushRoute* route = pushCode ? FindPushRoute(*pushCode) : nullptr;
  if (route == nullptr) {
    // A message push may ask for a download, which one under way makes
    // needless; the others change nothing of the engine's.
    if (engineState_.load() == EngineState::kReady) OnPushLine(line, pushCode);
    return;
  }
  std::unique_lock applying(applyLock_, std::defer_lock);
  if (route->changesDownloadedTables) applying.lock();
  if (engineState_.load() == EngineState::kReady) {
    OnPushLine(line, pushCode);
  } else {
    HoldPushForDownload(*route, line);
  }
}

void COperationEngine::HoldPushForDownload(const PushRoute& route, std::string_view line) {
  if (pushesHeldForDownload_.size() >= kMaxPushesHeldForDownload) {
    // Too much happened meanwhile to hold: the account is downloaded again
    // once this download has ended, and what that brings back is let go.
    std::erase_if(pushesHeldForDownload_, [](const HeldPush& held) { return held.route->changesDownloadedTables; });
    pushesHeldOverflowed_ = true;
  }
  if (pushesHeldOverflowed_ && route.changesDownloadedTables) return;
  if (pushesHeldForDownload_.size() < kMaxPushesHeldForDownload)
    pushesHeldForDownload_.push_back({&route, std::string(line)});
}

void COperationEngine::ReplayPushesHeldForDownload() {
  std::vector<HeldPush> held;
  held.swap(pushesHeldForDownload_);
  // What is still held then waits for the download asked for here.
  if (std::exchange(pushesHeldOverflowed_, false)) RequestFullDownload();
  for (const HeldPush& push : held) ApplyOrHoldPush(push.line, push.route->code);
}

void COperationEngine::OnPushLine(std::string_view line) { OnPushLine(line, backend::PushCodeOf(line)); }

void COperationEngine::OnPushLine(std::string_view line, std::optional<int> pushCode) {
  if (!pushCode) return;
  if (const PushRoute* route = FindPushRoute(*pushCode)) {
    (this->*route->apply)(line);
  } else if (*pushCode == push_code::kMessage && NumberField(line, kDownloadAgainField) == kDownloadAgain) {
    RequestFullDownload();
  }
  // Quotes, message boxes and codes without a handler change nothing.
}

}  // namespace engine
