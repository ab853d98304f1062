// A bar and the patrol: the bar's model in the page-check window, pages
// fetched for it, and the companion viewer's request.
#include <gtest/gtest.h>

#include "app/messages.h"
#include "bar_window_support.h"
#include "platform/file_io.h"
#include "ticker/light_str.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"

namespace lumetra {
namespace {

using test::PumpUntil;

class BarPatrol : public test::BarWindowTest {
 protected:
  void SetUp() override {
    BarWindowTest::SetUp();
    // Every definition names a page on this machine; 3 is not patrolled.
    for (int i = 0; i < NewsList().Count; ++i) {
      const std::string page = folder / ("page" + std::to_string(i) + ".rdf");
      test::WriteFile(page, Feed(i, {"一つ目の見出しです", "二つ目の見出しです"}));
      NewsDefinition& d = NewsList()[i];
      SetFieldText(d.Url, "file://" + page);
      d.Rss = 1;
      d.Encoding = 3;  // UTF-8
    }
    NewsList()[3].Patrol = 0;
    check = test::InstallFastPageCheck();
  }
  void TearDown() override {
    BarWindowTest::TearDown();
    SetPageCheck(nullptr);
    check.reset();
  }
  bool Cached(int index) { return platform::FileExists(NewsList().CachePath(index)); }
  // An RSS 1.0 feed (UTF-8) with these headlines, linked to a.example/<site>/<n>.
  static std::string Feed(int site, const std::vector<std::string>& headlines) {
    return test::RdfFeed("https://a.example/" + std::to_string(site), headlines);
  }
  static std::vector<std::string> Headlines(TNewsMonitor* bar) { return test::StripHeadlines(bar); }

  std::unique_ptr<THttpCheck> check;
};

TEST_F(BarPatrol, TheBarTakesItsModelAndItsRoundFetchesThePatrolledPages) {
  TNewsMonitor* bar = CreateNewsMonitor(0);
  const PatrolBar& model = check->Patrol().Bar(0);
  EXPECT_TRUE(model.exists);
  EXPECT_NE(model.client, nullptr);
  EXPECT_EQ(model.window, bar->Handle());
  EXPECT_EQ(model.definition, 1);
  EXPECT_EQ(model.intervalMinutes, 120);
  ASSERT_TRUE(PumpUntil([&] { return Cached(0) && Cached(1) && Cached(2); }, 10000));
  EXPECT_FALSE(Cached(3));
  // Switching sites moves the model along.
  bar->NewsChange(1);
  EXPECT_EQ(model.definition, 2);
  bar->FormClose();
  EXPECT_FALSE(check->Patrol().Bar(0).exists);
  EXPECT_EQ(check->Patrol().Bar(0).client, nullptr);
}

TEST_F(BarPatrol, AChangedPageReachesTheStripWithItsLinks) {
  TNewsMonitor* bar = CreateNewsMonitor(0);
  ASSERT_TRUE(PumpUntil([&] { return Headlines(bar).size() == 2; }, 10000)) << "no headlines";
  EXPECT_EQ(Headlines(bar), (std::vector<std::string>{" 一つ目の見出しです ", " 二つ目の見出しです "}));
  EXPECT_EQ(bar->LightStr1->ShowStrings()[0], SJ(" デモ "));
  ASSERT_EQ(bar->Links().size(), 4u);
  EXPECT_EQ(bar->Links()[1], "https://a.example/1/0");
  EXPECT_EQ(bar->Links()[2], "https://a.example/1/1");
  EXPECT_TRUE(bar->LightStr1->ShowActive());
  // The site changes its page: the patrol brings the new headline to the strip.
  test::WriteFile(folder / "page1.rdf", Feed(1, {"三つ目の新しい見出しです"}));
  NewsList()[1].LastModified = 0;
  bar->FetchShownDefinition();
  ASSERT_TRUE(PumpUntil([&] { return Headlines(bar).size() == 1; }, 10000)) << "the change did not arrive";
  EXPECT_EQ(Headlines(bar)[0], " 三つ目の新しい見出しです ");
}

TEST_F(BarPatrol, ACachedPageIsShownAtOnceAndRecollectedOnRequest) {
  SetPageCheck(nullptr);  // no patrol: only what is cached
  platform::MakeDirectories(folder / "News");
  test::WriteFile(NewsList().CachePath(1), Feed(1, {"キャッシュの見出しです"}));
  TNewsMonitor* bar = CreateNewsMonitor(0);
  EXPECT_EQ(Headlines(bar), std::vector<std::string>{" キャッシュの見出しです "});
  test::WriteFile(NewsList().CachePath(1), Feed(1, {"集め直した見出しです"}));
  platform::SendMessage(bar->Handle(), UM_RECOLLECTALL, 0, 0);
  EXPECT_EQ(Headlines(bar), std::vector<std::string>{" 集め直した見出しです "});
}

TEST_F(BarPatrol, AnExtraBarKeepsItsOwnDefinitionFresh) {
  bars()[2].Definition = 3;  // not patrolled: only the bar itself fetches it
  CreateNewsMonitor(2);
  EXPECT_EQ(check->Patrol().Bar(2).definition, 3);
  EXPECT_EQ(check->Patrol().Bar(2).fetchMode, kFetchOwn);
  EXPECT_TRUE(PumpUntil([&] { return Cached(3); }, 10000));
}

TEST_F(BarPatrol, TheCompanionViewerGetsTheDefinitionItAskedFor) {
  struct Viewer {
    std::vector<std::pair<platform::WParam, platform::LParam>> got;
    platform::MessagePort port{[this](uint32_t msg, platform::WParam w, platform::LParam l) -> platform::LResult {
      if (msg == UM_VIEWERREQUEST) got.emplace_back(w, l);
      return 0;
    }};
  } viewer;
  bars()[2].Definition = 2;
  TNewsMonitor* bar = CreateNewsMonitor(2);
  ASSERT_TRUE(PumpUntil([&] { return Cached(2) && !check->Busy(); }, 10000));
  platform::PostMessage(bar->Handle(), UM_VIEWERREQUEST, (7u << 16) | 3u, static_cast<platform::LParam>(viewer.port.Handle()));
  ASSERT_TRUE(PumpUntil([&] { return !viewer.got.empty(); }, 15000)) << "no answer";
  EXPECT_EQ(viewer.got[0].first, 7u * 65536 + 3);
  EXPECT_EQ(viewer.got[0].second, static_cast<platform::LParam>(bar->Handle()));
  EXPECT_TRUE(Cached(3));
  EXPECT_EQ(NewsList()[3].Seen, 1);
  EXPECT_EQ(bar->ViewerWindow(), viewer.port.Handle());
  EXPECT_EQ(bar->DefinitionIndex(), 2);  // the bar still shows its own
}

}  // namespace
}  // namespace lumetra
