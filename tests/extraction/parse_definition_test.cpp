// What a parse does around the page: the bar's lists, display text, the
// history, expiry, the keyword watch, sponsored headlines, the announcement
// file, and the entry points for plug-ins and weather pages.
#include <gtest/gtest.h>

#include "extraction/extraction_hooks.h"
#include "extraction_fixture.h"
#include "platform/date_time.h"

namespace lumetra::test {
namespace {

const std::string kPage =
    "<a href=\"1.html\">■ 一つ目の見出しはここにあります</a>\n"
    "<a href=\"2.html\">二つ目の見出しもここにあります</a>\n";

class Parse : public ExtractionTest {};

TEST_F(Parse, FillsTheBarsLinesWithTitleHeadlinesAndRunOut) {
  int index = AddDefinition("http://news.example.jp/top/", [](NewsDefinition& d) {
    SetFieldText(d.MainUrl, "http://news.example.jp/main/");
  });
  WriteCache(index, SJ(kPage));
  barHeadlines(0).WidthInStars = 30;
  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  const BarHeadlines& b = barHeadlines(0);
  ASSERT_EQ(b.Lines.size(), 4u);
  ASSERT_EQ(b.Links.size(), 4u);
  ASSERT_EQ(b.LineRows.size(), 4u);
  EXPECT_EQ(b.LinkDefinition, index);
  EXPECT_EQ(b.Lines[0], " " + FieldText(Def(index).Title) + " ");
  EXPECT_EQ(b.Links[0], "http://news.example.jp/main/");
  // The list mark is gone; a linked headline has a blank on either side.
  EXPECT_EQ(b.Lines[1], SJ(" 一つ目の見出しはここにあります "));
  EXPECT_EQ(b.Links[1], "http://news.example.jp/top/1.html");
  EXPECT_EQ(b.Lines[3], std::string(34, ' '));
  EXPECT_EQ(b.Links[3], "");

  // Another definition's parse replaces the lists.
  int other = AddDefinition("http://other.example.jp/");
  WriteCache(other, SJ("<a href=\"x.html\">別のサイトの見出しがここにあります</a>"));
  ASSERT_TRUE(ParseDefinition(0, other, false, false));
  EXPECT_EQ(barHeadlines(0).LinkDefinition, other);
  EXPECT_EQ(Headlines(), (std::vector<Shown>{{"別のサイトの見出しがここにあります", "http://other.example.jp/x.html"}}));
}

TEST_F(Parse, DisplayTextRules) {
  HeadlineRows rows{SJ("■◆ 長い長い見出しの文字がここまで続きます"), SJ("二行目"), ""};
  std::string text = DisplayText(rows, 20, false);
  EXPECT_EQ(platform::SjisToUtf8(text), "★長い長い見出し・・・ 二行目　 ");
  EXPECT_EQ(platform::SjisToUtf8(rows[0]), "長い長い見出し・・・");
  HeadlineRows plain{SJ("リンクのある見出し"), "", ""};
  EXPECT_EQ(platform::SjisToUtf8(DisplayText(plain, 0, true)), " リンクのある見出し ");

  // A headline without a link is framed with the star.
  ParsePage(SJ("<li>リンクのない項目の見出しです</li>"), [](NewsDefinition& d) {
    d.StartTag = 6;
    d.EndTag = 8;
  });
  ASSERT_EQ(barHeadlines(0).Lines.size(), 3u);
  EXPECT_EQ(platform::SjisToUtf8(barHeadlines(0).Lines[1]), "★リンクのない項目の見出しです　 ");
}

TEST_F(Parse, AMissingPageCacheKeepsWhatTheBarShows) {
  ParsePage(SJ(kPage));
  const std::vector<std::string> before = barHeadlines(0).Lines;
  int index = AddDefinition("http://nothing.example.jp/");
  EXPECT_FALSE(ParseDefinition(0, index, false, false));
  EXPECT_EQ(barHeadlines(0).Lines, before);
}

TEST_F(Parse, WithdrawnAndExpiredDefinitionsAreDeleted) {
  int redraws = 0;
  barHeadlines(0).Redraw = [&] { ++redraws; };
  const double yesterday = platform::ToDayCount(QDateTime::currentDateTime().addDays(-1));
  const double tomorrow = platform::ToDayCount(QDateTime::currentDateTime().addDays(1));
  int keep = AddDefinition("http://a.example.jp/", [&](NewsDefinition& d) { d.ExpiryDate = tomorrow; });
  int expired = AddDefinition("http://b.example.jp/", [&](NewsDefinition& d) { d.ExpiryDate = yesterday; });
  WriteCache(keep, SJ(kPage));
  WriteCache(expired, SJ(kPage));
  EXPECT_FALSE(ParseDefinition(0, expired, false, false));
  EXPECT_EQ(NewsList().Count, 1);
  EXPECT_EQ(redraws, 1);
  EXPECT_TRUE(ParseDefinition(0, keep, false, false));
  int withdrawn = AddDefinition("http://c.example.jp/", [](NewsDefinition& d) { d.WithdrawnOnImport = 1; });
  EXPECT_FALSE(ParseDefinition(0, withdrawn, false, false));
  EXPECT_EQ(NewsList().Count, 1);
}

TEST_F(Parse, ForegroundParsesKeepTheHistoryAndMarkNewPagesSeen) {
  int index = AddDefinition("http://news.example.jp/top/", [](NewsDefinition& d) { d.HasNew = 1; });
  WriteCache(index, SJ(kPage));
  ASSERT_TRUE(ParseDefinition(0, index, true, false));  // background: no history
  EXPECT_FALSE(platform::FileExists(NewsList().ListPath(index)));
  EXPECT_EQ(Def(index).Seen, 0);

  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  EXPECT_EQ(Def(index).Seen, 1);
  std::vector<std::string> history = ReadHistoryList(NewsList().ListPath(index), 100);
  ASSERT_EQ(history.size(), 2u);
  // The last headline of the page comes first.
  EXPECT_EQ(history[0], HistoryLine(TodayDayNumber(), "", false, SJ("二つ目の見出しもここにあります"),
                                    "http://news.example.jp/top/2.html"));
  EXPECT_EQ(FieldOf(history[1], 3), SJ("一つ目の見出しはここにあります"));
  EXPECT_EQ(barHeadlines(0).LastHistoryLines.size(), 2u);

  // The same page again leaves the history as it is.
  const std::string file = ReadFile(NewsList().ListPath(index));
  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  EXPECT_EQ(ReadFile(NewsList().ListPath(index)), file);
}

class RecordingWatch : public KeywordWatch {
 public:
  bool MatchHeadline(int bar, const std::string& text, const std::string& link, int definition) override {
    calls.push_back({platform::SjisToUtf8(text), link});
    (void)bar;
    (void)definition;
    if (quitAfterFirst) app().QuitAllowed = true;
    return text.find(SJ("二つ目")) != std::string::npos;
  }
  std::vector<Shown> calls;
  bool quitAfterFirst = false;
};

class WithWatch : public ExtractionTest {
 protected:
  void SetUp() override {
    ExtractionTest::SetUp();
    SetKeywordWatch(&watch);
  }
  void TearDown() override {
    SetKeywordWatch(nullptr);
    app().QuitAllowed = false;
  }
  RecordingWatch watch;
};

TEST_F(WithWatch, AcceptedHeadlinesGoToTheKeywordWatch) {
  int index = AddDefinition("http://news.example.jp/top/");
  WriteCache(index, SJ(kPage));
  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  EXPECT_TRUE(watch.calls.empty());  // no keyword check asked for

  ASSERT_TRUE(ParseDefinition(0, index, true, true));
  EXPECT_EQ(watch.calls, (std::vector<Shown>{{"■ 一つ目の見出しはここにあります", "http://news.example.jp/top/1.html"},
                                             {"二つ目の見出しもここにあります", "http://news.example.jp/top/2.html"}}));
  // The background list carries the site's name.
  ASSERT_EQ(barHeadlines(0).Background.size(), 2u);
  EXPECT_EQ(platform::SjisToUtf8(barHeadlines(0).Background[1].Rows[0]),
            "二つ目の見出しもここにあります(" + platform::SjisToUtf8(FieldText(Def(index).Title)) + ")");

  // A hit is marked in the history line.
  int fresh = AddDefinition("http://news.example.jp/top/");
  WriteCache(fresh, SJ(kPage));
  ASSERT_TRUE(ParseDefinition(0, fresh, false, true));
  std::vector<std::string> history = ReadHistoryList(NewsList().ListPath(fresh), 100);
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(FieldOf(history[0], 2), "1");
  EXPECT_EQ(FieldOf(history[1], 2), "0");

  // Sponsored definitions are not watched.
  int sponsored = AddDefinition("http://cm.example.jp/", [](NewsDefinition& d) { d.Sponsor = 7; });
  WriteCache(sponsored, SJ(kPage));
  watch.calls.clear();
  ASSERT_TRUE(ParseDefinition(0, sponsored, true, true));
  EXPECT_TRUE(watch.calls.empty());
}

TEST_F(WithWatch, AParseStopsWhenTheProgramCloses) {
  watch.quitAfterFirst = true;
  int index = AddDefinition("http://news.example.jp/top/");
  WriteCache(index, SJ(kPage));
  ParseDefinition(0, index, false, true);
  EXPECT_EQ(watch.calls.size(), 1u);
  EXPECT_FALSE(platform::FileExists(NewsList().ListPath(index)));  // no history written
  EXPECT_FALSE(barHeadlines(0).Parsing);
}

TEST_F(Parse, TheBarsYieldRunsDuringAParseAndCanStopIt) {
  std::string page;
  for (int i = 0; i < 50; ++i) page += "<a href=\"" + std::to_string(i) + ".html\">headline number " + std::to_string(i) + "</a>\n";
  int index = AddDefinition("http://news.example.jp/");
  WriteCache(index, page);
  BarHeadlines& b = barHeadlines(0);
  b.YieldIntervalMs = 0;
  int calls = 0;
  b.Yield = [&] {
    ++calls;
    return true;
  };
  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  EXPECT_GE(calls, 100);  // a line and a re-scan per headline
  EXPECT_EQ(Headlines().size(), 50u);
  EXPECT_EQ(ReadHistoryList(NewsList().ListPath(index), 100).size(), 50u);

  // Stopped by the bar: the headlines so far stay, no history is written.
  calls = 0;
  b.Yield = [&] { return ++calls < 10; };
  int other = AddDefinition("http://other.example.jp/");
  WriteCache(other, page);
  ParseDefinition(0, other, false, false);
  EXPECT_EQ(calls, 10);
  EXPECT_LT(Headlines().size(), 10u);
  EXPECT_FALSE(platform::FileExists(NewsList().ListPath(other)));
  EXPECT_FALSE(b.Parsing);
}

TEST_F(Parse, SponsoredHeadlinesAreInterleaved) {
  NewsList().SponsorInterval = 2;  // clamped to 5
  int sponsor = AddDefinition("http://cm.example.jp/", [](NewsDefinition& d) { d.Sponsor = 3; });
  WriteCache(sponsor, SJ("<a href=\"ad.html\">スポンサーからのお知らせの見出しです</a>"));
  CollectSponsorHeadlines(0);
  ASSERT_EQ(barHeadlines(0).Sponsors.size(), 1u);
  EXPECT_EQ(barHeadlines(0).Sponsors[0].Address, "http://cm.example.jp/ad.html");

  std::string page;
  for (int i = 1; i <= 11; ++i)
    page += "<a href=\"" + std::to_string(i) + ".html\">番号付きの見出しその" + std::to_string(i) + "です</a>\n";
  int index = AddDefinition("http://news.example.jp/");
  WriteCache(index, SJ(page));
  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  std::vector<Shown> shown = Headlines();
  ASSERT_EQ(shown.size(), 13u);
  EXPECT_EQ(shown[5].link, "http://cm.example.jp/ad.html");
  EXPECT_EQ(shown[11].link, "http://cm.example.jp/ad.html");
  EXPECT_EQ(shown[6].link, "http://news.example.jp/6.html");
  // Sponsored headlines are not part of the site's history.
  EXPECT_EQ(ReadHistoryList(NewsList().ListPath(index), 100).size(), 11u);
}

TEST_F(Parse, TheAnnouncementFile) {
  WriteFile(folder / kAnnouncementFile, SJ("<a href=\"http://lumetra.example/news/1\">新しい版を公開しました。ぜひお試しください</a>\n"));
  ASSERT_TRUE(ParseDefinition(0, -1, false, false));
  EXPECT_EQ(barHeadlines(0).Lines[0], SJ(" Tarvoからお知らせ "));
  EXPECT_EQ(barHeadlines(0).LinkDefinition, -1);
  EXPECT_EQ(Headlines(), (std::vector<Shown>{{"新しい版を公開しました。ぜひお試しください", "http://lumetra.example/news/1"}}));
}

TEST_F(Parse, ASecondParseOnTheSameBarIsRefused) {
  int index = AddDefinition("http://news.example.jp/top/");
  WriteCache(index, SJ(kPage));
  barHeadlines(0).Parsing = true;
  EXPECT_FALSE(ParseDefinition(0, index, false, false));
  EXPECT_TRUE(barHeadlines(0).Lines.empty());
  barHeadlines(0).Parsing = false;
  EXPECT_TRUE(ParseDefinition(1, index, false, false));  // another bar may
  EXPECT_FALSE(ParseDefinition(6, index, false, false)); // no such bar
}

class FakePlugin : public PluginRunner {
 public:
  std::optional<PluginOutput> Run(int) override { return output; }
  std::optional<PluginOutput> output;
};

TEST_F(Parse, PluginDefinitionsTakeTheirHeadlinesFromThePlugin) {
  FakePlugin plugin;
  SetPluginRunner(&plugin);
  int index = AddDefinition("http://plugin.example.jp/", [](NewsDefinition& d) { d.PluginDefinition = 1; });
  WriteCache(index, SJ("<a href=\"page.html\">ページの中の見出しはここにあります</a>\n<p>ここから</p>\n"
                       "<a href=\"after.html\">目印より後ろの見出しがここにあります</a>\n"));
  EXPECT_FALSE(ParseDefinition(0, index, false, false));  // the library cannot run

  plugin.output = PluginOutput{SJ("プラグインの一つ目の見出しです\r\nプラグインの二つ目の見出しです\r\n三つ目の見出しも来ています\r\n"),
                               "http://plugin.example.jp/open"};
  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  EXPECT_EQ(Headlines(), (std::vector<Shown>{{"プラグインの一つ目の見出しです", "http://plugin.example.jp/open"},
                                             {"プラグインの二つ目の見出しです", "http://plugin.example.jp/open"},
                                             {"三つ目の見出しも来ています", "http://plugin.example.jp/open"}}));

  // With further analysis the plug-in names where the area starts.
  Def(index).PluginAnalysis = 1;
  plugin.output = PluginOutput{SJ("::<p>ここから\r\n"), ""};
  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  EXPECT_EQ(Headlines(), (std::vector<Shown>{{"目印より後ろの見出しがここにあります", "http://plugin.example.jp/after.html"}}));
  SetPluginRunner(nullptr);
}

// A stand-in for the weather walk: every cell between two marker lines is
// remembered, and the walk emits one headline of them at the end.
class CellCollector : public WeatherWalk {
 public:
  void Begin(WeatherParse&) override { cells.clear(); }
  void Line(WeatherParse& parse, const std::string& lower) override {
    if (lower.find("<!---today--->") != std::string::npos) {
      parse.SetAcceptShort(true);
      parse.SetAreaState(2);
    } else if (lower.find("<!---/today--->") != std::string::npos) {
      parse.SetAreaState(10);
      std::string joined;
      for (const std::string& c : cells) joined += c + " ";
      parse.EmitHeadline(joined);
      parse.EndParse();
    }
  }
  void Cell(WeatherParse&, const HeadlineRows& rows) override { cells.push_back(rows[0]); }
  bool TdOnly() const override { return true; }
  bool TakePictureText() const override { return true; }
  void Finish(WeatherParse&) override { finished = true; }
  std::vector<std::string> cells;
  bool finished = false;
};

TEST_F(Parse, WeatherPagesGoThroughTheWeatherWalk) {
  int index = AddDefinition("http://weather.example.jp/tokyo", [](NewsDefinition& d) {
    d.Category = kCategoryWeather;
    d.EndTag = 5;
  });
  WriteCache(index, SJ("<td>ページの頭</td>\n<!---Today--->\n<td>12月3日</td>\n<td><img src=\"sun.gif\" alt=\"晴れ\"></td>\n"
                       "<td>20</td><td>10</td>\n<!---/Today--->\n<td>読まれないセル</td>\n"));
  EXPECT_FALSE(ParseDefinition(0, index, false, false));  // no walk: nothing

  CellCollector walk;
  SetWeatherWalk(&walk);
  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  SetWeatherWalk(nullptr);
  EXPECT_EQ(walk.cells, (std::vector<std::string>{SJ("12月3日"), SJ("晴れ"), "20", "10"}));
  EXPECT_TRUE(walk.finished);
  EXPECT_EQ(Headlines(), (std::vector<Shown>{{"12月3日 晴れ 20 10", "http://weather.example.jp/tokyo"}}));
  EXPECT_TRUE(barHeadlines(0).Weather);
  ParsePage(SJ("<a href=\"x.html\">天気ではない普通の見出しです</a>"));
  EXPECT_FALSE(barHeadlines(0).Weather);
}

TEST_F(Parse, ARedirectionWrittenIntoAnAlmostEmptyPageIsNoted) {
  AddDefinition("http://first.example.jp/");
  int index = AddDefinition("http://moved.example.jp/old/index.html");
  WriteCache(index, "<meta http-equiv=\"refresh\" content=\"0; url=/new/index.html\">\n");
  EXPECT_FALSE(ParseDefinition(0, index, false, false));
  EXPECT_EQ(barHeadlines(0).NotedRedirect, "http://moved.example.jp/new/index.html");
}

}  // namespace
}  // namespace lumetra::test
