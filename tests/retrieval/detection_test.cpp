// The encoding detector on realistic texts, and the conversion built on it.
#include <gtest/gtest.h>

#include <string>

#include "iconv_reference.h"
#include "platform/sjis_text.h"
#include "retrieval/encodings.h"

namespace lumetra {
namespace {

using test::Encode;

// A news paragraph with the usual mix of kanji, kana, digits and ASCII.
constexpr const char* kNews =
    "<p>政府は１０日、来年度予算案の編成に向けた基本方針を閣議で決定した。"
    "物価高への対応として、中小企業の賃上げを後押しする税制措置を拡充するほか、"
    "地方の交通網を維持するための交付金を新たに設ける。首相は記者団に対し"
    "「国民生活を守るため、あらゆる手段を講じる」と述べた。(2024/12/10)</p>";

TEST(Detection, NewsParagraphInEachEncoding) {
  const std::string sjis = SJ(kNews);
  const std::string euc = Encode("EUC-JP", kNews);
  const std::string iso = Encode("ISO-2022-JP", kNews);
  const std::string ascii = "<p>The cabinet approved the budget outline on Tuesday.</p>";

  EXPECT_EQ(DetectJapaneseCode(sjis), kDetectShiftJis);
  EXPECT_EQ(DetectJapaneseCode(euc), kDetectEucJp);
  EXPECT_EQ(DetectJapaneseCode(iso), kDetectJisNew);
  EXPECT_EQ(DetectJapaneseCode(ascii), kDetectNothing);

  // Each comes out as the same program text.
  EXPECT_EQ(ConvertToSjis(sjis), sjis);
  EXPECT_EQ(ConvertToSjis(euc), sjis);
  EXPECT_EQ(ConvertToSjis(iso), sjis);
  EXPECT_EQ(ConvertToSjis(ascii), ascii);
}

TEST(Detection, ShortAndSpecialTexts) {
  const struct {
    const char* name;
    std::string text;
    int expected;
  } cases[] = {
      // "かな" in EUC-JP is also valid half-width katakana in Shift_JIS.
      {"ambiguous EUC kana", "\xA4\xAB\xA4\xCA", kDetectEucOrSjis},
      {"ambiguous SJIS katakana", SJ("ｶﾀｶﾅ"), kDetectEucOrSjis},
      {"EUC decided within a run", "\xC5\xEC\xB5\xFE", kDetectEucJp},  // 東京
      {"SJIS decided within a run", "\xB6\xE0\x90", kDetectShiftJis},  // ｶ and a kanji
      {"old JIS escape", "a\x1B$@F|\x1B(J", kDetectJisOld},
      {"single byte", "\xA4", kDetectNothing},
      {"zero byte early in Shift_JIS text", SJ("日本") + std::string(1, '\0') + SJ("語"), kDetectBinary},
      {"0xFF early", "abc\xFF" "def", kDetectBinary},
      {"zero byte as last byte is not seen", std::string("abc\0", 4), kDetectNothing},
      {"zero byte after 512 ASCII bytes", std::string(600, 'a') + std::string(1, '\0') + "b", kDetectBinary},
      {"decided before a late zero byte", SJ("日本") + std::string(600, 'a') + std::string(1, '\0') + "b",
       kDetectShiftJis},
  };
  for (const auto& c : cases) EXPECT_EQ(DetectJapaneseCode(c.text), c.expected) << c.name;
}

TEST(Detection, ConvertLeavesUndecidedTextAlone) {
  const std::string ambiguous = "\xA4\xAB\xA4\xCA";
  EXPECT_EQ(ConvertToSjis(ambiguous), ambiguous);
  EXPECT_EQ(ConvertToSjis("\x1B$@F|\x1B(B"), SJ("日"));
  // The JIS walk cuts at the first zero byte (the last byte is not taken
  // for binary).
  EXPECT_EQ(ConvertToSjis(std::string("\x1B$BF|\x1B(Bab\0", 11)), SJ("日") + "ab");
}

}  // namespace
}  // namespace lumetra
