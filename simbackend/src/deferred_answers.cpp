#include "deferred_answers.h"

#include <algorithm>

#include "connection.h"

namespace simbackend {

DeferredAnswers::DeferredAnswers(std::size_t capacity) : capacity_(capacity) {}

void DeferredAnswers::Start() {
  thread_.Start([this](platform::Event& stop) { Run(stop); });
}

void DeferredAnswers::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    entries_.clear();
    heldCount_ = 0;
  }
  heldChanged_.notify_all();
  thread_.Stop();
}

bool DeferredAnswers::Hold(std::weak_ptr<Connection> connection, int function, std::string frame) {
  return Keep({std::move(connection), function, std::move(frame), std::nullopt});
}

bool DeferredAnswers::Delay(std::weak_ptr<Connection> connection, std::string frame, std::chrono::milliseconds delay) {
  return Keep({std::move(connection), 0, std::move(frame), Clock::now() + delay});
}

bool DeferredAnswers::Keep(Entry entry) {
  {
    std::lock_guard lock(mutex_);
    if (stopped_ || entries_.size() >= capacity_) return false;
    if (!entry.due) ++heldCount_;
    entries_.push_back(std::move(entry));
  }
  heldChanged_.notify_all();
  changed_.Set();
  return true;
}

std::size_t DeferredAnswers::Release(int function) {
  std::vector<Entry> released;
  {
    std::lock_guard lock(mutex_);
    const auto held = std::stable_partition(entries_.begin(), entries_.end(),
                                            [&](const Entry& e) { return e.due || e.function != function; });
    released.assign(std::make_move_iterator(held), std::make_move_iterator(entries_.end()));
    entries_.erase(held, entries_.end());
    heldCount_ -= released.size();
  }
  heldChanged_.notify_all();
  Deliver(released);
  return released.size();
}

std::size_t DeferredAnswers::HeldCount() const {
  std::lock_guard lock(mutex_);
  return heldCount_;
}

bool DeferredAnswers::WaitForHeld(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return heldChanged_.wait_for(lock, timeout, [&] { return heldCount_ >= count; });
}

void DeferredAnswers::Run(platform::Event& stop) {
  for (;;) {
    std::vector<Entry> due;
    const std::chrono::milliseconds wait = TakeDue(Clock::now(), due);
    Deliver(due);
    if (platform::WaitForAny({&stop, &changed_}, wait) == 0) return;
  }
}

std::chrono::milliseconds DeferredAnswers::TakeDue(Clock::time_point now, std::vector<Entry>& due) {
  std::lock_guard lock(mutex_);
  const auto waiting =
      std::stable_partition(entries_.begin(), entries_.end(), [&](const Entry& e) { return !e.due || *e.due > now; });
  due.assign(std::make_move_iterator(waiting), std::make_move_iterator(entries_.end()));
  entries_.erase(waiting, entries_.end());
  std::optional<Clock::time_point> next;
  for (const Entry& entry : entries_)
    if (entry.due && (!next || *entry.due < *next)) next = entry.due;
  if (!next) return platform::kWaitForever;
  return std::chrono::ceil<std::chrono::milliseconds>(*next - now);
}

void DeferredAnswers::Deliver(std::vector<Entry>& entries) {
  for (Entry& entry : entries)
    if (const std::shared_ptr<Connection> connection = entry.connection.lock()) connection->Send(entry.frame);
}

}  // namespace simbackend
