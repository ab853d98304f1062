#include "ticker/news_position_change.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QVBoxLayout>

#include "ticker/ticker_rules.h"

namespace lumetra {

TTickTrackBar::TTickTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setTickPosition(QSlider::NoTicks);  // the marks are our own
  setMinimumHeight(36);
}

void TTickTrackBar::SetTicks(std::vector<int> ticks) {
  ticks_ = std::move(ticks);
  update();
}

void TTickTrackBar::paintEvent(QPaintEvent* event) {
  QSlider::paintEvent(event);
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
  const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
  const int span = std::max(1, groove.width() - handle.width());
  const int x0 = groove.x() + handle.width() / 2;
  QPainter p(this);
  p.setPen(palette().color(QPalette::WindowText));
  const int y = std::min(height() - 5, handle.bottom() + 2);
  for (int tick : ticks_) {
    const int x = x0 + QStyle::sliderPositionFromValue(minimum(), maximum(), tick, span);
    p.drawLine(x, y, x, y + 3);
  }
}

TNewsPositionChange::TNewsPositionChange(int speed, std::function<void(int)> apply, QWidget* parent)
    : QDialog(parent), originalSpeed_(speed), speed_(speed), apply_(std::move(apply)) {
  setWindowTitle(QStringLiteral(u"スクロールスピード変更"));
  trackBar_ = new TTickTrackBar(this);
  trackBar_->setRange(1, kSpeedMaximum);
  trackBar_->setValue(SliderPositionForSpeed(speed));
  trackBar_->SetTicks(SpeedDialogTicks());
  ok_ = new QPushButton(QStringLiteral("&OK"), this);
  cancel_ = new QPushButton(QStringLiteral(u"ｷｬﾝｾﾙ(&C)"), this);
  ok_->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->setSpacing(8);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(trackBar_);
  layout->addLayout(buttons);
  resize(360, sizeHint().height());

  connect(trackBar_, &QSlider::valueChanged, this, [this](int position) { TrackBarChange(position); });
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &TNewsPositionChange::reject);
}

void TNewsPositionChange::TrackBarChange(int position) {
  speed_ = SpeedForSliderPosition(position);
  if (apply_) apply_(speed_);
}

void TNewsPositionChange::reject() {
  speed_ = originalSpeed_;
  if (apply_) apply_(originalSpeed_);
  QDialog::reject();
}

void TNewsPositionChange::PlaceAt(const QPoint& point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) {
    // Beyond every monitor: back to the origin.
    move(0, 0);
    return;
  }
  const QRect area = screen->availableGeometry();
  const QSize size = frameGeometry().size().expandedTo(this->size());
  int x = std::min(point.x(), area.right() - size.width() + 1);
  int y = std::min(point.y(), area.bottom() - size.height() + 1);
  move(std::max(x, area.left()), std::max(y, area.top()));
}

}  // namespace lumetra
