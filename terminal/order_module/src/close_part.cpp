#include "close_part.h"

#include <algorithm>
#include <utility>

#include "client/code_tables.h"
#include "client/operation_frame.h"
#include "engine/query_facade.h"
#include "order_module/order_module.h"
#include "platform/format.h"

namespace order_module {
namespace {

// "　客户号：...\n ... 　　数量：..." of one order of the confirmation.
std::string OrderLines(const OrderRecord& order, const char* operation, const std::string& price,
                       const std::string& lots) {
  return platform::Format(
      "　客户号：%s\n　交易所：%s\n　席位号：%s\n交易编码：%s\n　　合约：%s\n　　操作：%s  %s "
      "%s\n　　价格：%s\n　　数量：%s",
      Str(order.customerNo).c_str(), Str(order.exchange).c_str(), Str(order.seat).c_str(), Str(order.tradeCode).c_str(),
      Str(order.contractCode).c_str(), client::HedgeText(engine::Text(order.hedge)),
      client::BuySellText(engine::Text(order.buySell)), operation, price.c_str(), lots.c_str());
}

std::string OrderLines(const OrderRecord& order) {
  return OrderLines(order, client::OpenCloseText(engine::Text(order.openClose)), Str(order.price), Str(order.lots));
}

// Pieces that would go out alike but for their lots count as one order.
bool SameOrderBesidesLots(const OrderRecord& a, const OrderRecord& b) {
  return Str(a.exchange) == Str(b.exchange) && Str(a.seat) == Str(b.seat) && Str(a.tradeCode) == Str(b.tradeCode) &&
         Str(a.contractCode) == Str(b.contractCode) && Str(a.hedge) == Str(b.hedge) &&
         Str(a.buySell) == Str(b.buySell) && Str(a.openClose) == Str(b.openClose) && Str(a.price) == Str(b.price);
}

bool CloseTodaySupported(const OrderRecord& order) {
  engine::COperationEngine* engine = client::TheOperationEngine();
  return engine != nullptr &&
         engine::IsCloseTodaySupported(*engine, engine::Text(order.exchange), engine::Text(order.seat));
}

}  // namespace

ClosePart::ClosePart(const CloseOrderTask& task, CancelList cancels, std::optional<OpeningLeg> opening)
    : order_(task.order),
      checkMode_(task.checkMode),
      splitCloseToday_(task.splitCloseToday),
      lotsPerSend_(task.lotsPerSend),
      oneKeyMode_(task.oneKeyMode),
      confirm_(task.confirm),
      opening_(std::move(opening)),
      cancels_(std::move(cancels)) {}

void ClosePart::Run(TaskContext& context, TaskMessages& messages) {
  if (step_ == Step::kNew) Start(context, messages);
  if (step_ == Step::kWaitingForCancels && !progress_.Over()) WaitForCancels(messages);
  if (step_ == Step::kCancelsSettled && !progress_.Over()) SplitAndSend(context, messages);
}

void ClosePart::CheckWaiting(TaskContext& context, TaskMessages& messages) {
  if (step_ != Step::kWaitingForCancels || progress_.Over()) return;
  WaitForCancels(messages);
  if (step_ == Step::kCancelsSettled) context.WakeTasks();
}

void ClosePart::Start(TaskContext& context, TaskMessages& messages) {
  if (oneKeyMode_ == kOrdinary && engine::Text(order_.openClose) == kOpen) {
    const std::string question = platform::Format(
        "      合约：%s\n　　操作：%s  %s  %s\n　　价格：%s\n　　数量：%s", Str(order_.contractCode).c_str(),
        client::BuySellText(engine::Text(order_.buySell)), client::OpenCloseText(engine::Text(order_.openClose)),
        client::HedgeText(engine::Text(order_.hedge)), Str(order_.price).c_str(), Str(order_.lots).c_str());
    if (confirm_ && !context.Ask(question)) {
      messages.Add(kCancelledByUserText);
      progress_.Fail(kModuleFailureCode);
      return;
    }
    SentOrder sent;
    int errorCode = 0;
    if (SendOrderPieces(context, messages, order_, lotsPerSend_, kOrdinaryOrderKind, sent, errorCode)) {
      progress_.Finish();
    } else {
      progress_.Fail(errorCode);
    }
    return;
  }
  if (checkMode_ == kCheckClosable) {
    ClosableLots closable;
    std::string error;
    if (!QueryClosable(order_, closable, error)) {
      messages.Add("查询可平仓手数失败：" + error);
      progress_.Fail(kModuleFailureCode);
      return;
    }
    if (closable.total < Lots(order_)) {
      if (!cancels_.Empty()) return StartCancels(messages);
      if (oneKeyMode_ == kOrdinary) {
        messages.Add("可平仓手数小于平仓手数，并且不存在同方向可撤的平仓委托方单！");
        progress_.Fail(kModuleFailureCode);
        return;
      }
    }
  } else if (checkMode_ == kCancelPending && !cancels_.Empty()) {
    return StartCancels(messages);
  }
  SplitAndSend(context, messages);
}

void ClosePart::StartCancels(TaskMessages& messages) {
  cancels_.CancelAll(messages, Account());
  step_ = Step::kWaitingForCancels;
}

void ClosePart::WaitForCancels(TaskMessages& messages) {
  switch (CheckCancelConfirmations(messages, cancels_, Account())) {
    case CancelWait::kWaiting: return;
    case CancelWait::kSettled: step_ = Step::kCancelsSettled; return;
    case CancelWait::kFailed: progress_.Fail(kModuleFailureCode); return;
  }
}

void ClosePart::SplitAndSend(TaskContext& context, TaskMessages& messages) {
  if (!SplitCloseOrder(context, messages)) {
    progress_.Fail(kModuleFailureCode);
    return;
  }
  if (SendSplitOrders(context, messages)) progress_.Finish();
}

bool ClosePart::SplitCloseOrder(TaskContext& context, TaskMessages& messages) {
  if (split_) return true;
  ClosableLots closable;
  std::string error;
  if (!QueryClosable(order_, closable, error)) {
    messages.Add("查询可平仓手数失败：" + error);
    return false;
  }
  switch (ResolveOpenClose(closable, messages)) {
    case Resolution::kRefused: return false;
    case Resolution::kNothingToSend: SetLots(order_, 0); return !confirm_ || ConfirmCloseOrders(context, messages);
    case Resolution::kResolved: break;
  }
  int lots = Lots(order_);
  const std::string openClose = Str(order_.openClose);
  if (openClose == kOpen) {
    SplitIntoPieces(lots, kOpen);
  } else {
    if (lots > closable.total) {
      messages.Add(platform::Format("平仓总手数大于可平仓总手数，调整平仓总手数：%d -> %d", lots, closable.total));
      lots = closable.total;
      SetLots(order_, lots);
    }
    const int today = openClose == kCloseToday || splitCloseToday_ ? std::min(closable.today, lots) : 0;
    SplitIntoPieces(today, kCloseToday);
    SplitIntoPieces(lots - today, kClose);
  }
  split_ = true;
  return !confirm_ || ConfirmCloseOrders(context, messages);
}

// The code the close goes out with, by the one-key mode and what is
// closeable.
ClosePart::Resolution ClosePart::ResolveOpenClose(const ClosableLots& closable, TaskMessages& messages) {
  const std::string code = Str(order_.openClose);
  std::string refusal;
  if (closable.total > 0) {
    if (oneKeyMode_ == kOrdinary || code == kClose) return Resolution::kResolved;
    if (code == kAutomatic) {
      engine::SetText(order_.openClose, CloseTodaySupported(order_) ? kCloseToday : kClose);
      return Resolution::kResolved;
    }
    if (code == kCloseToday) {
      if (CloseTodaySupported(order_) && closable.today > 0) return Resolution::kResolved;
      refusal = CloseTodaySupported(order_) ? "不能进行平今，可平今手数为零!" : "不能进行平今，该合约不支持平今!";
    }
  } else if (oneKeyMode_ == kCloseOrNothing) {
    return Resolution::kNothingToSend;
  } else if (oneKeyMode_ == kOrdinary) {
    refusal = platform::Format("可平仓%s手数为零！", client::HedgeText(engine::Text(order_.hedge)));
  } else if (code == kAutomatic || code == kOpen) {
    engine::SetText(order_.openClose, kOpen);
    return Resolution::kResolved;
  } else if (code == kClose) {
    refusal = "不能进行平仓，持仓手数为零!";
  } else if (code == kCloseToday) {
    refusal = "不能进行平今，可平今手数为零!";
  }
  // A refusal without a line would leave the user nothing to go by.
  messages.Add(refusal.empty() ? platform::Format("开平标志'%s'无效！", code.c_str()) : refusal);
  return Resolution::kRefused;
}

// Pieces of at most the lots per send (one piece without a limit); none for
// no lots.
void ClosePart::SplitIntoPieces(int lots, std::string_view openClose) {
  const int most = lotsPerSend_ > 0 ? lotsPerSend_ : lots;
  for (int left = lots; left > 0; left -= most) {
    ClosePiece piece;
    piece.order = order_;
    SetLots(piece.order, std::min(most, left));
    engine::SetText(piece.order.openClose, openClose);
    pieces_.push_back(piece);
  }
}

bool ClosePart::ConfirmCloseOrders(TaskContext& context, TaskMessages& messages) {
  std::string question;
  if (split_) {
    std::vector<OrderRecord> merged;
    for (const ClosePiece& piece : pieces_) {
      const auto same = std::find_if(merged.begin(), merged.end(), [&](const OrderRecord& order) {
        return SameOrderBesidesLots(order, piece.order);
      });
      if (same == merged.end()) {
        merged.push_back(piece.order);
      } else {
        SetLots(*same, Lots(*same) + Lots(piece.order));
      }
    }
    for (const OrderRecord& order : merged) question += "\n\n" + OrderLines(order);
  } else if (!(opening_ && oneKeyMode_ == kCloseOrNothing && Lots(order_) == 0)) {
    question = OrderLines(order_);
  }
  if (opening_) {
    if (!question.empty()) question += "\n\n";
    question += OrderLines(order_, "开仓", opening_->price, opening_->lots);
  }
  if (context.Ask(question)) return true;
  messages.Add(kCancelledByUserText);
  return false;
}

bool ClosePart::SendSplitOrders(TaskContext& context, TaskMessages& messages) {
  for (ClosePiece& piece : pieces_) {
    int errorCode = kModuleFailureCode;
    if (context.Stopping() || !SendOrderPieces(context, messages, piece.order, 0, {}, piece.sent, errorCode)) {
      progress_.Fail(errorCode);
      return false;
    }
  }
  return true;
}

}  // namespace order_module
