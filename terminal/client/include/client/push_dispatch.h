// The GUI thread's pump of the result queue: finished asynchronous requests
// and push items (the lines of one received block), one per call, each
// request and each line seen by the engine first and then turned into its
// effects on the rest of the terminal.
//
// The main frame's 10 ms timer, and its wake when items arrive, call
// ProcessReceiveQueue until it returns false. A message box shown inside the
// pump runs the frame's timers again; the nested call returns false at once
// and leaves the queue to the outer one.
#pragma once

#include <chrono>
#include <string_view>

#include "backend/account_table.h"
#include "backend/request_queue.h"
#include "backend/request_record.h"
#include "client/order_push_hooks.h"
#include "client/push_handlers.h"
#include "client/subscription_list.h"
#include "quotes/quotation_com.h"
#include "quotes/quote_object.h"

namespace engine {
class COperationEngine;
}

namespace client {

// The shortest time from one drain of the result queue to the next that
// arriving items ask for (the result queue's arrival hook): a burst of
// pushes wakes the GUI thread at most this often, rather than waiting for
// the main frame's 10 ms timer, which drains whatever else waits.
inline constexpr std::chrono::milliseconds kWokenDrainSpacing{2};

// Where the pump's items come from and what they reach beyond the engine and
// the subscription list; the defaults are the running terminal's.
struct PumpParts {
  backend::ResultQueue* results = &backend::TheResultQueue();
  quotes::CtbQuotationCom* quotes = &quotes::TheQuoteObject();
  const backend::AccountTable* accounts = &backend::TheAccountTable();
  // The engine's order table; none: trade pushes find no order.
  OrderLookup* orders = nullptr;
  // The order module; none: no order-state change is queued.
  OrderStateQueue* orderStates = nullptr;
};

class ReceivePump {
 public:
  // The engine and the subscription list must outlive the pump.
  ReceivePump(engine::COperationEngine& engine, SubscriptionList& subscriptions, PumpParts parts = {});

  // Handles at most one item of the result queue. False when the queue was
  // empty (after the engine closed its batch), when the pump is already
  // running further up the stack, or when OnAsyncResult said false; true
  // after a push. The item is freed in every case.
  bool ProcessReceiveQueue();

  // Finishes one asynchronous request after the engine saw it: the quote
  // subscription's answer commits or rolls back the subscription list; a
  // failed answer of any other request becomes an output line; the rest go
  // to the shell by their handler tag. True when the answer passed its
  // check and (for the shell's requests) the shell took it.
  bool OnAsyncResult(const backend::RequestRecord& record);

 private:
  void DispatchPush(std::string_view line, int pushCode);

  engine::COperationEngine& engine_;
  SubscriptionList& subscriptions_;
  PumpParts parts_;
  PushHandlers handlers_;
  bool running_ = false;
};

}  // namespace client
