#pragma once
// Deciding whether a newly received page differs from the page cache, line by
// line while the page arrives, so an unchanged page is never held in memory.
#include <QFile>
#include <memory>
#include <string>
#include <string_view>

namespace lumetra {

// Lines of a page cache file (ended by LF, CR LF or CR), read in blocks.
class CacheLineReader {
 public:
  // False when the file cannot be opened; Next then reports the end.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_.isOpen(); }
  // The next line without its end; false at the end of the file.
  bool Next(std::string& line);

 private:
  bool Fill();
  QFile file_;
  std::string block_;
  size_t pos_ = 0;
  bool eof_ = true;
  bool afterCr_ = false;
};

// Two lines differ when their trimmed texts differ and either is longer than
// this; shorter lines (dates, counters, separators) never make a change.
inline constexpr size_t kSignificantLine = 9;
bool LinesDiffer(std::string_view a, std::string_view b);

// Compares the kept lines of a page with the lines of its cache, in order.
// Without a start marker the lines are compared pair by pair from the top.
// With one, only the marked areas are compared: when the new page reaches a
// line with the start marker the cache is read forward to its own marker
// line, and the lines are compared in pairs until the end marker turns up in
// either line; then the search for the start marker begins again.
class PageComparer {
 public:
  struct Rules {
    std::string startMarker;  // program text; empty: the whole page
    std::string endMarker;
    int encoding = 0;         // the page's encoding, for the marker search
  };

  PageComparer(Rules rules, std::unique_ptr<CacheLineReader> cache);
  // True when this line makes the page differ from the cache.
  bool Compare(std::string_view line);
  // At the end of a whole page: true when the cache still holds significant
  // lines the new page no longer has (a page that lost its last lines).
  bool CacheHasMore();

 private:
  bool NextCache(std::string& line);
  std::string Folded(std::string_view line) const;  // decoded, lower case

  Rules rules_;
  std::string lowerStart_, lowerEnd_;
  std::unique_ptr<CacheLineReader> cache_;
  bool inArea_ = false;
  bool cacheEnded_ = false;
};

}  // namespace lumetra
