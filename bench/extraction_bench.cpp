// ParseDefinition on a realistic news page (Shift_JIS, headline area between
// markers, list items with links, scripts, comments and a table) of about
// 200 KB and 1 MB, on a 500-item RSS 2.0 feed in UTF-8, and on a 1 MB table
// page; each parse includes reading the page cache, filling bar 0's lists
// and merging the history. Throughput is reported per byte of page.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <string>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "app/settings.h"
#include "definitions/colour_sets.h"
#include "definitions/news_definition.h"
#include "extraction/parse_definition.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"
#include "retrieval/headline_store.h"

namespace {

using namespace lumetra;

constexpr const char* kHeadlines[] = {
    "北日本の日本海側で大雪のおそれ　交通機関への影響に注意",
    "東京株式市場　輸出関連株に買い広がり日経平均値上がり",
    "物価高対策　低所得世帯への給付金支給の方針固める",
    "ドラフト会議　高校生投手に四球団が一位指名",
    "年末年始の出国ラッシュ始まる　全国の空港で混雑",
    "新型の観測衛星の打ち上げに成功　気象予測の精度向上へ",
};

constexpr const char* kParagraph =
    "気象庁によりますと、強い冬型の気圧配置の影響で、北日本の日本海側を中心に大雪となるおそれがあります。"
    "車の運転や路面の凍結に十分注意するよう呼びかけています。";

// A portal page of about `bytes` (UTF-8 before conversion).
std::string NewsPage(size_t bytes) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"Shift_JIS\">\n<title>ニュース</title>\n"
      "<script type=\"text/javascript\">var x = 1; if (a < b && c > d) { run(); }</script>\n</head>\n<body>\n"
      "<div id=\"header\"><a href=\"/\">トップ</a> <a href=\"/help/\">ヘルプ</a></div>\n";
  int n = 0;
  while (page.size() < bytes) {
    page += "<!-- section " + std::to_string(n) + " -->\n<div class=\"topics\">\n<h2>主要ニュース</h2>\n<ul>\n";
    for (int i = 0; i < 20; ++i, ++n) {
      page += "<li class=\"item\"><a href=\"/news/2024/" + std::to_string(n) + ".html\" class=\"title\">" +
              kHeadlines[n % 6] + "（" + std::to_string(n) + "）</a><span class=\"date\">12月" +
              std::to_string(n % 28 + 1) + "日 10:" + std::to_string(n % 60) + "</span>";
      if (n % 5 == 0) page += "<img src=\"/img/new.gif\" alt=\"新着\">";
      page += "</li>\n";
    }
    page += "</ul>\n<p class=\"lead\">" + std::string(kParagraph) + "&hellip;&#12354;&amp;</p>\n";
    page += "<table class=\"rank\"><tr><td>1</td><td><a href=\"/r/1\">" + std::string(kHeadlines[n % 6]) +
            "</a></td></tr></table>\n</div>\n<!-- /section -->\n";
  }
  page += "<div id=\"footer\">Copyright</div>\n</body>\n</html>\n";
  return page;
}

std::string Feed(int items) {
  std::string feed =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n<channel>\n<title>ニュース</title>\n"
      "<link>https://news.example.jp/</link>\n<description>最新のニュース</description>\n";
  for (int i = 0; i < items; ++i) {
    feed += "<item>\n<title>" + std::string(kHeadlines[i % 6]) + "（" + std::to_string(i) + "）</title>\n<link>https://news.example.jp/a/" +
            std::to_string(i) + ".html</link>\n<description><![CDATA[" + kParagraph + "]]></description>\n"
            "<pubDate>Mon, 01 Jan 2024 10:00:00 +0900</pubDate>\n<guid>https://news.example.jp/a/" +
            std::to_string(i) + ".html</guid>\n</item>\n";
  }
  return feed + "</channel>\n</rss>\n";
}

std::string TablePage(size_t bytes) {
  std::string page = "<html><body>\n<table>\n";
  int n = 0;
  while (page.size() < bytes) {
    page += "<tr>\n";
    for (int c = 0; c < 4; ++c, ++n)
      page += "<td><a href=\"/t/" + std::to_string(n) + "\">" + std::string(kHeadlines[n % 6]) + "</a></td>\n";
    page += "</tr>\n";
  }
  return page + "</table>\n</body></html>\n";
}

struct Setup {
  QTemporaryDir dir;
  int index = 0;
  size_t bytes = 0;

  Setup(const std::string& page, bool sjis, void (*edit)(NewsDefinition&)) {
    app().DataFolder = dir.path().toStdString();
    NewsList() = TIPlist5();
    ColourList() = TIPlist6();
    bars() = DefaultBarTable();
    settings() = Settings();
    barHeadlines(0) = BarHeadlines();
    NewsDefinition d = DefaultDefinition(0);
    SetFieldText(d.Title, "bench");
    SetFieldText(d.Url, "https://news.example.jp/index.html");
    edit(d);
    index = NewsList().Append(d);
    const std::string bytesOnDisk = sjis ? platform::Utf8ToSjis(page) : page;
    bytes = bytesOnDisk.size();
    platform::WriteFileAtomically(NewsList().CachePath(index), bytesOnDisk);
  }
};

void Run(benchmark::State& state, Setup& s) {
  size_t headlines = 0;
  for (auto _ : state) {
    ParseDefinition(0, s.index, false, false);
    headlines = barHeadlines(0).Lines.size() - 2;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.bytes));
  state.counters["headlines"] = static_cast<double>(headlines);
  state.counters["page_KB"] = static_cast<double>(s.bytes) / 1024.0;
}

void HtmlPage(benchmark::State& state) {
  Setup s(NewsPage(static_cast<size_t>(state.range(0)) << 10), true, [](NewsDefinition& d) {
    SetFieldText(d.StartMarker, platform::Utf8ToSjis("主要ニュース"));
    SetFieldText(d.EndMarker, "</ul>");
  });
  Run(state, s);
}
BENCHMARK(HtmlPage)->Arg(200)->Arg(1024)->Unit(benchmark::kMillisecond);

void Rss500Items(benchmark::State& state) {
  Setup s(Feed(500), false, [](NewsDefinition& d) {
    d.Rss = 1;
    d.Encoding = 3;
  });
  Run(state, s);
}
BENCHMARK(Rss500Items)->Unit(benchmark::kMillisecond);

void HorizontalTable(benchmark::State& state) {
  Setup s(TablePage(1 << 20), true, [](NewsDefinition& d) {
    d.TableMode = 1;
    d.TableCellsX = 2;
  });
  Run(state, s);
}
BENCHMARK(HorizontalTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
