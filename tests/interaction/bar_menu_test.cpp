// The bar menu built as data: captions, order, separators, hidden items,
// checks and what is enabled, from the definition and colour-set lists.
#include "interaction/bar_menu.h"

#include <gtest/gtest.h>

#include "platform/sjis_text.h"

namespace lumetra {
namespace {

// The entries of a menu as UTF-8 text; hidden ones in brackets.
std::vector<std::string> Captions(const BarMenuItem& menu) {
  std::vector<std::string> out;
  for (const BarMenuItem& item : menu.items) {
    const std::string text = platform::SjisToUtf8(item.caption);
    out.push_back(item.visible ? text : "[" + text + "]");
  }
  return out;
}

const BarMenuItem& Sub(const BarMenuItem& menu, const char* utf8) {
  const BarMenuItem* found = menu.Find(SJ(utf8));
  if (!found) found = menu.Find(utf8);
  EXPECT_NE(found, nullptr) << utf8;
  static const BarMenuItem none;
  return found ? *found : none;
}

class BarMenuData : public ::testing::Test {
 protected:
  void SetUp() override {
    struct Row {
      const char* title;
      int category, group;
      bool patrol, menu, favourite;
    } rows[] = {
        {"ニュース零", 1, 0, false, true, false},  {"デモ", 0, 0, true, true, false},
        {"東京の天気", 18, 13, false, true, false}, {"ニュース速報板", 27, 1, false, true, false},
        {"自分の板", 27, 9999, false, true, false}, {"サイト内検索", 32, 3, true, true, false},
        {"通販サイト", 28, 0, true, true, true},    {"載せない", 1, 0, true, false, false},
        {"実況板", 27, 2, false, true, false},
    };
    for (const Row& r : rows) {
      NewsDefinition d = DefaultDefinition(list.Count);
      SetFieldText(d.Title, SJ(r.title));
      SetFieldText(d.Url, "http://example.org/" + std::to_string(list.Count));
      d.Category = static_cast<uint8_t>(r.category);
      d.GroupId = r.group;
      d.Patrol = r.patrol;
      d.ShowInMenu = r.menu;
      d.Favourite = r.favourite;
      list.Append(d);
    }
    list[5].HasNew = 1;
    colours.BuildPresetColourSets();
    state.definition = 1;
    state.colourSet = 5;
    state.edge = 3;  // docked at the bottom
    state.placement = 3;
    boards = {SJ("ニュース"), SJ("実況")};
  }
  BarMenuItem Build() { return BuildBarMenu(list, colours, boards, state, reach); }

  TIPlist5 list;
  TIPlist6 colours;
  std::vector<std::string> boards;
  BarMenuState state;
  BarMenuReach reach;
};

TEST_F(BarMenuData, TopLevelCaptionsOrderAndSeparators) {
  const BarMenuItem menu = Build();
  EXPECT_EQ(Captions(menu), (std::vector<std::string>{
                                "表示しているニュースをブラウズ", "-", "更新", "このニュースデモを更新", "-", "表示",
                                "カスタマイズ・オプション", "ファイル", "-", "記事の閲覧（指定の記事に移動）", "前のニュース",
                                "次のニュース", "-", "ニュースを見逃すな！", "URLをクリップボードへコピー", "-",
                                "その他 ブラウズ", "巡回 ブラウズ", "-", "２ちゃんねる", "天気予報", "カテゴリ別 ニュース",
                                "巡回 ニュース", "-", "閉じる"}));
  std::vector<std::string> names;
  for (const BarMenuItem& item : menu.items)
    if (!item.name.empty()) names.push_back(item.name);
  EXPECT_EQ(names, (std::vector<std::string>{"N53", "Refresh1", "N11", "Show2", "N5", "File1", "N25", "N24", "N23",
                                             "N73", "URL1", "N17", "NewsSelectWWW", "NewsSelectCategory3",
                                             "NewsSelectCategory2", "NewsSelectCategory", "NewsSelect", "Close1"}));
}

TEST_F(BarMenuData, SubmenusWithTheirHiddenItems) {
  const BarMenuItem menu = Build();
  EXPECT_EQ(Captions(Sub(menu, "Refresh1")),
            (std::vector<std::string>{"ニュース定義ファイルの更新", "２ちゃんねる板一覧の更新", "巡回ニュースを全て更新"}));
  EXPECT_EQ(Captions(Sub(menu, "Show2")),
            (std::vector<std::string>{"表示位置", "自動的に隠す", "[シンプル表示]", "[グラデーション表示]",
                                      "[電光掲示板風表示]", "[メタリック風表示]", "透明度", "外枠", "[エフェクト]",
                                      "スクロール", "スキン・表示色", "配置", "エンコード", "Cookie"}));
  const BarMenuItem& show = Sub(menu, "Show2");
  EXPECT_EQ(Captions(Sub(show, "表示位置")), (std::vector<std::string>{"常に手前", "常に奥", "通常"}));
  EXPECT_EQ(Captions(Sub(show, "エフェクト")), (std::vector<std::string>{"なし", "凸", "凹"}));
  EXPECT_EQ(Captions(Sub(show, "スクロール")),
            (std::vector<std::string>{"スムーススクロール", "スクロールスピード変更", "標準のスピードに戻す"}));
  EXPECT_EQ(Captions(Sub(show, "スキン・表示色")), (std::vector<std::string>{"シンプル表示", "グラデーション表示",
                                                                             "電光掲示板風表示", "メタリック風表示",
                                                                             "スキン表示"}));
  EXPECT_EQ(Captions(Sub(show, "配置")), (std::vector<std::string>{"自動配置", "自動配置しない", "上側に配置",
                                                                   "下側に配置", "左側に配置", "右側に配置"}));
  EXPECT_EQ(Captions(Sub(show, "エンコード")),
            (std::vector<std::string>{"日本語 （シフト ＪＩＳ）", "日本語 （ＥＵＣ）", "日本語 （ＪＩＳ）",
                                      "日本語 (UTF-8)", "[Unicode]"}));
  EXPECT_EQ(Captions(Sub(menu, "N5")),
            (std::vector<std::string>{"オプション設定", "スキン・表示色のカスタマイズ", "取得ニュースのカスタマイズ",
                                      "読み上げ", "このニュースデモをお気に入りに追加", "このニュースデモを巡回する"}));
  EXPECT_EQ(Captions(Sub(Sub(menu, "N5"), "読み上げ")),
            (std::vector<std::string>{"読み上げする", "キャラクターを表示しない", "キャラクターを常に手前に表示",
                                      "キャラクターを常に奥に表示", "キャラクターを通常表示"}));
  EXPECT_EQ(Captions(Sub(menu, "File1")), (std::vector<std::string>{"ヘッドラインニュースＵＲＬのエクスポート",
                                                                     "ヘッドラインニュースＵＲＬのインポート"}));
  EXPECT_EQ(Captions(Sub(menu, "N73")),
            (std::vector<std::string>{"見つけたＵＲＬリスト", "見逃したくないキーワードの登録"}));
  EXPECT_EQ(Captions(Sub(menu, "N17")), (std::vector<std::string>{"カテゴリー別 ブラウズ", "お気に入り ブラウズ",
                                                                    "ネットでお買い物", "表示した履歴 ブラウズ"}));
}

TEST_F(BarMenuData, ItemsThatReachMissingSubsystemsAreDisabled) {
  auto enabled = [](const BarMenuItem& m, const char* utf8) { return Sub(m, utf8).enabled; };
  BarMenuItem menu = Build();
  for (const char* missing : {"ニュース定義ファイルの更新", "２ちゃんねる板一覧の更新", "巡回ニュースを全て更新",
                              "透明度", "オプション設定", "スキン・表示色のカスタマイズ", "読み上げ",
                              "記事の閲覧（指定の記事に移動）", "ニュースを見逃すな！"})
    EXPECT_FALSE(enabled(menu, missing)) << missing;
  EXPECT_FALSE(Sub(menu, "N11").enabled);  // no page check to fetch with
  for (const char* there : {"取得ニュースのカスタマイズ", "ヘッドラインニュースＵＲＬのエクスポート",
                            "ヘッドラインニュースＵＲＬのインポート", "前のニュース", "次のニュース",
                            "URLをクリップボードへコピー", "閉じる", "表示しているニュースをブラウズ"})
    EXPECT_TRUE(enabled(menu, there)) << there;

  reach = {true, true, true, true, true, true, true, true, true};
  menu = Build();
  for (const char* now : {"ニュース定義ファイルの更新", "２ちゃんねる板一覧の更新", "巡回ニュースを全て更新", "透明度",
                          "オプション設定", "スキン・表示色のカスタマイズ", "読み上げ", "記事の閲覧（指定の記事に移動）",
                          "ニュースを見逃すな！"})
    EXPECT_TRUE(enabled(menu, now)) << now;
  EXPECT_TRUE(Sub(menu, "N11").enabled);

  // Without a definition on the bar, nothing that acts on it.
  state.definition = 40;
  menu = Build();
  for (const char* item : {"N53", "N11", "Cookie"}) EXPECT_FALSE(enabled(menu, item)) << item;
  EXPECT_EQ(platform::SjisToUtf8(Sub(menu, "N11").caption), "このニュースを更新");
}

TEST_F(BarMenuData, ChecksComeFromTheBarAndItsDefinition) {
  state.zOrder = 2;
  state.autoHide = true;
  state.outline = true;
  state.coarseScroll = true;
  list[1].Encoding = 3;
  list[1].UseCookie = 1;
  list[1].Patrol = 1;
  list[1].Favourite = 0;
  colours[5].Effect = 2;
  BarMenuItem menu = Build();
  auto checked = [&menu](const char* utf8) { return Sub(menu, utf8).checked; };
  EXPECT_TRUE(checked("常に奥"));
  EXPECT_FALSE(checked("常に手前"));
  EXPECT_TRUE(checked("自動的に隠す"));
  EXPECT_TRUE(Sub(menu, "自動的に隠す").enabled);
  EXPECT_TRUE(checked("外枠"));
  EXPECT_FALSE(checked("スムーススクロール"));
  EXPECT_TRUE(checked("日本語 (UTF-8)"));
  EXPECT_TRUE(checked("Cookie"));
  EXPECT_TRUE(checked("凹"));
  EXPECT_TRUE(checked("このニュースデモを巡回する"));
  EXPECT_FALSE(checked("このニュースデモをお気に入りに追加"));
  EXPECT_TRUE(checked("下側に配置"));  // the edge the bar is at

  // Placement items: 0 and 1 by the slot, an edge placement by the edge.
  const std::pair<std::pair<int, int>, const char*> placements[] = {
      {{0, 3}, "自動配置"}, {{1, 5}, "自動配置しない"}, {{2, 1}, "上側に配置"},
      {{4, 0}, "左側に配置"}, {{5, 2}, "右側に配置"},  {{3, 3}, "下側に配置"}};
  for (const auto& [setting, item] : placements) {
    state.placement = setting.first;
    state.edge = setting.second;
    menu = Build();
    int count = 0;
    for (const BarMenuItem& p : Sub(menu, "配置").items) count += p.checked;
    EXPECT_EQ(count, 1) << item;
    EXPECT_TRUE(Sub(menu, item).checked) << item;
  }
  // Auto-hide is offered only to a docked bar.
  state.edge = 5;
  EXPECT_FALSE(Sub(Build(), "自動的に隠す").enabled);
}

TEST_F(BarMenuData, ColourSetsAreListedUnderTheirLooks) {
  BarMenuItem menu = Build();
  const BarMenuItem& sets = Sub(menu, "スキン・表示色");
  size_t total = 0;
  for (size_t look = 0; look < sets.items.size(); ++look)
    for (const BarMenuItem& item : sets.items[look].items) {
      ++total;
      EXPECT_EQ(LookGroupOf(colours[item.argument]), static_cast<int>(look)) << item.argument;
      EXPECT_EQ(item.caption, FieldText(colours[item.argument].Name));
      EXPECT_EQ(item.checked, item.argument == 5);
    }
  EXPECT_EQ(total, static_cast<size_t>(colours.Count));

  // A fixed-size skin waits while a weekly table is still finding its size.
  ColourSet skin = colours[0];
  skin.Style = 3;
  skin.SkinLayout = 2;
  SetFieldText(skin.Name, "fixed");
  const int fixed = colours.Append(skin);
  auto fixedItem = [&]() -> BarMenuItem {
    menu = Build();
    for (const BarMenuItem& item : Sub(menu, "スキン表示").items)
      if (item.argument == fixed) return item;
    ADD_FAILURE() << "no item for the skin";
    return {};
  };
  EXPECT_TRUE(fixedItem().enabled);
  state.sizePending = true;
  EXPECT_FALSE(fixedItem().enabled);
}

TEST_F(BarMenuData, SitesAreListedByPatrolCategoryRegionAndBoard) {
  list[1].HasNew = 1;
  list[0].HasNew = 1;
  BarMenuItem menu = Build();
  // Captions carry the marks the editor's rows show, without the number.
  EXPECT_EQ(Captions(Sub(menu, "NewsSelect")), (std::vector<std::string>{"★↓   デモ", "－↓   通販サイト"}));
  EXPECT_EQ(Sub(menu, "NewsSelect").items[1].command, BarCommand::ShowDefinition);
  EXPECT_EQ(Sub(menu, "NewsSelect").items[1].argument, 6);
  EXPECT_EQ(Captions(Sub(menu, "NewsSelectWWW")), Captions(Sub(menu, "NewsSelect")));
  EXPECT_EQ(Sub(menu, "NewsSelectWWW").items[0].command, BarCommand::BrowseDefinition);

  const BarMenuItem& byCategory = Sub(menu, "NewsSelectCategory");
  EXPECT_EQ(Captions(byCategory), (std::vector<std::string>{"主要", "検索", "その他", "ネットでお買い物"}));
  EXPECT_EQ(Captions(byCategory.items[0]), (std::vector<std::string>{"☆－   ニュース零"}));
  // Search definitions are grouped; their new-page marks are dropped.
  EXPECT_EQ(Captions(byCategory.items[1]), (std::vector<std::string>{"岩手"}));
  EXPECT_EQ(Captions(byCategory.items[1].items[0]), (std::vector<std::string>{"－－   サイト内検索"}));
  EXPECT_EQ(list[5].HasNew, 0);
  EXPECT_EQ(list[5].Patrol, 0);

  EXPECT_EQ(Captions(Sub(menu, "NewsSelectCategory3")), (std::vector<std::string>{"ニュース", "実況", "－－   自分の板"}));
  EXPECT_EQ(Captions(Sub(menu, "NewsSelectCategory3").items[0]), (std::vector<std::string>{"－－   ニュース速報板"}));
  EXPECT_EQ(Captions(Sub(menu, "NewsSelectCategory2")), (std::vector<std::string>{"東京"}));
  EXPECT_EQ(Sub(menu, "NewsSelectCategory2").items[0].items[0].argument, 2);

  const BarMenuItem& other = Sub(menu, "N17");
  EXPECT_EQ(Captions(Sub(other, "お気に入り ブラウズ")), (std::vector<std::string>{"－↓   通販サイト"}));
  EXPECT_EQ(Captions(Sub(other, "ネットでお買い物")), (std::vector<std::string>{"－↓   通販サイト"}));
  // Browsing by category leaves out the boards generated from the board list.
  std::vector<std::string> browseCategories = Captions(Sub(other, "カテゴリー別 ブラウズ"));
  EXPECT_EQ(browseCategories, (std::vector<std::string>{"主要", "天気予報", "２ちゃんねる", "検索", "その他",
                                                         "ネットでお買い物"}));
  EXPECT_EQ(Captions(Sub(other, "カテゴリー別 ブラウズ").items[2]), (std::vector<std::string>{"－－   自分の板"}));

  // Nothing opened yet: the history is there, disabled; then newest first.
  EXPECT_FALSE(Sub(other, "表示した履歴 ブラウズ").enabled);
  RememberOpened(state.opened, "http://a/1", SJ(" 一つ目 "));
  RememberOpened(state.opened, "http://a/2", "");
  menu = Build();
  const BarMenuItem& history = Sub(Sub(menu, "N17"), "表示した履歴 ブラウズ");
  EXPECT_EQ(Captions(history), (std::vector<std::string>{"http://a/2", "一つ目"}));
  EXPECT_EQ(history.items[1].address, "http://a/1");

  // Building leaves every entry's menu mark cleared.
  for (int i = 0; i < list.Count; ++i) EXPECT_EQ(list[i].MenuDirty, 0) << i;

  // Empty lists are still offered, disabled.
  TIPlist5 empty;
  const BarMenuItem bare = BuildBarMenu(empty, colours, {}, state, reach);
  for (const char* name : {"NewsSelectCategory3", "NewsSelectCategory2", "NewsSelectCategory", "NewsSelect"})
    EXPECT_FALSE(Sub(bare, name).enabled) << name;
}

}  // namespace
}  // namespace lumetra
