#include "app/tray_pictures_ui.h"

#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "platform/sjis_text.h"

namespace lumetra {
namespace {

enum class Eyes { Open, LeftWink, RightWink, LookUp, Crossed, Sleepy };
enum class Badge { None, Refresh, Envelope, NoEntry, Magnifier, Sparkle, Sleep };

struct Look {
  QColor top, bottom;  // body shading (the flat list uses `bottom`)
  Eyes eyes;
  bool smile;
  Badge badge;
};

Look LookOf(int index) {
  const QColor blueTop(0x5A, 0xB0, 0xFF), blueBottom(0x1C, 0x5F, 0xC8);
  switch (index) {
    case 1: return {QColor(0x6B, 0xD8, 0x86), QColor(0x1E, 0x8C, 0x46), Eyes::LookUp, true, Badge::Refresh};
    case 2: return {QColor(0xFF, 0xB0, 0x4D), QColor(0xE0, 0x5A, 0x0C), Eyes::Open, true, Badge::Envelope};
    case 3: return {QColor(0xC2, 0xC8, 0xCF), QColor(0x6A, 0x73, 0x7D), Eyes::Crossed, false, Badge::NoEntry};
    case 4: return {QColor(0xFF, 0xDD, 0x55), QColor(0xE8, 0x8A, 0x00), Eyes::Open, true, Badge::Magnifier};
    case 5: return {blueTop, blueBottom, Eyes::LeftWink, true, Badge::None};
    case 6: return {blueTop, blueBottom, Eyes::RightWink, true, Badge::Sparkle};
    case 8: return {QColor(0xB0, 0xA4, 0xEE), QColor(0x5B, 0x47, 0xB2), Eyes::Sleepy, false, Badge::Sleep};
    default: return {blueTop, blueBottom, Eyes::Open, true, Badge::None};
  }
}

QPen Stroke(const QColor& c, double width) {
  QPen pen(c, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void DrawBody(QPainter& p, bool modern, const Look& look) {
  const QRectF screen(2.5, 3.5, 27, 22);
  // The stand under the little screen.
  p.setPen(Qt::NoPen);
  p.setBrush(modern ? QColor(0x55, 0x5E, 0x6B) : QColor(0x40, 0x40, 0x40));
  p.drawRoundedRect(QRectF(11, 25, 10, 4.5), 1.5, 1.5);
  if (modern) {
    QLinearGradient shade(screen.topLeft(), screen.bottomLeft());
    shade.setColorAt(0, look.top);
    shade.setColorAt(1, look.bottom);
    p.setBrush(shade);
    p.setPen(Stroke(look.bottom.darker(150), 1.2));
  } else {
    p.setBrush(look.bottom);
    p.setPen(QPen(Qt::black, 1));
  }
  p.drawRoundedRect(screen, modern ? 6 : 3, modern ? 6 : 3);
  if (modern) {  // a soft gloss on the upper half
    QPainterPath gloss;
    gloss.addRoundedRect(QRectF(4.5, 5, 23, 9), 4.5, 4.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 55));
    p.drawPath(gloss);
  }
  // The headline strip at the bottom of the screen.
  p.setPen(Qt::NoPen);
  p.setBrush(modern ? QColor(0, 0, 0, 70) : look.bottom.darker(160));
  p.drawRoundedRect(QRectF(5, 19, 22, 4.5), 1.5, 1.5);
  p.setPen(Stroke(QColor(0xFF, 0xE0, 0x66), 1.6));
  p.drawLine(QPointF(7, 21.25), QPointF(12, 21.25));
  p.drawLine(QPointF(14.5, 21.25), QPointF(17, 21.25));
  p.drawLine(QPointF(19.5, 21.25), QPointF(25, 21.25));
}

void DrawEye(QPainter& p, bool modern, QPointF c, Eyes style, bool left) {
  const QColor white(0xFF, 0xFF, 0xFF), ink(0x1B, 0x23, 0x33);
  const bool closed = (style == Eyes::LeftWink && left) || (style == Eyes::RightWink && !left);
  if (closed) {  // a happy closed eye: an arch
    p.setPen(Stroke(white, 1.8));
    p.setBrush(Qt::NoBrush);
    QPainterPath arch;
    arch.moveTo(c + QPointF(-2.6, 0.9));
    arch.quadTo(c + QPointF(0, -2.6), c + QPointF(2.6, 0.9));
    p.drawPath(arch);
    return;
  }
  if (style == Eyes::Crossed) {
    p.setPen(Stroke(white, 1.7));
    p.drawLine(c + QPointF(-2, -2), c + QPointF(2, 2));
    p.drawLine(c + QPointF(-2, 2), c + QPointF(2, -2));
    return;
  }
  if (style == Eyes::Sleepy) {
    p.setPen(Stroke(white, 1.7));
    p.drawLine(c + QPointF(-2.4, 0.6), c + QPointF(2.4, 0.6));
    return;
  }
  p.setPen(Qt::NoPen);
  p.setBrush(white);
  p.drawEllipse(c, 2.8, 3.0);
  QPointF pupil = c + (style == Eyes::LookUp ? QPointF(0.8, -1.2) : QPointF(0.3, 0.4));
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawEllipse(pupil, 1.4, 1.5);
  if (modern) {
    p.setBrush(white);
    p.drawEllipse(pupil + QPointF(-0.5, -0.6), 0.45, 0.45);
  }
}

void DrawFace(QPainter& p, bool modern, const Look& look) {
  DrawEye(p, modern, QPointF(11.5, 11), look.eyes, true);
  DrawEye(p, modern, QPointF(20.5, 11), look.eyes, false);
  p.setPen(Stroke(QColor(0xFF, 0xFF, 0xFF), 1.6));
  p.setBrush(Qt::NoBrush);
  if (look.smile) {
    QPainterPath mouth;
    mouth.moveTo(13, 15.2);
    mouth.quadTo(16, 18.2, 19, 15.2);
    p.drawPath(mouth);
  } else {
    p.drawLine(QPointF(13.5, 16.2), QPointF(18.5, 16.2));
  }
}

void BadgeDisc(QPainter& p, bool modern, QPointF c, double r, const QColor& fill) {
  p.setPen(modern ? Stroke(QColor(0, 0, 0, 110), 1.0) : QPen(Qt::black, 1));
  p.setBrush(fill);
  p.drawEllipse(c, r, r);
}

void DrawBadge(QPainter& p, bool modern, Badge badge) {
  const QPointF c(24.5, 24.5);
  switch (badge) {
    case Badge::None: return;
    case Badge::Refresh: {
      BadgeDisc(p, modern, c, 6.5, QColor(0xFF, 0xFF, 0xFF));
      p.setPen(Stroke(QColor(0x1E, 0x8C, 0x46), 1.8));
      p.setBrush(Qt::NoBrush);
      const QRectF ring(c.x() - 3.6, c.y() - 3.6, 7.2, 7.2);
      p.drawArc(ring, 100 * 16, 250 * 16);
      QPainterPath head;  // the arrow's head at the open end of the ring
      head.moveTo(c + QPointF(-1.6, -5.6));
      head.lineTo(c + QPointF(1.4, -3.6));
      head.lineTo(c + QPointF(-1.6, -1.4));
      head.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x1E, 0x8C, 0x46));
      p.drawPath(head);
      return;
    }
    case Badge::Envelope: {
      const QRectF env(16.5, 18.5, 14, 10);
      p.setPen(modern ? Stroke(QColor(0xB0, 0x1E, 0x3C), 1.2) : QPen(Qt::black, 1));
      p.setBrush(QColor(0xFF, 0xFF, 0xFF));
      p.drawRect(env);
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(QPolygonF({env.topLeft(), QPointF(env.center().x(), env.top() + 5.5), env.topRight()}));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xE0, 0x31, 0x31));
      p.drawEllipse(QPointF(29, 18.5), 2.6, 2.6);
      return;
    }
    case Badge::NoEntry: {
      BadgeDisc(p, modern, c, 6, QColor(0xE0, 0x31, 0x31));
      p.setPen(Stroke(QColor(0xFF, 0xFF, 0xFF), 2.2));
      p.drawLine(c + QPointF(-3.2, 0), c + QPointF(3.2, 0));
      return;
    }
    case Badge::Magnifier: {
      const QPointF lens(22.5, 22);
      p.setPen(Stroke(QColor(0x33, 0x2A, 0x1A), 2.8));
      p.drawLine(lens + QPointF(2.8, 2.8), QPointF(29.5, 29));
      p.setPen(Stroke(QColor(0x33, 0x2A, 0x1A), 1.6));
      p.setBrush(QColor(0xD8, 0xF0, 0xFF));
      p.drawEllipse(lens, 4.2, 4.2);
      return;
    }
    case Badge::Sparkle: {
      QPainterPath star;  // a four-pointed twinkle beside the winking eye
      const QPointF s(27.5, 4.5);
      star.moveTo(s + QPointF(0, -3.5));
      star.quadTo(s, s + QPointF(3.5, 0));
      star.quadTo(s, s + QPointF(0, 3.5));
      star.quadTo(s, s + QPointF(-3.5, 0));
      star.quadTo(s, s + QPointF(0, -3.5));
      p.setPen(modern ? Stroke(QColor(0xC0, 0x80, 0x00), 0.6) : QPen(Qt::black, 1));
      p.setBrush(QColor(0xFF, 0xE0, 0x40));
      p.drawPath(star);
      return;
    }
    case Badge::Sleep: {
      p.setPen(Stroke(QColor(0xFF, 0xFF, 0xFF), 1.3));
      p.setBrush(Qt::NoBrush);
      auto z = [&p](QPointF at, double w) {
        p.drawPolyline(QPolygonF({at, at + QPointF(w, 0), at + QPointF(0, w), at + QPointF(w, w)}));
      };
      z(QPointF(22, 5.5), 3.2);
      z(QPointF(26.5, 2.5), 2.4);
      return;
    }
  }
}

}  // namespace

QImage DrawTrayImage(int index, bool modern, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  if (index < 0 || index >= kBuiltInImageCount || index == kEmptyImage) return image;
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, modern);
  p.scale(size / 32.0, size / 32.0);
  const Look look = LookOf(index);
  DrawBody(p, modern, look);
  DrawFace(p, modern, look);
  DrawBadge(p, modern, look.badge);
  return image;
}

QIcon BuiltInTrayImage(int index, bool modern) {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(QPixmap::fromImage(DrawTrayImage(index, modern, size)));
  return icon;
}

QIcon LoadIconFile(const std::string& path) {
  if (path.empty()) return {};
  QImageReader reader(platform::SjisToQString(path));
  QIcon icon;
  do {
    QImage image = reader.read();
    if (image.isNull()) break;
    icon.addPixmap(QPixmap::fromImage(image));
  } while (reader.jumpToNextImage());
  return icon;
}

std::array<QIcon, kTrayPictureCount> LoadTrayPictures(const Settings& s, bool modern) {
  std::array<QIcon, kTrayPictureCount> pictures;
  for (const TrayPictureInfo& info : TrayPictureTable()) {
    const IconChoice& choice = s.*(info.choice);
    QIcon icon;
    if (choice.Mode == 2) icon = LoadIconFile(choice.File);
    if (icon.isNull()) icon = BuiltInTrayImage(BuiltInImageFor(info.picture, choice.Mode), modern);
    pictures[static_cast<size_t>(info.picture)] = icon;
  }
  return pictures;
}

}  // namespace lumetra
