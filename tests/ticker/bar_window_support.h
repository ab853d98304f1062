#pragma once
// Bar window tests: a clean registry, data folder, settings, bar table and
// lists (four patrolled definitions, the preset colour sets), and closing
// every bar afterwards; a headline held still on the strip for the pointer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPoint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "app/settings.h"
#include "definitions/colour_sets.h"
#include "definitions/news_definition.h"
#include "platform/registry.h"
#include "platform/sjis_text.h"
#include "platform/user_prompt.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"
#include "support/test_support.h"
#include "ticker/bar_list.h"
#include "ticker/light_str.h"
#include "ticker/news_monitor.h"
#include "ticker/scroll_thread.h"
#include "ticker/ticker_bar.h"

namespace lumetra::test {

inline void Pump(int ms = 30) {
  QElapsedTimer t;
  t.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  } while (t.elapsed() < ms);
}

inline bool PumpUntil(const std::function<bool()>& condition, int ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!condition()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// Lets the bar's headlines scroll until headline `index` lies wholly on the
// strip, then holds the text still; the screen point in the headline's middle
// (a null point, with a failure noted, when it never came).
inline QPoint HeadlineOnStrip(TNewsMonitor* bar, int index) {
  TLightStr& t = *bar->LightStr1;
  int from = 0, to = 0;
  auto onStrip = [&] {
    const LineTable& lines = t.Lines;
    for (int k = 0; k < lines.LineCount; ++k) {
      if (lines.LineIndexes[k] != index) continue;
      from = k == 0 ? 0 : lines.LineEnds[k - 1];
      to = lines.LineEnds[k];
      return k > 0 && to < t.Length();
    }
    return false;
  };
  if (!PumpUntil(onStrip, 20000)) {
    ADD_FAILURE() << "headline " << index << " never came onto the strip";
    return {};
  }
  bar->Bar().Thread->Pause[kPauseDialog] = true;
  Pump(50);
  EXPECT_TRUE(onStrip());
  const QPoint middle((from + to) / 2, t.height() / 2);
  EXPECT_EQ(t.LineAt(middle.x()), index);
  return t.mapToGlobal(middle);
}

// An RSS 1.0 feed in UTF-8 with these headlines, each linked to <base>/<n>.
inline std::string RdfFeed(const std::string& base, const std::vector<std::string>& headlines) {
  std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rdf:RDF>\n<channel>\n<title>Site</title>\n</channel>\n";
  for (size_t n = 0; n < headlines.size(); ++n) {
    const std::string link = base + "/" + std::to_string(n);
    feed += "<item rdf:about=\"" + link + "\">\n<title>" + headlines[n] + "</title>\n<link>" + link + "</link>\n</item>\n";
  }
  return feed + "</rdf:RDF>\n";
}

// The headlines on the bar's strip in UTF-8, without the title and run-out lines.
inline std::vector<std::string> StripHeadlines(TNewsMonitor* bar) {
  const std::vector<std::string>& lines = bar->LightStr1->ShowStrings();
  std::vector<std::string> out;
  for (size_t i = 1; i + 1 < lines.size(); ++i) out.push_back(platform::SjisToUtf8(lines[i]));
  return out;
}

// The program's page-check window, whose patrol waits only milliseconds
// between its steps; the caller uninstalls it (SetPageCheck(nullptr)).
inline std::unique_ptr<THttpCheck> InstallFastPageCheck() {
  auto check = std::make_unique<THttpCheck>();
  check->SetCookieStore(nullptr);
  PatrolTimings fast;
  fast.stepRetryMs = fast.busyRetryMs = fast.roundTickMs = fast.roundRetryMs = 5;
  check->Patrol().SetTimings(fast);
  SetPageCheck(check.get());
  return check;
}

class BarWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The offscreen platform cannot stack or shape windows and says so each time.
    static const QtMessageHandler original = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
          if (!text.startsWith(QStringLiteral("This plugin does not support"))) original(type, context, text);
        });
    platform::RegistryStore::For(platform::RootKey::CurrentUser).Clear();
    app().DataFolder = folder.path();
    app().QuitAllowed = false;
    app().Closing = false;
    settings() = Settings();
    bars() = DefaultBarTable();
    for (BarSlot& slot : bars()) slot.ColourSet = 5;  // a simple look
    TIPlist5 list;
    list.TracksBars = true;
    for (const char* title : {"ニュース零", "デモ", "ニュース二", "ニュース三"}) {
      NewsDefinition d = DefaultDefinition(0);
      SetFieldText(d.Title, SJ(title));
      SetFieldText(d.Url, "file:///nowhere/" + std::to_string(list.Count) + ".rdf");
      d.Patrol = 1;
      list.Append(d);
    }
    list.CurrentIndex = 1;
    NewsList() = list;
    ColourList() = TIPlist6();
    ColourList().BuildPresetColourSets();
    previous_ = platform::SetPromptHandler([this](const platform::PromptRequest& r) {
      prompts.push_back(r.text);
      return platform::PromptAnswer::Ok;
    });
  }
  void TearDown() override {
    CloseAllBars();
    SetSlideChooser(nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    platform::SetPromptHandler(std::move(previous_));
  }

  int RegistryInt(int bar, const char* name) {
    platform::Registry reg;
    if (!reg.OpenKey(BarSettingsKey(bar), false) || !reg.ValueExists(name)) return -999;
    return reg.ReadInteger(name);
  }

  TempFolder folder;
  std::vector<std::string> prompts;

 private:
  platform::PromptHandler previous_;
};

}  // namespace lumetra::test
