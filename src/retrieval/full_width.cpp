#include "retrieval/full_width.h"

#include <array>
#include <cstdint>

#include "retrieval/encodings.h"
#include "retrieval/jis_codes.h"

namespace lumetra {
namespace {

constexpr unsigned char kVoicedMark = 0xDE;      // ﾞ
constexpr unsigned char kSemiVoicedMark = 0xDF;  // ﾟ
constexpr std::uint16_t kFullVoicedMark = 0x814A;      // ゛
constexpr std::uint16_t kFullSemiVoicedMark = 0x814B;  // ゜

// The 32 ASCII symbols with a full-width partner, and that partner.
constexpr std::array<std::uint16_t, 128> SymbolTable() {
  std::array<std::uint16_t, 128> table{};
  constexpr struct {
    char ascii;
    std::uint16_t full;
  } kSymbols[] = {
      {'!', 0x8149}, {'"', 0x8168}, {'#', 0x8194}, {'$', 0x8190}, {'%', 0x8193}, {'&', 0x8195},
      {'\'', 0x8166}, {'(', 0x8169}, {')', 0x816A}, {'=', 0x8181}, {'`', 0x8165}, {'|', 0x8162},
      {'-', 0x817C}, {'^', 0x814F}, {'\\', 0x818F}, {'~', 0x8150}, {'{', 0x816F}, {'@', 0x8197},
      {'[', 0x8175}, {'+', 0x817B}, {'*', 0x8196}, {'}', 0x8170}, {';', 0x8147}, {':', 0x8146},
      {']', 0x8176}, {'<', 0x8183}, {'>', 0x8184}, {'?', 0x8148}, {'_', 0x8151}, {',', 0x8141},
      {'.', 0x8142}, {'/', 0x8145},
  };
  for (const auto& s : kSymbols) table[static_cast<unsigned char>(s.ascii)] = s.full;
  return table;
}
constexpr std::array<std::uint16_t, 128> kSymbols = SymbolTable();

bool AsciiAlphanumeric(unsigned char b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

bool SjisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// ｶ..ﾄ and ﾊ..ﾎ take the voiced mark, ﾊ..ﾎ also the semi-voiced one.
bool TakesVoiced(unsigned char b) { return (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE); }
bool TakesSemiVoiced(unsigned char b) { return b >= 0xCA && b <= 0xCE; }

}  // namespace

std::string ToFullWidth(std::string_view text) {
  std::string out(text.size() * 2, '\0');
  char* p = out.data();
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = s + text.size();
  while (s < end) {
    const unsigned char a = *s;
    const unsigned char next = s + 1 < end ? s[1] : 0;
    if (AsciiAlphanumeric(a)) {
      p = jis::Put(p, JisPairToSjis(0x23, a));  // row 3 keeps the ASCII cell
      ++s;
    } else if (a < 0x80 && kSymbols[a]) {
      p = jis::Put(p, kSymbols[a]);
      ++s;
    } else if (SjisLead(a)) {
      *p++ = static_cast<char>(*s++);
      if (s < end) *p++ = static_cast<char>(*s++);
    } else if (a >= 0xA6 && a <= 0xDD && a != 0xB0) {
      // The voiced forms follow their kana within row 5 without crossing a
      // gap in Shift_JIS trail bytes, so code + 1 and + 2 are exact.
      const std::uint16_t kana = jis::FullWidthKana(a);
      s += 1;
      if (next == kVoicedMark && TakesVoiced(a)) {
        p = jis::Put(p, kana + 1);
        s += 1;
      } else if (next == kSemiVoicedMark && TakesSemiVoiced(a)) {
        p = jis::Put(p, kana + 2);
        s += 1;
      } else {
        p = jis::Put(p, kana);
        if (next == kVoicedMark || next == kSemiVoicedMark) {
          p = jis::Put(p, next == kVoicedMark ? kFullVoicedMark : kFullSemiVoicedMark);
          s += 1;
        }
      }
    } else {
      *p++ = static_cast<char>(*s++);
    }
  }
  out.resize(static_cast<size_t>(p - out.data()));
  return out;
}

}  // namespace lumetra
