#include <cstring>

#include "retrieval/encodings.h"
#include "retrieval/jis_codes.h"

namespace lumetra {
namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kShiftOut = 0x0E;
constexpr unsigned char kShiftIn = 0x0F;

enum class Mode { kAscii, kKanji, kKatakana };

using Bytes = const unsigned char*;

Bytes Find(Bytes begin, Bytes end, unsigned char byte) {
  const void* hit = std::memchr(begin, byte, static_cast<size_t>(end - begin));
  return hit ? static_cast<Bytes>(hit) : end;
}

char* Copy(char* p, Bytes begin, Bytes end) {
  std::memcpy(p, begin, static_cast<size_t>(end - begin));
  return p + (end - begin);
}

// Upper-case hexadecimal "[C1C2]" for a pair that is no JIS X 0208 character.
char* PutHexPair(char* p, unsigned char c1, unsigned char c2) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  *p++ = '[';
  *p++ = kDigits[c1 >> 4];
  *p++ = kDigits[c1 & 0xF];
  *p++ = kDigits[c2 >> 4];
  *p++ = kDigits[c2 & 0xF];
  *p++ = ']';
  return p;
}

// Text between escapes in ASCII mode: SO ... SI spans are katakana.
char* PutAsciiSegment(char* p, Bytes s, Bytes end) {
  while (s < end) {
    Bytes so = Find(s, end, kShiftOut);
    p = Copy(p, s, so);
    if (so == end) break;
    Bytes si = Find(so + 1, end, kShiftIn);
    p = jis::PutKatakana(p, so + 1, si);
    s = si == end ? end : si + 1;
  }
  return p;
}

char* PutKanjiSegment(char* p, Bytes s, Bytes end) {
  if (s < end && *s == kShiftIn) {
    Bytes so = Find(s + 1, end, kShiftOut);
    if (so != end) {
      p = jis::PutKatakana(p, s + 1, so);
      s = so + 1;
    }
  }
  for (; end - s >= 2; s += 2) {
    const unsigned char c1 = s[0], c2 = s[1];
    if (c1 >= 0x21 && c1 <= 0x74 && c2 >= 0x21 && c2 <= 0x7E)
      p = jis::Put(p, JisPairToSjis(c1, c2));
    else
      p = PutHexPair(p, c1, c2);
  }
  if (s < end) *p++ = static_cast<char>(*s);  // odd byte before the escape stays
  return p;
}

}  // namespace

std::string Iso2022ToSjis(std::string_view text) {
  // A hexadecimal pair is the largest growth: two bytes become six.
  std::string out(text.size() * 3, '\0');
  char* p = out.data();
  Bytes s = reinterpret_cast<Bytes>(text.data());
  Bytes end = s + text.size();
  Mode mode = Mode::kAscii;
  for (;;) {
    Bytes esc = Find(s, end, kEsc);
    switch (mode) {
      case Mode::kAscii: p = PutAsciiSegment(p, s, esc); break;
      case Mode::kKanji: p = PutKanjiSegment(p, s, esc); break;
      case Mode::kKatakana: p = jis::PutKatakana(p, s, esc); break;
    }
    if (esc == end || esc + 1 == end) break;
    s = esc + 1;
    if (end - s >= 2) {
      const unsigned char a = s[0], b = s[1];
      if (a == '(' && (b == 'B' || b == 'J')) {
        mode = Mode::kAscii;
        s += 2;
      } else if (a == '$' && (b == 'B' || b == '@')) {
        mode = Mode::kKanji;
        s += 2;
      } else if (a == '(' && b == 'I') {
        mode = Mode::kKatakana;
        s += 2;
      }
      // Anything else stays and is read as text of the current mode.
    }
  }
  out.resize(static_cast<size_t>(p - out.data()));
  return out;
}

std::string JisToSjis(std::string_view text) {
  std::string out(text.size(), '\0');
  char* p = out.data();
  Bytes s = reinterpret_cast<Bytes>(text.data());
  Bytes end = s + text.size();
  bool twoByte = false;
  while (s < end) {
    if (*s == kEsc) {
      if (end - s >= 2) {
        if (s[1] == '$') twoByte = true;
        if (s[1] == '(') twoByte = false;
      }
      s += end - s >= 3 ? 3 : end - s;
    } else if (twoByte && end - s >= 2 && s[1] != kEsc) {
      p = jis::Put(p, JisPairToSjis(s[0], s[1]));
      s += 2;
    } else {
      // One-byte mode, or a byte left over before an escape: copied, so the
      // escape after it is still seen.
      *p++ = static_cast<char>(*s++);
    }
  }
  out.resize(static_cast<size_t>(p - out.data()));
  const size_t zero = out.find('\0');
  if (zero != std::string::npos) out.resize(zero);
  return out;
}

}  // namespace lumetra
