#include "platform/sjis_text.h"

#include <gtest/gtest.h>

namespace lumetra::platform {
namespace {

TEST(SjisText, ConvertsBothWaysWithCodePage932Mapping) {
  struct Case {
    const char* utf8;
    std::string sjis;
  } cases[] = {
      {"ニュース", "\x83\x6a\x83\x85\x81\x5b\x83\x58"},
      {"～", "\x81\x60"},    // U+FF5E, the code page's wave dash
      {"①", "\x87\x40"},
      {"ⅰ", "\xfa\x40"},
      {"ｱ", "\xb1"},         // half-width katakana is one byte
      {"abc\\~", "abc\\~"},  // ASCII passes unchanged
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(QStringToSjis(QString::fromUtf8(c.utf8)), c.sjis);
    EXPECT_EQ(SjisToQString(c.sjis), QString::fromUtf8(c.utf8));
  }
  // Minus sign: U+2212 is written as 81 7C, which reads back as U+FF0D.
  EXPECT_EQ(QStringToSjis(QString::fromUtf8("−")), "\x81\x7c");
  EXPECT_EQ(SjisToQString("\x81\x7c"), QString::fromUtf8("－"));
}

TEST(SjisText, BadInputIsReplacedNotDropped) {
  // A lone lead byte, a lead byte at the very end, an unmapped character.
  EXPECT_EQ(SjisToQString("a\x81 b"), QString::fromUtf8("a\uFFFD b"));
  EXPECT_EQ(SjisToQString("a\xa0" "b"), QString::fromUtf8("a\uFFFDb"));
  EXPECT_EQ(SjisToQString("ab\x83"), QString::fromUtf8("ab\uFFFD"));
  EXPECT_EQ(QStringToSjis(QString::fromUtf8("x€y")), "x?y");
  EXPECT_EQ(QStringToSjis(QString::fromUtf8("x😀y")), "x?y");  // a surrogate pair is one character
  const char16_t lone[] = {u'x', 0xD800, u'A', 0};
  EXPECT_EQ(QStringToSjis(QString::fromUtf16(lone)), "x?A");  // a lone half does not swallow the next
}

}  // namespace
}  // namespace lumetra::platform
