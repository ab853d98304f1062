#pragma once
// The bar's popup menu on screen and what its items do. The menu is built
// from BuildBarMenu each time it opens; a chosen item runs after the menu has
// closed. BarInteraction plugs the menu into every bar, and the bars into the
// definition editor and the imports.
#include <QPoint>
#include <functional>

#include "interaction/bar_menu.h"

class QMenu;

namespace lumetra {

class TNewsMonitor;

// Entry points of subsystems beyond the bars and the definition dialogs.
// Each stays empty until its subsystem exists; its items are disabled then.
struct BarMenuServices {
  std::function<bool()> optionsAvailable;       // the options dialog (message 1238)
  std::function<bool()> colourEditorAvailable;  // the colour-set editor (message 1237)
  std::function<void(int bar)> definitionUpdate;  // the definition-set update
  std::function<void(int bar)> boardListUpdate;   // the board-list rebuild
  std::function<void(int bar)> opacity;           // the opacity dialog
  std::function<void(int bar)> articleList;       // the article list, run modally
  std::function<void(int bar)> foundList;         // the found-URL list
  std::function<void(int bar)> keywordList;       // the watched keywords
  std::function<void(int bar, int item)> readAloud;  // "読み上げ" items 0 ... 4
};

// While it lives, every bar (those open and those created later) has its
// popup menu, and the definition editor and the imports reach the bars.
class BarInteraction {
 public:
  explicit BarInteraction(BarMenuServices services = {});
  ~BarInteraction();
  BarInteraction(const BarInteraction&) = delete;
  BarInteraction& operator=(const BarInteraction&) = delete;

 private:
  bool editorCallsInstalled_ = false;
};

// The menu of `bar` as it would open now.
BarMenuItem BarMenuFor(TNewsMonitor& bar);
// Opens the bar's menu at the screen point; it deletes itself when closed.
QMenu* ShowBarMenu(TNewsMonitor& bar, QPoint global);
// Runs an item for the bar at once. `chosenAt`: the pointer when it was chosen.
void RunBarCommand(TNewsMonitor& bar, const BarMenuItem& item, QPoint chosenAt, bool shiftHeld = false);

}  // namespace lumetra
