#pragma once
// A stand-alone bar for one ticker: shows a colour set with given headlines,
// scrolling on its own thread. Used by the preview program, the benchmarks
// and tests, and meant for the colour-set editor's sample. It lays itself out
// like a floating one-line bar.
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "definitions/colour_sets.h"

namespace lumetra {

class TLightStr;
struct TickerBar;

class TickerPreview : public QWidget {
 public:
  // Bars 0-5 use that bar's settings slot; the scroll thread needs one of them.
  explicit TickerPreview(int barNumber, QWidget* parent = nullptr);
  ~TickerPreview() override;

  void SetColourSet(const ColourSet& set);
  // Program text, one headline per line.
  void SetHeadlines(std::vector<std::string> lines);
  void SetWeatherMode(bool on);
  // Side-docked bars run their text downwards.
  void SetVertical(bool vertical);
  // Outer size: `length` along the strip, `thickness` across it (the LED
  // look and fixed-size skins may make the bar thicker or take their picture's size).
  void SetBarSize(int length, int thickness);

  // Lays out, draws the first line and lets the scroll thread run.
  void Start();
  void Stop();
  void LayOut();

  TickerBar& Bar() { return *bar_; }
  TLightStr* Ticker() { return ticker_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  ColourSet set_{};
  std::unique_ptr<TickerBar> bar_;
  TLightStr* ticker_;
  bool vertical_ = false;
  int length_ = 640;
  int thickness_ = 21;
  bool layingOut_ = false;
};

// The text height a one-line bar of client thickness T gives its ticker.
int FontHeightForThickness(int T, bool led, int inset, int frame, bool textOffsetsOrFixedSkin);

// Sample sets for each look, built from the preset list (the skin look uses a
// picture written to `skinFolder`).
enum class PreviewLook { Led, Simple, Gradation, Metallic, Skin };
ColourSet PreviewColourSet(PreviewLook look, const std::string& skinFolder);
// A handful of Japanese headlines in the form the bar's lines take.
std::vector<std::string> SampleHeadlines();

}  // namespace lumetra
