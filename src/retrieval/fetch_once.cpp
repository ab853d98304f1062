#include "retrieval/fetch_once.h"

#include <QEventLoop>

#include "app/bar_table.h"
#include "retrieval/patrol_scheduler.h"

namespace lumetra {

StepReport FetchDefinitionOnce(THttpCheck& check, int index) {
  PatrolScheduler& patrol = check.Patrol();
  PatrolBar& bar = patrol.Bar(0);
  bar.exists = true;
  bar.patrolOn = true;
  bar.definition = index;
  bar.fetchMode = kFetchOwn;
  bar.intervalMinutes = bars()[0].PatrolInterval;

  StepReport last;
  last.index = index;
  last.problem = "the fetch did not start";
  bool done = false;
  QEventLoop loop;
  FetchHooks hooks;
  hooks.stepFinished = [&](const StepReport& report) {
    last = report;
    // A page-level redirection is fetched by the next step.
    if (check.RedirectPending() && check.RedirectsFollowed() == 0) return;
    done = true;
    loop.quit();
  };
  check.SetHooks(hooks);
  patrol.OnPatrolTimer(0);
  if (!done && check.Busy()) loop.exec();
  patrol.StopBar(0);
  check.SetHooks({});
  return last;
}

}  // namespace lumetra
