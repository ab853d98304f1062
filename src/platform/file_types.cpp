#include "platform/file_types.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include "platform/file_io.h"

namespace lumetra::platform {
namespace {

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Writes only when the content changed, so the update tools run rarely.
bool WriteIfChanged(const std::string& path, const std::string& content) {
  auto old = ReadWholeFile(path);
  if (old && *old == content) return false;
  MakeDirectories(path.substr(0, path.rfind('/')));
  return WriteFileAtomically(path, content);
}

void RunIfPresent(const QString& tool, const QStringList& args) {
  QString path = QStandardPaths::findExecutable(tool);
  if (!path.isEmpty()) QProcess::startDetached(path, args);
}

}  // namespace

void RegisterFileTypes(const std::vector<FileType>& types, const std::string& executable, const std::string& icon) {
  QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
  if (dataHome.isEmpty()) dataHome = QDir::homePath() + "/.local/share";
  std::string base = dataHome.toStdString();

  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  std::string mimeList;
  for (const FileType& t : types) {
    xml += "  <mime-type type=\"" + Escape(t.mimeType) + "\">\n";
    xml += "    <comment>" + Escape(t.description) + "</comment>\n";
    if (!icon.empty()) xml += "    <generic-icon name=\"lumetra\"/>\n";
    // Both spellings: file names are compared without regard to case.
    xml += "    <glob pattern=\"*" + Escape(t.extension) + "\"/>\n";
    xml += "    <glob pattern=\"*" + Escape(Lower(t.extension)) + "\"/>\n";
    xml += "  </mime-type>\n";
    mimeList += t.mimeType + ";";
  }
  xml += "</mime-info>\n";

  std::string desktop =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Tarvo Lumetra\n"
      "Comment=Headline news ticker\n"
      "Exec=\"" + executable + "\" %F\n" +
      (icon.empty() ? std::string() : "Icon=" + icon + "\n") +
      "MimeType=" + mimeList + "\n"
      "Categories=Network;News;\n"
      "Terminal=false\n";

  if (WriteIfChanged(base + "/mime/packages/lumetra.xml", xml))
    RunIfPresent("update-mime-database", {QString::fromStdString(base + "/mime")});
  if (WriteIfChanged(base + "/applications/lumetra.desktop", desktop))
    RunIfPresent("update-desktop-database", {QString::fromStdString(base + "/applications")});
}

}  // namespace lumetra::platform
