#include "retrieval/jis_codes.h"

#include <iconv.h>

#include <array>
#include <cstdio>
#include <string>

#include "retrieval/encodings.h"

namespace lumetra {
namespace jis {
namespace {

// Half-width katakana 0xA1..0xDF in their full-width Shift_JIS forms.
constexpr std::uint16_t kFullWidthKana[0xDF - 0xA1 + 1] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // A1-A8
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // A9-B0
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // B1-B8
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // B9-C0
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // C1-C8
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // C9-D0
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // D1-D8
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // D9-DF
};

// JIS X 0212 has no Shift_JIS arithmetic; the table goes through Unicode
// with the same iconv mapping that UTF-8 pages get, so both agree.
using X0212Table = std::array<std::uint16_t, 94 * 94>;

X0212Table BuildX0212Table() {
  X0212Table table{};
  iconv_t cd = iconv_open("CP932", "EUC-JP");
  if (cd == reinterpret_cast<iconv_t>(-1)) return table;
  for (int c1 = 0; c1 < 94; ++c1) {
    for (int c2 = 0; c2 < 94; ++c2) {
      char in[3] = {static_cast<char>(0x8F), static_cast<char>(0xA1 + c1), static_cast<char>(0xA1 + c2)};
      char out[8];
      char* inPtr = in;
      char* outPtr = out;
      size_t inLeft = sizeof in;
      size_t outLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) continue;
      if (outPtr - out == 2)
        table[c1 * 94 + c2] =
            static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]));
    }
  }
  iconv_close(cd);
  return table;
}

}  // namespace

std::uint16_t FullWidthKana(std::uint8_t b) {
  if (b < 0xA1 || b > 0xDF) return 0;
  return kFullWidthKana[b - 0xA1];
}

std::uint16_t X0212ToSjis(std::uint8_t c1, std::uint8_t c2) {
  if (c1 < 0x21 || c1 > 0x7E || c2 < 0x21 || c2 > 0x7E) return 0;
  static const X0212Table table = BuildX0212Table();
  return table[(c1 - 0x21) * 94 + (c2 - 0x21)];
}

char* PutKatakana(char* p, const unsigned char* begin, const unsigned char* end) {
  for (const unsigned char* s = begin; s < end; ++s)
    if (*s >= 0x21 && *s <= 0x5F) p = Put(p, kFullWidthKana[*s + 0x80 - 0xA1]);
  return p;
}

}  // namespace jis

std::string JisPairToSjisOrHex(std::uint8_t c1, std::uint8_t c2) {
  if (c1 < 0x21 || c1 > 0x74 || c2 < 0x21 || c2 > 0x7E) {
    char hex[7];
    std::snprintf(hex, sizeof hex, "[%02X%02X]", c1, c2);
    return std::string(hex, 6);
  }
  std::uint16_t code = JisPairToSjis(c1, c2);
  return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

}  // namespace lumetra
