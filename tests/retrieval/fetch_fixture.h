#pragma once
// A private data folder with a fresh definition list, the page-check window
// with short time limits and no browser cookies, and helpers that run fetch
// steps against the in-process test server.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "app/settings.h"
#include "definitions/news_definition.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"
#include "platform/user_prompt.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"
#include "support/http_test_server.h"
#include "support/test_support.h"

namespace lumetra::test {

inline void EnsureCoreApplication() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// What a bar window hears from the patrol.
struct RecordingBar : PatrolBarClient {
  std::vector<std::pair<int, bool>> parsed;  // index, own
  int resets = 0, refreshes = 0, closed = 0;
  void ParseDefinition(int index, bool own) override { parsed.emplace_back(index, own); }
  void ResetHeadlineCounters() override { ++resets; }
  void RefreshNow() override { ++refreshes; }
  void CloseForEmptyList() override { ++closed; }
};

class FetchTest : public ::testing::Test {
 protected:
  // Before the members of test classes, which may be servers.
  FetchTest() { EnsureCoreApplication(); }
  void SetUp() override {
    app() = AppState{};
    data = folder / "data";
    platform::MakeDirectories(data);
    app().DataFolder = data;
    settings() = Settings();
    settings().BeepGo = false;
    bars() = DefaultBarTable();
    NewsList() = TIPlist5();
    NewsList().TracksBars = true;
    previousPrompt_ = platform::SetPromptHandler([this](const platform::PromptRequest& r) {
      prompts.push_back(r.text);
      return platform::PromptAnswer::Ok;
    });
    check = std::make_unique<THttpCheck>();
    check->SetCookieStore(nullptr);
    FetchLimits limits;
    limits.repeatGuardMs = 0;
    limits.headerWaitMs = 5000;
    limits.dataWaitMs = 5000;
    check->SetLimits(limits);
    PatrolTimings fast;
    fast.stepRetryMs = 5;
    fast.busyRetryMs = 5;
    fast.roundTickMs = 5;
    fast.roundRetryMs = 5;
    check->Patrol().SetTimings(fast);
  }
  void TearDown() override {
    check.reset();
    platform::SetPromptHandler(std::move(previousPrompt_));
  }

  // A patrolled definition with its own title (and so its own cache file).
  int Add(const std::string& url, const std::string& title = {}) {
    TIPlist5& list = NewsList();
    NewsDefinition d = DefaultDefinition(list.Count);
    SetFieldText(d.Url, url);
    if (!title.empty()) SetFieldText(d.Title, title);
    return list.Append(d);
  }
  NewsDefinition& Def(int index) { return NewsList().Item(index); }

  // Runs one step (and the page-level redirection it may set up) for `bar`
  // in `mode`, the way the patrol hands it over, and returns its report.
  StepReport Step(int index, int mode = kFetchOwn, int bar = 0, int timeoutMs = 20000) {
    PatrolBar& model = check->Patrol().Bar(bar);
    model.exists = true;
    model.fetchMode = mode;
    model.definition = index;
    reports.clear();
    bool done = false;
    FetchHooks hooks = hooks_;
    hooks.stepFinished = [&](const StepReport& r) {
      reports.push_back(r);
      if (!(check->RedirectPending() && check->RedirectsFollowed() == 0)) done = true;
    };
    check->SetHooks(hooks);
    check->BeginStep(bar, index);
    EXPECT_TRUE(WaitUntil([&] { return done; }, timeoutMs)) << "the step did not end";
    check->SetHooks(hooks_);
    return reports.empty() ? StepReport{} : reports.back();
  }

  std::string Cache(int index) {
    std::string path = NewsList().CachePath(index);
    return platform::FileExists(path) ? ReadFile(path) : std::string("<missing>");
  }

  // Files other than page caches, histories and the definitions that were
  // left behind in the data folder or its "News" folder.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> out;
    for (const std::string& dir : {data, data + "/News"}) {
      QDir d(QString::fromStdString(dir));
      for (const QString& name : d.entryList(QDir::Files | QDir::Hidden)) {
        if (name.endsWith(".dat") || name.endsWith(".lst") || name == "Http.Log") continue;
        out.push_back(dir.substr(data.size()) + "/" + name.toStdString());
      }
    }
    return out;
  }

  TempFolder folder;
  std::string data;
  std::unique_ptr<THttpCheck> check;
  std::vector<StepReport> reports;
  std::vector<std::string> prompts;
  FetchHooks hooks_;

 private:
  platform::PromptHandler previousPrompt_;
};

// "<html>" ... "</html>" with the given lines as the body, CR LF ended.
inline QByteArray Html(const std::vector<std::string>& lines) {
  std::string page = "<html>\r\n<body>\r\n";
  for (const std::string& l : lines) page += l + "\r\n";
  page += "</body>\r\n</html>\r\n";
  return QByteArray::fromStdString(page);
}

}  // namespace lumetra::test
