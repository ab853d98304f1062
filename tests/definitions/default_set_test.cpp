// The default definition set and colour list shipped with the program, and
// the first start that turns them into the data files.
#include "definitions/default_set.h"

#include <gtest/gtest.h>

#include <set>

#include "definitions/fixture.h"

namespace lumetra {
namespace {

const std::string kShipped = std::string(LUMETRA_SOURCE_DIR) + "/data";

class DefaultSet : public test::DataFolderTest {
 protected:
  // The program folder as the build lays it out: the shipped files in "data".
  void ShipData() {
    for (const char* name : {"default-definitions.txt", "default-colours.txt", "sample/demo-feed.rdf"}) {
      platform::MakeDirectories(program + "/data/sample");
      ASSERT_TRUE(platform::CopyFileAtomically(kShipped + "/" + name, program + "/data/" + name)) << name;
    }
  }
};

TEST_F(DefaultSet, ShippedDefinitionsLoadAndEachHasTitleAddressAndCategory) {
  auto text = platform::ReadWholeFile(kShipped + "/" + kDefaultDefinitionsFile);
  ASSERT_TRUE(text);
  TIPlist5 list;
  std::vector<std::string> errors;
  EXPECT_TRUE(ParseDefaultDefinitions(*text, kShipped, list, errors));
  EXPECT_EQ(errors, std::vector<std::string>{});
  ASSERT_GE(list.Count, 20);
  std::set<std::string> titles, addresses;
  int local = -1;
  for (int i = 0; i < list.Count; ++i) {
    const NewsDefinition& d = list.Item(i);
    const std::string title = FieldText(d.Title), url = FieldText(d.Url);
    SCOPED_TRACE(platform::SjisToUtf8(title));
    EXPECT_FALSE(title.empty());
    EXPECT_TRUE(titles.insert(title).second);
    EXPECT_TRUE(addresses.insert(url).second);
    EXPECT_EQ(CategoryCode(CategoryName(d.Category)), d.Category);
    EXPECT_EQ(d.Rss, 1);
    EXPECT_EQ(d.Encoding, 3);
    EXPECT_EQ(d.ShowInMenu, 1);
    if (url.rfind("file://", 0) == 0) {
      EXPECT_EQ(local, -1);
      local = i;
      EXPECT_TRUE(platform::FileExists(url.substr(7)));
    } else {
      EXPECT_EQ(url.rfind("https://", 0), 0u) << url;
    }
  }
  // Bar 0 starts on definition 1: the offline demonstration.
  EXPECT_EQ(local, 1);
}

TEST_F(DefaultSet, ShippedColourListGivesTheSystemDefaultNamesTheirSlots) {
  auto text = platform::ReadWholeFile(kShipped + "/" + kDefaultColoursFile);
  ASSERT_TRUE(text);
  TIPlist6 list;
  list.BuildPresetColourSets();
  TIPlist6 presets = list;
  std::vector<std::string> errors;
  EXPECT_TRUE(ParseDefaultColourSets(*text, list, errors));
  EXPECT_EQ(errors, std::vector<std::string>{});
  for (int i = 0; i <= 16; ++i) EXPECT_EQ(std::memcmp(&list.Item(i), &presets.Item(i), sizeof(ColourSet)), 0) << i;
  // The slots the settings' defaults point to, per system.
  const struct {
    int slot;
    const char* name;
  } expected[] = {{25, "WindowsVista風"}, {26, "天気予報用 Vista風"}, {30, "Windows7風"}, {31, "天気予報用 W7風"},
               {27, "Macな感じ"},      {28, "天気予報 Mac風"},     {19, "天気予報用"}};
  for (const auto& s : expected) EXPECT_EQ(FieldText(list.Item(s.slot).Name), SJ(s.name)) << s.slot;
  EXPECT_GE(list.FindByName(SJ("WindowsXP風")), 17);
  AppState current;
  current.IsXPOrLater = current.IsVistaOrLater = true;
  EXPECT_EQ(FieldText(list.Item(DefaultColourSetIndex(current)).Name), DefaultColourSetName(current, false));
}

TEST_F(DefaultSet, BlocksWithProblemsAreLeftOutAndTheRestKept) {
  test::WriteFile(program + "/demo.rdf", "<rdf/>");
  const std::string good = "[良い]\nurl = https://good.example/\ncategory = 主要\n";
  const struct {
    const char* what;
    std::string block;
  } cases[] = {
      {"unknown key", "[x]\nurl = https://x.example/\ncategory = 1\ncolour = red\n"},
      {"no address", "[x]\ncategory = 1\n"},
      {"no category", "[x]\nurl = https://x.example/\n"},
      {"unknown category", "[x]\nurl = https://x.example/\ncategory = 天体\n"},
      {"bad flag", "[x]\nurl = https://x.example/\ncategory = 1\nrss = 2\n"},
      {"bad tag", "[x]\nurl = https://x.example/\ncategory = 1\nend_tag = </blink>\n"},
      {"missing local file", "[x]\nlocal = nothing.rdf\ncategory = 1\n"},
      {"local outside", "[x]\nlocal = ../demo.rdf\ncategory = 1\n"},
      {"not Shift_JIS", "[x\xF0\x9F\x98\x80]\nurl = https://x.example/\ncategory = 1\n"},
      {"address too long", "[x]\nurl = https://x.example/" + std::string(200, 'a') + "\ncategory = 1\n"},
      {"no block", "url = https://x.example/\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TIPlist5 list;
    std::vector<std::string> errors;
    EXPECT_FALSE(ParseDefaultDefinitions(c.block + good, program, list, errors));
    EXPECT_EQ(errors.size(), 1u);
    ASSERT_EQ(list.Count, 1);
    EXPECT_EQ(FieldText(list.Item(0).Title), SJ("良い"));
  }
  // A local file whose address would not fit the record is left out too.
  const std::string deep = program + "/" + std::string(190, 'd');
  platform::MakeDirectories(deep);
  test::WriteFile(deep + "/demo.rdf", "<rdf/>");
  TIPlist5 list;
  std::vector<std::string> errors;
  EXPECT_FALSE(ParseDefaultDefinitions("[demo]\nlocal = demo.rdf\ncategory = 0\n", deep, list, errors));
  EXPECT_EQ(list.Count, 0);
}

TEST_F(DefaultSet, FirstStartWritesBothFilesAndTheyLoadBackIdentically) {
  ShipData();
  LoadDefinitionsAtStart(data, program);
  LoadColourSetsAtStart(data, program);
  ASSERT_TRUE(platform::FileExists(data + "/NewsUrl.USR"));
  ASSERT_TRUE(platform::FileExists(data + "/NewsCol.USR"));
  ASSERT_GE(NewsList().Count, 20);
  EXPECT_EQ(NewsList().CurrentIndex, 1);
  EXPECT_EQ(FieldText(NewsList().Item(1).Url), "file://" + program + "/data/sample/demo-feed.rdf");

  TIPlist5 definitions;
  ASSERT_TRUE(definitions.LoadDefinitions(data + "/NewsUrl.USR"));
  ASSERT_EQ(definitions.Count, NewsList().Count);
  for (int i = 0; i < definitions.Count; ++i)
    EXPECT_EQ(std::memcmp(&definitions.Item(i), &NewsList().Item(i), sizeof(NewsDefinition)), 0) << i;
  TIPlist6 colours;
  ASSERT_EQ(colours.LoadColourSets(data + "/NewsCol.USR"), ColourLoad::Loaded);
  ASSERT_EQ(colours.Count, ColourList().Count);
  EXPECT_GE(colours.Count, 32);
  for (int i = 0; i < colours.Count; ++i)
    EXPECT_EQ(std::memcmp(&colours.Item(i), &ColourList().Item(i), sizeof(ColourSet)), 0) << i;

  // The next start loads what the first one wrote.
  const std::string written = test::ReadFile(data + "/NewsUrl.USR");
  NewsList() = TIPlist5();
  LoadDefinitionsAtStart(data, program);
  EXPECT_EQ(NewsList().Count, definitions.Count);
  EXPECT_EQ(test::ReadFile(data + "/NewsUrl.USR"), written);
}

TEST_F(DefaultSet, ADefinitionFileThatDidNotLoadIsNotReplacedByAnEmptyList) {
  ShipData();
  LoadDefinitionsAtStart(data, program);
  std::string damaged = test::ReadFile(data + "/NewsUrl.USR");
  damaged[500] ^= 0x10;
  test::WriteFile(data + "/NewsUrl.USR", damaged);

  NewsList() = TIPlist5();
  LoadDefinitionsAtStart(data, program);
  EXPECT_EQ(NewsList().Count, 0);
  SaveDefinitionsAtShutdown(data);
  EXPECT_EQ(test::ReadFile(data + "/NewsUrl.USR"), damaged);

  // Without the shipped set a first start writes nothing, and neither does
  // its shutdown, so the next start can still install the defaults.
  platform::RemoveFile(data + "/NewsUrl.USR");
  NewsList() = TIPlist5();
  LoadDefinitionsAtStart(data, folder / "elsewhere");
  SaveDefinitionsAtShutdown(data);
  EXPECT_FALSE(platform::FileExists(data + "/NewsUrl.USR"));

  // Once the list holds definitions again, shutdown saves them.
  NewsList().Append(test::Definition("新しい", "https://new.example/"));
  SaveDefinitionsAtShutdown(data);
  TIPlist5 saved;
  ASSERT_TRUE(saved.LoadDefinitions(data + "/NewsUrl.USR"));
  EXPECT_EQ(saved.Count, 1);
}

}  // namespace
}  // namespace lumetra
