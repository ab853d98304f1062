#include "ticker/bar_definitions.h"

#include <algorithm>
#include <string>

#include "platform/sjis_text.h"

namespace lumetra {
namespace {

bool IsWeather(const NewsDefinition& d) { return d.Category == kCategoryWeather; }

// Titles are compared as text, so a Shift_JIS byte pair never matches halfway
// through a character.
bool TitleContains(const NewsDefinition& d, const char* utf8) {
  return platform::SjisToUtf8(FieldText(d.Title)).find(utf8) != std::string::npos;
}

bool UrlEmpty(const NewsDefinition& d) {
  const std::string url = FieldText(d.Url);
  return url.find_first_not_of(' ') == std::string::npos;
}

}  // namespace

void TidyWeatherPatrol(TIPlist5& list, const BarsView& bars) {
  std::array<bool, kBarCount> matched{};
  auto validWeather = [&list](int index) { return index >= 0 && index < list.Count && IsWeather(list[index]); };
  for (int i = 0; i < list.Count; ++i) {
    NewsDefinition& d = list[i];
    if (!d.Patrol || !IsWeather(d)) continue;
    int shownBy = -1;
    for (int b = 1; b < kBarCount; ++b)
      if (bars.exists[b] && bars.shows[b] == i) {
        shownBy = b;
        break;
      }
    if (shownBy > 0) {
      matched[shownBy] = true;
      continue;
    }
    // A bar whose weather definition is patrolled already gains nothing from
    // the flag; handing it there would only lose a patrolled definition.
    for (int b = 1; b < kBarCount; ++b) {
      if (!bars.exists[b] || matched[b] || !validWeather(bars.shows[b]) || list[bars.shows[b]].Patrol) continue;
      d.Patrol = 0;
      list[bars.shows[b]].Patrol = 1;
      break;
    }
  }
}

int ChooseDefinitionForNewBar(TIPlist5& list) {
  for (int i = 0; i < list.Count; ++i)
    if (TitleContains(list[i], "東京")) return i;
  for (int i = 0; i < list.Count; ++i)
    if (IsWeather(list[i])) return i;
  for (int i = 0; i < list.Count; ++i)
    if (TitleContains(list[i], "Yahoo") || TitleContains(list[i], "ギガジン") || TitleContains(list[i], "Google"))
      return i;
  return 1;
}

bool AvailableToBar(TIPlist5& list, int bar, int index, const BarsView& bars) {
  if (bar != 0) return true;
  if (index >= 0 && index < list.Count && list[index].Category == kCategorySearch) return true;
  for (int b = 1; b < kBarCount; ++b)
    if (bars.exists[b] && bars.shows[b] == index) return false;
  return true;
}

int StartingDefinition(TIPlist5& list, int bar, BarSlot& slot, const BarsView& bars) {
  if (list.CurrentIndex < 2 || list.CurrentIndex >= list.Count) list.CurrentIndex = 1;
  int index = bar == 0 ? list.CurrentIndex : slot.Definition;
  if (!slot.DefinitionName.empty() && index >= 0 && index < list.Count &&
      slot.DefinitionName != FieldText(list[index].Title)) {
    for (int i = 0; i < list.Count; ++i)
      if (FieldText(list[i].Title) == slot.DefinitionName) {
        index = i;
        slot.Definition = i;
        if (bar == 0) list.CurrentIndex = i;
        break;
      }
  }
  if (bar == 0) {
    if (index < 0 || index >= list.Count) index = 0;
  } else {
    if (slot.Definition < 2 || slot.Definition >= list.Count) slot.Definition = 1;
    index = slot.Definition;
  }

  if (index == 0 && list.Count > 0) {
    int found = -1;
    for (int i = 1; i < list.Count && found < 0; ++i)
      if (list[i].Patrol && AvailableToBar(list, bar, i, bars)) found = i;
    if (found < 0) {
      found = bar == 0 ? list.CurrentIndex : slot.Definition;
      if (found < 0 || found >= list.Count) found = 0;
    }
    index = found;
  }
  for (int tried = 0; tried < list.Count && index < list.Count && UrlEmpty(list[index]); ++tried)
    index = (index + 1) % list.Count;
  if (bar != 0)
    slot.Definition = index;
  else if (index > 0)
    list.CurrentIndex = index;  // bar 0 shows the list's current definition
  return index;
}

int NextNewsIndex(TIPlist5& list, int from, int direction, const BarsView& bars) {
  const int count = list.Count;
  auto fits = [&](int i) { return list[i].Patrol && AvailableToBar(list, 0, i, bars); };
  if (direction == 1) {
    for (int i = from + 1; i < count; ++i)
      if (fits(i)) return i;
    for (int i = 0; i < count; ++i)
      if (fits(i)) return i;
  } else {
    for (int i = std::min(from, count) - 1; i >= 0; --i)
      if (fits(i)) return i;
    for (int i = count - 1; i >= 0; --i)
      if (fits(i)) return i;
  }
  return list.CurrentIndex;
}

void ForgetFetchDates(TIPlist5& list) {
  for (int i = 0; i < list.Count; ++i) {
    NewsDefinition& d = list[i];
    if ((d.Patrol && d.ServerDated == 0) || d.Sponsor != 0) d.LastModified = 0;
  }
}

}  // namespace lumetra
