#include "ticker/bar_list.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <vector>

#include "app/settings.h"
#include "definitions/news_definition.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"
#include "ticker/news_monitor.h"

namespace lumetra {
namespace {

int g_current = 0;
THttpCheck* g_pageCheck = nullptr;
std::array<TNewsMonitor*, kBarCount> g_bars{};
bool g_slidOff = false;

std::function<std::pair<int, int>()>& Chooser() {
  static std::function<std::pair<int, int>()> chooser;
  return chooser;
}

// Steps every sliding bar together until all have arrived.
class SlideDriver : public QObject {
 public:
  SlideDriver() {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
  }
  bool Running() const { return timer_.isActive(); }
  void Start(bool outwards, std::vector<QPointer<TNewsMonitor>> bars) {
    outwards_ = outwards;
    bars_ = std::move(bars);
    if (bars_.empty()) {
      g_slidOff = outwards_;
      return;
    }
    timer_.start();
  }

 private:
  void Step() {
    bool all = true;
    for (const QPointer<TNewsMonitor>& bar : bars_)
      if (bar && !bar->SlideOneStep()) all = false;
    if (!all) return;
    timer_.stop();
    for (const QPointer<TNewsMonitor>& bar : bars_)
      if (bar) bar->FinishSlide();
    bars_.clear();
    g_slidOff = outwards_;
  }

  QTimer timer_;
  bool outwards_ = true;
  std::vector<QPointer<TNewsMonitor>> bars_;
};

SlideDriver& Driver() {
  static SlideDriver* driver = new SlideDriver;  // lives with the process
  return *driver;
}

class BarsPort final : public NewsPort {
 public:
  bool Available() const override { return true; }
  bool PageCheckExists() const override { return g_pageCheck != nullptr; }
  bool Bar0FetchTimerEnabled() const override {
    return g_pageCheck && (g_pageCheck->Busy() || g_pageCheck->Patrol().RoundRunning());
  }
  std::optional<std::string> SingleCheckDefinition() const override {
    THttpCheck* c = g_pageCheck;
    if (!c || !c->Busy() || (c->StepMode() != kFetchOwn && c->StepMode() != kFetchSecondary)) return std::nullopt;
    const int index = c->StepIndex();
    if (index < 0 || index >= NewsList().Count) return std::nullopt;
    return FieldText(NewsList().Item(index).Title);
  }
  platform::WindowHandle Bar(int number) const override {
    TNewsMonitor* bar = NewsMonitorOf(number);
    return bar ? bar->Handle() : 0;
  }
  void OpenBar(int number) override {
    if (number < 0 || number >= kBarCount) return;
    if (TNewsMonitor* bar = NewsMonitorOf(number)) {
      if (bar->SlidHidden() || bar->Sliding()) return;
      bar->show();
      bar->WindowZorderSet();
      bar->raise();
      return;
    }
    CreateNewsMonitor(number);
  }
  void ReapplyColourSet(int number) override {
    if (TNewsMonitor* bar = NewsMonitorOf(number)) bar->ReapplyColourSet();
  }
  void ToggleBarsOffScreen() override { lumetra::ToggleBarsOffScreen(); }
  void SetBarsEnabled(bool enabled) override {
    for (int i = 0; i < kBarCount; ++i)
      if (TNewsMonitor* bar = NewsMonitorOf(i)) bar->setEnabled(enabled);
  }
  void StartBar0BrowserPause() override {
    if (TNewsMonitor* bar = NewsMonitorOf(0)) bar->StartBrowserPause();
  }
  platform::WindowHandle CompanionViewerWindow() const override {
    for (int i = 0; i < kBarCount; ++i)
      if (TNewsMonitor* bar = NewsMonitorOf(i)) return bar->ViewerWindow();
    return 0;
  }
};

}  // namespace

int CurrentBarNumber() { return g_current; }
void SetCurrentBarNumber(int number) { g_current = number; }

TNewsMonitor* NewsMonitorOf(int number) {
  if (number < 0 || number >= kBarCount) return nullptr;
  return g_bars[static_cast<size_t>(number)];
}

bool BarWindowExists(int number) {
  TNewsMonitor* bar = NewsMonitorOf(number);
  return bar && bar->ShownOnce();
}

BarsView CurrentBarsView() {
  BarsView view;
  for (int i = 0; i < kBarCount; ++i) {
    view.exists[static_cast<size_t>(i)] = BarWindowExists(i);
    if (TNewsMonitor* bar = NewsMonitorOf(i)) view.shows[static_cast<size_t>(i)] = bar->DefinitionIndex();
  }
  return view;
}

void RegisterNewsMonitor(int number, TNewsMonitor* window) {
  if (number >= 0 && number < kBarCount) g_bars[static_cast<size_t>(number)] = window;
}

namespace {
std::function<void(TNewsMonitor&)>& CreatedHandler() {
  static std::function<void(TNewsMonitor&)> handler;
  return handler;
}
}  // namespace

std::function<void(TNewsMonitor&)> SetBarCreatedHandler(std::function<void(TNewsMonitor&)> handler) {
  std::function<void(TNewsMonitor&)> previous = std::move(CreatedHandler());
  CreatedHandler() = std::move(handler);
  return previous;
}

TNewsMonitor* CreateNewsMonitor(int number) {
  if (number < 0 || number >= kBarCount) return nullptr;
  if (TNewsMonitor* bar = NewsMonitorOf(number)) return bar;
  SetCurrentBarNumber(number);
  auto* bar = new TNewsMonitor;
  if (bar->Closed()) return nullptr;
  if (CreatedHandler()) CreatedHandler()(*bar);
  return bar;
}

void CloseAllBars() {
  for (int i = 0; i < kBarCount; ++i)
    if (TNewsMonitor* bar = NewsMonitorOf(i)) {
      SetCurrentBarNumber(i);
      bar->FormClose();
    }
}

void SetSlideChooser(std::function<std::pair<int, int>()> chooser) { Chooser() = std::move(chooser); }

bool BarsSlidOff() { return g_slidOff; }
bool SlideRunning() { return Driver().Running(); }

void ToggleBarsOffScreen() {
  if (Driver().Running()) return;
  const bool outwards = !g_slidOff;
  QScreen* primary = QGuiApplication::primaryScreen();
  const QRect desktop = primary ? primary->virtualGeometry() : QRect(0, 0, 1024, 768);
  std::vector<QPointer<TNewsMonitor>> moving;
  for (int i = 0; i < kBarCount; ++i) {
    TNewsMonitor* bar = NewsMonitorOf(i);
    if (!bar) continue;
    if (outwards) {
      if (!bar->isVisible() || bar->AutoHideOn()) continue;
      const auto [vertical, horizontal] = Chooser() ? Chooser()() : std::pair{std::rand() % 3, std::rand() % 2};
      bar->BeginSlide(true, SlideTarget(bar->geometry(), desktop, vertical, horizontal));
    } else {
      if (!bar->SlidHidden()) continue;
      bar->BeginSlide(false, {});
    }
    moving.emplace_back(bar);
  }
  Driver().Start(outwards, std::move(moving));
}

namespace {
std::function<void(int, const std::vector<std::string>&)>& DropHandler() {
  static std::function<void(int, const std::vector<std::string>&)> handler;
  return handler;
}
}  // namespace

void SetPageCheck(THttpCheck* check) { g_pageCheck = check; }
THttpCheck* PageCheck() { return g_pageCheck; }

void SetDroppedFilesHandler(std::function<void(int bar, const std::vector<std::string>& paths)> handler) {
  DropHandler() = std::move(handler);
}

void DropFiles(int bar, const std::vector<std::string>& paths) {
  if (DropHandler()) DropHandler()(bar, paths);
}

std::unique_ptr<NewsPort> MakeBarsNewsPort() { return std::make_unique<BarsPort>(); }

}  // namespace lumetra
