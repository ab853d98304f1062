#pragma once
// The program's own file types (".NUD" definitions, ".NCD" colour sets) made
// known to the desktop: a shared-mime-info package and a desktop entry under
// $XDG_DATA_HOME, then the desktop's update tools when they are installed.
// Failures are ignored: file types are a convenience.
#include <string>
#include <vector>

namespace lumetra::platform {

struct FileType {
  std::string extension;    // ".NUD"
  std::string mimeType;     // "application/x-lumetra-nud"
  std::string description;  // UTF-8
};

// `executable` is started with the files (%F); `icon` may be empty.
void RegisterFileTypes(const std::vector<FileType>& types, const std::string& executable, const std::string& icon);

}  // namespace lumetra::platform
