// Synchronisation primitives: critical sections and events that a thread can
// wait on singly or several at a time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <initializer_list>
#include <mutex>
#include <vector>

namespace platform {

// A recursive lock: the owning thread may enter again. Satisfies Lockable, so
// std::lock_guard and std::unique_lock work with it.
class CriticalSection {
 public:
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
  bool try_lock() { return mutex_.try_lock(); }

 private:
  std::recursive_mutex mutex_;
};

enum class ResetMode {
  kManual,  // stays set until Reset()
  kAuto,    // a successful wait takes the signal and resets the event
};

namespace detail {
struct Waiter;
}

class Event {
 public:
  explicit Event(ResetMode mode, bool initiallySet = false);
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;

  // True when the event was signalled within the time-out.
  bool Wait(std::chrono::milliseconds timeout);
  void Wait();

 private:
  friend int WaitForAny(std::initializer_list<Event*>, std::chrono::milliseconds);
  bool TakeLocked();

  const ResetMode mode_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool set_;
  std::vector<detail::Waiter*> waiters_;
};

inline constexpr int kWaitTimedOut = -1;

// Waits until one of the events is set and returns its index. When several
// are set, the first in the list wins, so a stop event listed first beats
// pending work. An auto-reset event is reset only when it is the one taken.
// kWaitTimedOut when none was set within the time-out.
int WaitForAny(std::initializer_list<Event*> events, std::chrono::milliseconds timeout);

inline constexpr std::chrono::milliseconds kWaitForever = std::chrono::milliseconds::max();

}  // namespace platform
