#include "platform/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lumetra::platform {
namespace {
int g_pipe[2] = {-1, -1};

void Handler(int signal) {
  unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &byte, 1);
}
}  // namespace

void OnTerminationSignal(std::function<void(int signal)> onSignal) {
  if (g_pipe[0] < 0) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
  }
  // Owned by the application object, so it goes when the application does.
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [onSignal = std::move(onSignal)] {
    unsigned char byte = 0;
    if (::read(g_pipe[0], &byte, 1) == 1) onSignal(byte);
  });
  struct sigaction action {};
  action.sa_handler = Handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
}

}  // namespace lumetra::platform
