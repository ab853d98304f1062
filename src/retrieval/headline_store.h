#pragma once
// The headline store. Every definition keeps two files in the folder "News"
// of the data folder, named after its Title (TIPlist5::CachePath/ListPath):
// the page cache "<Title>.dat", the last changed copy of the page as the
// fetcher stored it, and the history list "<Title>.lst", the headlines the
// definition has yielded, newest first. Each bar keeps the lists a parse
// fills: its ticker lines with their rows and links (read by the ticker, the
// pointer and the history window), the background list of bar 0's keyword
// watch, and the sponsored headlines it interleaves.
//
// Lengths of program text are counted in bytes of Shift_JIS, as the data
// files count them.
#include <QDate>
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_port.h"

namespace lumetra {

// ---- History lines ---------------------------------------------------------
//
// Five fields, each followed by a tab: 0 the day the headline was seen (days
// since 1 January 1970, local date); 1 empty when written by the parser and
// kept when a line is updated; 2 "1" when the headline matched a watched
// keyword, else "0"; 3 the headline text; 4 its address.

inline constexpr int kHistoryFieldText = 3;
inline constexpr int kHistoryFieldAddress = 4;
inline constexpr int kMinHistoryLength = 10;
inline constexpr int kMaxHistoryLength = 500;

// Field k: the text between the k-th and the (k+1)-th tab. A field that no tab
// follows is absent and reads as empty.
std::string FieldOf(std::string_view line, int field);

// Whole days from 1 January 1970 to `date`.
int DayNumber(const QDate& date);
int TodayDayNumber();

// A history line. Tabs and line breaks inside the texts become spaces, so a
// headline can never shift the fields of its own line.
std::string HistoryLine(int day, std::string_view kept, bool keywordMatched, std::string_view text,
                        std::string_view address);

// settings().HistoryLength kept within 10 ... 500.
int HistoryLength();

// How MergeHistory recognises the same headline: weather definitions by the
// first 6 bytes of the text, board definitions by the address alone, all
// others by address and text.
struct HistoryRules {
  bool weather = false;
  bool board = false;
  int length = 100;
};

// Reads a history list: lines trimmed of blanks (the tab that ends a line is
// part of it), empty lines skipped, more than 10 empty lines end the reading,
// at most `length` lines. A missing file gives an empty list.
std::vector<std::string> ReadHistoryList(const std::string& path, int length);

// Merges the lines one parse collected (page order) into `history`:
// unknown headlines go to the top, the last collected first; known ones get
// the new day and keyword flag in place. New lines whose text is 5 bytes or
// shorter are skipped, and a headline collected twice is taken once.
// `keepGoing` is asked every `everyMs` of work; when it answers false the
// merge stops, leaves `history` as it was and returns false.
bool MergeHistoryLines(std::vector<std::string>& history, const std::vector<std::string>& newLines,
                       const HistoryRules& rules, const std::function<bool()>& keepGoing = {}, int everyMs = 100);

// The first `length` lines, each with CR LF, replacing the file.
bool WriteHistoryList(const std::string& path, const std::vector<std::string>& history, int length);

// LoadHistory of definition `index` of NewsList() into `list`.
void LoadHistory(int index, std::vector<std::string>& list);

// Merges and rewrites the history list of definition `index`. The bar is
// marked busy meanwhile and a second merge on it is refused; it yields
// through the bar's Yield (every YieldIntervalMs) and stops without writing when the
// program or the bar is closing. True when the file was written.
bool MergeHistory(int bar, int index, std::vector<std::string>& history, const std::vector<std::string>& newLines);

// ---- Per-bar lists ----------------------------------------------------------

using HeadlineRows = std::array<std::string, 3>;

// A headline kept off screen: bar 0's keyword watch of definitions no bar
// shows, and the sponsored headlines a bar interleaves.
struct ListedHeadline {
  HeadlineRows Rows;
  std::string Address;
};

inline constexpr int kBarSlots = 6;

struct BarHeadlines {
  // The ticker lines (the ticker's ShowStrings), the display rows of each and
  // its address, index for index. Line 0 is the title, the last line the
  // run-out spaces; both have an empty row set of their own.
  std::vector<std::string> Lines;
  std::vector<HeadlineRows> LineRows;
  std::vector<std::string> Links;
  int LinkDefinition = -1;  // definition the link list was filled from
  // The lines are weather headlines (the ticker draws weather symbols). A
  // foreground parse sets it by its definition; a sponsor page leaves it.
  bool Weather = false;

  // Headlines of background parses (keyword watch only).
  std::vector<ListedHeadline> Background;

  // Sponsored headlines, cycled through after every N-th headline.
  std::vector<ListedHeadline> Sponsors;
  int SponsorCounter = 0;   // headlines since the last sponsored one
  int SponsorNext = 0;      // next entry of Sponsors
  bool CounterResetPending = false;  // the fetcher saw a sponsored page change

  // The history lines collected by the last foreground parse, in page order
  // (the board-list rebuild walks them).
  std::vector<std::string> LastHistoryLines;
  // A redirection written into the page of the last parse, made absolute,
  // when that parse found almost nothing (kept, not followed).
  std::string NotedRedirect;

  // What the bar tells the parser about its display.
  int CharacterMode = 0;   // above 3: full-width display
  int RowWidth = 256;      // a row is cut to this many bytes (0: no cut)
  int WidthInStars = 0;    // bar length / width of "★" in the ticker's font
  platform::WindowHandle Window = 0;  // receives the keyword-hit message

  // Lets the user interface process events during long work; false stops it.
  std::function<bool()> Yield;
  int YieldIntervalMs = 100;  // how often a parse or merge calls Yield
  // Asks the bar to show its lists again (a deleted definition, say).
  std::function<void()> Redraw;

  bool Parsing = false;   // a parse runs on this bar
  bool Merging = false;   // a history merge runs on this bar
  bool Closing = false;   // the bar is being closed

  // Foreground lists emptied, link list taken by `definition`.
  void ClearLines(int definition);
  void AddLine(std::string text, HeadlineRows rows, std::string link);
};

// Bars 0-5.
BarHeadlines& barHeadlines(int bar);
bool ValidBar(int bar);

}  // namespace lumetra
