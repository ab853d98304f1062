#pragma once
// The bar's popup menu as data: every item with its caption (program text),
// the command it runs, and whether it is shown, enabled and checked. The
// menu is built afresh from the definition and colour-set lists and the
// bar's state each time it opens; the window layer (bar_menu_ui) only turns
// it into a QMenu and runs the chosen command.
#include <deque>
#include <string>
#include <vector>

#include "definitions/colour_sets.h"
#include "definitions/news_definition.h"
#include "interaction/pointer_rules.h"

namespace lumetra {

enum class BarCommand {
  None,  // separators and submenus
  BrowseShown,
  DefinitionUpdate, BoardListUpdate, RefreshAll, RefreshShown,
  Stacking,       // argument: ZOrder 1, 2, 3
  AutoHide,
  LookStyle,      // argument: 1 simple, 2 gradation, 0 LED board, 4 metallic
  Opacity,
  Outline,
  Effect,         // argument: 0 none, 1 raised, 2 sunken
  SmoothScroll, ScrollSpeed, StandardSpeed,
  ColourSet,      // argument: colour-set index
  Placement,      // argument: 0 ... 5
  Encoding,       // argument: 0 ... 4
  Cookie,
  Options, ColourEditor, DefinitionEditor,
  ReadAloud,      // argument: 0 read aloud, 1 ... 4 the character's stacking items
  Favourite, Patrol,
  Export, Import,
  ArticleList,
  PreviousNews, NextNews,
  FoundList, KeywordList,
  CopyUrl,
  BrowseDefinition,  // argument: definition index
  BrowseOpened,      // address: an address the bar opened before
  ShowDefinition,    // argument: definition index
  Close,
};

struct BarMenuItem {
  std::string name;     // the form's component name where it has one ("N53", "Refresh1", ...)
  std::string caption;  // program text; "-" for a separator
  BarCommand command = BarCommand::None;
  int argument = -1;
  std::string address;
  bool visible = true;
  bool enabled = true;
  bool checkable = false;
  bool checked = false;
  std::vector<BarMenuItem> items;  // a submenu's entries

  bool Separator() const { return caption == "-"; }
  // The first item of this name (component name or caption) in the tree.
  const BarMenuItem* Find(const std::string& nameOrCaption) const;
};

// What the bar's own state says about the items.
struct BarMenuState {
  int bar = 0;
  int definition = -1;  // shown by the bar
  int colourSet = -1;
  int zOrder = 0;
  int placement = 0;
  int edge = 5;         // BarEdge: 0 left, 1 top, 2 right, 3 bottom, 4/5 floating
  bool autoHide = false;
  bool outline = false;
  bool coarseScroll = false;
  // The bar's size is still to be found (fixed-size skins cannot be chosen).
  bool sizePending = false;
  std::deque<OpenedHeadline> opened;
};

// Which of the other subsystems the items can reach now.
struct BarMenuReach {
  bool pageCheck = false;
  bool definitionUpdate = false;
  bool boardListUpdate = false;
  bool opacity = false;
  bool options = false;
  bool colourEditor = false;
  bool articleList = false;
  bool keywordLists = false;
  bool readAloud = false;
};

// Builds the menu. Building clears the menu marks of the definitions (and
// the new-page marks of search definitions, as their captions do).
BarMenuItem BuildBarMenu(TIPlist5& list, TIPlist6& colours, const std::vector<std::string>& boardCategories,
                         const BarMenuState& state, const BarMenuReach& reach);

// The colour-set submenu's five looks, in menu order: simple, gradation, LED
// board, metallic, skin. -1 for a set of no known look.
int LookGroupOf(const ColourSet& set);
bool FixedSizeSkin(const ColourSet& set);

// The headline the article list opens on and, when it closes, the one the
// bar goes on from; one for all bars.
int& HistoryPosition();

// The address a definition is browsed at: its main address, else its headline page.
std::string BrowseAddress(const NewsDefinition& d);

}  // namespace lumetra
