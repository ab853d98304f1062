// From server to headlines: a feed served by the in-process test server is
// fetched by the page-check window on bar 0's patrol, stored as the page
// cache, and parsed into the bar's lines and the definition's history.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "extraction_fixture.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"
#include "support/http_test_server.h"

namespace lumetra::test {
namespace {

// Bar 0 as the bar window will be: a new page is parsed for display.
struct ParsingBar : PatrolBarClient {
  int parses = 0;
  void ParseDefinition(int index, bool) override {
    lumetra::ParseDefinition(0, index, false, false);
    ++parses;
  }
};

// Items of titles; item k links to /news/<id of the title>.html.
std::string Feed(const std::vector<std::pair<int, std::string>>& titles) {
  std::string feed = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<rss version=\"2.0\">\n<channel>\n"
                     "<title>テストのニュース</title>\n<link>http://127.0.0.1/</link>\n";
  for (const auto& [id, title] : titles)
    feed += "<item>\n<title>" + title + "</title>\n<link>/news/" + std::to_string(id) + ".html</link>\n</item>\n";
  return SJ(feed + "</channel>\n</rss>\n");
}

// The application object exists before the server and the page-check
// window are made.
struct WithCoreApplication {
  WithCoreApplication() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
};

class EndToEnd : private WithCoreApplication, public ExtractionTest {
 protected:

  // One patrol round of bar 0 over the definitions; true when it ended.
  bool Round() {
    PatrolScheduler& patrol = check.Patrol();
    PatrolBar& bar = patrol.Bar(0);
    bar.definition = 0;
    bar.client = &client;
    std::vector<StepReport> reports;
    FetchHooks hooks;
    hooks.stepFinished = [&](const StepReport& r) { reports.push_back(r); };
    check.SetHooks(hooks);
    patrol.StartBar(0);
    bool ended = WaitUntil([&] { return !reports.empty() && !patrol.RoundRunning() && !check.Busy(); }, 20000);
    patrol.StopBar(0);
    return ended;
  }

  void SetUp() override {
    ExtractionTest::SetUp();
    settings().BeepGo = false;
    app().LocalAddress = "192.0.2.1";
    check.SetCookieStore(nullptr);
    FetchLimits limits;
    limits.repeatGuardMs = 0;
    check.SetLimits(limits);
    PatrolTimings fast;
    fast.stepRetryMs = fast.busyRetryMs = fast.roundTickMs = fast.roundRetryMs = 5;
    check.Patrol().SetTimings(fast);
  }

  HttpTestServer server;
  THttpCheck check;
  ParsingBar client;
};

TEST_F(EndToEnd, AServedFeedBecomesHeadlinesAndHistory) {
  const std::vector<std::pair<int, std::string>> first = {{0, "サーバーから届いた一つ目の記事"},
                                                         {1, "サーバーから届いた二つ目の記事"}};
  server.On("/feed.xml", ScriptedReply::Page(QByteArray::fromStdString(Feed(first))));
  const int index = AddDefinition(server.Url("/feed.xml"), [](NewsDefinition& d) { d.Rss = 1; });

  ASSERT_TRUE(Round());
  ASSERT_EQ(client.parses, 1);
  const std::string site = server.Url("/news/");
  EXPECT_EQ(Headlines(), (std::vector<Shown>{{first[0].second, site + "0.html"}, {first[1].second, site + "1.html"}}));
  EXPECT_EQ(barHeadlines(0).LinkDefinition, index);
  std::vector<std::string> history = ReadHistoryList(NewsList().ListPath(index), 100);
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history[0], HistoryLine(TodayDayNumber(), "", false, SJ(first[1].second), site + "1.html"));
  EXPECT_EQ(history[1], HistoryLine(TodayDayNumber(), "", false, SJ(first[0].second), site + "0.html"));

  // A new item on top of the feed: the page changed, the new headline leads
  // the history.
  const std::vector<std::pair<int, std::string>> second = {{2, "新しく加わった三つ目の記事"}, first[0], first[1]};
  server.On("/feed.xml", ScriptedReply::Page(QByteArray::fromStdString(Feed(second))));
  Def(index).LastModified = 0;
  ASSERT_TRUE(Round());
  ASSERT_EQ(client.parses, 2);
  ASSERT_EQ(Headlines().size(), 3u);
  EXPECT_EQ(Headlines()[0], (Shown{second[0].second, site + "2.html"}));
  history = ReadHistoryList(NewsList().ListPath(index), 100);
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(FieldOf(history[0], 3), SJ(second[0].second));
  EXPECT_EQ(history[1], HistoryLine(TodayDayNumber(), "", false, SJ(first[1].second), site + "1.html"));
}

}  // namespace
}  // namespace lumetra::test
