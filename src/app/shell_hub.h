#pragma once
// The side of the main window that faces the desktop: the tray icon with its
// pictures, tip and menu, the global hot keys, the taskbar-button rule, and
// the private messages the main window takes from the program's own windows
// and from other programs. The decisions live in tray_logic, hotkey_table,
// app_button and browser_launcher; this class only wires them to Qt.
#include <QObject>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/app_button.h"
#include "app/browser_launcher.h"
#include "app/subsystem_ports.h"
#include "app/tray_logic.h"
#include "platform/message_port.h"

class QAction;
class QIcon;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace lumetra {

// Mouse messages carried in UM_TRAYICON's lParam.
constexpr platform::LParam WM_MOUSEMOVE = 0x0200;
constexpr platform::LParam WM_LBUTTONDOWN = 0x0201;
constexpr platform::LParam WM_LBUTTONDBLCLK = 0x0203;
constexpr platform::LParam WM_RBUTTONDOWN = 0x0204;

// How many times, 100 ms apart, adding the tray icon is tried at start-up.
constexpr int kTrayAddTries = 100;

class ShellHub : public QObject {
 public:
  ShellHub(QWidget* mainWindow, platform::WindowHandle mainHandle, SubsystemPorts& ports);
  ~ShellHub() override;

  // The eight pictures from the settings; with `refresh` the tray is updated.
  void LoadIcons(bool refresh);
  // The menu's visibility rules, applied after the settings load.
  void ApplyMenuVisibility();
  void RegisterMainHotKeys();
  // Adds the icon (deferred start-up); when the tray is not there yet, retries.
  void AddTrayIcon();
  // Shutdown: the icon goes, the animation stops, the hot keys are released.
  void RemoveTrayIcon();
  void Stop();
  // After the options dialog: hot keys registered anew, pictures reloaded.
  void OptionsDialogClosed();

  void NotifyIconSet(int tick);
  // Called by the mail check, the page check and the found-URL list when their state changes.
  void Timer2Check();
  // Called by a closing window just before it hides itself.
  void DisableBars(int kind);
  void OpenOptionsDialog(int bar);

  // "終了する" runs this (the main window's exit request).
  void SetExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }
  // Whether Ctrl or Shift is held; the keyboard's state unless replaced (tests).
  void SetModifierSource(std::function<bool()> source);

  // The answer for the messages this part handles; nullopt for the others.
  std::optional<platform::LResult> HandleMessage(uint32_t msg, platform::WParam wParam, platform::LParam lParam);

  BrowserLauncher& Launcher() { return *launcher_; }
  QMenu* Menu() const { return menu_.get(); }
  QSystemTrayIcon* Tray() const { return tray_; }
  bool TrayAdded() const { return trayAdded_; }
  TrayPicture Shown() const { return animator_.Shown(); }
  const std::vector<TrayMenuEntry>& MenuModel() const { return model_; }
  const AppButton& TaskbarButton() const { return appButton_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Modifiers;

  bool TryAddTrayIcon();
  void OnTrayMouse(platform::LParam mouse);
  void OnAppButton(int kind, int restoreFlag);
  void OnHotKey(int id);
  void Run(TrayCommand command);
  void UpdateTip();
  void BuildMenu();
  TrayInputs Inputs() const;
  bool NewsCheckRunning() const;
  bool KeywordHitWaiting() const;
  platform::WindowHandle FirstBar() const;

  QWidget* main_;
  platform::WindowHandle handle_;
  SubsystemPorts& ports_;
  std::unique_ptr<Modifiers> modifiers_;
  std::unique_ptr<BrowserLauncher> launcher_;
  QSystemTrayIcon* tray_;
  QTimer* timer2_;
  std::unique_ptr<QMenu> menu_;
  std::vector<std::pair<TrayMenuEntry, QAction*>> actions_;
  std::vector<TrayMenuEntry> model_;
  std::unique_ptr<std::array<QIcon, kTrayPictureCount>> pictures_;
  TrayAnimator animator_;
  AppButton appButton_;
  std::function<void()> exitHandler_;
  std::string tip_;
  bool trayAdded_ = false;
  bool unreadNewMail_ = false;
  bool timer2CheckBusy_ = false;
  bool leftClickBusy_ = false;
};

}  // namespace lumetra
