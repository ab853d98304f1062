#pragma once
// RowSplit: how the up to three rows of a headline are laid out for the bar
// before it is emitted, and whether it is long enough to be a headline at all.
#include <cstddef>
#include <string>
#include <string_view>

#include "retrieval/headline_store.h"

namespace lumetra {

struct RowSplitOptions {
  bool endTagIsLink = true;   // the definition's end tag is "</a>"
  bool endTagIsRow = false;   // ... is "</tr>"
  int lineMode = 1;           // the bar's: 0 two lines, 1 one line, 2 three lines
  int skinLayout = 0;         // the colour set's: 0 tile, 1 stretch, 2 fix, 3 region, 4 transparent
  bool announcement = false;  // the maker's announcement file (minimum length always 10)
  bool acceptShort = false;   // the bar's AcceptShort
  int characterMode = 0;      // above 3: full-width display
};

// Joins, moves and splits the rows. False when the headline is too short
// (and AcceptShort is off): the caller does not emit it.
bool RowSplit(HeadlineRows& rows, const RowSplitOptions& options);

// The minimum length of row 1: 10 bytes, 4 with an end tag other than "</a>"
// (always 10 for the announcement file).
size_t MinimumRowLength(const RowSplitOptions& options);

// Where to break `text` near byte `near`: within six characters on either
// side, the place after a closing mark or blank, then before an opening
// mark, then at "～", then at a change of character class, the nearest of
// the best kind. Never inside a double-byte character; 0 or text.size()
// only when the text is too short to break.
size_t SplitPosition(std::string_view text, size_t near);

}  // namespace lumetra
