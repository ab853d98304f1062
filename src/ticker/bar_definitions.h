#pragma once
// Which definition a bar shows when it is created: the weather patrol
// tidying, the choice for a new extra bar, the checks of the stored index
// and name, and the first patrolled definition available to the bar. Plain
// code over the definition list and what the other bars show.
#include <array>

#include "app/bar_table.h"
#include "definitions/news_definition.h"

namespace lumetra {

// The bars as the choice sees them: which exist (shown and not closed) and
// the definition each shows.
struct BarsView {
  std::array<bool, kBarCount> exists{};
  std::array<int, kBarCount> shows{};
};

// Every patrolled weather definition is shown by an existing bar 1-5, or it
// hands its patrol flag to the unpatrolled weather definition of the first
// existing bar 1-5 that no patrolled weather definition has claimed.
void TidyWeatherPatrol(TIPlist5& list, const BarsView& bars);

// A new extra bar (slot -1): the first definition named with "東京", else the
// first weather definition, else the first named with "Yahoo", "ギガジン" or
// "Google", else definition 1.
int ChooseDefinitionForNewBar(TIPlist5& list);

// Whether bar 0 may show the definition: category 32, or no existing bar 1-5
// shows it. Bars 1-5 may show anything.
bool AvailableToBar(TIPlist5& list, int bar, int index, const BarsView& bars);

// The definition a bar starts on (creation step 4): CurrentIndex kept at 1
// or more, the stored name followed when the indexes shifted, then index 0
// advanced to the first patrolled definition available to the bar and past
// definitions without an address. Bar 0 returns its index (and moves
// CurrentIndex along when the name was found elsewhere); bars 1-5 store
// theirs in the slot.
int StartingDefinition(TIPlist5& list, int bar, BarSlot& slot, const BarsView& bars);

// NewsChange for bar 0: from `from` forward (direction 1) or backward (0)
// to the next patrolled definition available to bar 0, wrapping round once;
// the list's CurrentIndex when none is found.
int NextNewsIndex(TIPlist5& list, int from, int direction, const BarsView& bars);

// Before the first patrol: every patrolled definition without a server date
// and every sponsored definition is fetched afresh.
void ForgetFetchDates(TIPlist5& list);

}  // namespace lumetra
