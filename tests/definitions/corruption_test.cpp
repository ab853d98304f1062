// Damaged files: every truncation and every single-byte change of a valid
// file of each kind is read without crash, hang or runaway allocation, and
// with the outcome its format promises.
#include <gtest/gtest.h>

#include <QDir>

#include "definitions/default_set.h"
#include "definitions/fixture.h"

namespace lumetra {
namespace {

using test::Definition;

// Calls `check` with every proper prefix of `valid` (truncated = true) and
// with every single-byte change of it (three per byte).
template <typename Check>
void Sweep(const std::string& valid, Check check) {
  for (size_t n = 0; n < valid.size(); ++n) check(valid.substr(0, n), true);
  for (size_t i = 0; i < valid.size(); ++i) {
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      std::string changed = valid;
      changed[i] = static_cast<char>(changed[i] ^ flip);
      check(changed, false);
      if (::testing::Test::HasFailure()) {
        ADD_FAILURE() << "first failure at byte " << i << " ^ " << int(flip);
        return;
      }
    }
  }
}

void ExpectTerminated(const NewsDefinition& d) {
  EXPECT_EQ(d.Url[200], 0);
  EXPECT_EQ(d.Title[100], 0);
  EXPECT_EQ(d.StartMarker[80], 0);
  EXPECT_EQ(d.EndMarker[80], 0);
  EXPECT_EQ(d.MainUrl[200], 0);
}

class Corruption : public test::DataFolderTest {
 protected:
  void Reset() override {
    DataFolderTest::Reset();
    NewsList().Append(Definition("ホーム", "http://home.example/"));
    NewsList().Append(Definition("既存", "http://old.example/rss"));
    NewsList().CurrentIndex = 1;
  }
  std::vector<NewsDefinition> Records() {
    NewsDefinition a = Definition("既存", "http://old.example/rss");
    SetFieldText(a.StartMarker, "<ul>");
    NewsDefinition b = Definition("新規", "https://new.example/feed.rdf", 9999);
    b.Rss = 1;
    return {a, b};
  }
};

TEST_F(Corruption, DefinitionFileEmptiesTheListOrLoadsItUnchanged) {
  TIPlist5 source;
  for (const NewsDefinition& d : Records()) source.Append(d);
  const std::string path = data + "/NewsUrl.USR";
  ASSERT_TRUE(source.SaveDefinitions(path));
  const std::string valid = test::ReadFile(path);
  Sweep(valid, [&](const std::string& bytes, bool truncated) {
    test::WriteFile(path, bytes);
    TIPlist5 list;
    list.Append(Records()[0]);
    const bool loaded = list.LoadDefinitions(path);
    EXPECT_EQ(test::ReadFile(path), bytes);
    EXPECT_LE(list.Capacity(), 16);
    if (truncated || !loaded) {
      EXPECT_EQ(list.Count, 0);
      EXPECT_FALSE(loaded && truncated);
      return;
    }
    // Only header bytes outside the checksums may differ without effect.
    ASSERT_EQ(list.Count, 2);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(std::memcmp(&list.Item(i), &source.Item(i), sizeof(NewsDefinition)), 0);
  });
}

TEST_F(Corruption, NudImportStaysWithinTheFile) {
  std::string valid;
  test::PutLE<int32_t>(valid, 2);
  test::PutLE<int32_t>(valid, 14);
  for (const NewsDefinition& d : Records()) valid += test::Bytes(&d, sizeof d);
  Sweep(valid, [&](const std::string& bytes, bool) {
    Reset();
    test::WriteFile(data + "/in.nud", bytes);
    EXPECT_FALSE(ImportDefinitions(data + "/in.nud", kImportUser));
    EXPECT_GE(NewsList().Count, 1);
    EXPECT_LE(NewsList().Count, 4);
    EXPECT_LE(NewsList().Capacity(), 16);
    for (int i = 0; i < NewsList().Count; ++i) ExpectTerminated(NewsList().Item(i));
  });
}

TEST_F(Corruption, Nu2ImportIsAllOrNothing) {
  TIPlist5 source;
  for (const NewsDefinition& d : Records()) source.Append(d);
  ASSERT_TRUE(source.SaveDefinitions(data + "/set.nu2"));
  const std::string valid = test::ReadFile(data + "/set.nu2");
  ImportDefinitions(data + "/set.nu2", kImportUser);
  ASSERT_EQ(NewsList().Count, 3);
  std::vector<NewsDefinition> imported = {NewsList().Item(0), NewsList().Item(1), NewsList().Item(2)};
  Reset();
  std::vector<NewsDefinition> before = {NewsList().Item(0), NewsList().Item(1)};

  Sweep(valid, [&](const std::string& bytes, bool truncated) {
    Reset();
    test::WriteFile(data + "/set.nu2", bytes);
    ImportDefinitions(data + "/set.nu2", kImportUser);
    const auto& expected = NewsList().Count == 3 && !truncated ? imported : before;
    ASSERT_EQ(NewsList().Count, static_cast<int>(expected.size()));
    for (int i = 0; i < NewsList().Count; ++i) EXPECT_TRUE(SameDefinition(NewsList().Item(i), expected[i]));
  });
}

TEST_F(Corruption, ColourListLoadsWhatIsThereOrThePresets) {
  TIPlist6 source;
  source.NewColourSet(0);
  source.NewColourSet(1);
  source.Count = 2;
  SetFieldText(source.Item(1).SkinFile, data + "/sky.bmp");
  const std::string path = data + "/NewsCol.USR";
  ASSERT_TRUE(source.SaveColourSets(path));
  Sweep(test::ReadFile(path), [&](const std::string& bytes, bool) {
    test::WriteFile(path, bytes);
    TIPlist6 list;
    const ColourLoad result = list.LoadColourSets(path);
    EXPECT_EQ(test::ReadFile(path), bytes);
    if (result == ColourLoad::PresetsBuilt) {
      EXPECT_EQ(list.Count, 30);
    } else {
      EXPECT_LE(list.Count, 2);
      EXPECT_LE(list.Capacity(), 16);
    }
    for (int i = 0; i < list.Count; ++i) {
      EXPECT_EQ(list.Item(i).Name[80], 0);
      EXPECT_EQ(list.Item(i).SkinFile[255], 0);
    }
  });
}

TEST_F(Corruption, NcdImportWritesOnlyPicturesInsideTheDataFolder) {
  TIPlist6 source;
  for (int i = 0; i < 2; ++i) source.NewColourSet(i);
  source.Count = 2;
  test::WriteFile(program + "/a.bmp", "BM-picture-a");
  test::WriteFile(program + "/b.png", "PNG-picture-b");
  SetFieldText(source.Item(0).SkinFile, program + "/a.bmp");
  SetFieldText(source.Item(1).SkinFile, program + "/b.png");
  ASSERT_TRUE(source.ExportColourSets(data + "/sets.ncd", {0, 1}));
  const std::string valid = test::ReadFile(data + "/sets.ncd");
  test::WriteFile(data + "/NewsUrl.USR", "keep me");
  const QStringList outside = QDir(QString::fromStdString(folder.path())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

  Sweep(valid, [&](const std::string& bytes, bool) {
    test::WriteFile(data + "/sets.ncd", bytes);
    ColourList() = TIPlist6();
    ColourImportResult result = ColourList().ImportColourSets(data + "/sets.ncd");
    EXPECT_LE(result.imported, 2);
    EXPECT_LE(ColourList().Capacity(), 16);
  });
  EXPECT_EQ(test::ReadFile(data + "/NewsUrl.USR"), "keep me");
  EXPECT_EQ(QDir(QString::fromStdString(folder.path())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            outside);
  // Whatever arrived in the data folder is a picture or one of the test's own files.
  for (const QString& name : QDir(QString::fromStdString(data)).entryList(QDir::Files | QDir::Hidden)) {
    const QString lower = name.toLower();
    EXPECT_TRUE(lower.endsWith(".bmp") || lower.endsWith(".png") || lower.endsWith(".jpg") ||
                lower.endsWith(".jpeg") || lower.endsWith(".gif") || name == "sets.ncd" || name == "NewsUrl.USR")
        << name.toStdString();
    EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
  }
}

}  // namespace
}  // namespace lumetra
