#include "ticker/bar_settings.h"

#include <cstdio>
#include <cstdlib>

#include "app/settings.h"
#include "platform/registry.h"

namespace lumetra {

using platform::Registry;
using platform::RegistryError;

namespace {

// A value of the wrong type counts as missing: the slot keeps what it had.
template <typename Read>
auto ReadValue(const Registry& reg, const char* name, Read read) -> std::optional<decltype(read())> {
  if (!reg.ValueExists(name)) return std::nullopt;
  try {
    return read();
  } catch (const RegistryError& e) {
    std::fprintf(stderr, "lumetra: bar setting %s ignored: %s\n", name, e.what());
    return std::nullopt;
  }
}

std::optional<int> ReadInt(const Registry& reg, const char* name) {
  return ReadValue(reg, name, [&] { return reg.ReadInteger(name); });
}

std::optional<std::string> ReadText(const Registry& reg, const char* name) {
  return ReadValue(reg, name, [&] { return reg.ReadString(name); });
}

template <typename T>
bool Take(const std::optional<int>& value, T& into) {
  if (!value) return false;
  into = static_cast<T>(*value);
  return true;
}

bool TakeBool(const std::optional<int>& value, bool& into) {
  if (!value) return false;
  into = *value != 0;
  return true;
}

// The display values of bars 1-5 and the defaults of those whose absence is
// filled rather than kept.
void ReadDisplayValues(const Registry& reg, BarSlot& s, const AppState& st) {
  Take(ReadInt(reg, "HeadLineNewsLineMode_"), s.LineMode);
  Take(ReadInt(reg, "HeadLineNewsInterval"), s.PatrolInterval);
  if (!Take(ReadInt(reg, "NewsShowIntervalN2"), s.Speed)) s.Speed = DefaultSpeedFor(st);
  if (auto v = ReadText(reg, "NewsMonitorFontNames")) s.FontName = *v;
  if (auto v = ReadText(reg, "NewsMonitorFontNames2")) s.VerticalFontName = *v;
  Take(ReadInt(reg, "NewsMonitorZoder_2"), s.ZOrder);
  Take(ReadInt(reg, "NewsMonitorHorzDockSize"), s.HorzDockSize);
  Take(ReadInt(reg, "NewsMonitorVertDockSize"), s.VertDockSize);
  Take(ReadInt(reg, "NewsMonitorSmooth_"), s.CoarseScroll);
  Take(ReadInt(reg, "NewsMonitorTaskBarMode"), s.Placement);
  TakeBool(ReadInt(reg, "NewsMonitorAutoHide"), s.AutoHide);
  if (!Take(ReadInt(reg, "NewsAlpha_"), s.Alpha)) s.Alpha = DefaultAlphaFor(st);
  TakeBool(ReadInt(reg, "NewsMonitorHide"), s.Hidden);
  if (!TakeBool(ReadInt(reg, "NewsMonitorOutline"), s.Outline)) s.Outline = DefaultOutlineFor(st);
  if (!TakeBool(ReadInt(reg, "NewsRightFit"), s.RightFit)) s.RightFit = true;
}

void ReadPosition(const Registry& reg, BarSlot& s, const BarWindowFacts& f, BarLoadResult& result) {
  if (f.fixedSkin) {
    if (!Take(ReadInt(reg, "Left3"), s.FloatLeft)) Take(ReadInt(reg, "Left2"), s.FloatLeft);
    if (!Take(ReadInt(reg, "Top3"), s.FloatTop)) Take(ReadInt(reg, "Top2"), s.FloatTop);
    if (auto right = ReadInt(reg, "Right")) {
      s.AnchorRight = *right;
      s.AutoWidthPending = false;
    } else {
      s.AnchorRight = f.left + f.width;
    }
    if (auto bottom = ReadInt(reg, "Bottom")) {
      s.AnchorBottom = *bottom;
      s.AutoHeightPending = false;
    } else {
      s.AnchorBottom = f.top + f.height;
    }
    return;
  }
  Take(ReadInt(reg, "Left2"), s.FloatLeft);
  Take(ReadInt(reg, "Top2"), s.FloatTop);
  if (!f.glassFrame) {
    if (Take(ReadInt(reg, "Width"), s.FloatRight)) s.AutoWidthPending = false;
    if (s.FloatRight < s.FloatLeft) s.FloatRight = s.FloatLeft + f.clientWidth;
    if (Take(ReadInt(reg, "Height"), s.FloatBottom)) s.AutoHeightPending = false;
    if (s.FloatBottom < s.FloatTop) s.FloatBottom = s.FloatTop + f.height;
    result.clientHeight = std::abs(s.FloatBottom - s.FloatTop);
    return;
  }
  int clientWidth = f.clientWidth, clientHeight = f.clientHeight;
  if (Take(ReadInt(reg, "Width_2"), clientWidth)) s.AutoWidthPending = false;
  if (Take(ReadInt(reg, "Height_2"), clientHeight)) s.AutoHeightPending = false;
  s.FloatRight = s.FloatLeft + clientWidth + f.borderWidth;
  s.FloatBottom = s.FloatTop + clientHeight + f.borderHeight;
  result.clientWidth = clientWidth;
  result.clientHeight = clientHeight;
}

void WritePosition(Registry& reg, const BarSlot& s, const BarWindowFacts& f) {
  const int left = f.sliding ? f.slideLeft : s.FloatLeft;
  const int top = f.sliding ? f.slideTop : s.FloatTop;
  if (f.fixedSkin) {
    reg.WriteInteger("Left3", left);
    reg.WriteInteger("Top3", top);
    reg.WriteInteger("Right", s.FloatRight);
    reg.WriteInteger("Bottom", s.FloatBottom);
    return;
  }
  reg.WriteInteger("Left2", left);
  reg.WriteInteger("Top2", top);
  if (!f.glassFrame) {
    reg.WriteInteger("Width", s.FloatRight);
    reg.WriteInteger("Height", s.FloatBottom);
    return;
  }
  int width, height;
  if (!f.glassMode || f.weeklyTable) {
    width = s.FloatRight - s.FloatLeft - 2 * f.borderWidth - 1;
    height = s.FloatBottom - s.FloatTop - 2 * f.borderHeight - 1;
  } else if (f.edge == 1 || f.edge == 3) {  // top, bottom
    width = f.clientWidth;
    height = s.HorzDockSize - f.borderHeight;
  } else if (f.edge == 0 || f.edge == 2) {  // left, right
    width = s.VertDockSize - f.borderWidth;
    height = f.clientHeight;
  } else {
    width = f.clientWidth;
    height = f.clientHeight;
  }
  reg.WriteInteger("Width_2", width);
  reg.WriteInteger("Height_2", height);
}

}  // namespace

std::string BarSettingsKey(int bar) {
  std::string key = std::string(kProductKey) + "\\NewsMonitor";
  if (bar > 0) key += "-" + std::to_string(bar);
  return key;
}

int DefaultSpeedFor(const AppState& st) { return st.IsVistaOrLater && st.GlassEnabled ? 964 : 1100; }
int DefaultAlphaFor(const AppState& st) { return st.IsVistaOrLater && st.GlassEnabled ? 10 : 255; }
bool DefaultOutlineFor(const AppState& st) { return st.ColourCount <= 256; }

BarLoadResult LoadBarSettings(int bar, BarSlot& slot, const BarWindowFacts& facts, const AppState& state) {
  BarLoadResult result;
  Registry reg;
  if (!reg.OpenKey(BarSettingsKey(bar), false)) {
    slot.FloatLeft = facts.left;
    slot.FloatTop = facts.top;
    slot.FloatRight = facts.left + facts.width;
    slot.FloatBottom = facts.top + facts.height;
    if (bar > 0) {
      // The values whose absence is filled, as if read from an empty key.
      slot.Speed = DefaultSpeedFor(state);
      slot.Alpha = DefaultAlphaFor(state);
      slot.Outline = DefaultOutlineFor(state);
      slot.RightFit = true;
    }
    reg.CloseKey();
    SaveBarSettings(bar, slot, facts, false);
    result.keyCreated = true;
    return result;
  }
  if (bar == 0) {
    Take(ReadInt(reg, "CLeft"), slot.CLeft);
    Take(ReadInt(reg, "CTop"), slot.CTop);
    Take(ReadInt(reg, "CPos"), slot.CPos);
  } else {
    ReadDisplayValues(reg, slot, state);
  }
  ReadPosition(reg, slot, facts, result);
  return result;
}

void SaveBarSettings(int bar, const BarSlot& s, const BarWindowFacts& facts, bool autoMove) {
  Registry reg;
  if (!reg.OpenKey(BarSettingsKey(bar), true)) return;
  WritePosition(reg, s, facts);
  if (bar == 0) {
    reg.WriteInteger("CLeft", s.CLeft);
    reg.WriteInteger("CTop", s.CTop);
    reg.WriteInteger("CPos", s.CPos);
    return;
  }
  reg.WriteInteger("HeadLineNewsInterval", s.PatrolInterval);
  reg.WriteInteger("HeadLineNewsLineMode_", s.LineMode);
  reg.WriteInteger("NewsShowIntervalN2", s.Speed);
  reg.WriteString("NewsMonitorFontNames", s.FontName);
  reg.WriteString("NewsMonitorFontNames2", s.VerticalFontName);
  reg.WriteInteger("NewsMonitorTaskBarMode", s.Placement);
  reg.WriteBool("NewsMonitorAutoMove", autoMove);
  reg.WriteBool("NewsMonitorAutoHide", s.AutoHide);
  reg.WriteBool("NewsMonitorHide", s.Hidden);
  reg.WriteInteger("NewsMonitorZoder_2", s.ZOrder);
  reg.WriteInteger("NewsMonitorHorzDockSize", s.HorzDockSize);
  reg.WriteInteger("NewsMonitorVertDockSize", s.VertDockSize);
  reg.WriteInteger("NewsMonitorSmooth_", s.CoarseScroll);
  reg.WriteBool("NewsMonitorOutline", s.Outline);
  reg.WriteBool("NewsRightFit", s.RightFit);
  reg.WriteInteger("NewsAlpha_", s.Alpha);
}

}  // namespace lumetra
