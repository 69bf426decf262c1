#include "platform/thread.h"

namespace platform {

bool WorkerThread::Start(Body body) {
  if (thread_.joinable()) return false;
  stop_.Reset();
  thread_ = std::thread([this, body = std::move(body)] { body(stop_); });
  return true;
}

void WorkerThread::Stop() {
  if (!thread_.joinable()) return;
  stop_.Set();
  thread_.join();
}

}  // namespace platform
