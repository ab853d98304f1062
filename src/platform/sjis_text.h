#pragma once
// The one place where program text (Shift_JIS bytes, code page 932) meets
// Qt's Unicode strings. Everything else keeps text as std::string bytes.
#include <QString>
#include <string>
#include <string_view>

namespace lumetra::platform {

// Bytes that are not valid code page 932 become U+FFFD.
QString SjisToQString(std::string_view sjis);

// Characters that code page 932 lacks become '?', its default character.
std::string QStringToSjis(const QString& text);

// Shorthands for literals written in UTF-8 in the source.
std::string Utf8ToSjis(std::string_view utf8);
std::string SjisToUtf8(std::string_view sjis);

}  // namespace lumetra::platform

namespace lumetra {
// Program text from a UTF-8 literal in the source: SJ("終了する").
inline std::string SJ(std::string_view utf8) { return platform::Utf8ToSjis(utf8); }
}  // namespace lumetra
