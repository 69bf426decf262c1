// The simulated trading back end: a TCP server on the loopback interface
// that speaks the portal's frames and answers the terminal's requests from
// the accounts and contracts of its data folder, with quotes that move by a
// seeded random walk for the connections that subscribe to them.
//
// It is also a small exchange: orders fill against the quotes, and every
// change of an order, fill, cancel or option application is pushed to the
// account's connections. Profit/loss and condition orders wait at it for
// the market and become orders; special (two-legged) orders, which the
// terminal does not place, are placed by the script.
//
// Tests start it in-process on port 0 and script it: refuse a function, hold
// or delay its answers, drop connections, inject faults on a seeded
// schedule, push lines or messages to an account, move the quotes a step,
// set how orders fill, read an account's book, and look at the requests
// that came in.
// Every scripting call is thread-safe, every wait is bounded by its time-out,
// and Stop() (or the destructor) closes every connection and joins every
// thread the server started.
//
// Connections are served by one network thread; none waits for another, nor
// does the market or its matching wait for any client: each connection
// writes from a bounded queue of its own (see kMaxQueuedBytes).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simbackend/account_view.h"
#include "simbackend/fault_plan.h"
#include "simbackend/fill_behaviour.h"

namespace simbackend {

struct ServerOptions {
  std::string dataFolder;  // empty: DefaultDataFolder()
  std::uint16_t port = 0;  // 0: a free port, see Server::Port()
  // Receives one line per connection event (opened, logged in, closed); may
  // be empty. Called from the server's threads.
  std::function<void(const std::string&)> log;
  // The market's random walk: the same seed and the same steps give the
  // same quotes.
  std::uint64_t quoteSeed = 20261210;
  // How often the subscribed contracts move and their updates go out; 0:
  // only on AdvanceQuotes().
  std::chrono::milliseconds quoteInterval{500};
  // A connection that has not logged in this long after it opened (or after
  // its logout) is closed. A logged-in one is never closed for being quiet.
  std::chrono::milliseconds loginDeadline{10000};
  // Connections served at once; one more is closed as soon as it is accepted.
  std::size_t maxConnections = 4096;
};

// A message push (15006) as the terminal reads it.
struct MessagePush {
  std::string category = "0";  // "0" notice, "1" message once a run, "2" exchange state, "7" none, else a message
  std::string addressee;       // a notice's customer number; empty or " " for everybody
  std::string level = "1";     // a notice's level: "1" normal, "2" warning, "3" danger, "4" rolling, "5" risk
  std::string text;
  std::string exchange;  // an exchange state's exchange
  std::string state;     // an exchange state's market state code
};

// A special (two-legged) order as another client of an account places it;
// the terminal places none. On a combination strategy of the exchange
// ("SPD", "DS"), with two futures contracts of one variety: its first leg
// takes the order's side, its second the other side. A limit order of the
// day, priced as the first leg's price less the second's.
struct SpecialOrder {
  std::string exchange;  // id or code
  std::string strategy;
  std::string firstLeg;
  std::string secondLeg;
  std::string buySell = "0";
  std::string openClose = "0";  // "0" open, "1" close
  std::string hedge = "0";
  std::string lots = "1";
  std::string price;  // may be 0 or below
};

// A login, or a request of a logged-in session, as the tests look at it.
struct ReceivedRequest {
  std::uint64_t connection = 0;  // 1 for the first connection accepted, 2 for the next ...
  int function = 0;              // field 4 of the text; 0 for a follow-up; -1 when unreadable
  std::string customer;          // the customer logged in on the connection, empty before
  std::string text;              // its first kMaxRecordedTextBytes bytes
};

class Server {
 public:
  // Loads the data folder and listens on 127.0.0.1. Null, with the reason in
  // `error`, when the data cannot be loaded or the port cannot be bound.
  static std::unique_ptr<Server> Start(ServerOptions options, std::string& error);

  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  std::uint16_t Port() const;
  // Closes the listener and every connection and joins every thread. Answers
  // held or delayed are dropped. Safe to call twice.
  void Stop();

  // --- Scripting: rules per function number (0 names the follow-ups) ----
  // A rule replaces the one set before for the same function.

  // Answers every request of `function` with "N", `code` and `text`.
  void RefuseFunction(int function, int code, std::string text);
  // Keeps the answers of `function` until ReleaseHeld().
  void HoldAnswers(int function);
  // Sends the answers of `function` `delay` late (at most kMaxDelay).
  void DelayAnswers(int function, std::chrono::milliseconds delay);
  // Back to normal answers; answers already held or delayed stay so.
  void ClearRule(int function);
  void ClearRules();

  // Sends the held answers of `function`; the number sent.
  std::size_t ReleaseHeld(int function);
  std::size_t HeldCount() const;
  bool WaitForHeld(std::size_t count, std::chrono::milliseconds timeout) const;

  // Drops connections as a failing network would; the number dropped.
  std::size_t DropConnections();
  std::size_t DropConnections(std::string_view customer);

  // Sends the lines as one push to every connection on which `customer` is
  // logged in; the number of connections reached. None when a line holds a
  // zero byte.
  std::size_t Push(std::string_view customer, const std::vector<std::string>& lines);

  // Message pushes to every connection on which `customer` is logged in;
  // the number of connections reached.
  std::size_t PushMessage(std::string_view customer, const MessagePush& message);
  std::size_t PushMessageBox(std::string_view customer, std::string_view title, std::string_view text);

  // Injects the plan's faults from now on, its schedule started afresh and
  // the counts from 0; a plan of no chances injects none.
  void SetFaults(const FaultPlan& plan);
  FaultCounts Faults() const;
  // Holds the faults off (a checker looking at both sides) and lets them
  // strike again; the schedule goes on where it stopped.
  void HoldFaults(bool held);

  // Moves every subscribed contract one step and pushes the updates to the
  // connections that subscribed; the number of connections reached.
  std::size_t AdvanceQuotes();

  // --- Scripting: the exchange ---------------------------------------
  // How orders that cross the market fill from now on; whole at start.
  void SetFillBehaviour(FillBehaviour fills);
  // Places a special order of the trading account at the account's own
  // trade code and seat of the exchange: the exchange takes it at once
  // (15008) and fills both legs as the market crosses it (15005 of each leg,
  // then 15009). Its number, or none with the refusal's text in `refusal`.
  std::optional<std::string> PlaceSpecialOrder(std::string_view customer, const SpecialOrder& order,
                                               std::string& refusal);
  // Cancels the account's working special order with that number (15009).
  bool CancelSpecialOrder(std::string_view customer, std::string_view number, std::string& refusal);
  // The book of a trading account as it stands: funds, orders (with how
  // many times each was received), fills and positions. None for a
  // customer number that is no trading account.
  std::optional<AccountView> Book(std::string_view customer) const;
  // Parts of that book, which cost what they hold rather than the whole
  // day: the positions, and the orders that still work (entered, taken,
  // partly filled, ...). Empty for a customer number that is no trading
  // account.
  std::vector<PositionView> Positions(std::string_view customer) const;
  std::vector<OrderView> WorkingOrders(std::string_view customer) const;

  // The logins and the requests of logged-in sessions, oldest first: the
  // latest kMaxRecordedRequests, and fewer when their texts take more than
  // kMaxRecordedBytes. Nothing else that a connection sends before it logs
  // in is kept.
  std::vector<ReceivedRequest> Requests() const;
  // Waits until `count` such requests have arrived since the start or the
  // last ClearRequests().
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
  void ClearRequests();

  std::size_t ConnectionCount() const;
  bool WaitForConnectionCount(std::size_t count, std::chrono::milliseconds timeout) const;

  static constexpr std::chrono::milliseconds kMaxDelay{60000};
  static constexpr std::size_t kMaxRecordedRequests = 4096;
  static constexpr std::size_t kMaxRecordedBytes = std::size_t{1} << 20;
  static constexpr std::size_t kMaxRecordedTextBytes = 2048;
  // Answers held or delayed at once; beyond it an answer goes out at once.
  static constexpr std::size_t kMaxDeferredAnswers = 1024;
  // A request frame's text beyond this (the terminal's longest, its login,
  // takes about 1 KiB) or with more fields than this (no function takes
  // more than 30) gets the refusal of a malformed request, unread; the
  // connection goes on.
  static constexpr std::size_t kMaxRequestBytes = 64 * 1024;
  static constexpr std::size_t kMaxRequestFields = 256;
  // Bytes that may wait to be written to one connection. Quote updates of a
  // contract replace each other while they wait; answers and pushes of
  // orders, cancels and fills are never dropped, so past the bound the
  // connection is closed.
  static constexpr std::size_t kMaxQueuedBytes = std::size_t{4} << 20;

  class Impl;

 private:
  explicit Server(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace simbackend
