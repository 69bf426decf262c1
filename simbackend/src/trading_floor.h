// The trading floor of the simulated exchanges: takes the accounts' orders,
// fills them against the market's quotes, cancels them, and takes option
// exercise and abandon applications. It keeps the day's business
// (day_business.h), from which every answer about an account is computed,
// and pushes each change to the account's connections as the terminal reads
// it (order_lines.h).
//
// An order lives so: entered ("n", as the answer to its request says), taken
// by the exchange ("a", pushed once the answer went out), then filled at
// once or as the market moves ("p", "c"; a state push and a trade push for
// each fill), cancelled on request ("d", or "b" after fills), or, when it
// may not wait, its rest cancelled by the exchange at once. Each state
// change raises the order's state sequence by one.
//
// A special order fills both its legs at once, each at the best price of
// its other side, when their difference crosses its price; its fills push
// the trades of both legs, then its state (15009).
//
// Profit/loss and condition orders stand at the floor (standing_orders.h)
// and enter orders of their own ("N", "G") when the market meets them,
// with a state push (15003) before the order's pushes. A condition order
// may ask the customer first, and asks what to do when its order is
// refused; it goes on once the answer came.
//
// The market moves the contracts that connections follow and those that the
// orders entered since the back end started wait for, standing orders
// included; orders of the data folder fill when their contract moves for
// either reason.
//
// Thread-safe: one lock guards the business. The pushes of orders taken,
// filled and cancelled by the exchange go out under it, so that an order's
// pushes leave in the order of its changes; the push of a change that a
// request made (a cancel, an application) follows the request's answer.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "account_book.h"
#include "account_day.h"
#include "day_business.h"
#include "error_codes.h"
#include "quote_feed.h"
#include "simbackend/account_view.h"
#include "simbackend/backend_data.h"
#include "simbackend/fill_behaviour.h"
#include "standing_orders.h"

namespace simbackend {

class TradingFloor {
 public:
  // Sends lines as one push to every connection of the customer.
  using PushSink = std::function<void(const std::string& customer, const std::vector<std::string>& lines)>;

  TradingFloor(const BackendData& data, QuoteFeed& quotes, const AccountBook& accounts, FillBehaviour fills,
               PushSink push);

  // Applies to the crossings from now on; the draws start again from the seed.
  void SetFillBehaviour(FillBehaviour fills);

  // An order as its request gives it, its form checked by the caller. A
  // special order names its combination strategy and second leg; it is a
  // limit order of the day priced as the first leg's price less the second's.
  struct OrderRequest {
    std::string customer;
    std::size_t contract = 0;
    std::string buySell;
    std::string openClose;
    std::string hedge;
    std::int64_t lots = 0;
    std::int64_t price = 0;  // ticks; a market order's is the price limit in its direction
    std::string priceType = kLimitPrice;
    std::string validity = kGoodForDay;
    std::string tradeCode;
    std::string seat;
    std::string requestSequence;
    std::string kind = kPlainOrder;
    std::string strategy;
    std::size_t secondLeg = 0;
  };

  // Counts an order request as it arrives, whatever becomes of it.
  void CountRequest(const std::string& customer, const std::string& requestSequence);

  // Enters the order in state "n" when the account may place it: an opening
  // order needs an account that is not restricted to closing and the funds
  // for what it freezes; a close needs free lots of the positions it closes.
  // `entered` receives it; a refusal otherwise. The legs of a special order
  // freeze at their last prices.
  std::optional<Refused> Enter(const OrderRequest& request, BookOrder& entered, OrderProgress& progress);

  // The exchange takes the entered order and fills what crosses the market
  // now. Nothing happens when the order was cancelled meanwhile.
  void Take(const std::string& customer, std::int64_t number);

  // Cancels the customer's working order with that number (and order seat,
  // when given), a special order or one of a single contract as `special`
  // says. `cancelled` receives it as it then stands and `push` its cancel
  // push, to go out after the answer.
  std::optional<Refused> Cancel(const std::string& customer, std::int64_t number, const std::string& orderSeat,
                                bool special, BookOrder& cancelled, OrderProgress& progress, std::string& push);

  // Fills the working orders of the contracts that moved as far as the new
  // quotes cross them.
  void MatchMoved(const std::vector<std::size_t>& contracts);

  // What an application must find of the position it names.
  enum class Backing {
    // Taken as the terminal states it: the positions are looked at when
    // they are exercised, at the end of the day.
    kAsStated,
    // The position holds the lots free now.
    kHeldNow,
  };
  // Enters an exercise ("1") or abandon ("2") application of the customer's
  // long option position when the order seat takes that instruction and the
  // backing is there. Its number, state and times are given here. `push`
  // receives its state push, to go out after the answer.
  std::optional<Refused> Apply(ExerciseApplication application, Backing backing, ExerciseApplication& entered,
                               std::string& push);

  // Cancels the customer's application with that number at that exchange.
  std::optional<Refused> CancelApplication(const std::string& customer, const std::string& number,
                                           const std::string& exchange, ExerciseApplication& cancelled,
                                           std::string& push);

  // Enters a profit/loss order on its opening order (`order.opening`), the
  // customer's opening order of one contract that still works or filled
  // and has none yet. `answer` receives its answer's values.
  std::optional<Refused> AddProfitLoss(ProfitLossOrder order, std::vector<std::string>& answer);

  // Enters a condition order, unless its condition holds already and
  // `goOnThoughMet` is false: `answer` then tells that, and it is not
  // entered.
  std::optional<Refused> AddCondition(ConditionOrder order, bool goOnThoughMet, std::vector<std::string>& answer);

  // Takes the customer's answer to the question (of kind 1 or 2) that the
  // condition order with that number waits on: for a confirmation "1" OK or
  // "0" Cancel; for a choice "0" retry, "2" cancel or abort, and "1" ignore
  // where the question offers it.
  std::optional<Refused> AnswerQuestion(const std::string& customer, const std::string& number,
                                        const std::string& question, int kind, const std::string& answer);

  // Lets the standing orders act on what changed: a profit/loss order
  // watches once its opening order filled and is deleted when it ends
  // unfilled; a condition order whose condition holds asks or sends, and
  // one that was answered goes on. Called after the answers that changed
  // them went out; the market's steps and the exchange's changes call it
  // themselves.
  void FollowStanding();

  // Sends lines built for the customer.
  void Publish(const std::string& customer, const std::vector<std::string>& lines) const;

  // A copy of the business as it stands.
  DayBusiness Business() const;
  // What `read` gives of the business as it stands, read under the floor's
  // lock without a copy: for an answer that walks a long day. `read` calls
  // nothing of the floor.
  template <typename Read>
  decltype(auto) ReadBusiness(Read&& read) const {
    std::lock_guard lock(mutex_);
    return std::forward<Read>(read)(std::as_const(business_));
  }
  // As ReadBusiness, with the customer's day as DayOf gives it.
  template <typename Read>
  decltype(auto) ReadDay(const std::string& customer, Read&& read) const {
    std::lock_guard lock(mutex_);
    return std::forward<Read>(read)(std::as_const(business_), DayLocked(customer));
  }
  // The contracts' last prices as the quotes show them now.
  PriceSource LastPrices() const;
  // The account's funds and positions now.
  Funds FundsOf(const Account& account) const;
  AccountDay DayOf(const std::string& customer) const;
  // The account's book for tests, and with the funds it shows.
  AccountView View(const Account& account) const { return Snapshot(account).view; }
  // Parts of the account's book, for a reader that needs no more: its
  // positions, and its orders that still work.
  std::vector<PositionView> Positions(const Account& account) const;
  std::vector<OrderView> WorkingOrders(const Account& account) const;
  struct AccountSnapshot {
    Funds funds;
    AccountView view;
  };
  AccountSnapshot Snapshot(const Account& account) const;

 private:
  Funds FundsLocked(const Account& account) const;
  OrderView OrderViewLocked(std::size_t order) const;
  // The customer's day as ReplayDay gives it with the last prices now,
  // taken on from the day kept since (see ReplayedDay).
  const AccountDay& DayLocked(const std::string& customer) const;
  // Enters the order (as Enter) and gives it its number; its index.
  std::optional<Refused> EnterLocked(BookOrder order, std::size_t& index);
  std::optional<Refused> CheckOrder(const BookOrder& order) const;
  // The exchange takes the entered order and fills what crosses the market.
  void TakeLocked(std::size_t order);
  // Fills and cancels what the quotes give the order, with their pushes.
  void Match(std::size_t order);
  void MatchSpecial(std::size_t order);
  void Fill(std::size_t order, std::int64_t lots, std::int64_t price);
  // Fills `lots` combinations of a special order, each leg at its price.
  void FillSpecial(std::size_t order, std::int64_t lots, std::int64_t firstPrice, std::int64_t secondPrice);
  void CancelRest(std::size_t order, const std::string& message);
  // Cancels what the working order has not filled: "d", or "b" after fills.
  void CancelWorking(std::size_t order);
  // A state (kOrderStatePush) or cancel (kOrderCancelPush) push of the
  // order as it stands; a special order's own pushes stand for them.
  std::string ChangeLine(std::size_t order, int code, const std::string& message) const;
  void PushOrder(std::size_t order, int code, const std::string& message) const;
  // Makes the market move the contracts that working and standing orders wait for.
  void UpdateWaitedFor();
  // trading_floor_standing.cpp
  void FollowStandingLocked();
  void FollowProfitLoss(ProfitLossOrder& order);
  void FollowCondition(ConditionOrder& order);
  // The profit/loss orders of the contracts that moved meet the quotes.
  void WatchPrices(const std::vector<std::size_t>& contracts);
  void CloseGuarded(ProfitLossOrder& order, ProfitLossOrder::State trigger);
  void SendCondition(ConditionOrder& order);
  void Ask(ConditionOrder& order, int kind, const std::string& text);
  bool ConditionMet(const ConditionOrder& order) const;
  void PushState(const ProfitLossOrder& order) const;
  void PushState(const ConditionOrder& order) const;

  const BackendData& data_;
  QuoteFeed& quotes_;
  const AccountBook& accounts_;
  const PushSink push_;

  mutable std::mutex mutex_;  // guards everything below
  DayBusiness business_;
  FillBehaviour fills_;
  std::mt19937_64 random_;
  std::int64_t lastDealNumber_ = 0;
  std::int64_t lastApplicationNumber_ = 0;
  std::int64_t lastProfitLossNumber_ = 0;
  std::int64_t lastConditionNumber_ = 0;
  std::int64_t lastQuestionNumber_ = 0;
  std::set<std::size_t> waitedFor_;
  // A customer's day replayed up to the first `trades` of the business:
  // the trades since are replayed over it (they come with higher deal
  // numbers), so that reading the day costs what changed, not the day. It
  // is replayed afresh on another trading day, or when a price that it
  // took (an underlying of an option sold to open) has moved.
  struct ReplayedDay {
    AccountDay day;
    std::string tradingDay;
    std::size_t trades = 0;
    bool stopped = false;  // at a close of more lots than held, as ReplayDay stops
    std::map<std::size_t, double> pricesTaken;
  };
  mutable std::map<std::string, ReplayedDay> replayedDays_;
  // Order requests by customer and request sequence number.
  std::map<std::pair<std::string, std::string>, std::size_t> requestCounts_;
};

}  // namespace simbackend
