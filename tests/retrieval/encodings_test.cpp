// Converters of program text: edge cases, replacement forms and the
// full-width conversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iconv_reference.h"
#include "platform/sjis_text.h"
#include "retrieval/encodings.h"
#include "retrieval/full_width.h"
#include "retrieval/mime_words.h"

namespace lumetra {
namespace {

using namespace std::string_literals;

using Converter = std::string (*)(std::string_view);

std::string Decode0(std::string_view t) { return DecodeToSjis(t, kEncodingShiftJis); }
std::string Decode1(std::string_view t) { return DecodeToSjis(t, kEncodingEucJp); }
std::string Decode2(std::string_view t) { return DecodeToSjis(t, kEncodingIso2022Jp); }
std::string Decode3(std::string_view t) { return DecodeToSjis(t, kEncodingUtf8); }
std::string Decode4(std::string_view t) { return DecodeToSjis(t, kEncodingUtf16Le); }
std::string DecodeUnknown(std::string_view t) { return DecodeToSjis(t, 9); }

struct Case {
  const char* name;
  Converter convert;
  std::string input;
  std::string expected;
};

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(c.convert(c.input), c.expected) << c.name;
}

TEST(Encodings, EmptyTextStaysEmpty) {
  for (Converter convert : {Decode0, Decode1, Decode2, Decode3, Decode4, EucToSjis, Iso2022ToSjis, JisToSjis,
                            ConvertToSjis, ToFullWidth, Utf8ToCp932, Utf16LeToCp932})
    EXPECT_EQ(convert(""), "");
  EXPECT_EQ(DetectJapaneseCode(""), kDetectNothing);
}

TEST(Encodings, DecodeToSjisByCode) {
  const std::string nihon = SJ("日本");
  RunCases({
      {"Shift_JIS unchanged", Decode0, nihon + "\x1B$B", nihon + "\x1B$B"},
      {"unknown code unchanged", DecodeUnknown, "\xA4\xA2", "\xA4\xA2"},
      {"EUC-JP", Decode1, "\xC6\xFC\xCB\xDC", nihon},
      {"ISO-2022-JP", Decode2, "<b>\x1B$BF|K\\\x1B(B</b>", "<b>" + nihon + "</b>"},
      {"ISO-2022-JP with encoded word", Decode2, "=?UTF-8?B?5pel5pys?=", nihon},
      {"UTF-8", Decode3, "\xE6\x97\xA5\xE6\x9C\xAC", nihon},
      {"UTF-16LE", Decode4, "\xE5\x65\x2C\x67", nihon},
  });
}

// A line that ends without its return escape, katakana sets and the
// replacement forms for what is no character.
TEST(Encodings, Iso2022EdgeCases) {
  RunCases({
      {"odd byte before return escape", Iso2022ToSjis, "\x1B$BF|x\x1B(Bz", SJ("日") + "xz"},
      {"ESC (I", Iso2022ToSjis, "\x1B(I1", SJ("ア")},
      {"katakana mode drops other bytes", Iso2022ToSjis, "\x1B(I1 2\r\n\x1B(Bz", SJ("アイ") + "z"},
      {"SO/SI in ASCII", Iso2022ToSjis, "a\x0E" "12\x0F" "b", "a" + SJ("アイ") + "b"},
      {"SO without SI", Iso2022ToSjis, "a\x0E" "1", "a" + SJ("ア")},
      {"SI...SO at start of kanji run", Iso2022ToSjis, "\x1B$B\x0F" "1\x0E" "F|", SJ("ア日")},
      {"ESC $@ and ESC (J", Iso2022ToSjis, "\x1B$@F|\x1B(Jok", SJ("日") + "ok"},
      {"pair outside rows", Iso2022ToSjis, "\x1B$B\x7F!u!F|", "[7F21][7521]" + SJ("日")},
      {"control bytes in kanji run", Iso2022ToSjis, "\x1B$BF|\r\n", SJ("日") + "[0D0A]"},
      {"unknown escape stays as text", Iso2022ToSjis, "a\x1B$(Db", "a$(Db"},
      {"lone escape at the end", Iso2022ToSjis, "abc\x1B", "abc"},
      {"escape with one byte after it", Iso2022ToSjis, "\x1B$BF|\x1B(", SJ("日") + "("},
      {"8-bit text passes in ASCII mode", Iso2022ToSjis, SJ("日本"), SJ("日本")},
  });
  const std::string katakana = []() {
    std::string s = "\x1B(I";
    for (char c = 0x21; c <= 0x5F; ++c) s += c;
    return s;
  }();
  EXPECT_EQ(Iso2022ToSjis(katakana),
            SJ("。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
               "ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜"));
}

TEST(Encodings, EucAndJisEdgeCases) {
  RunCases({
      {"single shift 2", EucToSjis, "\x8E\xB1", "\xB1"},
      {"lead byte cut off", EucToSjis, "a\xA4", "a"},
      {"0x80 and 0xFF copied", EucToSjis, "\x80\xFF", "\x80\xFF"},
      {"JIS X 0212 lacking in CP932", EucToSjis, "\x8F\xA2\xC3x", "?x"},
      {"JIS X 0212 in CP932", EucToSjis, "\x8F\xB0\xA9", "\xFA\x68"},
      {"0x8F without a JIS X 0212 tail", EucToSjis, "\x8F\xA1", "x@"},
      {"JIS odd byte before escape", JisToSjis, "\x1B$BF|x\x1B(Bz", SJ("日") + "xz"},
      {"JIS cut at zero byte", JisToSjis, "ab\0cd"s, "ab"},
      {"JIS escape at the end", JisToSjis, "ab\x1B$", "ab"},
  });
  EXPECT_EQ(JisPairToSjisOrHex(0x46, 0x7C), SJ("日"));
  EXPECT_EQ(JisPairToSjisOrHex(0x75, 0x21), "[7521]");
  EXPECT_EQ(JisPairToSjisOrHex(0x30, 0x0A), "[300A]");
}

TEST(Encodings, UnicodeToCodePage932) {
  RunCases({
      {"wave dash and fullwidth tilde", Utf8ToCp932, "\xE3\x80\x9C\xEF\xBD\x9E", "\x81\x60\x81\x60"},
      {"half-width katakana", Utf8ToCp932, "\xEF\xBD\xB1", "\xB1"},
      {"lacking character", Utf8ToCp932, "caf\xC3\xA9!", "caf?!"},
      {"astral character", Utf8ToCp932, "\xF0\x9F\x98\x80" "a", "?a"},
      {"invalid byte keeps next", Utf8ToCp932, "\xC3(", "?("},
      {"surrogate code", Utf8ToCp932, "\xED\xA0\x80" "a", "???a"},
      {"truncated at the end", Utf8ToCp932, "a\xE6\x97", "a?"},
      {"byte-order mark dropped", Utf8ToCp932, "\xEF\xBB\xBF<html>", "<html>"},
      {"zero byte kept", Utf8ToCp932, "a\0b"s, "a\0b"s},
      {"UTF-16 up to zero unit", Utf16LeToCp932, "A\0\0\0B\0"s, "A"},
      {"UTF-16 odd last byte", Utf16LeToCp932, "A\0B"s, "A"},
      {"UTF-16 byte-order mark", Utf16LeToCp932, "\xFF\xFE" "A\0"s, "A"},
      {"UTF-16 lone high surrogate", Utf16LeToCp932, "\x00\xD8" "A\0"s, "?A"},
      {"UTF-16 lone low surrogate", Utf16LeToCp932, "\x00\xDC" "A\0"s, "?A"},
      {"UTF-16 high surrogate at end", Utf16LeToCp932, "A\0\x00\xD8"s, "A?"},
      {"UTF-16 astral pair", Utf16LeToCp932, "\x3D\xD8\x00\xDE" "A\0"s, "?A"},
  });
}

// Long texts are converted in pieces; characters cut by a piece boundary
// and lacking characters among good ones must all come out right.
TEST(Encodings, LongUnicodeTexts) {
  std::string utf8, utf16, expected;
  for (int group = 0; group < 2000; ++group) {
    utf8 += "\xC3\xA9";  // é
    utf16 += "\xE9\x00"s;
    expected += "?";
    for (int i = 0; i < 15; ++i) {
      utf8 += "\xE6\x97\xA5";  // 日
      utf16 += "\xE5\x65"s;
      expected += SJ("日");
    }
    utf8 += "\xF0\x9F\x98\x80";  // an emoji
    utf16 += "\x3D\xD8\x00\xDE"s;
    expected += "?";
  }
  EXPECT_EQ(Utf8ToCp932(utf8), expected);
  EXPECT_EQ(Utf16LeToCp932(utf16), expected);
  const std::string clean = std::string(65535, 'a') + "日本";
  EXPECT_EQ(Utf8ToCp932(clean), std::string(65535, 'a') + SJ("日本"));
  EXPECT_EQ(Utf16LeToCp932(test::Encode("UTF-16LE", clean)), std::string(65535, 'a') + SJ("日本"));
}

TEST(FullWidth, Examples) {
  RunCases({
      {"voiced", ToFullWidth, SJ("ｶﾞ"), SJ("ガ")},
      {"semi-voiced", ToFullWidth, SJ("ﾊﾟ"), SJ("パ")},
      {"mark that cannot join", ToFullWidth, SJ("ｱﾞｳﾞ"), SJ("ア゛ウ゛")},
      {"semi-voiced mark after ｶ row", ToFullWidth, SJ("ｶﾟ"), SJ("カ゜")},
      {"only one mark joins", ToFullWidth, SJ("ｶﾞﾞ"), SJ("ガﾞ")},
      {"letters", ToFullWidth, "abc", SJ("ａｂｃ")},
      {"digits and capitals", ToFullWidth, "09AZ", SJ("０９ＡＺ")},
      {"comma and semicolon", ToFullWidth, ",;", SJ("、；")},
      {"kept as they are", ToFullWidth, SJ(" \tｰﾞﾟ｡｢"), SJ(" \tｰﾞﾟ｡｢")},
      // Trail bytes in the ASCII range are not letters or symbols.
      {"double-byte characters", ToFullWidth, SJ("ソ表ア"), SJ("ソ表ア")},
      {"lead byte at the end", ToFullWidth, "a\x82", SJ("ａ") + "\x82"},
      {"every kana", ToFullWidth, SJ("ｦｧｨｩｪｫｬｭｮｯｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ"),
       SJ("ヲァィゥェォャュョッアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン")},
      {"every voiced kana", ToFullWidth,
       SJ("ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"),
       SJ("ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポ")},
      {"the 32 symbols", ToFullWidth, "!\"#$%&'()=`|-^\\~{@[+*};:]<>?_,./",
       SJ("！”＃＄％＆’（）＝‘｜－＾￥￣｛＠「＋＊｝；：」＜＞？＿、。・")},
  });
}

}  // namespace
}  // namespace lumetra
