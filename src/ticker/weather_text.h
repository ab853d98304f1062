#pragma once
// Weather-forecast headlines in the scrolling view: the words that become
// symbols make room for them, and the symbols are found in the unchanged text.
#include <QString>
#include <string>
#include <vector>

namespace lumetra {

// Pictures of the weather icon strip, in strip order.
enum WeatherSymbol {
  kSymbolFine = 0,      // 晴
  kSymbolCloudy = 1,    // 曇
  kSymbolRain = 2,      // 雨
  kSymbolSnow = 3,      // 雪
  kSymbolHigh = 4,      // 高 (high pressure)
  kSymbolLow = 5,       // 低
  kSymbolFalling = 6,   // 降
  kSymbolAtTimes = 7,   // ： (一時)
  kSymbolOnAndOff = 8,  // ｜ (時々)
  kSymbolLater = 9,     // → (後)
  kSymbolOr = 10,       // か
  kSymbolStopping = 11, // ↓ (止む)
  kWeatherSymbolCount = 12
};

// The text drawn for a weather headline (program text in, program text out):
// the first 晴, 曇, 雨, 雪 and か leave a full-width and a half-width space,
// the first 暴 and 風 go, and the marks ：｜→↓ leave a gap the first time and
// read as words (一時, 時々, 後, 止む) afterwards.
std::string RewriteWeatherHeadline(const std::string& text);

// The symbol that the character at `i` stands for, or -1. 高, 低 and 降 count
// only between two spaces.
int WeatherSymbolAt(const QString& text, int i);

struct SymbolPlace {
  int charIndex;
  int symbol;
};
// Symbols of the unchanged text in reading order; with `firstOnly` each
// symbol at most once (the scrolling view), otherwise every occurrence.
std::vector<SymbolPlace> WeatherSymbolsIn(const QString& text, bool firstOnly);

}  // namespace lumetra
