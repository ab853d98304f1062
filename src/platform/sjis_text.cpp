#include "platform/sjis_text.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

namespace lumetra::platform {
namespace {

// One converter per direction and thread; iconv descriptors carry shift state
// and must not be shared between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as possible; on an invalid or unconvertible input unit
  // calls onBad(in, left) which returns how many input bytes to skip and
  // appends a replacement itself.
  template <typename OnBad>
  void Run(const char* in, size_t inLeft, std::string& out, OnBad onBad) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[4096];
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      char* inPtr = const_cast<char*>(in);
      size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      out.append(buffer, outPtr - buffer);
      in = inPtr;
      if (r == static_cast<size_t>(-1)) {
        if (errno == E2BIG) continue;
        size_t skip = onBad(in, inLeft, out);
        if (skip > inLeft) skip = inLeft;
        in += skip;
        inLeft -= skip;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
  }

 private:
  iconv_t cd_;
};

Converter& SjisToUtf16() {
  thread_local Converter c("UTF-16LE", "CP932");
  return c;
}
Converter& Utf16ToSjis() {
  thread_local Converter c("CP932", "UTF-16LE");
  return c;
}

void AppendUtf16(std::string& out, char16_t ch) {
  out.push_back(static_cast<char>(ch & 0xFF));
  out.push_back(static_cast<char>(ch >> 8));
}

}  // namespace

QString SjisToQString(std::string_view sjis) {
  std::string utf16;
  utf16.reserve(sjis.size() * 2);
  SjisToUtf16().Run(sjis.data(), sjis.size(), utf16, [](const char* in, size_t left, std::string& out) {
    AppendUtf16(out, 0xFFFD);
    // A lead byte followed by a bad trail byte swallows only the lead byte.
    (void)in;
    (void)left;
    return size_t{1};
  });
  return QString(reinterpret_cast<const QChar*>(utf16.data()), static_cast<qsizetype>(utf16.size() / 2));
}

std::string QStringToSjis(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()) * 2);
  const char* data = reinterpret_cast<const char*>(text.utf16());
  Utf16ToSjis().Run(data, static_cast<size_t>(text.size()) * 2, out, [](const char* in, size_t left, std::string& o) {
    o.push_back('?');
    // Skip a whole surrogate pair so it becomes one '?'.
    if (left >= 4) {
      char16_t hi = static_cast<unsigned char>(in[0]) | (static_cast<unsigned char>(in[1]) << 8);
      char16_t lo = static_cast<unsigned char>(in[2]) | (static_cast<unsigned char>(in[3]) << 8);
      if (hi >= 0xD800 && hi < 0xDC00 && lo >= 0xDC00 && lo < 0xE000) return size_t{4};
    }
    return size_t{2};
  });
  return out;
}

std::string Utf8ToSjis(std::string_view utf8) {
  return QStringToSjis(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

std::string SjisToUtf8(std::string_view sjis) { return SjisToQString(sjis).toStdString(); }

}  // namespace lumetra::platform
