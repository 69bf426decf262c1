#include "fault_injector.h"

#include <string_view>
#include <utility>

#include "order_lines.h"
#include "request.h"

namespace simbackend {
namespace {

// The last step of a terminal's download of an account.
constexpr int kTradesFunction = 5003;

// The push code of a pushed line, "R||0|code|..."; 0 when it has none.
int PushCode(std::string_view line) {
  std::size_t start = 0;
  for (int field = 1; field < 4; ++field) {
    start = line.find('|', start);
    if (start == std::string_view::npos) return 0;
    ++start;
  }
  int code = 0;
  for (std::size_t i = start; i < line.size() && line[i] >= '0' && line[i] <= '9' && code < 100000; ++i)
    code = code * 10 + (line[i] - '0');
  return code;
}

bool ChangesAnOrder(int code) { return code == kOrderStatePush || code == kOrderCancelPush || code == kTradePush; }

}  // namespace

void FaultInjector::Set(const FaultPlan& plan) {
  std::lock_guard lock(mutex_);
  plan_ = plan;
  for (int stream = 0; stream < kStreamCount; ++stream)
    streams_[stream].seed(plan.seed * kStreamCount + static_cast<std::uint64_t>(stream));
  counts_ = {};
  dropsPending_.clear();
  lateRowSent_.clear();
}

FaultCounts FaultInjector::Counts() const {
  std::lock_guard lock(mutex_);
  return counts_;
}

void FaultInjector::Hold(bool held) {
  std::lock_guard lock(mutex_);
  held_ = held;
}

bool FaultInjector::StrikesLocked(Stream stream, int perMille) {
  if (held_ || perMille <= 0) return false;
  return static_cast<int>(streams_[stream]() % 1000) < perMille;
}

bool FaultInjector::DropsAt(std::uint64_t connection, int function, std::size_t rows) {
  std::lock_guard lock(mutex_);
  if (held_) return false;
  if (function == kFollowUpFunction) {
    const auto pending = dropsPending_.find(connection);
    if (pending == dropsPending_.end() || --pending->second > 0) return false;
    dropsPending_.erase(pending);
    ++counts_.dropsWithinAnswer;
    return true;
  }
  // A new request ends a multi-row answer the client left unread.
  dropsPending_.erase(connection);
  // Log-ins never drop: the reconnect would only wait and try again.
  if (function == kLoginFunction || !StrikesLocked(kDrop, plan_.dropPerMille)) return false;
  const std::size_t atRow = static_cast<std::size_t>(streams_[kDrop]() % (rows + 1));
  if (atRow == 0) {
    ++counts_.dropsBeforeAnswer;
    return true;
  }
  dropsPending_[connection] = atRow;
  return false;
}

void FaultInjector::Forget(std::uint64_t connection) {
  std::lock_guard lock(mutex_);
  dropsPending_.erase(connection);
  lateRowSent_.erase(connection);
}

bool FaultInjector::Delays(std::uint64_t connection, int function) {
  std::lock_guard lock(mutex_);
  const bool followUp = function == kFollowUpFunction;
  // A new request begins a new answer; a long answer meets one late row at
  // most, lest the time of a download grow with the square of its rows.
  if (!followUp) lateRowSent_.erase(connection);
  if (function == kLoginFunction || (followUp && lateRowSent_.contains(connection)) ||
      !StrikesLocked(kDelay, plan_.delayPerMille))
    return false;
  if (followUp) lateRowSent_.insert(connection);
  ++counts_.delayedAnswers;
  return true;
}

bool FaultInjector::OtherClientActsAt(int function) {
  std::lock_guard lock(mutex_);
  if (function != kTradesFunction || !StrikesLocked(kOtherClient, plan_.otherClientPerMille)) return false;
  ++counts_.otherClientActs;
  return true;
}

std::chrono::milliseconds FaultInjector::Delay() const {
  std::lock_guard lock(mutex_);
  return plan_.delay;
}

std::vector<std::string> FaultInjector::Garble(std::vector<std::string> lines) {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (PushCode(lines[i]) == kOrderStatePush && PushCode(lines[i + 1]) == kTradePush &&
        StrikesLocked(kFillFirst, plan_.fillFirstPerMille)) {
      std::swap(lines[i], lines[i + 1]);
      ++counts_.fillsFirst;
      ++i;
    }
  }
  std::vector<std::string> garbled;
  garbled.reserve(lines.size());
  for (std::string& line : lines) {
    const bool twice = ChangesAnOrder(PushCode(line)) && StrikesLocked(kDuplicate, plan_.duplicatePerMille);
    garbled.push_back(std::move(line));
    if (twice) {
      garbled.push_back(garbled.back());
      ++counts_.duplicatedPushes;
    }
  }
  return garbled;
}

}  // namespace simbackend
