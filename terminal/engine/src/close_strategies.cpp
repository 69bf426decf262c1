// The close strategies: which open position details a closing trade takes
// its lots from, and how a close of one combination leg breaks the other
// legs of its combination up into single-contract positions.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "backend/field_text.h"
#include "engine/operation_engine.h"
#include "order_flags.h"
#include "position_book.h"
#include "position_rows.h"
#include "typed_rows.h"

namespace engine {
namespace {

using position_rows::kOrdinaryKind;
using typed_rows::RowAt;

using order_flags::kCloseToday;
// The third and fifth keys of a combination leg's order kind, which the
// combination position table looks up by the same keys.
constexpr std::string_view kLegKindKey3 = "0";
constexpr std::string_view kLegKindKey5 = "0";

// The volume ratio of a leg; a ratio that is no positive number, or a leg
// the kind does not define, counts one lot per combination.
int LegRatio(const std::optional<OrderKindRow>& kind, int legNumber) {
  if (!kind || legNumber < 1 || legNumber > ReadInt(kind->szLegCount) ||
      legNumber > static_cast<int>(std::size(kind->legs))) {
    return 1;
  }
  const int ratio = ReadInt(kind->legs[legNumber - 1].szVolumeRatio);
  return ratio > 0 ? ratio : 1;
}

// One lot opened at a detail's holding price, whose margin a freed leg
// takes.
struct OpeningLot {
  std::string account, exchangeCode, seatCode, contractCode, buySell, hedge;
  double price = 0.0;
  bool operator==(const OpeningLot&) const = default;

  LotCostQuery Query() const {
    return {.exchangeCode = exchangeCode,
            .seatCode = seatCode,
            .contractCode = contractCode,
            .buySell = buySell,
            .openClose = position_rows::kOpen,
            .hedge = hedge,
            .customer = account,
            .price = price};
  }
};

struct QuotedMargin {
  OpeningLot lot;
  double perLot;
};

// One detail of a released leg and what becomes of it.
struct BreakUp {
  std::uint32_t detailIndex;
  std::size_t leg;     // in the leg list
  int lots;            // freed from the detail
  bool split;          // the detail keeps its other lots as a leg
  OpeningLot opening;  // of the freed lots
};

// The details of each released leg, each freeing at most the lots the leg
// still has to free, in table order. A detail that keeps lots of the leg
// frees the others under the contract of its two contract parts.
std::vector<BreakUp> PlanBreakUps(const EngineTable& details, const LegList& legs, std::size_t first) {
  std::vector<BreakUp> plan;
  // What each detail still holds of its leg once the earlier steps are done.
  std::vector<int> held(details.GetCount(), -1);
  for (std::size_t leg = first; leg < legs.size(); ++leg) {
    int toFree = legs[leg].lots;
    for (std::uint32_t index = 0; index < details.GetCount() && toFree > 0; ++index) {
      const std::optional<PositionDetailRow> row = RowAt<PositionDetailRow>(details, index);
      if (!row || Text(row->szOpenDate) != legs[leg].openDate || Text(row->szDealNo) != legs[leg].dealNo ||
          Text(row->szPosKind) != legs[leg].combinationKind) {
        continue;
      }
      if (held[index] < 0) held[index] = ReadInt(row->szPositionVolume);
      if (held[index] <= 0) continue;
      const bool split = held[index] > toFree;
      const int lots = split ? toFree : held[index];
      toFree -= lots;
      held[index] = split ? held[index] - lots : 0;
      plan.push_back(
          {.detailIndex = index,
           .leg = leg,
           .lots = lots,
           .split = split,
           .opening = {.account = std::string(Text(row->szTradeAccount)),
                       .exchangeCode = std::string(Text(row->szExchangeCode)),
                       .seatCode = std::string(Text(row->szSeatCode)),
                       .contractCode = split ? std::string(Text(row->szVarietyCode)).append(Text(row->szAccountDay))
                                             : std::string(Text(row->szContractCode)),
                       .buySell = std::string(Text(row->szFlagBS)),
                       .hedge = std::string(Text(row->szFlagSH)),
                       .price = ReadMoney(row->szPositionPrice)}});
    }
  }
  return plan;
}

const QuotedMargin* QuoteFor(const std::vector<QuotedMargin>& quoted, const OpeningLot& lot) {
  const auto quote = std::ranges::find(quoted, lot, &QuotedMargin::lot);
  return quote == quoted.end() ? nullptr : &*quote;
}

// Frees the planned lots of the details at their quoted margins, and notes
// in each leg the summary row it changed. Freed lots that the table cannot
// take are lost, as any row whose append fails.
void CarryOut(const std::vector<BreakUp>& plan, const std::vector<QuotedMargin>& quoted, EngineTable& details,
              PositionBook& book, LegList& legs) {
  for (const BreakUp& breakUp : plan) {
    std::optional<PositionDetailRow> row = RowAt<PositionDetailRow>(details, breakUp.detailIndex);
    const PositionDetailRow before = *row;
    const double freedMargin = breakUp.lots * QuoteFor(quoted, breakUp.opening)->perLot;
    if (breakUp.split) {
      const int held = ReadInt(row->szPositionVolume);
      PositionDetailRow freed = *row;
      SetText(freed.szPosKind, kOrdinaryKind);
      SetText(freed.szContractCode, breakUp.opening.contractCode);
      SetInt(freed.szPositionVolume, breakUp.lots);
      SetMoney(freed.szEngrossCautionMoney, freedMargin);
      SetInt(row->szPositionVolume, held - breakUp.lots);
      SetMoney(row->szEngrossCautionMoney, ReadMoney(row->szEngrossCautionMoney) * (held - breakUp.lots) / held);
      typed_rows::AppendRow(details, freed);
      legs[breakUp.leg].position = position_rows::KeyOf(freed);
    } else {
      SetText(row->szPosKind, kOrdinaryKind);
      SetMoney(row->szEngrossCautionMoney, freedMargin);
      legs[breakUp.leg].position = position_rows::KeyOf(*row);
    }
    typed_rows::StoreRow(details, breakUp.detailIndex, *row);
    book.Changed(before, *row, *details.GetId(breakUp.detailIndex));
  }
}

}  // namespace

CloseStrategy COperationEngineBase::GetCloseStrategy(std::string_view exchangeCode) const {
  std::lock_guard guard(lock_);
  const std::optional<CloseStrategyRow> row = typed_rows::FindRow<CloseStrategyRow>(
      TableAt(Table::kCloseStrategies),
      [&](const CloseStrategyRow& strategy) { return Text(strategy.szExchangeCode) == exchangeCode; });
  if (!row) return CloseStrategy::kOldestFirst;
  const std::string_view text = Text(row->szCloseStrategy);
  if (text == "策略2") return CloseStrategy::kOrdinaryFirst;
  if (text == "策略3") return CloseStrategy::kNewestFirst;
  return CloseStrategy::kOldestFirst;
}

CloseStrategy COperationEngineBase::CloseStrategyOf(std::string_view exchangeCode, std::string_view openClose) const {
  return openClose == kCloseToday ? CloseStrategy::kNewestFirst : GetCloseStrategy(exchangeCode);
}

void COperationEngineBase::CloseByStrategy1(LegList& legs, const ClosingTrade& trade) {
  CloseByStrategy(CloseStrategy::kOldestFirst, legs, trade);
}
void COperationEngineBase::CloseByStrategy2(LegList& legs, const ClosingTrade& trade) {
  CloseByStrategy(CloseStrategy::kOrdinaryFirst, legs, trade);
}
void COperationEngineBase::CloseByStrategy3(LegList& legs, const ClosingTrade& trade) {
  CloseByStrategy(CloseStrategy::kNewestFirst, legs, trade);
}

void COperationEngineBase::CloseByStrategy(CloseStrategy strategy, LegList& legs, const ClosingTrade& trade) {
  int remaining = trade.lots;
  while (remaining > 0) {
    const std::size_t firstReleased = legs.size();
    {
      std::lock_guard guard(lock_);
      const std::optional<std::uint32_t> next = FollowedPositions().NextToClose(trade, strategy);
      const std::optional<std::uint32_t> row = next ? DetailRowOf(*next) : std::nullopt;
      if (!row) break;
      remaining = ConsumeDetail(legs, *row, remaining);
    }
    BreakUpReleasedLegs(legs, firstReleased);
  }
  if (remaining > 0) OnPositionsOutOfStep();
}

int COperationEngineBase::ConsumeDetail(LegList& legs, std::size_t detailIndex, int lots) {
  std::lock_guard guard(lock_);
  PositionBook& book = FollowedPositions();
  EngineTable& details = TableAt(Table::kPositionDetails);
  std::optional<PositionDetailRow> row = RowAt<PositionDetailRow>(details, detailIndex);
  if (!row) return lots;
  const std::uint32_t id = *details.GetId(detailIndex);
  const int held = ReadInt(row->szPositionVolume);
  const int taken = std::clamp(lots, 0, std::max(held, 0));
  if (taken >= held) {
    details.RemoveEntry(detailIndex);
    book.Removed(details, *row, id);
  } else {
    const PositionDetailRow before = *row;
    const double margin = ReadMoney(row->szEngrossCautionMoney);
    const double released = RoundMoney(margin * taken / held);
    SetInt(row->szPositionVolume, held - taken);
    SetMoney(row->szEngrossCautionMoney, margin - released);
    typed_rows::StoreRow(details, detailIndex, *row);
    book.Changed(before, *row, id);
  }
  if (taken > 0 && Text(row->szPosKind) != kOrdinaryKind) {
    ReleaseCombinationLegs(legs, Text(row->szOpenDate), Text(row->szDealNo), Text(row->szPosKind), taken);
  }
  return lots - taken;
}

int COperationEngineBase::ReleaseCombinationLegs(LegList& legs, std::string_view openDate, std::string_view dealNo,
                                                 std::string_view combinationKind, int lots) {
  std::lock_guard guard(lock_);
  EngineTable& combinations = TableAt(Table::kCombinationDetails);
  const std::optional<std::uint32_t> consumedIndex =
      typed_rows::FindIndex<CombinationDetailRow>(combinations, [&](const CombinationDetailRow& row) {
        return Text(row.szOpenDate) == openDate && Text(row.szDealNo) == dealNo &&
               Text(row.szPosKind) == combinationKind;
      });
  if (!consumedIndex) return 0;
  const CombinationDetailRow consumed = *RowAt<CombinationDetailRow>(combinations, *consumedIndex);

  OrderKindRow definition{};
  std::optional<OrderKindRow> kind;
  if (FindOrderKind(Text(consumed.szExchangeCode), Text(consumed.szStrategyCode), kLegKindKey3,
                    Text(consumed.szKindKey4), kLegKindKey5, definition)) {
    kind = definition;
  }
  const int combinationsClosed = lots / LegRatio(kind, ReadInt(consumed.szLegNo));

  // The rows' lots after the release, by row index.
  std::vector<std::pair<std::uint32_t, int>> lotsLeft{{*consumedIndex, ReadInt(consumed.szPositionVolume) - lots}};
  int written = 0;
  for (std::uint32_t index = 0; index < combinations.GetCount(); ++index) {
    const std::optional<CombinationDetailRow> row = RowAt<CombinationDetailRow>(combinations, index);
    if (!row || index == *consumedIndex || Text(row->szTradeAccount) != Text(consumed.szTradeAccount) ||
        Text(row->szCombinationNo) != Text(consumed.szCombinationNo) || Text(row->szLegNo) == Text(consumed.szLegNo)) {
      continue;
    }
    const int released = combinationsClosed * LegRatio(kind, ReadInt(row->szLegNo));
    if (released <= 0) continue;
    lotsLeft.emplace_back(index, ReadInt(row->szPositionVolume) - released);
    legs.push_back({.openDate = std::string(Text(row->szOpenDate)),
                    .dealNo = std::string(Text(row->szDealNo)),
                    .combinationKind = std::string(Text(row->szPosKind)),
                    .lots = released,
                    .position = {}});
    ++written;
  }
  // From the last row on, so that a removal keeps the earlier indexes.
  std::ranges::sort(lotsLeft, std::greater{});
  for (const auto& [index, left] : lotsLeft) {
    if (left <= 0) {
      combinations.RemoveEntry(index);
      continue;
    }
    CombinationDetailRow row = *RowAt<CombinationDetailRow>(combinations, index);
    SetInt(row.szPositionVolume, left);
    typed_rows::StoreRow(combinations, index, row);
  }
  return written;
}

void COperationEngineBase::BreakUpReleasedLegs(LegList& legs, std::size_t first) {
  if (first >= legs.size()) return;  // no leg released: nothing to plan
  // A margin is quoted without the lock (a sold option's margin may ask the
  // quote table); the details are then planned again under the lock, and
  // once every planned margin is known the plan is carried out under it.
  std::vector<QuotedMargin> quoted;
  for (;;) {
    std::vector<OpeningLot> missing;
    {
      std::lock_guard guard(lock_);
      EngineTable& details = TableAt(Table::kPositionDetails);
      const std::vector<BreakUp> plan = PlanBreakUps(details, legs, first);
      for (const BreakUp& breakUp : plan) {
        if (!QuoteFor(quoted, breakUp.opening) && std::ranges::find(missing, breakUp.opening) == missing.end()) {
          missing.push_back(breakUp.opening);
        }
      }
      if (missing.empty()) {
        CarryOut(plan, quoted, details, FollowedPositions(), legs);
        return;
      }
    }
    for (const OpeningLot& lot : missing) {
      LotCosts costs;
      CalcOptionMargin(lot.Query(), costs);  // no rate: no margin
      quoted.push_back({lot, costs.margin});
    }
  }
}

void COperationEngine::OnPositionsOutOfStep() { RequestFullDownload(); }

}  // namespace engine
