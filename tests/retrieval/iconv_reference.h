#pragma once
// glibc iconv as the reference the converters are checked against.
#include <optional>
#include <string>
#include <string_view>

namespace lumetra::test {

// The whole text converted, or nothing when iconv refuses any of it.
std::optional<std::string> Iconv(const char* from, const char* to, std::string_view text);

// A UTF-8 literal in another encoding (the text must be convertible).
std::string Encode(const char* to, std::string_view utf8);

}  // namespace lumetra::test
