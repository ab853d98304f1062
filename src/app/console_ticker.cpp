#include "app/console_ticker.h"

#include <QCoreApplication>
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

namespace lumetra {
namespace {

constexpr int kConsoleBar = 0;

bool Patrolled(const NewsDefinition& d) {
  const bool wanted = d.Sponsor != 0 || (d.Patrol && d.Category != kCategorySearch);
  return wanted && !Trimmed(FieldText(d.Url)).empty();
}

void PrintDefinition(int index) {
  if (!ParseDefinition(kConsoleBar, index, false, false)) return;
  const std::string text = ConsolePageText(kConsoleBar);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

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

  for (int i = 0; i < NewsList().Count; ++i)
    if (Patrolled(NewsList().Item(i))) PrintDefinition(i);

  const int code = application.exec();

  st.Closing = true;
  st.QuitAllowed = true;
  SaveDefinitionsAtShutdown(st.DataFolder);
  RefreshBackup(platform::JoinPath(st.DataFolder, kDefinitionsFile), platform::JoinPath(st.DataFolder, kDefinitionsBackupFile), 0);
  return code;
}

}  // namespace lumetra
