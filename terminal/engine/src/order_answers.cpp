// The answers of the fund query (5002), an order (5011) and a cancel (5012)
// applied to the engine's tables. Each of these answers carries its values in
// its status line.
#include <algorithm>
#include <array>
#include <mutex>

#include "download_rows.h"
#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "order_updates.h"

namespace engine {
namespace {

using backend::CxDataSetView;
using download_rows::FillInOrder;
using order_updates::SetMoneyText;

constexpr std::size_t kStatusLine = 0;

// The deposits and the credit of the fund answer are compared with four
// decimals, so that a difference below a cent still moves the usable money.
constexpr RoundingRule kFundAnswerRounding{10000.0, 0.5};

// The fund answer's fields that the engine takes; the engine keeps its own
// frozen amounts, margins, fees and profits.
constexpr int kRiskLevelField = 15;
constexpr int kSecurityField = 16;
constexpr int kIOMoneyTodayField = 22;
constexpr int kCreditMoneyField = 28;
constexpr int kExchangeRiskLevelField = 30;

// The fields of a cancel answer.
constexpr int kCancelOrderNoField = 6;
constexpr int kCancelStateField = 8;
constexpr int kCancelDealHandsField = 12;
constexpr int kCancelExchangeField = 15;
constexpr int kCancelOrderSeatField = 16;

// An order in one of these states may still be cancelled.
constexpr std::array<std::string_view, 6> kCancellableStates{"n", "a", "p", "s", "g", "f"};
constexpr std::string_view kCancelled = "d";

// The row of an order answer. Fields 7, 9, 13, 15 and 17 carry texts that
// nothing reads; field 22 is not kept.
OrderRow OrderRowFromAnswer(std::string_view account, const LineFields& line, const COperationEngineBase& engine) {
  OrderRow row{};
  SetText(row.szTradeAccount, account);
  SetText(row.szOrderNo, line.Field(5));
  SetText(row.szExchangeCode, line.Field(6));
  SetText(row.szContractCode, line.Field(8));
  FillInOrder(line, 10, row.szFlagOrderState, row.szOrderStateText, row.szNameBS);
  SetText(row.szNameEO, line.Field(14));
  SetText(row.szNameSH, line.Field(16));
  FillInOrder(line, 18, row.szOrderHands, row.szOrderPrice, row.szDealHands);
  SetMoneyText(row.szDealPrice, line.Field(21));
  FillInOrder(line, 23, row.szSysNo, row.szMapCode, row.szAnswerField8, row.szOrderTime, row.szDeclareTime,
              row.szAnswerField22, row.szAnswerField23, row.szDelOrderTime, row.szOrderType, row.szSeatCode,
              row.szAnswerField27, row.szOrderSeat, row.szAnswerField33, row.szOrderFormType, row.szDealAttr,
              row.szWinLossPrice, row.szSpringTime, row.szAnswerField45, row.szAnswerField46, row.szAnswerField47);
  SetMoneyText(row.szFrozenCautionMoney, line.Field(43));
  SetMoneyText(row.szFrozenCharge, line.Field(44));
  SetMoneyText(row.szFrozenPremium, line.Field(47));
  ContractRow contract{};
  if (engine.FindContract(Text(row.szExchangeCode), Text(row.szContractCode), contract)) {
    SetText(row.szTradeClass, Text(contract.szTradeClass));
  }
  return row;
}

// An amount as the fund answer compares it.
double FourDecimals(double amount) { return Round(amount, kFundAnswerRounding); }

template <std::size_t Width>
double StoredAmount(const char (&field)[Width]) {
  return FourDecimals(ReadNumber(field));
}

// Takes the day's deposits and credit of the answer into the fund row, and
// with them the usable money and the equity they change, and the risk
// fields as the back end reports them.
void ApplyFundFields(FundRow& fund, const LineFields& line) {
  const std::string_view deposits = line.Field(kIOMoneyTodayField);
  const std::string_view credit = line.Field(kCreditMoneyField);
  const double depositsChange = FourDecimals(order_updates::NumberOf(deposits) - ReadNumber(fund.szIOMoneyToday));
  const double creditChange = FourDecimals(order_updates::NumberOf(credit) - ReadNumber(fund.szCreditMoney));
  if (depositsChange != 0.0 || creditChange != 0.0) {
    SetMoney(fund.szUsableMoney, StoredAmount(fund.szUsableMoney) + depositsChange + creditChange);
    SetMoney(fund.szDynamicRights, StoredAmount(fund.szDynamicRights) + depositsChange);
    SetText(fund.szIOMoneyToday, deposits);
    SetText(fund.szCreditMoney, credit);
  }
  SetText(fund.szDynamicRiskLevel, line.Field(kRiskLevelField));
  SetText(fund.szSecurity, line.Field(kSecurityField));
  SetText(fund.szDynamicRiskLevel2, line.Field(kExchangeRiskLevelField));
}

bool IsCancellable(std::string_view state) {
  return std::find(kCancellableStates.begin(), kCancellableStates.end(), state) != kCancellableStates.end();
}

}  // namespace

void COperationEngineBase::ApplyFundAnswer(std::string_view customer, const CxDataSetView& answer, bool deliverAtOnce) {
  const LineFields line(AnswerLineAt(answer, kStatusLine));
  // A line without the fields, or with deposits or a credit that is no
  // number, would read as zero deposits and wipe the day's.
  if (line.Count() < static_cast<std::size_t>(kExchangeRiskLevelField) ||
      !ParseNumber(line.Field(kIOMoneyTodayField)) || !ParseNumber(line.Field(kCreditMoneyField))) {
    WriteLog("资金应答格式错误，资金未更新。", 1);
    return;
  }
  std::lock_guard guard(lock_);
  EngineTable& funds = TableAt(Table::kFunds);
  const std::optional<std::uint32_t> index = order_updates::FindIndex<FundRow>(
      funds, [&](const FundRow& fund) { return Text(fund.szTradeAccount) == customer; });
  if (!index) return;
  FundRow fund = *typed_rows::RowAt<FundRow>(funds, *index);
  ApplyFundFields(fund, line);
  typed_rows::StoreRow(funds, *index, fund);
  RaiseChange(order_updates::FundChange(RowBytes(fund)), deliverAtOnce);
}

void COperationEngineBase::ApplyOrderAnswer(std::string_view customer, const CxDataSetView& answer,
                                            bool deliverAtOnce) {
  const OrderRow row = OrderRowFromAnswer(customer, LineFields(AnswerLineAt(answer, kStatusLine)), *this);
  if (!order_updates::NamesAnOrder(Text(row.szOrderNo))) return;
  std::lock_guard guard(lock_);
  // A push may have brought the order first.
  const bool known = order_updates::FindIndex<OrderRow>(TableAt(Table::kOrders), [&](const OrderRow& stored) {
                       return order_updates::SameOrder(stored, order_updates::SelectorsOf(row), customer);
                     }).has_value();
  if (!known) AddOrder(row, deliverAtOnce);
}

void COperationEngineBase::ApplyCancelAnswer(std::string_view customer, const CxDataSetView& answer,
                                             bool deliverAtOnce) {
  const LineFields line(AnswerLineAt(answer, kStatusLine));
  std::unique_lock guard(lock_);
  const std::optional<std::uint32_t> index = FindOrFetchOrder(
      {line.Field(kCancelOrderNoField), line.Field(kCancelExchangeField), line.Field(kCancelOrderSeatField)}, customer,
      guard);
  if (!index) return;
  EngineTable& orders = TableAt(Table::kOrders);
  OrderRow order = *typed_rows::RowAt<OrderRow>(orders, *index);
  // An order that is done already keeps what it has, so that a repeated
  // answer releases nothing twice.
  if (!IsCancellable(Text(order.szFlagOrderState))) return;
  FillInOrder(line, kCancelStateField, order.szFlagOrderState, order.szOrderStateText);
  FillInOrder(line, kCancelDealHandsField, order.szDealHands, order.szDealPrice, order.szDelOrderTime);
  if (Text(order.szFlagOrderState) == kCancelled) ReleaseOrderFrozen(order, deliverAtOnce);
  typed_rows::StoreRow(orders, *index, order);
  RaiseChange(order_updates::RowUpdate(table_id::kOrders, orders, *index, RowBytes(order)), deliverAtOnce);
}

}  // namespace engine
