#include "ticker/line_renderer.h"

#include <QFontMetricsF>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "app/messages.h"
#include "platform/sjis_text.h"
#include "ticker/light_str.h"
#include "ticker/ticker_bar.h"
#include "ticker/weather_icons.h"
#include "ticker/weather_text.h"

namespace lumetra {
namespace {

struct BusyGuard {
  explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyGuard() { flag_ = false; }
  bool& flag_;
};

// Full-width characters that keep their shape in vertical writing; long
// vowel marks, dashes, tildes and brackets turn with the line like Latin text.
bool StandsUpright(char16_t c) {
  static const QString kTurning = QStringLiteral(u"ー－～〜…‥（）「」『』【】〔〕［］｛｝〈〉《》＜＞＝―‐");
  if (kTurning.contains(QChar(c))) return false;
  if (c >= 0x2E80 && c < 0xD800) return true;  // CJK, kana, punctuation
  if (c >= 0xF900 && c < 0xFB00) return true;  // compatibility ideographs
  if (c >= 0xFF01 && c < 0xFF61) return true;  // full-width forms
  if ((c >= 0x2460 && c < 0x2500) || (c >= 0x25A0 && c < 0x27C0)) return true;  // circled digits, shapes, stars
  return false;
}

// Commas and full stops sit in the top-right corner of their cell when upright.
bool IsVerticalStop(char16_t c) { return c == u'、' || c == u'。' || c == u'，' || c == u'．'; }

QImage Silhouette(const QImage& icon) {
  QImage s = icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QPainter p(&s);
  p.setCompositionMode(QPainter::CompositionMode_SourceIn);
  p.fillRect(s.rect(), Qt::black);
  return s;
}

void SetTextPen(QPainter& p, Colour c) { p.setPen(QColor::fromRgb(ToQRgb(c))); }

// Draws the headline's copies: effects first, then the text; every copy also
// goes into the skin mask in black.
void DrawLine(QPainter& strip, QPainter* mask, const QFont& font, const QString& text, QPoint at, bool vertical,
              bool upright, const TLightStr& t, const TickerBar& bar) {
  struct Copy {
    QPoint offset;
    Colour colour;
  };
  std::vector<Copy> copies;
  if (t.GradationMode() && bar.Effect != 0) {
    const EffectColours fx = EffectColoursFor(bar.NewsColour1, bar.NewsColour2, t.LightColor(), t.BackColor());
    switch (bar.Effect) {
      case 1:  // raised
        copies = {{{1, 1}, fx.dark}, {{-1, -1}, fx.highlight}};
        break;
      case 2:  // sunken
        copies = {{{1, 1}, fx.highlight}, {{-1, -1}, fx.dark}};
        break;
      case 3:  // shadow
        copies = {{{1, 1}, t.Metaric() ? t.DarkColor() : fx.dark}};
        break;
      default:
        break;
    }
  }
  copies.push_back({{0, 0}, t.LightColor()});
  for (const Copy& c : copies) {
    SetTextPen(strip, c.colour);
    DrawTickerText(strip, font, text, at + c.offset, vertical, upright);
    if (mask) DrawTickerText(*mask, font, text, at + c.offset, vertical, upright);
  }
}

// Resizes the strip along its length, keeping what it holds.
void GrowStrip(QImage& strip, QSize wanted) {
  if (strip.size() == wanted) return;
  QImage grown(wanted, QImage::Format_RGB32);
  const int rows = std::min(strip.height(), wanted.height());
  const qsizetype bytes = std::min(strip.bytesPerLine(), grown.bytesPerLine());
  for (int y = 0; y < rows; ++y) std::memcpy(grown.scanLine(y), strip.constScanLine(y), bytes);
  for (int y = rows; y < wanted.height(); ++y) std::memset(grown.scanLine(y), 0, grown.bytesPerLine());
  strip = std::move(grown);
}

void RenderLed(TLightStr& t, const QFont& baseFont, const QString& text) {
  QFont font = baseFont;
  font.setStyleStrategy(QFont::NoAntialias);  // one pixel per dot
  const int R = t.SkinLayout >= 2 ? 0 : 1 + t.TextTop;
  t.LineExtent = std::max(1, TextAdvance(font, text)) + (t.CoarseStep ? t.DecLen() : 0);
  const bool vertical = t.IsVertical();
  const int across = std::max(1, t.Thickness() / 3);
  t.DotSource = vertical ? QImage(across, t.LineExtent, QImage::Format_RGB32)
                         : QImage(t.LineExtent, across, QImage::Format_RGB32);
  t.DotSource.fill(Qt::white);
  QPainter p(&t.DotSource);
  p.setPen(Qt::black);
  // Vertically the glyph tops face the far side; they start R dots in from it.
  DrawTickerText(p, font, text, vertical ? QPoint(across - R, 0) : QPoint(0, R), vertical, t.UprightVertical());
  t.ScrollOffset = -t.DecLen();
}

}  // namespace

int EmBaseline(int fontH) { return static_cast<int>(std::lround(fontH * 0.88)); }

int TextAdvance(const QFont& font, const QString& text) {
  return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

void DrawTickerText(QPainter& p, const QFont& font, const QString& text, QPoint at, bool vertical, bool upright) {
  p.setFont(font);
  const int em = font.pixelSize() > 0 ? font.pixelSize() : QFontMetrics(font).height();
  const int base = EmBaseline(em);
  if (!vertical) {
    p.drawText(QPointF(at.x(), at.y() + base), text);
    return;
  }
  if (!upright) {
    p.save();
    p.translate(at);
    p.rotate(90);
    p.drawText(QPointF(0, base), text);
    p.restore();
    return;
  }
  // Vertical writing: runs of turning characters are drawn rotated, the
  // others upright in their cells.
  const QFontMetricsF fm(font);
  double along = 0;
  int i = 0;
  while (i < text.size()) {
    const bool up = StandsUpright(text[i].unicode());
    int j = i + 1;
    while (j < text.size() && StandsUpright(text[j].unicode()) == up && !up) ++j;
    const QString run = text.mid(i, j - i);
    const double advance = fm.horizontalAdvance(run);
    if (up) {
      const double dx = IsVerticalStop(text[i].unicode()) ? em * 0.6 : 0;
      const double dy = IsVerticalStop(text[i].unicode()) ? -em * 0.6 : 0;
      p.drawText(QPointF(at.x() - em + (em - advance) / 2 + dx, at.y() + along + base + dy), run);
    } else {
      p.save();
      p.translate(QPointF(at.x(), at.y() + along));
      p.rotate(90);
      p.drawText(QPointF(0, base), run);
      p.restore();
    }
    along += advance;
    i = j;
  }
}

void DrawWeatherSymbols(QPainter& p, QPainter* mask, const QFont& font, const QString& raw, QPoint at, int size,
                        bool vertical, bool firstOnly) {
  const QFontMetricsF fm(font);
  const std::vector<SymbolPlace> places = WeatherSymbolsIn(raw, firstOnly);
  for (const SymbolPlace& place : places) {
    const int along = static_cast<int>(std::lround(fm.horizontalAdvance(raw.left(place.charIndex))));
    const QPoint where = vertical ? QPoint(at.x() - size, at.y() + along) : QPoint(at.x() + along, at.y());
    const QImage icon = WeatherIcon(place.symbol, size);
    p.drawImage(where, icon);
    if (mask) mask->drawImage(where, Silhouette(icon));
  }
}

void RenderNextLine(TickerBar& bar) {
  if (bar.Ticker) RenderNextLine(bar, *bar.Ticker);
}

void RenderNextLine(TickerBar& bar, TLightStr& t) {
  if (bar.Rendering) return;
  BusyGuard busy(bar.Rendering);

  if (t.StopPending) {
    t.StopShow();
    return;
  }
  const int count = static_cast<int>(t.ShowStrings().size());
  if (count == 0) return;

  const bool table = bar.WeeklyTable && t.WeatherMode;
  int index;
  if (table) {
    index = std::min(1, count - 1);
  } else {
    index = t.ShowIndex() + 1;
    if (index >= count) {
      index = 0;
      if (!t.ShowLoop()) {
        t.RunOut();
        return;
      }
    }
  }
  t.SetCurrentLine(index);
  t.LedColumn = 0;
  if (t.OnLineNext) t.OnLineNext(&t, index);
  if (bar.Window) platform::PostMessage(bar.Window, UM_BARSTEP2, static_cast<platform::WParam>(index), 0);
  if (table) {
    if (bar.DrawWeeklyTable) bar.DrawWeeklyTable(bar);
    return;
  }

  const std::string raw = index >= 0 && index < count ? t.ShowStrings()[index] : std::string(" ");
  const bool weather = t.WeatherMode;
  const QString rawText = platform::SjisToQString(raw);
  const QString text = weather ? platform::SjisToQString(RewriteWeatherHeadline(raw)) : rawText;
  const bool vertical = t.IsVertical();

  if (t.IsLed()) {
    RenderLed(t, t.TextFont(), text);
  } else {
    // Text size guard: a docked bar never holds text taller than it is thick.
    if (vertical || t.GradationMode()) {
      if (bar.Docked()) {
        const bool side = bar.Edge == kEdgeLeft || bar.Edge == kEdgeRight;
        const int room = (side ? bar.Slot().VertDockSize : bar.Slot().HorzDockSize) - (side ? t.MarginX : t.MarginY);
        if (room > 0 && room < t.ShowFontH()) t.SetShowFontH(room);
      }
    }
    QFont font = t.TextFont();
    const bool skin = t.HasSkinBitmaps();
    // Skin pixels are combined bit by bit, which smoothed edges would spoil.
    if (skin) font.setStyleStrategy(QFont::NoAntialias);
    t.LineExtent = std::max(1, TextAdvance(font, text)) + (t.CoarseStep ? t.DecLen() : 0);

    const int start = vertical ? t.height() : t.width() - t.SkinCut();
    if (vertical) {
      t.RotatedFont = font;
      t.RotatedFontHeight = static_cast<uint32_t>(t.ShowFontH());
      GrowStrip(t.Strip, QSize(t.width(), t.height() + t.LineExtent));
    } else {
      GrowStrip(t.Strip, QSize(t.width() + t.LineExtent, t.height()));
    }
    // A laid skin background stays; only the strip and mask need the new part.
    t.PaintBackground(skin, t.Strip, t.LineExtent, start);

    int R;
    if (t.SkinLayout >= 2)
      R = 0;
    else if (vertical || t.GradationMode()) {
      R = t.TextTop != 0 ? t.TextTop : (t.Thickness() - t.ShowFontH() + 1) / 2;
      if (R <= 3) R = 3;
    } else {
      R = 1 + t.TextTop;
    }
    // The new line starts R columns into the new part (below it when vertical).
    const QPoint at = vertical ? QPoint(t.width() - R + 1, start + R) : QPoint(start + R, R);

    QPainter strip(&t.Strip);
    strip.setRenderHint(QPainter::TextAntialiasing, !skin);
    std::optional<QPainter> mask;
    if (skin && !t.SkinMask.isNull()) {
      mask.emplace(&t.SkinMask);
      mask->setPen(Qt::black);
    }
    DrawLine(strip, mask ? &*mask : nullptr, font, text, at, vertical, t.UprightVertical(), t, bar);
    if (weather) DrawWeatherSymbols(strip, mask ? &*mask : nullptr, font, rawText, at, t.ShowFontH(), vertical, true);
    t.ScrollOffset = -t.DecLen();
  }

  if (t.Lines.LineCount < LineTable::kCapacity && index >= 0 && index < count) {
    const int extent = t.IsLed() ? 3 * t.LineExtent : t.LineExtent;
    const int end = vertical ? t.height() + extent : t.width() - t.SkinCut() + extent;
    t.Lines.Append(end, index);
  }
}

}  // namespace lumetra
