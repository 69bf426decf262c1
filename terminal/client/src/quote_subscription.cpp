#include "client/quote_subscription.h"

#include "client/operation_frame.h"
#include "engine/operation_engine.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

constexpr Operation kSubscribeQuotation{.title = "注册行情",
                                        .functionNo = protocol::function_no::kSubscribeQuotation,
                                        .priority = kUrgentPriority,
                                        .singlePacket = true,
                                        .handlerTag = kSubscribeQuotationTag};

}  // namespace

bool SubscribeQuotation(std::string_view contracts, int slot, std::string& message) {
  OperationParameters parameters(SlotAccount(0));
  parameters.Add(contracts).Add("-1").Add("3").Add("1");
  return RunAsync(kSubscribeQuotation, slot, parameters, message);
}

SubscriptionSender QuoteSubscriptionSender() {
  return [](std::string_view contracts) {
    const engine::COperationEngine* engine = TheOperationEngine();
    if (engine == nullptr) return false;
    std::string message;
    return SubscribeQuotation(contracts, engine->QuoteConnectionIndex(), message);
  };
}

}  // namespace client
