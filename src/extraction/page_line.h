#pragma once
// One line of a page as the parser reads it: the decoded text and its
// lower-cased copy, byte for byte at the same positions, so that searches run
// on the copy and cuts are made on both. Searches never match in the middle
// of a double-byte character, and remember where a pattern was last found so
// that scanning a long line stays linear however often it is searched.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lumetra {

inline constexpr size_t kNotFound = std::string::npos;

class PageLine {
 public:
  PageLine() = default;
  // Takes decoded program text; makes the lower-cased copy.
  void Assign(std::string text);
  // Replaces the line (both copies) by the text from `keep` on, and cuts its
  // end at `end` (exclusive).
  void Keep(size_t keep, size_t end);

  const std::string& Text() const { return text_; }
  const std::string& Lower() const { return lower_; }
  size_t Size() const { return text_.size(); }

  // First position at or after `from` where `pattern` (lower case) starts,
  // at a character boundary; kNotFound when none.
  size_t Find(std::string_view pattern, size_t from) const;
  // `pattern` (lower case) stands at `pos`.
  bool At(size_t pos, std::string_view pattern) const {
    return pos <= lower_.size() && lower_.compare(pos, pattern.size(), pattern) == 0;
  }
  // An end tag or token at `pos`: `pattern`, or `pattern` with its last
  // character replaced by a blank, or ("<br>" style tags) by "/".
  size_t TagAt(size_t pos, std::string_view pattern) const;
  unsigned char Byte(size_t pos) const { return static_cast<unsigned char>(lower_[pos]); }
  // `pos` starts a character (is not the second byte of a double-byte one).
  bool CharStart(size_t pos) const;

 private:
  void Invalidate();

  std::string text_, lower_;
  mutable std::vector<unsigned char> trail_;  // 1 at second bytes; built on demand
  mutable bool trailBuilt_ = false;
  struct Cached {
    std::string pattern;
    size_t from = 0;
    size_t found = kNotFound;
  };
  mutable std::array<Cached, 24> cache_;
  mutable size_t cacheNext_ = 0;
};

// Byte helpers for program text.
inline bool IsBlank(unsigned char c) { return c <= 0x20; }
std::string_view Trimmed(std::string_view s);
void TrimInPlace(std::string& s);
// The longest prefix of at most `limit` bytes that does not split a
// double-byte character.
std::string SjisCut(std::string_view s, size_t limit);
// `text` contains `pattern` (lower case) in any case, at a character boundary.
bool SjisContainsNoCase(std::string_view text, std::string_view pattern);
// Every occurrence of `from` replaced (at character boundaries).
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Character references and the other replacements every line of the headline
// area goes through, on both copies at the same places: the named references
// (lines with "&" only), "%2f", the blanks around "href", target="_top",
// "%20", then numeric references. The line is trimmed afterwards.
void ReplaceReferences(std::string& text, std::string& lower);

// The named references of an item's text once more, without "&hellip;" and
// "&lrm;" (feeds often escape their text twice).
std::string ReplaceNamedReferencesAgain(std::string_view text);

// A numeric character reference ("&#12354;", "&#x3042;") at `pos` of `lower`:
// its length (0 when there is none) and its text in program text. References
// name Unicode characters whatever the page's encoding; a character the code
// page lacks becomes "?", a control character a blank.
size_t NumericReferenceAt(std::string_view lower, size_t pos, std::string& replacement);

}  // namespace lumetra
