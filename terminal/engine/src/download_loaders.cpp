// The loaders of the download answers: each answer line becomes one row of
// an engine table.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

#include "backend/field_text.h"
#include "download_rows.h"
#include "engine/operation_engine_base.h"

namespace engine {
namespace {

using backend::CxDataSetView;
using download_rows::AppendRow;
using download_rows::ConditionOrderRowFromLine;
using download_rows::FillInOrder;
using download_rows::ForEachDataLine;
using download_rows::ProfitLossOrderRowFromLine;

// The exchange-seat flags: field 9 holds three items, each ended by ",".
constexpr int kSeatFlagsField = 9;
constexpr char kSeatFlagSeparator = ',';
// A contract whose option flag is empty is a futures contract.
constexpr std::string_view kFuturesTradeClass = "0";

// Item k (from 1) of the seat flags.
std::string SeatFlag(std::string_view flags, int k) {
  return backend::GetSeparatedFieldText(k, std::string(flags) + kSeatFlagSeparator, kSeatFlagSeparator);
}

ExchangeSeatRow ExchangeSeatRowFromLine(const LineFields& line) {
  ExchangeSeatRow row{};
  FillInOrder(line, 4, row.szExchangeCode, row.szExchangeName, row.szExchangeAbbr, row.szSeatCode, row.szAnswerField8);
  const std::string_view flags = line.Field(kSeatFlagsField);
  SetText(row.szCloseTodayFlag, SeatFlag(flags, 1));
  SetText(row.szMarketOrderFlag, SeatFlag(flags, 2));
  SetText(row.szGroupFlag, SeatFlag(flags, 3));
  SetText(row.szExerciseInstruction, ExerciseInstructionFor(line.Field(6)));
  return row;
}

ContractRow ContractRowFromLine(const LineFields& line) {
  ContractRow row{};
  FillInOrder(line, 4, row.szExchangeCode, row.szExchangeName, row.szContractCode, row.szContractName,
              row.szVolumePerHand);
  FillInOrder(line, 11, row.szAccountDay, row.szAnswerField12, row.szAnswerField13, row.szVarietyCode,
              row.szVarietyName, row.szMinPriceStep);
  FillInOrder(line, 22, row.szTradeClass, row.szOptionType, row.szStrikePrice);
  if (line.Field(22).empty()) SetText(row.szTradeClass, kFuturesTradeClass);
  return row;
}

OrderTypeRow OrderTypeRowFromLine(const LineFields& line) {
  OrderTypeRow row{};
  SetText(row.szExchangeCode, line.Trimmed(4));
  SetText(row.szOrderFormType, line.Trimmed(5));
  SetText(row.szAnswerField6, line.Trimmed(6));
  SetText(row.szAnswerField7, line.Trimmed(7));
  return row;
}

TradeCodeRow TradeCodeRowFromLine(const LineFields& line) {
  TradeCodeRow row{};
  SetText(row.szTradeAccount, line.Trimmed(4));
  SetText(row.szExchangeCode, line.Trimmed(5));
  SetText(row.szMapCode, line.Trimmed(6));
  SetText(row.szSeatCode, line.Trimmed(8));
  SetText(row.szTradeCodeType, line.Trimmed(7));
  SetText(row.szTradeCodeState, line.Trimmed(9));
  return row;
}

FundRow FundRowFromLine(std::string_view account, const LineFields& line) {
  FundRow row{};
  SetText(row.szTradeAccount, account);
  FillInOrder(line, 5, row.szAnswerField5, row.szDepositYesterday, row.szBFreeze, row.szSFreeze, row.szBCautionMoney,
              row.szSCautionMoney, row.szAnswerField11, row.szAnswerField12, row.szUsableMoney, row.szDynamicRights,
              row.szDynamicRiskLevel, row.szSecurity, row.szCommissionCharge, row.szProfitAndLoss,
              row.szOffsetProfitAndLoss, row.szAnswerField20, row.szAnswerField21, row.szIOMoneyToday,
              row.szFreezeCommissionCharge, row.szTotalFreeze, row.szTotalCautionMoney, row.szAnswerField26,
              row.szAnswerField27, row.szCreditMoney, row.szAnswerField29, row.szDynamicRiskLevel2, row.szRoyaltyOut,
              row.szRoyaltyIn, row.szFrozenRoyalty, row.szOptionMarketValue, row.szFLOATINGMARGIN);
  return row;
}

TradeRow TradeRowFromLine(std::string_view account, const LineFields& line) {
  TradeRow row{};
  SetText(row.szTradeAccount, account);
  FillInOrder(line, 4, row.szExchangeCode, row.szAnswerField5, row.szOrderNo, row.szContractCode, row.szAnswerField8,
              row.szNameBS, row.szAnswerField10, row.szNameEO, row.szAnswerField12, row.szNameSH, row.szAnswerField14,
              row.szDealHands, row.szDealPrice, row.szAnswerField17, row.szMapCode, row.szSysNo, row.szDealNo,
              row.szAccountDay, row.szDealTime, row.szSeatCode, row.szAnswerField24);
  return row;
}

PositionDetailRow PositionDetailRowFromLine(const LineFields& line) {
  PositionDetailRow row{};
  SetText(row.szTradeAccount, line.Field(8));
  FillInOrder(line, 4, row.szTradingDate, row.szOpenDate, row.szDealNo, row.szSeatCode);
  FillInOrder(line, 9, row.szAnswerField9, row.szExchangeCode, row.szAnswerField11, row.szMapCode, row.szVarietyCode,
              row.szAccountDay, row.szFlagBS, row.szFlagSH, row.szPositionVolume, row.szPositionPrice, row.szOpenPrice,
              row.szEngrossCautionMoney, row.szAnswerField21, row.szVolumePerHand, row.szPosKind, row.szCombinationNo,
              row.szContractCode);
  return row;
}

CombinationDetailRow CombinationDetailRowFromLine(const LineFields& line) {
  CombinationDetailRow row{};
  SetText(row.szTradeAccount, line.Field(7));
  FillInOrder(line, 4, row.szOpenDate, row.szExchangeCode, row.szSeatCode);
  FillInOrder(line, 8, row.szPosKind, row.szLegNo, row.szSysNo, row.szCombinationNo, row.szDealNo, row.szAnswerField13,
              row.szAnswerField14, row.szAnswerField15, row.szVarietyCode, row.szAccountDay, row.szMapCode,
              row.szPositionVolume, row.szVolumePerHand, row.szFlagSH, row.szFlagBS, row.szPositionPrice,
              row.szOpenPrice, row.szAnswerField25, row.szAnswerField26, row.szAnswerField27, row.szAnswerField28,
              row.szAnswerField29, row.szAnswerField30, row.szEngrossCautionMoney, row.szAnswerField32,
              row.szAnswerField33, row.szAnswerField34, row.szAnswerField35, row.szStrategyCode, row.szKindKey4,
              row.szAnswerField38);
  return row;
}

// Room in `table`'s directory for `rows` more rows, made before they come.
void ReserveRows(EngineTable& table, std::size_t rows) { table.Reserve(std::size_t{table.GetCount()} + rows); }

// Appends a row of every data line, the room for them made first.
template <typename Build>
void AppendDataLines(EngineTable& table, const CxDataSetView& answer, Build build) {
  ReserveRows(table, answer.GetCount());
  ForEachDataLine(answer, [&](const LineFields& line) { AppendRow(table, build(line)); });
}

// A loader that appends a row of every data line to `table`.
template <typename Build>
DownloadRowLoader AppendingLoader(platform::CriticalSection& lock, EngineTable& table, Build build,
                                  std::function<void()> end = nullptr) {
  return {[&lock, &table](std::size_t rows) {
            std::lock_guard guard(lock);
            ReserveRows(table, rows);
          },
          [&lock, &table, build](const LineFields& line) {
            const auto row = build(line);
            std::lock_guard guard(lock);
            AppendRow(table, row);
          },
          std::move(end)};
}

// An appending loader that keeps a copy of the loaded table in `downloaded`
// once the last row is in.
template <typename Build>
DownloadRowLoader CopyKeepingLoader(platform::CriticalSection& lock, EngineTable& table, EngineTable& downloaded,
                                    Build build) {
  return AppendingLoader(lock, table, build, [&lock, &table, &downloaded] {
    std::lock_guard guard(lock);
    // A copy that cannot be made stays empty.
    downloaded = table.Copy();
  });
}

// Puts the trades in ascending order of their deal numbers' values, in
// place; rows of equal deal numbers keep their order. Each deal number is
// read once, in place, and a table already in order (as a back end sends
// it) is left as it is.
void SortTradesByDealNo(EngineTable& trades) {
  struct Key {
    double dealNo;
    std::uint32_t index;
  };
  std::vector<Key> keys;
  keys.reserve(trades.GetCount());
  for (std::uint32_t index = 0; index < trades.GetCount(); ++index) {
    const std::span<const std::uint8_t> bytes = trades.GetValue(index);
    if (bytes.size() < sizeof(TradeRow)) return;  // not a trade table: leave it as it is
    const char* dealNo = reinterpret_cast<const char*>(bytes.data() + offsetof(TradeRow, szDealNo));
    keys.push_back({row_field_detail::ReadNumber(row_field_detail::Text(dealNo, sizeof TradeRow::szDealNo)), index});
  }
  const auto byDealNo = [](const Key& a, const Key& b) { return a.dealNo < b.dealNo; };
  if (std::ranges::is_sorted(keys, byDealNo)) return;
  std::ranges::stable_sort(keys, byDealNo);
  std::vector<TradeRow> rows;
  rows.reserve(keys.size());
  for (const Key& key : keys) rows.push_back(*RowFromBytes<TradeRow>(trades.GetValue(key.index)));
  for (std::uint32_t index = 0; index < rows.size(); ++index) {
    std::memcpy(trades.GetDataPtr(index), RowBytes(rows[index]).data(), sizeof(TradeRow));
  }
}

}  // namespace

void LoadAnswer(const DownloadRowLoader& loader, const CxDataSetView& answer) {
  if (answer.GetCount() > 1) loader.reserve(answer.GetCount() - 1);
  ForEachDataLine(answer, loader.line);
  if (loader.end) loader.end();
}

void COperationEngineBase::LoadExchangeSeats(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  EngineTable& seats = TableAt(Table::kExchangeSeats);
  seats.Clear();
  AppendDataLines(seats, answer, ExchangeSeatRowFromLine);
}

void COperationEngineBase::LoadCloseStrategies(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  EngineTable& strategies = TableAt(Table::kCloseStrategies);
  strategies.Clear();
  AppendDataLines(strategies, answer, [](const LineFields& line) {
    CloseStrategyRow row{};
    SetText(row.szExchangeCode, line.Field(4));
    SetText(row.szCloseStrategy, line.Field(6));
    return row;
  });
}

void COperationEngineBase::LoadOrderTypes(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  EngineTable& orderTypes = TableAt(Table::kOrderTypes);
  orderTypes.Clear();
  AppendDataLines(orderTypes, answer, OrderTypeRowFromLine);
}

void COperationEngineBase::LoadContracts(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  EngineTable& contracts = TableAt(Table::kContracts);
  contracts.Clear();
  AppendDataLines(contracts, answer, ContractRowFromLine);
}

void COperationEngineBase::LoadTradeCodes(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  LoadAnswer(TradeCodeLoader(), answer);
}

DownloadRowLoader COperationEngineBase::TradeCodeLoader() {
  return AppendingLoader(lock_, TableAt(Table::kTradeCodes), TradeCodeRowFromLine);
}

void COperationEngineBase::LoadFunds(const CxDataSetView& answer, std::string_view account, bool notifyNow) {
  std::lock_guard guard(lock_);
  if (answer.GetCount() == 0) return;
  // The fund answer carries its data in the status line itself.
  const FundRow row = FundRowFromLine(account, LineFields(AnswerLineAt(answer, 0)));
  if (!AppendRow(TableAt(Table::kFunds), row)) return;
  RaiseChange(TableChangeRecord::RowChange(table_id::kFunds, TableChangeRecord::kUpdate, 1, 0, RowBytes(row)),
              notifyNow);
}

void COperationEngineBase::LoadOrders(std::string_view account, const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  EngineTable& orders = TableAt(Table::kOrders);
  ForEachDataLine(answer, [&](const LineFields& line) {
    if (!download_rows::IsSpecialOrderLine(line))
      AppendRow(orders, download_rows::OrderRowFromLine(account, line, *this));
  });
}

void COperationEngineBase::LoadSpecialOrders(std::string_view account, const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  EngineTable& specialOrders = TableAt(Table::kSpecialOrders);
  ForEachDataLine(answer, [&](const LineFields& line) {
    if (download_rows::IsSpecialOrderLine(line)) {
      AppendRow(specialOrders, download_rows::SpecialOrderRowFromLine(account, line));
    }
  });
}

DownloadRowLoader COperationEngineBase::OrderLoader(std::string account) {
  EngineTable& orders = TableAt(Table::kOrders);
  EngineTable& specialOrders = TableAt(Table::kSpecialOrders);
  // Special orders are few: the room is made for orders.
  return {[this, &orders](std::size_t rows) {
            std::lock_guard guard(lock_);
            ReserveRows(orders, rows);
          },
          [this, &orders, &specialOrders, account = std::move(account)](const LineFields& line) {
            std::lock_guard guard(lock_);
            if (download_rows::IsSpecialOrderLine(line))
              AppendRow(specialOrders, download_rows::SpecialOrderRowFromLine(account, line));
            else
              AppendRow(orders, download_rows::OrderRowFromLine(account, line, *this));
          },
          nullptr};
}

void COperationEngineBase::LoadTrades(std::string_view account, const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  LoadAnswer(TradeLoader(std::string(account)), answer);
}

DownloadRowLoader COperationEngineBase::TradeLoader(std::string account) {
  EngineTable& trades = TableAt(Table::kTrades);
  const auto build = [this, account = std::move(account)](const LineFields& line) {
    TradeRow row = TradeRowFromLine(account, line);
    ContractRow contract{};
    if (FindContract(Text(row.szExchangeCode), Text(row.szContractCode), contract)) {
      SetText(row.szTradeClass, Text(contract.szTradeClass));
    }
    return row;
  };
  return AppendingLoader(lock_, trades, build, [this, &trades] {
    std::lock_guard guard(lock_);
    SortTradesByDealNo(trades);
    // The sort wrote the rows over each other in place.
    ForgetRowIndexes();
  });
}

void COperationEngineBase::LoadPositionDetails(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  LoadAnswer(PositionDetailLoader(), answer);
}

DownloadRowLoader COperationEngineBase::PositionDetailLoader() {
  return CopyKeepingLoader(lock_, TableAt(Table::kPositionDetails), TableAt(Table::kDownloadedPositionDetails),
                           PositionDetailRowFromLine);
}

void COperationEngineBase::LoadCombinationDetails(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  LoadAnswer(CombinationDetailLoader(), answer);
}

DownloadRowLoader COperationEngineBase::CombinationDetailLoader() {
  return CopyKeepingLoader(lock_, TableAt(Table::kCombinationDetails), TableAt(Table::kDownloadedCombinationDetails),
                           CombinationDetailRowFromLine);
}

void COperationEngineBase::ClearPerAccountDownloadTables() {
  std::lock_guard guard(lock_);
  for (const Table table : {Table::kTradeCodes, Table::kPositionDetails, Table::kDownloadedPositionDetails,
                            Table::kCombinationDetails, Table::kDownloadedCombinationDetails}) {
    TableAt(table).Clear();
  }
  ForgetRowIndexes();
}

void COperationEngineBase::LoadConditionOrders(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  EngineTable& conditionOrders = TableAt(Table::kConditionOrders);
  conditionOrders.Clear();
  AppendDataLines(conditionOrders, answer, ConditionOrderRowFromLine);
}

void COperationEngineBase::LoadProfitLossOrders(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  EngineTable& profitLossOrders = TableAt(Table::kProfitLossOrders);
  profitLossOrders.Clear();
  AppendDataLines(profitLossOrders, answer, ProfitLossOrderRowFromLine);
}

}  // namespace engine
