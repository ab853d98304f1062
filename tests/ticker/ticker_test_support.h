#pragma once
// Widget tests of the ticker: one QApplication for the whole test program
// (offscreen), tickers set up in each look, and pixel helpers.
#include <QApplication>
#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "ticker/light_str.h"
#include "ticker/ticker_bar.h"

namespace lumetra::test {

// A bar with its ticker, laid out like a floating one-line bar.
struct TickerFixture {
  explicit TickerFixture(int barNumber = 0);
  ~TickerFixture();

  // Sets the look flags the way the colour set would (0 LED, 1 simple,
  // 2 gradation, 3 skin with `skin` as its picture) and rebuilds the strip.
  void SetLook(int style, bool metallic = false, int metallicPercent = 25);
  void SetSkin(const QImage& picture, int layout);
  void SetLines(const std::vector<std::string>& utf8Lines);
  // Steps until `predicate` holds or `limit` steps have been taken.
  int StepUntil(const std::function<bool()>& predicate, int limit);
  void Steps(int n);

  std::unique_ptr<QWidget> host;
  std::unique_ptr<TickerBar> bar;
  TLightStr* ticker = nullptr;
};

QRgb Pixel(const QImage& image, int x, int y);
// The colour as a strip pixel.
QRgb Px(Colour c);

}  // namespace lumetra::test
