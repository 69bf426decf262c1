// The follow-up tasks, one kind each, as the order module makes them.
#pragma once

#include <memory>

#include "order_module/order_tasks.h"
#include "order_task.h"
#include "task_steps.h"

namespace order_module {

// Sends the order; a close first settles what `cancels` holds as its check
// mode asks.
std::unique_ptr<OrderTask> MakeCloseTask(const CloseOrderTask& task, CancelList cancels);
// Closes as above, then opens the same direction.
std::unique_ptr<OrderTask> MakeReverseTask(const ReverseOrderTask& task, CancelList cancels);
// Cancels `replaced`, then sends the new order.
std::unique_ptr<OrderTask> MakeChangePriceTask(const ChangePriceTask& task, CancelEntry replaced);
// Opens, then places the profit/loss order on the new order.
std::unique_ptr<OrderTask> MakeProfitLossTask(const ProfitLossTask& task);

}  // namespace order_module
