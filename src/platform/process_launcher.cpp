#include "platform/process_launcher.h"

#include <QProcess>
#include <QStringList>

#include "platform/sjis_text.h"

namespace lumetra::platform {
namespace {
LaunchInterceptor& Interceptor() {
  static LaunchInterceptor interceptor;
  return interceptor;
}
}  // namespace

LaunchInterceptor SetLaunchInterceptor(LaunchInterceptor interceptor) {
  LaunchInterceptor previous = std::move(Interceptor());
  Interceptor() = std::move(interceptor);
  return previous;
}

bool StartProgram(const std::string& commandLine, bool hidden, const std::string& workingFolder) {
  if (Interceptor()) return Interceptor()({LaunchRecord::Kind::Program, commandLine, hidden, workingFolder});
  QStringList parts = QProcess::splitCommand(SjisToQString(commandLine));
  if (parts.isEmpty()) return false;
  QString program = parts.takeFirst();
  // There are no hidden windows to ask for here; a hidden start simply
  // detaches without a terminal, like every start.
  return QProcess::startDetached(program, parts, QString::fromStdString(workingFolder));
}

bool OpenAddress(const std::string& address) {
  if (Interceptor()) return Interceptor()({LaunchRecord::Kind::OpenAddress, address, false, {}});
  return QProcess::startDetached("xdg-open", {SjisToQString(address)});
}

}  // namespace lumetra::platform
