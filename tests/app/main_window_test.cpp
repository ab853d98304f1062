// The main window's side towards the desktop, driven through its messages as
// the program's windows and other programs send them (offscreen, no tray).
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <future>
#include <thread>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "app/main_window_calls.h"
#include "app/messages.h"
#include "app/settings.h"
#include "app/shell_hub.h"
#include "app/start_arguments.h"
#include "platform/handoff_channel.h"
#include "platform/hotkeys.h"
#include "platform/process_launcher.h"
#include "platform/registry.h"
#include "platform/runtime_folder.h"
#include "platform/sjis_text.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

using platform::LParam;
using platform::WindowHandle;
using platform::WParam;

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

void Pump(int ms = 50) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

struct Message {
  uint32_t msg;
  WParam w;
  LParam l;
  bool operator==(const Message&) const = default;
};

// A window of another subsystem that records what it is sent.
struct Receiver {
  std::vector<Message> got;
  platform::MessagePort port{[this](uint32_t m, WParam w, LParam l) -> platform::LResult {
    got.push_back({m, w, l});
    return 0;
  }};
  WindowHandle handle() const { return port.Handle(); }
};

struct FakeBars : NewsPort {
  std::array<Receiver*, kBarCount> bars{};
  Receiver* viewer = nullptr;
  std::vector<int> opened;
  int toggles = 0;
  std::vector<bool> enabled;
  bool Available() const override { return true; }
  bool PageCheckExists() const override { return true; }
  bool Bar0FetchTimerEnabled() const override { return false; }
  std::optional<std::string> SingleCheckDefinition() const override { return std::nullopt; }
  WindowHandle Bar(int n) const override { return bars[n] ? bars[n]->handle() : 0; }
  void OpenBar(int n) override { opened.push_back(n); }
  void ToggleBarsOffScreen() override { ++toggles; }
  void SetBarsEnabled(bool e) override { enabled.push_back(e); }
  void StartBar0BrowserPause() override {}
  WindowHandle CompanionViewerWindow() const override { return viewer ? viewer->handle() : 0; }
};

struct FakeLists : ListsPort {
  int DefinitionCount() const override { return 3; }
  bool IsBoardDefinition(int) const override { return false; }
  int ColourSetCount() const override { return 2; }
  std::string ColourSetName(int i) const override { return "set" + std::to_string(i); }
};

struct FakeDialogs : DialogsPort {
  bool editorOpen = false;
  std::vector<int> edited, options, colours;
  bool AboutAvailable() const override { return false; }
  void ShowAbout() override {}
  bool OptionsAvailable() const override { return true; }
  bool OptionsOpen() const override { return false; }
  void FocusOptions() override {}
  void OpenOptions(int bar) override { options.push_back(bar); }
  bool DefinitionEditorOpen() const override { return editorOpen; }
  bool EditDefinition(int index) override {
    edited.push_back(index);
    return true;
  }
  void OpenColourEditor(int bar) override { colours.push_back(bar); }
};

struct FakeMail : MailPort {
  bool unread = false;
  int shown = 0;
  bool Available() const override { return true; }
  bool WindowExists() const override { return true; }
  bool WindowVisible() const override { return false; }
  bool CheckRunning() const override { return false; }
  bool CheckStartedByUser() const override { return false; }
  bool WindowsPopUp() const override { return false; }
  bool AnyUnreadNewMail() const override { return unread; }
  std::string CheckingAccountName() const override { return {}; }
  std::string CheckingAccountServer() const override { return {}; }
  void ShowNewMails() override { ++shown; }
  void ShowMailList() override {}
  void StartCheck() override {}
  void OpenSpamList(bool) override {}
};

struct FakeFoundList : FoundListPort {
  Receiver* receiver = nullptr;
  bool visible = false;
  WindowHandle Window() const override { return receiver ? receiver->handle() : 0; }
  bool Visible() const override { return visible; }
};

struct FakeDialUp : DialUpPort {
  Receiver receiver;
  std::vector<bool> enabled;
  bool Available() const override { return true; }
  WindowHandle Window() const override { return receiver.handle(); }
  bool Visible() const override { return false; }
  int StackingMode() const override { return 0; }
  void ShowMonitor() override {}
  void RaiseAndBack() override {}
  void SetEnabled(bool e) override { enabled.push_back(e); }
};

struct KeyRecorder : platform::HotKeyRegistrar {
  std::map<std::pair<WindowHandle, int>, std::pair<unsigned, unsigned>> keys;
  bool Register(WindowHandle w, int id, unsigned m, unsigned vk) override {
    keys[{w, id}] = {m, vk};
    return true;
  }
  void Unregister(WindowHandle w, int id) override { keys.erase({w, id}); }
};

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    app() = AppState{};
    platform::RegistryStore::For(platform::RootKey::CurrentUser).Clear();
    previousKeys = platform::SetHotKeyRegistrar(&keys);
    previousLaunch = platform::SetLaunchInterceptor([this](const platform::LaunchRecord& r) {
      launched.push_back(r.commandLine);
      return true;
    });
    window = std::make_unique<TChirpels>(TChirpels::StartOptions{data.path(), {}});
    app().ProgramFolder = program.path();
    SubsystemPorts& ports = window->Ports();
    news = new FakeBars;
    ports.news.reset(news);
    ports.lists = std::make_unique<FakeLists>();
    dialogs = new FakeDialogs;
    ports.dialogs.reset(dialogs);
  }
  void TearDown() override {
    window.reset();
    platform::SetHotKeyRegistrar(previousKeys);
    platform::SetLaunchInterceptor(previousLaunch);
  }
  platform::LResult Send(uint32_t msg, WParam w, LParam l) { return window->WndProc(msg, w, l); }
  void Companion() { test::WriteFile(program / "veska", "#!/bin/sh\n"); }
  std::string Veska() { return "\"" + program.path() + "/veska\""; }

  test::TempFolder data, program;
  KeyRecorder keys;
  platform::HotKeyRegistrar* previousKeys = nullptr;
  platform::LaunchInterceptor previousLaunch;
  std::vector<std::string> launched;
  std::unique_ptr<TChirpels> window;
  FakeBars* news = nullptr;
  FakeDialogs* dialogs = nullptr;
};

TEST_F(MainWindow, MessagesForTheBarsGoToTheFirstOneThatExists) {
  EXPECT_EQ(Send(UM_VIEWERREQUEST, 5, 77), 0);  // no bar: answered 0
  EXPECT_EQ(Send(UM_FORWARDNAVIGATE, 9, 0), 0);
  EXPECT_EQ(Send(UM_VIEWERWINDOW, 1, 0), 0);
  Receiver bar2, bar4;
  news->bars[2] = &bar2;
  news->bars[4] = &bar4;
  EXPECT_EQ(Send(UM_VIEWERREQUEST, 5, 77), 1);
  EXPECT_EQ(Send(UM_FORWARDNAVIGATE, 9, 0), 1);
  EXPECT_EQ(Send(UM_VIEWERWINDOW, 1234, 0), 1);
  Pump();
  EXPECT_EQ(bar2.got, (std::vector<Message>{{UM_VIEWERREQUEST, 5, 77}, {UM_BARNAVIGATE, 9, 2}, {UM_VIEWERWINDOW, 1234, 0}}));
  EXPECT_TRUE(bar4.got.empty());
}

TEST_F(MainWindow, DefinitionEditorRequestsNeedAValidIndex) {
  EXPECT_EQ(Send(UM_EDITDEFINITION, 3, 0), 0);  // the list holds 0..2
  EXPECT_EQ(Send(UM_EDITDEFINITION, static_cast<WParam>(-1), 0), 0);
  EXPECT_TRUE(dialogs->edited.empty());
  EXPECT_EQ(Send(UM_EDITDEFINITION, 2, 0), 1);
  dialogs->editorOpen = true;
  EXPECT_EQ(Send(UM_EDITDEFINITION, 1, 0), 0);
  EXPECT_EQ(dialogs->edited, std::vector<int>{2});
  // Without an editor at all, nothing opens and the answer is 0.
  window->Ports().dialogs = std::move(SubsystemPorts().dialogs);
  EXPECT_EQ(Send(UM_EDITDEFINITION, 1, 0), 0);
}

TEST_F(MainWindow, OtherProgramsReachItThroughTheLocalSocket) {
  Receiver bar0;
  news->bars[0] = &bar0;
  settings().BrowsAppoint = true;
  settings().BrowsName = "/usr/bin/browser";
  auto send = [this](uint32_t msg, WParam w, LParam l, std::string payload = {}) {
    auto answer = std::async(std::launch::async, [=, h = window->Handle()] {
      return platform::SendToRunningCopy(platform::RuntimeFolder(), h, msg, w, l, payload);
    });
    while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
      QCoreApplication::processEvents();
    return answer.get();
  };
  EXPECT_EQ(send(UM_EDITDEFINITION, 99, 0), 0);
  EXPECT_EQ(send(UM_VIEWERREQUEST, 1, 2), 1);
  EXPECT_EQ(send(UM_IGNOREDFIRST + 3, 0, 0), 0);
  // A second start's address: handed over whole, then through the launcher.
  EXPECT_EQ(send(platform::WM_COPYDATA, 0, 0, BuildHandoffPayload("http://x/a b")), 1);
  Pump();
  EXPECT_EQ(bar0.got, (std::vector<Message>{{UM_VIEWERREQUEST, 1, 2}}));
  EXPECT_EQ(launched, std::vector<std::string>{"\"/usr/bin/browser\" \"http://x/a b\""});
}

TEST_F(MainWindow, HotKeysAreRegisteredAtStartAndAgainAfterTheOptions) {
  const unsigned ca = platform::MOD_CONTROL | platform::MOD_ALT;
  const WindowHandle main = window->Handle();
  using Keys = std::map<std::pair<WindowHandle, int>, std::pair<unsigned, unsigned>>;
  EXPECT_EQ(keys.keys, (Keys{{{main, 0}, {ca, platform::VK_RETURN}},
                             {{main, 1}, {ca, platform::VK_BACK}},
                             {{main, 5}, {ca, 'J'}},
                             {{main, 6}, {ca, 'A'}}}));
  Receiver bar0;
  news->bars[0] = &bar0;
  auto* dialUp = new FakeDialUp;
  window->Ports().dialUp.reset(dialUp);
  settings().HotKeyIndex[6] = 5;   // search on Ctrl+Alt+PageUp
  settings().HotKeyIndex[7] = 45;  // outside the table: the key goes
  settings().HotKeyIndex[4] = 44;
  OptionsDialogClosed();  // as the options dialog calls it when it closes
  EXPECT_EQ(keys.keys[std::make_pair(main, 5)], std::make_pair(ca, platform::VK_PRIOR));
  EXPECT_EQ(keys.keys.count({main, 6}), 0u);
  EXPECT_EQ(keys.keys[std::make_pair(bar0.handle(), 1)], std::make_pair(ca, unsigned('Z')));
  EXPECT_EQ(keys.keys[std::make_pair(bar0.handle(), 3)], std::make_pair(ca | platform::MOD_SHIFT, unsigned('Z')));
  EXPECT_EQ(keys.keys[std::make_pair(dialUp->receiver.handle(), 0)], std::make_pair(ca, platform::VK_HOME));
  EXPECT_EQ(keys.keys.size(), 3u + 5u + 1u);
}

TEST_F(MainWindow, HotKeyActions) {
  EXPECT_EQ(Send(platform::WM_HOTKEY, 6, 0), 1);  // companion missing: nothing
  EXPECT_TRUE(launched.empty());
  Companion();
  Send(platform::WM_HOTKEY, 6, 0);
  Send(platform::WM_HOTKEY, 5, 0);
  EXPECT_EQ(launched, (std::vector<std::string>{Veska() + " -show", Veska() + " -search"}));
  EXPECT_TRUE(app().CompanionStarted);
  Send(platform::WM_HOTKEY, 0, 0);
  EXPECT_EQ(news->toggles, 1);
  bool popUp = app().PopUpMode;
  Send(platform::WM_HOTKEY, 1, 0);
  EXPECT_EQ(app().PopUpMode, !popUp);
  EXPECT_EQ(settings().PopUpGo, true);  // the stored choice is not touched
}

std::vector<std::pair<QString, bool>> Entries(QMenu* menu) {
  std::vector<std::pair<QString, bool>> out;
  for (QAction* a : menu->actions())
    if (a->isVisible()) out.emplace_back(a->isSeparator() ? "-" : a->text(), a->isEnabled());
  return out;
}

TEST_F(MainWindow, TrayMenuShowsMissingSubsystemsDisabledAndItsEntriesWork) {
  QMenu* menu = window->Shell().Menu();
  window->Shell().ApplyMenuVisibility();  // the bars were plugged in after the settings load
  auto trigger = [menu](const QString& text) {
    for (QAction* a : menu->actions())
      if (a->text() == text) a->trigger();
  };
  trigger("終了する");  // before the deferred start-up: ignored
  EXPECT_FALSE(app().QuitAllowed);

  auto entries = Entries(menu);
  ASSERT_EQ(entries.size(), 17u);
  EXPECT_EQ(entries.front(), std::make_pair(QString("TarvoLumetraについて"), false));
  EXPECT_EQ(entries[7], std::make_pair(QString("アクセスモニター"), false));
  EXPECT_EQ(entries[8], std::make_pair(QString("ヘッドラインニュース追加"), true));  // bars are faked here
  EXPECT_EQ(entries.back(), std::make_pair(QString("終了する"), true));

  settings().MailCheckGo = true;
  settings().Mailer = "/usr/bin/mailer";
  settings().Mailer1Title = "Mailer One";
  settings().Mailer2.clear();
  window->Shell().ApplyMenuVisibility();
  entries = Entries(menu);
  EXPECT_EQ(entries.size(), 22u);
  EXPECT_EQ(entries[8], std::make_pair(QString("Mailer One"), true));

  Companion();
  trigger("Veskaブラウザ");  // posts the companion key to the main window
  trigger("Mailer One");
  Pump();
  EXPECT_EQ(launched, (std::vector<std::string>{"\"/usr/bin/mailer\"", Veska() + " -show"}));
  trigger("ヘッドラインニュース追加");  // the first bar that is not set visible: bar 2
  EXPECT_EQ(news->opened, std::vector<int>{2});
  EXPECT_TRUE(settings().NewsMonitorVisible[2]);
  EXPECT_EQ(bars()[2].Definition, -1);

  trigger("終了する");  // the deferred start-up has run meanwhile
  EXPECT_TRUE(app().Closing);
  platform::Registry reg;
  EXPECT_TRUE(reg.OpenKey(kOptionsKey, false));  // the shutdown wrote the settings
}

TEST_F(MainWindow, TrayClicks) {
  auto* mail = new FakeMail;
  window->Ports().mail.reset(mail);
  auto* found = new FakeFoundList;
  window->Ports().foundList.reset(found);
  Receiver list;
  found->receiver = &list;

  Send(UM_TRAYICON, 0, WM_LBUTTONDOWN);  // a hit is waiting in the hidden list
  Pump();
  EXPECT_EQ(list.got, (std::vector<Message>{{UM_SHOWFOUNDLIST, 0, 1}}));
  mail->unread = true;
  window->Shell().Timer2Check();
  Send(UM_TRAYICON, 0, WM_LBUTTONDOWN);  // unread mail comes first and leaves the list alone
  Pump();
  EXPECT_EQ(mail->shown, 1);
  EXPECT_EQ(list.got.size(), 1u);
  Send(UM_TRAYICON, 0, WM_LBUTTONDBLCLK);
  EXPECT_EQ(news->toggles, 1);
}

TEST_F(MainWindow, TheIconFollowsTheStateOnTimer2Check) {
  app().LocalAddress = kOfflineAddress;
  Timer2Check();
  EXPECT_EQ(window->Shell().Shown(), TrayPicture::NotConnected);
  auto* mail = new FakeMail;
  window->Ports().mail.reset(mail);
  app().LocalAddress = "192.0.2.1";
  mail->unread = true;
  window->Shell().Timer2Check();  // an attention reason left: the picture is not reset
  EXPECT_EQ(window->Shell().Shown(), TrayPicture::NotConnected);
  mail->unread = false;
  settings().IconAnimation = true;
  window->Shell().Timer2Check();
  EXPECT_EQ(window->Shell().Shown(), TrayPicture::Normal);
}

TEST_F(MainWindow, DialogRequestsFromTheBars) {
  Receiver viewer;
  news->viewer = &viewer;
  Send(UM_COLOREDITOR, 4, 0);
  Send(UM_COLOREDITOR, 6, 0);  // not a bar: bar 0
  Send(UM_OPTIONSDIALOG, 3, 0);
  Pump();
  EXPECT_EQ(dialogs->colours, (std::vector<int>{4, 0}));
  EXPECT_EQ(dialogs->options, std::vector<int>{3});
  EXPECT_EQ(viewer.got, (std::vector<Message>{{UM_VIEWERWINDOW, window->Handle(), 0}}));

  Send(UM_OPENBAR, 5, 1);
  Send(UM_OPENBAR, 9, 7);  // bar 0, colour set outside the list: 0
  EXPECT_EQ(news->opened, (std::vector<int>{5, 0}));
  EXPECT_EQ(bars()[5].ColourSet, 1);
  EXPECT_EQ(bars()[5].ColourSetName, "set1");
  EXPECT_EQ(bars()[0].ColourSet, 0);
  EXPECT_EQ(bars()[0].ColourSetName, "set0");
}

TEST_F(MainWindow, ClosingDialogsDisableAndEnableTheBars) {
  auto* dialUp = new FakeDialUp;
  window->Ports().dialUp.reset(dialUp);
  // As a closing window of another library calls them.
  DisableBars(5);
  PostAppButton(0, -1);
  Pump();
  EXPECT_EQ(news->enabled, (std::vector<bool>{false, true}));
  EXPECT_EQ(dialUp->enabled, std::vector<bool>{true});
  PostAppButton(-1, 0);  // remember only
  app().QuitAllowed = true;
  PostAppButton(0, -1);  // not posted while the program shuts down
  Pump();
  EXPECT_EQ(news->enabled.size(), 2u);
}

TEST_F(MainWindow, IgnoredMessagesAnswerZero) {
  for (uint32_t m = UM_IGNOREDFIRST; m <= UM_IGNOREDLAST; ++m) EXPECT_EQ(Send(m, 1, 1), 0);
  Pump();
  EXPECT_TRUE(launched.empty());
}

}  // namespace
}  // namespace lumetra
