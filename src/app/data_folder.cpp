#include "app/data_folder.h"

#include <QDir>
#include <QFile>
#include <cstdio>

#include "platform/date_time.h"
#include "platform/file_io.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace lumetra {

using platform::JoinPath;

DataFolderInputs CurrentDataFolderInputs(const std::string& overrideFolder) {
  DataFolderInputs in;
  in.programFolder = platform::ExecutableFolder();
  in.overrideFolder = overrideFolder;
  if (in.overrideFolder.empty()) in.overrideFolder = qEnvironmentVariable("LUMETRA_DATA_DIR").toStdString();
  QString data = qEnvironmentVariable("XDG_DATA_HOME");
  if (data.isEmpty()) data = QDir::homePath() + "/.local/share";
  in.userDataFolder = data.toStdString();
  return in;
}

bool ProbeWritable(const std::string& folder) {
  std::string path = JoinPath(folder, "test.dat");
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadWrite)) return false;
  bool written = file.write("\0\0\0\0", 4) == 4 && file.flush();
  file.close();
  bool removed = QFile::remove(QString::fromStdString(path));
  return written && removed;
}

void ResolveDataFolder(AppState& state, const DataFolderInputs& in) {
  // Every flag of a current system is set; there is no composition interface.
  state.IsNT = state.IsWin2000OrLater = state.IsXPOrLater = true;
  state.IsVistaOrLater = state.IsWin7OrLater = true;
  state.GlassEnabled = false;
  state.IsAdministrator = platform::IsAdministrator();

  state.ProgramFolder = in.programFolder;
  state.DataFolder = in.programFolder;
  if (!in.overrideFolder.empty()) {
    state.DataFolder = QDir::cleanPath(QString::fromStdString(in.overrideFolder)).toStdString();
    if (!platform::MakeDirectories(state.DataFolder))
      std::fprintf(stderr, "lumetra: cannot create the data folder %s\n", state.DataFolder.c_str());
    return;
  }

  bool ok = ProbeWritable(in.programFolder);
  if (ok) {
    std::string news = JoinPath(in.programFolder, "News");
    if (!platform::DirectoryExists(news)) ok = QDir().mkdir(QString::fromStdString(news));
    if (ok) ok = ProbeWritable(news);
  }
  if (!ok) {
    state.DataFolder = JoinPath(in.userDataFolder, "TARVO/Chirpel");
    if (!platform::MakeDirectories(state.DataFolder))
      std::fprintf(stderr, "lumetra: cannot create the data folder %s\n", state.DataFolder.c_str());
  }
}

bool RefreshBackup(const std::string& source, const std::string& backup, int number) {
  if (!platform::FileExists(source)) return false;
  double fileTime = platform::FileModifiedDayCount(source);
  std::string key = "\\SOFTWARE\\TARVO\\Lumetra\\FileDate" + std::to_string(number);
  std::string name = std::to_string(number);
  platform::Registry reg;
  bool copy = false;
  if (reg.OpenKey(key, false)) {
    bool stored = reg.GetDataType(name) == platform::RegType::Binary;
    if (stored) {
      double storedTime = 0;
      try {
        storedTime = reg.ReadDateTime(name);
      } catch (const platform::RegistryError&) {
        stored = false;  // unreadable stamp: treat the backup as out of date
      }
      if (stored && !(fileTime > storedTime)) return false;
    }
    copy = true;
  } else {
    reg.OpenKey(key, true);
    reg.WriteDateTime(name, platform::NowDayCount());
    copy = !platform::FileExists(backup);
  }
  if (!copy) return false;
  if (!platform::CopyFileAtomically(source, backup)) return false;
  reg.WriteDateTime(name, fileTime);
  return true;
}

namespace {
struct AutoDialGuard {
  bool active = false;
  bool binary = false;
  std::string saved;
  uint32_t value = 0;
};
AutoDialGuard& Guard() {
  static AutoDialGuard guard;
  return guard;
}
constexpr const char* kInternetSettings = "\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\INTERNET SETTINGS";
}  // namespace

void SuppressAutoDial() {
  AutoDialGuard& g = Guard();
  if (g.active) return;
  platform::Registry reg;
  if (!reg.OpenKey(kInternetSettings, false)) return;
  auto type = reg.GetDataType("EnableAutoDial");
  if (type == platform::RegType::DWord) {
    if (reg.ReadInteger("EnableAutoDial") == 0) return;
    g.binary = false;
    g.value = 1;
    reg.WriteInteger("EnableAutoDial", 0);
  } else if (type == platform::RegType::Binary) {
    std::string bytes = reg.ReadBinaryData("EnableAutoDial");
    if (bytes.size() != 4 || bytes == std::string(4, '\0')) return;
    g.binary = true;
    g.value = 1;
    reg.WriteBinaryData("EnableAutoDial", std::string("\0\0\0\0", 4));
  } else {
    return;
  }
  g.active = true;
}

void RestoreAutoDial() {
  AutoDialGuard& g = Guard();
  if (!g.active) return;
  g.active = false;
  platform::Registry reg;
  if (!reg.OpenKey(kInternetSettings, false)) return;
  if (g.binary)
    reg.WriteBinaryData("EnableAutoDial", std::string("\1\0\0\0", 4));
  else
    reg.WriteInteger("EnableAutoDial", 1);
}

}  // namespace lumetra
