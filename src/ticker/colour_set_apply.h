#pragma once
// A colour set becomes the settings of a bar's ticker: the look flags, the
// skin picture (and an animated skin's frames), the text rectangle and
// offsets, the ticker's inset and frame width, and the four colours.
#include "definitions/colour_sets.h"

namespace lumetra {

struct TickerBar;

// The ticker's distance from the bar's client edge and the frame width it
// gets, for a set as it will be shown (`skin`: a skin picture is in use).
struct TickerFrameSizes {
  int inset = 0;
  int frame = 0;
};
TickerFrameSizes FrameSizesFor(const ColourSet& set, bool skin, int pictureAcross, bool outline, bool glass);

// Copies the set into the bar's ticker. A skin whose picture is missing or
// unreadable is shown in the simple look (the record keeps its style). An
// unset right or bottom of the text rectangle is written back into the set.
void ApplyColourSet(TickerBar& bar, ColourSet& set);
// The bar's own set: ColourList() at its slot's ColourSet index.
void ApplyColourSet(TickerBar& bar);
// The colours the bar gives its ticker when it lays itself out.
void ApplyTickerColours(TickerBar& bar, const ColourSet& set);

}  // namespace lumetra
