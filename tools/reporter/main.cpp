// quietmarkrp: noise reports from the files the supervisor stores; a window, or a command line
// for scheduled reports without a display.
#include "TformReporter.h"

#include "report/CommandLine.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args.append(QString::fromLocal8Bit(argv[i]));
  const qmreport::Parsed parsed = qmreport::ParseArguments(args);
  if (parsed.help || !parsed.window || !parsed.error.isEmpty()) {
    // No display needed: the PDF and PNG are painted offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return qmreport::RunCommandLine(args, out, err);
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quietmark Reporter"));
  TformReporter w(qmreport::FindDataPath(parsed.datapath), parsed.request);
  w.show();
  return app.exec();
}
