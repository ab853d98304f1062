#pragma once
// Driving the editor's widgets offscreen as a user would.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

namespace lumetra::test {

inline void EnsureApplication() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

inline void Pump(int ms = 20) {
  QElapsedTimer t;
  t.start();
  do QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  while (t.elapsed() < ms);
}

template <typename T>
T* Child(QWidget* form, const char* name) {
  T* w = form->findChild<T*>(name);
  if (!w) ADD_FAILURE() << "no control " << name;
  return w;
}

// Replaces the field's text by typing (Japanese comes from the input
// method, as it would) and confirms it with Enter.
inline void Type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
  if (text.isEmpty()) {
    QTest::keyClick(edit, Qt::Key_Delete);
  } else if (ascii) {
    QTest::keyClicks(edit, text);
  } else {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(edit, &commit);
  }
  QTest::keyClick(edit, Qt::Key_Return);
}

inline void SelectRows(QTreeWidget* list, const std::vector<int>& rows) {
  list->clearSelection();
  for (int row : rows) list->topLevelItem(row)->setSelected(true);
}

}  // namespace lumetra::test
