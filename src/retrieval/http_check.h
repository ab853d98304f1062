#pragma once
// THttpCheck: the hidden page-check window. It fetches one definition's page
// at a time, writes it line by line to a work file while comparing it with
// the definition's page cache, and when the page has changed makes the work
// file the new page cache, marks the definition as having news and asks the
// bars to parse it. It follows the page-level redirections news pages use
// (one per step), keeps the optional protocol log "Http.Log", and owns the
// patrol scheduler that decides what it fetches.
//
// Messages of its window: 1025 the host name is resolved, 1027 its own
// deferred end of an exchange, 1028 a new definition set was received.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/cookie_store.h"
#include "platform/message_port.h"
#include "retrieval/fetch_text.h"

namespace lumetra {

namespace platform {
class HttpClient;
enum class HttpError;
}  // namespace platform

class CacheLineReader;
class HttpLog;
class PageComparer;
class PatrolScheduler;

// The sponsoring partner's domain: sponsored definitions on its hosts are
// served through a frame named "mainframe". No such partner exists yet, so
// the domain is one that never resolves.
inline constexpr char kSponsorPartnerDomain[] = "partner.lumetra.example";
// The host of the last main frame followed for a sponsored definition; the
// parser puts it into the links of such definitions.
std::string& SponsorPartnerHost();

// Work files in the data folder and the definition set's page.
inline constexpr char kPageWorkFile[] = "temph.tmp";
inline constexpr char kDefinitionSetWorkFile[] = "tempu.tmp";
inline constexpr char kDefinitionSetPage[] = "newsurl.dat";

struct FetchLimits {
  int headerWaitMs = 60000;   // name look-up, connection and the response header
  int dataWaitMs = 180000;    // silence allowed between two pieces of a page
  int repeatGuardMs = 60000;  // the same address is not requested again sooner
  // A page beyond this size is abandoned (news pages are far smaller; the
  // cache and the parser are spared a runaway server).
  int64_t maxPageBytes = 32ll << 20;
};

enum class StepResult {
  Changed,          // the page differs; it is now the page cache
  Unchanged,        // received whole, no difference
  NotModified,      // "Last-Modified" as stored: stopped after the header
  FetchedRecently,  // no "Last-Modified" and fetched within the interval
  Redirected,       // a page-level redirection is followed in the next step
  UpToDate,         // definition set: the server's set is the installed one
  Skipped,          // nothing requested: no address, unresolvable, asked moments ago
  Failed,           // broken off, refused, error status, too large, no answer
};
const char* StepResultName(StepResult result);

struct StepReport {
  int bar = 0;
  int index = -1;
  int fetchMode = 0;
  StepResult result = StepResult::Skipped;
  std::string address;  // program text
  bool local = false;   // a file on this machine
  int status = 0;       // HTTP status; 0 when none arrived
  std::string problem;  // why it was skipped or failed (English)
};

struct FetchHooks {
  // New headlines arrived: play the event sound `index`, or beep when its
  // file is missing and `fallbackBeep` is set.
  std::function<void(int index, bool fallbackBeep)> playSound;
  // The dial-up monitor's status line ("<title>を探しています").
  std::function<void(const std::string& text)> statusLine;
  // A redirection led back to an address asked for moments ago: the
  // definition editor opens on that definition.
  std::function<void(int bar, int index)> editDefinition;
  // Message 1028: a new definition set lies in "newsurl.dat".
  std::function<void()> definitionSetReceived;
  // Every finished step, for observers (the command line, tests).
  std::function<void(const StepReport&)> stepFinished;
};

class THttpCheck : public QObject {
 public:
  static constexpr int kNewHeadlineSound = 6;  // "SoundFileName7"
  static constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

  explicit THttpCheck(QObject* parent = nullptr);
  ~THttpCheck() override;

  platform::WindowHandle Handle() const;
  PatrolScheduler& Patrol() { return *patrol_; }

  void SetLimits(const FetchLimits& limits) { limits_ = limits; }
  const FetchLimits& Limits() const { return limits_; }
  void SetHooks(FetchHooks hooks) { hooks_ = std::move(hooks); }
  // The browser's cookies; by default the desktop browser's store, made at
  // the first request. nullptr sends no cookies.
  void SetCookieStore(std::unique_ptr<platform::CookieStore> store);
  // Certificate authorities for https instead of the system's (tests).
  void SetCaFile(const std::string& path) { caFile_ = path; }
  // The work file's name in the data folder (fetch modes 0, 1 and 3).
  void SetWorkFileName(const std::string& name) { workName_ = name; }

  // Starts fetching definition `index` for `bar` in the bar's fetch mode:
  // prepares the address and resolves the host. The end is reported through
  // the scheduler's StepFinished and the stepFinished hook.
  void BeginStep(int bar, int index);
  // Ends the step: commits a changed, complete page and hands control back
  // to the scheduler. The watchdog's handler; may also be called directly.
  void FinishStep();
  // A step is under way (the watchdog runs, or the bars are being asked to
  // parse its page).
  bool Busy() const { return watchdog_.isActive() || finishing_; }
  void ArmWatchdog(int ms) { watchdog_.start(ms); }
  void StopWatchdog() { watchdog_.stop(); }

  bool RedirectPending() const { return redirectPending_; }
  int RedirectIndex() const { return redirectIndex_; }
  int RedirectsFollowed() const { return redirectsFollowed_; }
  void ClearRedirect();
  // The next request for definition `index` is sent even if its address was
  // asked for moments ago (the user's "update now").
  void ForceNextRequest(int index) { forceIndex_ = index; }

  int StepBar() const { return bar_; }
  int StepIndex() const { return index_; }
  int StepMode() const { return mode_; }
  const StepReport& LastReport() const { return report_; }
  // The date after "Latest:" of the last definition-set page (0 when none).
  double LatestDate() const { return latestDate_; }

  // The new-headline sound may play again (bar 0's round has ended).
  void RenewSoundPermission() { soundAllowed_ = true; }
  // The window closes: the exchange is dropped, files closed and removed,
  // every timer stopped; no further step starts.
  void Stop();
  bool Stopped() const { return stopped_; }

  // Whether fetching this address needs the network (false for local files
  // and loopback hosts).
  static bool NeedsNetwork(const std::string& address);
  // The address BeginStep would request for a definition (program text).
  static std::string DefinitionAddress(int index);

  platform::LResult WndProc(uint32_t msg, platform::WParam wParam, platform::LParam lParam);

 private:
  void ResetExchange();
  void Request();
  void OnResolved(const std::string& address);
  void OnHeaderBegin();
  void OnHeaderLine(const std::string& line);
  void OnHeaderEnd();
  void OnData(const std::string& chunk);
  void OnDone(int status, platform::HttpError error);
  void OnLine(std::string_view line);
  bool WriteWork(std::string_view line);
  void SetUpRedirect(const std::string& target);
  void EndExchange(StepResult result, const std::string& problem = {});
  // Stops the transfer and the host look-up, and records how the step ended.
  void StopExchange(StepResult result, const std::string& problem);
  void LocalComparison(const std::string& path);
  bool CommitWorkFile(const std::string& cachePath);
  void CloseFiles();
  void RemoveWorkFile();
  void AskBarsToParse();
  void RestartDataWatchdog();

  std::unique_ptr<platform::MessagePort> port_;
  std::unique_ptr<PatrolScheduler> patrol_;
  platform::HttpClient* client_ = nullptr;
  QTimer watchdog_;
  FetchLimits limits_;
  FetchHooks hooks_;
  std::unique_ptr<platform::CookieStore> cookies_;
  bool cookiesChosen_ = false;
  std::string caFile_;
  std::string workName_ = kPageWorkFile;

  // The step.
  bool stepActive_ = false;
  bool finishing_ = false;
  bool receiving_ = false;
  bool stopped_ = false;
  uint64_t serial_ = 0;
  int bar_ = 0, mode_ = 0, index_ = -1;
  int interval_ = 120;
  std::string address_;  // full address, program text
  AddressParts parts_;
  bool viaProxy_ = false;
  bool board_ = false;   // "ch2" in the address: request line with the path only
  bool awaitingLookup_ = false;
  int lookupId_ = -1;
  std::string resolved_;

  // The exchange.
  int lineState_ = 0;  // 0 before the response, 1 header, 2 body, 999 over
  LineAssembler lines_;
  int status_ = 0;
  bool serverDated_ = false;
  double serverDate_ = 0;
  bool datesPending_ = false;
  double newLastModified_ = 0;
  uint8_t newServerDated_ = 0;
  std::optional<std::string> newTitle_;
  bool changed_ = false;
  bool differenceSeen_ = false;
  bool complete_ = false;
  bool local_ = false;
  std::unique_ptr<PageComparer> comparer_;
  std::FILE* work_ = nullptr;
  std::string workPath_;
  int64_t workBytes_ = 0;
  std::unique_ptr<HttpLog> log_;
  StepReport report_;
  double latestDate_ = 0;

  // Redirections: pending across steps, counted per definition.
  bool redirectPending_ = false;
  std::string redirectAddress_;
  int redirectIndex_ = -1;
  int redirectsFollowed_ = 0;
  bool continuing_ = false;  // this step follows a redirection

  // Repeat guard.
  std::string lastRequested_;
  QElapsedTimer lastRequestTime_;
  int forceIndex_ = -1;

  bool soundAllowed_ = true;
};

}  // namespace lumetra
