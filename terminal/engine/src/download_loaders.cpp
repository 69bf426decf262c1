// The loaders of the download answers: each answer line becomes one row of
// an engine table.
#include <algorithm>
#include <cstring>
#include <mutex>
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
  FillInOrder(line, 4, row.szExchangeCode, row.szExchangeName, row.szExchangeAbbr, row.szSeatCode, row.szSeatField8);
  const std::string_view flags = line.Field(kSeatFlagsField);
  SetText(row.szCloseTodayFlag, SeatFlag(flags, 1));
  SetText(row.szMarketOrderFlag, SeatFlag(flags, 2));
  SetText(row.szSeatFlag3, SeatFlag(flags, 3));
  SetText(row.szExerciseInstruction, ExerciseInstructionFor(line.Field(6)));
  return row;
}

ContractRow ContractRowFromLine(const LineFields& line) {
  ContractRow row{};
  FillInOrder(line, 4, row.szExchangeCode, row.szExchangeName, row.szContractCode, row.szContractName,
              row.szVolumePerHand);
  FillInOrder(line, 11, row.szAccountDay, row.szContractField12, row.szContractField13, row.szVarietyCode,
              row.szVarietyName, row.szMinPriceStep);
  FillInOrder(line, 22, row.szTradeClass, row.szOptionType, row.szStrikePrice);
  if (line.Field(22).empty()) SetText(row.szTradeClass, kFuturesTradeClass);
  return row;
}

OrderTypeRow OrderTypeRowFromLine(const LineFields& line) {
  OrderTypeRow row{};
  SetText(row.szExchangeCode, line.Trimmed(4));
  SetText(row.szOrderFormType, line.Trimmed(5));
  SetText(row.szOrderTypeField6, line.Trimmed(6));
  SetText(row.szOrderTypeField7, line.Trimmed(7));
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
  FillInOrder(line, 5, row.szFundField5, row.szDepositYesterday, row.szBFreeze, row.szSFreeze, row.szBCautionMoney,
              row.szSCautionMoney, row.szFundField11, row.szFundField12, row.szUsableMoney, row.szDynamicRights,
              row.szDynamicRiskLevel, row.szSecurity, row.szCommissionCharge, row.szProfitAndLoss,
              row.szOffsetProfitAndLoss, row.szFundField20, row.szFundField21, row.szIOMoneyToday,
              row.szFreezeCommissionCharge, row.szTotalFreeze, row.szTotalCautionMoney, row.szFundField26,
              row.szFundField27, row.szCreditMoney, row.szFundField29, row.szDynamicRiskLevel2, row.szRoyaltyOut,
              row.szRoyaltyIn, row.szFrozenRoyalty, row.szOptionMarketValue, row.szFLOATINGMARGIN);
  return row;
}

TradeRow TradeRowFromLine(std::string_view account, const LineFields& line) {
  TradeRow row{};
  SetText(row.szTradeAccount, account);
  FillInOrder(line, 4, row.szExchangeCode, row.szTradeField5, row.szOrderNo, row.szContractCode, row.szTradeField8,
              row.szNameBS, row.szTradeField10, row.szNameEO, row.szTradeField12, row.szNameSH, row.szTradeField14,
              row.szDealHands, row.szDealPrice, row.szTradeField17, row.szMapCode, row.szSysNo, row.szDealNo,
              row.szTradeField21, row.szDealTime, row.szSeatCode, row.szTradeField24);
  return row;
}

PositionDetailRow PositionDetailRowFromLine(const LineFields& line) {
  PositionDetailRow row{};
  SetText(row.szTradeAccount, line.Field(8));
  FillInOrder(line, 4, row.szPosField4, row.szOpenDate, row.szPosField6, row.szSeatCode);
  FillInOrder(line, 9, row.szPosField9, row.szExchangeCode, row.szPosField11, row.szMapCode, row.szPosField13,
              row.szPosField14, row.szFlagBS, row.szFlagSH, row.szPositionVolume, row.szPositionPrice, row.szOpenPrice,
              row.szEngrossCautionMoney, row.szPosField21, row.szPosField22, row.szPosKind, row.szPosField24,
              row.szContractCode);
  return row;
}

CombinationDetailRow CombinationDetailRowFromLine(const LineFields& line) {
  CombinationDetailRow row{};
  SetText(row.szTradeAccount, line.Field(7));
  FillInOrder(line, 4, row.szCombField4, row.szExchangeCode, row.szCombField6);
  FillInOrder(line, 8, row.szCombField8, row.szCombField9, row.szCombField10, row.szCombField11, row.szCombField12,
              row.szCombField13, row.szCombField14, row.szCombField15, row.szCombField16, row.szCombField17,
              row.szCombField18, row.szCombField19, row.szCombField20, row.szCombField21, row.szCombField22,
              row.szCombField23, row.szCombField24, row.szCombField25, row.szCombField26, row.szCombField27,
              row.szCombField28, row.szCombField29, row.szCombField30, row.szCombField31, row.szCombField32,
              row.szCombField33, row.szCombField34, row.szCombField35, row.szCombField36, row.szCombField37,
              row.szCombField38);
  return row;
}

// Appends a row of every data line.
template <typename Build>
void AppendDataLines(backend::CxDataSet& table, const CxDataSetView& answer, Build build) {
  ForEachDataLine(answer, [&](const LineFields& line) { AppendRow(table, build(line)); });
}

// Puts the trades in ascending order of their deal numbers' values, in
// place; rows of equal deal numbers keep their order.
void SortTradesByDealNo(backend::CxDataSet& trades) {
  std::vector<TradeRow> rows;
  for (std::uint32_t index = 0; index < trades.GetCount(); ++index) {
    const std::optional<TradeRow> row = RowFromBytes<TradeRow>(trades.GetValue(index));
    if (!row) return;  // not a trade table: leave it as it is
    rows.push_back(*row);
  }
  std::stable_sort(rows.begin(), rows.end(), [](const TradeRow& a, const TradeRow& b) {
    return ReadNumber(a.szDealNo) < ReadNumber(b.szDealNo);
  });
  for (std::uint32_t index = 0; index < rows.size(); ++index) {
    std::memcpy(trades.GetDataPtr(index), RowBytes(rows[index]).data(), sizeof(TradeRow));
  }
}

}  // namespace

void COperationEngineBase::LoadExchangeSeats(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  backend::CxDataSet& seats = TableAt(Table::kExchangeSeats);
  seats.FreeBlock();
  AppendDataLines(seats, answer, ExchangeSeatRowFromLine);
}

void COperationEngineBase::LoadCloseStrategies(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  backend::CxDataSet& strategies = TableAt(Table::kCloseStrategies);
  strategies.FreeBlock();
  AppendDataLines(strategies, answer, [](const LineFields& line) {
    CloseStrategyRow row{};
    SetText(row.szExchangeCode, line.Field(4));
    SetText(row.szCloseStrategy, line.Field(6));
    return row;
  });
}

void COperationEngineBase::LoadOrderTypes(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  backend::CxDataSet& orderTypes = TableAt(Table::kOrderTypes);
  orderTypes.FreeBlock();
  AppendDataLines(orderTypes, answer, OrderTypeRowFromLine);
}

void COperationEngineBase::LoadContracts(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  backend::CxDataSet& contracts = TableAt(Table::kContracts);
  contracts.FreeBlock();
  AppendDataLines(contracts, answer, ContractRowFromLine);
}

void COperationEngineBase::LoadTradeCodes(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  AppendDataLines(TableAt(Table::kTradeCodes), answer, TradeCodeRowFromLine);
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
  backend::CxDataSet& orders = TableAt(Table::kOrders);
  ForEachDataLine(answer, [&](const LineFields& line) {
    if (!download_rows::IsSpecialOrderLine(line))
      AppendRow(orders, download_rows::OrderRowFromLine(account, line, *this));
  });
}

void COperationEngineBase::LoadSpecialOrders(std::string_view account, const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  backend::CxDataSet& specialOrders = TableAt(Table::kSpecialOrders);
  ForEachDataLine(answer, [&](const LineFields& line) {
    if (download_rows::IsSpecialOrderLine(line)) {
      AppendRow(specialOrders, download_rows::SpecialOrderRowFromLine(account, line));
    }
  });
}

void COperationEngineBase::LoadTrades(std::string_view account, const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  backend::CxDataSet& trades = TableAt(Table::kTrades);
  AppendDataLines(trades, answer, [&](const LineFields& line) {
    TradeRow row = TradeRowFromLine(account, line);
    ContractRow contract{};
    if (FindContract(Text(row.szExchangeCode), Text(row.szContractCode), contract)) {
      SetText(row.szTradeClass, Text(contract.szTradeClass));
    }
    return row;
  });
  SortTradesByDealNo(trades);
  // The sort wrote the rows over each other in place.
  ForgetRowIndexes();
}

void COperationEngineBase::LoadPositionDetails(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  backend::CxDataSet& details = TableAt(Table::kPositionDetails);
  AppendDataLines(details, answer, PositionDetailRowFromLine);
  // A copy that cannot be made stays empty.
  TableAt(Table::kDownloadedPositionDetails) = backend::CxDataSet::CloneBlock(details.View());
}

void COperationEngineBase::LoadCombinationDetails(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  backend::CxDataSet& details = TableAt(Table::kCombinationDetails);
  AppendDataLines(details, answer, CombinationDetailRowFromLine);
  TableAt(Table::kDownloadedCombinationDetails) = backend::CxDataSet::CloneBlock(details.View());
}

void COperationEngineBase::ClearPerAccountDownloadTables() {
  std::lock_guard guard(lock_);
  for (const Table table : {Table::kTradeCodes, Table::kPositionDetails, Table::kDownloadedPositionDetails,
                            Table::kCombinationDetails, Table::kDownloadedCombinationDetails}) {
    TableAt(table).FreeBlock();
  }
  ForgetRowIndexes();
}

void COperationEngineBase::LoadConditionOrders(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  backend::CxDataSet& conditionOrders = TableAt(Table::kConditionOrders);
  conditionOrders.FreeBlock();
  AppendDataLines(conditionOrders, answer, ConditionOrderRowFromLine);
}

void COperationEngineBase::LoadProfitLossOrders(const CxDataSetView& answer) {
  std::lock_guard guard(lock_);
  backend::CxDataSet& profitLossOrders = TableAt(Table::kProfitLossOrders);
  profitLossOrders.FreeBlock();
  AppendDataLines(profitLossOrders, answer, ProfitLossOrderRowFromLine);
}

}  // namespace engine
