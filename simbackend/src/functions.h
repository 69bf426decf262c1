// The back end's answers to the terminal's functions, by function number.
//
// Parameter k of a request is field k + 4 (after "R", address, sequence
// number, function, the reserved text, the application tag, customer number
// and password). Answers are written as the terminal reads them:
//
//   5001 login: the account from field 5 to field 43 (the quote gateway: none):
//        5 name, 9 trading day, 10 to 13 the previous login's address, date,
//        time and channel, 14 statement mode of the data ("0" none, "1"
//        shown, "2" to confirm), 15 "1" when the day's statement is
//        confirmed, 16 "1" when important notices wait, 19 version, 42 the
//        session (the connection's number).
//   5451 quote servers: 5 count, 6 quote user, 7 its password; rows
//        "n|name|address|port|".
//   5056 sub-accounts of the management account: 5 count; rows
//        "A|addr|seq|manager|n|sub-account|name|".
//   5461 logout: nothing.
//   5007 quote of parameter 6 at exchange parameter 5 (id or code): the
//        fields of QuoteAnswerValues (quote_lines.h) from field 5 on.
//   5450 subscription of parameter 5 ("X,code;" or "X,code;#;" per contract,
//        X the exchange id): 5 the number of known contracts subscribed; the
//        connection then receives their full quotes and, with every step of
//        the market, their updates (quote_feed.h). Unknown contracts are left
//        out; a new subscription replaces the set.
//   5006 deposits and withdrawals of the account dated from parameter 5 to 6,
//        direction parameter 9 ("0" withdrawals, "1" deposits, empty both):
//        5 rows; rows "A|addr|seq|date|serial|withdrawal|deposit|summary|
//        customer|currency|direction 1/2|money type|bank|1|", then a total
//        row whose date is "合计".
//   5057 status of sub-account parameter 6 set to parameter 7 ("0" normal,
//        "4" close only): 5 the account, 6 its status.
//   5058 a deposit (parameter 13 "1") or withdrawal ("2") of amount 14 with
//        summary 15 for sub-account 6, dated parameter 8 (operation 7 "1"
//        adds): 5 the entry's serial number; it counts once reviewed.
//   5059 review of the entry with serial number parameter 7: 5 the serial.
//   5137 check-in to the CTP system as user parameter 6 with password 7
//        (the back end's own trading accounts), automatic flag 8: 5 user,
//        6 flag, 7 trading day, 8 message.
//
// The account's services (password_functions.cpp, notice_functions.cpp,
// statement_functions.cpp); "rows" as for the downloads below.
//   5126 the rules of password kind parameter 5 ("1" trading, "2" fund,
//        "3" order), rows: 4 one rule. A new password keeps them all.
//   5013 change of the password of kind parameter 6 to parameter 5, signed
//        by the old password of that kind (field 8) instead of the trading
//        password: 5 "0". A new trading password logs in and signs from
//        then on; a manager's signs its sub-accounts too.
//   5050 change of the trading password of customer parameter 5 (and 6,
//        the signer's own) from parameter 7 to 8: 5 "0".
//   5017 bulletins of the signer or of everybody, of level parameter 5
//        (empty: any) dated from parameter 7 to 8 (empty: no bound), rows:
//        4 addressee (empty: everybody), 5 level, 6 number, 7 text, 8 date,
//        9 time, 10 sender.
//   5491 important notices of the signer or of everybody, rows: 4 text.
//   5125 clock differences of the seats, rows: 4 exchange id, 5 seat,
//        6 seconds ahead of the back end, 7 exchange name.
//   5406 the monitoring centre's key: 5 customer, 6 company, 7 key number,
//        8 to 10 the three parts of its password.
//   5472 settlement statement of period parameter 5 ("1" the trading day,
//        "2" its month) named by parameter 6 ("YYYYMMDD", "YYYYMM"; empty:
//        the current one), rows: 4 one line of text, built from the book
//        (settlement_statement.h). Other days and months have none.
//   5471 confirmation of the trading day's statement: nothing.
//
// Orders (order_functions.cpp), which the trading floor enters, fills
// against the quotes and follows with pushes (trading_floor.h). Order
// numbers are written in one canonical decimal form everywhere; a request
// may name them with leading zeros.
//   5010 state of order number parameter 5, order seat 6 and exchange 7
//        (empty: any): 5 order number, 6 order seat, 7 exchange id, 8 state,
//        9 lots filled, 10 lots still working, 11 state text, 12 contract,
//        13 lots, 14 cancel time, 15 state sequence.
//   5011 an order: exchange parameter 5 (id or code), contract 6, buy/sell
//        7, open/close 8 ("0" open, "1" close, "2" close today, where the
//        seat takes it), hedge 9, lots 10, price 11 (a limit order's), trade
//        code 12 and seat 13 (empty: the account's own), price type 14 ("0"
//        limit, "1" market, "2" best price; empty "0"), validity 15 ("0" the
//        day, "1" fill or kill, "2" fill and kill; empty "0"); the pair must
//        be an order type of the exchange (5323); order kind 20 ("A" plain,
//        also when empty, "N" the opening order of a profit/loss order).
//        Answer, in state "n":
//        5 order number, 6 exchange id, 7 exchange name, 8 contract,
//        9 contract name, 10 state, 11 state text, 12 buy/sell, 13 its text,
//        14 open/close, 15 its text, 16 hedge, 17 its text, 18 lots,
//        19 price (a market order's: the price limit in its direction),
//        20 lots filled, 21 average fill price, 22 customer, 23 system
//        number, 24 trade code, 26 order time, 27 time reported, 30 cancel
//        time, 31 order kind, 32 seat, 34 order seat, 36 price type,
//        37 validity, 43 frozen margin, 44 frozen fee, 47 frozen premium.
//        Refused: an unknown contract, lots not from 1 to 99999, a price off
//        the tick grid or beyond the price limits, an order type the exchange
//        does not list, a trade code or seat not the account's, an opening
//        order of a close-only account or beyond the available funds, a
//        close beyond the free lots of the position.
//   5012 cancel of order number parameter 12, order seat 16 (else seat 15):
//        5 customer, 6 order number, 7 contract, 8 state ("d", or "b" after
//        fills), 9 state text, 10 buy/sell, 11 lots, 12 lots filled,
//        13 average fill price, 14 cancel time, 15 exchange id, 16 order
//        seat. Refused for an unknown order, a special order and one no
//        longer working.
// The pushes that follow, to every connection of the account, after the
// answer (before it when the script holds or delays it), each "R||0|code|"
// and fields from 5 on:
//   15002 a new state of the order (taken by the exchange "a"; a fill "p"
//   15004 or "c") and its cancel ("d", "b"): 8 customer, 9 order number,
//        10 exchange id, 11 exchange name, 12 contract, 13 contract name,
//        14 state, 15 state text, 16 buy/sell, 17 its text, 18 open/close,
//        19 its text, 20 hedge, 21 its text, 22 lots, 23 price, 24 lots
//        filled, 25 average fill price, 26 order time, 27 trade code,
//        28 system number, 31 time reported, 34 cancel time, 35 price type,
//        36 seat, 37 validity, 39 state sequence (one more with every state
//        change: taken, each fill, a cancel), 40 message, 41 "0" (a cancel
//        push leaves the release of what is still frozen to the terminal; a
//        state push releases nothing), 42 order seat.
//   15005 a fill, after the state push of the same change: 8 customer,
//        9 exchange id, 10 trading day, 11 order number, 12 the order's
//        state, 13 its text, 14 contract, 15 contract name, 16 buy/sell,
//        17 its text, 18 open/close, 19 its text, 20 hedge, 21 its text,
//        22 lots of the fill, 23 lots of the order still working, 24 fill
//        price, 25 the order's average fill price, 26 turnover, 27 trade
//        code, 28 system number, 29 fill number (unique among all fills),
//        30 delivery period, 31 fill time, 32 seat, 35 the order's state
//        sequence, 36 message, 37 order seat; for a leg of a special order
//        (its contract and side, 23 and 25 those of the combination) also
//        44 the combinations filled, 45 those still working, 46 their
//        average price.
//
// Special (two-legged) orders, which the script places for another client
// of the account (Server::PlaceSpecialOrder): on a combination strategy of
// the data ("SPD", "DS"), the first leg on the order's side, the second on
// the other, both filled at once when the first leg's best price less the
// second's crosses the order's price. Their fills push 15005 of each leg,
// then 15009; each push "R||0|code|" and fields from 5 on:
//   15008 the order taken ("a") and
//   15009 its fills ("p", "c") and cancel ("d", "b"): 8 customer, 9 order
//        number, 10 state, 11 state sequence, 12 strategy, 13 combination
//        code ("SPD m2701&m2705"), 14 exchange id, 15 exchange name,
//        16 order seat, 17 buy/sell, 18 open/close, 19 hedge, 20 lots,
//        21 order time, 22 time reported, 23 cancel time, 24 state text,
//        25 price, 26 combinations filled, 27 their average price, 28 trade
//        code, 29 first and 30 second leg, 40 message, 41 release flag: "0"
//        (15008 releases nothing; 15009 releases what is still frozen once
//        the order no longer works, "1" while it does).
//
// Profit/loss and condition orders (standing_functions.cpp), which stand at
// the trading floor until the market meets them (standing_orders.h):
//   5473 a profit/loss order on the opening order number parameter 5 at
//        exchange 11 and order seat 12 (its account's, of one contract,
//        working or filled, with none yet): stop-loss 6, take-profit 7
//        (prices, or with price mode 13 "1" distances from the open price;
//        empty or 0 none), close method 8 ("0" market, "1" the best price
//        of the other side, "2" the last price, less or plus the close
//        difference 9), trigger price 14 ("0" last, "1" the best price of
//        the side that closes), trigger count 15 (quotes in a row; empty
//        1), floating stop-loss 16 (a distance the stop keeps from the best
//        price). Answer: 5 its number, 6 opening order number, 7 customer,
//        8 contract, 9 order seat, 10 to 13 stop-loss, take-profit, close
//        difference and floating stop-loss, 14 exchange id, 15 trade code,
//        16 lots filled of the opening order, 17 their average price, 18 and
//        19 the stop-loss and take-profit prices once it watches, 20 state
//        as the terminal keeps it ("0" waiting for the opening fills, "2"
//        watching, "1" stop-loss sent, "4" take-profit sent, "3" its close
//        refused, "d" deleted), 21 state text, 22 time, 23 close method,
//        24 closing order number, 25 trigger time, 26 message, 27 buy/sell,
//        28 hedge, 29 price mode, 30 trigger count, 31 trading day,
//        32 trigger price, 33 seat.
//   5477 a condition order (the layout of the terminal's confirmation): the
//        order contract 5, exchange 6, seat 7, trade code 8, hedge 9,
//        buy/sell 10, open/close 11, lots 12, limit price 13; sent when
//        price 14 ("0" last, "1" best bid, "2" best offer) is 15 (">=" or
//        "<=") trigger price 16; price type 17 and validity 20 "0" (or
//        empty); 18, 19 and 21 not read; 22 "1" to enter it though its
//        condition holds already, 23 "1" to ask before sending, 24 the
//        question when its order is refused ("1" retry or cancel, the
//        default, "2" abort, retry or ignore); 25 and 26 answered back.
//        Answer: 5 its number (empty when not entered), 6 the number of the
//        order it sent, 7 exchange id, 8 seat, 9 contract, 10 its order's
//        state, 11 buy/sell, 12 open/close, 13 hedge, 14 price, 15 lots,
//        16 customer, 17 price type, 18 time, 19 trigger time, 20 trade
//        code, 23 state as the terminal keeps it ("0" waiting, "2" asking,
//        "1" sent, "d" cancelled), 24 its condition in words, 25 message,
//        26 state text, 27 to 29 the condition, 30 trading day, 39 "1" when
//        it was not entered because its condition holds already, 41 and 42
//        parameters 23 and 24, 44 and 45 parameters 25 and 26.
//   5482 the answer to a question of kind 1: condition order parameter 5,
//        question 6, answer 7 ("1" OK: send; "0" Cancel: cancel it).
//   5483 the answer to a question of kind 2: the same, answer "0" retry,
//        "2" cancel or abort, "1" ignore (when offered: it waits for its
//        condition to pass and come again). Answer of both: 5 number,
//        6 question, 7 answer; refused for a question not waiting.
// The pushes, "R||0|15003|" and fields from 5 on: 8 customer, 9 kind ("1" a
//   question to confirm, "2" a choice, "3" a state), 10 the profit/loss or
//   condition order's number, 11 the question's number (a state: the
//   opening or sent order's number), 12 state ("1" watching, "2" stop-loss
//   sent, "3" take-profit sent, "4" deleted, "5" close refused; a condition
//   order: "1" waiting, "3" asking, "0" sent, "2" cancelled), 13 the
//   choice's kind, 14 the question, or a profit/loss order's "ZSZY#<state
//   text>#". The orders they send ("N", "G") follow with their own pushes.
//
// The functions this terminal never sends (5321, 5322, 5460, 5462 to 5467,
// 5474 to 5476, 5478 to 5481) are refused as unknown.
//
// Option exercise and abandon applications (option_functions.cpp). A seat
// takes the instructions its "ZXZL" parameter names; the lots of entered
// applications and of working close orders are not free for another.
//   5240 exercise ("1") or abandon ("2", parameter 12) application for
//        option parameter 6 at exchange 5: buy/sell 7 ("0"), hedge 8, lots 9,
//        trading code 10, seat 11, taken as stated (the positions count when
//        they are exercised at the day's end). Answer fields:
//        5 customer, 6 application number, 7 exchange id, 8 contract, 9 state
//        "a", 10 buy/sell, 11 hedge, 12 lots, 13 trading code, 14 order
//        time, 15 trading day, 16 seat, 19 cancel time, 25 order seat,
//        34 frozen margin, 35 frozen fee, 38 type.
//   5241 cancel of application number parameter 5 at exchange parameter 8:
//        fields 5 to 15 as 5240 with state "d", 16 cancel time, 20 order
//        seat, 25 type.
//   5244 the options exercised from day parameter 5 to day 6 (the terminal
//        asks for its trading day) held long at seats that take abandons:
//        5 rows, from field 4 on: trading day, customer, seat, trade code, exchange id,
//        hedge, contract, lots held long, lots held short, forecast
//        exercise profit (in-the-money value of the long lots), suggested
//        abandon lots (all free lots when out of the money, else 0), largest
//        abandonable lots (the free ones), lots applied for, forecast
//        settlement price (the underlying's, as 5245 gives it).
//   5243 abandon application for option parameter 7 at exchange 6, lots 8,
//        on the option's exercise day, taken from the first of its 5244
//        positions with the lots free: fields 5 to 18 the position's 5244
//        row after it.
// The pushes that follow: 15012 the application entered, 15013 its cancel,
//   each: 8 customer, 9 application number, 10 exchange id, 11 contract,
//   12 state, 13 buy/sell, 14 hedge, 15 lots, 16 trade code, 25 cancel time,
//   28 state sequence (1 entered, 2 cancelled), 29 message, 31 order seat
//   (the application's key), 42 type.
//
// What the engine downloads before the accounts (reference_functions.cpp);
// "rows" means field 5 of the status line is the row count and each row,
// fetched by a follow-up, is "A|addr|seq|" and its values from field 4:
//   5122 system date: 5 trading day, 6 calendar day (both "YYYYMMDD"),
//        10 time "HH:MM:SS".
//   5454 exchange seats, rows: 4 exchange id, 5 exchange name, 6 exchange
//        code ("sfe" ...), 7 seat, 8 group flag, 9 "close today,market
//        orders,combinations" flags.
//   5127 the trading parameters named by parameter 7 ("ACCFRZ", "ZXZL",
//        "STATUS" ...), rows: 4 key (empty, a seat or an exchange id), 5 name,
//        6 value, 7 note.
//   5131 close strategies, rows: 4 exchange id, 5 number, 6 "策略<number>".
//   5323 order types, rows: 4 exchange id, 5 price type, 6 validity, 7 flag.
//   5008 contracts, rows: 4 exchange id, 5 exchange name, 6 code, 7 name,
//        8 multiplier, 9 upper and 10 lower price limit, 11 delivery period,
//        12 previous settlement price, 13 an option's underlying contract,
//        14 variety code, 15 variety name, 16 price tick, 17 exchange code,
//        22 "1" option or "0" futures, 23 "C" or "P", 24 strike.
//
// What the engine downloads of each trading account, the customer number of
// field 7 (account_queries.cpp), as the trading floor's book stands: the
// data folder's day and what happened since. A management account is
// refused.
//   5300 trade codes, rows: 4 customer, 5 exchange id, 6 trade code, 7 its
//        type, 8 seat, 9 state "0".
//   5002 funds, one line, fields 5 to 35 as the engine's fund row takes them:
//        5 empty, 6 previous balance, 7 buy and 8 sell frozen margin, 9 buy
//        and 10 sell margin, 11 deposits and 12 withdrawals of the day,
//        13 available, 14 equity, 15 risk ratio (margin / equity), 16 risk
//        level "0" (or "2" at a ratio of 1), 17 fees, 18 floating profit,
//        19 closing profit, 20 static equity, 21 "0.00", 22 money in less out
//        of the day, 23 frozen fees, 24 total frozen, 25 total margin,
//        26 and 27 "0.00", 28 credit, 29 currency, 30 exchange risk ratio,
//        31 premium paid, 32 premium received, 33 frozen premium, 34 option
//        market value, 35 floating margin of sold options.
//   5132 positions before the market opened, rows: 4 and 5 open date, 6 deal
//        number, 7 seat, 8 customer, 10 exchange id, 12 trade code,
//        13 variety code, 14 delivery period, 15 buy/sell, 16 hedge, 17 lots,
//        18 holding price (the previous settlement), 19 open price, 20 and
//        21 margin, 22 multiplier, 23 "ordinary", 25 contract.
//   5133 combination positions before the market opened, rows: none (the
//        legs of special orders are held as positions of their contracts).
//   5134 orders of the day selected by number 5, exchange 6 and order seat 7
//        (empty: all), rows: 4 customer, 5 order number, 6 exchange id,
//        7 contract, 9 state, 10 open/close, 11 hedge, 12 buy/sell, 13 price,
//        14 lots, 15 lots working, 16 average fill price, 17 lots filled,
//        18 system number, 19 order time, 20 time reported, 21 trade code,
//        24 cancel time, 25 order kind, 26 seat, 29 state sequence,
//        32 order seat, 34 empty (no combination), 39 price type,
//        40 validity, 48 frozen margin, 52 frozen fee, 57 frozen premium
//        (what the working lots still freeze). A special order's row tells
//        its combination: 7 its code, 12 the first leg's side, lots, prices
//        and fills of the combination, 34 strategy, 35 first and 36 second
//        leg, 41 hedge, 48 and 49 the legs' frozen margin, 52 and 53 their
//        frozen fees.
//   5246 exercise and abandon applications selected as 5134, rows: 4
//        customer, 5 application number, 6 exchange id, 7 contract, 8 state,
//        9 buy/sell, 10 hedge, 11 lots, 12 trade code, 13 order time,
//        14 trading day, 15 seat, 18 cancel time, 21 trade code, 26 order
//        seat (the key the application shares with its exercisable
//        quantity), 27 frozen margin, 28 frozen fee, 31 state sequence, 35 type
//        ("1" exercise, "2" abandon).
//   5003 trades of the day when it lies from date 5 to date 6 (empty: no
//        bound), rows: 4 exchange id, 5 trading day, 6 order number,
//        7 contract, 8 contract name, 9 buy/sell, 10 its text, 11 open/close,
//        12 its text, 13 hedge, 14 its text, 15 lots, 16 price, 17 turnover,
//        18 trade code, 19 system number, 20 deal number, 21 delivery
//        period, 22 time, 23 seat; a special order's fill of each leg with
//        the leg's contract and side.
//
// Single lines the engine asks for one row at a time (rate_functions.cpp,
// quote_functions.cpp):
//   5016 rates of contract 7 at exchange 5 (id or code) for seat 6: 5 empty,
//        6 customer, 7 exchange id, 8 seat, 9 contract, then the 22 rates of
//        the engine's fee-rate row: 10 to 15 the three (rate by amount,
//        amount per lot) pairs of opening and closing, 16 to 21 those of
//        closing today, 22 and 23 "0" (not read), 24 to 31 the margin pairs
//        of buy and sell speculation, buy and sell hedge.
//   5242 exercisable quantity of option 6 at exchange 5, selected by trade
//        code 7, seat 8 and hedge 9 (empty: any; the sixth selector, the
//        buy/sell code, is not read: only long positions are exercised). In
//        the order of the engine's 198-byte row: 5 customer, 6 exchange id,
//        8 contract, 9 trade code, 10 seat, 7 the key the applications share
//        (the seat, as 5246 field 26 carries it), 11 lots under abandon
//        applications (the first frozen quantity), 12 lots under exercise
//        applications (the second), 14 lots held long now, 13 underlying
//        contract. Without a trade code or seat selector, fields 9 and 10
//        show the account's own at the exchange.
//   5245 option parameters of option 7 at exchange 5: 5 exchange id,
//        6 trading day, 7 contract, 8 underlying price (the index of the
//        data, else the underlying futures contract's last price),
//        9 guarantee numerator, 10 guarantee denominator, 11 a fourth value.
//   5128 last prices of the contracts listed in parameter 5 ("X,code;" each,
//        X the exchange id), at most kMaxSubscribedContracts: 5 the prices
//        in list order, separated by ";", empty for an unknown contract.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "account_book.h"
#include "account_day.h"
#include "day_clock.h"
#include "error_codes.h"
#include "free_lots.h"
#include "quote_feed.h"
#include "request.h"
#include "session.h"
#include "simbackend/backend_data.h"
#include "trading_floor.h"

namespace simbackend {

struct Answer {
  std::string line;               // the status line, with the data of a single-packet answer
  std::vector<std::string> rows;  // a multi-row answer's rows, one per follow-up request
  // A subscription's contracts (indexes into the data's contracts), which
  // the connection follows from the moment its answer goes out.
  std::optional<std::vector<std::size_t>> subscription;
  // What follows the answer once it went out (or was held or delayed by the
  // script): the pushes of what the request changed.
  std::function<void()> then;
};

class Functions {
 public:
  // `ownPort` replaces the port of quote servers listed as this back end
  // itself. The accounts' management and the exchange are the server's.
  Functions(const BackendData& data, std::uint16_t ownPort, const QuoteFeed& quotes, AccountBook& accounts,
            TradingFloor& floor);

  // Answers one request (not a follow-up) of the connection numbered
  // `connection`, whose session a login or logout changes.
  Answer Handle(const Request& request, Session& session, std::uint64_t connection);

  static constexpr std::size_t kMaxSubscribedContracts = 100;

 private:
  struct LastLogin {
    std::string address;
    std::string date;
    std::string time;
    std::string channel;
  };
  using Handler = Answer (Functions::*)(const Request&, Session&);

  Answer Login(const Request& request, Session& session, std::uint64_t connection);
  Answer QuoteServers(const Request& request, Session& session);
  Answer ManagedAccounts(const Request& request, Session& session);
  Answer Logout(const Request& request, Session& session);
  Answer CheckInToCtp(const Request& request, Session& session);
  // quote_functions.cpp
  Answer QuoteQuery(const Request& request, Session& session);
  Answer Subscribe(const Request& request, Session& session);
  Answer LastPriceQuery(const Request& request, Session& session);
  // money_functions.cpp
  Answer MoneyHistory(const Request& request, Session& session);
  Answer CustomerStatus(const Request& request, Session& session);
  Answer EditMoney(const Request& request, Session& session);
  Answer ReviewMoney(const Request& request, Session& session);
  // order_functions.cpp
  Answer OrderState(const Request& request, Session& session);
  Answer SendOrder(const Request& request, Session& session);
  Answer CancelOrder(const Request& request, Session& session);
  // The trade code and seat that an order of the customer at the exchange
  // with that hedge code goes out with: those requested, which must be the
  // customer's, or else the first that fits. Null, with the refusal, when
  // none is.
  const TradeCode* TradeCodeOf(const Request& request, std::size_t exchange, const std::string& hedge,
                               const std::string& tradeCode, const std::string& seat, std::string& refusal) const;
  // A close today ("2") needs a seat at which the exchange takes one.
  std::optional<Refused> CloseTodayRefused(const Contract& contract, const TradeCode& code,
                                           const std::string& openClose) const;
  // standing_functions.cpp
  Answer PlaceProfitLoss(const Request& request, Session& session);
  Answer PlaceCondition(const Request& request, Session& session);
  Answer ConfirmCondition(const Request& request, Session& session);
  Answer ChooseConditionAction(const Request& request, Session& session);
  // The answer to a condition order's question of kind 1 (5482) or 2 (5483).
  Answer AnswerQuestion(const Request& request, int kind);
  // option_functions.cpp
  Answer SendExercise(const Request& request, Session& session);
  Answer CancelExercise(const Request& request, Session& session);
  Answer ApplyAbandon(const Request& request, Session& session);
  Answer AbandonableOptions(const Request& request, Session& session);
  // Enters the application at the trading floor: the answer of `values` of
  // it as entered, its push to follow; or the refusal.
  Answer Applied(const Request& request, ExerciseApplication application, TradingFloor::Backing backing,
                 const std::function<std::vector<std::string>(const ExerciseApplication&)>& values);
  // A long option position whose exercise its seat lets the customer abandon
  // on its exercise day, with the lots free for it, and its row of the
  // abandonable options: from
  // field 4 on, trading day, customer, seat, trade code, exchange id, hedge,
  // contract, lots held long, lots held short, forecast exercise profit,
  // suggested abandon lots, largest abandonable lots, lots applied for,
  // forecast settlement price (the underlying's).
  struct AbandonableRow {
    PositionKey position;
    std::int64_t free = 0;
    std::vector<std::string> values;
  };
  // Those of options exercised from day `first` to day `last` (empty: no bound).
  std::vector<AbandonableRow> Abandonable(const std::string& customer, const std::string& first,
                                          const std::string& last) const;
  std::vector<AbandonableRow> AbandonableRows(const DayBusiness& business, const AccountDay& day,
                                              const std::string& customer, const std::string& first,
                                              const std::string& last) const;
  // reference_functions.cpp
  Answer SystemDate(const Request& request, Session& session);
  Answer ExchangeSeats(const Request& request, Session& session);
  Answer TradingParameters(const Request& request, Session& session);
  Answer CloseStrategies(const Request& request, Session& session);
  Answer OrderTypes(const Request& request, Session& session);
  Answer Contracts(const Request& request, Session& session);
  // account_queries.cpp
  Answer TradeCodes(const Request& request, Session& session);
  Answer FundsQuery(const Request& request, Session& session);
  Answer PositionDetails(const Request& request, Session& session);
  Answer CombinationDetails(const Request& request, Session& session);
  Answer Orders(const Request& request, Session& session);
  Answer ExerciseOrders(const Request& request, Session& session);
  Answer Trades(const Request& request, Session& session);
  // The row of an order and of a trade, as those answers give them.
  std::vector<std::string> OrderRow(const BookOrder& book, const OrderProgress& progress) const;
  std::vector<std::string> TradeRow(const DayBusiness& business, const DayTrade& trade, const std::string& today) const;
  // password_functions.cpp
  Answer ChangeKindPassword(const Request& request, Session& session);
  Answer ChangePassword(const Request& request, Session& session);
  Answer PasswordRules(const Request& request, Session& session);
  // notice_functions.cpp
  Answer Bulletins(const Request& request, Session& session);
  Answer ImportantNotices(const Request& request, Session& session);
  Answer SeatTimeDifferences(const Request& request, Session& session);
  Answer MonitorCentreKey(const Request& request, Session& session);
  // The important notices that the customer's login finds waiting.
  std::vector<std::string> NoticesOf(const std::string& customer) const;
  // statement_functions.cpp
  Answer SettlementStatement(const Request& request, Session& session);
  Answer ConfirmStatement(const Request& request, Session& session);
  // rate_functions.cpp
  Answer FeeRates(const Request& request, Session& session);
  Answer ExercisableQuantity(const Request& request, Session& session);
  Answer OptionParameters(const Request& request, Session& session);
  // The price of an option's underlying: the index of the option
  // parameters, else the underlying futures contract's last price.
  std::string UnderlyingPriceText(std::size_t option) const;
  // The contract named by the two parameters; a refusal line when there is none.
  std::size_t FindContractOf(const Request& request, std::size_t exchangeParameter, std::size_t contractParameter,
                             std::string& refusal) const;

  // The trading account of the request's customer number; a refusal line
  // for a management account.
  const Account* Trader(const Request& request, std::string& refusal) const;

  // The login's kind, or a refusal line.
  SessionKind CheckLogin(const Request& request, std::string& refusal) const;
  std::vector<std::string> AccountValues(const Account& account, SessionKind kind, const Request& request,
                                         std::uint64_t connection);
  // True when the request's customer number and password may act on this
  // session: its own account, signed by the account's password or, for a
  // sub-account, by its manager's.
  bool Authorized(const Request& request, const Session& session) const;
  bool SignsFor(const std::string& customer, const std::string& password) const;
  // The option contract named by the exchange id or code and the code; a
  // refusal line when there is none.
  const Contract* FindOption(const Request& request, const std::string& exchange, const std::string& code,
                             std::string& refusal) const;
  // The management account of the session, when it manages `customer`; a
  // refusal line otherwise.
  const Account* ManagerOf(const Request& request, const Session& session, const std::string& customer,
                           std::string& refusal) const;

  const BackendData& data_;
  const std::uint16_t ownPort_;
  const QuoteFeed& quotes_;
  const std::map<int, Handler> handlers_;
  AccountBook& book_;
  TradingFloor& floor_;
  std::mutex lastLoginsMutex_;  // guards lastLogins_
  std::map<std::string, LastLogin> lastLogins_;
  std::atomic<std::int64_t> lastKeyId_{0};  // of the monitoring centre's keys
};

// Parameter k of the terminal's own functions.
inline const std::string& Parameter(const Request& request, std::size_t k) { return request.Field(k + 4); }

// An answer of one line.
inline Answer OneLine(std::string line) { return {std::move(line), {}, {}, {}}; }

// The values of an answer line from field `first` to field `last`, set by
// field number; a field not set stays empty.
class FieldValues {
 public:
  FieldValues(std::size_t first, std::size_t last) : first_(first), values_(last - first + 1) {}
  FieldValues& Set(std::size_t field, std::string value) {
    values_.at(field - first_) = std::move(value);
    return *this;
  }
  std::vector<std::string> Take() { return std::move(values_); }

 private:
  std::size_t first_;
  std::vector<std::string> values_;
};

// A multi-row answer built a row at a time: each row becomes its line at
// once, so that a long answer holds its lines and nothing more.
class AnswerRows {
 public:
  explicit AnswerRows(const Request& request) : request_(request) {}
  void Add(const std::vector<std::string>& values);
  // The status line with the row count, then the rows in the order added.
  Answer Take();

 private:
  const Request& request_;
  std::vector<std::string> lines_;
};

// A multi-row answer: the status line with the row count, then a row of
// each `rows` entry.
Answer RowsAnswer(const Request& request, const std::vector<std::vector<std::string>>& rows);

// An answer of one refused line.
Answer Refusal(const Request& request, int code, const std::string& text);

// The text without the blanks and tabs around it.
std::string TrimBlanks(const std::string& text);

}  // namespace simbackend
