// Global hot keys on a real (virtual) X display: keys are grabbed, pressed
// with xdotool, and arrive as WM_HOTKEY.
#include "platform/global_hotkeys_ui.h"

#include <gtest/gtest.h>

#include <QThread>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdlib>
#include <xcb/xcb.h>

#include "support/display_application.h"

namespace lumetra::platform {
namespace {

struct Received {
  uint32_t msg;
  WParam w;
  LParam l;
  bool operator==(const Received&) const = default;
};

class X11HotKeysTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    screen = std::make_unique<test::DisplayApplication<QGuiApplication>>(QStringList{"xdotool"});
  }
  static void TearDownTestSuite() { screen.reset(); }
  void SetUp() override {
    if (!screen->Ok()) GTEST_SKIP() << screen->Problem();
  }

  void Press(const char* keys) {
    test::RunOnDisplay(screen->Name(), "xdotool", {"key", keys});
  }
  // Runs the event loop until `count` messages arrived or a second passed.
  void Wait(size_t count) {
    QElapsedTimer t;
    t.start();
    while (got.size() < count && t.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    // and a little longer, so that a message too many would show
    while (t.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }

  static inline std::unique_ptr<test::DisplayApplication<QGuiApplication>> screen;
  std::vector<Received> got;
  MessagePort window{[this](uint32_t m, WParam w, LParam l) -> LResult {
    got.push_back({m, w, l});
    return 0;
  }};
};

TEST_F(X11HotKeysTest, CtrlAltPageUpArrivesAsWmHotkeyWhateverTheLocks) {
  X11HotKeys keys;
  ASSERT_TRUE(keys.Available());
  const unsigned ca = MOD_CONTROL | MOD_ALT;
  ASSERT_TRUE(keys.Register(window.Handle(), 1, ca, VK_PRIOR));
  ASSERT_TRUE(keys.Register(window.Handle(), 3, ca | MOD_SHIFT, VK_PRIOR));
  ASSERT_TRUE(keys.Register(window.Handle(), 5, ca, 'J'));

  Press("ctrl+alt+Prior");
  Wait(1);
  EXPECT_EQ(got, (std::vector<Received>{{WM_HOTKEY, 1, HotKeyLParam(ca, VK_PRIOR)}}));
  got.clear();
  Press("ctrl+alt+shift+Prior");
  Press("ctrl+alt+j");
  Wait(2);
  EXPECT_EQ(got, (std::vector<Received>{{WM_HOTKEY, 3, HotKeyLParam(ca | MOD_SHIFT, VK_PRIOR)},
                                        {WM_HOTKEY, 5, HotKeyLParam(ca, 'J')}}));
  got.clear();
  Press("ctrl+Prior");  // without Alt it is not the key
  Wait(1);
  EXPECT_TRUE(got.empty());

  // Num Lock on must not switch the keys off.
  Press("Num_Lock");
  Press("ctrl+alt+Prior");
  Press("Num_Lock");
  Wait(1);
  EXPECT_EQ(got.size(), 1u);
  got.clear();

  keys.Unregister(window.Handle(), 1);
  Press("ctrl+alt+Prior");
  Wait(1);
  EXPECT_TRUE(got.empty());
}

TEST_F(X11HotKeysTest, AKeyHeldElsewhereIsNotRegistered) {
  // Another program holds Ctrl+Alt+Home.
  xcb_connection_t* other = xcb_connect(screen->Name().c_str(), nullptr);
  ASSERT_FALSE(xcb_connection_has_error(other));
  const xcb_setup_t* setup = xcb_get_setup(other);
  xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
  const int count = setup->max_keycode - setup->min_keycode + 1;
  auto* map = xcb_get_keyboard_mapping_reply(other, xcb_get_keyboard_mapping(other, setup->min_keycode, count), nullptr);
  ASSERT_NE(map, nullptr);
  xcb_keycode_t home = 0;
  for (int i = 0; i < count && !home; ++i)
    if (xcb_get_keyboard_mapping_keysyms(map)[i * map->keysyms_per_keycode] == 0xFF50) home = setup->min_keycode + i;
  std::free(map);
  ASSERT_NE(home, 0);
  ASSERT_EQ(xcb_request_check(other, xcb_grab_key_checked(other, 0, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, home,
                                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)),
            nullptr);

  X11HotKeys keys;
  const unsigned ca = MOD_CONTROL | MOD_ALT;
  EXPECT_FALSE(keys.Register(window.Handle(), 0, ca, VK_HOME));
  EXPECT_TRUE(keys.Register(window.Handle(), 0, ca, VK_END));
  // Within the program a key belongs to one window only.
  MessagePort second(nullptr);
  EXPECT_FALSE(keys.Register(second.Handle(), 0, ca, VK_END));
  // Once the other program lets go, the key can be had.
  xcb_disconnect(other);
  // The server drops the other client's grab when it notices the disconnect,
  // which may be just after our request arrives.
  bool registered = false;
  for (int attempt = 0; attempt < 50 && !registered; ++attempt) {
    registered = keys.Register(window.Handle(), 2, ca, VK_HOME);
    if (!registered) QThread::msleep(20);
  }
  EXPECT_TRUE(registered);
  Press("ctrl+alt+Home");
  Wait(1);
  EXPECT_EQ(got, (std::vector<Received>{{WM_HOTKEY, 2, HotKeyLParam(ca, VK_HOME)}}));
}

TEST(X11HotKeysWithoutX, NothingRegistersOffscreen) {
  if (QCoreApplication::instance()) GTEST_SKIP() << "an X application runs in this process";
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name};
  QGuiApplication offscreen(argc, argv);
  X11HotKeys keys;
  EXPECT_FALSE(keys.Available());
  EXPECT_FALSE(keys.Register(1, 0, MOD_CONTROL | MOD_ALT, VK_PRIOR));
}

}  // namespace
}  // namespace lumetra::platform
