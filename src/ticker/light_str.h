#pragma once
// TLightStr: the control in which headlines scroll. It owns the pixel buffers
// of one scrolling strip, its geometry, the background (flat, gradient,
// metallic or skin picture), the LED board look, the table that maps strip
// positions back to headlines, and the active state. It does not time itself:
// the scroll step advances it and the line renderer draws each new headline
// into it. Both work directly on the shared state below, which is why that
// state is public.
#include <QFont>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ticker/line_table.h"
#include "ticker/ticker_colours.h"
#include "ticker/ticker_rules.h"

namespace lumetra {

class TLightStr;
using TLineNextEvent = std::function<void(TLightStr* sender, int line)>;
using TShowActiveEvent = std::function<void(TLightStr* sender, bool active)>;

// The text rectangle inside a skin picture (inclusive coordinates; right and
// bottom 0 mean "up to the picture's edge").
struct SkinRectangle {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class TLightStr : public QWidget {
 public:
  explicit TLightStr(QWidget* parent = nullptr);
  ~TLightStr() override;

  // --- Published properties ---------------------------------------------
  Colour LightColor() const { return FLightColor; }
  void SetLightColor(Colour c) { FLightColor = c; }
  Colour DarkColor() const { return FDarkColor; }
  void SetDarkColor(Colour c) { FDarkColor = c; }
  Colour BackColor() const { return FBackColor; }
  void SetBackColor(Colour c) { FBackColor = c; }

  const std::vector<std::string>& ShowStrings() const { return FShowStrings; }
  // Copies the lines (program text); the next line drawn is the first.
  void SetShowStrings(std::vector<std::string> lines);
  int ShowIndex() const { return FShowIndex; }
  // Ignores negative values, values past the list and the current value.
  void SetShowIndex(int index);
  uint32_t ShowCount() const { return FShowCount; }
  bool ShowActive() const { return FShowActive; }
  uint32_t ShowInterval() const { return FShowInterval; }
  void SetShowInterval(uint32_t interval) { FShowInterval = interval <= 1 ? 1 : interval; }
  int ShowFontH() const { return FShowFontH; }
  void SetShowFontH(int height);
  // Columns per scroll step: 1 when smooth, half the text height when coarse.
  int DecLen() const { return StepLength(FShowFontH, CoarseStep != 0); }
  bool ShowLoop() const { return FShowLoop; }
  void SetShowLoop(bool loop) {
    FShowLoop = loop;
    StopPending = false;
  }
  bool ClasicMode() const { return FClasicMode; }
  void SetClasicMode(bool on) { FClasicMode = on; }
  bool GradationMode() const { return FGradationMode; }
  void SetGradationMode(bool on) { FGradationMode = on; }
  bool Metaric() const { return FMetaric; }
  void SetMetaric(bool on) { FMetaric = on; }
  int MetaricPer() const { return FMetaricPer; }
  void SetMetaricPer(int percent) { FMetaricPer = percent; }

  TLineNextEvent OnLineNext;
  TShowActiveEvent OnShowActive;

  // The font family by its stored name (program text); a leading '@' asks
  // for vertical writing, in which full-width characters stand upright.
  void SetFontName(const std::string& name);
  const std::string& FontName() const { return FFontName; }
  bool UprightVertical() const { return FUprightVertical; }
  // The ticker's font at the text height.
  QFont TextFont() const;
  // The renderer steps through the lines without the setter's checks.
  void SetCurrentLine(int index) { FShowIndex = index; }

  // --- Operations ---------------------------------------------------------
  // Headline index at a position along the control (x, or y when vertical).
  int LineAt(int x) const;
  // Lays the background over target[start, start + length) along the strip.
  void PaintBackground(bool prepareOnly, QImage& target, int length, int start);
  // Rebuilds the strip from nothing and schedules a repaint.
  void Relayout();
  void StartShow();
  void StopShow();
  // After the last line without looping: the strip scrolls empty for one
  // thickness, then the next line request stops the show.
  void RunOut();
  void DrawDarkColumn(int c);
  void ApplySizeRule();

  // --- Helpers shared by the renderer and the scroll step -----------------
  bool IsLed() const { return !FClasicMode && !FGradationMode; }
  bool IsVertical() const { return Vertical != 0; }
  int Length() const { return IsVertical() ? height() : width(); }
  int Thickness() const { return IsVertical() ? width() : height(); }
  bool HasSkinBitmaps() const { return !SkinFrame.isNull(); }
  bool SkinInUse() const { return !SkinFile.empty() && !DotSource.isNull(); }
  // Columns of the control that the text does not use with a fixed-size skin.
  int SkinCut() const;
  // The text rectangle on the control (whole control below the fixed layouts).
  QRect TextRect() const;
  // SkinFrame := SkinBack, AND SkinMask, OR Strip over `rect` (the mask and
  // strip read from their origin). `whole` copies all of SkinBack first.
  void ComposeSkin(const QRect& rect, bool whole);
  // Lays SkinBack from a skin picture (tiled or stretched against the bar).
  void LaySkinBack(const QImage& picture);
  // Resizes Strip to the control, keeping its content.
  void SizeStrip();
  // The scroll step has composed SkinFrame; the next paint shows it as it is.
  void MarkFramePresented() { framePresented_ = true; }

  // --- Shared state ---------------------------------------------------------
  int32_t TextTop = 0;
  int32_t TextBottom = 0;
  QFont RotatedFont;
  uint32_t RotatedFontHeight = 0;
  bool BackgroundReady = false;
  bool FrameDrawn = false;
  bool StopPending = false;
  int32_t SkinLayout = 0;  // 0 tile, 1 stretch, 2 fix, 3 region, 4 transparent
  int32_t ScrollOffset = 0;
  int32_t CoarseStep = 0;
  LineTable Lines;
  int32_t LineExtent = 0;
  int32_t LedColumn = 0;
  int32_t Vertical = 0;
  int32_t FrameWidth = 0;
  int32_t MarginX = 0, MarginY = 0;
  int32_t ReferenceWidth = 1, ReferenceHeight = 1;
  std::string SkinFile;  // program text; empty when no skin
  SkinRectangle SkinRect;
  bool WeatherMode = false;
  uint32_t PaintOriginX = 0, PaintOriginY = 0;
  int Tag = 0;  // the control's general tag value (trims the size rule)

  QImage Strip;
  QImage SkinBack;
  QImage SkinFrame;
  QImage SkinMask;
  QImage DotSource;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void RelayoutImages();
  void FreeSkinBitmaps();

  Colour FLightColor = 0x00FF00;
  Colour FDarkColor = 0x808000;
  Colour FBackColor = 0x000000;
  std::vector<std::string> FShowStrings;
  int32_t FShowIndex = -1;
  uint32_t FShowCount = 0;
  uint32_t FShowInterval = 100;
  bool FShowLoop = true;
  bool FShowActive = false;
  bool FClasicMode = false;
  bool FGradationMode = false;
  bool FMetaric = false;
  int32_t FMetaricPer = 25;
  int32_t FShowFontH = 11;
  std::string FFontName;
  bool FUprightVertical = false;
  bool framePresented_ = false;
};

}  // namespace lumetra
