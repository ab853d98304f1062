// The editor and the export window on a real (virtual) X display with the
// default definitions: they fit the screen, and no control covers another or
// cuts its caption. Set LUMETRA_SCREENSHOT_DIR to keep pictures of them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QWindow>
#include <cstdlib>

#include "definitions/default_set.h"
#include "dialogs/editor_fixture.h"
#include "dialogs/news_edit_form_ui.h"
#include "dialogs/news_export_form_ui.h"
#include "support/display_application.h"

namespace lumetra {
namespace {

class OnDisplay : public test::EditorTest {
 protected:
  static void SetUpTestSuite() {
    screen = std::make_unique<test::DisplayApplication<QApplication>>();
  }
  static void TearDownTestSuite() { screen.reset(); }
  void SetUp() override {
    if (!screen->Ok()) GTEST_SKIP() << screen->Problem();
    EditorTest::SetUp();
    ASSERT_TRUE(InstallDefaultDefinitions(NewsList(), LUMETRA_SOURCE_DIR, DefinitionsFile()));
    ASSERT_GT(NewsList().Count, 5);
  }

  static void ShowAndWait(QWidget& window) {
    window.show();
    QElapsedTimer t;
    t.start();
    while ((!window.isVisible() || !window.windowHandle() || !window.windowHandle()->isExposed()) &&
           t.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    while (t.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }

  static void Check(QWidget& window, const char* picture) {
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.frameGeometry())) << picture;
    std::vector<QWidget*> controls;
    for (QWidget* w : window.findChildren<QWidget*>()) {
      const bool control = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                           qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                           qobject_cast<QTreeWidget*>(w);
      if (!control || !w->isVisible() || w->parentWidget() != &window) continue;
      controls.push_back(w);
      EXPECT_TRUE(window.rect().contains(w->geometry())) << w->objectName().toStdString();
      // A push button's hint has a style minimum; its caption is what must fit.
      if (auto* button = qobject_cast<QPushButton*>(w)) {
        const QString caption = QString(button->text()).remove('&');
        EXPECT_GE(w->width(), w->fontMetrics().horizontalAdvance(caption) + 8) << caption.toStdString();
      } else if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
        EXPECT_GE(w->width(), w->sizeHint().width())
            << "caption cut: " << (qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                            : qobject_cast<QAbstractButton*>(w)->text())
                                      .toStdString();
      }
    }
    for (size_t i = 0; i < controls.size(); ++i)
      for (size_t j = i + 1; j < controls.size(); ++j)
        EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
            << controls[i]->objectName().toStdString() << " / " << controls[j]->objectName().toStdString();
    if (const char* folder = std::getenv("LUMETRA_SCREENSHOT_DIR")) {
      const QPixmap shot = window.screen()->grabWindow(0, window.frameGeometry().x(), window.frameGeometry().y(),
                                                       window.frameGeometry().width(), window.frameGeometry().height());
      EXPECT_TRUE(shot.save(QString::fromUtf8(folder) + "/" + picture));
    }
  }

  static inline std::unique_ptr<test::DisplayApplication<QApplication>> screen;
};

TEST_F(OnDisplay, TheEditorFitsAndShowsEveryControlWhole) {
  existing = {0};
  NewsList().CurrentIndex = 1;
  TNewsEditForm form(0);
  ShowAndWait(form);
  Check(form, "definition-editor.png");
  form.reject();
}

TEST_F(OnDisplay, AnEditorOnAPlugInDefinitionShowsFurtherAnalysis) {
  NewsList().Item(2).PluginDefinition = 1;
  existing = {0};
  NewsList().CurrentIndex = 2;
  TNewsEditForm form(0);
  ShowAndWait(form);
  Check(form, "definition-editor-plugin.png");
  form.reject();
}

TEST_F(OnDisplay, TheExportWindowFits) {
  TNewsExportForm window(0);
  ShowAndWait(window);
  Check(window, "definition-export.png");
}

}  // namespace
}  // namespace lumetra
