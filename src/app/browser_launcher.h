#pragma once
// Every request to show a web page goes through OpenUrl, which picks the
// companion browser "veska" in the program folder, the browser designated in
// the options, the one designated for bulletin boards, or the desktop's
// default browser. Also the companion's other command lines, mail programs
// and the help file.
#include <string>

#include "app/app_state.h"
#include "app/settings.h"
#include "app/subsystem_ports.h"

namespace lumetra {

// Whether Ctrl or Shift is held at this moment.
class KeyboardState {
 public:
  virtual ~KeyboardState() = default;
  virtual bool CtrlOrShiftHeld() const = 0;
};

class BrowserLauncher {
 public:
  // The ports are read at each call: a subsystem may plug in at any time.
  BrowserLauncher(const KeyboardState& keys, SubsystemPorts& ports, Settings& s = settings(), AppState& st = app());

  // Definition index -1 means none. A call while one runs is ignored.
  void OpenUrl(const std::string& address, bool cutAtBlank, int definitionIndex);

 private:
  bool StartDesignated(const std::string& program, const std::string& address);

  const KeyboardState& keys_;
  SubsystemPorts& ports_;
  Settings& s_;
  AppState& st_;
  bool busy_ = false;
};

// The launcher behind the free OpenUrl; the main window installs it.
void InstallBrowserLauncher(BrowserLauncher* launcher);
// The launcher: what a bar, a list or the hand-off calls. Nothing happens
// until one is installed.
void OpenUrl(const std::string& address, bool cutAtBlank, int definitionIndex);

// The companion browser's program file (UTF-8 path) and its command line: the
// quoted program text followed by `arguments` (" -show", " -search" …).
std::string CompanionPath(const AppState& st = app());
std::string CompanionCommandLine(const std::string& arguments, const AppState& st = app());
// Starts the companion when it is there and remembers that the program
// started it; false when it is missing.
bool StartCompanion(const std::string& arguments, bool hidden = false, AppState& st = app());

// A designated browser's command line: its program text in double quotes
// unless it already begins with one (then it may carry arguments), a blank and
// the address.
std::string DesignatedBrowserCommand(const std::string& program, const std::string& address);
// An address as one argument of a command line: quoted only when it contains
// blanks or quotes, which would otherwise split it.
std::string AddressArgument(const std::string& address);

// Starts a mail program (program text, quoted or not) in its own folder.
bool StartMailProgram(const std::string& program);
// Opens the help file with the desktop's viewer; false when it is missing.
bool OpenHelpFile(const AppState& st = app());

// The mail programs of this desktop, for the settings load.
MailPrograms DetectMailPrograms();

}  // namespace lumetra
