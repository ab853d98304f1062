// The bar's popup menu offscreen: its real actions copy the headline along
// the pointer, switch the bar to another patrolled site, and take the shown
// site into or out of the patrol, saving the definitions.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <map>

#include "interaction/bar_menu_ui.h"
#include "ticker/bar_window_support.h"

namespace lumetra {
namespace {

using test::HeadlineOnStrip;
using test::Pump;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// The action of that object name, or, inside the submenu of that name, the
// first one whose caption contains `caption`.
QAction* Action(QMenu* menu, const char* name, const char* caption = nullptr) {
  QAction* named = menu->findChild<QAction*>(Q(name));
  if (!named || !caption) return named;
  QMenu* sub = named->menu();
  if (!sub) return nullptr;
  for (QAction* a : sub->actions())
    if (a->text().contains(Q(caption))) return a;
  return nullptr;
}

class MenuOfABar : public test::BarWindowTest {
 protected:
  void TearDown() override {
    for (QMenu* menu : menus)
      if (menu) menu->close();
    interaction.reset();
    BarWindowTest::TearDown();
  }
  QMenu* Open(TNewsMonitor* bar) {
    QMenu* menu = ShowBarMenu(*bar, bar->geometry().center() - QPoint(0, 200));
    menus.push_back(menu);
    return menu;
  }
  // Chooses the item with the pointer at `pointer`; the item runs once the
  // menu has gone.
  void Choose(QMenu* menu, QAction* action, QPoint pointer) {
    QCursor::setPos(pointer);
    action->trigger();
    menu->close();
    Pump(50);
  }

  std::unique_ptr<BarInteraction> interaction = std::make_unique<BarInteraction>();
  std::vector<QPointer<QMenu>> menus;
};

TEST_F(MenuOfABar, CopyUrlTakesTheHeadlineAlongThePointer) {
  bars()[0].Speed = 60;  // the headlines arrive within a second
  TNewsMonitor* bar = CreateNewsMonitor(0);
  bar->SetHeadlines({SJ(" デモ "), SJ("  一つ目の見出し  "), SJ("二つ目の見出し"), "      "},
                    {"", "https://a.example/1", "https://a.example/2", ""});
  ASSERT_FALSE(HeadlineOnStrip(bar, 2).isNull());
  // Where each line on the (now still) strip lies along it, on the screen.
  std::map<int, int> along;
  const TLightStr& t = *bar->LightStr1;
  for (int k = 0, from = 0; k < t.Lines.LineCount; from = t.Lines.LineEnds[k++])
    along[t.Lines.LineIndexes[k]] = t.mapToGlobal(QPoint((from + t.Lines.LineEnds[k]) / 2, 0)).x();
  ASSERT_TRUE(along.count(1) && along.count(2));
  QClipboard* clipboard = QGuiApplication::clipboard();
  struct Case {
    const char* what;
    int line;
    QString expected;
  } cases[] = {
      {"the first headline, its blanks trimmed", 1, Q("一つ目の見出し\nhttps://a.example/1")},
      {"the second headline", 2, Q("二つ目の見出し\nhttps://a.example/2")},
      {"the title has no address: the clipboard keeps its text", 0, Q("before")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!along.count(c.line)) continue;  // the title may have left the strip
    clipboard->setText(Q("before"));
    QMenu* menu = Open(bar);
    QAction* copy = Action(menu, "URL1");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->text(), Q("URLをクリップボードへコピー"));
    // Only the coordinate along the strip counts: the pointer is up on the menu.
    Choose(menu, copy, QPoint(along[c.line], 40));
    EXPECT_EQ(clipboard->text(), c.expected);
  }
  // No line for the address (the strip holds no headlines): the address alone.
  bar->SetHeadlines({}, {"https://a.example/only"});
  clipboard->setText(Q("before"));
  QMenu* menu = Open(bar);
  Choose(menu, Action(menu, "URL1"), QPoint(along[2], 40));
  EXPECT_EQ(clipboard->text(), Q("https://a.example/only"));
}

TEST_F(MenuOfABar, PatrolledSitesSwitchTheBarAndThePatrolItemTogglesAndSaves) {
  TNewsMonitor* bar = CreateNewsMonitor(0);
  ASSERT_EQ(bar->DefinitionIndex(), 1);
  const std::string file = folder / "NewsUrl.USR";

  QMenu* menu = Open(bar);
  QAction* sites = Action(menu, "NewsSelect");
  ASSERT_NE(sites, nullptr);
  EXPECT_EQ(sites->text(), Q("巡回 ニュース"));
  QAction* three = Action(menu, "NewsSelect", "ニュース三");
  ASSERT_NE(three, nullptr);
  Choose(menu, three, QPoint(10, 10));
  EXPECT_EQ(bar->DefinitionIndex(), 3);
  EXPECT_EQ(NewsList().CurrentIndex, 3);
  ASSERT_FALSE(bar->LightStr1->ShowStrings().empty());
  EXPECT_EQ(bar->LightStr1->ShowStrings()[0], SJ(" ニュース三 "));

  // Out of the patrol and back: the item follows the flag, the file each change.
  for (const bool patrolled : {false, true}) {
    SCOPED_TRACE(patrolled ? "back into the patrol" : "out of the patrol");
    menu = Open(bar);
    QAction* patrol = Action(menu, "N5", "を巡回する");
    ASSERT_NE(patrol, nullptr);
    EXPECT_TRUE(patrol->text().contains(Q("ニュース三")));
    EXPECT_TRUE(patrol->isCheckable());
    EXPECT_EQ(patrol->isChecked(), !patrolled);
    EXPECT_EQ(Action(menu, "NewsSelect", "ニュース三") != nullptr, !patrolled);
    Choose(menu, patrol, QPoint(10, 10));
    EXPECT_EQ(NewsList()[3].Patrol != 0, patrolled);
    TIPlist5 saved;
    ASSERT_TRUE(saved.LoadDefinitions(file));
    ASSERT_EQ(saved.Count, 4);
    EXPECT_EQ(saved[3].Patrol != 0, patrolled);
    EXPECT_EQ(FieldText(saved[3].Title), SJ("ニュース三"));
    EXPECT_EQ(saved[1].Patrol, 1);
  }
  EXPECT_EQ(bar->DefinitionIndex(), 3);
}

}  // namespace
}  // namespace lumetra
