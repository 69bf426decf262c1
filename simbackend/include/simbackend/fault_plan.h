// Faults the back end injects on a seeded schedule, as a failing network or
// an exchange gateway that repeats itself would: connections dropped before
// an answer or between the rows of a multi-row answer, order-state and fill
// pushes sent twice, a fill pushed before the order state that goes with
// it, answers sent late, after the pushes of their request, and another
// client of an account acting while the account's client downloads it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace simbackend {

struct FaultPlan {
  // Each kind of fault draws from its own stream of this seed, so that its
  // decisions do not depend on how the occasions of the other kinds
  // interleave with its own.
  std::uint64_t seed = 1;
  // Chances in thousandths of the occasions a fault may strike at.
  // Per request but a log-in: the connection drops, before the answer or,
  // for a multi-row answer, at a drawn one of its rows.
  int dropPerMille = 0;
  // Per order-state (15002), cancel (15004) or fill (15005) push line: the
  // line goes out twice.
  int duplicatePerMille = 0;
  // Per push of an order state followed by its fill: the fill goes first.
  int fillFirstPerMille = 0;
  // Per request but a log-in: its answer goes out `delay` late. Of the
  // follow-ups that fetch the rows of one multi-row answer one at most is
  // late, so that a download's time grows with its rows, not their square.
  int delayPerMille = 0;
  std::chrono::milliseconds delay{20};
  // Per request of an account's trades (5003), the last step of a
  // terminal's download of an account, after its orders and applications:
  // before the answer goes out, another client of the account acts, and its
  // pushes reach the account's connections while the download still runs.
  // A condition order whose condition holds asks its question (15003), a
  // special order is entered and cancelled (15008, 15009), and an exercise
  // application of a long option with a lot free is entered (15012); each
  // that the account's data cannot back is left out.
  int otherClientPerMille = 0;
};

// The faults injected since the plan was set.
struct FaultCounts {
  std::size_t dropsBeforeAnswer = 0;
  std::size_t dropsWithinAnswer = 0;  // between the rows of a multi-row answer
  std::size_t duplicatedPushes = 0;
  std::size_t fillsFirst = 0;
  std::size_t delayedAnswers = 0;
  std::size_t otherClientActs = 0;

  std::size_t Drops() const { return dropsBeforeAnswer + dropsWithinAnswer; }
  std::size_t Total() const { return Drops() + duplicatedPushes + fillsFirst + delayedAnswers + otherClientActs; }
};

}  // namespace simbackend
