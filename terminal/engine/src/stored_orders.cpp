// Stored orders (GUI table 17): the answers that change (5460), add (5464),
// delete (5466) and send (5467) one. A stored order is known by its account
// and its number.
#include <mutex>
#include <string>

#include "download_rows.h"
#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "engine/stored_order_row.h"
#include "order_updates.h"
#include "row_changes.h"

namespace engine {
namespace {

using backend::CxDataSetView;
using download_rows::FillInOrder;

constexpr std::size_t kStatusLine = 0;

// A change (5460) hands over its request fields 9 to 19: the number, then
// the ten fields it changes.
constexpr std::size_t kChangeFieldCount = 11;

// The fields of a send answer (5467) that name the order it placed.
constexpr int kSentOrderNoField = 5;
constexpr int kSentExchangeField = 6;
constexpr int kSentOrderSeatField = 34;

constexpr char kSent = '1';

StoredOrderRow RowFromAnswer(std::string_view account, const LineFields& line) {
  StoredOrderRow row{};
  SetText(row.szTradeAccount, account);
  FillInOrder(line, 5, row.szStoredOrderNo, row.szAnswerField6, row.szAnswerField7, row.szAnswerField8,
              row.szAnswerField9, row.szAnswerField10);
  SetText(row.szAnswerField12, line.Field(12));
  SetText(row.szAnswerField14, line.Field(14));
  FillInOrder(line, 16, row.szAnswerField16, row.szAnswerField17, row.szAnswerField18, row.szAnswerField19,
              row.szSentFlag, row.szAnswerField21, row.szAnswerField22);
  return row;
}

auto StoredOrder(std::string_view account, std::string_view storedOrderNo) {
  return [account, storedOrderNo](const StoredOrderRow& row) {
    return Text(row.szTradeAccount) == account && Text(row.szStoredOrderNo) == storedOrderNo;
  };
}

// Marks the row sent: the first character of its sent flag becomes "1".
void MarkSent(StoredOrderRow& row) {
  std::string flag(Text(row.szSentFlag));
  if (flag.empty()) flag.push_back(kSent);
  flag.front() = kSent;
  SetText(row.szSentFlag, flag);
}

}  // namespace

void COperationEngineBase::ApplyStoredOrderChange(std::string_view customer, std::span<const std::string> fields) {
  if (fields.size() != kChangeFieldCount) return;
  std::lock_guard guard(lock_);
  const auto record =
      row_changes::UpdateFirst<StoredOrderRow>(table_id::kStoredOrders, TableAt(Table::kStoredOrders),
                                               StoredOrder(customer, fields[0]), [&](StoredOrderRow& row) {
                                                 SetText(row.szAnswerField6, fields[1]);
                                                 SetText(row.szAnswerField7, fields[2]);
                                                 SetText(row.szAnswerField8, fields[3]);
                                                 SetText(row.szAnswerField9, fields[4]);
                                                 SetText(row.szAnswerField10, fields[5]);
                                                 SetText(row.szAnswerField12, fields[6]);
                                                 SetText(row.szAnswerField14, fields[7]);
                                                 SetText(row.szAnswerField16, fields[8]);
                                                 SetText(row.szAnswerField17, fields[9]);
                                                 SetText(row.szAnswerField19, fields[10]);
                                               });
  if (record) NotifyTableChange(*record);
}

void COperationEngineBase::ApplyStoredOrderAdd(std::string_view customer, const CxDataSetView& answer) {
  const StoredOrderRow row = RowFromAnswer(customer, LineFields(AnswerLineAt(answer, kStatusLine)));
  // An answer without a stored-order number names no order to add.
  if (!order_updates::NamesAnOrder(Text(row.szStoredOrderNo))) return;
  std::lock_guard guard(lock_);
  if (const auto record = row_changes::Append(table_id::kStoredOrders, TableAt(Table::kStoredOrders), row)) {
    NotifyTableChange(*record);
  }
}

void COperationEngineBase::ApplyStoredOrderDelete(std::string_view customer, std::string_view storedOrderNo) {
  std::lock_guard guard(lock_);
  row_changes::RemoveFirst<StoredOrderRow>(table_id::kStoredOrders, TableAt(Table::kStoredOrders),
                                           StoredOrder(customer, storedOrderNo),
                                           [this](const TableChangeRecord& record) { NotifyTableChange(record); });
}

void COperationEngineBase::ApplyStoredOrderSend(std::string_view customer, const CxDataSetView& answer,
                                                std::string_view storedOrderNo) {
  const LineFields line(AnswerLineAt(answer, kStatusLine));
  std::unique_lock guard(lock_);
  // The order it placed, fetched from the back end when no push brought it
  // first.
  FindOrFetchOrder({line.Field(kSentOrderNoField), line.Field(kSentExchangeField), line.Field(kSentOrderSeatField)},
                   customer, guard);
  if (const auto record = row_changes::UpdateFirst<StoredOrderRow>(
          table_id::kStoredOrders, TableAt(Table::kStoredOrders), StoredOrder(customer, storedOrderNo), MarkSent)) {
    NotifyTableChange(*record);
  }
}

}  // namespace engine
