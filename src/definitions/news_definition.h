#pragma once
// News site definitions: the 736-byte record, its list TIPlist5 and the file
// "NewsUrl.USR". Every other subsystem addresses a definition by its index in
// NewsList() and reads and writes its fields in place.
#include <QDate>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fixed_text.h"
#include "platform/record_list.h"

namespace lumetra {

using platform::FieldText;
using platform::SetFieldText;

// The record is the same bytes in memory and on disk.
#pragma pack(push, 1)
struct NewsDefinition {
  char Url[201];             // headline page; for category 34 an address template
  char Title[101];           // menu name; also names the cache files
  char StartMarker[81];      // for plug-in definitions: the library's path
  char EndMarker[81];
  double LastModified;       // day count; 0 forces the next fetch to count as new
  uint8_t Reserved472;       // cleared at every load
  uint8_t HasNew;
  uint8_t Seen;
  uint8_t ShowInMenu;
  uint8_t Patrol;
  uint8_t ServerDated;       // LastModified came from the server
  uint8_t Encoding;          // 0 Shift_JIS, 1 EUC-JP, 2 ISO-2022-JP, 3 UTF-8, 4 UTF-16LE
  uint8_t UseCookie;
  uint8_t Category;          // code of the category table
  uint8_t Favourite;
  int32_t GroupId;           // sub-menu group; 9999 marks the board list and user boards
  uint8_t EndTag;            // index into the end-tag table
  uint32_t Salt;             // renewed at every save
  uint8_t Sponsor;           // 0 ordinary, 1..127 sponsored (renewed at every save)
  uint8_t PluginDefinition;
  uint8_t PluginAnalysis;
  double ExpiryDate;         // 0 = never
  uint8_t Withdrawn;
  uint8_t BoardMode;
  uint8_t WithdrawnOnImport;
  uint8_t TableMode;         // 0 off, 1 horizontal, 2 vertical
  uint8_t TableCellsX;
  uint8_t TableCellsY;
  uint8_t FetchTitle;
  uint8_t StartTag;          // index into the start-tag table
  uint8_t AlwaysFetch;
  uint8_t Rss;
  uint8_t Reserved512[2];
  char MainUrl[201];         // page for the browser when it differs from Url
  int16_t Reserved715;       // -1
  uint8_t MenuDirty;
  uint8_t Region;            // TV listings: region code
  uint8_t Channel;           // TV listings: channel index
  uint8_t MinChars;
  uint8_t Reserved721[15];
};
#pragma pack(pop)

static_assert(sizeof(NewsDefinition) == 736);
static_assert(offsetof(NewsDefinition, Title) == 201);
static_assert(offsetof(NewsDefinition, StartMarker) == 302);
static_assert(offsetof(NewsDefinition, EndMarker) == 383);
static_assert(offsetof(NewsDefinition, LastModified) == 464);
static_assert(offsetof(NewsDefinition, HasNew) == 473);
static_assert(offsetof(NewsDefinition, ShowInMenu) == 475);
static_assert(offsetof(NewsDefinition, Encoding) == 478);
static_assert(offsetof(NewsDefinition, Category) == 480);
static_assert(offsetof(NewsDefinition, GroupId) == 482);
static_assert(offsetof(NewsDefinition, EndTag) == 486);
static_assert(offsetof(NewsDefinition, Salt) == 487);
static_assert(offsetof(NewsDefinition, Sponsor) == 491);
static_assert(offsetof(NewsDefinition, PluginAnalysis) == 493);
static_assert(offsetof(NewsDefinition, ExpiryDate) == 494);
static_assert(offsetof(NewsDefinition, Withdrawn) == 502);
static_assert(offsetof(NewsDefinition, WithdrawnOnImport) == 504);
static_assert(offsetof(NewsDefinition, TableMode) == 505);
static_assert(offsetof(NewsDefinition, FetchTitle) == 508);
static_assert(offsetof(NewsDefinition, StartTag) == 509);
static_assert(offsetof(NewsDefinition, Rss) == 511);
static_assert(offsetof(NewsDefinition, MainUrl) == 514);
static_assert(offsetof(NewsDefinition, Reserved715) == 715);
static_assert(offsetof(NewsDefinition, MenuDirty) == 717);
static_assert(offsetof(NewsDefinition, Region) == 718);
static_assert(offsetof(NewsDefinition, MinChars) == 720);

inline constexpr int kDefinitionSize = 736;
inline constexpr int kShortDefinitionSize = 514;  // versions 6 ... 11: up to MainUrl
inline constexpr int kDefinitionsVersion = 14;
inline constexpr int kDefinitionsHeaderSize = 431;
inline constexpr int kServerAddressSize = 129;
inline constexpr int kBoardGroupId = 9999;

// Categories with behaviour of their own.
inline constexpr int kCategoryWeather = 18;
inline constexpr int kCategoryPlugin = 24;
inline constexpr int kCategoryBoard = 27;
inline constexpr int kCategorySearch = 32;
inline constexpr int kCategoryTvListing = 34;

// Lumetra's own choices: the key that scrambles the stored checksums, and the
// maker's addresses that a definition file starts with. The distribution
// server does not exist yet; its addresses lie in a domain that never
// resolves, so the daily check fails quietly instead of bothering a stranger.
inline constexpr char kChecksumKey[] = "Lume";
inline constexpr char kDefaultPrimaryServer[] = "https://definitions.lumetra.example/newsurl.dat";
inline constexpr char kDefaultSecondaryServer[] = "https://mirror.lumetra.example/newsurl.dat";
inline constexpr char kDefaultBoardMenuUrl[] = "https://menu.5ch.net/bbsmenu.html";
inline constexpr int kDefaultSponsorInterval = 12;

// XORs the four bytes with the key characters 1, 2, 3, 1 (low five bits);
// the same call scrambles and unscrambles.
uint32_t ScrambleChecksum(uint32_t value);

// A record with the defaults of a fresh definition at `index`.
NewsDefinition DefaultDefinition(int index);

class TIPlist5 : public platform::RecordList<NewsDefinition> {
 public:
  TIPlist5() = default;  // Create: capacity 8, Count 0

  // Header fields of the definition file (texts are Shift_JIS).
  int CurrentIndex = 0;         // definition shown by bar 0
  double SetDate = 0;           // date of the installed definition set
  double CheckDate = 0;         // date of the last update check
  std::string PrimaryServer = kDefaultPrimaryServer;
  std::string SecondaryServer = kDefaultSecondaryServer;
  int SponsorInterval = kDefaultSponsorInterval;
  double BoardListDate = 0;     // last board-list refresh
  std::string BoardMenuUrl = kDefaultBoardMenuUrl;

  // Deleting moves the bars' current definitions along (bars 1-5 in
  // bars()); only the program's own definition list does that.
  bool TracksBars = false;

  // Fills the record at `index` with the defaults ("News " + index, shown in
  // the menu, patrolled, fresh Salt).
  void Init(int index);
  // Copies `definition` into the scratch slot and raises Count; returns its index.
  int Append(const NewsDefinition& definition);
  // Removes the definition, its cache file, and keeps CurrentIndex (and the
  // bars' indexes) on the same definitions (minimum 1).
  void DeleteDefinition(int index);

  // "NewsUrl.USR" and files of its layout, versions 10 ... 14. A missing file,
  // another version or a checksum that does not come out leave the list
  // empty; the file itself is never touched. True when definitions were read.
  bool LoadDefinitions(const std::string& path);
  // Writes version 14 with new Salt and Sponsor values; false when the file
  // cannot be written (the old file then stays as it was).
  bool SaveDefinitions(const std::string& path);

  // Cache files of a definition in the folder "News" of the data folder
  // (created when missing): Title + ".dat" / ".lst".
  std::string CachePath(int index);
  std::string ListPath(int index);
};

// The program's definition list (tracks the bars), and the holding list into
// which the definition editor moves generated board definitions.
TIPlist5& NewsList();
TIPlist5& HoldingList();

// Bytes of the record with `Salt` and `Sponsor` values cleared to what stays
// across a save (a sponsored record stays sponsored).
bool SameDefinition(const NewsDefinition& a, const NewsDefinition& b);

// Replaces, outside double-byte characters, the characters of the table
// "/\:,;?\"<>|*" from position `mode` on by "_" (mode 3: those of mode 2 and
// "/"). A drive letter's colon survives. False when anything was replaced.
bool SanitizeFileName(std::string& text, int mode);

// Tables (texts are Shift_JIS).
struct CategoryEntry {
  std::string name;
  int code;
};
// In the order of presentation.
const std::vector<CategoryEntry>& Categories();
// "その他" for an unknown code.
std::string CategoryName(int code);
// -1 when no category has this name.
int CategoryCode(std::string_view name);

inline constexpr int kStartTagCount = 13;
inline constexpr int kEndTagCount = 15;
// Index out of range: the first entry ("<a>", "</a>").
std::string StartTagText(int index);
std::string EndTagText(int index);
int StartTagIndex(std::string_view text);  // -1 when unknown
int EndTagIndex(std::string_view text);

struct RegionEntry {
  std::string name;
  int code;
};
const std::vector<RegionEntry>& Regions();

inline constexpr int kChannelCount = 18;
std::string ChannelName(int index);  // empty when out of range
std::string ChannelCode(int index);

// The address of a TV-listing definition (category 34): Url as a format
// template ("%s", "%n:s", width and precision) filled with "06", "032", "0",
// "24", the date ("yyyymmdd", "yyyy/mm/dd" after a redirect), the region as
// two digits and the channel code.
std::string TvListingAddress(const NewsDefinition& definition, const QDate& today, bool fromRedirect);

// Formats `pattern` like the format function the template was written for,
// with string arguments only; anything it cannot format stays as written.
std::string FormatTemplate(std::string_view pattern, const std::vector<std::string>& arguments);

}  // namespace lumetra
