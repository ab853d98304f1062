#include "ticker/led_cells.h"

#include <algorithm>

namespace lumetra {
namespace {

// Dot (along, across) of the text picture; outside it or past the line: unlit.
bool Lit(const QImage& dots, int along, int across, int dotLimit, bool vertical) {
  if (along >= dotLimit || along < 0 || across < 0) return false;
  const int x = vertical ? across : along;
  const int y = vertical ? along : across;
  if (x >= dots.width() || y >= dots.height()) return false;
  return !IsUnlitDot(reinterpret_cast<const QRgb*>(dots.constScanLine(y))[x]);
}

}  // namespace

void PaintLedColumns(QImage& strip, const QImage& dots, int column, int firstDot, int count, int dotLimit,
                     bool vertical, const LedColours& c) {
  const int length = vertical ? strip.height() : strip.width();
  const int across = (vertical ? strip.width() : strip.height()) / 3;
  if (vertical) {
    // Cells along y: each cell column is three whole scan lines.
    for (int u = 0; u < count; ++u) {
      const int y0 = column + 3 * u;
      for (int k = 0; k < 3; ++k) {
        const int y = y0 + k;
        if (y < 0 || y >= length) continue;
        QRgb* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int r = 0; r < across; ++r) {
          QRgb* cell = line + 3 * r;
          if (k == 0) {
            cell[0] = cell[1] = cell[2] = c.back;
            continue;
          }
          const bool lit = Lit(dots, firstDot + u, r, dotLimit, true);
          cell[0] = c.back;
          cell[1] = lit ? c.light : c.dark;
          cell[2] = lit && k == 1 ? c.light : c.dark;
        }
      }
    }
    return;
  }
  // Horizontal: for every cell row, three scan lines get the new columns.
  for (int r = 0; r < across; ++r) {
    QRgb* top = reinterpret_cast<QRgb*>(strip.scanLine(3 * r));
    QRgb* mid = reinterpret_cast<QRgb*>(strip.scanLine(3 * r + 1));
    QRgb* low = reinterpret_cast<QRgb*>(strip.scanLine(3 * r + 2));
    for (int u = 0; u < count; ++u) {
      const int x = column + 3 * u;
      if (x < 0 || x + 2 >= length) {
        // A cell cut by the strip's end: per pixel.
        for (int k = 0; k < 3; ++k) {
          const int xx = x + k;
          if (xx < 0 || xx >= length) continue;
          const bool lit = Lit(dots, firstDot + u, r, dotLimit, false);
          top[xx] = c.back;
          mid[xx] = k == 0 ? c.back : (lit ? c.light : c.dark);
          low[xx] = k == 0 ? c.back : (lit && k == 1 ? c.light : c.dark);
        }
        continue;
      }
      const bool lit = Lit(dots, firstDot + u, r, dotLimit, false);
      top[x] = top[x + 1] = top[x + 2] = c.back;
      mid[x] = low[x] = c.back;
      if (lit) {
        mid[x + 1] = mid[x + 2] = low[x + 1] = c.light;
        low[x + 2] = c.dark;
      } else {
        mid[x + 1] = mid[x + 2] = low[x + 1] = low[x + 2] = c.dark;
      }
    }
  }
}

void DrawDarkColumn(QImage& strip, int c, int fontH, bool vertical, QRgb dark) {
  const int w = strip.width(), h = strip.height();
  for (int r = 0; r <= fontH + 1; ++r) {
    // The 2 x 2 block at (3c, 3r + 1), rows and columns exchanged when vertical.
    const int bx = vertical ? 3 * r + 1 : 3 * c;
    const int by = vertical ? 3 * c : 3 * r + 1;
    for (int y = by; y < by + 2; ++y) {
      if (y < 0 || y >= h) continue;
      QRgb* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
      for (int x = bx; x < bx + 2; ++x)
        if (x >= 0 && x < w) line[x] = dark;
    }
  }
}

}  // namespace lumetra
