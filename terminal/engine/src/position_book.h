// The current position details as the fills use them, kept beside the
// details table: per position (account, exchange, seat, trade code, contract,
// hedge and side) the sums its summary row shows, and its details in the
// order each close strategy takes them. A close then finds the detail it
// takes, and its summary row the sums that follow, in time that grows with
// the logarithm of the position's details rather than with the table.
//
// The table stays the truth. The book holds every detail by its entry id: a
// table gives each appended entry a rising id, so while the last detail the
// book saw still holds its id and place, the details before it are the ones
// the book holds and only appended ones are new. Whoever changes or removes a
// detail in place tells the book; a table emptied, reloaded or changed behind
// the book's back is found out at the next Follow and read afresh (a table
// emptied and loaded afresh numbers its entries anew, so whoever does that
// also calls Forget). Used under the engine lock, like the table.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/engine_table.h"
#include "engine/position_changes.h"
#include "engine/trading_rows.h"

namespace engine {

class PositionBook {
 public:
  // A position's details summed as a summary row sums them: lots, the lots
  // opened on the trading date, and in cents the open and holding costs
  // (each detail's lots times its price, money-rounded per detail) and the
  // margins. Integers, so that adding and taking out details in any order
  // gives what summing the details afresh gives.
  struct Sums {
    long long lots = 0;
    long long todayLots = 0;
    std::int64_t openCost = 0;
    std::int64_t positionCost = 0;
    std::int64_t margin = 0;
  };
  // What one detail adds to its position's sums; `tradingDate` tells the
  // lots opened today.
  static Sums SumsOfDetail(const PositionDetailRow& detail, std::string_view tradingDate);

  // The orders a close of a position of an exchange may take its details
  // in (the two may be one). A book that reads the table afresh (after a
  // download) makes those orders of every position it reads, so that no
  // close waits while an order of thousands of details is made; any other
  // order is made by the first close that takes it.
  using StrategiesOf = std::function<std::array<CloseStrategy, 2>(std::string_view exchangeCode)>;

  explicit PositionBook(StrategiesOf strategiesOf);
  ~PositionBook();
  PositionBook(const PositionBook&) = delete;
  PositionBook& operator=(const PositionBook&) = delete;

  // Brings the book up to the details table: the appended details are added,
  // and a table that changed otherwise, or a new trading date (which decides
  // the lots opened today), is read afresh.
  void Follow(const EngineTable& details, std::string_view tradingDate);

  // The sums of the position (its contract code without blanks around it);
  // all zero for a position without details.
  Sums SumsOf(const PositionKey& position) const;

  // The entry id of the detail that a close of `trade` takes next under
  // `strategy`: the first in the strategy's order, the earlier in the table on
  // a tie, among the details of the trade's account, exchange, seat, trade
  // code, contract (without blanks around it) and hedge whose side is not the
  // trade's. Nothing when there is none.
  std::optional<std::uint32_t> NextToClose(const ClosingTrade& trade, CloseStrategy strategy);

  // The engine wrote `after` over the detail of entry `id` that held
  // `before`, or removed that detail from `details`.
  void Changed(const PositionDetailRow& before, const PositionDetailRow& after, std::uint32_t id);
  void Removed(const EngineTable& details, const PositionDetailRow& removed, std::uint32_t id);

  // The next Follow reads the table afresh.
  void Forget();

 private:
  struct Lot;
  struct Position;
  struct Positions;
  static void AddTo(Sums& sums, const Sums& adds, int sign);
  // Hashes a key and a view of one alike, so that a lookup builds no string.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };

  void Add(const PositionDetailRow& row, std::uint32_t id);
  void Take(const PositionDetailRow& row, std::uint32_t id);
  // Makes the orders that strategiesOf names for every position held.
  void MakeCloseOrders();
  // The key of one account, exchange, seat, trade code, contract and hedge,
  // built in `lookup_`; and the book's details of that key, by side, null
  // when it holds none.
  const std::string& KeyOf(std::string_view account, std::string_view exchangeCode, std::string_view seatCode,
                           std::string_view tradeCode, std::string_view contractCode, std::string_view hedge) const;
  Positions* FindPositions(std::string_view account, std::string_view exchangeCode, std::string_view seatCode,
                           std::string_view tradeCode, std::string_view contractCode, std::string_view hedge) const;

  StrategiesOf strategiesOf_;
  std::unordered_map<std::string, std::unique_ptr<Positions>, KeyHash, std::equal_to<>> positions_;
  std::string tradingDate_;
  // The details seen, counted in table order, and the id of the last one.
  std::uint32_t seen_ = 0;
  std::uint32_t lastSeenId_ = 0;
  // Whether the next Follow reads the table from its start.
  bool readAfresh_ = true;
  // A key being looked up.
  mutable std::string lookup_;
};

// Writes a position's sums into its summary row: the lots, today's lots, the
// costs, their average prices and the margin; the other fields stay.
void WriteSummarySums(PositionSummaryRow& row, const PositionBook::Sums& sums);

}  // namespace engine
