#pragma once
// The 45 keys a hot key can be set to (always with Ctrl+Alt) and which
// window registers which key under which identifier.
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "platform/message_port.h"

namespace lumetra {

constexpr int kHotKeyChoices = 45;

// The virtual-key code of a stored "HotKeyIndex…" value; nullopt outside 0..44.
std::optional<unsigned> HotKeyVirtualKey(int index);
// The options dialog's label: "Ctrl+Alt+ENTER", "Ctrl+Alt+PageUp", "Ctrl+Alt+F1", "Ctrl+Alt+A" …
std::string HotKeyLabel(int index);

struct HotKeyBinding {
  int id;
  unsigned modifiers;
  unsigned virtualKey;
  bool operator==(const HotKeyBinding&) const = default;
};

// Main window: 0 (bars off screen and back), 1 (pop-up mode on/off),
// 5 (Internet search), 6 (companion browser).
std::vector<HotKeyBinding> MainWindowHotKeys(const Settings& s);
// Bar 0: 0 front/back, 1 and 3 next definition / next headline, 2 and 4 previous.
std::vector<HotKeyBinding> Bar0HotKeys(const Settings& s);
// The dial-up monitor: 0 shows the access monitor.
std::vector<HotKeyBinding> DialUpMonitorHotKeys(const Settings& s);

// Registers every binding on `window` (a key that is taken stays unregistered)
// and returns the identifiers that did register.
std::vector<int> RegisterHotKeys(platform::WindowHandle window, const std::vector<HotKeyBinding>& bindings);
// Removes the registrations under these identifiers, whatever keys they hold.
void UnregisterHotKeys(platform::WindowHandle window, const std::vector<int>& ids);

inline const std::vector<int> kMainWindowHotKeyIds = {0, 1, 5, 6};
inline const std::vector<int> kBar0HotKeyIds = {0, 1, 2, 3, 4};
inline const std::vector<int> kDialUpMonitorHotKeyIds = {0};

}  // namespace lumetra
