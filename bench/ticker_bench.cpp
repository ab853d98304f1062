// Cost of one scroll step of a 1920-pixel bar with the default text height,
// per look; with and without the paint that puts it on screen, and the cost
// of drawing one headline into the strip.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWindow>
#include <QDir>
#include <cstdlib>

#include "ticker/light_str.h"
#include "ticker/line_renderer.h"
#include "ticker/scroll_thread.h"
#include "ticker/ticker_bar.h"
#include "ticker/ticker_preview.h"

using namespace lumetra;

namespace {

const char* kLookNames[] = {"led", "simple", "gradation", "metallic", "skin"};

// A default-sized bar (21 pixels thick, the LED look as thick as its cells
// need) that is 1920 pixels long, laid out and started without its thread.
std::unique_ptr<TickerPreview> MakeBar(int look) {
  auto bar = std::make_unique<TickerPreview>(0);
  bar->SetColourSet(PreviewColourSet(static_cast<PreviewLook>(look), QDir::tempPath().toStdString() + "/lumetra-bench"));
  bar->SetHeadlines(SampleHeadlines());
  bar->SetBarSize(1920, 21);
  bar->LayOut();
  bar->Ticker()->StartShow();
  return bar;
}

void BM_ScrollStep(benchmark::State& state) {
  auto bar = MakeBar(static_cast<int>(state.range(0)));
  for (auto _ : state) ScrollStep(bar->Bar(), *bar->Ticker());
  state.SetLabel(std::string(kLookNames[state.range(0)]) + " font " + std::to_string(bar->Ticker()->ShowFontH()));
}
BENCHMARK(BM_ScrollStep)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

// The step and its repaint into the (offscreen) window.
void BM_ScrollStepAndPaint(benchmark::State& state) {
  auto bar = MakeBar(static_cast<int>(state.range(0)));
  bar->show();
  // Until the window is exposed, repaints are only queued.
  for (int i = 0; i < 20 && !bar->windowHandle()->isExposed(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  for (auto _ : state) {
    ScrollStep(bar->Bar(), *bar->Ticker());
    bar->Ticker()->repaint();
  }
  state.SetLabel(kLookNames[state.range(0)]);
}
BENCHMARK(BM_ScrollStepAndPaint)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

// Drawing one headline into the strip (once per headline, not per step).
void BM_RenderNextLine(benchmark::State& state) {
  auto bar = MakeBar(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    RenderNextLine(bar->Bar(), *bar->Ticker());
    // Keep the strip from growing: the scroll step would have moved it on.
    bar->Ticker()->Lines.Clear();
  }
  state.SetLabel(kLookNames[state.range(0)]);
}
BENCHMARK(BM_RenderNextLine)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
