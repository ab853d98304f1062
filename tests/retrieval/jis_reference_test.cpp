// The converters against glibc iconv over every character they can meet.
#include <gtest/gtest.h>

#include <string>

#include "iconv_reference.h"
#include "retrieval/encodings.h"

namespace lumetra {
namespace {

using test::Iconv;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// Each row of JIS X 0208 as one text holding all of its characters, in
// EUC-JP and in ISO-2022-JP, must give the bytes iconv gives for CP932.
TEST(JisReference, EveryJisX0208CharacterMatchesIconv) {
  int characters = 0;
  for (int c1 = 0x21; c1 <= 0x7E; ++c1) {
    std::string euc, jis;
    for (int c2 = 0x21; c2 <= 0x7E; ++c2) {
      const std::string pair = Bytes({c1 | 0x80, c2 | 0x80});
      if (!Iconv("EUC-JP", "CP932", pair)) continue;  // unassigned cell
      euc += pair;
      jis += Bytes({c1, c2});
      ++characters;
    }
    if (euc.empty()) continue;
    SCOPED_TRACE("row " + std::to_string(c1 - 0x20));
    const std::string iso = "\x1B$B" + jis + "\x1B(B";
    const auto fromEuc = Iconv("EUC-JP", "CP932", euc);
    const auto fromIso = Iconv("ISO-2022-JP", "CP932", iso);
    ASSERT_TRUE(fromEuc && fromIso);
    ASSERT_EQ(*fromEuc, *fromIso);
    EXPECT_EQ(EucToSjis(euc), *fromEuc);
    EXPECT_EQ(Iso2022ToSjis(iso), *fromIso);
    EXPECT_EQ(DecodeToSjis(iso, kEncodingIso2022Jp), *fromIso);
    EXPECT_EQ(JisToSjis(iso), *fromIso);
  }
  EXPECT_EQ(characters, 6879);
}

TEST(JisReference, HalfWidthKatakanaInEucMatchesIconv) {
  std::string euc;
  for (int b = 0xA1; b <= 0xDF; ++b) euc += Bytes({0x8E, b});
  EXPECT_EQ(EucToSjis(euc), *Iconv("EUC-JP", "CP932", euc));
}

// JIS X 0212 characters become what iconv makes of them for code page 932,
// '?' where it has none, and the text after them stays in step.
TEST(JisReference, JisX0212CharactersFollowIconvOrBecomeDefaultCharacter) {
  int found = 0;
  for (int c1 = 0xA1; c1 <= 0xFE; ++c1) {
    std::string euc, expected;
    for (int c2 = 0xA1; c2 <= 0xFE; ++c2) {
      const std::string character = Bytes({0x8F, c1, c2});
      const auto cp932 = Iconv("EUC-JP", "CP932", character);
      found += cp932.has_value();
      euc += character + "a";
      expected += cp932.value_or("?") + "a";
    }
    ASSERT_EQ(EucToSjis(euc), expected) << "row " << c1 - 0xA0;
  }
  EXPECT_GT(found, 200);  // the IBM kanji such as 髙 and 﨑 are there
}

}  // namespace
}  // namespace lumetra
