#pragma once
// Draws the next headline into a ticker's strip when the previous one has
// scrolled in: the simple, gradation, metallic and skin looks with their text
// effects, the LED board's dot picture, vertical text for side-docked bars,
// weather headlines with their symbols, and the line table entry.
#include <QFont>
#include <QPainter>
#include <QPoint>
#include <QString>

#include "ticker/ticker_colours.h"

namespace lumetra {

class TLightStr;
struct TickerBar;

// Draws the next line of the bar's ticker. Re-entry for the same bar is refused.
void RenderNextLine(TickerBar& bar, TLightStr& ticker);
void RenderNextLine(TickerBar& bar);

// --- Pieces shared with the weekly weather table --------------------------

// Offset of the baseline below the top of the text's em box. Text is placed
// by its em box, as the program's fonts were, whatever the ascent of the
// family that stands in for them.
int EmBaseline(int fontH);
// Width of the text along the line, in pixels.
int TextAdvance(const QFont& font, const QString& text);
// Draws the text in the painter's pen. Horizontal: `at` is the top-left of
// the em box. Vertical (running downwards): `at` is the top-right corner,
// glyph tops facing right; with `upright` full-width characters stand upright
// as in vertical writing.
void DrawTickerText(QPainter& painter, const QFont& font, const QString& text, QPoint at, bool vertical,
                    bool upright);
// The weather symbols of the unchanged text `raw`, each `size` square, at the
// positions its characters take when drawn from `at`. `mask`, when given,
// gets the symbols' shapes in black.
void DrawWeatherSymbols(QPainter& painter, QPainter* mask, const QFont& font, const QString& raw, QPoint at,
                        int size, bool vertical, bool firstOnly);

}  // namespace lumetra
