// An account's trading day: its positions before the market opened, the
// day's trades replayed over them, and the funds that follow with what its
// working orders freeze. Every figure is computed the way the terminal's
// engine computes it from the back end's answers (see per_lot.h), so that
// both agree to the cent as long as the market prices they read are the
// same.
//
// A close consumes single-contract positions only (the back end holds no
// combination positions: the legs of special orders are held as positions
// of their contracts, the second leg without margin) by the exchange's
// close strategy; a close today takes the newest first. Where the seat takes close-today orders the
// exchange wants closes explicit: a close takes positions held from before
// today only, a close today today's only. The funds take the day's deposits
// and withdrawals as given.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "day_business.h"
#include "per_lot.h"
#include "simbackend/backend_data.h"

namespace simbackend {

// The price of a futures contract (an index into the data's contracts) that
// a computation takes.
using PriceSource = std::function<double(std::size_t contract)>;

// The previous settlement price of each contract: what positions are held
// at before the market opens.
PriceSource SettlementPrices(const BackendData& data);

// A price in ticks as the engine reads it: the number its text stands for.
double PriceValue(const BackendData& data, std::size_t contract, std::int64_t ticks);

// A position held, as a detail row of the engine.
struct HeldDetail {
  std::size_t contract = 0;
  std::string buySell;
  std::string hedge;
  std::string tradeCode;
  std::string seat;
  std::string openDate;
  std::int64_t dealNumber = 0;
  std::int64_t lots = 0;
  std::int64_t positionPrice = 0;  // ticks: the previous settlement, or today's deal price
  std::int64_t openPrice = 0;      // ticks
  double margin = 0;               // money, two decimals
  bool today = false;              // opened by a trade of the day
};

// A pre-open position at the previous settlement price, its margin taken
// there (an option's against its underlying's previous settlement).
HeldDetail PreOpenDetail(const BackendData& data, const PositionDetail& position);

// The underlying futures contract of an option, or the contract itself.
std::size_t UnderlyingOf(const BackendData& data, std::size_t contract);

struct AccountDay {
  std::vector<HeldDetail> details;  // after the day's trades
  double fees = 0;                  // of the day's trades, unrounded sum
  double closingProfit = 0;         // of the day's futures closes
  double premiumIn = 0;             // of the options sold today
  double premiumOut = 0;            // of the options bought today
};

// The customer's day before its first trade: the pre-open positions.
AccountDay OpeningDay(const BackendData& data, const std::string& customer);

// Replays one trade of `business` over `day`, which holds every earlier
// trade of its customer (by deal number); a position it opens opens on
// `tradingDay`. The opening margin of a sold option takes the underlying
// at `underlying`, which is asked for nothing else. False, with `problem`
// naming the trade, when a close finds fewer lots than it closes.
bool ReplayTrade(const BackendData& data, const DayBusiness& business, const DayTrade& trade,
                 const std::string& tradingDay, const PriceSource& underlying, AccountDay& day, std::string& problem);

// Replays the customer's trades of `business` in the order of their deal
// numbers over its pre-open positions (ReplayTrade); false, with `problem`,
// at the first trade that fails, the later ones not replayed.
bool ReplayDay(const BackendData& data, const DayBusiness& business, const std::string& customer,
               const std::string& tradingDay, const PriceSource& underlying, AccountDay& day, std::string& problem);

// Which positions a close of the order may take.
enum class CloseScope { kAny, kBeforeToday, kToday };
CloseScope ScopeOf(const BackendData& data, const DayOrder& closing);

// What `lots` of the order freeze, money-rounded: its margin and fee, and
// the premium of an option bought. Priced at the order's price with the
// underlying at `underlying`.
PerLot FrozenAmounts(const BackendData& data, const DayOrder& order, std::int64_t lots, double underlying);

// The fields of the funds answer.
struct Funds {
  double yesterdayBalance = 0;
  double depositsToday = 0;
  double withdrawalsToday = 0;
  double buyFrozen = 0;
  double sellFrozen = 0;
  double frozenFee = 0;
  double frozenPremium = 0;
  double buyMargin = 0;
  double sellMargin = 0;
  double available = 0;
  double equity = 0;
  double fees = 0;
  double floatingProfit = 0;
  double closingProfit = 0;
  double credit = 0;
  double premiumIn = 0;
  double premiumOut = 0;
  double optionValue = 0;
  double optionFloatingMargin = 0;

  double MoneyToday() const { return depositsToday - withdrawalsToday; }
  double TotalFrozen() const { return buyFrozen + sellFrozen + frozenFee + frozenPremium; }
  double TotalMargin() const { return buyMargin + sellMargin; }
  // Total margin over equity; 0 without equity.
  double RiskRatio() const { return equity > 0 ? TotalMargin() / equity : 0; }
};

// The account's funds now: `day` as replayed, what the account's working
// orders of `business` freeze, positions valued at `last`, the day's
// deposits and withdrawals given; a floating profit counts as available
// only when `floatingProfitAvailable`, a floating loss always.
Funds ComputeFunds(const BackendData& data, const Account& account, const DayBusiness& business, const AccountDay& day,
                   const PriceSource& last, double depositsToday, double withdrawalsToday,
                   bool floatingProfitAvailable);

}  // namespace simbackend
