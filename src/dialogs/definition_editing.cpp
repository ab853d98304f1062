#include "dialogs/definition_editing.h"

#include <algorithm>
#include <charconv>
#include <climits>

#include "app/app_state.h"
#include "definitions/default_set.h"
#include "definitions/definition_exchange.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"

namespace lumetra {

namespace {

EditorBarCalls& Calls() {
  static EditorBarCalls calls;
  return calls;
}

bool ValidRow(const TIPlist5& list, int row) { return row >= 0 && row < list.Count; }

enum class Who { NotSponsored, NotSponsoredNorPlugin, All, NotPlugin, PluginOnly };

Who WhoTakes(EditField field) {
  switch (field) {
    case EditField::Url:
    case EditField::MainUrl:
    case EditField::StartMarker:
    case EditField::EndMarker:
    case EditField::StartTag:
    case EditField::EndTag: return Who::NotSponsoredNorPlugin;
    case EditField::Patrol:
    case EditField::AlwaysFetch:
    case EditField::TableCellsX:
    case EditField::TableCellsY: return Who::All;
    case EditField::FetchTitle:
    case EditField::Rss: return Who::NotPlugin;
    case EditField::PluginAnalysis: return Who::PluginOnly;
    default: return Who::NotSponsored;
  }
}

// The valid values of a choice or flag field.
bool ValueAllowed(EditField field, int value) {
  switch (field) {
    case EditField::Category: return CategoryCode(CategoryName(value)) == value;
    case EditField::StartTag: return value >= 0 && value < kStartTagCount;
    case EditField::EndTag: return value >= 0 && value < kEndTagCount;
    case EditField::Region:
      return value == 0 || std::any_of(Regions().begin(), Regions().end(),
                                       [value](const RegionEntry& e) { return e.code == value; });
    case EditField::Channel: return value >= 0 && value < kChannelCount;
    case EditField::Encoding: return value >= 0 && value <= 4;
    case EditField::TableMode: return value >= 0 && value <= 2;
    case EditField::GroupId: return true;
    case EditField::MinChars: return value >= 0 && value <= 255;
    case EditField::TableCellsX: return value >= 0 && value <= 99;
    case EditField::TableCellsY: return value >= 1 && value <= 99;
    default: return value == 0 || value == 1;  // flags
  }
}

void WriteValue(NewsDefinition& d, EditField field, int value) {
  const auto byte = static_cast<uint8_t>(value);
  switch (field) {
    case EditField::GroupId: d.GroupId = value; break;
    case EditField::MinChars: d.MinChars = byte; break;
    case EditField::TableCellsX: d.TableCellsX = byte; break;
    case EditField::TableCellsY: d.TableCellsY = byte; break;
    case EditField::Category: d.Category = byte; break;
    case EditField::StartTag: d.StartTag = byte; break;
    case EditField::EndTag: d.EndTag = byte; break;
    case EditField::Region: d.Region = byte; break;
    case EditField::Channel: d.Channel = byte; break;
    case EditField::ShowInMenu: d.ShowInMenu = byte; break;
    case EditField::Patrol: d.Patrol = byte; break;
    case EditField::AlwaysFetch: d.AlwaysFetch = byte; break;
    case EditField::Favourite: d.Favourite = byte; break;
    case EditField::UseCookie: d.UseCookie = byte; break;
    case EditField::BoardMode: d.BoardMode = byte; break;
    case EditField::FetchTitle: d.FetchTitle = byte; break;
    case EditField::Rss: d.Rss = byte; break;
    case EditField::PluginAnalysis: d.PluginAnalysis = byte; break;
    case EditField::Encoding: d.Encoding = byte; break;
    case EditField::TableMode: d.TableMode = byte; break;
    default: break;
  }
}

template <typename Write>
std::vector<int> WriteRows(TIPlist5& list, const std::vector<int>& rows, EditField field, Write write) {
  std::vector<int> written;
  for (int row : rows) {
    if (!ValidRow(list, row)) continue;
    NewsDefinition& d = list.Item(row);
    if (!FieldWritesRecord(field, d)) continue;
    write(d);
    if (FieldResetsLastModified(field)) d.LastModified = 0;
    written.push_back(row);
  }
  return written;
}

std::string DataFile(const char* name) { return platform::JoinPath(app().DataFolder, name); }

}  // namespace

DefinitionEditorState& definitionEditor() {
  static DefinitionEditorState state;
  return state;
}

EditorBarCalls InstallEditorBarCalls(EditorBarCalls calls) {
  EditorBarCalls previous = std::move(Calls());
  Calls() = std::move(calls);
  return previous;
}

bool BarExists(int bar) { return bar >= 0 && bar < kBarCount && Calls().barExists && Calls().barExists(bar); }
void MakeCurrentBar(int bar) {
  if (Calls().makeCurrentBar) Calls().makeCurrentBar(bar);
}
bool MaintenanceWalkRunning() { return Calls().maintenanceWalkRunning && Calls().maintenanceWalkRunning(); }

int& BarDefinition(int bar) {
  if (bar <= 0 || bar >= kBarCount) return NewsList().CurrentIndex;
  return bars()[bar].Definition;
}

std::string DefinitionCaption(TIPlist5& list, int current, bool numbered, int index) {
  std::string caption;
  if (numbered) {
    caption = "No." + std::to_string(index);
    if (index <= 9)
      caption += "  ";
    else if (index <= 99)
      caption += " ";
  }
  NewsDefinition& d = list.Item(index);
  if (d.Category == kCategorySearch) d.HasNew = d.Seen = d.Patrol = 0;
  if (index == current)
    caption += SJ(d.HasNew == 1 ? "★" : "■");
  else
    caption += SJ(d.HasNew == 1 && d.Seen == 0 ? "☆" : "－");
  caption += d.Patrol ? SJ("↓ ") : SJ("－ ");
  caption += d.PluginDefinition ? "* " : "  ";
  return caption + FieldText(d.Title);
}

std::optional<int> ParseWholeNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  size_t end = text.find(' ', i);
  std::string_view number = text.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
  if (!number.empty() && number.front() == '+') {
    number.remove_prefix(1);
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) return std::nullopt;
  }
  if (number.empty()) return std::nullopt;
  long long value = 0;
  auto [rest, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || rest != number.data() + number.size()) return std::nullopt;
  if (value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

bool FieldWritesRecord(EditField field, const NewsDefinition& d) {
  switch (WhoTakes(field)) {
    case Who::All: return true;
    case Who::NotSponsored: return d.Sponsor == 0;
    case Who::NotSponsoredNorPlugin: return d.Sponsor == 0 && d.PluginDefinition == 0;
    case Who::NotPlugin: return d.PluginDefinition == 0;
    case Who::PluginOnly: return d.PluginDefinition != 0;
  }
  return false;
}

bool FieldResetsLastModified(EditField field) {
  switch (field) {
    case EditField::GroupId:
    case EditField::MinChars:
    case EditField::TableCellsX:
    case EditField::TableCellsY:
    case EditField::FetchTitle:
    case EditField::Rss:
    case EditField::PluginAnalysis: return false;
    default: return true;
  }
}

std::vector<int> ApplyText(TIPlist5& list, const std::vector<int>& rows, EditField field, std::string_view text) {
  return WriteRows(list, rows, field, [&](NewsDefinition& d) {
    switch (field) {
      case EditField::Url: SetFieldText(d.Url, text); break;
      case EditField::Title: SetFieldText(d.Title, text); break;
      case EditField::MainUrl: SetFieldText(d.MainUrl, text); break;
      case EditField::StartMarker: SetFieldText(d.StartMarker, text); break;
      case EditField::EndMarker: SetFieldText(d.EndMarker, text); break;
      default: break;
    }
  });
}

std::vector<int> ApplyValue(TIPlist5& list, const std::vector<int>& rows, EditField field, int value) {
  if (!ValueAllowed(field, value)) return {};
  return WriteRows(list, rows, field, [&](NewsDefinition& d) { WriteValue(d, field, value); });
}

std::optional<std::vector<int>> ApplyNumber(TIPlist5& list, const std::vector<int>& rows, EditField field,
                                            std::string_view text) {
  std::optional<int> value = ParseWholeNumber(text);
  if (!value || !ValueAllowed(field, *value)) return std::nullopt;
  return ApplyValue(list, rows, field, *value);
}

int EncodingFromBoxes(bool euc, bool jis, bool utf8, bool unicode) {
  if (euc) return 1;
  if (jis) return 2;
  if (utf8) return 3;
  if (unicode) return 4;
  return 0;
}

std::vector<int> ApplyForm(TIPlist5& list, const std::vector<int>& rows, const FormContents& form) {
  std::vector<int> written;
  auto collect = [&written](const std::vector<int>& some) { written.insert(written.end(), some.begin(), some.end()); };
  collect(ApplyText(list, rows, EditField::Url, form.url));
  collect(ApplyText(list, rows, EditField::Title, form.title));
  collect(ApplyText(list, rows, EditField::StartMarker, form.startMarker));
  collect(ApplyText(list, rows, EditField::EndMarker, form.endMarker));
  collect(ApplyValue(list, rows, EditField::ShowInMenu, form.showInMenu));
  collect(ApplyValue(list, rows, EditField::Patrol, form.patrol));
  collect(ApplyValue(list, rows, EditField::AlwaysFetch, form.alwaysFetch));
  collect(ApplyValue(list, rows, EditField::Encoding, form.encoding));
  collect(ApplyValue(list, rows, EditField::UseCookie, form.useCookie));
  collect(ApplyValue(list, rows, EditField::Favourite, form.favourite));
  collect(ApplyValue(list, rows, EditField::BoardMode, form.boardMode));
  if (form.category) collect(ApplyValue(list, rows, EditField::Category, *form.category));
  if (form.region) collect(ApplyValue(list, rows, EditField::Region, *form.region));
  if (form.channel) collect(ApplyValue(list, rows, EditField::Channel, *form.channel));
  if (form.endTag) collect(ApplyValue(list, rows, EditField::EndTag, *form.endTag));
  if (form.startTag) collect(ApplyValue(list, rows, EditField::StartTag, *form.startTag));
  // Every selected row counts as visited, sponsored ones included.
  for (int row : rows)
    if (ValidRow(list, row)) list.Item(row).LastModified = 0;
  std::sort(written.begin(), written.end());
  written.erase(std::unique(written.begin(), written.end()), written.end());
  return written;
}

QRect KeepOnMonitor(const QRect& window, const QRect& monitor) {
  QRect placed = window;
  if (window.left() > monitor.right() || window.right() < monitor.left()) placed.moveLeft(monitor.left());
  if (window.top() > monitor.bottom() || window.bottom() < monitor.top()) placed.moveTop(monitor.top());
  return placed;
}

// ---- The session ----------------------------------------------------------------

DefinitionEditSession::DefinitionEditSession(int bar, TIPlist5& list, TIPlist5& holding)
    : list_(list), holding_(holding), bar_(bar >= 0 && bar < kBarCount ? bar : 0) {
  definitionEditor().DefinitionsChanged = false;
  snapshot_ = list_;
  auto barSlots = BarSlots();
  for (int b = 0; b < kBarCount; ++b) barsAtOpening_[b] = barSlots[b] ? *barSlots[b] : 0;
  savedAtOpening_ = list_.SaveDefinitions(DataFile(kDefinitionsFile));
  HoldBoardDefinitions();
  definitionEditor().EditorOpen = true;
}

DefinitionEditSession::~DefinitionEditSession() {
  if (!finished_) Finish(false);
}

std::array<int*, kBarCount> DefinitionEditSession::BarSlots() {
  std::array<int*, kBarCount> barSlots{};
  barSlots[0] = &list_.CurrentIndex;
  if (list_.TracksBars)
    for (int b = 1; b < kBarCount; ++b) barSlots[b] = &bars()[b].Definition;
  return barSlots;
}

void DefinitionEditSession::AdjustBars(const Adjust& adjust) {
  for (int* slot : BarSlots())
    if (slot) *slot = adjust(*slot);
  for (HeldBar& held : heldBars_) held.meanwhile = adjust(held.meanwhile);
}

void DefinitionEditSession::HoldBoardDefinitions() {
  holding_ = TIPlist5();
  heldBars_.clear();
  // The board list generates these; the user never edits them. They keep
  // their order and their page caches, and return at the end of the list.
  std::vector<int> held;
  for (int i = 1; i < list_.Count; ++i) {
    const NewsDefinition& d = list_.Item(i);
    if (d.Category == kCategoryBoard && d.GroupId != kBoardGroupId) held.push_back(i);
  }
  for (int i : held) holding_.Append(list_.Item(i));
  auto barSlots = BarSlots();
  for (int b = 0; b < kBarCount; ++b) {
    if (!barSlots[b]) continue;
    auto it = std::find(held.begin(), held.end(), *barSlots[b]);
    if (it != held.end()) heldBars_.push_back({b, static_cast<int>(it - held.begin()), 0});
  }
  for (auto it = held.rbegin(); it != held.rend(); ++it) {
    const int index = *it;
    for (int i = index; i + 1 < list_.Count; ++i) list_.Item(i) = list_.Item(i + 1);
    --list_.Count;
    for (int* slot : barSlots) {
      if (!slot) continue;
      // A bar on a held definition shows the one before it meanwhile.
      if (*slot >= index) *slot = std::max(*slot - 1, 1);
    }
  }
  for (HeldBar& h : heldBars_) h.meanwhile = *barSlots[h.bar];
  heldIndexes_ = std::move(held);
}

int DefinitionEditSession::RowOfOpeningIndex(int index) const {
  if (index < 0) return -1;
  int row = index;
  for (int held : heldIndexes_) {
    if (held == index) return -1;
    if (held < index) --row;
  }
  return row;
}

int DefinitionEditSession::BarCurrent() const {
  if (!BarExists(bar_)) return 0;
  return bar_ == 0 ? list_.CurrentIndex : bars()[bar_].Definition;
}

int DefinitionEditSession::InitialRow(int preselect) const {
  const int row = RowOfOpeningIndex(preselect);
  if (row >= 0 && row < Rows()) return row;
  if (BarExists(bar_)) {
    const int current = BarCurrent();
    if (current >= 0 && current < Rows()) return current;
  }
  return 0;
}

void DefinitionEditSession::Selected(int row) {
  if (ValidRow(list_, row)) list_.Item(row).LastModified = 0;
}

int DefinitionEditSession::New() {
  const int n = std::max(list_.Count, 0);
  list_.Init(n);
  // A page cache left under the new name by an earlier definition is not
  // this one's, unless another definition still goes by that name.
  const std::string title = FieldText(list_.Item(n).Title);
  bool nameInUse = false;
  for (int i = 0; i < n && !nameInUse; ++i) nameInUse = FieldText(list_.Item(i).Title) == title;
  if (!nameInUse) platform::RemoveFile(list_.CachePath(n));
  list_.Count = n + 1;
  return n;
}

int DefinitionEditSession::Duplicate(int row) {
  if (!ValidRow(list_, row) || list_.Item(row).Sponsor != 0) return -1;
  const NewsDefinition copy = list_.Item(row);
  ++list_.Count;
  for (int i = list_.Count - 1; i > row + 1; --i) {
    NewsDefinition moved = list_.Item(i - 1);
    moved.LastModified = 0;
    list_.Item(i) = moved;
  }
  list_.Item(row + 1) = copy;
  list_.Item(row + 1).LastModified = 0;
  AdjustBars([row](int v) { return v > row ? v + 1 : v; });
  return row + 1;
}

int DefinitionEditSession::Delete(const std::vector<int>& rows) {
  std::vector<int> sorted = rows;
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  sorted.erase(std::remove_if(sorted.begin(), sorted.end(), [this](int r) { return !ValidRow(list_, r); }),
               sorted.end());
  if (sorted.empty()) return Rows() > 0 ? 0 : -1;
  const int first = sorted.front();
  for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
    const int index = *it;
    if (list_.Item(index).Sponsor != 0) continue;
    list_.DeleteDefinition(index);  // moves CurrentIndex and the bars along
    for (HeldBar& held : heldBars_)
      if (held.meanwhile >= index) held.meanwhile = std::max(held.meanwhile - 1, 1);
  }
  if (Rows() == 0) return -1;
  return std::min(first, Rows() - 1);
}

void DefinitionEditSession::Swap(int a, int b) {
  NewsDefinition& x = list_.Item(a);
  NewsDefinition& y = list_.Item(b);
  std::swap(x, y);
  x.LastModified = 0;
  y.LastModified = 0;
  AdjustBars([a, b](int v) { return v == a ? b : v == b ? a : v; });
}

std::vector<int> DefinitionEditSession::MoveUp(const std::vector<int>& rows) {
  std::vector<int> sorted = rows;
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  if (sorted.empty() || sorted.front() <= 0 || sorted.back() >= Rows()) return {};
  for (int& i : sorted) {
    Swap(i - 1, i);
    --i;
  }
  return sorted;
}

std::vector<int> DefinitionEditSession::MoveDown(const std::vector<int>& rows) {
  std::vector<int> sorted = rows;
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  if (sorted.empty() || sorted.front() < 0 || sorted.back() >= Rows() - 1) return {};
  for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
    Swap(*it, *it + 1);
    ++*it;
  }
  return sorted;
}

void DefinitionEditSession::RestoreOpeningState() {
  const bool tracks = list_.TracksBars;
  list_ = snapshot_;
  list_.TracksBars = tracks;
  auto barSlots = BarSlots();
  for (int b = 0; b < kBarCount; ++b)
    if (barSlots[b]) *barSlots[b] = barsAtOpening_[b];
}

void DefinitionEditSession::Finish(bool accepted) {
  if (finished_) return;
  finished_ = true;
  if (accepted) {
    definitionEditor().DefinitionsChanged = true;
    const int base = list_.Count;
    for (int i = 0; i < holding_.Count; ++i) list_.Append(holding_.Item(i));
    auto barSlots = BarSlots();
    for (const HeldBar& held : heldBars_)
      if (*barSlots[held.bar] == held.meanwhile) *barSlots[held.bar] = base + held.holdingIndex;
    for (int i = 0; i < list_.Count; ++i) list_.Item(i).MenuDirty = 1;
    const std::string path = DataFile(kDefinitionsFile);
    if (list_.SaveDefinitions(path)) platform::CopyFileAtomically(path, DataFile(kDefinitionsBackupFile));
    NotifyMenusChanged();
    if (BarExists(bar_) && Calls().showDefinitionAgain) Calls().showDefinitionAgain(bar_);
  } else {
    const std::string path = DataFile(kDefinitionsFile);
    TIPlist5 check;
    if (savedAtOpening_ && check.LoadDefinitions(path)) {
      auto barSlots = BarSlots();
      for (int b = 0; b < kBarCount; ++b)
        if (barSlots[b]) *barSlots[b] = barsAtOpening_[b];
      list_.LoadDefinitions(path);
    } else {
      // The file is not what the editor saved: the copy taken at opening
      // holds the same definitions.
      RestoreOpeningState();
    }
  }
  holding_ = TIPlist5();
  heldBars_.clear();
  definitionEditor().EditorOpen = false;
}

}  // namespace lumetra
