#pragma once
// "Http.Log": the protocol log of page fetches, kept when the option
// "SystemLog" is on. Appended to; each request line as "time : line" with
// CR LF, each received piece as "time : " and the raw bytes. Credentials in
// request lines and addresses never reach the file.
#include <QFile>
#include <string>
#include <string_view>

namespace lumetra {

inline constexpr char kHttpLogFile[] = "Http.Log";

class HttpLog {
 public:
  // Opens `path` for appending (created when missing). A last byte 0x1A,
  // the end mark of old editors, is written over.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_.isOpen(); }

  void Sent(std::string_view line);
  void Received(std::string_view bytes);

 private:
  QFile file_;
};

}  // namespace lumetra
