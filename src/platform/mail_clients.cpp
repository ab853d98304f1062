#include "platform/mail_clients.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>

namespace lumetra::platform {
namespace {

constexpr const char* kMailto = "x-scheme-handler/mailto";

QString Env(const char* name, const QString& fallback) {
  QString value = qEnvironmentVariable(name);
  return value.isEmpty() ? fallback : value;
}

QStringList SplitDirs(const QString& value) { return value.split(':', Qt::SkipEmptyParts); }

// key=value lines of one group of an ini-style freedesktop file.
std::map<QString, QString> ReadGroup(const QString& path, const QString& group) {
  std::map<QString, QString> values;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return values;
  QTextStream in(&file);
  bool inGroup = false;
  while (!in.atEnd()) {
    QString line = in.readLine().trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    if (line.startsWith('[')) {
      inGroup = line == "[" + group + "]";
      continue;
    }
    int eq = line.indexOf('=');
    if (!inGroup || eq <= 0) continue;
    QString key = line.left(eq).trimmed();
    if (!values.count(key)) values[key] = line.mid(eq + 1).trimmed();
  }
  return values;
}

QStringList DesktopIds(const QString& value) { return value.split(';', Qt::SkipEmptyParts); }

bool Executable(const QString& path) {
  QFileInfo info(path);
  return info.isFile() && info.isExecutable();
}

QString FindOnPath(const QString& name) {
  if (name.contains('/')) return Executable(name) ? QFileInfo(name).absoluteFilePath() : QString();
  for (const QString& dir : SplitDirs(qEnvironmentVariable("PATH"))) {
    QString candidate = dir + "/" + name;
    if (Executable(candidate)) return QFileInfo(candidate).absoluteFilePath();
  }
  return {};
}

struct Folders {
  QStringList configDirs;        // mimeapps.list, most important first
  QStringList applicationsDirs;  // desktop entries, most important first
};

Folders XdgFolders() {
  Folders f;
  const QString home = QDir::homePath();
  f.configDirs << Env("XDG_CONFIG_HOME", home + "/.config");
  f.configDirs << SplitDirs(Env("XDG_CONFIG_DIRS", "/etc/xdg"));
  QStringList dataDirs;
  dataDirs << Env("XDG_DATA_HOME", home + "/.local/share");
  dataDirs << SplitDirs(Env("XDG_DATA_DIRS", "/usr/local/share:/usr/share"));
  for (const QString& d : dataDirs) f.applicationsDirs << d + "/applications";
  return f;
}

// The desktop file of an id; "vendor-app.desktop" may also live in "vendor/app.desktop".
QString DesktopFilePath(const QStringList& applicationsDirs, const QString& id) {
  for (const QString& dir : applicationsDirs) {
    if (QFileInfo::exists(dir + "/" + id)) return dir + "/" + id;
    QString nested = id;
    for (qsizetype dash = nested.indexOf('-'); dash > 0; dash = nested.indexOf('-', dash + 1)) {
      nested[dash] = '/';
      if (QFileInfo::exists(dir + "/" + nested)) return dir + "/" + nested;
    }
  }
  return {};
}

std::optional<MailClient> ClientOfDesktopEntry(const QString& file) {
  auto entry = ReadGroup(file, "Desktop Entry");
  if (entry["Hidden"] == "true") return std::nullopt;
  std::string program = ProgramOfExecLine(entry["Exec"].toStdString());
  if (program.empty()) return std::nullopt;
  QString title = entry["Name"];
  if (title.isEmpty()) title = QFileInfo(QString::fromStdString(program)).fileName();
  return MailClient{program, title.toStdString()};
}

// Desktop ids registered for mailto, in the order the desktop would try them.
QStringList MailtoHandlerIds(const Folders& f) {
  QStringList listFiles;
  QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower().split(':', Qt::SkipEmptyParts);
  QStringList dirs = f.configDirs + f.applicationsDirs;
  for (const QString& dir : dirs) {
    for (const QString& desktop : desktops) listFiles << dir + "/" + desktop + "-mimeapps.list";
    listFiles << dir + "/mimeapps.list";
  }
  QStringList ids;
  for (const char* group : {"Default Applications", "Added Associations"})
    for (const QString& list : listFiles) ids << DesktopIds(ReadGroup(list, group)[kMailto]);
  for (const QString& dir : f.applicationsDirs) ids << DesktopIds(ReadGroup(dir + "/mimeinfo.cache", "MIME Cache")[kMailto]);
  return ids;
}

struct KnownClient {
  const char* program;
  const char* title;
};
constexpr KnownClient kKnownClients[] = {
    {"thunderbird", "Thunderbird"}, {"betterbird", "Betterbird"}, {"evolution", "Evolution"},
    {"claws-mail", "Claws Mail"},   {"sylpheed", "Sylpheed"},     {"kmail", "KMail"},
    {"geary", "Geary"},             {"balsa", "Balsa"},           {"seamonkey", "SeaMonkey"},
    {"mailspring", "Mailspring"},
};

}  // namespace

std::string ProgramOfExecLine(const std::string& exec) {
  QStringList words = QProcess::splitCommand(QString::fromStdString(exec));
  // "env VAR=value program ..." starts the program after the assignments.
  if (!words.isEmpty() && words.first() == "env") {
    words.removeFirst();
    while (!words.isEmpty() && words.first().contains('=')) words.removeFirst();
  }
  if (words.isEmpty()) return {};
  return FindOnPath(words.first()).toStdString();
}

std::vector<MailClient> FindMailClients() {
  std::vector<MailClient> found;
  auto add = [&found](MailClient client) {
    std::string canonical = QFileInfo(QString::fromStdString(client.path)).canonicalFilePath().toStdString();
    for (const MailClient& c : found)
      if (QFileInfo(QString::fromStdString(c.path)).canonicalFilePath().toStdString() == canonical) return;
    found.push_back(std::move(client));
  };
  Folders folders = XdgFolders();
  for (const QString& id : MailtoHandlerIds(folders)) {
    QString file = DesktopFilePath(folders.applicationsDirs, id);
    if (file.isEmpty()) continue;
    if (auto client = ClientOfDesktopEntry(file)) {
      add(*client);
      break;  // the desktop's choice; the others follow from PATH
    }
  }
  for (const KnownClient& known : kKnownClients) {
    QString path = FindOnPath(known.program);
    if (!path.isEmpty()) add({path.toStdString(), known.title});
  }
  return found;
}

}  // namespace lumetra::platform
