#pragma once

#include "report/Report.h"

#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

namespace qmreport {

struct Outputs {
  QString pdf, csv, png;
  bool Any() const { return !pdf.isEmpty() || !csv.isEmpty() || !png.isEmpty(); }
};

struct Parsed {
  Request request;
  Outputs outputs;
  QString datapath;  // as given; empty: the supervisor's
  bool help = false;
  bool window = false;  // no output asked for: the window opens
  QString error;        // a bad argument: say it, then the usage
};

QString Usage();
// `args` without the program name.
Parsed ParseArguments(const QStringList& args);

// Writes the outputs the request asks for; false with a reason (nothing half-written is left).
bool WriteOutputs(const Report& r, const Outputs& o, QString* error);

// The whole command-line run: 0 written, 1 no data for that monitor and period, 2 bad arguments.
// Needs a QGuiApplication (fonts and painting).
int RunCommandLine(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace qmreport
