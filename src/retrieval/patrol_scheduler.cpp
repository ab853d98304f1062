#include "retrieval/patrol_scheduler.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>

#include "app/app_state.h"
#include "definitions/news_definition.h"
#include "platform/date_time.h"
#include "platform/sjis_text.h"
#include "platform/user_prompt.h"
#include "retrieval/fetch_text.h"
#include "retrieval/http_check.h"

namespace lumetra {

PatrolScheduler::PatrolScheduler(THttpCheck& fetcher) : fetcher_(fetcher) {
  for (int b = 0; b < kBarCount; ++b) {
    patrolTimers_[b].setSingleShot(true);
    connect(&patrolTimers_[b], &QTimer::timeout, this, [this, b] { OnPatrolTimer(b); });
    bars_[b].fetchMode = b == 0 ? kFetchRound : kFetchOwn;
  }
  roundDriver_.setSingleShot(true);
  connect(&roundDriver_, &QTimer::timeout, this, [this] { OnRoundTick(); });
  stepTimer_.setSingleShot(true);
  connect(&stepTimer_, &QTimer::timeout, this, [this] { OnStepTimer(); });
}

PatrolScheduler::~PatrolScheduler() = default;

int PatrolScheduler::NormalInterval(int bar) const {
  const int minutes = std::clamp(bars_[Clamp(bar)].intervalMinutes, 1, 24 * 60);
  return static_cast<int>(std::min<long long>(static_cast<long long>(minutes) * timings_.minuteMs, 0x7FFFFFFF));
}

void PatrolScheduler::ArmPatrol(int bar, int ms) {
  if (stopped_) return;
  patrolTimers_[Clamp(bar)].start(std::max(ms, 0));
}

bool PatrolScheduler::Offline() const { return app().LocalAddress == kOfflineAddress; }

bool PatrolScheduler::AnyPatrolOn() const {
  return std::any_of(bars_.begin(), bars_.end(), [](const PatrolBar& b) { return b.exists && b.patrolOn; });
}

bool PatrolScheduler::OtherActivityPending(int exceptBar) const {
  if (exceptBar != 0 && roundDriver_.isActive()) return true;
  for (const PatrolBar& b : bars_)
    if (b.exists && b.client && b.client->BoardWorkRunning()) return true;
  return fetcher_.RedirectPending();
}

bool PatrolScheduler::IsPatrollable(int index) const {
  TIPlist5& list = NewsList();
  if (index < 0 || index >= list.Count) return false;
  const NewsDefinition& def = list.Item(index);
  const bool chosen = def.Sponsor != 0 || (def.Patrol == 1 && def.Category != kCategorySearch);
  return chosen && !TrimBlanks(FieldText(def.Url)).empty();
}

bool PatrolScheduler::NotShownElsewhere(int bar, int index) const {
  if (bar != 0) return true;
  TIPlist5& list = NewsList();
  if (index >= 0 && index < list.Count && list.Item(index).Category == kCategorySearch) return true;
  for (int b = 1; b < kBarCount; ++b)
    if (bars_[b].exists && bars_[b].definition == index) return false;
  return true;
}

// Sponsored definitions go into every round, also when a bar shows them.
bool PatrolScheduler::RoundCandidate(int index) const {
  return IsPatrollable(index) && (NewsList().Item(index).Sponsor != 0 || NotShownElsewhere(0, index));
}

int PatrolScheduler::AdvanceRound(int from) const {
  const int count = NewsList().Count;
  for (int i = std::max(from, 0); i < count; ++i)
    if (RoundCandidate(i)) return i;
  return count;
}

void PatrolScheduler::StartBar(int bar) {
  if (stopped_) return;
  PatrolBar& model = bars_[Clamp(bar)];
  model.exists = true;
  // The first patrol after a bar comes up fetches afresh what has no server
  // date to go by.
  TIPlist5& list = NewsList();
  for (int i = 0; i < list.Count; ++i) {
    NewsDefinition& def = list.Item(i);
    if ((def.Patrol && !def.ServerDated) || def.Sponsor) def.LastModified = 0;
  }
  model.fetchMode = bar == 0 ? kFetchRound : kFetchOwn;
  model.patrolPosition = bar == 0 ? 0 : model.definition;
  model.lastFetched = -1;
  // The first step runs as soon as the event loop has it, not inside the
  // caller: a start-up must not wait for a network or a message box.
  ArmPatrol(bar, 0);
}

void PatrolScheduler::StopBar(int bar) {
  bar = Clamp(bar);
  patrolTimers_[bar].stop();
  bars_[bar].exists = false;
  if (bar == 0) roundDriver_.stop();
}

void PatrolScheduler::Stop() {
  stopped_ = true;
  for (QTimer& t : patrolTimers_) t.stop();
  roundDriver_.stop();
  stepTimer_.stop();
}

void PatrolScheduler::OnPatrolTimer(int bar) {
  bar = Clamp(bar);
  patrolTimers_[bar].stop();
  if (stopped_ || app().QuitAllowed) return;
  if (fetcher_.Busy() || OtherActivityPending(-1)) {
    ArmPatrol(bar, timings_.busyRetryMs);
    return;
  }
  barInHand_ = bar;
  if (bars_[bar].fetchMode == kFetchRound)
    OnRoundTick();
  else
    OnStepTimer();
}

void PatrolScheduler::OnRoundTick() {
  roundDriver_.stop();
  if (stopped_ || app().QuitAllowed) return;
  if (fetcher_.Busy() || OtherActivityPending(0)) {
    roundRetrying_ = true;
    roundDriver_.start(timings_.roundRetryMs);
    return;
  }
  roundRetrying_ = false;
  if (hooks_.boardWorkTick && hooks_.boardWorkTick()) {
    roundDriver_.start(timings_.roundTickMs);
    return;
  }
  PatrolBar& bar = bars_[0];
  const int count = NewsList().Count;
  if (count == 0) {
    // The selection reports the empty list.
    barInHand_ = 0;
    OnStepTimer();
    return;
  }
  int position = AdvanceRound(bar.patrolPosition);
  if (position < count && position == bar.lastFetched) position = AdvanceRound(position + 1);
  bar.patrolPosition = position;
  if (position < count) {
    bar.lastFetched = position;
    roundDriver_.start(timings_.roundTickMs);
    barInHand_ = 0;
    OnStepTimer();
    return;
  }
  EndRound();
}

void PatrolScheduler::EndRound() {
  PatrolBar& bar = bars_[0];
  bar.patrolPosition = 0;
  // A new round fetches everything again, also a definition that happened
  // to be the last one of this round.
  bar.lastFetched = -1;
  fetcher_.RenewSoundPermission();
  const int normal = NormalInterval(0);
  if (bar.exists) {
    if (offlineSkipped_)
      ArmPatrol(0, std::min(normal, timings_.offlineWaitMs));
    else if (!patrolTimers_[0].isActive())
      ArmPatrol(0, normal);  // a round that fetched nothing still comes again
  }
  offlineSkipped_ = false;
  if (hooks_.roundEnded) hooks_.roundEnded();
}

void PatrolScheduler::OnStepTimer() {
  if (inStepTimer_) return;
  stepTimer_.stop();
  if (stopped_ || app().QuitAllowed) return;
  if (stepRunning_) {
    if (AnyPatrolOn()) stepTimer_.start(timings_.stepRetryMs);
    return;
  }
  inStepTimer_ = true;
  stepRunning_ = true;
  SelectAndBegin();
  inStepTimer_ = false;
}

int PatrolScheduler::Choose(int bar) {
  PatrolBar& model = bars_[bar];
  TIPlist5& list = NewsList();
  if (BoardRefreshRunning()) return model.patrolPosition;
  for (int i = std::max(model.patrolPosition, 0); i < list.Count; ++i) {
    if (IsPatrollable(i) && (list.Item(i).Sponsor != 0 || NotShownElsewhere(bar, i))) {
      model.patrolPosition = i;
      return i;
    }
  }
  const int start = bar == 0 ? list.CurrentIndex : model.startIndex;
  for (int from : {std::max(start, 0), 0}) {
    for (int i = from; i < list.Count; ++i) {
      if (!TrimBlanks(FieldText(list.Item(i).Url)).empty()) {
        model.patrolPosition = i;
        return i;
      }
    }
  }
  return -1;
}

void PatrolScheduler::NothingToFetch(int bar) {
  PatrolBar& model = bars_[bar];
  if (bar == 0 && model.fetchMode == kFetchRound && roundDriver_.isActive()) return;  // the round goes on
  model.fetchMode = bar == 0 ? kFetchRound : kFetchOwn;
  if (model.exists) ArmPatrol(bar, NormalInterval(bar));
}

void PatrolScheduler::SelectAndBegin() {
  if (selecting_) return;
  selecting_ = true;
  struct Release {
    bool& flag;
    ~Release() { flag = false; }
  } release{selecting_};

  const int b = barInHand_;
  PatrolBar& bar = bars_[b];
  if (!bar.exists || !bar.patrolOn) {
    stepTimer_.stop();
    stepRunning_ = false;
    return;
  }
  if (hooks_.connectionUsable && !hooks_.connectionUsable()) {
    stepRunning_ = false;
    stepTimer_.start(timings_.stepRetryMs);
    return;
  }
  TIPlist5& list = NewsList();
  if (list.Count == 0) {
    stepRunning_ = false;
    StopBar(b);
    platform::ShowPrompt({SJ("ニュースファイルが見つかりません！"), platform::PromptButtons::OkCancel,
                          platform::PromptIcon::Error, platform::PromptAnswer::Ok, {}});
    if (bar.client) bar.client->CloseForEmptyList();
    return;
  }

  const bool redirect = fetcher_.RedirectPending();
  int index = -1;
  if (redirect) {
    index = fetcher_.RedirectIndex();
  } else {
    switch (bar.fetchMode) {
      case kFetchRound: index = Choose(b); break;
      case kFetchDefinitionSet: index = list.Count; break;
      case kFetchSecondary: index = bar.secondaryDefinition; break;
      default: index = bar.definition; break;
    }
  }
  const bool setCheck = !redirect && bar.fetchMode == kFetchDefinitionSet;
  if (index < 0 || index > list.Count || (index == list.Count && !setCheck)) {
    stepRunning_ = false;
    NothingToFetch(b);
    return;
  }

  // Off line only the network waits: local files and this machine's own
  // servers are fetched as ever.
  if (Offline() && THttpCheck::NeedsNetwork(THttpCheck::DefinitionAddress(index))) {
    stepRunning_ = false;
    if (b == 0 && bar.fetchMode == kFetchRound && roundDriver_.isActive()) {
      offlineSkipped_ = true;  // the round moves on
      return;
    }
    ArmPatrol(b, timings_.offlineWaitMs);
    return;
  }

  // Bars 1-5 leave a page alone until one interval after it last changed.
  if (b != 0 && !redirect && index < list.Count) {
    const double lastModified = list.Item(index).LastModified;
    if (lastModified != 0) {
      const double ageMs = (platform::NowDayCount() - lastModified) * 86400000.0;
      const int normal = NormalInterval(b);
      if (ageMs < normal) {
        const double rest = std::clamp(normal - ageMs, static_cast<double>(timings_.stepRetryMs),
                                       static_cast<double>(normal));
        bar.fetchMode = kFetchOwn;
        stepRunning_ = false;
        ArmPatrol(b, static_cast<int>(rest));
        return;
      }
    }
  }

  if (hooks_.beforeFetch) hooks_.beforeFetch();
  stepTimer_.stop();
  fetcher_.BeginStep(b, index);
}

void PatrolScheduler::StepFinished(const StepReport& report) {
  stepRunning_ = false;
  if (stopped_) return;
  const int b = Clamp(report.bar);
  PatrolBar& bar = bars_[b];
  if (!bar.exists) {
    // A bar that closed meanwhile: its redirection must not hold up the others.
    fetcher_.ClearRedirect();
    bar.fetchMode = b == 0 ? kFetchRound : kFetchOwn;
    return;
  }
  if (fetcher_.RedirectPending() && fetcher_.RedirectsFollowed() == 0) {
    barInHand_ = b;
    stepTimer_.start(timings_.stepRetryMs);
    return;
  }
  fetcher_.ClearRedirect();
  // The bar asked for another fetch while this step ran (it was switched to
  // another definition, or wants its own page): that request waited for
  // this step and comes next, rather than giving way to the normal interval.
  const bool askedMeanwhile = bar.fetchMode != report.fetchMode ||
                              (bar.fetchMode == kFetchOwn && bar.definition != report.index);
  if (askedMeanwhile) {
    ArmPatrol(b, timings_.busyRetryMs);
    return;
  }
  ArmPatrol(b, NormalInterval(b));
  bar.fetchMode = b == 0 ? kFetchRound : kFetchOwn;
}

bool PatrolScheduler::UpdateNow(int bar) {
  bar = Clamp(bar);
  if (updating_ || stopped_) return false;
  updating_ = true;
  if (fetcher_.Busy() || stepRunning_) {
    QEventLoop loop;
    QTimer poll, limit;
    connect(&poll, &QTimer::timeout, &loop, [&] {
      if ((!fetcher_.Busy() && !stepRunning_) || app().QuitAllowed || stopped_) loop.quit();
    });
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(20);
    limit.setSingleShot(true);
    limit.start(timings_.updateNowWaitMs);
    loop.exec();
  }
  if (app().QuitAllowed || stopped_) {
    updating_ = false;
    return false;
  }
  PatrolBar& model = bars_[bar];
  TIPlist5& list = NewsList();
  if (model.definition >= 0 && model.definition < list.Count) {
    list.Item(model.definition).LastModified = 0;
    fetcher_.ForceNextRequest(model.definition);
  }
  model.fetchMode = kFetchOwn;
  OnPatrolTimer(bar);
  updating_ = false;
  return true;
}

bool PatrolScheduler::RefreshAll() {
  if (stopped_ || fetcher_.Busy() || stepRunning_) return false;
  TIPlist5& list = NewsList();
  for (int i = 0; i < list.Count; ++i)
    if (IsPatrollable(i)) list.Item(i).LastModified = 0;
  PatrolBar& bar = bars_[0];
  bar.patrolPosition = 0;
  bar.lastFetched = -1;
  bar.fetchMode = kFetchRound;
  if (bar.exists && !roundDriver_.isActive()) OnPatrolTimer(0);
  return true;
}

}  // namespace lumetra
