#include "gridctl/model/title_tip_rest.h"

namespace gridctl {

TitleTipRest::Outcome TitleTipRest::OnMouseMove(Point screenPosition, std::uint32_t now) {
  Outcome outcome;
  lastPosition_ = screenPosition;
  if (!timerRunning_) {
    timerRunning_ = true;
    outcome.startTimer = true;
    shownCount_ = 0;
  }
  if (justShown_) {
    justShown_ = false;
  } else {
    // A real move ends the rest; the next rest may show the tip again.
    outcome.hide = true;
    shownCount_ = 0;
  }
  lastMove_ = now;
  return outcome;
}

TitleTipRest::Outcome TitleTipRest::OnButton() {
  Outcome outcome;
  outcome.stopTimer = timerRunning_;
  timerRunning_ = false;
  outcome.hide = true;
  return outcome;
}

TitleTipRest::Outcome TitleTipRest::OnTick(std::optional<Point> cursor, bool insideOwner, std::uint32_t now) {
  Outcome outcome;
  if (!timerRunning_) return outcome;
  if (cursor && insideOwner && *cursor == lastPosition_) {
    // Tick counts wrap around; their difference does not mind.
    if (shownCount_ <= 0 && now - lastMove_ >= delay_) {
      outcome.show = true;
      outcome.at = *cursor;
    }
    return outcome;
  }
  timerRunning_ = false;
  outcome.stopTimer = true;
  outcome.hide = true;
  return outcome;
}

void TitleTipRest::OnShown() {
  justShown_ = true;
  ++shownCount_;
}

}  // namespace gridctl
