#pragma once
// MIME decoding shared by mail header lines and ISO-2022-JP pages: Base64,
// quoted-printable and encoded words ("=?charset?B?...?=").
#include <string>
#include <string_view>

namespace lumetra {

// Base64 bytes. Characters outside the alphabet ("=" and line breaks too)
// are skipped; a final group of two or three symbols gives one or two
// bytes, a single leftover symbol nothing.
std::string DecodeBase64(std::string_view text);

// Quoted-printable bytes: "=" and two hexadecimal digits (either case) give
// that byte; any other "=" is dropped and the character after it copied as
// it is. Digits after an escape are plain text, as the standard has it.
std::string DecodeQuotedPrintable(std::string_view text);

// Shift_JIS text with the encoded words decoded. Words in ISO-2022-JP,
// UTF-8, Shift_JIS and EUC-JP (B or Q) are decoded and converted by their
// charset; words in other charsets, with another letter or without their
// closing "?=" stay as written. Blanks between two decoded words are dropped
// and adjacent words of one charset are joined before conversion, so a
// character split across words survives. The text around the words is
// converted from ISO-2022-JP (text without escapes passes unchanged); in a
// line holding a UTF-8 word it is read as UTF-8 first.
std::string DecodeEncodedWords(std::string_view text);

// DecodeEncodedWords for a mail header line: every line feed followed by a
// blank or a tab (a fold) is removed first, both characters.
std::string DecodeLine(std::string_view text);

}  // namespace lumetra
