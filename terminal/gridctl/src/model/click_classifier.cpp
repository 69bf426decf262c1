#include "gridctl/model/click_classifier.h"

namespace gridctl {

void ClickClassifier::Press(Button button, Point point, std::uint32_t now) {
  kind_ = -static_cast<int>(button);
  point_ = point;
  clickTime_ = now;
  pressTime_ = now;
}

void ClickClassifier::Release(Button button, Point point, std::uint32_t now) {
  kind_ = static_cast<int>(button);
  point_ = point;
  clickTime_ = now;
  // A middle release counts as a fresh press too.
  if (button == Button::kMiddle) pressTime_ = now;
}

void ClickClassifier::Clear() {
  kind_ = 0;
  clickTime_.reset();
  pressTime_.reset();
}

ClickClassifier::Due ClickClassifier::Tick(std::uint32_t now, bool menuHasItems) {
  Due due;
  // Tick counts wrap around; their difference does not mind.
  if (kind_ == 0 || !clickTime_ || now - *clickTime_ < kSettleMilliseconds) return due;
  clickTime_.reset();
  switch (kind_) {
    case static_cast<int>(Button::kLeft):
      due.action = Action::kLeftClick;
      pressTime_.reset();
      break;
    case static_cast<int>(Button::kRight):
      if (!menuHasItems) {
        due.action = Action::kRightClick;
      } else if (pressTime_ && now - *pressTime_ < kMenuPressMilliseconds) {
        due.action = Action::kShowMenu;
      }
      break;
    case static_cast<int>(Button::kMiddle):
      due.action = Action::kMiddleClick;
      pressTime_.reset();
      break;
    case -static_cast<int>(Button::kRight):
      if (menuHasItems) due.action = Action::kShowMenu;
      break;
    default: break;
  }
  due.point = point_;
  kind_ = 0;
  return due;
}

}  // namespace gridctl
