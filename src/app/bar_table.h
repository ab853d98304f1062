#pragma once
// The six-slot table of per-bar display settings (bar 0 is the main bar).
// Each bar reads and writes only its own slot; the settings store keeps bar
// 0's copy with the general options, the bars keep bars 1-5 in their own keys.
#include <array>
#include <string>

namespace lumetra {

constexpr int kBarCount = 6;
constexpr int kUnknownAnchor = -32768;

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

  // The floating rectangle (screen coordinates, right and bottom exclusive
  // as the window's left + width), kept while the bar is docked; stored as
  // "Left2"/"Top2"/"Width"/"Height" or, with a fixed-size skin,
  // "Left3"/"Top3"/"Right"/"Bottom". The defaults are the bar's first bounds.
  int FloatLeft = 120;
  int FloatTop = 120;
  int FloatRight = 760;
  int FloatBottom = 141;
  // The anchor (right, bottom) a bar whose size follows its content keeps
  // when RightFit / BottomFit are set; kUnknownAnchor until known.
  int AnchorRight = kUnknownAnchor;
  int AnchorBottom = kUnknownAnchor;

  // Bar 0 only: the speaking character's position and stacking
  // ("CLeft", "CTop", "CPos": 0 normal, 1 in front, 2 behind, 4 hidden).
  int CLeft = 0;
  int CTop = 0;
  int CPos = 0;
};

using BarTable = std::array<BarSlot, kBarCount>;

// The initial values of all six slots.
BarTable DefaultBarTable();
BarTable& bars();

}  // namespace lumetra
