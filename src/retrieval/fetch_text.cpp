#include "retrieval/fetch_text.h"

#include <QTimeZone>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <vector>

#include "platform/date_time.h"
#include "platform/sjis_text.h"

namespace lumetra {
namespace {

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (LowerChar(text[i]) != LowerChar(prefix[i])) return false;
  return true;
}

size_t FindNoCase(std::string_view text, std::string_view needle, size_t from = 0) {
  if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
  if (text.size() < needle.size()) return std::string_view::npos;
  for (size_t i = from; i + needle.size() <= text.size(); ++i)
    if (StartsWithNoCase(text.substr(i), needle)) return i;
  return std::string_view::npos;
}

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// At most `limit` bytes of Shift_JIS text, never half a character.
std::string CutSjis(std::string_view text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    size_t width = IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return std::string(text.substr(0, std::min(end, text.size())));
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int ToInt(std::string_view s) {
  int v = 0;
  for (char c : s) v = v * 10 + (c - '0');
  return v;
}

int MonthNumber(std::string_view name) {
  static constexpr std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                         "jul", "aug", "sep", "oct", "nov", "dec"};
  if (name.size() != 3) return 0;
  std::string lower = LowerAscii(name);
  for (size_t i = 0; i < kMonths.size(); ++i)
    if (lower == kMonths[i]) return static_cast<int>(i) + 1;
  return 0;
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return std::string(text.substr(b, e - b));
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerChar(c);
  return out;
}

bool ContainsNoCase(std::string_view text, std::string_view needle) {
  return FindNoCase(text, needle) != std::string_view::npos;
}

bool IsIgnoredShortLine(std::string_view line) {
  return line.size() <= 6 && line.find('<') == std::string_view::npos && line.find("--") == std::string_view::npos;
}

std::optional<std::string> LocalPagePath(std::string_view address) {
  std::string text = TrimBlanks(address);
  if (text.empty()) return std::nullopt;
  std::string lower = LowerAscii(text);
  for (const char* scheme : {"http:", "https:", "ftp:"})
    if (lower.find(scheme) != std::string::npos) return std::nullopt;
  size_t file = lower.find("file:");
  if (file != std::string::npos) {
    text.erase(0, file + 5);
    if (text.rfind("//", 0) == 0) {
      // "file://host/path": only this machine's files are pages.
      size_t slash = text.find('/', 2);
      std::string host = LowerAscii(text.substr(2, slash == std::string::npos ? std::string::npos : slash - 2));
      if (slash == std::string::npos || (!host.empty() && host != "localhost")) return std::nullopt;
      text.erase(0, slash);
    }
  }
  if (text.empty()) return std::nullopt;
  return platform::SjisToUtf8(text);
}

AddressParts SplitAddress(std::string_view address) {
  AddressParts parts;
  std::string text = TrimBlanks(address);
  size_t slashes = text.find("//");
  if (slashes != std::string::npos) {
    std::string scheme = text.substr(0, slashes);
    if (!scheme.empty() && scheme.back() == ':') scheme.pop_back();
    parts.scheme = LowerAscii(scheme);
    text.erase(0, slashes + 2);
  }
  size_t end = text.find_first_of("/?#");
  parts.authority = text.substr(0, end);
  parts.path = end == std::string::npos ? "/" : text.substr(end);
  if (!parts.path.empty() && parts.path[0] != '/') parts.path.insert(0, "/");
  std::string host = parts.authority;
  size_t at = host.rfind('@');
  if (at != std::string::npos) host.erase(0, at + 1);
  if (!host.empty() && host[0] == '[') {
    size_t close = host.find(']');
    host = host.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  } else {
    host = host.substr(0, host.find(':'));
  }
  parts.host = LowerAscii(host);
  return parts;
}

bool IsNumericHost(std::string_view host) {
  if (host.find(':') != std::string_view::npos) {
    // IPv6: hexadecimal digits, colons and an optional dotted tail.
    return std::all_of(host.begin(), host.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; });
  }
  int parts = 0;
  size_t start = 0;
  while (start <= host.size()) {
    size_t dot = host.find('.', start);
    std::string_view part = host.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    if (!AllDigits(part) || part.size() > 3 || ToInt(part) > 255) return false;
    ++parts;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

bool IsLoopbackHost(std::string_view host) {
  std::string h = LowerAscii(host);
  if (h == "localhost" || h == "::1" || h == "0:0:0:0:0:0:0:1") return true;
  if (h.size() > 10 && h.compare(h.size() - 10, 10, ".localhost") == 0) return true;
  return IsNumericHost(h) && h.rfind("127.", 0) == 0;
}

std::string AbsoluteRedirect(std::string_view target, std::string_view base) {
  std::string t = TrimBlanks(target);
  std::string lower = LowerAscii(t);
  size_t inner = std::min(lower.find("http:"), lower.find("https:"));
  if (inner != std::string::npos && inner > 0) {
    t.erase(0, inner);
  } else if (inner == std::string::npos) {
    size_t url = lower.find("url=");
    if (url != std::string::npos) t = TrimBlanks(std::string_view(t).substr(url + 4));
  }
  while (!t.empty() && (t.front() == '"' || t.front() == '\'')) t.erase(0, 1);
  while (!t.empty() && (t.back() == '"' || t.back() == '\'')) t.pop_back();
  if (StartsWithNoCase(t, "http:") || StartsWithNoCase(t, "https:")) return t;

  std::string b = TrimBlanks(base);
  size_t slashes = b.find("//");
  size_t hostStart = slashes == std::string::npos ? 0 : slashes + 2;
  size_t pathStart = b.find('/', hostStart);
  if (t.rfind("//", 0) == 0) return b.substr(0, slashes == std::string::npos ? 0 : slashes) + t;
  std::string origin = b.substr(0, pathStart);
  if (!t.empty() && t[0] == '/') return origin + t;
  if (pathStart == std::string::npos) return origin + "/" + t;
  // The folder of the base address; a query or fragment is not part of it.
  size_t pathEnd = b.find_first_of("?#", pathStart);
  std::string path = b.substr(pathStart, pathEnd == std::string::npos ? std::string::npos : pathEnd - pathStart);
  return origin + path.substr(0, path.rfind('/') + 1) + t;
}

std::optional<std::string> MetaRefreshTarget(std::string_view line) {
  std::string lower = LowerAscii(line);
  size_t meta = lower.find("meta http-equiv=\"refresh\"");
  if (meta == std::string::npos || lower.find("http") == std::string::npos) return std::nullopt;
  // A refresh without "url=" reloads the page itself: there is nowhere to go.
  size_t url = lower.find("url=");
  if (url == std::string::npos) return std::nullopt;
  size_t start = url + 4;
  while (start < line.size() && (line[start] == ' ' || line[start] == '"' || line[start] == '\'')) ++start;
  size_t end = line.find_first_of("\"'> \t", start);
  std::string target = TrimBlanks(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
  if (target.empty()) return std::nullopt;
  return target;
}

std::optional<std::string> BoardFeedLink(std::string_view line) {
  static const std::string kPhrase = SJ("RSSはこちら");
  size_t phrase = line.find(kPhrase);
  if (phrase == std::string_view::npos) return std::nullopt;
  // A double quote never occurs inside a Shift_JIS character, so a bytewise
  // backward scan is safe.
  size_t close = line.rfind('"', phrase == 0 ? 0 : phrase - 1);
  if (close == std::string_view::npos || close == 0) return std::nullopt;
  size_t open = line.rfind('"', close - 1);
  if (open == std::string_view::npos) return std::nullopt;
  std::string link(line.substr(open + 1, close - open - 1));
  if (TrimBlanks(link).empty()) return std::nullopt;
  return TrimBlanks(link);
}

std::optional<std::string> MainFrameAddress(std::string_view line) {
  if (!ContainsNoCase(line, "name=\"mainframe")) return std::nullopt;
  size_t http = FindNoCase(line, "http:");
  if (http == std::string_view::npos) return std::nullopt;
  size_t end = line.find_first_of(" >", http);
  std::string address;
  for (char c : line.substr(http, end == std::string_view::npos ? std::string_view::npos : end - http))
    if (c != '"' && c != '\'') address += c;
  if (address.size() <= 7) return std::nullopt;
  return address;
}

std::string HostAfterScheme(std::string_view address) {
  size_t start = address.find("://");
  start = start == std::string_view::npos ? 0 : start + 3;
  size_t end = address.find('/', start);
  return std::string(address.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

std::optional<std::string> PageTitle(std::string_view decodedLine) {
  std::string lower = LowerAscii(decodedLine);
  size_t open = lower.find("<title>");
  if (open == std::string::npos) return std::nullopt;
  size_t close = lower.find("</title>", open + 7);
  if (close == std::string::npos) return std::nullopt;
  std::string title = TrimBlanks(decodedLine.substr(open + 7, close - open - 7));
  if (title.empty()) return std::nullopt;
  return CutSjis(title, 100);
}

bool LineHasMarker(std::string_view lowerLine, std::string_view lowerMarker) {
  size_t start = 0;
  while (start <= lowerMarker.size()) {
    size_t sep = lowerMarker.find(" or ", start);
    std::string alternative =
        TrimBlanks(lowerMarker.substr(start, sep == std::string_view::npos ? std::string_view::npos : sep - start));
    if (alternative.rfind("once ", 0) == 0) alternative = TrimBlanks(std::string_view(alternative).substr(5));
    if (!alternative.empty() && lowerLine.find(alternative) != std::string_view::npos) return true;
    if (sep == std::string_view::npos) break;
    start = sep + 4;
  }
  return false;
}

std::optional<double> ParseHttpDate(std::string_view text) {
  // Tokens of all three forms: "Sun, 06 Nov 1994 08:49:37 GMT",
  // "Sunday, 06-Nov-94 08:49:37 GMT" and "Sun Nov  6 08:49:37 1994".
  std::vector<std::string> tokens;
  std::string current;
  for (char c : text) {
    if (c == ' ' || c == ',' || c == '-' || c == '\t' || c == '+') {
      if (!current.empty()) tokens.push_back(current);
      current.clear();
      if (c == '-' || c == '+') current += c;  // a zone offset keeps its sign
      continue;
    }
    current += c;
  }
  if (!current.empty()) tokens.push_back(current);

  int day = -1, month = 0, year = -1, hour = -1, minute = -1, second = -1;
  int offsetSeconds = 0;
  for (std::string token : tokens) {
    if (token == "-" || token == "+") continue;
    if (token.size() > 1 && token[0] == '-' && !AllDigits(token.substr(1))) token.erase(0, 1);  // "06-Nov-94" pieces
    if (hour < 0 && token.find(':') != std::string::npos) {
      if (token.size() != 8 || token[2] != ':' || token[5] != ':') return std::nullopt;
      std::string h = token.substr(0, 2), m = token.substr(3, 2), s = token.substr(6, 2);
      if (!AllDigits(h) || !AllDigits(m) || !AllDigits(s)) return std::nullopt;
      hour = ToInt(h);
      minute = ToInt(m);
      second = ToInt(s);
      continue;
    }
    if (int mon = MonthNumber(token)) {
      month = mon;
      continue;
    }
    if ((token[0] == '+' || token[0] == '-') && token.size() == 5 && AllDigits(token.substr(1))) {
      int v = ToInt(token.substr(1));
      offsetSeconds = (v / 100 * 3600 + v % 100 * 60) * (token[0] == '-' ? -1 : 1);
      continue;
    }
    if (token[0] == '-') token.erase(0, 1);
    if (AllDigits(token)) {
      if (day < 0 && token.size() <= 2 && hour < 0) {
        day = ToInt(token);
      } else if (year < 0 && (token.size() == 2 || token.size() == 4)) {
        year = ToInt(token);
        if (token.size() == 2) year += year < 50 ? 2000 : 1900;
      } else {
        return std::nullopt;
      }
    }
    // Weekday names and "GMT"/"UTC" carry nothing more.
  }
  if (day < 1 || month < 1 || year < 1970 || hour < 0 || hour > 23 || minute > 59 || second > 60) return std::nullopt;
  QDate date(year, month, day);
  if (!date.isValid()) return std::nullopt;
  QDateTime utc(date, QTime(hour, minute, std::min(second, 59)), Qt::UTC);
  utc = utc.addSecs(-offsetSeconds);
  return platform::ToDayCount(utc.toLocalTime());
}

std::string MaskCredentials(std::string_view line) {
  std::string out(line);
  size_t from = 0;
  for (;;) {
    size_t scheme = out.find("://", from);
    if (scheme == std::string::npos) break;
    size_t hostStart = scheme + 3;
    size_t end = out.find_first_of("/?# \t\"'", hostStart);
    size_t at = out.rfind('@', end == std::string::npos ? std::string::npos : end - 1);
    if (at != std::string::npos && at >= hostStart && (end == std::string::npos || at < end)) {
      out.replace(hostStart, at - hostStart, "********");
      end = hostStart + 8 + 1;
    }
    from = end == std::string::npos ? out.size() : end;
  }
  // Session cookies are as good as a password.
  if (StartsWithNoCase(out, "cookie:")) out = out.substr(0, 7) + " ********";
  return out;
}

void LineAssembler::Reset() {
  buffer_.clear();
  afterCr_ = false;
  stopped_ = false;
}

void LineAssembler::Feed(std::string_view bytes, const Sink& sink) {
  size_t i = 0;
  while (i < bytes.size() && !stopped_) {
    if (afterCr_) {
      afterCr_ = false;
      if (bytes[i] == '\n') {
        ++i;
        continue;
      }
    }
    // The run up to the next line end, taken in pieces that fit the line.
    const char* start = bytes.data() + i;
    size_t rest = bytes.size() - i;
    const void* cr = std::memchr(start, '\r', rest);
    const void* lf = std::memchr(start, '\n', rest);
    size_t endAt = rest;
    if (cr) endAt = std::min(endAt, static_cast<size_t>(static_cast<const char*>(cr) - start));
    if (lf) endAt = std::min(endAt, static_cast<size_t>(static_cast<const char*>(lf) - start));
    size_t room = kMaxPageLine - buffer_.size();
    if (endAt >= room) {
      buffer_.append(start, room);
      i += room;
      sink(buffer_);
      buffer_.clear();
      continue;
    }
    buffer_.append(start, endAt);
    i += endAt;
    if (i >= bytes.size()) break;
    afterCr_ = bytes[i] == '\r';
    ++i;
    sink(buffer_);
    buffer_.clear();
  }
  if (stopped_) return;
  if (!buffer_.empty() && ContainsNoCase(buffer_, "</body>")) {
    sink(buffer_);
    buffer_.clear();
  }
}

void LineAssembler::Flush(const Sink& sink) {
  if (stopped_ || buffer_.empty()) return;
  std::string last;
  last.swap(buffer_);
  sink(last);
}

}  // namespace lumetra
