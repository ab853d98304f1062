#include "ticker/weather_icons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "ticker/weather_text.h"

namespace lumetra {
namespace {

// Outlines keep the pictures readable on light and dark strips alike.
const QColor kOutline(40, 40, 40);

void Sun(QPainter& p) {
  p.setPen(QPen(QColor(230, 90, 20), 5, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 8; ++i) {
    const double a = i * M_PI / 4;
    p.drawLine(QPointF(32 + 19 * std::cos(a), 32 + 19 * std::sin(a)), QPointF(32 + 28 * std::cos(a), 32 + 28 * std::sin(a)));
  }
  p.setPen(QPen(QColor(200, 60, 10), 2));
  p.setBrush(QColor(255, 120, 30));
  p.drawEllipse(QPointF(32, 32), 14, 14);
}

QPainterPath CloudPath(double dx, double dy, double scale) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  auto circle = [&](double x, double y, double r) { path.addEllipse(QPointF(dx + x * scale, dy + y * scale), r * scale, r * scale); };
  circle(20, 36, 12);
  circle(32, 28, 15);
  circle(45, 36, 12);
  path.addRoundedRect(QRectF(dx + 8 * scale, dy + 34 * scale, 49 * scale, 14 * scale), 7 * scale, 7 * scale);
  return path.simplified();
}

void Cloud(QPainter& p) {
  p.setPen(QPen(kOutline, 2));
  p.setBrush(QColor(170, 175, 185));
  p.drawPath(CloudPath(0, 4, 1.0));
}

void Umbrella(QPainter& p) {
  p.setPen(QPen(kOutline, 2));
  p.setBrush(QColor(40, 110, 230));
  QPainterPath canopy;
  canopy.moveTo(6, 30);
  canopy.arcTo(QRectF(6, 6, 52, 48), 180, -180);
  canopy.quadTo(51, 26, 45, 30);
  canopy.quadTo(38, 26, 32, 30);
  canopy.quadTo(26, 26, 19, 30);
  canopy.quadTo(13, 26, 6, 30);
  p.drawPath(canopy);
  p.setPen(QPen(kOutline, 4, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(32, 29), QPointF(32, 52));
  p.drawArc(QRectF(24, 46, 8, 10), 0, -180 * 16);
}

void Snowman(QPainter& p) {
  p.setPen(QPen(QColor(60, 110, 170), 2));
  p.setBrush(QColor(245, 250, 255));
  p.drawEllipse(QPointF(32, 44), 15, 14);
  p.drawEllipse(QPointF(32, 20), 11, 11);
  p.setPen(Qt::NoPen);
  p.setBrush(kOutline);
  p.drawEllipse(QPointF(28, 18), 2, 2);
  p.drawEllipse(QPointF(36, 18), 2, 2);
  p.setBrush(QColor(230, 60, 40));
  p.drawRect(QRectF(22, 29, 20, 4));
}

void Letter(QPainter& p, const QColor& colour, const QString& letter) {
  p.setPen(QPen(colour, 5));
  p.setBrush(QColor(255, 255, 255, 220));
  p.drawEllipse(QPointF(32, 32), 26, 26);
  QFont f;
  f.setPixelSize(34);
  f.setBold(true);
  p.setFont(f);
  p.setPen(colour);
  p.drawText(QRectF(0, 0, 64, 64), Qt::AlignCenter, letter);
}

void Drops(QPainter& p) {
  p.setPen(QPen(kOutline, 1.5));
  p.setBrush(QColor(50, 130, 240));
  for (const QPointF c : {QPointF(18, 22), QPointF(44, 18), QPointF(30, 44)}) {
    QPainterPath drop;
    drop.moveTo(c.x(), c.y() - 14);
    drop.cubicTo(c.x() + 4, c.y() - 6, c.x() + 9, c.y() - 1, c.x() + 9, c.y() + 4);
    drop.arcTo(QRectF(c.x() - 9, c.y() - 5, 18, 18), 0, -180);
    drop.cubicTo(c.x() - 9, c.y() - 1, c.x() - 4, c.y() - 6, c.x(), c.y() - 14);
    p.drawPath(drop);
  }
}

// The thin line symbols that stand between two weather pictures.
void ThinLine(QPainter& p, int symbol) {
  const QColor ink(60, 60, 60);
  QPen pen(ink, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  switch (symbol) {
    case kSymbolAtTimes:  // ： now and then: a broken upright line
      pen.setDashPattern({2.0, 1.6});
      p.setPen(pen);
      p.drawLine(QPointF(32, 10), QPointF(32, 54));
      break;
    case kSymbolOnAndOff:  // ｜ on and off: an upright line
      p.drawLine(QPointF(32, 10), QPointF(32, 54));
      break;
    case kSymbolLater:  // → later
      p.drawLine(QPointF(8, 32), QPointF(54, 32));
      p.drawPolyline(QPolygonF({QPointF(40, 18), QPointF(55, 32), QPointF(40, 46)}));
      break;
    case kSymbolOr:  // か either: a slash
      p.drawLine(QPointF(42, 10), QPointF(22, 54));
      break;
    case kSymbolStopping:  // ↓ stopping
      p.drawLine(QPointF(32, 8), QPointF(32, 54));
      p.drawPolyline(QPolygonF({QPointF(18, 40), QPointF(32, 55), QPointF(46, 40)}));
      break;
    default:
      break;
  }
}

QImage DrawStrip() {
  QImage strip(kWeatherIconSize * kWeatherSymbolCount, kWeatherIconSize, QImage::Format_ARGB32_Premultiplied);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int s = 0; s < kWeatherSymbolCount; ++s) {
    p.save();
    p.translate(s * kWeatherIconSize, 0);
    p.setClipRect(0, 0, kWeatherIconSize, kWeatherIconSize);
    switch (s) {
      case kSymbolFine: Sun(p); break;
      case kSymbolCloudy: Cloud(p); break;
      case kSymbolRain: Umbrella(p); break;
      case kSymbolSnow: Snowman(p); break;
      case kSymbolHigh: Letter(p, QColor(30, 80, 200), QStringLiteral("H")); break;
      case kSymbolLow: Letter(p, QColor(210, 40, 40), QStringLiteral("L")); break;
      case kSymbolFalling: Drops(p); break;
      default: ThinLine(p, s); break;
    }
    p.restore();
  }
  return strip;
}

}  // namespace

const QImage& WeatherIconStrip() {
  static const QImage strip = DrawStrip();
  return strip;
}

QImage WeatherIcon(int symbol, int size) {
  static QHash<qint64, QImage> cache;
  if (symbol < 0 || symbol >= kWeatherSymbolCount || size <= 0) return {};
  const qint64 key = (static_cast<qint64>(size) << 8) | symbol;
  auto it = cache.find(key);
  if (it != cache.end()) return *it;
  const QImage one = WeatherIconStrip().copy(symbol * kWeatherIconSize, 0, kWeatherIconSize, kWeatherIconSize);
  QImage scaled = one.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  cache.insert(key, scaled);
  return scaled;
}

}  // namespace lumetra
