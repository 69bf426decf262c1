// Option exercise and abandon applications: their download, the answers of
// sending (5240) and cancelling (5241) one, and the exercisable quantities
// that the waiting ones freeze.
#include <mutex>

#include "download_rows.h"
#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "lots.h"
#include "order_updates.h"

namespace engine {
namespace {

using backend::CxDataSetView;
using backend::ExerciseOrderRow;
using download_rows::FillInOrder;

constexpr std::size_t kStatusLine = 0;

constexpr std::string_view kWaiting = "a";
constexpr std::string_view kCancelled = "d";
// The kind flag of the applications counted in the second frozen quantity.
constexpr std::string_view kSecondQuantityKind = "1";

// The fields of a cancel answer that name its application.
constexpr int kCancelApplicationNoField = 6;
constexpr int kCancelExchangeField = 7;
constexpr int kCancelKeyField = 20;
constexpr int kCancelKindFlagField = 25;

// The application of a send answer: of its fields the engine keeps 5 to 13,
// the key text (25), the two amounts (34, 35) and the kind flag (38).
ExerciseOrderRow SentApplicationFromLine(const LineFields& line) {
  ExerciseOrderRow row{};
  FillInOrder(line, 5, row.szAccount, row.szApplicationNo, row.szExchangeCode, row.szContractCode, row.szStateCode,
              row.szTexts10[0], row.szTexts10[1], row.szLots, row.szTexts16A[0]);
  SetText(row.szKey, line.Field(25));
  order_updates::SetMoneyText(row.szAmounts[0], line.Field(34));
  order_updates::SetMoneyText(row.szAmounts[1], line.Field(35));
  SetText(row.szKindFlag, line.Field(38));
  return row;
}

// The fields of a cancel answer that change its application.
void ApplyCancelFields(ExerciseOrderRow& row, const LineFields& line) {
  FillInOrder(line, 9, row.szStateCode, row.szTexts10[0], row.szTexts10[1], row.szLots, row.szTexts16A[0]);
  FillInOrder(line, 16, row.szTexts16B[3], row.szTexts16B[4]);
  SetText(row.szKindFlag, line.Field(kCancelKindFlagField));
}

void NameExchange(const COperationEngineBase& engine, ExerciseOrderRow& row) {
  if (std::string name; engine.FindExchangeSeat(Text(row.szExchangeCode), name)) SetText(row.szExchangeName, name);
}

// An application of the account with these keys, and of this kind when one
// is given.
bool SameApplication(const ExerciseOrderRow& row, const OrderSelectors& application, std::string_view account,
                     std::optional<std::string_view> kindFlag) {
  return Text(row.szAccount) == account && Text(row.szExchangeCode) == application.exchangeCode &&
         Text(row.szKey) == application.orderSeat &&
         order_updates::SameOrderNo(Text(row.szApplicationNo), application.orderNo) &&
         (!kindFlag || Text(row.szKindFlag) == *kindFlag);
}

OrderSelectors SelectorsOf(const ExerciseOrderRow& row) {
  return {Text(row.szApplicationNo), Text(row.szExchangeCode), Text(row.szKey)};
}

// The exercisable quantity of the application's option position.
bool SamePosition(const ExercisableQuantityRow& quantity, const ExerciseOrderRow& application) {
  return Text(quantity.szTradeAccount) == Text(application.szAccount) &&
         Text(quantity.szExchangeCode) == Text(application.szExchangeCode) &&
         Text(quantity.szContractCode) == Text(application.szContractCode) &&
         Text(quantity.szExerciseKey) == Text(application.szKey);
}

// The quantity that the application's kind counts in.
auto& CountedQuantity(ExercisableQuantityRow& quantity, const ExerciseOrderRow& application) {
  return Text(application.szKindFlag) == kSecondQuantityKind ? quantity.szFrozenHandsKind1 : quantity.szFrozenHands;
}

ExercisableQuantityRow NewQuantityRow(const ExerciseOrderRow& application) {
  ExercisableQuantityRow quantity{};
  SetText(quantity.szTradeAccount, Text(application.szAccount));
  SetText(quantity.szExchangeCode, Text(application.szExchangeCode));
  SetText(quantity.szContractCode, Text(application.szContractCode));
  SetText(quantity.szExerciseKey, Text(application.szKey));
  SetText(quantity.szFlagBS, Text(application.szTexts10[0]));
  SetText(quantity.szFlagSH, Text(application.szTexts10[1]));
  return quantity;
}

}  // namespace

std::optional<std::uint32_t> COperationEngineBase::AddExerciseOrder(const ExerciseOrderRow& row, bool deliverAtOnce) {
  std::lock_guard guard(lock_);
  EngineTable& applications = TableAt(Table::kExerciseOrders);
  if (!typed_rows::AppendRow(applications, row)) return std::nullopt;
  const auto index = static_cast<std::uint32_t>(applications.GetCount() - 1);
  RaiseChange(
      TableChangeRecord::RowChange(table_id::kExerciseOrders, TableChangeRecord::kInsert,
                                   static_cast<int>(applications.GetCount()), static_cast<int>(index), RowBytes(row)),
      deliverAtOnce);
  FollowExerciseState({}, row);
  return index;
}

void COperationEngineBase::FollowExerciseState(std::string_view previousState, const ExerciseOrderRow& application) {
  const std::string_view state = Text(application.szStateCode);
  if (state == previousState || (state != kWaiting && state != kCancelled)) return;
  const long long lots = ReadInt(application.szLots);
  std::lock_guard guard(lock_);
  EngineTable& quantities = TableAt(Table::kExercisableQuantities);
  std::optional<std::uint32_t> index = order_updates::FindIndex<ExercisableQuantityRow>(
      quantities, [&](const ExercisableQuantityRow& quantity) { return SamePosition(quantity, application); });
  ExercisableQuantityRow quantity;
  if (index) {
    quantity = *typed_rows::RowAt<ExercisableQuantityRow>(quantities, *index);
    auto& counted = CountedQuantity(quantity, application);
    SetInt(counted, SaturateLots(ReadInt(counted) + (state == kWaiting ? lots : -lots)));
    typed_rows::StoreRow(quantities, *index, quantity);
  } else {
    // A cancelled application of a position the engine does not show
    // changes nothing.
    if (state == kCancelled) return;
    quantity = NewQuantityRow(application);
    SetInt(CountedQuantity(quantity, application), SaturateLots(lots));
    if (!typed_rows::AppendRow(quantities, quantity)) return;
    index = static_cast<std::uint32_t>(quantities.GetCount() - 1);
  }
  RaiseChange(order_updates::RowUpdate(table_id::kExercisableQuantities, quantities, *index, RowBytes(quantity)),
              kAtOnce);
}

std::optional<std::uint32_t> COperationEngineBase::FindOrFetchExerciseOrder(
    const OrderSelectors& application, std::string_view account, std::optional<std::string_view> kindFlag,
    std::unique_lock<platform::CriticalSection>& guard) {
  const auto matches = [&](const ExerciseOrderRow& row) {
    return SameApplication(row, application, account, kindFlag);
  };
  const auto fetch = [&]() -> std::optional<ExerciseOrderRow> {
    TableChangeRecord record;
    if (!QueryExerciseOrder(application, account, record)) return std::nullopt;
    return order_updates::FetchedRow<ExerciseOrderRow>(record, table_id::kExerciseOrders, matches);
  };
  return order_updates::FindOrFetch<ExerciseOrderRow>(
      guard, TableAt(Table::kExerciseOrders), application.orderNo, matches, fetch,
      [&](const ExerciseOrderRow& row) { return AddExerciseOrder(row, kAtOnce); });
}

void COperationEngineBase::LoadExerciseOrders(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  EngineTable& applications = TableAt(Table::kExerciseOrders);
  download_rows::ForEachDataLine(answer, [&](const LineFields& line) {
    ExerciseOrderRow row = download_rows::ExerciseOrderRowFromLine(line);
    NameExchange(*this, row);
    typed_rows::AppendRow(applications, row);
  });
}

void COperationEngineBase::OnExerciseOrderAnswer(std::string_view, const CxDataSetView& answer, bool deliverAtOnce) {
  ExerciseOrderRow row = SentApplicationFromLine(LineFields(AnswerLineAt(answer, kStatusLine)));
  if (!order_updates::NamesAnOrder(Text(row.szApplicationNo))) return;
  NameExchange(*this, row);
  std::lock_guard guard(lock_);
  // A push may have brought the application first.
  const bool known =
      order_updates::FindIndex<ExerciseOrderRow>(TableAt(Table::kExerciseOrders), [&](const ExerciseOrderRow& stored) {
        return SameApplication(stored, SelectorsOf(row), Text(row.szAccount), {});
      }).has_value();
  if (!known) AddExerciseOrder(row, deliverAtOnce);
}

void COperationEngineBase::OnExerciseCancelAnswer(std::string_view customer, const CxDataSetView& answer,
                                                  bool deliverAtOnce) {
  const LineFields line(AnswerLineAt(answer, kStatusLine));
  std::unique_lock guard(lock_);
  const std::optional<std::uint32_t> index = FindOrFetchExerciseOrder(
      {line.Field(kCancelApplicationNoField), line.Field(kCancelExchangeField), line.Field(kCancelKeyField)}, customer,
      line.Field(kCancelKindFlagField), guard);
  if (!index) return;
  EngineTable& applications = TableAt(Table::kExerciseOrders);
  ExerciseOrderRow row = *typed_rows::RowAt<ExerciseOrderRow>(applications, *index);
  const std::string previousState(Text(row.szStateCode));
  ApplyCancelFields(row, line);
  typed_rows::StoreRow(applications, *index, row);
  RaiseChange(order_updates::RowUpdate(table_id::kExerciseOrders, applications, *index, RowBytes(row)), deliverAtOnce);
  FollowExerciseState(previousState, row);
}

}  // namespace engine
