#include "support/virtual_display.h"

#include <QElapsedTimer>
#include <QFileInfo>
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
  for (int number = 91; number <= 95; ++number) {
    const QString lock = QString("/tmp/.X%1-lock").arg(number);
    const QString socket = QString("/tmp/.X11-unix/X%1").arg(number);
    if (QFileInfo::exists(lock) || QFileInfo::exists(socket)) continue;
    auto server = std::make_unique<QProcess>();
    server->setStandardOutputFile(QProcess::nullDevice());
    server->setStandardErrorFile(QProcess::nullDevice());
    server->start("Xvfb", {QString(":%1").arg(number), "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    if (!server->waitForStarted(5000)) continue;
    QElapsedTimer t;
    t.start();
    // Ready once its socket exists; gone when another server took the number first.
    while (!QFileInfo::exists(socket) && server->state() == QProcess::Running && t.elapsed() < 10000)
      QThread::msleep(20);
    if (server->state() != QProcess::Running || !QFileInfo::exists(socket)) continue;
    server_ = std::move(server);
    name_ = ":" + std::to_string(number);
    return;
  }
  problem_ = "no free display among :91-:95";
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
