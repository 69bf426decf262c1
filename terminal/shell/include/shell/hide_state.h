// Hiding the main window and bringing it back: the lock command hides it so
// that restoring asks for the trading password; the hot key hides it without
// that. While the password prompt is open a second restore is ignored. No
// toolkit: the frame carries out the actions.
#pragma once

#include <functional>

namespace shell {

enum class WindowState { kShown, kHiddenLocked, kHiddenUnlocked };

class HideState {
 public:
  // Runs the password prompt; true when the password was right.
  using PasswordPrompt = std::function<bool()>;

  explicit HideState(PasswordPrompt prompt) : prompt_(std::move(prompt)) {}

  // The lock command: hide, locked. True when the window is to be hidden.
  bool Lock();
  // The hot key: hides a shown window (unlocked); restores a hidden one.
  // True when the window's visibility is to change.
  bool HotKey();
  // Tray double-click or the tray menu: true when the window is to be shown.
  bool Restore();

  WindowState State() const { return state_; }
  bool PromptOpen() const { return promptOpen_; }

 private:
  PasswordPrompt prompt_;
  WindowState state_ = WindowState::kShown;
  bool promptOpen_ = false;
};

}  // namespace shell
