#include "ticker/colour_set_apply.h"

#include <QImage>
#include <QImageReader>
#include <cstdlib>

#include "platform/fixed_text.h"
#include "platform/sjis_text.h"
#include "ticker/light_str.h"
#include "ticker/ticker_bar.h"

namespace lumetra {
namespace {

QImage LoadPicture(const std::string& utf8Path) {
  QImageReader reader(QString::fromStdString(utf8Path));
  QImage image = reader.read();
  if (image.isNull()) return {};
  return image.convertToFormat(QImage::Format_RGB32);
}

// A horizontal skin also serves a side-docked bar: pixel (i, j) becomes (j, i).
QImage Transposed(const QImage& image) { return image.transformed(QTransform(0, 1, 1, 0, 0, 0)); }

}  // namespace

TickerFrameSizes FrameSizesFor(const ColourSet& set, bool skin, int pictureAcross, bool outline, bool glass) {
  TickerFrameSizes s;
  const bool gradation = set.Style > 1 || skin;
  const bool fixed = skin && set.SkinLayout >= kLayoutFix;
  if (glass) return s;
  if (fixed) {
    s.inset = 0;
    s.frame = pictureAcross - (std::abs(set.SkinBottom - set.SkinTop) + 1);
    return s;
  }
  s.inset = gradation ? (outline ? 1 : 0) : (outline ? 2 : 1);
  s.frame = gradation ? 2 : 1;
  const int offsets = set.TextTop + set.TextBottom;
  if (offsets != 0) s.frame = offsets;
  return s;
}

void ApplyColourSet(TickerBar& bar, ColourSet& set) {
  if (!bar.Ticker) return;
  TLightStr& t = *bar.Ticker;
  const bool vertical = bar.Edge == kEdgeLeft || bar.Edge == kEdgeRight;

  // 1. The skin picture, frame 1 of an animation when the path names a frame.
  int style = set.Style;
  bar.SkinPicture = QImage();
  bar.Frames.clear();
  bar.FrameIndex = 0;
  if (style == 3) {
    std::string path = platform::SjisToUtf8(platform::FieldText(set.SkinFile));
    std::vector<SkinFrame> frames;
    if (ParseSkinFrameName(path.substr(path.find_last_of('/') + 1))) {
      const std::string first = SkinFrameOf(path, 1);
      if (!first.empty()) path = first;
      if (LoadSkinFrames(path, frames) && frames.size() > 1) {
        for (const SkinFrame& f : frames) {
          QImage picture = LoadPicture(f.path);
          if (picture.isNull()) {
            bar.Frames.clear();
            break;
          }
          bar.Frames.push_back({vertical ? Transposed(picture) : picture, f.delay});
        }
        bar.FrameChangedAt = TickerClockMs();
      }
    }
    bar.SkinPicture = LoadPicture(path);
    if (bar.SkinPicture.isNull()) {
      style = 1;
      bar.Frames.clear();
    } else {
      t.SkinFile = platform::Utf8ToSjis(path);
      t.SetGradationMode(true);
      if (vertical) bar.SkinPicture = Transposed(bar.SkinPicture);
      t.DotSource = bar.SkinPicture;
    }
  }
  if (style != 3) t.SkinFile.clear();
  const bool skin = style == 3;

  // 2. The text rectangle; an unset right or bottom is the picture's edge.
  if (skin) {
    if (set.SkinRight == 0) set.SkinRight = static_cast<int16_t>(bar.SkinPicture.width());
    if (set.SkinBottom == 0) set.SkinBottom = static_cast<int16_t>(bar.SkinPicture.height());
  }
  t.SkinRect = {set.SkinLeft, set.SkinTop, set.SkinRight, set.SkinBottom};

  // 3. Layout and text offsets. A set that shows no skin has no text rectangle.
  t.SkinLayout = skin ? set.SkinLayout : 0;
  t.TextTop = set.TextTop;
  t.TextBottom = set.TextBottom;

  // 4. Inset and frame width.
  const int across = skin ? (vertical ? bar.SkinPicture.width() : bar.SkinPicture.height()) : 0;
  const TickerFrameSizes sizes = FrameSizesFor(set, skin, across, bar.Slot().Outline, bar.Glass);
  bar.TickerInset = sizes.inset;
  bar.TickerFrame = sizes.frame;
  t.FrameWidth = sizes.frame;

  // 5. The look flags; style 0 leaves both clear: the LED board.
  t.SetClasicMode(style == 1);
  t.SetGradationMode(style > 1);
  t.SetMetaric(style == 2 && set.Metallic != 0);
  t.SetMetaricPer(set.MetallicPercent);
  t.Vertical = vertical ? 1 : 0;
  t.CoarseStep = bar.Slot().CoarseScroll;

  bar.Style = style;
  bar.Effect = set.Effect;
  bar.NewsColour1 = set.NewsColour1;
  bar.NewsColour2 = set.NewsColour2;
  t.BackgroundReady = false;
}

void ApplyColourSet(TickerBar& bar) {
  TIPlist6& list = ColourList();
  const int index = bar.Slot().ColourSet;
  if (index < 0 || index >= list.Count) return;
  ApplyColourSet(bar, list[index]);
}

void ApplyTickerColours(TickerBar& bar, const ColourSet& set) {
  if (!bar.Ticker) return;
  TLightStr& t = *bar.Ticker;
  t.SetLightColor(set.NewsColour1);
  t.SetBackColor(set.BackLit);
  if (bar.Glass)
    t.SetDarkColor(0);
  else if (bar.Slot().Alpha <= 10 && set.SkinLayout != kLayoutTransparent)
    t.SetDarkColor(set.BackLit);  // a colour-keyed bar keeps only its text
  else
    t.SetDarkColor(set.BackUnlit);
}

}  // namespace lumetra
