// Base64, quoted-printable and encoded words.
#include <gtest/gtest.h>

#include <string>

#include "platform/sjis_text.h"
#include "retrieval/encodings.h"
#include "retrieval/mime_words.h"

namespace lumetra {
namespace {

TEST(MimeWords, Base64) {
  const struct {
    const char* input;
    const char* expected;
  } cases[] = {
      {"QUJD", "ABC"},         {"QUI=", "AB"},     {"QQ==", "A"},
      {"QUJDRA", "ABCD"},      {"QUJDR", "ABC"},   {"QU\r\nJ D*", "ABC"},
      {"5pel5pys", "\xE6\x97\xA5\xE6\x9C\xAC"},  {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeBase64(c.input), c.expected) << c.input;
}

TEST(MimeWords, QuotedPrintable) {
  const struct {
    const char* input;
    const char* expected;
  } cases[] = {
      {"=41", "A"},                                 // an escape at the very end
      {"a=3db", "a=b"},                             // lower-case digits
      {"=E6=97=A5", "\xE6\x97\xA5"},                // escapes in a row
      {"=4142", "A42"},                             // digits after an escape are text
      {"=4g", "4g"},                                // not an escape: "=" dropped
      {"==41", "=41"},                              // the character after "=" as it is
      {"a=", "a"},                                  // soft line break
      {"a=4", "a4"},
      {"snake_case", "snake_case"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeQuotedPrintable(c.input), c.expected) << c.input;
}

TEST(MimeWords, EncodedWords) {
  const std::string nihon = SJ("日本");
  const struct {
    const char* name;
    std::string input;
    std::string expected;
  } cases[] = {
      {"ISO-2022-JP B", "Subject: =?ISO-2022-JP?B?GyRCRnxLXBsoQg==?=", "Subject: " + nihon},
      {"lower-case charset and letter", "=?iso-2022-jp?b?GyRCRnxLXBsoQg==?=", nihon},
      {"ISO-2022-JP Q", "=?ISO-2022-JP?Q?=1B$BF|K\\=1B(B?=", nihon},
      {"UTF-8 B", "=?UTF-8?B?5pel5pys?=", nihon},
      {"UTF-8 Q with underscore", "=?utf-8?q?=E6=97=A5=E6=9C=AC_news?=", SJ("日本 news")},
      {"Shift_JIS", "=?Shift_JIS?B?k/qWew==?=", nihon},
      {"EUC-JP", "=?EUC-JP?B?xvzL3A==?=", nihon},
      {"language suffix", "=?ISO-2022-JP*ja?B?GyRCRnxLXBsoQg==?=", nihon},
      {"adjacent words joined", "=?ISO-2022-JP?B?GyRCRnxLXBsoQg==?= \t=?ISO-2022-JP?B?GyRCRnxLXBsoQg==?=",
       nihon + nihon},
      {"escape sequence split across words", "=?ISO-2022-JP?B?GyRCRnw=?= =?ISO-2022-JP?B?S1wbKEI=?=", nihon},
      {"UTF-8 character split across words", "=?UTF-8?B?5pc=?= =?UTF-8?B?pQ==?=", SJ("日")},
      {"different charsets side by side", "=?UTF-8?B?5pel?= =?ISO-2022-JP?B?GyRCS1wbKEI=?=", SJ("日本")},
      {"text between words kept", "=?UTF-8?B?5pel?= and =?UTF-8?B?5pys?=", SJ("日 and 本")},
      {"UTF-8 word first, ISO-2022-JP after", "=?UTF-8?B?5pel?=: =?ISO-2022-JP?B?GyRCRnxLXBsoQg==?=",
       SJ("日: 日本")},
      {"raw ISO-2022-JP around a word", "\x1B$BF|\x1B(B =?UTF-8?B?5pys?=", SJ("日 本")},
      {"unknown charset stays", "=?KOI8-R?B?8NLJ?=", "=?KOI8-R?B?8NLJ?="},
      {"unknown letter stays", "=?UTF-8?X?5pel?= =?UTF-8?B?5pys?=", "=?UTF-8?X?5pel?= " + SJ("本")},
      {"unclosed word stays", "a =?UTF-8?B?5pel", "a =?UTF-8?B?5pel"},
      {"no letter", "=?UTF-8?=", "=?UTF-8?="},
      {"lone opener", "x=?y", "x=?y"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeEncodedWords(c.input), c.expected) << c.name;
}

// One UTF-8 word makes the text around the words count as UTF-8 too;
// without one, 8-bit text passes as it is.
TEST(MimeWords, Utf8WordMakesLineUtf8) {
  const std::string tokyoUtf8 = "\xE6\x9D\xB1\xE4\xBA\xAC";
  EXPECT_EQ(DecodeEncodedWords(tokyoUtf8 + " =?UTF-8?B?5pel?="), SJ("東京 日"));
  EXPECT_EQ(DecodeEncodedWords(SJ("東京") + " =?ISO-2022-JP?B?GyRCRnxLXBsoQg==?="), SJ("東京 日本"));
}

TEST(MimeWords, DecodeLineUnfoldsHeaderButPagesKeepTheirLines) {
  const std::string folded = "=?ISO-2022-JP?B?GyRCRnw=?=\n =?ISO-2022-JP?B?S1wbKEI=?=";
  EXPECT_EQ(DecodeLine(folded), SJ("日本"));
  EXPECT_EQ(DecodeLine("Re: a\n\tb"), "Re: ab");
  EXPECT_EQ(DecodeToSjis("<pre>a\n b</pre>", kEncodingIso2022Jp), "<pre>a\n b</pre>");
}

}  // namespace
}  // namespace lumetra
