#pragma once
// A bar's own registry key: bars 1-5 keep their display values and floating
// position under "NewsMonitor-N", bar 0 keeps only its floating position and
// the speaking character's place under "NewsMonitor" (its display values
// travel with the general options). Plain code: the window hands in what it
// knows of itself and takes back what loading decided.
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/bar_table.h"

namespace lumetra {

// What loading and saving need to know about the bar window.
struct BarWindowFacts {
  bool fixedSkin = false;    // the colour set's skin is fixed-size (fix, region, transparent)
  bool glassFrame = false;   // the system draws glass frames
  bool glassMode = false;    // the bar itself is in glass mode
  bool weeklyTable = false;  // the bar shows the weekly weather table
  int edge = 5;              // BarEdge
  int left = 0, top = 0, width = 0, height = 0;  // the window's bounds now
  int clientWidth = 0, clientHeight = 0;
  int borderWidth = 0, borderHeight = 0;
  // The hide-all slide has moved the bar: its place is the one it had before.
  bool sliding = false;
  int slideLeft = 0, slideTop = 0;
};

struct BarLoadResult {
  bool keyCreated = false;  // the first-run path: the key did not exist
  // The client size loading asks for (floating, without glass: the stored
  // height; with glass: the stored client size).
  std::optional<int> clientWidth, clientHeight;
};

// "\SOFTWARE\TARVO\Lumetra\NewsMonitor" for bar 0, "...\NewsMonitor-N" otherwise.
std::string BarSettingsKey(int bar);

// Values a bar's key lacks are filled with these (bars 1-5).
int DefaultSpeedFor(const AppState& state);
int DefaultAlphaFor(const AppState& state);
bool DefaultOutlineFor(const AppState& state);

// Reads the bar's key into its slot. A key that does not exist (or cannot be
// opened) is created from the defaults and the bar's present bounds.
BarLoadResult LoadBarSettings(int bar, BarSlot& slot, const BarWindowFacts& facts, const AppState& state);
// Writes the slot's values and the floating position into the bar's key.
// `autoMove` is the one "NewsMonitorAutoMove" flag all bars write.
void SaveBarSettings(int bar, const BarSlot& slot, const BarWindowFacts& facts, bool autoMove);

}  // namespace lumetra
