#pragma once
// The LED board look: every dot of the one-pixel-per-dot text picture becomes
// a 3 x 3 cell. The top row and the left column of a cell are the grid
// (BackColor); an unlit dot fills the rest with DarkColor, a lit one with
// LightColor except the bottom-right pixel, which stays DarkColor.
#include <QImage>

namespace lumetra {

struct LedColours {
  QRgb light = 0, dark = 0, back = 0;
};

inline bool IsUnlitDot(QRgb dot) { return (dot & 0xFFFFFFu) == 0xFFFFFFu; }

// Paints `count` columns of cells: dot column firstDot + u goes to strip
// coordinate column + 3u (y when vertical). Dots at or beyond `dotLimit`
// (the end of the line) are painted unlit. Cells are written straight into
// scan lines; whatever falls outside the strip is cut off.
void PaintLedColumns(QImage& strip, const QImage& dots, int column, int firstDot, int count, int dotLimit,
                     bool vertical, const LedColours& colours);

// The unlit cells of one empty cell column c, for dot rows 0 ... fontH + 1.
void DrawDarkColumn(QImage& strip, int c, int fontH, bool vertical, QRgb dark);

}  // namespace lumetra
