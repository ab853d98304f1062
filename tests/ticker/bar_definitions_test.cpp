// Which definition a bar starts on.
#include "ticker/bar_definitions.h"

#include <gtest/gtest.h>

#include "platform/sjis_text.h"

namespace lumetra {
namespace {

NewsDefinition Def(const char* utf8Title, int category = 0, bool patrol = false, const char* url = "https://x/") {
  NewsDefinition d = DefaultDefinition(0);
  SetFieldText(d.Title, SJ(utf8Title));
  SetFieldText(d.Url, url);
  d.Category = static_cast<uint8_t>(category);
  d.Patrol = patrol ? 1 : 0;
  return d;
}

TIPlist5 List(std::initializer_list<NewsDefinition> definitions) {
  TIPlist5 list;
  for (const NewsDefinition& d : definitions) list.Append(d);
  return list;
}

TEST(BarDefinitions, ANewExtraBarPrefersTokyoThenWeatherThenTheBigSites) {
  struct Case {
    const char* what;
    TIPlist5 list;
    int expected;
  };
  Case cases[] = {
      {"Tokyo first", List({Def("a"), Def("天気 札幌", 18), Def("Yahoo!"), Def("東京の天気", 18)}), 3},
      {"then weather", List({Def("a"), Def("b"), Def("Google ニュース"), Def("天気 札幌", 18)}), 3},
      {"then the big sites", List({Def("a"), Def("b"), Def("c"), Def("ギガジン")}), 3},
      {"else definition 1", List({Def("a"), Def("b"), Def("c")}), 1},
  };
  for (Case& c : cases) EXPECT_EQ(ChooseDefinitionForNewBar(c.list), c.expected) << c.what;
}

TEST(BarDefinitions, PatrolledWeatherIsShownOrHandsItsPatrolOn) {
  // 1 and 2 are patrolled weather definitions; bar 1 shows 2, bar 3 shows
  // the unpatrolled weather definition 4.
  TIPlist5 list = List({Def("a"), Def("w1", 18, true), Def("w2", 18, true), Def("news", 0, true), Def("w4", 18)});
  BarsView view;
  view.exists = {true, true, false, true, false, false};
  view.shows = {3, 2, 1, 4, 0, 0};  // bar 2 does not exist: its definition does not count
  TidyWeatherPatrol(list, view);
  EXPECT_EQ(list[1].Patrol, 0);  // no existing bar showed it: its patrol went to bar 3's
  EXPECT_EQ(list[4].Patrol, 1);
  EXPECT_EQ(list[2].Patrol, 1);  // bar 1 shows it
  EXPECT_EQ(list[3].Patrol, 1);  // not weather: untouched
}

TEST(BarDefinitions, BarZeroMayNotShowWhatAnotherBarShows) {
  TIPlist5 list = List({Def("a"), Def("b"), Def("search", kCategorySearch)});
  BarsView view;
  view.exists = {true, true, false, false, false, false};
  view.shows = {0, 1, 2, 0, 0, 0};
  EXPECT_FALSE(AvailableToBar(list, 0, 1, view));
  EXPECT_TRUE(AvailableToBar(list, 0, 0, view));
  view.shows[1] = 2;
  EXPECT_TRUE(AvailableToBar(list, 0, 2, view));  // category 32 is shared
  EXPECT_TRUE(AvailableToBar(list, 1, 2, view));
}

TEST(BarDefinitions, StartingDefinitionFollowsTheStoredNameAndSkipsEmptyAddresses) {
  BarsView none;
  struct Case {
    const char* what;
    int bar;
    int currentIndex;
    int slotDefinition;
    const char* name;
    int expected;
    int expectedCurrentIndex;
  };
  const Case cases[] = {
      {"bar 0 keeps a valid current index", 0, 3, 0, "", 3, 3},
      {"bar 0: an index below 2 becomes 1", 0, 0, 0, "", 1, 1},
      {"bar 0: past the end becomes 1", 0, 99, 0, "", 1, 1},
      {"bar 0 follows its stored name", 0, 2, 0, "d4", 4, 4},
      {"an unknown name changes nothing", 0, 2, 0, "gone", 2, 2},
      {"bar 2 keeps its slot", 2, 1, 3, "", 3, 1},
      {"bar 2: a slot below 2 becomes 1", 2, 1, 0, "", 1, 1},
      {"bar 2 follows its stored name", 2, 1, 2, "d3", 3, 1},
      {"an empty address is skipped", 2, 1, 5, "", 6, 1},
  };
  for (const Case& c : cases) {
    TIPlist5 list = List({Def("d0", 0, true), Def("d1", 0, true), Def("d2", 0, true), Def("d3"), Def("d4"),
                          Def("empty", 0, false, "   "), Def("d6")});
    list.CurrentIndex = c.currentIndex;
    BarSlot slot;
    slot.Definition = c.slotDefinition;
    slot.DefinitionName = c.name;
    const int got = StartingDefinition(list, c.bar, slot, none);
    EXPECT_EQ(got, c.expected) << c.what;
    EXPECT_EQ(list.CurrentIndex, c.expectedCurrentIndex) << c.what;
    if (c.bar != 0) {
      EXPECT_EQ(slot.Definition, c.expected) << c.what;
    }
  }
}

TEST(BarDefinitions, AnIndexOfZeroAdvancesToTheFirstAvailablePatrolledDefinition) {
  // Bar 0 followed its name onto definition 0; definition 1 is shown by bar 1.
  TIPlist5 list = List({Def("zero", 0, true), Def("one", 0, true), Def("two"), Def("three", 0, true)});
  list.CurrentIndex = 2;
  BarSlot slot;
  slot.DefinitionName = SJ("zero");
  BarsView view;
  view.exists = {false, true, false, false, false, false};
  view.shows = {0, 1, 0, 0, 0, 0};
  EXPECT_EQ(StartingDefinition(list, 0, slot, view), 3);
  // Nothing patrolled and available: back to CurrentIndex.
  TIPlist5 quiet = List({Def("zero"), Def("one"), Def("two")});
  quiet.CurrentIndex = 2;
  BarSlot named;
  named.DefinitionName = SJ("zero");
  EXPECT_EQ(StartingDefinition(quiet, 0, named, view), 0);
}

TEST(BarDefinitions, BarZeroStepsToTheNextPatrolledDefinitionNoOtherBarShows) {
  // 0 patrolled, 1 not, 2 patrolled but shown by bar 2, 3 patrolled, 4 a shared search.
  TIPlist5 list = List({Def("a", 0, true), Def("b"), Def("c", 0, true), Def("d", 0, true),
                        Def("s", kCategorySearch, true)});
  list.CurrentIndex = 3;
  BarsView view;
  view.exists = {true, false, true, false, false, false};
  view.shows = {0, 0, 2, 0, 0, 0};
  EXPECT_EQ(NextNewsIndex(list, 0, 1, view), 3);
  EXPECT_EQ(NextNewsIndex(list, 3, 1, view), 4);
  EXPECT_EQ(NextNewsIndex(list, 4, 1, view), 0);  // round to the start
  EXPECT_EQ(NextNewsIndex(list, 3, 0, view), 0);
  EXPECT_EQ(NextNewsIndex(list, 0, 0, view), 4);  // round to the end
  for (int i = 0; i < list.Count; ++i) list[i].Patrol = 0;
  EXPECT_EQ(NextNewsIndex(list, 0, 1, view), 3);  // nothing: CurrentIndex
}

TEST(BarDefinitions, FirstPatrolFetchesUndatedAndSponsoredDefinitionsAfresh) {
  TIPlist5 list = List({Def("a", 0, true), Def("b", 0, true), Def("c"), Def("d")});
  for (int i = 0; i < 4; ++i) list[i].LastModified = 45000;
  list[1].ServerDated = 1;
  list[3].Sponsor = 5;
  ForgetFetchDates(list);
  EXPECT_EQ(list[0].LastModified, 0);
  EXPECT_EQ(list[1].LastModified, 45000);
  EXPECT_EQ(list[2].LastModified, 45000);
  EXPECT_EQ(list[3].LastModified, 0);
}

}  // namespace
}  // namespace lumetra
