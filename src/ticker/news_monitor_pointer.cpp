// TNewsMonitor and the pointer: the headline under the pointer, its hint and
// the pointer's shape, opening headlines by click, single click or rest, the
// auto-move dodge, and presses on the ticker handed to the bar.
#include "ticker/news_monitor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "app/browser_launcher.h"
#include "app/settings.h"
#include "definitions/news_definition.h"
#include "platform/sjis_text.h"
#include "ticker/light_str.h"
#include "ticker/scroll_thread.h"
#include "ticker/ticker_bar.h"

namespace lumetra {

void TNewsMonitor::mousePressEvent(QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  CancelReadAhead();
  if (event->button() == Qt::RightButton) {
    if (PopupMenuRequested) PopupMenuRequested(*this, global);
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  // The user takes hold of the bar: it stays where it dodged to.
  if (Timer2->isActive()) {
    Timer2->stop();
    autoMove_.Set(0);
  }
  BeginDrag(HitTest(event->position().toPoint()), global);
  if (settings().NewsSingleClick) singleClick_.Press(global);
}

void TNewsMonitor::mouseMoveEvent(QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  if (dragging_) {
    ContinueDrag(global);
    return;
  }
  PointerMove(event->position().toPoint(), global, event->modifiers());
}

void TNewsMonitor::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint global = event->globalPosition().toPoint();
  const bool dragged = dragging_ && dragMoved_;
  if (dragging_) EndDrag(global);
  if (settings().NewsSingleClick && singleClick_.Release(global, dragged)) OpenUnderPointer(global);
}

void TNewsMonitor::mouseDoubleClickEvent(QMouseEvent* event) {
  CancelReadAhead();
  if (event->button() != Qt::LeftButton) return;
  const QPoint global = event->globalPosition().toPoint();
  // In single-click mode the first click opened the headline already.
  if (settings().NewsSingleClick) return;
  const UrlHit hit = UrlAt(global);
  const auto& lines = LightStr1->ShowStrings();
  if (!hit.url.empty())
    OpenHeadline(hit.url, hit.index >= 0 && hit.index < static_cast<int>(lines.size()) ? lines[hit.index] : std::string());
}

void TNewsMonitor::PointerMove(QPoint local, QPoint global, Qt::KeyboardModifiers modifiers) {
  const Settings& set = settings();
  // Auto-move: a floating bar steps aside from a pointer sweeping over it.
  if (set.NewsMonitorAutoMove && !bar_->Docked() && !Timer2->isActive() &&
      autoMove_.Move(TickerClockMs(), modifiers & Qt::ShiftModifier, std::max(1, set.AutoMoveLimit))) {
    DodgePointer();
    return;
  }
  if (std::optional<PointerShape> sizing = SizingShape(HitTest(local))) {
    SetPointerShape(*sizing);
    return;
  }
  TIPlist5& list = NewsList();
  const int shown = DefinitionIndex();
  const bool valid = shown >= 0 && shown < list.Count;
  const std::string name = valid ? FieldText(list[shown].Title) : std::string();
  const UrlHit hit = UrlAt(global);
  SetHint(platform::SjisToQString(PointerHint(name, hit)));
  if (hit.url.empty()) {
    SetPointerShape(PointerShape::Arrow);
    return;
  }
  SetPointerShape(PointerShape::Hand);
  const bool weather = valid && list[shown].Category == kCategoryWeather;
  if (set.PopupURL && ReadAhead.arm && hit.url != lastPointedUrl_ && hit.url != lastClickedUrl_ && !weather) {
    const auto& lines = LightStr1->ShowStrings();
    ReadAhead.arm(*this, hit.url,
                  hit.index >= 0 && hit.index < static_cast<int>(lines.size()) ? lines[hit.index] : std::string());
  }
  lastPointedUrl_ = hit.url;
  Timer4->start();
}

void TNewsMonitor::SetPointerShape(PointerShape shape) {
  Qt::CursorShape wanted = Qt::ArrowCursor;
  switch (shape) {
    case PointerShape::Arrow: wanted = Qt::ArrowCursor; break;
    case PointerShape::Hand: wanted = Qt::PointingHandCursor; break;
    case PointerShape::SizeDiagonal: wanted = Qt::SizeFDiagCursor; break;
    case PointerShape::SizeAntiDiagonal: wanted = Qt::SizeBDiagCursor; break;
    case PointerShape::SizeHorizontal: wanted = Qt::SizeHorCursor; break;
    case PointerShape::SizeVertical: wanted = Qt::SizeVerCursor; break;
  }
  // The ticker covers most of the bar; both show the same pointer.
  if (cursor().shape() != wanted) setCursor(wanted);
  if (LightStr1->cursor().shape() != wanted) LightStr1->setCursor(wanted);
}

void TNewsMonitor::SetHint(const QString& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  setToolTip(hint);
  LightStr1->setToolTip(hint);
}

QString TNewsMonitor::Hint() const { return hint_; }

UrlHit TNewsMonitor::UrlAt(QPoint global) const {
  const TLightStr& t = *LightStr1;
  UrlAtInput in;
  in.weeklyTable = bar_->WeeklyTable;
  // Colour sets carry no link of their own, so a skin never answers for itself.
  in.point = mapFromGlobal(global);
  const QPoint onTicker = t.mapFromGlobal(global);
  in.along = t.IsVertical() ? onTicker.y() : onTicker.x();
  in.lineAt = [&t](int along) { return t.LineAt(along); };
  in.links = &links_;
  return lumetra::UrlAt(in);
}

UrlHit TNewsMonitor::UrlAlong(QPoint global) const {
  const TLightStr& t = *LightStr1;
  const QPoint middle = t.mapToGlobal(QPoint(t.width() / 2, t.height() / 2));
  return UrlAt(t.IsVertical() ? QPoint(middle.x(), global.y()) : QPoint(global.x(), middle.y()));
}

void TNewsMonitor::OpenUnderPointer(QPoint global) {
  const UrlHit hit = UrlAt(global);
  if (hit.url.empty() || !singleClick_.MayOpen(hit.url, TickerClockMs())) return;
  const auto& lines = LightStr1->ShowStrings();
  OpenHeadline(hit.url, hit.index >= 0 && hit.index < static_cast<int>(lines.size()) ? lines[hit.index] : std::string());
}

void TNewsMonitor::OpenHeadline(const std::string& url, const std::string& headline, std::optional<int> definition) {
  if (url.empty()) return;
  RememberOpened(opened_, url, headline);
  lastClickedUrl_ = url;
  OpenUrl(url, true, definition.value_or(DefinitionIndex()));
}

void TNewsMonitor::CancelReadAhead() {
  if (ReadAhead.cancel) ReadAhead.cancel(*this);
}

void TNewsMonitor::Timer4Tick() {
  const QPoint pos = QCursor::pos();
  // A press that rests where it was made opens its headline, unless the
  // button is still held (a drag may follow) or its release opened it.
  if (settings().NewsSingleClick && !(QGuiApplication::mouseButtons() & Qt::LeftButton) && singleClick_.Rest(pos)) {
    singleClick_.Forget();
    OpenUnderPointer(pos);
  }
  if (bar_->Thread && bar_->Thread->Pause[kPausePointerRest]) {
    if (geometry().contains(pos))
      Timer4->start();
    else
      bar_->Thread->Pause[kPausePointerRest] = false;
  }
}

bool TNewsMonitor::Dodging() const { return Timer2->isActive(); }

void TNewsMonitor::DodgePointer() {
  beforeDodge_ = geometry();
  if (bar_->Slot().Hidden) {
    dodgeHidden_ = true;
    hide();
  } else {
    QScreen* screen = ScreenOfBar();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    move(DodgeRect(beforeDodge_, work).topLeft());
  }
  autoMove_.Set(3);
  Timer2->start(AutoMoveReturnInterval(std::max(1, settings().AutoMoveLimit)));
}

void TNewsMonitor::Timer2Tick() {
  if (AutoMoveReturnTick(autoMove_, beforeDodge_, QCursor::pos())) EndDodge();
}

void TNewsMonitor::EndDodge() {
  if (!Timer2->isActive()) return;
  Timer2->stop();
  autoMove_.Set(0);
  if (dodgeHidden_) {
    dodgeHidden_ = false;
    show();
  } else {
    move(beforeDodge_.topLeft());
  }
}

bool TNewsMonitor::eventFilter(QObject* watched, QEvent* event) {
  if (watched != LightStr1) return QWidget::eventFilter(watched, event);
  // Presses on the ticker act on the bar as its frame would, in bar coordinates.
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const QPointF local = LightStr1->mapTo(this, mouse->position().toPoint());
      QMouseEvent mapped(mouse->type(), local, mouse->globalPosition(), mouse->button(), mouse->buttons(),
                         mouse->modifiers(), mouse->pointingDevice());
      // The device remembers each press's time from the events made for it:
      // without the original's time a second press never makes a double click.
      mapped.setTimestamp(mouse->timestamp());
      QCoreApplication::sendEvent(this, &mapped);
      return true;
    }
    default: return false;
  }
}

}  // namespace lumetra
