#include "support/squid_proxy.h"

#include <unistd.h>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <filesystem>

#include "support/test_support.h"

namespace lumetra::test {

namespace {

const char* kAuthHelper = "/usr/lib/squid/basic_ncsa_auth";
constexpr int kNobody = 65534;  // squid refuses to run as root without dropping to a user

QString SquidProgram() {
  return QStandardPaths::findExecutable("squid", {"/usr/sbin", "/usr/bin", "/usr/local/sbin"});
}

quint16 FreeLoopbackPort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

}  // namespace

bool SquidProxy::Installed() { return !SquidProgram().isEmpty() && QFile::exists(kAuthHelper); }

SquidProxy::SquidProxy() : folder_(QDir::tempPath() + "/lumetra-squid-XXXXXX") {}

SquidProxy::~SquidProxy() { Stop(); }

std::string SquidProxy::Log() const { return ReadFile(folder_.path().toStdString() + "/cache.log"); }

bool SquidProxy::Start(const std::string& user, const std::string& password, int timeoutMs) {
  if (!Installed()) {
    problem_ = kNotInstalled;
    return false;
  }
  if (!folder_.isValid()) {
    problem_ = "no temporary folder";
    return false;
  }
  const std::string dir = folder_.path().toStdString();

  QProcess openssl;
  openssl.start("openssl", {"passwd", "-1", QString::fromStdString(password)});
  if (!openssl.waitForFinished(10000) || openssl.exitCode() != 0) {
    problem_ = "openssl passwd failed";
    return false;
  }
  WriteFile(dir + "/passwd", user + ":" + openssl.readAllStandardOutput().trimmed().toStdString() + "\n");

  port_ = FreeLoopbackPort();
  const std::string conf =
      "http_port 127.0.0.1:" + std::to_string(port_) + "\n" +
      "pid_filename " + dir + "/squid.pid\n" +
      "cache_log " + dir + "/cache.log\n" +
      "access_log stdio:" + dir + "/access.log\n" +
      "cache_store_log none\n"
      "coredump_dir " + dir + "\n" +
      "netdb_filename none\n"
      "pinger_enable off\n"
      "cache deny all\n"
      "cache_mem 8 MB\n"
      "shutdown_lifetime 0 seconds\n"
      "max_filedescriptors 1024\n"
      "visible_hostname lumetra-test\n"
      "auth_param basic program " + std::string(kAuthHelper) + " " + dir + "/passwd\n" +
      "auth_param basic children 2\n"
      "auth_param basic realm lumetra-test\n"
      "acl users proxy_auth REQUIRED\n"
      "http_access allow users\n"
      "http_access deny all\n";
  WriteFile(dir + "/squid.conf", conf);

  QString program = SquidProgram();
  QStringList args = {"-N", "-f", QString::fromStdString(dir + "/squid.conf")};
  if (::geteuid() == 0) {
    // As root, squid would switch to its own system user, which cannot read
    // this folder; run it as nobody instead and give it the folder.
    std::error_code ec;
    ::chown(dir.c_str(), kNobody, kNobody);
    for (auto& entry : std::filesystem::directory_iterator(dir, ec))
      ::chown(entry.path().c_str(), kNobody, kNobody);
    args = QStringList{"--reuid=" + QString::number(kNobody), "--regid=" + QString::number(kNobody),
                       "--clear-groups", program} +
           args;
    program = QStandardPaths::findExecutable("setpriv");
    if (program.isEmpty()) {
      problem_ = "setpriv not found";
      return false;
    }
  }
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.start(program, args);
  if (!process_.waitForStarted(10000)) {
    problem_ = "squid did not start";
    return false;
  }
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < timeoutMs) {
    if (process_.state() != QProcess::Running) {
      problem_ = "squid ended: " + process_.readAll().toStdString() + Log();
      return false;
    }
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port_);
    if (probe.waitForConnected(200)) return true;
    QThread::msleep(100);
  }
  problem_ = "squid did not listen in time: " + Log();
  Stop();
  return false;
}

void SquidProxy::Stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(10000)) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

}  // namespace lumetra::test
