#pragma once
// Fonts asked for by their Windows names ("MS UI Gothic", "ＭＳ Ｐゴシック",
// "@ＭＳ ゴシック" for vertical text) are mapped onto an installed Japanese
// family when the named one is missing.
#include <QFont>
#include <string>

namespace lumetra::platform {

// `family` is program text; a leading '@' (vertical text) is dropped.
QFont ResolveFont(const std::string& family, int pointSize = -1);
QString ResolveFontFamily(const std::string& family);

}  // namespace lumetra::platform
