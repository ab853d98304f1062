#pragma once
// Dates as the data files and settings store them: 8-byte floating-point day
// counts since 30 December 1899 in local time, the fraction being the time of
// day. 0 means "no date".
#include <QDateTime>
#include <string>

namespace lumetra::platform {

double ToDayCount(const QDateTime& local);
QDateTime FromDayCount(double days);
double NowDayCount();
// Modification time of a file as a day count; 0 when the file is missing.
double FileModifiedDayCount(const std::string& path);

}  // namespace lumetra::platform
