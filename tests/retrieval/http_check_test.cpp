// The page fetcher against a scripted server on 127.0.0.1: change detection,
// the header decision, redirections, the watchdog, bad servers and a real
// proxy.
#include "retrieval/http_check.h"

#include <gtest/gtest.h>

#include "platform/cookie_store.h"
#include "platform/date_time.h"
#include "retrieval/fetch_once.h"
#include "retrieval/fetch_text.h"
#include "fetch_fixture.h"
#include "support/squid_proxy.h"

namespace lumetra {
namespace {

using test::Html;
using test::ReadFile;
using test::ScriptedReply;
using test::WaitUntil;

constexpr char kDate1[] = "Mon, 01 Jan 2024 09:00:00 GMT";
constexpr char kDate2[] = "Tue, 02 Jan 2024 09:00:00 GMT";

class HttpCheck : public test::FetchTest {
 protected:
  test::HttpTestServer server;

  ScriptedReply Dated(const QByteArray& body, const char* date) {
    return ScriptedReply::Page(body, 200, {{"Last-Modified", date}});
  }
};

TEST_F(HttpCheck, AnUnchangedLastModifiedStopsAfterTheHeader) {
  const QByteArray body = Html({"<li>Headline number one</li>", "<p>BODY-MARKER</p>"});
  server.On("/news", Dated(body, kDate1));
  int i = Add(server.Url("/news"), "dated");

  StepReport first = Step(i, kFetchRound);
  EXPECT_EQ(first.result, StepResult::Changed) << first.problem;
  EXPECT_EQ(Def(i).ServerDated, 1);
  EXPECT_NEAR(Def(i).LastModified, *ParseHttpDate(kDate1), 1e-9);
  const std::string cached = Cache(i);
  EXPECT_NE(cached.find("BODY-MARKER"), std::string::npos);

  // The second fetch is logged: the header arrives, the body never does.
  settings().SystemLog = true;
  StepReport second = Step(i, kFetchRound);
  EXPECT_EQ(second.result, StepResult::NotModified);
  EXPECT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(Cache(i), cached);
  const std::string log = ReadFile(data + "/Http.Log");
  EXPECT_NE(log.find("Last-Modified: " + std::string(kDate1)), std::string::npos);
  EXPECT_EQ(log.find("BODY-MARKER"), std::string::npos);

  // A new date brings the page again, and with it the news.
  server.On("/news", Dated(Html({"<li>Headline number two</li>"}), kDate2));
  EXPECT_EQ(Step(i, kFetchRound).result, StepResult::Changed);
  EXPECT_NE(Cache(i).find("number two"), std::string::npos);
  EXPECT_NEAR(Def(i).LastModified, *ParseHttpDate(kDate2), 1e-9);
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(HttpCheck, ChangesOnlyInShortLinesAreNoChange) {
  struct Case {
    const char* name;
    std::vector<std::string> next;
    StepResult result;
  } cases[] = {
      {"same page", {"9:15 JST", "<li>Headline number one</li>", "2024/5/1"}, StepResult::Unchanged},
      {"short lines differ", {"9:16 JST", "<li>Headline number one</li>", "2024/5/2"}, StepResult::Unchanged},
      {"a headline differs", {"9:15 JST", "<li>Headline number two</li>", "2024/5/1"}, StepResult::Changed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NewsList() = TIPlist5();
    server.On("/short", ScriptedReply::Page(Html({"9:15 JST", "<li>Headline number one</li>", "2024/5/1"})));
    int i = Add(server.Url("/short"), "short");
    platform::RemoveFile(NewsList().CachePath(i));
    ASSERT_EQ(Step(i).result, StepResult::Changed);  // no cache yet
    const std::string first = Cache(i);
    Def(i).HasNew = 0;
    server.On("/short", ScriptedReply::Page(Html(c.next)));
    EXPECT_EQ(Step(i).result, c.result);
    EXPECT_EQ(Def(i).HasNew, c.result == StepResult::Changed ? 1 : 0);
    if (c.result == StepResult::Unchanged) {
      EXPECT_EQ(Cache(i), first);
    }
  }
}

TEST_F(HttpCheck, AlwaysFetchComparesEveryTime) {
  server.On("/always", Dated(Html({"<li>Headline number one</li>"}), kDate1));
  int i = Add(server.Url("/always"), "always");
  Def(i).AlwaysFetch = 1;
  EXPECT_EQ(Step(i, kFetchRound).result, StepResult::Changed);
  EXPECT_EQ(Def(i).LastModified, 0.0);
  for (int n = 0; n < 2; ++n) EXPECT_EQ(Step(i, kFetchRound).result, StepResult::Unchanged);
  server.On("/always", Dated(Html({"<li>Headline number six</li>"}), kDate1));
  EXPECT_EQ(Step(i, kFetchRound).result, StepResult::Changed);
  EXPECT_EQ(server.Requests().size(), 4u);
}

TEST_F(HttpCheck, WithoutLastModifiedAPageIsNotFetchedTwiceWithinTheInterval) {
  server.On("/plain", ScriptedReply::Page(Html({"<li>Headline number one</li>", "<p>BODY-MARKER</p>"})));
  int i = Add(server.Url("/plain"), "plain");
  check->Patrol().Bar(0).intervalMinutes = 30;
  ASSERT_EQ(Step(i, kFetchRound).result, StepResult::Changed);
  EXPECT_EQ(Def(i).ServerDated, 0);
  EXPECT_NEAR(Def(i).LastModified, platform::NowDayCount(), 5.0 / 86400);

  settings().SystemLog = true;
  EXPECT_EQ(Step(i, kFetchRound).result, StepResult::FetchedRecently);
  EXPECT_EQ(ReadFile(data + "/Http.Log").find("BODY-MARKER"), std::string::npos);
  // The bar's own definition ("update now", bars 1-5) is exempt.
  EXPECT_EQ(Step(i, kFetchOwn).result, StepResult::Unchanged);
  // Older than the interval: fetched again.
  Def(i).LastModified = platform::NowDayCount() - 31.0 / 1440;
  EXPECT_EQ(Step(i, kFetchRound).result, StepResult::Unchanged);
  EXPECT_EQ(server.Requests().size(), 4u);  // the refused one was asked for, and stopped after its header
}

TEST_F(HttpCheck, AMetaRefreshToARelativeAddressRewritesTheUrlAndASecondIsNotFollowed) {
  server.On("/a/start.html", ScriptedReply::Page(Html({R"(<meta http-equiv="refresh" content="0; url=next.html">)"})));
  server.On("/a/next.html", ScriptedReply::Page(Html({"<li>Headline after the move</li>"})));
  Add(server.Url("/a/start.html"), "first");  // definition 0 keeps its address
  int i = Add(server.Url("/a/start.html"), "moved");

  StepReport report = Step(i);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].result, StepResult::Redirected);
  EXPECT_EQ(report.result, StepResult::Changed);
  EXPECT_EQ(FieldText(Def(i).Url), server.Url("/a/next.html"));
  EXPECT_NE(Cache(i).find("after the move"), std::string::npos);
  EXPECT_EQ(Cache(i).find("refresh"), std::string::npos);

  // Definition 0 follows the refresh but keeps its address.
  Step(0);
  EXPECT_EQ(FieldText(Def(0).Url), server.Url("/a/start.html"));

  // A page that refreshes again within the same step: not followed, nothing kept.
  server.On("/b/one.html", ScriptedReply::Page(Html({R"(<meta http-equiv="refresh" content="0; url=/b/two.html">)"})));
  server.On("/b/two.html", ScriptedReply::Page(Html({R"(<meta http-equiv="refresh" content="0; url=/b/three.html">)"})));
  int j = Add(server.Url("/b/one.html"), "loop");
  size_t before = server.Requests().size();
  report = Step(j);
  EXPECT_EQ(report.result, StepResult::Failed);
  EXPECT_EQ(server.Requests().size(), before + 2);
  for (const auto& r : server.Requests()) EXPECT_EQ(r.target.indexOf("three"), -1);
  EXPECT_FALSE(check->RedirectPending());
  EXPECT_EQ(Cache(j), "<missing>");
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(HttpCheck, AnAddressIsNotAskedForAgainWithinAMinute) {
  FetchLimits limits = check->Limits();
  limits.repeatGuardMs = 60000;
  check->SetLimits(limits);
  std::vector<std::pair<int, int>> edited;
  hooks_.editDefinition = [&](int bar, int index) { edited.emplace_back(bar, index); };
  check->SetHooks(hooks_);
  server.On("/news", ScriptedReply::Page(Html({"<li>Headline number one</li>"})));
  server.On("/back", ScriptedReply::Page(Html({R"(<meta http-equiv="refresh" content="0; url=/back">)"})));
  Add(server.Url("/zero"), "zero");
  int i = Add(server.Url("/news"), "guarded");
  EXPECT_EQ(Step(i).result, StepResult::Changed);
  StepReport again = Step(i);
  EXPECT_EQ(again.result, StepResult::Skipped);
  EXPECT_NE(again.problem.find("moments ago"), std::string::npos);
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(edited.empty());

  // A page that sends the patrol straight back to itself is the user's to correct.
  int j = Add(server.Url("/back"), "back");
  EXPECT_EQ(Step(j, kFetchOwn, 2).result, StepResult::Skipped);
  EXPECT_EQ(server.Requests().size(), 2u);
  ASSERT_TRUE(WaitUntil([&] { return !edited.empty(); }));
  EXPECT_EQ(edited, (std::vector<std::pair<int, int>>{{2, j}}));
  EXPECT_FALSE(check->RedirectPending());
}

TEST_F(HttpCheck, ALineOf40000CharactersIsCutInto32767) {
  server.On("/wide", ScriptedReply::Page(Html({std::string(40000, 'w')})));
  int i = Add(server.Url("/wide"), "wide");
  ASSERT_EQ(Step(i).result, StepResult::Changed);
  std::string cache = Cache(i);
  std::string expected = "<html>\r\n<body>\r\n" + std::string(32767, 'w') + "\r\n" + std::string(40000 - 32767, 'w') +
                         "\r\n</body>\r\n";
  EXPECT_EQ(cache, expected);
}

TEST_F(HttpCheck, TheWatchdogEndsAStalledExchange) {
  FetchLimits limits = check->Limits();
  limits.headerWaitMs = 300;
  limits.dataWaitMs = 300;
  check->SetLimits(limits);
  server.On("/ok", ScriptedReply::Page(Html({"<li>Headline number one</li>"})));
  server.On("/silent", ScriptedReply().Stall());
  server.On("/stops", ScriptedReply()
                          .Status(200)
                          .Header("Content-Length", "100000")
                          .EndHeader()
                          .Send("<html>\r\n<li>Headline number two</li>\r\n<li>Headline")
                          .Stall());
  for (const char* path : {"/silent", "/stops"}) {
    SCOPED_TRACE(path);
    NewsList() = TIPlist5();
    int i = Add(server.Url("/ok"), "stall");
    platform::RemoveFile(NewsList().CachePath(i));
    ASSERT_EQ(Step(i).result, StepResult::Changed);
    const std::string good = Cache(i);
    SetFieldText(Def(i).Url, server.Url(path));
    QElapsedTimer t;
    t.start();
    StepReport r = Step(i);
    EXPECT_EQ(r.result, StepResult::Failed);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_FALSE(check->Busy());
    // A difference was already seen, but half a page never replaces the cache.
    EXPECT_EQ(Cache(i), good);
    EXPECT_TRUE(Leftovers().empty());
  }
}

TEST_F(HttpCheck, BadServersEndTheStepAndLeaveTheCacheAlone) {
  server.On("/good", ScriptedReply::Page(Html({"<li>Headline number one</li>"})));
  server.On("/silent", ScriptedReply().Stall());
  server.On("/half-header", ScriptedReply().Send("HTTP/1.1 200 OK\r\nContent-Ty").Close());
  server.On("/huge", ScriptedReply()
                         .Status(200)
                         .Header("Content-Length", QByteArray::number(100ll << 20))
                         .EndHeader()
                         .Repeat("<li>An endless page of headlines</li>\r\n", 100ll << 20));
  server.On("/megaline", ScriptedReply()
                             .Status(200)
                             .Header("Content-Length", QByteArray::number((1 << 20) + 2))
                             .EndHeader()
                             .Repeat("x", 1 << 20)
                             .Send("\r\n"));
  server.On("/garbage", ScriptedReply().Send(QByteArray("\x00\xff\x13garbage\x7f\r\n\r\n\x01\x02", 17)).Close());
  server.On("/reset", ScriptedReply()
                          .Status(200)
                          .Header("Content-Length", "5000")
                          .EndHeader()
                          .Send("<html>\r\n<li>Headline number two</li>\r\n")
                          .Reset());
  server.On("/loop", ScriptedReply::Redirect(302, "/loop"));
  server.On("/short-length", ScriptedReply()
                                 .Status(200)
                                 .Header("Content-Length", "1000")
                                 .EndHeader()
                                 .Send("<html>\r\n<li>Headline number three</li>\r\n")
                                 .Close());
  server.On("/error", ScriptedReply::Page(Html({"<h1>Internal error of the server</h1>"}), 500));

  FetchLimits limits = check->Limits();
  limits.headerWaitMs = 1000;
  limits.dataWaitMs = 1000;
  limits.maxPageBytes = 4 << 20;
  check->SetLimits(limits);
  struct Case {
    const char* name;
    std::string address;
    bool pageKept;        // the page was sound and may replace the cache
    const char* problem;  // part of the reason given
  } cases[] = {
      {"never answers", server.Url("/silent"), false, "no answer in time"},
      {"half a header", server.Url("/half-header"), false, "connection"},
      {"100 MB page", server.Url("/huge"), false, "larger than"},
      {"1 MB line", server.Url("/megaline"), true, ""},
      {"binary garbage", server.Url("/garbage"), false, "not an HTTP response"},
      {"connection reset", server.Url("/reset"), false, "connection lost"},
      {"redirection loop", server.Url("/loop"), false, "302"},
      {"wrong length", server.Url("/short-length"), false, "connection lost"},
      {"error status", server.Url("/error"), false, "500"},
      {"unresolvable host", "http://255.255.255.255/news", false, "host name not found"},
      {"no host", "http:///news", false, "no host"},
  };
  int i = Add(server.Url("/good"), "victim");
  ASSERT_EQ(Step(i).result, StepResult::Changed);
  const std::string good = Cache(i);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteFile(NewsList().CachePath(i), good);
    const double lastModified = Def(i).LastModified;
    SetFieldText(Def(i).Url, c.address);
    QElapsedTimer t;
    t.start();
    StepReport r = Step(i);
    EXPECT_LT(t.elapsed(), 8000);
    EXPECT_FALSE(check->Busy());
    EXPECT_TRUE(Leftovers().empty()) << Leftovers().front();
    if (c.pageKept) {
      EXPECT_EQ(r.result, StepResult::Changed) << r.problem;
      std::string cache = Cache(i);
      EXPECT_EQ(cache.size(), (1u << 20) + 33u * 2);  // 32 lines of 32767 and one of 32, each with CR LF
    } else {
      EXPECT_TRUE(r.result == StepResult::Failed || r.result == StepResult::Skipped) << StepResultName(r.result);
      EXPECT_FALSE(r.problem.empty());
      EXPECT_NE(r.problem.find(c.problem), std::string::npos) << r.problem;
      EXPECT_EQ(Cache(i), good);
      EXPECT_EQ(Def(i).LastModified, lastModified);
    }
  }
  // The patrol goes on afterwards.
  SetFieldText(Def(i).Url, server.Url("/good"));
  EXPECT_EQ(Step(i).result, StepResult::Unchanged);
}

TEST_F(HttpCheck, TheRequestCarriesTheProgramsHeadersAndTheBrowsersCookies) {
  struct Cookies : platform::CookieStore {
    std::vector<std::string> asked;
    std::string CookiesFor(const std::string& address) override {
      asked.push_back(address);
      return "session=abc";
    }
  };
  auto* cookies = new Cookies;
  check->SetCookieStore(std::unique_ptr<platform::CookieStore>(cookies));
  server.SetDefault(ScriptedReply::Page(Html({"<li>Headline number one</li>"})));
  struct Case {
    const char* path;
    bool fullAddressInRequestLine;
    const char* title;
  } cases[] = {{"/news/index.html", true, "plain"}, {"/ch2/board/", false, "board"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    int i = Add(server.Url(c.path), c.title);
    Step(i);
    const test::ReceivedRequest& got = server.Requests().back();
    EXPECT_EQ(got.method, "GET");
    EXPECT_EQ(got.version, "HTTP/1.1");
    EXPECT_EQ(got.target.toStdString(), c.fullAddressInRequestLine ? server.Url(c.path) : std::string(c.path));
    EXPECT_EQ(got.Header("User-Agent"), THttpCheck::kUserAgent);
    EXPECT_EQ(got.Header("Accept"), "application/x-www-form-urlencoded");
    EXPECT_EQ(got.Header("Accept-Language"), "ja");
    EXPECT_EQ(got.Header("Pragma"), "no-cache");
    EXPECT_EQ(got.Header("Cookie"), "session=abc");
    EXPECT_EQ(cookies->asked.back(), server.Url(c.path));
  }
}

TEST_F(HttpCheck, FetchTitleTakesThePagesTitle) {
  server.On("/titled", ScriptedReply::Page(QByteArray::fromStdString(
                           "<html>\r\n<head><title> " + SJ("今日のニュース") + " </title></head>\r\n<body>\r\n"
                           "<li>Headline number one</li>\r\n</body>\r\n")));
  int i = Add(server.Url("/titled"), "untitled");
  ASSERT_EQ(Step(i).result, StepResult::Changed);
  Def(i).FetchTitle = 1;
  Def(i).HasNew = 0;
  EXPECT_EQ(Step(i).result, StepResult::Changed);  // unchanged lines, but a title to take
  EXPECT_EQ(FieldText(Def(i).Title), SJ("今日のニュース"));
  EXPECT_EQ(Def(i).FetchTitle, 0);
  EXPECT_EQ(Def(i).HasNew, 1);
  EXPECT_TRUE(platform::FileExists(data + "/News/今日のニュース.dat"));
}

TEST_F(HttpCheck, ABoardPageLeadsToItsFeed) {
  server.On("/board/", ScriptedReply::Page(QByteArray::fromStdString(
                           "<html>\r\n<a href=\"index.rdf\">" + SJ("RSSはこちら") + "</a>\r\n</body>\r\n")));
  server.On("/board/index.rdf", ScriptedReply::Page("<rdf>\r\n<item>A thread title of the board</item>\r\n</rdf>\r\n"));
  Add(server.Url("/zero"), "zero");
  int i = Add(server.Url("/board/"), "board");
  Def(i).BoardMode = 1;
  SetFieldText(Def(i).StartMarker, "<a name=\"menu\">");
  SetFieldText(Def(i).EndMarker, "footer");
  EXPECT_EQ(Step(i).result, StepResult::Changed);
  EXPECT_EQ(FieldText(Def(i).Url), server.Url("/board/index.rdf"));
  EXPECT_EQ(Def(i).Rss, 1);
  EXPECT_EQ(FieldText(Def(i).StartMarker), "");
  EXPECT_EQ(FieldText(Def(i).EndMarker), "");
  EXPECT_NE(Cache(i).find("thread title"), std::string::npos);
}

TEST_F(HttpCheck, ASponsoredPageOfThePartnerIsFollowedIntoItsMainFrame) {
  // The test server stands in as the proxy, so the partner's names need no look-up.
  settings().ProxyCheckGo = true;
  settings().Proxyaddress = "127.0.0.1";
  settings().ProxyPort = server.port();
  server.On("/frames.html", ScriptedReply::Page(
                                "<html>\r\n<frame name=\"mainframe\" src=\"http://news.partner.lumetra.example/top.html\">\r\n"
                                "</body>\r\n"));
  server.On("/top.html", ScriptedReply::Page(Html({"<li>A headline of the sponsor</li>"})));
  Add("http://www.partner.lumetra.example/zero.html", "zero");
  int i = Add("http://www.partner.lumetra.example/frames.html", "sponsored");
  Def(i).Sponsor = 5;
  SponsorPartnerHost().clear();
  EXPECT_EQ(Step(i).result, StepResult::Changed);
  EXPECT_EQ(SponsorPartnerHost(), "news.partner.lumetra.example");
  EXPECT_NE(Cache(i).find("of the sponsor"), std::string::npos);
  // Sponsored definitions keep their address.
  EXPECT_EQ(FieldText(Def(i).Url), "http://www.partner.lumetra.example/frames.html");
  // The same frame on another site is just a page.
  int other = Add("http://other.example/frames.html", "other");
  Def(other).Sponsor = 5;
  EXPECT_EQ(Step(other).result, StepResult::Changed);
  EXPECT_NE(Cache(other).find("mainframe"), std::string::npos);
}

TEST_F(HttpCheck, TheDefinitionSetPageIsKeptWhenItsDateIsNew) {
  int received = 0;
  hooks_.definitionSetReceived = [&] { ++received; };
  check->SetHooks(hooks_);
  server.On("/newsurl", ScriptedReply::Page("<html>\r\nLatest: 2024/5/1 12:30<BR>\r\n<p>Announcement text</p><br>\r\n"
                                            "All End2:<BR>\r\n</body>\r\n"));
  TIPlist5& list = NewsList();
  Add(server.Url("/zero"), "zero");
  const int scratch = list.Count;
  list.Init(scratch);
  SetFieldText(list.Item(scratch).Url, server.Url("/newsurl"));
  SetFieldText(list.Item(scratch).StartMarker, "Latest:");

  EXPECT_EQ(Step(scratch, kFetchDefinitionSet).result, StepResult::Changed);
  EXPECT_EQ(test::ReadFile(data + "/newsurl.dat"),
            "<html>\r\nLatest: 2024/5/1 12:30\r\n<p>Announcement text</p>\r\nAll End2:\r\n</body>\r\n");
  ASSERT_TRUE(WaitUntil([&] { return received == 1; }));
  EXPECT_EQ(platform::FromDayCount(check->LatestDate()), QDateTime(QDate(2024, 5, 1), QTime(12, 30)));

  list.SetDate = check->LatestDate();
  list.Item(scratch).LastModified = 0;  // the check prepares the slot afresh each time
  EXPECT_EQ(Step(scratch, kFetchDefinitionSet).result, StepResult::UpToDate);
  test::RunEventsFor(20);
  EXPECT_EQ(received, 1);
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(HttpCheck, LocalFilesAreComparedWhole) {
  const std::string file = folder / "feed.rdf";
  test::WriteFile(file, "<rdf>\n<item>Local headline number one</item>\n</rdf>\n");
  for (const std::string& address : {"file://" + file, file}) {
    SCOPED_TRACE(address);
    NewsList() = TIPlist5();
    int i = Add(address, "local");
    platform::RemoveFile(NewsList().CachePath(i));
    StepReport r = Step(i);
    EXPECT_TRUE(r.local);
    EXPECT_EQ(r.result, StepResult::Changed);
    EXPECT_EQ(Cache(i), ReadFile(file));
    EXPECT_EQ(Step(i).result, StepResult::Unchanged);
  }
  test::WriteFile(file, "<rdf>\n<item>Local headline number two</item>\n</rdf>\n");
  EXPECT_EQ(Step(0).result, StepResult::Changed);
  EXPECT_EQ(Cache(0), ReadFile(file));
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(HttpCheck, TheLogMasksCredentialsAndWritesOverAnEndMark) {
  settings().SystemLog = true;
  test::WriteFile(data + "/Http.Log", std::string("old line\r\n\x1a", 11));
  server.SetDefault(ScriptedReply::Page(Html({"<li>Headline number one</li>"})));
  std::string address = server.Url("/secret");
  address.insert(7, "reader:hunter2@");
  int i = Add(address, "logged");
  Step(i);
  const std::string log = ReadFile(data + "/Http.Log");
  EXPECT_EQ(log.rfind("old line\r\n", 0), 0u);
  EXPECT_EQ(log.find('\x1a'), std::string::npos);
  EXPECT_EQ(log.find("hunter2"), std::string::npos);
  EXPECT_NE(log.find(" : GET http://********@127.0.0.1"), std::string::npos);
  EXPECT_NE(log.find(" : HTTP/1.1 200 OK\r\n"), std::string::npos);
}

TEST_F(HttpCheck, ThroughAProxyWithRightAndWrongCredentials) {
  if (!test::SquidProxy::Installed()) GTEST_SKIP() << test::SquidProxy::kNotInstalled;
  test::SquidProxy squid;
  ASSERT_TRUE(squid.Start("hanako", "right-pass")) << squid.Problem();
  server.On("/via-proxy", ScriptedReply::Page(Html({"<li>Headline through the proxy</li>"})));
  int i = Add(server.Url("/via-proxy"), "proxied");
  Settings& s = settings();
  s.ProxyCheckGo = true;
  s.Proxyaddress = "127.0.0.1";
  s.ProxyPort = squid.port();
  s.ProxyPassCheck = true;
  s.ProxyUserName = "hanako";

  s.ProxyPassWord = "wrong-pass";
  StepReport refused = Step(i, kFetchOwn, 0, 30000);
  EXPECT_EQ(refused.result, StepResult::Failed) << squid.Log();
  EXPECT_EQ(refused.status, 407);
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_EQ(Cache(i), "<missing>");
  EXPECT_TRUE(Leftovers().empty());

  s.ProxyPassWord = "right-pass";
  StepReport fetched = Step(i, kFetchOwn, 0, 30000);
  EXPECT_EQ(fetched.result, StepResult::Changed) << fetched.problem << squid.Log();
  EXPECT_NE(Cache(i).find("through the proxy"), std::string::npos);
  ASSERT_EQ(server.Requests().size(), 1u);
}

TEST_F(HttpCheck, FetchOnceFollowsOneRedirectionAndReportsUnchangedPagesAsSuch) {
  server.On("/once", Dated(Html({"<li>Headline number one</li>"}), kDate1));
  Add(server.Url("/once"), "zero");
  int i = Add(server.Url("/old-place"), "once");
  server.On("/old-place", ScriptedReply::Page(Html({R"(<meta http-equiv="refresh" content="0; url=/once">)"})));
  EXPECT_EQ(FetchDefinitionOnce(*check, i).result, StepResult::Changed);
  EXPECT_EQ(FieldText(Def(i).Url), server.Url("/once"));
  EXPECT_EQ(FetchDefinitionOnce(*check, i).result, StepResult::NotModified);
  EXPECT_FALSE(check->Patrol().Bar(0).exists);
  EXPECT_FALSE(check->Patrol().PatrolTimerActive(0));
}

}  // namespace
}  // namespace lumetra
