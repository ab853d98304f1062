#pragma once
// Global hot keys on X11: passive grabs of the key on the root window through
// the application's own X connection. A grabbed press arrives among Qt's
// native events and is posted as WM_HOTKEY to the window that registered it.
// On any other platform (Wayland, offscreen) nothing can be registered.
#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <vector>

#include "platform/hotkeys.h"

namespace lumetra::platform {

class X11HotKeys : public HotKeyRegistrar, public QAbstractNativeEventFilter {
 public:
  // Needs a QGuiApplication.
  X11HotKeys();
  ~X11HotKeys() override;
  X11HotKeys(const X11HotKeys&) = delete;
  X11HotKeys& operator=(const X11HotKeys&) = delete;

  bool Available() const { return connection_ != nullptr; }
  bool Register(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) override;
  void Unregister(WindowHandle window, int id) override;
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  struct Grab {
    WindowHandle window;
    int id;
    unsigned modifiers;
    unsigned virtualKey;
    uint8_t keycode;
    uint16_t mask;
  };
  void Ungrab(uint8_t keycode, uint16_t mask);
  uint8_t KeycodeFor(uint32_t keysym) const;
  void ReadModifierMasks();

  void* connection_ = nullptr;  // xcb_connection_t, owned by Qt
  uint32_t root_ = 0;
  uint16_t altMask_ = 0x0008;      // Mod1 unless the keyboard says otherwise
  uint16_t numLockMask_ = 0x0010;  // Mod2 likewise
  std::vector<Grab> grabs_;
};

}  // namespace lumetra::platform
