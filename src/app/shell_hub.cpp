#include "app/shell_hub.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "app/hotkey_table.h"
#include "app/main_window_calls.h"
#include "app/messages.h"
#include "app/settings.h"
#include "app/tray_pictures_ui.h"
#include "platform/file_io.h"
#include "platform/foreground_ui.h"
#include "platform/hotkeys.h"
#include "platform/sjis_text.h"

namespace lumetra {

using platform::LParam;
using platform::LResult;
using platform::PostMessage;
using platform::WindowHandle;
using platform::WParam;

class ShellHub::Modifiers : public KeyboardState {
 public:
  bool CtrlOrShiftHeld() const override {
    if (source) return source();
    return QGuiApplication::queryKeyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
  }
  std::function<bool()> source;
};

namespace {
int BarNumber(WParam w) { return w <= 5 ? static_cast<int>(w) : 0; }
}  // namespace

ShellHub::ShellHub(QWidget* mainWindow, WindowHandle mainHandle, SubsystemPorts& ports)
    : QObject(nullptr),
      main_(mainWindow),
      handle_(mainHandle),
      ports_(ports),
      modifiers_(std::make_unique<Modifiers>()),
      launcher_(std::make_unique<BrowserLauncher>(*modifiers_, ports)),
      tray_(new QSystemTrayIcon(this)),
      timer2_(new QTimer(this)),
      pictures_(std::make_unique<std::array<QIcon, kTrayPictureCount>>()) {
  InstallBrowserLauncher(launcher_.get());
  InstallMainWindowCalls({mainHandle, [this] { Timer2Check(); }, [this](int kind) { DisableBars(kind); },
                          [this] { OptionsDialogClosed(); }});
  appButton_.RememberRestoreWindow(platform::ForegroundWindow());
  tip_ = CutTipText(ShortDateToday());
  tray_->setToolTip(platform::SjisToQString(tip_));
  // The X11 tray host asks for the tip as the pointer rests on the icon.
  tray_->installEventFilter(this);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
      case QSystemTrayIcon::Trigger: OnTrayMouse(WM_LBUTTONDOWN); break;
      case QSystemTrayIcon::DoubleClick: OnTrayMouse(WM_LBUTTONDBLCLK); break;
      case QSystemTrayIcon::Context: OnTrayMouse(WM_RBUTTONDOWN); break;
      default: break;
    }
  });
  timer2_->setInterval(800);
  connect(timer2_, &QTimer::timeout, this, [this] {
    NotifyIconSet(1);
    // Trays that never ask for the tip (StatusNotifierItem) still get a current one.
    UpdateTip();
  });
  BuildMenu();
}

ShellHub::~ShellHub() {
  InstallBrowserLauncher(nullptr);
  InstallMainWindowCalls({});
  Stop();
}

void ShellHub::SetModifierSource(std::function<bool()> source) { modifiers_->source = std::move(source); }

void ShellHub::LoadIcons(bool refresh) {
  *pictures_ = LoadTrayPictures(settings(), app().IsXPOrLater);
  if (!refresh) return;
  tray_->setIcon((*pictures_)[static_cast<size_t>(animator_.Shown())]);
  NotifyIconSet(0);
}

// ---- Tray icon --------------------------------------------------------------

bool ShellHub::TryAddTrayIcon() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  tray_->setIcon((*pictures_)[static_cast<size_t>(animator_.Shown())]);
  tray_->setToolTip(platform::SjisToQString(tip_));
  tray_->show();
  animator_.Given(animator_.Shown());
  trayAdded_ = true;
  NotifyIconSet(0);  // the picture of the present state at once, not after the first tick
  return true;
}

void ShellHub::AddTrayIcon() {
  timer2_->start();
  if (!TryAddTrayIcon()) PostMessage(handle_, UM_TRAYRETRY, kTrayAddTries, 0);
}

void ShellHub::RemoveTrayIcon() {
  tray_->hide();
  trayAdded_ = false;
}

void ShellHub::Stop() {
  timer2_->stop();
  UnregisterHotKeys(handle_, kMainWindowHotKeyIds);
}

bool ShellHub::NewsCheckRunning() const {
  return ports_.news->PageCheckExists() && settings().NewsMonitorVisible[0] && ports_.news->Bar0FetchTimerEnabled();
}

bool ShellHub::KeywordHitWaiting() const {
  return ports_.foundList->Window() != 0 && !ports_.foundList->Visible();
}

TrayInputs ShellHub::Inputs() const {
  TrayInputs in;
  in.mailCheckRunning = ports_.mail->CheckRunning();
  in.newsCheckRunning = NewsCheckRunning();
  in.unreadNewMail = unreadNewMail_;
  in.keywordHitWaiting = KeywordHitWaiting();
  in.popUpMode = app().PopUpMode;
  in.offline = app().LocalAddress == kOfflineAddress;
  in.animationOff = settings().IconAnimation;
  return in;
}

void ShellHub::NotifyIconSet(int tick) {
  TrayUpdate update = animator_.NotifyIconSet(tick, Inputs());
  if (update.modify) tray_->setIcon((*pictures_)[static_cast<size_t>(update.picture)]);
}

void ShellHub::Timer2Check() {
  if (timer2CheckBusy_) return;
  timer2CheckBusy_ = true;
  if (ports_.mail->WindowExists()) unreadNewMail_ = ports_.mail->AnyUnreadNewMail();
  if (!unreadNewMail_ && !KeywordHitWaiting() && !ports_.mail->CheckRunning() && !NewsCheckRunning())
    NotifyIconSet(0);
  timer2CheckBusy_ = false;
}

void ShellHub::UpdateTip() {
  TrayTipInputs in;
  in.mailCheckRunning = ports_.mail->CheckRunning();
  if (in.mailCheckRunning) {
    in.accountName = ports_.mail->CheckingAccountName();
    in.accountServer = ports_.mail->CheckingAccountServer();
  }
  in.newsCheckRunning = NewsCheckRunning();
  if (in.newsCheckRunning) in.singleDefinition = ports_.news->SingleCheckDefinition();
  in.date = ShortDateToday();
  std::string tip = TrayTipText(in);
  if (tip == tip_) return;
  tip_ = tip;
  tray_->setToolTip(platform::SjisToQString(tip_));
}

bool ShellHub::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tray_ && event->type() == QEvent::ToolTip) OnTrayMouse(WM_MOUSEMOVE);
  return QObject::eventFilter(watched, event);
}

void ShellHub::OnTrayMouse(LParam mouse) {
  switch (mouse) {
    case WM_MOUSEMOVE: UpdateTip(); break;
    case WM_LBUTTONDOWN: {
      if (leftClickBusy_) break;
      leftClickBusy_ = true;
      if (unreadNewMail_)
        ports_.mail->ShowNewMails();
      else if (KeywordHitWaiting())
        PostMessage(ports_.foundList->Window(), UM_SHOWFOUNDLIST, 0, 1);
      leftClickBusy_ = false;
      break;
    }
    case WM_LBUTTONDBLCLK: ports_.news->ToggleBarsOffScreen(); break;
    case WM_RBUTTONDOWN:
      // The popup takes the keyboard and closes on a click elsewhere by itself;
      // the hidden main window need not come to the front first.
      menu_->popup(QCursor::pos());
      break;
    default: break;
  }
}

// ---- Menu -------------------------------------------------------------------

void ShellHub::BuildMenu() {
  menu_ = std::make_unique<QMenu>();
  // Subsystems come and go (a proxy is set, a window is made): the entries are
  // brought up to date whenever the menu opens.
  connect(menu_.get(), &QMenu::aboutToShow, this, [this] { ApplyMenuVisibility(); });
  actions_.clear();
  for (const TrayMenuEntry& entry : TrayMenu({})) {
    QAction* action = entry.command == TrayCommand::Separator ? menu_->addSeparator() : menu_->addAction(QString());
    if (entry.command != TrayCommand::Separator) {
      TrayCommand command = entry.command;
      connect(action, &QAction::triggered, this, [this, command] { Run(command); });
    }
    actions_.emplace_back(entry, action);
  }
  ApplyMenuVisibility();
}

void ShellHub::ApplyMenuVisibility() {
  const Settings& s = settings();
  TrayMenuInputs in;
  in.mailCheckGo = s.MailCheckGo;
  in.mailer1 = s.Mailer;
  in.mailer1Title = s.Mailer1Title;
  in.mailer2 = s.Mailer2;
  in.mailer2Title = s.Mailer2Title;
  in.proxyInUse = s.ProxyCheckGo;
  in.helpFilePresent = platform::FileExists(app().HelpFile);
  in.aboutAvailable = ports_.dialogs->AboutAvailable();
  in.clockAvailable = ports_.clock->Available();
  in.mailAvailable = ports_.mail->Available();
  in.dialUpAvailable = ports_.dialUp->Available();
  in.barsAvailable = ports_.news->Available();
  in.optionsAvailable = ports_.dialogs->OptionsAvailable();
  model_ = TrayMenu(in);
  for (size_t i = 0; i < model_.size() && i < actions_.size(); ++i) {
    QAction* action = actions_[i].second;
    action->setVisible(model_[i].visible);
    action->setEnabled(model_[i].enabled);
    if (model_[i].command != TrayCommand::Separator) action->setText(platform::SjisToQString(model_[i].caption));
  }
}

void ShellHub::Run(TrayCommand command) {
  Settings& s = settings();
  switch (command) {
    case TrayCommand::About: ports_.dialogs->ShowAbout(); break;
    case TrayCommand::Help: OpenHelpFile(); break;
    case TrayCommand::ClockSync:
      if (!s.ProxyCheckGo) ports_.clock->Synchronise();
      break;
    case TrayCommand::SpamList: ports_.mail->OpenSpamList(false); break;
    case TrayCommand::SpamExceptions: ports_.mail->OpenSpamList(true); break;
    case TrayCommand::MailList: ports_.mail->ShowMailList(); break;
    case TrayCommand::Mailer2: StartMailProgram(s.Mailer2); break;
    case TrayCommand::Mailer1: StartMailProgram(s.Mailer); break;
    case TrayCommand::AccessMonitor:
      ports_.dialUp->ShowMonitor();
      PostAppButton(0, -1);
      break;
    case TrayCommand::MailCheck:
      if (!ports_.mail->CheckRunning()) ports_.mail->StartCheck();
      break;
    case TrayCommand::AddHeadline:
      for (int n = 0; n < kBarCount; ++n) {
        if (s.NewsMonitorVisible[n]) continue;
        s.NewsMonitorVisible[n] = true;
        bars()[n].Definition = -1;
        ports_.news->OpenBar(n);
        break;
      }
      break;
    case TrayCommand::Headline:
      s.NewsMonitorVisible[0] = true;
      if (ports_.news->Bar(0) == 0) bars()[0].Definition = -1;
      ports_.news->OpenBar(0);
      break;
    case TrayCommand::CompanionBrowser: PostMessage(handle_, platform::WM_HOTKEY, 6, 0); break;
    case TrayCommand::InternetSearch: StartCompanion(" -search"); break;
    case TrayCommand::Options: OpenOptionsDialog(0); break;
    case TrayCommand::Exit:
      if (exitHandler_) exitHandler_();
      break;
    case TrayCommand::Separator: break;
  }
}

void ShellHub::OpenOptionsDialog(int bar) {
  DialogsPort& dialogs = *ports_.dialogs;
  if (dialogs.OptionsOpen()) {
    dialogs.FocusOptions();
    return;
  }
  if (!dialogs.OptionsAvailable()) return;
  dialogs.OpenOptions(bar);
  if (WindowHandle viewer = ports_.news->CompanionViewerWindow())
    PostMessage(viewer, UM_VIEWERWINDOW, static_cast<WParam>(handle_), 0);
}

// ---- Hot keys -----------------------------------------------------------------

void ShellHub::RegisterMainHotKeys() { RegisterHotKeys(handle_, MainWindowHotKeys(settings())); }

void ShellHub::OptionsDialogClosed() {
  const Settings& s = settings();
  UnregisterHotKeys(handle_, kMainWindowHotKeyIds);
  RegisterHotKeys(handle_, MainWindowHotKeys(s));
  if (WindowHandle monitor = ports_.dialUp->Window()) {
    UnregisterHotKeys(monitor, kDialUpMonitorHotKeyIds);
    RegisterHotKeys(monitor, DialUpMonitorHotKeys(s));
  }
  if (WindowHandle bar0 = ports_.news->Bar(0)) {
    UnregisterHotKeys(bar0, kBar0HotKeyIds);
    RegisterHotKeys(bar0, Bar0HotKeys(s));
  }
  LoadIcons(true);
  ApplyMenuVisibility();
}

void ShellHub::OnHotKey(int id) {
  switch (id) {
    case 5: Run(TrayCommand::InternetSearch); break;
    case 6: StartCompanion(" -show"); break;
    case 1:
      // The pop-up key switches the run-time flag only; the stored choice stays.
      app().PopUpMode = !app().PopUpMode;
      NotifyIconSet(0);
      break;
    default: ports_.news->ToggleBarsOffScreen(); break;
  }
}

// ---- Taskbar button and bars ----------------------------------------------------

void ShellHub::OnAppButton(int kind, int restoreFlag) {
  AppButtonWorld w;
  w.somethingVisible = main_->isVisible() || ports_.mail->WindowVisible() ||
                       (ports_.foundList->Window() != 0 && ports_.foundList->Visible());
  w.foreground = platform::ForegroundWindow();
  w.mailWindowExists = ports_.mail->WindowExists();
  w.mailBusy = ports_.mail->CheckRunning() || ports_.mail->WindowsPopUp();
  w.dialUpExists = ports_.dialUp->Window() != 0;
  w.dialUpStacking = ports_.dialUp->StackingMode();
  AppButtonEffects fx = appButton_.Handle(kind, restoreFlag, w);
  if (fx.enableWindows) {
    ports_.dialUp->SetEnabled(true);
    ports_.news->SetBarsEnabled(true);
  }
  // The taskbar button needs no action of its own here: every dialog is a
  // top-level window that carries its own taskbar entry while it is shown.
  if (fx.giveForeground) platform::GiveForeground(fx.giveForeground);
  if (fx.raiseDialUp) ports_.dialUp->RaiseAndBack();
}

void ShellHub::DisableBars(int kind) {
  bool foundVisible = ports_.foundList->Window() != 0 && ports_.foundList->Visible();
  if (DisableBarsApplies(kind, main_->isVisible(), ports_.mail->WindowVisible(), foundVisible))
    ports_.news->SetBarsEnabled(false);
}

// ---- Messages -----------------------------------------------------------------

WindowHandle ShellHub::FirstBar() const {
  for (int n = 0; n < kBarCount; ++n)
    if (WindowHandle bar = ports_.news->Bar(n)) return bar;
  return 0;
}

std::optional<LResult> ShellHub::HandleMessage(uint32_t msg, WParam wParam, LParam lParam) {
  switch (msg) {
    case UM_TRAYICON: OnTrayMouse(lParam); return 0;
    case UM_APPBUTTON: OnAppButton(static_cast<int>(static_cast<intptr_t>(wParam)), static_cast<int>(lParam)); return 0;
    case UM_COLOREDITOR: ports_.dialogs->OpenColourEditor(BarNumber(wParam)); return 0;
    case UM_OPTIONSDIALOG: OpenOptionsDialog(BarNumber(wParam)); return 0;
    case UM_OPENBAR: {
      const int bar = BarNumber(wParam);
      const int colour = lParam >= 0 && lParam < ports_.lists->ColourSetCount() ? static_cast<int>(lParam) : 0;
      bars()[bar].ColourSet = colour;
      bars()[bar].ColourSetName = ports_.lists->ColourSetName(colour);
      const bool existed = ports_.news->Bar(bar) != 0;
      ports_.news->OpenBar(bar);
      // A bar that was open already takes the set now; a new one starts with it.
      if (existed) ports_.news->ReapplyColourSet(bar);
      return 0;
    }
    case UM_TRAYRETRY: {
      const int triesLeft = static_cast<int>(wParam);
      QTimer::singleShot(100, this, [this, triesLeft] {
        if (triesLeft > 0 && !trayAdded_ && !TryAddTrayIcon())
          PostMessage(handle_, UM_TRAYRETRY, static_cast<WParam>(triesLeft - 1), 0);
      });
      return 0;
    }
    case UM_VIEWERREQUEST:
    case UM_VIEWERWINDOW: {
      WindowHandle bar = FirstBar();
      if (bar == 0) return 0;
      PostMessage(bar, msg, wParam, lParam);
      return 1;
    }
    case UM_FORWARDNAVIGATE: {
      WindowHandle bar = FirstBar();
      if (bar == 0) return 0;
      PostMessage(bar, UM_BARNAVIGATE, wParam, 2);
      return 1;
    }
    case UM_EDITDEFINITION: {
      // Another program names the definition; only a valid one is opened.
      if (wParam >= static_cast<WParam>(std::max(0, ports_.lists->DefinitionCount()))) return 0;
      if (ports_.dialogs->DefinitionEditorOpen()) return 0;
      return ports_.dialogs->EditDefinition(static_cast<int>(wParam)) ? 1 : 0;
    }
    case platform::WM_HOTKEY: OnHotKey(static_cast<int>(wParam)); return 1;
    default: break;
  }
  if (msg >= UM_IGNOREDFIRST && msg <= UM_IGNOREDLAST) return 0;
  return std::nullopt;
}

}  // namespace lumetra
