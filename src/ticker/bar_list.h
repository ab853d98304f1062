#pragma once
// The six bar windows of the run: the process-wide slots that hold them, the
// current bar number a creator sets, creation and closing in order, the
// hide-all slide over every bar, and the main window's view of the bars.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/subsystem_ports.h"
#include "ticker/bar_definitions.h"

namespace lumetra {

class TNewsMonitor;
class THttpCheck;

// The bar number a window being created takes.
int CurrentBarNumber();
void SetCurrentBarNumber(int number);

// The bar window of that number, or nullptr (also while it closes).
TNewsMonitor* NewsMonitorOf(int number);
// A bar that has been shown and not closed.
bool BarWindowExists(int number);
// Which bars exist and what each shows.
BarsView CurrentBarsView();

// Makes `number` the current bar and creates its window (nothing when it
// exists already); returns the window.
TNewsMonitor* CreateNewsMonitor(int number);
// Called with every bar window just created (the pointer and menu layer
// plugs in here); returns the previous handler.
std::function<void(TNewsMonitor&)> SetBarCreatedHandler(std::function<void(TNewsMonitor&)> handler);
// Closes bars 0 ... 5 in order, each saving its settings (shutdown).
void CloseAllBars();

// Every visible bar that is not auto-hidden slides off the screen, or back.
void ToggleBarsOffScreen();
bool BarsSlidOff();
bool SlideRunning();
// Tests pick the directions the slide would draw at random.
void SetSlideChooser(std::function<std::pair<int, int>()> chooser);

// Files dropped on bar `bar` go to the handler the main window installs
// (the definition and colour-set imports).
void SetDroppedFilesHandler(std::function<void(int bar, const std::vector<std::string>& paths)> handler);
void DropFiles(int bar, const std::vector<std::string>& paths);

// The page-check window, which the main window makes before the first bar
// and which patrols for the bars (nullptr: none, the bars only show).
void SetPageCheck(THttpCheck* check);
THttpCheck* PageCheck();

// The bars as the main window's tray and hub see them.
std::unique_ptr<NewsPort> MakeBarsNewsPort();

// Called by a bar when it is created and when it closes.
void RegisterNewsMonitor(int number, TNewsMonitor* window);

}  // namespace lumetra
