// A toolkit timer that runs a function on the GUI thread, also while a modal
// dialog or message box runs its own loop.
#pragma once

#include <wx/timer.h>

#include <functional>
#include <utility>

namespace ui {

class CallbackTimer : public wxTimer {
 public:
  explicit CallbackTimer(std::function<void()> tick) : tick_(std::move(tick)) {}
  void Notify() override { tick_(); }

 private:
  std::function<void()> tick_;
};

}  // namespace ui
