#include "task_steps.h"

#include <algorithm>

#include "backend/cx_data_set.h"
#include "client/code_tables.h"
#include "client/operation_frame.h"
#include "client/order_operations.h"
#include "engine/order_quantities.h"
#include "engine/trading_rows.h"
#include "order_module/order_module.h"
#include "platform/clock.h"
#include "platform/format.h"

namespace order_module {
namespace {

bool IsCancelled(std::string_view state) { return state == "d" || state == "m"; }

client::OrderFields FieldsOf(const OrderRecord& order, std::string_view lots, std::string_view orderKind) {
  return {.exchangeCode = engine::Text(order.exchange),
          .contractCode = engine::Text(order.contractCode),
          .buySell = engine::Text(order.buySell),
          .openClose = engine::Text(order.openClose),
          .hedge = engine::Text(order.hedge),
          .lots = lots,
          .price = engine::Text(order.price),
          .tradeCode = engine::Text(order.tradeCode),
          .seat = engine::Text(order.seat),
          .priceType = engine::Text(order.priceType),
          .dealAttribute = engine::Text(order.dealAttribute),
          .triggerPrice = engine::Text(order.triggerPrice),
          .orderKind = orderKind};
}

// "[account]buy/sell|open/close|hedge|lots|price|委托单号=<last>"
std::string SendLine(const char* outcome, const OrderRecord& order, const std::string& lots, const std::string& last) {
  return platform::Format(
      "委托单发送%s，[%s]%s|%s|%s|%s|%s|委托单号=%s", outcome, Str(order.customerNo).c_str(),
      client::BuySellText(engine::Text(order.buySell)), client::OpenCloseText(engine::Text(order.openClose)),
      client::HedgeText(engine::Text(order.hedge)), lots.c_str(), Str(order.price).c_str(), last.c_str());
}

bool SendPiece(TaskMessages& messages, const OrderRecord& order, int lots, std::string_view orderKind, SentOrder& sent,
               int& errorCode) {
  const std::string lotsText = std::to_string(lots);
  engine::OrderRow row{};
  std::string message;
  if (!client::SendOrder(FieldsOf(order, lotsText, orderKind), engine::Text(order.customerNo), row, message,
                         errorCode)) {
    messages.Add(SendLine("失败", order, lotsText, message));
    return false;
  }
  sent = {Str(row.szOrderNo), Str(row.szOrderSeat), Str(row.szFlagOrderState)};
  messages.Add(SendLine("成功", order, lotsText, sent.orderNo));
  return true;
}

bool QueryOrderStateForTask(TaskMessages& messages, const CancelEntry& entry, std::string_view account,
                            std::string& state) {
  client::OrderStateAnswer answer;
  std::string message;
  if (!client::QueryOrderState(account, entry.orderNo, entry.exchange, entry.orderingSeat, answer, message)) {
    messages.Add(platform::Format("查询委托单状态失败(交易所=%s, 下单席位=%s, 委托单号=%s): %s", entry.exchange.c_str(),
                                  entry.orderingSeat.c_str(), entry.orderNo.c_str(), message.c_str()));
    return false;
  }
  // The state letter is field 8 of the answer's status line.
  state = answer.field8;
  return true;
}

}  // namespace

int LeadingInt(std::string_view text) { return engine::row_field_detail::ReadInt(text); }
double LeadingNumber(std::string_view text) { return engine::row_field_detail::ReadNumber(text); }

int Lots(const OrderRecord& order) { return engine::ReadInt(order.lots); }
void SetLots(OrderRecord& order, int lots) { engine::SetInt(order.lots, lots); }

bool QueryClosable(const OrderRecord& order, ClosableLots& lots, std::string& error) {
  engine::COperationEngine* engine = client::TheOperationEngine();
  if (engine == nullptr) {
    error = client::kEngineMissingText;
    return false;
  }
  engine::QuantityRecord record{};
  engine::SetText(record.szTradeAccount, engine::Text(order.customerNo));
  engine::SetText(record.szExchangeCode, engine::Text(order.exchange));
  engine::SetText(record.szContractCode, engine::Text(order.contractCode));
  engine::SetText(record.szFlagSH, engine::Text(order.hedge));
  engine::SetText(record.szMapCode, engine::Text(order.tradeCode));
  engine::SetText(record.szSeatCode, engine::Text(order.seat));
  if (!engine::GetClosableVolume(*engine, record, true, error)) return false;
  const bool buy = engine::Text(order.buySell) == kBuy;
  lots.total = buy ? record.closableBuy : record.closableSell;
  lots.today = buy ? record.closableTodayBuy : record.closableTodaySell;
  return true;
}

bool SendOrderPieces(TaskContext& context, TaskMessages& messages, const OrderRecord& order, int lotsPerSend,
                     std::string_view orderKind, SentOrder& last, int& errorCode) {
  if (lotsPerSend <= 0) return SendPiece(messages, order, Lots(order), orderKind, last, errorCode);
  for (int left = Lots(order); left > 0;) {
    const int piece = std::min(lotsPerSend, left);
    if (!SendPiece(messages, order, piece, orderKind, last, errorCode)) return false;
    left -= piece;
    if (left > 0 && !context.PauseBetweenPieces()) {
      errorCode = kModuleFailureCode;
      return false;
    }
  }
  return true;
}

bool CancelEntry::Names(const client::OrderStateChange& change) const {
  return orderNo == engine::Text(change.orderNo) && seatCode == engine::Text(change.seatCode) &&
         orderingSeat == engine::Text(change.orderingSeat);
}

std::string CancelEntry::Keys() const {
  return platform::Format("席位代码=%s, 下单席位=%s, 委托单号=%s", seatCode.c_str(), orderingSeat.c_str(),
                          orderNo.c_str());
}

bool CancelList::TakeStateChange(const client::OrderStateChange& change) {
  const auto entry =
      std::find_if(entries_.begin(), entries_.end(), [&](const CancelEntry& e) { return e.Names(change); });
  if (entry == entries_.end() || entry->state == engine::Text(change.state)) return false;
  entry->state = engine::Text(change.state);
  entry->remaining = engine::Text(change.remaining);
  return true;
}

void CancelList::CancelAll(TaskMessages& messages, std::string_view account) {
  for (const CancelEntry& entry : entries_) {
    messages.Add("撤销委托单：" + entry.Keys());
    CancelOrderForTask(messages, entry, account);
  }
  // However long the sends took, the exchange has its full time to confirm.
  StartWait();
  messages.Add("等待交易所撤单回报......");
}

void CancelList::StartWait() { startTick_ = platform::TickCount(); }

bool CancelList::WaitOver() const { return platform::TickCount() - startTick_ >= kWaitMilliseconds; }

bool CancelOrderForTask(TaskMessages& messages, const CancelEntry& entry, std::string_view account) {
  backend::CxDataSet answer;
  std::string message;
  const std::string keys = entry.Keys();
  if (!client::CancelOrder(account, entry.orderNo, entry.seatCode, entry.orderingSeat, answer, message)) {
    messages.Add("撤单请求发送失败(" + keys + ")：" + message);
    return false;
  }
  messages.Add("撤单请求发送成功(" + keys + ")");
  return true;
}

bool QueryPendingCancels(TaskMessages& messages, CancelList& cancels, std::string_view account) {
  bool allCancelled = true;
  for (CancelEntry& entry : cancels.Entries()) {
    if (entry.done) continue;
    if (!QueryOrderStateForTask(messages, entry, account, entry.state)) {
      messages.Add("查询委托单状态失败：" + entry.Keys());
      allCancelled = false;
      continue;
    }
    if (IsCancelled(entry.state)) {
      messages.Add("撤单成功：" + entry.Keys());
      entry.done = true;
      continue;
    }
    allCancelled = false;
    if (entry.state == "c") {
      messages.Add("该委托单已经全部成交：" + entry.Keys());
    } else if (entry.state == "b") {
      messages.Add("该委托单已经部分撤除(部分成交)：" + entry.Keys());
    } else {
      messages.Add("撤单超时：" + entry.Keys());
    }
  }
  return allCancelled;
}

CancelWait CheckCancelConfirmations(TaskMessages& messages, CancelList& cancels, std::string_view account) {
  bool allDone = true;
  for (CancelEntry& entry : cancels.Entries()) {
    if (entry.done) continue;
    if (IsCancelled(entry.state)) {
      messages.Add("撤单成功：" + entry.Keys());
    } else if (entry.state == "c") {
      messages.Add("该委托单已经全部成交：" + entry.Keys());
    } else if (entry.state == "b") {
      messages.Add("该委托单已经部分撤除(部分成交)：" + entry.Keys());
    } else {
      allDone = false;
      continue;
    }
    entry.done = true;
  }
  if (allDone) return CancelWait::kSettled;
  if (!cancels.WaitOver()) return CancelWait::kWaiting;
  return QueryPendingCancels(messages, cancels, account) ? CancelWait::kSettled : CancelWait::kFailed;
}

}  // namespace order_module
