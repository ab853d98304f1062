// Small HTML pages, each showing one rule of the headline scanner: markers,
// start and end tags, the short-headline rule, references, addresses.
#include <gtest/gtest.h>

#include "extraction_fixture.h"
#include "iconv_reference.h"
#include "retrieval/encodings.h"

namespace lumetra::test {
namespace {

using Edit = std::function<void(NewsDefinition&)>;

struct PageCase {
  const char* name;
  std::string page;  // UTF-8; written in the definition's encoding
  Edit edit;
  std::vector<Shown> expected;
};

Edit Tags(int start, int end) {
  return [=](NewsDefinition& d) {
    d.StartTag = static_cast<uint8_t>(start);
    d.EndTag = static_cast<uint8_t>(end);
  };
}

Edit Markers(const char* start, const char* end) {
  return [=](NewsDefinition& d) {
    SetFieldText(d.StartMarker, SJ(start));
    SetFieldText(d.EndMarker, SJ(end));
  };
}

const std::string kSite = "http://news.example.jp";
const std::string kDir = kSite + "/top/";

class HtmlPages : public ExtractionTest {
 protected:
  void Check(const PageCase& c, int encoding = kEncodingShiftJis) {
    SCOPED_TRACE(c.name);
    const std::string bytes = encoding == kEncodingUtf8 ? c.page : Encode(encoding == 1 ? "EUC-JP" : "CP932", c.page);
    for (int bar = 0; bar < kBarSlots; ++bar) barHeadlines(bar) = BarHeadlines();
    auto edit = [&](NewsDefinition& d) {
      d.Encoding = static_cast<uint8_t>(encoding);
      if (c.edit) c.edit(d);
    };
    EXPECT_EQ(ParsePage(bytes, edit), c.expected);
  }
};

TEST_F(HtmlPages, Markers) {
  const std::vector<PageCase> cases = {
      {"the area runs from the start marker to the end marker, and a once-part opens it only once",
       "<a href=\"a.html\">マーカーより前の見出しは含まれません</a>\n"
       "<h2>主要ニュース</h2>\n"
       "<a href=\"b.html\">最初の領域にある見出しです</a>\n"
       "<p>ここまで</p><a href=\"x.html\">終わりのマーカーの後ろの見出し</a>\n"
       "<a href=\"c.html\">領域の外の見出しは含まれません</a>\n"
       "<h2>主要ニュース</h2>\n"
       "<a href=\"d.html\">二度目の主要ニュースは開きません</a>\n"
       "<h2>続報</h2><a href=\"e.html\">続報の見出しで領域が再び開きます</a>\n",
       Markers("once 主要ニュース or 続報", "ここまで"),
       {{"最初の領域にある見出しです", kDir + "b.html"}, {"続報の見出しで領域が再び開きます", kDir + "e.html"}}},
      {"an end marker's once-part, once seen, keeps the area closed",
       "<b>続報</b>\n<a href=\"a.html\">一つ目の領域にある見出しです</a>\n<i>ここまで</i>\n"
       "<b>続報</b>\n<a href=\"b.html\">二つ目の領域は開かれません</a>\n",
       Markers("続報", "once ここまで"),
       {{"一つ目の領域にある見出しです", kDir + "a.html"}}},
      {"a page on one line starts at the start marker; alternatives are tried in turn",
       "<a href=\"menu.html\">メニューの項目は見出しではありません</a><div id=\"news\"><a href=\"n.html\">"
       "一行のページでもマーカーから始まります</a></div><a href=\"f.html\">フッターの項目も見出しではありません</a>",
       Markers("<div id=\"nothing\"> or <div id=\"news\">", "</div>"),
       {{"一行のページでもマーカーから始まります", kDir + "n.html"}}},
  };
  for (const PageCase& c : cases) Check(c);
}

TEST_F(HtmlPages, StartTagsAndEndTags) {
  const std::vector<PageCase> cases = {
      {"<tr> ... </tr>, the link inside giving the address", "<tr><td><a href=\"1.html\">表の行の見出しです</a></td></tr>",
       Tags(1, 1), {{"表の行の見出しです", kDir + "1.html"}}},
      {"<em> ... </em>, not <embed>", "<embed src=\"x\">埋め込みの文字</embed><em>強調された見出しです</em>", Tags(2, 2),
       {{"強調された見出しです", ""}}},
      {"<td> ... </td>", "<td class=\"n\"><a href=\"/t.html\">セルの中の見出しです</a></td>", Tags(3, 4),
       {{"セルの中の見出しです", kSite + "/t.html"}}},
      {"<div> ... </div>", "<div><a href=\"d.html\">ブロックの見出しです</a></div>", Tags(4, 6),
       {{"ブロックの見出しです", kDir + "d.html"}}},
      {"<p> ... </p>, not <pre>", "<pre>整形済みの文字です</pre><p>段落の見出しです</p>", Tags(5, 7),
       {{"段落の見出しです", ""}}},
      {"<li> ... </li>, several on one line",
       "<ul><li><a href=\"1.html\">一つ目の項目の見出し</a></li><li><a href=\"2.html\">二つ目の項目の見出し</a></li></ul>",
       Tags(6, 8), {{"一つ目の項目の見出し", kDir + "1.html"}, {"二つ目の項目の見出し", kDir + "2.html"}}},
      {"<hr> ... <br>", "<hr>横線の後ろの見出しです<br>", Tags(7, 3), {{"横線の後ろの見出しです", ""}}},
      {"<span> ... </span>", "<span class=\"t\">スパンの見出しです</span>", Tags(8, 10), {{"スパンの見出しです", ""}}},
      {"<b> ... </b>, not <br> or <body>", "<body><br>本文の文字<b>太字の見出しです</b>", Tags(9, 11),
       {{"太字の見出しです", ""}}},
      {"<br> ... <br>", "<br>改行の間の見出しです<br/>", Tags(10, 3), {{"改行の間の見出しです", ""}}},
      {"<h1>,<h2>,<h3> ... </h1>,</h2>,</h3>", "<h2>二番目の大きさの見出し</h2><h3>三番目の大きさの見出し</h3>",
       Tags(11, 13), {{"二番目の大きさの見出し", ""}, {"三番目の大きさの見出し", ""}}},
      {"<strong> ... </strong>", "<strong>とても強い見出しです</strong>", Tags(12, 14), {{"とても強い見出しです", ""}}},
      {"composite end tag </td>,<br>: whichever comes first",
       "<a href=\"1.html\">改行で終わる見出しです</a><br>付け足しの文字\n<a href=\"2.html\">セルで終わる見出しです</td>",
       Tags(0, 5), {{"改行で終わる見出しです", kDir + "1.html"}, {"セルで終わる見出しです", kDir + "2.html"}}},
      {"composite end tag </b>,<br>", "<a href=\"1.html\">太字で終わる見出し</b>残り\n<a href=\"2.html\">改行で終わる見出し<br>",
       Tags(0, 12), {{"太字で終わる見出し", kDir + "1.html"}, {"改行で終わる見出し", kDir + "2.html"}}},
      {"an end tag also matches with a blank for its last character",
       "<a href=\"1.html\">空白で閉じられたリンクの見出し</a >", Tags(0, 0),
       {{"空白で閉じられたリンクの見出し", kDir + "1.html"}}},
      {"a new link ends an unclosed one",
       "<a href=\"1.html\">閉じられていないリンクの見出し<a class=\"x\" href=\"2.html\">次のリンクの見出しです</a>",
       Tags(0, 0), {{"閉じられていないリンクの見出し", kDir + "1.html"}, {"次のリンクの見出しです", kDir + "2.html"}}},
  };
  for (const PageCase& c : cases) Check(c);
}

TEST_F(HtmlPages, HeadlineText) {
  const std::vector<PageCase> cases = {
      {"bold tags do not start a row", "<a href=\"b.html\"><b>太字の語</b>と続く普通の語です</a>", {},
       {{"太字の語と続く普通の語です", kDir + "b.html"}}},
      {"an inner tag starts row 2", "<a href=\"i.html\">最初の行になる見出しの部分<img src=\"i.gif\">二行目の説明文です</a>",
       {}, {{"最初の行になる見出しの部分 二行目の説明文です", kDir + "i.html"}}},
      {"a link over two lines is joined without a blank", "<a href=\"j.html\">二行にわたる\n見出しの本文です</a>", {},
       {{"二行にわたる見出しの本文です", kDir + "j.html"}}},
      {"text inside a comment is not collected", "<a href=\"c.html\">表示される<!-- 隠れた文字 -->見出しの部分</a>", {},
       {{"表示される見出しの部分", kDir + "c.html"}}},
      {"a line that is one comment drops the headline being collected; commented links stay hidden",
       "<a href=\"x.html\">書きかけの見出しです\n<!-- コメントの行 -->\n続き</a>\n"
       "<!-- <a href=\"old.html\">古い見出しは隠れています</a> --><a href=\"new.html\">新しい見出しは表示されます</a>",
       {}, {{"新しい見出しは表示されます", kDir + "new.html"}}},
      {"the too-short link gives its address to the next headline without one",
       "<p><a href=\"detail.html\">詳細</a></p>\n<p>リンクを受け継ぐ本文の見出しです</p>", Tags(5, 7),
       {{"詳細 リンクを受け継ぐ本文の見出しです", kDir + "detail.html"}}},
      {"a too-short link's text leads the next link", "<a href=\"1.html\">[速報]</a><a href=\"2.html\">地震の見出しです</a>",
       {}, {{"[速報] 地震の見出しです", kDir + "2.html"}}},
      {"an anchor holding only a picture is too short", "<a href=\"p.html\"><img src=\"p.gif\"></a>", {}, {}},
      {"mailto: is dropped, in the address or in the text",
       "<a href=\"mailto:desk@example.jp\">ご意見はこちらまでお寄せください</a>\n"
       "<a href=\"m.html\">連絡先 mailto:desk@example.jp までどうぞ</a>\n<a href=\"k.html\">残る見出しはこれです</a>",
       {}, {{"残る見出しはこれです", kDir + "k.html"}}},
      {"with start tag <br>, bookmark links are dropped",
       "<br>はてなブックマークに追加する<br>\n<br>普通のお知らせの見出しです<br>", Tags(10, 3),
       {{"普通のお知らせの見出しです", ""}}},
      {"named references, and numeric ones as Unicode characters",
       "<a href=\"r.html\">首相&hellip;発表&#12354;&#x3044;&amp;&#65;&quot;続く</a>", {},
       {{"首相…発表あい&A\"続く", kDir + "r.html"}}},
      {"MinChars rejects a short first row",
       "<a href=\"1.html\">短めの見出し</a>\n<a href=\"2.html\">最小文字数を超える十分に長い見出しです</a>",
       [](NewsDefinition& d) { d.MinChars = 20; }, {{"最小文字数を超える十分に長い見出しです", kDir + "2.html"}}},
  };
  for (const PageCase& c : cases) Check(c);
}

TEST_F(HtmlPages, ReferencesReadTheSameInShiftJisEucAndUtf8) {
  const PageCase c{"references", "<a href=\"r.html\">株価&hellip;続落&#x2192;&#26085;経平均&#169;</a>", {},
                   {{"株価…続落→日経平均?", kDir + "r.html"}}};
  Check(c, kEncodingShiftJis);
  Check(c, kEncodingEucJp);
  Check(c, kEncodingUtf8);
}

TEST_F(HtmlPages, Addresses) {
  const std::vector<PageCase> cases = {
      {"relative addresses against the definition's address",
       "<a href=\"sub/a.html\">下のフォルダの見出しです</a>\n<a href=\"/b.html\">サイトの根元の見出しです</a>\n"
       "<a href=\"http://other.jp/c.html\">よそのサイトの見出しです</a>\n<a href=\"//cdn.example.jp/d\">スキームなしの見出しです</a>\n"
       "<a href='e.html'>一重引用符のリンクの見出し</a>\n<a href=plain.html target=_blank>引用符なしのアドレスの見出し</a>",
       {},
       {{"下のフォルダの見出しです", kDir + "sub/a.html"},
        {"サイトの根元の見出しです", kSite + "/b.html"},
        {"よそのサイトの見出しです", "http://other.jp/c.html"},
        {"スキームなしの見出しです", "http://cdn.example.jp/d"},
        {"一重引用符のリンクの見出し", kDir + "e.html"},
        {"引用符なしのアドレスの見出し", kDir + "plain.html"}}},
      {"a <base element replaces the definition's address",
       "<head><base href=\"http://mirror.example.jp/en/\"></head>\n<a href=\"a.html\">ミラーの見出しです</a>\n"
       "<a href=\"/b.html\">ミラーの根元の見出しです</a>",
       {}, {{"ミラーの見出しです", "http://mirror.example.jp/en/a.html"}, {"ミラーの根元の見出しです", "http://mirror.example.jp/b.html"}}},
      {"named anchors point into the host",
       "<a name=\"sec1\">名前だけのアンカーの見出し</a>\n<a name='#sec2'>シャープ付きの名前の見出し</a>", {},
       {{"名前だけのアンカーの見出し", kSite + "#sec1"}, {"シャープ付きの名前の見出し", kSite + "#sec2"}}},
  };
  for (const PageCase& c : cases) Check(c);
}

}  // namespace
}  // namespace lumetra::test
