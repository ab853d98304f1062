#include "iconv_reference.h"

#include <iconv.h>

#include <stdexcept>

namespace lumetra::test {

std::optional<std::string> Iconv(const char* from, const char* to, std::string_view text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  std::string out(text.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  bool ok = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
            iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(static_cast<size_t>(outPtr - out.data()));
  return out;
}

std::string Encode(const char* to, std::string_view utf8) {
  auto out = Iconv("UTF-8", to, utf8);
  if (!out) throw std::runtime_error(std::string("text not convertible to ") + to);
  return *out;
}

}  // namespace lumetra::test
