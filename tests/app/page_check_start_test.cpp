// The main window's deferred start-up makes the page-check window and starts
// bar 0's patrol; the shutdown stops it.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/app_state.h"
#include "app/main_window.h"
#include "definitions/news_definition.h"
#include "platform/file_io.h"
#include "platform/process_launcher.h"
#include "platform/registry.h"
#include "platform/user_prompt.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"
#include "support/http_test_server.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

TEST(PageCheckAtStart, TheDeferredStartUpPatrolsBar0AndTheShutdownStopsIt) {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name};
  if (!QApplication::instance()) new QApplication(argc, argv);
  app() = AppState{};
  platform::RegistryStore::For(platform::RootKey::CurrentUser).Clear();
  auto launches = platform::SetLaunchInterceptor([](const platform::LaunchRecord&) { return true; });
  std::vector<std::string> prompts;
  auto previousPrompt = platform::SetPromptHandler([&](const platform::PromptRequest& r) {
    prompts.push_back(r.text);
    return platform::PromptAnswer::Ok;
  });

  // Two local pages, so the patrol needs no network.
  test::TempFolder data;
  TIPlist5 list;
  for (const char* page : {"first", "second"}) {
    test::WriteFile(data / (std::string(page) + ".html"), std::string("<html><a href=\"x\">") + page + " headline</a>\n");
    NewsDefinition d = DefaultDefinition(list.Count);
    SetFieldText(d.Url, "file://" + data / (std::string(page) + ".html"));
    SetFieldText(d.Title, page);
    list.Append(d);
  }
  ASSERT_TRUE(list.SaveDefinitions(data / "NewsUrl.USR"));

  {
    TChirpels window({data.path(), {}});
    EXPECT_EQ(window.PageCheck(), nullptr);
    EXPECT_FALSE(window.Ports().news->PageCheckExists());
    ASSERT_TRUE(test::WaitUntil([&] {
      return platform::FileExists(data / "News/first.dat") && platform::FileExists(data / "News/second.dat");
    })) << "bar 0's first round did not fetch the pages";
    ASSERT_NE(window.PageCheck(), nullptr);
    EXPECT_TRUE(window.Ports().news->PageCheckExists());
    EXPECT_TRUE(window.PageCheck()->Patrol().Bar(0).exists);
    EXPECT_EQ(NewsList().Item(0).HasNew, 1);
    EXPECT_TRUE(prompts.empty());

    window.FormClose();
    EXPECT_TRUE(window.PageCheck()->Stopped());
    EXPECT_FALSE(window.PageCheck()->Busy());
    EXPECT_FALSE(window.PageCheck()->Patrol().PatrolTimerActive(0));
    EXPECT_FALSE(window.Ports().news->Bar0FetchTimerEnabled());
  }
  platform::SetPromptHandler(std::move(previousPrompt));
  platform::SetLaunchInterceptor(std::move(launches));
}

}  // namespace
}  // namespace lumetra
