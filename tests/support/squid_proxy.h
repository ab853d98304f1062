#pragma once
// A real caching proxy for tests: squid on 127.0.0.1 with Basic proxy
// authentication (basic_ncsa_auth) for one user, caching off. It runs as an
// unprivileged user when the tests run as root, and is stopped when the
// object goes. Tests skip (GTEST_SKIP) only when squid is not installed:
//
//   if (!SquidProxy::Installed()) GTEST_SKIP() << SquidProxy::kNotInstalled;
//   SquidProxy squid;
//   ASSERT_TRUE(squid.Start("alice", "secret")) << squid.Problem();
//   proxy = {"127.0.0.1", squid.port(), "alice", "secret"};
#include <QProcess>
#include <QTemporaryDir>
#include <string>

namespace lumetra::test {

class SquidProxy {
 public:
  static constexpr const char* kNotInstalled =
      "squid (with /usr/lib/squid/basic_ncsa_auth) is not installed; scripts/setup.sh installs it";
  static bool Installed();

  SquidProxy();
  ~SquidProxy();
  SquidProxy(const SquidProxy&) = delete;
  SquidProxy& operator=(const SquidProxy&) = delete;

  // Starts squid and waits until it accepts connections; false (with a
  // reason in Problem()) when it does not come up.
  bool Start(const std::string& user, const std::string& password, int timeoutMs = 30000);
  void Stop();
  quint16 port() const { return port_; }
  const std::string& Problem() const { return problem_; }
  // squid's own log, for failure messages.
  std::string Log() const;

 private:
  QTemporaryDir folder_;
  QProcess process_;
  quint16 port_ = 0;
  std::string problem_;
};

}  // namespace lumetra::test
