#include "extraction/page_line.h"

#include <cstring>

#include "platform/fixed_text.h"
#include "platform/sjis_text.h"
#include "retrieval/encodings.h"

namespace lumetra {
namespace {

// A byte that can be the second byte of a double-byte character: a pattern
// beginning with one could match across a character boundary.
bool MayBeTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

struct NamedReference {
  const char* name;
  std::string text;  // program text
  bool again;        // replaced again in an item's text
};

const std::vector<NamedReference>& NamedReferences() {
  static const std::vector<NamedReference> table = {
      {"&ldquo;", SJ("“"), true},  {"&rdquo;", SJ("”"), true}, {"&lsquo;", SJ("‘"), true},
      {"&rsquo;", SJ("’"), true},  {"&quot;", "\"", true},       {"&acute;", SJ("´"), true},
      {"&hellip;", SJ("…"), false}, {"&nbsp;", " ", true},      {"&gt;", ">", true},
      {"&raquo;", ">", true},       {"&laquo;", "<", true},      {"&rsaquo;", ">", true},
      {"&lsaquo;", "<", true},      {"&lt;", "<", true},         {"&amp;", "&", true},
      {"&lrm;", " ", false},
  };
  return table;
}

// Replaces every occurrence of `from` (found in `lower`) by `to` in both copies.
void ReplaceBoth(std::string& text, std::string& lower, std::string_view from, std::string_view to) {
  size_t pos = lower.find(from);
  if (pos == std::string::npos) return;
  const std::string toLower = platform::SjisAsciiLower(to);
  std::string newText, newLower;
  newText.reserve(text.size());
  newLower.reserve(lower.size());
  size_t done = 0;
  const bool checkAlignment = MayBeTrail(static_cast<unsigned char>(from[0]));
  size_t boundaryScan = 0;  // character walk position for the alignment test
  while (pos != std::string::npos) {
    bool aligned = true;
    if (checkAlignment) {
      while (boundaryScan < pos) boundaryScan += platform::IsSjisLeadByte(static_cast<unsigned char>(lower[boundaryScan])) ? 2 : 1;
      aligned = boundaryScan == pos;
    }
    if (aligned) {
      newText.append(text, done, pos - done).append(to);
      newLower.append(lower, done, pos - done).append(toLower);
      done = pos + from.size();
      pos = lower.find(from, done);
    } else {
      pos = lower.find(from, pos + 1);
    }
  }
  newText.append(text, done, std::string::npos);
  newLower.append(lower, done, std::string::npos);
  text.swap(newText);
  lower.swap(newLower);
}

void TrimBoth(std::string& text, std::string& lower) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && IsBlank(static_cast<unsigned char>(text[e - 1]))) --e;
  if (b == 0 && e == text.size()) return;
  text = text.substr(b, e - b);
  lower = lower.substr(b, e - b);
}

std::string Utf8Of(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

}  // namespace

void PageLine::Invalidate() {
  trailBuilt_ = false;
  for (auto& c : cache_) c.pattern.clear();
}

void PageLine::Assign(std::string text) {
  lower_ = platform::SjisAsciiLower(text);
  text_ = std::move(text);
  Invalidate();
}

void PageLine::Keep(size_t keep, size_t end) {
  end = std::min(end, text_.size());
  keep = std::min(keep, end);
  text_ = text_.substr(keep, end - keep);
  lower_ = lower_.substr(keep, end - keep);
  Invalidate();
}

bool PageLine::CharStart(size_t pos) const {
  if (!trailBuilt_) {
    trail_.assign(lower_.size() + 1, 0);
    for (size_t i = 0; i < lower_.size(); ++i)
      if (platform::IsSjisLeadByte(static_cast<unsigned char>(lower_[i])) && i + 1 < lower_.size()) trail_[++i] = 1;
    trailBuilt_ = true;
  }
  return pos >= trail_.size() || trail_[pos] == 0;
}

size_t PageLine::Find(std::string_view pattern, size_t from) const {
  if (pattern.empty() || from >= lower_.size()) return kNotFound;
  Cached* slot = nullptr;
  for (auto& c : cache_) {
    if (!c.pattern.empty() && c.pattern == pattern) {
      slot = &c;
      break;
    }
  }
  // The first occurrence at or after `from` is known when the last search
  // started at or before `from` and found nothing before it.
  if (slot && slot->from <= from && (slot->found == kNotFound || slot->found >= from)) return slot->found;
  if (!slot) {
    slot = &cache_[cacheNext_];
    cacheNext_ = (cacheNext_ + 1) % cache_.size();
    slot->pattern.assign(pattern);
  }
  const bool checkAlignment = MayBeTrail(static_cast<unsigned char>(pattern[0]));
  size_t pos = lower_.find(pattern, from);
  while (pos != std::string::npos && checkAlignment && !CharStart(pos)) pos = lower_.find(pattern, pos + 1);
  slot->from = from;
  slot->found = pos == std::string::npos ? kNotFound : pos;
  return slot->found;
}

size_t PageLine::TagAt(size_t pos, std::string_view pattern) const {
  if (pattern.empty() || pos + pattern.size() > lower_.size()) return 0;
  const size_t n = pattern.size() - 1;
  if (lower_.compare(pos, n, pattern.substr(0, n)) != 0) return 0;
  const unsigned char last = static_cast<unsigned char>(lower_[pos + n]);
  if (last == static_cast<unsigned char>(pattern[n]) || last == ' ' || last == '\t') return pattern.size();
  // "<br/>" closes like "<br>".
  if (pattern[n] == '>' && last == '/' && pattern[0] == '<' && pattern[1] != '/') return pattern.size();
  return 0;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsBlank(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && IsBlank(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

void TrimInPlace(std::string& s) {
  std::string_view t = Trimmed(s);
  if (t.size() != s.size()) s = std::string(t);
}

std::string SjisCut(std::string_view s, size_t limit) { return std::string(s.substr(0, platform::SjisPrefixLength(s, limit))); }

bool SjisContainsNoCase(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return true;
  if (text.size() < pattern.size()) return false;
  // Most texts lack the pattern's last character; then nothing is copied.
  const char last = pattern.back();
  const bool letter = last >= 'a' && last <= 'z';
  if (text.find(last) == std::string_view::npos && (!letter || text.find(static_cast<char>(last - 32)) == std::string_view::npos))
    return false;
  PageLine line;
  line.Assign(std::string(text));
  return line.Find(pattern, 0) != kNotFound;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string t(text), l(text);
  ReplaceBoth(t, l, from, to);
  return t;
}

size_t NumericReferenceAt(std::string_view lower, size_t pos, std::string& replacement) {
  if (lower.compare(pos, 2, "&#") != 0) return 0;
  size_t i = pos + 2;
  const bool hex = i < lower.size() && lower[i] == 'x';
  if (hex) ++i;
  const size_t digitsAt = i;
  const size_t maxDigits = hex ? 6 : 7;
  char32_t value = 0;
  while (i < lower.size() && i - digitsAt < maxDigits) {
    const char c = lower[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else
      break;
    value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
    ++i;
  }
  if (i == digitsAt) return 0;
  if (i < lower.size() && lower[i] == ';') ++i;
  if (value < 0x20 || value == 0x7F) {
    replacement = " ";
  } else if (value < 0x80) {
    replacement = std::string(1, static_cast<char>(value));
  } else if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    replacement = "?";
  } else {
    replacement = Utf8ToCp932(Utf8Of(value));
    if (replacement.empty()) replacement = "?";
  }
  return i - pos;
}

void ReplaceReferences(std::string& text, std::string& lower) {
  if (lower.find('&') != std::string::npos)
    for (const auto& r : NamedReferences()) ReplaceBoth(text, lower, r.name, r.text);
  if (lower.find('%') != std::string::npos) ReplaceBoth(text, lower, "%2f", "/");
  if (lower.find("href") != std::string::npos) {
    ReplaceBoth(text, lower, "  href", " href");
    ReplaceBoth(text, lower, " href ", " href");
  }
  if (lower.find("_top") != std::string::npos) ReplaceBoth(text, lower, "target=\"_top\"", "");
  if (lower.find('%') != std::string::npos) ReplaceBoth(text, lower, "%20", " ");
  if (lower.find("&#") != std::string::npos) {
    std::string newText, newLower, piece;
    size_t done = 0;
    for (size_t pos = lower.find("&#"); pos != std::string::npos; pos = lower.find("&#", pos)) {
      size_t n = NumericReferenceAt(lower, pos, piece);
      if (n == 0) {
        pos += 2;
        continue;
      }
      newText.append(text, done, pos - done).append(piece);
      newLower.append(lower, done, pos - done).append(platform::SjisAsciiLower(piece));
      done = pos = pos + n;
    }
    if (done > 0) {
      newText.append(text, done, std::string::npos);
      newLower.append(lower, done, std::string::npos);
      text.swap(newText);
      lower.swap(newLower);
    }
  }
  TrimBoth(text, lower);
}

std::string ReplaceNamedReferencesAgain(std::string_view text) {
  std::string t(text), l = platform::SjisAsciiLower(text);
  for (const auto& r : NamedReferences())
    if (r.again) ReplaceBoth(t, l, r.name, r.text);
  return t;
}

}  // namespace lumetra
