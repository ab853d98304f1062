#pragma once
// The console ticker: Lumetra without a display. It prints the headlines of
// every patrolled definition from its page cache, then runs bar 0's patrol
// and prints each page that changes, as the bar would scroll it: the
// definition's title line, then each headline with its link, in UTF-8.
// SIGINT and SIGTERM end it; the definition list (which the patrol changes:
// dates of the last fetch, new-page flags) is saved as at every shutdown,
// the settings are read but never written.
#include <string>

namespace lumetra {

struct ConsoleOptions {
  std::string dataFolderOverride;  // --data-dir
};

// The bar's ticker lines as the console prints them.
std::string ConsolePageText(int bar);

// Runs until interrupted; the process's exit code.
int RunConsoleTicker(const ConsoleOptions& options, int argc, char** argv);

}  // namespace lumetra
