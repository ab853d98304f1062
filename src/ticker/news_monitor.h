#pragma once
// TNewsMonitor: the bar window. A frameless tool window holding one ticker
// (LightStr1); docked to a screen edge it reserves that edge like a panel,
// auto-hidden it shrinks to a thin strip there, floating it is an ordinary
// window. It owns its ticker state (TickerBar), scroll thread, settings slot
// and timers, and answers the bar's window messages. The rules it applies
// live in bar_geometry, bar_settings and bar_definitions.
#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "definitions/colour_sets.h"
#include "interaction/pointer_rules.h"
#include "platform/message_port.h"
#include "ticker/bar_geometry.h"
#include "ticker/bar_settings.h"

class QTimer;

namespace lumetra {

class TLightStr;
struct TickerBar;
struct PatrolBar;

class TNewsMonitor : public QWidget {
 public:
  // Takes the current bar number (CurrentBarNumber()) and runs the creation
  // steps; the bar is shown at the end unless the program is closing.
  TNewsMonitor();
  ~TNewsMonitor() override;

  int Number() const { return number_; }
  platform::WindowHandle Handle() const;
  TickerBar& Bar() { return *bar_; }
  TLightStr* LightStr1 = nullptr;
  // The definition the bar shows: bar 0 the list's CurrentIndex, the others
  // their slot's Definition (so index shifts in the list reach it).
  int DefinitionIndex() const;
  int Edge() const;
  bool Closed() const { return closed_; }
  bool ShownOnce() const { return shownOnce_; }
  // Auto-hide is in effect (docked, and the edge was free); collapsed: only
  // the thin strip shows.
  bool AutoHideOn() const { return autoHideApplied_; }
  bool AutoHidden() const { return autoHideCollapsed_; }

  // --- Placement and look (the menu's "表示" and "配置" items end here) ----
  // Applies the Placement slot to the edge, keeping the floating rectangle.
  void TaskBarModeToEdge();
  // Re-applies edge, size and auto-hide to the desktop (strut, strip).
  void UpDateBarcl();
  // The re-layout; `force` skips the "nothing changed" shortcut of resizes.
  void Relayout(bool force = true);
  void WindowZorderSet();
  // "自動配置" ... "右側に配置" (0 ... 5).
  void ChoosePlacementItem(int placement);
  // "常に手前" (1), "常に奥" (2), "通常" (3).
  void ChooseStacking(int zorder);
  // "自動的に隠す": false when another bar already auto-hides at the edge
  // (the message has then been shown and nothing changed).
  bool ToggleAutoHide();
  // "外枠".
  void ToggleOutline();
  // One (1), two (0) or three (2) lines.
  void SetLineMode(int lineMode);
  // The opacity dialog's result: the Alpha slot, clamped, applied.
  void SetAlpha(int alpha);
  // Rebuilds the ticker and draws the current headline again.
  void RestartTicker();
  // The slot's colour set (chosen, edited or imported) is applied anew: the
  // dock sizes follow a switch into or out of the LED board, a fixed-size
  // skin floats, and the ticker is rebuilt.
  void ReapplyColourSet();
  bool FixedSkin() const;

  // --- Definitions and headlines -----------------------------------------------
  // Shows definition `index` (bar 0 moves the list's CurrentIndex).
  void ShowDefinition(int index);
  // Puts the headlines into the ticker and starts it afresh.
  void SetHeadlines(std::vector<std::string> lines, std::vector<std::string> links);
  const std::vector<std::string>& Links() const { return links_; }
  // Bar 0 steps to the next (1) or previous (0) patrolled definition
  // available to it; the other bars show their own definition again. The
  // definition shown is then fetched.
  void NewsChange(int direction);
  // The page cache of definition `index` is parsed: for the display
  // (`background` false) or, bar 0 only, for the keyword watch.
  void ParseDefinition(int index, bool background);
  // The definition whose headlines the strip shows (-1: none yet).
  int ShownDefinition() const { return shownDefinition_; }
  // Line change (the renderer, before it draws line `index`): headlines
  // alternate between the set's two news colours; after a whole round a bar
  // asked to move on switches to the next site; the site counts as seen.
  void OnLineNext(int index);
  // Whether the bar moves on to the next site after each round of headlines.
  void SetMoveOnAfterRound(bool on) { moveOnAfterRound_ = on; }
  // Message 1230: the headlines of every patrolled definition again.
  void RecollectPatrolled();
  // Asks the patrol to fetch the bar's own definition now.
  void FetchShownDefinition();
  // The bar's model in the patrol (nullptr without a page-check window).
  PatrolBar* PatrolModel() const;

  // --- Pointer --------------------------------------------------------------
  // The headline and address under a screen point.
  UrlHit UrlAt(QPoint global) const;
  // The same for the point's coordinate along the strip alone (the across
  // coordinate taken from the ticker's middle).
  UrlHit UrlAlong(QPoint global) const;
  // Opens an address in the browser and remembers it with its headline.
  // `definition`: the definition it belongs to (default: the bar's own).
  void OpenHeadline(const std::string& url, const std::string& headline = {}, std::optional<int> definition = {});
  // What the bar opened, newest first.
  const std::deque<OpenedHeadline>& Opened() const { return opened_; }
  // The hint the pointer shows over the ticker now.
  QString Hint() const;
  // Where the read-ahead popup (and the picture popup) plug in: armed when
  // the pointer comes to rest on a new address, cancelled by any press.
  struct PointerRestHooks {
    std::function<void(TNewsMonitor&, const std::string& url, const std::string& headline)> arm;
    std::function<void(TNewsMonitor&)> cancel;
  };
  PointerRestHooks ReadAhead;
  // The auto-move dodge is in effect (the bar left its place, or hid).
  bool Dodging() const;

  // --- Dragging and the menu -------------------------------------------------
  // Moves or sizes the bar as its frame was grabbed with hit code `hit` at
  // the screen point; the drag runs until ContinueDrag/EndDrag say otherwise.
  void BeginDrag(int hit, QPoint global);
  void ContinueDrag(QPoint global);
  void EndDrag(QPoint global);
  bool Dragging() const { return dragging_; }
  // WM_NCHITTEST for a point in bar coordinates (docked bars size only from
  // their inner edge).
  int HitTest(QPoint local) const;
  // The popup menu (interaction/bar_menu_ui), asked for by a right press.
  std::function<void(TNewsMonitor&, QPoint global)> PopupMenuRequested;

  // --- Hide-all slide (driven by the bar list) ---------------------------------
  bool Sliding() const { return sliding_; }
  bool SlidHidden() const { return slidHidden_; }
  // Outwards towards `away`; back (away ignored) from where it went.
  void BeginSlide(bool outwards, QPoint away);
  // One step; true when the bar arrived.
  bool SlideOneStep();
  void FinishSlide();

  // A browser was opened for a headline: the text holds still meanwhile.
  void StartBrowserPause();
  // The companion viewer's window as the bar last heard of it; 0: none.
  platform::WindowHandle ViewerWindow() const { return viewerWindow_; }

  // "閉じる": the bar is no longer visible and its size is to be found again.
  void CloseByUser();
  // Close: saves the settings, ends the scroll thread (up to 20 s), goes.
  void FormClose();

  platform::LResult WndProc(uint32_t msg, platform::WParam wParam, platform::LParam lParam);

  // What the settings load and save see of this window.
  BarWindowFacts Facts() const;
  // The rectangle the bar occupies when shown (docked: its place at the edge).
  QRect PlacedRect() const { return placed_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct LayoutMemo {
    QSize size;
    bool tickerVisible = false;
    int style = -1;
    int fontH = -1;
    bool operator==(const LayoutMemo&) const = default;
  };

  void Create();
  void ApplySkinSize();
  QRect ComputePlacedRect(int thickness);
  DockNeighbours NeighboursFor(int edge, const QRect& monitor) const;
  QScreen* ScreenOfBar() const;
  void ApplyReservation();
  void ApplyAlpha();
  void UpdateColourKeyMask();
  void UpdateRegionMask();
  void SetAutoHideCollapsed(bool collapsed, bool animate);
  void AutoHideTimerTick();
  void Timer1Tick();
  void Timer11Tick();
  void ScreensChanged();
  void ArmPatrol();
  void ViewerTimerTick();
  void ViewerDoneTick();
  bool ViewerBusy() const;
  void ShowScreenSaverStart(bool oneBar);
  void ScreenSaverEnded(platform::WParam showIndex);
  void ScreenSaverTick();
  void SaveDockSizesAndName();
  void PauseLayout(bool paused);
  const ColourSet* Set() const;
  bool SkinLook() const;
  void PointerMove(QPoint local, QPoint global, Qt::KeyboardModifiers modifiers);
  void SetPointerShape(PointerShape shape);
  void SetHint(const QString& hint);
  void OpenUnderPointer(QPoint global);
  void CancelReadAhead();
  void DodgePointer();
  void Timer2Tick();
  void Timer4Tick();
  void EndDodge();

  const int number_;
  std::unique_ptr<TickerBar> bar_;
  std::unique_ptr<platform::MessagePort> port_;
  QWidget* Panel1 = nullptr;
  QTimer* Timer1 = nullptr;      // re-check after a drag
  QTimer* Timer11 = nullptr;     // stacking after an auto-hide change
  QTimer* autoHideTimer_ = nullptr;
  QTimer* browserPauseTimer_ = nullptr;
  std::vector<std::string> links_;
  QRect placed_;               // where the bar is when shown
  QRect reserved_;             // the strut set now (empty: none)
  int reservedEdge_ = -1;
  bool dockTyped_ = false;
  bool layingOut_ = false;
  bool shownOnce_ = false;
  bool closed_ = false;
  bool closing_ = false;
  LayoutMemo memo_;
  // Dragging
  bool dragging_ = false;
  bool dragMoved_ = false;
  int dragHit_ = kHitCaption;
  int dragEdge_ = 5;
  QPoint dragStartGlobal_;
  QRect dragStartRect_;
  QPoint grabOffset_;
  // Auto-hide
  bool autoHideCollapsed_ = false;
  bool autoHideApplied_ = false;
  int autoHideFrames_ = 0;
  QRect autoHideFrom_, autoHideTo_;
  // Hide-all slide
  bool sliding_ = false;
  bool slidHidden_ = false;
  SlideState slide_;
  QPoint slideHome_, slideAway_;
  int slideEdge_ = 5;
  // Screen saver
  bool screenSaverHidden_ = false;
  QRect beforeScreenSaver_;
  QTimer* screenSaverTimer_ = nullptr;
  QElapsedTimer screenSaverWait_;
  platform::WParam screenSaverShowIndex_ = 0;
  // Stacking hot key toggle
  bool inFront_ = true;
  platform::WindowHandle viewerWindow_ = 0;
  // The companion viewer's request: the definition and its own value.
  int viewerDefinition_ = -1;
  int viewerValue_ = 0;
  QTimer* viewerTimer_ = nullptr;
  QTimer* viewerDoneTimer_ = nullptr;
  class PatrolClient;
  std::unique_ptr<PatrolClient> patrolClient_;
  // Pointer
  QTimer* Timer2 = nullptr;  // auto-move return
  QTimer* Timer4 = nullptr;  // pointer rest
  AutoMoveCounter autoMove_;
  QRect beforeDodge_;
  bool dodgeHidden_ = false;
  SingleClickOpener singleClick_;
  std::string lastPointedUrl_;
  std::string lastClickedUrl_;
  std::deque<OpenedHeadline> opened_;
  QString hint_;
  int shownDefinition_ = -1;
  bool moveOnAfterRound_ = false;
  int lastLineIndex_ = -1;
  QRect regionMaskSize_;
  QRegion skinRegion_;  // a region skin's shape
  QRect timer1Last_;

};

}  // namespace lumetra
