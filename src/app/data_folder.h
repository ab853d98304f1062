#pragma once
// Where the data files live, and the backups of the two main files.
#include <string>

#include "app/app_state.h"

namespace lumetra {

struct DataFolderInputs {
  std::string programFolder;   // the executable's folder
  std::string overrideFolder;  // --data-dir or LUMETRA_DATA_DIR; empty for none
  std::string userDataFolder;  // $XDG_DATA_HOME (default ~/.local/share)
};

// The inputs of this process: executable folder, $LUMETRA_DATA_DIR (unless
// `overrideFolder` is given) and the XDG data folder.
DataFolderInputs CurrentDataFolderInputs(const std::string& overrideFolder);

// Sets the system flags, ProgramFolder and DataFolder. The data stays beside
// the executable when that folder and its "News" subfolder are writable;
// otherwise it goes to <user data>/TARVO/Chirpel (created when missing).
void ResolveDataFolder(AppState& state, const DataFolderInputs& inputs);

// Writes "test.dat" into the folder, then deletes it.
bool ProbeWritable(const std::string& folder);

// Copies `source` over `backup` when it is newer than the copy recorded under
// "FileDate<number>"; a first run never replaces an existing backup.
bool RefreshBackup(const std::string& source, const std::string& backup, int number);

// Keep the system's automatic dialler quiet around a host-name look-up.
void SuppressAutoDial();
void RestoreAutoDial();

}  // namespace lumetra
