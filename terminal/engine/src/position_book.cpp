#include "position_book.h"

#include <algorithm>
#include <array>
#include <compare>
#include <map>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "backend/field_text.h"
#include "engine/row_field.h"
#include "lots.h"
#include "position_rows.h"

namespace engine {
namespace {

constexpr char kKeySeparator = '\x1f';  // no byte of a GBK text
using position_rows::kOrdinaryKind;

constexpr std::array kStrategies{CloseStrategy::kOldestFirst, CloseStrategy::kOrdinaryFirst,
                                 CloseStrategy::kNewestFirst};

// An average of a cost over lots; no lots have no average.
double AverageOver(double cost, long long lots) { return lots == 0 ? 0.0 : cost / static_cast<double>(lots); }

std::size_t SlotOf(CloseStrategy strategy) {
  return static_cast<std::size_t>(std::ranges::find(kStrategies, strategy) - kStrategies.begin());
}

}  // namespace

// One detail as the book holds it: what it adds to its position's sums, and
// what the close strategies order it by.
struct PositionBook::Lot {
  std::uint32_t id = 0;
  Sums adds;
  std::string openDate;
  double dealNo = 0.0;  // a decimal number of up to 15 digits, exact in a double
  bool leg = false;     // a leg of a combination position
  std::string combinationNo;

  // Where `a` stands against `b` in the strategy's order: less when it is
  // taken first.
  static std::partial_ordering Compare(const Lot& a, const Lot& b, CloseStrategy strategy) {
    switch (strategy) {
      case CloseStrategy::kOrdinaryFirst: {
        // Legs are not ordered by their open date.
        const auto rank = [](const Lot& lot) {
          return std::tuple(lot.leg, lot.leg ? std::string_view{} : std::string_view(lot.openDate),
                            std::string_view(lot.combinationNo), lot.dealNo);
        };
        return rank(a) <=> rank(b);
      }
      case CloseStrategy::kNewestFirst:
        if (const auto byDate = b.openDate <=> a.openDate; byDate != 0) return byDate;
        return std::tie(a.leg, a.combinationNo, a.dealNo) <=> std::tie(b.leg, b.combinationNo, b.dealNo);
      case CloseStrategy::kOldestFirst: break;
    }
    return std::tie(a.openDate, a.dealNo, a.leg, a.combinationNo) <=>
           std::tie(b.openDate, b.dealNo, b.leg, b.combinationNo);
  }

  // The strategy's order, the earlier detail of the table first on a full
  // tie.
  struct Order {
    CloseStrategy strategy;
    bool operator()(const Lot* a, const Lot* b) const {
      const std::partial_ordering order = Compare(*a, *b, strategy);
      if (order < 0) return true;
      if (order > 0) return false;
      return a->id < b->id;
    }
  };
  using Queue = std::set<const Lot*, Order>;
};

// The details of one side of one position.
struct PositionBook::Position {
  std::string side;
  Sums sums;
  std::map<std::uint32_t, Lot> lots;  // by entry id: in table order
  // By strategy, each made when a close first takes it.
  std::array<std::unique_ptr<Lot::Queue>, kStrategies.size()> queues;

  Lot::Queue& QueueOf(CloseStrategy strategy) {
    std::unique_ptr<Lot::Queue>& queue = queues[SlotOf(strategy)];
    if (!queue) queue = MakeQueue(Lot::Order{strategy});
    return *queue;
  }

 private:
  // A queue is made while a fill or a download waits, so the lots go in with
  // the place after the previous one as the hint: no search while the table
  // holds them in runs of the strategy's order (details opened one after
  // another are held oldest first), a search only where a run ends.
  std::unique_ptr<Lot::Queue> MakeQueue(Lot::Order order) const {
    auto queue = std::make_unique<Lot::Queue>(order);
    auto hint = queue->end();
    for (const auto& [id, lot] : lots) hint = std::next(queue->insert(hint, &lot));
    return queue;
  }
};

// The sides of one account, exchange, seat, trade code, contract and hedge.
struct PositionBook::Positions {
  std::string exchangeCode;
  std::vector<std::unique_ptr<Position>> bySide;

  Position* SideOf(std::string_view side) const {
    const auto found = std::ranges::find_if(bySide, [&](const auto& position) { return position->side == side; });
    return found == bySide.end() ? nullptr : found->get();
  }
};

PositionBook::PositionBook(StrategiesOf strategiesOf) : strategiesOf_(std::move(strategiesOf)) {}
PositionBook::~PositionBook() = default;

PositionBook::Sums PositionBook::SumsOfDetail(const PositionDetailRow& detail, std::string_view tradingDate) {
  const int lots = ReadInt(detail.szPositionVolume);
  return {.lots = lots,
          .todayLots = Text(detail.szOpenDate) == tradingDate ? lots : 0,
          .openCost = MoneyCents(lots * ReadNumber(detail.szOpenPrice)),
          .positionCost = MoneyCents(lots * ReadNumber(detail.szPositionPrice)),
          .margin = MoneyCents(ReadNumber(detail.szEngrossCautionMoney))};
}

void PositionBook::AddTo(Sums& sums, const Sums& adds, int sign) {
  sums.lots += sign * adds.lots;
  sums.todayLots += sign * adds.todayLots;
  sums.openCost += sign * adds.openCost;
  sums.positionCost += sign * adds.positionCost;
  sums.margin += sign * adds.margin;
}

void PositionBook::Follow(const EngineTable& details, std::string_view tradingDate) {
  const EngineTable& entries = details;
  const std::uint32_t count = entries.GetCount();
  const bool inStep =
      tradingDate == tradingDate_ && count >= seen_ && (seen_ == 0 || entries.GetId(seen_ - 1) == lastSeenId_);
  if (!inStep) {
    Forget();
    tradingDate_ = tradingDate;
  }
  for (; seen_ < count; ++seen_) {
    lastSeenId_ = *entries.GetId(seen_);
    if (const std::optional<PositionDetailRow> row = RowFromBytes<PositionDetailRow>(entries.GetValue(seen_))) {
      Add(*row, lastSeenId_);
    }
  }
  if (readAfresh_) {
    readAfresh_ = false;
    MakeCloseOrders();
  }
}

void PositionBook::MakeCloseOrders() {
  for (const auto& [key, positions] : positions_) {
    const std::array strategies = strategiesOf_(positions->exchangeCode);
    for (const std::unique_ptr<Position>& position : positions->bySide) {
      for (const CloseStrategy strategy : strategies) position->QueueOf(strategy);
    }
  }
}

PositionBook::Sums PositionBook::SumsOf(const PositionKey& position) const {
  const Positions* positions =
      FindPositions(position.account, position.exchangeCode, position.seatCode, position.tradeCode,
                    backend::TrimBlanks(position.contractCode), position.hedge);
  const Position* side = positions == nullptr ? nullptr : positions->SideOf(position.buySell);
  return side == nullptr ? Sums{} : side->sums;
}

std::optional<std::uint32_t> PositionBook::NextToClose(const ClosingTrade& trade, CloseStrategy strategy) {
  const Positions* positions = FindPositions(trade.account, trade.exchangeCode, trade.seatCode, trade.tradeCode,
                                             backend::TrimBlanks(trade.contractCode), trade.hedge);
  if (positions == nullptr) return std::nullopt;
  const Lot::Order order{strategy};
  const Lot* next = nullptr;
  for (const std::unique_ptr<Position>& position : positions->bySide) {
    if (position->side == trade.buySell) continue;
    const Lot* first = *position->QueueOf(strategy).begin();
    if (next == nullptr || order(first, next)) next = first;
  }
  if (next == nullptr) return std::nullopt;
  return next->id;
}

void PositionBook::Changed(const PositionDetailRow& before, const PositionDetailRow& after, std::uint32_t id) {
  Take(before, id);
  Add(after, id);
}

void PositionBook::Removed(const EngineTable& details, const PositionDetailRow& removed, std::uint32_t id) {
  Take(removed, id);
  if (seen_ == 0) return;
  --seen_;
  lastSeenId_ = seen_ == 0 ? 0 : details.GetId(seen_ - 1).value_or(0);
}

void PositionBook::Forget() {
  positions_.clear();
  seen_ = 0;
  lastSeenId_ = 0;
  readAfresh_ = true;
}

void PositionBook::Add(const PositionDetailRow& row, std::uint32_t id) {
  Positions* positions =
      FindPositions(Text(row.szTradeAccount), Text(row.szExchangeCode), Text(row.szSeatCode), Text(row.szMapCode),
                    backend::TrimBlanks(Text(row.szContractCode)), Text(row.szFlagSH));
  if (positions == nullptr) {
    positions = positions_.emplace(lookup_, std::make_unique<Positions>()).first->second.get();
    positions->exchangeCode = Text(row.szExchangeCode);
  }
  Position* position = positions->SideOf(Text(row.szFlagBS));
  if (position == nullptr) {
    position = positions->bySide.emplace_back(std::make_unique<Position>()).get();
    position->side = Text(row.szFlagBS);
  }
  const bool leg = Text(row.szPosKind) != kOrdinaryKind;
  Lot& lot = position->lots[id];
  lot = {.id = id,
         .adds = SumsOfDetail(row, tradingDate_),
         .openDate = std::string(Text(row.szOpenDate)),
         .dealNo = ReadNumber(row.szDealNo),
         .leg = leg,
         .combinationNo = leg ? std::string(Text(row.szCombinationNo)) : std::string()};
  AddTo(position->sums, lot.adds, 1);
  for (const std::unique_ptr<Lot::Queue>& queue : position->queues) {
    if (queue) queue->insert(&lot);
  }
}

void PositionBook::Take(const PositionDetailRow& row, std::uint32_t id) {
  const auto positions = positions_.find(
      std::string_view(KeyOf(Text(row.szTradeAccount), Text(row.szExchangeCode), Text(row.szSeatCode),
                             Text(row.szMapCode), backend::TrimBlanks(Text(row.szContractCode)), Text(row.szFlagSH))));
  if (positions == positions_.end()) return;
  Position* position = positions->second->SideOf(Text(row.szFlagBS));
  if (position == nullptr) return;
  const auto lot = position->lots.find(id);
  if (lot == position->lots.end()) return;
  AddTo(position->sums, lot->second.adds, -1);
  for (const std::unique_ptr<Lot::Queue>& queue : position->queues) {
    if (queue) queue->erase(&lot->second);
  }
  position->lots.erase(lot);
  if (!position->lots.empty()) return;
  std::erase_if(positions->second->bySide, [&](const auto& side) { return side.get() == position; });
  if (positions->second->bySide.empty()) positions_.erase(positions);
}

const std::string& PositionBook::KeyOf(std::string_view account, std::string_view exchangeCode,
                                       std::string_view seatCode, std::string_view tradeCode,
                                       std::string_view contractCode, std::string_view hedge) const {
  lookup_.clear();
  for (const std::string_view part : {account, exchangeCode, seatCode, tradeCode, contractCode, hedge}) {
    lookup_.append(part).push_back(kKeySeparator);
  }
  return lookup_;
}

PositionBook::Positions* PositionBook::FindPositions(std::string_view account, std::string_view exchangeCode,
                                                     std::string_view seatCode, std::string_view tradeCode,
                                                     std::string_view contractCode, std::string_view hedge) const {
  const auto found =
      positions_.find(std::string_view(KeyOf(account, exchangeCode, seatCode, tradeCode, contractCode, hedge)));
  return found == positions_.end() ? nullptr : found->second.get();
}

void WriteSummarySums(PositionSummaryRow& row, const PositionBook::Sums& sums) {
  const double openCost = CentsAmount(sums.openCost);
  const double positionCost = CentsAmount(sums.positionCost);
  SetInt(row.szPositionVolume, SaturateLots(sums.lots));
  SetInt(row.szTodayVolume, SaturateLots(sums.todayLots));
  SetMoney(row.szPositionPrice, AverageOver(positionCost, sums.lots));
  SetMoney(row.szOpenPrice, AverageOver(openCost, sums.lots));
  SetMoney(row.szEngrossCautionMoney, CentsAmount(sums.margin));
  SetMoney(row.szOpenCost, openCost);
  SetMoney(row.szPositionCost, positionCost);
}

}  // namespace engine
