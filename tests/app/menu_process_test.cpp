// The real program on a virtual X display, with two patrolled sites served
// from this process: a double click on bar 0 opens the headline under the
// pointer through the desktop's opener, and the bar's popup menu, driven
// from the keyboard, switches bar 0 to the other site, whose headlines then
// scroll there.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <set>

#include "definitions/news_definition.h"
#include "platform/sjis_text.h"
#include "program_on_display.h"
#include "support/http_test_server.h"

namespace lumetra {
namespace {

using test::WaitFor;

QCoreApplication& EventLoopApplication() {
  static int argc = 1;
  static char name[] = "menu_process_test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  return *QCoreApplication::instance();
}

struct Site {
  const char* title;
  const char* feedPath;
  std::string home;  // the site's own page: the title line's link
  std::vector<std::string> links;
};

class MenuOfTheProgram : public test::ProgramOnDisplay {
 protected:
  void SetUp() override {
    EventLoopApplication();
    ProgramOnDisplay::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    server = std::make_unique<test::HttpTestServer>();
    sites = {Site{"サイトＡ", "/a.rdf", "https://site-a.example/", {}},
             Site{"サイトＢ", "/b.rdf", "https://site-b.example/", {}}};
    // 0 is not patrolled; bar 0 starts on 1 (site A).
    TIPlist5 list;
    NewsDefinition placeholder = DefaultDefinition(0);
    SetFieldText(placeholder.Title, "placeholder");
    SetFieldText(placeholder.Url, server->Url("/none.rdf"));
    placeholder.Patrol = 0;
    list.Append(placeholder);
    for (Site& site : sites) {
      std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rdf:RDF>\n<channel>\n<title>" +
                         std::string(site.title) + "</title>\n</channel>\n";
      for (int n = 1; n <= 12; ++n) {
        const std::string link = site.home + "news/" + std::to_string(n);
        site.links.push_back(link);
        feed += "<item rdf:about=\"" + link + "\">\n<title>" + site.title + "の見出しその" + std::to_string(n) +
                "です</title>\n<link>" + link +
                "</link>\n</item>\n";
      }
      feed += "</rdf:RDF>\n";
      server->On(site.feedPath, test::ScriptedReply::Page(QByteArray::fromStdString(feed)));
      NewsDefinition d = DefaultDefinition(list.Count);
      SetFieldText(d.Title, SJ(site.title));
      SetFieldText(d.Url, server->Url(site.feedPath));
      SetFieldText(d.MainUrl, site.home);
      d.Rss = 1;
      d.Encoding = 3;  // UTF-8
      d.Patrol = 1;
      d.ShowInMenu = 1;
      list.Append(d);
    }
    list.CurrentIndex = 1;
    ASSERT_TRUE(list.SaveDefinitions(home / "data/NewsUrl.USR"));
    // The desktop's opener, first on PATH, writes down what it was given.
    ::mkdir((home / "bin").c_str(), 0700);
    opened = home / "opened.txt";
    test::WriteFile(home / "bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + opened + "'\n");
    ::chmod((home / "bin/xdg-open").c_str(), 0755);
    env.insert("PATH", QString::fromStdString(home / "bin") + ":" + env.value("PATH"));
  }
  void TearDown() override {
    ProgramOnDisplay::TearDown();
    server.reset();
  }

  std::vector<std::string> Opened() {
    std::vector<std::string> lines;
    QFile file(QString::fromStdString(opened));
    if (!file.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& line : file.readAll().split('\n'))
      if (!line.isEmpty()) lines.push_back(line.toStdString());
    return lines;
  }
  int Requests(const char* path) {
    return static_cast<int>(std::count_if(server->Requests().begin(), server->Requests().end(),
                                          [path](const test::ReceivedRequest& r) { return r.target.endsWith(path); }));
  }
  std::string Targets() {
    std::string all;
    for (const test::ReceivedRequest& r : server->Requests()) all += r.target.toStdString() + " ";
    return all;
  }
  static bool HeadlineOf(const Site& site, const std::string& url) {
    return std::find(site.links.begin(), site.links.end(), url) != site.links.end();
  }
  static bool LinkOf(const Site& site, const std::string& url) { return url == site.home || HeadlineOf(site, url); }

  // Double-clicks along bar 0 at moments and places that differ until the
  // opener has been given a headline's address (the title line may come
  // first); the addresses given meanwhile, in order.
  std::vector<std::string> DoubleClickUntilAHeadlineOpens(const QRect& bar) {
    const size_t before = Opened().size();
    auto news = [&] {
      const std::vector<std::string> all = Opened();
      return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(std::min(before, all.size())), all.end());
    };
    auto headlineOpened = [&] {
      for (const std::string& url : news())
        for (const Site& site : sites)
          if (HeadlineOf(site, url)) return true;
      return false;
    };
    // Near the end where each new line comes in: the title is soon past.
    const int xs[] = {1000, 960, 920, 880, 990, 940, 900, 860};
    for (int attempt = 0; attempt < 24 && !headlineOpened(); ++attempt) {
      const QPoint at(bar.left() + xs[attempt % 8] * bar.width() / 1024, bar.center().y());
      MoveTo(at);
      test::RunEventsFor(150);
      XDo({"click", "--repeat", "2", "--delay", "60", "1"});
      WaitFor(headlineOpened, 1500);
    }
    return news();
  }

  std::unique_ptr<test::HttpTestServer> server;
  std::vector<Site> sites;
  std::string opened;
};

TEST_F(MenuOfTheProgram, ADoubleClickOpensAHeadlineAndTheMenuSwitchesBarZerosSite) {
  Start();
  QRect bar;
  ASSERT_TRUE(WaitFor([&] { return !(bar = Window("NewsMonitor")).isEmpty(); })) << "bar 0 not shown";
  ASSERT_TRUE(WaitFor([&] { return Requests("/a.rdf") > 0 && Requests("/b.rdf") > 0; }, 20000))
      << "the patrol did not fetch both sites: " << Targets();
  const Site& a = sites[0];
  const Site& b = sites[1];

  // A double click on the scrolling headlines opens one of site A's.
  const std::vector<std::string> first = DoubleClickUntilAHeadlineOpens(bar);
  ASSERT_FALSE(first.empty()) << "nothing was opened";
  for (const std::string& url : first) EXPECT_TRUE(LinkOf(a, url)) << url << " is not site A's";
  EXPECT_TRUE(HeadlineOf(a, first.back())) << first.back();

  // The popup menu from the keyboard: Up from nothing is the last item
  // "閉じる", Up again "巡回 ニュース"; Right opens it on site A, Down is B.
  const int fetchesOfB = Requests("/b.rdf");
  bool switched = false;
  for (int attempt = 0; attempt < 3 && !switched; ++attempt) {
    MoveTo(QPoint(bar.left() + bar.width() / 2, bar.center().y()));
    test::RunEventsFor(200);
    XDo({"click", "3"});
    test::RunEventsFor(800);
    for (const char* key : {"Up", "Up", "Right", "Down", "Return"}) {
      XDo({"key", key});
      test::RunEventsFor(250);
    }
    // Choosing a site asks for its page at once.
    switched = WaitFor([&] { return Requests("/b.rdf") > fetchesOfB; }, 5000);
    if (!switched) {
      XDo({"key", "Escape"});
      XDo({"key", "Escape"});
      XDo({"key", "Escape"});
    }
  }
  ASSERT_TRUE(switched) << "the menu did not switch bar 0 to site B";

  // Site B's headlines scroll on bar 0 now.
  test::RunEventsFor(500);
  const std::vector<std::string> second = DoubleClickUntilAHeadlineOpens(bar);
  ASSERT_FALSE(second.empty()) << "nothing was opened after the switch";
  for (const std::string& url : second) EXPECT_TRUE(LinkOf(b, url)) << url << " is not site B's";
  EXPECT_TRUE(HeadlineOf(b, second.back())) << second.back();

  // Ended cleanly, the program keeps bar 0 on site B.
  Stop();
  TIPlist5 saved;
  ASSERT_TRUE(saved.LoadDefinitions(home / "data/NewsUrl.USR"));
  EXPECT_EQ(saved.CurrentIndex, 2);
  EXPECT_EQ(saved[1].Patrol, 1);
  EXPECT_EQ(saved[2].Patrol, 1);
}

}  // namespace
}  // namespace lumetra
