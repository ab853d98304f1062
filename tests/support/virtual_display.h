#pragma once
// A virtual X display (Xvfb) of a test's own, and the X tools the display
// tests drive it with. Xvfb chooses a free display number itself.
#include <QProcess>
#include <QStringList>
#include <memory>
#include <string>

namespace lumetra::test {

class VirtualDisplay {
 public:
  VirtualDisplay();
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool Ok() const { return !name_.empty(); }
  const std::string& Name() const { return name_; }  // ":5"
  // Why the display could not be started.
  const std::string& Problem() const { return problem_; }

 private:
  std::unique_ptr<QProcess> server_;
  std::string name_;
  std::string problem_;
};

// Whether every named program is on PATH.
bool ProgramsAvailable(const QStringList& programs);

// Runs an X tool on `display` and returns what it printed; empty when it failed.
std::string RunOnDisplay(const std::string& display, const QString& program, const QStringList& arguments,
                         int timeoutMs = 10000);

}  // namespace lumetra::test
