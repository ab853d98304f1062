#include "interaction/bar_menu.h"

#include <algorithm>
#include <functional>
#include <map>

#include "dialogs/definition_editing.h"
#include "platform/fixed_text.h"
#include "platform/sjis_text.h"

namespace lumetra {
namespace {

using Item = BarMenuItem;

Item Separator() {
  Item item;
  item.caption = "-";
  return item;
}

Item Command(const char* utf8, BarCommand command, int argument = -1) {
  Item item;
  item.caption = SJ(utf8);
  item.command = command;
  item.argument = argument;
  return item;
}

Item Check(const char* utf8, BarCommand command, int argument, bool checked) {
  Item item = Command(utf8, command, argument);
  item.checkable = true;
  item.checked = checked;
  return item;
}

Item Submenu(const char* name, const char* utf8, std::vector<Item> items) {
  Item item;
  item.name = name;
  item.caption = SJ(utf8);
  item.items = std::move(items);
  return item;
}

Item Named(const char* name, Item item) {
  item.name = name;
  return item;
}

bool UrlEmpty(const NewsDefinition& d) { return FieldText(d.Url).find_first_not_of(' ') == std::string::npos; }

bool GeneratedBoard(const NewsDefinition& d) {
  return d.Category == kCategoryBoard && d.GroupId != kBoardGroupId && d.GroupId != 0;
}

// One definition's entry: its caption as the editor's rows show it, without the number.
Item DefinitionItem(TIPlist5& list, int current, int index, BarCommand command) {
  Item item;
  item.caption = DefinitionCaption(list, current, false, index);
  item.command = command;
  item.argument = index;
  item.enabled = !UrlEmpty(list[index]);
  return item;
}

// A submenu whose entries are the definitions picked, in list order; empty
// submenus stay in place, disabled.
Item DefinitionMenu(const char* name, const char* utf8, TIPlist5& list, int current, BarCommand command,
                    const std::function<bool(const NewsDefinition&)>& pick) {
  std::vector<Item> items;
  for (int i = 0; i < list.Count; ++i)
    if (pick(list[i])) items.push_back(DefinitionItem(list, current, i, command));
  Item menu = Submenu(name, utf8, std::move(items));
  menu.enabled = !menu.items.empty();
  return menu;
}

// Weather, board and search definitions are grouped by their GroupId: each
// group a submenu (in GroupId order), the ungrouped entries after them.
std::vector<Item> GroupedItems(TIPlist5& list, int current, const std::vector<int>& indexes, BarCommand command,
                               const std::function<std::string(int group, int firstIndex)>& groupCaption,
                               const std::function<bool(int group)>& grouped) {
  std::map<int, std::vector<int>> groups;
  std::vector<Item> loose;
  for (int i : indexes) {
    const int group = list[i].GroupId;
    if (grouped(group))
      groups[group].push_back(i);
    else
      loose.push_back(DefinitionItem(list, current, i, command));
  }
  std::vector<Item> items;
  for (const auto& [group, members] : groups) {
    Item sub;
    sub.caption = groupCaption(group, members.front());
    for (int i : members) sub.items.push_back(DefinitionItem(list, current, i, command));
    items.push_back(std::move(sub));
  }
  items.insert(items.end(), loose.begin(), loose.end());
  return items;
}

// A group of weather or search definitions: the region of that code, else
// the name of its first definition.
std::string RegionOrFirstTitle(TIPlist5& list, int group, int firstIndex) {
  for (const RegionEntry& r : Regions())
    if (r.code == group) return r.name;
  return FieldText(list[firstIndex].Title);
}

// Definitions by category, in the categories' order of presentation.
std::vector<Item> CategoryItems(TIPlist5& list, int current, BarCommand command,
                                const std::function<bool(const NewsDefinition&)>& pick) {
  std::vector<Item> items;
  for (const CategoryEntry& category : Categories()) {
    std::vector<int> members;
    for (int i = 0; i < list.Count; ++i)
      if (list[i].Category == category.code && pick(list[i])) members.push_back(i);
    if (members.empty()) continue;
    Item sub;
    sub.caption = category.name;
    if (category.code == kCategorySearch)
      sub.items = GroupedItems(
          list, current, members, command, [&list](int g, int first) { return RegionOrFirstTitle(list, g, first); },
          [](int g) { return g != 0; });
    else
      for (int i : members) sub.items.push_back(DefinitionItem(list, current, i, command));
    items.push_back(std::move(sub));
  }
  return items;
}

std::string Trimmed(const std::string& text) {
  const size_t b = text.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : text.substr(b, text.find_last_not_of(' ') - b + 1);
}

}  // namespace

const BarMenuItem* BarMenuItem::Find(const std::string& nameOrCaption) const {
  if (name == nameOrCaption || caption == nameOrCaption) return this;
  for (const BarMenuItem& item : items)
    if (const BarMenuItem* found = item.Find(nameOrCaption)) return found;
  return nullptr;
}

int LookGroupOf(const ColourSet& set) {
  switch (set.Style) {
    case 1: return 0;
    case 2: return set.Metallic ? 3 : 1;
    case 0: return 2;
    case 3: return 4;
    default: return -1;
  }
}

bool FixedSizeSkin(const ColourSet& set) { return set.Style == 3 && set.SkinLayout >= kLayoutFix; }

int& HistoryPosition() {
  static int position = 0;
  return position;
}

std::string BrowseAddress(const NewsDefinition& d) {
  const std::string main = FieldText(d.MainUrl);
  return main.find_first_not_of(' ') == std::string::npos ? FieldText(d.Url) : main;
}

BarMenuItem BuildBarMenu(TIPlist5& list, TIPlist6& colours, const std::vector<std::string>& boardCategories,
                         const BarMenuState& state, const BarMenuReach& reach) {
  const int current = state.definition;
  const bool shown = current >= 0 && current < list.Count;
  const std::string title = shown ? FieldText(list[current].Title) : std::string();
  const NewsDefinition* d = shown ? &list[current] : nullptr;
  const ColourSet* set = state.colourSet >= 0 && state.colourSet < colours.Count ? &colours[state.colourSet] : nullptr;
  const bool docked = state.edge >= 0 && state.edge <= 3;

  Item root;
  std::vector<Item>& top = root.items;

  Item browse = Named("N53", Command("表示しているニュースをブラウズ", BarCommand::BrowseShown));
  browse.enabled = shown;
  top.push_back(browse);
  top.push_back(Separator());

  Item update = Command("ニュース定義ファイルの更新", BarCommand::DefinitionUpdate);
  update.enabled = reach.definitionUpdate;
  Item boards = Command("２ちゃんねる板一覧の更新", BarCommand::BoardListUpdate);
  boards.enabled = reach.boardListUpdate;
  Item all = Command("巡回ニュースを全て更新", BarCommand::RefreshAll);
  all.enabled = reach.pageCheck;
  top.push_back(Submenu("Refresh1", "更新", {update, boards, all}));
  Item refresh = Named("N11", Command("このニュースを更新", BarCommand::RefreshShown));
  refresh.caption = SJ("このニュース") + title + SJ("を更新");
  refresh.enabled = reach.pageCheck && shown;
  top.push_back(refresh);
  top.push_back(Separator());

  // "表示"
  std::vector<Item> view;
  view.push_back(Submenu("", "表示位置",
                         {Check("常に手前", BarCommand::Stacking, 1, state.zOrder == 1),
                          Check("常に奥", BarCommand::Stacking, 2, state.zOrder == 2),
                          Check("通常", BarCommand::Stacking, 3, state.zOrder == 3)}));
  Item autoHide = Check("自動的に隠す", BarCommand::AutoHide, -1, state.autoHide);
  autoHide.enabled = docked;
  view.push_back(autoHide);
  const int look = set ? LookGroupOf(*set) : -1;
  const std::pair<const char*, int> styles[] = {
      {"シンプル表示", 1}, {"グラデーション表示", 2}, {"電光掲示板風表示", 0}, {"メタリック風表示", 4}};
  for (size_t k = 0; k < 4; ++k) {
    Item style = Check(styles[k].first, BarCommand::LookStyle, styles[k].second, look == static_cast<int>(k));
    style.visible = false;
    style.enabled = set != nullptr;
    view.push_back(style);
  }
  Item opacity = Command("透明度", BarCommand::Opacity);
  opacity.enabled = reach.opacity;
  view.push_back(opacity);
  view.push_back(Check("外枠", BarCommand::Outline, -1, state.outline));
  const int effect = set ? set->Effect : -1;
  Item effects = Submenu("", "エフェクト",
                         {Check("なし", BarCommand::Effect, 0, effect == 0), Check("凸", BarCommand::Effect, 1, effect == 1),
                          Check("凹", BarCommand::Effect, 2, effect == 2)});
  effects.visible = false;
  effects.enabled = set != nullptr;
  view.push_back(effects);
  view.push_back(Submenu("", "スクロール",
                         {Check("スムーススクロール", BarCommand::SmoothScroll, -1, !state.coarseScroll),
                          Command("スクロールスピード変更", BarCommand::ScrollSpeed),
                          Command("標準のスピードに戻す", BarCommand::StandardSpeed)}));
  // "スキン・表示色": every set under its look.
  const char* looks[] = {"シンプル表示", "グラデーション表示", "電光掲示板風表示", "メタリック風表示", "スキン表示"};
  std::vector<Item> lookMenus;
  for (const char* caption : looks) lookMenus.push_back(Submenu("", caption, {}));
  for (int i = 0; i < colours.Count; ++i) {
    const int group = LookGroupOf(colours[i]);
    if (group < 0) continue;
    Item item;
    item.caption = FieldText(colours[i].Name);
    item.command = BarCommand::ColourSet;
    item.argument = i;
    item.checkable = true;
    item.checked = i == state.colourSet;
    item.enabled = !(FixedSizeSkin(colours[i]) && state.sizePending);
    lookMenus[static_cast<size_t>(group)].items.push_back(std::move(item));
  }
  for (Item& menu : lookMenus) menu.enabled = !menu.items.empty();
  view.push_back(Submenu("", "スキン・表示色", std::move(lookMenus)));
  int placed = state.placement;
  if (placed > 1) {
    // An edge placement is checked by the edge the bar is at.
    switch (state.edge) {
      case 1: placed = 2; break;
      case 3: placed = 3; break;
      case 0: placed = 4; break;
      case 2: placed = 5; break;
      default: placed = -1; break;
    }
  }
  const char* placements[] = {"自動配置", "自動配置しない", "上側に配置", "下側に配置", "左側に配置", "右側に配置"};
  std::vector<Item> placementItems;
  for (int p = 0; p < 6; ++p) placementItems.push_back(Check(placements[p], BarCommand::Placement, p, placed == p));
  view.push_back(Submenu("", "配置", std::move(placementItems)));
  const int encoding = d ? d->Encoding : -1;
  const char* encodings[] = {"日本語 （シフト ＪＩＳ）", "日本語 （ＥＵＣ）", "日本語 （ＪＩＳ）", "日本語 (UTF-8)", "Unicode"};
  std::vector<Item> encodingItems;
  for (int e = 0; e < 5; ++e) {
    Item item = Check(encodings[e], BarCommand::Encoding, e, encoding == e);
    item.visible = e != 4;
    item.enabled = shown;
    encodingItems.push_back(std::move(item));
  }
  view.push_back(Submenu("", "エンコード", std::move(encodingItems)));
  Item cookie = Check("Cookie", BarCommand::Cookie, -1, d && d->UseCookie);
  cookie.enabled = shown;
  view.push_back(cookie);
  top.push_back(Submenu("Show2", "表示", std::move(view)));

  // "カスタマイズ・オプション"
  std::vector<Item> custom;
  Item options = Command("オプション設定", BarCommand::Options);
  options.enabled = reach.options;
  custom.push_back(options);
  Item colourEditor = Command("スキン・表示色のカスタマイズ", BarCommand::ColourEditor);
  colourEditor.enabled = reach.colourEditor;
  custom.push_back(colourEditor);
  Item editor = Command("取得ニュースのカスタマイズ", BarCommand::DefinitionEditor);
  editor.enabled = list.Count > 0;
  custom.push_back(editor);
  Item voice = Submenu("", "読み上げ",
                       {Command("読み上げする", BarCommand::ReadAloud, 0),
                        Command("キャラクターを表示しない", BarCommand::ReadAloud, 1),
                        Command("キャラクターを常に手前に表示", BarCommand::ReadAloud, 2),
                        Command("キャラクターを常に奥に表示", BarCommand::ReadAloud, 3),
                        Command("キャラクターを通常表示", BarCommand::ReadAloud, 4)});
  voice.enabled = reach.readAloud;
  custom.push_back(voice);
  Item favourite = Check("このニュースをお気に入りに追加", BarCommand::Favourite, -1, d && d->Favourite);
  favourite.caption = SJ("このニュース") + title + SJ("をお気に入りに追加");
  favourite.enabled = shown;
  custom.push_back(favourite);
  Item patrol = Check("このニュースを巡回する", BarCommand::Patrol, -1, d && d->Patrol);
  patrol.caption = SJ("このニュース") + title + SJ("を巡回する");
  patrol.enabled = shown;
  custom.push_back(patrol);
  top.push_back(Submenu("N5", "カスタマイズ・オプション", std::move(custom)));

  Item exportItem = Command("ヘッドラインニュースＵＲＬのエクスポート", BarCommand::Export);
  exportItem.enabled = list.Count > 0;
  top.push_back(
      Submenu("File1", "ファイル", {exportItem, Command("ヘッドラインニュースＵＲＬのインポート", BarCommand::Import)}));
  top.push_back(Separator());

  Item articles = Named("N25", Command("記事の閲覧（指定の記事に移動）", BarCommand::ArticleList));
  articles.enabled = reach.articleList;
  top.push_back(articles);
  top.push_back(Named("N24", Command("前のニュース", BarCommand::PreviousNews)));
  top.push_back(Named("N23", Command("次のニュース", BarCommand::NextNews)));
  top.push_back(Separator());

  Item watch = Submenu("N73", "ニュースを見逃すな！",
                       {Command("見つけたＵＲＬリスト", BarCommand::FoundList),
                        Command("見逃したくないキーワードの登録", BarCommand::KeywordList)});
  watch.enabled = reach.keywordLists;
  top.push_back(watch);
  top.push_back(Named("URL1", Command("URLをクリップボードへコピー", BarCommand::CopyUrl)));
  top.push_back(Separator());

  // Browsing: sites (and recently opened articles) open in the browser.
  auto listed = [](const NewsDefinition& x) { return x.ShowInMenu && !GeneratedBoard(x); };
  auto patrolled = [](const NewsDefinition& x) {
    return x.Patrol && x.Category != kCategorySearch && x.ShowInMenu && !UrlEmpty(x);
  };
  Item byCategory = Submenu("", "カテゴリー別 ブラウズ", CategoryItems(list, current, BarCommand::BrowseDefinition, listed));
  byCategory.enabled = !byCategory.items.empty();
  Item favourites = DefinitionMenu("", "お気に入り ブラウズ", list, current, BarCommand::BrowseDefinition,
                                   [](const NewsDefinition& x) { return x.Favourite && x.Category != kCategorySearch; });
  Item shopping = DefinitionMenu("", "ネットでお買い物", list, current, BarCommand::BrowseDefinition,
                                 [](const NewsDefinition& x) { return x.Category == 28 && x.ShowInMenu; });
  std::vector<Item> history;
  for (const OpenedHeadline& o : state.opened) {
    Item item;
    const std::string headline = Trimmed(o.headline);
    item.caption = headline.empty() ? o.url : headline;
    item.command = BarCommand::BrowseOpened;
    item.address = o.url;
    history.push_back(std::move(item));
  }
  Item opened = Submenu("", "表示した履歴 ブラウズ", std::move(history));
  opened.enabled = !opened.items.empty();
  top.push_back(Submenu("N17", "その他 ブラウズ", {byCategory, favourites, shopping, opened}));
  top.push_back(DefinitionMenu("NewsSelectWWW", "巡回 ブラウズ", list, current, BarCommand::BrowseDefinition, patrolled));
  top.push_back(Separator());

  // Switching the bar.
  std::vector<int> boardIndexes, weatherIndexes;
  for (int i = 0; i < list.Count; ++i) {
    if (!list[i].ShowInMenu) continue;
    if (list[i].Category == kCategoryBoard) boardIndexes.push_back(i);
    if (list[i].Category == kCategoryWeather) weatherIndexes.push_back(i);
  }
  Item boardMenu = Submenu(
      "NewsSelectCategory3", "２ちゃんねる",
      GroupedItems(
          list, current, boardIndexes, BarCommand::ShowDefinition,
          [&boardCategories](int group, int) {
            return group >= 1 && group <= static_cast<int>(boardCategories.size())
                       ? boardCategories[static_cast<size_t>(group - 1)]
                       : CategoryName(0);
          },
          [](int group) { return group != 0 && group != kBoardGroupId; }));
  boardMenu.enabled = !boardMenu.items.empty();
  top.push_back(boardMenu);
  Item weatherMenu = Submenu(
      "NewsSelectCategory2", "天気予報",
      GroupedItems(
          list, current, weatherIndexes, BarCommand::ShowDefinition,
          [&list](int group, int first) { return RegionOrFirstTitle(list, group, first); },
          [](int group) { return group != 0; }));
  weatherMenu.enabled = !weatherMenu.items.empty();
  top.push_back(weatherMenu);
  Item categoryMenu =
      Submenu("NewsSelectCategory", "カテゴリ別 ニュース",
              CategoryItems(list, current, BarCommand::ShowDefinition, [](const NewsDefinition& x) {
                return x.ShowInMenu && x.Category != kCategoryBoard && x.Category != kCategoryWeather;
              }));
  categoryMenu.enabled = !categoryMenu.items.empty();
  top.push_back(categoryMenu);
  top.push_back(DefinitionMenu("NewsSelect", "巡回 ニュース", list, current, BarCommand::ShowDefinition, patrolled));
  top.push_back(Separator());
  top.push_back(Named("Close1", Command("閉じる", BarCommand::Close)));

  // The entries are up to date now.
  for (int i = 0; i < list.Count; ++i) list[i].MenuDirty = 0;
  return root;
}

}  // namespace lumetra
