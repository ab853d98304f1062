#include "retrieval/encodings.h"
#include "retrieval/jis_codes.h"

namespace lumetra {

std::string EucToSjis(std::string_view text) {
  // Every input unit gives at most as many bytes as it has.
  std::string out(text.size(), '\0');
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = s + text.size();
  char* p = out.data();
  while (s < end) {
    const unsigned char a = *s;
    if (a <= 0x80 || a == 0xFF) {
      *p++ = static_cast<char>(a);
      ++s;
      continue;
    }
    if (end - s < 2) break;  // a lead byte cut off at the end is dropped
    const unsigned char b = s[1];
    if (a == 0x8E) {  // single shift 2: the half-width katakana byte as it is
      *p++ = static_cast<char>(b);
      s += 2;
      continue;
    }
    if (a == 0x8F && end - s >= 3 && b >= 0xA1 && b <= 0xFE && s[2] >= 0xA1 && s[2] <= 0xFE) {
      // JIS X 0212 (see encodings.h): its code page 932 twin, else '?'.
      const std::uint16_t code = jis::X0212ToSjis(b & 0x7F, s[2] & 0x7F);
      if (code)
        p = jis::Put(p, code);
      else
        *p++ = '?';
      s += 3;
      continue;
    }
    p = jis::Put(p, JisPairToSjis(a & 0x7F, b & 0x7F));
    s += 2;
  }
  out.resize(static_cast<size_t>(p - out.data()));
  return out;
}

}  // namespace lumetra
