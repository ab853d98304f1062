#pragma once
// The patrol: which definition is fetched next, for which bar, and when.
// Bar 0 walks through every patrolled definition in rounds; bars 1-5 keep
// their own definition fresh. One fetch runs at a time (THttpCheck); the
// scheduler only decides and hands the choice over.
//
// The scheduler works on bar models (PatrolBar), not on bar windows: a bar
// window (or, until one exists, its stand-in) fills its model, attaches a
// PatrolBarClient to hear about new pages, and calls StartBar.
#include <QObject>
#include <QTimer>
#include <array>
#include <functional>
#include <string>

#include "app/bar_table.h"
#include "platform/message_port.h"

namespace lumetra {

class THttpCheck;
struct StepReport;

// What the patrol asks of a bar window.
class PatrolBarClient {
 public:
  virtual ~PatrolBarClient() = default;
  // Definition `index` has a new page cache. `own`: the bar shows that
  // definition and parses it for display; otherwise (bar 0 only) it parses
  // it in the background for the keyword watch.
  virtual void ParseDefinition(int index, bool own) = 0;
  // The headline counters go back to zero before the next parse.
  virtual void ResetHeadlineCounters() {}
  // A sponsored definition changed: the bar refreshes at once.
  virtual void RefreshNow() {}
  // The definition list is empty: the bar closes (after the error box).
  virtual void CloseForEmptyList() {}
  // Board-list work of the bar is running (it has the patrol's priority).
  virtual bool BoardWorkRunning() const { return false; }
};

// Fetch modes of a bar.
inline constexpr int kFetchRound = 0;       // bar 0's walk through the list
inline constexpr int kFetchOwn = 1;         // the bar's own definition
inline constexpr int kFetchDefinitionSet = 2;  // the definition set (scratch slot at Count)
inline constexpr int kFetchSecondary = 3;   // the definition the companion viewer asked for

struct PatrolBar {
  // Kept by the bar's owner.
  bool exists = false;
  bool patrolOn = true;          // the bar's run-time patrol switch
  int definition = 1;            // the definition the bar shows
  int secondaryDefinition = -1;  // fetched in mode 3
  int startIndex = 1;            // where a walk past the end restarts (bars 1-5)
  int intervalMinutes = 120;     // patrol interval
  platform::WindowHandle window = 0;  // receives "nothing was updated" (1026)
  PatrolBarClient* client = nullptr;

  // Kept by the scheduler (the owner may read them).
  int patrolPosition = 0;   // next definition the walk considers
  int lastFetched = -1;     // bar 0: fetched last in this round
  int fetchMode = kFetchOwn;
  bool counterResetMarked = false;
};

// Time limits; tests shorten them. The defaults are the program's.
struct PatrolTimings {
  int stepRetryMs = 1000;       // the step timer's pace and retries
  int busyRetryMs = 1000;       // a patrol timer that found the fetcher busy
  int roundTickMs = 1000;       // bar 0's round: one step per tick
  int roundRetryMs = 500;       // the round driver while the fetcher is busy
  int offlineWaitMs = 1200000;  // between tries while the machine is off line
  int updateNowWaitMs = 60000;  // how long "update now" waits for a running fetch
  int minuteMs = 60000;         // one minute of a patrol interval
};

// Calls out to parts of the program that other subsystems own; each may be
// left empty.
struct PatrolHooks {
  // The dial-up monitor's answer: may the network be used now?
  std::function<bool()> connectionUsable;
  // Bar 0's round has ended (board-list rebuild, dial-up hang-up, daily check).
  std::function<void()> roundEnded;
  // Board-list work served this round tick instead of a fetch.
  std::function<bool()> boardWorkTick;
  // A board-list refresh is running (the round's walk then stays put).
  std::function<bool()> boardRefreshRunning;
  // Before each fetch: the daily clock synchronisation when due.
  std::function<void()> beforeFetch;
};

class PatrolScheduler : public QObject {
 public:
  explicit PatrolScheduler(THttpCheck& fetcher);
  ~PatrolScheduler() override;

  PatrolBar& Bar(int bar) { return bars_[Clamp(bar)]; }
  const PatrolBar& Bar(int bar) const { return bars_[Clamp(bar)]; }
  void SetTimings(const PatrolTimings& timings) { timings_ = timings; }
  const PatrolTimings& Timings() const { return timings_; }
  void SetHooks(PatrolHooks hooks) { hooks_ = std::move(hooks); }

  // A bar window was created: definitions that are patrolled without a
  // server date (and sponsored ones) count as never fetched, the bar's fetch
  // mode and walk start over, and its first patrol step runs as soon as the
  // event loop gets to it.
  void StartBar(int bar);
  // The bar closes: its patrol timer stops; a step running for it finishes
  // without asking it anything.
  void StopBar(int bar);
  // The fetcher window closes: every timer stops, nothing starts again.
  void Stop();

  // The bar's patrol timer fired.
  void OnPatrolTimer(int bar);
  // Bar 0's round driver.
  void OnRoundTick();
  // The fetcher's step timer.
  void OnStepTimer();
  // Chooses the definition for the bar in hand and begins the fetch.
  void SelectAndBegin();
  // The bar's "update now": waits (processing events) for a running fetch,
  // then fetches the bar's definition even if it was fetched moments ago.
  // False when the wait ran out or the program is closing.
  bool UpdateNow(int bar);
  // "Refresh all patrolled definitions": every patrolled definition counts as
  // never fetched and bar 0 starts a new round. False while a fetch runs.
  bool RefreshAll();

  // The definition takes part in the round.
  bool IsPatrollable(int index) const;
  // Bar 0 leaves definitions to the other bars that show them.
  bool NotShownElsewhere(int bar, int index) const;

  // Bar 0 is in the middle of a round.
  bool RoundRunning() const { return roundDriver_.isActive(); }
  bool PatrolTimerActive(int bar) const { return patrolTimers_[Clamp(bar)].isActive(); }
  int PatrolTimerInterval(int bar) const { return patrolTimers_[Clamp(bar)].interval(); }
  // The bar's normal patrol interval in milliseconds.
  int NormalInterval(int bar) const;
  bool StepTimerActive() const { return stepTimer_.isActive(); }
  int BarInHand() const { return barInHand_; }
  // A board-list refresh is running (the fetcher's repeat guard gives way).
  bool BoardRefreshRunning() const { return hooks_.boardRefreshRunning && hooks_.boardRefreshRunning(); }

  // Called by the fetcher when a step has ended (also a skipped one).
  void StepFinished(const StepReport& report);

 private:
  static int Clamp(int bar) { return bar < 0 ? 0 : (bar >= kBarCount ? kBarCount - 1 : bar); }
  void ArmPatrol(int bar, int ms);
  bool OtherActivityPending(int exceptBar) const;
  bool RoundCandidate(int index) const;
  int AdvanceRound(int from) const;
  int Choose(int bar);
  bool AnyPatrolOn() const;
  bool Offline() const;
  void EndRound();
  void NothingToFetch(int bar);

  THttpCheck& fetcher_;
  PatrolTimings timings_;
  PatrolHooks hooks_;
  std::array<PatrolBar, kBarCount> bars_{};
  std::array<QTimer, kBarCount> patrolTimers_;
  QTimer roundDriver_;
  QTimer stepTimer_;
  bool roundRetrying_ = false;
  bool stepRunning_ = false;
  bool inStepTimer_ = false;
  bool selecting_ = false;
  bool updating_ = false;
  bool stopped_ = false;
  bool offlineSkipped_ = false;  // a network definition waited for the line in this round
  int barInHand_ = 0;
};

}  // namespace lumetra
