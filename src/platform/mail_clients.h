#pragma once
// Mail programs installed on this desktop: the handler the desktop uses for
// "mailto:" addresses, then well-known mail clients found on PATH.
#include <string>
#include <vector>

namespace lumetra::platform {

struct MailClient {
  std::string path;   // absolute path of the program file (UTF-8)
  std::string title;  // the name to show, UTF-8 ("Thunderbird")
};

// Each program once, the desktop's choice first. Reads the freedesktop
// mimeapps.list files and desktop entries under $XDG_CONFIG_HOME,
// $XDG_CONFIG_DIRS, $XDG_DATA_HOME and $XDG_DATA_DIRS, and $PATH.
std::vector<MailClient> FindMailClients();

// The program file that a desktop entry's Exec line starts, resolved on PATH;
// empty when it names nothing executable.
std::string ProgramOfExecLine(const std::string& exec);

}  // namespace lumetra::platform
