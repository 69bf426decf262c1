// A profit/loss task: the opening order, then the profit/loss order on it,
// in one run.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "client/code_tables.h"
#include "client/order_operations.h"
#include "order_module/order_module.h"
#include "platform/format.h"
#include "tasks.h"

namespace order_module {
namespace {

// The kind the opening order of a profit/loss order is sent with.
constexpr std::string_view kProfitLossOpeningKind = "N";

// The first entry of an answer list as text; empty without one.
std::string FirstText(const backend::CxDataSet& list) {
  const std::span<const std::uint8_t> value = list.GetValue(0);
  const std::string_view text(reinterpret_cast<const char*>(value.data()), value.size());
  return std::string(text.substr(0, text.find('\0')));
}

class ProfitLossOrderTask final : public OrderTask {
 public:
  explicit ProfitLossOrderTask(const ProfitLossTask& task) : OrderTask(task.caller), task_(task) {}

  void Run(TaskContext& context) override {
    if (task_.confirm && !context.Ask(Question())) {
      messages_.Add(kCancelledByUserText);
      progress_.Fail(kModuleFailureCode);
      return;
    }
    SentOrder opening;
    int errorCode = kModuleFailureCode;
    if (!SendOrderPieces(context, messages_, task_.order, 0, kProfitLossOpeningKind, opening, errorCode)) {
      progress_.Fail(errorCode);
      return;
    }
    const std::array<std::string_view, 8> values = {task_.stopLoss,        task_.takeProfit,      task_.closeMethod,
                                                    task_.closeDifference, task_.priceMode,       task_.triggerPrice,
                                                    task_.triggerCount,    task_.floatingStopLoss};
    backend::CxDataSet answer;
    std::string message;
    if (!client::SendProfitLossOrder(engine::Text(task_.order.customerNo), opening.orderNo,
                                     engine::Text(task_.order.exchange), opening.orderingSeat, values, answer,
                                     message)) {
      messages_.Add(platform::Format("盈损单发送失败(开仓委托号 = %s)：%s", opening.orderNo.c_str(), message.c_str()));
      progress_.Fail(kModuleFailureCode);
      return;
    }
    const std::string profitLossNo = FirstText(answer);
    messages_.Add(platform::Format("盈损单发送成功：开仓委托号 = %s，盈损单号 = %s", opening.orderNo.c_str(),
                                   profitLossNo.c_str()));
    progress_.Finish();
  }

  bool TakeStateChange(const client::OrderStateChange&, TaskContext&) override { return false; }
  void CheckWaiting(TaskContext&) override {}
  std::string_view StateChangeLogText() const override { return "下单模块处理盈损单"; }

 private:
  std::string Question() const {
    const OrderRecord& order = task_.order;
    std::string closeMethod = task_.closeMethod == "0" ? std::string("市价")
                              : task_.closeMethod == "1"
                                  ? platform::Format("加减买卖价，平仓反向价差 = %s", task_.closeDifference.c_str())
                                  : platform::Format("加减最新价，平仓反向价差 = %s", task_.closeDifference.c_str());
    closeMethod += platform::Format("\n触发价格：%s", task_.triggerPrice == "0" ? "最新价" : "买卖价");
    const std::string stops =
        task_.priceMode == "1"
            ? platform::Format("\n\n止损价差：%s\n止盈价差：%s", task_.stopLoss.c_str(), task_.takeProfit.c_str())
            : platform::Format("\n\n   止损价：%s\n   止盈价：%s\n", task_.stopLoss.c_str(), task_.takeProfit.c_str());
    return platform::Format(
               "　交易所：%s\n　席位号：%s\n交易编码：%s\n　　合约：%s\n　　操作：%s  %s  "
               "%s\n　　价格：%s\n　　数量：%s",
               Str(order.exchange).c_str(), Str(order.seat).c_str(), Str(order.tradeCode).c_str(),
               Str(order.contractCode).c_str(), client::HedgeText(engine::Text(order.hedge)),
               client::BuySellText(engine::Text(order.buySell)), client::OpenCloseText(engine::Text(order.openClose)),
               Str(order.price).c_str(), Str(order.lots).c_str()) +
           stops +
           platform::Format("\n浮动止损：%s\n平仓方式：%s\n触发次数：%s", task_.floatingStopLoss.c_str(),
                            closeMethod.c_str(), task_.triggerCount.c_str());
  }

  ProfitLossTask task_;
};

}  // namespace

std::unique_ptr<OrderTask> MakeProfitLossTask(const ProfitLossTask& task) {
  return std::make_unique<ProfitLossOrderTask>(task);
}

}  // namespace order_module
