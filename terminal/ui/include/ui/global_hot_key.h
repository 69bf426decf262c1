// The program-wide hot key: grabbed on the X11 root window through the
// toolkit's own display connection, its presses seen by a native event
// filter on the GUI thread. Where the desktop is no X11 one (Wayland, the
// offscreen platform) registering answers kNoDisplay and says so.
#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>
#include <string>

namespace ui {

// Modifier bits as the settings keep them.
inline constexpr int kHotKeyAlt = 1;
inline constexpr int kHotKeyControl = 2;
inline constexpr int kHotKeyShift = 4;

enum class HotKeyResult {
  kRegistered,
  kNoDisplay,   // no X11 display to grab on (Wayland, offscreen)
  kUnknownKey,  // the virtual key has no key on this keyboard
  kTaken,       // the display refused the grab
};

// The X11 key symbol of a desktop virtual-key code (letters, digits, F1-F24,
// the keypad, the arrows and the common editing keys); 0 when unknown.
unsigned long KeySymOfVirtualKey(int virtualKey);

// The text shown for a registration result (empty for kRegistered).
std::string HotKeyProblemText(HotKeyResult result);

// The X11 modifier mask of the settings' modifier bits.
std::uint16_t X11ModifiersOf(int modifiers);

class GlobalHotKey : public QAbstractNativeEventFilter {
 public:
  // `pressed` runs on the GUI thread at each press of the key.
  explicit GlobalHotKey(std::function<void()> pressed);
  ~GlobalHotKey() override;
  GlobalHotKey(const GlobalHotKey&) = delete;
  GlobalHotKey& operator=(const GlobalHotKey&) = delete;

  // Grabs the key (releasing any earlier one).
  HotKeyResult Register(int modifiers, int virtualKey);
  void Unregister();
  bool Registered() const { return keyCode_ != 0; }

  // A key press of the display: runs `pressed` when it is the grabbed key
  // with its modifiers (Caps Lock and Num Lock aside); true when it was.
  bool OnKeyPress(std::uint8_t keyCode, std::uint16_t state);

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  std::function<void()> pressed_;
  std::uint8_t keyCode_ = 0;
  std::uint16_t modifiers_ = 0;
  bool filtering_ = false;
};

}  // namespace ui
