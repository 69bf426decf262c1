// A change-price task: cancel the pending order, wait for the cancel, then
// send the order again at its new price.
//
// Steps: new -> waiting for the cancel -> cancelled -> finished.
#include <algorithm>
#include <utility>

#include "client/code_tables.h"
#include "order_module/order_module.h"
#include "platform/format.h"
#include "tasks.h"

namespace order_module {
namespace {

class ChangePriceOrderTask final : public OrderTask {
 public:
  ChangePriceOrderTask(const ChangePriceTask& task, CancelEntry replaced)
      : OrderTask(task.caller), order_(task.order), lotsPerSend_(task.lotsPerSend), confirm_(task.confirm) {
    cancels_.Add(std::move(replaced));
  }

  void Run(TaskContext& context) override {
    if (step_ == Step::kNew) CancelReplaced();
    if (step_ == Step::kWaitingForCancel && !Over()) WaitForCancel();
    if (step_ == Step::kCancelled && !Over()) SendAgain(context);
  }

  bool TakeStateChange(const client::OrderStateChange& change, TaskContext&) override {
    return cancels_.TakeStateChange(change);
  }

  void CheckWaiting(TaskContext& context) override {
    if (step_ != Step::kWaitingForCancel) return;
    WaitForCancel();
    if (step_ == Step::kCancelled) context.WakeTasks();
  }

  std::string_view StateChangeLogText() const override { return "下单模块处理改价下单"; }

 private:
  enum class Step { kNew, kWaitingForCancel, kCancelled };

  CancelEntry& Replaced() { return cancels_.Entries().front(); }
  std::string Account() const { return Str(order_.customerNo); }

  void CancelReplaced() {
    messages_.Add("撤销委托单：" + Replaced().Keys());
    if (!CancelOrderForTask(messages_, Replaced(), Account())) {
      progress_.Fail(kModuleFailureCode);
      return;
    }
    cancels_.StartWait();
    messages_.Add("等待交易所撤单回报......");
    step_ = Step::kWaitingForCancel;
  }

  void WaitForCancel() {
    CancelEntry& replaced = Replaced();
    if (replaced.state == "c") {
      messages_.Add("该委托单已经全部成交：" + replaced.Keys());
      progress_.Fail(kModuleFailureCode);
    } else if (replaced.state == "d" || replaced.state == "m" || replaced.state == "b") {
      messages_.Add("撤单成功：" + replaced.Keys());
      step_ = Step::kCancelled;
    } else if (cancels_.WaitOver()) {
      if (QueryPendingCancels(messages_, cancels_, Account())) {
        step_ = Step::kCancelled;
      } else {
        progress_.Fail(kModuleFailureCode);
      }
    }
  }

  // An order cancelled after part of it filled goes out again only for the
  // part that did not fill.
  void LimitToUnfilled() {
    const CancelEntry& replaced = Replaced();
    if (replaced.state != "b" || replaced.remaining.empty()) return;
    SetLots(order_, std::clamp(LeadingInt(replaced.remaining), 0, Lots(order_)));
  }

  void SendAgain(TaskContext& context) {
    LimitToUnfilled();
    const char* buySell = client::BuySellText(engine::Text(order_.buySell));
    const char* openClose = client::OpenCloseText(engine::Text(order_.openClose));
    if (confirm_) {
      const std::string question = platform::Format(
          "　交易所：%s\n　席位号：%s\n交易编码：%s\n　　合约：%s\n　　操作：%s  %s %s\n　　价格：%s\n　　数量：%s",
          Str(order_.exchange).c_str(), Str(order_.seat).c_str(), Str(order_.tradeCode).c_str(),
          Str(order_.contractCode).c_str(), client::HedgeText(engine::Text(order_.hedge)), buySell, openClose,
          Str(order_.price).c_str(), Str(order_.lots).c_str());
      if (!context.Ask(question)) {
        messages_.Add(kCancelledByUserText);
        progress_.Fail(kModuleFailureCode);
        return;
      }
    }
    SentOrder sent;
    int errorCode = kModuleFailureCode;
    if (SendOrderPieces(context, messages_, order_, lotsPerSend_, {}, sent, errorCode)) {
      messages_.Add(platform::Format("改价单发送成功：%s%s，%s手，%s元(委托号 = %s)", buySell, openClose,
                                     Str(order_.lots).c_str(), Str(order_.price).c_str(), sent.orderNo.c_str()));
      progress_.Finish();
    } else {
      messages_.Add(platform::Format("改价单发送失败：%s%s，%s手，%s元", buySell, openClose, Str(order_.lots).c_str(),
                                     Str(order_.price).c_str()));
      progress_.Fail(errorCode);
    }
  }

  OrderRecord order_;
  int lotsPerSend_;
  bool confirm_;
  CancelList cancels_;
  Step step_ = Step::kNew;
};

}  // namespace

std::unique_ptr<OrderTask> MakeChangePriceTask(const ChangePriceTask& task, CancelEntry replaced) {
  return std::make_unique<ChangePriceOrderTask>(task, std::move(replaced));
}

}  // namespace order_module
