#include "ui/global_hot_key.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <initializer_list>

namespace ui {
namespace {

bool grabRefused = false;

int NoteGrabError(Display*, XErrorEvent* error) {
  if (error->error_code == BadAccess) grabRefused = true;
  return 0;
}

Display* AsDisplay(void* display) { return static_cast<Display*>(display); }

// The lock modifiers a grab must ignore: Caps Lock, Num Lock (Mod2) and both.
constexpr unsigned int kLockVariants[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};

}  // namespace

unsigned long KeySymOfVirtualKey(int virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return XK_a + static_cast<unsigned long>(virtualKey - 'A');
  if (virtualKey >= '0' && virtualKey <= '9') return XK_0 + static_cast<unsigned long>(virtualKey - '0');
  if (virtualKey >= 0x70 && virtualKey <= 0x87) return XK_F1 + static_cast<unsigned long>(virtualKey - 0x70);
  if (virtualKey >= 0x60 && virtualKey <= 0x69) return XK_KP_0 + static_cast<unsigned long>(virtualKey - 0x60);
  switch (virtualKey) {
    case 0x08: return XK_BackSpace;
    case 0x09: return XK_Tab;
    case 0x0D: return XK_Return;
    case 0x1B: return XK_Escape;
    case 0x20: return XK_space;
    case 0x21: return XK_Prior;
    case 0x22: return XK_Next;
    case 0x23: return XK_End;
    case 0x24: return XK_Home;
    case 0x25: return XK_Left;
    case 0x26: return XK_Up;
    case 0x27: return XK_Right;
    case 0x28: return XK_Down;
    case 0x2D: return XK_Insert;
    case 0x2E: return XK_Delete;
    case 0x13: return XK_Pause;
    case 0x91: return XK_Scroll_Lock;
    default: return 0;
  }
}

std::string HotKeyProblemText(HotKeyResult result) {
  switch (result) {
    case HotKeyResult::kRegistered: return {};
    case HotKeyResult::kNoDisplay: return "当前桌面不支持全局热键。";
    case HotKeyResult::kUnknownKey: return "热键无效，请重新设置。";
    case HotKeyResult::kTaken: return "热键已被其他程序占用，请重新设置。";
  }
  return {};
}

GlobalHotKey::~GlobalHotKey() {
  Unregister();
  if (display_ != nullptr) XCloseDisplay(AsDisplay(display_));
}

HotKeyResult GlobalHotKey::Register(int modifiers, int virtualKey) {
  Unregister();
  const char* session = std::getenv("XDG_SESSION_TYPE");
  if (session != nullptr && std::string(session) == "wayland") return HotKeyResult::kNoDisplay;
  if (display_ == nullptr) display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) return HotKeyResult::kNoDisplay;
  Display* display = AsDisplay(display_);
  const unsigned long sym = KeySymOfVirtualKey(virtualKey);
  const KeyCode code = sym == 0 ? 0 : XKeysymToKeycode(display, sym);
  if (code == 0) return HotKeyResult::kUnknownKey;

  unsigned int mask = 0;
  if (modifiers & kHotKeyAlt) mask |= Mod1Mask;
  if (modifiers & kHotKeyControl) mask |= ControlMask;
  if (modifiers & kHotKeyShift) mask |= ShiftMask;

  const Window root = DefaultRootWindow(display);
  XSync(display, False);
  grabRefused = false;
  XErrorHandler previous = XSetErrorHandler(NoteGrabError);
  for (const unsigned int lock : kLockVariants) {
    XGrabKey(display, code, mask | lock, root, False, GrabModeAsync, GrabModeAsync);
  }
  XSync(display, False);
  XSetErrorHandler(previous);
  keyCode_ = code;
  modifiers_ = mask;
  if (grabRefused) {
    Unregister();
    return HotKeyResult::kTaken;
  }
  XSelectInput(display, root, KeyPressMask);
  return HotKeyResult::kRegistered;
}

void GlobalHotKey::Unregister() {
  if (display_ == nullptr || keyCode_ == 0) return;
  Display* display = AsDisplay(display_);
  const Window root = DefaultRootWindow(display);
  for (const unsigned int lock : kLockVariants) XUngrabKey(display, keyCode_, modifiers_ | lock, root);
  XSync(display, False);
  keyCode_ = 0;
  modifiers_ = 0;
}

bool GlobalHotKey::Poll() {
  if (display_ == nullptr) return false;
  Display* display = AsDisplay(display_);
  bool pressed = false;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == KeyPress && event.xkey.keycode == keyCode_ && keyCode_ != 0) pressed = true;
  }
  return pressed;
}

}  // namespace ui
