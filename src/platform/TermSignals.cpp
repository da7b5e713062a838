#include "platform/TermSignals.h"

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>

namespace qmplatform {

namespace {
int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char c = 1;
  [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &c, 1);
}
}  // namespace

void CatchTerminationSignals() {
  if (g_signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

void OnTerminationSignal(QObject* context, std::function<void()> handler) {
  CatchTerminationSignals();
  if (g_signalPipe[0] < 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, context);
  QObject::connect(notifier, &QSocketNotifier::activated, context, [handler = std::move(handler)] {
    char c;
    [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &c, 1);
    handler();
  });
}

}  // namespace qmplatform
