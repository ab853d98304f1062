#pragma once
// The places where other subsystems join the parse: the keyword watch that
// tests every accepted headline, the weather-forecast walk of category 18
// pages, and the plug-ins that hand over headlines of their own. Each has a
// default that does nothing: no keywords, weather pages yield nothing, no
// plug-in libraries can be run.
#include <optional>
#include <string>

#include "retrieval/headline_store.h"

namespace lumetra {

// ---- Keyword watch ----------------------------------------------------------

class KeywordWatch {
 public:
  virtual ~KeywordWatch() = default;
  // The joined, trimmed text of an accepted headline with its link, found on
  // `bar` for definition `definition`. Records a hit, tells the bar
  // (WM_USER + 210) and returns true when a watched keyword matched.
  virtual bool MatchHeadline(int bar, const std::string& text, const std::string& link, int definition) = 0;
};

KeywordWatch& keywordWatch();
// nullptr restores the default, which reports no match.
void SetKeywordWatch(KeywordWatch* watch);

// ---- Weather forecast pages (category 18) ---------------------------------

// What a weather walk may do to the parse that calls it.
class WeatherParse {
 public:
  virtual ~WeatherParse() = default;
  virtual int Bar() const = 0;
  virtual int Definition() const = 0;
  virtual bool Background() const = 0;
  // The parser's area state: 0 looking for a start, 2 inside, 10 a special
  // section has ended.
  virtual int AreaState() const = 0;
  virtual void SetAreaState(int state) = 0;
  virtual void SetAcceptShort(bool on) = 0;
  // Completes the text collected so far as a cell at once.
  virtual void CompleteCell() = 0;
  // AddHeadline with the definition's Url, and its history line.
  virtual void EmitHeadline(const std::string& text) = 0;
  // A history line of its own (foreground parses).
  virtual void AddHistoryLine(const std::string& text, const std::string& address, bool keyword) = 0;
  // The definition's Url or the page's "<base" address.
  virtual std::string BaseAddress() const = 0;
  // Ends the parse after this cell; the rest of the page is not read.
  virtual void EndParse() = 0;
};

// The section walk and cell machines of a weather page. The parser calls
// Begin once, Line for every line (lower-cased copy), and Cell for every cell
// after RowSplit (AcceptShort on). While TdOnly answers true, the end tag
// "</td>,<br>" acts as "</td>" alone; while TakePictureText answers true, a
// cell whose start tag is followed by "img src" and alt=" takes the alt text.
class WeatherWalk {
 public:
  virtual ~WeatherWalk() = default;
  virtual void Begin(WeatherParse& parse) = 0;
  virtual void Line(WeatherParse& parse, const std::string& lowerLine) = 0;
  virtual void Cell(WeatherParse& parse, const HeadlineRows& rows) = 0;
  virtual bool TdOnly() const = 0;
  virtual bool TakePictureText() const = 0;
  // At the end of a foreground parse: the ticker's weather mode and weekly
  // table follow the bar's placement.
  virtual void Finish(WeatherParse& parse) = 0;
};

// nullptr (the default): weather definitions yield no headlines.
WeatherWalk* weatherWalk();
void SetWeatherWalk(WeatherWalk* walk);

// ---- Plug-ins ---------------------------------------------------------------

struct PluginOutput {
  std::string text;     // lines ended by CR LF, program text
  std::string openUrl;  // "openurl," of its descript.txt; empty: the definition's Url
};

class PluginRunner {
 public:
  virtual ~PluginRunner() = default;
  // RunPlugin for definition `index`; nothing when the library cannot run.
  virtual std::optional<PluginOutput> Run(int index) = 0;
};

// nullptr (the default): no plug-in can be run, so plug-in definitions
// yield no headlines.
PluginRunner* pluginRunner();
void SetPluginRunner(PluginRunner* runner);

}  // namespace lumetra
