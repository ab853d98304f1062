#include "app/bar_table.h"

#include "platform/sjis_text.h"

namespace lumetra {

BarTable DefaultBarTable() {
  static const int kZOrder[kBarCount] = {0, 2, 2, 0, 0, 0};
  static const int kPlacement[kBarCount] = {3, 0, 0, 0, 5, 4};
  static const int kColourSet[kBarCount] = {14, 19, 18, 14, 14, 14};
  static const int kDefinition[kBarCount] = {0, -1, 0, 0, 0, 0};
  BarTable table;
  for (int i = 0; i < kBarCount; ++i) {
    BarSlot& s = table[i];
    s.FontName = SJ("ＭＳ ゴシック");
    s.VerticalFontName = SJ("@ＭＳ ゴシック");
    s.ZOrder = kZOrder[i];
    s.Placement = kPlacement[i];
    s.ColourSet = kColourSet[i];
    s.Definition = kDefinition[i];
    // Floating bars that start together do not cover one another.
    s.FloatTop += 32 * i;
    s.FloatBottom += 32 * i;
  }
  return table;
}

BarTable& bars() {
  static BarTable table = DefaultBarTable();
  return table;
}

}  // namespace lumetra
