// A worker thread with a stop event. Stopping sets the event and joins: a
// worker is never abandoned or killed, so its body must watch the event (and
// whoever blocks it in a call must wake that call).
#pragma once

#include <functional>
#include <thread>

#include "platform/sync.h"

namespace platform {

class WorkerThread {
 public:
  using Body = std::function<void(Event& stop)>;

  WorkerThread() = default;
  ~WorkerThread() { Stop(); }
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // False when the thread is already running.
  bool Start(Body body);
  // Sets the stop event and waits for the body to return. Safe to call twice
  // and from a thread other than the starter; never from the worker itself.
  void Stop();

  bool IsRunning() const { return thread_.joinable(); }
  Event& StopEvent() { return stop_; }

 private:
  Event stop_{ResetMode::kManual};
  std::thread thread_;
};

}  // namespace platform
