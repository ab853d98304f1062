#pragma once
// HTTP GET client for page fetches and article previews. One exchange at a
// time per instance, driven by the Qt event loop (libcurl's multi interface
// underneath): nothing here blocks, name resolution included.
//
// Events of one exchange, in this order:
//   headerBegin, headerLine per line of the final response's header (the
//   status line first, the empty line that ends the header last),
//   documentBegin, documentData per received piece of the body,
//   requestDone.
// commandSent reports every request line and header line as it goes out
// (also those to the proxy), for the protocol log.
//
// Interim responses (1xx) and followed redirections are not reported as
// headers; each followed redirection emits `redirected` with the new address.
// When a connection breaks inside a header, the lines that did arrive are
// still reported (without the closing empty line) before requestDone.
//
// Abort() may be called at any time, also from a slot of one of these
// signals; after it no further signal of that exchange arrives. Do not delete
// the client from inside one of its own signals: use deleteLater().
#include <QByteArray>
#include <QObject>
#include <memory>
#include <string>

namespace lumetra::platform {

enum class HttpVersion { V1_0, V1_1 };

enum class HttpError {
  None,              // the response arrived whole, whatever its status code
  BadAddress,        // malformed address, or a scheme this client does not fetch
  ResolveFailed,     // the host name (or the proxy's) did not resolve
  ConnectFailed,     // refused, unreachable or otherwise not connected
  TlsFailed,         // TLS handshake or certificate verification failed
  ProxyRefused,      // the proxy refused to open a tunnel for an https address
  ConnectionLost,    // closed or reset before the response was complete
  BadResponse,       // not an HTTP response, or a header beyond all reason
  TooManyRedirects,  // the last redirection was delivered as the response
  Other,
};

struct HttpProxy {
  std::string host;  // empty: connect directly
  int port = 8080;
  std::string user;  // non-empty: Basic credentials go with every request
  std::string password;
};

class HttpClient : public QObject {
  Q_OBJECT

 public:
  // Redirections followed within one exchange before giving up.
  static constexpr int kMaxRedirects = 10;

  explicit HttpClient(QObject* parent = nullptr);
  ~HttpClient() override;
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Settings. They take effect at the next Get, never on a running exchange.
  void SetVersion(HttpVersion version);
  void SetUserAgent(const std::string& text);
  // "Accept" and "Accept-Language"; an empty value sends no such header.
  void SetAccept(const std::string& text);
  void SetAcceptLanguage(const std::string& text);
  // Sends "Pragma: no-cache", which caches honour also in HTTP/1.1.
  void SetNoCache(bool on);
  void SetProxy(const HttpProxy& proxy);
  // The Cookie header's value; empty sends none. It goes only to the host of
  // the address given to Get, never to another host a redirection leads to,
  // nor from an https address down to plain http.
  void SetCookie(const std::string& text);
  void SetFollowRedirects(bool on);
  // Request line with the full address even without a proxy (requests
  // through a proxy always carry it for http addresses).
  void SetFullAddressInRequestLine(bool on);
  // Address the host of the next Get's address is already known to have
  // (dotted IPv4 or IPv6 text), so it is not looked up a second time. Applies
  // to that one Get only, and not when a proxy is in use.
  void SetResolvedAddress(const std::string& address);
  // PEM file of certificate authorities that replaces the system's store
  // (tests use it for their own authority); empty: the system store.
  void SetCaFile(const std::string& path);

  // Starts a GET, ending any exchange still running. `address` is program
  // text: "http://" or "https://" (or, through a proxy, "ftp://") followed by
  // host and path; bytes above 0x7F and spaces are sent percent-encoded.
  // All events come later from the event loop, failures too.
  void Get(const std::string& address);
  void Abort();
  bool Busy() const;

  // The last exchange's outcome; valid from requestDone to the next Get.
  int StatusCode() const;              // 0 when no status line arrived
  const QByteArray& ReasonPhrase() const;  // text after the status code
  HttpError Error() const;
  const std::string& ErrorText() const;    // libcurl's description, English
  int OsError() const;                     // errno of a failed socket call, or 0
  const std::string& EffectiveAddress() const;  // address of the last hop

 signals:
  void headerBegin();
  void headerLine(const QByteArray& line);  // without CR LF
  void documentBegin();
  void documentData(const QByteArray& chunk);
  void requestDone(int status, lumetra::platform::HttpError error);
  void commandSent(const QByteArray& line);  // credentials masked
  void redirected(const QByteArray& address);

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace lumetra::platform
