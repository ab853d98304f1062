#include "ticker/news_monitor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDate>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "app/app_state.h"
#include "app/hotkey_table.h"
#include "app/main_window_calls.h"
#include "app/messages.h"
#include "app/settings.h"
#include "definitions/colour_sets.h"
#include "definitions/news_definition.h"
#include "platform/app_bar_ui.h"
#include "platform/file_io.h"
#include "platform/runtime_folder.h"
#include "platform/sjis_text.h"
#include "platform/user_prompt.h"
#include "extraction/parse_definition.h"
#include "retrieval/headline_store.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"
#include "ticker/bar_definitions.h"
#include "ticker/bar_list.h"
#include "ticker/colour_set_apply.h"
#include "ticker/light_str.h"
#include "ticker/line_renderer.h"
#include "ticker/scroll_thread.h"
#include "ticker/ticker_bar.h"

namespace lumetra {

using platform::LParam;
using platform::LResult;
using platform::WParam;

namespace {

struct Flag {
  explicit Flag(bool& f) : f_(f), was_(f) { f_ = true; }
  ~Flag() { f_ = was_; }
  bool& f_;
  bool was_;
};

bool Vertical(int edge) { return edge == kEdgeLeft || edge == kEdgeRight; }

constexpr int kAutoHideFrames = 6;
constexpr int kAutoHideFrameMs = 15;
constexpr int kAutoHideLingerMs = 600;

QString ComponentName(int number) {
  return number == 0 ? QStringLiteral("NewsMonitor") : QStringLiteral("NewsMonitor-%1").arg(number);
}

// The pixels of `image` whose colour is not `key`, as a region placed at `at`.
QRegion RegionOtherThan(const QImage& image, QRgb key, QPoint at, QSize limit) {
  const QImage pixels = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
  const int w = std::min(pixels.width(), limit.width()), h = std::min(pixels.height(), limit.height());
  key &= 0xFFFFFF;
  std::vector<QRect> rects;
  for (int y = 0; y < h; ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    int x = 0;
    while (x < w) {
      while (x < w && (line[x] & 0xFFFFFF) == key) ++x;
      const int start = x;
      while (x < w && (line[x] & 0xFFFFFF) != key) ++x;
      if (x > start) rects.emplace_back(at.x() + start, at.y() + y, x - start, 1);
    }
  }
  // Rows of one pixel, left to right: the banded order a region is made of.
  QRegion region;
  region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

// Today as a day count since 30 December 1899.
double Today() { return static_cast<double>(QDate(1899, 12, 30).daysTo(QDate::currentDate())); }

}  // namespace

// ---- Creation ---------------------------------------------------------------------

// What the patrol asks of this bar.
class TNewsMonitor::PatrolClient final : public PatrolBarClient {
 public:
  explicit PatrolClient(TNewsMonitor& bar) : bar_(bar) {}
  void ParseDefinition(int index, bool own) override { bar_.ParseDefinition(index, !own); }
  void ResetHeadlineCounters() override { barHeadlines(bar_.Number()).SponsorCounter = 0; }
  void RefreshNow() override { bar_.ParseDefinition(bar_.DefinitionIndex(), false); }
  void CloseForEmptyList() override {
    // Not inside the patrol's own step: the bar ends its thread and goes.
    QPointer<TNewsMonitor> bar(&bar_);
    QTimer::singleShot(0, &bar_, [bar] {
      if (bar) bar->FormClose();
    });
  }

 private:
  TNewsMonitor& bar_;
};

TNewsMonitor::TNewsMonitor()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), number_(std::clamp(CurrentBarNumber(), 0, kBarCount - 1)) {
  setObjectName(ComponentName(number_));
  setWindowTitle(ComponentName(number_));
  // A bar never takes the focus from the window being worked in.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAutoFillBackground(true);
  port_ = std::make_unique<platform::MessagePort>(
      [this](uint32_t msg, WParam w, LParam l) { return WndProc(msg, w, l); }, this);
  bar_ = std::make_unique<TickerBar>(number_);
  bar_->Window = port_->Handle();
  bar_->Relayout = [this](TickerBar&) { Relayout(); };
  bar_->Presented = [this](TickerBar&) { UpdateColourKeyMask(); };
  LightStr1 = new TLightStr(this);
  LightStr1->installEventFilter(this);
  LightStr1->setMouseTracking(true);
  bar_->Ticker = LightStr1;
  LightStr1->OnShowActive = [this](TLightStr*, bool active) {
    if (bar_->Thread) bar_->Thread->Running = active ? 1 : 0;
  };
  LightStr1->OnLineNext = [this](TLightStr*, int index) { OnLineNext(index); };
  Panel1 = new QWidget(this);
  Panel1->setAutoFillBackground(true);
  QPalette white = Panel1->palette();
  white.setColor(QPalette::Window, Qt::white);
  Panel1->setPalette(white);
  Panel1->resize(4, 4);
  Panel1->hide();

  Timer1 = new QTimer(this);
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Tick(); });
  Timer11 = new QTimer(this);
  Timer11->setSingleShot(true);
  Timer11->setInterval(1);
  connect(Timer11, &QTimer::timeout, this, [this] { Timer11Tick(); });
  autoHideTimer_ = new QTimer(this);
  connect(autoHideTimer_, &QTimer::timeout, this, [this] { AutoHideTimerTick(); });
  patrolClient_ = std::make_unique<PatrolClient>(*this);
  screenSaverTimer_ = new QTimer(this);
  screenSaverTimer_->setSingleShot(true);
  connect(screenSaverTimer_, &QTimer::timeout, this, [this] { ScreenSaverTick(); });
  viewerTimer_ = new QTimer(this);
  connect(viewerTimer_, &QTimer::timeout, this, [this] { ViewerTimerTick(); });
  viewerDoneTimer_ = new QTimer(this);
  viewerDoneTimer_->setInterval(1000);
  connect(viewerDoneTimer_, &QTimer::timeout, this, [this] { ViewerDoneTick(); });
  Timer2 = new QTimer(this);
  connect(Timer2, &QTimer::timeout, this, [this] { Timer2Tick(); });
  Timer4 = new QTimer(this);
  Timer4->setSingleShot(true);
  Timer4->setInterval(kPointerRestMs);
  connect(Timer4, &QTimer::timeout, this, [this] { Timer4Tick(); });
  setMouseTracking(true);
  browserPauseTimer_ = new QTimer(this);
  browserPauseTimer_->setInterval(800);
  connect(browserPauseTimer_, &QTimer::timeout, this, [this] {
    // No browser of the kinds the pause waits for exists on this desktop, so
    // the pause ends at the first look.
    browserPauseTimer_->stop();
    if (bar_->Thread) bar_->Thread->Pause[kPauseBrowser] = false;
  });
  // Monitors come and go, panels change the work areas: the bar finds its
  // place again.
  auto watch = [this](QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { ScreensChanged(); });
    connect(screen, &QScreen::availableGeometryChanged, this, [this] { ScreensChanged(); });
  };
  for (QScreen* screen : QGuiApplication::screens()) watch(screen);
  connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
    watch(screen);
    ScreensChanged();
  });
  connect(qApp, &QGuiApplication::screenRemoved, this, [this] { QTimer::singleShot(0, this, [this] { ScreensChanged(); }); });
  Create();
}

void TNewsMonitor::ScreensChanged() {
  if (!shownOnce_ || closed_ || dragging_ || sliding_ || slidHidden_ || screenSaverHidden_) return;
  Relayout();
}

TNewsMonitor::~TNewsMonitor() {
  if (!closed_) FormClose();
  if (LightStr1) LightStr1->removeEventFilter(this);
  bar_->Ticker = nullptr;
}

platform::WindowHandle TNewsMonitor::Handle() const { return port_->Handle(); }

int TNewsMonitor::Edge() const { return bar_->Edge; }

int TNewsMonitor::DefinitionIndex() const {
  return number_ == 0 ? NewsList().CurrentIndex : bar_->Slot().Definition;
}

const ColourSet* TNewsMonitor::Set() const {
  const int index = bar_->Slot().ColourSet;
  if (index < 0 || index >= ColourList().Count) return nullptr;
  return &ColourList()[index];
}

bool TNewsMonitor::SkinLook() const {
  const ColourSet* set = Set();
  return set && set->Style == 3;
}

bool TNewsMonitor::FixedSkin() const {
  const ColourSet* set = Set();
  // A skin whose picture cannot be read is shown in the simple look.
  return set && set->Style == 3 && set->SkinLayout >= kLayoutFix && !bar_->SkinPicture.isNull();
}

void TNewsMonitor::Create() {
  AppState& st = app();
  TIPlist5& list = NewsList();
  BarSlot& slot = bar_->Slot();
  RegisterNewsMonitor(number_, this);
  // The lists outlive a closed bar of this number; a new bar starts afresh.
  barHeadlines(number_).Closing = false;
  barHeadlines(number_).ClearLines(-1);

  // 1. Glass mode needs desktop composition, which this desktop lacks.
  bar_->Glass = false;

  // 3. The definition shown; a re-created weather bar tidies the weather patrol first.
  const int shown = number_ == 0 ? list.CurrentIndex : slot.Definition;
  if (shown >= 0 && shown < list.Count && list[shown].Category == kCategoryWeather) {
    BarsView view = CurrentBarsView();
    view.exists[number_] = false;
    TidyWeatherPatrol(list, view);
  }
  // Bar 0 shows the list's CurrentIndex; a new extra bar chooses one.
  if (number_ != 0 && slot.Definition == -1) {
    slot.Definition = ChooseDefinitionForNewBar(list);
    if (slot.Definition >= 0 && slot.Definition < list.Count) list[slot.Definition].Patrol = 1;
  }

  // 4. Colour set (found again by name when the indexes moved), settings,
  // the screen saver program, the scroll thread.
  TIPlist6& colours = ColourList();
  if (!slot.ColourSetName.empty() &&
      (slot.ColourSet < 0 || slot.ColourSet >= colours.Count ||
       FieldText(colours[slot.ColourSet].Name) != slot.ColourSetName)) {
    const int found = colours.FindByName(slot.ColourSetName);
    if (found >= 0) slot.ColourSet = found;
  }
  if (slot.ColourSet < 0 || slot.ColourSet >= colours.Count) slot.ColourSet = colours.Count > 0 ? 0 : slot.ColourSet;
  ApplyColourSet(*bar_);
  setGeometry(QRect(QPoint(slot.FloatLeft, slot.FloatTop), QPoint(slot.FloatRight - 1, slot.FloatBottom - 1)));
  const BarLoadResult loaded = LoadBarSettings(number_, slot, Facts(), st);
  if (loaded.clientHeight && !FixedSkin()) slot.FloatBottom = slot.FloatTop + *loaded.clientHeight;
  const std::string saver = platform::JoinPath(st.DataFolder, "NewsScreensaver.scr");
  if (platform::FileExists(saver))
    platform::CopyFileAtomically(saver, platform::JoinPath(platform::SystemFolder(), "NewsScreensaver.scr"));
  StartScrollThread(*bar_);
  const int starting = StartingDefinition(list, number_, slot, CurrentBarsView());

  // 5. Absurd stored sizes.
  const int a = LineFactor(slot.LineMode, SkinLook());
  ClampFloatRect(slot, a, FixedSkin());
  ClampDockSizes(slot, a);

  // 6. Hot keys, placement, the first patrol, drops; shown and laid out.
  if (number_ == 0) RegisterHotKeys(Handle(), Bar0HotKeys(settings()));
  TaskBarModeToEdge();
  ForgetFetchDates(list);
  setAcceptDrops(true);
  if (st.QuitAllowed) return;
  Relayout();
  ShowDefinition(starting);
  ArmPatrol();
  show();
  shownOnce_ = true;
  // Laid out again once shown: a floating bar left on a monitor that is gone
  // comes back now.
  Relayout();
  WindowZorderSet();
  UpDateBarcl();
}

BarWindowFacts TNewsMonitor::Facts() const {
  BarWindowFacts f;
  f.fixedSkin = FixedSkin();
  f.glassFrame = app().IsVistaOrLater && app().GlassEnabled;
  f.glassMode = bar_->Glass;
  f.weeklyTable = bar_->WeeklyTable;
  f.edge = bar_->Edge;
  const QRect g = geometry();
  f.left = g.x(), f.top = g.y(), f.width = g.width(), f.height = g.height();
  f.clientWidth = g.width(), f.clientHeight = g.height();
  f.sliding = sliding_ || slidHidden_;
  f.slideLeft = slideHome_.x(), f.slideTop = slideHome_.y();
  return f;
}

// ---- Placement --------------------------------------------------------------------

void TNewsMonitor::TaskBarModeToEdge() {
  const int edge = EdgeForPlacement(bar_->Slot().Placement, bar_->WeeklyTable, FixedSkin());
  if (edge == bar_->Edge && shownOnce_) return;
  bar_->Edge = edge;  // the floating rectangle stays in the slot meanwhile
  if (!bar_->Docked()) autoHideEdges().Release(number_);
}

QScreen* TNewsMonitor::ScreenOfBar() const {
  const BarSlot& s = bar_->Slot();
  const QRect ref = placed_.isValid() ? placed_ : QRect(QPoint(s.FloatLeft, s.FloatTop), QPoint(s.FloatRight, s.FloatBottom));
  QScreen* screen = QGuiApplication::screenAt(ref.center());
  return screen ? screen : QGuiApplication::primaryScreen();
}

DockNeighbours TNewsMonitor::NeighboursFor(int edge, const QRect& monitor) const {
  DockNeighbours n;
  std::vector<QWidget*> own;
  for (int i = 0; i < kBarCount; ++i)
    if (TNewsMonitor* other = NewsMonitorOf(i)) own.push_back(other);
  QSize root = platform::DesktopRootSize();
  if (root.isEmpty() && QGuiApplication::primaryScreen())
    root = QGuiApplication::primaryScreen()->virtualGeometry().size();
  n.others = platform::ReachIntoMonitor(monitor, root, platform::OtherWindowsReservations(own));
  for (int i = 0; i < kBarCount; ++i) {
    TNewsMonitor* other = NewsMonitorOf(i);
    if (!other || other == this || !other->isVisible() || other->autoHideApplied_ || other->slidHidden_) continue;
    const int otherEdge = other->bar_->Edge;
    if (otherEdge > kEdgeBottom || !monitor.contains(other->placed_.center())) continue;
    const int thickness = Vertical(otherEdge) ? other->placed_.width() : other->placed_.height();
    if (otherEdge == edge && i < number_) n.ownBefore += thickness;
    if (Vertical(edge) && otherEdge == kEdgeTop) n.ownTop += thickness;
    if (Vertical(edge) && otherEdge == kEdgeBottom) n.ownBottom += thickness;
  }
  return n;
}

QRect TNewsMonitor::ComputePlacedRect(int thickness) {
  BarSlot& s = bar_->Slot();
  if (bar_->Docked()) {
    QScreen* screen = ScreenOfBar();
    const QRect monitor = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    // An auto-hidden bar lies at the very edge, where the pointer finds it.
    const DockNeighbours n = autoHideApplied_ ? DockNeighbours{} : NeighboursFor(bar_->Edge, monitor);
    return DockedRect(bar_->Edge, monitor, n, thickness);
  }
  if (FixedSkin()) {
    const QSize picture = bar_->SkinPicture.size();
    int left = s.FloatLeft, top = s.FloatTop;
    if (!shownOnce_) {
      if (s.RightFit && s.AnchorRight != kUnknownAnchor) left = s.AnchorRight - picture.width();
      if (s.BottomFit && s.AnchorBottom != kUnknownAnchor) top = s.AnchorBottom - picture.height();
    }
    s.FloatLeft = left, s.FloatTop = top;
    s.FloatRight = left + picture.width(), s.FloatBottom = top + picture.height();
    return QRect(QPoint(left, top), picture);
  }
  s.FloatBottom = s.FloatTop + thickness;
  return QRect(s.FloatLeft, s.FloatTop, std::max(1, s.FloatRight - s.FloatLeft), thickness);
}

void TNewsMonitor::PauseLayout(bool paused) {
  if (bar_->Thread) bar_->Thread->Pause[kPauseLayout] = paused;
}

void TNewsMonitor::Relayout(bool force) {
  if (layingOut_ || sliding_ || closing_ || closed_ || dragging_) return;
  if (!force && (autoHideCollapsed_ || autoHideFrames_ > 0)) return;
  TickerBar& b = *bar_;
  BarSlot& s = b.Slot();
  const LayoutMemo now{size(), LightStr1->isVisible(), b.Style, LightStr1->ShowFontH()};
  if (!force && now == memo_) return;
  Flag guard(layingOut_);
  b.LayoutInProgress = true;
  PauseLayout(true);

  // 1. The colour set and the speed.
  ApplyColourSet(b);
  ApplySpeed(b);
  const ColourSet* set = Set();

  // 2. Colours; a colour-keyed bar keeps the white panel to grab.
  if (set) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(ToQRgb(set->BackLit)));
    setPalette(pal);
    ApplyTickerColours(b, *set);
  }
  const bool keyed = s.Alpha <= 10 && !b.Glass && (!set || set->SkinLayout != kLayoutTransparent);
  Panel1->setVisible(keyed);

  // 3. Thickness across the bar.
  const bool vertical = Vertical(b.Edge);
  const int a = LineFactor(s.LineMode, SkinLook());
  ClampDockSizes(s, a);
  const int weatherExtra = 0;  // the weekly weather table adds its rows here
  int thickness;
  if (FixedSkin()) {
    thickness = vertical ? b.SkinPicture.width() : b.SkinPicture.height();
  } else if (b.Docked()) {
    thickness = vertical ? s.VertDockSize : s.HorzDockSize;
  } else {
    thickness = ClampThickness(s.FloatBottom - s.FloatTop, a, false, weatherExtra);
  }
  QRect rect = ComputePlacedRect(thickness);

  // 6. A floating bar off every monitor comes back (after the first show).
  if (!b.Docked() && shownOnce_) {
    std::vector<MonitorArea> monitors;
    for (QScreen* screen : QGuiApplication::screens()) monitors.push_back({screen->geometry(), screen->availableGeometry()});
    if (std::optional<QRect> back = RecoverOntoMonitor(rect, monitors, b.WeeklyTable)) {
      rect = *back;
      s.FloatLeft = rect.left(), s.FloatTop = rect.top();
      s.FloatRight = rect.left() + rect.width(), s.FloatBottom = rect.top() + rect.height();
    }
  }

  // 4 and 5. The ticker's place and its text height.
  const QSize client = rect.size();
  const int inset = b.TickerInset;
  const int T = vertical ? client.width() : client.height();
  FontHeightInput font;
  font.thickness = T;
  font.lineMode = s.LineMode;
  font.led = LightStr1->IsLed();
  font.frame = b.TickerFrame;
  font.inset = inset;
  font.offsetsOrFixedSkin = FixedSkin() || (set && set->TextTop + set->TextBottom != 0);
  LightStr1->SetFontName(vertical ? s.VerticalFontName : s.FontName);
  LightStr1->setGeometry(TickerRectFor(client, vertical, inset, 0, std::max(1, T - 2 * inset)));
  LightStr1->ReferenceWidth = client.width();
  LightStr1->ReferenceHeight = client.height();
  LightStr1->SetShowFontH(std::max(1, ShowFontHeightFor(font)));
  LightStr1->ApplySizeRule();
  Panel1->move(client.width() - Panel1->width(), client.height() - Panel1->height());
  Panel1->raise();

  placed_ = rect;
  const QRect target = autoHideCollapsed_ ? AutoHiddenRect(b.Edge, rect) : rect;
  if (geometry() != target) setGeometry(target);
  LightStr1->Relayout();
  UpdateRegionMask();
  ApplyAlpha();
  ApplyReservation();
  memo_ = {size(), LightStr1->isVisible(), b.Style, LightStr1->ShowFontH()};
  b.LayoutInProgress = false;
  PauseLayout(false);

  // 7. The region window is repainted once the layout has settled.
  platform::PostMessage(Handle(), UM_BARLAYOUT, 0, 0);
  if (!Timer1->isActive() && s.RightFit) {
    s.AnchorRight = s.FloatRight;
    s.AnchorBottom = s.FloatBottom;
  }
  Timer1->start();
}

void TNewsMonitor::Timer1Tick() {
  // After a drag or a resize by the window manager: wait until the bounds
  // rest and the button is up.
  if (geometry() != timer1Last_ || (QGuiApplication::mouseButtons() & Qt::LeftButton)) {
    timer1Last_ = geometry();
    return;
  }
  Timer1->stop();
  BarSlot& s = bar_->Slot();
  if (bar_->WeeklyTable && !bar_->Docked()) {
    // A table sizes itself: it keeps its right and bottom at the anchor.
    QRect r = placed_;
    if (s.RightFit && s.AnchorRight != kUnknownAnchor) r.moveRight(s.AnchorRight - 1);
    if (s.BottomFit && s.AnchorBottom != kUnknownAnchor) r.moveBottom(s.AnchorBottom - 1);
    if (r != placed_) {
      s.FloatLeft = r.left(), s.FloatTop = r.top();
      s.FloatRight = r.left() + r.width(), s.FloatBottom = r.top() + r.height();
      Relayout();
    }
  }
}

void TNewsMonitor::UpDateBarcl() {
  if (dragging_ || closed_) return;
  const BarSlot& s = bar_->Slot();
  const bool wanted = s.AutoHide && bar_->Docked();
  if (wanted != autoHideApplied_) {
    autoHideApplied_ = wanted && autoHideEdges().Claim(number_, bar_->Edge);
    if (!autoHideApplied_) autoHideEdges().Release(number_);
    autoHideCollapsed_ = false;
    Relayout();
    if (autoHideApplied_ && !underMouse()) autoHideTimer_->start(kAutoHideLingerMs);
    Timer11->start();
  }
  ApplyReservation();
}

void TNewsMonitor::ApplyReservation() {
  if (!testAttribute(Qt::WA_WState_Created) && !shownOnce_) {
    // Before the first show the window type is set, so the window manager
    // sees a dock from the start.
  }
  const bool docked = bar_->Docked() && !slidHidden_ && !closed_;
  const bool reserve = docked && !autoHideApplied_ && !screenSaverHidden_ && (isVisible() || !shownOnce_);
  if (docked != dockTyped_) {
    platform::SetDockWindowType(this, docked);
    dockTyped_ = docked;
    // Window managers read the type when a window is mapped.
    if (isVisible() && !closed_ && platform::AppBarsAvailable()) {
      hide();
      show();
    }
  }
  if (reserve) {
    if (reserved_ != placed_ || reservedEdge_ != bar_->Edge) {
      platform::SetDockReservation(this, static_cast<platform::DockEdge>(bar_->Edge), placed_);
      reserved_ = placed_;
      reservedEdge_ = bar_->Edge;
    }
  } else if (reservedEdge_ >= 0) {
    platform::ClearDockReservation(this);
    reserved_ = QRect();
    reservedEdge_ = -1;
  }
}

void TNewsMonitor::WindowZorderSet() {
  switch (bar_->Slot().ZOrder) {
    case 0:
      platform::SetStackingHint(this, 0);
      raise();
      inFront_ = true;
      break;
    case 4:
      platform::SetStackingHint(this, 0);
      lower();
      inFront_ = false;
      break;
    case 1:
      platform::SetStackingHint(this, 1);
      raise();
      break;
    case 2:
      platform::SetStackingHint(this, 2);
      lower();
      break;
    default: platform::SetStackingHint(this, 0); break;
  }
}

void TNewsMonitor::Timer11Tick() {
  if (QGuiApplication::mouseButtons() & Qt::LeftButton) {
    Timer11->start(50);
    return;
  }
  const int z = bar_->Slot().ZOrder;
  platform::SetStackingHint(this, z == 1 ? 1 : (z == 2 ? 2 : 0));
}

void TNewsMonitor::RestartTicker() {
  TLightStr& t = *LightStr1;
  // The headline on screen is drawn again from its start.
  if (t.ShowIndex() >= 0) t.SetCurrentLine(t.ShowIndex() - 1);
  t.Relayout();
  t.SetShowLoop(true);
  t.StartShow();
  if (bar_->Thread) bar_->Thread->Running = t.ShowActive() ? 1 : 0;
}

void TNewsMonitor::ReapplyColourSet() {
  if (closing_ || closed_) return;
  const bool wasLed = bar_->Style == 0;
  ApplyColourSet(*bar_);
  const bool led = bar_->Style == 0;
  if (wasLed != led) ChangeLedStyle(bar_->Slot(), led);
  TaskBarModeToEdge();
  Relayout();
  UpDateBarcl();
  RestartTicker();
  update();
}

void TNewsMonitor::OnLineNext(int index) {
  if (!bar_->LayoutInProgress) LightStr1->SetLightColor(HeadlineColour(index, bar_->NewsColour1, bar_->NewsColour2));
  // A round is over when the lines start again from the title.
  const bool roundDone = index == 0 && lastLineIndex_ > 0;
  lastLineIndex_ = index;
  if (moveOnAfterRound_ && roundDone) platform::PostMessage(Handle(), UM_BARNAVIGATE, 1, 0);
  TIPlist5& list = NewsList();
  const int shown = DefinitionIndex();
  if (shown >= 0 && shown < list.Count && list[shown].HasNew) list[shown].Seen = 1;
}

void TNewsMonitor::ChoosePlacementItem(int placement) {
  BarSlot& s = bar_->Slot();
  const int chosen = ChoosePlacement(s.Placement, placement, FixedSkin());
  if (placement >= 2 && chosen != placement) return;  // a fixed-size skin floats
  s.Placement = chosen;
  TaskBarModeToEdge();
  Relayout();
  UpDateBarcl();
  RestartTicker();
}

void TNewsMonitor::ChooseStacking(int zorder) {
  bar_->Slot().ZOrder = zorder;
  WindowZorderSet();
}

bool TNewsMonitor::ToggleAutoHide() {
  BarSlot& s = bar_->Slot();
  if (!s.AutoHide && bar_->Docked() && !autoHideEdges().Claim(number_, bar_->Edge)) {
    platform::ShowMessage(kAutoHideTakenMessage, platform::PromptIcon::Error);
    return false;
  }
  s.AutoHide = !s.AutoHide;
  UpDateBarcl();
  return true;
}

void TNewsMonitor::ToggleOutline() {
  bar_->Slot().Outline = !bar_->Slot().Outline;
  Relayout();
  update();
}

void TNewsMonitor::SetLineMode(int lineMode) {
  BarSlot& s = bar_->Slot();
  if (lineMode < 0 || lineMode > 2 || lineMode == s.LineMode) return;
  ChangeLineMode(s, lineMode, SkinLook());
  SaveBarSettings(number_, s, Facts(), settings().NewsMonitorAutoMove);
  Relayout();
  UpDateBarcl();
  ShowDefinition(DefinitionIndex());
}

void TNewsMonitor::SetAlpha(int alpha) {
  bar_->Slot().Alpha = ClampAlpha(alpha);
  Relayout();
}

// ---- Transparency and shape --------------------------------------------------------

void TNewsMonitor::ApplyAlpha() {
  const int alpha = bar_->Slot().Alpha;
  switch (AlphaLookFor(alpha)) {
    case AlphaLook::Opaque: setWindowOpacity(1.0); break;
    case AlphaLook::Translucent: setWindowOpacity(ClampAlpha(alpha) / 255.0); break;
    case AlphaLook::ColourKey: setWindowOpacity(1.0); break;
  }
  UpdateColourKeyMask();
  if (AlphaLookFor(alpha) != AlphaLook::ColourKey && regionMaskSize_.isNull()) clearMask();
}

void TNewsMonitor::UpdateColourKeyMask() {
  if (AlphaLookFor(bar_->Slot().Alpha) != AlphaLook::ColourKey || !Panel1->isVisible()) return;
  // Only what differs from the key colour stays: the text, the outline and
  // the white panel to grab.
  const TLightStr& t = *LightStr1;
  const QImage& shown = t.HasSkinBitmaps() ? t.SkinFrame : t.Strip;
  QRegion region = RegionOtherThan(shown, ToQRgb(t.BackColor()), t.pos(), t.size());
  region += Panel1->geometry();
  if (bar_->Slot().Outline) region += QRegion(rect()) - QRegion(rect().adjusted(1, 1, -1, -1));
  if (!regionMaskSize_.isNull()) region &= skinRegion_;
  setMask(region);
}

void TNewsMonitor::UpdateRegionMask() {
  const ColourSet* set = Set();
  const bool shaped = FixedSkin() && set && set->SkinLayout >= 3;
  if (!shaped) {
    if (!regionMaskSize_.isNull()) {
      regionMaskSize_ = QRect();
      skinRegion_ = QRegion();
      clearMask();
    }
    return;
  }
  const QImage& picture = bar_->SkinPicture;
  if (regionMaskSize_.size() == picture.size()) return;
  // Every pixel that differs from the picture's bottom-left one.
  skinRegion_ = RegionOtherThan(picture, picture.pixel(0, picture.height() - 1), QPoint(0, 0), picture.size());
  setMask(skinRegion_);
  regionMaskSize_ = QRect(QPoint(0, 0), picture.size());
}

// ---- Auto-hide ----------------------------------------------------------------------

void TNewsMonitor::SetAutoHideCollapsed(bool collapsed, bool animate) {
  if (!autoHideApplied_ || collapsed == autoHideCollapsed_) return;
  autoHideCollapsed_ = collapsed;
  const QRect strip = AutoHiddenRect(bar_->Edge, placed_);
  autoHideFrom_ = geometry();
  autoHideTo_ = collapsed ? strip : placed_;
  if (!animate) {
    setGeometry(autoHideTo_);
    return;
  }
  autoHideFrames_ = kAutoHideFrames;
  autoHideTimer_->start(kAutoHideFrameMs);
}

void TNewsMonitor::AutoHideTimerTick() {
  if (autoHideFrames_ > 0) {
    // Sliding in or out: geometry between the two rectangles.
    --autoHideFrames_;
    const double p = 1.0 - static_cast<double>(autoHideFrames_) / kAutoHideFrames;
    auto mix = [p](int a, int b) { return a + static_cast<int>(std::lround((b - a) * p)); };
    setGeometry(QRect(QPoint(mix(autoHideFrom_.left(), autoHideTo_.left()), mix(autoHideFrom_.top(), autoHideTo_.top())),
                      QPoint(mix(autoHideFrom_.right(), autoHideTo_.right()),
                             mix(autoHideFrom_.bottom(), autoHideTo_.bottom()))));
    if (autoHideFrames_ == 0) {
      autoHideTimer_->stop();
      if (!autoHideCollapsed_) autoHideTimer_->start(kAutoHideLingerMs);
    }
    return;
  }
  // Lingering while shown: hide again once the pointer has left.
  autoHideTimer_->stop();
  if (!autoHideApplied_ || autoHideCollapsed_) return;
  const bool busy = QApplication::activePopupWidget() || QGuiApplication::mouseButtons() != Qt::NoButton || dragging_;
  if (busy || placed_.contains(QCursor::pos())) {
    autoHideTimer_->start(kAutoHideLingerMs);
    return;
  }
  SetAutoHideCollapsed(true, true);
}

void TNewsMonitor::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  if (autoHideApplied_ && autoHideCollapsed_) SetAutoHideCollapsed(false, true);
}

void TNewsMonitor::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (autoHideApplied_ && !autoHideCollapsed_ && autoHideFrames_ == 0) autoHideTimer_->start(kAutoHideLingerMs);
}

// ---- Dragging -----------------------------------------------------------------------

int TNewsMonitor::HitTest(QPoint local) const {
  const int hit = BarHitTest(local, size(), bar_->Slot().Alpha, bar_->Glass, LightStr1->MarginX);
  return bar_->Docked() ? DockedHitCode(hit, bar_->Edge) : hit;
}

void TNewsMonitor::BeginDrag(int hit, QPoint global) {
  if (closed_ || sliding_) return;
  dragging_ = true;
  dragMoved_ = false;
  dragHit_ = hit;
  dragEdge_ = bar_->Edge;
  dragStartGlobal_ = global;
  dragStartRect_ = geometry();
  grabOffset_ = global - geometry().topLeft();
  PauseLayout(true);
}

void TNewsMonitor::ContinueDrag(QPoint global) {
  if (!dragging_) return;
  if (!dragMoved_ && (global - dragStartGlobal_).manhattanLength() < QApplication::startDragDistance()) return;
  dragMoved_ = true;
  const BarSlot& s = bar_->Slot();
  const int a = LineFactor(s.LineMode, SkinLook());
  if (dragHit_ != kHitCaption) {
    if (FixedSkin()) return;  // a fixed-size skin keeps its picture's size
    setGeometry(SizedRect(dragStartRect_, dragHit_, global - dragStartGlobal_, QSize(12 * a, 12 * a)));
    return;
  }
  QScreen* screen = QGuiApplication::screenAt(global);
  if (!screen) screen = ScreenOfBar();
  const QRect monitor = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  dragEdge_ = EdgeForDragPoint(global, monitor, s.Placement, FixedSkin(), bar_->WeeklyTable);
  if (dragEdge_ != kEdgeFloat) {
    const int thickness = Vertical(dragEdge_) ? s.VertDockSize : s.HorzDockSize;
    setGeometry(DockedRect(dragEdge_, monitor, NeighboursFor(dragEdge_, monitor), thickness));
    return;
  }
  const QSize floating = FixedSkin() ? bar_->SkinPicture.size()
                                     : QSize(std::max(1, s.FloatRight - s.FloatLeft), std::max(1, s.FloatBottom - s.FloatTop));
  // A docked bar lifted off its edge takes its floating size under the pointer.
  const QPoint offset = bar_->Docked() ? QPoint(std::min(grabOffset_.x(), floating.width() / 2), floating.height() / 2)
                                       : grabOffset_;
  setGeometry(DraggedFloatRect(global, offset, floating));
}

void TNewsMonitor::EndDrag(QPoint global) {
  if (!dragging_) return;
  ContinueDrag(global);
  dragging_ = false;
  PauseLayout(false);
  if (!dragMoved_) return;
  BarSlot& s = bar_->Slot();
  const QRect now = geometry();
  if (dragHit_ != kHitCaption) {
    if (bar_->Docked()) {
      (Vertical(bar_->Edge) ? s.VertDockSize : s.HorzDockSize) = Vertical(bar_->Edge) ? now.width() : now.height();
    } else {
      s.FloatLeft = now.left(), s.FloatTop = now.top();
      s.FloatRight = now.left() + now.width(), s.FloatBottom = now.top() + now.height();
    }
  } else {
    if (dragEdge_ == kEdgeFloat) {
      s.FloatLeft = now.left(), s.FloatTop = now.top();
      s.FloatRight = now.left() + now.width(), s.FloatBottom = now.top() + now.height();
    }
    placed_ = now;  // the monitor the bar was dropped on
    s.Placement = PlacementAfterDrag(dragEdge_, s.Placement);
    bar_->Edge = dragEdge_;
    if (!bar_->Docked()) autoHideEdges().Release(number_);
  }
  Relayout();
  UpDateBarcl();
  RestartTicker();
}

// ---- Window events --------------------------------------------------------------------

void TNewsMonitor::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (layingOut_ || sliding_ || dragging_ || autoHideCollapsed_ || autoHideFrames_ > 0 || !shownOnce_) return;
  if (!bar_->Docked() && !FixedSkin()) {
    // Sized by the window manager: the floating rectangle follows.
    BarSlot& s = bar_->Slot();
    const QRect g = geometry();
    s.FloatRight = s.FloatLeft + g.width();
    s.FloatBottom = s.FloatTop + g.height();
  }
  Relayout(false);
}

void TNewsMonitor::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (layingOut_ || sliding_ || dragging_ || slidHidden_ || autoHideFrames_ > 0 || !shownOnce_ || !isVisible()) return;
  if (bar_->Docked()) return;  // a docked bar's place is its edge
  BarSlot& s = bar_->Slot();
  const QRect g = geometry();
  const int width = s.FloatRight - s.FloatLeft, height = s.FloatBottom - s.FloatTop;
  s.FloatLeft = g.left(), s.FloatTop = g.top();
  s.FloatRight = g.left() + width, s.FloatBottom = g.top() + height;
  placed_ = QRect(g.topLeft(), placed_.size());
  Timer1->start();
}

void TNewsMonitor::paintEvent(QPaintEvent*) {
  if (!bar_->Slot().Outline) return;
  // Bevel1: a raised outline around the ticker.
  QPainter p(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  p.setPen(QColor(255, 255, 255));
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(QColor(64, 64, 64));
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
}

void TNewsMonitor::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TNewsMonitor::dropEvent(QDropEvent* event) {
  // WM_DROPFILES: the files go to the imports.
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  if (!paths.empty()) DropFiles(number_, paths);
  event->acceptProposedAction();
}

void TNewsMonitor::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

// ---- Definitions and headlines ----------------------------------------------------------

void TNewsMonitor::ShowDefinition(int index) {
  TIPlist5& list = NewsList();
  if (index < 0 || index >= list.Count) return;
  BarSlot& s = bar_->Slot();
  if (number_ == 0)
    list.CurrentIndex = index;
  else
    s.Definition = index;
  s.DefinitionName = FieldText(list[index].Title);
  if (PatrolBar* model = PatrolModel()) {
    model->definition = index;
    if (number_ != 0) model->startIndex = index;
  }
  shownDefinition_ = index;
  ParseDefinition(index, false);
}

void TNewsMonitor::ParseDefinition(int index, bool background) {
  TIPlist5& list = NewsList();
  if (index >= list.Count || closing_ || closed_) return;
  BarHeadlines& lists = barHeadlines(number_);
  lists.Window = Handle();
  // The run-out line lets the last headline leave the strip completely.
  const QFontMetrics metrics(LightStr1->TextFont());
  const int star = std::max(1, LightStr1->IsVertical() ? metrics.height()
                                                        : metrics.horizontalAdvance(platform::SjisToQString(SJ("★"))));
  lists.WidthInStars = LightStr1->Length() / star;
  lists.Yield = [] {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return !app().QuitAllowed;
  };
  QPointer<TNewsMonitor> self(this);
  lists.Redraw = [self] {
    // After the parse: a withdrawn definition was deleted, the indexes moved.
    QTimer::singleShot(0, self, [self] {
      if (self) self->ShowDefinition(self->DefinitionIndex());
    });
  };
  const bool found = lumetra::ParseDefinition(number_, index, background, true);
  if (!self || background || closing_ || closed_) return;
  // A missing page cache leaves the lists as they were.
  if (found || (lists.LinkDefinition == index && !lists.Lines.empty())) {
    LightStr1->WeatherMode = lists.Weather;
    SetHeadlines(lists.Lines, lists.Links);
    return;
  }
  // Nothing cached yet: the site's name alone until its page arrives; its
  // link is the page to browse.
  if (index < 0 || index >= list.Count) return;
  NewsDefinition& d = list[index];
  LightStr1->WeatherMode = d.Category == kCategoryWeather;
  std::string link = FieldText(d.MainUrl);
  if (link.empty()) link = FieldText(d.Url);
  SetHeadlines({" " + FieldText(d.Title) + " "}, {link});
}

void TNewsMonitor::RecollectPatrolled() {
  // Every patrolled definition again: the one shown on the strip, the others
  // for the keyword watch.
  TIPlist5& list = NewsList();
  for (int i = 0; i < list.Count && !closing_; ++i) {
    const NewsDefinition& d = list[i];
    const bool patrolled = d.Sponsor != 0 || (d.Patrol && d.Category != kCategorySearch);
    if (!patrolled) continue;
    if (i == DefinitionIndex())
      ParseDefinition(i, false);
    else if (number_ == 0)
      ParseDefinition(i, true);
  }
}

PatrolBar* TNewsMonitor::PatrolModel() const {
  THttpCheck* check = PageCheck();
  return check ? &check->Patrol().Bar(number_) : nullptr;
}

void TNewsMonitor::ArmPatrol() {
  PatrolBar* model = PatrolModel();
  if (!model) return;
  // FetchMode 0 for bar 0, 1 for the others; the first step runs at once.
  model->patrolOn = true;
  model->definition = DefinitionIndex();
  model->startIndex = DefinitionIndex();
  model->intervalMinutes = bar_->Slot().PatrolInterval;
  model->window = Handle();
  model->client = patrolClient_.get();
  PageCheck()->Patrol().StartBar(number_);
}

void TNewsMonitor::FetchShownDefinition() {
  PatrolBar* model = PatrolModel();
  if (!model || !model->exists) return;
  model->fetchMode = kFetchOwn;
  PageCheck()->Patrol().OnPatrolTimer(number_);
}

void TNewsMonitor::SetHeadlines(std::vector<std::string> lines, std::vector<std::string> links) {
  LightStr1->StopShow();
  LightStr1->SetShowStrings(std::move(lines));
  links_ = std::move(links);
  lastLineIndex_ = -1;
  RestartTicker();
}

void TNewsMonitor::NewsChange(int direction) {
  if (number_ == 0) ShowDefinition(NextNewsIndex(NewsList(), DefinitionIndex(), direction, CurrentBarsView()));
  else ShowDefinition(DefinitionIndex());
  FetchShownDefinition();
}

// ---- The companion viewer ------------------------------------------------------------

bool TNewsMonitor::ViewerBusy() const {
  THttpCheck* check = PageCheck();
  if (!check) return true;
  const PatrolScheduler& patrol = check->Patrol();
  return check->Busy() || patrol.RoundRunning() || check->RedirectPending() ||
         (patrol.PatrolTimerActive(number_) && patrol.PatrolTimerInterval(number_) != patrol.NormalInterval(number_));
}

void TNewsMonitor::ViewerTimerTick() {
  if (ViewerBusy()) {
    viewerTimer_->start(500);
    return;
  }
  viewerTimer_->stop();
  PatrolBar* model = PatrolModel();
  if (!model || !model->exists) return;
  model->fetchMode = kFetchSecondary;
  model->secondaryDefinition = viewerDefinition_;
  PageCheck()->Patrol().OnPatrolTimer(number_);
  viewerDoneTimer_->start();
}

void TNewsMonitor::ViewerDoneTick() {
  if (ViewerBusy()) return;
  viewerDoneTimer_->stop();
  TIPlist5& list = NewsList();
  const int index = viewerDefinition_;
  if (index < 0 || index >= list.Count) return;
  // The viewer reads what the parse leaves in the definition's files; the
  // bar then shows its own definition again.
  ParseDefinition(index, false);
  if (index != DefinitionIndex()) ParseDefinition(DefinitionIndex(), false);
  list[index].Seen = 1;
  if (viewerWindow_)
    platform::PostMessage(viewerWindow_, UM_VIEWERREQUEST,
                          static_cast<WParam>(viewerValue_) * 65536 + static_cast<WParam>(index),
                          static_cast<LParam>(Handle()));
}

// ---- Hide-all slide ------------------------------------------------------------------------

void TNewsMonitor::BeginSlide(bool outwards, QPoint away) {
  if (outwards) {
    slideHome_ = geometry().topLeft();
    slideEdge_ = bar_->Edge;
    slideAway_ = away;
  } else {
    show();
  }
  slide_ = StartSlide(outwards);
  sliding_ = true;
}

bool TNewsMonitor::SlideOneStep() {
  if (!sliding_) return true;
  SlideStep(slide_);
  // Above everything while it moves, released again at once.
  platform::SetStackingHint(this, 1);
  move(SlidePosition(slideHome_, slideAway_, slide_));
  platform::SetStackingHint(this, 0);
  return slide_.done;
}

void TNewsMonitor::FinishSlide() {
  sliding_ = false;
  if (slide_.outwards) {
    // Hidden: an invisible floating window until the way back.
    slidHidden_ = true;
    hide();
    ApplyReservation();
  } else {
    slidHidden_ = false;
    bar_->Edge = slideEdge_;
    move(slideHome_);
    Relayout();
    ApplyReservation();
    WindowZorderSet();
  }
}

void TNewsMonitor::StartBrowserPause() {
  if (!bar_->Thread) return;
  bar_->Thread->Pause[kPauseBrowser] = true;
  browserPauseTimer_->start();
}

// ---- Close ----------------------------------------------------------------------------------

void TNewsMonitor::SaveDockSizesAndName() {
  TIPlist5& list = NewsList();
  const int shown = DefinitionIndex();
  if (shown >= 0 && shown < list.Count) bar_->Slot().DefinitionName = FieldText(list[shown].Title);
}

void TNewsMonitor::CloseByUser() {
  settings().NewsMonitorVisible[number_] = false;
  bar_->Slot().AutoWidthPending = true;
  bar_->Slot().AutoHeightPending = true;
  FormClose();
}

void TNewsMonitor::FormClose() {
  if (closed_ || closing_) return;
  closing_ = true;
  barHeadlines(number_).Closing = true;
  SaveDockSizesAndName();
  // A bar that dodged the pointer is saved where it belongs.
  EndDodge();
  for (QTimer* timer : {Timer1, Timer11, autoHideTimer_, browserPauseTimer_, Timer4}) timer->stop();
  for (QTimer* timer : {viewerTimer_, viewerDoneTimer_, screenSaverTimer_}) timer->stop();
  SaveBarSettings(number_, bar_->Slot(), Facts(), settings().NewsMonitorAutoMove);
  if (PatrolBar* model = PatrolModel()) {
    PageCheck()->Patrol().StopBar(number_);
    model->client = nullptr;
  }
  RegisterNewsMonitor(number_, nullptr);
  autoHideEdges().Release(number_);
  if (number_ == 0) UnregisterHotKeys(Handle(), kBar0HotKeyIds);
  LightStr1->StopShow();
  EndScrollThread(*bar_, 20000);
  bar_->Frames.clear();
  closed_ = true;
  ApplyReservation();
  hide();
  deleteLater();
}

// ---- Screen saver ----------------------------------------------------------------------------

void TNewsMonitor::ShowScreenSaverStart(bool oneBar) {
  // The first existing bar hands bar 0's headlines to the news screen saver.
  int first = -1;
  for (int i = 0; i < kBarCount && first < 0; ++i)
    if (BarWindowExists(i)) first = i;
  if (first == number_) {
    if (TNewsMonitor* bar0 = NewsMonitorOf(0)) {
      const std::vector<std::string>& lines = bar0->LightStr1->ShowStrings();
      std::string text;
      for (int i = std::max(1, bar0->LightStr1->ShowIndex()); i + 1 < static_cast<int>(lines.size()); ++i) {
        std::string line = lines[static_cast<size_t>(i)];
        const size_t b = line.find_first_not_of(' '), e = line.find_last_not_of(' ');
        text += (b == std::string::npos ? std::string() : line.substr(b, e - b + 1)) + "\r\n";
      }
      platform::WriteFileAtomically(platform::JoinPath(platform::SystemFolder(), "newssaver.txt"), text);
    }
  }
  auto hideBar = [](TNewsMonitor& bar) {
    if (bar.screenSaverHidden_) return;
    bar.beforeScreenSaver_ = bar.geometry();
    bar.screenSaverHidden_ = true;
    if (bar.bar_->Thread) bar.bar_->Thread->Pause[kPauseScreenSaver] = true;
    bar.hide();
    bar.ApplyReservation();
  };
  if (oneBar) {
    hideBar(*this);
    return;
  }
  for (int i = 0; i < kBarCount; ++i)
    if (TNewsMonitor* bar = NewsMonitorOf(i)) hideBar(*bar);
}

void TNewsMonitor::ScreenSaverEnded(WParam showIndex) {
  if (!screenSaverHidden_) return;
  screenSaverShowIndex_ = showIndex;
  screenSaverWait_.start();
  ScreenSaverTick();
}

void TNewsMonitor::ScreenSaverTick() {
  if (!screenSaverHidden_ || closed_) return;
  // The work area comes back a moment after the screen saver ends.
  QScreen* screen = ScreenOfBar();
  const QRect work = screen ? screen->availableGeometry() : QRect();
  const QRect was = beforeScreenSaver_;
  const bool back = was.right() <= work.right() + 100 && was.bottom() <= work.bottom() + 100;
  if (!back && screenSaverWait_.elapsed() < 5000) {
    screenSaverTimer_->start(100);
    return;
  }
  screenSaverHidden_ = false;
  show();
  ApplyReservation();
  const int count = static_cast<int>(LightStr1->ShowStrings().size());
  if (screenSaverShowIndex_ > 1 && static_cast<int>(screenSaverShowIndex_) < count)
    LightStr1->SetShowIndex(static_cast<int>(screenSaverShowIndex_));
  if (bar_->Thread) bar_->Thread->Pause[kPauseScreenSaver] = false;
}

// ---- Messages ----------------------------------------------------------------------------------

LResult TNewsMonitor::WndProc(uint32_t msg, WParam wParam, LParam lParam) {
  TIPlist5& list = NewsList();
  switch (msg) {
    case platform::WM_HOTKEY: {
      // Bar 0's navigation keys.
      TLightStr& t = *LightStr1;
      const int count = static_cast<int>(t.ShowStrings().size());
      switch (static_cast<int>(wParam)) {
        case 0: {
          const int z = bar_->Slot().ZOrder;
          if (z != 0 && z != 4) break;
          if (inFront_)
            lower();
          else
            raise();
          inFront_ = !inFront_;
          break;
        }
        case 1: NewsChange(1); break;
        case 2: NewsChange(0); break;
        case 3:
        case 4: {
          const bool next = wParam == 3;
          const HeadlineJump jump = JumpHeadline(t.ShowIndex(), count, next);
          if (jump.switchSite) {
            NewsChange(next ? 1 : 0);
            break;
          }
          // The wanted headline is drawn next, at once.
          t.StopShow();
          t.SetCurrentLine(jump.target - 1);
          t.Relayout();
          t.StartShow();
          RenderNextLine(*bar_, t);
          if (bar_->Thread) bar_->Thread->Running = t.ShowActive() ? 1 : 0;
          break;
        }
        default: break;
      }
      return 1;
    }
    case UM_NEXTDEFINITION: NewsChange(1); return 0;
    case UM_NOUPDATE: platform::ShowMessage(SJ("更新された情報はありませんでした。")); return 0;
    case UM_SCREENSAVERHEADLINES: ShowScreenSaverStart(false); return 0;
    case UM_BARPASS1: {
      const int index = LightStr1->ShowIndex();
      LightStr1->SetShowIndex(index + 1);
      ShowScreenSaverStart(true);
      for (int i = number_ + 1; i < kBarCount; ++i)
        if (TNewsMonitor* next = NewsMonitorOf(i)) {
          platform::PostMessage(next->Handle(), UM_BARPASS1, wParam, lParam);
          break;
        }
      return 0;
    }
    case UM_BARPASS2: {
      ScreenSaverEnded(wParam);
      for (int i = number_ + 1; i < kBarCount; ++i)
        if (TNewsMonitor* next = NewsMonitorOf(i)) {
          platform::PostMessage(next->Handle(), UM_BARPASS2, wParam, lParam);
          break;
        }
      return 0;
    }
    case UM_BARSTEP1: list.CheckDate = Today(); return 0;
    case UM_BARSTEP3:
      // Held while the pointer rests on the bar; the rest timer lets go.
      if (bar_->Thread) bar_->Thread->Pause[kPausePointerRest] = true;
      Timer4->start();
      return 0;
    case UM_BARNAVIGATE:
      if (lParam == 2)
        ShowDefinition(static_cast<int>(wParam & 0xFFFF));
      else
        NewsChange(wParam == 0 ? 0 : 1);
      return 0;
    case UM_BARLAYOUT:
      UpdateRegionMask();
      update();
      if (wParam == 1) UpDateBarcl();
      return 0;
    case UM_VIEWERREQUEST:
      viewerWindow_ = static_cast<platform::WindowHandle>(lParam);
      if (ViewerBusy() || viewerTimer_->isActive() || viewerDoneTimer_->isActive()) return 0;
      viewerDefinition_ = static_cast<int>(wParam & 0xFFFF);
      viewerValue_ = static_cast<int>((wParam >> 16) & 0xFFFF);
      viewerTimer_->start(100);
      return 0;
    case UM_RECOLLECTALL: RecollectPatrolled(); return 0;
    case UM_REFRESHALL:
      if (THttpCheck* check = PageCheck()) check->Patrol().RefreshAll();
      return 0;
    case UM_MARKSEEN: {
      const int index = static_cast<int>(wParam & 0xFFFF);
      if (index >= 0 && index < list.Count) list[index].Seen = 1;
      return 0;
    }
    case UM_VIEWERWINDOW: viewerWindow_ = static_cast<platform::WindowHandle>(wParam); return 0;
    case platform::WM_CLOSE: FormClose(); return 0;
    default: return 0;
  }
}

}  // namespace lumetra
