// A site added through the bar's menu on a real (virtual) X display: the
// right click opens the menu, "取得ニュースのカスタマイズ" opens the editor, a
// definition typed in there is saved, patrolled, and its headlines scroll on
// the bar once the menu switches to it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "definitions/default_set.h"
#include "definitions/news_definition.h"
#include "dialogs/definition_editing.h"
#include "interaction/bar_menu_ui.h"
#include "platform/file_io.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"
#include "support/http_test_server.h"
#include "support/display_application.h"
#include "ticker/bar_window_support.h"
#include "ticker/light_str.h"

namespace lumetra {
namespace {

using test::PumpUntil;

QByteArray Feed(const std::string& base, const std::vector<std::string>& headlines) {
  return QByteArray::fromStdString(test::RdfFeed(base, headlines));
}

// The action of that caption (UTF-8) anywhere in the menu and its submenus.
QAction* FindAction(QMenu* menu, const QString& caption) {
  for (QAction* action : menu->actions()) {
    if (action->text() == caption) return action;
    if (QMenu* sub = action->menu())
      if (QAction* found = FindAction(sub, caption)) return found;
  }
  return nullptr;
}

class EditorFromMenu : public test::BarWindowTest {
 protected:
  static void SetUpTestSuite() {
    screen = std::make_unique<test::DisplayApplication<QApplication>>();
  }
  static void TearDownTestSuite() { screen.reset(); }

  void SetUp() override {
    if (!screen->Ok()) GTEST_SKIP() << screen->Problem();
    BarWindowTest::SetUp();
    server.On("/first.rdf", test::ScriptedReply::Page(Feed(server.Url("/first"), {"最初のサイトの見出しです"})));
    server.On("/added.rdf", test::ScriptedReply::Page(Feed(server.Url("/added"), {"追加したサイトの一つ目です",
                                                                                  "追加したサイトの二つ目です"})));
    TIPlist5 list;
    list.TracksBars = true;
    NewsDefinition d = DefaultDefinition(0);
    SetFieldText(d.Title, SJ("最初のサイト"));
    SetFieldText(d.Url, server.Url("/first.rdf"));
    d.Rss = 1;
    d.Encoding = 3;  // UTF-8
    d.Patrol = 1;
    d.ShowInMenu = 1;
    list.Append(d);
    NewsList() = list;
    ASSERT_TRUE(NewsList().SaveDefinitions(platform::JoinPath(folder.path(), kDefinitionsFile)));
    definitionEditor() = DefinitionEditorState{};

    check = test::InstallFastPageCheck();
    interaction = std::make_unique<BarInteraction>();
  }
  void TearDown() override {
    if (!screen->Ok()) return;
    BarWindowTest::TearDown();
    interaction.reset();
    SetPageCheck(nullptr);
    check.reset();
  }

  static std::vector<std::string> Headlines(TNewsMonitor* bar) { return test::StripHeadlines(bar); }
  // Right-clicks the bar and waits for its menu on the screen.
  QMenu* OpenMenu(TNewsMonitor* bar) {
    QTest::mouseClick(bar->LightStr1, Qt::RightButton, {}, QPoint(40, bar->LightStr1->height() / 2));
    QMenu* menu = nullptr;
    PumpUntil([&] {
      menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      return menu && menu->isVisible();
    });
    return menu;
  }

  test::HttpTestServer server;
  std::unique_ptr<THttpCheck> check;
  std::unique_ptr<BarInteraction> interaction;
  static inline std::unique_ptr<test::DisplayApplication<QApplication>> screen;
};

TEST_F(EditorFromMenu, ASiteAddedInTheEditorIsPatrolledAndScrollsOnTheBar) {
  TNewsMonitor* bar = CreateNewsMonitor(0);
  bar->show();
  ASSERT_TRUE(PumpUntil([&] { return Headlines(bar) == std::vector<std::string>{" 最初のサイトの見出しです "}; }, 10000))
      << "the first site's headline did not arrive";

  // The editor runs modally: it is filled in from the event loop it runs.
  bool filled = false;
  QTimer filler;
  QObject::connect(&filler, &QTimer::timeout, [&] {
    auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!editor || filled || !editor->isVisible()) return;
    filled = true;
    EXPECT_EQ(editor->windowTitle(), QStringLiteral(u"取得ニュースのカスタマイズ"));
    editor->findChild<QPushButton*>("New")->click();
    auto* url = editor->findChild<QLineEdit*>("Url");
    url->setFocus();
    QTest::keyClicks(url, QString::fromStdString(server.Url("/added.rdf")));
    QTest::keyClick(url, Qt::Key_Return);
    // Japanese comes from the input method.
    auto* title = editor->findChild<QLineEdit*>("Title");
    title->setFocus();
    title->selectAll();
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral(u"追加したサイト"));
    QApplication::sendEvent(title, &commit);
    QTest::keyClick(title, Qt::Key_Return);
    editor->findChild<QCheckBox*>("Rss")->click();
    editor->findChild<QCheckBox*>("Utf8")->click();
    EXPECT_TRUE(editor->findChild<QCheckBox*>("Patrol")->isChecked());
    editor->findChild<QPushButton*>("Ok")->click();
  });
  filler.start(50);

  QMenu* menu = OpenMenu(bar);
  ASSERT_NE(menu, nullptr) << "no menu after the right click";
  QAction* customise = FindAction(menu, QStringLiteral(u"取得ニュースのカスタマイズ"));
  ASSERT_NE(customise, nullptr);
  ASSERT_TRUE(customise->isEnabled());
  customise->trigger();
  menu->close();
  ASSERT_TRUE(PumpUntil([&] { return filled && !definitionEditor().EditorOpen; }, 10000)) << "the editor did not run";
  filler.stop();

  // Kept and saved.
  ASSERT_EQ(NewsList().Count, 2);
  TIPlist5 saved;
  ASSERT_TRUE(saved.LoadDefinitions(platform::JoinPath(folder.path(), kDefinitionsFile)));
  ASSERT_EQ(saved.Count, 2);
  EXPECT_EQ(FieldText(saved[1].Url), server.Url("/added.rdf"));
  EXPECT_EQ(saved[1].Patrol, 1);

  // It takes part in the patrol: a refresh of every patrolled site fetches it.
  EXPECT_TRUE(check->Patrol().IsPatrollable(1));
  menu = OpenMenu(bar);
  ASSERT_NE(menu, nullptr);
  QAction* refreshAll = FindAction(menu, QStringLiteral(u"巡回ニュースを全て更新"));
  ASSERT_NE(refreshAll, nullptr);
  refreshAll->trigger();
  menu->close();
  ASSERT_TRUE(PumpUntil([&] { return platform::FileExists(NewsList().CachePath(1)); }, 15000))
      << "the added site was not patrolled";

  // The menu's patrolled sites now list it; choosing it brings its headlines.
  menu = OpenMenu(bar);
  ASSERT_NE(menu, nullptr);
  QAction* patrolled = FindAction(menu, QStringLiteral(u"巡回 ニュース"));
  ASSERT_TRUE(patrolled && patrolled->menu());
  QAction* added = nullptr;
  for (QAction* action : patrolled->menu()->actions())
    if (action->text().endsWith(QStringLiteral(u"追加したサイト"))) added = action;
  ASSERT_NE(added, nullptr) << "the added site is not in the menu";
  added->trigger();
  menu->close();
  ASSERT_TRUE(PumpUntil([&] {
    return Headlines(bar) == std::vector<std::string>{" 追加したサイトの一つ目です ", " 追加したサイトの二つ目です "};
  }, 10000)) << "the added site's headlines did not reach the bar";
  EXPECT_EQ(bar->DefinitionIndex(), 1);
  EXPECT_EQ(bar->Links()[1], server.Url("/added") + "/0");
  EXPECT_TRUE(bar->LightStr1->ShowActive());
}

}  // namespace
}  // namespace lumetra
