// Test entry: gives the process private XDG folders before anything reads them.
#include <gtest/gtest.h>

#include <QDir>
#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace lumetra::test {
namespace {
std::string g_home;
}

const std::string& ProcessHome() { return g_home; }

}  // namespace lumetra::test

int main(int argc, char** argv) {
  // Short paths: the hand-off socket lives in the runtime folder.
  std::string pattern = QDir::tempPath().toStdString() + "/lmt-XXXXXX";
  char* made = ::mkdtemp(pattern.data());
  if (!made) return 2;
  lumetra::test::g_home = made;
  ::setenv("XDG_CONFIG_HOME", (lumetra::test::g_home + "/config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (lumetra::test::g_home + "/data").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", lumetra::test::g_home.c_str(), 1);
  ::unsetenv("LUMETRA_DATA_DIR");
  ::testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  QDir(QString::fromStdString(lumetra::test::g_home)).removeRecursively();
  return rc;
}
