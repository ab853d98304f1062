#include "interaction/pointer_rules.h"

#include <algorithm>

#include "platform/sjis_text.h"
#include "ticker/bar_geometry.h"

namespace lumetra {

// ---- The headline under a point ---------------------------------------------

UrlHit UrlAt(const UrlAtInput& in) {
  static const std::vector<std::string> none;
  const std::vector<std::string>& links = in.links ? *in.links : none;
  UrlHit hit;
  if (in.weeklyTable) {
    if (!links.empty()) {
      hit.url = links.front();
      hit.index = 0;
    }
    return hit;
  }
  if (in.skinLink && !in.skinLink->empty() && !in.skinRect.adjusted(-8, -8, 8, 8).contains(in.point)) {
    hit.url = *in.skinLink;
    hit.skinLink = true;
    return hit;
  }
  if (!in.lineAt) return hit;
  hit.index = in.lineAt(in.along);
  if (hit.index >= 0 && hit.index < static_cast<int>(links.size())) hit.url = links[static_cast<size_t>(hit.index)];
  return hit;
}

std::string PointerHint(const std::string& definitionName, const UrlHit& hit, const std::string& skinTitle) {
  if (hit.url.empty()) return definitionName;
  if (hit.skinLink) return skinTitle + " <" + hit.url + ">";
  return definitionName + SJ("→") + hit.url;
}

// ---- Pointer shape --------------------------------------------------------------

std::optional<PointerShape> SizingShape(int hit) {
  switch (hit) {
    case kHitTopLeft:
    case kHitBottomRight: return PointerShape::SizeDiagonal;
    case kHitTopRight:
    case kHitBottomLeft: return PointerShape::SizeAntiDiagonal;
    case kHitLeft:
    case kHitRight: return PointerShape::SizeHorizontal;
    case kHitTop:
    case kHitBottom: return PointerShape::SizeVertical;
    default: return std::nullopt;
  }
}

// ---- Auto-move ---------------------------------------------------------------------

bool AutoMoveCounter::Move(int64_t nowMs, bool shiftHeld, int limit) {
  // Shift lets the user reach the bar.
  if (shiftHeld) return false;
  if (last_ && nowMs - *last_ < kAutoMovePauseMs)
    ++count_;
  else
    count_ = 1;  // after a pause this move starts a new sweep
  last_ = nowMs;
  return count_ > limit;
}

QRect DodgeRect(const QRect& bar, const QRect& workArea) {
  const QRect left = bar.translated(-bar.width(), 0);
  for (const QRect& r : {left, bar.translated(bar.width(), 0), bar.translated(0, -bar.height()),
                         bar.translated(0, bar.height())})
    if (workArea.contains(r)) return r;
  return left;
}

int AutoMoveReturnInterval(int limit) { return limit * 250 / 5 + 1; }

bool AutoMoveReturnTick(AutoMoveCounter& counter, const QRect& before, QPoint pointer) {
  const int m = kAutoMoveReturnMargin;
  if (!before.adjusted(-m, -m, m, m).contains(pointer)) counter.Set(counter.Count() - 1);
  return counter.Count() <= 0;
}

// ---- Opening headlines ------------------------------------------------------------

void SingleClickOpener::Press(QPoint global) { pressed_ = global; }

bool SingleClickOpener::Release(QPoint, bool dragged) {
  const bool open = pressed_.has_value() && !dragged;
  pressed_.reset();
  return open;
}

bool SingleClickOpener::MayOpen(const std::string& url, int64_t nowMs) {
  if (any_ && url == lastUrl_ && nowMs - lastAt_ < kRepeatOpenMs) return false;
  any_ = true;
  lastUrl_ = url;
  lastAt_ = nowMs;
  return true;
}

void RememberOpened(std::deque<OpenedHeadline>& list, const std::string& url, const std::string& headline) {
  if (url.empty()) return;
  list.erase(std::remove_if(list.begin(), list.end(), [&url](const OpenedHeadline& o) { return o.url == url; }),
             list.end());
  list.push_front({url, headline});
  while (list.size() > static_cast<size_t>(kOpenedListLength)) list.pop_back();
}

// ---- Clipboard ------------------------------------------------------------------

std::string ClipboardText(const std::vector<std::string>& lines, int index, const std::string& url) {
  if (index < 0 || index >= static_cast<int>(lines.size())) return url;
  const std::string& line = lines[static_cast<size_t>(index)];
  const size_t b = line.find_first_not_of(' ');
  const std::string text = b == std::string::npos ? std::string() : line.substr(b, line.find_last_not_of(' ') - b + 1);
  return text + "\n" + url;
}

// ---- Line change and navigation -------------------------------------------------

Colour HeadlineColour(int index, Colour first, Colour second) { return index % 2 != 0 ? second : first; }

HeadlineJump JumpHeadline(int showIndex, int count, bool forward) {
  if (forward ? showIndex >= count - 2 : showIndex < 2) return {true, -1};
  return {false, forward ? showIndex + 1 : showIndex - 1};
}

}  // namespace lumetra
