#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "app/browser_launcher.h"
#include "app/data_folder.h"
#include "app/main_window_calls.h"
#include "app/messages.h"
#include "app/settings.h"
#include "app/shell_hub.h"
#include "definitions/default_set.h"
#include "definitions/text_lists.h"
#include "dialogs/definition_menu_ui.h"
#include "dialogs/dialog_windows_ui.h"
#include "interaction/bar_menu_ui.h"
#include "mail/mail_files.h"
#include "platform/file_io.h"
#include "platform/file_types.h"
#include "platform/process_launcher.h"
#include "platform/runtime_folder.h"
#include "platform/sjis_text.h"
#include "platform/system_info.h"
#include "platform/user_prompt.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"
#include "ticker/bar_list.h"
#include "ticker/news_monitor.h"

namespace lumetra {

using platform::CopyData;
using platform::JoinPath;
using platform::LParam;
using platform::LResult;
using platform::WParam;

namespace {
// The definition and colour-set lists as the main window's hub reads them.
class DefinitionLists final : public ListsPort {
 public:
  int DefinitionCount() const override { return NewsList().Count; }
  bool IsBoardDefinition(int index) const override {
    return index >= 0 && index < NewsList().Count && NewsList().Item(index).BoardMode != 0;
  }
  int ColourSetCount() const override { return ColourList().Count; }
  std::string ColourSetName(int index) const override {
    return index >= 0 && index < ColourList().Count ? FieldText(ColourList().Item(index).Name) : std::string();
  }
};
}  // namespace

TChirpels::TChirpels(StartOptions options) : options_(std::move(options)) {
  setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
  port_ = std::make_unique<platform::MessagePort>(
      [this](uint32_t msg, WParam w, LParam l) { return WndProc(msg, w, l); }, this);
  sender_ = std::make_unique<StartArgumentSender>(options_.arguments, [this](platform::WindowHandle target,
                                                                             const std::string& payload) {
    CopyData data{0, static_cast<uint32_t>(payload.size()), payload.data()};
    platform::SendMessage(target, platform::WM_COPYDATA, Handle(), reinterpret_cast<LParam>(&data));
  });
  sender_->SetMainWindow(Handle());
  ports_ = std::make_unique<SubsystemPorts>();
  ports_->lists = std::make_unique<DefinitionLists>();
  ports_->news = MakeBarsNewsPort();
  ports_->dialogs = MakeDialogWindows();
  // The bars' menus, and the bars as the definition editor and the imports see them.
  BarMenuServices services;
  services.optionsAvailable = [this] { return ports_->dialogs->OptionsAvailable(); };
  services.colourEditorAvailable = [this] { return ports_->dialogs->ColourEditorAvailable(); };
  barInteraction_ = std::make_unique<BarInteraction>(std::move(services));
  SetDroppedFilesHandler(HandleDroppedFiles);
  shell_ = std::make_unique<ShellHub>(this, Handle(), *ports_);
  shell_->SetExitHandler([this] { RequestExit(); });
  FormCreate();
}

TChirpels::~TChirpels() {
  barInteraction_.reset();
  SetPageCheck(nullptr);
  SetDroppedFilesHandler(nullptr);
}

void TChirpels::FormCreate() {
  AppState& st = app();
  std::srand(static_cast<unsigned>(::time(nullptr)) ^ static_cast<unsigned>(::getpid()));
  ResolveDataFolder(st, CurrentDataFolderInputs(options_.dataFolderOverride));
  settings() = Settings(st.ProgramFolder);
  bars() = DefaultBarTable();

  LoadTextLists(st.DataFolder, settings().Itaget);

  settings().DialUpConnect = ReadDialUpConnectEarly(settings().DialUpConnect);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    st.ColourCount = platform::ColourCountForDepth(screen->depth());
    st.ScreenHeight = screen->geometry().height();
  }
  setWindowTitle(platform::kApplicationTitle);

  st.LocalAddress = platform::FirstIPv4Address();
  detectedMailPrograms() = DetectMailPrograms();

  RegisterFileTypes();
  WriteHandleFile();
  QDir::setCurrent(QString::fromStdString(st.DataFolder));
  CleanTemporaryFiles();

  LoadAccountsAtStart(st.DataFolder);
  LoadDefinitionsAtStart(st.DataFolder, st.ProgramFolder);
  LoadMailListAtStart(st.DataFolder);

  OptionsReadWrite(0);
  shell_->LoadIcons(false);
  shell_->ApplyMenuVisibility();

  st.HelpFile = JoinPath(st.ProgramFolder, "Lumetra.chm");
  shell_->RegisterMainHotKeys();
  resize(0, 0);
  const QColor face = QApplication::palette().color(QPalette::Button);
  LoadColourSetsAtStart(st.DataFolder, st.ProgramFolder, Rgb(face.red(), face.green(), face.blue()));
  platform::PostMessage(Handle(), UM_STARTUP, 0, 0);
}

void TChirpels::RegisterFileTypes() {
  std::string exe = platform::ExecutablePath();
  std::string icon = JoinPath(app().ProgramFolder, "lumetra.ico");
  platform::RegisterFileTypes({{".NUD", "application/x-lumetra-nud", "Lumetra  File"},
                               {".NCD", "application/x-lumetra-ncd", "Lumetra color File"}},
                              exe, platform::FileExists(icon) ? icon : std::string());
}

void TChirpels::WriteHandleFile() {
  // Exactly 4 bytes, little-endian, written from offset 0 at every start.
  std::string path = JoinPath(app().DataFolder, "Handle");
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    std::fprintf(stderr, "lumetra: cannot write %s\n", path.c_str());
    return;
  }
  uint32_t h = Handle();
  unsigned char bytes[4] = {static_cast<unsigned char>(h), static_cast<unsigned char>(h >> 8),
                            static_cast<unsigned char>(h >> 16), static_cast<unsigned char>(h >> 24)};
  if (::pwrite(fd, bytes, 4, 0) != 4) std::fprintf(stderr, "lumetra: cannot write %s\n", path.c_str());
  ::close(fd);
  handoff_ = std::make_unique<platform::HandoffServer>(platform::RuntimeFolder(), Handle(), this);
}

void TChirpels::CleanTemporaryFiles() {
  // Only our own temporary folder: other programs' "~*.tmp" are not ours.
  QDir temp(QString::fromStdString(platform::TempFolder()));
  for (const QString& name : temp.entryList({"~*.tmp"}, QDir::Files | QDir::Hidden))
    if (!temp.remove(name)) break;
}

void TChirpels::OnStartup() {
  AppState& st = app();
  hide();
  // The set-up wizard, the splash, dial-up and the mail window come up here,
  // in this order, as they are built; then the page-check window and the bars.
  CreatePageCheck();
  pageCheckCreated_ = true;
  for (int n = 0; n < kBarCount; ++n) {
    // Bar 0 always, the others when set visible; each takes its patrol over.
    if (!settings().NewsMonitorVisible[n] && n != 0) continue;
    if (NewsMonitorOf(n) == nullptr) CreateNewsMonitor(n);
    if (st.QuitAllowed) return;
  }
  shell_->AddTrayIcon();
  if (st.QuitAllowed) return;
  // Definition and colour files given on the command line are imported once
  // bar 0 exists.
}

void TChirpels::CreatePageCheck() {
  if (pageCheck_ || app().QuitAllowed) return;
  pageCheck_ = std::make_unique<THttpCheck>();
  FetchHooks hooks;
  // A redirection straight back to where it came from: the definition is the
  // user's to correct.
  hooks.editDefinition = [this](int, int index) {
    if (ports_->dialogs->DefinitionEditorOpen()) return;
    ports_->dialogs->EditDefinition(index);
  };
  hooks.stepFinished = [](const StepReport&) { Timer2Check(); };
  pageCheck_->SetHooks(std::move(hooks));
  // The bars take their patrol models over as they are created.
  SetPageCheck(pageCheck_.get());
}

void TChirpels::OnHandoff() {
  if (!app().BrowserFree) StartCompanionHidden();
  sender_->Run(1);
}

void TChirpels::StartCompanionHidden() { StartCompanion(" -noshow", true); }

void TChirpels::CloseCompanion() {
  if (!app().CompanionStarted) return;
  platform::StartProgram(CompanionCommandLine(" -close"), true);
  app().CompanionStarted = false;
}

void TChirpels::OnCopyData(const CopyData* data) {
  if (!data) return;
  std::string text = ReceiveHandoffText(data->lpData, data->cbData);
  if (text.empty() || text[0] != '\t') return;
  OpenHandedAddress(text.substr(1));
}

void TChirpels::OpenHandedAddress(const std::string& address) {
  // Handed over whole: a blank is part of the address here.
  OpenUrl(address, false, -1);
}

void TChirpels::RequestExit() {
  if (!pageCheckCreated_) return;
  app().QuitAllowed = true;
  close();
}

void TChirpels::EndSession() {
  if (!app().QuitAllowed) {
    app().QuitAllowed = true;
    platform::PostMessage(Handle(), platform::WM_CLOSE, 0, 0);
  }
}

bool TChirpels::FormCloseQuery() const { return app().QuitAllowed; }

void TChirpels::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
  QCoreApplication::quit();
}

void TChirpels::FormClose() {
  AppState& st = app();
  if (st.Closing) return;
  // Speech programs are closed here once read-aloud exists.
  CloseCompanion();
  st.Closing = true;
  st.QuitAllowed = true;
  SaveMailFilesAtShutdown(st.DataFolder);
  // The mail window is closed here once it exists; then the bars, 0 to 5,
  // each saving its own settings; then fetching stops, a half-received page
  // left uncommitted.
  CloseAllBars();
  if (pageCheck_) {
    for (int bar = 0; bar < kBarCount; ++bar) pageCheck_->Patrol().StopBar(bar);
    pageCheck_->Stop();
  }
  SaveDefinitionsAtShutdown(st.DataFolder);
  RefreshBackup(JoinPath(st.DataFolder, "NewsUrl.USR"), JoinPath(st.DataFolder, "NewsBak.NU2"), 0);
  SaveColourSetsAtShutdown(st.DataFolder);
  RefreshBackup(JoinPath(st.DataFolder, "NewsCol.USR"), JoinPath(st.DataFolder, "NewsCol.NC2"), 1);
  OptionsReadWrite(1);
  shell_->RemoveTrayIcon();
  handoff_.reset();
  shell_->Stop();
  closed_ = true;
}

LResult TChirpels::WndProc(uint32_t msg, WParam wParam, LParam lParam) {
  switch (msg) {
    case UM_STARTUP: OnStartup(); return 0;
    case UM_HANDOFF: OnHandoff(); return 0;
    case platform::WM_COPYDATA: OnCopyData(reinterpret_cast<const CopyData*>(lParam)); return 1;
    case platform::WM_CLOSE: close(); return 0;
    case platform::WM_QUERYENDSESSION:
      app().QuitAllowed = true;
      platform::PostMessage(Handle(), platform::WM_CLOSE, 0, 0);
      return 1;
    case platform::WM_ENDSESSION: EndSession(); return 1;
    default: break;
  }
  if (auto answer = shell_->HandleMessage(msg, wParam, lParam)) return *answer;
  if (msg >= UM_IGNOREDFIRST && msg <= UM_IGNOREDLAST) return 0;
  return 0;
}

}  // namespace lumetra
