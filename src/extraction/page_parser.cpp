#include "extraction/page_parser.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "definitions/colour_sets.h"
#include "extraction/addresses.h"
#include "extraction/extraction_hooks.h"
#include "extraction/markers.h"
#include "extraction/page_line.h"
#include "extraction/parse_definition.h"
#include "extraction/row_split.h"
#include "platform/fixed_text.h"
#include "platform/sjis_text.h"
#include "retrieval/encodings.h"
#include "retrieval/headline_store.h"
#include "retrieval/http_check.h"

namespace lumetra {

// ---- Reading the page cache ------------------------------------------------

CacheLines::CacheLines(const std::string& path) : file_(std::fopen(path.c_str(), "rb")), buffer_(1 << 16) {}

CacheLines::~CacheLines() {
  if (file_) std::fclose(file_);
}

bool CacheLines::Fill() {
  if (!file_) return false;
  pos_ = 0;
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  return end_ > 0;
}

bool CacheLines::Next(std::string& line) {
  line.clear();
  bool any = false;
  while (true) {
    if (pos_ >= end_ && !Fill()) return any;
    if (skipLf_) {
      skipLf_ = false;
      if (buffer_[pos_] == '\n') {
        ++pos_;
        continue;
      }
    }
    any = true;
    const char* start = buffer_.data() + pos_;
    const size_t room = kMaxLineBytes - line.size();
    const size_t available = std::min(end_ - pos_, room);
    const char* stop = nullptr;
    for (size_t i = 0; i < available; ++i) {
      if (start[i] == '\n' || start[i] == '\r') {
        stop = start + i;
        break;
      }
    }
    if (stop) {
      line.append(start, static_cast<size_t>(stop - start));
      pos_ += static_cast<size_t>(stop - start) + 1;
      if (*stop == '\r') skipLf_ = true;
      return true;
    }
    line.append(start, available);
    pos_ += available;
    if (line.size() >= kMaxLineBytes) return true;
  }
}

// ---- Per-bar parse state ---------------------------------------------------

bool& barAcceptShort(int bar) {
  static std::array<bool, kBarSlots> flags{};
  return flags[static_cast<size_t>(ValidBar(bar) ? bar : 0)];
}

TableState& barTable(int bar) {
  static std::array<TableState, kBarSlots> tables;
  return tables[static_cast<size_t>(ValidBar(bar) ? bar : 0)];
}

namespace {

using Clock = std::chrono::steady_clock;

enum class Scan { SeekStart, SkipStartTag, Row1, SkipToRow2, Row2, SkipToRow3, Row3, InItem };

// How the address of a headline was given; None for headlines opened by a
// start tag other than a link (their first inner link gives the address).
enum class Form { None, HrefDouble, HrefSingle, NameSingle, NameDouble, HrefBare, NameBare };

constexpr int kStartTagBr = 10;
constexpr int kEndTagTdOrBr = 5;

struct Attribute {
  std::string name;   // lower case
  std::string value;  // as written
  char quote = 0;     // '"', '\'' or 0
};

struct Tag {
  size_t end = 0;  // the ">" (or the line's end)
  bool closed = false;
  bool complete = true;  // no quote left open at the line's end
  std::vector<Attribute> attributes;
};

bool Space(unsigned char c) { return c == ' ' || c == '\t'; }

// The attributes of the tag whose name ends at `from`.
Tag ParseTag(const PageLine& line, size_t from) {
  Tag tag;
  const std::string& lower = line.Lower();
  const std::string& text = line.Text();
  const size_t n = lower.size();
  size_t i = from;
  while (i < n) {
    while (i < n && (Space(lower[i]) || lower[i] == '/')) ++i;
    if (i >= n) break;
    if (lower[i] == '>') {
      tag.end = i;
      tag.closed = true;
      return tag;
    }
    const size_t nameStart = i;
    while (i < n && !Space(lower[i]) && lower[i] != '=' && lower[i] != '>') ++i;
    Attribute a;
    a.name = lower.substr(nameStart, i - nameStart);
    size_t j = i;
    while (j < n && Space(lower[j])) ++j;
    if (j < n && lower[j] == '=') {
      ++j;
      while (j < n && Space(lower[j])) ++j;
      if (j < n && (lower[j] == '"' || lower[j] == '\'')) {
        a.quote = lower[j];
        const size_t close = lower.find(a.quote, j + 1);
        if (close == std::string::npos) {
          tag.complete = false;
          break;
        }
        a.value = text.substr(j + 1, close - j - 1);
        i = close + 1;
      } else {
        const size_t valueStart = j;
        while (j < n && !Space(lower[j]) && lower[j] != '>') ++j;
        a.value = text.substr(valueStart, j - valueStart);
        i = j;
      }
    }
    tag.attributes.push_back(std::move(a));
  }
  tag.end = n;
  return tag;
}

// The address form of an anchor, in order of preference.
Form ChooseForm(const Tag& tag, std::string* value) {
  struct Want {
    const char* name;
    char quote;
    Form form;
  };
  static constexpr Want kOrder[] = {{"href", '"', Form::HrefDouble}, {"href", '\'', Form::HrefSingle},
                                    {"name", '\'', Form::NameSingle}, {"name", '"', Form::NameDouble},
                                    {"href", 0, Form::HrefBare},      {"name", 0, Form::NameBare}};
  for (const Want& w : kOrder)
    for (const Attribute& a : tag.attributes)
      if (a.name == w.name && a.quote == w.quote && !Trimmed(a.value).empty()) {
        *value = std::string(Trimmed(a.value));
        return w.form;
      }
  return Form::None;
}

bool IsName(Form f) { return f == Form::NameSingle || f == Form::NameDouble || f == Form::NameBare; }

// A tag name ends here: blank, ">", "/" or the line's end.
bool TagNameEnds(const PageLine& line, size_t pos) {
  if (pos >= line.Size()) return true;
  const unsigned char c = line.Byte(pos);
  return Space(c) || c == '>' || c == '/';
}

std::vector<std::string> Alternatives(const std::string& tags, bool dropClosing) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= tags.size()) {
    size_t comma = tags.find(',', start);
    std::string t(Trimmed(std::string_view(tags).substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
    if (dropClosing && !t.empty() && t.back() == '>') t.pop_back();
    if (!t.empty()) out.push_back(platform::SjisAsciiLower(t));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

// How the bar lays out the rows of this definition's headlines.
RowSplitOptions SplitOptionsFor(const ParseRun& run) {
  RowSplitOptions o;
  const NewsDefinition& d = run.definition;
  const BarSlot& slot = bars()[static_cast<size_t>(ValidBar(run.bar) ? run.bar : 0)];
  o.endTagIsLink = d.EndTag == 0 || d.EndTag >= kEndTagCount;
  o.endTagIsRow = d.EndTag == 1;
  o.lineMode = slot.LineMode;
  const int colourSet = slot.ColourSet;
  o.skinLayout = (colourSet >= 0 && colourSet < ColourList().Count) ? ColourList().Item(colourSet).SkinLayout : 0;
  o.announcement = run.index < 0;
  o.characterMode = barHeadlines(run.bar).CharacterMode;
  return o;
}

class PageParser final : public WeatherParse {
 public:
  PageParser(const ParseRun& run, ParseOutcome& out)
      : run_(run),
        def_(run.definition),
        out_(out),
        bar_(barHeadlines(run.bar)),
        table_(barTable(run.bar)),
        acceptShort_(barAcceptShort(run.bar)) {
    url_ = std::string(Trimmed(FieldText(def_.Url)));
    rss_ = def_.Rss != 0;
    board_ = def_.BoardMode != 0;
    weather_ = def_.Category == kCategoryWeather && run.index >= 0;
    sponsored_ = def_.Sponsor != 0;
    tableMode_ = def_.TableMode;
    oricon_ = url_.find("oricon") != std::string::npos;
    commentsOn_ = !weather_ && !rss_;
    defaultStart_ = def_.StartTag == 0 || def_.StartTag >= kStartTagCount;
    startAlternatives_ = Alternatives(StartTagText(def_.StartTag), true);
    endAlternatives_ = Alternatives(EndTagText(def_.EndTag), false);
    startMarker_ = Marker::Parse(run.areaStart ? *run.areaStart : FieldText(def_.StartMarker));
    endMarker_ = Marker::Parse(FieldText(def_.EndMarker));
    base_ = MakePageBase(url_);
    area_ = (!weather_ && startMarker_.Empty()) ? 2 : 0;
    if (area_ == 2) markerRun_.areaEntered = true;

    split_ = SplitOptionsFor(run);

    table_.Depth = 0;
    table_.Open = false;
    acceptShort_ = false;
    today_ = TodayDayNumber();
    lastYield_ = Clock::now();
  }

  void Run(CacheLines& lines) {
    if (weather_ && weatherWalk()) weatherWalk()->Begin(*this);
    std::string raw;
    while (!stop_ && lines.Next(raw)) {
      if (!Step()) break;
      ++out_.linesRead;
      ProcessLine(raw);
    }
    if (weather_ && weatherWalk() && !out_.stopped && !run_.background) weatherWalk()->Finish(*this);
  }

  // ---- WeatherParse ----
  int Bar() const override { return run_.bar; }
  int Definition() const override { return run_.index; }
  bool Background() const override { return run_.background; }
  int AreaState() const override { return area_; }
  void SetAreaState(int state) override {
    if (state == 10 && state_ != Scan::SeekStart && state_ != Scan::InItem) CompleteCell();
    area_ = state;
  }
  void SetAcceptShort(bool on) override { acceptShort_ = on; }
  void CompleteCell() override {
    if (state_ != Scan::SeekStart && state_ != Scan::InItem) Complete(cur_);
  }
  void EmitHeadline(const std::string& text) override { Add({text, "", ""}, url_); }
  void AddHistoryLine(const std::string& text, const std::string& address, bool keyword) override {
    if (!run_.background && run_.index >= 0) out_.historyLines.push_back(HistoryLine(today_, {}, keyword, text, address));
  }
  std::string BaseAddress() const override { return base_.page; }
  void EndParse() override { stop_ = true; }

 private:
  // ---- Steps and yielding ----

  bool Step() {
    steps_ += (kMaxParseSteps - steps_ < kStepReserve) ? 2 : 1;
    if (steps_ > kMaxParseSteps) stop_ = true;
    // Text from consecutive lines of the ranking site stays apart.
    if (oricon_ && Collecting() && !rows_[0].empty()) rows_[0] += ' ';
    if (Clock::now() - lastYield_ >= std::chrono::milliseconds(bar_.YieldIntervalMs)) {
      if (bar_.Yield && !bar_.Yield()) Abort();
      lastYield_ = Clock::now();
    }
    if (app().QuitAllowed || bar_.Closing) Abort();
    return !stop_;
  }

  void Abort() {
    stop_ = true;
    out_.stopped = true;
  }

  bool Collecting() const { return state_ != Scan::SeekStart && state_ != Scan::InItem; }

  // ---- One line ----

  void ProcessLine(std::string& raw) {
    // A UTF-16 page split at its line-feed bytes leaves the high byte of the
    // line feed at the start of the next line.
    if (def_.Encoding == kEncodingUtf16Le && !raw.empty() && raw[0] == '\0') raw.erase(0, 1);
    std::string text(Trimmed(DecodeToSjis(raw, def_.Encoding)));
    std::string lower = platform::SjisAsciiLower(text);
    ReplaceReferences(text, lower);
    line_.Assign(std::move(text));
    cur_ = 0;
    lineResume_ = 0;
    if (line_.Size() == 0) return;
    NoteRedirect();

    if (weather_) {
      if (!weatherWalk()) return;
      weatherWalk()->Line(*this, line_.Lower());
      if (area_ != 2 || stop_) return;
      ScanLine();
      return;
    }

    // A line that is one comment drops the headline being collected.
    if (commentsOn_ && line_.At(0, "<!--") && line_.Size() >= 7 && line_.Find("-->", 4) == line_.Size() - 3) {
      DropHeadline();
      carried_.clear();
      return;
    }

    size_t from = 0, end = line_.Size(), endSearch = 0;
    bool areaEnds = false;
    if (area_ == 999) {
      // Without a start marker nothing can open the area again.
      if (startMarker_.Empty()) {
        stop_ = true;
        return;
      }
      area_ = 0;
    }
    if (area_ == 0) {
      MarkerMatch m = MatchMarker(0, startMarker_, line_, 0, markerRun_);
      if (!m.position) return;
      area_ = 2;
      markerRun_.areaEntered = true;
      // The area begins at the marker, also on a page written as one line.
      from = m.position - 1;
      endSearch = from + m.length;
    }
    if (!endMarker_.Empty()) {
      MarkerMatch m = MatchMarker(1, endMarker_, line_, endSearch, markerRun_);
      if (m.position) {
        end = m.position - 1;
        areaEnds = true;
      }
    }
    if (from > 0 || end < line_.Size()) line_.Keep(from, end);
    ScanLine();
    if (areaEnds) {
      area_ = 999;
      // A headline is not continued in the next area.
      if (state_ != Scan::SeekStart) DropHeadline();
    }
  }

  void NoteRedirect() {
    size_t at = line_.Find("window.location.href", 0);
    if (at == kNotFound) at = line_.Find("meta http-equiv=\"refresh\"", 0);
    if (at == kNotFound) return;
    const std::string& text = line_.Text();
    size_t q = text.find_first_of("\"'", at + (line_.At(at, "window") ? 20 : 25));
    if (q == std::string::npos) return;
    size_t close = text.find(text[q], q + 1);
    if (close == std::string::npos) return;
    out_.redirect = text.substr(q + 1, close - q - 1);
  }

  void ScanLine() {
    TakeBase();
    while (!stop_ && cur_ < line_.Size()) {
      if (state_ == Scan::SeekStart) {
        if (!SeekStart()) return;
      } else if (state_ == Scan::InItem) {
        ScanItem();
      } else {
        ScanRows();
      }
    }
  }

  void TakeBase() {
    size_t at = line_.Find("<base", 0);
    if (at == kNotFound || !TagNameEnds(line_, at + 5)) return;
    Tag tag = ParseTag(line_, at + 5);
    for (const Attribute& a : tag.attributes)
      if (a.name == "href" && !Trimmed(a.value).empty()) base_ = MakePageBase(ResolveLink(base_, a.value));
  }

  // ---- Looking for the next headline ----

  enum Found { kNone, kComment, kTableOpen, kTableClose, kLink, kStartTag, kCell, kRowEnd, kItem, kSkip, kWeatherCell };

  struct Candidate {
    size_t pos = kNotFound;
    Found what = kNone;
    size_t length = 0;
    Form form = Form::None;
    std::string value;
    size_t resume = 0;
  };

  static Candidate Hit(size_t pos, Found what, size_t length) {
    Candidate c;
    c.pos = pos;
    c.what = what;
    c.length = length;
    return c;
  }

  static void Consider(Candidate& best, const Candidate& c) {
    if (c.pos != kNotFound && c.pos < best.pos) best = c;
  }

  // The next anchor from `from` that carries an address or a name.
  Candidate FindLink(size_t from) const {
    while (true) {
      size_t at = line_.Find("<a", from);
      if (at == kNotFound) return {};
      if (at + 2 >= line_.Size() || !Space(line_.Byte(at + 2))) {
        from = at + 2;
        continue;
      }
      Tag tag = ParseTag(line_, at + 2);
      Candidate c;
      if (tag.complete) c.form = ChooseForm(tag, &c.value);
      if (c.form != Form::None) {
        c.pos = at;
        c.what = kLink;
        c.resume = tag.end;
        return c;
      }
      // Nothing inside this tag can start a headline.
      if (!tag.complete) return {};
      from = std::max(tag.end, at + 2);
    }
  }

  size_t FindTagStart(std::string_view tag, size_t from) const {
    while (true) {
      size_t at = line_.Find(tag, from);
      if (at == kNotFound || TagNameEnds(line_, at + tag.size())) return at;
      from = at + 1;
    }
  }

  // False when the rest of the line holds no more headline starts.
  bool SeekStart() {
    const size_t n = line_.Size();
    while (cur_ < n && !stop_) {
      if (commentsOn_ && comment_) {
        size_t close = line_.Find("-->", cur_);
        if (close == kNotFound) {
          cur_ = n;
          return false;
        }
        cur_ = close + 3;
        comment_ = false;
        continue;
      }
      Candidate best;
      if (commentsOn_) Consider(best, Hit(line_.Find("<!--", cur_), kComment, 4));
      if (tableMode_ != 0) {
        Consider(best, Hit(FindTagStart("<table", cur_), kTableOpen, 6));
        Consider(best, Hit(line_.Find("/table>", cur_), kTableClose, 7));
      }
      if (weather_) {
        const size_t lt = line_.Find("<", cur_);
        const size_t gt = line_.Find(">", std::max<size_t>(cur_, 1));
        Consider(best, Hit(std::min(lt, gt), kWeatherCell, 0));
      } else if (table_.Open) {
        Consider(best, FindLink(cur_));
        Consider(best, Hit(FindTagStart("<td", cur_), kCell, 3));
        Consider(best, Hit(line_.Find("/tr>", cur_), kRowEnd, 4));
      } else if (rss_) {
        Consider(best, Hit(FindTagStart("<item", cur_), kItem, 5));
        Consider(best, Hit(FindTagStart("<rdf:description", cur_), kItem, 16));
        Consider(best, Hit(line_.Find("xmlns:pheedo=", cur_), kSkip, 13));
        if (!defaultStart_) FindStartTags(best);
      } else if (defaultStart_) {
        Consider(best, FindLink(cur_));
      } else {
        FindStartTags(best);
      }
      if (best.pos == kNotFound) {
        cur_ = n;
        return false;
      }
      switch (best.what) {
        case kComment:
          comment_ = true;
          cur_ = best.pos + 4;
          break;
        case kSkip:
          cur_ = best.pos + best.length;
          break;
        case kTableOpen:
          cur_ = best.pos + best.length;
          TableOpens();
          if (!Step()) return false;
          break;
        case kTableClose:
          cur_ = best.pos + best.length;
          TableCloses();
          if (!Step()) return false;
          break;
        case kRowEnd:
          ++table_.Rows;
          cur_ = best.pos + best.length;
          break;
        case kLink:
          OpenHeadline(best.form, best.value, best.resume);
          return true;
        case kStartTag:
        case kCell:
          OpenHeadline(Form::None, {}, best.pos + best.length);
          return true;
        case kWeatherCell:
          OpenWeatherCell(best.pos);
          return true;
        case kItem:
          OpenItem(best.pos + best.length);
          return true;
        case kNone:
          return false;
      }
    }
    return false;
  }

  void FindStartTags(Candidate& best) const {
    for (const std::string& tag : startAlternatives_) Consider(best, Hit(FindTagStart(tag, cur_), kStartTag, tag.size()));
  }

  void OpenHeadline(Form form, const std::string& value, size_t resume) {
    form_ = form;
    cell_ = table_.Open;
    address_.clear();
    if (form != Form::None) {
      address_ = IsName(form) ? ResolveAnchor(base_, value) : ResolveLink(base_, value);
      acceptShort_ = false;
    }
    rows_ = {carried_.empty() ? std::string() : carried_ + " ", std::string(), std::string()};
    carried_.clear();
    skip_ = false;
    state_ = Scan::SkipStartTag;
    cur_ = resume;
  }

  void OpenWeatherCell(size_t at) {
    OpenHeadline(Form::None, {}, at);
    acceptShort_ = true;
    WeatherWalk* walk = weatherWalk();
    if (!walk || !walk->TakePictureText()) return;
    // The weather given by a picture: its alt text.
    size_t img = line_.Find("img src", at);
    if (img == kNotFound) return;
    size_t alt = line_.Find("alt=\"", img);
    if (alt == kNotFound) return;
    size_t close = line_.Find("\">", alt + 5);
    const std::string& text = line_.Text();
    rows_ = {text.substr(alt + 5, (close == kNotFound ? text.size() : close) - alt - 5), {}, {}};
    Complete(line_.Size());
  }

  void OpenItem(size_t resume) {
    rows_ = {};
    address_.clear();
    fieldsComplete_ = false;
    state_ = Scan::InItem;
    cur_ = resume;
  }

  void DropHeadline() {
    rows_ = {};
    address_.clear();
    form_ = Form::None;
    cell_ = false;
    skip_ = false;
    state_ = Scan::SeekStart;
  }

  // ---- Tables ----

  void TableOpens() {
    ++table_.Depth;
    if (table_.Depth <= 1) {
      table_.Open = true;
      table_.Columns = 0;
      table_.Rows = 0;
      table_.Cells.Count = 0;
      table_.Cells.HighWater = 1;
      acceptShort_ = false;
    }
  }

  // True when the outermost table closed.
  bool TableCloses() {
    if (table_.Depth > 0) --table_.Depth;
    // A stray closing tag does not emit the last table again.
    if (table_.Depth >= 1 || !table_.Open) return false;
    table_.Open = false;
    acceptShort_ = false;
    if (tableMode_ == 1 || tableMode_ == 2) {
      const int count = tableMode_ == 1 ? def_.TableCellsX : def_.TableCellsY;
      EmitTableGrid(table_, tableMode_, count, [this](const std::string& text, const std::string& address) {
        HeadlineRows rows{text, {}, {}};
        RowSplitOptions o = split_;
        o.acceptShort = false;
        if (RowSplit(rows, o)) Add(rows, address);
      });
    }
    return true;
  }

  void StoreCell(const HeadlineRows& rows, const std::string& address) {
    std::string text = rows[0] + rows[1] + rows[2];
    std::string link = address;
    if (Unwanted(rows, address)) text.clear(), link.clear();
    if (table_.Rows == 0) ++table_.Columns;
    TableCell& cell = table_.Cells.Item(table_.Cells.Count);
    cell.Text = SjisCut(text, kCellTextLimit);
    cell.Address = SjisCut(link, kCellTextLimit);
    ++table_.Cells.Count;
    ++table_.Cells.HighWater;
  }

  // ---- Inside a headline ----

  struct EndMatch {
    size_t length = 0;
    bool newLink = false;
    bool rowEnd = false;  // a table row ended inside a cell
  };

  EndMatch EndTagAt(size_t p) const {
    if (cell_) {
      if (size_t n = line_.TagAt(p, "</td>")) return {n};
      if (size_t n = line_.TagAt(p, "</tr>")) return {n, false, true};
      return {};
    }
    if (rss_) {
      for (const char* t : {"/rdf:", "</item>", "</description>"})
        if (size_t n = line_.TagAt(p, t)) return {n};
    }
    if (weather_ && def_.EndTag == kEndTagTdOrBr && weatherWalk() && weatherWalk()->TdOnly()) {
      if (size_t n = line_.TagAt(p, "</td>")) return {n};
    } else {
      for (const std::string& t : endAlternatives_)
        if (size_t n = line_.TagAt(p, t)) return {n};
    }
    // A new link ends a link headline.
    if (!weather_ && form_ != Form::None && line_.At(p, " href") && p + 5 < line_.Size() &&
        (line_.Byte(p + 5) == '=' || line_.Byte(p + 5) == ' '))
      return {0, true};
    return {};
  }

  size_t ShortTagAt(size_t p, bool rowState) const {
    static constexpr const char* kRow[] = {"</td>", "<td>", "</dt>", "</h2>", "</h3>", "</th>"};
    static constexpr const char* kTag[] = {"</div>", "<div>", "</dt>", "</h2>", "</h3>", "</th>"};
    for (const char* t : rowState ? kRow : kTag)
      if (size_t n = line_.TagAt(p, t)) return n;
    // "</td" and "</div" end a cell whatever follows.
    if (rowState && line_.At(p, "</td")) return 4;
    if (!rowState && line_.At(p, "</div")) return 5;
    return 0;
  }

  // Where scanning resumes after a headline that a new link ended: at the
  // start of the tag that carries the link.
  size_t TagStartBefore(size_t p) const {
    for (size_t i = p; i > lineResume_;) {
      --i;
      const unsigned char c = line_.Byte(i);
      if (c == '<') return i;
      if (c == '>') break;
    }
    return p;
  }

  void Append(int row) {
    std::string& r = rows_[static_cast<size_t>(row)];
    if (r.size() < kMaxRowBytes) r += line_.Text()[cur_];
  }

  void ScanRows() {
    const size_t n = line_.Size();
    if (state_ == Scan::SkipStartTag && oricon_ && RankingPicture()) return;
    while (cur_ < n && !stop_) {
      const size_t p = cur_;
      const unsigned char c = line_.Byte(p);
      const bool special = c == '<' || c == '>' || c == '-' || c == ' ' || c == '/';
      if (!special) {
        if (c >= 32 && !comment_) {
          if (state_ == Scan::Row1 && !skip_) Append(0);
          else if (state_ == Scan::Row2) Append(1);
          else if (state_ == Scan::Row3) Append(2);
        }
        ++cur_;
        continue;
      }
      if (SpecialAt(p)) return;
    }
  }

  // One position that may hold a tag; true when the headline ended or the
  // scan moved elsewhere.
  bool SpecialAt(size_t p) {
    const unsigned char c = line_.Byte(p);
    const bool tableTags = tableMode_ != 0 && !(commentsOn_ && comment_);
    if (tableTags && c == '<') {
      if (line_.At(p, "<table") && TagNameEnds(line_, p + 6)) {
        // The table tag with its attributes is no text of the cell.
        const size_t gt = line_.Find(">", p + 6);
        cur_ = gt == kNotFound ? line_.Size() : gt + 1;
        TableOpens();
        Step();
        return false;
      }
      if (size_t len = line_.TagAt(p, "</table>")) {
        cur_ = p + len;
        if (TableCloses()) DropHeadline();
        Step();
        return true;
      }
    }
    const bool rowState = state_ == Scan::Row1;
    const bool tagState = state_ == Scan::SkipStartTag;
    if (acceptShort_ && !rows_[0].empty() && (rowState || tagState) && c == '<') {
      if (size_t len = ShortTagAt(p, rowState)) {
        // A closing tag is passed; an opening one starts the next cell.
        Complete(line_.At(p, "</") ? p + len : p);
        return true;
      }
    }
    // The end tag, except in a link's own start tag.
    const bool linkTag = tagState && form_ != Form::None && !cell_;
    if (!linkTag) {
      EndMatch m = EndTagAt(p);
      if (m.rowEnd) {
        ++table_.Rows;
        cur_ = p + m.length;
        DropHeadline();
        Step();
        return true;
      }
      if (m.newLink) {
        Complete(TagStartBefore(p));
        return true;
      }
      if (m.length) {
        Complete(p + m.length);
        return true;
      }
    } else if (size_t len = line_.TagAt(p, "</a>")) {
      Complete(p + len);  // an anchor without text
      return true;
    }

    if (commentsOn_) {
      if (line_.At(p, "<!--")) {
        comment_ = true;
        cur_ = p + 4;
        return false;
      }
      if (line_.At(p, "-->")) {
        comment_ = false;
        cur_ = p + 3;
        return false;
      }
    }

    switch (state_) {
      case Scan::SkipStartTag:
        if (c == '>') {
          state_ = Scan::Row1;
          cur_ = p + 1;
          return false;
        }
        if (c == ' ' && form_ == Form::None && address_.empty() && TakeInnerLink(p)) return false;
        break;
      case Scan::SkipToRow2:
      case Scan::SkipToRow3:
        if (c == '>') {
          state_ = state_ == Scan::SkipToRow2 ? Scan::Row2 : Scan::Row3;
          cur_ = p + 1;
          return false;
        }
        break;
      case Scan::Row1:
        if (c == '<') {
          if (cell_ && line_.At(p, "<a") && p + 2 < line_.Size() && Space(line_.Byte(p + 2))) {
            // A link restarts the cell.
            DropHeadline();
            cur_ = p;
            return true;
          }
          for (const char* t : {"<b>", "</b>", "</a>", "<br>", "</span>", "</font>"}) {
            if (line_.At(p, t)) {
              cur_ = p + std::char_traits<char>::length(t);
              return false;
            }
          }
          if (line_.At(p, "<spa") || line_.At(p, "<fon")) {
            skip_ = true;
            cur_ = p + 4;
            return false;
          }
          TrimInPlace(rows_[0]);
          if (acceptShort_ && !rows_[0].empty()) {
            Complete(p);
            return true;
          }
          state_ = (rows_[0].empty() || form_ == Form::None || table_.Open) ? Scan::SkipStartTag : Scan::SkipToRow2;
          cur_ = p + 1;
          return false;
        }
        if (c == '>' && skip_) {
          skip_ = false;
          cur_ = p + 1;
          return false;
        }
        if (!comment_ && !skip_) Append(0);
        break;
      case Scan::Row2:
      case Scan::Row3:
        if (c == '<') {
          if (line_.At(p, "<b>") || line_.At(p, "</b>")) {
            cur_ = p + (line_.At(p, "<b>") ? 3 : 4);
            return false;
          }
          if (state_ == Scan::Row2) {
            TrimInPlace(rows_[1]);
            state_ = rows_[1].empty() ? Scan::SkipToRow2 : Scan::SkipToRow3;
          } else {
            state_ = Scan::SkipToRow3;
          }
          cur_ = p + 1;
          return false;
        }
        if (!comment_) Append(state_ == Scan::Row2 ? 1 : 2);
        break;
      default:
        break;
    }
    cur_ = p + 1;
    return false;
  }

  // Inside a tag of a headline opened by another start tag: its first link
  // gives the headline its address.
  bool TakeInnerLink(size_t p) {
    if (!line_.At(p, " href")) return false;
    size_t j = p + 5;
    while (j < line_.Size() && Space(line_.Byte(j))) ++j;
    if (j >= line_.Size() || line_.Byte(j) != '=') return false;
    Tag tag = ParseTag(line_, p);
    std::string value;
    Form f = tag.complete ? ChooseForm(tag, &value) : Form::None;
    if (f == Form::None || IsName(f)) return false;
    address_ = ResolveLink(base_, value);
    cur_ = tag.end;
    return true;
  }

  // The ranking site marks its places with pictures "icon_ranking...N.gif".
  bool RankingPicture() {
    size_t img = line_.Find("img src", cur_);
    if (img == kNotFound) return false;
    size_t icon = line_.Find("icon_ranking", img);
    if (icon == kNotFound) return false;
    size_t gif = line_.Find(".gif", icon);
    if (gif == kNotFound) return false;
    const std::string& lower = line_.Lower();
    size_t last = gif;
    while (last > icon && !(lower[last - 1] >= '0' && lower[last - 1] <= '9')) --last;
    size_t first = last;
    while (first > icon && lower[first - 1] >= '0' && lower[first - 1] <= '9') --first;
    if (first < last) {
      rows_ = {"No." + lower.substr(first, last - first), {}, {}};
      Complete(line_.Size());
    } else {
      cur_ = line_.Size();
    }
    return true;
  }

  // ---- Feed items ----

  void ScanItem() {
    const size_t n = line_.Size();
    while (cur_ < n && !stop_) {
      const size_t p = cur_;
      const unsigned char c = line_.Byte(p);
      if (c == '/' || c == '<') {
        size_t len = line_.TagAt(p, "/rdf:");
        if (!len) len = line_.TagAt(p, "/item>");
        if (len) {
          cur_ = p + len;
          EndItem();
          return;
        }
      }
      if (c == '<' && ItemElementAt(p)) continue;
      if ((c == 'r' || c == 'd' || c == ' ') && line_.CharStart(p) && ItemAttributeAt(p)) continue;
      cur_ = p + 1;
    }
  }

  // Which field a token fills: 0, 1, 2 rows 1-3; 3 the address.
  void Fill(int field, const std::string& value, bool completes) {
    std::string v(Trimmed(value));
    if (field == 3) {
      if (!v.empty() && (address_.empty() || !fieldsComplete_)) address_ = ResolveLink(base_, v);
      return;
    }
    if (fieldsComplete_) return;
    rows_[static_cast<size_t>(field)] = SjisCut(v, kMaxRowBytes);
    if (completes) fieldsComplete_ = true;
  }

  bool ItemElementAt(size_t p) {
    struct Element {
      const char* token;
      int field;
      bool completes;
    };
    static constexpr Element kElements[] = {{"<link>", 3, false},  {"<identifier>", 3, false}, {"<title>", 2, false},
                                            {"<subject>", 1, false}, {"<description>", 0, true}};
    const std::string& text = line_.Text();
    const size_t n = line_.Size();
    for (const Element& e : kElements) {
      size_t len = line_.TagAt(p, e.token);
      if (!len) continue;
      size_t start = p + len;
      if (line_.Byte(p + len - 1) != '>') {
        // The element carries attributes: its value follows its ">".
        size_t gt = line_.Find(">", p + len - 1);
        if (gt == kNotFound) {
          cur_ = n;
          return true;
        }
        if (gt > 0 && line_.Byte(gt - 1) == '/') {
          cur_ = gt + 1;
          return true;
        }
        start = gt + 1;
      }
      std::string value;
      if (line_.At(start, "<![cdata[")) {
        size_t close = line_.Find("]]>", start + 9);
        value = text.substr(start + 9, (close == kNotFound ? n : close) - start - 9);
        cur_ = close == kNotFound ? n : close + 3;
      } else {
        size_t lt = line_.Find("<", start);
        value = text.substr(start, (lt == kNotFound ? n : lt) - start);
        cur_ = lt == kNotFound ? n : lt;
      }
      Fill(e.field, value, e.completes);
      return true;
    }
    return false;
  }

  bool ItemAttributeAt(size_t p) {
    struct Attr {
      const char* token;
      int field;
    };
    static constexpr Attr kAttributes[] = {{"rdf:about", 3}, {"dc:identifier", 3}, {"dc:title", 2},
                                           {"dc:subject", 1}, {"dc:description", 0}, {" href", 3}};
    for (const Attr& a : kAttributes) {
      if (!line_.At(p, a.token)) continue;
      size_t j = p + std::char_traits<char>::length(a.token);
      while (j < line_.Size() && Space(line_.Byte(j))) ++j;
      if (j >= line_.Size() || line_.Byte(j) != '=') return false;
      ++j;
      while (j < line_.Size() && Space(line_.Byte(j))) ++j;
      if (j >= line_.Size() || (line_.Byte(j) != '"' && line_.Byte(j) != '\'')) return false;
      const char quote = static_cast<char>(line_.Byte(j));
      size_t close = line_.Text().find(quote, j + 1);
      if (close == std::string::npos) return false;
      std::string value = line_.Text().substr(j + 1, close - j - 1);
      // A link inside an item only supplies a missing address.
      if (a.token[0] != ' ' || address_.empty()) Fill(a.field, value, false);
      cur_ = close + 1;
      return true;
    }
    return false;
  }

  void EndItem() {
    HeadlineRows rows = rows_;
    std::string address = address_;
    DropHeadline();
    for (std::string& r : rows) TrimInPlace(r);
    if (rows[2] == rows[0]) {
      rows[2].clear();
    } else if (!rows[2].empty()) {
      rows[0] = rows[2] + " " + rows[0];
      rows[2].clear();
    }
    if (rows[0].find('&') != std::string::npos) rows[0] = ReplaceNamedReferencesAgain(rows[0]);
    rows[0] = ReplaceAll(ReplaceAll(rows[0], "%2f", "/"), "%20", " ");
    TrimInPlace(rows[0]);
    if (!carried_.empty()) {
      rows[0] = carried_ + " " + rows[0];
      carried_.clear();
    }
    Emit(rows, address);
    Step();
  }

  // ---- Emission ----

  void Complete(size_t resume) {
    HeadlineRows rows = rows_;
    std::string address = address_;
    const bool cell = cell_;
    DropHeadline();
    cur_ = resume;
    lineResume_ = resume;
    for (std::string& r : rows) TrimInPlace(r);
    if (cell) {
      StoreCell(rows, address);
    } else if (weather_) {
      RowSplitOptions o = split_;
      o.acceptShort = true;
      if (RowSplit(rows, o) && weatherWalk()) weatherWalk()->Cell(*this, rows);
    } else {
      Emit(rows, address);
    }
    Step();
  }

  bool Unwanted(const HeadlineRows& rows, const std::string& address) const {
    for (const std::string& r : rows)
      if (SjisContainsNoCase(r, "mailto:")) return true;
    if (SjisContainsNoCase(address, "mailto:")) return true;
    if (def_.StartTag == kStartTagBr) {
      static const std::string bookmark = SJ("ブックマーク");
      for (const std::string& r : rows)
        if (r.find(bookmark) != std::string::npos) return true;
    }
    return false;
  }

  void Emit(HeadlineRows rows, std::string address) {
    if (Unwanted(rows, address)) return;
    if (rss_ && rows[1] == address) rows[1].clear();
    ReplacePartnerHost(address);

    HeadlineRows shown = rows;
    RowSplitOptions o = split_;
    o.acceptShort = acceptShort_;
    if (!RowSplit(shown, o)) {
      // Too short: remembered, and carried into the next headline.
      pendingAddress_ = address;
      carried_ = std::string(Trimmed(rows[0] + rows[1] + rows[2]));
      hasPending_ = true;
      return;
    }
    if (hasPending_) {
      if (!weather_ && !board_ && address.empty()) address = pendingAddress_;
      if (board_ && address.find('#') != std::string::npos) address = pendingAddress_;
      hasPending_ = false;
      pendingAddress_.clear();
    }
    Add(shown, address);
  }

  void ReplacePartnerHost(std::string& address) const {
    const std::string& host = SponsorPartnerHost();
    if (!sponsored_ || host.empty() || url_.find(kSponsorPartnerDomain) == std::string::npos) return;
    size_t at = address.find("http://");
    if (at == std::string::npos) return;
    size_t hostStart = at + 7;
    size_t hostEnd = address.find('/', hostStart);
    address.replace(hostStart, (hostEnd == std::string::npos ? address.size() : hostEnd) - hostStart, host);
  }

  void Add(const HeadlineRows& rows, const std::string& address) {
    HeadlineResult r = AddHeadline(run_.bar, run_.background, run_.index, def_, rows, address, run_.keywordCheck);
    if (!r.accepted) return;
    ++out_.produced;
    if (!run_.background && run_.index >= 0)
      out_.historyLines.push_back(HistoryLine(today_, {}, r.keywordMatched, r.historyText, r.address));
  }

  // ---- State ----

  const ParseRun& run_;
  NewsDefinition def_;
  ParseOutcome& out_;
  BarHeadlines& bar_;
  TableState& table_;
  bool& acceptShort_;

  std::string url_;
  bool rss_ = false, board_ = false, weather_ = false, sponsored_ = false, oricon_ = false, commentsOn_ = true;
  bool defaultStart_ = true;
  int tableMode_ = 0;
  std::vector<std::string> startAlternatives_, endAlternatives_;
  Marker startMarker_, endMarker_;
  MarkerRun markerRun_;
  PageBase base_;
  RowSplitOptions split_;
  int today_ = 0;

  int area_ = 0;
  int steps_ = 0;
  bool stop_ = false;
  Clock::time_point lastYield_;

  PageLine line_;
  size_t cur_ = 0;
  size_t lineResume_ = 0;
  Scan state_ = Scan::SeekStart;
  bool comment_ = false;
  bool skip_ = false;
  Form form_ = Form::None;
  bool cell_ = false;
  bool fieldsComplete_ = false;
  HeadlineRows rows_;
  std::string address_;
  std::string carried_;
  std::string pendingAddress_;
  bool hasPending_ = false;
};

}  // namespace

ParseOutcome RunPageParser(const ParseRun& run, CacheLines& lines) {
  ParseOutcome out;
  PageParser parser(run, out);
  parser.Run(lines);
  return out;
}

ParseOutcome RunPluginLines(const ParseRun& run, const PluginOutput& plugin) {
  ParseOutcome out;
  const RowSplitOptions options = SplitOptionsFor(run);
  const std::string address =
      plugin.openUrl.empty() ? std::string(Trimmed(FieldText(run.definition.Url))) : plugin.openUrl;
  const int today = TodayDayNumber();
  std::string_view rest = plugin.text;
  while (!rest.empty() && out.linesRead < kMaxParseSteps) {
    size_t end = rest.find("\r\n");
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
    ++out.linesRead;
    HeadlineRows rows{std::string(Trimmed(line)), {}, {}};
    if (rows[0].empty() || !RowSplit(rows, options)) continue;
    HeadlineResult r = AddHeadline(run.bar, run.background, run.index, run.definition, rows, address, run.keywordCheck);
    if (!r.accepted) continue;
    ++out.produced;
    if (!run.background && run.index >= 0)
      out.historyLines.push_back(HistoryLine(today, {}, r.keywordMatched, r.historyText, r.address));
  }
  return out;
}

}  // namespace lumetra
