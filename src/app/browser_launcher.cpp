#include "app/browser_launcher.h"

#include "platform/file_io.h"
#include "platform/mail_clients.h"
#include "platform/process_launcher.h"
#include "platform/sjis_text.h"

namespace lumetra {

using platform::FileExists;
using platform::JoinPath;

namespace {

BrowserLauncher*& Installed() {
  static BrowserLauncher* launcher = nullptr;
  return launcher;
}

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The program file named by program text: the quoted part, or all of it.
std::string ProgramFileOf(const std::string& program) {
  if (!program.empty() && program[0] == '"') {
    size_t close = program.find('"', 1);
    return program.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  return program;
}

}  // namespace

BrowserLauncher::BrowserLauncher(const KeyboardState& keys, SubsystemPorts& ports, Settings& s, AppState& st)
    : keys_(keys), ports_(ports), s_(s), st_(st) {}

bool BrowserLauncher::StartDesignated(const std::string& program, const std::string& address) {
  // The result is not checked: a browser that cannot start fails silently.
  platform::StartProgram(DesignatedBrowserCommand(program, address));
  return true;
}

void BrowserLauncher::OpenUrl(const std::string& given, bool cutAtBlank, int index) {
  if (busy_) return;
  busy_ = true;
  std::string address = given;
  if (cutAtBlank) {
    size_t blank = address.find(' ');
    if (blank != std::string::npos) address.resize(blank);
  }
  const bool modifier = keys_.CtrlOrShiftHeld();
  // An empty program text counts as no designated browser: running it could only fail.
  const bool boardBrowser = s_.BrowsAppoint2CH && !TrimBlanks(s_.BrowsName2CH).empty();
  const bool designated = s_.BrowsAppoint && !TrimBlanks(s_.BrowsName).empty();
  const ListsPort& lists = *ports_.lists;
  const bool board = index >= 0 && index < lists.DefinitionCount() && lists.IsBoardDefinition(index) && boardBrowser;

  if (FileExists(CompanionPath(st_)) && (!modifier) == s_.BrowsChange_) {
    if (board && !modifier) {
      StartDesignated(s_.BrowsName2CH, address);
    } else {
      std::string arguments = index >= 0 ? " -msgnum " + std::to_string(index) + " -news " + AddressArgument(address)
                                         : " " + AddressArgument(address);
      platform::StartProgram(CompanionCommandLine(arguments, st_));
      st_.CompanionStarted = true;
      st_.BrowserOpened = true;
    }
  } else if (board) {
    StartDesignated(s_.BrowsName2CH, address);
  } else if (designated) {
    StartDesignated(s_.BrowsName, address);
  } else {
    platform::OpenAddress(TrimBlanks(address));
  }

  if (s_.NewsMonitorStop && ports_.news->Bar(0) != 0) ports_.news->StartBar0BrowserPause();
  busy_ = false;
}

void InstallBrowserLauncher(BrowserLauncher* launcher) { Installed() = launcher; }

void OpenUrl(const std::string& address, bool cutAtBlank, int definitionIndex) {
  if (Installed()) Installed()->OpenUrl(address, cutAtBlank, definitionIndex);
}

std::string CompanionPath(const AppState& st) { return JoinPath(st.ProgramFolder, "veska"); }

std::string CompanionCommandLine(const std::string& arguments, const AppState& st) {
  return "\"" + platform::Utf8ToSjis(CompanionPath(st)) + "\"" + arguments;
}

bool StartCompanion(const std::string& arguments, bool hidden, AppState& st) {
  if (!FileExists(CompanionPath(st))) return false;
  platform::StartProgram(CompanionCommandLine(arguments, st), hidden);
  st.CompanionStarted = true;
  return true;
}

std::string AddressArgument(const std::string& address) {
  if (address.find_first_of(" \t\"") == std::string::npos) return address;
  std::string quoted = "\"";
  for (char c : address) quoted += c == '"' ? std::string("\"\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string DesignatedBrowserCommand(const std::string& program, const std::string& address) {
  std::string head = !program.empty() && program[0] == '"' ? program : "\"" + program + "\"";
  return head + " " + AddressArgument(address);
}

bool StartMailProgram(const std::string& program) {
  if (TrimBlanks(program).empty()) return false;
  std::string file = platform::SjisToUtf8(ProgramFileOf(program));
  size_t slash = file.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : file.substr(0, slash == 0 ? 1 : slash);
  std::string command = program[0] == '"' ? program : "\"" + program + "\"";
  return platform::StartProgram(command, false, folder);
}

bool OpenHelpFile(const AppState& st) {
  if (!FileExists(st.HelpFile)) return false;
  return platform::OpenAddress(platform::Utf8ToSjis(st.HelpFile));
}

MailPrograms DetectMailPrograms() {
  // The Windows mail programs' own slots stay empty: their registry keys do
  // not exist here. The desktop's clients take their place.
  MailPrograms found;
  found.DesktopClients = platform::FindMailClients();
  return found;
}

}  // namespace lumetra
