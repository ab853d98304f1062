#pragma once
// Zero-terminated Shift_JIS texts in the fixed character arrays of packed
// records.
#include <cstring>
#include <string>
#include <string_view>

namespace lumetra::platform {

// First byte of a double-byte character in code page 932.
inline bool IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The longest prefix of at most `limit` bytes that does not end in the middle
// of a double-byte character.
inline size_t SjisPrefixLength(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t i = 0;
  while (i < limit) {
    size_t step = IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return i;
}

// The text of a field; a field without terminator (damaged data) ends at its
// last byte.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  const void* end = std::memchr(field, 0, N);
  return std::string(field, end ? static_cast<const char*>(end) - field : N);
}

// Stores `text` cut to N - 1 bytes (never half a double-byte character) and
// clears the rest of the field.
template <size_t N>
void SetFieldText(char (&field)[N], std::string_view text) {
  size_t n = SjisPrefixLength(text.substr(0, text.find('\0')), N - 1);
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, N - n);
}

// Makes sure the field ends inside its array (for records read from files).
template <size_t N>
void TerminateField(char (&field)[N]) {
  field[N - 1] = '\0';
}

}  // namespace lumetra::platform

namespace lumetra::platform {

// ASCII letters in lower case, leaving double-byte characters (whose second
// byte may look like a letter) as they are.
inline std::string SjisAsciiLower(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (IsSjisLeadByte(c) && i + 1 < out.size()) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
    }
  }
  return out;
}

inline bool SjisEqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && SjisAsciiLower(a) == SjisAsciiLower(b);
}

// Blanks and control characters removed at both ends (bytes up to 0x20 are
// never part of a double-byte character).
inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
  return text;
}

// The last component of a path written with "/" or "\" (double-byte aware).
inline std::string_view SjisFileName(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsSjisLeadByte(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '/' || c == '\\') {
      start = i + 1;
    }
  }
  return path.substr(start);
}

}  // namespace lumetra::platform
