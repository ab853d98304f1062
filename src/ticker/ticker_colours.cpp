#include "ticker/ticker_colours.h"

#include <algorithm>
#include <cmath>

namespace lumetra {
namespace {

int Clamp(int v) { return std::clamp(v, 0, 255); }

int Percent(int line, int offset, int reference) { return (line + offset) * 100 / std::max(1, reference); }

// The three metallic formulas. Line 0 is the background colour; every later
// line takes the colour computed from the position of the line before it.
std::vector<Colour> Metallic(const BackgroundLines& s) {
  std::vector<Colour> out;
  out.reserve(s.lines);
  if (s.lines <= 0) return out;
  out.push_back(s.back);
  const int P = s.metallicPercent;
  const Channels back = Split(s.back), dark = Split(s.dark);

  if (P < 25) {
    const Colour H = MetallicHighlight(s.back);
    const int darkAverage = ChannelAverage(s.dark);
    const Colour S = Scale(s.dark, darkAverage < 110 ? 50 : 30);
    bool fading = false;
    Channels C;
    for (int i = 1; i < s.lines; ++i) {
      const int p = Percent(i - 1, s.offset, s.reference);
      Colour c;
      if (!fading && p <= P) {
        c = Mix(s.back, H, P > 0 ? p * 100 / P : 100);
      } else if (!fading && p < 97 - P) {
        c = Mix(H, s.dark, std::min(100, (p - P) * 100 / (101 - P)));
      } else {
        if (!fading) {
          fading = true;
          C = Split(out.back());
        }
        const int w = std::min(100, (p - (97 - P)) * 100 / (P + 4));
        const Channels sh = Split(S);
        c = Join({C.r + (sh.r - C.r) * w / 100, C.g + (sh.g - C.g) * w / 100, C.b + (sh.b - C.b) * w / 100});
      }
      out.push_back(c);
    }
    return out;
  }

  if (P <= 50 || s.vertical) {
    for (int i = 1; i < s.lines; ++i) {
      const int p = Percent(i - 1, s.offset, s.reference);
      out.push_back(p <= P + 15 ? Mix(s.back, s.dark, p * 100 / (P + 15)) : s.dark);
    }
    return out;
  }

  // P > 50, horizontal: a bright band falling off with the square root.
  const Channels D{(back.r - dark.r) * (P + 25) / 100, (back.g - dark.g) * (P + 25) / 100,
                   (back.b - dark.b) * (P + 25) / 100};
  int p0 = 50;
  bool firstHalf = true;
  for (int i = 1; i < s.lines; ++i) {
    const int p = Percent(i - 1, s.offset, s.reference);
    if (firstHalf && p <= 50) {
      p0 = p;
      const int w = std::clamp(static_cast<int>(std::lround(std::sqrt(4.0 * p * p))), 1, 100);
      out.push_back(Join({back.r - D.r * w / 100, back.g - D.g * w / 100, back.b - D.b * w / 100}));
    } else {
      firstHalf = false;
      const double d = p - p0;
      const int w = std::clamp(static_cast<int>(std::lround(std::sqrt(5.0 * d * d))), 1, 100);
      out.push_back(Join({dark.r + (back.r - dark.r) * w / 100, dark.g + (back.g - dark.g) * w / 100,
                          dark.b + (back.b - dark.b) * w / 100}));
    }
  }
  return out;
}

}  // namespace

Channels Split(Colour c) {
  return {static_cast<int>(c & 255), static_cast<int>((c >> 8) & 255), static_cast<int>((c >> 16) & 255)};
}

Colour Join(Channels c) {
  return static_cast<Colour>(Clamp(c.r)) | (static_cast<Colour>(Clamp(c.g)) << 8) |
         (static_cast<Colour>(Clamp(c.b)) << 16);
}

int ChannelAverage(Colour c) {
  const Channels ch = Split(c);
  return (ch.r + ch.g + ch.b) / 3;
}

Colour Mix(Colour a, Colour b, int w) {
  const Channels x = Split(a), y = Split(b);
  return Join({x.r - (x.r - y.r) * w / 100, x.g - (x.g - y.g) * w / 100, x.b - (x.b - y.b) * w / 100});
}

Colour Scale(Colour c, int percent) {
  const Channels ch = Split(c);
  return Join({std::min(255, ch.r * percent / 100), std::min(255, ch.g * percent / 100),
               std::min(255, ch.b * percent / 100)});
}

Colour MetallicHighlight(Colour back) {
  const Channels c = Split(back);
  const bool darkish = ChannelAverage(back) < 110;
  auto lift = [&](int v) { return std::min(255, (darkish ? v + 100 : v) * 150 / 100); };
  return Join({lift(c.r), lift(c.g), lift(c.b)});
}

std::vector<Colour> BackgroundLineColours(const BackgroundLines& s) {
  if (!s.gradation) return std::vector<Colour>(std::max(0, s.lines), s.back);
  if (s.metallic) return Metallic(s);
  std::vector<Colour> out;
  out.reserve(std::max(0, s.lines));
  for (int i = 0; i < s.lines; ++i) out.push_back(Mix(s.back, s.dark, Percent(i, s.offset, s.reference)));
  return out;
}

EffectColours EffectColoursFor(Colour newsColour1, Colour newsColour2, Colour light, Colour back) {
  const bool darkText = ChannelAverage(newsColour1) < 110 || ChannelAverage(newsColour2) < 110;
  const Colour shadowBase = light;
  const Colour highlightBase = darkText ? back : light;
  return {Scale(shadowBase, 50), Scale(highlightBase, 150)};
}

}  // namespace lumetra
