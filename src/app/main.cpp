// Process entry: single instance, the main window, orderly exit on SIGTERM and SIGINT.
#include "core/TCfg.h"
#include "display/TformMain.h"
#include "platform/Autostart.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QSocketNotifier>

#include <fenv.h>
#include <sys/socket.h>
#include <unistd.h>
#include <csignal>

namespace {
int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char c = 1;
  [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &c, 1);
}

// First of all: a signal during a slow start-up must still end the program in order.
void InstallSignalHandlers() {
  ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe);
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}
}  // namespace

int main(int argc, char** argv) {
  InstallSignalHandlers();
  // Floating-point errors give infinities and NaNs, never traps.
  fedisableexcept(FE_ALL_EXCEPT);

  qmplatform::SingleInstance guard(QStringLiteral("Brackenhall_QMSV_Mutex"));
  if (!guard.Acquired()) return 0;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quietmark Supervisor"));
  QApplication::setApplicationDisplayName(QStringLiteral("Quietmark Supervisor"));

  qmplatform::XdgAutostart autostart;
  TSupervisor::Options options{app.arguments(), TCfg::SystemEnv(&autostart)};
  // A command-line switch that Qt itself consumed must still count.
  for (int i = 0; i < argc; ++i) options.args << QString::fromLocal8Bit(argv[i]);

  TformMain form(std::move(options));

  // SIGTERM and SIGINT close the main window as "Exit" does (a signal before it exists waits in
  // the pipe).
  QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&notifier, &QSocketNotifier::activated, &form, [&form] {
    char c;
    [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &c, 1);
    form.close();
  });

  form.show();
  return app.exec();
}
