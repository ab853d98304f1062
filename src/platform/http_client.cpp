#include "platform/http_client.h"

#include <curl/curl.h>

#include <QSocketNotifier>
#include <QTimer>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace lumetra::platform {

namespace {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Header values come from settings and pages; a CR or LF in them would let
// them add header lines of their own.
std::string HeaderSafe(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r' && c != '\n' && c != '\0') out += c;
  return out;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t n = std::char_traits<char>::length(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

// Program text to a sendable address: trimmed, high bytes and spaces
// percent-encoded. Empty when the address holds control characters.
std::string EncodeAddress(const std::string& address) {
  size_t b = address.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  size_t e = address.find_last_not_of(" \t");
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = b; i <= e; ++i) {
    auto c = static_cast<unsigned char>(address[i]);
    if (c < 0x20 || c == 0x7F) return {};
    if (c >= 0x80 || c == ' ') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string SchemeOf(const std::string& url) {
  if (StartsWithNoCase(url, "https://")) return "https";
  if (StartsWithNoCase(url, "http://")) return "http";
  if (StartsWithNoCase(url, "ftp://")) return "ftp";
  return {};
}

// Host in lower case, without user information and port.
std::string HostOf(const std::string& url) {
  size_t start = url.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  size_t end = url.find_first_of("/?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  std::string host;
  if (!authority.empty() && authority[0] == '[') {
    size_t close = authority.find(']');
    host = authority.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  } else {
    host = authority.substr(0, authority.find(':'));
  }
  for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return host;
}

int PortOf(const std::string& url) {
  size_t start = url.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  size_t end = url.find_first_of("/?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  size_t colon = authority.rfind(':');
  size_t bracket = authority.rfind(']');
  if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
    int port = std::atoi(authority.c_str() + colon + 1);
    if (port > 0 && port < 65536) return port;
  }
  return SchemeOf(url) == "https" ? 443 : 80;
}

// "HTTP/1.1 200 OK" -> 200 and "OK"; 0 when the line is no status line.
int ParseStatusLine(const QByteArray& line, QByteArray* reason) {
  if (!line.startsWith("HTTP/")) return 0;
  int sp = line.indexOf(' ');
  if (sp < 0) return 0;
  int i = sp + 1;
  int code = 0;
  int digits = 0;
  while (i < line.size() && digits < 3 && line[i] >= '0' && line[i] <= '9') {
    code = code * 10 + (line[i] - '0');
    ++i;
    ++digits;
  }
  if (digits != 3) return 0;
  if (reason) *reason = line.mid(i).trimmed();
  return code;
}

// The value of the first "Location" line of a header.
std::string LocationOf(const std::vector<QByteArray>& lines) {
  for (const QByteArray& line : lines) {
    if (line.size() > 9 && qstrnicmp(line.constData(), "location:", 9) == 0)
      return line.mid(9).trimmed().toStdString();
  }
  return {};
}

// A redirection target, relative or not, as an absolute address; "" when it
// makes no address.
std::string ResolveLocation(const std::string& base, const std::string& location) {
  std::string encoded = EncodeAddress(location);
  if (encoded.empty()) return {};
  CURLU* url = curl_url();
  std::string result;
  char* text = nullptr;
  if (curl_url_set(url, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
      curl_url_set(url, CURLUPART_URL, encoded.c_str(), 0) == CURLUE_OK &&
      curl_url_get(url, CURLUPART_URL, &text, 0) == CURLUE_OK && text) {
    result = text;
  }
  curl_free(text);
  curl_url_cleanup(url);
  return result;
}

bool IsRedirectStatus(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// A response header larger than this is a broken or hostile server.
constexpr size_t kMaxHeaderBytes = 256 * 1024;

struct Settings {
  HttpVersion version = HttpVersion::V1_1;
  std::string userAgent;
  std::string accept;
  std::string acceptLanguage;
  bool noCache = false;
  HttpProxy proxy;
  std::string cookie;
  bool followRedirects = true;
  bool fullAddress = false;
  std::string resolvedAddress;
  std::string caFile;
};

}  // namespace

struct HttpClient::Impl {
  struct Exchange {
    Impl* owner = nullptr;
    uint64_t serial = 0;
    Settings settings;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    curl_slist* resolve = nullptr;
    bool added = false;
    bool dead = false;  // aborted; curl is told to stop at its next callback
    std::string url;    // the current hop
    std::string firstHost;
    bool firstSecure = false;
    int hops = 0;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    // The response header being received; held back until its end shows
    // whether it is an interim answer or a redirection to follow.
    bool inHeader = false;
    std::vector<QByteArray> lines;
    int headerStatus = 0;
    QByteArray headerReason;
    bool delivering = false;  // the final response's body is being reported
    bool headerDelivered = false;
    std::string redirectTo;
    bool redirectLimitHit = false;
    size_t headerBytes = 0;
    bool headerTooLarge = false;
  };

  struct Watch {
    QSocketNotifier* read = nullptr;
    QSocketNotifier* write = nullptr;
    bool wantRead = false;
    bool wantWrite = false;
  };

  HttpClient* q;
  CURLM* multi = nullptr;
  QTimer timer;
  std::map<curl_socket_t, Watch> watches;
  Settings settings;
  std::unique_ptr<Exchange> current;
  std::vector<std::unique_ptr<Exchange>> graveyard;  // aborted inside a callback
  uint64_t serials = 0;
  int depth = 0;  // > 0 while libcurl runs, so while its callbacks may run
  bool resync = false;
  bool timeoutMissed = false;
  bool addPending = false;
  std::set<std::string> pinned;  // "host:port" entries given to libcurl's name cache

  int status = 0;
  QByteArray reason;
  HttpError error = HttpError::None;
  std::string errorText;
  int osError = 0;
  std::string effectiveAddress;

  explicit Impl(HttpClient* owner) : q(owner) {
    GlobalInit();
    multi = curl_multi_init();
    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &Impl::OnSocketChange);
    curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &Impl::OnTimerChange);
    curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);
    curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, 4L);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, q, [this] { OnTimeout(); });
  }

  ~Impl() {
    if (current) Destroy(current.get());
    current.reset();
    for (auto& e : graveyard) Destroy(e.get());
    graveyard.clear();
    curl_multi_cleanup(multi);
    for (auto& [fd, w] : watches) {
      delete w.read;
      delete w.write;
    }
  }

  // ---- libcurl meets the event loop ----

  static int OnSocketChange(CURL*, curl_socket_t fd, int what, void* userp, void*) {
    auto* d = static_cast<Impl*>(userp);
    if (what == CURL_POLL_REMOVE) {
      d->Unwatch(fd);
      return 0;
    }
    Watch& w = d->watches[fd];
    w.wantRead = what & CURL_POLL_IN;
    w.wantWrite = what & CURL_POLL_OUT;
    if (w.wantRead && !w.read) {
      w.read = new QSocketNotifier(fd, QSocketNotifier::Read, d->q);
      QObject::connect(w.read, &QSocketNotifier::activated, d->q,
                       [d, fd] { d->OnSocketReady(fd, CURL_CSELECT_IN); });
    }
    if (w.wantWrite && !w.write) {
      w.write = new QSocketNotifier(fd, QSocketNotifier::Write, d->q);
      QObject::connect(w.write, &QSocketNotifier::activated, d->q,
                       [d, fd] { d->OnSocketReady(fd, CURL_CSELECT_OUT); });
    }
    if (w.read) w.read->setEnabled(w.wantRead && d->depth == 0);
    if (w.write) w.write->setEnabled(w.wantWrite && d->depth == 0);
    if (d->depth > 0) d->resync = true;
    return 0;
  }

  void Unwatch(curl_socket_t fd) {
    auto it = watches.find(fd);
    if (it == watches.end()) return;
    // The notifier may be the one whose signal is running now.
    for (QSocketNotifier* n : {it->second.read, it->second.write}) {
      if (!n) continue;
      n->setEnabled(false);
      n->deleteLater();
    }
    watches.erase(it);
  }

  static int OnTimerChange(CURLM*, long ms, void* userp) {
    auto* d = static_cast<Impl*>(userp);
    if (ms < 0)
      d->timer.stop();
    else
      d->timer.start(static_cast<int>(ms));
    return 0;
  }

  void OnSocketReady(curl_socket_t fd, int flags) {
    if (depth > 0) {
      // A slot runs a nested event loop inside one of our callbacks; libcurl
      // cannot be re-entered, so the socket waits until it returns.
      auto it = watches.find(fd);
      if (it != watches.end()) {
        if (it->second.read) it->second.read->setEnabled(false);
        if (it->second.write) it->second.write->setEnabled(false);
      }
      resync = true;
      return;
    }
    int running = 0;
    ++depth;
    curl_multi_socket_action(multi, fd, flags, &running);
    --depth;
    AfterCurl();
  }

  void OnTimeout() {
    if (depth > 0) {
      timeoutMissed = true;
      return;
    }
    int running = 0;
    ++depth;
    curl_multi_socket_action(multi, CURL_SOCKET_TIMEOUT, 0, &running);
    --depth;
    AfterCurl();
  }

  // Runs whenever libcurl has returned to us: completed transfers, work
  // postponed while it was busy, and cleanup of aborted exchanges.
  void AfterCurl() {
    if (depth > 0) return;
    bool done = false;
    // Slots of the signals below may abort or start exchanges; counting this
    // as busy keeps every exchange alive until the end of this function.
    ++depth;
    int left = 0;
    while (CURLMsg* m = curl_multi_info_read(multi, &left)) {
      if (m->msg != CURLMSG_DONE) continue;
      if (current && current->easy == m->easy_handle && !current->dead) done = Finished(m->data.result);
    }
    --depth;
    for (auto& e : graveyard) Destroy(e.get());
    graveyard.clear();
    if (addPending && current) {
      addPending = false;
      Add(current.get());
    }
    if (resync) {
      resync = false;
      for (auto& [fd, w] : watches) {
        if (w.read) w.read->setEnabled(w.wantRead);
        if (w.write) w.write->setEnabled(w.wantWrite);
      }
    }
    if (timeoutMissed) {
      timeoutMissed = false;
      timer.start(0);
    }
    // Last, so that a slot may start the next exchange at once.
    if (done) emit q->requestDone(status, error);
  }

  // ---- exchanges ----

  void Destroy(Exchange* e) {
    if (e->easy) {
      if (e->added) curl_multi_remove_handle(multi, e->easy);
      curl_easy_cleanup(e->easy);
      e->easy = nullptr;
    }
    e->added = false;
    curl_slist_free_all(e->headers);
    e->headers = nullptr;
    curl_slist_free_all(e->resolve);
    e->resolve = nullptr;
  }

  void Add(Exchange* e) {
    if (curl_multi_add_handle(multi, e->easy) == CURLM_OK) {
      e->added = true;
      return;
    }
    FailLater(HttpError::Other, "the transfer could not be started");
  }

  // Reports a failure found before libcurl took the exchange, from the event
  // loop as every other outcome.
  void FailLater(HttpError why, const std::string& text) {
    uint64_t serial = current->serial;
    QMetaObject::invokeMethod(
        q,
        [this, serial, why, text] {
          if (!current || current->serial != serial || current->dead) return;
          Destroy(current.get());
          current.reset();
          status = 0;
          error = why;
          errorText = text;
          emit q->requestDone(0, why);
        },
        Qt::QueuedConnection);
  }

  bool Configure(Exchange* e) {
    const Settings& s = e->settings;
    e->easy = curl_easy_init();
    if (!e->easy) return false;
    CURL* h = e->easy;
    curl_easy_setopt(h, CURLOPT_PRIVATE, e);
    curl_easy_setopt(h, CURLOPT_URL, e->url.c_str());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, e->errorBuffer);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // An abort during name resolution must not wait for the resolver thread.
    curl_easy_setopt(h, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION,
                     s.version == HttpVersion::V1_0 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    const bool viaProxy = !s.proxy.host.empty();
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, viaProxy ? "http,https,ftp" : "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);  // followed here, hop by hop

    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Impl::OnHeaderBytes);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, e);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Impl::OnBodyBytes);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, e);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, &Impl::OnDebug);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, e);
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);  // feeds OnDebug with the sent lines

    if (!s.userAgent.empty()) curl_easy_setopt(h, CURLOPT_USERAGENT, HeaderSafe(s.userAgent).c_str());
    e->headers = curl_slist_append(e->headers, s.accept.empty() ? "Accept:" : ("Accept: " + HeaderSafe(s.accept)).c_str());
    if (!s.acceptLanguage.empty())
      e->headers = curl_slist_append(e->headers, ("Accept-Language: " + HeaderSafe(s.acceptLanguage)).c_str());
    if (s.noCache) e->headers = curl_slist_append(e->headers, "Pragma: no-cache");
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, e->headers);

    const std::string scheme = SchemeOf(e->url);
    const std::string host = HostOf(e->url);
    const bool sameSite = host == e->firstHost && !(e->firstSecure && scheme != "https");
    if (!s.cookie.empty() && sameSite) curl_easy_setopt(h, CURLOPT_COOKIE, HeaderSafe(s.cookie).c_str());

    // Proxies from the environment (http_proxy, no_proxy) never apply: the
    // program's own proxy setting decides.
    curl_easy_setopt(h, CURLOPT_PROXY, viaProxy ? s.proxy.host.c_str() : "");
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    if (viaProxy) {
      curl_easy_setopt(h, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
      curl_easy_setopt(h, CURLOPT_PROXYPORT, static_cast<long>(s.proxy.port));
      curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
      if (!s.proxy.user.empty()) {
        curl_easy_setopt(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, s.proxy.user.c_str());
        curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, s.proxy.password.c_str());
      }
    }
    if (s.fullAddress) curl_easy_setopt(h, CURLOPT_REQUEST_TARGET, e->url.c_str());
    if (!s.caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, s.caFile.c_str());

    // Name pins live in the multi handle's cache: drop the old ones, and pin
    // the given address for the first hop only.
    std::string pin;
    if (e->hops == 0 && !viaProxy && !s.resolvedAddress.empty()) {
      std::string address = HeaderSafe(s.resolvedAddress);
      if (address.find(':') != std::string::npos) address = "[" + address + "]";
      pin = host + ":" + std::to_string(PortOf(e->url));
      e->resolve = curl_slist_append(e->resolve, (pin + ":" + address).c_str());
    }
    for (const std::string& old : pinned)
      e->resolve = curl_slist_append(e->resolve, ("-" + old).c_str());
    pinned.clear();
    if (!pin.empty()) pinned.insert(pin);
    if (e->resolve) curl_easy_setopt(h, CURLOPT_RESOLVE, e->resolve);
    return true;
  }

  void ResetResponse(Exchange* e) {
    e->inHeader = false;
    e->lines.clear();
    e->headerStatus = 0;
    e->headerReason.clear();
    e->delivering = false;
    e->headerDelivered = false;
    e->redirectTo.clear();
  }

  void Start(const std::string& address) {
    Abort();
    status = 0;
    reason.clear();
    error = HttpError::None;
    errorText.clear();
    osError = 0;
    effectiveAddress.clear();

    current = std::make_unique<Exchange>();
    Exchange* e = current.get();
    e->owner = this;
    e->serial = ++serials;
    e->settings = settings;
    settings.resolvedAddress.clear();
    e->url = EncodeAddress(address);
    effectiveAddress = e->url;
    std::string scheme = SchemeOf(e->url);
    bool viaProxy = !e->settings.proxy.host.empty();
    if (e->url.empty() || scheme.empty() || (scheme == "ftp" && !viaProxy) || HostOf(e->url).empty()) {
      FailLater(HttpError::BadAddress, "address not fetchable: " + address);
      return;
    }
    e->firstHost = HostOf(e->url);
    e->firstSecure = scheme == "https";
    if (!multi || !Configure(e)) {
      FailLater(HttpError::Other, "libcurl could not make a transfer");
      return;
    }
    if (depth > 0)
      addPending = true;  // libcurl does not take new transfers from inside its callbacks
    else
      Add(e);
  }

  void Abort() {
    addPending = false;
    if (!current) return;
    current->dead = true;
    if (depth > 0) {
      graveyard.push_back(std::move(current));
    } else {
      Destroy(current.get());
      current.reset();
    }
  }

  // ---- libcurl's callbacks ----

  // Emits and tells whether the exchange is still wanted afterwards.
  template <typename Emit>
  static bool Report(Exchange* e, Emit emitSignal) {
    emitSignal();
    return !e->dead;
  }

  static size_t OnHeaderBytes(char* data, size_t size, size_t count, void* userp) {
    auto* e = static_cast<Exchange*>(userp);
    size_t n = size * count;
    if (e->dead) return 0;
    Impl* d = e->owner;
    QByteArray line(data, static_cast<qsizetype>(n));
    while (!line.isEmpty() && (line.endsWith('\n') || line.endsWith('\r'))) line.chop(1);
    if (!e->inHeader) {
      e->inHeader = true;
      e->lines.clear();
      e->headerBytes = 0;
      e->headerStatus = ParseStatusLine(line, &e->headerReason);
    }
    if (!line.isEmpty()) {
      e->headerBytes += n;
      if (e->headerBytes > kMaxHeaderBytes) {
        // Endless header lines: keep the status line, drop the flood.
        e->headerTooLarge = true;
        e->lines.resize(std::min<size_t>(e->lines.size(), 1));
        return 0;
      }
      e->lines.push_back(line);
      return n;
    }
    // The empty line: the header is complete.
    e->inHeader = false;
    int code = e->headerStatus;
    if (code >= 100 && code < 200) return n;  // interim; the real answer follows
    if (IsRedirectStatus(code) && e->settings.followRedirects) {
      std::string next = ResolveLocation(e->url, LocationOf(e->lines));
      std::string scheme = SchemeOf(next);
      if (!next.empty() && (scheme == "http" || scheme == "https")) {
        if (e->hops < kMaxRedirects) {
          e->redirectTo = next;
          return 0;  // stop this hop; its body is of no interest
        }
        e->redirectLimitHit = true;
      }
    }
    d->status = code;
    d->reason = e->headerReason;
    return d->DeliverHeader(e, true) ? n : 0;
  }

  bool DeliverHeader(Exchange* e, bool complete) {
    e->headerDelivered = true;
    if (!Report(e, [&] { emit q->headerBegin(); })) return false;
    for (const QByteArray& line : e->lines)
      if (!Report(e, [&] { emit q->headerLine(line); })) return false;
    e->lines.clear();
    if (!complete) return true;
    if (!Report(e, [&] { emit q->headerLine(QByteArray()); })) return false;
    e->delivering = true;
    return Report(e, [&] { emit q->documentBegin(); });
  }

  static size_t OnBodyBytes(char* data, size_t size, size_t count, void* userp) {
    auto* e = static_cast<Exchange*>(userp);
    size_t n = size * count;
    if (e->dead) return 0;
    if (!e->delivering) return n;
    QByteArray chunk(data, static_cast<qsizetype>(n));
    return Report(e, [&] { emit e->owner->q->documentData(chunk); }) ? n : 0;
  }

  static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* userp) {
    auto* e = static_cast<Exchange*>(userp);
    if (type != CURLINFO_HEADER_OUT || e->dead) return 0;
    QByteArray block(data, static_cast<qsizetype>(size));
    for (QByteArray line : block.split('\n')) {
      if (line.endsWith('\r')) line.chop(1);
      if (line.isEmpty()) continue;
      // The protocol log is a plain file: credentials stay out of it.
      for (const char* name : {"Proxy-Authorization:", "Authorization:"}) {
        if (line.toLower().startsWith(QByteArray(name).toLower())) {
          int sp = line.indexOf(' ', static_cast<int>(strlen(name)) + 1);
          line = (sp > 0 ? line.left(sp) : QByteArray(name)) + " ********";
        }
      }
      if (!Report(e, [&] { emit e->owner->q->commandSent(line); })) return 0;
    }
    return 0;
  }

  // ---- completion ----

  // True when the exchange is over and requestDone is due.
  bool Finished(CURLcode result) {
    Exchange* e = current.get();
    if (!e->redirectTo.empty()) {
      FollowRedirect(e);
      return false;
    }
    if (e->inHeader && !e->headerDelivered) {
      // Broken inside a header: report what came.
      if (e->headerStatus) {
        status = e->headerStatus;
        reason = e->headerReason;
      }
      if (!e->lines.empty() && !DeliverHeader(e, false)) return false;
    }
    long connectCode = 0;
    curl_easy_getinfo(e->easy, CURLINFO_HTTP_CONNECTCODE, &connectCode);
    long osErrno = 0;
    curl_easy_getinfo(e->easy, CURLINFO_OS_ERRNO, &osErrno);
    osError = static_cast<int>(osErrno);
    errorText = result == CURLE_OK ? std::string() : (e->errorBuffer[0] ? e->errorBuffer : curl_easy_strerror(result));
    error = Classify(result, connectCode);
    if (e->headerTooLarge) {
      error = HttpError::BadResponse;
      errorText = "response header too large";
    } else if (error == HttpError::None && e->inHeader) {
      // libcurl takes a close inside the header for an ordinary end.
      error = HttpError::ConnectionLost;
      errorText = "connection closed inside the response header";
    }
    if (result == CURLE_OUT_OF_MEMORY && !e->errorBuffer[0]) errorText = "response header too large";
    if (error == HttpError::None && e->redirectLimitHit) {
      error = HttpError::TooManyRedirects;
      errorText = "too many redirections";
    }
    if (error == HttpError::ProxyRefused && status == 0) status = static_cast<int>(connectCode);
    Destroy(e);
    current.reset();
    return true;
  }

  void FollowRedirect(Exchange* e) {
    std::string next = e->redirectTo;
    // A fresh transfer for the next hop; the connection may be reused.
    Destroy(e);
    ResetResponse(e);
    e->url = next;
    e->hops++;
    effectiveAddress = next;
    if (!Configure(e)) {
      FailLater(HttpError::Other, "libcurl could not make a transfer");
      return;
    }
    emit q->redirected(QByteArray::fromStdString(next));
    if (current.get() == e && !e->dead) addPending = true;  // unless the slot aborted or restarted
  }

  static HttpError Classify(CURLcode rc, long connectCode) {
    switch (rc) {
      case CURLE_OK:
        return HttpError::None;
      case CURLE_URL_MALFORMAT:
        return HttpError::BadAddress;
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_RESOLVE_PROXY:
        return HttpError::ResolveFailed;
      case CURLE_SSL_CONNECT_ERROR:
      case CURLE_PEER_FAILED_VERIFICATION:
      case CURLE_SSL_CERTPROBLEM:
      case CURLE_SSL_CIPHER:
      case CURLE_SSL_CACERT_BADFILE:
      case CURLE_SSL_ISSUER_ERROR:
      case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      case CURLE_SSL_INVALIDCERTSTATUS:
      case CURLE_SSL_ENGINE_INITFAILED:
        return HttpError::TlsFailed;
      default:
        break;
    }
    if (connectCode >= 300) return HttpError::ProxyRefused;
    switch (rc) {
      case CURLE_COULDNT_CONNECT:
      case CURLE_OPERATION_TIMEDOUT:
        return HttpError::ConnectFailed;
      case CURLE_RECV_ERROR:
      case CURLE_SEND_ERROR:
      case CURLE_PARTIAL_FILE:
      case CURLE_GOT_NOTHING:
        return HttpError::ConnectionLost;
      // The scheme was checked before the start, so this is the answer of a
      // server that speaks no HTTP (libcurl's refusal of HTTP/0.9).
      case CURLE_UNSUPPORTED_PROTOCOL:
      case CURLE_WEIRD_SERVER_REPLY:
      case CURLE_BAD_CONTENT_ENCODING:
      // libcurl's answer to a header line beyond its size limit.
      case CURLE_OUT_OF_MEMORY:
        return HttpError::BadResponse;
      default:
        return HttpError::Other;
    }
  }
};

HttpClient::HttpClient(QObject* parent) : QObject(parent), d_(std::make_unique<Impl>(this)) {
  qRegisterMetaType<lumetra::platform::HttpError>("lumetra::platform::HttpError");
}

HttpClient::~HttpClient() = default;

void HttpClient::SetVersion(HttpVersion version) { d_->settings.version = version; }
void HttpClient::SetUserAgent(const std::string& text) { d_->settings.userAgent = text; }
void HttpClient::SetAccept(const std::string& text) { d_->settings.accept = text; }
void HttpClient::SetAcceptLanguage(const std::string& text) { d_->settings.acceptLanguage = text; }
void HttpClient::SetNoCache(bool on) { d_->settings.noCache = on; }
void HttpClient::SetProxy(const HttpProxy& proxy) { d_->settings.proxy = proxy; }
void HttpClient::SetCookie(const std::string& text) { d_->settings.cookie = text; }
void HttpClient::SetFollowRedirects(bool on) { d_->settings.followRedirects = on; }
void HttpClient::SetFullAddressInRequestLine(bool on) { d_->settings.fullAddress = on; }
void HttpClient::SetResolvedAddress(const std::string& address) { d_->settings.resolvedAddress = address; }
void HttpClient::SetCaFile(const std::string& path) { d_->settings.caFile = path; }

void HttpClient::Get(const std::string& address) { d_->Start(address); }
void HttpClient::Abort() { d_->Abort(); }
bool HttpClient::Busy() const { return d_->current != nullptr; }

int HttpClient::StatusCode() const { return d_->status; }
const QByteArray& HttpClient::ReasonPhrase() const { return d_->reason; }
HttpError HttpClient::Error() const { return d_->error; }
const std::string& HttpClient::ErrorText() const { return d_->errorText; }
int HttpClient::OsError() const { return d_->osError; }
const std::string& HttpClient::EffectiveAddress() const { return d_->effectiveAddress; }

}  // namespace lumetra::platform
