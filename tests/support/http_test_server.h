#pragma once
// A scriptable HTTP server on 127.0.0.1 inside the test process, for clients
// that run on the same event loop. A test scripts each reply byte by byte
// (status line, headers, body pieces, pauses, stalls, resets) and reads back
// the requests that arrived.
//
//   HttpTestServer server;
//   server.On("/page", ScriptedReply::Page("<html>...</html>"));
//   server.On("/slow", ScriptedReply().Status(200).Header("Content-Length", "10")
//                          .EndHeader().Send("hello").Delay(500).Send("world"));
//   client.Get(server.Url("/page"));
//   test::WaitUntil([&] { return done; });
//   server.Requests()[0].Header("User-Agent");
#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace lumetra::test {

// Runs the event loop until `condition` holds or the time is up; true when
// it holds.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
// Runs the event loop for a while.
void RunEventsFor(int ms);

class ScriptedReply {
 public:
  struct Step {
    enum Kind { kSend, kRepeat, kDelay, kStall, kReset, kClose } kind;
    QByteArray bytes;
    qint64 count = 0;  // kRepeat: total bytes produced from `bytes`
    int ms = 0;
  };

  // Bytes exactly as given.
  ScriptedReply& Send(const QByteArray& bytes);
  ScriptedReply& Status(int code, const QByteArray& reason = "OK", const QByteArray& version = "HTTP/1.1");
  ScriptedReply& Header(const QByteArray& name, const QByteArray& value);
  ScriptedReply& EndHeader();  // the empty line
  // `total` bytes made by repeating `pattern`, produced as the socket drains,
  // so huge bodies cost no memory.
  ScriptedReply& Repeat(const QByteArray& pattern, qint64 total);
  ScriptedReply& Delay(int ms);
  ScriptedReply& Stall();  // sends nothing more and keeps the connection open
  ScriptedReply& Reset();  // drops the connection with a TCP reset
  ScriptedReply& Close();  // closes after what was sent
  // Without Stall, Reset or Close the connection stays open for the next
  // request (keep-alive).

  // A complete page with Content-Length; extra headers go before it.
  static ScriptedReply Page(const QByteArray& body, int code = 200,
                            const std::vector<std::pair<QByteArray, QByteArray>>& headers = {});
  static ScriptedReply Redirect(int code, const QByteArray& location);

  const std::vector<Step>& steps() const { return steps_; }

 private:
  std::vector<Step> steps_;
};

struct ReceivedRequest {
  QByteArray line;  // request line without CR LF
  QByteArray method;
  QByteArray target;
  QByteArray version;
  std::vector<std::pair<QByteArray, QByteArray>> headers;
  // The first header of that name (case-insensitive); empty when absent.
  QByteArray Header(const QByteArray& name) const;
  bool HasHeader(const QByteArray& name) const;
};

struct TlsFiles {
  std::string certificate;  // PEM
  std::string key;          // PEM, unencrypted
};

// Writes a self-signed certificate for "localhost" and 127.0.0.1 (also usable
// as its own authority) into `folder` with the openssl program.
TlsFiles MakeTestCertificate(const std::string& folder);

class HttpTestServer : public QObject {
 public:
  HttpTestServer();                            // plain HTTP
  explicit HttpTestServer(const TlsFiles& tls);  // HTTPS
  ~HttpTestServer() override;

  quint16 port() const;
  // "http://127.0.0.1:PORT" + path ("https://..." with TLS).
  std::string Url(const std::string& path) const;

  // Reply for requests whose path (the target without scheme and host, so a
  // proxy-style request matches too) equals `path`, query included.
  void On(const std::string& path, const ScriptedReply& reply);
  // Reply for everything else; by default a small 404 page.
  void SetDefault(const ScriptedReply& reply);

  const std::vector<ReceivedRequest>& Requests() const { return requests_; }
  bool WaitForRequests(size_t count, int timeoutMs = 10000);
  int ConnectionsAccepted() const { return accepted_; }
  // Replies whose every step ran while the client was still connected (a
  // body after a Delay is not sent to a client that hung up meanwhile).
  int RepliesCompleted() const { return completed_; }

 private:
  class Connection;
  class Listener;
  const ScriptedReply& ReplyFor(const QByteArray& target) const;

  Listener* listener_;
  bool tls_ = false;
  std::map<QByteArray, ScriptedReply> replies_;
  ScriptedReply default_;
  std::vector<ReceivedRequest> requests_;
  int accepted_ = 0;
  int completed_ = 0;
};

}  // namespace lumetra::test
