// Answers that the script holds back until released or sends late, with the
// thread that sends the late ones when they fall due.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sync.h"
#include "platform/thread.h"

namespace simbackend {

class Connection;

class DeferredAnswers {
 public:
  explicit DeferredAnswers(std::size_t capacity);
  ~DeferredAnswers() { Stop(); }
  DeferredAnswers(const DeferredAnswers&) = delete;
  DeferredAnswers& operator=(const DeferredAnswers&) = delete;

  void Start();
  // Drops every answer still waiting and joins the thread.
  void Stop();

  // Keep the encoded answer frame until Release(function) or send it after
  // `delay`. False, keeping nothing, when full or stopped: the caller sends it.
  bool Hold(std::weak_ptr<Connection> connection, int function, std::string frame);
  bool Delay(std::weak_ptr<Connection> connection, std::string frame, std::chrono::milliseconds delay);

  // Sends the held answers of `function`, oldest first; the number released.
  std::size_t Release(int function);
  std::size_t HeldCount() const;
  bool WaitForHeld(std::size_t count, std::chrono::milliseconds timeout) const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Entry {
    std::weak_ptr<Connection> connection;
    int function = 0;
    std::string frame;
    std::optional<Clock::time_point> due;  // none while held
  };

  bool Keep(Entry entry);
  void Run(platform::Event& stop);
  // Moves the entries due by `now` out; the wait until the next one is due.
  std::chrono::milliseconds TakeDue(Clock::time_point now, std::vector<Entry>& due);
  static void Deliver(std::vector<Entry>& entries);

  const std::size_t capacity_;
  mutable std::mutex mutex_;  // guards entries_, heldCount_ and stopped_
  mutable std::condition_variable heldChanged_;
  std::vector<Entry> entries_;  // in arrival order
  std::size_t heldCount_ = 0;
  bool stopped_ = false;
  platform::Event changed_{platform::ResetMode::kAuto};
  platform::WorkerThread thread_;
};

}  // namespace simbackend
