// The fills of pushed trades: an opening fill adds a position, a closing
// fill shrinks one, and a broken-up combination moves margin; each is booked
// into the account's fund row and told to the GUI at once.
#include <algorithm>
#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "engine/operation_engine_base.h"
#include "fund_balances.h"
#include "keyed_rows.h"
#include "lots.h"
#include "position_book.h"
#include "position_rows.h"
#include "summary_profit.h"
#include "typed_rows.h"

namespace engine {
namespace {

using fund_balances::AddMoney;
using position_rows::kBuy;
using typed_rows::RowAt;

constexpr std::string_view kNoValue = "-";

std::optional<std::uint32_t> FindSummaryRow(KeyedRows& rows, const EngineTable& summary, const PositionKey& key) {
  const std::string_view texts[] = {key.contractCode, key.buySell,   key.account, key.exchangeCode,
                                    key.seatCode,     key.tradeCode, key.hedge};
  return rows.Find(summary, texts);
}

std::optional<std::uint32_t> FindFundRow(const EngineTable& funds, std::string_view account) {
  return typed_rows::FindIndex<FundRow>(funds, [&](const FundRow& row) { return Text(row.szTradeAccount) == account; });
}

TableChangeRecord FundChange(const FundRow& fund) {
  return TableChangeRecord::RowChange(table_id::kFunds, TableChangeRecord::kUpdate, 1, 0, RowBytes(fund));
}

TableChangeRecord SummaryChange(char operation, int rowCount, std::uint32_t index, const PositionSummaryRow& row) {
  return TableChangeRecord::RowChange(table_id::kPositionSummary, operation, rowCount, static_cast<int>(index),
                                      RowBytes(row));
}

bool IsOption(const PositionSummaryRow& row) {
  const std::string_view kind = Text(row.szTradeClass);
  return !kind.empty() && kind != "0";
}

PositionKey KeyOfFill(const auto& fill, std::string_view buySell) {
  return {.account = std::string(fill.account),
          .exchangeCode = std::string(fill.exchangeCode),
          .seatCode = std::string(fill.seatCode),
          .tradeCode = std::string(fill.tradeCode),
          .contractCode = std::string(fill.contractCode),
          .hedge = std::string(fill.hedge),
          .buySell = std::string(buySell)};
}

PositionSummaryRow NewSummaryRow(const OpeningFill& fill, const ContractRow& contract, double price) {
  PositionSummaryRow row{};
  SetText(row.szTradeAccount, fill.account);
  SetText(row.szExchangeCode, fill.exchangeCode);
  SetText(row.szContractCode, fill.contractCode);
  SetText(row.szFlagSH, fill.hedge);
  SetInt(row.szPositionVolume, fill.lots);
  SetInt(row.szTodayVolume, fill.lots);
  SetText(row.szPositionPrice, fill.price);
  SetText(row.szOpenPrice, fill.price);
  SetText(row.szMapCode, fill.tradeCode);
  SetText(row.szVarietyCode, Text(contract.szVarietyCode));
  SetText(row.szFlagBS, fill.buySell);
  SetText(row.szAccountDay, Text(contract.szAccountDay));
  SetText(row.szSeatCode, fill.seatCode);
  SetMoney(row.szEngrossCautionMoney, fill.margin);
  SetText(row.szTradeClass, Text(contract.szTradeClass));
  SetMoney(row.szPositionCost, price * fill.lots);
  SetMoney(row.szOpenCost, price * fill.lots);
  return row;
}

// An opening fill's margin, fee and premium booked, and what it used of its
// order's frozen amounts released. The frozen premium was taken from the
// available funds when the order was placed, so it goes back before the
// premium itself is paid: the premium is charged once.
void BookOpening(FundRow& fund, const OpeningFill& fill) {
  double available = ReadMoney(fund.szUsableMoney);
  double equity = ReadMoney(fund.szDynamicRights);
  if (fill.buySell == kBuy) {
    AddMoney(fund.szBFreeze, -fill.releasedFrozenMargin);
    AddMoney(fund.szBCautionMoney, fill.margin);
    AddMoney(fund.szRoyaltyOut, fill.premium);
    available -= fill.premium;
    equity -= fill.premium;
  } else {
    AddMoney(fund.szSFreeze, -fill.releasedFrozenMargin);
    AddMoney(fund.szSCautionMoney, fill.margin);
    AddMoney(fund.szRoyaltyIn, fill.premium);
    available += fill.premium;
    equity += fill.premium;
  }
  const double released = fill.releasedFrozenMargin + fill.releasedFrozenFee + fill.releasedFrozenPremium;
  SetMoney(fund.szUsableMoney, available + released - fill.margin - fill.fee);
  SetMoney(fund.szDynamicRights, equity - fill.fee);
  AddMoney(fund.szCommissionCharge, fill.fee);
  AddMoney(fund.szFreezeCommissionCharge, -fill.releasedFrozenFee);
  AddMoney(fund.szFrozenRoyalty, -fill.releasedFrozenPremium);
  AddMoney(fund.szTotalFreeze, -released);
  AddMoney(fund.szTotalCautionMoney, fill.margin);
}

// What a closing fill did to the position it closed.
struct ClosedPosition {
  double releasedMargin = 0.0;
  double closingProfit = 0.0;
  double premium = 0.0;      // of an option's closed lots
  double oldFloating = 0.0;  // the position's floating profit before
  double newFloating = 0.0;  // and after; 0 once the position is gone
  bool option = false;
};

void BookClosing(FundRow& fund, const ClosingFill& fill, const ClosedPosition& closed, bool floatingProfitCounts) {
  double available = ReadMoney(fund.szUsableMoney);
  double equity = ReadMoney(fund.szDynamicRights);
  if (fill.buySell == kBuy) {  // a buy closes sell positions
    AddMoney(fund.szSCautionMoney, -closed.releasedMargin);
    AddMoney(fund.szRoyaltyOut, closed.premium);
    available -= closed.premium;
    equity -= closed.premium;
  } else {
    AddMoney(fund.szBCautionMoney, -closed.releasedMargin);
    AddMoney(fund.szRoyaltyIn, closed.premium);
    available += closed.premium;
    equity += closed.premium;
  }
  const double floatingChange = closed.newFloating - closed.oldFloating;
  const double accountFloatingBefore = ReadMoney(fund.szProfitAndLoss);
  const double accountFloatingAfter = accountFloatingBefore + floatingChange;
  AddMoney(fund.szTotalCautionMoney, -closed.releasedMargin);
  AddMoney(fund.szCommissionCharge, fill.fee);
  AddMoney(fund.szFreezeCommissionCharge, -fill.releasedFrozenFee);
  AddMoney(fund.szFrozenRoyalty, -fill.releasedFrozenPremium);
  AddMoney(fund.szTotalFreeze, -(fill.releasedFrozenFee + fill.releasedFrozenPremium));
  SetMoney(fund.szDynamicRights, equity + closed.closingProfit - fill.fee + floatingChange);
  AddMoney(fund.szOffsetProfitAndLoss, closed.closingProfit);
  SetMoney(fund.szProfitAndLoss, accountFloatingAfter);
  double usable = available + fill.releasedFrozenFee + fill.releasedFrozenPremium + closed.closingProfit +
                  closed.releasedMargin - fill.fee;
  if (floatingProfitCounts) {
    usable += floatingChange;
  } else {
    // Only a floating loss is in the available funds.
    usable += std::min(accountFloatingAfter, 0.0) - std::min(accountFloatingBefore, 0.0);
  }
  SetMoney(fund.szUsableMoney, usable);
}

// The remaining lots of a position at the contract's last price.
void PriceRemainder(PositionSummaryRow& row, int multiplier, double lastPrice) {
  if (IsNoPrice(lastPrice)) {
    SetText(row.szNewPrice, kNoValue);
    MarkSummaryUnpriced(row);
    return;
  }
  SetMoney(row.szNewPrice, lastPrice);
  RefreshSummaryProfit(row, multiplier, lastPrice, kPriceRounding);
}

}  // namespace

void COperationEngineBase::AddTradePosition(const OpeningFill& fill) {
  ContractRow found{};
  if (fill.contract == nullptr) FindContract(fill.exchangeCode, fill.contractCode, found);
  const ContractRow& contract = fill.contract == nullptr ? found : *fill.contract;
  const std::string tradingDate = TradingDate();
  const double price = row_field_detail::ReadNumber(fill.price);

  std::lock_guard guard(lock_);
  typed_rows::AppendRow(TableAt(Table::kPositionDetails),
                        position_rows::NewDetail({.account = fill.account,
                                                  .tradingDate = tradingDate,
                                                  .dealNo = fill.dealNo,
                                                  .seatCode = fill.seatCode,
                                                  .exchangeCode = fill.exchangeCode,
                                                  .tradeCode = fill.tradeCode,
                                                  .variety = Text(contract.szVarietyCode),
                                                  .deliveryPeriod = Text(contract.szAccountDay),
                                                  .buySell = fill.buySell,
                                                  .hedge = fill.hedge,
                                                  .lots = fill.lots,
                                                  .price = fill.price,
                                                  .margin = fill.margin,
                                                  .multiplier = fill.multiplier,
                                                  .combinationKind = fill.combinationKind,
                                                  .contractCode = fill.contractCode}));

  EngineTable& summary = TableAt(Table::kPositionSummary);
  const PositionKey key = KeyOfFill(fill, fill.buySell);
  if (const std::optional<std::uint32_t> index = FindSummaryRow(*summaryRows_, summary, key)) {
    // The book's sums hold the new detail to the cent, as a re-sum of the
    // details would.
    PositionSummaryRow row = *RowAt<PositionSummaryRow>(summary, *index);
    WriteSummarySums(row, FollowedPositions().SumsOf(key));
    typed_rows::StoreRow(summary, *index, row);
    RaiseChange(SummaryChange(TableChangeRecord::kUpdate, static_cast<int>(summary.GetCount()), *index, row), true);
  } else if (const PositionSummaryRow row = NewSummaryRow(fill, contract, price); typed_rows::AppendRow(summary, row)) {
    const int count = static_cast<int>(summary.GetCount());
    RaiseChange(SummaryChange(TableChangeRecord::kInsert, count, static_cast<std::uint32_t>(count - 1), row), true);
  }

  EngineTable& funds = TableAt(Table::kFunds);
  if (const std::optional<std::uint32_t> index = FindFundRow(funds, fill.account)) {
    FundRow fund = *RowAt<FundRow>(funds, *index);
    BookOpening(fund, fill);
    typed_rows::StoreRow(funds, *index, fund);
    RaiseChange(FundChange(fund), true);
  }

  EngineTable& prices = TableAt(Table::kPriceContracts);
  if (!typed_rows::FindContractRow<PriceContractRow>(prices, fill.exchangeCode, fill.contractCode)) {
    PriceContractRow row{};
    SetText(row.szExchangeCode, fill.exchangeCode);
    SetText(row.szContractCode, fill.contractCode);
    typed_rows::AppendRow(prices, row);
  }
}

void COperationEngineBase::UpdatePositionSummary(const ClosingFill& fill) {
  const PositionKey key = KeyOfFill(fill, position_rows::Opposite(fill.buySell));
  std::lock_guard guard(lock_);
  EngineTable& summary = TableAt(Table::kPositionSummary);
  const std::optional<std::uint32_t> index = FindSummaryRow(*summaryRows_, summary, key);
  if (!index) return;
  const PositionSummaryRow old = *RowAt<PositionSummaryRow>(summary, *index);
  // The row keeps its key and contract texts: only the sums and the profits
  // at the last price change.
  PositionBook::Sums remaining = FollowedPositions().SumsOf(key);
  if (remaining.lots == 0) remaining = {};  // no lots hold no costs either
  PositionSummaryRow fresh = old;
  WriteSummarySums(fresh, remaining);

  const int closedLots = ReadInt(old.szPositionVolume) - ReadInt(fresh.szPositionVolume);
  const double closedCost = ReadMoney(old.szPositionCost) - ReadMoney(fresh.szPositionCost);
  const double price = row_field_detail::ReadNumber(fill.price);
  const double multiplier = fill.multiplier;
  const double closedValue = price * multiplier * closedLots;
  ClosedPosition closed{
      .releasedMargin = RoundMoney(ReadMoney(old.szEngrossCautionMoney) - ReadMoney(fresh.szEngrossCautionMoney)),
      .oldFloating = Round(ReadNumber(old.szProfitAndLoss_CC), kPriceRounding),
      .option = IsOption(old)};
  if (closed.option) {
    closed.premium = RoundMoney(closedValue);
  } else {
    const double heldValue = multiplier * closedCost;
    closed.closingProfit = RoundMoney(fill.buySell == kBuy ? heldValue - closedValue : closedValue - heldValue);
  }

  if (ReadInt(fresh.szPositionVolume) > 0) {
    PriceRemainder(fresh, fill.multiplier, GetLastPrice(fill.exchangeCode, fill.contractCode));
    closed.newFloating = Round(ReadNumber(fresh.szProfitAndLoss_CC), kPriceRounding);
    typed_rows::StoreRow(summary, *index, fresh);
    RaiseChange(SummaryChange(TableChangeRecord::kUpdate, static_cast<int>(summary.GetCount()), *index, fresh), true);
  } else {
    // The GUI drops its row while the engine still holds it.
    RaiseChange(SummaryChange(TableChangeRecord::kDelete, static_cast<int>(summary.GetCount()) - 1, *index, old), true);
    summary.RemoveEntry(*index);
  }

  EngineTable& funds = TableAt(Table::kFunds);
  if (const std::optional<std::uint32_t> fundIndex = FindFundRow(funds, fill.account)) {
    FundRow fund = *RowAt<FundRow>(funds, *fundIndex);
    BookClosing(fund, fill, closed, FloatingProfitCounts());
    if (closed.option) {
      const OptionValueSums sums = SumOptionValues(fill.account);
      SetMoney(fund.szOptionMarketValue, sums.marketValue);
      SetMoney(fund.szFLOATINGMARGIN, sums.inTheMoney);
    }
    typed_rows::StoreRow(funds, *fundIndex, fund);
    RaiseChange(FundChange(fund), true);
  }

  // The contract's last price is followed while any position holds it.
  if (ReadInt(fresh.szPositionVolume) == 0 &&
      !typed_rows::FindContractRow<PositionSummaryRow>(summary, fill.exchangeCode, fill.contractCode)) {
    EngineTable& prices = TableAt(Table::kPriceContracts);
    while (const std::optional<std::uint32_t> priced =
               typed_rows::FindContractRow<PriceContractRow>(prices, fill.exchangeCode, fill.contractCode)) {
      prices.RemoveEntry(*priced);
    }
  }
}

void COperationEngineBase::RecomputeSummaryMargin(const PositionKey& position) {
  std::lock_guard guard(lock_);
  EngineTable& summary = TableAt(Table::kPositionSummary);
  const std::optional<std::uint32_t> index = FindSummaryRow(*summaryRows_, summary, position);
  if (!index) return;
  const PositionSummaryRow old = *RowAt<PositionSummaryRow>(summary, *index);
  PositionSummaryRow fresh = ApplyTradeToPositions(position);
  if (ReadInt(fresh.szPositionVolume) == 0) return;
  // Only the margin changed: the row keeps its price and profits.
  SetText(fresh.szNewPrice, Text(old.szNewPrice));
  SetText(fresh.szProfitAndLoss_KC, Text(old.szProfitAndLoss_KC));
  SetText(fresh.szProfitAndLoss_CC, Text(old.szProfitAndLoss_CC));
  SetText(fresh.szOptionMarketValue, Text(old.szOptionMarketValue));
  SetText(fresh.szFLOATINGMARGIN, Text(old.szFLOATINGMARGIN));
  const double freed = RoundMoney(ReadMoney(old.szEngrossCautionMoney) - ReadMoney(fresh.szEngrossCautionMoney));
  typed_rows::StoreRow(summary, *index, fresh);
  RaiseChange(SummaryChange(TableChangeRecord::kUpdate, static_cast<int>(summary.GetCount()), *index, fresh), true);

  EngineTable& funds = TableAt(Table::kFunds);
  if (const std::optional<std::uint32_t> fundIndex = FindFundRow(funds, position.account)) {
    FundRow fund = *RowAt<FundRow>(funds, *fundIndex);
    AddMoney(position.buySell == kBuy ? fund.szBCautionMoney : fund.szSCautionMoney, -freed);
    AddMoney(fund.szTotalCautionMoney, -freed);
    AddMoney(fund.szUsableMoney, freed);
    typed_rows::StoreRow(funds, *fundIndex, fund);
    RaiseChange(FundChange(fund), true);
  }
}

}  // namespace engine
