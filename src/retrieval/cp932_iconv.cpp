// UTF-8 and UTF-16LE to code page 932 through glibc iconv "CP932", the same
// mapping as the platform's text helpers, with '?' (the code page's default
// character) for whatever it lacks.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "retrieval/encodings.h"

namespace lumetra {
namespace {

// Opening a descriptor costs more than converting a short line, and pages
// are converted line by line, so each thread keeps one per direction. The
// shift state is reset on every use: nothing carries over between calls.
class Converter {
 public:
  explicit Converter(const char* from) : cd_(iconv_open("CP932", from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts [in, in + left) into out. At a unit iconv cannot take,
  // badUnit(in, left) returns how many bytes it spans; the unit becomes '?'.
  template <typename BadUnit>
  std::string Run(const char* in, size_t left, BadUnit badUnit) {
    std::string out;
    if (!ok()) return std::string(left, '?');
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    // Neither source gives more code page bytes than it has bytes.
    out.resize(left + 16);
    size_t used = 0;
    // After a failure glibc converts the whole call's input again to find
    // the failing unit, so text full of characters the code page lacks is
    // fed in small pieces; clean text soon gets large ones again.
    constexpr size_t kSmallPiece = 32, kLargePiece = 64 * 1024;
    size_t piece = kLargePiece;
    while (left > 0) {
      const size_t take = std::min(piece, left);
      char* inPtr = const_cast<char*>(in);
      size_t inLeft = take;
      char* outPtr = out.data() + used;
      size_t outLeft = out.size() - used;
      const size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      const int error = errno;
      used = static_cast<size_t>(outPtr - out.data());
      left -= static_cast<size_t>(inPtr - in);
      in = inPtr;
      if (r != static_cast<size_t>(-1)) {
        piece = std::min(piece * 2, kLargePiece);
        continue;
      }
      if (error == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // A unit cut by the end of the piece rather than of the text: the
      // next piece starts with it.
      if (error == EINVAL && inLeft < left) continue;
      if (used == out.size()) out.resize(out.size() * 2);
      out[used++] = '?';
      // EINVAL here: an incomplete unit at the end, which ends the text.
      const size_t skip = error == EINVAL ? left : std::min(badUnit(in, left), left);
      in += skip;
      left -= skip;
      piece = kSmallPiece;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

bool Continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Bytes of the UTF-8 unit at s: a whole character, or the longest start of
// one that is valid (at least one byte), so an invalid run costs one '?'.
size_t Utf8UnitLength(const char* text, size_t left) {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  const unsigned char a = s[0];
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (a >= 0xC2 && a <= 0xDF) {
    length = 2;
  } else if (a >= 0xE0 && a <= 0xEF) {
    length = 3;
    if (a == 0xE0) low = 0xA0;
    if (a == 0xED) high = 0x9F;  // no surrogates
  } else if (a >= 0xF0 && a <= 0xF4) {
    length = 4;
    if (a == 0xF0) low = 0x90;
    if (a == 0xF4) high = 0x8F;
  } else {
    return 1;
  }
  if (left < 2 || s[1] < low || s[1] > high) return 1;
  size_t i = 2;
  while (i < length && i < left && Continuation(s[i])) ++i;
  return i;
}

unsigned Utf16Unit(const char* s) {
  return static_cast<unsigned char>(s[0]) | static_cast<unsigned char>(s[1]) << 8;
}

}  // namespace

std::string Utf8ToCp932(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  thread_local Converter converter("UTF-8");
  return converter.Run(text.data(), text.size(), Utf8UnitLength);
}

std::string Utf16LeToCp932(std::string_view text) {
  size_t units = 0;
  while (units * 2 + 1 < text.size() && Utf16Unit(text.data() + units * 2) != 0) ++units;
  size_t start = units > 0 && Utf16Unit(text.data()) == 0xFEFF ? 2 : 0;
  thread_local Converter converter("UTF-16LE");
  return converter.Run(text.data() + start, units * 2 - start, [](const char* in, size_t left) -> size_t {
    const unsigned unit = Utf16Unit(in);
    // A valid surrogate pair for a character the code page lacks is one '?'.
    if (unit >= 0xD800 && unit < 0xDC00 && left >= 4) {
      const unsigned next = Utf16Unit(in + 2);
      if (next >= 0xDC00 && next < 0xE000) return 4;
    }
    return 2;
  });
}

}  // namespace lumetra
