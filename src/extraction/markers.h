#pragma once
// MatchMarker: the start and end markers that delimit the headline area.
//
// A marker may begin with "once " and a text up to " or " (or the end): that
// once-part is searched only until first found in a run. Whatever follows
// (or a marker without "once ") lists alternatives separated by " or "; the
// first alternative found wins. Markers are compared in lower case.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lumetra {

class PageLine;

struct Marker {
  std::string once;                      // lower case; empty: none
  std::vector<std::string> alternatives; // lower case, trimmed, none empty

  static Marker Parse(std::string_view marker);
  bool Empty() const { return once.empty() && alternatives.empty(); }
};

// The once-marker flags of one parse.
struct MarkerRun {
  bool startOnceSeen = false;
  bool endOnceSeen = false;
  bool areaEntered = false;
};

struct MarkerMatch {
  size_t position = 0;  // 1-based; 0: not found
  size_t length = 0;    // of the text that matched
};

// kind 0 start, 1 end; searched in `line` from byte `from` (0-based).
MarkerMatch MatchMarker(int kind, const Marker& marker, const PageLine& line, size_t from, MarkerRun& run);

}  // namespace lumetra
