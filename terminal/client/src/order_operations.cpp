#include "client/order_operations.h"

#include "answer_lists.h"
#include "backend/field_text.h"
#include "backend/request_record.h"
#include "cancel_parameters.h"
#include "client/operation_frame.h"
#include "engine/row_field.h"
#include "leading_number.h"
#include "platform/format.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

constexpr Operation kOrderSend{
    .title = "委托发送", .functionNo = protocol::function_no::kSendOrder, .singlePacket = true};
constexpr Operation kOrderStateQuery{.title = "查询委托单状态",
                                     .functionNo = protocol::function_no::kQueryOrderState,
                                     .priority = 1,
                                     .singlePacket = true};
constexpr Operation kOrderCancel{
    .title = "撤单", .functionNo = protocol::function_no::kCancelOrder, .singlePacket = true};
constexpr Operation kProfitLossOrder{
    .title = "下盈损单", .functionNo = protocol::function_no::kSendProfitLossOrder, .singlePacket = true};

// Parameters 17 to 19 of an order are empty.
constexpr int kOrderBlanks = 3;
// The answers handed on as lists start at field 5.
constexpr int kFirstListedField = 5;
constexpr int kCancelFieldCount = 12;
constexpr int kProfitLossFieldCount = 32;

// Field n into the bytes [Offset, Offset + Width) of a member that holds two
// texts side by side (a code and its text), cut and terminated within them.
template <std::size_t Offset, std::size_t Width, std::size_t N>
void CopyFieldPart(char (&member)[N], std::string_view line, int n) {
  static_assert(Width > 0 && Offset + Width <= N);
  backend::GetSeparatedField(n, line, backend::kFieldSeparator, member + Offset, Width);
}

double NumberField(std::string_view line, int n) {
  return LeadingDecimal(backend::GetSeparatedFieldText(n, line)).value_or(0);
}

// The order as the answer's status line describes it.
void FillOrderRow(std::string_view customerNo, std::string_view line, engine::OrderRow& row) {
  row = engine::OrderRow{};
  engine::SetText(row.szTradeAccount, customerNo);
  CopyFieldInto(row.szOrderNo, line, 5);
  CopyFieldPart<0, 4>(row.szExchangeCode, line, 6);
  CopyFieldPart<4, 16>(row.szExchangeCode, line, 7);  // the exchange's name
  CopyFieldPart<0, 32>(row.szContractCode, line, 8);
  CopyFieldPart<32, 32>(row.szContractCode, line, 9);  // the contract's name
  CopyFieldInto(row.szFlagOrderState, line, 10);
  CopyFieldInto(row.szOrderStateText, line, 11);
  CopyFieldPart<0, 2>(row.szNameBS, line, 12);
  CopyFieldPart<2, 8>(row.szNameBS, line, 13);
  CopyFieldPart<0, 3>(row.szNameEO, line, 14);
  CopyFieldPart<3, 8>(row.szNameEO, line, 15);
  CopyFieldPart<0, 3>(row.szNameSH, line, 16);
  CopyFieldPart<3, 8>(row.szNameSH, line, 17);
  CopyFieldInto(row.szOrderHands, line, 18);
  CopyFieldInto(row.szOrderPrice, line, 19);
  CopyFieldInto(row.szDealHands, line, 20);
  engine::SetText(row.szDealPrice, platform::Format("%.2f", NumberField(line, 21)));
  CopyFieldInto(row.szSysNo, line, 23);
  CopyFieldInto(row.szMapCode, line, 24);
  CopyFieldInto(row.szAnswerField8, line, 25);
  CopyFieldInto(row.szOrderTime, line, 26);
  CopyFieldInto(row.szDeclareTime, line, 27);
  CopyFieldInto(row.szAnswerField22, line, 28);
  CopyFieldInto(row.szAnswerField23, line, 29);
  CopyFieldInto(row.szDelOrderTime, line, 30);
  CopyFieldInto(row.szOrderType, line, 31);
  CopyFieldInto(row.szSeatCode, line, 32);
  CopyFieldInto(row.szAnswerField27, line, 33);
  CopyFieldInto(row.szOrderSeat, line, 34);
  CopyFieldInto(row.szAnswerField33, line, 35);
  CopyFieldInto(row.szOrderFormType, line, 36);
  CopyFieldInto(row.szDealAttr, line, 37);
  CopyFieldInto(row.szWinLossPrice, line, 38);
  CopyFieldInto(row.szSpringTime, line, 39);
  CopyFieldInto(row.szAnswerField45, line, 40);
  CopyFieldInto(row.szAnswerField46, line, 41);
  CopyFieldInto(row.szAnswerField47, line, 42);
  engine::SetMoney(row.szFrozenCautionMoney, NumberField(line, 43));
  engine::SetMoney(row.szFrozenCharge, NumberField(line, 44));
}

}  // namespace

bool SendOrder(const OrderFields& order, std::string_view customerNo, engine::OrderRow& row, std::string& message,
               int& errorCode) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  OperationParameters parameters(signer);
  parameters.Add(order.exchangeCode)
      .Add(order.contractCode)
      .Add(order.buySell)
      .Add(order.openClose)
      .Add(order.hedge)
      .Add(order.lots)
      .Add(order.price)
      .Add(order.tradeCode)
      .Add(order.seat)
      .Add(order.priceType)
      .Add(order.dealAttribute)
      .Add(order.triggerPrice);
  for (int blank = 0; blank < kOrderBlanks; ++blank) parameters.Add("");
  parameters.Add(order.orderKind);
  const backend::RequestPtr record = SendSyncRequest(kOrderSend, signer.slot, parameters, message);
  errorCode = record ? backend::CheckReplyResult(0, message, record.get()) : backend::kReplyFailureCode;
  if (errorCode != 0) return false;
  FillOrderRow(customerNo, StatusLine(*record), row);
  return true;
}

bool QueryOrderState(std::string_view customerNo, std::string_view orderNo, std::string_view exchangeCode,
                     std::string_view orderingSeat, OrderStateAnswer& answer, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  OperationParameters parameters(signer);
  parameters.Add(orderNo).Add(orderingSeat).Add(exchangeCode);
  // The whole answer check, not only the status letter: a lost connection
  // or an empty answer must not read as a state.
  const backend::RequestPtr record = RunSync(kOrderStateQuery, signer.slot, parameters, message);
  if (!record) return false;
  const std::string_view status = StatusLine(*record);
  answer.field5 = backend::GetSeparatedFieldText(5, status);
  answer.field6 = backend::GetSeparatedFieldText(6, status);
  answer.field8 = backend::GetSeparatedFieldText(8, status);
  answer.field9 = backend::GetSeparatedFieldText(9, status);
  return true;
}

bool CancelOrder(std::string_view customerNo, std::string_view orderNo, std::string_view seatCode,
                 std::string_view orderingSeat, backend::CxDataSet& result, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  const backend::RequestPtr record =
      RunSync(kOrderCancel, signer.slot, CancelParameters(signer, orderNo, seatCode, orderingSeat), message);
  return record && SplitAnswerInto(*record, kFirstListedField, kCancelFieldCount, result, "撤单异常错误！", message);
}

bool SendProfitLossOrder(std::string_view customerNo, std::string_view orderNo, std::string_view exchangeCode,
                         std::string_view orderingSeat, const std::array<std::string_view, 8>& taskValues,
                         backend::CxDataSet& result, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  OperationParameters parameters(signer);
  parameters.Add(orderNo);
  for (std::size_t k = 0; k < 4; ++k) parameters.Add(taskValues[k]);
  parameters.Add("").Add(exchangeCode).Add(orderingSeat);
  for (std::size_t k = 4; k < 8; ++k) parameters.Add(taskValues[k]);
  const backend::RequestPtr record = RunSync(kProfitLossOrder, signer.slot, parameters, message);
  return record &&
         SplitAnswerInto(*record, kFirstListedField, kProfitLossFieldCount, result, "下盈损单异常错误！", message);
}

}  // namespace client
