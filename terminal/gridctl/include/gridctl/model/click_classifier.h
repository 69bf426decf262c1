// Tells single clicks from double clicks and held buttons. Presses and
// releases are recorded with their tick count; a tick at least 150 ms after
// the last one decides: a left or middle click, a right click (the popup
// menu when it has items and the press is less than 300 ms old, else a
// notification), or the popup menu for a right button still held. A double
// click clears what was recorded, so it gives no single click.
#pragma once

#include <cstdint>
#include <optional>

#include "gridctl/model/grid_types.h"

namespace gridctl {

class ClickClassifier {
 public:
  enum class Button { kLeft = 1, kRight = 2, kMiddle = 3 };
  enum class Action { kNone, kLeftClick, kRightClick, kMiddleClick, kShowMenu };
  struct Due {
    Action action = Action::kNone;
    Point point;  // where the menu shows
  };

  static constexpr std::uint32_t kSettleMilliseconds = 150;
  static constexpr std::uint32_t kMenuPressMilliseconds = 300;

  void Press(Button button, Point point, std::uint32_t now);
  void Release(Button button, Point point, std::uint32_t now);
  void Clear();
  bool Pending() const { return kind_ != 0; }

  // What is due at `now`; the recorded click is consumed once it is.
  Due Tick(std::uint32_t now, bool menuHasItems);

 private:
  int kind_ = 0;  // -button pressed, +button released, 0 none
  std::optional<std::uint32_t> clickTime_;
  std::optional<std::uint32_t> pressTime_;
  Point point_;
};

}  // namespace gridctl
