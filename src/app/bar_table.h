#pragma once
// The six-slot table of per-bar display settings (bar 0 is the main bar).
// Each bar reads and writes only its own slot; the settings store keeps bar
// 0's copy with the general options, the bars keep bars 1-5 in their own keys.
#include <array>
#include <string>

namespace lumetra {

constexpr int kBarCount = 6;

struct BarSlot {
  int LineMode = 1;          // "HeadLineNewsLineMode_": 0 two lines, 1 one line, 2 three lines
  int PatrolInterval = 120;  // "HeadLineNewsInterval", minutes
  int Speed = 1100;          // "NewsShowIntervalN2"
  std::string FontName;          // "NewsMonitorFontNames"
  std::string VerticalFontName;  // "NewsMonitorFontNames2"
  int ZOrder = 0;            // "NewsMonitorZoder_2": 0 front once, 1 topmost, 2 bottom, 3 normal, 4 back once
  int HorzDockSize = 21;     // "NewsMonitorHorzDockSize"
  int VertDockSize = 21;     // "NewsMonitorVertDockSize"
  int CoarseScroll = 0;      // "NewsMonitorSmooth_"
  int Placement = 3;         // "NewsMonitorTaskBarMode": 0 auto, 1 free, 2 top, 3 bottom, 4 left, 5 right
  bool AutoHide = false;     // "NewsMonitorAutoHide"
  int Alpha = 255;           // "NewsAlpha_"
  bool Hidden = false;       // "NewsMonitorHide"
  bool Outline = false;      // "NewsMonitorOutline"
  bool RightFit = true;      // "NewsRightFit" (bars 1-5)
  bool BottomFit = true;     // not stored
  int ColourSet = 14;        // index into the colour-set list
  std::string ColourSetName;
  int Definition = 0;        // index of the definition shown (-1: choose at creation)
  std::string DefinitionName;
  bool AutoWidthPending = true;
  bool AutoHeightPending = true;
};

using BarTable = std::array<BarSlot, kBarCount>;

// The initial values of all six slots.
BarTable DefaultBarTable();
BarTable& bars();

}  // namespace lumetra
