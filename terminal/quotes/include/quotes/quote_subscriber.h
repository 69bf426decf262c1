// QuoteSubscriber: where the quote table sends its set of contracts. The
// back-end client's subscription list implements it and turns the slots into
// the quote subscription request.
#pragma once

#include <span>

#include "backend/quote_record.h"

namespace quotes {

class QuoteSubscriber {
 public:
  // The table's slots in slot order (at most 40); the span is valid only
  // during the call.
  virtual void SetSubscriptionList(std::span<const backend::QuoteSlot> slots) = 0;

 protected:
  ~QuoteSubscriber() = default;
};

}  // namespace quotes
