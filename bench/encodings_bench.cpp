// DecodeToSjis on a 1 MB news page in each encoding, beside glibc iconv
// doing the same conversion to code page 932 on the same bytes.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "retrieval/encodings.h"

namespace {

using lumetra::DecodeToSjis;

// iconv's name for each encoding code.
constexpr const char* kIconvNames[] = {"CP932", "EUC-JP", "ISO-2022-JP", "UTF-8", "UTF-16LE"};

constexpr const char* kHeadlines[] = {
    "北日本の日本海側で大雪のおそれ　交通機関への影響に注意",
    "東京株式市場　輸出関連株に買い広がり日経平均値上がり",
    "物価高対策　低所得世帯への給付金支給の方針固める",
    "ドラフト会議　高校生投手に四球団が一位指名",
    "年末年始の出国ラッシュ始まる　全国の空港で混雑",
};

constexpr const char* kParagraphs[] = {
    "気象庁によりますと、強い冬型の気圧配置の影響で、北日本の日本海側を中心に大雪となるおそれがあります。"
    "車の運転や路面の凍結に十分注意するよう呼びかけています。",
    "東京株式市場では、円安を背景に輸出関連の銘柄に買い注文が広がり、日経平均株価は一時３００円以上値上がりしました。",
    "政府は、物価高への対応策として、低所得の世帯に一律の給付金を支給する方針を固めました。"
    "年内にも補正予算案を国会に提出する考えです。",
    "新しい研究によりますと、睡眠時間が短い人ほど、日中の集中力が低下する傾向が見られたということです。",
    "市の教育委員会は、小中学校の給食費を来年４月から無償化すると発表しました。対象は約１万２千人です。",
};

// A news portal page: markup, links, dates and Japanese text, about 1 MB
// in UTF-8.
std::string NewsPageUtf8() {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>ニュース速報 | 総合トップ</title>\n</head>\n<body>\n<ul class=\"headlines\">\n";
  for (int i = 0; page.size() < 1024 * 1024; ++i) {
    page += "  <li class=\"item\"><a href=\"https://news.example.jp/articles/2024/12/" + std::to_string(10 + i % 20) +
            "/k1001" + std::to_string(400000 + i) + ".html\">" + kHeadlines[i % 5] + "</a>\n";
    page += "    <span class=\"date\">12月" + std::to_string(1 + i % 28) + "日 " + std::to_string(i % 24) +
            "時" + std::to_string(10 + i % 50) + "分</span>\n";
    page += "    <p class=\"lead\">" + std::string(kParagraphs[(i * 3) % 5]) + "</p></li>\n";
  }
  page += "</ul>\n</body>\n</html>\n";
  return page;
}

std::string Iconv(iconv_t cd, const std::string& text, std::vector<char>& buffer) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* out = buffer.data();
  size_t outLeft = buffer.size();
  iconv(cd, &in, &inLeft, &out, &outLeft);
  iconv(cd, nullptr, nullptr, &out, &outLeft);
  return std::string(buffer.data(), out);
}

const std::string& Page(int code) {
  static const std::vector<std::string> pages = [] {
    const std::string utf8 = NewsPageUtf8();
    std::vector<std::string> result;
    std::vector<char> buffer(utf8.size() * 3);
    for (const char* name : kIconvNames) {
      iconv_t cd = iconv_open(name, "UTF-8");
      result.push_back(Iconv(cd, utf8, buffer));
      iconv_close(cd);
    }
    return result;
  }();
  return pages[static_cast<size_t>(code)];
}

void BM_DecodeToSjis(benchmark::State& state) {
  const int code = static_cast<int>(state.range(0));
  const std::string& page = Page(code);
  const std::string expected = Page(lumetra::kEncodingShiftJis);
  if (DecodeToSjis(page, code) != expected) {
    state.SkipWithError("decoded page differs from the Shift_JIS page");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(DecodeToSjis(page, code));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
  state.SetLabel(kIconvNames[code]);
}

void BM_Iconv(benchmark::State& state) {
  const int code = static_cast<int>(state.range(0));
  const std::string& page = Page(code);
  iconv_t cd = iconv_open("CP932", kIconvNames[code]);
  std::vector<char> buffer(page.size() * 2 + 16);
  for (auto _ : state) benchmark::DoNotOptimize(Iconv(cd, page, buffer));
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
  state.SetLabel(kIconvNames[code]);
}

BENCHMARK(BM_DecodeToSjis)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Iconv)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
