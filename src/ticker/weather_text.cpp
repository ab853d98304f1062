#include "ticker/weather_text.h"

#include <array>

#include "platform/sjis_text.h"

namespace lumetra {
namespace {

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

std::string RewriteWeatherHeadline(const std::string& text) {
  struct Rule {
    std::string from;
    std::string first;  // the first occurrence becomes this
    std::string later;  // every further one this (the character itself when `keepLater`)
    bool keepLater;
  };
  const std::string gap = SJ("　 ");
  const std::array<Rule, 11> rules = {{
      {SJ("晴"), gap, {}, true},
      {SJ("曇"), gap, {}, true},
      {SJ("雨"), gap, {}, true},
      {SJ("雪"), gap, {}, true},
      {SJ("か"), gap, {}, true},
      {SJ("暴"), "", {}, true},
      {SJ("風"), "", {}, true},
      {SJ("："), " ", SJ("一時"), false},
      {SJ("｜"), " ", SJ("時々"), false},
      {SJ("→"), SJ("　　"), SJ("後"), false},
      {SJ("↓"), " ", SJ("止む"), false},
  }};
  std::array<bool, rules.size()> seen{};
  std::string out;
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size();) {
    const size_t len = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    const std::string_view ch(text.data() + i, len);
    bool replaced = false;
    for (size_t r = 0; r < rules.size(); ++r) {
      if (ch != rules[r].from) continue;
      if (!seen[r]) {
        out += rules[r].first;
        seen[r] = true;
      } else {
        out += rules[r].keepLater ? std::string(ch) : rules[r].later;
      }
      replaced = true;
      break;
    }
    if (!replaced) out.append(ch);
    i += len;
  }
  return out;
}

int WeatherSymbolAt(const QString& text, int i) {
  static const QString kSymbols = QStringLiteral(u"晴曇雨雪高低降：｜→か↓");
  if (i < 0 || i >= text.size()) return -1;
  const int symbol = kSymbols.indexOf(text[i]);
  if (symbol >= kSymbolHigh && symbol <= kSymbolFalling) {
    const bool spaced = i > 0 && i + 1 < text.size() && text[i - 1] == u' ' && text[i + 1] == u' ';
    if (!spaced) return -1;
  }
  return symbol;
}

std::vector<SymbolPlace> WeatherSymbolsIn(const QString& text, bool firstOnly) {
  std::vector<SymbolPlace> places;
  std::array<bool, kWeatherSymbolCount> drawn{};
  for (int i = 0; i < text.size(); ++i) {
    const int symbol = WeatherSymbolAt(text, i);
    if (symbol < 0) continue;
    if (firstOnly && drawn[symbol]) continue;
    drawn[symbol] = true;
    places.push_back({i, symbol});
  }
  return places;
}

}  // namespace lumetra
