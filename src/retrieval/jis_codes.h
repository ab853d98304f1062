#pragma once
// Code tables shared by the converters of encodings.h and full_width.h.
// Internal to the retrieval library.
#include <cstdint>

namespace lumetra::jis {

// Full-width Shift_JIS form of the half-width katakana byte b (0xA1..0xDF):
// "。「」、・ヲァィゥェォャュョッーアイ...ワン゛゜"; 0 for any other byte.
std::uint16_t FullWidthKana(std::uint8_t b);

// Shift_JIS code of the JIS X 0212 character (row/cell pair, each
// 0x21..0x7E) when code page 932 has the same Unicode character, else 0.
std::uint16_t X0212ToSjis(std::uint8_t c1, std::uint8_t c2);

// Writes a two-byte code at p and returns the position after it.
inline char* Put(char* p, std::uint16_t code) {
  p[0] = static_cast<char>(code >> 8);
  p[1] = static_cast<char>(code & 0xFF);
  return p + 2;
}

// Converts 7-bit JIS X 0201 katakana [begin, end) to full-width characters
// at p; bytes outside 0x21..0x5F are dropped. Writes at most 2 bytes per
// input byte and returns the position after the output.
char* PutKatakana(char* p, const unsigned char* begin, const unsigned char* end);

}  // namespace lumetra::jis
