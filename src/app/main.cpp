// Process entry: single instance, the main window, orderly exit on SIGTERM and SIGINT.
#include "core/TCfg.h"
#include "display/TformMain.h"
#include "platform/Autostart.h"
#include "platform/SingleInstance.h"
#include "platform/TermSignals.h"

#include <QApplication>
#include <QTextStream>

#include <fenv.h>
#include <cstring>

namespace {
// The port settings.ini makes the server listen on (its low 16 bits), for scripts that start
// monitors against this program.
int PrintPort() {
  const TCfg cfg(TCfg::SystemEnv(nullptr));
  QTextStream(stdout) << quint16(cfg.Port()) << Qt::endl;
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  // First of all: a signal during a slow start-up must still end the program in order.
  qmplatform::CatchTerminationSignals();
  // Floating-point errors give infinities and NaNs, never traps.
  fedisableexcept(FE_ALL_EXCEPT);
  if (argc == 2 && std::strcmp(argv[1], "--print-port") == 0) return PrintPort();

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

  // SIGTERM and SIGINT close the main window as "Exit" does (one that came before it waited).
  qmplatform::OnTerminationSignal(&form, [&form] { form.close(); });

  form.show();
  return app.exec();
}
