// The program-wide hot key, grabbed on the X11 root window by our own
// connection to the display (the toolkit offers no global hot key on this
// desktop). The owner polls it from a GUI timer. Where the display refuses
// the grab (another program holds the key, or the session is no X11 one)
// the registration says why.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

// Modifier bits as the settings keep them.
inline constexpr int kHotKeyAlt = 1;
inline constexpr int kHotKeyControl = 2;
inline constexpr int kHotKeyShift = 4;

enum class HotKeyResult {
  kRegistered,
  kNoDisplay,   // no X11 display to grab on (none, or a Wayland session)
  kUnknownKey,  // the virtual key has no key on this keyboard
  kTaken,       // the display refused the grab
};

// The X11 key symbol of a desktop virtual-key code (letters, digits, F1-F24,
// the keypad, the arrows and the common editing keys); 0 when unknown.
unsigned long KeySymOfVirtualKey(int virtualKey);

// The text shown for a registration result (empty for kRegistered).
std::string HotKeyProblemText(HotKeyResult result);

class GlobalHotKey {
 public:
  GlobalHotKey() = default;
  ~GlobalHotKey();
  GlobalHotKey(const GlobalHotKey&) = delete;
  GlobalHotKey& operator=(const GlobalHotKey&) = delete;

  // Grabs the key (releasing any earlier one).
  HotKeyResult Register(int modifiers, int virtualKey);
  void Unregister();
  bool Registered() const { return keyCode_ != 0; }

  // True when the key was pressed since the last poll.
  bool Poll();

 private:
  void* display_ = nullptr;  // Display*
  unsigned int keyCode_ = 0;
  unsigned int modifiers_ = 0;
};

}  // namespace ui
