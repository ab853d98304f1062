#pragma once
// The definitions and colour sets a first start begins with, read from the
// readable files shipped in the program's "data" folder, and the loading and
// saving of the data files at start-up and shutdown.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "definitions/colour_sets.h"
#include "definitions/news_definition.h"

namespace lumetra {

inline constexpr char kShippedDataFolder[] = "data";
inline constexpr char kDefaultDefinitionsFile[] = "default-definitions.txt";
inline constexpr char kDefaultColoursFile[] = "default-colours.txt";
inline constexpr char kDefinitionsFile[] = "NewsUrl.USR";
inline constexpr char kDefinitionsBackupFile[] = "NewsBak.NU2";
inline constexpr char kColoursFile[] = "NewsCol.USR";
inline constexpr char kColoursBackupFile[] = "NewsCol.NC2";

// Appends the definitions of the readable default set (UTF-8 text) to
// `list`. A "local" entry names a file under `shippedFolder` and becomes a
// "file://" address; when that file is missing or its address does not fit
// the record, the definition is left out. Problems are described in
// `errors`; a block with a problem is skipped. True when there was none.
bool ParseDefaultDefinitions(std::string_view text, const std::string& shippedFolder, TIPlist5& list,
                             std::vector<std::string>& errors);

// Puts the sets of the readable colour list into their slots of `list`
// (slots between the end of the list and a set get the defaults).
bool ParseDefaultColourSets(std::string_view text, TIPlist6& list, std::vector<std::string>& errors);

// The default set from <programFolder>/data, written to `path`. False when
// the set could not be read or written.
bool InstallDefaultDefinitions(TIPlist5& list, const std::string& programFolder, const std::string& path);
// The presets and the shipped colour list.
void InstallDefaultColourSets(TIPlist6& list, const std::string& programFolder,
                              uint32_t buttonFace = kDefaultButtonFace);

// Start-up: "NewsUrl.USR" of the data folder, or at a first start (no such
// file) the default set, written at once.
void LoadDefinitionsAtStart(const std::string& dataFolder, const std::string& programFolder);
// Start-up: "NewsCol.USR", or the built-in sets (written at once when the
// file does not exist).
void LoadColourSetsAtStart(const std::string& dataFolder, const std::string& programFolder,
                           uint32_t buttonFace = kDefaultButtonFace);
// Shutdown: both files saved. A definition file that could not be loaded is
// not replaced by the empty list it left, so the user's data can still be
// recovered from it; nor is an empty list written where there was no file.
void SaveDefinitionsAtShutdown(const std::string& dataFolder);
void SaveColourSetsAtShutdown(const std::string& dataFolder);

}  // namespace lumetra
