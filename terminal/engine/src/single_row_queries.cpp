// The engine's single-row queries: the rows it lacks (a fee rate, option
// parameters, one order, one exercise application, an exercisable quantity)
// and the last prices of contracts, each asked from the back end with the
// engine's own requests.
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "download_rows.h"
#include "engine/operation_engine.h"

namespace engine {
namespace {

using backend::AccountKey;
using backend::CxDataSet;
using backend::CxDataSetView;

// Field 5 of the last-price answer lists the prices, ";" between them.
constexpr int kLastPricesField = 5;
constexpr char kPriceItemEnd = ';';

// The first fields of the rows of single-line answers.
constexpr int kFeeRateFirstKeyField = 7;
constexpr int kFeeRateFirstRateField = 10;
constexpr int kOptionParamsFirstField = 5;

// The line that carries the row of an answer: single-line answers carry it
// in their status line, row answers in their first row.
constexpr std::size_t kSingleLineRow = 0;
constexpr std::size_t kFirstRow = 1;

// The items of a contract list, each without its ";"; a last item without
// one counts too.
std::vector<std::string_view> ListItems(std::string_view list) {
  std::vector<std::string_view> items;
  while (!list.empty()) {
    const std::size_t end = list.find(kPriceItemEnd);
    items.push_back(list.substr(0, end));
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
  }
  return items;
}

// Exactly `count` items of a price list, each followed by ";": items the
// answer lacks are empty, items beyond the count are dropped, so that the
// prices of later requests keep their places.
std::string PriceItems(std::string_view prices, std::size_t count) {
  std::string items;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t end = prices.find(kPriceItemEnd);
    items.append(prices.substr(0, end));
    items.push_back(kPriceItemEnd);
    prices.remove_prefix(end == std::string_view::npos ? prices.size() : end + 1);
  }
  return items;
}

void FillFeeRateRow(std::string_view customer, const LineFields& line, FeeRateRow& row) {
  row = {};
  SetText(row.szTradeAccount, customer);
  download_rows::FillInOrder(line, kFeeRateFirstKeyField, row.szExchangeCode, row.szSeatCode, row.szContractCode);
  int field = kFeeRateFirstRateField;
  const auto next = [&](char(&text)[16]) { SetText(text, line.Field(field++)); };
  const auto nextPair = [&](RatePair& pair) {
    next(pair.szRateByAmount);
    next(pair.szAmountPerLot);
  };
  for (RatePair& pair : row.openCloseFees) nextPair(pair);
  for (RatePair& pair : row.closeTodayFees) nextPair(pair);
  for (auto& text : row.szFeeRateField) next(text);
  for (RatePair* pair :
       {&row.buySpeculationMargin, &row.sellSpeculationMargin, &row.buyHedgeMargin, &row.sellHedgeMargin}) {
    nextPair(*pair);
  }
}

// The index of the exercisable-quantity row of the same option position as
// `row` (account, exchange code, option contract and key text); the row
// count when there is none.
std::uint32_t FindPosition(const EngineTable& quantities, const ExercisableQuantityRow& row) {
  std::uint32_t index = 0;
  for (; index < quantities.GetCount(); ++index) {
    const std::optional<ExercisableQuantityRow> stored =
        RowFromBytes<ExercisableQuantityRow>(quantities.GetValue(index));
    if (stored && Text(stored->szTradeAccount) == Text(row.szTradeAccount) &&
        Text(stored->szExchangeCode) == Text(row.szExchangeCode) &&
        Text(stored->szContractCode) == Text(row.szContractCode) &&
        Text(stored->szExerciseKey) == Text(row.szExerciseKey)) {
      break;
    }
  }
  return index;
}

}  // namespace

// --- The slots of a base without a connection

bool COperationEngineBase::QueryOrderRecord(const OrderSelectors&, std::string_view, TableChangeRecord&) {
  return false;
}

bool COperationEngineBase::QueryExerciseOrder(const OrderSelectors&, std::string_view, TableChangeRecord&) {
  return false;
}

bool COperationEngineBase::QueryExercisableQuantity(ExercisableQuantityRow&, std::string_view,
                                                    const ExercisableSelectors&) {
  return false;
}

void COperationEngineBase::UpsertExercisableQuantity(const PositionSummaryRow*) {}

// --- The engine's queries

bool COperationEngine::AskBackEnd(backend::RequestPtr record, CxDataSet& answer, std::string& error) {
  if (!record || !SendSyncChecked(*record, error)) return false;
  answer = std::move(record->At(0)->answer);
  return true;
}

bool COperationEngine::AccountKeyFor(std::string_view customer, std::string_view title, AccountKey& key) const {
  const backend::AccountTable* accounts = accounts_.load();
  if (accounts != nullptr && accounts->CopyAccountKey(customer, key)) return true;
  WriteLog((std::string(title) + "时，账号" + std::string(customer) + "没有登录！").c_str(), 1);
  return false;
}

bool COperationEngine::QueryFeeRate(std::string_view exchangeCode, std::string_view seatCode,
                                    std::string_view contractCode, std::string_view customer, FeeRateRow& row) {
  AccountKey key;
  CxDataSet answer;
  std::string error;
  if (!AccountKeyFor(customer, "查询费率", key) ||
      !AskBackEnd(BuildFeeRateRequest(key, exchangeCode, seatCode, contractCode), answer, error)) {
    return false;
  }
  FillFeeRateRow(customer, LineFields(AnswerLineAt(answer.View(), kSingleLineRow)), row);
  return true;
}

bool COperationEngine::QueryOptionParams(std::string_view exchangeCode, std::string_view optionKind,
                                         std::string_view contractCode, std::string_view customer,
                                         OptionParamsRow& row) {
  AccountKey key;
  CxDataSet answer;
  std::string error;
  if (!AccountKeyFor(customer, "查询期权相关参数", key) ||
      !AskBackEnd(BuildOptionParamsRequest(key, exchangeCode, optionKind, contractCode), answer, error)) {
    return false;
  }
  row = {};
  download_rows::FillInOrder(LineFields(AnswerLineAt(answer.View(), kSingleLineRow)), kOptionParamsFirstField,
                             row.szExchangeCode, row.szAnswerField6, row.szContractCode, row.szUnderlyingPrice,
                             row.szGuaranteeNumerator, row.szGuaranteeDenominator, row.szAnswerField11);
  return true;
}

bool COperationEngine::QueryLastPrice(std::string_view contracts, std::string& lastPrices) {
  const std::vector<std::string_view> items = ListItems(contracts);
  const std::size_t room = LastPriceListRoom();
  std::string prices;
  for (std::size_t next = 0; next < items.size();) {
    std::string list;
    std::size_t count = 0;
    for (; next < items.size() && count < kMaxContractsPerPriceRequest && list.size() + items[next].size() < room;
         ++next, ++count) {
      list.append(items[next]);
      list.push_back(kPriceItemEnd);
    }
    if (count == 0) {
      // No request can carry this contract: it has no price.
      prices.push_back(kPriceItemEnd);
      ++next;
      continue;
    }
    CxDataSet answer;
    std::string error;
    if (!AskBackEnd(BuildLastPriceRequest(list), answer, error)) return false;
    prices.append(PriceItems(LineFields(AnswerLineAt(answer.View(), kSingleLineRow)).Field(kLastPricesField), count));
  }
  lastPrices = std::move(prices);
  return true;
}

bool COperationEngine::QueryOrderRecord(const OrderSelectors& order, std::string_view customer,
                                        TableChangeRecord& record) {
  AccountKey key;
  CxDataSet answer;
  std::string error;
  if (!AccountKeyFor(customer, "查询综合委托", key) || !AskBackEnd(BuildOrderRequest(key, order), answer, error) ||
      answer.GetCount() <= kFirstRow) {
    return false;
  }
  const LineFields line(AnswerLineAt(answer.View(), kFirstRow));
  if (download_rows::IsSpecialOrderLine(line)) {
    record = TableChangeRecord::RowChange(table_id::kSpecialOrders, TableChangeRecord::kInsert, 1, 0,
                                          RowBytes(download_rows::SpecialOrderRowFromLine(customer, line)));
  } else {
    record = TableChangeRecord::RowChange(table_id::kOrders, TableChangeRecord::kInsert, 1, 0,
                                          RowBytes(download_rows::OrderRowFromLine(customer, line, *this)));
  }
  return true;
}

bool COperationEngine::QueryExerciseOrder(const OrderSelectors& application, std::string_view customer,
                                          TableChangeRecord& record) {
  AccountKey key;
  CxDataSet answer;
  std::string error;
  if (!AccountKeyFor(customer, "查询期权执行/放弃委托", key) ||
      !AskBackEnd(BuildExerciseOrderRequest(key, application), answer, error) || answer.GetCount() <= kFirstRow) {
    return false;
  }
  backend::ExerciseOrderRow row =
      download_rows::ExerciseOrderRowFromLine(LineFields(AnswerLineAt(answer.View(), kFirstRow)));
  if (std::string exchangeName; FindExchangeSeat(Text(row.szExchangeCode), exchangeName)) {
    SetText(row.szExchangeName, exchangeName);
  }
  record = TableChangeRecord::RowChange(table_id::kExerciseOrders, TableChangeRecord::kInsert, 1, 0, RowBytes(row));
  return true;
}

bool COperationEngine::QueryExercisableQuantity(ExercisableQuantityRow& row, std::string_view customer,
                                                const ExercisableSelectors& position) {
  AccountKey key;
  CxDataSet answer;
  std::string error;
  if (!AccountKeyFor(customer, "查询期权可执行/放弃数量", key) ||
      !AskBackEnd(BuildExercisableQuantityRequest(key, position), answer, error)) {
    return false;
  }
  row = download_rows::ExercisableQuantityRowFromLine(LineFields(AnswerLineAt(answer.View(), kSingleLineRow)));
  return true;
}

void COperationEngine::UpsertExercisableQuantity(const PositionSummaryRow* position) {
  if (position == nullptr) return;
  ExercisableQuantityRow fresh{};
  const ExercisableSelectors selectors{Text(position->szExchangeCode), Text(position->szContractCode),
                                       Text(position->szMapCode),      Text(position->szSeatCode),
                                       Text(position->szFlagSH),       Text(position->szFlagBS)};
  if (!QueryExercisableQuantity(fresh, Text(position->szTradeAccount), selectors)) {
    WriteLog(("更新期权可执行/放弃数量失败：" + std::string(Text(position->szContractCode))).c_str(), 1);
    return;
  }
  std::lock_guard guard(lock_);
  EngineTable& quantities = TableAt(Table::kExercisableQuantities);
  ExercisableQuantityRow row = fresh;
  const std::uint32_t index = FindPosition(quantities, fresh);
  if (index < quantities.GetCount()) {
    row = *RowFromBytes<ExercisableQuantityRow>(quantities.GetValue(index));
    SetText(row.szFrozenHands, Text(fresh.szFrozenHands));
    SetText(row.szFrozenHandsKind1, Text(fresh.szFrozenHandsKind1));
    std::memcpy(quantities.GetDataPtr(index), RowBytes(row).data(), sizeof row);
  } else if (!download_rows::AppendRow(quantities, row)) {
    return;
  }
  NotifyTableChange(TableChangeRecord::RowChange(table_id::kExercisableQuantities, TableChangeRecord::kUpdate,
                                                 static_cast<int>(quantities.GetCount()), static_cast<int>(index),
                                                 RowBytes(row)));
}

}  // namespace engine
