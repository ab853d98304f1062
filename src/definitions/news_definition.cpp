#include "definitions/news_definition.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "platform/binary_io.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"

namespace lumetra {

using platform::ByteReader;
using platform::ByteWriter;

namespace {

std::mt19937& Random() {
  static std::mt19937 generator{std::random_device{}()};
  return generator;
}

uint32_t NewSalt() { return std::uniform_int_distribution<uint32_t>(0, 2147483646u)(Random()); }
uint8_t NewSponsor() { return static_cast<uint8_t>(std::uniform_int_distribution<int>(1, 127)(Random())); }

uint32_t ByteSum(const void* data, size_t n) {
  const auto* p = static_cast<const unsigned char*>(data);
  uint32_t sum = 0;
  for (size_t i = 0; i < n; ++i) sum += p[i];
  return sum;
}

std::string ReadFixedText(ByteReader& r, size_t size, uint32_t* sum) {
  std::string_view bytes = r.Peek(size);
  if (sum) *sum = ByteSum(bytes.data(), bytes.size());
  r.Skip(bytes.size());
  std::string text(bytes.substr(0, bytes.find('\0')));
  if (text.size() > size - 1) text.resize(size - 1);
  return text;
}

// Fields of the record from MainUrl on, as a fresh record has them.
void SetTailDefaults(NewsDefinition& d) {
  auto* bytes = reinterpret_cast<unsigned char*>(&d);
  std::memset(bytes + kShortDefinitionSize, 0, kDefinitionSize - kShortDefinitionSize);
  d.Reserved715 = -1;
  d.MenuDirty = 1;
}

// Text fields read from a file always end inside their arrays, so no reader
// runs off a damaged record.
void TerminateTexts(NewsDefinition& d) {
  platform::TerminateField(d.Url);
  platform::TerminateField(d.Title);
  platform::TerminateField(d.StartMarker);
  platform::TerminateField(d.EndMarker);
  platform::TerminateField(d.MainUrl);
}

std::string Utf8Prefix(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t n = limit;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

}  // namespace

uint32_t ScrambleChecksum(uint32_t value) {
  const uint32_t k1 = static_cast<unsigned char>(kChecksumKey[1]) & 31;
  const uint32_t k2 = static_cast<unsigned char>(kChecksumKey[2]) & 31;
  const uint32_t k3 = static_cast<unsigned char>(kChecksumKey[3]) & 31;
  return value ^ (k1 | (k2 << 8) | (k3 << 16) | (k1 << 24));
}

NewsDefinition DefaultDefinition(int index) {
  NewsDefinition d;
  std::memset(&d, 0, sizeof d);
  SetFieldText(d.Title, "News " + std::to_string(std::max(index, 0)));
  d.ShowInMenu = 1;
  d.Patrol = 1;
  d.Salt = NewSalt();
  d.Reserved715 = -1;
  d.MenuDirty = 1;
  return d;
}

void TIPlist5::Init(int index) { Item(index) = DefaultDefinition(index); }

int TIPlist5::Append(const NewsDefinition& definition) {
  if (Count < 0) Count = 0;
  Item(Count) = definition;
  return Count++;
}

void TIPlist5::DeleteDefinition(int index) {
  if (index < 0 || index >= Count) return;
  platform::RemoveFile(CachePath(index));
  for (int i = index; i + 1 < Count; ++i) {
    NewsDefinition moved = Item(i + 1);
    moved.LastModified = 0;
    Item(i) = moved;
  }
  auto follow = [index](int& current) {
    if (current >= index) {
      --current;
      if (current <= 1) current = 1;
    }
  };
  follow(CurrentIndex);
  if (TracksBars)
    for (int bar = 1; bar < kBarCount; ++bar) follow(bars()[bar].Definition);
  --Count;
}

bool TIPlist5::LoadDefinitions(const std::string& path) {
  Count = 0;
  auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return false;
  ByteReader r(*bytes);
  int32_t n = 0, version = 0;
  if (!r.Get(n) || !r.Get(version)) return false;
  if (version < 10 || version > kDefinitionsVersion) return false;

  int32_t currentIndex = 0, sponsorInterval = SponsorInterval;
  double setDate = 0, checkDate = 0, boardDate = BoardListDate;
  uint32_t serverSum1 = 0, serverSum2 = 0, stored = 0;
  if (!r.Get(currentIndex) || !r.Get(setDate) || !r.Get(checkDate)) return false;
  if (r.Remaining() < 2 * kServerAddressSize) return false;
  std::string primary = ReadFixedText(r, kServerAddressSize, &serverSum1);
  std::string secondary = ReadFixedText(r, kServerAddressSize, &serverSum2);
  if (version >= 11 && !r.Get(sponsorInterval)) return false;
  std::string boardMenu = BoardMenuUrl;
  if (version >= 13) {
    if (!r.Get(boardDate) || r.Remaining() < kServerAddressSize) return false;
    boardMenu = ReadFixedText(r, kServerAddressSize, nullptr);
  }
  if (!r.Get(stored)) return false;

  CurrentIndex = currentIndex;
  SetDate = setDate;
  CheckDate = checkDate;
  PrimaryServer = primary;
  SecondaryServer = secondary;
  SponsorInterval = sponsorInterval;
  BoardListDate = boardDate;
  BoardMenuUrl = boardMenu.empty() ? std::string(kDefaultBoardMenuUrl) : boardMenu;

  uint32_t running = ScrambleChecksum(stored);
  if (version >= 11) running -= static_cast<uint32_t>(sponsorInterval);
  running -= serverSum1 + serverSum2;

  const size_t recordSize = version <= 11 ? kShortDefinitionSize : kDefinitionSize;
  // A count that the bytes cannot hold is damage, not a reason to allocate.
  if (n < 0 || static_cast<size_t>(n) > r.Remaining() / (4 + recordSize)) return false;
  for (int32_t i = 0; i < n; ++i) {
    uint32_t recordSum = 0;
    r.Get(recordSum);
    recordSum = ScrambleChecksum(recordSum);
    NewsDefinition d;
    SetTailDefaults(d);
    r.Read(&d, recordSize);
    const uint32_t bytesSum = ByteSum(&d, recordSize);
    recordSum -= bytesSum;
    running -= bytesSum;
    if (recordSum != 0) {
      Count = 0;
      return false;
    }
    if (version < 14) d.Region = d.Channel = d.MinChars = 0;
    d.Reserved472 = 0;
    TerminateTexts(d);
    Item(i) = d;
  }
  if (running != 0) return false;
  Count = n;

  for (int i = 0; i < Count;) {
    if (Item(i).Withdrawn)
      DeleteDefinition(i);
    else
      ++i;
  }
  return true;
}

bool TIPlist5::SaveDefinitions(const std::string& path) {
  if (Count < 0) Count = 0;
  ByteWriter w;
  w.Put<int32_t>(Count);
  w.Put<int32_t>(kDefinitionsVersion);
  w.Put<int32_t>(CurrentIndex);
  w.Put(SetDate);
  w.Put(CheckDate);
  const size_t serversAt = w.Bytes().size();
  w.PutFixedText(PrimaryServer, kServerAddressSize);
  w.PutFixedText(SecondaryServer, kServerAddressSize);
  uint32_t sum = ByteSum(w.Bytes().data() + serversAt, 2 * kServerAddressSize);
  w.Put<int32_t>(SponsorInterval);
  w.Put(BoardListDate);
  w.PutFixedText(BoardMenuUrl, kServerAddressSize);

  sum += static_cast<uint32_t>(SponsorInterval);
  for (int i = 0; i < Count; ++i) {
    NewsDefinition& d = Item(i);
    d.Salt = NewSalt();
    if (d.Sponsor) d.Sponsor = NewSponsor();
    sum += ByteSum(&d, sizeof d);
  }
  w.Put(ScrambleChecksum(sum));
  for (int i = 0; i < Count; ++i) {
    const NewsDefinition& d = Item(i);
    w.Put(ScrambleChecksum(ByteSum(&d, sizeof d)));
    w.Put(d);
  }
  return platform::WriteFileAtomically(path, w.Bytes());
}

namespace {
std::string CacheFile(NewsDefinition& d, const char* extension) {
  std::string folder = platform::JoinPath(app().DataFolder, "News");
  if (!platform::DirectoryExists(folder)) platform::MakeDirectories(folder);
  // The title is one file name: "/" and "\" are replaced as well, so a title
  // never reaches into another folder, and the name (with its extension)
  // stays within the file system's limit so ".dat" and ".lst" never meet.
  std::string title = FieldText(d.Title);
  SanitizeFileName(title, 0);
  std::string name = Utf8Prefix(platform::SjisToUtf8(title), 255 - std::strlen(extension));
  return platform::JoinPath(folder, name + extension);
}
}  // namespace

std::string TIPlist5::CachePath(int index) { return CacheFile(Item(index), ".dat"); }
std::string TIPlist5::ListPath(int index) { return CacheFile(Item(index), ".lst"); }

TIPlist5& NewsList() {
  static TIPlist5 list = [] {
    TIPlist5 l;
    l.TracksBars = true;
    return l;
  }();
  return list;
}

TIPlist5& HoldingList() {
  static TIPlist5 list;
  return list;
}

bool SameDefinition(const NewsDefinition& a, const NewsDefinition& b) {
  NewsDefinition x = a, y = b;
  x.Salt = y.Salt = 0;
  x.Sponsor = x.Sponsor ? 1 : 0;
  y.Sponsor = y.Sponsor ? 1 : 0;
  return std::memcmp(&x, &y, sizeof x) == 0;
}

bool SanitizeFileName(std::string& text, int mode) {
  static constexpr std::string_view kTable = "/\\:,;?\"<>|*";
  std::string set;
  if (mode == 3)
    set = std::string(kTable.substr(2)) + "/";
  else
    set = std::string(kTable.substr(static_cast<size_t>(std::clamp(mode, 0, static_cast<int>(kTable.size())))));
  const std::string original = text;
  for (size_t i = 0; i < text.size(); ++i) {
    if (platform::IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      ++i;
      continue;
    }
    if (set.find(text[i]) != std::string::npos) text[i] = '_';
  }
  if (text.size() >= 3 && text[2] == '\\' && text[1] == '_' && original[1] == ':') text[1] = ':';
  return text == original;
}

const std::vector<CategoryEntry>& Categories() {
  static const std::vector<CategoryEntry> table = [] {
    const std::pair<const char*, int> rows[] = {
        {"主要", 1},           {"天気予報", 18},       {"社会", 2},
        {"国際", 3},           {"政治", 4},            {"訃報", 22},
        {"産業", 5},           {"経済", 6},            {"マーケット", 21},
        {"エンターテイメント", 7}, {"日記", 31},       {"テレビ番組", 34},
        {"映画", 8},           {"音楽", 9},            {"スポーツ", 10},
        {"家電・ＡＶ", 11},    {"ファッション", 12},   {"生活", 19},
        {"科学・自然", 20},    {"アニメ・特撮", 26},   {"２ちゃんねる", 27},
        {"スポンサー", 23},    {"検索", 32},           {"その他", 0},
        {"ゲーム", 13},        {"コンピュータ", 14},   {"エンタープライズ", 25},
        {"ソフトウェア", 15},  {"ブロードバンド", 16}, {"携帯・モバイル", 29},
        {"セキュリティ", 17},  {"｢何か｣用", 24},       {"ネットでお買い物", 28},
        {"掲示板", 30},        {"ブログ(Blog)", 33},
    };
    std::vector<CategoryEntry> t;
    for (const auto& [name, code] : rows) t.push_back({SJ(name), code});
    return t;
  }();
  return table;
}

std::string CategoryName(int code) {
  for (const CategoryEntry& e : Categories())
    if (e.code == code) return e.name;
  return SJ("その他");
}

int CategoryCode(std::string_view name) {
  for (const CategoryEntry& e : Categories())
    if (e.name == name) return e.code;
  return -1;
}

namespace {
const char* const kStartTags[kStartTagCount] = {"<a>",  "<tr>", "<em>", "<td>", "<div>",          "<p>",     "<li>",
                                                "<hr>", "<span>", "<b>", "<br>", "<h1>,<h2>,<h3>", "<strong>"};
const char* const kEndTags[kEndTagCount] = {"</a>",   "</tr>",  "</em>", "<br>", "</td>", "</td>,<br>", "</div>",
                                            "</p>",   "</li>",  "</small>", "</span>", "</b>", "</b>,<br>",
                                            "</h1>,</h2>,</h3>", "</strong>"};

struct ChannelRow {
  const char* name;
  const char* code;
};
const ChannelRow kChannels[kChannelCount] = {
    {"地上波", "g"},        {"UHF・BSアナログ", "s"},     {"BSデジタル1", "d1"},   {"BSデジタル2", "d1"},
    {"CS ニュース", "c13"}, {"CS J SPORTS", "c5"},        {"CS 総合", "c11"},      {"CS ドキュメンタリー", "c12"},
    {"CS 音楽", "c6"},      {"CS 邦楽・カラオケ", "c7"},  {"CS 洋画", "c2"},       {"CS 邦画", "c3"},
    {"CS ドラマ・バラエテ", "c8"}, {"CS 海外ドラマ", "c9"}, {"CS アニメ", "c10"},  {"CS 趣味・通販", "c14"},
    {"CS 公営競技", "c15"}, {"CS PPV", "c1"},
};
}  // namespace

std::string StartTagText(int index) { return kStartTags[index >= 0 && index < kStartTagCount ? index : 0]; }
std::string EndTagText(int index) { return kEndTags[index >= 0 && index < kEndTagCount ? index : 0]; }

int StartTagIndex(std::string_view text) {
  for (int i = 0; i < kStartTagCount; ++i)
    if (text == kStartTags[i]) return i;
  return -1;
}

int EndTagIndex(std::string_view text) {
  for (int i = 0; i < kEndTagCount; ++i)
    if (text == kEndTags[i]) return i;
  return -1;
}

const std::vector<RegionEntry>& Regions() {
  static const std::vector<RegionEntry> table = [] {
    const char* const names[] = {"青森", "岩手", "宮城", "秋田", "山形",   "福島", "茨城", "栃木", "群馬", "埼玉",
                                 "千葉", "東京", "神奈川", "新潟", "富山", "石川", "福井", "山梨", "長野", "岐阜",
                                 "静岡", "愛知", "三重", "滋賀", "京都",   "大阪", "兵庫", "奈良", "和歌山", "鳥取",
                                 "島根", "岡山", "広島", "山口", "徳島",   "香川", "愛媛", "高知", "福岡", "佐賀",
                                 "長崎", "熊本", "大分", "宮崎", "鹿児島", "沖縄"};
    std::vector<RegionEntry> t;
    int code = 2;
    for (const char* name : names) t.push_back({SJ(name), code++});
    return t;
  }();
  return table;
}

std::string ChannelName(int index) {
  if (index < 0 || index >= kChannelCount) return {};
  std::string name = SJ(kChannels[index].name);
  name.resize(platform::SjisPrefixLength(name, 20));
  return name;
}

std::string ChannelCode(int index) { return index >= 0 && index < kChannelCount ? kChannels[index].code : ""; }

std::string FormatTemplate(std::string_view pattern, const std::vector<std::string>& arguments) {
  constexpr int kMaxWidth = 1024;  // a damaged template must not ask for megabytes of padding
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      out += pattern[i];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    auto number = [&](long& value) {
      size_t start = j;
      value = 0;
      while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9')
        value = std::min(value * 10 + (pattern[j++] - '0'), 100000000L);
      return j > start;
    };
    long value = 0, width = -1, precision = -1;
    size_t index = next;
    bool left = false;
    bool hasNumber = number(value);
    if (hasNumber && j < pattern.size() && pattern[j] == ':') {
      index = static_cast<size_t>(value);
      ++j;
      hasNumber = false;
    }
    if (!hasNumber && j < pattern.size() && pattern[j] == '-') {
      left = true;
      ++j;
    }
    if (hasNumber)
      width = value;
    else if (number(value))
      width = value;
    if (j < pattern.size() && pattern[j] == '.') {
      ++j;
      if (number(value)) precision = value;
    }
    if (j >= pattern.size() || (pattern[j] != 's' && pattern[j] != 'S') || index >= arguments.size()) {
      out += pattern[i];  // not a specifier this formatter fills: keep it as written
      continue;
    }
    std::string text = arguments[index];
    if (precision >= 0 && static_cast<size_t>(precision) < text.size()) text.resize(static_cast<size_t>(precision));
    const size_t w = static_cast<size_t>(std::min<long>(std::max<long>(width, 0), kMaxWidth));
    if (text.size() < w) {
      if (left)
        text.append(w - text.size(), ' ');
      else
        text.insert(0, w - text.size(), ' ');
    }
    out += text;
    next = index + 1;
    i = j;
  }
  return out;
}

std::string TvListingAddress(const NewsDefinition& definition, const QDate& today, bool fromRedirect) {
  const QString date = today.toString(fromRedirect ? "yyyy/MM/dd" : "yyyyMMdd");
  char region[8];
  std::snprintf(region, sizeof region, "%02d", definition.Region);
  return FormatTemplate(FieldText(definition.Url),
                        {"06", "032", "0", "24", date.toStdString(), region, ChannelCode(definition.Channel)});
}

}  // namespace lumetra
