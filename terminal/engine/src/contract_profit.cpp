// The floating profit and option values of the position-summary rows of one
// contract after its price changed.
#include <algorithm>
#include <mutex>
#include <optional>
#include <string>

#include "engine/operation_engine_base.h"
#include "summary_profit.h"
#include "typed_rows.h"

namespace engine {
namespace {

using typed_rows::RowAt;

// What a field holds when its value does not apply or is not known.
constexpr std::string_view kNoValue = "-";

bool HoldsContract(const PositionSummaryRow& row, std::string_view exchangeCode, std::string_view contractCode) {
  return Text(row.szExchangeCode) == exchangeCode && Text(row.szContractCode) == contractCode;
}

bool HasRowOf(const EngineTable& summary, std::string_view exchangeCode, std::string_view contractCode) {
  return typed_rows::FindRow<PositionSummaryRow>(
             summary, [&](const PositionSummaryRow& row) { return HoldsContract(row, exchangeCode, contractCode); })
      .has_value();
}

bool IsBought(const PositionSummaryRow& row) { return Text(row.szFlagBS) == "0"; }
bool IsOption(const PositionSummaryRow& row) { return Text(row.szTradeClass) == "1"; }

}  // namespace

void RefreshSummaryProfit(PositionSummaryRow& row, int multiplier, double price, RoundingRule rule) {
  const double lotsTimesMultiplier = static_cast<double>(ReadInt(row.szPositionVolume)) * multiplier;
  const double value = lotsTimesMultiplier * Round(price, rule);
  if (IsOption(row)) {
    SetText(row.szProfitAndLoss_KC, kNoValue);
    SetText(row.szProfitAndLoss_CC, kNoValue);
    if (IsBought(row)) {
      SetMoney(row.szOptionMarketValue, value);
      SetMoney(row.szFLOATINGMARGIN, 0.0);
    } else {
      // A sold option's market value is shown negative; what it lies in the
      // money above its holding price is its floating margin.
      SetText(row.szOptionMarketValue, std::string(kNoValue).append(MoneyText(value)));
      const double inTheMoney = std::max(Round(price, rule) - ReadNumber(row.szPositionPrice), 0.0);
      SetMoney(row.szFLOATINGMARGIN, lotsTimesMultiplier * inTheMoney);
    }
    return;
  }
  const double openCost = multiplier * Round(ReadNumber(row.szOpenCost), rule);
  const double positionCost = multiplier * Round(ReadNumber(row.szPositionCost), rule);
  const double side = IsBought(row) ? 1.0 : -1.0;
  SetMoney(row.szProfitAndLoss_KC, side * (value - openCost));
  SetMoney(row.szProfitAndLoss_CC, side * (value - positionCost));
  SetText(row.szOptionMarketValue, kNoValue);
  SetText(row.szFLOATINGMARGIN, kNoValue);
}

void MarkSummaryUnpriced(PositionSummaryRow& row) {
  SetText(row.szProfitAndLoss_KC, kNoValue);
  SetText(row.szProfitAndLoss_CC, kNoValue);
  SetText(row.szOptionMarketValue, kNoValue);
  SetText(row.szFLOATINGMARGIN, kNoValue);
}

void COperationEngineBase::UpdateContractProfit(const PriceContractRow& price, EngineTable& summary) {
  const std::string_view exchangeCode = Text(price.szExchangeCode);
  const std::string_view contractCode = Text(price.szContractCode);
  const double listed = ReadNumber(price.szNewPrice);  // an empty text reads 0
  const bool hasListedPrice = listed != 0.0;
  std::optional<double> quoted;
  if (!hasListedPrice) {
    bool held = false;
    {
      std::lock_guard guard(lock_);
      held = HasRowOf(summary, exchangeCode, contractCode);
    }
    if (!held) return;
    // Asked without the lock: the quote may come from the back end.
    if (double quote = 0.0; QuoteLastPrice(exchangeCode, contractCode, quote)) quoted = quote;
  }
  ContractRow contract{};
  FindContract(exchangeCode, contractCode, contract);
  const int multiplier = ReadInt(contract.szVolumePerHand);

  std::lock_guard guard(lock_);
  for (std::uint32_t index = 0; index < summary.GetCount(); ++index) {
    std::optional<PositionSummaryRow> row = RowAt<PositionSummaryRow>(summary, index);
    if (!row || !HoldsContract(*row, exchangeCode, contractCode)) continue;
    if (hasListedPrice) {
      SetText(row->szNewPrice, Text(price.szNewPrice));
      RefreshSummaryProfit(*row, multiplier, listed, kPriceRounding);
    } else {
      SetText(row->szNewPrice, kNoValue);
      if (quoted) {
        // A bought futures position takes a quoted price to the cent.
        const bool boughtFutures = IsBought(*row) && !IsOption(*row);
        RefreshSummaryProfit(*row, multiplier, *quoted, boughtFutures ? kMoneyRounding : kPriceRounding);
      } else {
        MarkSummaryUnpriced(*row);
      }
    }
    typed_rows::StoreRow(summary, index, *row);
  }
}

}  // namespace engine
