#include "ui/global_hot_key.h"

#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace ui {
namespace {

// X11's modifier bits.
constexpr std::uint16_t kShiftMask = XCB_MOD_MASK_SHIFT;
constexpr std::uint16_t kLockMask = XCB_MOD_MASK_LOCK;
constexpr std::uint16_t kControlMask = XCB_MOD_MASK_CONTROL;
constexpr std::uint16_t kAltMask = XCB_MOD_MASK_1;
constexpr std::uint16_t kNumLockMask = XCB_MOD_MASK_2;
// The lock modifiers a grab must ignore: Caps Lock, Num Lock and both.
constexpr std::uint16_t kLockVariants[] = {0, kLockMask, kNumLockMask, kLockMask | kNumLockMask};

xcb_connection_t* ToolkitConnection() {
  auto* x11 = qApp == nullptr ? nullptr : qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 == nullptr ? nullptr : x11->connection();
}

xcb_window_t RootWindow(xcb_connection_t* connection) {
  return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// The first key code whose mapping holds the symbol; 0 when none does.
std::uint8_t KeyCodeOf(xcb_connection_t* connection, unsigned long sym) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  const auto cookie = xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<std::uint8_t>(count));
  std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> reply(
      xcb_get_keyboard_mapping_reply(connection, cookie, nullptr), &std::free);
  if (!reply) return 0;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
  const int perCode = reply->keysyms_per_keycode;
  const int length = xcb_get_keyboard_mapping_keysyms_length(reply.get());
  for (int i = 0; i < length; ++i) {
    if (syms[i] == sym) return static_cast<std::uint8_t>(setup->min_keycode + i / perCode);
  }
  return 0;
}

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

std::uint16_t X11ModifiersOf(int modifiers) {
  std::uint16_t mask = 0;
  if (modifiers & kHotKeyAlt) mask |= kAltMask;
  if (modifiers & kHotKeyControl) mask |= kControlMask;
  if (modifiers & kHotKeyShift) mask |= kShiftMask;
  return mask;
}

GlobalHotKey::GlobalHotKey(std::function<void()> pressed) : pressed_(std::move(pressed)) {}

GlobalHotKey::~GlobalHotKey() {
  Unregister();
  if (filtering_ && QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }
}

HotKeyResult GlobalHotKey::Register(int modifiers, int virtualKey) {
  Unregister();
  xcb_connection_t* connection = ToolkitConnection();
  if (connection == nullptr) return HotKeyResult::kNoDisplay;
  const unsigned long sym = KeySymOfVirtualKey(virtualKey);
  const std::uint8_t code = sym == 0 ? 0 : KeyCodeOf(connection, sym);
  if (code == 0) return HotKeyResult::kUnknownKey;

  const std::uint16_t mask = X11ModifiersOf(modifiers);
  const xcb_window_t root = RootWindow(connection);
  bool refused = false;
  for (const std::uint16_t lock : kLockVariants) {
    const auto cookie =
        xcb_grab_key_checked(connection, 1, root, mask | lock, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
      refused = true;
      std::free(error);
    }
  }
  keyCode_ = code;
  modifiers_ = mask;
  if (refused) {
    Unregister();
    return HotKeyResult::kTaken;
  }
  if (!filtering_) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    filtering_ = true;
  }
  return HotKeyResult::kRegistered;
}

void GlobalHotKey::Unregister() {
  if (keyCode_ == 0) return;
  if (xcb_connection_t* connection = ToolkitConnection()) {
    const xcb_window_t root = RootWindow(connection);
    for (const std::uint16_t lock : kLockVariants) xcb_ungrab_key(connection, keyCode_, root, modifiers_ | lock);
    xcb_flush(connection);
  }
  keyCode_ = 0;
  modifiers_ = 0;
}

bool GlobalHotKey::OnKeyPress(std::uint8_t keyCode, std::uint16_t state) {
  const std::uint16_t relevant = kShiftMask | kControlMask | kAltMask;
  if (keyCode_ == 0 || keyCode != keyCode_ || (state & relevant) != modifiers_) return false;
  if (pressed_) pressed_();
  return true;
}

bool GlobalHotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_KEY_PRESS) return false;
  const auto* press = static_cast<const xcb_key_press_event_t*>(message);
  return OnKeyPress(press->detail, press->state);
}

}  // namespace ui
