// A bar's own registry key: what is written, in which order, what comes back,
// and what a bar without a key starts with.
#include "ticker/bar_settings.h"

#include <gtest/gtest.h>

#include <QRect>

#include "platform/registry.h"
#include "platform/sjis_text.h"

namespace lumetra {
namespace {

using platform::Registry;
using platform::RegistryStore;
using platform::RootKey;

class BarSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    RegistryStore::For(RootKey::CurrentUser).Clear();
    state.IsVistaOrLater = true;
    state.ColourCount = 16777216;
    facts.left = 40;
    facts.top = 700;
    facts.width = 800;
    facts.height = 21;
    facts.clientWidth = 800;
    facts.clientHeight = 21;
  }

  std::vector<std::string> ValueNames(int bar) {
    Registry reg;
    if (!reg.OpenKey(BarSettingsKey(bar), false)) return {};
    return reg.GetValueNames();
  }
  int Int(int bar, const char* name) {
    Registry reg;
    reg.OpenKey(BarSettingsKey(bar), false);
    return reg.ReadInteger(name);
  }

  AppState state;
  BarWindowFacts facts;
};

TEST_F(BarSettings, KeysAreNamedAfterTheBar) {
  EXPECT_EQ(BarSettingsKey(0), "\\SOFTWARE\\TARVO\\Lumetra\\NewsMonitor");
  EXPECT_EQ(BarSettingsKey(3), "\\SOFTWARE\\TARVO\\Lumetra\\NewsMonitor-3");
}

TEST_F(BarSettings, AnExtraBarRoundTripsEveryValueInTheWrittenOrder) {
  BarSlot saved = DefaultBarTable()[3];
  saved.LineMode = 2;
  saved.PatrolInterval = 45;
  saved.Speed = 700;
  saved.FontName = SJ("ＭＳ 明朝");
  saved.VerticalFontName = SJ("@ＭＳ 明朝");
  saved.ZOrder = 1;
  saved.HorzDockSize = 63;
  saved.VertDockSize = 40;
  saved.CoarseScroll = 1;
  saved.Placement = 2;
  saved.AutoHide = true;
  saved.Alpha = 180;
  saved.Hidden = true;
  saved.Outline = true;
  saved.RightFit = false;
  saved.FloatLeft = 10, saved.FloatTop = 20, saved.FloatRight = 610, saved.FloatBottom = 83;
  SaveBarSettings(3, saved, facts, true);

  EXPECT_EQ(ValueNames(3),
            (std::vector<std::string>{"Left2", "Top2", "Width", "Height", "HeadLineNewsInterval",
                                      "HeadLineNewsLineMode_", "NewsShowIntervalN2", "NewsMonitorFontNames",
                                      "NewsMonitorFontNames2", "NewsMonitorTaskBarMode", "NewsMonitorAutoMove",
                                      "NewsMonitorAutoHide", "NewsMonitorHide", "NewsMonitorZoder_2",
                                      "NewsMonitorHorzDockSize", "NewsMonitorVertDockSize", "NewsMonitorSmooth_",
                                      "NewsMonitorOutline", "NewsRightFit", "NewsAlpha_"}));
  EXPECT_EQ(Int(3, "NewsMonitorAutoMove"), 1);
  EXPECT_EQ(Int(3, "Width"), 610);  // coordinates, not sizes
  EXPECT_EQ(Int(3, "Height"), 83);

  BarSlot loaded = DefaultBarTable()[3];
  const BarLoadResult result = LoadBarSettings(3, loaded, facts, state);
  EXPECT_FALSE(result.keyCreated);
  EXPECT_EQ(result.clientHeight, 63);
  EXPECT_EQ(loaded.LineMode, 2);
  EXPECT_EQ(loaded.PatrolInterval, 45);
  EXPECT_EQ(loaded.Speed, 700);
  EXPECT_EQ(loaded.FontName, saved.FontName);
  EXPECT_EQ(loaded.VerticalFontName, saved.VerticalFontName);
  EXPECT_EQ(loaded.ZOrder, 1);
  EXPECT_EQ(loaded.HorzDockSize, 63);
  EXPECT_EQ(loaded.VertDockSize, 40);
  EXPECT_EQ(loaded.CoarseScroll, 1);
  EXPECT_EQ(loaded.Placement, 2);
  EXPECT_TRUE(loaded.AutoHide);
  EXPECT_EQ(loaded.Alpha, 180);
  EXPECT_TRUE(loaded.Hidden);
  EXPECT_TRUE(loaded.Outline);
  EXPECT_FALSE(loaded.RightFit);
  EXPECT_EQ(QRect(QPoint(loaded.FloatLeft, loaded.FloatTop), QPoint(loaded.FloatRight, loaded.FloatBottom)),
            QRect(QPoint(10, 20), QPoint(610, 83)));
  EXPECT_FALSE(loaded.AutoWidthPending);
  EXPECT_FALSE(loaded.AutoHeightPending);
}

TEST_F(BarSettings, BarZeroKeepsOnlyItsPositionAndTheCharacterInItsKey) {
  BarSlot saved = DefaultBarTable()[0];
  saved.CLeft = 300, saved.CTop = 400, saved.CPos = 4;
  saved.FloatLeft = 5, saved.FloatTop = 6, saved.FloatRight = 505, saved.FloatBottom = 27;
  saved.Speed = 500;  // travels with the general options, not here
  SaveBarSettings(0, saved, facts, true);
  EXPECT_EQ(ValueNames(0), (std::vector<std::string>{"Left2", "Top2", "Width", "Height", "CLeft", "CTop", "CPos"}));

  BarSlot loaded = DefaultBarTable()[0];
  loaded.Speed = 900;
  LoadBarSettings(0, loaded, facts, state);
  EXPECT_EQ(loaded.CLeft, 300);
  EXPECT_EQ(loaded.CTop, 400);
  EXPECT_EQ(loaded.CPos, 4);
  EXPECT_EQ(loaded.FloatLeft, 5);
  EXPECT_EQ(loaded.FloatBottom, 27);
  EXPECT_EQ(loaded.Speed, 900);
}

// The first-run path: no key, so the computed defaults and the bar's present
// bounds are stored at once.
TEST_F(BarSettings, ABarWithoutAKeyStoresItsDefaults) {
  struct Case {
    const char* what;
    int bar;
    bool glass;
    int colours;
    int speed, alpha;
    bool outline;
  };
  const Case cases[] = {
      {"plain system", 3, false, 16777216, 1100, 255, false},
      {"glass system", 3, true, 16777216, 964, 10, false},
      {"256 colours", 3, false, 256, 1100, 255, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegistryStore::For(RootKey::CurrentUser).Clear();
    state.GlassEnabled = c.glass;
    state.ColourCount = c.colours;
    BarSlot slot = DefaultBarTable()[c.bar];
    slot.Speed = 1, slot.Alpha = 1, slot.Outline = !c.outline;
    const BarLoadResult result = LoadBarSettings(c.bar, slot, facts, state);
    EXPECT_TRUE(result.keyCreated);
    EXPECT_EQ(slot.Speed, c.speed);
    EXPECT_EQ(slot.Alpha, c.alpha);
    EXPECT_EQ(slot.Outline, c.outline);
    EXPECT_EQ(Int(c.bar, "NewsShowIntervalN2"), c.speed);
    EXPECT_EQ(Int(c.bar, "NewsAlpha_"), c.alpha);
    EXPECT_EQ(Int(c.bar, "NewsMonitorOutline"), c.outline ? 1 : 0);
    EXPECT_EQ(Int(c.bar, "Left2"), 40);
    EXPECT_EQ(Int(c.bar, "Top2"), 700);
    EXPECT_EQ(Int(c.bar, "Width"), 840);
    EXPECT_EQ(Int(c.bar, "Height"), 721);
    EXPECT_EQ(Int(c.bar, "NewsMonitorTaskBarMode"), 0);
    EXPECT_EQ(Int(c.bar, "NewsMonitorZoder_2"), 0);
  }
  // Bar 0's key gets its position and the character, nothing else.
  RegistryStore::For(RootKey::CurrentUser).Clear();
  BarSlot bar0 = DefaultBarTable()[0];
  EXPECT_TRUE(LoadBarSettings(0, bar0, facts, state).keyCreated);
  EXPECT_EQ(ValueNames(0), (std::vector<std::string>{"Left2", "Top2", "Width", "Height", "CLeft", "CTop", "CPos"}));
  // Loading again reads what was stored.
  BarSlot again = DefaultBarTable()[0];
  EXPECT_FALSE(LoadBarSettings(0, again, facts, state).keyCreated);
  EXPECT_EQ(again.FloatRight, 840);
}

TEST_F(BarSettings, MissingOrDamagedValuesKeepTheSlotOrTakeTheirDefault) {
  {
    Registry reg;
    reg.OpenKey(BarSettingsKey(2), true);
    reg.WriteInteger("HeadLineNewsInterval", 30);
    reg.WriteString("NewsAlpha_", "seventy");  // wrong type: as if missing
  }
  BarSlot slot = DefaultBarTable()[2];
  slot.ZOrder = 4;
  slot.Speed = 10, slot.Alpha = 20, slot.RightFit = false;
  LoadBarSettings(2, slot, facts, state);
  EXPECT_EQ(slot.PatrolInterval, 30);
  EXPECT_EQ(slot.ZOrder, 4);      // missing: kept
  EXPECT_EQ(slot.Speed, 1100);    // missing: its default
  EXPECT_EQ(slot.Alpha, 255);
  EXPECT_TRUE(slot.RightFit);
  EXPECT_TRUE(slot.AutoWidthPending);  // no stored size
}

TEST_F(BarSettings, AStoredRightOrBottomBeforeTheLeftOrTopFallsBackToThePresentSize) {
  {
    Registry reg;
    reg.OpenKey(BarSettingsKey(1), true);
    reg.WriteInteger("Left2", 500);
    reg.WriteInteger("Top2", 300);
    reg.WriteInteger("Width", 100);  // left of Left2
    reg.WriteInteger("Height", 200);  // above Top2
  }
  facts.clientWidth = 640;
  facts.height = 30;
  BarSlot slot = DefaultBarTable()[1];
  const BarLoadResult result = LoadBarSettings(1, slot, facts, state);
  EXPECT_EQ(slot.FloatRight, 1140);
  EXPECT_EQ(slot.FloatBottom, 330);
  EXPECT_EQ(result.clientHeight, 30);
}

TEST_F(BarSettings, FixedSkinsKeepTheirPositionInValuesOfTheirOwn) {
  BarSlot slot = DefaultBarTable()[4];
  slot.FloatLeft = 11, slot.FloatTop = 12, slot.FloatRight = 611, slot.FloatBottom = 33;
  SaveBarSettings(4, slot, facts, false);  // tiled
  slot.FloatLeft = 70, slot.FloatTop = 80, slot.FloatRight = 370, slot.FloatBottom = 140;
  facts.fixedSkin = true;
  SaveBarSettings(4, slot, facts, false);
  EXPECT_EQ(Int(4, "Left2"), 11);
  EXPECT_EQ(Int(4, "Top2"), 12);
  EXPECT_EQ(Int(4, "Width"), 611);
  EXPECT_EQ(Int(4, "Height"), 33);
  EXPECT_EQ(Int(4, "Left3"), 70);
  EXPECT_EQ(Int(4, "Top3"), 80);
  EXPECT_EQ(Int(4, "Right"), 370);
  EXPECT_EQ(Int(4, "Bottom"), 140);

  // Loading with the fixed skin prefers its own values and takes the anchor.
  BarSlot loaded = DefaultBarTable()[4];
  LoadBarSettings(4, loaded, facts, state);
  EXPECT_EQ(loaded.FloatLeft, 70);
  EXPECT_EQ(loaded.FloatTop, 80);
  EXPECT_EQ(loaded.AnchorRight, 370);
  EXPECT_EQ(loaded.AnchorBottom, 140);
  EXPECT_FALSE(loaded.AutoWidthPending);
  // Without them it falls back to the tiled position and the present bounds.
  {
    Registry reg;
    reg.OpenKey(BarSettingsKey(4), false);
    for (const char* name : {"Left3", "Top3", "Right", "Bottom"}) reg.DeleteValue(name);
  }
  BarSlot fallback = DefaultBarTable()[4];
  LoadBarSettings(4, fallback, facts, state);
  EXPECT_EQ(fallback.FloatLeft, 11);
  EXPECT_EQ(fallback.FloatTop, 12);
  EXPECT_EQ(fallback.AnchorRight, 840);
  EXPECT_EQ(fallback.AnchorBottom, 721);
  EXPECT_TRUE(fallback.AutoWidthPending);
}

TEST_F(BarSettings, DuringTheSlideThePlaceBeforeItIsSaved) {
  BarSlot slot = DefaultBarTable()[0];
  slot.FloatLeft = -900, slot.FloatTop = 50;
  facts.sliding = true;
  facts.slideLeft = 120, facts.slideTop = 140;
  SaveBarSettings(0, slot, facts, false);
  EXPECT_EQ(Int(0, "Left2"), 120);
  EXPECT_EQ(Int(0, "Top2"), 140);
}

TEST_F(BarSettings, GlassFramesStoreClientSizes) {
  facts.glassFrame = true;
  facts.borderWidth = 8, facts.borderHeight = 8;
  BarSlot slot = DefaultBarTable()[5];
  slot.FloatLeft = 0, slot.FloatTop = 0, slot.FloatRight = 417, slot.FloatBottom = 57;
  SaveBarSettings(5, slot, facts, false);  // not in glass mode: from the rectangle
  EXPECT_EQ(Int(5, "Width_2"), 400);
  EXPECT_EQ(Int(5, "Height_2"), 40);
  BarSlot loaded = DefaultBarTable()[5];
  const BarLoadResult result = LoadBarSettings(5, loaded, facts, state);
  EXPECT_EQ(result.clientWidth, 400);
  EXPECT_EQ(loaded.FloatRight, 408);  // left + client width + border width
  EXPECT_EQ(loaded.FloatBottom, 48);
}

}  // namespace
}  // namespace lumetra
