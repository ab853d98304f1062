#include "retrieval/headline_store.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>
#include <unordered_set>

#include "app/app_state.h"
#include "app/settings.h"
#include "definitions/news_definition.h"
#include "platform/file_io.h"

namespace lumetra {
namespace {

using Clock = std::chrono::steady_clock;

// Blanks and line ends removed at both ends, tabs kept: the tab that ends a
// history line belongs to its last field.
std::string_view TrimKeepingTabs(std::string_view s) {
  auto blank = [](unsigned char c) { return c <= 0x20 && c != '\t'; };
  while (!s.empty() && blank(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && blank(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string_view TrimAll(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

void AppendField(std::string& out, std::string_view text) {
  const size_t start = out.size();
  out.append(text);
  for (size_t i = out.find_first_of("\t\r\n", start); i != std::string::npos; i = out.find_first_of("\t\r\n", i + 1))
    out[i] = ' ';
  out += '\t';
}

// What makes two history lines the same headline.
std::string MatchKey(std::string_view line, const HistoryRules& rules) {
  if (rules.weather) return FieldOf(line, kHistoryFieldText).substr(0, 6);
  if (rules.board) return FieldOf(line, kHistoryFieldAddress);
  return FieldOf(line, kHistoryFieldAddress) + '\t' + FieldOf(line, kHistoryFieldText);
}

}  // namespace

std::string FieldOf(std::string_view line, int field) {
  if (field < 0) return {};
  size_t start = 0;
  for (int k = 0; k < field; ++k) {
    size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) return {};
    start = tab + 1;
  }
  size_t end = line.find('\t', start);
  if (end == std::string_view::npos) return {};
  return std::string(line.substr(start, end - start));
}

int DayNumber(const QDate& date) { return static_cast<int>(QDate(1970, 1, 1).daysTo(date)); }
int TodayDayNumber() { return DayNumber(QDate::currentDate()); }

std::string HistoryLine(int day, std::string_view kept, bool keywordMatched, std::string_view text,
                        std::string_view address) {
  std::string line;
  AppendField(line, std::to_string(day));
  AppendField(line, kept);
  AppendField(line, keywordMatched ? "1" : "0");
  AppendField(line, text);
  AppendField(line, address);
  return line;
}

int HistoryLength() { return std::clamp(settings().HistoryLength, kMinHistoryLength, kMaxHistoryLength); }

std::vector<std::string> ReadHistoryList(const std::string& path, int length) {
  std::vector<std::string> list;
  auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return list;
  std::string_view rest(*bytes);
  int emptyLines = 0;
  while (!rest.empty() && static_cast<int>(list.size()) < length) {
    size_t end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    if (end == std::string_view::npos) {
      rest = {};
    } else {
      // A CR LF pair ends one line, not two.
      size_t next = end + 1;
      if (rest[end] == '\r' && next < rest.size() && rest[next] == '\n') ++next;
      rest.remove_prefix(next);
    }
    line = TrimKeepingTabs(line);
    if (line.empty()) {
      if (++emptyLines > 10) break;
      continue;
    }
    list.emplace_back(line);
  }
  return list;
}

bool MergeHistoryLines(std::vector<std::string>& history, const std::vector<std::string>& newLines,
                       const HistoryRules& rules, const std::function<bool()>& keepGoing, int everyMs) {
  std::vector<std::string> merged = history;
  std::unordered_map<std::string, size_t> existing;
  existing.reserve(merged.size() * 2);
  for (size_t i = 0; i < merged.size(); ++i) existing.emplace(MatchKey(merged[i], rules), i);

  std::vector<std::string> queued;
  std::unordered_set<std::string> queuedKeys;
  auto lastYield = Clock::now();
  for (size_t n = newLines.size(); n-- > 0;) {
    if (keepGoing && Clock::now() - lastYield >= std::chrono::milliseconds(everyMs)) {
      if (!keepGoing()) return false;
      lastYield = Clock::now();
    }
    const std::string& line = newLines[n];
    if (TrimAll(FieldOf(line, kHistoryFieldText)).size() <= 5) continue;
    std::string key = MatchKey(line, rules);
    auto found = existing.find(key);
    if (found == existing.end()) {
      // The same headline twice on one page is kept once.
      if (queuedKeys.insert(key).second) queued.push_back(line);
      continue;
    }
    // Seen again on another day (or over a line written by someone else):
    // the new day, flag, text and address, the existing field 1.
    std::string& old = merged[found->second];
    if (FieldOf(old, 0) != FieldOf(line, 0) || FieldOf(old, 1) != FieldOf(line, 1)) {
      std::string updated = FieldOf(line, 0) + '\t' + FieldOf(old, 1) + '\t';
      for (int k = 2; k <= kHistoryFieldAddress; ++k) updated += FieldOf(line, k) + '\t';
      old = std::move(updated);
    }
  }
  history.swap(merged);
  history.insert(history.begin(), queued.begin(), queued.end());
  return true;
}

bool WriteHistoryList(const std::string& path, const std::vector<std::string>& history, int length) {
  std::string out;
  const size_t n = std::min(history.size(), static_cast<size_t>(std::max(length, 0)));
  for (size_t i = 0; i < n; ++i) {
    out += history[i];
    out += "\r\n";
  }
  return platform::WriteFileAtomically(path, out);
}

void LoadHistory(int index, std::vector<std::string>& list) {
  list.clear();
  if (index < 0 || index >= NewsList().Count) return;
  list = ReadHistoryList(NewsList().ListPath(index), HistoryLength());
}

bool MergeHistory(int bar, int index, std::vector<std::string>& history, const std::vector<std::string>& newLines) {
  if (!ValidBar(bar) || index < 0 || index >= NewsList().Count) return false;
  BarHeadlines& b = barHeadlines(bar);
  if (b.Merging) return false;
  b.Merging = true;
  const NewsDefinition& d = NewsList().Item(index);
  HistoryRules rules{d.Category == kCategoryWeather, d.BoardMode != 0, HistoryLength()};
  auto keepGoing = [&b] {
    if (b.Yield && !b.Yield()) return false;
    return !app().QuitAllowed && !b.Closing;
  };
  bool written = false;
  if (MergeHistoryLines(history, newLines, rules, keepGoing, b.YieldIntervalMs) && !app().QuitAllowed && !b.Closing)
    written = WriteHistoryList(NewsList().ListPath(index), history, rules.length);
  b.Merging = false;
  return written;
}

void BarHeadlines::ClearLines(int definition) {
  Lines.clear();
  LineRows.clear();
  Links.clear();
  LinkDefinition = definition;
}

void BarHeadlines::AddLine(std::string text, HeadlineRows rows, std::string link) {
  Lines.push_back(std::move(text));
  LineRows.push_back(std::move(rows));
  Links.push_back(std::move(link));
}

bool ValidBar(int bar) { return bar >= 0 && bar < kBarSlots; }

BarHeadlines& barHeadlines(int bar) {
  static std::array<BarHeadlines, kBarSlots> perBar;
  return perBar[static_cast<size_t>(ValidBar(bar) ? bar : 0)];
}

}  // namespace lumetra
