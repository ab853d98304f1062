#include "app/fetch_once_command.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "app/data_folder.h"
#include "app/settings.h"
#include "definitions/default_set.h"
#include "definitions/news_definition.h"
#include "platform/file_io.h"
#include "platform/instance_lock.h"
#include "platform/runtime_folder.h"
#include "platform/sjis_text.h"
#include "retrieval/fetch_once.h"
#include "retrieval/http_check.h"

namespace lumetra {
namespace {

// Whether a Lumetra with a window runs now; the lock is not kept, so that
// such a copy can still start while this one fetches.
bool WindowedCopyRunning() {
  platform::InstanceLock lock;
  lock.Acquire(platform::RuntimeFolder());
  return lock.OtherCopyRunning();
}

}  // namespace

int RunFetchOnce(int argc, char** argv, const std::string& dataFolderOverride, const std::string& number) {
  int index = -1;
  if (!number.empty() && number.size() <= 6 && number.find_first_not_of("0123456789") == std::string::npos)
    index = std::stoi(number);
  if (index < 0) {
    std::fprintf(stderr, "lumetra: --fetch-once needs a definition number (0, 1, 2, ...)\n");
    return 2;
  }
  QCoreApplication application(argc, argv);
  QCoreApplication::setApplicationName("Lumetra");
  AppState& st = app();
  ResolveDataFolder(st, CurrentDataFolderInputs(dataFolderOverride));
  settings() = Settings(st.ProgramFolder);
  bars() = DefaultBarTable();
  OptionsReadWrite(0);  // proxy, log and interval as the program uses them
  QDir::setCurrent(QString::fromStdString(st.DataFolder));
  LoadDefinitionsAtStart(st.DataFolder, st.ProgramFolder);

  TIPlist5& list = NewsList();
  if (index >= list.Count) {
    std::fprintf(stderr, "lumetra: there is no definition %d; %s holds %d (0 to %d)\n", index,
                 platform::JoinPath(st.DataFolder, kDefinitionsFile).c_str(), list.Count, list.Count - 1);
    return 2;
  }

  StepReport report;
  {
    THttpCheck check;
    // Its own work file, so a running copy's fetch in the same folder is not disturbed.
    check.SetWorkFileName("tempf.tmp");
    report = FetchDefinitionOnce(check, index);
    check.Stop();
  }

  const std::string title = platform::SjisToUtf8(FieldText(list.Item(index).Title));
  std::fprintf(stderr, "lumetra: %d %s: %s, %s\n", index, title.c_str(),
               platform::SjisToUtf8(report.address).c_str(), StepResultName(report.result));
  if (WindowedCopyRunning()) {
    std::fprintf(stderr, "lumetra: Lumetra is running and keeps its own definitions; they were not saved\n");
  } else {
    SaveDefinitionsAtShutdown(st.DataFolder);
    RefreshBackup(platform::JoinPath(st.DataFolder, kDefinitionsFile),
                  platform::JoinPath(st.DataFolder, kDefinitionsBackupFile), 0);
  }

  switch (report.result) {
    case StepResult::Changed:
      std::printf("changed\n");
      std::fprintf(stderr, "lumetra: page cache %s\n", list.CachePath(index).c_str());
      return 1;
    case StepResult::Unchanged:
    case StepResult::NotModified:
    case StepResult::FetchedRecently:
    case StepResult::UpToDate:
      std::printf("unchanged\n");
      return 0;
    default:
      std::printf("error: %s\n", report.problem.empty() ? StepResultName(report.result) : report.problem.c_str());
      return 2;
  }
}

}  // namespace lumetra
