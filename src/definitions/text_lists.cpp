#include "definitions/text_lists.h"

#include <QFile>

#include "platform/file_io.h"
#include "platform/fixed_text.h"

namespace lumetra {

namespace {
// A line longer than this is cut: a damaged file must not grow one entry
// without bound.
constexpr qint64 kMaxLineBytes = 1 << 16;
}  // namespace

bool LoadTextList(const std::string& path, TextList& list, bool keepAsRead) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return false;
  list.clear();
  for (int lines = 0; lines < kMaxTextListLines && !file.atEnd(); ++lines) {
    QByteArray raw = file.readLine(kMaxLineBytes);
    if (raw.isEmpty()) break;
    if (raw.size() >= kMaxLineBytes - 1 && !raw.endsWith('\n')) {
      // Skip the rest of an overlong line.
      while (!file.atEnd()) {
        QByteArray rest = file.readLine(kMaxLineBytes);
        if (rest.isEmpty() || rest.endsWith('\n')) break;
      }
    }
    std::string line(raw.constData(), static_cast<size_t>(raw.size()));
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string_view trimmed = platform::TrimBlanks(line);
    if (trimmed.empty()) continue;
    list.push_back(keepAsRead ? line : std::string(trimmed));
  }
  return true;
}

bool SaveTextList(const std::string& path, const TextList& list) {
  std::string out;
  for (const std::string& entry : list) {
    out += entry;
    out += "\r\n";
  }
  return platform::WriteFileAtomically(path, out);
}

TextLists& textLists() {
  static TextLists lists;
  return lists;
}

void LoadTextLists(const std::string& dataFolder, bool boardListEnabled) {
  TextLists& l = textLists();
  l = TextLists{};
  auto at = [&dataFolder](const char* name) { return platform::JoinPath(dataFolder, name); };
  LoadTextList(at(kKeywordListFile), l.KeywordList);
  LoadTextList(at(kFoundListFile), l.FoundList, true);
  if (boardListEnabled) LoadTextList(at(kBoardListFile), l.BoardList);
  LoadTextList(at(kSpamListFile), l.SpamList);
  LoadTextList(at(kSpamExListFile), l.SpamExList);
}

}  // namespace lumetra
