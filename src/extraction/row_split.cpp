#include "extraction/row_split.h"

#include <cstdlib>
#include <vector>

#include "extraction/page_line.h"
#include "platform/fixed_text.h"
#include "platform/sjis_text.h"
#include "retrieval/full_width.h"

namespace lumetra {
namespace {

bool TileOrStretch(int layout) { return layout == 0 || layout == 1; }

uint16_t CharAt(std::string_view s, size_t pos, size_t* width) {
  const auto b = static_cast<unsigned char>(s[pos]);
  if (platform::IsSjisLeadByte(b) && pos + 1 < s.size()) {
    *width = 2;
    return static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(s[pos + 1]));
  }
  *width = 1;
  return b;
}

uint16_t Code(std::string_view utf8) {
  std::string s = SJ(utf8);
  return s.size() == 2 ? static_cast<uint16_t>(static_cast<unsigned char>(s[0]) << 8 | static_cast<unsigned char>(s[1]))
                       : static_cast<uint16_t>(static_cast<unsigned char>(s[0]));
}

struct Marks {
  std::vector<uint16_t> after, before;
  uint16_t wave;
};

const Marks& BreakMarks() {
  static const Marks marks = [] {
    Marks m;
    for (const char* c : {"　", "を", "＝", "、", "。", "！", "】", "」", "』"}) m.after.push_back(Code(c));
    for (uint16_t c : {' ', ')', '=', '>', '?', ']', '}'}) m.after.push_back(c);
    for (const char* c : {"【", "「", "『"}) m.before.push_back(Code(c));
    for (uint16_t c : {'(', '<', '[', '{'}) m.before.push_back(c);
    m.wave = Code("～");
    return m;
  }();
  return marks;
}

bool In(const std::vector<uint16_t>& set, uint16_t c) {
  for (uint16_t x : set)
    if (x == c) return true;
  return false;
}

int CharClass(uint16_t c) {
  if (c < 0x80) return 0;                  // ASCII
  if (c < 0x100) return 3;                 // half-width katakana
  const int lead = c >> 8, trail = c & 0xFF;
  if (lead == 0x81 || lead == 0x84 || lead == 0x87) return 5;  // symbol rows
  if (lead == 0x82) return trail < 0x9F ? 1 : 2;               // full-width letters, hiragana
  if (lead == 0x83) return trail < 0x9F ? 3 : 4;               // katakana, Greek
  return 6;                                                    // kanji and the rest
}

std::string TrimmedCopy(std::string_view s) { return std::string(Trimmed(s)); }

void SplitOff(std::string& from, std::string& to, size_t at) {
  to = TrimmedCopy(std::string_view(from).substr(at));
  from = TrimmedCopy(std::string_view(from).substr(0, at));
}

}  // namespace

size_t SplitPosition(std::string_view text, size_t near) {
  std::vector<size_t> starts;  // character starts, then text.size()
  std::vector<uint16_t> chars;
  for (size_t i = 0; i < text.size();) {
    size_t w;
    starts.push_back(i);
    chars.push_back(CharAt(text, i, &w));
    i += w;
  }
  starts.push_back(text.size());
  if (chars.size() < 2) return text.size();
  size_t nearIndex = 0;
  while (nearIndex + 1 < starts.size() && starts[nearIndex + 1] <= near) ++nearIndex;

  const Marks& marks = BreakMarks();
  size_t best = 0;
  int bestScore = -1;
  size_t bestDistance = 0;
  const size_t first = nearIndex > 6 ? nearIndex - 6 : 1;
  const size_t last = std::min(nearIndex + 6, chars.size() - 1);
  for (size_t k = std::max<size_t>(first, 1); k <= last; ++k) {
    const uint16_t before = chars[k - 1], at = chars[k];
    int score = 0;
    if (In(marks.after, before))
      score = 4;
    else if (In(marks.before, at))
      score = 3;
    else if (before == marks.wave || at == marks.wave)
      score = 2;
    else if (CharClass(before) != CharClass(at))
      score = 1;
    const size_t distance = k > nearIndex ? k - nearIndex : nearIndex - k;
    if (score > bestScore || (score == bestScore && distance < bestDistance)) {
      best = k;
      bestScore = score;
      bestDistance = distance;
    }
  }
  return bestScore < 0 ? text.size() : starts[best];
}

size_t MinimumRowLength(const RowSplitOptions& o) { return (o.endTagIsLink || o.announcement) ? 10 : 4; }

bool RowSplit(HeadlineRows& rows, const RowSplitOptions& o) {
  const bool tile = TileOrStretch(o.skinLayout);
  std::string &r1 = rows[0], &r2 = rows[1], &r3 = rows[2];
  if (!(o.lineMode == 2 && tile)) {
    if (!o.endTagIsLink) {
      r1 = r1 + " " + r2;
      if (o.lineMode != 1 && tile)
        r2 = r3;
      else
        r2 = " " + r3;
    } else {
      r2 = r2 + r3;
    }
    r3.clear();
  }
  for (std::string& r : rows) TrimInPlace(r);

  const size_t minimum = MinimumRowLength(o);
  if (r1.size() <= minimum) {
    if (r2.size() > minimum) {
      r1 = r2;
      r2 = r3;
      r3.clear();
    } else if (r3.size() > minimum) {
      r1 = r3;
      r2.clear();
      r3.clear();
    } else if (!o.acceptShort) {
      if (!o.endTagIsRow) r1.clear();
      return false;
    }
  }

  if (tile && o.lineMode == 0) {
    if (r1.size() > 25 && r2.empty()) SplitOff(r1, r2, SplitPosition(r1, r1.size() / 2));
  } else if (tile && o.lineMode == 2 && r1.size() > 20) {
    if (r2.size() > 25 || r1.size() > 40) {
      if (r2.empty()) SplitOff(r1, r2, SplitPosition(r1, r1.size() / 3));
      if (r3.empty() && r2.size() > 25) SplitOff(r2, r3, SplitPosition(r2, r2.size() / 2));
    } else if (r2.empty()) {
      SplitOff(r1, r2, SplitPosition(r1, r1.size() / 2));
    }
  }

  if (o.characterMode > 3)
    for (std::string& r : rows) r = ToFullWidth(r);
  return true;
}

}  // namespace lumetra
