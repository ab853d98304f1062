#include "platform/date_time.h"

#include <QFileInfo>
#include <cmath>

namespace lumetra::platform {
namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
}  // namespace

double ToDayCount(const QDateTime& when) {
  QDateTime local = when.toLocalTime();
  double days = static_cast<double>(kEpoch.daysTo(local.date()));
  double fraction = local.time().msecsSinceStartOfDay() / kMsPerDay;
  // Before the epoch the fraction still counts forwards from midnight, so
  // -1.25 is 29 December 1899 06:00 (the layout other programs expect).
  return days >= 0 ? days + fraction : days - fraction;
}

QDateTime FromDayCount(double days) {
  double whole = std::trunc(days);
  double fraction = std::fabs(days - whole);
  qint64 ms = std::llround(fraction * kMsPerDay);
  if (ms >= static_cast<qint64>(kMsPerDay)) ms = static_cast<qint64>(kMsPerDay) - 1;
  QDate date = kEpoch.addDays(static_cast<qint64>(whole));
  return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

double NowDayCount() { return ToDayCount(QDateTime::currentDateTime()); }

double FileModifiedDayCount(const std::string& path) {
  QFileInfo info(QString::fromStdString(path));
  if (!info.exists()) return 0;
  return ToDayCount(info.lastModified());
}

}  // namespace lumetra::platform
