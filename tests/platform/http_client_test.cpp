#include "platform/http_client.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/http_test_server.h"
#include "support/squid_proxy.h"
#include "support/test_support.h"

namespace lumetra::platform {
namespace {

using test::HttpTestServer;
using test::ScriptedReply;
using test::WaitUntil;

struct App {
  int argc = 1;
  char name[8] = "test";
  char* argv[1] = {name};
  QCoreApplication app{argc, argv};
};

// Everything a client reports, in order. Header events are kept as text:
// "begin", "H:<line>", "doc"; body pieces go to `body`.
struct Recorder {
  std::vector<std::string> events;
  QByteArray body;
  int chunks = 0;
  qsizetype largestChunk = 0;
  std::vector<std::string> sent;
  std::vector<std::string> redirects;
  int doneCount = 0;
  int status = -1;
  HttpError error = HttpError::Other;
  // Hooks a test uses to act from inside a signal.
  std::function<void(const QByteArray&)> onLine;
  std::function<void(const QByteArray&)> onData;

  explicit Recorder(HttpClient& c) {
    QObject::connect(&c, &HttpClient::headerBegin, [this] { events.push_back("begin"); });
    QObject::connect(&c, &HttpClient::headerLine, [this](const QByteArray& line) {
      events.push_back("H:" + line.toStdString());
      if (onLine) onLine(line);
    });
    QObject::connect(&c, &HttpClient::documentBegin, [this] { events.push_back("doc"); });
    QObject::connect(&c, &HttpClient::documentData, [this](const QByteArray& chunk) {
      body += chunk;
      ++chunks;
      largestChunk = std::max(largestChunk, chunk.size());
      if (onData) onData(chunk);
    });
    QObject::connect(&c, &HttpClient::commandSent, [this](const QByteArray& line) { sent.push_back(line.toStdString()); });
    QObject::connect(&c, &HttpClient::redirected, [this](const QByteArray& a) { redirects.push_back(a.toStdString()); });
    QObject::connect(&c, &HttpClient::requestDone, [this](int s, HttpError e) {
      ++doneCount;
      status = s;
      error = e;
      events.push_back("done");
    });
  }
  bool Done() const { return doneCount > 0; }
  bool Wait(int ms = 10000) { return WaitUntil([this] { return Done(); }, ms); }
  std::vector<std::string> HeaderLines() const {
    std::vector<std::string> out;
    for (const auto& e : events)
      if (e.rfind("H:", 0) == 0) out.push_back(e.substr(2));
    return out;
  }
};

std::string Str(const QByteArray& b) { return b.toStdString(); }

TEST(HttpClient, ReportsHeaderThenBodyThenDone) {
  App a;
  HttpTestServer server;
  server.On("/pieces", ScriptedReply()
                           .Status(200)
                           .Header("Content-Type", "text/html")
                           .Header("Content-Length", "16")
                           .EndHeader()
                           .Send("<html>")
                           .Delay(30)
                           .Send("abc")
                           .Delay(30)
                           .Send("</html>"));
  server.On("/chunked", ScriptedReply()
                            .Status(200)
                            .Header("Transfer-Encoding", "chunked")
                            .EndHeader()
                            .Send("6\r\n<html>\r\n")
                            .Delay(30)
                            .Send("3\r\nabc\r\n7\r\n</html>\r\n0\r\n\r\n"));
  struct Case {
    const char* path;
    std::vector<std::string> header;
  } cases[] = {
      {"/pieces", {"HTTP/1.1 200 OK", "Content-Type: text/html", "Content-Length: 16", ""}},
      {"/chunked", {"HTTP/1.1 200 OK", "Transfer-Encoding: chunked", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    HttpClient client;
    Recorder r(client);
    client.Get(server.Url(c.path));
    EXPECT_TRUE(client.Busy());
    EXPECT_TRUE(r.events.empty());  // nothing happens before the event loop runs
    ASSERT_TRUE(r.Wait());
    std::vector<std::string> expected = {"begin"};
    for (const auto& line : c.header) expected.push_back("H:" + line);
    expected.push_back("doc");
    expected.push_back("done");
    EXPECT_EQ(r.events, expected);
    EXPECT_EQ(Str(r.body), "<html>abc</html>");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.error, HttpError::None);
    EXPECT_EQ(r.doneCount, 1);
    EXPECT_FALSE(client.Busy());
    EXPECT_EQ(Str(client.ReasonPhrase()), "OK");
    ASSERT_FALSE(r.sent.empty());
    EXPECT_EQ(r.sent[0], "GET " + std::string(c.path) + " HTTP/1.1");
  }
}

TEST(HttpClient, RequestCarriesTheSettings) {
  App a;
  HttpTestServer server;
  server.On("/p", ScriptedReply::Page("ok"));
  // A proxy from the environment must not be used: the program's own
  // setting decides.
  ::setenv("http_proxy", "http://127.0.0.1:9/", 1);
  ::setenv("HTTP_PROXY", "http://127.0.0.1:9/", 1);

  struct Case {
    const char* name;
    std::function<void(HttpClient&)> configure;
    std::string path;
    std::string requestLine;  // with PORT for the server's port
    std::vector<std::pair<const char*, const char*>> present;
    std::vector<const char*> absent;
  } cases[] = {
      {"the program's settings",
       [](HttpClient& c) {
         c.SetVersion(HttpVersion::V1_1);
         c.SetUserAgent("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
         c.SetAccept("application/x-www-form-urlencoded");
         c.SetAcceptLanguage("ja");
         c.SetNoCache(true);
         c.SetCookie("a=1; b=2");
       },
       "/p", "GET /p HTTP/1.1",
       {{"User-Agent", "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"},
        {"Accept", "application/x-www-form-urlencoded"},
        {"Accept-Language", "ja"},
        {"Pragma", "no-cache"},
        {"Cookie", "a=1; b=2"},
        {"Host", "127.0.0.1:PORT"}},
       {"Proxy-Authorization"}},
      {"HTTP/1.0 and nothing optional", [](HttpClient& c) { c.SetVersion(HttpVersion::V1_0); }, "/p",
       "GET /p HTTP/1.0", {}, {"Accept", "Accept-Language", "Pragma", "Cookie"}},
      {"full address in the request line", [](HttpClient& c) { c.SetFullAddressInRequestLine(true); }, "/p",
       "GET http://127.0.0.1:PORT/p HTTP/1.1", {}, {}},
      {"line breaks cannot add header lines",
       [](HttpClient& c) {
         c.SetCookie("a=1\r\nX-Injected: 1");
         c.SetUserAgent("agent\nX-Injected: 2");
       },
       "/p", "GET /p HTTP/1.1", {{"Cookie", "a=1X-Injected: 1"}}, {"X-Injected"}},
      {"spaces and Shift_JIS bytes are percent-encoded", [](HttpClient&) {}, "/p q\x83\x65",
       "GET /p%20q%83e HTTP/1.1", {}, {}},
  };
  const std::string port = std::to_string(server.port());
  auto withPort = [&](std::string s) {
    size_t at = s.find("PORT");
    if (at != std::string::npos) s.replace(at, 4, port);
    return s;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    size_t before = server.Requests().size();
    HttpClient client;
    c.configure(client);
    Recorder r(client);
    client.Get(server.Url(c.path));
    ASSERT_TRUE(r.Wait());
    ASSERT_EQ(server.Requests().size(), before + 1);
    const auto& got = server.Requests().back();
    EXPECT_EQ(Str(got.line), withPort(c.requestLine));
    ASSERT_FALSE(r.sent.empty());
    EXPECT_EQ(r.sent[0], withPort(c.requestLine));  // what the log shows is what went out
    for (const auto& [name, value] : c.present) EXPECT_EQ(Str(got.Header(name)), withPort(value)) << name;
    for (const char* name : c.absent) EXPECT_FALSE(got.HasHeader(name)) << name;
  }
  ::unsetenv("http_proxy");
  ::unsetenv("HTTP_PROXY");
}

TEST(HttpClient, ConnectionIsReusedAndAnotherGetMayStartFromRequestDone) {
  App a;
  HttpTestServer server;
  server.On("/one", ScriptedReply::Page("first"));
  server.On("/two", ScriptedReply::Page("second"));
  HttpClient client;
  Recorder r(client);
  bool startedSecond = false;
  QObject::connect(&client, &HttpClient::requestDone, [&] {
    if (!startedSecond) {
      startedSecond = true;
      client.Get(server.Url("/two"));
    }
  });
  client.Get(server.Url("/one"));
  ASSERT_TRUE(WaitUntil([&] { return r.doneCount == 2; }));
  EXPECT_EQ(Str(r.body), "firstsecond");
  EXPECT_EQ(server.ConnectionsAccepted(), 1);
}

TEST(HttpClient, Redirections) {
  App a;
  HttpTestServer server;
  const std::string port = std::to_string(server.port());
  server.On("/a", ScriptedReply::Redirect(302, "/b"));
  server.On("/b", ScriptedReply::Redirect(301, QByteArray::fromStdString(server.Url("/c"))));
  server.On("/c", ScriptedReply::Page("final", 200, {{"X-Page", "c"}}));
  server.On("/loop", ScriptedReply::Redirect(302, "/loop"));
  server.On("/away", ScriptedReply::Redirect(302, QByteArray::fromStdString("http://localhost:" + port + "/c")));

  {
    SCOPED_TRACE("followed: only the final response is reported");
    HttpClient client;
    Recorder r(client);
    client.Get(server.Url("/a"));
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.error, HttpError::None);
    EXPECT_EQ(Str(r.body), "final");
    EXPECT_EQ(r.HeaderLines(), (std::vector<std::string>{"HTTP/1.1 200 OK", "X-Page: c", "Content-Length: 5", ""}));
    EXPECT_EQ(r.redirects, (std::vector<std::string>{server.Url("/b"), server.Url("/c")}));
    EXPECT_EQ(client.EffectiveAddress(), server.Url("/c"));
  }
  {
    SCOPED_TRACE("not followed: the redirection is the response");
    size_t before = server.Requests().size();
    HttpClient client;
    client.SetFollowRedirects(false);
    Recorder r(client);
    client.Get(server.Url("/a"));
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.status, 302);
    EXPECT_EQ(r.error, HttpError::None);
    EXPECT_EQ(Str(r.body), "<html><body>moved</body></html>");
    EXPECT_EQ(server.Requests().size(), before + 1);
  }
  {
    SCOPED_TRACE("a loop ends after the limit");
    size_t before = server.Requests().size();
    HttpClient client;
    Recorder r(client);
    client.Get(server.Url("/loop"));
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.error, HttpError::TooManyRedirects);
    EXPECT_EQ(r.status, 302);
    EXPECT_EQ(server.Requests().size() - before, size_t(HttpClient::kMaxRedirects) + 1);
  }
  {
    SCOPED_TRACE("the cookie stays with its host");
    size_t before = server.Requests().size();
    HttpClient client;
    client.SetCookie("session=secret");
    Recorder r(client);
    client.Get(server.Url("/away"));
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.status, 200);
    ASSERT_EQ(server.Requests().size(), before + 2);
    EXPECT_EQ(Str(server.Requests()[before].Header("Cookie")), "session=secret");
    EXPECT_FALSE(server.Requests()[before + 1].HasHeader("Cookie"));
  }
}

// Aborting at any point: no further signal of that exchange, the client is
// idle, and the next exchange works.
TEST(HttpClient, AbortAtAnyPoint) {
  App a;
  HttpTestServer server;
  server.On("/ok", ScriptedReply::Page("fine"));
  server.On("/silent", ScriptedReply().Stall());
  server.On("/trickle", ScriptedReply()
                            .Status(200)
                            .Header("Content-Length", "100000")
                            .EndHeader()
                            .Send("first piece")
                            .Delay(100)
                            .Send(QByteArray(1000, 'x'))
                            .Stall());

  enum When { kOutside, kInHeaderBegin, kInHeaderLine, kInDocumentBegin, kInData, kRestartInData };
  struct Case {
    const char* name;
    const char* path;
    When when;
  } cases[] = {
      {"server never answers", "/silent", kOutside},
      {"in headerBegin", "/trickle", kInHeaderBegin},
      {"in headerLine", "/trickle", kInHeaderLine},
      {"in documentBegin", "/trickle", kInDocumentBegin},
      {"mid-body in documentData", "/trickle", kInData},
      {"new Get from documentData", "/trickle", kRestartInData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HttpClient client;
    Recorder r(client);
    bool acted = false;
    auto act = [&] {
      if (acted) return;
      acted = true;
      if (c.when == kRestartInData)
        client.Get(server.Url("/ok"));
      else
        client.Abort();
    };
    if (c.when == kInHeaderBegin) QObject::connect(&client, &HttpClient::headerBegin, act);
    if (c.when == kInHeaderLine) r.onLine = [&](const QByteArray&) { act(); };
    if (c.when == kInDocumentBegin) QObject::connect(&client, &HttpClient::documentBegin, act);
    if (c.when == kInData || c.when == kRestartInData) r.onData = [&](const QByteArray&) { act(); };

    client.Get(server.Url(c.path));
    if (c.when == kOutside) {
      ASSERT_TRUE(server.WaitForRequests(server.Requests().size() + 1));
      test::RunEventsFor(300);
      EXPECT_TRUE(client.Busy());
      EXPECT_TRUE(r.events.empty());  // still waiting: the client has no watchdog of its own
      act();
    } else {
      ASSERT_TRUE(WaitUntil([&] { return acted; }));
    }
    const size_t eventsAtAbort = r.events.size();
    const int chunksAtAbort = r.chunks;
    if (c.when == kRestartInData) {
      ASSERT_TRUE(r.Wait());
      EXPECT_EQ(r.status, 200);
      EXPECT_EQ(Str(r.body), "first piecefine");  // the old body stopped, the new one came whole
      continue;
    }
    EXPECT_FALSE(client.Busy());
    test::RunEventsFor(300);
    EXPECT_EQ(r.events.size(), eventsAtAbort);
    EXPECT_EQ(r.chunks, chunksAtAbort);
    EXPECT_EQ(r.doneCount, 0);

    client.Get(server.Url("/ok"));
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.status, 200);
  }
}

// A slot may run a nested event loop (a modal box) or destroy the client
// while an exchange is running.
TEST(HttpClient, NestedEventLoopsAndDestructionMidExchange) {
  App a;
  HttpTestServer server;
  server.On("/slow", ScriptedReply()
                         .Status(200)
                         .Header("Content-Length", "12")
                         .EndHeader()
                         .Send("abcd")
                         .Delay(50)
                         .Send("efgh")
                         .Delay(50)
                         .Send("ijkl"));
  server.On("/silent", ScriptedReply().Stall());
  {
    SCOPED_TRACE("nested event loop inside documentData");
    HttpClient client;
    Recorder r(client);
    int nested = 0;
    r.onData = [&](const QByteArray&) {
      if (nested++ == 0) test::RunEventsFor(200);  // the rest of the body arrives meanwhile
    };
    client.Get(server.Url("/slow"));
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.error, HttpError::None);
    EXPECT_EQ(Str(r.body), "abcdefghijkl");
    EXPECT_EQ(r.doneCount, 1);
  }
  {
    SCOPED_TRACE("destroyed while waiting, and with deleteLater from a signal");
    auto* waiting = new HttpClient;
    waiting->Get(server.Url("/silent"));
    ASSERT_TRUE(server.WaitForRequests(server.Requests().size() + 1));
    delete waiting;
    auto* reading = new HttpClient;
    bool deleted = false;
    QObject::connect(reading, &HttpClient::documentData, [&] { reading->deleteLater(); });
    QObject::connect(reading, &QObject::destroyed, [&] { deleted = true; });
    reading->Get(server.Url("/slow"));
    EXPECT_TRUE(WaitUntil([&] { return deleted; }));
    test::RunEventsFor(200);
  }
}

// Whatever a server does, the exchange ends, once, with an honest outcome.
TEST(HttpClient, BrokenServersEndTheExchange) {
  App a;
  HttpTestServer server;
  QByteArray garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) & 0xFF);
  server.On("/half-header", ScriptedReply().Send("HTTP/1.1 200 OK\r\nContent-Ty").Delay(50).Close());
  server.On("/reset", ScriptedReply()
                          .Status(200)
                          .Header("Content-Length", "5000")
                          .EndHeader()
                          .Send("partial")
                          .Delay(100)
                          .Reset());
  server.On("/long-length", ScriptedReply()
                                .Status(200)
                                .Header("Content-Length", "1000")
                                .EndHeader()
                                .Send("only this")
                                .Delay(50)
                                .Close());
  server.On("/short-length", ScriptedReply()
                                 .Status(200)
                                 .Header("Content-Length", "4")
                                 .EndHeader()
                                 .Send("cut here, the rest is excess")
                                 .Delay(50)
                                 .Close());
  server.On("/garbage", ScriptedReply().Send(garbage).Delay(50).Close());
  server.On("/nothing", ScriptedReply().Delay(50).Close());
  server.On("/huge-header", ScriptedReply()
                                .Status(200)
                                .Send("X-Long: ")
                                .Repeat("h", 1 << 20)
                                .Send("\r\n\r\nbody")
                                .Close());
  server.On("/endless-header", ScriptedReply().Status(200).Repeat("X-More: again\r\n", 8 << 20).Close());
  quint16 closedPort;
  {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    closedPort = probe.serverPort();
  }

  struct Case {
    const char* name;
    std::string url;
    HttpError error;
    int status;
    const char* body;
    std::vector<std::string> header;
  } cases[] = {
      {"half a header, then close", server.Url("/half-header"), HttpError::ConnectionLost, 200, "",
       {"HTTP/1.1 200 OK"}},
      {"reset in the body", server.Url("/reset"), HttpError::ConnectionLost, 200, "partial",
       {"HTTP/1.1 200 OK", "Content-Length: 5000", ""}},
      {"Content-Length beyond the data", server.Url("/long-length"), HttpError::ConnectionLost, 200, "only this",
       {"HTTP/1.1 200 OK", "Content-Length: 1000", ""}},
      {"Content-Length short of the data", server.Url("/short-length"), HttpError::None, 200, "cut ",
       {"HTTP/1.1 200 OK", "Content-Length: 4", ""}},
      {"binary garbage instead of a response", server.Url("/garbage"), HttpError::BadResponse, 0, "", {}},
      {"closed without a word", server.Url("/nothing"), HttpError::ConnectionLost, 0, "", {}},
      {"a 1 MB header line", server.Url("/huge-header"), HttpError::BadResponse, 200, "", {"HTTP/1.1 200 OK"}},
      {"endless header lines", server.Url("/endless-header"), HttpError::BadResponse, 200, "", {"HTTP/1.1 200 OK"}},
      {"nobody listening", "http://127.0.0.1:" + std::to_string(closedPort) + "/", HttpError::ConnectFailed, 0, "",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HttpClient client;
    Recorder r(client);
    client.Get(c.url);
    ASSERT_TRUE(r.Wait());
    test::RunEventsFor(50);
    EXPECT_EQ(r.doneCount, 1);
    EXPECT_EQ(r.error, c.error) << client.ErrorText();
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(Str(r.body), c.body);
    EXPECT_EQ(r.HeaderLines(), c.header);
    if (c.error != HttpError::None) {
      EXPECT_FALSE(client.ErrorText().empty());
    }
  }
}

TEST(HttpClient, LargeAndBinaryBodiesArriveExactlyAndInPieces) {
  App a;
  HttpTestServer server;
  QByteArray allBytes;
  for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
  QByteArray line(1 << 20, 'L');  // one 1 MB line without a line break
  for (int i = 0; i < line.size(); i += 997) line[i] = static_cast<char>(i & 0xFF);
  server.On("/line", ScriptedReply::Page(line));
  server.On("/binary", ScriptedReply::Page(allBytes.repeated(64)));
  const qint64 huge = 64LL << 20;
  server.On("/huge", ScriptedReply()
                         .Status(200)
                         .Header("Content-Length", QByteArray::number(huge))
                         .EndHeader()
                         .Repeat("0123456789abcdef", huge));
  server.On("/until-close", ScriptedReply().Status(200).EndHeader().Repeat(allBytes, 300000).Close());

  for (const char* path : {"/line", "/binary"}) {
    SCOPED_TRACE(path);
    HttpClient client;
    Recorder r(client);
    client.Get(server.Url(path));
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.error, HttpError::None);
    EXPECT_TRUE(r.body == (std::string(path) == "/line" ? line : allBytes.repeated(64)));
  }
  {
    SCOPED_TRACE("64 MB, streamed");
    HttpClient client;
    qint64 total = 0;
    qsizetype largest = 0;
    bool done = false;
    QObject::connect(&client, &HttpClient::documentData, [&](const QByteArray& chunk) {
      total += chunk.size();
      largest = std::max(largest, chunk.size());
    });
    QObject::connect(&client, &HttpClient::requestDone, [&](int, HttpError e) {
      done = true;
      EXPECT_EQ(e, HttpError::None);
    });
    client.Get(server.Url("/huge"));
    ASSERT_TRUE(WaitUntil([&] { return done; }, 60000));
    EXPECT_EQ(total, huge);
    EXPECT_LE(largest, 1 << 20);  // pieces as they come, never the whole page
  }
  {
    SCOPED_TRACE("body until the connection closes");
    HttpClient client;
    Recorder r(client);
    client.Get(server.Url("/until-close"));
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.error, HttpError::None);
    EXPECT_EQ(r.body.size(), 300000);
    EXPECT_TRUE(r.body.startsWith(allBytes));
  }
}

TEST(HttpClient, AddressesThatCannotBeFetched) {
  App a;
  struct Case {
    const char* address;
    HttpError error;
  } cases[] = {
      {"http://nothing-here.invalid/", HttpError::ResolveFailed},
      {"ftp://127.0.0.1/file", HttpError::BadAddress},  // ftp only through a proxy
      {"gopher://127.0.0.1/", HttpError::BadAddress},
      {"www.example.com/no-scheme", HttpError::BadAddress},
      {"http://127.0.0.1/\x01", HttpError::BadAddress},
      {"", HttpError::BadAddress},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    HttpClient client;
    Recorder r(client);
    client.Get(c.address);
    EXPECT_EQ(r.doneCount, 0);  // failures arrive from the event loop too
    ASSERT_TRUE(r.Wait(30000));
    EXPECT_EQ(r.error, c.error) << client.ErrorText();
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.events == std::vector<std::string>{"done"});
  }
}

TEST(HttpClient, ResolvedAddressSparesTheSecondLookUpForOneGetOnly) {
  App a;
  HttpTestServer server;
  // Closing makes the second Get open a new connection, which needs the name.
  server.On("/p", ScriptedReply::Page("pinned", 200, {{"Connection", "close"}}).Close());
  const std::string address = "http://pinned-name.invalid:" + std::to_string(server.port()) + "/p";
  HttpClient client;
  Recorder r(client);
  client.SetResolvedAddress("127.0.0.1");
  client.Get(address);
  ASSERT_TRUE(r.Wait());
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(Str(server.Requests().back().Header("Host")), "pinned-name.invalid:" + std::to_string(server.port()));

  r.doneCount = 0;
  client.Get(address);  // no address given this time: the name really is looked up
  ASSERT_TRUE(r.Wait(30000));
  EXPECT_EQ(r.error, HttpError::ResolveFailed);
}

// The scripted server standing in for a proxy shows what goes to one.
TEST(HttpClient, RequestsThroughAProxy) {
  App a;
  HttpTestServer proxy;
  proxy.On("/x", ScriptedReply::Page("via proxy"));
  struct Case {
    const char* name;
    HttpProxy settings;
    const char* authorization;
  } cases[] = {
      {"with credentials", {"127.0.0.1", proxy.port(), "taro", "pa:ss"}, "Basic dGFybzpwYTpzcw=="},
      {"without", {"127.0.0.1", proxy.port(), "", ""}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HttpClient client;
    client.SetProxy(c.settings);
    Recorder r(client);
    client.Get("http://news.example.invalid/x");
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(Str(r.body), "via proxy");
    const auto& got = proxy.Requests().back();
    EXPECT_EQ(Str(got.line), "GET http://news.example.invalid/x HTTP/1.1");
    if (c.authorization) {
      EXPECT_EQ(Str(got.Header("Proxy-Authorization")), c.authorization);
      // The log never shows the credentials.
      bool masked = false;
      for (const auto& line : r.sent) {
        EXPECT_EQ(line.find("dGFybzpwYTpzcw"), std::string::npos);
        masked |= line == "Proxy-Authorization: Basic ********";
      }
      EXPECT_TRUE(masked);
    } else {
      EXPECT_FALSE(got.HasHeader("Proxy-Authorization"));
    }
  }
}

TEST(HttpClient, ThroughSquidWithBasicAuthentication) {
  if (!test::SquidProxy::Installed()) GTEST_SKIP() << test::SquidProxy::kNotInstalled;
  App a;
  HttpTestServer origin;
  origin.On("/news", ScriptedReply::Page("<html>headlines</html>"));
  test::SquidProxy squid;
  ASSERT_TRUE(squid.Start("hanako", "right-pass")) << squid.Problem();

  struct Case {
    const char* name;
    const char* user;
    const char* password;
    int status;
  } cases[] = {
      {"right credentials", "hanako", "right-pass", 200},
      {"wrong password", "hanako", "wrong-pass", 407},
      {"no credentials", "", "", 407},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HttpClient client;
    client.SetProxy({"127.0.0.1", squid.port(), c.user, c.password});
    client.SetNoCache(true);
    Recorder r(client);
    size_t before = origin.Requests().size();
    client.Get(origin.Url("/news"));
    ASSERT_TRUE(r.Wait(20000)) << squid.Log();
    test::RunEventsFor(100);
    EXPECT_EQ(r.doneCount, 1);
    EXPECT_EQ(r.error, HttpError::None) << client.ErrorText();
    EXPECT_EQ(r.status, c.status);
    EXPECT_FALSE(client.Busy());
    if (c.status == 200) {
      EXPECT_EQ(Str(r.body), "<html>headlines</html>");
      EXPECT_EQ(origin.Requests().size(), before + 1);
    } else {
      EXPECT_EQ(origin.Requests().size(), before);  // the refusal never reaches the site
      bool challenged = false;
      for (const auto& line : r.HeaderLines()) challenged |= line.rfind("Proxy-Authenticate: Basic", 0) == 0;
      EXPECT_TRUE(challenged);
    }
  }

  // https goes through a tunnel; a refused tunnel is the proxy's refusal.
  test::TempFolder folder;
  test::TlsFiles tls = test::MakeTestCertificate(folder.path());
  HttpTestServer secure(tls);
  secure.On("/news", ScriptedReply::Page("<html>secure headlines</html>"));
  struct TunnelCase {
    const char* name;
    const char* password;
    HttpError error;
    int status;
    const char* body;
  } tunnels[] = {
      {"https, right credentials", "right-pass", HttpError::None, 200, "<html>secure headlines</html>"},
      {"https, wrong credentials", "wrong-pass", HttpError::ProxyRefused, 407, ""},
  };
  for (const TunnelCase& c : tunnels) {
    SCOPED_TRACE(c.name);
    HttpClient client;
    client.SetProxy({"127.0.0.1", squid.port(), "hanako", c.password});
    client.SetCaFile(tls.certificate);
    Recorder r(client);
    client.Get(secure.Url("/news"));
    ASSERT_TRUE(r.Wait(20000)) << squid.Log();
    EXPECT_EQ(r.error, c.error) << client.ErrorText();
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(Str(r.body), c.body);
    ASSERT_FALSE(r.sent.empty());
    EXPECT_EQ(r.sent[0].rfind("CONNECT 127.0.0.1:", 0), 0u) << r.sent[0];
  }
}

TEST(HttpClient, HttpsWithVerifiedCertificates) {
  App a;
  test::TempFolder folder;
  test::TlsFiles tls = test::MakeTestCertificate(folder.path());
  HttpTestServer server(tls);
  server.On("/secure", ScriptedReply::Page("over tls"));

  {
    SCOPED_TRACE("the test authority is accepted");
    HttpClient client;
    client.SetCaFile(tls.certificate);
    Recorder r(client);
    client.Get(server.Url("/secure"));
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.error, HttpError::None) << client.ErrorText();
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(Str(r.body), "over tls");
    EXPECT_EQ(Str(server.Requests().back().line), "GET /secure HTTP/1.1");
  }
  {
    SCOPED_TRACE("unknown authority: nothing is fetched");
    HttpClient client;
    Recorder r(client);
    size_t before = server.Requests().size();
    client.Get(server.Url("/secure"));
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.error, HttpError::TlsFailed) << client.ErrorText();
    EXPECT_TRUE(r.body.isEmpty());
    EXPECT_EQ(server.Requests().size(), before);
  }
}

}  // namespace
}  // namespace lumetra::platform
