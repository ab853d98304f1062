#include "definitions/definition_exchange.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "platform/binary_io.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"
#include "platform/user_prompt.h"

namespace lumetra {

using platform::ByteReader;
using platform::ByteWriter;
using platform::SjisEqualsIgnoreCase;

namespace {

std::function<void()>& MenusChanged() {
  static std::function<void()> handler;
  return handler;
}

std::string LowerExtension(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return platform::SjisAsciiLower(path.substr(dot));
}

uint32_t ByteSum(const void* data, size_t n) {
  const auto* p = static_cast<const unsigned char*>(data);
  uint32_t sum = 0;
  for (size_t i = 0; i < n; ++i) sum += p[i];
  return sum;
}

template <size_t N>
void TakeText(char (&field)[N], const char* bytes, size_t size) {
  std::string_view text(bytes, size);
  SetFieldText(field, text.substr(0, text.find('\0')));
}

template <typename T>
T TakeValue(const char* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// Layouts before the 514-byte record are Lumetra's own: shorter address and
// title, the markers and page date, then the flags in the order the current
// record keeps them.
NewsDefinition ConvertRecord(const char* b, int version, int index) {
  NewsDefinition d = DefaultDefinition(index);
  const size_t size = static_cast<size_t>(NudRecordSize(version));
  if (size >= 497) {
    const size_t copied = size == 497 ? offsetof(NewsDefinition, ExpiryDate) : size;
    std::memcpy(&d, b, copied);
  } else {
    TakeText(d.Url, b, 151);
    TakeText(d.Title, b + 151, 51);
    TakeText(d.StartMarker, b + 202, 81);
    TakeText(d.EndMarker, b + 283, 81);
    d.LastModified = TakeValue<double>(b + 364);
    d.HasNew = static_cast<uint8_t>(b[373]);
    d.Seen = static_cast<uint8_t>(b[374]);
    if (size == 388) {
      d.ShowInMenu = static_cast<uint8_t>(b[375]);
      d.Patrol = static_cast<uint8_t>(b[376]);
      d.ServerDated = static_cast<uint8_t>(b[377]);
      d.Encoding = static_cast<uint8_t>(b[378]);
      d.UseCookie = static_cast<uint8_t>(b[379]);
      d.Category = static_cast<uint8_t>(b[380]);
      d.Favourite = static_cast<uint8_t>(b[381]);
      d.GroupId = TakeValue<int32_t>(b + 382);
      d.EndTag = static_cast<uint8_t>(b[386]);
    }
  }
  d.Reserved472 = 0;
  if (version < kDefinitionsVersion) d.Region = d.Channel = d.MinChars = 0;
  platform::TerminateField(d.Url);
  platform::TerminateField(d.Title);
  platform::TerminateField(d.StartMarker);
  platform::TerminateField(d.EndMarker);
  platform::TerminateField(d.MainUrl);
  return d;
}

struct DefinitionFile {
  int32_t count = 0;  // as the header says
  std::vector<NewsDefinition> records;
};

// Reads every record the file holds. A ".nu2" of version 7 or later must
// pass its record and file checksums, else nothing is returned.
std::optional<DefinitionFile> ReadDefinitionFile(const std::string& path, bool nu2) {
  auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  ByteReader r(*bytes);
  DefinitionFile file;
  int32_t version = 0;
  if (!r.Get(file.count) || !r.Get(version)) return std::nullopt;
  const int recordSize = NudRecordSize(version);
  if (recordSize == 0) return std::nullopt;
  const bool checked = nu2 && version >= 7;
  uint32_t running = 0;
  if (nu2) {
    size_t header = 0;
    if (version >= 2) header += 4;
    if (version >= 7) header += 8;
    if (version >= 8) header += 8;
    if (!r.Skip(header)) return std::nullopt;
    if (version >= 10) {
      if (r.Remaining() < 2 * kServerAddressSize) return std::nullopt;
      running -= ByteSum(r.Peek(2 * kServerAddressSize).data(), 2 * kServerAddressSize);
      r.Skip(2 * kServerAddressSize);
    }
    int32_t sponsorInterval = 0;
    if (version >= 11 && !r.Get(sponsorInterval)) return std::nullopt;
    if (version >= 13 && !r.Skip(8 + kServerAddressSize)) return std::nullopt;
    if (checked) {
      uint32_t stored = 0;
      if (!r.Get(stored)) return std::nullopt;
      running += ScrambleChecksum(stored);
      if (version >= 11) running -= static_cast<uint32_t>(sponsorInterval);
    }
  }
  const size_t entry = static_cast<size_t>(recordSize) + (checked ? 4 : 0);
  const int32_t available = static_cast<int32_t>(std::min<size_t>(r.Remaining() / entry, INT32_MAX));
  const int32_t n = std::clamp(file.count, 0, available);
  if (checked && n != file.count) return std::nullopt;
  file.records.reserve(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    uint32_t recordSum = 0;
    if (checked) {
      r.Get(recordSum);
      recordSum = ScrambleChecksum(recordSum);
    }
    std::string_view raw = r.Peek(static_cast<size_t>(recordSize));
    r.Skip(raw.size());
    if (checked) {
      const uint32_t sum = ByteSum(raw.data(), raw.size());
      if (recordSum != sum) return std::nullopt;
      running -= sum;
    }
    file.records.push_back(ConvertRecord(raw.data(), version, i));
  }
  if (checked && running != 0) return std::nullopt;
  return file;
}

int& CurrentDefinitionOf(int bar) {
  if (bar <= 0 || bar >= kBarCount) return NewsList().CurrentIndex;
  return bars()[bar].Definition;
}

std::vector<int> Matches(TIPlist5& list, const NewsDefinition& record, bool byAddress) {
  std::vector<int> found;
  const std::string url = FieldText(record.Url), title = FieldText(record.Title);
  for (int j = 0; j < list.Count; ++j) {
    const NewsDefinition& d = list.Item(j);
    if (byAddress ? (SjisEqualsIgnoreCase(FieldText(d.Url), url) && d.GroupId == record.GroupId)
                  : SjisEqualsIgnoreCase(FieldText(d.Title), title))
      found.push_back(j);
  }
  return found;
}

// Offers the second of two or more definitions with the record's address (or
// title) for deletion, as long as the user agrees.
void OfferDuplicateDeletion(TIPlist5& list, const NewsDefinition& record, int recordNumber) {
  for (;;) {
    auto same = Matches(list, record, true);
    const char* what = "のＵＲＬがだぶったニュースがあります、削除しますか？（削除しない場合は後で必ず変更してください）";
    if (same.size() < 2) {
      same = Matches(list, record, false);
      what = "のタイトルがだぶったニュースがあります、削除しますか？（削除しない場合は後で必ず変更してください）";
    }
    if (same.size() < 2) return;
    const int j = same[1];
    const NewsDefinition& d = list.Item(j);
    platform::PromptRequest request;
    request.text = "No." + std::to_string(recordNumber) + "&" + std::to_string(j) + FieldText(d.Title) + "(" +
                   FieldText(d.Url) + ") " + SJ(what);
    request.caption = SJ("たぶりニュースの確認");
    request.buttons = platform::PromptButtons::YesNo;
    request.icon = platform::PromptIcon::Warning;
    request.defaultAnswer = platform::PromptAnswer::No;
    if (platform::ShowPrompt(request) != platform::PromptAnswer::Yes) return;
    list.DeleteDefinition(j);
  }
}

bool DiffersForCompare(const NewsDefinition& a, const NewsDefinition& b) {
  return std::strcmp(a.Url, b.Url) != 0 || std::strcmp(a.Title, b.Title) != 0 ||
         std::strcmp(a.StartMarker, b.StartMarker) != 0 || std::strcmp(a.EndMarker, b.EndMarker) != 0 ||
         a.Encoding != b.Encoding || a.EndTag != b.EndTag;
}

void KeepUserFlags(NewsDefinition& into, const NewsDefinition& from) {
  into.HasNew = from.HasNew;
  into.Seen = from.Seen;
  into.ShowInMenu = from.ShowInMenu;
  into.Patrol = from.Patrol;
  into.Favourite = from.Favourite;
}

}  // namespace

int NudRecordSize(int version) {
  if (version < 0 || version > kDefinitionsVersion) return 0;
  if (version <= 2) return 375;
  if (version == 3) return 388;
  if (version <= 5) return 497;
  if (version <= 11) return kShortDefinitionSize;
  return kDefinitionSize;
}

std::function<void()> SetMenusChangedHandler(std::function<void()> handler) {
  std::function<void()> previous = std::move(MenusChanged());
  MenusChanged() = std::move(handler);
  return previous;
}

void NotifyMenusChanged() {
  if (MenusChanged()) MenusChanged()();
}

bool ImportDefinitions(const std::string& path, int mode, int bar) {
  const std::string ext = LowerExtension(path);
  if (ext != ".nud" && ext != ".nu2") return false;
  TIPlist5& list = NewsList();
  if (list.Count <= 0) return false;
  auto file = ReadDefinitionFile(path, ext == ".nu2");
  if (!file) return false;
  if (mode == kImportCompare &&
      (file->count != list.Count || static_cast<int>(file->records.size()) != list.Count))
    return true;

  for (int i = 0; i < static_cast<int>(file->records.size()); ++i) {
    NewsDefinition record = file->records[static_cast<size_t>(i)];
    if (mode != kImportCompare) OfferDuplicateDeletion(list, record, i);
    int match = -1;
    if (auto byAddress = Matches(list, record, true); !byAddress.empty())
      match = byAddress.front();
    else if (auto byTitle = Matches(list, record, false); !byTitle.empty())
      match = byTitle.front();

    if (mode == kImportCompare) {
      if (record.Category == kCategoryBoard && (i >= list.Count || list.Item(i).GroupId != kBoardGroupId)) continue;
      if (match < 0 || DiffersForCompare(list.Item(match), record)) return true;
      continue;
    }
    if (mode == kImportKeepFlags && record.Sponsor) continue;
    if (!std::strchr(record.Url, ':')) continue;

    if (match < 0) {
      if (record.Withdrawn || record.WithdrawnOnImport) continue;
      record.LastModified = 0;
      record.HasNew = 0;
      record.Seen = 0;
      CurrentDefinitionOf(bar) = list.Append(record);
    } else if (mode == kImportUser) {
      NewsDefinition& existing = list.Item(match);
      if (record.Sponsor && !existing.Sponsor) continue;
      KeepUserFlags(record, existing);
      record.LastModified = 0;
      existing = record;
    } else {
      KeepUserFlags(list.Item(match), record);
      for (int b = 0; b < kBarCount; ++b) {
        int& current = CurrentDefinitionOf(b);
        if (current != i) continue;
        current = match;
        if (bars()[b].DefinitionName.empty()) bars()[b].DefinitionName = FieldText(list.Item(match).Title);
      }
    }
  }
  if (mode == kImportCompare) return false;

  for (int i = 0; i < list.Count;) {
    const NewsDefinition& d = list.Item(i);
    if (d.Withdrawn || d.WithdrawnOnImport)
      list.DeleteDefinition(i);
    else
      ++i;
  }
  const std::string saved = platform::JoinPath(app().DataFolder, "NewsUrl.USR");
  if (list.SaveDefinitions(saved)) platform::CopyFileAtomically(saved, platform::JoinPath(app().DataFolder, "NewsBak.NU2"));
  for (int i = 0; i < list.Count; ++i) list.Item(i).MenuDirty = 1;
  if (MenusChanged()) MenusChanged()();
  return false;
}

bool ExportDefinitions(const std::string& path, const std::vector<int>& indexes) {
  TIPlist5& list = NewsList();
  std::vector<int> chosen;
  for (int index : indexes)
    if (index >= 0 && index < list.Count) chosen.push_back(index);
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  ByteWriter w;
  w.Put<int32_t>(static_cast<int32_t>(chosen.size()));
  w.Put<int32_t>(kExportVersion);
  for (int index : chosen) w.Put(list.Item(index));
  return platform::WriteFileAtomically(path, w.Bytes());
}

ColourImportResult ImportColours(const std::string& path, int bar) {
  TIPlist6& list = ColourList();
  ColourImportResult result = list.ImportColourSets(path);
  if (result.imported == 0) return result;
  if (bar < 0 || bar >= kBarCount) bar = 0;
  bars()[bar].ColourSet = result.lastIndex;
  bars()[bar].ColourSetName = FieldText(list.Item(result.lastIndex).Name);
  list.SaveColourSets(platform::JoinPath(app().DataFolder, "NewsCol.USR"));
  return result;
}

}  // namespace lumetra
