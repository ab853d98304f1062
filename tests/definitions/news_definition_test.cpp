// The definition record, its list and the file "NewsUrl.USR".
#include "definitions/news_definition.h"

#include <gtest/gtest.h>

#include "definitions/fixture.h"

namespace lumetra {
namespace {

using test::Definition;
using test::PutLE;

// The file as its layout describes it, built independently of the program.
struct Header {
  int32_t current = 3;
  double setDate = 44000.5, checkDate = 44001.25;
  std::string primary = "http://one.example/defs", secondary = "http://two.example/defs";
  int32_t sponsorInterval = 20;
  double boardDate = 44002.75;
  std::string boardMenu = "http://board.example/menu.html";
};

uint32_t Scrambled(uint32_t value) {
  // Byte i with key character (i mod 3) + 1, low five bits.
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) {
    uint32_t key = static_cast<unsigned char>(kChecksumKey[i % 3 + 1]) & 31;
    out |= (((value >> (8 * i)) & 255) ^ key) << (8 * i);
  }
  return out;
}

uint32_t Sum(const std::string& bytes) {
  uint32_t s = 0;
  for (unsigned char c : bytes) s += c;
  return s;
}

std::string DefinitionFile(int version, const std::vector<NewsDefinition>& records, const Header& h = {}) {
  const size_t size = version <= 11 ? 514 : 736;
  std::string out;
  PutLE<int32_t>(out, static_cast<int32_t>(records.size()));
  PutLE<int32_t>(out, version);
  PutLE(out, h.current);
  PutLE(out, h.setDate);
  PutLE(out, h.checkDate);
  std::string servers = h.primary;
  servers.resize(129, '\0');
  servers += h.secondary;
  servers.resize(258, '\0');
  out += servers;
  uint32_t sum = Sum(servers);
  if (version >= 11) {
    PutLE(out, h.sponsorInterval);
    sum += static_cast<uint32_t>(h.sponsorInterval);
  }
  if (version >= 13) {
    PutLE(out, h.boardDate);
    std::string board = h.boardMenu;
    board.resize(129, '\0');
    out += board;
  }
  std::string body;
  for (const NewsDefinition& d : records) {
    std::string bytes = test::Bytes(&d, size);
    sum += Sum(bytes);
    PutLE(body, Scrambled(Sum(bytes)));
    body += bytes;
  }
  PutLE(out, Scrambled(sum));
  return out + body;
}

class Definitions : public test::DataFolderTest {
 protected:
  std::string File() { return data + "/NewsUrl.USR"; }

  void Fill(TIPlist5& list, const std::vector<NewsDefinition>& records, const Header& h = {}) {
    for (const NewsDefinition& d : records) list.Append(d);
    list.CurrentIndex = h.current;
    list.SetDate = h.setDate;
    list.CheckDate = h.checkDate;
    list.PrimaryServer = h.primary;
    list.SecondaryServer = h.secondary;
    list.SponsorInterval = h.sponsorInterval;
    list.BoardListDate = h.boardDate;
    list.BoardMenuUrl = h.boardMenu;
  }

  std::vector<NewsDefinition> Sample() {
    NewsDefinition a = Definition("主要ニュース", "https://news.example/rss.xml");
    a.Rss = 1;
    a.Category = 1;
    a.LastModified = 45000.125;
    SetFieldText(a.MainUrl, "https://news.example/");
    a.Region = 13;
    a.MinChars = 8;
    NewsDefinition b = Definition("スポンサー", "http://cm.example/", 7);
    b.Sponsor = 42;
    b.Favourite = 1;
    return {a, b};
  }
};

TEST_F(Definitions, SaveWritesTheDocumentedLayoutAndChecksums) {
  TIPlist5 list;
  Fill(list, Sample());
  ASSERT_TRUE(list.SaveDefinitions(File()));
  // Compared with the list after the save: Salt and Sponsor were renewed in place.
  std::vector<NewsDefinition> saved = {list.Item(0), list.Item(1)};
  std::string bytes = test::ReadFile(File());
  EXPECT_EQ(bytes.size(), 431u + 2 * 740);
  EXPECT_EQ(bytes, DefinitionFile(14, saved));
}

TEST_F(Definitions, SaveAndLoadGiveTheSameListThoughSaltAndSponsorChange) {
  TIPlist5 list;
  Fill(list, Sample());
  ASSERT_TRUE(list.SaveDefinitions(File()));
  const std::string first = test::ReadFile(File());
  const NewsDefinition before0 = list.Item(0), before1 = list.Item(1);

  TIPlist5 loaded;
  ASSERT_TRUE(loaded.LoadDefinitions(File()));
  ASSERT_EQ(loaded.Count, 2);
  EXPECT_EQ(std::memcmp(&loaded.Item(0), &before0, sizeof before0), 0);
  EXPECT_EQ(std::memcmp(&loaded.Item(1), &before1, sizeof before1), 0);
  EXPECT_EQ(loaded.CurrentIndex, 3);
  EXPECT_EQ(loaded.SetDate, 44000.5);
  EXPECT_EQ(loaded.CheckDate, 44001.25);
  EXPECT_EQ(loaded.PrimaryServer, "http://one.example/defs");
  EXPECT_EQ(loaded.SecondaryServer, "http://two.example/defs");
  EXPECT_EQ(loaded.SponsorInterval, 20);
  EXPECT_EQ(loaded.BoardListDate, 44002.75);
  EXPECT_EQ(loaded.BoardMenuUrl, "http://board.example/menu.html");

  ASSERT_TRUE(loaded.SaveDefinitions(File()));
  EXPECT_NE(test::ReadFile(File()), first);
  EXPECT_TRUE(SameDefinition(loaded.Item(0), before0));
  EXPECT_TRUE(SameDefinition(loaded.Item(1), before1));
  EXPECT_NE(uint32_t{loaded.Item(0).Salt}, uint32_t{before0.Salt});
  EXPECT_GE(loaded.Item(1).Sponsor, 1);
  EXPECT_LE(loaded.Item(1).Sponsor, 127);
  EXPECT_EQ(loaded.Item(0).Sponsor, 0);
  EXPECT_LE(uint32_t{loaded.Item(0).Salt}, 2147483646u);
}

TEST_F(Definitions, LoadsVersionsTenToFourteenOnly) {
  NewsDefinition d = Sample()[0];
  d.Reserved472 = 1;
  d.Channel = 4;
  d.MenuDirty = 0;
  const struct {
    int version;
    bool loads;
    bool hasTail;       // MainUrl and the fields after it are in the file
    bool keepsRegion;   // Region, Channel, MinChars survive
  } cases[] = {
      {9, false, false, false},  {10, true, false, false}, {11, true, false, false},
      {12, true, true, false},   {13, true, true, false},  {14, true, true, true},
      {15, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    test::WriteFile(File(), DefinitionFile(c.version, {d, d}));
    TIPlist5 list;
    EXPECT_EQ(list.LoadDefinitions(File()), c.loads);
    if (!c.loads) {
      EXPECT_EQ(list.Count, 0);
      continue;
    }
    ASSERT_EQ(list.Count, 2);
    const NewsDefinition& got = list.Item(1);
    EXPECT_EQ(FieldText(got.Title), FieldText(d.Title));
    EXPECT_EQ(got.LastModified, d.LastModified);
    EXPECT_EQ(got.Reserved472, 0);
    EXPECT_EQ(FieldText(got.MainUrl), c.hasTail ? "https://news.example/" : "");
    EXPECT_EQ(got.MenuDirty, c.hasTail ? 0 : 1);
    EXPECT_EQ(got.Region, c.keepsRegion ? 13 : 0);
    EXPECT_EQ(got.Channel, c.keepsRegion ? 4 : 0);
    EXPECT_EQ(got.MinChars, c.keepsRegion ? 8 : 0);
    // The board fields arrived with version 13; an empty board address gets the default.
    EXPECT_EQ(list.SponsorInterval, c.version >= 11 ? 20 : kDefaultSponsorInterval);
    EXPECT_EQ(list.BoardMenuUrl, c.version >= 13 ? "http://board.example/menu.html" : kDefaultBoardMenuUrl);
  }
  Header noBoard;
  noBoard.boardMenu.clear();
  test::WriteFile(File(), DefinitionFile(14, {d}, noBoard));
  TIPlist5 list;
  list.BoardMenuUrl.clear();
  ASSERT_TRUE(list.LoadDefinitions(File()));
  EXPECT_EQ(list.BoardMenuUrl, kDefaultBoardMenuUrl);
}

TEST_F(Definitions, OneChangedRecordByteEmptiesTheListAndLeavesTheFile) {
  const std::string good = DefinitionFile(14, Sample());
  std::string bad = good;
  bad[431 + 4 + 210] ^= 0x01;  // a character of the first title
  test::WriteFile(File(), bad);
  TIPlist5 list;
  list.Append(Sample()[0]);
  EXPECT_FALSE(list.LoadDefinitions(File()));
  EXPECT_EQ(list.Count, 0);
  EXPECT_EQ(test::ReadFile(File()), bad);
}

TEST_F(Definitions, ConsecutiveWithdrawnDefinitionsAreAllRemovedAtLoad) {
  auto records = Sample();
  NewsDefinition w1 = Definition("w1", "http://w1.example/"), w2 = Definition("w2", "http://w2.example/");
  w1.Withdrawn = w2.Withdrawn = 1;
  Header h;
  h.current = 3;
  test::WriteFile(File(), DefinitionFile(14, {records[0], w1, w2, records[1]}, h));
  TIPlist5 list;
  ASSERT_TRUE(list.LoadDefinitions(File()));
  ASSERT_EQ(list.Count, 2);
  EXPECT_EQ(FieldText(list.Item(0).Title), SJ("主要ニュース"));
  EXPECT_EQ(FieldText(list.Item(1).Title), SJ("スポンサー"));
  EXPECT_EQ(list.CurrentIndex, 1);  // followed the sponsored definition from 3 to 1
}

TEST_F(Definitions, ItemGrowsAndShrinksInStepsOfEight) {
  const struct {
    int count, capacityBefore, index, capacityAfter;
  } cases[] = {
      {0, 8, 0, 8},   {0, 8, 7, 8},    {0, 8, 8, 16},  {8, 8, 8, 16},  {8, 16, 0, 16},
      {0, 32, 0, 8},  {0, 16, 0, 16},  {3, 8, -5, 8},  {20, 8, 2, 24}, {0, 8, 1000000, 65536},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << "/" << c.capacityBefore << " [" << c.index << "]");
    TIPlist5 list;
    list.Item(c.capacityBefore - 1);
    list.Count = c.count;
    ASSERT_EQ(list.Capacity(), c.capacityBefore);
    list.Item(c.index);
    EXPECT_EQ(list.Capacity(), c.capacityAfter);
    EXPECT_EQ(list.Count, c.count);
  }
  // The scratch slot at Count is there to be written.
  TIPlist5 list;
  list.Count = 8;
  list.Init(8);
  EXPECT_EQ(FieldText(list.Item(8).Title), "News 8");
  EXPECT_EQ(list.Count, 8);
}

TEST_F(Definitions, DeleteKeepsCurrentIndexesOnTheirDefinitions) {
  const struct {
    int current, deleted, expected;
  } cases[] = {{5, 5, 4}, {5, 3, 4}, {5, 6, 5}, {2, 2, 1}, {1, 0, 1}, {2, 0, 1}, {-1, 3, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.current << " delete " << c.deleted);
    NewsList() = TIPlist5();
    NewsList().TracksBars = true;
    for (int i = 0; i < 8; ++i) NewsList().Append(Definition("n" + std::to_string(i), "http://x.example/" + std::to_string(i)));
    NewsList().CurrentIndex = c.current;
    for (int bar = 1; bar < kBarCount; ++bar) bars()[bar].Definition = c.current;
    NewsList().Item(7).LastModified = 45000;
    NewsList().DeleteDefinition(c.deleted);
    EXPECT_EQ(NewsList().Count, 7);
    EXPECT_EQ(NewsList().CurrentIndex, c.expected);
    for (int bar = 1; bar < kBarCount; ++bar) EXPECT_EQ(bars()[bar].Definition, c.expected);
    EXPECT_EQ(NewsList().Item(6).LastModified, 0);
    EXPECT_EQ(FieldText(NewsList().Item(c.deleted).Title), "n" + std::to_string(c.deleted + 1));
  }
  // The holding list does not move the bars.
  bars()[1].Definition = 5;
  TIPlist5 holding;
  for (int i = 0; i < 8; ++i) holding.Append(Definition("h", "http://h.example/"));
  holding.DeleteDefinition(2);
  EXPECT_EQ(bars()[1].Definition, 5);
}

TEST_F(Definitions, DeleteRemovesTheCacheFile) {
  NewsList().Append(Definition("a", "http://a.example/"));
  NewsList().Append(Definition("b", "http://b.example/"));
  const std::string cache = NewsList().CachePath(0);
  test::WriteFile(cache, "cached page");
  NewsList().DeleteDefinition(0);
  EXPECT_FALSE(platform::FileExists(cache));
  NewsList().DeleteDefinition(5);  // out of range: nothing happens
  EXPECT_EQ(NewsList().Count, 1);
}

TEST(FileNames, SanitizeReplacesTheTableFromTheModeOn) {
  const struct {
    const char* in;
    int mode;
    const char* out;
    bool unchanged;
  } cases[] = {
      {"Title: what?", 2, "Title_ what_", false},
      {"C:\\News\\a|b.dat", 2, "C:\\News\\a_b.dat", false},
      {"a/b\\c", 2, "a/b\\c", true},
      {"a/b\\c:d", 3, "a_b\\c_d", false},
      {"a/b\\c", 0, "a_b_c", false},
      {"a/b\\c", 1, "a/b_c", false},
      {"x,y;z\"<>*", 2, "x_y_z____", false},
      {"C:\\x", 0, "C__x", false},
  };
  for (const auto& c : cases) {
    std::string text = c.in;
    EXPECT_EQ(SanitizeFileName(text, c.mode), c.unchanged) << c.in;
    EXPECT_EQ(text, c.out) << c.in;
  }
  // "ソ" and "表" end in the byte of "\": neither is touched.
  std::string text = SJ("ソ表:");
  EXPECT_FALSE(SanitizeFileName(text, 0));
  EXPECT_EQ(text, SJ("ソ表_"));
}

TEST_F(Definitions, CachePathsAreOneFileInTheNewsFolder) {
  const struct {
    const char* title;
    const char* name;
  } cases[] = {
      {"ITmedia: 速報?", "ITmedia_ 速報_"},
      {"AV/PC Watch", "AV_PC Watch"},
      {"..", ".."},
      {"ソフト\\ウェア", "ソフト_ウェア"},
  };
  for (const auto& c : cases) {
    NewsList().Append(Definition(c.title, "http://x.example/"));
    const int i = NewsList().Count - 1;
    EXPECT_EQ(NewsList().CachePath(i), data + "/News/" + c.name + ".dat") << c.title;
    EXPECT_EQ(NewsList().ListPath(i), data + "/News/" + c.name + ".lst") << c.title;
  }
  EXPECT_TRUE(platform::DirectoryExists(data + "/News"));
  // A title of half-width katakana triples in UTF-8; the name stays within
  // the file system's limit and keeps its extension.
  NewsDefinition longTitle = Definition("", "http://x.example/");
  SetFieldText(longTitle.Title, std::string(100, '\xB1'));
  NewsList().Append(longTitle);
  const std::string path = NewsList().CachePath(NewsList().Count - 1);
  const std::string name = path.substr(path.rfind('/') + 1);
  EXPECT_LE(name.size(), 255u);
  EXPECT_EQ(name.substr(name.size() - 4), ".dat");
  test::WriteFile(path, "x");
  EXPECT_TRUE(platform::FileExists(path));
}

TEST(TvListing, TheAddressTemplateTakesSevenArguments) {
  NewsDefinition d = DefaultDefinition(0);
  d.Region = 13;
  d.Channel = 4;
  const QDate day(2024, 3, 9);
  const struct {
    const char* pattern;
    bool redirect;
    const char* address;
  } cases[] = {
      {"http://tv.example/%s/%s/%s/%s/%s/%s/%s", false, "http://tv.example/06/032/0/24/20240309/13/c13"},
      {"http://tv.example/?d=%4:s&r=%5:s&c=%s", true, "http://tv.example/?d=2024/03/09&r=13&c=c13"},
      {"http://tv.example/%%%-4s|%3s|%.1s", false, "http://tv.example/%06  |032|0"},
      {"http://tv.example/%d/%9:s/%", false, "http://tv.example/%d/%9:s/%"},
  };
  for (const auto& c : cases) {
    SetFieldText(d.Url, c.pattern);
    EXPECT_EQ(TvListingAddress(d, day, c.redirect), c.address) << c.pattern;
  }
  d.Channel = 200;  // outside the table: no code rather than a stray read
  SetFieldText(d.Url, "%6:s");
  EXPECT_EQ(TvListingAddress(d, day, false), "");
  EXPECT_EQ(FormatTemplate("%999999999s", {"x"}).size(), 1024u);
}

TEST(Tables, CategoriesAndTagsMapBothWays) {
  EXPECT_EQ(Categories().size(), 35u);
  for (const CategoryEntry& e : Categories()) EXPECT_EQ(CategoryCode(e.name), e.code);
  EXPECT_EQ(CategoryName(200), SJ("その他"));
  EXPECT_EQ(CategoryName(24), SJ("｢何か｣用"));
  EXPECT_EQ(StartTagText(11), "<h1>,<h2>,<h3>");
  EXPECT_EQ(EndTagText(12), "</b>,<br>");
  EXPECT_EQ(StartTagText(13), "<a>");
  EXPECT_EQ(EndTagText(-1), "</a>");
  EXPECT_EQ(Regions().size(), 46u);
  EXPECT_EQ(Regions().back().code, 47);
  for (int i = 0; i < kChannelCount; ++i) EXPECT_LE(ChannelName(i).size(), 20u);
  EXPECT_EQ(ChannelCode(3), "d1");
}

}  // namespace
}  // namespace lumetra
