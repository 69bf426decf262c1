// The follow-up requests of one multi-packet answer, kept in flight through
// the portal up to a window at a time. The rows come back in the order they
// were asked for, each answer taken by the sequence number of its request,
// whatever order the answers arrive in. What is still in flight when the
// window goes is given up: its answers are dropped when they come.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "platform/sync.h"

namespace backend {

// The function number of a follow-up request: it names its answer by the
// sequence number in its text, so the number goes to messages only.
inline constexpr int kFollowUpFunction = 0;

class FollowUpWindow {
 public:
  // `packets` sends of `request` on the portal connection, at most `width`
  // (1 or more) unanswered at a time, sent in batches; every portal call
  // watches `abort`.
  FollowUpWindow(int connection, platform::Event& abort, std::string request, std::size_t packets, std::size_t width);
  ~FollowUpWindow();
  FollowUpWindow(const FollowUpWindow&) = delete;
  FollowUpWindow& operator=(const FollowUpWindow&) = delete;

  // Tops the window up when half of it is answered, then waits for the
  // oldest answer: true with it in `reply`, false with the reason (a failed
  // send or wait, the abort, or no packet left).
  bool Next(std::string& reply);

 private:
  bool Fill(std::string& reply);

  const int connection_;
  platform::Event& abort_;
  const std::string request_;
  std::size_t unsent_;
  const std::size_t width_;
  std::deque<int> inFlight_;  // sequence numbers, the oldest first
};

}  // namespace backend
