#include "platform/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace lumetra::platform {
namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  QFile file(Q(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  std::string out;
  char buffer[65536];
  for (;;) {
    qint64 n = file.read(buffer, sizeof buffer);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  return out;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  QSaveFile file(Q(path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  // Chunked so a failing disk is noticed early rather than after a huge buffer.
  size_t done = 0;
  while (done < bytes.size()) {
    size_t chunk = std::min<size_t>(bytes.size() - done, 1 << 20);
    if (file.write(bytes.data() + done, static_cast<qint64>(chunk)) != static_cast<qint64>(chunk)) {
      file.cancelWriting();
      return false;
    }
    done += chunk;
  }
  return file.commit();
}

bool CopyFileAtomically(const std::string& from, const std::string& to) {
  auto bytes = ReadWholeFile(from);
  return bytes && WriteFileAtomically(to, *bytes);
}

bool FileExists(const std::string& path) {
  QFileInfo info(Q(path));
  return info.exists() && !info.isDir();
}

bool DirectoryExists(const std::string& path) { return QFileInfo(Q(path)).isDir(); }

bool MakeDirectories(const std::string& path) { return QDir().mkpath(Q(path)); }

bool RemoveFile(const std::string& path) { return QFile::remove(Q(path)); }

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/') out.push_back('/');
  out.append(name);
  return out;
}

}  // namespace lumetra::platform
