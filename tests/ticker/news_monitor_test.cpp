// The bar window offscreen: where it goes, what it keeps, how it closes.
#include "ticker/news_monitor.h"

#include <gtest/gtest.h>

#include <QBitmap>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <cctype>

#include "app/messages.h"
#include "bar_window_support.h"
#include "platform/file_io.h"
#include "platform/fixed_text.h"
#include "platform/runtime_folder.h"
#include "ticker/light_str.h"
#include "ticker/scroll_thread.h"
#include "ticker/ticker_bar.h"

namespace lumetra {
namespace {

using test::BarWindowTest;
using test::Pump;
using test::PumpUntil;

QRect Screen() { return QGuiApplication::primaryScreen()->geometry(); }

TEST_F(BarWindowTest, BarZeroDocksAtTheBottomAndShowsItsDefinition) {
  TNewsMonitor* bar = CreateNewsMonitor(0);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(NewsMonitorOf(0), bar);
  EXPECT_TRUE(BarWindowExists(0));
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->Edge(), kEdgeBottom);
  const QRect s = Screen();
  EXPECT_EQ(bar->geometry(), QRect(s.left(), s.bottom() - 20, s.width(), 21));
  EXPECT_EQ(bar->DefinitionIndex(), 1);
  ASSERT_FALSE(bar->LightStr1->ShowStrings().empty());
  EXPECT_EQ(bar->LightStr1->ShowStrings()[0], SJ(" デモ "));
  EXPECT_TRUE(bar->LightStr1->ShowActive());
  // Its scroll thread runs and the ticker fills the bar's length.
  EXPECT_TRUE(ScrollThreadExists(0));
  EXPECT_EQ(bar->LightStr1->width(), s.width() - 2 * bar->Bar().TickerInset);
  // A first start stores the key at once.
  EXPECT_EQ(RegistryInt(0, "CPos"), 0);
}

TEST_F(BarWindowTest, ThreeLineBarsDockedAtTheTopStayWithin36And360) {
  BarSlot& slot = bars()[0];
  slot.LineMode = 2;
  slot.Placement = 2;
  slot.HorzDockSize = 5;
  TNewsMonitor* bar = CreateNewsMonitor(0);
  EXPECT_EQ(bar->Edge(), kEdgeTop);
  EXPECT_EQ(bar->geometry(), QRect(Screen().left(), Screen().top(), Screen().width(), 36));
  EXPECT_EQ(slot.HorzDockSize, 36);
  slot.HorzDockSize = 1000;
  bar->Relayout();
  EXPECT_EQ(bar->height(), 360);
  EXPECT_EQ(slot.HorzDockSize, 360);
}

TEST_F(BarWindowTest, AStoredFloatingWidthOf5BecomesA200WideBarAtLeft0) {
  {
    platform::Registry reg;
    reg.OpenKey(BarSettingsKey(2), true);
    reg.WriteInteger("Left2", 300);
    reg.WriteInteger("Top2", 100);
    reg.WriteInteger("Width", 305);
    reg.WriteInteger("Height", 121);
    reg.WriteInteger("NewsMonitorTaskBarMode", 1);
  }
  TNewsMonitor* bar = CreateNewsMonitor(2);
  EXPECT_EQ(bar->Edge(), kEdgeFloat);
  EXPECT_EQ(bar->geometry(), QRect(0, 100, 200, 21));
}

TEST_F(BarWindowTest, AFloatingBarOffEveryMonitorComesBack) {
  {
    platform::Registry reg;
    reg.OpenKey(BarSettingsKey(3), true);
    reg.WriteInteger("Left2", 5000);
    reg.WriteInteger("Top2", 3000);
    reg.WriteInteger("Width", 5400);
    reg.WriteInteger("Height", 3021);
  }
  TNewsMonitor* bar = CreateNewsMonitor(3);
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(bar->geometry(), QRect(work.right() - 399, work.bottom() - 20, 400, 21));
  EXPECT_EQ(bars()[3].FloatLeft, work.right() - 399);
}

class FixedSkinBar : public BarWindowTest {
 protected:
  void SetUp() override {
    BarWindowTest::SetUp();
    // A 120 x 30 picture whose bottom-left colour (magenta) is see-through.
    QImage picture(120, 30, QImage::Format_RGB32);
    picture.fill(Qt::magenta);
    for (int y = 5; y < 25; ++y)
      for (int x = 10; x < 110; ++x) picture.setPixel(x, y, qRgb(20, 40, 200));
    const std::string path = folder / "skin.bmp";
    ASSERT_TRUE(picture.save(QString::fromStdString(path), "BMP"));
    ColourSet set = ColourList()[5];
    set.Style = 3;
    set.SkinLayout = 2;
    set.SkinLeft = 10, set.SkinTop = 5, set.SkinRight = 109, set.SkinBottom = 24;
    platform::SetFieldText(set.SkinFile, platform::Utf8ToSjis(path));
    skinIndex = ColourList().Append(set);
  }
  int skinIndex = 0;
};

TEST_F(FixedSkinBar, EdgeItemsDoNothingAndTheBarFloatsAtThePictureSize) {
  bars()[4].ColourSet = skinIndex;
  bars()[4].Placement = 5;  // a right edge, which the skin overrides
  TNewsMonitor* bar = CreateNewsMonitor(4);
  EXPECT_EQ(bar->Edge(), kEdgeFloat);
  EXPECT_EQ(bar->size(), QSize(120, 30));
  const QRect before = bar->geometry();
  for (int item = 2; item <= 5; ++item) {
    bar->ChoosePlacementItem(item);
    EXPECT_EQ(bars()[4].Placement, 5) << item;
    EXPECT_EQ(bar->Edge(), kEdgeFloat) << item;
    EXPECT_EQ(bar->geometry(), before) << item;
  }
  bar->ChoosePlacementItem(1);  // "自動配置しない" still works
  EXPECT_EQ(bars()[4].Placement, 1);
}

TEST_F(FixedSkinBar, ARegionSkinShapesTheWindowToItsPicture) {
  ColourList()[skinIndex].SkinLayout = 3;
  bars()[1].ColourSet = skinIndex;
  TNewsMonitor* bar = CreateNewsMonitor(1);
  const QRegion mask = bar->mask();
  EXPECT_FALSE(mask.contains(QPoint(0, 29)));  // the see-through colour
  EXPECT_FALSE(mask.contains(QPoint(5, 15)));
  EXPECT_TRUE(mask.contains(QPoint(60, 15)));
}

TEST_F(BarWindowTest, ClosingSavesTheKeyAndReleasesTheSlot) {
  TNewsMonitor* bar = CreateNewsMonitor(3);
  bars()[3].Speed = 777;
  bars()[3].LineMode = 0;
  bar->FormClose();
  EXPECT_EQ(NewsMonitorOf(3), nullptr);
  EXPECT_FALSE(BarWindowExists(3));
  EXPECT_FALSE(ScrollThreadExists(3));
  EXPECT_EQ(RegistryInt(3, "NewsShowIntervalN2"), 777);
  EXPECT_EQ(RegistryInt(3, "HeadLineNewsLineMode_"), 0);
  EXPECT_EQ(bars()[3].DefinitionName, SJ("デモ"));  // a slot below 2 shows definition 1
  // The slot keeps its values for the next creation.
  TNewsMonitor* again = CreateNewsMonitor(3);
  EXPECT_NE(again, nullptr);
  EXPECT_EQ(bars()[3].Speed, 777);
}

TEST_F(BarWindowTest, CloseByUserHidesTheBarForTheNextStart) {
  settings().NewsMonitorVisible[2] = true;
  TNewsMonitor* bar = CreateNewsMonitor(2);
  bars()[2].AutoWidthPending = false;
  bar->CloseByUser();
  EXPECT_FALSE(settings().NewsMonitorVisible[2]);
  EXPECT_TRUE(bars()[2].AutoWidthPending);
  EXPECT_EQ(NewsMonitorOf(2), nullptr);
}

TEST_F(BarWindowTest, OnlyOneAutoHiddenBarPerEdge) {
  TNewsMonitor* bar0 = CreateNewsMonitor(0);
  bars()[1].Placement = 3;
  TNewsMonitor* bar1 = CreateNewsMonitor(1);
  ASSERT_EQ(bar1->Edge(), kEdgeBottom);
  EXPECT_TRUE(bar0->ToggleAutoHide());
  EXPECT_TRUE(bar0->AutoHideOn());
  EXPECT_FALSE(bar1->ToggleAutoHide());
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_NE(prompts[0].find("already an auto hidden window"), std::string::npos);
  EXPECT_FALSE(bars()[1].AutoHide);
  EXPECT_FALSE(bar1->AutoHideOn());
  // The auto-hidden bar shrinks to its strip once the pointer is elsewhere.
  ASSERT_TRUE(PumpUntil([&] { return bar0->AutoHidden() && bar0->height() == kAutoHideStrip; }, 3000));
  EXPECT_EQ(bar0->geometry().bottom(), Screen().bottom());
}

TEST_F(BarWindowTest, DockedBarsOnOneEdgeStackInBarOrder) {
  TNewsMonitor* bar0 = CreateNewsMonitor(0);
  bars()[2].Placement = 3;
  TNewsMonitor* bar2 = CreateNewsMonitor(2);
  EXPECT_EQ(bar0->geometry().bottom(), Screen().bottom());
  EXPECT_EQ(bar2->geometry().bottom(), Screen().bottom() - 21);
  bars()[4].Placement = 4;  // left, between nothing: bar 0 keeps the bottom
  TNewsMonitor* bar4 = CreateNewsMonitor(4);
  EXPECT_EQ(bar4->geometry(), QRect(Screen().left(), Screen().top(), 21, Screen().height() - 42));
}

TEST_F(BarWindowTest, DraggingDocksFloatsAndSizes) {
  TNewsMonitor* bar = CreateNewsMonitor(0);
  const QRect s = Screen();
  // From the bottom edge into the middle: floating, automatic placement.
  bar->BeginDrag(kHitCaption, QPoint(400, s.bottom() - 10));
  bar->ContinueDrag(QPoint(300, 250));
  bar->EndDrag(QPoint(300, 250));
  EXPECT_EQ(bar->Edge(), kEdgeFloat);
  EXPECT_EQ(bars()[0].Placement, 0);
  EXPECT_TRUE(bar->geometry().contains(QPoint(300, 250)));
  EXPECT_EQ(bar->height(), 21);
  // To the top edge: docked there.
  bar->BeginDrag(kHitCaption, QPoint(300, 250));
  bar->EndDrag(QPoint(300, s.top() + 3));
  EXPECT_EQ(bar->Edge(), kEdgeTop);
  EXPECT_EQ(bars()[0].Placement, 2);
  EXPECT_EQ(bar->geometry(), QRect(s.left(), s.top(), s.width(), 21));
  // Its inner edge sizes it.
  EXPECT_EQ(bar->HitTest(QPoint(100, 19)), kHitBottom);
  EXPECT_EQ(bar->HitTest(QPoint(100, 1)), kHitCaption);
  bar->BeginDrag(kHitBottom, QPoint(100, 20));
  bar->EndDrag(QPoint(100, 40));
  EXPECT_EQ(bars()[0].HorzDockSize, 41);
  EXPECT_EQ(bar->height(), 41);
}

TEST_F(BarWindowTest, AColourKeyedBarKeepsOnlyItsTextAndItsPanel) {
  bars()[0].Alpha = 10;
  TNewsMonitor* bar = CreateNewsMonitor(0);
  EXPECT_EQ(bar->LightStr1->DarkColor(), bar->LightStr1->BackColor());
  // Scroll until text is on screen, then the shape follows it.
  ASSERT_TRUE(PumpUntil([&] { return bar->mask().rectCount() > 4; }, 5000));
  const QRegion mask = bar->mask();
  EXPECT_TRUE(mask.contains(QPoint(bar->width() - 1, bar->height() - 1)));  // the white panel
  EXPECT_FALSE(mask.contains(QPoint(0, 0)));
  // It moves from anywhere but sizes from its bottom-right corner.
  EXPECT_EQ(bar->HitTest(QPoint(bar->width() - 2, bar->height() - 2)), kHitCaption);  // docked: no sizing there
  bar->ChoosePlacementItem(1);
  EXPECT_EQ(bar->HitTest(QPoint(bar->width() - 2, bar->height() - 2)), kHitBottomRight);
  EXPECT_EQ(bar->HitTest(QPoint(1, 1)), kHitCaption);
  // Opaque again: no shape.
  bar->SetAlpha(255);
  EXPECT_TRUE(bar->mask().isEmpty());
}

TEST_F(BarWindowTest, LineModeSwitchScalesSavesAndRedraws) {
  TNewsMonitor* bar = CreateNewsMonitor(1);
  bars()[1].Placement = 2;
  bar->ChoosePlacementItem(2);
  EXPECT_EQ(bar->height(), 21);
  bar->SetLineMode(0);  // two lines
  EXPECT_EQ(bars()[1].HorzDockSize, 42);
  EXPECT_EQ(bar->height(), 42);
  EXPECT_EQ(RegistryInt(1, "HeadLineNewsLineMode_"), 0);
  EXPECT_EQ(RegistryInt(1, "NewsMonitorHorzDockSize"), 42);
}

TEST_F(BarWindowTest, HideAllSlidesEveryVisibleBarAwayAndBack) {
  SetSlideChooser([] { return std::pair{1, 0}; });  // below the bottom
  TNewsMonitor* bar0 = CreateNewsMonitor(0);
  bars()[2].Placement = 1;
  TNewsMonitor* bar2 = CreateNewsMonitor(2);
  const QRect home0 = bar0->geometry(), home2 = bar2->geometry();
  ToggleBarsOffScreen();
  ASSERT_TRUE(PumpUntil([] { return !SlideRunning(); }));
  EXPECT_TRUE(BarsSlidOff());
  EXPECT_FALSE(bar0->isVisible());
  EXPECT_FALSE(bar2->isVisible());
  EXPECT_TRUE(bar0->SlidHidden());
  // Saving meanwhile keeps the place before the slide.
  SaveBarSettings(2, bars()[2], bar2->Facts(), false);
  EXPECT_EQ(RegistryInt(2, "Top2"), home2.top());
  ToggleBarsOffScreen();
  ASSERT_TRUE(PumpUntil([] { return !SlideRunning(); }));
  EXPECT_FALSE(BarsSlidOff());
  EXPECT_TRUE(bar0->isVisible());
  EXPECT_EQ(bar0->geometry(), home0);
  EXPECT_EQ(bar0->Edge(), kEdgeBottom);
  EXPECT_EQ(bar2->geometry(), home2);
}

TEST_F(BarWindowTest, MessagesOfTheBarsTable) {
  TNewsMonitor* bar = CreateNewsMonitor(0);
  platform::SendMessage(bar->Handle(), UM_MARKSEEN, 0x10002, 0);  // low word: definition 2
  EXPECT_EQ(NewsList()[2].Seen, 1);
  platform::SendMessage(bar->Handle(), UM_BARNAVIGATE, 3, 2);  // switch to definition 3
  EXPECT_EQ(bar->DefinitionIndex(), 3);
  EXPECT_EQ(NewsList().CurrentIndex, 3);
  platform::SendMessage(bar->Handle(), UM_NEXTDEFINITION, 0, 0);  // next: round to definition 0
  EXPECT_EQ(bar->DefinitionIndex(), 0);
  platform::SendMessage(bar->Handle(), UM_BARNAVIGATE, 0, 0);  // previous
  EXPECT_EQ(bar->DefinitionIndex(), 3);
  platform::SendMessage(bar->Handle(), UM_VIEWERWINDOW, 4242, 0);
  EXPECT_EQ(bar->ViewerWindow(), 4242u);
  platform::SendMessage(bar->Handle(), UM_NOUPDATE, 0, 0);
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0], SJ("更新された情報はありませんでした。"));
  platform::SendMessage(bar->Handle(), UM_BARSTEP3, 0, 0);
  EXPECT_TRUE(bar->Bar().Thread->Pause[kPausePointerRest]);
}

TEST_F(BarWindowTest, BarZerosNavigationKeysJumpHeadlinesOrSwitchSites) {
  TNewsMonitor* bar = CreateNewsMonitor(0);
  bar->SetHeadlines({" t ", "a", "b", "c", "d", "      "}, {"", "1", "2", "3", "4", ""});
  TLightStr& t = *bar->LightStr1;
  auto key = [&](int id) { platform::SendMessage(bar->Handle(), platform::WM_HOTKEY, static_cast<platform::WParam>(id), 0); };
  t.SetCurrentLine(2);
  key(3);  // the next headline, drawn at once
  EXPECT_EQ(t.ShowIndex(), 3);
  EXPECT_EQ(bar->DefinitionIndex(), 1);
  key(4);  // back one
  EXPECT_EQ(t.ShowIndex(), 2);
  t.SetCurrentLine(4);  // the second-to-last line: the next site instead
  key(3);
  EXPECT_EQ(bar->DefinitionIndex(), 2);
  key(2);  // previous site
  EXPECT_EQ(bar->DefinitionIndex(), 1);
  key(1);  // next site
  EXPECT_EQ(bar->DefinitionIndex(), 2);
}

// NewsChange with real bars: which definitions the other open bars hold
// comes from the windows themselves.
struct NewsChangeCase {
  const char* what;
  int from;  // bar 0's definition before the step
  int direction;
  std::vector<std::pair<int, int>> others;  // bar, the definition it shows
  std::vector<int> closed;                  // of those, bars closed again
  std::vector<int> unpatrolled;
  int search;  // a search definition (-1: none)
  int expected;
};

void PrintTo(const NewsChangeCase& c, std::ostream* os) { *os << c.what; }

class NewsChangeOfBars : public BarWindowTest, public ::testing::WithParamInterface<NewsChangeCase> {};

TEST_P(NewsChangeOfBars, BarZeroStepsToAnAvailablePatrolledSiteTheOthersKeepTheirs) {
  const NewsChangeCase& c = GetParam();
  NewsDefinition extra = NewsList()[3];
  SetFieldText(extra.Title, SJ("ニュース四"));
  NewsList().Append(extra);  // five definitions, all patrolled
  for (int i : c.unpatrolled) NewsList()[i].Patrol = 0;
  if (c.search >= 0) NewsList()[c.search].Category = kCategorySearch;
  for (const auto& [number, definition] : c.others) {
    bars()[number].Definition = definition;
    ASSERT_EQ(CreateNewsMonitor(number)->DefinitionIndex(), definition);
  }
  for (int number : c.closed) NewsMonitorOf(number)->FormClose();
  TNewsMonitor* bar0 = CreateNewsMonitor(0);
  bar0->ShowDefinition(c.from);
  ASSERT_EQ(NewsList().CurrentIndex, c.from);

  bar0->NewsChange(c.direction);
  EXPECT_EQ(bar0->DefinitionIndex(), c.expected);
  EXPECT_EQ(NewsList().CurrentIndex, c.expected);
  EXPECT_EQ(bar0->ShownDefinition(), c.expected);
  ASSERT_FALSE(bar0->LightStr1->ShowStrings().empty());
  EXPECT_EQ(bar0->LightStr1->ShowStrings()[0], " " + FieldText(NewsList()[c.expected].Title) + " ");
  // The other bars show their own definition again, whatever the direction.
  for (const auto& [number, definition] : c.others) {
    TNewsMonitor* other = NewsMonitorOf(number);
    if (!other) continue;
    EXPECT_EQ(other->DefinitionIndex(), definition) << "bar " << number;
    other->NewsChange(c.direction);
    EXPECT_EQ(other->DefinitionIndex(), definition) << "bar " << number;
    EXPECT_EQ(other->ShownDefinition(), definition) << "bar " << number;
    EXPECT_EQ(NewsList().CurrentIndex, c.expected) << "bar " << number << " moved bar 0";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NewsChangeOfBars,
    ::testing::Values(
        NewsChangeCase{"next", 1, 1, {}, {}, {}, -1, 2},
        NewsChangeCase{"past the site another bar shows", 1, 1, {{2, 2}}, {}, {}, -1, 3},
        NewsChangeCase{"back past it", 3, 0, {{2, 2}}, {}, {}, -1, 1},
        NewsChangeCase{"past unpatrolled sites", 1, 1, {}, {}, {2, 3}, -1, 4},
        NewsChangeCase{"round past the end", 4, 1, {}, {}, {}, -1, 0},
        NewsChangeCase{"round past the start", 0, 0, {}, {}, {}, -1, 4},
        NewsChangeCase{"round, skipping on both passes", 4, 1, {{1, 1}, {3, 2}}, {}, {0}, -1, 3},
        NewsChangeCase{"a search definition stays available", 1, 1, {{2, 2}}, {}, {}, 2, 2},
        NewsChangeCase{"a closed bar holds nothing", 1, 1, {{2, 2}}, {2}, {}, -1, 2},
        NewsChangeCase{"only its own site is left", 2, 1, {{1, 1}, {3, 3}, {4, 4}}, {}, {0}, -1, 2},
        NewsChangeCase{"nothing qualifies: the list's current one", 3, 0, {{2, 2}}, {}, {0, 1, 3, 4}, -1, 3}),
    [](const ::testing::TestParamInfo<NewsChangeCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
      return name;
    });

TEST_F(BarWindowTest, ScreenSaverHidesTheBarsAndHandsOverTheHeadlines) {
  TNewsMonitor* bar = CreateNewsMonitor(0);
  bar->SetHeadlines({SJ(" デモ "), SJ(" 一つ目 "), SJ("二つ目"), "      "}, {"a", "b", "c", ""});
  platform::SendMessage(bar->Handle(), UM_SCREENSAVERHEADLINES, 0, 0);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_TRUE(bar->Bar().Thread->Pause[kPauseScreenSaver]);
  EXPECT_EQ(test::ReadFile(platform::JoinPath(platform::SystemFolder(), "newssaver.txt")),
            SJ("一つ目") + "\r\n" + SJ("二つ目") + "\r\n");
  platform::SendMessage(bar->Handle(), UM_BARPASS2, 2, 0);
  ASSERT_TRUE(PumpUntil([&] { return bar->isVisible(); }));
  EXPECT_FALSE(bar->Bar().Thread->Pause[kPauseScreenSaver]);
  EXPECT_EQ(bar->LightStr1->ShowIndex(), 2);
}

TEST_F(BarWindowTest, TheMainWindowsViewOfTheBars) {
  std::unique_ptr<NewsPort> port = MakeBarsNewsPort();
  EXPECT_TRUE(port->Available());
  EXPECT_EQ(port->Bar(0), 0u);
  port->OpenBar(0);
  ASSERT_NE(NewsMonitorOf(0), nullptr);
  EXPECT_EQ(port->Bar(0), NewsMonitorOf(0)->Handle());
  port->SetBarsEnabled(false);
  EXPECT_FALSE(NewsMonitorOf(0)->isEnabled());
  port->SetBarsEnabled(true);
  platform::SendMessage(NewsMonitorOf(0)->Handle(), UM_VIEWERWINDOW, 77, 0);
  EXPECT_EQ(port->CompanionViewerWindow(), 77u);
  port->StartBar0BrowserPause();
  EXPECT_TRUE(NewsMonitorOf(0)->Bar().Thread->Pause[kPauseBrowser]);
  ASSERT_TRUE(PumpUntil([] { return !NewsMonitorOf(0)->Bar().Thread->Pause[kPauseBrowser]; }));
}

}  // namespace
}  // namespace lumetra
