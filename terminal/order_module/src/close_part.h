// The close of a close auto-cancel task, and of a reverse task before it
// opens: check the closeable lots, cancel the pending orders of the
// direction and wait for their confirmations, then send the close as
// close-today and close pieces.
//
// Steps: new -> (waiting for cancel confirmations -> cancels settled) ->
// finished; any of them may fail.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "client/order_push_hooks.h"
#include "order_module/order_tasks.h"
#include "order_task.h"
#include "task_steps.h"

namespace order_module {

// The kind an ordinary order is sent with.
inline constexpr std::string_view kOrdinaryOrderKind = "A";

// The opening side of a reverse order.
struct OpeningLeg {
  std::string lots;
  std::string price;
  std::string priceType;
  std::string dealAttribute;
};

// One sent piece of the close.
struct ClosePiece {
  OrderRecord order{};
  SentOrder sent;
  int reversedLots = 0;  // lots already opened again for its fills (reverse orders)
};

class ClosePart {
 public:
  // `opening` is the opening side of a reverse order, shown with the
  // confirmation; null for a plain close.
  ClosePart(const CloseOrderTask& task, CancelList cancels, std::optional<OpeningLeg> opening);

  // Runs the steps that are due.
  void Run(TaskContext& context, TaskMessages& messages);
  // Takes a new state of one of the orders it cancels.
  bool TakeStateChange(const client::OrderStateChange& change) { return cancels_.TakeStateChange(change); }
  // While cancels are waited for: settles them, and wakes the tasks once
  // they are.
  void CheckWaiting(TaskContext& context, TaskMessages& messages);

  const TaskProgress& Progress() const { return progress_; }
  // The close order; its lots are those the close could take.
  const OrderRecord& Order() const { return order_; }
  std::vector<ClosePiece>& Pieces() { return pieces_; }
  int LotsPerSend() const { return lotsPerSend_; }
  int OneKeyMode() const { return oneKeyMode_; }

 private:
  enum class Step { kNew, kWaitingForCancels, kCancelsSettled };

  void Start(TaskContext& context, TaskMessages& messages);
  void StartCancels(TaskMessages& messages);
  void WaitForCancels(TaskMessages& messages);
  void SplitAndSend(TaskContext& context, TaskMessages& messages);
  bool SplitCloseOrder(TaskContext& context, TaskMessages& messages);
  enum class Resolution { kResolved, kNothingToSend, kRefused };
  Resolution ResolveOpenClose(const ClosableLots& closable, TaskMessages& messages);
  void SplitIntoPieces(int lots, std::string_view openClose);
  bool ConfirmCloseOrders(TaskContext& context, TaskMessages& messages);
  std::string OpeningQuestionPart() const;
  bool SendSplitOrders(TaskContext& context, TaskMessages& messages);
  std::string Account() const { return Str(order_.customerNo); }

  OrderRecord order_;
  int checkMode_;
  bool splitCloseToday_;
  int lotsPerSend_;
  int oneKeyMode_;
  bool confirm_;
  std::optional<OpeningLeg> opening_;
  CancelList cancels_;
  bool split_ = false;  // the pieces are made
  std::vector<ClosePiece> pieces_;
  Step step_ = Step::kNew;
  TaskProgress progress_;
};

}  // namespace order_module
