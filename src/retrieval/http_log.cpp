#include "retrieval/http_log.h"

#include <QTime>

#include "retrieval/fetch_text.h"

namespace lumetra {
namespace {

constexpr size_t kMaxSentLine = 4096;
constexpr size_t kMaxStamp = 40;

// The local time in the long time format, then " : ".
std::string Stamp() {
  std::string stamp = QTime::currentTime().toString(QStringLiteral("H:mm:ss")).toStdString() + " : ";
  if (stamp.size() > kMaxStamp) stamp.resize(kMaxStamp);
  return stamp;
}

}  // namespace

bool HttpLog::Open(const std::string& path) {
  Close();
  file_.setFileName(QString::fromStdString(path));
  if (!file_.open(QIODevice::ReadWrite)) return false;
  qint64 size = file_.size();
  if (size > 0 && file_.seek(size - 1)) {
    char last = 0;
    if (file_.getChar(&last) && last == 0x1A) file_.resize(size - 1);
  }
  file_.seek(file_.size());
  return true;
}

void HttpLog::Close() {
  if (file_.isOpen()) file_.close();
}

void HttpLog::Sent(std::string_view line) {
  if (!file_.isOpen()) return;
  std::string text = Stamp() + MaskCredentials(line);
  if (text.size() > kMaxSentLine - 2) text.resize(kMaxSentLine - 2);
  text += "\r\n";
  file_.write(text.data(), static_cast<qint64>(text.size()));
}

void HttpLog::Received(std::string_view bytes) {
  if (!file_.isOpen()) return;
  std::string stamp = Stamp();
  file_.write(stamp.data(), static_cast<qint64>(stamp.size()));
  file_.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace lumetra
