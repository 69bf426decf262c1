// The asynchronous quote subscription (function 5450): the contracts text of
// the subscription list, signed by the account on connection slot 0 and sent
// on the quote connection through the engine's asynchronous dispatcher. Its
// answer comes back through the result queue under kSubscribeQuotationTag.
#pragma once

#include <string>
#include <string_view>

#include "client/subscription_list.h"

namespace client {

// The handler tag of the subscription's record, spelt as the back end and
// the shell have always known it.
inline constexpr std::string_view kSubscribeQuotationTag = "_SubscibeQuotation";

// Builds the subscription for connection slot `slot` and hands it to the
// installed engine. True when it is on its way (sent, or answered by the
// engine itself and then queued as a result); false, with the record freed
// and the reason in `message`, when it could not be built or was refused.
bool SubscribeQuotation(std::string_view contracts, int slot, std::string& message);

// The subscription list's sender for the running terminal: SubscribeQuotation
// on the installed engine's quote connection; false while no engine is
// installed.
SubscriptionSender QuoteSubscriptionSender();

}  // namespace client
