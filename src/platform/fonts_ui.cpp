#include "platform/fonts_ui.h"

#include <QFontDatabase>
#include <QHash>

#include "platform/sjis_text.h"

namespace lumetra::platform {

QString ResolveFontFamily(const std::string& family) {
  static QHash<QString, QString> cache;
  QString wanted = SjisToQString(family);
  if (wanted.startsWith('@')) wanted.remove(0, 1);
  auto it = cache.find(wanted);
  if (it != cache.end()) return *it;
  QStringList installed = QFontDatabase::families();
  QString chosen;
  if (installed.contains(wanted, Qt::CaseInsensitive)) {
    chosen = wanted;
  } else {
    bool proportional = wanted.contains(QStringLiteral("Ｐ")) || wanted.contains(QStringLiteral("UI"));
    const QStringList candidates =
        proportional ? QStringList{"Noto Sans CJK JP", "IPAPGothic", "IPAGothic", "Noto Sans Mono CJK JP"}
                     : QStringList{"Noto Sans Mono CJK JP", "IPAGothic", "Noto Sans CJK JP", "IPAPGothic"};
    for (const QString& candidate : candidates)
      if (installed.contains(candidate, Qt::CaseInsensitive)) {
        chosen = candidate;
        break;
      }
    if (chosen.isEmpty()) chosen = wanted;
  }
  cache.insert(wanted, chosen);
  return chosen;
}

QFont ResolveFont(const std::string& family, int pointSize) {
  QFont font(ResolveFontFamily(family));
  if (pointSize > 0) font.setPointSize(pointSize);
  return font;
}

}  // namespace lumetra::platform
