#include "support/http_test_server.h"

#include <sys/socket.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace lumetra::test {

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  if (condition()) return true;
  QEventLoop loop;
  QElapsedTimer clock;
  clock.start();
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
    if (condition() || clock.elapsed() >= timeoutMs) loop.quit();
  });
  tick.start(2);
  loop.exec();
  return condition();
}

void RunEventsFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// ---- scripts ----

ScriptedReply& ScriptedReply::Send(const QByteArray& bytes) {
  steps_.push_back({Step::kSend, bytes});
  return *this;
}

ScriptedReply& ScriptedReply::Status(int code, const QByteArray& reason, const QByteArray& version) {
  return Send(version + " " + QByteArray::number(code) + " " + reason + "\r\n");
}

ScriptedReply& ScriptedReply::Header(const QByteArray& name, const QByteArray& value) {
  return Send(name + ": " + value + "\r\n");
}

ScriptedReply& ScriptedReply::EndHeader() { return Send("\r\n"); }

ScriptedReply& ScriptedReply::Repeat(const QByteArray& pattern, qint64 total) {
  steps_.push_back({Step::kRepeat, pattern, total});
  return *this;
}

ScriptedReply& ScriptedReply::Delay(int ms) {
  steps_.push_back({Step::kDelay, {}, 0, ms});
  return *this;
}

ScriptedReply& ScriptedReply::Stall() {
  steps_.push_back({Step::kStall, {}});
  return *this;
}

ScriptedReply& ScriptedReply::Reset() {
  steps_.push_back({Step::kReset, {}});
  return *this;
}

ScriptedReply& ScriptedReply::Close() {
  steps_.push_back({Step::kClose, {}});
  return *this;
}

ScriptedReply ScriptedReply::Page(const QByteArray& body, int code,
                                  const std::vector<std::pair<QByteArray, QByteArray>>& headers) {
  ScriptedReply r;
  r.Status(code, code == 200 ? "OK" : "Status");
  for (const auto& [name, value] : headers) r.Header(name, value);
  r.Header("Content-Length", QByteArray::number(body.size())).EndHeader().Send(body);
  return r;
}

ScriptedReply ScriptedReply::Redirect(int code, const QByteArray& location) {
  ScriptedReply r;
  const QByteArray body = "<html><body>moved</body></html>";
  r.Status(code, "Moved")
      .Header("Location", location)
      .Header("Content-Length", QByteArray::number(body.size()))
      .EndHeader()
      .Send(body);
  return r;
}

QByteArray ReceivedRequest::Header(const QByteArray& name) const {
  for (const auto& [n, v] : headers)
    if (n.compare(name, Qt::CaseInsensitive) == 0) return v;
  return {};
}

bool ReceivedRequest::HasHeader(const QByteArray& name) const {
  for (const auto& [n, v] : headers)
    if (n.compare(name, Qt::CaseInsensitive) == 0) return true;
  return false;
}

TlsFiles MakeTestCertificate(const std::string& folder) {
  TlsFiles files{folder + "/cert.pem", folder + "/key.pem"};
  QProcess openssl;
  openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                            "-keyout", QString::fromStdString(files.key), "-out",
                            QString::fromStdString(files.certificate), "-days", "2", "-subj", "/CN=localhost",
                            "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1"});
  if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
    ADD_FAILURE() << "openssl could not make a certificate: " << openssl.readAllStandardError().toStdString();
  return files;
}

// ---- the server ----

class HttpTestServer::Listener : public QTcpServer {
 public:
  Listener(QObject* parent, const TlsFiles* tls) : QTcpServer(parent) {
    if (!tls) return;
    tls_ = true;
    certificate_ = QSslCertificate(QByteArray::fromStdString(ReadFile(tls->certificate)));
    key_ = QSslKey(QByteArray::fromStdString(ReadFile(tls->key)), QSsl::Ec);
    if (certificate_.isNull() || key_.isNull()) ADD_FAILURE() << "test certificate or key unreadable";
  }

 protected:
  void incomingConnection(qintptr fd) override {
    if (!tls_) {
      QTcpServer::incomingConnection(fd);
      return;
    }
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(fd)) {
      delete socket;
      return;
    }
    socket->setLocalCertificate(certificate_);
    socket->setPrivateKey(key_);
    socket->setPeerVerifyMode(QSslSocket::VerifyNone);
    socket->startServerEncryption();
    addPendingConnection(socket);
  }

 private:
  bool tls_ = false;
  QSslCertificate certificate_;
  QSslKey key_;
};

class HttpTestServer::Connection : public QObject {
 public:
  Connection(HttpTestServer* server, QTcpSocket* socket) : QObject(server), server_(server), socket_(socket) {
    socket_->setParent(this);
    connect(socket_, &QTcpSocket::readyRead, this, [this] { OnReadable(); });
    connect(socket_, &QTcpSocket::bytesWritten, this, [this] {
      if (busy_ && waitingForDrain_) {
        waitingForDrain_ = false;
        RunSteps();
      }
    });
    connect(socket_, &QTcpSocket::disconnected, this, [this] {
      ended_ = true;
      deleteLater();
    });
  }

 private:
  static constexpr qsizetype kMaxHead = 1 << 20;
  static constexpr qint64 kHighWater = 1 << 20;

  void OnReadable() {
    input_ += socket_->readAll();
    if (input_.size() > kMaxHead && input_.indexOf("\r\n\r\n") < 0) {
      ended_ = true;
      socket_->abort();
      return;
    }
    NextRequest();
  }

  void NextRequest() {
    if (busy_ || ended_) return;
    qsizetype end = input_.indexOf("\r\n\r\n");
    if (end < 0) return;
    QByteArray head = input_.left(end);
    input_.remove(0, end + 4);
    ReceivedRequest request;
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray& l : lines)
      if (l.endsWith('\r')) l.chop(1);
    request.line = lines.value(0);
    QList<QByteArray> parts = request.line.split(' ');
    request.method = parts.value(0);
    request.target = parts.value(1);
    request.version = parts.value(2);
    for (qsizetype i = 1; i < lines.size(); ++i) {
      qsizetype colon = lines[i].indexOf(':');
      if (colon <= 0) continue;
      request.headers.emplace_back(lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed());
    }
    reply_ = server_->ReplyFor(request.target);
    server_->requests_.push_back(std::move(request));
    step_ = 0;
    repeatLeft_ = -1;
    busy_ = true;
    RunSteps();
  }

  void RunSteps() {
    const auto& steps = reply_.steps();
    while (step_ < steps.size() && !ended_) {
      const ScriptedReply::Step& s = steps[step_];
      switch (s.kind) {
        case ScriptedReply::Step::kSend:
          socket_->write(s.bytes);
          ++step_;
          break;
        case ScriptedReply::Step::kRepeat: {
          if (repeatLeft_ < 0) repeatLeft_ = s.count;
          while (repeatLeft_ > 0 && socket_->bytesToWrite() < kHighWater && !s.bytes.isEmpty()) {
            QByteArray piece;
            while (piece.size() < 65536 && piece.size() < repeatLeft_) piece += s.bytes;
            if (piece.size() > repeatLeft_) piece.truncate(repeatLeft_);
            socket_->write(piece);
            repeatLeft_ -= piece.size();
          }
          if (repeatLeft_ > 0 && !s.bytes.isEmpty()) {
            waitingForDrain_ = true;  // continues on bytesWritten
            return;
          }
          repeatLeft_ = -1;
          ++step_;
          break;
        }
        case ScriptedReply::Step::kDelay:
          ++step_;
          QTimer::singleShot(s.ms, this, [this] { RunSteps(); });
          return;
        case ScriptedReply::Step::kStall:
          ended_ = true;
          return;
        case ScriptedReply::Step::kReset: {
          ended_ = true;
          socket_->flush();
          // SO_LINGER with zero time turns the close into a reset.
          struct linger l {1, 0};
          ::setsockopt(static_cast<int>(socket_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &l, sizeof l);
          socket_->abort();
          return;
        }
        case ScriptedReply::Step::kClose:
          ended_ = true;
          socket_->disconnectFromHost();
          return;
      }
    }
    if (ended_) return;
    busy_ = false;
    ++server_->completed_;
    NextRequest();  // keep-alive: a pipelined request may be waiting
  }

  HttpTestServer* server_;
  QTcpSocket* socket_;
  QByteArray input_;
  ScriptedReply reply_;
  size_t step_ = 0;
  qint64 repeatLeft_ = -1;
  bool busy_ = false;
  bool ended_ = false;
  bool waitingForDrain_ = false;
};

HttpTestServer::HttpTestServer() : HttpTestServer(TlsFiles{}) {}

HttpTestServer::HttpTestServer(const TlsFiles& tls) {
  tls_ = !tls.certificate.empty();
  listener_ = new Listener(this, tls_ ? &tls : nullptr);
  default_ = ScriptedReply::Page("<html><body>not here</body></html>", 404);
  if (!listener_->listen(QHostAddress::LocalHost, 0)) ADD_FAILURE() << "test server cannot listen";
  connect(listener_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = listener_->nextPendingConnection()) {
      ++accepted_;
      new Connection(this, socket);
    }
  });
}

HttpTestServer::~HttpTestServer() = default;

quint16 HttpTestServer::port() const { return listener_->serverPort(); }

std::string HttpTestServer::Url(const std::string& path) const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port()) + path;
}

void HttpTestServer::On(const std::string& path, const ScriptedReply& reply) {
  replies_[QByteArray::fromStdString(path)] = reply;
}

void HttpTestServer::SetDefault(const ScriptedReply& reply) { default_ = reply; }

const ScriptedReply& HttpTestServer::ReplyFor(const QByteArray& target) const {
  QByteArray path = target;
  qsizetype scheme = path.indexOf("://");
  if (scheme > 0) {
    qsizetype slash = path.indexOf('/', scheme + 3);
    path = slash < 0 ? QByteArray("/") : path.mid(slash);
  }
  auto it = replies_.find(path);
  return it == replies_.end() ? default_ : it->second;
}

bool HttpTestServer::WaitForRequests(size_t count, int timeoutMs) {
  return WaitUntil([&] { return requests_.size() >= count; }, timeoutMs);
}

}  // namespace lumetra::test
