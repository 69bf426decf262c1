// An account's book as the back end keeps it, for tests to compare with
// what the terminal shows. Money and prices are the texts the back end's
// answers write: money "%.2f", prices with the contract's decimals; codes
// are the terminal's ("0" buy, "0" open, "0" speculation ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace simbackend {

struct FundsView {
  std::string previousBalance;
  std::string deposits;  // of the day
  std::string withdrawals;
  std::string buyFrozen;  // margin frozen by working orders
  std::string sellFrozen;
  std::string frozenFee;
  std::string frozenPremium;
  std::string buyMargin;  // margin held by positions
  std::string sellMargin;
  std::string fees;  // of the day's fills
  std::string closingProfit;
  std::string floatingProfit;
  std::string premiumPaid;
  std::string premiumReceived;
  std::string optionValue;
  std::string credit;
  std::string available;
  std::string equity;
};

// An order, or a special (two-legged) order on a combination strategy:
// its contract is then the combination's code ("SPD SR705&SR709"), its
// side, lots and fills those of the combination, its price the first leg's
// less the second's, and its frozen amounts those of both legs.
struct OrderView {
  std::string number;    // decimal, as every answer and push writes it
  std::string exchange;  // the exchange id
  std::string contract;
  std::string buySell;
  std::string openClose;
  std::string hedge;
  std::string priceType;  // "0" limit, "1" market, "2" best price
  std::string validity;   // "0" the day, "1" fill or kill, "2" fill and kill
  std::string price;
  std::int64_t lots = 0;
  std::int64_t filled = 0;
  std::string averagePrice;  // "0" before any fill
  std::string state;         // the terminal's state code
  int stateSequence = 0;
  std::string time;
  std::string cancelTime;
  std::string tradeCode;
  std::string seat;
  std::string frozenMargin;
  std::string frozenFee;
  std::string frozenPremium;
  // How many order requests carried the sequence number of the request
  // that entered it: more than 1 when the terminal sent it again. 0 for an
  // order of the data folder.
  std::size_t timesReceived = 0;
  std::string kind;      // "A" plain, "N" of a profit/loss order, "G" of a condition order
  std::string strategy;  // a special order's combination strategy; empty for others
};

// A fill of an order, or of one leg of a special order (its contract and side).
struct TradeView {
  std::string fillNumber;  // unique among all fills
  std::string orderNumber;
  std::string exchange;
  std::string contract;
  std::string buySell;
  std::string openClose;
  std::string hedge;
  std::int64_t lots = 0;
  std::string price;
  std::string time;
  std::string tradeCode;
  std::string seat;
};

// The lots held of one contract on one side with one hedge code, trade code
// and seat.
struct PositionView {
  std::string exchange;
  std::string contract;
  std::string buySell;
  std::string hedge;
  std::string tradeCode;
  std::string seat;
  std::int64_t lots = 0;
  std::int64_t todayLots = 0;  // opened by the day's fills; the rest was held before the market opened
  std::string margin;
  // The lots times their holding prices (a pre-open detail's the previous
  // settlement price, a fill's its price), summed as the terminal sums them.
  std::string cost;
};

// A profit/loss or condition order that stands at the back end.
struct StandingOrderView {
  std::string number;
  std::string state;         // as the terminal keeps it (the code of its answer)
  std::string openingOrder;  // a profit/loss order's opening order; empty for a condition order
  std::string sentOrder;     // the order it sent; empty before
};

// An option exercise or abandon application.
struct ApplicationView {
  std::string number;
  std::string exchange;  // the exchange id
  std::string contract;
  std::string state;  // "a" entered, "d" cancelled
  std::int64_t lots = 0;
  std::string type;  // "1" exercise, "2" abandon
};

struct AccountView {
  FundsView funds;
  std::vector<OrderView> orders;  // in the order they were entered
  std::vector<TradeView> trades;  // in the order they were done
  std::vector<PositionView> positions;
  std::vector<ApplicationView> applications;        // in the order they were entered
  std::vector<StandingOrderView> profitLossOrders;  // in the order they were entered
  std::vector<StandingOrderView> conditionOrders;
};

}  // namespace simbackend
