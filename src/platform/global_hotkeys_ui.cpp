#include "platform/global_hotkeys_ui.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace lumetra::platform {
namespace {

xcb_connection_t* Connection(void* c) { return static_cast<xcb_connection_t*>(c); }

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

uint32_t KeysymFor(unsigned vk) {
  if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 'a';  // the unshifted letter
  if (vk >= VK_F1 && vk < VK_F1 + 12) return 0xFFBE + (vk - VK_F1);
  switch (vk) {
    case VK_BACK: return 0xFF08;
    case VK_RETURN: return 0xFF0D;
    case VK_HOME: return 0xFF50;
    case VK_PRIOR: return 0xFF55;
    case VK_NEXT: return 0xFF56;
    case VK_END: return 0xFF57;
    case VK_INSERT: return 0xFF63;
    default: return 0;
  }
}

constexpr uint32_t kAltL = 0xFFE9;
constexpr uint32_t kNumLock = 0xFF7F;

}  // namespace

X11HotKeys::X11HotKeys() {
  auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection()) return;
  connection_ = x11->connection();
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(Connection(connection_)));
  if (!screens.rem) {
    connection_ = nullptr;
    return;
  }
  root_ = screens.data->root;
  ReadModifierMasks();
  QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKeys::~X11HotKeys() {
  if (!connection_) return;
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
  for (const Grab& g : grabs_) Ungrab(g.keycode, g.mask);
  xcb_flush(Connection(connection_));
}

void X11HotKeys::ReadModifierMasks() {
  xcb_connection_t* c = Connection(connection_);
  Reply<xcb_get_modifier_mapping_reply_t> map(
      xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr), &std::free);
  if (!map) return;
  const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
  const int per = map->keycodes_per_modifier;
  const uint8_t alt = KeycodeFor(kAltL), numLock = KeycodeFor(kNumLock);
  // Mod1..Mod5 are the modifiers a keyboard layout may assign freely.
  for (int mod = 3; mod < 8; ++mod)
    for (int k = 0; k < per; ++k) {
      xcb_keycode_t code = codes[mod * per + k];
      if (code == 0) continue;
      if (code == alt) altMask_ = static_cast<uint16_t>(1u << mod);
      if (code == numLock) numLockMask_ = static_cast<uint16_t>(1u << mod);
    }
}

uint8_t X11HotKeys::KeycodeFor(uint32_t keysym) const {
  if (!connection_ || keysym == 0) return 0;
  xcb_connection_t* c = Connection(connection_);
  const xcb_setup_t* setup = xcb_get_setup(c);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  Reply<xcb_get_keyboard_mapping_reply_t> map(
      xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr),
      &std::free);
  if (!map) return 0;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
  const int per = map->keysyms_per_keycode;
  // The key that gives the symbol unshifted is preferred over one that needs a level.
  for (int level = 0; level < per; ++level)
    for (int i = 0; i < count; ++i)
      if (syms[i * per + level] == keysym) return static_cast<uint8_t>(setup->min_keycode + i);
  return 0;
}

bool X11HotKeys::Register(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) {
  if (!connection_) return false;
  Unregister(window, id);  // a new choice under the same identifier replaces the old one
  const uint8_t keycode = KeycodeFor(KeysymFor(virtualKey));
  if (keycode == 0) return false;
  uint16_t mask = 0;
  if (modifiers & MOD_CONTROL) mask |= XCB_MOD_MASK_CONTROL;
  if (modifiers & MOD_SHIFT) mask |= XCB_MOD_MASK_SHIFT;
  if (modifiers & MOD_ALT) mask |= altMask_;
  // Within the program a key belongs to one window, as everywhere else.
  if (std::any_of(grabs_.begin(), grabs_.end(),
                  [&](const Grab& g) { return g.keycode == keycode && g.mask == mask; }))
    return false;

  // Caps Lock and Num Lock must not make the key stop working.
  xcb_connection_t* c = Connection(connection_);
  const uint16_t locks[] = {0, XCB_MOD_MASK_LOCK, numLockMask_, static_cast<uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
  xcb_void_cookie_t cookies[4];
  for (int i = 0; i < 4; ++i)
    cookies[i] = xcb_grab_key_checked(c, 0, root_, mask | locks[i], keycode, XCB_GRAB_MODE_ASYNC,
                                      XCB_GRAB_MODE_ASYNC);
  bool taken = false;
  for (auto cookie : cookies) {
    if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
      taken = true;  // BadAccess: another program holds it
      std::free(error);
    }
  }
  if (taken) {
    Ungrab(keycode, mask);
    xcb_flush(c);
    return false;
  }
  grabs_.push_back({window, id, modifiers, virtualKey, keycode, mask});
  return true;
}

void X11HotKeys::Ungrab(uint8_t keycode, uint16_t mask) {
  xcb_connection_t* c = Connection(connection_);
  const uint16_t locks[] = {0, XCB_MOD_MASK_LOCK, numLockMask_, static_cast<uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
  for (uint16_t lock : locks) xcb_ungrab_key(c, keycode, root_, mask | lock);
}

void X11HotKeys::Unregister(WindowHandle window, int id) {
  auto it = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& g) { return g.window == window && g.id == id; });
  if (it == grabs_.end()) return;
  Ungrab(it->keycode, it->mask);
  xcb_flush(Connection(connection_));
  grabs_.erase(it);
}

bool X11HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || !message) return false;
  auto* event = static_cast<xcb_generic_event_t*>(message);
  const uint8_t type = event->response_type & 0x7F;
  if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return false;
  auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
  if (key->event != root_) return false;  // typing into one of our own windows
  const uint16_t state = key->state & 0xFF & ~(XCB_MOD_MASK_LOCK | numLockMask_);
  for (const Grab& g : grabs_) {
    if (g.keycode != key->detail || g.mask != state) continue;
    if (type == XCB_KEY_PRESS)
      PostMessage(g.window, WM_HOTKEY, static_cast<WParam>(g.id), HotKeyLParam(g.modifiers, g.virtualKey));
    return true;
  }
  return false;
}

}  // namespace lumetra::platform
