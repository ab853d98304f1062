#include "retrieval/mime_words.h"

#include <algorithm>
#include <vector>

#include "retrieval/encodings.h"

namespace lumetra {
namespace {

int Base64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Quoted-printable; in encoded words ("Q") an underscore stands for a space.
std::string DecodeQp(std::string_view text, bool underscoreIsSpace) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '=') {
      out.push_back(underscoreIsSpace && c == '_' ? ' ' : c);
      ++i;
      continue;
    }
    if (i + 2 < text.size()) {
      const int high = HexValue(static_cast<unsigned char>(text[i + 1]));
      const int low = HexValue(static_cast<unsigned char>(text[i + 2]));
      if (high >= 0 && low >= 0) {
        out.push_back(static_cast<char>(high << 4 | low));
        i += 3;
        continue;
      }
    }
    if (i + 1 < text.size()) out.push_back(text[i + 1]);
    i += 2;
  }
  return out;
}

enum class Charset { kNone, kIso2022Jp, kUtf8, kShiftJis, kEucJp };

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(std::string_view a, std::string_view upperName) {
  return a.size() == upperName.size() &&
         std::equal(a.begin(), a.end(), upperName.begin(), [](char x, char y) { return Upper(x) == y; });
}

Charset CharsetOf(std::string_view name) {
  name = name.substr(0, name.find('*'));  // a language suffix: "ISO-2022-JP*ja"
  static constexpr struct {
    std::string_view name;
    Charset charset;
  } kNames[] = {
      {"ISO-2022-JP", Charset::kIso2022Jp}, {"CSISO2022JP", Charset::kIso2022Jp},
      {"UTF-8", Charset::kUtf8},            {"UTF8", Charset::kUtf8},
      {"SHIFT_JIS", Charset::kShiftJis},    {"SHIFT-JIS", Charset::kShiftJis},
      {"SJIS", Charset::kShiftJis},         {"X-SJIS", Charset::kShiftJis},
      {"MS_KANJI", Charset::kShiftJis},     {"CP932", Charset::kShiftJis},
      {"WINDOWS-31J", Charset::kShiftJis},  {"CSSHIFTJIS", Charset::kShiftJis},
      {"EUC-JP", Charset::kEucJp},          {"X-EUC-JP", Charset::kEucJp},
      {"EUCJP", Charset::kEucJp},
  };
  for (const auto& entry : kNames)
    if (SameName(name, entry.name)) return entry.charset;
  return Charset::kNone;
}

// A piece of the line: text as written (charset kNone) or a decoded word.
struct Piece {
  Charset charset;
  std::string_view text;  // text as written
  std::string bytes;      // the word's decoded bytes
};

std::vector<Piece> SplitWords(std::string_view text) {
  std::vector<Piece> pieces;
  size_t plainStart = 0;
  size_t pos = 0;
  for (;;) {
    const size_t start = text.find("=?", pos);
    if (start == std::string_view::npos) break;
    const size_t nameEnd = text.find('?', start + 2);
    if (nameEnd == std::string_view::npos) break;  // no later word can close either
    pos = start + 2;
    const Charset charset = CharsetOf(text.substr(start + 2, nameEnd - start - 2));
    if (charset == Charset::kNone || nameEnd + 2 >= text.size() || text[nameEnd + 2] != '?') continue;
    const size_t payload = nameEnd + 3;
    const size_t close = text.find("?=", payload);
    if (close == std::string_view::npos) break;  // unclosed: the rest stays as written
    const char letter = Upper(text[nameEnd + 1]);
    if (letter != 'B' && letter != 'Q') {
      pos = close + 2;  // kept as written, closing "?=" included
      continue;
    }
    const std::string_view data = text.substr(payload, close - payload);
    if (start > plainStart) pieces.push_back({Charset::kNone, text.substr(plainStart, start - plainStart), {}});
    pieces.push_back({charset, {}, letter == 'B' ? DecodeBase64(data) : DecodeQp(data, true)});
    plainStart = pos = close + 2;
  }
  if (plainStart < text.size()) pieces.push_back({Charset::kNone, text.substr(plainStart), {}});
  return pieces;
}

bool Blank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string WordText(Charset charset, const std::string& bytes) {
  switch (charset) {
    case Charset::kIso2022Jp: return Iso2022ToSjis(bytes);
    case Charset::kUtf8: return Utf8ToCp932(bytes);
    case Charset::kEucJp: return EucToSjis(bytes);
    default: return bytes;
  }
}

}  // namespace

std::string DecodeBase64(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 2);
  unsigned group = 0;
  int symbols = 0;
  for (const char c : text) {
    const int value = Base64Value(static_cast<unsigned char>(c));
    if (value < 0) continue;
    group = group << 6 | static_cast<unsigned>(value);
    if (++symbols == 4) {
      out.push_back(static_cast<char>(group >> 16));
      out.push_back(static_cast<char>(group >> 8));
      out.push_back(static_cast<char>(group));
      group = 0;
      symbols = 0;
    }
  }
  if (symbols >= 2) out.push_back(static_cast<char>(group >> (symbols * 6 - 8)));
  if (symbols == 3) out.push_back(static_cast<char>(group >> 2));
  return out;
}

std::string DecodeQuotedPrintable(std::string_view text) { return DecodeQp(text, false); }

std::string DecodeEncodedWords(std::string_view text) {
  if (text.find("=?") == std::string_view::npos) return Iso2022ToSjis(text);

  std::vector<Piece> pieces = SplitWords(text);
  const bool utf8Line =
      std::any_of(pieces.begin(), pieces.end(), [](const Piece& p) { return p.charset == Charset::kUtf8; });

  std::string out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    Piece& piece = pieces[i];
    if (piece.charset == Charset::kNone) {
      const bool betweenWords = i > 0 && i + 1 < pieces.size();  // neighbours are words
      if (betweenWords && Blank(piece.text)) continue;
      out += utf8Line ? Iso2022ToSjis(Utf8ToCp932(piece.text)) : Iso2022ToSjis(piece.text);
      continue;
    }
    // Join the following words of the same charset, blanks between dropped.
    std::string bytes = std::move(piece.bytes);
    size_t next = i + 1;
    while (next < pieces.size()) {
      if (pieces[next].charset == piece.charset) {
        bytes += pieces[next].bytes;
        i = next++;
      } else if (pieces[next].charset == Charset::kNone && Blank(pieces[next].text) && next + 1 < pieces.size() &&
                 pieces[next + 1].charset == piece.charset) {
        ++next;
      } else {
        break;
      }
    }
    out += WordText(piece.charset, bytes);
  }
  return out;
}

std::string DecodeLine(std::string_view text) {
  std::string unfolded;
  unfolded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t')) {
      ++i;
      continue;
    }
    unfolded.push_back(text[i]);
  }
  return DecodeEncodedWords(unfolded);
}

}  // namespace lumetra
