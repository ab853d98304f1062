#pragma once
// System-wide hot keys in the manner of RegisterHotKey: a window registers a
// key with modifiers under an identifier of its own and receives WM_HOTKEY
// (wParam the identifier, lParam the modifiers in the low word and the key in
// the high word) whenever it is pressed anywhere on the desktop. A key that is
// taken, or a desktop without global keys, simply stays unregistered.
#include <cstdint>

#include "platform/message_port.h"

namespace lumetra::platform {

constexpr unsigned MOD_ALT = 0x0001;
constexpr unsigned MOD_CONTROL = 0x0002;
constexpr unsigned MOD_SHIFT = 0x0004;

// Virtual-key codes of the keys the program offers; letters are 'A'..'Z'.
constexpr unsigned VK_BACK = 0x08;
constexpr unsigned VK_RETURN = 0x0D;
constexpr unsigned VK_PRIOR = 0x21;  // Page Up
constexpr unsigned VK_NEXT = 0x22;   // Page Down
constexpr unsigned VK_END = 0x23;
constexpr unsigned VK_HOME = 0x24;
constexpr unsigned VK_INSERT = 0x2D;
constexpr unsigned VK_F1 = 0x70;  // F1..F12 follow in order

inline LParam HotKeyLParam(unsigned modifiers, unsigned virtualKey) {
  return static_cast<LParam>((modifiers & 0xFFFF) | ((virtualKey & 0xFFFF) << 16));
}

class HotKeyRegistrar {
 public:
  virtual ~HotKeyRegistrar() = default;
  // false when the key is taken (by this program or another) or cannot be grabbed.
  virtual bool Register(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) = 0;
  virtual void Unregister(WindowHandle window, int id) = 0;
};

// Installs the registrar that serves the calls below; returns the previous one.
// Without one every registration fails.
HotKeyRegistrar* SetHotKeyRegistrar(HotKeyRegistrar* registrar);
bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey);
void UnregisterHotKey(WindowHandle window, int id);

}  // namespace lumetra::platform
