// RSS 1.0 (RDF) and RSS 2.0 feeds, each written in Shift_JIS, EUC-JP and
// UTF-8: one headline per item, its text from title and description.
#include <gtest/gtest.h>

#include "extraction_fixture.h"
#include "iconv_reference.h"
#include "retrieval/encodings.h"

namespace lumetra::test {
namespace {

struct FeedCase {
  const char* name;
  std::string feed;  // UTF-8
  std::vector<Shown> expected;
};

const char* CharsetName(int encoding) {
  return encoding == kEncodingShiftJis ? "Shift_JIS" : encoding == kEncodingEucJp ? "EUC-JP" : "UTF-8";
}

std::string Rdf(int encoding, const std::string& items) {
  return std::string("<?xml version=\"1.0\" encoding=\"") + CharsetName(encoding) +
         "\"?>\n"
         "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" xmlns=\"http://purl.org/rss/1.0/\"\n"
         "  xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
         "<channel rdf:about=\"http://news.example.jp/\">\n<title>チャンネルの題名は見出しではありません</title>\n"
         "<link>http://news.example.jp/</link>\n<description>チャンネルの説明です</description>\n"
         "<items><rdf:Seq><rdf:li rdf:resource=\"http://news.example.jp/1\"/></rdf:Seq></items>\n</channel>\n" +
         items + "</rdf:RDF>\n";
}

std::string Rss2(int encoding, const std::string& items) {
  return std::string("<?xml version=\"1.0\" encoding=\"") + CharsetName(encoding) +
         "\"?>\n<rss version=\"2.0\" xmlns:atom=\"http://www.w3.org/2005/Atom\">\n<channel>\n"
         "<title>チャンネルの題名は見出しではありません</title>\n<link>http://news.example.jp/</link>\n"
         "<atom:link href=\"http://news.example.jp/rss.xml\" rel=\"self\" type=\"application/rss+xml\"/>\n"
         "<description>チャンネルの説明です</description>\n" +
         items + "</channel>\n</rss>\n";
}

class Feeds : public ExtractionTest {
 protected:
  void Check(const std::function<std::string(int)>& feed, const std::vector<Shown>& expected, const char* name) {
    for (int encoding : {kEncodingShiftJis, kEncodingEucJp, kEncodingUtf8}) {
      SCOPED_TRACE(std::string(name) + " in " + CharsetName(encoding));
      const std::string utf8 = feed(encoding);
      const std::string bytes = encoding == kEncodingUtf8 ? utf8 : Encode(encoding == 1 ? "EUC-JP" : "CP932", utf8);
      barHeadlines(0) = BarHeadlines();
      EXPECT_EQ(ParsePage(bytes,
                          [&](NewsDefinition& d) {
                            d.Rss = 1;
                            d.Encoding = static_cast<uint8_t>(encoding);
                          },
                          "http://news.example.jp/rss/index.rdf"),
                expected);
    }
  }
};

TEST_F(Feeds, RdfItems) {
  Check([](int e) {
    return Rdf(e,
               "<item rdf:about=\"http://news.example.jp/1\">\n<title>RDFの記事の題名です</title>\n"
               "<link>http://news.example.jp/1</link>\n<dc:subject>政治</dc:subject>\n</item>\n"
               "<item rdf:about=\"http://news.example.jp/2\">\n<title>リンク要素のない記事の題名</title>\n</item>\n"
               "<item rdf:about=\"3.html\"><title>一行に書かれた相対アドレスの記事</title></item>\n");
  },
        {{"RDFの記事の題名です", "http://news.example.jp/1"},
         {"リンク要素のない記事の題名", "http://news.example.jp/2"},
         {"一行に書かれた相対アドレスの記事", "http://news.example.jp/rss/3.html"}},
        "RDF");
}

TEST_F(Feeds, Rss2Items) {
  Check([](int e) {
    return Rss2(e,
                "<item>\n<title>空の説明の記事の題名です</title>\n<link>http://news.example.jp/a</link>\n"
                "<description></description>\n</item>\n"
                "<item>\n<title>題名と説明が同じ記事です</title>\n<link>http://news.example.jp/b</link>\n"
                "<description>題名と説明が同じ記事です</description>\n</item>\n"
                "<item>\n<title>題名の部分</title>\n<link>http://news.example.jp/c</link>\n"
                "<description>説明の部分が続きます</description>\n<pubDate>Mon, 01 Jan 2024 00:00:00 +0900</pubDate>\n</item>\n"
                "<item>\n<title type=\"text\">属性の付いた題名の記事です</title>\n<link>http://news.example.jp/d</link>\n</item>\n"
                "<item><title><![CDATA[CDATAの中の題名の記事です]]></title><link>http://news.example.jp/e</link></item>\n"
                "<item><title>A&amp;amp;B 二重に書かれた参照の記事</title><link>http://news.example.jp/f</link></item>\n"
                "<item><title>Tom's \"quoted\" 記事の題名</title><link>http://news.example.jp/g</link></item>\n");
  },
        {{"空の説明の記事の題名です", "http://news.example.jp/a"},
         {"題名と説明が同じ記事です", "http://news.example.jp/b"},
         {"題名の部分 説明の部分が続きます", "http://news.example.jp/c"},
         {"属性の付いた題名の記事です", "http://news.example.jp/d"},
         {"CDATAの中の題名の記事です", "http://news.example.jp/e"},
         {"A&B 二重に書かれた参照の記事", "http://news.example.jp/f"},
         {"Tom's \"quoted\" 記事の題名", "http://news.example.jp/g"}},
        "RSS 2.0");
}

TEST_F(Feeds, CommentsAroundItemsDoNotHideThem) {
  Check([](int e) {
    return Rss2(e,
                "<!-- 記事の一覧の始まり -->\n<!-- 一つ目 --><item>\n<title>コメントの後ろの記事の題名</title>\n"
                "<link>http://news.example.jp/1</link>\n<!-- 項目の中のコメント -->\n</item><!-- 一つ目の終わり -->\n"
                "<!--\n<item><title>コメントの中で始まる記事</title><link>http://news.example.jp/2</link></item>\n-->\n");
  },
        {{"コメントの後ろの記事の題名", "http://news.example.jp/1"},
         {"コメントの中で始まる記事", "http://news.example.jp/2"}},
        "comments");
}

}  // namespace
}  // namespace lumetra::test
