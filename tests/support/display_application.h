#pragma once
// A test suite's own virtual X display with the application object on it,
// for suites whose windows must meet a real X server. Created in
// SetUpTestSuite, destroyed in TearDownTestSuite; tests skip when !Ok().
#include <QStringList>
#include <cstdlib>
#include <memory>
#include <string>

#include "support/virtual_display.h"

namespace lumetra::test {

template <typename Application>  // QApplication or QGuiApplication
class DisplayApplication {
 public:
  // Starts the display and, when it runs and `tools` are on PATH, the
  // application on it.
  explicit DisplayApplication(const QStringList& tools = {}) {
    if (!display_.Ok()) {
      problem_ = display_.Problem();
      return;
    }
    if (!ProgramsAvailable(tools)) {
      problem_ = "needs " + tools.join(", ").toStdString();
      return;
    }
    ::setenv("DISPLAY", display_.Name().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    application_ = std::make_unique<Application>(argc, argv);
  }

  bool Ok() const { return application_ != nullptr; }
  // Why there is no application.
  const std::string& Problem() const { return problem_; }
  const std::string& Name() const { return display_.Name(); }  // ":5"

 private:
  VirtualDisplay display_;  // outlives the application, which is destroyed first
  std::unique_ptr<Application> application_;
  std::string problem_;
};

}  // namespace lumetra::test
