#include "platform/mail_clients.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "support/test_support.h"

namespace lumetra::platform {
namespace {

using test::TempFolder;
using test::WriteFile;

// A desktop of its own: XDG folders and PATH inside a temporary folder.
class MailClients : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* dir : {"config", "data", "data/applications", "data/applications/kde", "bin", "sys",
                            "sys/applications"})
      ::mkdir((home / dir).c_str(), 0700);
    Save("PATH");
    Save("XDG_CONFIG_HOME");
    Save("XDG_CONFIG_DIRS");
    Save("XDG_DATA_HOME");
    Save("XDG_DATA_DIRS");
    Save("XDG_CURRENT_DESKTOP");
    ::setenv("PATH", (home / "bin").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (home / "noconfig").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (home / "sys").c_str(), 1);
    ::unsetenv("XDG_CURRENT_DESKTOP");
  }
  void TearDown() override {
    for (auto& [name, value] : saved) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }
  void Save(const char* name) {
    const char* v = std::getenv(name);
    saved.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
  }
  std::string Program(const std::string& relative) {
    std::string path = home / relative;
    WriteFile(path, "#!/bin/sh\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }

  TempFolder home;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(MailClients, TheDesktopsMailtoHandlerComesFirstThenKnownClientsOnce) {
  std::string mine = Program("my mail");
  std::string thunderbird = Program("bin/thunderbird");
  std::string evolution = Program("bin/evolution");
  WriteFile(home / "data/applications/kde/mymail.desktop",
            "[Desktop Entry]\nName=My Mail\nExec=\"" + mine + "\" %u\n");
  WriteFile(home / "sys/applications/thunderbird.desktop",
            "[Desktop Entry]\nName=Thunderbird Mail\nExec=env MOZ_X=1 thunderbird %u\n");
  // The user's default wins over what the system lists; an entry that names
  // no program is passed over.
  WriteFile(home / "config/mimeapps.list",
            "[Default Applications]\nx-scheme-handler/mailto=gone.desktop;kde-mymail.desktop\n");
  WriteFile(home / "sys/applications/mimeinfo.cache", "[MIME Cache]\nx-scheme-handler/mailto=thunderbird.desktop;\n");
  std::vector<MailClient> found = FindMailClients();
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].path, mine);
  EXPECT_EQ(found[0].title, "My Mail");
  EXPECT_EQ(found[1].path, thunderbird);
  EXPECT_EQ(found[1].title, "Thunderbird");
  EXPECT_EQ(found[2].path, evolution);

  // Without a choice of the user's, the system's registered handler; Thunderbird is not repeated.
  WriteFile(home / "config/mimeapps.list", "");
  found = FindMailClients();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].path, thunderbird);
  EXPECT_EQ(found[0].title, "Thunderbird Mail");
  EXPECT_EQ(found[1].path, evolution);
}

TEST_F(MailClients, NothingInstalledFindsNothing) { EXPECT_TRUE(FindMailClients().empty()); }

TEST_F(MailClients, ExecLines) {
  std::string tb = Program("bin/thunderbird");
  EXPECT_EQ(ProgramOfExecLine("thunderbird %u"), tb);
  EXPECT_EQ(ProgramOfExecLine("env A=1 B=2 thunderbird -compose %u"), tb);
  EXPECT_EQ(ProgramOfExecLine("\"" + tb + "\" %u"), tb);
  EXPECT_EQ(ProgramOfExecLine("not-installed %u"), "");
  EXPECT_EQ(ProgramOfExecLine(""), "");
}

}  // namespace
}  // namespace lumetra::platform
