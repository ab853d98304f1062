#include "ticker_test_support.h"

#include <gtest/gtest.h>

#include "platform/sjis_text.h"
#include "ticker/line_renderer.h"
#include "ticker/scroll_thread.h"

namespace lumetra::test {
namespace {

// The shared test main makes no application object; widget tests need one.
class ApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "ticker_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

TickerFixture::TickerFixture(int barNumber) {
  host = std::make_unique<QWidget>();
  host->resize(600, 40);
  bar = std::make_unique<TickerBar>(barNumber);
  ticker = new TLightStr(host.get());
  ticker->move(0, 0);
  ticker->resize(300, 21);
  ticker->ReferenceWidth = 300;
  ticker->ReferenceHeight = 21;
  ticker->SetFontName(SJ("ＭＳ ゴシック"));
  bar->Ticker = ticker;
}

TickerFixture::~TickerFixture() {
  bar->Ticker = nullptr;
  host.reset();
}

void TickerFixture::SetLook(int style, bool metallic, int metallicPercent) {
  bar->Style = style;
  ticker->SetClasicMode(style == 1);
  ticker->SetGradationMode(style > 1);
  ticker->SetMetaric(metallic);
  ticker->SetMetaricPer(metallicPercent);
  ticker->FrameWidth = style >= 2 ? 2 : 1;
  if (style != 3) ticker->SkinFile.clear();
  ticker->Relayout();
}

void TickerFixture::SetSkin(const QImage& picture, int layout) {
  bar->Style = 3;
  ticker->SetClasicMode(false);
  ticker->SetGradationMode(true);
  ticker->SkinFile = "skin.bmp";
  ticker->SkinLayout = layout;
  if (layout < 2) ticker->FrameWidth = 2;
  ticker->DotSource = picture.convertToFormat(QImage::Format_RGB32);
  bar->SkinPicture = ticker->DotSource;
  ticker->Relayout();
}

void TickerFixture::SetLines(const std::vector<std::string>& utf8Lines) {
  std::vector<std::string> lines;
  for (const std::string& l : utf8Lines) lines.push_back(SJ(l));
  ticker->SetShowStrings(std::move(lines));
}

int TickerFixture::StepUntil(const std::function<bool()>& predicate, int limit) {
  for (int i = 0; i < limit; ++i) {
    if (predicate()) return i;
    ScrollStep(*bar, *ticker);
  }
  return limit;
}

void TickerFixture::Steps(int n) {
  for (int i = 0; i < n; ++i) ScrollStep(*bar, *ticker);
}

QRgb Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

QRgb Px(Colour c) { return ToQRgb(c) | 0xFF000000u; }

}  // namespace lumetra::test
