#pragma once
// What the pointer does to a bar, as plain rules: which headline and address
// lie under a point, the hint and pointer shape there, the auto-move dodge,
// when a click opens a headline, the list of opened addresses, the text the
// clipboard receives, the colour of each headline and the navigation keys'
// jumps. The bar window applies what these decide.
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ticker/ticker_colours.h"

namespace lumetra {

// ---- The headline under a point ---------------------------------------------

struct UrlAtInput {
  // The bar shows the weekly weather table: the first address stands for it.
  bool weeklyTable = false;
  // A fixed-size skin with a link of its own: that link answers for points
  // more than 8 pixels outside the text rectangle (both in bar coordinates).
  std::optional<std::string> skinLink;
  QRect skinRect;
  QPoint point;
  // The point's coordinate along the strip (x across a horizontal ticker, y
  // down a vertical one), in the ticker's coordinates.
  int along = 0;
  // The ticker's LineAt.
  std::function<int(int along)> lineAt;
  const std::vector<std::string>* links = nullptr;
};

struct UrlHit {
  std::string url;  // empty: no headline there
  int index = -1;   // headline index (may be past the links)
  bool skinLink = false;
};

UrlHit UrlAt(const UrlAtInput& in);

// The ticker's hint: "<definition>→<url>", the skin's "<title> <<url>>" for
// its own link, the definition's name alone without an address.
std::string PointerHint(const std::string& definitionName, const UrlHit& hit, const std::string& skinTitle = {});

// ---- Pointer shape --------------------------------------------------------------

enum class PointerShape { Arrow, Hand, SizeDiagonal, SizeAntiDiagonal, SizeHorizontal, SizeVertical };

// The sizing shape of a hit code in the band; nullopt inside (the caption).
std::optional<PointerShape> SizingShape(int hit);

// ---- Auto-move ---------------------------------------------------------------------

inline constexpr int kAutoMovePauseMs = 500;  // moves closer than this count as one sweep
inline constexpr int kAutoMoveReturnMargin = 4;

// Counts the quick pointer moves over a floating bar.
class AutoMoveCounter {
 public:
  // A move at `nowMs`; true when the count has passed `limit` (the bar dodges).
  bool Move(int64_t nowMs, bool shiftHeld, int limit);
  int Count() const { return count_; }
  void Set(int count) { count_ = count; }

 private:
  int count_ = 0;
  std::optional<int64_t> last_;
};

// Where a dodging bar goes: one bar length to the left if that stays inside
// the work area, else to the right, else one bar height up, else down, else
// left anyway.
QRect DodgeRect(const QRect& bar, const QRect& workArea);
// The return timer's interval for the limit.
int AutoMoveReturnInterval(int limit);
// A tick of the return timer: the pointer more than 4 pixels outside the
// place the bar left counts down; true when the bar goes back.
bool AutoMoveReturnTick(AutoMoveCounter& counter, const QRect& before, QPoint pointer);

// ---- Opening headlines ------------------------------------------------------------

inline constexpr int kRepeatOpenMs = 250;
inline constexpr int kPointerRestMs = 250;

// Single-click opening: a press remembers where it was; the release or the
// pointer-rest timer opens the headline once per press, and never the same
// address twice within 250 ms.
class SingleClickOpener {
 public:
  void Press(QPoint global);
  void Forget() { pressed_.reset(); }
  bool Pressed() const { return pressed_.has_value(); }
  // The release at `global`: true when the headline is to open (the press
  // was not a drag away from its place).
  bool Release(QPoint global, bool dragged);
  // The pointer-rest timer: true when the pointer rests exactly on the press.
  bool Rest(QPoint global) const { return pressed_ && *pressed_ == global; }
  // Whether `url` may open now; when it may, it counts as opened.
  bool MayOpen(const std::string& url, int64_t nowMs);

 private:
  std::optional<QPoint> pressed_;
  std::string lastUrl_;
  int64_t lastAt_ = 0;
  bool any_ = false;
};

// The addresses a bar opened, newest first, each once, with the headline
// they were opened from.
struct OpenedHeadline {
  std::string url;
  std::string headline;
};
inline constexpr int kOpenedListLength = 20;
void RememberOpened(std::deque<OpenedHeadline>& list, const std::string& url, const std::string& headline);

// ---- Clipboard ------------------------------------------------------------------

// "URLをクリップボードへコピー": the headline (its blanks trimmed), a line break
// and the address; the address alone when the index has no line.
std::string ClipboardText(const std::vector<std::string>& lines, int index, const std::string& url);

// ---- Line change and navigation -------------------------------------------------

// Even headlines take the first news colour, odd ones the second.
Colour HeadlineColour(int index, Colour first, Colour second);

// The headline keys: the line to draw next, or a switch of site at the ends
// (the last two headlines forward, the first two backward).
struct HeadlineJump {
  bool switchSite = false;
  int target = -1;
};
HeadlineJump JumpHeadline(int showIndex, int count, bool forward);

}  // namespace lumetra
