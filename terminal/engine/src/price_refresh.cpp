// The idle refresh of last prices: the contracts held are priced in
// batches, each position's floating profit and option values follow, then
// every fund row; the GUI hears of it at the next batch close.
#include <algorithm>
#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "backend/field_text.h"
#include "engine/operation_engine_base.h"
#include "fund_balances.h"
#include "typed_rows.h"

namespace engine {
namespace {

// A batch of at most this many contracts goes into one last-price query,
// within a list text of at most kListTextSize bytes with its terminator.
constexpr std::size_t kMaxBatchContracts = 100;
constexpr std::size_t kListTextSize = 1024;
constexpr char kItemEnd = ';';

std::string ListItem(const PriceContractRow& row) {
  return std::string(Text(row.szExchangeCode)).append(",").append(Text(row.szContractCode)) + kItemEnd;
}

// The end of the batch that starts at `first`: it ends early where the next
// contract would not fit the list text, and holds at least one contract.
std::size_t BatchEnd(const std::vector<PriceContractRow>& rows, std::size_t first) {
  std::size_t length = ListItem(rows[first]).size();
  std::size_t end = first + 1;
  while (end < rows.size() && end - first < kMaxBatchContracts) {
    length += ListItem(rows[end]).size();
    if (length >= kListTextSize) break;
    ++end;
  }
  return end;
}

// "%.2f" of item k of the answer, counted from 1; a missing item is 0.
std::string PriceOf(const std::string& answer, int item) {
  return MoneyText(row_field_detail::ReadNumber(backend::GetSeparatedFieldText(item, answer, kItemEnd)));
}

// Writes the batch's prices into the table's rows of the same contracts.
void StorePrices(EngineTable& table, std::span<const PriceContractRow> batch) {
  for (std::uint32_t index = 0; index < table.GetCount(); ++index) {
    std::optional<PriceContractRow> row = typed_rows::RowAt<PriceContractRow>(table, index);
    if (!row) continue;
    const auto priced = std::ranges::find_if(batch, [&](const PriceContractRow& price) {
      return Text(price.szExchangeCode) == Text(row->szExchangeCode) &&
             Text(price.szContractCode) == Text(row->szContractCode);
    });
    if (priced == batch.end()) continue;
    SetText(row->szNewPrice, Text(priced->szNewPrice));
    typed_rows::StoreRow(table, index, *row);
  }
}

}  // namespace

void COperationEngineBase::RefreshPrices() {
  std::vector<PriceContractRow> contracts;
  {
    std::lock_guard guard(lock_);
    contracts = typed_rows::AllRows<PriceContractRow>(TableAt(Table::kPriceContracts));
  }
  if (contracts.empty()) return;

  // The back end and the quote fallback are asked without the lock.
  for (std::size_t first = 0; first < contracts.size();) {
    const std::size_t end = BatchEnd(contracts, first);
    std::string list;
    for (std::size_t index = first; index < end; ++index) list.append(ListItem(contracts[index]));
    std::string answer;
    if (QueryLastPrice(list, answer)) {
      const std::span<PriceContractRow> batch(contracts.begin() + static_cast<std::ptrdiff_t>(first),
                                              contracts.begin() + static_cast<std::ptrdiff_t>(end));
      for (std::size_t item = 0; item < batch.size(); ++item) {
        SetText(batch[item].szNewPrice, PriceOf(answer, static_cast<int>(item) + 1));
      }
      {
        std::lock_guard guard(lock_);
        StorePrices(TableAt(Table::kPriceContracts), batch);
      }
      for (const PriceContractRow& row : batch) UpdateContractProfit(row, TableAt(Table::kPositionSummary));
    }
    first = end;
  }

  std::lock_guard guard(lock_);
  const EngineTable& summary = TableAt(Table::kPositionSummary);
  const int rowCount = static_cast<int>(summary.GetCount());
  for (std::uint32_t index = 0; index < summary.GetCount(); ++index) {
    AppendToChangeQueue(TableChangeRecord::RowChange(table_id::kPositionSummary, TableChangeRecord::kUpdate, rowCount,
                                                     static_cast<int>(index), summary.GetValue(index), 1));
    AppendToChangeQueue(
        TableChangeRecord::RowChange(table_id::kPositionSummary, TableChangeRecord::kUpdate, rowCount, -1, {}, 1));
  }
  EngineTable& funds = TableAt(Table::kFunds);
  for (std::uint32_t index = 0; index < funds.GetCount(); ++index) {
    std::optional<FundRow> fund = typed_rows::RowAt<FundRow>(funds, index);
    if (!fund) continue;
    const OptionValueSums positions = SumOptionValues(Text(fund->szTradeAccount));
    const fund_balances::Balances balances =
        fund_balances::ComputeBalances(*fund,
                                       {.closingProfit = ReadMoney(fund->szOffsetProfitAndLoss),
                                        .fees = ReadMoney(fund->szCommissionCharge),
                                        .totalFrozen = ReadMoney(fund->szTotalFreeze),
                                        .totalMargin = ReadMoney(fund->szTotalCautionMoney)},
                                       positions, FloatingProfitCounts());
    SetMoney(fund->szProfitAndLoss, positions.floatingProfit);
    SetMoney(fund->szDynamicRights, balances.equity);
    SetMoney(fund->szUsableMoney, balances.usable);
    SetMoney(fund->szOptionMarketValue, positions.marketValue);
    SetMoney(fund->szFLOATINGMARGIN, positions.inTheMoney);
    typed_rows::StoreRow(funds, index, *fund);
    AppendToChangeQueue(
        TableChangeRecord::RowChange(table_id::kFunds, TableChangeRecord::kUpdate, 1, 0, RowBytes(*fund)));
  }
}

}  // namespace engine
