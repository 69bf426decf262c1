// When a title tip shows and hides: its owner relays mouse moves and button
// presses, a quick timer asks whether the cursor has rested long enough,
// and the tip shows once per rest. The first move after showing is absorbed
// (showing the tip may move the pointer's window under it); any later move
// hides it and begins a new rest, and a button hides it. Times are tick
// counts in milliseconds.
#pragma once

#include <cstdint>
#include <optional>

#include "gridctl/model/grid_types.h"

namespace gridctl {

class TitleTipRest {
 public:
  // What the tip's window does after an event.
  struct Outcome {
    bool startTimer = false;
    bool stopTimer = false;
    bool hide = false;
    bool show = false;  // at `at`, the cursor's screen position
    Point at;
  };

  void SetDelay(std::uint32_t milliseconds) { delay_ = milliseconds; }
  std::uint32_t Delay() const { return delay_; }
  bool TimerRunning() const { return timerRunning_; }

  Outcome OnMouseMove(Point screenPosition, std::uint32_t now);
  Outcome OnButton();
  // `cursor` is the cursor's screen position, nothing when it cannot be
  // read; `insideOwner` whether it lies on the owner's window.
  Outcome OnTick(std::optional<Point> cursor, bool insideOwner, std::uint32_t now);
  // The tip did show.
  void OnShown();

 private:
  std::uint32_t delay_ = 0;
  bool timerRunning_ = false;
  Point lastPosition_;
  std::uint32_t lastMove_ = 0;
  bool justShown_ = false;
  int shownCount_ = 0;
};

}  // namespace gridctl
