#include "ticker/light_str.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/fonts_ui.h"
#include "ticker/led_cells.h"

namespace lumetra {

TLightStr::TLightStr(QWidget* parent) : QWidget(parent) {
  // The control paints every pixel itself from its strip.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  resize(300, 34);
  QFont f = font();
  f.setPixelSize(FShowFontH);
  setFont(f);
  Strip = QImage(width(), height(), QImage::Format_RGB32);
  Strip.fill(Qt::black);
  DotSource = QImage(1, 1, QImage::Format_RGB32);
  DotSource.fill(Qt::white);
}

TLightStr::~TLightStr() = default;

void TLightStr::SetShowStrings(std::vector<std::string> lines) {
  FShowStrings = std::move(lines);
  FShowCount = static_cast<uint32_t>(FShowStrings.size());
  FShowIndex = -1;
}

void TLightStr::SetShowIndex(int index) {
  if (index < 0 || index >= static_cast<int>(FShowStrings.size()) || index == FShowIndex) return;
  FShowIndex = index;
}

void TLightStr::SetShowFontH(int height) {
  if (height <= 0) return;
  if (IsLed() && height < kLedMinimumFontH) height = kLedMinimumFontH;
  if (height == FShowFontH) return;
  FShowFontH = height;
  QFont f = font();
  f.setPixelSize(height);
  setFont(f);
  ApplySizeRule();
  if (Length() < 1) resize(IsVertical() ? QSize(width(), 1) : QSize(1, this->height()));
  SizeStrip();
  if (!WeatherMode) BackgroundReady = false;
  FrameDrawn = false;
}

void TLightStr::SetFontName(const std::string& name) {
  FFontName = name;
  FUprightVertical = !name.empty() && name[0] == '@';
  QFont f = font();
  f.setFamily(platform::ResolveFontFamily(name));
  f.setPixelSize(FShowFontH);
  setFont(f);
}

QFont TLightStr::TextFont() const {
  QFont f = font();
  f.setPixelSize(std::max(1, FShowFontH));
  return f;
}

int TLightStr::SkinCut() const {
  if (SkinLayout < 2) return 0;
  return Length() - (std::abs(SkinRect.right - SkinRect.left) + 1);
}

QRect TLightStr::TextRect() const {
  const QRect control(0, 0, width(), height());
  if (SkinLayout < 2) return control;
  const int l = std::min(SkinRect.left, SkinRect.right), r = std::max(SkinRect.left, SkinRect.right);
  const int t = std::min(SkinRect.top, SkinRect.bottom), b = std::max(SkinRect.top, SkinRect.bottom);
  return QRect(QPoint(l, t), QPoint(r, b)).intersected(control);
}

int TLightStr::LineAt(int x) const {
  // The strip starts at the text rectangle's start, so a position on the
  // control is moved into strip coordinates first.
  if (SkinLayout >= 2) x -= IsVertical() ? SkinRect.top : SkinRect.left;
  return Lines.LineAt(x, FShowIndex, static_cast<int>(FShowStrings.size()));
}

void TLightStr::ApplySizeRule() {
  SizeRuleInput in;
  in.led = IsLed();
  in.skinLayout = SkinLayout;
  in.textTop = TextTop;
  in.textBottom = TextBottom;
  in.tag = Tag;
  in.frameWidth = FrameWidth;
  in.margin = IsVertical() ? MarginX : MarginY;
  in.fontH = FShowFontH;
  const int thickness = AcrossThickness(in);
  int length = std::max(1, Length());
  bool lengthCut = false;
  if (IsLed()) {
    const int cut = LedLength(length);
    lengthCut = cut != length;
    length = cut;
  }
  const QSize wanted = IsVertical() ? QSize(thickness, length) : QSize(length, thickness);
  if (size() != wanted) resize(wanted);
  if (lengthCut) {
    SizeStrip();
    if (!WeatherMode) BackgroundReady = false;
  }
}

void TLightStr::SizeStrip() {
  const QSize wanted(std::max(1, width()), std::max(1, height()));
  if (Strip.size() == wanted) return;
  QImage sized(wanted, QImage::Format_RGB32);
  sized.fill(ToQRgb(FBackColor));
  if (!Strip.isNull()) {
    QPainter p(&sized);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, Strip);
  }
  Strip = std::move(sized);
}

void TLightStr::FreeSkinBitmaps() {
  SkinBack = QImage();
  SkinFrame = QImage();
  SkinMask = QImage();
}

void TLightStr::LaySkinBack(const QImage& picture) {
  if (SkinBack.size() != size()) SkinBack = QImage(size(), QImage::Format_RGB32);
  SkinBack.fill(Qt::black);
  if (picture.isNull()) return;
  const QPoint offset = pos();
  QPainter p(&SkinBack);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  if (SkinLayout == 1) {
    // Stretched over the whole bar; this control shows its part of it.
    const int rw = std::max(1, ReferenceWidth), rh = std::max(1, ReferenceHeight);
    const QImage stretched = picture.scaled(rw, rh, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    p.drawImage(QPoint(0, 0), stretched, QRect(offset, size()));
    return;
  }
  // Tiled from the bar's origin, so the pattern stays put when the control moves.
  const int pw = picture.width(), ph = picture.height();
  const int x0 = -(((offset.x() % pw) + pw) % pw), y0 = -(((offset.y() % ph) + ph) % ph);
  for (int y = y0; y < height(); y += ph)
    for (int x = x0; x < width(); x += pw) p.drawImage(x, y, picture);
}

void TLightStr::PaintBackground(bool prepareOnly, QImage& target, int length, int start) {
  if (target.isNull() || length <= 0) return;
  const bool vertical = IsVertical();
  const int along = vertical ? target.height() : target.width();
  const int across = vertical ? target.width() : target.height();
  const int from = std::clamp(start, 0, along), to = std::clamp(start + length, 0, along);
  auto fillRegion = [&](QImage& image, QRgb colour) {
    for (int y = vertical ? from : 0; y < (vertical ? to : across); ++y) {
      QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      if (vertical)
        std::fill(line, line + image.width(), colour);
      else
        std::fill(line + from, line + to, colour);
    }
  };

  if (SkinInUse()) {
    fillRegion(target, qRgb(0, 0, 0));
    if (SkinMask.size() != Strip.size()) {
      QImage mask(Strip.size(), QImage::Format_RGB32);
      mask.fill(Qt::white);
      if (!SkinMask.isNull()) {
        QPainter p(&mask);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, SkinMask);
      }
      SkinMask = std::move(mask);
    }
    if (SkinMask.size() == target.size()) fillRegion(SkinMask, qRgb(255, 255, 255));
    if (SkinFrame.size() != size()) {
      SkinFrame = QImage(size(), QImage::Format_RGB32);
      SkinFrame.fill(Qt::black);
    }
    if (SkinBack.size() != size()) {
      SkinBack = QImage(size(), QImage::Format_RGB32);
      SkinBack.fill(Qt::black);
    }
    if (SkinRect.right == 0) SkinRect.right = width();
    if (SkinRect.bottom == 0) SkinRect.bottom = height();
    if (!WeatherMode) {
      // The text rectangle never runs longer than 240 pixels along the strip.
      int32_t& a = vertical ? SkinRect.top : SkinRect.left;
      int32_t& b = vertical ? SkinRect.bottom : SkinRect.right;
      if (b - a > 240) b = a + 240;
    }
    if (prepareOnly) return;
    LaySkinBack(DotSource);
    return;
  }

  FreeSkinBitmaps();
  BackgroundLines background;
  background.gradation = FGradationMode;
  background.metallic = FMetaric;
  background.metallicPercent = FMetaricPer;
  background.vertical = vertical;
  background.back = FBackColor;
  background.dark = FDarkColor;
  background.offset = vertical ? x() : y();
  background.reference = vertical ? ReferenceWidth : ReferenceHeight;
  background.lines = across;
  const std::vector<Colour> colours = BackgroundLineColours(background);
  if (vertical) {
    std::vector<QRgb> row(across);
    for (int i = 0; i < across; ++i) row[i] = ToQRgb(colours[i]);
    for (int y = from; y < to; ++y)
      std::memcpy(target.scanLine(y), row.data(), sizeof(QRgb) * std::min<size_t>(across, target.width()));
  } else {
    for (int y = 0; y < across; ++y) {
      QRgb* line = reinterpret_cast<QRgb*>(target.scanLine(y));
      std::fill(line + from, line + to, ToQRgb(colours[y]));
    }
  }
}

void TLightStr::DrawDarkColumn(int c) { lumetra::DrawDarkColumn(Strip, c, FShowFontH, IsVertical(), ToQRgb(FDarkColor)); }

void TLightStr::RelayoutImages() {
  BackgroundReady = true;
  FrameDrawn = false;
  ApplySizeRule();
  SizeStrip();
  Lines.Clear();
  ScrollOffset = -DecLen();
  if (!IsLed()) {
    if (!WeatherMode) PaintBackground(false, Strip, Length(), 0);
  } else {
    Strip.fill(ToQRgb(FBackColor));
    for (int c = 0; c <= Length() / 3 + 1; ++c) DrawDarkColumn(c);
  }
  if (!IsLed() && HasSkinBitmaps()) ComposeSkin(TextRect(), true);
  framePresented_ = false;
}

void TLightStr::Relayout() {
  RelayoutImages();
  update();
}

void TLightStr::StartShow() {
  StopPending = false;
  if (FShowActive) return;
  FShowActive = true;
  if (FShowStrings.empty()) {
    FShowActive = false;
    return;
  }
  if (OnShowActive) OnShowActive(this, true);
}

void TLightStr::StopShow() {
  FShowActive = false;
  if (OnShowActive) OnShowActive(this, false);
}

void TLightStr::RunOut() {
  const int thickness = Thickness();
  const int start = Length() - SkinCut();
  if (IsLed()) {
    // One empty cell line per dot of thickness, plus one.
    LineExtent = thickness / 3 + 1;
    DotSource = IsVertical() ? QImage(thickness / 3, LineExtent, QImage::Format_RGB32)
                             : QImage(LineExtent, thickness / 3, QImage::Format_RGB32);
    DotSource.fill(Qt::white);
  } else {
    LineExtent = thickness;
    // The part that scrolls in gets a background instead of repeating the
    // strip's last column.
    QImage& s = Strip;
    const QSize wanted = IsVertical() ? QSize(width(), start + LineExtent) : QSize(start + LineExtent, height());
    if (s.size() != wanted) {
      QImage sized(wanted, QImage::Format_RGB32);
      sized.fill(Qt::black);
      QPainter p(&sized);
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(0, 0, s);
      p.end();
      s = std::move(sized);
    }
    PaintBackground(HasSkinBitmaps(), Strip, LineExtent, start);
  }
  FShowIndex = -1;
  Lines.Clear();
  ScrollOffset = -DecLen();
  StopPending = true;
}

void TLightStr::ComposeSkin(const QRect& rect, bool whole) {
  if (!HasSkinBitmaps()) return;
  const QRect r = rect.intersected(QRect(QPoint(0, 0), SkinFrame.size()));
  if (whole) {
    std::memcpy(SkinFrame.bits(), SkinBack.constBits(), std::min(SkinFrame.sizeInBytes(), SkinBack.sizeInBytes()));
  }
  const int w = std::min({r.width(), SkinMask.width(), Strip.width(), SkinBack.width() - r.x()});
  const int h = std::min({r.height(), SkinMask.height(), Strip.height(), SkinBack.height() - r.y()});
  for (int y = 0; y < h; ++y) {
    QRgb* __restrict out = reinterpret_cast<QRgb*>(SkinFrame.scanLine(r.y() + y)) + r.x();
    const QRgb* __restrict back = reinterpret_cast<const QRgb*>(SkinBack.constScanLine(r.y() + y)) + r.x();
    const QRgb* __restrict mask = reinterpret_cast<const QRgb*>(SkinMask.constScanLine(y));
    const QRgb* __restrict text = reinterpret_cast<const QRgb*>(Strip.constScanLine(y));
    for (int x = 0; x < w; ++x) out[x] = (back[x] & mask[x]) | text[x];
  }
}

void TLightStr::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect();
  const QPoint origin(static_cast<int>(PaintOriginX), static_cast<int>(PaintOriginY));
  if (framePresented_ && HasSkinBitmaps() && BackgroundReady) {
    // The scroll step has just composed the frame.
    framePresented_ = false;
    painter.drawImage(area.topLeft(), SkinFrame, area);
    return;
  }
  framePresented_ = false;
  ApplySizeRule();
  if (!BackgroundReady) RelayoutImages();
  if (!IsLed() && HasSkinBitmaps()) {
    ComposeSkin(TextRect(), true);
    painter.drawImage(area.topLeft(), SkinFrame, area);
    return;
  }
  if (IsLed() && SkinInUse() && !SkinBack.isNull()) painter.drawImage(origin, SkinBack);
  const QRect shown = area.intersected(QRect(origin, Strip.size()));
  painter.drawImage(shown.topLeft(), Strip, shown.translated(-origin));
  // A control longer than its strip (between a resize and the next layout).
  const QRegion rest = QRegion(area) - QRegion(QRect(origin, Strip.size()));
  for (const QRect& r : rest) painter.fillRect(r, QColor::fromRgb(ToQRgb(FBackColor)));
}

void TLightStr::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) update();
  QWidget::changeEvent(event);
}

}  // namespace lumetra
