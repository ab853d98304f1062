#pragma once
// Whole-file reads and crash-safe writes. Paths are UTF-8 (the file system's
// encoding); program text that becomes part of a path is converted first.
#include <optional>
#include <string>
#include <string_view>

namespace lumetra::platform {

std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes to a temporary file in the same folder, flushes it to disk and
// renames it over `path`, so a crash leaves either the old or the new file.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Copies by the same atomic route; false when the source cannot be read.
bool CopyFileAtomically(const std::string& from, const std::string& to);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool MakeDirectories(const std::string& path);
bool RemoveFile(const std::string& path);
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace lumetra::platform
