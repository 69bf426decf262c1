// The recalculation after a download: the day's trades replayed over the
// positions before the open, then the summary, the exercisable quantities,
// the contracts to price, the prices and the fund rows rebuilt from them.
// The back end's own figures for fees, profit, frozen amounts and margins
// are not used.
//
// It runs while the engine downloads, when no answer or push changes the
// tables. Each step holds the engine lock; the lock is let go between them,
// around the calls that may ask the quote table.
#include <algorithm>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/combination_contract_row.h"
#include "engine/operation_engine_base.h"
#include "fund_balances.h"
#include "position_rows.h"
#include "typed_rows.h"

namespace engine {
namespace {

using typed_rows::AllRows;

constexpr std::string_view kCffex = "cffex";

PositionKey ClosedPositionOf(const TradeRow& trade) {
  return {.account = std::string(Text(trade.szTradeAccount)),
          .exchangeCode = std::string(Text(trade.szExchangeCode)),
          .seatCode = std::string(Text(trade.szSeatCode)),
          .tradeCode = std::string(Text(trade.szMapCode)),
          .contractCode = std::string(Text(trade.szContractCode)),
          .hedge = std::string(Text(trade.szNameSH)),
          .buySell = std::string(position_rows::Opposite(Text(trade.szNameBS)))};
}

// The profit of a futures close: the held cost of the lots it closed against
// its own price, by the contract's multiplier.
double ClosingProfit(const TradeRow& trade, const PositionSummaryRow& before, const PositionSummaryRow& after,
                     int multiplier) {
  const int closedLots = ReadInt(before.szPositionVolume) - ReadInt(after.szPositionVolume);
  const double heldCost = ReadMoney(before.szPositionCost) - ReadMoney(after.szPositionCost);
  const double tradedCost = ReadNumber(trade.szDealPrice) * closedLots;
  const double profit = Text(trade.szNameBS) == position_rows::kBuy ? heldCost - tradedCost : tradedCost - heldCost;
  return RoundMoney(profit * multiplier);
}

// "持仓<i>:" and the row's contract, direction, hedge, lots, today's lots,
// holding and open price and margin, each followed by "|".
std::string SummaryLogLine(std::size_t index, const PositionSummaryRow& row) {
  std::string line = "持仓" + std::to_string(index) + ":";
  for (const std::string_view text :
       {Text(row.szContractCode), Text(row.szFlagBS), Text(row.szFlagSH), Text(row.szPositionVolume),
        Text(row.szTodayVolume), Text(row.szPositionPrice), Text(row.szOpenPrice), Text(row.szEngrossCautionMoney)}) {
    line.append(text).append("|");
  }
  return line;
}

// Each exchange and contract of the summary once, in order of first
// appearance, without a price yet.
void ListContractsToPrice(const std::vector<PositionSummaryRow>& summary, EngineTable& prices) {
  prices.Clear();
  std::vector<PriceContractRow> listed;
  for (const PositionSummaryRow& position : summary) {
    const bool known = std::ranges::any_of(listed, [&](const PriceContractRow& row) {
      return Text(row.szExchangeCode) == Text(position.szExchangeCode) &&
             Text(row.szContractCode) == Text(position.szContractCode);
    });
    if (known) continue;
    PriceContractRow& row = listed.emplace_back();
    SetText(row.szExchangeCode, Text(position.szExchangeCode));
    SetText(row.szContractCode, Text(position.szContractCode));
    typed_rows::AppendRow(prices, row);
  }
}

// "1" for the exchanges that have combination contracts, else "0".
void MarkCombinationExchanges(EngineTable& seats, const EngineTable& combinationContracts) {
  const std::vector<CombinationContractRow> combinations = AllRows<CombinationContractRow>(combinationContracts);
  for (std::uint32_t index = 0; index < seats.GetCount(); ++index) {
    std::optional<ExchangeSeatRow> seat = typed_rows::RowAt<ExchangeSeatRow>(seats, index);
    if (!seat) continue;
    const bool combines = std::ranges::any_of(combinations, [&](const CombinationContractRow& combination) {
      return Text(combination.szExchangeCode) == Text(seat->szExchangeCode);
    });
    SetText(seat->szCombinationFlag, combines ? "1" : "0");
    typed_rows::StoreRow(seats, index, *seat);
  }
}

}  // namespace

void COperationEngineBase::Recalculate() {
  WriteLog("根据开盘前持仓明细和开盘前组合持仓明细，与成交明细计算出当前持仓明细和组合持仓明细。", 3);
  const std::vector<AccountTotals> totals = ReplayTrades();

  WriteLog("根据持仓明细，计算持仓汇总。合约|买卖|投保|持仓手数|今仓手数|持仓均价|开仓均价|占用保证金|", 3);
  EngineTable built;
  BuildPositionSummary(built, PositionKinds::kAll);
  std::vector<PositionSummaryRow> summary;
  {
    std::lock_guard guard(lock_);
    TableAt(Table::kPositionSummary) = std::move(built);
    summary = AllRows<PositionSummaryRow>(TableAt(Table::kPositionSummary));
  }
  for (std::size_t index = 0; index < summary.size(); ++index)
    WriteLog(SummaryLogLine(index, summary[index]).c_str(), 3);

  // Long option positions, except on the exchange that takes no applications
  // this way.
  for (const PositionSummaryRow& position : summary) {
    if (Text(position.szTradeClass) != "1" || Text(position.szFlagBS) != position_rows::kBuy) continue;
    std::string abbreviation;
    if (FindExchangeAbbreviation(Text(position.szExchangeCode), abbreviation) && abbreviation == kCffex) continue;
    UpsertExercisableQuantity(&position);
  }

  WriteLog("根据持仓汇总确定查询行情最新价的合约。", 3);
  {
    std::lock_guard guard(lock_);
    ListContractsToPrice(summary, TableAt(Table::kPriceContracts));
  }
  RefreshPrices();
  RecomputeFundRows(totals);
  std::lock_guard guard(lock_);
  MarkCombinationExchanges(TableAt(Table::kExchangeSeats), TableAt(Table::kCombinationContracts));
}

std::vector<AccountTotals> COperationEngineBase::ReplayTrades() {
  std::vector<AccountTotals> totals;
  std::uint32_t tradeCount = 0;
  {
    std::lock_guard guard(lock_);
    for (const FundRow& fund : AllRows<FundRow>(TableAt(Table::kFunds))) {
      totals.push_back({.account = std::string(Text(fund.szTradeAccount))});
    }
    tradeCount = TableAt(Table::kTrades).GetCount();
  }
  for (std::uint32_t index = 0; index < tradeCount; ++index) {
    std::optional<TradeRow> trade;
    {
      std::lock_guard guard(lock_);
      trade = typed_rows::RowAt<TradeRow>(TableAt(Table::kTrades), index);
    }
    if (!trade) continue;
    ContractRow contract{};  // an unknown contract closes as futures with multiplier 0
    FindContract(Text(trade->szExchangeCode), Text(trade->szContractCode), contract);
    const bool futuresClose = Text(trade->szNameEO) != position_rows::kOpen && !position_rows::IsOption(contract);

    const PositionKey closed = ClosedPositionOf(*trade);
    const std::optional<PositionSummaryRow> before =
        futuresClose ? std::optional(ApplyTradeToPositions(closed)) : std::nullopt;
    const double fee = CalcTradeFee(*trade);
    const double closingProfit =
        before ? ClosingProfit(*trade, *before, ApplyTradeToPositions(closed), ReadInt(contract.szVolumePerHand)) : 0.0;
    {
      std::lock_guard guard(lock_);
      typed_rows::StoreRow(TableAt(Table::kTrades), index, *trade);
    }
    // A trade of an account without a fund row still changes the positions.
    const auto account = std::ranges::find(totals, Text(trade->szTradeAccount), &AccountTotals::account);
    if (account == totals.end()) continue;
    account->fees += fee;
    account->closingProfit += closingProfit;
    (Text(trade->szNameBS) == position_rows::kBuy ? account->premiumPaid : account->premiumReceived) +=
        ReadMoney(trade->szRoyalty);
  }
  return totals;
}

void COperationEngineBase::RecomputeFundRows(const std::vector<AccountTotals>& totals) {
  std::lock_guard guard(lock_);
  EngineTable& funds = TableAt(Table::kFunds);
  for (std::uint32_t index = 0; index < funds.GetCount(); ++index) {
    std::optional<FundRow> fund = typed_rows::RowAt<FundRow>(funds, index);
    if (!fund) continue;
    const std::string_view account = Text(fund->szTradeAccount);
    const auto found = std::ranges::find(totals, account, &AccountTotals::account);
    const AccountTotals day = found == totals.end() ? AccountTotals{} : *found;
    const FrozenSums frozen = SumAccountFrozen(account);
    const MarginSums margins = SumSummaryMargins(account);
    const OptionValueSums positions = SumOptionValues(account);
    const double totalFrozen = frozen.sell + frozen.buy + frozen.fee + frozen.premium;
    const double totalMargin = margins.sell + margins.buy;
    // The premiums of the trades replayed: the back end's figures may date
    // from before a fill that the trades downloaded after them hold.
    SetMoney(fund->szRoyaltyOut, day.premiumPaid);
    SetMoney(fund->szRoyaltyIn, day.premiumReceived);
    const fund_balances::Balances balances = fund_balances::ComputeBalances(
        *fund,
        {.closingProfit = day.closingProfit, .fees = day.fees, .totalFrozen = totalFrozen, .totalMargin = totalMargin},
        positions, FloatingProfitCounts());
    SetMoney(fund->szBFreeze, frozen.buy);
    SetMoney(fund->szSFreeze, frozen.sell);
    SetMoney(fund->szBCautionMoney, margins.buy);
    SetMoney(fund->szSCautionMoney, margins.sell);
    SetMoney(fund->szUsableMoney, balances.usable);
    SetMoney(fund->szDynamicRights, balances.equity);
    SetMoney(fund->szCommissionCharge, day.fees);
    SetMoney(fund->szProfitAndLoss, positions.floatingProfit);
    SetMoney(fund->szOffsetProfitAndLoss, day.closingProfit);
    SetMoney(fund->szFreezeCommissionCharge, frozen.fee);
    SetMoney(fund->szTotalFreeze, totalFrozen);
    SetMoney(fund->szTotalCautionMoney, totalMargin);
    SetMoney(fund->szFrozenRoyalty, frozen.premium);
    SetMoney(fund->szOptionMarketValue, positions.marketValue);
    SetMoney(fund->szFLOATINGMARGIN, positions.inTheMoney);
    typed_rows::StoreRow(funds, index, *fund);
  }
}

}  // namespace engine
