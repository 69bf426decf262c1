#include "client/push_dispatch.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "client/operation_frame.h"
#include "client/quote_push.h"
#include "client/quote_subscription.h"
#include "client/shell_services.h"
#include "engine/operation_engine.h"
#include "protocol/push_codes.h"

namespace client {
namespace {

// Marks the pump as running for the lifetime of one call.
class RunningMark {
 public:
  explicit RunningMark(bool& running) : running_(running) { running_ = true; }
  ~RunningMark() { running_ = false; }
  RunningMark(const RunningMark&) = delete;
  RunningMark& operator=(const RunningMark&) = delete;

 private:
  bool& running_;
};

}  // namespace

ReceivePump::ReceivePump(engine::COperationEngine& engine, SubscriptionList& subscriptions, PumpParts parts)
    : engine_(engine),
      subscriptions_(subscriptions),
      parts_(parts),
      handlers_(*parts.accounts, parts.orders, parts.orderStates) {}

bool ReceivePump::ProcessReceiveQueue() {
  if (running_) return false;
  const RunningMark mark(running_);

  const backend::RequestPtr item = parts_.results->TakeNext();
  if (!item) {
    engine_.OnPushBatchDone();
    return false;
  }
  if (item->IsPush()) {
    // Each line in turn, seen by the engine and then dispatched, as if it
    // had come alone; its push code is read once, for both.
    for (std::uint32_t index = 0; index < backend::PushLineCount(*item); ++index) {
      const std::string_view line = backend::PushLineAt(*item, index);
      const std::optional<int> code = backend::PushCodeOf(line);
      engine_.OnPushData(line, code);
      DispatchPush(line, code.value_or(0));
    }
    return true;
  }
  engine_.OnAsyncAnswer(*item);
  return OnAsyncResult(*item);
}

bool ReceivePump::OnAsyncResult(const backend::RequestRecord& record) {
  const std::string_view handlerTag(record.handlerTag, strnlen(record.handlerTag, sizeof record.handlerTag));
  std::string message;
  // The check also fails a record whose transport failed.
  const bool failed = backend::CheckReplyResult(0, message, &record) != 0;
  if (handlerTag == kSubscribeQuotationTag) {
    if (failed) {
      subscriptions_.RetrySubscriptionList();
    } else {
      subscriptions_.CommitSubscriptionList();
    }
    return !failed;
  }
  if (failed) {
    PostOutputLine(kFailureLine, message);
    return false;
  }
  ShellServices* shell = TheShellServices();
  return shell != nullptr && shell->OnAsyncRequestDone(record, handlerTag);
}

void ReceivePump::DispatchPush(std::string_view line, int pushCode) {
  switch (pushCode) {
    case protocol::push_code::kQuote: {
      backend::QuoteRecord quote;
      ParseQuotePush(line, quote);
      parts_.quotes->ApplyQuote(quote);
      break;
    }
    case protocol::push_code::kOrderState: handlers_.OnOrderPush(line); break;
    case protocol::push_code::kOrderCancel: handlers_.OnCancelPush(line); break;
    case protocol::push_code::kTrade: handlers_.OnTradePush(line); break;
    case protocol::push_code::kMessage: handlers_.OnMessagePush(line); break;
    case protocol::push_code::kMessageBox: handlers_.OnMessageBoxPush(line); break;
    case protocol::push_code::kExerciseOrderState: handlers_.OnExerciseOrderPush(line); break;
    case protocol::push_code::kExerciseOrderCancel: handlers_.OnExerciseCancelPush(line); break;
    // Special-order, condition-order and profit/loss-order pushes are the
    // engine's alone.
    default: break;
  }
}

}  // namespace client
