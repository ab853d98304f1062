#include "support/virtual_display.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

namespace lumetra::test {

bool ProgramsAvailable(const QStringList& programs) {
  for (const QString& p : programs)
    if (QStandardPaths::findExecutable(p).isEmpty()) return false;
  return true;
}

VirtualDisplay::VirtualDisplay() {
  if (!ProgramsAvailable({"Xvfb"})) {
    problem_ = "Xvfb is not installed";
    return;
  }
  // The server picks a free display itself and reports its number when it is
  // ready, so tests running side by side never race for a number.
  auto server = std::make_unique<QProcess>();
  server->setStandardErrorFile(QProcess::nullDevice());
  server->start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
  if (!server->waitForStarted(5000)) {
    problem_ = "Xvfb does not start";
    return;
  }
  QByteArray out;
  QElapsedTimer t;
  t.start();
  while (!out.contains('\n') && t.elapsed() < 15000 && server->state() == QProcess::Running) {
    server->waitForReadyRead(200);
    out += server->readAllStandardOutput();
  }
  bool ok = false;
  int number = out.trimmed().toInt(&ok);
  if (!ok) {
    problem_ = "Xvfb did not report its display";
    server->kill();
    server->waitForFinished(2000);
    return;
  }
  server_ = std::move(server);
  name_ = ":" + std::to_string(number);
}

VirtualDisplay::~VirtualDisplay() {
  if (!server_) return;
  server_->terminate();
  if (!server_->waitForFinished(5000)) {
    server_->kill();
    server_->waitForFinished(2000);
  }
}

std::string RunOnDisplay(const std::string& display, const QString& program, const QStringList& arguments,
                         int timeoutMs) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", QString::fromStdString(display));
  p.setProcessEnvironment(env);
  p.setStandardErrorFile(QProcess::nullDevice());
  p.start(program, arguments);
  if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
  return p.readAllStandardOutput().toStdString();
}

}  // namespace lumetra::test
