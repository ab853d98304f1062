#pragma once
// Import and export of definition files (".NUD", ".NU2") and colour files
// (".NCD", ".NC2"). The same import compares a file with the definition list
// and merges a previous definition set into a new one at start-up.
#include <functional>
#include <string>
#include <vector>

#include "definitions/colour_sets.h"
#include "definitions/news_definition.h"

namespace lumetra {

enum ImportMode {
  kImportUser = 0,       // the user imports a file
  kImportKeepFlags = 1,  // merge, carrying the file's menu/patrol/favourite choices
  kImportCompare = 2,    // compare only
};

inline constexpr int kExportVersion = 14;

// Record size of a ".NUD" of `version` (0 ... 14); 0 for a version not read.
int NudRecordSize(int version);

// Imports a ".nud" or ".nu2" file (any case) into NewsList() for the bar
// `bar`; other files, an empty list and versions of 15 or more are ignored.
// Duplicates are offered for deletion through platform::ShowPrompt. A ".nu2"
// whose checksums do not come out is refused before anything changes. In
// mode 2 returns whether the file differs from the list; otherwise false.
bool ImportDefinitions(const std::string& path, int mode, int bar = 0);

// Writes the chosen definitions (list order) as a ".NUD" file of version 14.
bool ExportDefinitions(const std::string& path, const std::vector<int>& indexes);

// Imports a ".ncd"/".nc2" file into ColourList(); the last imported set
// becomes bar `bar`'s set and the list is saved. After a ".ncd" into a
// visible bar, the caller asks the main window to apply the set
// (result.withPictures, result.lastIndex).
ColourImportResult ImportColours(const std::string& path, int bar = 0);

// Called after an import changed the definitions, so that the bars rebuild
// their menus. Returns the previous handler.
std::function<void()> SetMenusChangedHandler(std::function<void()> handler);
// Calls that handler (the definition editor does after OK).
void NotifyMenusChanged();

}  // namespace lumetra
