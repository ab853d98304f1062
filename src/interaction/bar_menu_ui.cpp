#include "interaction/bar_menu_ui.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <algorithm>

#include "app/app_state.h"
#include "app/main_window_calls.h"
#include "app/messages.h"
#include "definitions/definition_exchange.h"
#include "definitions/text_lists.h"
#include "dialogs/definition_editing.h"
#include "dialogs/definition_menu_ui.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"
#include "ticker/bar_list.h"
#include "ticker/light_str.h"
#include "ticker/news_monitor.h"
#include "ticker/scroll_thread.h"
#include "ticker/ticker_bar.h"

namespace lumetra {
namespace {

BarMenuServices& Services() {
  static BarMenuServices services;
  return services;
}

bool Has(const std::function<bool()>& available) { return available && available(); }

std::string DataFile(const char* name) { return platform::JoinPath(app().DataFolder, name); }

void SaveDefinitionList() { NewsList().SaveDefinitions(DataFile("NewsUrl.USR")); }
void SaveColourList() { ColourList().SaveColourSets(DataFile("NewsCol.USR")); }

// Asks the main window to give the bar its slot's colour set; without a main
// window (a bar on its own) the bar takes it itself.
void ApplyColourSetTo(TNewsMonitor& bar, int set) {
  if (platform::WindowHandle main = MainWindowHandle())
    platform::PostMessage(main, UM_OPENBAR, static_cast<platform::WParam>(bar.Number()), set);
  else
    bar.ReapplyColourSet();
}

// A set's look or effect changed: the bar asks for it, the others that use
// the same set redraw with it.
void ColourSetEdited(TNewsMonitor& bar, int set) {
  SaveColourList();
  for (int i = 0; i < kBarCount; ++i)
    if (TNewsMonitor* other = NewsMonitorOf(i); other && other != &bar && bars()[i].ColourSet == set)
      other->ReapplyColourSet();
  ApplyColourSetTo(bar, set);
}

// The definition the bar shows, or nullptr.
NewsDefinition* Shown(TNewsMonitor& bar) {
  TIPlist5& list = NewsList();
  const int index = bar.DefinitionIndex();
  return index >= 0 && index < list.Count ? &list[index] : nullptr;
}

void Refetch(TNewsMonitor& bar) {
  if (THttpCheck* check = PageCheck()) check->Patrol().UpdateNow(bar.Number());
}

// "記事の閲覧": the article list opens on the headline scrolling now and the
// bar goes on from the one chosen there; the text holds still meanwhile.
void RunArticleList(TNewsMonitor& bar) {
  TLightStr& t = *bar.LightStr1;
  HistoryPosition() = std::max(0, t.ShowIndex());
  SetCurrentBarNumber(bar.Number());
  QPointer<TScrollThread> thread = bar.Bar().Thread;
  const bool held = thread && thread->Pause[kPauseBrowser];
  if (thread) thread->Pause[kPauseBrowser] = true;
  QPointer<TNewsMonitor> alive(&bar);
  Services().articleList(bar.Number());
  if (app().QuitAllowed || !alive) return;
  // The renderer draws the line after the current one next.
  if (HistoryPosition() < static_cast<int>(t.ShowStrings().size())) t.SetCurrentLine(HistoryPosition() - 1);
  if (thread) thread->Pause[kPauseBrowser] = held;
}

void ChooseColourSet(TNewsMonitor& bar, int index) {
  TIPlist6& colours = ColourList();
  if (index < 0 || index >= colours.Count) return;
  ColourSet& set = colours[index];
  BarSlot& slot = bar.Bar().Slot();
  if (FixedSizeSkin(set) && bar.Bar().WeeklyTable && (slot.AutoWidthPending || slot.AutoHeightPending)) return;
  // Only a skin keeps a fixed-size layout.
  if (set.Style != 3 && set.SkinLayout >= kLayoutFix) set.SkinLayout = 0;
  slot.ColourSet = index;
  slot.ColourSetName = FieldText(set.Name);
  SaveColourList();
  ApplyColourSetTo(bar, index);
}

void AddMenuItems(QMenu* menu, TNewsMonitor& bar, const std::vector<BarMenuItem>& items) {
  QPointer<TNewsMonitor> target(&bar);
  for (const BarMenuItem& item : items) {
    if (item.Separator()) {
      menu->addSeparator()->setVisible(item.visible);
      continue;
    }
    // An ampersand in a site's name is text, not a mnemonic.
    const QString caption = platform::SjisToQString(item.caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* action;
    if (!item.items.empty() || item.command == BarCommand::None) {
      QMenu* sub = menu->addMenu(caption);
      AddMenuItems(sub, bar, item.items);
      action = sub->menuAction();
    } else {
      action = menu->addAction(caption);
      action->setCheckable(item.checkable);
      action->setChecked(item.checked);
      QObject::connect(action, &QAction::triggered, menu, [target, item] {
        const QPoint at = QCursor::pos();
        const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
        // After the menu has gone: an item may run a modal dialog or close the bar.
        QTimer::singleShot(0, target, [target, item, at, shift] {
          if (target) RunBarCommand(*target, item, at, shift);
        });
      });
    }
    action->setObjectName(QString::fromStdString(item.name));
    action->setVisible(item.visible);
    action->setEnabled(item.enabled);
  }
}

// The bars after an import or the editor changed the definitions: a bar
// whose definition is now another one shows it and asks for its page.
void MenusChanged() {
  QTimer::singleShot(0, qApp, [] {
    for (int i = 0; i < kBarCount; ++i) {
      TNewsMonitor* bar = NewsMonitorOf(i);
      if (!bar || bar->ShownDefinition() == bar->DefinitionIndex()) continue;
      bar->ShowDefinition(bar->DefinitionIndex());
      bar->FetchShownDefinition();
    }
  });
}

}  // namespace

BarInteraction::BarInteraction(BarMenuServices services) {
  Services() = std::move(services);
  auto attach = [](TNewsMonitor& bar) {
    bar.PopupMenuRequested = [](TNewsMonitor& b, QPoint global) { ShowBarMenu(b, global); };
  };
  SetBarCreatedHandler(attach);
  for (int i = 0; i < kBarCount; ++i)
    if (TNewsMonitor* bar = NewsMonitorOf(i)) attach(*bar);
  // Calls installed before (by a test) stay.
  EditorBarCalls before = InstallEditorBarCalls(
      {[](int bar) { return BarWindowExists(bar); }, [](int bar) { SetCurrentBarNumber(bar); },
       [](int bar) {
         if (TNewsMonitor* window = NewsMonitorOf(bar)) window->ShowDefinition(window->DefinitionIndex());
       },
       [] { return false; }});
  if (before.barExists)
    InstallEditorBarCalls(std::move(before));
  else
    editorCallsInstalled_ = true;
  SetMenusChangedHandler(MenusChanged);
}

BarInteraction::~BarInteraction() {
  SetBarCreatedHandler(nullptr);
  SetMenusChangedHandler(nullptr);
  if (editorCallsInstalled_) InstallEditorBarCalls({});
  for (int i = 0; i < kBarCount; ++i)
    if (TNewsMonitor* bar = NewsMonitorOf(i)) bar->PopupMenuRequested = nullptr;
  Services() = {};
}

BarMenuItem BarMenuFor(TNewsMonitor& bar) {
  const BarSlot& slot = bar.Bar().Slot();
  BarMenuState state;
  state.bar = bar.Number();
  state.definition = bar.DefinitionIndex();
  state.colourSet = slot.ColourSet;
  state.zOrder = slot.ZOrder;
  state.placement = slot.Placement;
  state.edge = bar.Edge();
  state.autoHide = slot.AutoHide;
  state.outline = slot.Outline;
  state.coarseScroll = slot.CoarseScroll != 0;
  // Only a bar whose weekly table still finds its own size keeps fixed-size skins out.
  state.sizePending = bar.Bar().WeeklyTable && (slot.AutoWidthPending || slot.AutoHeightPending);
  state.opened = bar.Opened();
  const BarMenuServices& s = Services();
  BarMenuReach reach;
  reach.pageCheck = PageCheck() != nullptr;
  reach.definitionUpdate = static_cast<bool>(s.definitionUpdate);
  reach.boardListUpdate = static_cast<bool>(s.boardListUpdate);
  reach.opacity = static_cast<bool>(s.opacity);
  reach.options = Has(s.optionsAvailable) && MainWindowHandle() != 0;
  reach.colourEditor = Has(s.colourEditorAvailable) && MainWindowHandle() != 0;
  reach.articleList = static_cast<bool>(s.articleList);
  reach.keywordLists = s.foundList && s.keywordList;
  reach.readAloud = static_cast<bool>(s.readAloud);
  return BuildBarMenu(NewsList(), ColourList(), textLists().BoardList, state, reach);
}

QMenu* ShowBarMenu(TNewsMonitor& bar, QPoint global) {
  auto* menu = new QMenu;
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->setObjectName(QStringLiteral("PopUPMenu1"));
  AddMenuItems(menu, bar, BarMenuFor(bar).items);
  // A bar that closes takes its open menu with it.
  QObject::connect(&bar, &QObject::destroyed, menu, &QMenu::close);
  menu->popup(global);
  return menu;
}

void RunBarCommand(TNewsMonitor& bar, const BarMenuItem& item, QPoint chosenAt, bool shiftHeld) {
  const int number = bar.Number();
  TIPlist5& list = NewsList();
  const BarMenuServices& services = Services();
  BarSlot& slot = bar.Bar().Slot();
  auto run = [number](const std::function<void(int)>& entry) {
    if (entry) entry(number);
  };
  switch (item.command) {
    case BarCommand::None: break;
    case BarCommand::BrowseShown:
      if (NewsDefinition* d = Shown(bar)) bar.OpenHeadline(BrowseAddress(*d), FieldText(d->Title));
      break;
    case BarCommand::DefinitionUpdate:
      // With Shift: every patrolled definition afresh instead.
      if (shiftHeld) {
        if (THttpCheck* check = PageCheck()) check->Patrol().RefreshAll();
      } else {
        run(services.definitionUpdate);
      }
      break;
    case BarCommand::BoardListUpdate: run(services.boardListUpdate); break;
    case BarCommand::RefreshAll:
      if (THttpCheck* check = PageCheck()) check->Patrol().RefreshAll();
      break;
    case BarCommand::RefreshShown: Refetch(bar); break;
    case BarCommand::Stacking: bar.ChooseStacking(item.argument); break;
    case BarCommand::AutoHide: bar.ToggleAutoHide(); break;
    case BarCommand::LookStyle: {
      const int index = slot.ColourSet;
      if (index < 0 || index >= ColourList().Count) break;
      ColourSet& set = ColourList()[index];
      set.Style = item.argument == 4 ? 2 : item.argument;
      set.Metallic = item.argument == 4 ? 1 : 0;
      ColourSetEdited(bar, index);
      break;
    }
    case BarCommand::Opacity: run(services.opacity); break;
    case BarCommand::Outline: bar.ToggleOutline(); break;
    case BarCommand::Effect: {
      const int index = slot.ColourSet;
      if (index < 0 || index >= ColourList().Count) break;
      ColourList()[index].Effect = static_cast<uint8_t>(item.argument);
      ColourSetEdited(bar, index);
      break;
    }
    case BarCommand::SmoothScroll: ToggleSmoothScroll(bar.Bar()); break;
    case BarCommand::ScrollSpeed: ChangeScrollSpeed(bar.Bar()); break;
    case BarCommand::StandardSpeed: ResetScrollSpeed(bar.Bar()); break;
    case BarCommand::ColourSet: ChooseColourSet(bar, item.argument); break;
    case BarCommand::Placement: bar.ChoosePlacementItem(item.argument); break;
    case BarCommand::Encoding:
      if (NewsDefinition* d = Shown(bar); d && d->Encoding != item.argument) {
        d->Encoding = static_cast<uint8_t>(item.argument);
        Refetch(bar);
      }
      break;
    case BarCommand::Cookie:
      if (NewsDefinition* d = Shown(bar)) {
        d->UseCookie = d->UseCookie ? 0 : 1;
        Refetch(bar);
      }
      break;
    case BarCommand::Options:
      platform::PostMessage(MainWindowHandle(), UM_OPTIONSDIALOG, static_cast<platform::WParam>(number), 0);
      break;
    case BarCommand::ColourEditor:
      platform::PostMessage(MainWindowHandle(), UM_COLOREDITOR, static_cast<platform::WParam>(number), 0);
      break;
    case BarCommand::DefinitionEditor: OpenDefinitionEditor(number); break;
    case BarCommand::ReadAloud:
      if (services.readAloud) services.readAloud(number, item.argument);
      break;
    case BarCommand::Favourite:
      if (NewsDefinition* d = Shown(bar)) {
        // Search definitions are never favourites.
        d->Favourite = d->Favourite || d->Category == kCategorySearch ? 0 : 1;
        SaveDefinitionList();
      }
      break;
    case BarCommand::Patrol:
      if (NewsDefinition* d = Shown(bar)) {
        d->Patrol = d->Patrol ? 0 : 1;
        SaveDefinitionList();
        // Now part of bar 0's round: its headlines join bar 0's keyword watch.
        const int index = bar.DefinitionIndex();
        TNewsMonitor* bar0 = NewsMonitorOf(0);
        if (d->Patrol && bar0 && PageCheck() && PageCheck()->Patrol().IsPatrollable(index) &&
            bar0->DefinitionIndex() != index)
          bar0->ParseDefinition(index, true);
      }
      break;
    case BarCommand::Export: OpenExportWindow(number); break;
    case BarCommand::Import: ImportDefinitionFileInteractive(number, &bar); break;
    case BarCommand::ArticleList:
      if (services.articleList) RunArticleList(bar);
      break;
    case BarCommand::PreviousNews: bar.NewsChange(0); break;
    case BarCommand::NextNews: bar.NewsChange(1); break;
    case BarCommand::FoundList: run(services.foundList); break;
    case BarCommand::KeywordList: run(services.keywordList); break;
    case BarCommand::CopyUrl: {
      const UrlHit hit = bar.UrlAlong(chosenAt);
      if (hit.url.empty()) break;
      const std::string text = ClipboardText(bar.LightStr1->ShowStrings(), hit.index, hit.url);
      QGuiApplication::clipboard()->setText(platform::SjisToQString(text));
      break;
    }
    case BarCommand::BrowseDefinition:
      if (item.argument >= 0 && item.argument < list.Count)
        bar.OpenHeadline(BrowseAddress(list[item.argument]), FieldText(list[item.argument].Title), item.argument);
      break;
    case BarCommand::BrowseOpened: {
      std::string headline;
      for (const OpenedHeadline& o : bar.Opened())
        if (o.url == item.address) headline = o.headline;
      bar.OpenHeadline(item.address, headline);
      break;
    }
    case BarCommand::ShowDefinition:
      if (item.argument >= 0 && item.argument < list.Count) {
        bar.ShowDefinition(item.argument);
        bar.FetchShownDefinition();
      }
      break;
    case BarCommand::Close: bar.CloseByUser(); break;
  }
}

}  // namespace lumetra
