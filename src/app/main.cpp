// Process entry: one copy per user; a second start hands its web addresses to
// the running copy and ends.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/console_ticker.h"
#include "app/data_folder.h"
#include "app/fetch_once_command.h"
#include "app/main_window.h"
#include "app/messages.h"
#include "app/start_arguments.h"
#include "platform/file_io.h"
#include "platform/global_hotkeys_ui.h"
#include "platform/handoff_channel.h"
#include "platform/instance_lock.h"
#include "platform/message_box_ui.h"
#include "platform/runtime_folder.h"
#include "platform/sjis_text.h"
#include "platform/termination_signals.h"

using namespace lumetra;

namespace {

struct CommandLine {
  std::string dataFolder;
  std::vector<std::string> arguments;  // program text (Shift_JIS)
  bool help = false;
  bool console = false;
  std::optional<std::string> fetchOnce;  // --fetch-once N
};

CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine cl;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--data-dir" && i + 1 < argc) {
      cl.dataFolder = argv[++i];
    } else if (arg.rfind("--data-dir=", 0) == 0) {
      cl.dataFolder = arg.substr(11);
    } else if (arg == "--console") {
      cl.console = true;
    } else if (arg == "--fetch-once") {
      cl.fetchOnce = i + 1 < argc ? std::string(argv[++i]) : std::string();
    } else if (arg.rfind("--fetch-once=", 0) == 0) {
      cl.fetchOnce = arg.substr(13);
    } else if (arg == "--help" || arg == "-h") {
      cl.help = true;
    } else {
      // The shell gives UTF-8; addresses become program text here and then
      // travel unchanged. File arguments stay usable as paths either way.
      cl.arguments.push_back(platform::Utf8ToSjis(arg));
    }
  }
  return cl;
}

platform::WindowHandle ReadHandleFile(const std::string& dataFolder) {
  auto bytes = platform::ReadWholeFile(platform::JoinPath(dataFolder, "Handle"));
  if (!bytes || bytes->size() < 4) return 0;
  const auto* b = reinterpret_cast<const unsigned char*>(bytes->data());
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

bool HasDisplay() {
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine cl = ParseCommandLine(argc, argv);
  if (cl.help) {
    std::printf(
        "Usage: lumetra [--data-dir DIR] [--console] [ADDRESS|FILE.NUD|FILE.NCD ...]\n"
        "       lumetra [--data-dir DIR] --fetch-once N\n"
        "  --data-dir DIR   keep data files in DIR (also LUMETRA_DATA_DIR)\n"
        "  --console        print the headlines in the terminal instead of showing bars\n"
        "                   (also without a display)\n"
        "  --fetch-once N   fetch definition N into its page cache and print \"changed\"\n"
        "                   or \"unchanged\" (exit code 1 or 0; 2 and \"error: ...\" on trouble)\n");
    return 0;
  }
  if (cl.fetchOnce) return RunFetchOnce(argc, argv, cl.dataFolder, *cl.fetchOnce);

  platform::InstanceLock lock;
  lock.Acquire(platform::RuntimeFolder());
  const bool otherCopy = lock.OtherCopyRunning();

  if (!cl.arguments.empty()) {
    std::string runtime = platform::RuntimeFolder();
    StartArgumentSender sender(cl.arguments, [&runtime](platform::WindowHandle target, const std::string& payload) {
      platform::SendToRunningCopy(runtime, target, platform::WM_COPYDATA, 0, 0, payload);
    });
    if (otherCopy) {
      AppState probe;
      ResolveDataFolder(probe, CurrentDataFolderInputs(cl.dataFolder));
      sender.SetOtherInstance(ReadHandleFile(probe.DataFolder));
      sender.Run(0);
      sender.Run(1);
    }
  }
  if (otherCopy) {
    if (cl.console) std::fprintf(stderr, "lumetra: Lumetra is already running for this user\n");
    return cl.console ? 1 : 0;
  }

  if (cl.console || !HasDisplay()) {
    if (!cl.console) std::fprintf(stderr, "lumetra: no display; the headlines follow here\n");
    return RunConsoleTicker({cl.dataFolder}, argc, argv);
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName("Lumetra");
  QApplication::setOrganizationName("TARVO");
  QApplication::setQuitOnLastWindowClosed(false);
  platform::InstallMessageBoxPrompts();
  platform::X11HotKeys hotKeys;
  platform::SetHotKeyRegistrar(&hotKeys);

  TChirpels mainWindow({cl.dataFolder, cl.arguments});
  platform::OnTerminationSignal([&mainWindow](int) { mainWindow.EndSession(); });
  QObject::connect(&application, &QGuiApplication::commitDataRequest, &mainWindow,
                   [&mainWindow](QSessionManager&) { mainWindow.WndProc(platform::WM_QUERYENDSESSION, 0, 0); });
  // Whatever ends the loop, the data and settings are saved once.
  QObject::connect(&application, &QCoreApplication::aboutToQuit, &mainWindow, [&mainWindow] {
    app().QuitAllowed = true;
    mainWindow.FormClose();
  });
  platform::PostMessage(mainWindow.Handle(), UM_HANDOFF, 0, 0);
  return application.exec();
}
