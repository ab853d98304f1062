#include "extraction/markers.h"

#include "extraction/page_line.h"
#include "platform/fixed_text.h"

namespace lumetra {
namespace {

void AddAlternatives(std::string_view text, std::vector<std::string>& out) {
  constexpr std::string_view kOr = " or ";
  while (true) {
    size_t at = text.find(kOr);
    std::string_view part = Trimmed(text.substr(0, at));
    // An empty alternative would match every line.
    if (!part.empty()) out.emplace_back(part);
    if (at == std::string_view::npos) break;
    text.remove_prefix(at + kOr.size());
  }
}

MarkerMatch FindAlternatives(const Marker& marker, const PageLine& line, size_t from) {
  for (const std::string& alternative : marker.alternatives) {
    size_t pos = line.Find(alternative, from);
    if (pos != kNotFound) return {pos + 1, alternative.size()};
  }
  return {};
}

}  // namespace

Marker Marker::Parse(std::string_view text) {
  Marker m;
  std::string lower = platform::SjisAsciiLower(text);
  std::string_view rest = lower;
  constexpr std::string_view kOnce = "once ";
  if (rest.substr(0, kOnce.size()) == kOnce) {
    rest.remove_prefix(kOnce.size());
    size_t at = rest.find(" or ");
    m.once = std::string(Trimmed(rest.substr(0, at)));
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 4);
  }
  AddAlternatives(rest, m.alternatives);
  return m;
}

MarkerMatch MatchMarker(int kind, const Marker& marker, const PageLine& line, size_t from, MarkerRun& run) {
  if (kind == 0) {
    if (!marker.once.empty() && !run.startOnceSeen) {
      size_t pos = line.Find(marker.once, from);
      if (pos == kNotFound) return {};
      run.startOnceSeen = true;
      return {pos + 1, marker.once.size()};
    }
    if (run.areaEntered && run.endOnceSeen) return {};
    return FindAlternatives(marker, line, from);
  }
  if (!run.areaEntered) return {};
  if (!marker.once.empty()) {
    if (run.endOnceSeen) return {from + 1, 0};
    size_t pos = line.Find(marker.once, from);
    if (pos != kNotFound) {
      run.endOnceSeen = true;
      return {pos + 1, marker.once.size()};
    }
  }
  return FindAlternatives(marker, line, from);
}

}  // namespace lumetra
