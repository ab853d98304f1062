// The ticker control and the line renderer on offscreen strips: property
// rules, the size rule, the line table, run-out, and the pixels of each look.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <set>

#include "platform/sjis_text.h"
#include "ticker/line_renderer.h"
#include "ticker/scroll_thread.h"
#include "ticker/weather_icons.h"
#include "ticker/weather_text.h"
#include "ticker_test_support.h"

namespace lumetra {
namespace {

using test::Pixel;
using test::Px;
using test::TickerFixture;

TEST(LightStr, TextHeightRules) {
  TickerFixture f;
  f.SetLook(0);  // LED: at least 11 dots
  f.ticker->SetShowFontH(8);
  EXPECT_EQ(f.ticker->ShowFontH(), 11);
  f.SetLook(1);
  f.ticker->SetShowFontH(8);
  EXPECT_EQ(f.ticker->ShowFontH(), 8);
  for (int ignored : {0, -3}) {
    f.ticker->SetShowFontH(ignored);
    EXPECT_EQ(f.ticker->ShowFontH(), 8);
  }
  // A new height resizes the control across by the size rule and asks for a new background.
  f.ticker->BackgroundReady = true;
  f.ticker->SetShowFontH(17);
  EXPECT_EQ(f.ticker->height(), 19);  // two frames of 1 and the text
  EXPECT_EQ(f.ticker->Strip.height(), 19);
  EXPECT_FALSE(f.ticker->BackgroundReady);
}

TEST(LightStr, IntervalAndIndexSetters) {
  TickerFixture f;
  f.ticker->SetShowInterval(0);
  EXPECT_EQ(f.ticker->ShowInterval(), 1u);
  f.ticker->SetShowInterval(7);
  EXPECT_EQ(f.ticker->ShowInterval(), 7u);
  f.SetLines({"一", "二", "三"});
  EXPECT_EQ(f.ticker->ShowCount(), 3u);
  EXPECT_EQ(f.ticker->ShowIndex(), -1);
  for (int ignored : {-1, 3, 9}) f.ticker->SetShowIndex(ignored);
  EXPECT_EQ(f.ticker->ShowIndex(), -1);
  f.ticker->SetShowIndex(2);
  EXPECT_EQ(f.ticker->ShowIndex(), 2);
}

TEST(LightStr, LedLengthIsWholeCells) {
  TickerFixture f;
  f.SetLook(0);
  for (auto [length, cut] : {std::pair{301, 300}, {2, 3}, {300, 300}}) {
    f.ticker->resize(length, f.ticker->height());
    f.ticker->ApplySizeRule();
    EXPECT_EQ(f.ticker->width(), cut) << length;
  }
  f.ticker->FrameWidth = 0;
  f.ticker->ApplySizeRule();
  EXPECT_EQ(f.ticker->height(), 33);
  // A 33-pixel LED ticker draws its text 11 dots high.
  f.SetLines({"電光掲示板"});
  RenderNextLine(*f.bar, *f.ticker);
  EXPECT_EQ(f.ticker->DotSource.height(), 11);
}

TEST(LightStr, StartShowWithoutLinesStaysInactive) {
  TickerFixture f;
  int events = 0;
  f.ticker->OnShowActive = [&](TLightStr*, bool) { ++events; };
  f.ticker->StartShow();
  EXPECT_FALSE(f.ticker->ShowActive());
  EXPECT_EQ(events, 0);
  f.SetLines({"一"});
  f.ticker->StartShow();
  EXPECT_TRUE(f.ticker->ShowActive());
  EXPECT_EQ(events, 1);
}

TEST(LightStr, RunOutAfterTheLastLineStopsOnce) {
  for (int style : {0, 1, 2}) {
    SCOPED_TRACE(style);
    TickerFixture f;
    f.SetLook(style);
    f.SetLines({"一つ目", "二つ目", "三つ目"});
    f.ticker->SetShowLoop(false);
    std::vector<bool> events;
    f.ticker->OnShowActive = [&](TLightStr*, bool active) { events.push_back(active); };
    f.ticker->StartShow();
    std::vector<int> drawn;
    f.ticker->OnLineNext = [&](TLightStr*, int line) { drawn.push_back(line); };

    f.StepUntil([&] { return f.ticker->StopPending; }, 100000);
    EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2}));  // the fourth request runs out, no line drawn
    EXPECT_EQ(f.ticker->ShowIndex(), -1);
    const int thickness = f.ticker->Thickness();
    const int emptySteps = f.StepUntil([&] { return !f.ticker->ShowActive(); }, 100000);
    EXPECT_EQ(emptySteps, style == 0 ? thickness / 3 + 1 : thickness);
    EXPECT_EQ(events, (std::vector<bool>{true, false}));
    f.Steps(5);
    EXPECT_EQ(events.size(), 2u);
  }
}

TEST(LightStr, LineTableHoldsAtMost20Lines) {
  TickerFixture f;
  f.SetLook(1);
  f.ticker->resize(1900, f.ticker->height());
  f.ticker->ReferenceWidth = 1900;
  f.ticker->Relayout();
  std::vector<std::string> lines;
  for (int i = 0; i < 21; ++i) lines.push_back("ア");
  f.SetLines(lines);
  f.ticker->StartShow();
  int most = 0;
  f.StepUntil(
      [&] {
        most = std::max<int>(most, f.ticker->Lines.LineCount);
        return f.ticker->ShowIndex() == 20;
      },
      10000);
  ASSERT_EQ(f.ticker->ShowIndex(), 20);
  EXPECT_EQ(most, 20);
  // The first visible line ends where its text does; beyond the last entry
  // the current line answers.
  const LineTable& t = f.ticker->Lines;
  EXPECT_EQ(f.ticker->LineAt(t.LineEnds[0] - 1), t.LineIndexes[0]);
  EXPECT_EQ(f.ticker->LineAt(t.LineEnds[0]), t.LineIndexes[1]);
  EXPECT_EQ(f.ticker->LineAt(100000), 20);
}

// Every 3 x 3 cell of the LED strip is a grid corner plus an unlit block or a
// lit block with its shaded corner; lit cells appear once text scrolls in.
TEST(LightStr, LedStripIsMadeOfCells) {
  TickerFixture f;
  f.SetLook(0);
  f.ticker->SetLightColor(0x00FF00);
  f.ticker->SetDarkColor(0x404000);
  f.ticker->SetBackColor(0x000010);
  f.ticker->Relayout();
  const QRgb light = Px(0x00FF00), dark = Px(0x404000), back = Px(0x000010);
  f.SetLines({"■■電光■■"});
  f.ticker->StartShow();
  f.Steps(60);
  const QImage& s = f.ticker->Strip;
  ASSERT_EQ(s.width() % 3, 0);
  int lit = 0, unlit = 0;
  // Columns are offset by the cell phase of the newest column.
  const int phase = (f.ticker->LedColumn % 3 + 3) % 3;
  for (int y = 0; y + 2 < s.height(); y += 3)
    for (int x = phase; x + 2 < s.width() - 1; x += 3) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      ASSERT_EQ(Pixel(s, x, y), back);
      ASSERT_EQ(Pixel(s, x, y + 1), back);
      ASSERT_EQ(Pixel(s, x + 1, y), back);
      const QRgb c = Pixel(s, x + 1, y + 1);
      ASSERT_TRUE(c == light || c == dark);
      ASSERT_EQ(Pixel(s, x + 2, y + 1), c);
      ASSERT_EQ(Pixel(s, x + 1, y + 2), c);
      ASSERT_EQ(Pixel(s, x + 2, y + 2), dark);
      (c == light ? lit : unlit) += 1;
    }
  EXPECT_GT(lit, 20);
  EXPECT_GT(unlit, lit);
}

TEST(LightStr, GradientBackgroundIsMeasuredAgainstTheBar) {
  TickerFixture f;
  f.ticker->SetBackColor(0x0000C8);  // red 200
  f.ticker->SetDarkColor(0xC80000);  // blue 200
  f.SetLook(2);
  const int h = f.ticker->height();
  EXPECT_EQ(Pixel(f.ticker->Strip, 10, 0), Px(0x0000C8));
  EXPECT_EQ(Pixel(f.ticker->Strip, 10, h - 1), Px(Mix(0x0000C8, 0xC80000, (h - 1) * 100 / 21)));
  // Placed 10 pixels down a 41-pixel bar, the top row is already part way.
  f.ticker->move(0, 10);
  f.ticker->ReferenceHeight = 41;
  f.ticker->Relayout();
  EXPECT_EQ(Pixel(f.ticker->Strip, 10, 0), Px(Mix(0x0000C8, 0xC80000, 1000 / 41)));
  EXPECT_EQ(Pixel(f.ticker->Strip, 10, h - 1), Px(Mix(0x0000C8, 0xC80000, (h - 1 + 10) * 100 / 41)));
}

TEST(LightStr, MetallicRowsFollowTheFormulaOfTheirPercent) {
  for (int percent : {10, 40, 75}) {
    SCOPED_TRACE(percent);
    TickerFixture f;
    f.ticker->SetBackColor(0xC1CFD5);
    f.ticker->SetDarkColor(0xA0A9A8);
    f.SetLook(2, true, percent);
    BackgroundLines background;
    background.gradation = background.metallic = true;
    background.metallicPercent = percent;
    background.back = 0xC1CFD5;
    background.dark = 0xA0A9A8;
    background.reference = 21;
    background.lines = f.ticker->height();
    const std::vector<Colour> rows = BackgroundLineColours(background);
    for (int y = 0; y < f.ticker->height(); ++y) EXPECT_EQ(Pixel(f.ticker->Strip, 50, y), Px(rows[y])) << y;
  }
}

// Renders one line of a skin ticker (text drawn without smoothing, so every
// copy of the text lands on whole pixels) and returns the new part.
struct SkinLine {
  QImage strip, mask;
  int start;
};
SkinLine RenderSkinLine(int effect, bool metallic = false) {
  TickerFixture f;
  QImage picture(32, 32, QImage::Format_RGB32);
  picture.fill(qRgb(0x80, 0x80, 0x80));
  f.ticker->SetLightColor(0x008080);
  f.ticker->SetBackColor(0x102030);
  f.ticker->SetMetaric(metallic);
  f.bar->NewsColour1 = 0xC0C0C0;
  f.bar->NewsColour2 = 0xC0C0C0;
  f.bar->Effect = effect;
  f.SetSkin(picture, 0);
  f.SetLines({"■田　"});
  RenderNextLine(*f.bar, *f.ticker);
  return {f.ticker->Strip, f.ticker->SkinMask, f.ticker->width()};
}

TEST(LineRenderer, EffectCopiesSitOnePixelOff) {
  const SkinLine plain = RenderSkinLine(0);
  const QRgb light = Px(0x008080);
  auto text = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < plain.strip.width() && y < plain.strip.height() &&
           Pixel(plain.strip, x, y) == light;
  };
  int textPixels = 0;
  for (int y = 0; y < plain.strip.height(); ++y)
    for (int x = plain.start; x < plain.strip.width(); ++x) textPixels += text(x, y);
  ASSERT_GT(textPixels, 30);

  const EffectColours fx = EffectColoursFor(0xC0C0C0, 0xC0C0C0, 0x008080, 0x102030);
  struct Case {
    int effect;
    bool metallic;
    QRgb below;  // copy at (+1, +1)
    QRgb above;  // copy at (-1, -1), 0 for none
  } cases[] = {
      {1, false, Px(fx.dark), Px(fx.highlight)},
      {2, false, Px(fx.highlight), Px(fx.dark)},
      {3, false, Px(fx.dark), 0},
      {3, true, Px(0x808000), 0},  // the metallic shadow is DarkColor (the default teal)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "effect " << c.effect << (c.metallic ? " metallic" : ""));
    const SkinLine line = RenderSkinLine(c.effect, c.metallic);
    for (int y = 0; y < line.strip.height(); ++y)
      for (int x = plain.start; x < line.strip.width(); ++x) {
        // The (+1, +1) copy is drawn first, the (-1, -1) copy over it, the text last.
        QRgb want = qRgb(0, 0, 0);
        if (text(x, y))
          want = light;
        else if (c.above && text(x + 1, y + 1))
          want = c.above;
        else if (text(x - 1, y - 1))
          want = c.below;
        ASSERT_EQ(Pixel(line.strip, x, y), want) << x << "," << y;
        // Every copy also cuts the skin mask.
        const bool covered = want != qRgb(0, 0, 0);
        ASSERT_EQ(Pixel(line.mask, x, y), covered ? qRgb(0, 0, 0) : qRgb(255, 255, 255)) << x << "," << y;
      }
  }
}

TEST(LineRenderer, SkinCompositeKeepsTheSkinAndPunchesTheText) {
  TickerFixture f;
  // Bits the skin has and the text lacks show whether the mask was applied.
  QImage picture(16, 16, QImage::Format_RGB32);
  picture.fill(qRgb(0xF0, 0x0F, 0x33));
  f.ticker->SetLightColor(0x00F00F);  // r 0x0F, g 0xF0, b 0x00
  f.SetSkin(picture, 0);
  f.SetLines({"■■■■■■■■■■■■■■■■■■■■■■■■"});
  f.ticker->StartShow();
  f.host->show();
  f.Steps(200);
  const QImage& frame = f.ticker->SkinFrame;
  int text = 0, skin = 0;
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x) {
      const QRgb c = Pixel(frame, x, y);
      const bool masked = Pixel(f.ticker->SkinMask, x, y) == qRgb(0, 0, 0);
      ASSERT_EQ(c, masked ? qRgb(0x0F, 0xF0, 0x00) : qRgb(0xF0, 0x0F, 0x33)) << x << "," << y;
      (masked ? text : skin) += 1;
    }
  EXPECT_GT(text, 100);
  EXPECT_GT(skin, 100);
}

TEST(LineRenderer, FixedSkinComposesOnlyItsTextRectangle) {
  TickerFixture f;
  QImage picture(200, 30, QImage::Format_RGB32);
  picture.fill(qRgb(0x30, 0x60, 0x90));
  // The bar gives a fixed skin the picture's size: the frame is what the
  // text rectangle leaves, the text fills the rectangle.
  f.ticker->resize(200, 30);
  f.ticker->FrameWidth = 10;
  f.ticker->SkinLayout = 2;
  f.ticker->SetClasicMode(false);
  f.ticker->SetGradationMode(true);
  f.ticker->SetShowFontH(20);
  f.ticker->SkinRect = {20, 5, 139, 24};  // 120 x 20
  f.SetSkin(picture, 2);
  f.SetLines({"■■■■■■■■■■■■■■■■■■■■■■■■"});
  f.ticker->StartShow();
  f.host->show();
  f.Steps(150);
  const QRect rect = f.ticker->TextRect();
  EXPECT_EQ(rect, QRect(20, 5, 120, 20));
  int text = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 200; ++x) {
      const QRgb c = Pixel(f.ticker->SkinFrame, x, y);
      if (!rect.contains(x, y)) {
        ASSERT_EQ(c, qRgb(0x30, 0x60, 0x90)) << x << "," << y;
        continue;
      }
      // Inside, strip and mask are read from their origin.
      const bool masked = Pixel(f.ticker->SkinMask, x - 20, y - 5) == qRgb(0, 0, 0);
      text += masked;
    }
  EXPECT_GT(text, 100);
  // The newest text enters at the rectangle's right edge: the line table is
  // in strip coordinates, and LineAt takes positions on the control.
  const int end = f.ticker->Lines.LineEnds[0];
  EXPECT_EQ(f.ticker->LineAt(end - 1 + 20), f.ticker->Lines.LineIndexes[0]);
}

TEST(LineRenderer, CoarseStepMovesHalfTheTextHeight) {
  TickerFixture f;
  f.SetLook(1);
  f.ticker->CoarseStep = 1;
  f.ticker->SetShowFontH(15);
  f.ticker->Relayout();
  EXPECT_EQ(f.ticker->DecLen(), 8);
  f.SetLines({"粗い送りで八画素ずつ進む見出し"});
  f.ticker->StartShow();
  f.Steps(10);
  const QImage before = f.ticker->Strip.copy();
  const int offset = f.ticker->ScrollOffset;
  f.Steps(1);
  ASSERT_EQ(f.ticker->ScrollOffset, offset + 8);
  const QImage& after = f.ticker->Strip;
  for (int y = 0; y < after.height(); ++y)
    for (int x = 0; x + 8 < before.width(); ++x) ASSERT_EQ(after.pixel(x, y), before.pixel(x + 8, y));
}

TEST(LineRenderer, WeatherSymbolsCoverTheGapsOfTheirWords) {
  TickerFixture f;
  f.ticker->SetBackColor(0x000000);
  f.SetLook(1);
  f.ticker->WeatherMode = true;
  f.SetLines({"晴｜曇→雨"});
  RenderNextLine(*f.bar, *f.ticker);
  const int em = f.ticker->ShowFontH();
  const QFont font = f.ticker->TextFont();
  const int x0 = f.ticker->width() + 1 + f.ticker->TextTop, y0 = 1;
  // Monospaced: each symbol sits where its character stood in the unchanged text.
  const QString raw = QStringLiteral(u"晴｜曇→雨");
  const int symbols[] = {kSymbolFine, kSymbolOnAndOff, kSymbolCloudy, kSymbolLater, kSymbolRain};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const int x = x0 + TextAdvance(font, raw.left(i));
    const QImage icon = WeatherIcon(symbols[i], em);
    QImage expected(em, em, QImage::Format_RGB32);
    expected.fill(Qt::black);
    QPainter(&expected).drawImage(0, 0, icon);
    int same = 0;
    for (int v = 0; v < em; ++v)
      for (int u = 0; u < em; ++u) same += Pixel(f.ticker->Strip, x + u, y0 + v) == Pixel(expected, u, v);
    EXPECT_EQ(same, em * em);
  }
  // What scrolls is the rewritten text: symbol, space, symbol, two spaces, symbol.
  EXPECT_EQ(f.ticker->LineExtent, TextAdvance(font, QStringLiteral(u"　  　 　　　 ")));
}

// Ink bounding box of the strip from `from` along a vertical strip.
QRect InkBelow(const QImage& strip, int from, QRgb background) {
  QRect box;
  for (int y = from; y < strip.height(); ++y)
    for (int x = 0; x < strip.width(); ++x)
      if (Pixel(strip, x, y) != background) box |= QRect(x, y, 1, 1);
  return box;
}

TEST(LineRenderer, VerticalTextRunsDownBelowTheVisibleStrip) {
  for (bool upright : {false, true}) {
    SCOPED_TRACE(upright ? "vertical writing" : "rotated");
    TickerFixture f;
    f.ticker->Vertical = 1;
    f.ticker->resize(21, 300);
    f.ticker->SetFontName(upright ? SJ("@ＭＳ ゴシック") : SJ("ＭＳ ゴシック"));
    f.ticker->SetBackColor(0x000000);
    f.SetLook(1);
    f.SetLines({"一一一一"});
    RenderNextLine(*f.bar, *f.ticker);
    const QImage& s = f.ticker->Strip;
    EXPECT_EQ(s.width(), f.ticker->width());
    EXPECT_EQ(s.height(), 300 + f.ticker->LineExtent);
    EXPECT_FALSE(InkBelow(s, 0, qRgb(0, 0, 0)).intersects(QRect(0, 0, s.width(), 300)));
    const QRect ink = InkBelow(s, 300, qRgb(0, 0, 0));
    ASSERT_TRUE(ink.isValid());
    // 一 is a horizontal stroke: upright in vertical writing four of them
    // stack as short bars; turned with the line they join into one long line.
    if (upright)
      EXPECT_GT(ink.height(), 3 * f.ticker->ShowFontH()) << ink.width() << "x" << ink.height();
    else
      EXPECT_LT(ink.width(), 4) << ink.width() << "x" << ink.height();
    if (upright) {
      EXPECT_GT(ink.width(), f.ticker->ShowFontH() / 2);
    }

    // A step moves the strip up by one row.
    f.ticker->StartShow();
    const QImage before = s.copy();
    f.ticker->ScrollOffset = 0;
    f.Steps(1);
    for (int y = 0; y + 1 < before.height(); ++y)
      ASSERT_EQ(f.ticker->Strip.pixel(5, y), before.pixel(5, y + 1)) << y;
  }
}

TEST(LineRenderer, DockedBarsNeverHoldTextTallerThanTheDock) {
  TickerFixture f(1);
  f.bar->Edge = kEdgeBottom;
  bars()[1].HorzDockSize = 15;
  f.SetLook(2);
  f.ticker->SetShowFontH(17);
  f.SetLines({"見出し"});
  RenderNextLine(*f.bar, *f.ticker);
  EXPECT_EQ(f.ticker->ShowFontH(), 15);
  bars()[1] = DefaultBarTable()[1];
}

// What reaches the window after many steps is the strip's visible part,
// although each step repaints only the revealed end of the window.
TEST(LineRenderer, WindowShowsTheStripAfterSteps) {
  for (int style : {0, 1, 3}) {
    SCOPED_TRACE(style);
    TickerFixture f;
    if (style == 3) {
      QImage picture(24, 24, QImage::Format_RGB32);
      picture.fill(qRgb(90, 40, 10));
      f.SetSkin(picture, 0);
    } else {
      f.SetLook(style);
    }
    f.SetLines({"画面に出る絵は帯と同じ", "二本目の見出し"});
    f.ticker->StartShow();
    f.host->show();
    for (int i = 0; i < 50 && !f.host->windowHandle()->isExposed(); ++i)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    for (int i = 0; i < 120; ++i) {
      f.Steps(1);
      QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const QImage shown = QGuiApplication::primaryScreen()->grabWindow(f.host->winId()).toImage();
    const QImage& source = style == 3 ? f.ticker->SkinFrame : f.ticker->Strip;
    int differing = 0;
    for (int y = 0; y < f.ticker->height(); ++y)
      for (int x = 0; x < f.ticker->width(); ++x) differing += Pixel(shown, x, y) != Pixel(source, x, y);
    EXPECT_EQ(differing, 0);
  }
}

}  // namespace
}  // namespace lumetra
