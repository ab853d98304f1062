// The patrol scheduler driving the real fetcher against a local server: what
// a round fetches, the bars' own definitions, "update now", the off-line
// wait and the empty list.
#include "retrieval/patrol_scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "fetch_fixture.h"
#include "platform/date_time.h"

namespace lumetra {
namespace {

using test::Html;
using test::RecordingBar;
using test::ScriptedReply;
using test::WaitUntil;

class Patrol : public test::FetchTest {
 protected:
  void SetUp() override {
    FetchTest::SetUp();
    server.SetDefault(ScriptedReply::Page(Html({"<li>A headline of the test server</li>"})));
    Hook();
  }
  void Hook() {
    PatrolHooks hooks;
    hooks.roundEnded = [this] { ++rounds; };
    check->Patrol().SetHooks(hooks);
    check->Patrol().Bar(0).client = &bar0;
  }

  // The paths the server was asked for, in order.
  std::vector<std::string> Asked() const {
    std::vector<std::string> out;
    for (const auto& r : server.Requests()) {
      std::string target = r.target.toStdString();
      size_t scheme = target.find("://");
      if (scheme != std::string::npos) target = target.substr(target.find('/', scheme + 3));
      out.push_back(target);
    }
    return out;
  }
  std::set<std::string> AskedSet() const {
    std::vector<std::string> v = Asked();
    return {v.begin(), v.end()};
  }
  // Starts bar 0 and waits for its first round to end.
  void RunRound() {
    check->Patrol().StartBar(0);
    ASSERT_TRUE(WaitUntil([&] { return rounds >= 1 && !check->Busy(); }));
  }

  test::HttpTestServer server;
  RecordingBar bar0, bar1, bar2;
  int rounds = 0;
};

TEST_F(Patrol, WhatARoundFetches) {
  struct Entry {
    bool patrol = true;
    int sponsor = 0;
    int category = 0;
    bool noAddress = false;
    bool shownByBar1 = false;
  };
  struct Case {
    const char* name;
    std::vector<Entry> definitions;
    std::set<std::string> asked;
  } cases[] = {
      {"every patrolled definition once", {{}, {}, {}}, {"/d0", "/d1", "/d2"}},
      {"a sponsored definition without patrol", {{.patrol = false, .sponsor = 7}, {.patrol = false}, {}}, {"/d0", "/d2"}},
      {"search definitions and empty addresses never",
       {{.category = kCategorySearch}, {.noAddress = true}, {}, {.patrol = false}},
       {"/d2"}},
      {"what bar 1 shows is bar 1's", {{}, {.shownByBar1 = true}, {}}, {"/d0", "/d2"}},
      {"a sponsored definition also when bar 1 shows it", {{}, {.sponsor = 3, .shownByBar1 = true}}, {"/d0", "/d1"}},
      {"nothing patrolled", {{.patrol = false}, {.patrol = false}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    check.reset();
    check = std::make_unique<THttpCheck>();
    check->SetCookieStore(nullptr);
    check->SetLimits({5000, 5000, 0, 1 << 20});
    PatrolTimings fast;
    fast.stepRetryMs = fast.busyRetryMs = fast.roundTickMs = fast.roundRetryMs = 5;
    check->Patrol().SetTimings(fast);
    Hook();
    rounds = 0;
    NewsList() = TIPlist5();
    const size_t before = server.Requests().size();
    for (size_t n = 0; n < c.definitions.size(); ++n) {
      const Entry& e = c.definitions[n];
      int i = Add(e.noAddress ? "  " : server.Url("/d" + std::to_string(n)), c.name + std::to_string(n));
      Def(i).Patrol = e.patrol;
      Def(i).Sponsor = static_cast<uint8_t>(e.sponsor);
      Def(i).Category = static_cast<uint8_t>(e.category);
      if (e.shownByBar1) {
        check->Patrol().Bar(1).exists = true;
        check->Patrol().Bar(1).definition = i;
      }
    }
    RunRound();
    std::set<std::string> asked;
    for (size_t k = before; k < server.Requests().size(); ++k) asked.insert(Asked()[k]);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(server.Requests().size() - before, c.asked.size());  // each once
    EXPECT_EQ(rounds, 1);
    EXPECT_FALSE(check->Patrol().RoundRunning());
    // The next round comes after the interval, also when this one fetched nothing.
    EXPECT_TRUE(check->Patrol().PatrolTimerActive(0));
    EXPECT_EQ(check->Patrol().PatrolTimerInterval(0), 120 * 60000);
  }
}

TEST_F(Patrol, NewPagesGoToTheBarsThatShowThem) {
  settings().BeepGo = true;
  int sounds = 0;
  FetchHooks hooks;
  hooks.playSound = [&](int index, bool beep) {
    EXPECT_EQ(index, THttpCheck::kNewHeadlineSound);
    EXPECT_TRUE(beep);
    ++sounds;
  };
  check->SetHooks(hooks);
  int shownBy0 = Add(server.Url("/d0"), "zero");
  int background = Add(server.Url("/d1"), "one");
  int sponsored = Add(server.Url("/d2"), "two");
  Def(sponsored).Sponsor = 9;
  PatrolScheduler& patrol = check->Patrol();
  patrol.Bar(0).definition = shownBy0;
  patrol.Bar(1).exists = true;
  patrol.Bar(1).client = &bar1;
  patrol.Bar(1).definition = sponsored;
  RunRound();
  EXPECT_EQ(bar0.parsed, (std::vector<std::pair<int, bool>>{{shownBy0, true}, {background, false}}));
  EXPECT_EQ(bar1.parsed, (std::vector<std::pair<int, bool>>{{sponsored, true}}));
  EXPECT_EQ(bar0.refreshes, 1);  // the bar whose round met the sponsored page
  EXPECT_EQ(bar1.resets, 1);
  EXPECT_EQ(sounds, 1);  // once per round
  for (int i : {shownBy0, background, sponsored}) {
    EXPECT_EQ(Def(i).HasNew, 1);
    EXPECT_EQ(Def(i).Seen, 0);
  }
  // The permission comes back with the next round.
  server.SetDefault(ScriptedReply::Page(Html({"<li>Another headline of the server</li>"})));
  patrol.RefreshAll();
  ASSERT_TRUE(WaitUntil([&] { return rounds >= 2 && !check->Busy(); }));
  EXPECT_EQ(sounds, 2);
}

TEST_F(Patrol, EveryRoundFetchesAgainAlsoASingleDefinition) {
  PatrolTimings t = check->Patrol().Timings();
  t.minuteMs = 50;
  check->Patrol().SetTimings(t);
  check->Patrol().Bar(0).intervalMinutes = 1;
  Add(server.Url("/d0"), "zero");
  Def(0).Patrol = 0;
  Add(server.Url("/d1"), "one");
  check->Patrol().StartBar(0);
  ASSERT_TRUE(WaitUntil([&] { return rounds >= 3; }));
  EXPECT_GE(Asked().size(), 2u);
  EXPECT_EQ(AskedSet(), std::set<std::string>{"/d1"});
}

TEST_F(Patrol, OffLineOnlyTheNetworkWaits) {
  app().LocalAddress = kOfflineAddress;
  PatrolTimings t = check->Patrol().Timings();
  t.offlineWaitMs = 12345;
  check->Patrol().SetTimings(t);
  const std::string file = folder / "demo.rdf";
  test::WriteFile(file, "<rdf>\n<item>Offline demonstration headline</item>\n</rdf>\n");
  int network = Add("http://192.0.2.1/news.html", "network");
  int loopback = Add(server.Url("/d1"), "loopback");
  int local = Add("file://" + file, "local");
  RunRound();
  EXPECT_EQ(Asked(), std::vector<std::string>{"/d1"});
  EXPECT_EQ(Cache(local), test::ReadFile(file));
  EXPECT_NE(Cache(loopback), "<missing>");
  EXPECT_EQ(Cache(network), "<missing>");
  // The network's turn comes sooner than a whole interval.
  EXPECT_EQ(check->Patrol().PatrolTimerInterval(0), 12345);

  // A bar of its own waits for the line on its own timer.
  PatrolBar& bar = check->Patrol().Bar(2);
  bar.definition = network;
  check->Patrol().StartBar(2);
  test::RunEventsFor(20);
  EXPECT_FALSE(check->Busy());
  EXPECT_EQ(check->Patrol().PatrolTimerInterval(2), 12345);
}

TEST_F(Patrol, BarsOneToFiveLeaveARecentPageAlone) {
  int i = Add(server.Url("/d0"), "recent");
  Def(i).ServerDated = 1;
  Def(i).LastModified = platform::NowDayCount() - 1.0 / 1440;
  PatrolScheduler& patrol = check->Patrol();
  PatrolBar& bar = patrol.Bar(2);
  bar.definition = i;
  bar.client = &bar2;
  bar.intervalMinutes = 10;
  patrol.StartBar(2);
  test::RunEventsFor(20);
  EXPECT_FALSE(check->Busy());
  EXPECT_TRUE(server.Requests().empty());
  ASSERT_TRUE(patrol.PatrolTimerActive(2));
  // It waits until one interval after the page's date, not a whole interval more.
  EXPECT_GT(patrol.PatrolTimerInterval(2), 8 * 60000);
  EXPECT_LT(patrol.PatrolTimerInterval(2), 9 * 60000 + 1000);

  Def(i).LastModified = platform::NowDayCount() - 11.0 / 1440;
  patrol.OnPatrolTimer(2);
  ASSERT_TRUE(WaitUntil([&] { return !check->Busy() && !bar2.parsed.empty(); }));
  EXPECT_EQ(Asked(), std::vector<std::string>{"/d0"});
  EXPECT_EQ(bar2.parsed, (std::vector<std::pair<int, bool>>{{i, true}}));
  EXPECT_EQ(patrol.PatrolTimerInterval(2), 10 * 60000);
}

TEST_F(Patrol, UpdateNowWaitsForTheRunningFetchThenFetchesAgain) {
  FetchLimits limits = check->Limits();
  limits.repeatGuardMs = 60000;  // as in the program: a moment ago is not asked again...
  check->SetLimits(limits);
  const QByteArray body = "<li>A slowly arriving headline</li>\r\n";
  server.On("/slow", ScriptedReply()
                         .Status(200)
                         .Header("Content-Length", QByteArray::number(body.size()))
                         .EndHeader()
                         .Delay(400)
                         .Send(body));
  int i = Add(server.Url("/slow"), "slow");
  PatrolScheduler& patrol = check->Patrol();
  PatrolBar& bar = patrol.Bar(1);
  bar.definition = i;
  bar.client = &bar1;
  patrol.StartBar(1);
  ASSERT_TRUE(WaitUntil([&] { return check->Busy(); }));

  QElapsedTimer t;
  t.start();
  EXPECT_TRUE(patrol.UpdateNow(1));  // ...unless the user asks for it
  EXPECT_GE(t.elapsed(), 250);
  ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 2 && !check->Busy(); }));
  EXPECT_EQ(check->LastReport().result, StepResult::Unchanged);
  EXPECT_EQ(bar1.parsed.size(), 1u);  // the first fetch brought the page; the second found it the same

  // The patrol itself leaves the page alone for an interval.
  patrol.OnPatrolTimer(1);
  test::RunEventsFor(100);
  EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(Patrol, AFetchAskedForWhileTheBarsStepRunsFollowsThatStep) {
  // The bar is switched to another definition while its step runs; the
  // other one is not patrolled, so only the bar's own request can fetch it.
  struct Case {
    const char* what;
    int bar;
  } cases[] = {{"bar 0 during its round", 0}, {"bar 2 during its own fetch", 2}};
  const QByteArray body = "<li>A slowly arriving headline</li>\r\n";
  server.On("/slow", ScriptedReply()
                         .Status(200)
                         .Header("Content-Length", QByteArray::number(body.size()))
                         .EndHeader()
                         .Delay(300)
                         .Send(body));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NewsList() = TIPlist5();
    const int slow = Add(server.Url("/slow"), "slow");
    const int chosen = Add(server.Url("/chosen"), "chosen");
    Def(chosen).Patrol = 0;
    const size_t before = server.Requests().size();
    PatrolScheduler& patrol = check->Patrol();
    PatrolBar& bar = patrol.Bar(c.bar);
    bar.definition = slow;
    bar.startIndex = slow;
    bar.client = &bar2;
    patrol.StartBar(c.bar);
    ASSERT_TRUE(WaitUntil([&] { return check->Busy() && server.Requests().size() > before; }));
    // The way a bar asks for its newly shown definition.
    bar.definition = chosen;
    bar.fetchMode = kFetchOwn;
    patrol.OnPatrolTimer(c.bar);
    auto chosenAsked = [&] {
      const std::vector<std::string> asked = Asked();
      return std::count(asked.begin() + static_cast<std::ptrdiff_t>(before), asked.end(), "/chosen");
    };
    ASSERT_TRUE(WaitUntil([&] { return chosenAsked() == 1; }, 3000)) << "the request was lost";
    ASSERT_TRUE(WaitUntil([&] { return !check->Busy() && !patrol.RoundRunning(); }));
    // Then the bar waits for its interval as ever.
    EXPECT_EQ(bar.fetchMode, c.bar == 0 ? kFetchRound : kFetchOwn);
    EXPECT_TRUE(patrol.PatrolTimerActive(c.bar));
    EXPECT_EQ(patrol.PatrolTimerInterval(c.bar), patrol.NormalInterval(c.bar));
    EXPECT_EQ(chosenAsked(), 1);
    patrol.StopBar(c.bar);
  }
}

TEST_F(Patrol, AnEmptyListClosesTheBar) {
  check->Patrol().StartBar(0);
  test::RunEventsFor(50);
  EXPECT_EQ(prompts, std::vector<std::string>{SJ("ニュースファイルが見つかりません！")});
  EXPECT_EQ(bar0.closed, 1);
  EXPECT_FALSE(check->Patrol().Bar(0).exists);
  EXPECT_FALSE(check->Patrol().PatrolTimerActive(0));
  EXPECT_FALSE(check->Busy());
}

TEST_F(Patrol, StoppingEndsEverything) {
  server.On("/slow", ScriptedReply().Status(200).EndHeader().Delay(2000).Send("<li>late</li>\r\n"));
  Add(server.Url("/slow"), "slow");
  check->Patrol().StartBar(0);
  ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 1; }));
  check->Stop();
  EXPECT_FALSE(check->Busy());
  EXPECT_FALSE(check->Patrol().RoundRunning());
  EXPECT_FALSE(check->Patrol().PatrolTimerActive(0));
  test::RunEventsFor(100);
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_EQ(Cache(0), "<missing>");
}

}  // namespace
}  // namespace lumetra
