#include "app/hotkey_table.h"

#include "platform/hotkeys.h"

namespace lumetra {

using namespace platform;

namespace {
constexpr unsigned kCtrlAlt = MOD_CONTROL | MOD_ALT;
constexpr unsigned kCtrlShiftAlt = MOD_CONTROL | MOD_SHIFT | MOD_ALT;
constexpr unsigned kFirstKeys[7] = {VK_RETURN, VK_BACK, VK_HOME, VK_INSERT, VK_END, VK_PRIOR, VK_NEXT};
constexpr const char* kFirstLabels[7] = {"ENTER", "Back Space", "Home", "Insert", "End", "PageUp", "PageDown"};

void Add(std::vector<HotKeyBinding>& out, int id, unsigned modifiers, int index) {
  if (auto vk = HotKeyVirtualKey(index)) out.push_back({id, modifiers, *vk});
}
}  // namespace

std::optional<unsigned> HotKeyVirtualKey(int index) {
  if (index < 0 || index >= kHotKeyChoices) return std::nullopt;
  if (index < 7) return kFirstKeys[index];
  if (index < 19) return VK_F1 + static_cast<unsigned>(index - 7);
  return static_cast<unsigned>('A' + (index - 19));
}

std::string HotKeyLabel(int index) {
  if (index < 0 || index >= kHotKeyChoices) return {};
  std::string key;
  if (index < 7)
    key = kFirstLabels[index];
  else if (index < 19)
    key = "F" + std::to_string(index - 6);
  else
    key = std::string(1, static_cast<char>('A' + (index - 19)));
  return "Ctrl+Alt+" + key;
}

std::vector<HotKeyBinding> MainWindowHotKeys(const Settings& s) {
  std::vector<HotKeyBinding> out;
  Add(out, 0, kCtrlAlt, s.HotKeyIndex[0]);
  Add(out, 1, kCtrlAlt, s.HotKeyIndex[1]);
  Add(out, 5, kCtrlAlt, s.HotKeyIndex[6]);
  Add(out, 6, kCtrlAlt, s.HotKeyIndex[7]);
  return out;
}

std::vector<HotKeyBinding> Bar0HotKeys(const Settings& s) {
  std::vector<HotKeyBinding> out;
  Add(out, 0, kCtrlAlt, s.HotKeyIndex[3]);
  Add(out, 1, kCtrlAlt, s.HotKeyIndex[4]);
  Add(out, 2, kCtrlAlt, s.HotKeyIndex[5]);
  Add(out, 3, kCtrlShiftAlt, s.HotKeyIndex[4]);
  Add(out, 4, kCtrlShiftAlt, s.HotKeyIndex[5]);
  return out;
}

std::vector<HotKeyBinding> DialUpMonitorHotKeys(const Settings& s) {
  std::vector<HotKeyBinding> out;
  Add(out, 0, kCtrlAlt, s.HotKeyIndex[2]);
  return out;
}

std::vector<int> RegisterHotKeys(WindowHandle window, const std::vector<HotKeyBinding>& bindings) {
  std::vector<int> registered;
  for (const HotKeyBinding& b : bindings)
    if (RegisterHotKey(window, b.id, b.modifiers, b.virtualKey)) registered.push_back(b.id);
  return registered;
}

void UnregisterHotKeys(WindowHandle window, const std::vector<int>& ids) {
  for (int id : ids) UnregisterHotKey(window, id);
}

}  // namespace lumetra
