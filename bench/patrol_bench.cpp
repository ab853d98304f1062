// A patrol round of bar 0 over 200 definitions served by the in-process test
// server on 127.0.0.1, through the real scheduler and fetcher (round pacing
// off): wall time per definition and the CPU time of the whole process (the
// server runs in it too).
//
//   NewPages        every page differs from its cache: received whole, compared,
//                   committed (work file renamed over the cache, fsync)
//   SamePages       every page arrives whole and is compared, no change
//                   (definitions set to "always fetch")
//   NotModified     the same "Last-Modified" as stored: the exchange stops after
//                   the header; the server's count of completed replies proves
//                   that no body went out
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <array>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "app/settings.h"
#include "definitions/news_definition.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"
#include "support/http_test_server.h"
#include "support/test_support.h"

namespace {

using namespace lumetra;
using test::ScriptedReply;

constexpr int kDefinitions = 200;
constexpr int kHeadlinesPerPage = 150;
constexpr char kDate[] = "Mon, 01 Jan 2024 09:00:00 GMT";

// A news page of about 20 KB; `edition` changes every headline.
QByteArray Page(int site, int edition) {
  std::string page = "<html>\r\n<head><title>site " + std::to_string(site) + "</title></head>\r\n<body>\r\n<ul>\r\n";
  for (int h = 0; h < kHeadlinesPerPage; ++h)
    page += "<li><a href=\"/news/" + std::to_string(site) + "/" + std::to_string(h) + ".html\">" +
            SJ("今日のニュース見出し") + " " + std::to_string(edition) + "-" + std::to_string(h) + "</a></li>\r\n";
  page += "</ul>\r\n</body>\r\n</html>\r\n";
  return QByteArray::fromStdString(page);
}

// Pages whose body follows the header after a pause, so a client that stops
// after the header is gone before the body would go out.
ScriptedReply DelayedBody(const QByteArray& body) {
  return ScriptedReply()
      .Status(200)
      .Header("Last-Modified", kDate)
      .Header("Content-Length", QByteArray::number(body.size()))
      .EndHeader()
      .Delay(20)
      .Send(body);
}

// Before anything of Qt's is made.
struct Application {
  Application() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
};

struct World {
  World() {
    app() = AppState{};
    app().DataFolder = folder.path();
    settings() = Settings();
    settings().BeepGo = false;
    bars() = DefaultBarTable();
    server = std::make_unique<test::HttpTestServer>();
    NewsList() = TIPlist5();
    for (int i = 0; i < kDefinitions; ++i) {
      NewsDefinition d = DefaultDefinition(i);
      SetFieldText(d.Url, server->Url("/p" + std::to_string(i)));
      NewsList().Append(d);
    }
    check = std::make_unique<THttpCheck>();
    check->SetCookieStore(nullptr);
    FetchLimits limits;
    limits.repeatGuardMs = 0;
    check->SetLimits(limits);
    PatrolTimings timings;
    timings.roundTickMs = timings.roundRetryMs = timings.stepRetryMs = timings.busyRetryMs = 0;
    check->Patrol().SetTimings(timings);
    PatrolHooks hooks;
    hooks.roundEnded = [this] {
      roundOver = true;
      loop.quit();
    };
    check->Patrol().SetHooks(hooks);
    FetchHooks fetchHooks;
    fetchHooks.stepFinished = [this](const StepReport& r) { ++results[static_cast<int>(r.result)]; };
    check->SetHooks(fetchHooks);
  }

  void Serve(int edition, bool dated, bool delayedBody) {
    for (int i = 0; i < kDefinitions; ++i) {
      QByteArray body = Page(i, edition);
      server->On("/p" + std::to_string(i), delayedBody ? DelayedBody(body)
                                         : dated ? ScriptedReply::Page(body, 200, {{"Last-Modified", kDate}})
                                                 : ScriptedReply::Page(body));
    }
  }

  void Round() {
    results = {};
    roundOver = false;
    check->Patrol().StartBar(0);
    if (!roundOver) loop.exec();
    check->Patrol().StopBar(0);
  }

  Application application;
  test::TempFolder folder;
  std::unique_ptr<test::HttpTestServer> server;
  std::unique_ptr<THttpCheck> check;
  QEventLoop loop;
  bool roundOver = false;
  std::array<int, 8> results{};
};

void PerDefinition(benchmark::State& state) {
  state.counters["per_definition"] =
      benchmark::Counter(kDefinitions, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_PatrolRound_NewPages(benchmark::State& state) {
  World w;
  int edition = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w.Serve(++edition, false, false);
    state.ResumeTiming();
    w.Round();
    if (w.results[static_cast<int>(StepResult::Changed)] != kDefinitions) state.SkipWithError("not every page changed");
  }
  PerDefinition(state);
}

void BM_PatrolRound_SamePages(benchmark::State& state) {
  World w;
  w.Serve(1, false, false);
  w.Round();  // the caches
  for (int i = 0; i < kDefinitions; ++i) NewsList().Item(i).AlwaysFetch = 1;
  for (auto _ : state) {
    w.Round();
    if (w.results[static_cast<int>(StepResult::Unchanged)] != kDefinitions) state.SkipWithError("a page counted as changed");
  }
  PerDefinition(state);
}

void BM_PatrolRound_NotModified(benchmark::State& state) {
  World w;
  w.Serve(1, true, false);
  w.Round();  // the caches and the stored dates
  w.Serve(1, true, true);
  int bodies = 0;
  for (auto _ : state) {
    const int completedBefore = w.server->RepliesCompleted();
    w.Round();
    state.PauseTiming();
    QTimer::singleShot(100, &w.loop, &QEventLoop::quit);  // the server's pauses run out
    w.loop.exec();
    state.ResumeTiming();
    if (w.results[static_cast<int>(StepResult::NotModified)] != kDefinitions)
      state.SkipWithError("not every page stopped after its header");
    bodies += w.server->RepliesCompleted() - completedBefore;
    if (bodies != 0) state.SkipWithError("a body was sent");
  }
  state.counters["bodies_sent"] = bodies;
  PerDefinition(state);
}

BENCHMARK(BM_PatrolRound_NewPages)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_PatrolRound_SamePages)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_PatrolRound_NotModified)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
