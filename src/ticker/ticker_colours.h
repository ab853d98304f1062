#pragma once
// Colours of the ticker: program colours are 0x00BBGGRR values; the strip's
// pixels are QRgb. The background formulas (gradient and the three metallic
// ones) and the effect colours are plain arithmetic on the channels.
#include <QRgb>
#include <cstdint>
#include <vector>

namespace lumetra {

using Colour = uint32_t;  // 0x00BBGGRR

struct Channels {
  int r = 0, g = 0, b = 0;
};

Channels Split(Colour c);
// Channels are clamped to 0...255.
Colour Join(Channels c);
inline QRgb ToQRgb(Colour c) { return qRgb(c & 255, (c >> 8) & 255, (c >> 16) & 255); }
inline Colour FromQRgb(QRgb c) {
  return static_cast<Colour>(qRed(c)) | (static_cast<Colour>(qGreen(c)) << 8) | (static_cast<Colour>(qBlue(c)) << 16);
}
int ChannelAverage(Colour c);
// a - (a - b) * w / 100 per channel, in integer arithmetic.
Colour Mix(Colour a, Colour b, int w);
// Each channel * percent / 100, capped at 255.
Colour Scale(Colour c, int percent);

// The metallic highlight made from the background colour.
Colour MetallicHighlight(Colour back);

// Colours of the lines across the strip (rows of a horizontal strip, columns
// of a vertical one), from line 0 at the control's start edge. Positions are
// measured against the bar: p = (line + offset) * 100 / reference.
struct BackgroundLines {
  bool gradation = false;  // else flat BackColor
  bool metallic = false;
  int metallicPercent = 25;
  bool vertical = false;
  Colour back = 0, dark = 0;
  int offset = 0;     // the control's top (left when vertical) inside the bar
  int reference = 1;  // the bar's outer height (width when vertical)
  int lines = 0;      // thickness of the control across the strip
};
std::vector<Colour> BackgroundLineColours(const BackgroundLines& background);

// Effect colours of the gradation style, from the set's two news colours and
// the ticker's text and background colours.
struct EffectColours {
  Colour dark = 0;       // the dark effect colour (shadow base at 50 %)
  Colour highlight = 0;  // highlight base at 150 %
};
EffectColours EffectColoursFor(Colour newsColour1, Colour newsColour2, Colour light, Colour back);

}  // namespace lumetra
