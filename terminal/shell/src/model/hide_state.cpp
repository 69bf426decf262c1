#include "shell/hide_state.h"

namespace shell {

bool HideState::Lock() {
  if (state_ == WindowState::kHiddenLocked) return false;
  state_ = WindowState::kHiddenLocked;
  return true;
}

bool HideState::HotKey() {
  if (state_ == WindowState::kShown) {
    state_ = WindowState::kHiddenUnlocked;
    return true;
  }
  return Restore();
}

bool HideState::Restore() {
  if (state_ == WindowState::kShown) return false;
  if (state_ == WindowState::kHiddenLocked) {
    if (promptOpen_) return false;
    promptOpen_ = true;
    const bool accepted = prompt_();
    promptOpen_ = false;
    if (!accepted) return false;
  }
  state_ = WindowState::kShown;
  return true;
}

}  // namespace shell
