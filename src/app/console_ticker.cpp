#include "app/console_ticker.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "app/app_state.h"
#include "app/data_folder.h"
#include "app/settings.h"
#include "definitions/default_set.h"
#include "extraction/page_line.h"
#include "extraction/parse_definition.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"
#include "platform/system_info.h"
#include "platform/termination_signals.h"
#include "retrieval/headline_store.h"
#include "retrieval/http_check.h"
#include "retrieval/patrol_scheduler.h"

namespace lumetra {
namespace {

constexpr int kConsoleBar = 0;

void PrintDefinition(int index) {
  if (!ParseDefinition(kConsoleBar, index, false, false)) return;
  const std::string text = ConsolePageText(kConsoleBar);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

// Bar 0 as the patrol sees it: every page that changes is printed.
class ConsoleBar final : public PatrolBarClient {
 public:
  void ParseDefinition(int index, bool) override { PrintDefinition(index); }
  void ResetHeadlineCounters() override { barHeadlines(kConsoleBar).SponsorCounter = 0; }
  void RefreshNow() override { CollectSponsorHeadlines(kConsoleBar); }
  void CloseForEmptyList() override {
    std::fprintf(stderr, "lumetra: there are no news definitions to patrol\n");
    QCoreApplication::exit(1);
  }
};

}  // namespace

std::string ConsolePageText(int bar) {
  const BarHeadlines& b = barHeadlines(bar);
  std::string out;
  if (b.Lines.empty()) return out;
  out += "\xE2\x96\xA0 " + platform::SjisToUtf8(Trimmed(b.Lines[0]));  // "■ "
  if (!b.Links[0].empty()) out += "  " + platform::SjisToUtf8(b.Links[0]);
  out += '\n';
  // The last line only lets the strip run out.
  for (size_t i = 1; i + 1 < b.Lines.size(); ++i) {
    out += "  " + platform::SjisToUtf8(Trimmed(b.Lines[i])) + '\n';
    if (!b.Links[i].empty()) out += "    " + platform::SjisToUtf8(b.Links[i]) + '\n';
  }
  out += '\n';
  return out;
}

int RunConsoleTicker(const ConsoleOptions& options, int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QCoreApplication::setApplicationName("Lumetra");
  QCoreApplication::setOrganizationName("TARVO");
  // A signal during the start is taken up as soon as the event loop runs.
  platform::OnTerminationSignal([](int) {
    app().QuitAllowed = true;
    QCoreApplication::quit();
  });

  AppState& st = app();
  ResolveDataFolder(st, CurrentDataFolderInputs(options.dataFolderOverride));
  settings() = Settings(st.ProgramFolder);
  bars() = DefaultBarTable();
  st.LocalAddress = platform::FirstIPv4Address();
  LoadDefinitionsAtStart(st.DataFolder, st.ProgramFolder);
  OptionsReadWrite(0);
  LoadColourSetsAtStart(st.DataFolder, st.ProgramFolder);

  QDir::setCurrent(QString::fromStdString(st.DataFolder));

  THttpCheck check;
  PatrolScheduler& patrol = check.Patrol();
  CollectSponsorHeadlines(kConsoleBar);
  for (int i = 0; i < NewsList().Count; ++i)
    if (patrol.IsPatrollable(i)) PrintDefinition(i);

  ConsoleBar client;
  PatrolBar& bar = patrol.Bar(kConsoleBar);
  bar.definition = NewsList().CurrentIndex;
  bar.intervalMinutes = bars()[kConsoleBar].PatrolInterval;
  bar.client = &client;
  patrol.StartBar(kConsoleBar);

  const int code = application.exec();
  patrol.StopBar(kConsoleBar);
  check.Stop();

  st.Closing = true;
  st.QuitAllowed = true;
  SaveDefinitionsAtShutdown(st.DataFolder);
  RefreshBackup(platform::JoinPath(st.DataFolder, kDefinitionsFile), platform::JoinPath(st.DataFolder, kDefinitionsBackupFile), 0);
  return code;
}

}  // namespace lumetra
