// Import and export of definition files, and the colour import of a bar.
#include "definitions/definition_exchange.h"

#include <gtest/gtest.h>

#include "definitions/fixture.h"

namespace lumetra {
namespace {

using platform::PromptAnswer;
using test::Definition;
using test::PutLE;

std::string NudFile(int version, const std::vector<std::string>& records, int32_t count = -1) {
  std::string out;
  PutLE<int32_t>(out, count >= 0 ? count : static_cast<int32_t>(records.size()));
  PutLE<int32_t>(out, version);
  for (const std::string& r : records) out += r;
  return out;
}

std::string RecordBytes(const NewsDefinition& d, size_t size = 736) { return test::Bytes(&d, size); }

class Exchange : public test::DataFolderTest {
 protected:
  void Reset() override {
    DataFolderTest::Reset();
    TIPlist5& list = NewsList();
    list.Append(Definition("ホーム", "http://home.example/"));
    list.Append(Definition("ニュースA", "http://a.example/rss", 0));
    list.Append(Definition("ニュースB", "http://b.example/rss", 0));
    list.CurrentIndex = 1;
  }
  std::string Nud(const std::vector<NewsDefinition>& records, int version = 14) {
    std::vector<std::string> raw;
    for (const NewsDefinition& d : records) raw.push_back(RecordBytes(d));
    return NudFile(version, raw);
  }
  std::string Import(const std::string& bytes, int mode, const std::string& name = "in.nud", int bar = 0) {
    const std::string path = data + "/" + name;
    test::WriteFile(path, bytes);
    result = ImportDefinitions(path, mode, bar);
    return path;
  }
  bool result = false;
};

TEST_F(Exchange, ExportOfThreeDefinitionsReimportsToTheSameThree) {
  TIPlist5& list = NewsList();
  list.Item(1).LastModified = 45000;
  list.Item(2).HasNew = 1;
  const NewsDefinition originals[3] = {list.Item(0), list.Item(1), list.Item(2)};
  const std::string path = data + "/three.NUD";
  ASSERT_TRUE(ExportDefinitions(path, {2, 0, 1, 1, 9}));
  const std::string bytes = test::ReadFile(path);
  ASSERT_EQ(bytes.size(), 8u + 3 * 736);
  EXPECT_EQ(bytes.substr(4, 4), std::string("\x0E\0\0\0", 4));

  for (int i = 0; i < 3; ++i) list.DeleteDefinition(list.Count - 1);
  list.Append(Definition("残り", "http://rest.example/"));
  ASSERT_FALSE(ImportDefinitions(path, kImportUser));
  ASSERT_EQ(list.Count, 4);
  for (int i = 0; i < 3; ++i) {
    NewsDefinition expected = originals[i];
    expected.LastModified = 0;
    expected.HasNew = expected.Seen = 0;
    EXPECT_TRUE(SameDefinition(list.Item(i + 1), expected)) << i;
  }
  EXPECT_EQ(list.CurrentIndex, 3);  // the importing bar shows the last appended one
  // The import saved the list and its backup copy.
  TIPlist5 saved;
  ASSERT_TRUE(saved.LoadDefinitions(data + "/NewsUrl.USR"));
  EXPECT_EQ(saved.Count, 4);
  EXPECT_EQ(test::ReadFile(data + "/NewsBak.NU2"), test::ReadFile(data + "/NewsUrl.USR"));
}

TEST_F(Exchange, MatchingDefinitionsKeepTheFlagsOfTheRightSide) {
  // The user's choices on the existing definition, the file's on the record.
  auto prepare = [] {
    NewsDefinition& existing = NewsList().Item(1);
    existing.ShowInMenu = 0;
    existing.Patrol = 0;
    existing.Favourite = 1;
    existing.HasNew = 1;
    existing.Seen = 1;
    existing.LastModified = 45000;
  };
  NewsDefinition record = Definition("ニュースA", "HTTP://A.EXAMPLE/rss");
  SetFieldText(record.StartMarker, "<ul class=\"news\">");
  record.ShowInMenu = 1;
  record.Patrol = 1;
  record.Favourite = 0;

  prepare();
  Import(Nud({record}), kImportUser);
  const NewsDefinition& user = NewsList().Item(1);
  EXPECT_EQ(NewsList().Count, 3);
  EXPECT_EQ(FieldText(user.StartMarker), "<ul class=\"news\">");
  EXPECT_EQ(FieldText(user.Url), "HTTP://A.EXAMPLE/rss");
  EXPECT_EQ(user.ShowInMenu, 0);
  EXPECT_EQ(user.Patrol, 0);
  EXPECT_EQ(user.Favourite, 1);
  EXPECT_EQ(user.HasNew, 1);
  EXPECT_EQ(user.Seen, 1);
  EXPECT_EQ(user.LastModified, 0);

  Reset();
  prepare();
  bars()[3].Definition = 0;  // shows the record's position in the file
  Import(Nud({record}), kImportKeepFlags);
  const NewsDefinition& kept = NewsList().Item(1);
  EXPECT_EQ(FieldText(kept.StartMarker), "");
  EXPECT_EQ(FieldText(kept.Url), "http://a.example/rss");
  EXPECT_EQ(kept.ShowInMenu, 1);
  EXPECT_EQ(kept.Patrol, 1);
  EXPECT_EQ(kept.Favourite, 0);
  EXPECT_EQ(kept.HasNew, 0);
  EXPECT_EQ(kept.LastModified, 45000);
  EXPECT_EQ(bars()[3].Definition, 1);
  EXPECT_EQ(bars()[3].DefinitionName, SJ("ニュースA"));
}

TEST_F(Exchange, WhatIsNeverImported) {
  NewsDefinition noColon = Definition("コロンなし", "www.example.com/news");
  NewsDefinition withdrawn = Definition("撤回", "http://gone.example/");
  withdrawn.Withdrawn = 1;
  NewsDefinition withdrawnOnImport = Definition("新削", "http://gone2.example/");
  withdrawnOnImport.WithdrawnOnImport = 1;
  Import(Nud({noColon, withdrawn, withdrawnOnImport}), kImportUser);
  EXPECT_EQ(NewsList().Count, 3);

  // A sponsored record never replaces an ordinary definition, and mode 1
  // skips sponsored records altogether.
  NewsDefinition sponsored = Definition("ニュースB", "http://b.example/rss");
  sponsored.Sponsor = 5;
  SetFieldText(sponsored.EndMarker, "CM");
  Import(Nud({sponsored}), kImportUser);
  EXPECT_EQ(NewsList().Item(2).Sponsor, 0);
  NewsDefinition newSponsored = Definition("新しいCM", "http://cm.example/");
  newSponsored.Sponsor = 5;
  Import(Nud({newSponsored}), kImportKeepFlags);
  EXPECT_EQ(NewsList().Count, 3);

  // An existing definition marked withdrawn is swept after the import.
  NewsList().Item(2).WithdrawnOnImport = 1;
  Import(Nud({Definition("追加", "http://new.example/")}), kImportUser);
  ASSERT_EQ(NewsList().Count, 3);
  EXPECT_EQ(FieldText(NewsList().Item(2).Title), SJ("追加"));

  // Other extensions, newer versions and an empty list are left alone.
  Import(Nud({Definition("x", "http://x.example/")}), kImportUser, "in.txt");
  Import(Nud({Definition("x", "http://x.example/")}, 15), kImportUser);
  EXPECT_EQ(NewsList().Count, 3);
  NewsList().Count = 0;
  Import(Nud({Definition("x", "http://x.example/")}), kImportUser);
  EXPECT_EQ(NewsList().Count, 0);
}

TEST_F(Exchange, DuplicatesAreOfferedForDeletionUntilTheUserDeclines) {
  NewsList().Append(Definition("ニュースA 2", "http://a.example/RSS"));
  NewsList().Append(Definition("ニュースA 3", "http://a.example/rss"));
  NewsList().Append(Definition("ニュースA 3", "http://a.example/rss", 5));  // another group
  answer = PromptAnswer::Yes;
  Import(Nud({Definition("ニュースA", "http://a.example/rss")}), kImportUser);
  // Both other definitions with the record's address and group went; the one
  // in another group stays.
  ASSERT_EQ(prompts.size(), 2u);
  EXPECT_EQ(prompts[0].text, SJ("No.0&3ニュースA 2(http://a.example/RSS) のＵＲＬがだぶったニュースがあります、"
                                "削除しますか？（削除しない場合は後で必ず変更してください）"));
  EXPECT_EQ(prompts[0].caption, SJ("たぶりニュースの確認"));
  EXPECT_EQ(prompts[0].buttons, platform::PromptButtons::YesNo);
  EXPECT_EQ(prompts[0].icon, platform::PromptIcon::Warning);
  EXPECT_EQ(NewsList().Count, 4);

  prompts.clear();
  answer = PromptAnswer::No;
  NewsList().Append(Definition("ニュースB", "http://other.example/"));
  Import(Nud({Definition("ニュースB", "http://third.example/")}), kImportUser);
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_NE(prompts[0].text.find(SJ("のタイトルがだぶった")), std::string::npos);
  EXPECT_EQ(NewsList().Count, 5);
}

TEST_F(Exchange, CompareTellsWhetherTheFileDiffers) {
  std::vector<NewsDefinition> same = {NewsList().Item(0), NewsList().Item(1), NewsList().Item(2)};
  same[1].Patrol = 0;  // flags do not count
  same[1].Salt = 7;
  Import(Nud(same), kImportCompare);
  EXPECT_FALSE(result);
  EXPECT_TRUE(prompts.empty());

  Import(Nud({same[0], same[1]}), kImportCompare);
  EXPECT_TRUE(result);
  for (auto change : std::vector<std::function<void(NewsDefinition&)>>{
           [](NewsDefinition& d) { SetFieldText(d.Title, "changed"); },
           [](NewsDefinition& d) { SetFieldText(d.EndMarker, "</ul>"); },
           [](NewsDefinition& d) { d.Encoding = 3; },
           [](NewsDefinition& d) { d.EndTag = 8; },
       }) {
    auto changed = same;
    change(changed[2]);
    Import(Nud(changed), kImportCompare);
    EXPECT_TRUE(result);
  }
  // A generated board definition where the list has none is not compared.
  auto board = same;
  board[2] = Definition("板", "http://board.example/", 3);
  board[2].Category = kCategoryBoard;
  Import(Nud(board), kImportCompare);
  EXPECT_FALSE(result);
  EXPECT_EQ(NewsList().Count, 3);
}

TEST_F(Exchange, Nu2WithBadChecksumsIsRefusedBeforeAnythingChanges) {
  TIPlist5 other;
  other.Append(Definition("ニュースA", "http://a.example/rss"));
  other.Append(Definition("別のニュース", "http://c.example/"));
  ASSERT_TRUE(other.SaveDefinitions(data + "/set.NU2"));
  const std::string good = test::ReadFile(data + "/set.NU2");

  const std::string before = test::Bytes(&NewsList().Item(0), 3 * 736);
  std::string bad = good;
  bad[431 + 740 + 4 + 5] ^= 0x20;
  Import(bad, kImportUser, "bad.nu2");
  EXPECT_EQ(NewsList().Count, 3);
  EXPECT_EQ(test::Bytes(&NewsList().Item(0), 3 * 736), before);
  EXPECT_FALSE(platform::FileExists(data + "/NewsUrl.USR"));

  Import(good, kImportUser, "good.nu2");
  ASSERT_EQ(NewsList().Count, 4);
  EXPECT_EQ(FieldText(NewsList().Item(3).Title), SJ("別のニュース"));
}

TEST_F(Exchange, OlderRecordLayoutsAreConverted) {
  NewsDefinition current = Definition("新しい形式のタイトル", "http://new.example/feed.rdf", 4);
  SetFieldText(current.StartMarker, "<!-- start -->");
  SetFieldText(current.MainUrl, "http://new.example/");
  current.Category = 14;
  current.Patrol = 0;
  current.ExpiryDate = 46000;

  // Lumetra's layouts before the 514-byte record.
  std::string v2(375, '\0'), v3(388, '\0');
  for (std::string* r : {&v2, &v3}) {
    r->replace(0, 19, "http://old.example/");
    r->replace(151, 5, "Title");
    r->replace(202, 7, "<table>");
    r->replace(283, 8, "</table>");
    double date = 40000.5;
    r->replace(364, 8, test::Bytes(&date, 8));
  }
  v3[375] = 1;  // ShowInMenu
  v3[376] = 0;  // Patrol
  v3[380] = 9;  // Category
  int32_t group = 77;
  v3.replace(382, 4, test::Bytes(&group, 4));

  const struct {
    int version;
    std::string record;
    const char* url;
    int patrol, category, group;
    bool mainUrl;
    double expiry;
  } cases[] = {
      {0, v2, "http://old.example/", 1, 0, 0, false, 0},
      {2, v2, "http://old.example/", 1, 0, 0, false, 0},
      {3, v3, "http://old.example/", 0, 9, 77, false, 0},
      {5, RecordBytes(current, 497), "http://new.example/feed.rdf", 0, 14, 4, false, 0},
      {11, RecordBytes(current, 514), "http://new.example/feed.rdf", 0, 14, 4, false, 46000},
      {12, RecordBytes(current), "http://new.example/feed.rdf", 0, 14, 4, true, 46000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    Reset();
    Import(NudFile(c.version, {c.record}), kImportUser);
    ASSERT_EQ(NewsList().Count, 4);
    const NewsDefinition& d = NewsList().Item(3);
    EXPECT_EQ(FieldText(d.Url), c.url);
    EXPECT_EQ(d.Patrol, c.patrol);
    EXPECT_EQ(d.ShowInMenu, 1);
    EXPECT_EQ(d.Category, c.category);
    EXPECT_EQ(int32_t{d.GroupId}, c.group);
    EXPECT_EQ(FieldText(d.MainUrl), c.mainUrl ? "http://new.example/" : "");
    EXPECT_EQ(double{d.ExpiryDate}, c.expiry);
    if (c.version <= 3) {
      EXPECT_EQ(FieldText(d.Title), "Title");
      EXPECT_EQ(FieldText(d.StartMarker), "<table>");
      EXPECT_EQ(FieldText(d.EndMarker), "</table>");
    }
  }
}

TEST_F(Exchange, ColourImportMakesTheSetTheBarsAndSavesTheList) {
  ColourList().BuildPresetColourSets();
  TIPlist6 source;
  source.NewColourSet(0);
  SetFieldText(source.Item(0).Name, SJ("持ち込み"));
  source.Count = 1;
  ASSERT_TRUE(source.ExportColourSets(data + "/one.ncd", {0}));
  ColourImportResult r = ImportColours(data + "/one.ncd", 4);
  EXPECT_EQ(r.lastIndex, 30);
  EXPECT_TRUE(r.withPictures);
  EXPECT_EQ(bars()[4].ColourSet, 30);
  EXPECT_EQ(bars()[4].ColourSetName, SJ("持ち込み"));
  TIPlist6 saved;
  ASSERT_EQ(saved.LoadColourSets(data + "/NewsCol.USR"), ColourLoad::Loaded);
  EXPECT_EQ(saved.Count, 31);
  EXPECT_EQ(ImportColours(data + "/one.nud", 4).imported, 0);
}

}  // namespace
}  // namespace lumetra
