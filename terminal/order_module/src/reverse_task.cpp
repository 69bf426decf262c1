// A reverse task: the close part, then the opening order in the same
// direction, either at once or lot for lot as the close pieces fill.
//
// Steps: closing -> opening -> (opening after fills) -> finished.
#include <algorithm>
#include <utility>

#include "close_part.h"
#include "order_module/order_module.h"
#include "tasks.h"

namespace order_module {
namespace {

// States in which an order will fill no further.
bool Withdrawn(std::string_view state) {
  return state == "d" || state == "b" || state == "m" || state == "q" || state == "e";
}

class ReverseTask final : public OrderTask {
 public:
  ReverseTask(const ReverseOrderTask& task, CancelList cancels)
      : OrderTask(task.close.caller),
        close_(task.close, std::move(cancels),
               OpeningLeg{task.openLots, task.openPrice, task.openPriceType, task.openDealAttribute}),
        opening_{task.openLots, task.openPrice, task.openPriceType, task.openDealAttribute},
        openAfterFills_(task.openAfterFills),
        openingLots_(LeadingInt(task.openLots)) {}

  void Run(TaskContext& context) override {
    if (step_ == Step::kClosing) {
      close_.Run(context, messages_);
      AfterClose();
    }
    if (step_ == Step::kOpening && !Over()) Open(context);
    if (step_ == Step::kOpeningAfterFills && !Over() && openedLots_ == openingLots_) progress_.Finish();
  }

  bool TakeStateChange(const client::OrderStateChange& change, TaskContext& context) override {
    if (step_ == Step::kClosing) return close_.TakeStateChange(change);
    if (step_ == Step::kOpeningAfterFills) return OpenForFills(change, context);
    return false;
  }

  void CheckWaiting(TaskContext& context) override {
    if (step_ != Step::kClosing) return;
    close_.CheckWaiting(context, messages_);
    AfterClose();
  }

  std::string_view StateChangeLogText() const override { return "下单模块处理反手下单"; }

 private:
  enum class Step { kClosing, kOpening, kOpeningAfterFills };

  void AfterClose() {
    if (close_.Progress().Failed()) {
      progress_.Fail(kModuleFailureCode);
    } else if (close_.Progress().Finished()) {
      step_ = Step::kOpening;
    }
  }

  // Opens at once what does not wait for the close's fills.
  void Open(TaskContext& context) {
    const int closeLots = Lots(close_.Order());
    if (!openAfterFills_ || closeLots == 0) {
      if (SendOpening(context, openingLots_, close_.LotsPerSend())) progress_.Finish();
      return;
    }
    if (closeLots < openingLots_) {
      const int lots = close_.OneKeyMode() == kCloseOrNothing ? openingLots_ : openingLots_ - closeLots;
      if (!SendOpening(context, lots, close_.LotsPerSend())) return;
      openedLots_ = lots;
    }
    step_ = Step::kOpeningAfterFills;
  }

  // A close piece's new state: opens what it filled since the last state
  // seen. Each fill is opened once, however often its state is reported.
  bool OpenForFills(const client::OrderStateChange& change, TaskContext& context) {
    std::vector<ClosePiece>& pieces = close_.Pieces();
    const auto piece = std::find_if(pieces.begin(), pieces.end(), [&](const ClosePiece& p) {
      return p.sent.orderNo == engine::Text(change.orderNo) &&
             engine::Text(p.order.seat) == engine::Text(change.seatCode) &&
             p.sent.orderingSeat == engine::Text(change.orderingSeat);
    });
    if (piece == pieces.end()) return false;
    const int filled = Lots(piece->order) - engine::ReadInt(change.remaining);
    const int newlyFilled = filled - piece->reversedLots;
    if (newlyFilled > 0) {
      const int lots = std::min(newlyFilled, openingLots_ - openedLots_);
      if (lots > 0 && !SendOpening(context, lots, 0)) return true;
      piece->reversedLots = filled;
      openedLots_ += lots;
      if (openedLots_ == openingLots_) progress_.Finish();
    } else if (Withdrawn(engine::Text(change.state))) {
      messages_.Add("委托被撤消，或错误委托！");
      progress_.Fail(kModuleFailureCode);
    }
    return true;
  }

  bool SendOpening(TaskContext& context, int lots, int lotsPerSend) {
    OrderRecord order = close_.Order();
    engine::SetText(order.openClose, kOpen);
    SetLots(order, lots);
    engine::SetText(order.price, opening_.price);
    engine::SetText(order.priceType, opening_.priceType);
    engine::SetText(order.dealAttribute, opening_.dealAttribute);
    SentOrder sent;
    int errorCode = kModuleFailureCode;
    if (SendOrderPieces(context, messages_, order, lotsPerSend, kOrdinaryOrderKind, sent, errorCode)) return true;
    progress_.Fail(errorCode);
    return false;
  }

  ClosePart close_;
  OpeningLeg opening_;
  bool openAfterFills_;
  int openingLots_;
  int openedLots_ = 0;
  Step step_ = Step::kClosing;
};

}  // namespace

std::unique_ptr<OrderTask> MakeReverseTask(const ReverseOrderTask& task, CancelList cancels) {
  return std::make_unique<ReverseTask>(task, std::move(cancels));
}

}  // namespace order_module
