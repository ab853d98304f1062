#include "app/hotkey_table.h"

#include <gtest/gtest.h>

#include "app/app_button.h"
#include "platform/hotkeys.h"

namespace lumetra {
namespace {

using namespace platform;

TEST(HotKeyTable, IndexToKeyAndLabel) {
  struct Case {
    int index;
    std::optional<unsigned> key;
    const char* label;
  };
  const Case cases[] = {
      {0, VK_RETURN, "Ctrl+Alt+ENTER"},   {1, VK_BACK, "Ctrl+Alt+Back Space"}, {2, VK_HOME, "Ctrl+Alt+Home"},
      {3, VK_INSERT, "Ctrl+Alt+Insert"},  {4, VK_END, "Ctrl+Alt+End"},         {5, VK_PRIOR, "Ctrl+Alt+PageUp"},
      {6, VK_NEXT, "Ctrl+Alt+PageDown"},  {7, VK_F1, "Ctrl+Alt+F1"},           {18, VK_F1 + 11, "Ctrl+Alt+F12"},
      {19, 'A', "Ctrl+Alt+A"},            {28, 'J', "Ctrl+Alt+J"},             {44, 'Z', "Ctrl+Alt+Z"},
      {45, std::nullopt, ""},             {-1, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HotKeyVirtualKey(c.index), c.key) << c.index;
    EXPECT_EQ(HotKeyLabel(c.index), c.label) << c.index;
  }
}

TEST(HotKeyTable, WhoRegistersWhat) {
  Settings s;
  const unsigned ca = MOD_CONTROL | MOD_ALT, csa = ca | MOD_SHIFT;
  EXPECT_EQ(MainWindowHotKeys(s), (std::vector<HotKeyBinding>{
                                      {0, ca, VK_RETURN}, {1, ca, VK_BACK}, {5, ca, 'J'}, {6, ca, 'A'}}));
  EXPECT_EQ(DialUpMonitorHotKeys(s), (std::vector<HotKeyBinding>{{0, ca, VK_HOME}}));
  // "Ctrl+Alt+PageUp" for the next news registers Page Up, plain and with Shift.
  s.HotKeyIndex[4] = 5;
  s.HotKeyIndex[5] = 44;
  EXPECT_EQ(Bar0HotKeys(s), (std::vector<HotKeyBinding>{{0, ca, 'N'},
                                                        {1, ca, VK_PRIOR},
                                                        {2, ca, 'Z'},
                                                        {3, csa, VK_PRIOR},
                                                        {4, csa, 'Z'}}));
  // A stored index outside the table registers nothing for that key.
  s.HotKeyIndex[7] = 99;
  EXPECT_EQ(MainWindowHotKeys(s).size(), 3u);
}

// Records registrations; one key is held by "another program".
struct Recorder : HotKeyRegistrar {
  std::vector<std::tuple<WindowHandle, int, unsigned, unsigned>> keys;
  unsigned taken = 0;
  bool Register(WindowHandle w, int id, unsigned m, unsigned vk) override {
    if (vk == taken) return false;
    keys.emplace_back(w, id, m, vk);
    return true;
  }
  void Unregister(WindowHandle w, int id) override {
    std::erase_if(keys, [&](auto& k) { return std::get<0>(k) == w && std::get<1>(k) == id; });
  }
};

TEST(HotKeyTable, ATakenKeyIsSilentlyLeftOut) {
  Recorder r;
  r.taken = 'J';
  HotKeyRegistrar* previous = SetHotKeyRegistrar(&r);
  EXPECT_EQ(RegisterHotKeys(7, MainWindowHotKeys(Settings())), (std::vector<int>{0, 1, 6}));
  UnregisterHotKeys(7, kMainWindowHotKeyIds);
  EXPECT_TRUE(r.keys.empty());
  SetHotKeyRegistrar(previous);
  EXPECT_TRUE(RegisterHotKeys(7, MainWindowHotKeys(Settings())).empty());  // no registrar: nothing registers
}

TEST(AppButton, DialogsShowTheButtonAndTheLastOneGivesTheFocusBack) {
  AppButton b;
  b.RememberRestoreWindow(100);  // active when the program started
  AppButtonWorld w;
  w.foreground = 200;

  auto fx = b.Handle(-1, 0, w);  // remember only, and one is remembered already
  EXPECT_FALSE(fx.enableWindows);
  EXPECT_EQ(b.RestoreWindow(), 100u);

  fx = b.Handle(1, 0, w);  // a dialog appears while nothing of ours is visible
  EXPECT_TRUE(fx.enableWindows);
  EXPECT_EQ(fx.taskbarButton, 1);
  EXPECT_EQ(b.RestoreWindow(), 200u);

  w.somethingVisible = true;  // a second dialog over a visible window keeps the first restore window
  w.foreground = 300;
  b.Handle(2, 0, w);
  EXPECT_EQ(b.RestoreWindow(), 200u);

  fx = b.Handle(0, -1, w);  // a dialog closes while the mail window is still up: nothing changes
  EXPECT_EQ(fx.taskbarButton, 0);
  EXPECT_EQ(fx.giveForeground, 0u);
  EXPECT_TRUE(b.ButtonShown());

  w.somethingVisible = false;
  fx = b.Handle(0, -1, w);  // the last one closes
  EXPECT_EQ(fx.taskbarButton, -1);
  EXPECT_EQ(fx.giveForeground, 200u);
  EXPECT_EQ(b.RestoreWindow(), 0u);
  EXPECT_FALSE(b.ButtonShown());

  fx = b.Handle(3, 0, w);  // kind 3 with nothing visible hides the button
  EXPECT_EQ(fx.taskbarButton, -1);
  fx = b.Handle(0, 0, w);  // without the restore flag the focus is not moved
  EXPECT_EQ(fx.giveForeground, 0u);
}

TEST(AppButton, TheDialUpMonitorStaysAboveBusyMailWindows) {
  AppButton b;
  AppButtonWorld w{false, 0, true, true, true, 0};
  EXPECT_TRUE(b.Handle(0, 0, w).raiseDialUp);
  w.dialUpStacking = 1;
  EXPECT_FALSE(b.Handle(0, 0, w).raiseDialUp);
  w = {false, 0, true, false, true, 0};
  EXPECT_FALSE(b.Handle(0, 0, w).raiseDialUp);
}

TEST(AppButton, DisableBarsRule) {
  struct Case {
    int kind;
    bool main, mail, found, applies;
  };
  const Case cases[] = {
      {5, false, false, false, true}, {5, true, false, false, false}, {0, true, false, false, true},
      {5, false, true, false, false}, {3, false, true, false, true},  {5, false, false, true, false},
      {19, false, false, true, true}, {3, true, false, false, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DisableBarsApplies(c.kind, c.main, c.mail, c.found), c.applies)
        << c.kind << c.main << c.mail << c.found;
}

}  // namespace
}  // namespace lumetra
