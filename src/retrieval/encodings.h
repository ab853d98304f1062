#pragma once
// Bringing Japanese text into program text (Shift_JIS, code page 932).
//
// Every function here is a pure function on byte strings: nothing is kept
// between calls and no input makes one fail. Malformed input yields the
// replacement forms documented per function; the output is never longer than
// three times the input.
//
// EUC-JP three-byte sequences (0x8F and two bytes 0xA1..0xFE, JIS X 0212)
// have no Shift_JIS form of their own. EucToSjis renders such a character as
// the code page 932 character for the same Unicode character when the code
// page has one (about 280 of them, mostly the IBM kanji such as 髙 and 﨑),
// and as '?', the code page's default character, otherwise, so a character
// reads the same whether its page came in EUC-JP or in UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

namespace lumetra {

// Encoding codes as stored in a definition's Encoding field.
inline constexpr int kEncodingShiftJis = 0;
inline constexpr int kEncodingEucJp = 1;
inline constexpr int kEncodingIso2022Jp = 2;
inline constexpr int kEncodingUtf8 = 3;
inline constexpr int kEncodingUtf16Le = 4;

// Results of DetectJapaneseCode.
inline constexpr int kDetectNothing = 0;      // plain ASCII or too short
inline constexpr int kDetectBinary = 1;
inline constexpr int kDetectJisNew = 2;       // ESC "$B"
inline constexpr int kDetectJisOld = 3;       // ESC "$@"
inline constexpr int kDetectEucJp = 4;
inline constexpr int kDetectShiftJis = 5;
inline constexpr int kDetectEucOrSjis = 6;

// A JIS X 0208 row/cell pair in Shift_JIS, lead byte in the high half. The
// arithmetic is applied to any pair (modulo 256), as the converters rely on.
constexpr std::uint16_t JisPairToSjis(std::uint8_t c1, std::uint8_t c2) {
  std::uint8_t lead = static_cast<std::uint8_t>((c1 + 1) / 2 + (c1 <= 0x5E ? 0x70 : 0xB0));
  std::uint8_t trail;
  if (c1 & 1)
    trail = static_cast<std::uint8_t>(c2 < 0x60 ? c2 + 0x1F : c2 + 0x20);
  else
    trail = static_cast<std::uint8_t>(c2 + 0x7E);
  return static_cast<std::uint16_t>(lead << 8 | trail);
}

// JisPairToSjis for a pair inside rows 0x21..0x74 and cells 0x21..0x7E;
// anything else becomes "[C1C2]" in upper-case hexadecimal.
std::string JisPairToSjisOrHex(std::uint8_t c1, std::uint8_t c2);

// Converts text in the given encoding code to Shift_JIS. 0 (and any unknown
// code) returns the text unchanged; 1 EucToSjis; 2 DecodeEncodedWords, which
// also does the ISO-2022-JP conversion; 3 Utf8ToCp932; 4 Utf16LeToCp932.
std::string DecodeToSjis(std::string_view text, int encoding);

// EUC-JP to Shift_JIS. A lead byte without a partner at the end is dropped.
std::string EucToSjis(std::string_view text);

// ISO-2022-JP to Shift_JIS, also with SO/SI and ESC "(I" half-width katakana
// (shown full-width). Pairs outside JIS X 0208 become "[C1C2]"; a byte left
// over in a two-byte run is copied; unknown escapes stay as text.
std::string Iso2022ToSjis(std::string_view text);

// The simpler JIS walk used after detection: ESC "$.." two-byte mode, ESC
// "(.." one-byte mode; cut at the first zero byte.
std::string JisToSjis(std::string_view text);

// Guesses the encoding of unlabelled text; a kDetect... value.
int DetectJapaneseCode(std::string_view text);

// Detects and converts: ISO-2022-JP and EUC-JP are converted, anything else
// (Shift_JIS, undecided, ASCII, binary) is returned unchanged.
std::string ConvertToSjis(std::string_view text);

// UTF-8 to code page 932 by glibc iconv "CP932". Characters the code page
// lacks and invalid sequences become '?'; a leading byte-order mark is
// dropped.
std::string Utf8ToCp932(std::string_view text);

// UTF-16 little-endian to code page 932, up to the first zero code unit.
// Characters the code page lacks and lone surrogates become '?'; a leading
// byte-order mark is dropped and an odd last byte ignored.
std::string Utf16LeToCp932(std::string_view text);

}  // namespace lumetra
