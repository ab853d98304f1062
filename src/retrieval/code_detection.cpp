#include <algorithm>

#include "retrieval/encodings.h"

namespace lumetra {
namespace {

bool InRange(unsigned char b, unsigned char low, unsigned char high) { return b >= low && b <= high; }

// Lead bytes that only Shift_JIS uses.
bool SjisOnlyLead(unsigned char b) { return InRange(b, 0x81, 0x8D) || InRange(b, 0x8F, 0x9F); }

}  // namespace

int DetectJapaneseCode(std::string_view text) {
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();

  // Control bytes early on mean binary data, whatever follows.
  const size_t head = n == 0 ? 0 : std::min<size_t>(512, n - 1);
  for (size_t i = 0; i < head; ++i)
    if (t[i] < 0x08 || t[i] == 0xFF) return kDetectBinary;

  int result = kDetectNothing;
  size_t i = 0;
  while ((result == kDetectNothing || result == kDetectEucOrSjis) && i + 1 < n) {
    const unsigned char a = t[i], b = t[i + 1];
    if (a < 0x08 || a == 0xFF) {
      result = kDetectBinary;
    } else if (a == 0x1B) {
      if (b == '$') {
        if (i + 2 < n && t[i + 2] == 'B') result = kDetectJisNew;
        if (i + 2 < n && t[i + 2] == '@') result = kDetectJisOld;
        i += 3;
      } else {
        i += 2;
      }
    } else if (a < 0x80) {
      i += 1;
    } else if (SjisOnlyLead(a)) {
      result = kDetectShiftJis;
      i += 1;
    } else if (a == 0x8E) {
      if (InRange(b, 0x40, 0x7E) || InRange(b, 0x80, 0xA0) || InRange(b, 0xE0, 0xFC))
        result = kDetectShiftJis;
      else if (InRange(b, 0xA1, 0xDF))
        result = kDetectEucOrSjis;
      i += 2;
    } else if (InRange(a, 0xA1, 0xDF)) {
      if (InRange(b, 0xF0, 0xFE)) {
        result = kDetectEucJp;
        i += 2;
      } else if (InRange(b, 0xA1, 0xDF)) {
        result = kDetectEucOrSjis;
        i += 2;
      } else if (b <= 0x9F) {
        result = kDetectShiftJis;
        i += 2;
      } else if (InRange(b, 0xE0, 0xEF)) {
        // Undecided; the run that follows may still tell the two apart.
        result = kDetectEucOrSjis;
        size_t j = i + 1;
        while (j < n && t[j] > 0x3F && result == kDetectEucOrSjis) {
          if (SjisOnlyLead(t[j]) && t[j] <= 0x9C) result = kDetectShiftJis;
          if (t[j] == 0xFD || t[j] == 0xFE) result = kDetectEucJp;
          ++j;
        }
        i = j;
      } else {
        i += 2;
      }
    } else if (InRange(a, 0xE0, 0xEF)) {
      if (InRange(b, 0x40, 0x7E) || InRange(b, 0x80, 0xA0))
        result = kDetectShiftJis;
      else if (b == 0xFD || b == 0xFE)
        result = kDetectEucJp;
      else if (InRange(b, 0xA1, 0xFC))
        result = kDetectEucOrSjis;
      i += 2;
    } else if (InRange(a, 0xF0, 0xFE)) {
      result = kDetectEucJp;
      i += 1;
    } else {
      i += 1;  // 0x80, 0xA0
    }
  }
  return result;
}

std::string ConvertToSjis(std::string_view text) {
  switch (DetectJapaneseCode(text)) {
    case kDetectJisNew:
    case kDetectJisOld: return JisToSjis(text);
    case kDetectEucJp: return EucToSjis(text);
    default: return std::string(text);
  }
}

}  // namespace lumetra
