// The ticker's plain rules: speed to wait, step length, size rule, colours of
// the background lines, effect colours, LED cells, line table, weather text.
#include <gtest/gtest.h>

#include "platform/sjis_text.h"
#include "ticker/led_cells.h"
#include "ticker/line_table.h"
#include "ticker/ticker_colours.h"
#include "ticker/ticker_rules.h"
#include "ticker/weather_text.h"

namespace lumetra {
namespace {

Colour RGB(int r, int g, int b) { return Join({r, g, b}); }

TEST(ScrollSpeed, SpeedBecomesIntervalAndWait) {
  struct Case {
    int speed;
    bool led, coarse;
    uint32_t interval;
    int waitMs;
  } cases[] = {
      {1100, false, false, 183, 18},  // default: one pixel every 18 ms
      {1100, true, false, 550, 55},   // LED: one 3-pixel cell every 55 ms
      {1, false, false, 1, 1},
      {1, true, false, 1, 1},
      {2000, false, false, 333, 33},
      {2000, false, true, 2000, 200},
      {964, false, false, 160, 16},
      {10, false, true, 10, 1},
      {11, false, true, 11, 1},
      {66, false, false, 11, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.speed);
    const uint32_t interval = ShowIntervalForSpeed(c.speed, c.led, c.coarse);
    EXPECT_EQ(interval, c.interval);
    EXPECT_EQ(StepWaitMs(interval), c.waitMs);
  }
}

TEST(ScrollSpeed, CoarseStepIsHalfTheTextHeightRoundedUp) {
  EXPECT_EQ(StepLength(15, true), 8);
  EXPECT_EQ(StepLength(16, true), 8);
  EXPECT_EQ(StepLength(11, true), 6);
  EXPECT_EQ(StepLength(15, false), 1);
}

TEST(ScrollSpeed, PriorityFromThreadLevel) {
  EXPECT_EQ(ThreadPriorityFor(1), QThread::LowestPriority);
  EXPECT_EQ(ThreadPriorityFor(3), QThread::NormalPriority);
  EXPECT_EQ(ThreadPriorityFor(6), QThread::TimeCriticalPriority);
  EXPECT_EQ(ThreadPriorityFor(0), QThread::LowestPriority);  // never the starving SCHED_IDLE
  EXPECT_EQ(ThreadPriorityFor(7), QThread::LowestPriority);
}

TEST(ScrollSpeed, DialogSliderRunsRightFaster) {
  EXPECT_EQ(SliderPositionForSpeed(1100), 901);
  EXPECT_EQ(SpeedForSliderPosition(901), 1100);
  EXPECT_EQ(SpeedForSliderPosition(2000), 1);
  EXPECT_EQ(SpeedForSliderPosition(1), 2000);
  EXPECT_EQ(SpeedForSliderPosition(2100), 1);
}

TEST(ScrollSpeed, DialogTicksThinOutAwayFromTheFastEnd) {
  const std::vector<int> ticks = SpeedDialogTicks();
  ASSERT_GE(ticks.size(), 20u);
  // Every position near the fast end, then wider and wider gaps, and 1 last.
  for (int i = 0; i <= 10; ++i) EXPECT_EQ(ticks[i], 2000 - i);
  EXPECT_EQ(ticks[11], 1980);
  EXPECT_EQ(ticks.back(), 1);
  int gap = 1;
  for (size_t i = 1; i + 1 < ticks.size(); ++i) {
    const int g = ticks[i - 1] - ticks[i];
    EXPECT_GE(g, gap) << "at " << ticks[i];
    gap = g;
  }
}

TEST(SizeRule, ThicknessAcrossTheStrip) {
  struct Case {
    SizeRuleInput in;
    int thickness;
  } cases[] = {
      {{false, 0, 0, 0, 0, 1, 0, 17}, 19},  // simple: two frames and the text
      {{false, 0, 0, 0, 0, 2, 0, 17}, 21},  // gradation frame 2
      {{false, 2, 0, 0, 0, 3, 0, 17}, 20},  // fixed skin: one frame
      {{false, 0, 2, 1, 0, 3, 0, 17}, 20},  // text offsets: one frame
      {{false, 0, 0, 0, 3, 1, 0, 17}, 17},  // tag 3 trims 2
      {{false, 0, 0, 0, 0, 1, 4, 17}, 23},  // margin
      {{true, 0, 0, 0, 0, 1, 0, 11}, 39},   // LED: three pixels per dot
      {{true, 0, 0, 0, 0, 0, 0, 11}, 33},
  };
  for (const Case& c : cases) EXPECT_EQ(AcrossThickness(c.in), c.thickness);
  EXPECT_EQ(LedLength(301), 300);
  EXPECT_EQ(LedLength(300), 300);
  EXPECT_EQ(LedLength(2), 3);
}

TEST(Background, GradientRunsFromBackAtTheBarsTopToDarkAtItsFarEdge) {
  BackgroundLines s;
  s.gradation = true;
  s.back = RGB(200, 100, 0);
  s.dark = RGB(0, 100, 200);
  s.reference = 21;
  s.lines = 21;
  std::vector<Colour> rows = BackgroundLineColours(s);
  ASSERT_EQ(rows.size(), 21u);
  EXPECT_EQ(rows[0], s.back);
  EXPECT_EQ(rows[20], RGB(10, 100, 190));  // p = 2000 / 21 = 95
  // Measured against the bar: a control 5 pixels down a 31-pixel bar starts at p 16.
  s.offset = 5;
  s.reference = 31;
  rows = BackgroundLineColours(s);
  EXPECT_EQ(rows[0], Mix(s.back, s.dark, 16));
  // Flat without gradation.
  s.gradation = false;
  for (Colour c : BackgroundLineColours(s)) EXPECT_EQ(c, s.back);
}

TEST(Background, MetallicBelow25RisesToTheHighlightThenFallsIntoTheShade) {
  BackgroundLines s;
  s.gradation = s.metallic = true;
  s.metallicPercent = 10;
  s.back = RGB(100, 100, 100);  // dark: the highlight is lifted to white
  s.dark = RGB(40, 60, 80);     // dark: the shade is half of it
  s.reference = s.lines = 100;  // p of row i is i
  const std::vector<Colour> rows = BackgroundLineColours(s);
  EXPECT_EQ(MetallicHighlight(s.back), RGB(255, 255, 255));
  EXPECT_EQ(rows[0], s.back);
  EXPECT_EQ(rows[1], s.back);                 // p 0 of row 0
  EXPECT_EQ(rows[6], RGB(177, 177, 177));     // p 5: halfway to the highlight
  EXPECT_EQ(rows[11], RGB(255, 255, 255));    // p 10 = P
  EXPECT_EQ(rows[12], RGB(253, 254, 254));    // towards DarkColor
  EXPECT_EQ(rows[87], RGB(77, 94, 110));      // p 86, the last before the shade
  EXPECT_EQ(rows[88], RGB(77, 94, 110));      // shade weight 0
  EXPECT_EQ(rows[99], RGB(33, 45, 56));       // 78 % of the way to the shade
}

TEST(Background, Metallic25To50FadesToDarkAtPPlus15) {
  BackgroundLines s;
  s.gradation = s.metallic = true;
  s.metallicPercent = 30;
  s.back = RGB(200, 200, 200);
  s.dark = RGB(50, 50, 50);
  s.reference = s.lines = 100;
  std::vector<Colour> rows = BackgroundLineColours(s);
  EXPECT_EQ(rows[21], RGB(134, 134, 134));  // p 20: 44 %
  EXPECT_EQ(rows[46], s.dark);               // p 45 = P + 15
  EXPECT_EQ(rows[80], s.dark);
  // Vertical strips use this formula for every P from 25.
  s.vertical = true;
  s.metallicPercent = 80;
  rows = BackgroundLineColours(s);
  EXPECT_EQ(rows[96], s.dark);               // p 95 = P + 15
  EXPECT_EQ(rows[48], Mix(s.back, s.dark, 47 * 100 / 95));
}

TEST(Background, MetallicAbove50IsABrightBandWithASquareRootFall) {
  BackgroundLines s;
  s.gradation = s.metallic = true;
  s.metallicPercent = 75;
  s.back = RGB(200, 180, 160);
  s.dark = RGB(40, 60, 80);
  s.reference = s.lines = 100;
  const std::vector<Colour> rows = BackgroundLineColours(s);
  EXPECT_EQ(rows[1], RGB(199, 179, 160));   // w clamped to 1
  EXPECT_EQ(rows[11], RGB(168, 156, 144));  // p 10: w 20
  EXPECT_EQ(rows[51], s.dark);              // p 50: w 100
  EXPECT_EQ(rows[52], RGB(43, 62, 81));     // second half, w = round(sqrt(5))
  EXPECT_EQ(rows[61], RGB(75, 86, 97));     // w = round(sqrt(500)) = 22
  // Vertical strips never take this branch.
  BackgroundLines v = s;
  v.vertical = true;
  EXPECT_NE(BackgroundLineColours(v)[11], rows[11]);
}

TEST(Effects, BrightNewsColoursUseTheTextColourForBothBases) {
  const Colour light = RGB(100, 120, 140), back = RGB(20, 40, 60);
  EffectColours fx = EffectColoursFor(RGB(200, 200, 200), RGB(150, 160, 170), light, back);
  EXPECT_EQ(fx.dark, RGB(50, 60, 70));
  EXPECT_EQ(fx.highlight, RGB(150, 180, 210));
  // A dark news colour takes the highlight from the background instead.
  fx = EffectColoursFor(RGB(200, 200, 200), RGB(10, 10, 10), light, back);
  EXPECT_EQ(fx.dark, RGB(50, 60, 70));
  EXPECT_EQ(fx.highlight, RGB(30, 60, 90));
  // Capped at 255.
  EXPECT_EQ(EffectColoursFor(RGB(200, 200, 200), RGB(200, 200, 200), RGB(200, 250, 10), 0).highlight,
            RGB(255, 255, 15));
}

class LedCells : public ::testing::Test {
 protected:
  const LedColours colours{qRgb(0, 255, 0), qRgb(0, 128, 128), qRgb(0, 0, 0)};
  // Checks the 3 x 3 cell whose top-left pixel is (x, y).
  void ExpectCell(const QImage& strip, int x, int y, bool lit) {
    SCOPED_TRACE(testing::Message() << "cell at " << x << "," << y);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(strip.pixel(x + k, y), colours.back);
      EXPECT_EQ(strip.pixel(x, y + k), colours.back);
    }
    EXPECT_EQ(strip.pixel(x + 1, y + 1), lit ? colours.light : colours.dark);
    EXPECT_EQ(strip.pixel(x + 2, y + 1), lit ? colours.light : colours.dark);
    EXPECT_EQ(strip.pixel(x + 1, y + 2), lit ? colours.light : colours.dark);
    EXPECT_EQ(strip.pixel(x + 2, y + 2), colours.dark);  // the shaded corner
  }
};

TEST_F(LedCells, LitAndUnlitDots) {
  QImage dots(2, 2, QImage::Format_RGB32);
  dots.fill(Qt::white);
  dots.setPixel(0, 0, qRgb(0, 0, 0));
  dots.setPixel(1, 1, qRgb(12, 12, 12));  // any colour but white is lit
  QImage strip(12, 6, QImage::Format_RGB32);
  strip.fill(qRgb(9, 9, 9));
  PaintLedColumns(strip, dots, 3, 0, 2, 2, false, colours);
  ExpectCell(strip, 3, 0, true);
  ExpectCell(strip, 6, 0, false);
  ExpectCell(strip, 3, 3, false);
  ExpectCell(strip, 6, 3, true);
  EXPECT_EQ(strip.pixel(2, 0), qRgb(9, 9, 9));  // only the new columns are painted
  EXPECT_EQ(strip.pixel(9, 0), qRgb(9, 9, 9));

  // Past the end of the line every dot is unlit.
  PaintLedColumns(strip, dots, 3, 0, 2, 1, false, colours);
  ExpectCell(strip, 6, 3, false);

  // Vertical: rows and columns exchanged.
  QImage vdots = dots.transformed(QTransform(0, 1, 1, 0, 0, 0));
  QImage vstrip(6, 12, QImage::Format_RGB32);
  vstrip.fill(qRgb(9, 9, 9));
  PaintLedColumns(vstrip, vdots, 3, 0, 2, 2, true, colours);
  ExpectCell(vstrip, 0, 3, true);
  ExpectCell(vstrip, 0, 6, false);
  ExpectCell(vstrip, 3, 3, false);
  ExpectCell(vstrip, 3, 6, true);
}

TEST_F(LedCells, DarkColumnFillsTheUnlitBlocksOfOneColumn) {
  QImage strip(9, 9, QImage::Format_RGB32);
  strip.fill(colours.back);
  DrawDarkColumn(strip, 1, 1, false, colours.dark);  // rows 0 ... fontH + 1
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(strip.pixel(3, 3 * r + 1), colours.dark);
    EXPECT_EQ(strip.pixel(4, 3 * r + 2), colours.dark);
    EXPECT_EQ(strip.pixel(5, 3 * r + 1), colours.back);
    EXPECT_EQ(strip.pixel(3, 3 * r), colours.back);
  }
  EXPECT_EQ(strip.pixel(2, 1), colours.back);
  QImage vertical(9, 9, QImage::Format_RGB32);
  vertical.fill(colours.back);
  DrawDarkColumn(vertical, 1, 1, true, colours.dark);
  EXPECT_EQ(vertical.pixel(1, 3), colours.dark);
  EXPECT_EQ(vertical.pixel(2, 4), colours.dark);
  EXPECT_EQ(vertical.pixel(1, 2), colours.back);
  EXPECT_EQ(vertical.pixel(0, 3), colours.back);
}

TEST(LineTableTest, KeepsAtMost20LinesAndDropsThoseThatLeft) {
  LineTable t;
  for (int i = 0; i < 25; ++i) t.Append(100 + i, i);
  EXPECT_EQ(t.LineCount, 20);
  t.Shift(101);  // ends 100 and 101 fall below 1
  EXPECT_EQ(t.LineCount, 18);
  EXPECT_EQ(t.LineIndexes[0], 2);
  EXPECT_EQ(t.LineEnds[0], 1);
  EXPECT_EQ(t.LineAt(0, 25, 30), 2);
  EXPECT_EQ(t.LineAt(5, 25, 30), 7);     // the first line ending beyond 5
  EXPECT_EQ(t.LineAt(1000, 25, 30), 25);  // past the last entry: the fallback
  EXPECT_EQ(t.LineAt(1000, 50, 30), 29);
  EXPECT_EQ(t.LineAt(1000, -1, 30), 0);
}

TEST(WeatherText, WordsMakeRoomForTheirSymbols) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"晴｜曇→雨", "　  　 　　　 "},  // symbol, space, symbol, two spaces, symbol
      {"晴れ時々晴", "　 れ時々晴"},     // only the first of each
      {"曇：雨：雪", "　  　 一時　 "},
      {"雨→晴→曇", "　 　　　 後　 "},
      {"暴風雨 風", "　  風"},
      {"雪↓か↓", "　  　 止む"},
      {"2日 晴 20", "2日 　  20"},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::SjisToUtf8(RewriteWeatherHeadline(SJ(c.in))), c.out) << c.in;
}

TEST(WeatherText, SymbolsInTheUnchangedText) {
  const QString text = QStringLiteral(u"晴｜曇→雨 高 低気圧 降 晴");
  const std::vector<SymbolPlace> first = WeatherSymbolsIn(text, true);
  std::vector<std::pair<int, int>> got;
  for (const SymbolPlace& p : first) got.push_back({p.charIndex, p.symbol});
  const std::vector<std::pair<int, int>> want = {
      {0, kSymbolFine}, {1, kSymbolOnAndOff}, {2, kSymbolCloudy}, {3, kSymbolLater},
      {4, kSymbolRain}, {6, kSymbolHigh},     {12, kSymbolFalling}};
  EXPECT_EQ(got, want);  // 低 without a space after it is a word, not a symbol
  EXPECT_EQ(WeatherSymbolsIn(text, false).size(), want.size() + 1);  // the second 晴
}

}  // namespace
}  // namespace lumetra
