// What a trade changes in the account's positions: the lots a close takes
// out of the open position details, the legs of combination positions that
// such a close breaks up, and the amounts of a pushed fill.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine {

struct ContractRow;

// The close strategies of the exchanges: the order in which a close takes
// the open position details.
enum class CloseStrategy : int {
  kOldestFirst = 1,    // earliest open date, then deal number
  kOrdinaryFirst = 2,  // single-contract details before combination legs
  kNewestFirst = 3,    // latest open date first; every close-today trade
};

// One closing trade, in the codes of the engine's rows.
struct ClosingTrade {
  std::string_view account{};
  std::string_view exchangeCode{};
  std::string_view seatCode{};
  std::string_view tradeCode{};
  std::string_view contractCode{};
  std::string_view buySell{};  // of the trade: a sell closes buy positions
  std::string_view hedge{};
  int lots = 0;
};

// The position summary row of one account, exchange, seat, trade code,
// contract, hedge and direction.
struct PositionKey {
  std::string account{};
  std::string exchangeCode{};
  std::string seatCode{};
  std::string tradeCode{};
  std::string contractCode{};
  std::string hedge{};
  std::string buySell{};
  bool operator==(const PositionKey&) const = default;
};

// Another leg of a combination position that a close broke up: its lots
// are single-contract positions now, with their own margin.
struct ReleasedLeg {
  // The leg's position details: open date, opening deal number and
  // combination kind.
  std::string openDate{};
  std::string dealNo{};
  std::string combinationKind{};
  int lots = 0;
  // The summary row whose margin changed, once the leg's details were made
  // single-contract positions; empty while none was.
  PositionKey position{};
};
using LegList = std::vector<ReleasedLeg>;

// An opening fill of a pushed trade, with the amounts the trade push
// computed for it: what it costs and what it frees of its order's frozen
// amounts.
struct OpeningFill {
  std::string_view price{};  // the fill price as pushed
  int lots = 0;
  std::string_view account{};
  std::string_view exchangeCode{};
  std::string_view seatCode{};
  std::string_view tradeCode{};
  std::string_view contractCode{};
  std::string_view buySell{};
  std::string_view hedge{};
  std::string_view dealNo{};
  std::string_view combinationKind{};  // "ordinary" for a single-contract fill
  int multiplier = 0;
  double releasedFrozenMargin = 0.0;
  double releasedFrozenFee = 0.0;
  double margin = 0.0;
  double fee = 0.0;
  double releasedFrozenPremium = 0.0;
  double premium = 0.0;
  // The fill's contract when the caller has found it; else it is looked up.
  const ContractRow* contract = nullptr;
};

// A closing fill of a pushed trade, applied after the close took its lots
// out of the position details.
struct ClosingFill {
  std::string_view price{};  // the fill price as pushed
  std::string_view account{};
  std::string_view exchangeCode{};
  std::string_view seatCode{};
  std::string_view tradeCode{};
  std::string_view contractCode{};
  std::string_view hedge{};
  std::string_view buySell{};  // of the closing trade
  int multiplier = 0;
  double releasedFrozenFee = 0.0;
  double fee = 0.0;
  // What the fill frees of its order's frozen premium (a bought option's
  // close); it goes back to the available funds.
  double releasedFrozenPremium = 0.0;
};

// The day's fees and closing profit of one account, summed while the day's
// trades are replayed.
struct AccountTotals {
  std::string account{};
  double fees = 0.0;
  double closingProfit = 0.0;
  // Of the options bought and sold.
  double premiumPaid = 0.0;
  double premiumReceived = 0.0;
};

}  // namespace engine
