#include "app/data_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <utime.h>

#include "platform/date_time.h"
#include "platform/file_io.h"
#include "platform/registry.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

// Resolves the data folder in a child process that runs as an ordinary user
// (root may write anywhere, which would hide the read-only cases).
std::string ResolveAsOrdinaryUser(const DataFolderInputs& inputs) {
  int fds[2];
  if (::pipe(fds) != 0) return "pipe failed";
  pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    AppState state;
    ResolveDataFolder(state, inputs);
    [[maybe_unused]] ssize_t n = ::write(fds[1], state.DataFolder.data(), state.DataFolder.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string out;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return out;
}

class DataFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ::chmod(root.path().c_str(), 0755);
    program = root / "program";
    user = root / "user";
    ::mkdir(program.c_str(), 0777);
    ::mkdir(user.c_str(), 0777);
    ::chmod(program.c_str(), 0777);
    ::chmod(user.c_str(), 0777);
  }
  TempFolder root;
  std::string program, user;
};

TEST_F(DataFolder, ChosenByTheWritabilityProbe) {
  struct Case {
    const char* name;
    mode_t programMode;
    int newsMode;  // -1: no "News" folder yet
    bool inProgramFolder;
  } cases[] = {
      {"writable program folder", 0777, -1, true},
      {"writable program folder and News", 0777, 0777, true},
      {"read-only program folder", 0555, -1, false},
      {"read-only News subfolder", 0777, 0555, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string news = program + "/News";
    ::rmdir(news.c_str());
    if (c.newsMode >= 0) {
      ::mkdir(news.c_str(), 0777);
      ::chmod(news.c_str(), static_cast<mode_t>(c.newsMode));
    }
    ::chmod(program.c_str(), c.programMode);
    std::string folder = ResolveAsOrdinaryUser({program, "", user});
    EXPECT_EQ(folder, c.inProgramFolder ? program : user + "/TARVO/Chirpel");
    if (c.inProgramFolder) {
      EXPECT_TRUE(platform::DirectoryExists(news));
    } else {
      EXPECT_TRUE(platform::DirectoryExists(user + "/TARVO/Chirpel"));
    }
    EXPECT_FALSE(platform::FileExists(program + "/test.dat"));
    EXPECT_FALSE(platform::FileExists(news + "/test.dat"));
    ::chmod(program.c_str(), 0777);
    ::chmod(news.c_str(), 0777);
  }
}

TEST_F(DataFolder, ExplicitFolderOverridesTheProbe) {
  AppState state;
  ResolveDataFolder(state, {program, root / "portable/data", user});
  EXPECT_EQ(state.DataFolder, root / "portable/data");
  EXPECT_TRUE(platform::DirectoryExists(state.DataFolder));
  EXPECT_EQ(state.ProgramFolder, program);
  EXPECT_TRUE(state.IsVistaOrLater);
  EXPECT_FALSE(state.GlassEnabled);
}

void SetModified(const std::string& path, time_t when) {
  utimbuf times{when, when};
  ::utime(path.c_str(), &times);
}

TEST(RefreshBackupTest, FirstRunKeepsAnExistingBackupThenNewerSourcesReplaceIt) {
  platform::RegistryStore::For(platform::RootKey::CurrentUser).Clear();
  TempFolder dir;
  std::string source = dir / "NewsUrl.USR", backup = dir / "NewsBak.NU2";
  EXPECT_FALSE(RefreshBackup(source, backup, 0));  // no source

  WriteFile(source, "version 1");
  WriteFile(backup, "older backup");
  SetModified(source, time(nullptr) - 3600);
  EXPECT_FALSE(RefreshBackup(source, backup, 0));  // first run: the backup stays
  EXPECT_EQ(ReadFile(backup), "older backup");
  EXPECT_FALSE(RefreshBackup(source, backup, 0));  // source older than the stamp
  EXPECT_EQ(ReadFile(backup), "older backup");

  WriteFile(source, "version 2");
  SetModified(source, time(nullptr) + 60);
  EXPECT_TRUE(RefreshBackup(source, backup, 0));
  EXPECT_EQ(ReadFile(backup), "version 2");
  platform::Registry reg;
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\TARVO\\Lumetra\\FileDate0", false));
  EXPECT_NEAR(reg.ReadDateTime("0"), platform::FileModifiedDayCount(source), 1e-6);
  EXPECT_FALSE(RefreshBackup(source, backup, 0));  // unchanged since the copy

  // The two backups keep separate stamps.
  std::string colours = dir / "NewsCol.USR", colourBackup = dir / "NewsCol.NC2";
  WriteFile(colours, "colours");
  EXPECT_TRUE(RefreshBackup(colours, colourBackup, 1));  // first run, no backup yet
  EXPECT_EQ(ReadFile(colourBackup), "colours");
  EXPECT_TRUE(reg.OpenKey("\\SOFTWARE\\TARVO\\Lumetra\\FileDate1", false));
}

TEST(AutoDialGuard, LeavesAnAbsentValueAloneAndRestoresAStoredOne) {
  platform::RegistryStore::For(platform::RootKey::CurrentUser).Clear();
  const char* key = "\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\INTERNET SETTINGS";
  SuppressAutoDial();
  RestoreAutoDial();
  EXPECT_FALSE(platform::Registry().KeyExists(key));
  platform::Registry reg;
  reg.OpenKey(key, true);
  reg.WriteBinaryData("EnableAutoDial", std::string("\x01\x00\x00\x00", 4));
  SuppressAutoDial();
  EXPECT_EQ(reg.ReadBinaryData("EnableAutoDial"), std::string(4, '\0'));
  RestoreAutoDial();
  EXPECT_EQ(reg.ReadBinaryData("EnableAutoDial"), std::string("\x01\x00\x00\x00", 4));
}

}  // namespace
}  // namespace lumetra
