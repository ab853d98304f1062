#include "extraction/parse_definition.h"

#include <algorithm>
#include <optional>

#include "app/app_state.h"
#include "extraction/extraction_hooks.h"
#include "extraction/page_line.h"
#include "extraction/page_parser.h"
#include "platform/date_time.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"

namespace lumetra {
namespace {

constexpr int kCategorySponsor = 23;

class NoKeywords final : public KeywordWatch {
 public:
  bool MatchHeadline(int, const std::string&, const std::string&, int) override { return false; }
};

KeywordWatch* g_keywordWatch = nullptr;
WeatherWalk* g_weatherWalk = nullptr;
PluginRunner* g_pluginRunner = nullptr;

const std::vector<std::string>& ListMarks() {
  static const std::vector<std::string> marks = [] {
    std::vector<std::string> m;
    for (const char* s : {"■", "▼", "□", "◇", "◆", "☆", "★", "○", "●", "・", "▽", "▲", "△"}) m.push_back(SJ(s));
    return m;
  }();
  return marks;
}

// Rows trimmed, list marks taken from the front of row 1.
void CleanRows(HeadlineRows& rows) {
  for (std::string& r : rows) TrimInPlace(r);
  for (int i = 0; i < 10; ++i) {
    bool removed = false;
    for (const std::string& m : ListMarks()) {
      if (rows[0].compare(0, m.size(), m) == 0) {
        rows[0] = std::string(Trimmed(std::string_view(rows[0]).substr(m.size())));
        removed = true;
        break;
      }
    }
    if (!removed) break;
  }
}

std::string Joined(const HeadlineRows& rows, const char* separator) {
  std::string out;
  for (const std::string& r : rows) {
    if (r.empty()) continue;
    if (!out.empty()) out += separator;
    out += r;
  }
  return out;
}

// The address from a later "http:" (or "https:"): a link that passes
// through a redirecting page opens its target.
std::string LinkOf(const std::string& address) {
  size_t at = std::min(address.find("http:", 1), address.find("https:", 1));
  return at == std::string::npos ? address : address.substr(at);
}

bool Expired(const NewsDefinition& d) {
  if (d.Withdrawn || d.WithdrawnOnImport) return true;
  return d.ExpiryDate != 0 && platform::FromDayCount(d.ExpiryDate).date() < QDate::currentDate();
}

std::string TitleLink(const NewsDefinition& d) {
  std::string main(Trimmed(FieldText(d.MainUrl)));
  return main.empty() ? std::string(Trimmed(FieldText(d.Url))) : main;
}

// A redirection written into a page, as a full address.
std::string FullRedirect(const std::string& target, const std::string& url) {
  size_t http = target.find("http:");
  if (http != std::string::npos) return target.substr(http, target.find('"', http) - http);
  size_t eq = platform::SjisAsciiLower(target).find("url=");
  if (eq == std::string::npos) return {};
  std::string rest(Trimmed(std::string_view(target).substr(eq + 4)));
  size_t slashes = url.find("//");
  size_t hostEnd = slashes == std::string::npos ? std::string::npos : url.find('/', slashes + 2);
  std::string host = hostEnd == std::string::npos ? url : url.substr(0, hostEnd);
  return host + (rest.empty() || rest[0] == '/' ? "" : "/") + rest;
}

}  // namespace

KeywordWatch& keywordWatch() {
  static NoKeywords none;
  return g_keywordWatch ? *g_keywordWatch : none;
}
void SetKeywordWatch(KeywordWatch* watch) { g_keywordWatch = watch; }
WeatherWalk* weatherWalk() { return g_weatherWalk; }
void SetWeatherWalk(WeatherWalk* walk) { g_weatherWalk = walk; }
PluginRunner* pluginRunner() { return g_pluginRunner; }
void SetPluginRunner(PluginRunner* runner) { g_pluginRunner = runner; }

NewsDefinition AnnouncementDefinition() {
  NewsDefinition d = DefaultDefinition(0);
  SetFieldText(d.Title, SJ("Tarvoからお知らせ"));
  return d;
}

std::string DisplayText(HeadlineRows& rows, int rowWidth, bool linkedDefinitionHeadline) {
  CleanRows(rows);
  if (rowWidth > 0) {
    static const std::string cut = SJ("・・・");
    const size_t width = static_cast<size_t>(std::max(rowWidth, static_cast<int>(cut.size()) + 2));
    for (std::string& r : rows)
      if (r.size() > width) r = SjisCut(r, width - cut.size()) + cut;
  }
  const std::string text = Joined(rows, " ");
  if (linkedDefinitionHeadline) return " " + text + " ";
  return SJ("★") + text + SJ("　 ");
}

HeadlineResult AddHeadline(int bar, bool background, int index, const NewsDefinition& d, HeadlineRows rows,
                           const std::string& address, bool keywordCheck) {
  HeadlineResult result;
  if (!ValidBar(bar)) return result;
  BarHeadlines& b = barHeadlines(bar);
  const bool sponsored = d.Sponsor != 0;
  const bool weather = d.Category == kCategoryWeather;
  for (std::string& r : rows) TrimInPlace(r);
  if (d.MinChars != 0 && !sponsored && rows[0].size() < d.MinChars) return result;
  result.accepted = true;
  result.address = LinkOf(std::string(Trimmed(address)));

  if (keywordCheck && !sponsored && !weather && !result.address.empty()) {
    const std::string text(Trimmed(Joined(rows, "")));
    if (!text.empty()) result.keywordMatched = keywordWatch().MatchHeadline(bar, text, result.address, index);
  }

  if (background) {
    const std::string title = FieldText(d.Title);
    for (size_t i = rows.size(); i-- > 0;) {
      if (rows[i].empty() && i > 0) continue;
      if (rows[i].empty() || rows[i].back() != ')') rows[i] += "(" + title + ")";
      break;
    }
    result.historyText = Joined(rows, "");
    b.Background.push_back({rows, result.address});
    return result;
  }

  HeadlineRows shown = rows;
  CleanRows(shown);
  result.historyText = Joined(shown, "");
  std::string text = DisplayText(shown, b.RowWidth, !result.address.empty() && index >= 0);
  b.AddLine(std::move(text), shown, result.address);

  if (!weather && !b.Sponsors.empty()) {
    const int every = std::clamp(NewsList().SponsorInterval, 5, 50);
    if (++b.SponsorCounter >= every) {
      b.SponsorCounter = 0;
      const ListedHeadline& s = b.Sponsors[static_cast<size_t>(b.SponsorNext) % b.Sponsors.size()];
      b.SponsorNext = static_cast<int>((static_cast<size_t>(b.SponsorNext) + 1) % b.Sponsors.size());
      HeadlineRows sponsorRows = s.Rows;
      std::string sponsorText = DisplayText(sponsorRows, b.RowWidth, true);
      b.AddLine(std::move(sponsorText), sponsorRows, s.Address);
    }
  }
  return result;
}

bool ParseDefinition(int bar, int index, bool background, bool keywordCheck) {
  if (!ValidBar(bar)) return false;
  BarHeadlines& b = barHeadlines(bar);
  if (b.Parsing) return false;
  TIPlist5& list = NewsList();
  if (index >= list.Count) return false;

  ParseRun run;
  run.bar = bar;
  run.index = index < 0 ? -1 : index;
  run.background = background;
  run.keywordCheck = keywordCheck;
  std::string cache;
  if (index >= 0) {
    run.definition = list.Item(index);
    if (Expired(run.definition)) {
      list.DeleteDefinition(index);
      if (b.Redraw) b.Redraw();
      return false;
    }
    cache = list.CachePath(index);
  } else {
    run.definition = AnnouncementDefinition();
    cache = platform::JoinPath(app().DataFolder, kAnnouncementFile);
  }
  const NewsDefinition& d = run.definition;
  if (index >= 0 && d.Category == kCategoryWeather && !weatherWalk()) return false;

  std::optional<PluginOutput> plugin;
  if (index >= 0 && d.PluginDefinition) {
    if (!platform::FileExists(cache) || !pluginRunner()) return false;
    plugin = pluginRunner()->Run(index);
    if (!plugin) return false;
    if (d.PluginAnalysis) {
      // The first line, less its first two characters, opens the area.
      std::string first = plugin->text.substr(0, plugin->text.find("\r\n"));
      run.areaStart = first.substr(std::min<size_t>(2, first.size()));
      plugin.reset();
    }
  }
  CacheLines lines(cache);
  if (!plugin && !lines.Open()) return false;

  b.Parsing = true;
  if (background) {
    b.Background.clear();
  } else {
    b.ClearLines(run.index);
    if (index >= 0 && d.Category != kCategorySponsor) b.Weather = d.Category == kCategoryWeather;
    b.AddLine(" " + FieldText(d.Title) + " ", {FieldText(d.Title), {}, {}}, TitleLink(d));
  }
  if (b.CounterResetPending) {
    b.SponsorCounter = 0;
    b.CounterResetPending = false;
  }
  std::vector<std::string> history;
  const bool keepsHistory = !background && index >= 0;
  if (keepsHistory) LoadHistory(index, history);

  ParseOutcome out = plugin ? RunPluginLines(run, *plugin) : RunPageParser(run, lines);

  if (!background) {
    // Spaces that let the last headline scroll out completely.
    b.AddLine(std::string(static_cast<size_t>(std::max(b.WidthInStars, 0) + 4), ' '), {}, {});
  }
  if (!out.stopped) {
    if (keepsHistory) {
      b.LastHistoryLines = out.historyLines;
      if (!out.historyLines.empty()) MergeHistory(bar, index, history, out.historyLines);
    }
    b.NotedRedirect.clear();
    if (index > 0 && !d.Sponsor && !d.BoardMode && out.produced < 2 && out.linesRead <= 100 && !out.redirect.empty())
      b.NotedRedirect = FullRedirect(out.redirect, std::string(Trimmed(FieldText(d.Url))));
    if (keepsHistory && index < list.Count) {
      NewsDefinition& live = list.Item(index);
      if (live.HasNew && FieldText(live.Title) == FieldText(d.Title)) live.Seen = 1;
    }
  }
  b.Parsing = false;
  return out.produced > 0;
}

void CollectSponsorHeadlines(int bar) {
  if (!ValidBar(bar)) return;
  BarHeadlines& b = barHeadlines(bar);
  std::vector<ListedHeadline> collected;
  for (int i = 0; i < NewsList().Count; ++i) {
    if (NewsList().Item(i).Sponsor == 0) continue;
    const int count = NewsList().Count;
    if (ParseDefinition(bar, i, true, false))
      collected.insert(collected.end(), b.Background.begin(), b.Background.end());
    if (NewsList().Count < count) --i;  // an expired one was deleted
  }
  b.Background.clear();
  b.Sponsors = std::move(collected);
  b.SponsorCounter = 0;
  b.SponsorNext = 0;
}

}  // namespace lumetra
