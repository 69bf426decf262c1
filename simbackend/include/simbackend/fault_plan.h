// Faults the back end injects on a seeded schedule, as a failing network or
// an exchange gateway that repeats itself would: connections dropped before
// an answer or between the rows of a multi-row answer, order-state and fill
// pushes sent twice, a fill pushed before the order state that goes with
// it, and answers sent late, after the pushes of their request.
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
  // Per request but a log-in: its answer goes out `delay` late.
  int delayPerMille = 0;
  std::chrono::milliseconds delay{20};
};

// The faults injected since the plan was set.
struct FaultCounts {
  std::size_t dropsBeforeAnswer = 0;
  std::size_t dropsWithinAnswer = 0;  // between the rows of a multi-row answer
  std::size_t duplicatedPushes = 0;
  std::size_t fillsFirst = 0;
  std::size_t delayedAnswers = 0;

  std::size_t Drops() const { return dropsBeforeAnswer + dropsWithinAnswer; }
  std::size_t Total() const { return Drops() + duplicatedPushes + fillsFirst + delayedAnswers; }
};

}  // namespace simbackend
