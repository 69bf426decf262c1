// Draws the faults of a FaultPlan at their occasions and counts those that
// strike. Thread-safe: the connections' readers ask about requests, the
// trading floor's callers about pushes.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "simbackend/fault_plan.h"

namespace simbackend {

class FaultInjector {
 public:
  // Starts the plan's schedule from its beginning and the counts from 0.
  void Set(const FaultPlan& plan);
  FaultCounts Counts() const;
  // While held, no fault strikes and no draw is made: the schedule goes on
  // where it stopped once released.
  void Hold(bool held);

  // At the request of `function` just served on `connection`, whose answer
  // leaves `rows` rows for follow-ups: true when the connection drops now
  // instead of answering. A drop drawn for a multi-row answer may strike at
  // one of its follow-ups instead.
  bool DropsAt(std::uint64_t connection, int function, std::size_t rows);
  // The connection has ended: a drop it still waits for is forgotten.
  void Forget(std::uint64_t connection);
  // Whether the answer to a request of `function` on `connection` goes out
  // late (of the follow-ups of one multi-row answer, one at most); how late.
  bool Delays(std::uint64_t connection, int function);
  std::chrono::milliseconds Delay() const;
  // The lines of a push as they go out: order-state, cancel and fill lines
  // may be doubled, an order state's fill may come first.
  std::vector<std::string> Garble(std::vector<std::string> lines);
  // Whether another client of the account acts before the answer to a
  // request of `function` goes out.
  bool OtherClientActsAt(int function);

 private:
  enum Stream { kDrop, kDuplicate, kFillFirst, kDelay, kOtherClient, kStreamCount };

  bool StrikesLocked(Stream stream, int perMille);

  mutable std::mutex mutex_;  // guards every member below
  FaultPlan plan_;
  bool held_ = false;
  std::mt19937_64 streams_[kStreamCount];
  FaultCounts counts_;
  // Connections that drop after that many more follow-ups.
  std::map<std::uint64_t, std::size_t> dropsPending_;
  // Connections whose multi-row answer has had its late row.
  std::set<std::uint64_t> lateRowSent_;
};

}  // namespace simbackend
