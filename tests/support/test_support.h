#pragma once
// Shared helpers for the tests: private temporary folders and running the
// real program as a separate process.
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <string>

namespace lumetra::test {

// A fresh folder removed at the end of the test.
class TempFolder {
 public:
  TempFolder();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  QTemporaryDir dir_;
  std::string path_;
};

// The folder this test process uses as XDG_CONFIG_HOME, XDG_DATA_HOME and
// XDG_RUNTIME_DIR (set up by the test main before any test runs).
const std::string& ProcessHome();

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace lumetra::test
