#include "platform/sync.h"

#include <algorithm>

namespace platform {
namespace detail {

// One waiting call of WaitForAny, registered with every event it waits on.
struct Waiter {
  std::mutex mutex;
  std::condition_variable wake;
  bool signalled = false;

  void Signal() {
    std::lock_guard lock(mutex);
    signalled = true;
    wake.notify_one();
  }
};

}  // namespace detail

namespace {

// Waits on `cv` until `ready()` or the time-out; kWaitForever waits without one.
template <typename Lock, typename Ready>
bool WaitUntil(std::condition_variable& cv, Lock& lock, std::chrono::milliseconds timeout, Ready ready) {
  if (timeout == kWaitForever) {
    cv.wait(lock, ready);
    return true;
  }
  return cv.wait_for(lock, timeout, ready);
}

}  // namespace

Event::Event(ResetMode mode, bool initiallySet) : mode_(mode), set_(initiallySet) {}

Event::~Event() = default;

void Event::Set() {
  std::lock_guard lock(mutex_);
  set_ = true;
  changed_.notify_all();
  for (detail::Waiter* waiter : waiters_) waiter->Signal();
}

void Event::Reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

bool Event::IsSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}

bool Event::TakeLocked() {
  if (!set_) return false;
  if (mode_ == ResetMode::kAuto) set_ = false;
  return true;
}

bool Event::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!WaitUntil(changed_, lock, timeout, [this] { return set_; })) return false;
  TakeLocked();
  return true;
}

void Event::Wait() { Wait(kWaitForever); }

int WaitForAny(std::initializer_list<Event*> events, std::chrono::milliseconds timeout) {
  const bool forever = timeout == kWaitForever;
  const auto deadline = std::chrono::steady_clock::now() + (forever ? std::chrono::milliseconds(0) : timeout);
  detail::Waiter waiter;
  auto unregister = [&] {
    for (Event* event : events) {
      std::lock_guard lock(event->mutex_);
      std::erase(event->waiters_, &waiter);
    }
  };
  // Takes the first set event, registering with each one looked at before it,
  // so that a Set() after the look still wakes the waiter.
  auto takeFirstSet = [&]() -> int {
    int index = 0;
    for (Event* event : events) {
      std::lock_guard lock(event->mutex_);
      if (event->TakeLocked()) return index;
      if (std::find(event->waiters_.begin(), event->waiters_.end(), &waiter) == event->waiters_.end())
        event->waiters_.push_back(&waiter);
      ++index;
    }
    return kWaitTimedOut;
  };
  for (;;) {
    if (int index = takeFirstSet(); index != kWaitTimedOut) {
      unregister();
      return index;
    }
    std::unique_lock lock(waiter.mutex);
    auto signalled = [&] { return waiter.signalled; };
    const bool woken =
        forever ? (waiter.wake.wait(lock, signalled), true) : waiter.wake.wait_until(lock, deadline, signalled);
    waiter.signalled = false;
    if (!woken) {
      lock.unlock();
      unregister();
      return kWaitTimedOut;
    }
  }
}

}  // namespace platform
