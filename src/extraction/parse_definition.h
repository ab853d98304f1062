#pragma once
// Turning a definition's page cache into headlines. One parser reads HTML
// pages (headline area between the definition's markers, headlines between
// its start and end tags), RSS/RDF feeds (one headline per item) and table
// layouts (cells regrouped along rows or columns); weather pages and
// plug-ins join through extraction_hooks.h.
//
// The results go to the bar's lists in barHeadlines(bar) (headline_store.h):
// in the foreground its ticker lines and links (title line first, run-out
// spaces last), in the background the keyword watch's list. Foreground
// parses of a definition also merge the headlines into its history list.
#include <string>

#include "definitions/news_definition.h"
#include "retrieval/headline_store.h"

namespace lumetra {

// The most scanner steps one parse makes (a step reads a line or scans the
// rest of a line again); below kStepReserve remaining steps each counts twice.
inline constexpr int kMaxParseSteps = 120000;
inline constexpr int kStepReserve = 5000;
// Lines of the page cache longer than this are read in pieces.
inline constexpr size_t kMaxLineBytes = 1 << 20;
// A row of a headline never collects more than this.
inline constexpr size_t kMaxRowBytes = 4096;

// Parses definition `index` of NewsList() for `bar` (0-5); a negative index
// parses the maker's announcement file "InformationNews.txt" of the data
// folder as a definition named "Tarvoからお知らせ". `background` fills the
// bar's background list instead of its ticker lines (keyword watching);
// `keywordCheck` hands every accepted headline to the keyword watch.
//
// A withdrawn or expired definition is deleted (the bar's Redraw is called)
// and nothing is parsed. A missing page cache leaves the bar's lists as they
// were. A second parse on a bar while one runs is refused. The parse yields
// through the bar's Yield every 100 ms and stops when the program closes.
// True when the page yielded headlines.
bool ParseDefinition(int bar, int index, bool background, bool keywordCheck);

// What AddHeadline made of one headline.
struct HeadlineResult {
  bool accepted = false;        // false: rejected by MinChars
  bool keywordMatched = false;  // the keyword watch reported a hit
  std::string historyText;      // the rows as the history keeps them
  std::string address;          // the address as the link list keeps it
};

// Hands one headline of `definition` (at `index`; negative for the
// announcement file) to bar `bar`: the MinChars test, the keyword watch,
// then in the foreground the ticker line, its link and any sponsored
// headline due after it, in the background the background list.
HeadlineResult AddHeadline(int bar, bool background, int index, const NewsDefinition& definition, HeadlineRows rows,
                           const std::string& address, bool keywordCheck);

// The ticker line of a headline: leading list marks ("■", "・", ...) taken
// from row 1, rows cut to `rowWidth` bytes ("・・・" marking a cut), joined by
// a blank, and framed as " text " for a linked headline of a definition,
// "★text　 " otherwise. `rows` receives the rows as shown.
std::string DisplayText(HeadlineRows& rows, int rowWidth, bool linkedDefinitionHeadline);

// Refills the bar's sponsored headlines from the page caches of every
// sponsored definition (Sponsor non-zero) and restarts its counters.
void CollectSponsorHeadlines(int bar);

// The announcement file's stand-in definition.
NewsDefinition AnnouncementDefinition();
inline constexpr char kAnnouncementFile[] = "InformationNews.txt";

}  // namespace lumetra
