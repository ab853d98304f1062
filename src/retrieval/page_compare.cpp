#include "retrieval/page_compare.h"

#include <algorithm>
#include <cstring>

#include "retrieval/encodings.h"
#include "retrieval/fetch_text.h"

namespace lumetra {

bool CacheLineReader::Open(const std::string& path) {
  Close();
  file_.setFileName(QString::fromStdString(path));
  if (!file_.open(QIODevice::ReadOnly)) return false;
  eof_ = false;
  return true;
}

void CacheLineReader::Close() {
  if (file_.isOpen()) file_.close();
  block_.clear();
  pos_ = 0;
  eof_ = true;
  afterCr_ = false;
}

bool CacheLineReader::Fill() {
  if (eof_) return false;
  block_.erase(0, pos_);
  pos_ = 0;
  char buffer[65536];
  qint64 n = file_.read(buffer, sizeof buffer);
  if (n <= 0) {
    eof_ = true;
    return false;
  }
  block_.append(buffer, static_cast<size_t>(n));
  return true;
}

bool CacheLineReader::Next(std::string& line) {
  line.clear();
  bool any = false;
  for (;;) {
    if (pos_ >= block_.size() && !Fill()) return any;
    if (afterCr_) {
      afterCr_ = false;
      if (block_[pos_] == '\n') ++pos_;
      continue;
    }
    const char* start = block_.data() + pos_;
    size_t rest = block_.size() - pos_;
    size_t end = rest;
    if (const void* cr = std::memchr(start, '\r', rest)) end = static_cast<const char*>(cr) - start;
    if (const void* lf = std::memchr(start, '\n', end)) end = static_cast<const char*>(lf) - start;
    line.append(start, end);
    any = true;
    pos_ += end;
    if (end < rest) {
      afterCr_ = block_[pos_] == '\r';
      ++pos_;
      return true;
    }
  }
}

bool LinesDiffer(std::string_view a, std::string_view b) {
  std::string ta = TrimBlanks(a), tb = TrimBlanks(b);
  if (ta == tb) return false;
  return std::max(ta.size(), tb.size()) > kSignificantLine;
}

PageComparer::PageComparer(Rules rules, std::unique_ptr<CacheLineReader> cache)
    : rules_(std::move(rules)), cache_(std::move(cache)) {
  lowerStart_ = LowerAscii(TrimBlanks(rules_.startMarker));
  lowerEnd_ = LowerAscii(TrimBlanks(rules_.endMarker));
  if (!cache_) cacheEnded_ = true;
}

std::string PageComparer::Folded(std::string_view line) const {
  return LowerAscii(DecodeToSjis(line, rules_.encoding));
}

bool PageComparer::NextCache(std::string& line) {
  line.clear();
  if (cacheEnded_) return false;
  if (!cache_->Next(line)) {
    cacheEnded_ = true;
    return false;
  }
  return true;
}

bool PageComparer::Compare(std::string_view line) {
  std::string cached;
  if (lowerStart_.empty()) {
    NextCache(cached);
    return LinesDiffer(line, cached);
  }
  std::string folded = Folded(line);
  if (!inArea_) {
    if (!LineHasMarker(folded, lowerStart_)) return false;
    // The cache's own area; when it has none, its end counts as reached.
    while (NextCache(cached))
      if (LineHasMarker(Folded(cached), lowerStart_)) break;
    inArea_ = true;
  } else {
    NextCache(cached);
  }
  bool differ = LinesDiffer(line, cached);
  if (!lowerEnd_.empty() && (LineHasMarker(Folded(cached), lowerEnd_) || LineHasMarker(folded, lowerEnd_)))
    inArea_ = false;
  return differ;
}

bool PageComparer::CacheHasMore() {
  if (!lowerStart_.empty()) return false;
  std::string cached;
  while (NextCache(cached))
    if (TrimBlanks(cached).size() > kSignificantLine) return true;
  return false;
}

}  // namespace lumetra
