#include "platform/hotkeys.h"

namespace lumetra::platform {
namespace {
HotKeyRegistrar*& Current() {
  static HotKeyRegistrar* registrar = nullptr;
  return registrar;
}
}  // namespace

HotKeyRegistrar* SetHotKeyRegistrar(HotKeyRegistrar* registrar) {
  HotKeyRegistrar* previous = Current();
  Current() = registrar;
  return previous;
}

bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) {
  return Current() && Current()->Register(window, id, modifiers, virtualKey);
}

void UnregisterHotKey(WindowHandle window, int id) {
  if (Current()) Current()->Unregister(window, id);
}

}  // namespace lumetra::platform
