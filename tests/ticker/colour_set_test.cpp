// A colour set applied to a bar's ticker: look flags, skins (missing,
// animated, side-docked), the text rectangle, inset and frame, colours.
#include <gtest/gtest.h>

#include "platform/fixed_text.h"
#include "platform/sjis_text.h"
#include "support/test_support.h"
#include "ticker/colour_set_apply.h"
#include "ticker_test_support.h"

namespace lumetra {
namespace {

using test::TickerFixture;

ColourSet MakeSet(int style, bool metallic = false) {
  TIPlist6 list;
  list.NewColourSet(0);
  ColourSet set = list[0];
  set.Style = style;
  set.Metallic = metallic ? 1 : 0;
  set.MetallicPercent = 40;
  return set;
}

std::string WritePicture(const std::string& path, QSize size, QRgb colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  image.setPixel(0, size.height() - 1, qRgb(1, 2, 3));  // marks the bottom-left corner
  EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
  return path;
}

TEST(ApplyColourSetTest, StyleBecomesTheLookFlags) {
  test::TempFolder folder;
  const std::string picture = WritePicture(folder / "skin.bmp", {40, 21}, qRgb(10, 20, 30));
  struct Case {
    int style;
    bool metallic;
    bool clasic, gradation, metaric, skin;
  } cases[] = {
      {0, false, false, false, false, false},  // LED board
      {1, false, true, false, false, false},
      {1, true, true, false, false, false},  // metallic only with gradation
      {2, false, false, true, false, false},
      {2, true, false, true, true, false},
      {3, false, false, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.style << (c.metallic ? " metallic" : ""));
    TickerFixture f;
    ColourSet set = MakeSet(c.style, c.metallic);
    platform::SetFieldText(set.SkinFile, platform::Utf8ToSjis(picture));
    ApplyColourSet(*f.bar, set);
    EXPECT_EQ(f.ticker->ClasicMode(), c.clasic);
    EXPECT_EQ(f.ticker->GradationMode(), c.gradation);
    EXPECT_EQ(f.ticker->Metaric(), c.metaric);
    EXPECT_EQ(f.ticker->MetaricPer(), 40);
    EXPECT_EQ(f.ticker->SkinFile.empty(), !c.skin);
    if (c.skin) {
      EXPECT_EQ(f.ticker->DotSource.pixel(5, 5), qRgb(10, 20, 30));
    }
  }
}

TEST(ApplyColourSetTest, MissingSkinShowsTheSimpleLookAndKeepsTheRecord) {
  TickerFixture f;
  ColourSet set = MakeSet(3);
  platform::SetFieldText(set.SkinFile, "/nowhere/skin.bmp");
  ApplyColourSet(*f.bar, set);
  EXPECT_TRUE(f.ticker->ClasicMode());
  EXPECT_FALSE(f.ticker->GradationMode());
  EXPECT_TRUE(f.ticker->SkinFile.empty());
  EXPECT_EQ(set.Style, 3);
  EXPECT_EQ(f.bar->Style, 1);
}

TEST(ApplyColourSetTest, TextRectangleDefaultsToThePictureAndIsWrittenBack) {
  test::TempFolder folder;
  TickerFixture f;
  ColourSet set = MakeSet(3);
  platform::SetFieldText(set.SkinFile, platform::Utf8ToSjis(WritePicture(folder / "fix.bmp", {200, 30}, qRgb(9, 9, 9))));
  set.SkinLayout = 2;
  set.SkinLeft = 20;
  set.SkinTop = 5;
  set.SkinBottom = 24;
  set.TextTop = 3;
  ApplyColourSet(*f.bar, set);
  EXPECT_EQ(set.SkinRight, 200);
  EXPECT_EQ(set.SkinBottom, 24);
  EXPECT_EQ(f.ticker->SkinRect.right, 200);
  EXPECT_EQ(f.ticker->SkinLayout, 2);
  EXPECT_EQ(f.ticker->TextTop, 3);
  // A fixed skin's frame is what the text rectangle leaves of the picture.
  EXPECT_EQ(f.bar->TickerInset, 0);
  EXPECT_EQ(f.ticker->FrameWidth, 10);
}

TEST(ApplyColourSetTest, InsetAndFrameWidthByStyleOutlineAndOffsets) {
  struct Case {
    int style;
    bool outline, glass;
    int textTop, textBottom;
    int inset, frame;
  } cases[] = {
      {1, true, false, 0, 0, 2, 1},  {1, false, false, 0, 0, 1, 1}, {0, true, false, 0, 0, 2, 1},
      {0, false, false, 0, 0, 1, 1}, {2, true, false, 0, 0, 1, 2},  {2, false, false, 0, 0, 0, 2},
      {2, false, false, 3, 2, 0, 5}, {2, true, true, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ColourSet set = MakeSet(c.style);
    set.TextTop = static_cast<uint8_t>(c.textTop);
    set.TextBottom = static_cast<uint8_t>(c.textBottom);
    const TickerFrameSizes s = FrameSizesFor(set, false, 0, c.outline, c.glass);
    EXPECT_EQ(s.inset, c.inset) << c.style << c.outline << c.glass << c.textTop;
    EXPECT_EQ(s.frame, c.frame) << c.style << c.outline << c.glass << c.textTop;
  }
}

TEST(ApplyColourSetTest, SideDockedBarsGetTheSkinTransposed) {
  test::TempFolder folder;
  TickerFixture f;
  f.bar->Edge = kEdgeRight;
  ColourSet set = MakeSet(3);
  platform::SetFieldText(set.SkinFile, platform::Utf8ToSjis(WritePicture(folder / "h.bmp", {40, 21}, qRgb(50, 60, 70))));
  ApplyColourSet(*f.bar, set);
  EXPECT_EQ(f.ticker->Vertical, 1);
  EXPECT_EQ(f.ticker->DotSource.size(), QSize(21, 40));
  EXPECT_EQ(f.ticker->DotSource.pixel(20, 0), qRgb(1, 2, 3));  // (0, 20) before
}

TEST(ApplyColourSetTest, AnimatedSkinLoadsEveryFrameFromFrameOne) {
  test::TempFolder folder;
  const QRgb colours[3] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};
  const int delays[3] = {200, 300, 400};
  for (int i = 0; i < 3; ++i)
    WritePicture(folder / ("sky_" + std::to_string(i + 1) + "_" + std::to_string(delays[i]) + ".bmp"), {16, 16},
                 colours[i]);
  TickerFixture f;
  ColourSet set = MakeSet(3);
  platform::SetFieldText(set.SkinFile, platform::Utf8ToSjis(folder / "sky_2_300.bmp"));  // names frame 2
  ApplyColourSet(*f.bar, set);
  ASSERT_EQ(f.bar->Frames.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(f.bar->Frames[i].delay, delays[i]);
    EXPECT_EQ(f.bar->Frames[i].picture.pixel(5, 5), colours[i]);
  }
  EXPECT_EQ(platform::SjisToUtf8(f.ticker->SkinFile), folder / "sky_1_200.bmp");
  EXPECT_EQ(f.ticker->DotSource.pixel(5, 5), colours[0]);
}

TEST(ApplyColourSetTest, TickerColoursFromTheSet) {
  TickerFixture f(5);
  ColourSet set = MakeSet(2);
  set.BackLit = 0x112233;
  set.BackUnlit = 0x445566;
  set.NewsColour1 = 0x778899;
  ApplyTickerColours(*f.bar, set);
  EXPECT_EQ(f.ticker->LightColor(), 0x778899u);
  EXPECT_EQ(f.ticker->BackColor(), 0x112233u);
  EXPECT_EQ(f.ticker->DarkColor(), 0x445566u);
  // A colour-keyed bar (alpha 10 or less) keeps only its text.
  f.bar->Slot().Alpha = 10;
  ApplyTickerColours(*f.bar, set);
  EXPECT_EQ(f.ticker->DarkColor(), 0x112233u);
  set.SkinLayout = kLayoutTransparent;
  ApplyTickerColours(*f.bar, set);
  EXPECT_EQ(f.ticker->DarkColor(), 0x445566u);
  f.bar->Glass = true;
  ApplyTickerColours(*f.bar, set);
  EXPECT_EQ(f.ticker->DarkColor(), 0u);
  bars()[5] = DefaultBarTable()[5];
}

}  // namespace
}  // namespace lumetra
