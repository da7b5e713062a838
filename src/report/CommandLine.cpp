#include "report/CommandLine.h"

#include "report/ReportChart.h"
#include "report/ReportCsv.h"
#include "report/ReportPdf.h"

#include <QCommandLineParser>
#include <QDir>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextStream>

namespace qmreport {

namespace {

struct Option {
  const char* name;
  const char* value;  // nullptr for a switch
  const char* help;
};

const Option kOptions[] = {
    {"monitor", "ID", "the monitor (its folder name below the data folder)"},
    {"day", "YYYY-MM-DD", "the day of the report, or a day of its week or month"},
    {"week", nullptr, "a weekly report: Monday to Sunday of the week of --day"},
    {"month", nullptr, "a monthly report: the calendar month of --day"},
    {"interval", "MIN", "interval of the day's table: 5, 15, 30 or 60 (default 60)"},
    {"pdf", "FILE", "write the report as PDF"},
    {"csv", "FILE", "write the table as CSV"},
    {"png", "FILE", "write the chart as PNG"},
    {"datapath", "DIR", "data folder (default: the supervisor's, from settings.ini)"},
    {"day-start", "HOUR", "hour the day period starts (default 7)"},
    {"evening-start", "HOUR", "hour the evening period starts (default 19)"},
    {"night-start", "HOUR", "hour the night period starts (default 23); it ends at --day-start"},
    {"help", nullptr, "show this text"},
};

std::optional<int> WholeNumber(const QString& text) {
  bool ok = false;
  const int v = text.toInt(&ok);
  return ok ? std::optional<int>(v) : std::nullopt;
}

bool SaveBytes(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
    if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
    return false;
  }
  return true;
}

}  // namespace

QString Usage() {
  QString s = QStringLiteral(
      "Usage: quietmarkrp [--monitor ID --day YYYY-MM-DD [--week|--month] [--interval 60]\n"
      "                   [--pdf FILE] [--csv FILE] [--png FILE] [--datapath DIR]]\n"
      "Without --pdf, --csv or --png the window opens, showing the monitor and day given.\n"
      "With one of them the report is written without a display.\n"
      "Exit codes: 0 written, 1 no data for that monitor and period, 2 bad arguments.\n\n");
  for (const Option& o : kOptions) {
    QString left = QStringLiteral("  --") + QLatin1String(o.name);
    if (o.value) left += QLatin1Char(' ') + QLatin1String(o.value);
    s += left.leftJustified(26) + QLatin1String(o.help) + QLatin1Char('\n');
  }
  return s;
}

Parsed ParseArguments(const QStringList& args) {
  Parsed r;
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  for (const Option& o : kOptions)
    parser.addOption(o.value ? QCommandLineOption(QString::fromLatin1(o.name), QString(),
                                                  QString::fromLatin1(o.value))
                             : QCommandLineOption(QString::fromLatin1(o.name)));
  if (!parser.parse(QStringList{QStringLiteral("quietmarkrp")} + args)) {
    r.error = parser.errorText();
    return r;
  }
  if (parser.isSet(QStringLiteral("help"))) {
    r.help = true;
    return r;
  }
  if (!parser.positionalArguments().isEmpty()) {
    r.error = QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first();
    return r;
  }
  r.outputs.pdf = parser.value(QStringLiteral("pdf"));
  r.outputs.csv = parser.value(QStringLiteral("csv"));
  r.outputs.png = parser.value(QStringLiteral("png"));
  r.datapath = parser.value(QStringLiteral("datapath"));
  // Without an output the window opens, with whatever was given as its first choice.
  r.window = !r.outputs.Any();
  Request& q = r.request;
  q.id = parser.value(QStringLiteral("monitor"));
  if (q.id.contains(QLatin1Char('/')) || q.id.contains(QLatin1Char('\\')) ||
      q.id == QLatin1String(".") || q.id == QLatin1String("..")) {
    r.error = QStringLiteral("Not a monitor ID: ") + q.id;
    return r;
  }
  if (q.id.isEmpty() && !r.window) {
    r.error = QStringLiteral("--monitor is missing");
    return r;
  }
  const QString dayText = parser.value(QStringLiteral("day"));
  q.day = QDate::fromString(dayText, QStringLiteral("yyyy-MM-dd"));
  if (!q.day.isValid() && (!r.window || !dayText.isEmpty())) {
    r.error = QStringLiteral("--day needs a date as YYYY-MM-DD");
    return r;
  }
  const bool week = parser.isSet(QStringLiteral("week"));
  const bool month = parser.isSet(QStringLiteral("month"));
  if (week && month) {
    r.error = QStringLiteral("--week and --month exclude each other");
    return r;
  }
  q.kind = week ? Kind::Week : month ? Kind::Month : Kind::Day;
  if (parser.isSet(QStringLiteral("interval"))) {
    const auto v = WholeNumber(parser.value(QStringLiteral("interval")));
    if (!v || !ValidInterval(*v)) {
      r.error = QStringLiteral("--interval must be 5, 15, 30 or 60");
      return r;
    }
    q.interval = *v;
  }
  for (const auto& [name, field] :
       {std::pair{"day-start", &q.bounds.day}, std::pair{"evening-start", &q.bounds.evening},
        std::pair{"night-start", &q.bounds.night}}) {
    const QString key = QString::fromLatin1(name);
    if (!parser.isSet(key)) continue;
    const auto v = WholeNumber(parser.value(key));
    if (!v) {
      r.error = QStringLiteral("--%1 needs a whole hour").arg(key);
      return r;
    }
    *field = *v;
  }
  if (!q.bounds.Valid()) {
    r.error =
        QStringLiteral("The periods must start in the order day < evening < night, within 0 to 24");
    return r;
  }
  return r;
}

bool WriteOutputs(const Report& r, const Outputs& o, QString* error) {
  for (const QString& path : {o.pdf, o.csv, o.png})
    if (!path.isEmpty() && IsInside(path, r.request.dataPath)) {
      if (error) *error = QStringLiteral("Will not write into the data folder: ") + path;
      return false;
    }
  if (!o.csv.isEmpty() && !SaveBytes(o.csv, ReportCsv(r), error)) return false;
  if (!o.png.isEmpty()) {
    QSaveFile f(o.png);
    if (!f.open(QIODevice::WriteOnly) || !ChartImage(r).save(&f, "PNG") || !f.commit()) {
      if (error) *error = QStringLiteral("cannot write %1: %2").arg(o.png, f.errorString());
      return false;
    }
  }
  if (!o.pdf.isEmpty() && !WritePdf(r, o.pdf, error)) return false;
  return true;
}

int RunCommandLine(const QStringList& args, QTextStream& out, QTextStream& err) {
  const Parsed p = ParseArguments(args);
  if (p.help) {
    out << Usage();
    return 0;
  }
  if (!p.error.isEmpty() || p.window) {
    err << (p.error.isEmpty() ? QStringLiteral("Nothing to write: give --pdf, --csv or --png")
                              : p.error)
        << "\n\n"
        << Usage();
    return 2;
  }
  Request q = p.request;
  q.dataPath = FindDataPath(p.datapath);
  if (q.dataPath.isEmpty() || !QDir(q.dataPath + q.id).exists()) {
    err << "No data for monitor " << q.id << ": no folder " << q.dataPath + q.id << "\n";
    return 1;
  }
  const Report r = BuildReport(q);
  if (!r.HasData()) {
    err << "No data for monitor " << q.id << " from " << r.from.toString(Qt::ISODate) << " to "
        << r.to.toString(Qt::ISODate) << "\n";
    return 1;
  }
  QString error;
  if (!WriteOutputs(r, p.outputs, &error)) {
    err << error << "\n";
    return 2;
  }
  for (const QString& n : r.notes) err << "Note: " << n << "\n";
  return 0;
}

}  // namespace qmreport
