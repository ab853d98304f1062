#pragma once
// Text rules of the page fetcher that need no network and no files: how an
// address is taken apart, which lines of a page mean something special, how
// a page is cut into lines, and how the server's date is read. Texts are
// program text (Shift_JIS) unless a name says otherwise.
#include <QDateTime>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lumetra {

// The longest line the fetcher keeps; longer lines are cut into pieces of
// this length.
inline constexpr size_t kMaxPageLine = 32767;

// Trims bytes up to and including the space (control characters too).
std::string TrimBlanks(std::string_view text);
// ASCII letters only, so Shift_JIS characters keep their bytes apart from
// trail bytes in the letter range, which searches on both sides share.
std::string LowerAscii(std::string_view text);
bool ContainsNoCase(std::string_view text, std::string_view needle);

// A page line that is not kept: no "<", no "--" and at most 6 bytes.
bool IsIgnoredShortLine(std::string_view line);

// The file an address names when it is not a network address: a "file:"
// address (with or without "//", "localhost" as its host), or a plain path.
// Returned as a UTF-8 path; nullopt for http, https and ftp addresses and
// for texts that cannot name a file. Whether the file exists is not checked.
std::optional<std::string> LocalPagePath(std::string_view address);

struct AddressParts {
  std::string scheme;     // "http", "https", ... in lower case; "" without "//"
  std::string authority;  // host with its port, as written
  std::string host;       // without port, user or brackets
  std::string path;       // from the first "/" after the host; "/" when none
};
// Splits "scheme://host[:port]/path" as the fetcher does: everything up to
// "//" is dropped and the host runs to the first "/".
AddressParts SplitAddress(std::string_view address);

// "localhost", 127.0.0.0/8 and ::1: reachable without a network.
bool IsLoopbackHost(std::string_view host);
// Dotted IPv4 or IPv6 text that needs no look-up.
bool IsNumericHost(std::string_view host);

// The target of a redirection made absolute against the definition's
// address: text before an inner "http:"/"https:" is dropped, "url=" keeps
// what follows it, a relative target is joined to `base` up to its last "/"
// (to the host when the target starts with "/").
std::string AbsoluteRedirect(std::string_view target, std::string_view base);

// The address a meta refresh line sends to (the text after "url=", without
// quotes); nullopt when the line is no meta refresh or names no address (a
// refresh of the page itself).
std::optional<std::string> MetaRefreshTarget(std::string_view line);
// A bulletin board's feed link: the quoted text before "RSSはこちら".
std::optional<std::string> BoardFeedLink(std::string_view line);
// The address of a frame named "mainframe": from "http:" to the next blank,
// quotes removed.
std::optional<std::string> MainFrameAddress(std::string_view line);
// The host of an "http://" address (up to the next "/").
std::string HostAfterScheme(std::string_view address);
// Trimmed text between "<title>" and "</title>" (any case), at most 100 bytes
// without cutting a double-byte character; nullopt when the line has no
// complete title.
std::optional<std::string> PageTitle(std::string_view decodedLine);

// A marker as the page comparison uses it: any of its " or " alternatives
// (a leading "once " dropped) found in `lowerLine`. `lowerMarker` is the
// marker in lower case.
bool LineHasMarker(std::string_view lowerLine, std::string_view lowerMarker);

// The "Last-Modified" value as a local day count (days since 30 December
// 1899, as the definition file keeps dates). Accepts the three HTTP date
// forms; the zone (GMT, or a numeric offset) is applied, so the value is the
// local time of the change. nullopt when the text is no valid date.
std::optional<double> ParseHttpDate(std::string_view text);

// User and password of addresses in a log line replaced by "********".
std::string MaskCredentials(std::string_view line);

// Cuts received bytes into page lines: a line ends at CR or LF (CR LF, also
// split across two pieces, ends one line), when it reaches kMaxPageLine
// bytes, or when a piece ends and the text pending holds "</body>".
class LineAssembler {
 public:
  using Sink = std::function<void(std::string_view line)>;

  // Feeds one received piece; complete lines go to `sink` in order. The sink
  // may call Stop(), after which the rest of the piece is dropped.
  void Feed(std::string_view bytes, const Sink& sink);
  // The text of an unterminated last line, when the page has ended.
  void Flush(const Sink& sink);
  void Stop() { stopped_ = true; }
  void Reset();
  const std::string& Pending() const { return buffer_; }

 private:
  std::string buffer_;
  bool afterCr_ = false;
  bool stopped_ = false;
};

}  // namespace lumetra
