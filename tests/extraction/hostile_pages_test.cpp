// Pages that try to break the parser: unclosed tags and comments, huge
// lines, endless items, binary data, pages that are not what the definition
// says. Each parse must end, keep its lists bounded, and (in the sanitizer
// build) read nothing outside its buffers.
#include <gtest/gtest.h>

#include <random>

#include "extraction/table_cells.h"
#include "extraction_fixture.h"
#include "retrieval/encodings.h"

namespace lumetra::test {
namespace {

std::string Repeat(const std::string& piece, size_t bytes) {
  std::string out;
  out.reserve(bytes + piece.size());
  while (out.size() < bytes) out += piece;
  return out;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(rng() & 0xFF);
  return out;
}

// Bytes of markup pieces in random order: tags cut anywhere.
std::string MarkupSoup(size_t n, unsigned seed) {
  static const char* const pieces[] = {"<a href=\"", "<a ", "\">", "</a>", "<!--", "-->", "<table", "</table>", "<td",
                                       "</td>", "</tr>", "<item", "</item>", "<title>", "<description>", "&#", "&#x",
                                       "12354;", "&amp;", "<br>", " href=", "'", "\"", "<", ">", "\n", "\r",
                                       "\x82\xa0", "\x82", "text", "<![CDATA[", "]]>", "rdf:about=\"", "<base href="};
  std::mt19937 rng(seed);
  std::string out;
  while (out.size() < n) out += pieces[rng() % (sizeof pieces / sizeof *pieces)];
  return out;
}

class HostilePages : public ExtractionTest {
 protected:
  // Parses `page` with every kind of definition and encoding.
  void ParseEveryWay(const std::string& page) {
    const std::vector<std::function<void(NewsDefinition&)>> kinds = {
        [](NewsDefinition&) {},
        [](NewsDefinition& d) { d.Rss = 1; },
        [](NewsDefinition& d) {
          d.TableMode = 1;
          d.TableCellsX = 2;
        },
        [](NewsDefinition& d) {
          d.TableMode = 2;
          d.TableCellsY = 0;
        },
        [](NewsDefinition& d) {
          d.StartTag = 6;
          d.EndTag = 5;
          SetFieldText(d.StartMarker, "once <a or <td");
          SetFieldText(d.EndMarker, "</table> or -->");
        },
        [](NewsDefinition& d) { d.BoardMode = 1; },
    };
    // Every kind in Shift_JIS and UTF-8, the other encodings with the plain
    // kind; each also in the background once.
    for (int encoding = 0; encoding <= 4; ++encoding) {
      for (size_t k = 0; k < kinds.size(); ++k) {
        if (k > 0 && encoding != kEncodingShiftJis && encoding != kEncodingUtf8) continue;
        int index = AddDefinition("http://hostile.example.jp/a/b.html", [&](NewsDefinition& d) {
          d.Encoding = static_cast<uint8_t>(encoding);
          kinds[k](d);
        });
        WriteCache(index, page);
        ParseDefinition(0, index, false, true);
        CheckBounded();
        if (encoding == kEncodingShiftJis) ParseDefinition(0, index, true, true);
        EXPECT_FALSE(barHeadlines(0).Parsing);
      }
    }
  }

  static void CheckBounded() {
    const BarHeadlines& b = barHeadlines(0);
    ASSERT_EQ(b.Lines.size(), b.Links.size());
    ASSERT_EQ(b.Lines.size(), b.LineRows.size());
    ASSERT_LE(b.Lines.size(), static_cast<size_t>(kMaxParseSteps) + 3);
    for (const std::string& line : b.Lines) ASSERT_LE(line.size(), 3u * 300u);
    for (const auto& rows : b.LineRows)
      for (const std::string& r : rows) ASSERT_LE(r.size(), kMaxRowBytes);
  }
};

TEST_F(HostilePages, UnclosedTagsAndComments) {
  ParseEveryWay("<a href=\"x.html\">見出しが閉じられないまま\n" + Repeat("とても長い本文が続きます", 200000) + "\n");
  ParseEveryWay("<a href=\"never closed\n" + Repeat("<p>text</p>\n", 20000));
  ParseEveryWay("<!-- comment that never ends\n" + Repeat("<a href=\"x\">hidden headline text</a>\n", 20000));
  ParseEveryWay(Repeat("<table><tr><td>", 50000));
}

TEST_F(HostilePages, HugeLines) {
  ParseEveryWay(Repeat("<a ", 1 << 20));
  ParseEveryWay(Repeat("<a title='x <a title='", 1 << 20));
  ParseEveryWay(Repeat(" href=\"x\">short</a> href=y ", 1 << 20));
  ParseEveryWay(Repeat("<a href=\"u.html\">ok headline text here</a>", 2 << 20));
  ParseEveryWay(Repeat("&#12354;&#x3042;&amp;&lt;&#", 1 << 20));
  ParseEveryWay(MarkupSoup(1 << 20, 1));
}

TEST_F(HostilePages, BinaryData) {
  for (unsigned seed = 1; seed <= 3; ++seed) ParseEveryWay(RandomBytes(256 << 10, seed));
  ParseEveryWay(std::string(100000, '\0'));
}

TEST_F(HostilePages, ThousandsOfItemsAndTheStepLimit) {
  std::string feed = "<rss><channel>\n";
  for (int i = 0; i < 5000; ++i)
    feed += "<item>\n<title>Item number " + std::to_string(i) + " of the feed</title>\n<link>http://x/" +
            std::to_string(i) + "</link>\n</item>\n";
  int index = AddDefinition("http://x/rss", [](NewsDefinition& d) { d.Rss = 1; });
  WriteCache(index, feed + "</channel></rss>\n");
  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  EXPECT_EQ(Headlines().size(), 5000u);
  EXPECT_EQ(ReadHistoryList(NewsList().ListPath(index), 500).size(), 100u);  // the history length

  // More lines than steps: the parse ends at the limit.
  std::string page;
  for (int i = 0; i < 130000; ++i) page += "<a href=\"" + std::to_string(i) + "\">headline number " + std::to_string(i) + "</a>\n";
  index = AddDefinition("http://x/many");
  WriteCache(index, page);
  ASSERT_TRUE(ParseDefinition(0, index, false, false));
  const size_t n = Headlines().size();
  EXPECT_GT(n, 40000u);
  EXPECT_LT(n, 65000u);  // a line and a re-scan per headline
}

TEST_F(HostilePages, AFeedThatIsNotXml) {
  const std::string html = "<html><body><h1>Not a feed</h1><a href=\"x.html\">an ordinary link on the page</a>"
                           "<item><title>half an item";
  int index = AddDefinition("http://x/feed", [](NewsDefinition& d) { d.Rss = 1; });
  WriteCache(index, html);
  EXPECT_FALSE(ParseDefinition(0, index, false, false));
  EXPECT_EQ(barHeadlines(0).Lines.size(), 2u);  // title and run-out
}

}  // namespace
}  // namespace lumetra::test
