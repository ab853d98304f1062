#pragma once
// The page parser behind ParseDefinition: line loop, markers, references,
// the headline scanner, feeds and tables, emission. Internal to the
// extraction library; ParseDefinition prepares the bar and the history.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "definitions/news_definition.h"
#include "extraction/table_cells.h"

namespace lumetra {

// The lines of a page cache, read in pieces of at most kMaxLineBytes. A line
// ends at LF, CR or CR LF.
class CacheLines {
 public:
  explicit CacheLines(const std::string& path);
  ~CacheLines();
  CacheLines(const CacheLines&) = delete;
  CacheLines& operator=(const CacheLines&) = delete;

  bool Open() const { return file_ != nullptr; }
  bool Next(std::string& line);

 private:
  bool Fill();
  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  size_t pos_ = 0, end_ = 0;
  bool skipLf_ = false;
};

struct ParseRun {
  int bar = 0;
  int index = 0;  // negative: the announcement file
  NewsDefinition definition{};
  bool background = false;
  bool keywordCheck = false;
  // Plug-in analysis: the text that opens the headline area instead of the
  // start marker.
  std::optional<std::string> areaStart;
};

struct ParseOutcome {
  int produced = 0;                       // headlines accepted
  std::vector<std::string> historyLines;  // foreground parses of a definition
  bool stopped = false;                   // the program or the bar is closing
  int linesRead = 0;
  std::string redirect;                   // a redirection written into the page
};

ParseOutcome RunPageParser(const ParseRun& run, CacheLines& lines);

struct PluginOutput;
// A plug-in's result without further analysis: every line one headline.
ParseOutcome RunPluginLines(const ParseRun& run, const PluginOutput& plugin);

// The bar's AcceptShort flag and table state.
bool& barAcceptShort(int bar);
TableState& barTable(int bar);

}  // namespace lumetra
