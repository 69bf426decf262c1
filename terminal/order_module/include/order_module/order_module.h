// The order module: follows orders after they are handed over, on a thread
// of its own (the order thread). The order submission adds follow-up tasks;
// the push handlers queue the order-state changes the back end reports; the
// order thread sends, cancels and asks for states through the back-end
// client's synchronous operations, and its results reach the main frame
// through DeliverResults on the GUI thread's timer.
//
// Locking: one short lock guards what the threads hand each other (new
// tasks, state changes, results, the question waiting for the user). The
// tasks themselves belong to the order thread, which alone runs, changes and
// removes them, so no lock is held while it sends, waits for an answer or
// pauses, and the GUI thread never waits for a send to finish.
//
// The order thread never calls into the GUI: a question before a send waits
// until the GUI thread asks it (DeliverResults), and a stop ends the wait.
// The thread stops cooperatively and is joined.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "client/order_push_hooks.h"
#include "order_module/order_tasks.h"

namespace order_module {

// The code of the module's own failures, in results as in the protocol.
inline constexpr int kModuleFailureCode = 99999;

class OrderModule final : public client::OrderStateQueue {
 public:
  OrderModule();
  ~OrderModule();
  OrderModule(const OrderModule&) = delete;
  OrderModule& operator=(const OrderModule&) = delete;

  // Starts the order thread; true also when it runs already.
  bool Start();
  // Stops the order thread and joins it; tasks still open are dropped, and
  // results not yet delivered stay. Returns at once without a thread. A send
  // under way is finished first (the transport bounds it).
  void Stop();
  bool IsRunning() const;

  // GUI thread. Each takes the task for the order thread; false, with the
  // reason in `message`, when it refuses it.
  // The one-key mode must be 0 or 1. A close order (or any order in a
  // one-key mode) takes the account's pending orders of its exchange,
  // contract and direction as the ones it may cancel.
  bool AddCloseAutoCancelTask(const CloseOrderTask& task, std::string& message);
  // The one-key mode must be 0 or 2.
  bool AddReverseOrderTask(const ReverseOrderTask& task, std::string& message);
  // The order to replace must be in the engine's order table.
  bool AddChangePriceOrderTask(const ChangePriceTask& task, std::string& message);
  bool AddProfitLossOrderTask(const ProfitLossTask& task, std::string& message);

  // GUI thread (the push handlers): an order's new state, handed to the
  // order thread by the next DeliverResults.
  void QueueOrderStateChange(const client::OrderStateChange& change) override;

  // GUI thread, on the main frame's timer after the result queue is drained:
  // wakes the order thread once for the state changes queued since the last
  // call when it holds a task, asks the question the order thread waits on,
  // if any, then hands every finished task's result to the shell
  // (ShellServices::OnOrderResults) as four items: caller tag, result code
  // (non-zero: failure), the handle of its message list, prompt text. No
  // lock is held during either call; a call made from inside one of them (a
  // message box runs the timer) returns at once.
  void DeliverResults();
  // The message list of the result being delivered, found by the handle its
  // item 3 gives; null for any other text, and outside the delivery.
  const backend::CxDataSet* DeliveredMessages(std::string_view handleText) const;

 private:
  class Impl;
  bool CheckRunning(std::string& message) const;

  std::unique_ptr<Impl> impl_;
};

// The terminal's one order module, and the shell's calls on it.
OrderModule& TheOrderModule();
bool StartOrderModule();
// 0 when no thread ran, else 1.
int StopOrderModule();
void DeliverOrderModuleResults();

}  // namespace order_module
