// The quotes that connections subscribe to: the market, which connection
// follows which contracts, and the thread that moves the followed contracts
// (and those that orders wait for) and pushes their updates.
//
// A subscription replaces the connection's set and is answered by one push
// of full quotes of the new set; every later step queues one update line per
// followed contract, which replaces the contract's update still waiting for
// a slow client. A connection never receives an update of a contract before
// the full quote of its latest subscription, and no step waits for a client.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "market.h"
#include "outgoing_queue.h"
#include "platform/thread.h"
#include "simbackend/backend_data.h"

namespace simbackend {

class Connection;

class QuoteFeed {
 public:
  // `interval` 0: the market moves only on Advance().
  QuoteFeed(const BackendData& data, std::uint64_t seed, std::chrono::milliseconds interval);
  ~QuoteFeed() { Stop(); }
  QuoteFeed(const QuoteFeed&) = delete;
  QuoteFeed& operator=(const QuoteFeed&) = delete;

  void Start();
  // Joins the thread; Advance() and Subscribe() still work afterwards.
  void Stop();

  // Makes `contracts` (indexes into the data's contracts) the set that the
  // connection follows, then calls `sendAnswer` to send the subscription's
  // answer, then pushes their full quotes: a client that has the answer sees
  // no update of the set before, and no update of the new set before its
  // full quotes.
  void Subscribe(const std::shared_ptr<Connection>& connection, std::vector<std::size_t> contracts,
                 const std::function<void()>& sendAnswer);
  void Unsubscribe(std::uint64_t connection);

  // Contracts that move with every step besides those that connections
  // follow: working orders wait for them.
  void SetWaitedFor(std::vector<std::size_t> contracts);

  // Called after every step, once its updates went out, with the contracts
  // that moved; outside the feed's locks. Set before Start().
  using StepListener = std::function<void(const std::vector<std::size_t>& moved)>;
  void SetStepListener(StepListener listener) { stepListener_ = std::move(listener); }

  // Moves every followed or waited-for contract one step, pushes the updates
  // and tells the step listener; the number of connections reached.
  std::size_t Advance();

  // The contract's current quote.
  Quote QuoteOf(std::size_t contract) const;

 private:
  struct Subscriber {
    std::weak_ptr<Connection> connection;
    std::vector<std::size_t> contracts;  // guarded by the feed's mutex_
    // Held while quotes go out to the connection, so that a subscription's
    // full quotes and the updates after it reach it in order. Taken before
    // the feed's mutex_.
    std::mutex sending;
    std::uint64_t generation = 0;  // changed under both locks: a new subscription
  };
  struct Delivery {
    std::shared_ptr<Subscriber> subscriber;
    std::uint64_t generation;
    std::vector<QuoteUpdate> updates;
  };

  std::shared_ptr<Subscriber> SubscriberOf(const std::shared_ptr<Connection>& connection);
  // Under mutex_: steps the followed and waited-for contracts, which go to
  // `moved`, and builds each subscriber's updates.
  std::vector<Delivery> StepLocked(std::vector<std::size_t>& moved);
  static std::string PushFrame(const std::vector<std::string>& lines);

  const BackendData& data_;
  const std::chrono::milliseconds interval_;
  StepListener stepListener_;
  mutable std::mutex mutex_;  // guards market_, subscribers_ and waitedFor_
  Market market_;
  std::map<std::uint64_t, std::shared_ptr<Subscriber>> subscribers_;  // by connection id
  std::vector<std::size_t> waitedFor_;
  platform::WorkerThread thread_;
};

}  // namespace simbackend
