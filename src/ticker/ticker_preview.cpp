#include "ticker/ticker_preview.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>

#include "platform/fixed_text.h"
#include "platform/sjis_text.h"
#include "ticker/colour_set_apply.h"
#include "ticker/light_str.h"
#include "ticker/line_renderer.h"
#include "ticker/scroll_thread.h"
#include "ticker/ticker_bar.h"

namespace lumetra {

int FontHeightForThickness(int T, bool led, int inset, int frame, bool textOffsetsOrFixedSkin) {
  if (textOffsetsOrFixedSkin) return T - frame - 2 * inset;
  if (led) return static_cast<int>(std::lround((T - 2 * 3 * frame - 2 * inset) / 3.0));
  return T - 2 * frame - 2 * inset;
}

TickerPreview::TickerPreview(int barNumber, QWidget* parent)
    : QWidget(parent), bar_(std::make_unique<TickerBar>(barNumber)) {
  ticker_ = new TLightStr(this);
  ticker_->SetFontName(bar_->Slot().FontName.empty() ? SJ("ＭＳ ゴシック") : bar_->Slot().FontName);
  bar_->Ticker = ticker_;
  bar_->Edge = kEdgeFloat;
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setAutoFillBackground(true);
}

TickerPreview::~TickerPreview() {
  Stop();
  EndScrollThread(*bar_, 5000);
  bar_->Ticker = nullptr;
}

void TickerPreview::SetColourSet(const ColourSet& set) { set_ = set; }

void TickerPreview::SetHeadlines(std::vector<std::string> lines) { ticker_->SetShowStrings(std::move(lines)); }

void TickerPreview::SetWeatherMode(bool on) { ticker_->WeatherMode = on; }

void TickerPreview::SetVertical(bool vertical) {
  vertical_ = vertical;
  bar_->Edge = vertical ? kEdgeLeft : kEdgeFloat;
  ticker_->SetFontName(vertical ? SJ("@ＭＳ ゴシック") : SJ("ＭＳ ゴシック"));
}

void TickerPreview::SetBarSize(int length, int thickness) {
  length_ = length;
  thickness_ = thickness;
}

void TickerPreview::LayOut() {
  if (layingOut_) return;
  layingOut_ = true;
  TickerBar& bar = *bar_;
  bar.LayoutInProgress = true;
  ApplyColourSet(bar, set_);
  ApplyTickerColours(bar, set_);
  ApplySpeed(bar);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor::fromRgb(ToQRgb(set_.BackLit)));
  setPalette(pal);

  const bool skin = bar.Style == 3;
  const bool fixed = skin && set_.SkinLayout >= kLayoutFix;
  int length = length_, thickness = thickness_;
  if (fixed) {
    length = vertical_ ? bar.SkinPicture.height() : bar.SkinPicture.width();
    thickness = vertical_ ? bar.SkinPicture.width() : bar.SkinPicture.height();
  }
  const int inset = bar.TickerInset;
  const int fontH = FontHeightForThickness(thickness, ticker_->IsLed(), inset, bar.TickerFrame,
                                           fixed || set_.TextTop + set_.TextBottom != 0);
  const QSize barSize = vertical_ ? QSize(thickness, length) : QSize(length, thickness);
  resize(barSize);
  ticker_->setGeometry(inset, inset, barSize.width() - 2 * inset, barSize.height() - 2 * inset);
  ticker_->ReferenceWidth = barSize.width();
  ticker_->ReferenceHeight = barSize.height();
  ticker_->SetShowFontH(fontH);
  ticker_->ApplySizeRule();
  // The LED board needs whole cells: the bar grows to hold its ticker.
  const int needed = ticker_->Thickness() + 2 * inset;
  if (needed > thickness) {
    resize(vertical_ ? QSize(needed, length) : QSize(length, needed));
    ticker_->ReferenceWidth = width();
    ticker_->ReferenceHeight = height();
  }
  ticker_->Relayout();
  bar.LayoutInProgress = false;
  layingOut_ = false;
}

void TickerPreview::Start() {
  LayOut();
  ticker_->StartShow();
  StartScrollThread(*bar_);
  if (bar_->Thread) bar_->Thread->Running = ticker_->ShowActive() ? 1 : 0;
}

void TickerPreview::Stop() {
  if (bar_->Thread) bar_->Thread->Running = 0;
  ticker_->StopShow();
}

void TickerPreview::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!layingOut_ && event->size() != event->oldSize() && ticker_->BackgroundReady) {
    const bool vertical = vertical_;
    length_ = vertical ? event->size().height() : event->size().width();
    LayOut();
  }
}

namespace {

// A glossy blue tile: the skin look's picture.
QImage SampleSkin() {
  QImage tile(48, 21, QImage::Format_RGB32);
  QPainter p(&tile);
  QLinearGradient g(0, 0, 0, 21);
  g.setColorAt(0.0, QColor(120, 170, 235));
  g.setColorAt(0.45, QColor(40, 90, 180));
  g.setColorAt(0.55, QColor(20, 60, 150));
  g.setColorAt(1.0, QColor(60, 120, 210));
  p.fillRect(tile.rect(), g);
  p.setPen(QColor(255, 255, 255, 40));
  for (int x = 0; x < 48; x += 6) p.drawLine(x, 0, x + 10, 21);
  return tile;
}

}  // namespace

ColourSet PreviewColourSet(PreviewLook look, const std::string& skinFolder) {
  TIPlist6 presets;
  presets.BuildPresetColourSets();
  switch (look) {
    case PreviewLook::Led:
      return presets[6];  // "オレンジな感じ"
    case PreviewLook::Simple:
      return presets[5];  // "Tarvoポップアップ標準色"
    case PreviewLook::Gradation:
      return presets[13];  // "ＶＡＩＯな感じ"
    case PreviewLook::Metallic:
      return presets[14];  // "メタリックな感じ"
    case PreviewLook::Skin: {
      ColourSet set = presets[0];
      set.Style = 3;
      set.Metallic = 0;
      set.Effect = 3;
      set.NewsColour1 = Join({255, 250, 225});
      set.NewsColour2 = Join({255, 255, 255});
      set.SkinLayout = 0;
      const std::string path = skinFolder + "/lumetra-preview-skin.bmp";
      QDir().mkpath(QString::fromStdString(skinFolder));
      SampleSkin().save(QString::fromStdString(path), "BMP");
      platform::SetFieldText(set.SkinFile, platform::Utf8ToSjis(path));
      platform::SetFieldText(set.Name, SJ("プレビュー用スキン"));
      return set;
    }
  }
  return presets[0];
}

std::vector<std::string> SampleHeadlines() {
  const char* texts[] = {
      " Lumetra ニュース ",
      "★首都圏で今季一番の冷え込み、都心でも初霜を観測　 ",
      "★新幹線の新型車両が試験走行で時速３６０キロを達成　 ",
      "★プロ野球日本シリーズ第７戦は延長の末にサヨナラ勝ち　 ",
      "★国産の大規模言語モデルを公開、翻訳の精度が大きく向上　 ",
      "★今夜はふたご座流星群が見頃　東の空に１時間３０個も　 ",
  };
  std::vector<std::string> lines;
  for (const char* t : texts) lines.push_back(SJ(t));
  return lines;
}

}  // namespace lumetra
