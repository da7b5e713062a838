#include "e2e/SupervisorProcess.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>

#include <gtest/gtest.h>

namespace {

using qmtest::SupervisorProcess;

struct Outcome {
  int code = -1;
  QString out, err;
};

Outcome Reporter(const SupervisorProcess& sv, const QStringList& args) {
  QProcess p;
  p.setProcessEnvironment(sv.Environment());
  p.start(SupervisorProcess::Binary("quietmarkrp"), args);
  Outcome r;
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
  r.err = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

// The hourly energy means of a prf file, computed here from its rows.
QMap<int, double> HourlyLaeq(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
  QMap<int, std::pair<double, int>> sums;
  const QList<QByteArray> lines = f.readAll().split('\n');
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QList<QByteArray> fields = lines[i].trimmed().split(',');
    bool ok = false;
    const double v = fields.value(1).toDouble(&ok);
    if (!ok) continue;
    auto& s = sums[fields[0].left(2).toInt()];
    s.first += std::pow(10.0, v / 10.0);
    ++s.second;
  }
  QMap<int, double> hours;
  for (auto it = sums.begin(); it != sums.end(); ++it)
    hours[it.key()] = 10.0 * std::log10(it->first / it->second);
  return hours;
}

int PdfPages(const QString& pdf) {
  QProcess p;
  p.start("pdfinfo", {pdf});
  if (!p.waitForFinished(30000)) return -1;
  const auto m = QRegularExpression(R"(Pages:\s+(\d+))").match(QString(p.readAllStandardOutput()));
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Width and height from a PNG's signature and IHDR chunk; 0 x 0 when it is not a PNG.
QSize PngSize(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray b = f.read(24);
  if (b.size() < 24 || !b.startsWith("\x89PNG\r\n\x1a\n") || b.mid(12, 4) != "IHDR") return {};
  auto be32 = [&](int at) {
    return (uchar(b[at]) << 24) | (uchar(b[at + 1]) << 16) | (uchar(b[at + 2]) << 8) |
           uchar(b[at + 3]);
  };
  return QSize(be32(16), be32(20));
}

TEST(Reporter, ReportsOfAPastDayFromTheSimulatedFleet) {
  ASSERT_FALSE(QStandardPaths::findExecutable("pdfinfo").isEmpty()) << "poppler-utils missing";
  SupervisorProcess sv;
  ASSERT_TRUE(sv.Start({}));
  {
    QProcess sim;
    sim.start(SupervisorProcess::Binary("qmsim"),
              {"--port", QString::number(sv.Port()), "--type", "mix", "--count", "3", "--days", "3",
               "--no-discovery", "--id-prefix", "RP-", "-v"});
    // Every end marker of the first download: 8 for the SE, 7 for the NG.
    QByteArray output;
    QElapsedTimer timer;
    timer.start();
    while (output.count("&.end") < 15 && timer.elapsed() < 90000) {
      sim.waitForReadyRead(100);
      output += sim.readAllStandardOutput();
    }
    ASSERT_GE(output.count("&.end"), 15);
    QThread::msleep(1500);
    sim.kill();
    sim.waitForFinished();
  }
  ASSERT_EQ(sv.Stop(), 0);

  const QDate day = QDate::currentDate().addDays(-2);
  QTemporaryDir out;
  for (const QString id : {"RP-002", "RP-003"}) {  // Quietmark-NG and Quietmark-SE
    SCOPED_TRACE(id.toStdString());
    const QString stem = out.path() + "/" + id;
    QStringList args{"--monitor", id,
                     "--day",     day.toString(Qt::ISODate),
                     "--pdf",     stem + ".pdf",
                     "--csv",     stem + ".csv",
                     "--png",     stem + ".png"};
    // The SE finds the data folder through the supervisor's settings, the NG is told it.
    if (id == "RP-002") args += {"--datapath", sv.DataPath()};
    const Outcome r = Reporter(sv, args);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_GE(PdfPages(stem + ".pdf"), 1);
    EXPECT_GE(PngSize(stem + ".png").width(), 100);

    const QMap<int, double> expected = HourlyLaeq(
        sv.DataPath() + id + "/" + day.toString("yyyy-MM") + "/prf-" + day.toString("dd") + ".csv");
    ASSERT_FALSE(expected.isEmpty());
    QFile csv(stem + ".csv");
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = csv.readAll().split('\n');
    EXPECT_TRUE(rows[0].startsWith("date,start,minutes,LAeq,"));
    int compared = 0;
    for (qsizetype i = 1; i < rows.size(); ++i) {
      const QList<QByteArray> f = rows[i].trimmed().split(',');
      if (f.size() < 4 || f[3].isEmpty()) continue;
      const int hour = f[1].left(2).toInt();
      EXPECT_NEAR(f[3].toDouble(), expected.value(hour), 0.051) << rows[i].toStdString();
      ++compared;
    }
    EXPECT_EQ(compared, expected.size());
  }

  // A week of the SE, and a monitor without stored data (the Calmpoint-DT) exits with 1.
  Outcome r = Reporter(sv, {"--monitor", "RP-003", "--day", day.toString(Qt::ISODate), "--week",
                            "--csv", out.path() + "/week.csv"});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  r = Reporter(sv, {"--monitor", "RP-001", "--day", day.toString(Qt::ISODate), "--csv",
                    out.path() + "/dt.csv"});
  EXPECT_EQ(r.code, 1) << r.err.toStdString();
}

}  // namespace
