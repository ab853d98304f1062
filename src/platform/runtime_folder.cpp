#include "platform/runtime_folder.h"

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace lumetra::platform {
namespace {
std::string PrivateTempSubfolder(const char* prefix) {
  std::string path = QDir::tempPath().toStdString() + "/" + prefix + std::to_string(getuid());
  ::mkdir(path.c_str(), 0700);
  return path;
}
}  // namespace

std::string RuntimeFolder() {
  QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir()) return runtime.toStdString();
  return PrivateTempSubfolder("TarvoLumetra-");
}

std::string TempFolder() {
  QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  std::string base = runtime.isEmpty() ? PrivateTempSubfolder("TarvoLumetra-") : runtime.toStdString();
  std::string path = base + "/lumetra-tmp";
  ::mkdir(path.c_str(), 0700);
  return path;
}

std::string SystemFolder() {
  QByteArray data = qgetenv("XDG_DATA_HOME");
  const std::string base =
      data.isEmpty() ? QDir::homePath().toStdString() + "/.local/share" : QString::fromLocal8Bit(data).toStdString();
  const std::string path = base + "/TARVO/System";
  QDir().mkpath(QString::fromStdString(path));
  return path;
}

}  // namespace lumetra::platform
