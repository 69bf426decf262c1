// A close auto-cancel task: the close part alone.
#include <utility>

#include "close_part.h"
#include "tasks.h"

namespace order_module {
namespace {

class CloseTask final : public OrderTask {
 public:
  CloseTask(const CloseOrderTask& task, CancelList cancels)
      : OrderTask(task.caller), close_(task, std::move(cancels), std::nullopt) {}

  void Run(TaskContext& context) override {
    close_.Run(context, messages_);
    progress_ = close_.Progress();
  }
  bool TakeStateChange(const client::OrderStateChange& change, TaskContext&) override {
    return close_.TakeStateChange(change);
  }
  void CheckWaiting(TaskContext& context) override {
    close_.CheckWaiting(context, messages_);
    progress_ = close_.Progress();
  }
  std::string_view StateChangeLogText() const override { return "下单模块处理平仓自动撤单"; }

 private:
  ClosePart close_;
};

}  // namespace

std::unique_ptr<OrderTask> MakeCloseTask(const CloseOrderTask& task, CancelList cancels) {
  return std::make_unique<CloseTask>(task, std::move(cancels));
}

}  // namespace order_module
