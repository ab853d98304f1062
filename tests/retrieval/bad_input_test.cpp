// Hostile input: random bytes, cut-off sequences, lone escapes and long
// lines. Nothing may crash or read outside the text (run under the
// sanitizer build), and no output may grow beyond a small multiple.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "iconv_reference.h"
#include "retrieval/encodings.h"
#include "retrieval/full_width.h"
#include "retrieval/mime_words.h"

namespace lumetra {
namespace {

struct Function {
  const char* name;
  std::function<std::string(std::string_view)> run;
  size_t growth;  // output at most growth * input + 4 bytes
};

std::vector<Function> Functions() {
  std::vector<Function> functions = {
      {"EucToSjis", EucToSjis, 1},
      {"Iso2022ToSjis", Iso2022ToSjis, 3},
      {"JisToSjis", JisToSjis, 1},
      {"ConvertToSjis", ConvertToSjis, 1},
      {"ToFullWidth", ToFullWidth, 2},
      {"Utf8ToCp932", Utf8ToCp932, 1},
      {"Utf16LeToCp932", Utf16LeToCp932, 1},
      {"DecodeBase64", DecodeBase64, 1},
      {"DecodeQuotedPrintable", DecodeQuotedPrintable, 1},
      {"DecodeEncodedWords", DecodeEncodedWords, 3},
      {"DecodeLine", DecodeLine, 3},
      {"DetectJapaneseCode", [](std::string_view t) { return std::to_string(DetectJapaneseCode(t)); }, 0},
  };
  for (int code = 0; code <= 5; ++code)
    functions.push_back(
        {"DecodeToSjis", [code](std::string_view t) { return DecodeToSjis(t, code); }, 3});
  return functions;
}

void CheckAll(const std::string& input, const std::string& label) {
  for (const Function& f : Functions()) {
    const std::string out = f.run(input);
    ASSERT_LE(out.size(), f.growth * input.size() + 4) << f.name << " on " << label;
  }
}

TEST(BadInput, RandomBytes) {
  std::mt19937 random(20241210);
  // Bytes drawn from all values, and from the ones the decoders react to.
  const std::string special = "\x1B\x0E\x0F\x8E\x8F\xA4\xFE\xFF=?_$(@BIJ\r\n\t \xED\xD8\xDC";
  for (int round = 0; round < 400; ++round) {
    std::string text(random() % 300, '\0');
    for (char& c : text)
      c = round % 2 ? static_cast<char>(random()) : special[random() % special.size()];
    CheckAll(text, "random round " + std::to_string(round));
  }
}

TEST(BadInput, CutOffSequences) {
  const char* news = "速報：台風１０号が接近、ｶﾀｶﾅも。=?UTF-8?B?5pel5pys?= end";
  for (const char* encoding : {"CP932", "EUC-JP", "UTF-8", "UTF-16LE"}) {
    const std::string whole = test::Encode(encoding, news);
    for (size_t cut = 0; cut <= whole.size(); ++cut) CheckAll(whole.substr(0, cut), encoding);
  }
  const std::string iso = test::Encode("ISO-2022-JP", "速報：台風が接近") + "=?ISO-2022-JP?B?GyRCRnxLXBsoQg==?=";
  for (size_t cut = 0; cut <= iso.size(); ++cut) CheckAll(iso.substr(0, cut), "ISO-2022-JP");
}

TEST(BadInput, LoneEscapesAndOpeners) {
  for (const char* text : {"\x1B", "\x1B$", "\x1B(", "\x1B$B", "\x1B$B\x1B", "\x1B(I", "\x0E", "\x0F\x0E",
                           "\x8F", "\x8F\xA1", "\x8E", "=", "=?", "=?UTF-8", "=?UTF-8?", "=?UTF-8?B",
                           "=?UTF-8?B?", "=?UTF-8?B?=", "=?UTF-8?Q?=?=", "=?=?=?", "?=?="})
    CheckAll(text, text);
}

TEST(BadInput, MegabyteLines) {
  const size_t size = 1 << 20;
  for (const std::string& unit : {std::string("\x1B"), std::string("\x1B$B"), std::string("\x8F"),
                                  std::string("\xA4"), std::string("=?"), std::string("=?UTF-8?B?"),
                                  std::string("=?UTF-8?B?5pel?= "), std::string("\x1B(I\x0E"),
                                  std::string("\xEF\xBD\xB6\xDE"), std::string("\xB6\xE0")}) {
    std::string text;
    while (text.size() < size) text += unit;
    CheckAll(text, "a megabyte of " + unit);
  }
}

}  // namespace
}  // namespace lumetra
