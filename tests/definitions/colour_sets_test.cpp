// Colour and skin sets: presets, the list file, the exchange files and the
// names of animated skin frames.
#include "definitions/colour_sets.h"

#include <gtest/gtest.h>

#include "definitions/fixture.h"

namespace lumetra {
namespace {

using test::PutLE;

class ColourSets : public test::DataFolderTest {
 protected:
  ColourSet Named(const std::string& name, uint32_t backLit = Rgb(1, 2, 3)) {
    TIPlist6 scratch;
    scratch.NewColourSet(0);
    ColourSet set = scratch.Item(0);
    SetFieldText(set.Name, SJ(name));
    set.BackLit = backLit;
    return set;
  }
  // A ".ncd"/".nc2" file: count, version, then each record with its picture.
  std::string ExchangeFile(const std::vector<std::pair<ColourSet, std::string>>& records, bool pictures,
                           int32_t version = 3) {
    std::string out;
    PutLE<int32_t>(out, static_cast<int32_t>(records.size()));
    PutLE<int32_t>(out, version);
    for (const auto& [set, picture] : records) {
      out += test::Bytes(&set, sizeof set);
      if (!pictures) continue;
      PutLE<int32_t>(out, static_cast<int32_t>(picture.size()));
      out += picture;
    }
    return out;
  }
};

TEST_F(ColourSets, PresetsDeriveTheirColoursFromTheBarColour) {
  TIPlist6 list;
  list.BuildPresetColourSets(Rgb(240, 240, 240));
  ASSERT_EQ(list.Count, 30);
  const struct {
    int index;
    const char* name;
    int style, effect;
    uint32_t backLit, backUnlit, text1, text2;
  } cases[] = {
      {0, "標準色", 2, 2, Rgb(212, 208, 200), Rgb(186, 180, 165), Rgb(167, 164, 143), Rgb(142, 151, 172)},
      {1, "目立たない感じ", 1, 0, Rgb(240, 240, 240), Rgb(120, 120, 120), Rgb(180, 180, 180), Rgb(180, 180, 192)},
      {2, "さらに目立たない感じ", 1, 0, Rgb(240, 240, 240), Rgb(120, 120, 120), Rgb(180, 180, 180), Rgb(192, 192, 180)},
      {3, "黒っぽい感じ", 1, 0, Rgb(16, 8, 4), Rgb(64, 32, 16), Rgb(208, 104, 52), Rgb(192, 96, 64)},
      {4, "白っぽい感じ", 1, 0, Rgb(255, 255, 255), Rgb(127, 127, 127), Rgb(128, 128, 128), Rgb(120, 120, 200)},
      {5, "Tarvoポップアップ標準色", 1, 0, Rgb(0, 128, 128), Rgb(0, 64, 64), Rgb(255, 255, 0), Rgb(255, 255, 255)},
      {6, "オレンジな感じ", 0, 0, Rgb(24, 10, 6), Rgb(96, 40, 24), Rgb(255, 130, 78), Rgb(255, 120, 96)},
      {7, "グリーンな感じ", 0, 0, Rgb(10, 24, 6), Rgb(40, 96, 24), Rgb(130, 255, 78), Rgb(160, 255, 72)},
      {8, "ブルーな感じ", 0, 0, Rgb(6, 10, 32), Rgb(24, 40, 128), Rgb(78, 130, 255), Rgb(84, 180, 255)},
      {10, "オーディオ風", 2, 2, Rgb(120, 115, 105), Rgb(0, 0, 0), Rgb(160, 155, 145), Rgb(145, 130, 69)},
      {11, "Ｗｉｎｄｏｗｓ風", 2, 0, Rgb(166, 202, 240), Rgb(18, 62, 177), Rgb(200, 194, 201), Rgb(182, 205, 222)},
      {15, "蒼月風", 2, 2, Rgb(213, 207, 193), Rgb(168, 169, 160), Rgb(173, 39, 39), Rgb(82, 97, 151)},
      {16, "ＷｉｎｄｏｗＸＰ風", 2, 0, Rgb(74, 148, 231), Rgb(3, 69, 192), Rgb(222, 252, 231), Rgb(222, 231, 252)},
      {29, "Color 30", 2, 0, Rgb(212, 208, 200), Rgb(186, 180, 165), Rgb(167, 164, 143), Rgb(142, 151, 172)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    const ColourSet& s = list.Item(c.index);
    EXPECT_EQ(FieldText(s.Name), SJ(c.name));
    EXPECT_EQ(int32_t{s.Style}, c.style);
    EXPECT_EQ(s.Effect, c.effect);
    EXPECT_EQ(uint32_t{s.BackLit}, c.backLit);
    EXPECT_EQ(uint32_t{s.BackUnlit}, c.backUnlit);
    EXPECT_EQ(uint32_t{s.NewsColour1}, c.text1);
    EXPECT_EQ(uint32_t{s.NewsColour2}, c.text2);
    EXPECT_EQ(int32_t{s.MetallicPercent}, 6);
  }
  EXPECT_EQ(list.Item(14).Metallic, 1);
  EXPECT_EQ(list.Item(13).Metallic, 0);
  EXPECT_EQ(FieldText(list.Item(17).Name), "Color 18");
}

TEST_F(ColourSets, ListFileLoadsBackAndAnUnknownVersionGivesThePresets) {
  const std::string path = data + "/NewsCol.USR";
  TIPlist6 list;
  list.BuildPresetColourSets();
  list.Item(3).TextTop = 4;
  ASSERT_TRUE(list.SaveColourSets(path));
  EXPECT_EQ(test::ReadFile(path).size(), 8u + 30 * 374);

  TIPlist6 loaded;
  EXPECT_EQ(loaded.LoadColourSets(path), ColourLoad::Loaded);
  ASSERT_EQ(loaded.Count, 30);
  list.Item(3).TextTop = 0;  // the text offsets are reset at every load
  for (int i = 0; i < 30; ++i) EXPECT_EQ(std::memcmp(&loaded.Item(i), &list.Item(i), sizeof(ColourSet)), 0) << i;

  for (int32_t version : {1, 4, -1}) {
    std::string file;
    PutLE<int32_t>(file, 1);
    PutLE<int32_t>(file, version);
    ColourSet one = Named("一つだけ");
    file += test::Bytes(&one, sizeof one);
    test::WriteFile(path, file);
    TIPlist6 other;
    other.Append(one);
    EXPECT_EQ(other.LoadColourSets(path), ColourLoad::PresetsBuilt) << version;
    EXPECT_EQ(other.Count, 30);
    EXPECT_EQ(FieldText(other.Item(0).Name), SJ("標準色"));
  }

  TIPlist6 kept;
  kept.Append(Named("残る"));
  EXPECT_EQ(kept.LoadColourSets(data + "/missing.USR"), ColourLoad::Missing);
  EXPECT_EQ(kept.Count, 1);
}

TEST_F(ColourSets, LoadingDropsTransparentSetsWithoutLayeredWindowsAndFindsMovedPictures) {
  ColourSet transparent = Named("透過");
  transparent.SkinLayout = kLayoutTransparent;
  // The picture is named after a folder that no longer exists; the file
  // itself now lies beside the program.
  ColourSet moved = Named("移動");
  SetFieldText(moved.SkinFile, "C:\\Old\\Lumetra\\sky.bmp");
  test::WriteFile(program + "/sky.bmp", "BM");
  ColourSet animated = Named("動く");
  SetFieldText(animated.SkinFile, data + "/cloud_1_999.bmp");
  test::WriteFile(data + "/cloud_1_250.bmp", "BM");
  ColourSet lost = Named("なくした");
  SetFieldText(lost.SkinFile, "/nowhere/lost.bmp");

  const std::string path = data + "/NewsCol.USR";
  std::string file;
  PutLE<int32_t>(file, 4);
  PutLE<int32_t>(file, 2);
  for (const ColourSet& s : {transparent, moved, animated, lost}) file += test::Bytes(&s, sizeof s);
  test::WriteFile(path, file);

  TIPlist6 withLayers, withoutLayers;
  EXPECT_EQ(withLayers.LoadColourSets(path, true), ColourLoad::Loaded);
  EXPECT_EQ(withLayers.Count, 4);
  EXPECT_EQ(withoutLayers.LoadColourSets(path, false), ColourLoad::Loaded);
  ASSERT_EQ(withoutLayers.Count, 3);
  EXPECT_EQ(FieldText(withoutLayers.Item(0).SkinFile), program + "/sky.bmp");
  EXPECT_EQ(FieldText(withoutLayers.Item(1).SkinFile), data + "/cloud_1_250.bmp");
  EXPECT_EQ(FieldText(withoutLayers.Item(2).SkinFile), "/nowhere/lost.bmp");
}

TEST(SkinFrames, NamesCarryFrameAndDelayAtTheEnd) {
  const struct {
    const char* name;
    bool frame;
    const char* base;
    int number, delay;
  } cases[] = {
      {"sky_2_500.bmp", true, "sky", 2, 500},    {"sky_50_500.bmp", false, "", 0, 0},
      {"sky_2_500.png", false, "", 0, 0},        {"my_sky_49_65535.bmp", true, "my_sky", 49, 65535},
      {"sky_2_65536.bmp", false, "", 0, 0},      {"sky_0_10.bmp", false, "", 0, 0},
      {"sky_2_0.bmp", false, "", 0, 0},          {"sky_2_500x.bmp", false, "", 0, 0},
      {"sky2_500.bmp", false, "", 0, 0},         {"sky_1_100.BMP", true, "sky", 1, 100},
      {"sky_2_99999999999999999999.bmp", false, "", 0, 0},
  };
  for (const auto& c : cases) {
    auto parsed = ParseSkinFrameName(c.name);
    ASSERT_EQ(parsed.has_value(), c.frame) << c.name;
    if (!parsed) continue;
    EXPECT_EQ(parsed->base, c.base);
    EXPECT_EQ(parsed->frame, c.number);
    EXPECT_EQ(parsed->delay, c.delay);
  }
}

TEST_F(ColourSets, AnimationLoadsOnlyFromFrameOneWithoutGaps) {
  for (const char* name : {"sky_1_100.bmp", "sky_2_200.bmp", "sky_3_300.bmp", "sky_4_40.png", "skyline_5_5.bmp"})
    test::WriteFile(data + "/" + name, "BM");
  std::vector<SkinFrame> frames;
  ASSERT_TRUE(LoadSkinFrames(data + "/sky_1_100.bmp", frames));
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[2].path, data + "/sky_3_300.bmp");
  EXPECT_EQ(frames[1].delay, 200);
  EXPECT_EQ(SkinFrameOf(data + "/sky_1_100.bmp", 3), data + "/sky_3_300.bmp");
  EXPECT_EQ(SkinFrameOf(data + "/sky.bmp", 2), data + "/sky_2_200.bmp");
  EXPECT_EQ(SkinFrameOf(data + "/sky_1_100.bmp", 4), "");
  EXPECT_FALSE(LoadSkinFrames(data + "/sky_2_200.bmp", frames));
  platform::RemoveFile(data + "/sky_2_200.bmp");
  EXPECT_FALSE(LoadSkinFrames(data + "/sky_1_100.bmp", frames));
  EXPECT_TRUE(frames.empty());
}

TEST_F(ColourSets, ExportWritesOneRecordPerFrameAndImportInstallsThePictures) {
  test::WriteFile(program + "/sky_1_100.bmp", "frame one");
  test::WriteFile(program + "/sky_2_100.bmp", "frame two");
  test::WriteFile(program + "/sky_3_100.bmp", "frame three");
  test::WriteFile(program + "/plain.bmp", "plain picture");
  TIPlist6 list;
  ColourSet animated = Named("空");
  SetFieldText(animated.SkinFile, program + "/sky_1_100.bmp");
  ColourSet plain = Named("無地");
  SetFieldText(plain.SkinFile, program + "/plain.bmp");
  list.Append(Named("色だけ"));
  list.Append(animated);
  list.Append(plain);

  const std::string ncd = data + "/export.NCD";
  ASSERT_TRUE(list.ExportColourSets(ncd, {1}));
  std::string bytes = test::ReadFile(ncd);
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x03\0\0\0", 4));
  EXPECT_EQ(bytes.size(), 8u + 3 * (374 + 4) + 9 + 9 + 11);

  ASSERT_TRUE(list.ExportColourSets(ncd, {2, 0, 2}));
  TIPlist6& target = ColourList();
  target.BuildPresetColourSets();
  ColourImportResult result = target.ImportColourSets(ncd);
  EXPECT_EQ(result.imported, 2);
  EXPECT_TRUE(result.withPictures);
  ASSERT_EQ(target.Count, 32);
  EXPECT_EQ(result.lastIndex, 31);
  EXPECT_EQ(FieldText(target.Item(31).SkinFile), data + "/plain.bmp");
  EXPECT_EQ(test::ReadFile(data + "/plain.bmp"), "plain picture");
}

TEST_F(ColourSets, ImportOverwritesTheSetOfTheSameNameAndSkipsBlankNames) {
  TIPlist6& list = ColourList();
  list.BuildPresetColourSets();
  bars()[2].ColourSet = 0;
  bars()[2].ColourSetName = "old";
  const std::string nc2 = data + "/sets.Nc2";
  test::WriteFile(nc2, ExchangeFile({{Named("標準色", Rgb(9, 9, 9)), ""},
                                     {Named("   ", Rgb(7, 7, 7)), ""},
                                     {Named("新しい色", Rgb(8, 8, 8)), ""}},
                                    false));
  ColourImportResult result = list.ImportColourSets(nc2);
  EXPECT_EQ(result.imported, 2);
  EXPECT_FALSE(result.withPictures);
  ASSERT_EQ(list.Count, 31);
  EXPECT_EQ(list.Item(0).BackLit, Rgb(9, 9, 9));
  EXPECT_EQ(FieldText(list.Item(30).Name), SJ("新しい色"));
  EXPECT_EQ(bars()[2].ColourSetName, SJ("標準色"));

  // The name is compared without regard to case; other extensions do nothing.
  test::WriteFile(data + "/case.ncd", ExchangeFile({{Named("COLOR 20", Rgb(5, 5, 5)), ""}}, true));
  list.ImportColourSets(data + "/case.ncd");
  EXPECT_EQ(uint32_t{list.Item(19).BackLit}, Rgb(5, 5, 5));
  test::WriteFile(data + "/sets.txt", ExchangeFile({{Named("別", Rgb(1, 1, 1)), ""}}, false));
  EXPECT_EQ(list.ImportColourSets(data + "/sets.txt").imported, 0);
  EXPECT_EQ(list.Count, 31);
}

TEST_F(ColourSets, ImportRefusesPicturesThatWouldLeaveTheDataFolderOrReplaceItsFiles) {
  auto withSkin = [this](const std::string& name, const std::string& skin) {
    ColourSet s = Named(name);
    SetFieldText(s.SkinFile, skin);
    return s;
  };
  const struct {
    const char* skin;
    bool installed;
  } cases[] = {
      {"C:\\Skins\\good.bmp", true}, {"../../escape.bmp", true},  // only the name is used
      {"..", false},                 {"x/..", false},
      {"NewsUrl.USR", false},        {"/etc/passwd", false},
      {"", false},                   {".hidden.bmp", false},
  };
  test::WriteFile(data + "/NewsUrl.USR", "definitions");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.skin);
    ColourList() = TIPlist6();
    test::WriteFile(data + "/in.ncd", ExchangeFile({{withSkin("皮", c.skin), "PICTURE"}}, true));
    EXPECT_EQ(ColourList().ImportColourSets(data + "/in.ncd").imported, c.installed ? 1 : 0);
  }
  EXPECT_EQ(test::ReadFile(data + "/good.bmp"), "PICTURE");
  EXPECT_EQ(test::ReadFile(data + "/escape.bmp"), "PICTURE");
  EXPECT_FALSE(platform::FileExists(folder.path() + "/escape.bmp"));
  EXPECT_EQ(test::ReadFile(data + "/NewsUrl.USR"), "definitions");

  // A picture length that is negative or beyond the file ends the import there.
  for (int32_t length : {-1, 1000}) {
    ColourList() = TIPlist6();
    std::string file;
    PutLE<int32_t>(file, 2);
    PutLE<int32_t>(file, 3);
    ColourSet a = withSkin("前", "a.bmp"), b = withSkin("後", "b.bmp");
    file += test::Bytes(&a, sizeof a);
    PutLE<int32_t>(file, length);
    file += "xy";
    file += test::Bytes(&b, sizeof b);
    PutLE<int32_t>(file, 0);
    test::WriteFile(data + "/bad.ncd", file);
    EXPECT_EQ(ColourList().ImportColourSets(data + "/bad.ncd").imported, 0) << length;
  }
}

TEST(DefaultColourSet, DependsOnColourDepthAndSystem) {
  const struct {
    int colours;
    bool xp, vista, glass;
    int index;
    const char* name;
    const char* weather;
  } cases[] = {
      {256, true, true, true, 1, "Windows7風", "天気予報用 W7風"},
      {INT_MAX, true, true, true, 30, "Windows7風", "天気予報用 W7風"},
      {INT_MAX, true, true, false, 25, "WindowsVista風", "天気予報用 Vista風"},
      {65536, true, false, false, 16, "WindowsXP風", "天気予報用"},
      {65536, false, false, false, 0, "Macな感じ", "天気予報 Mac風"},
  };
  for (const auto& c : cases) {
    AppState st;
    st.ColourCount = c.colours;
    st.IsXPOrLater = c.xp;
    st.IsVistaOrLater = c.vista;
    st.GlassEnabled = c.glass;
    EXPECT_EQ(DefaultColourSetIndex(st), c.index);
    EXPECT_EQ(DefaultColourSetName(st, false), SJ(c.name));
    EXPECT_EQ(DefaultColourSetName(st, true), SJ(c.weather));
  }
}

}  // namespace
}  // namespace lumetra
