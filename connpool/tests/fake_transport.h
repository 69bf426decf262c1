// A transport for the worker pool's tests: answers each call at once from a
// script, or holds one call until it is pre-empted or released. Every wait
// is bounded, so a faulty pool fails a test instead of hanging it.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "connpool/call_transport.h"
#include "platform/sync.h"

namespace connpool::testing {

inline constexpr std::chrono::milliseconds kBoundedWait{10000};
inline constexpr std::string_view kPreemptedText = "调用被抢占";

class FakeTransport : public CallTransport {
 public:
  // Calls of `functionNumber` fail with `code` and `error` instead of
  // answering one packet.
  void Answer(int functionNumber, int code, std::string error) {
    std::lock_guard lock(mutex_);
    failures_[functionNumber] = {code, std::move(error)};
  }

  // The next call of `functionNumber` is held until it is pre-empted or
  // released. With `lingerWhenPreempted` a pre-empted call still waits for
  // Release before it returns, like a middleware slow to notice.
  void HoldNext(int functionNumber, bool lingerWhenPreempted = false) {
    std::lock_guard lock(mutex_);
    held_.Reset();
    preempted_.Reset();
    release_.Reset();
    holdFunction_ = functionNumber;
    linger_ = lingerWhenPreempted;
  }
  bool WaitUntilHeld() { return held_.Wait(kBoundedWait); }
  bool WaitUntilPreempted() { return preempted_.Wait(kBoundedWait); }
  void Release() { release_.Set(); }

  std::vector<int> Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }

  int Call(const SubCallRequest& request, platform::Event& preempt, PackedList& results,
           std::string& error) noexcept override {
    bool hold = false;
    bool linger = false;
    std::pair<int, std::string> failure{kCallDone, {}};
    {
      std::lock_guard lock(mutex_);
      calls_.push_back(request.functionNumber);
      if (holdFunction_ == request.functionNumber) {
        hold = true;
        linger = linger_;
        holdFunction_ = -1;
      }
      if (auto found = failures_.find(request.functionNumber); found != failures_.end()) failure = found->second;
    }
    if (hold) {
      held_.Set();
      if (platform::WaitForAny({&preempt, &release_}, kBoundedWait) == 0) {
        preempted_.Set();
        if (linger) release_.Wait(kBoundedWait);
        error = kPreemptedText;
        return kCallInterrupted;
      }
    } else if (preempt.IsSet()) {
      error = kPreemptedText;
      return kCallInterrupted;
    }
    if (failure.first != kCallDone) {
      error = failure.second;
      return failure.first;
    }
    PackedList packet;
    packet.AddText("answer " + std::to_string(request.functionNumber));
    results.AppendListAsValue(packet);
    return kCallDone;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<int> calls_;                               // guarded by mutex_
  std::map<int, std::pair<int, std::string>> failures_;  // guarded by mutex_
  int holdFunction_ = -1;                                // guarded by mutex_
  bool linger_ = false;                                  // guarded by mutex_
  platform::Event held_{platform::ResetMode::kManual};
  platform::Event preempted_{platform::ResetMode::kManual};
  platform::Event release_{platform::ResetMode::kManual};
};

}  // namespace connpool::testing
