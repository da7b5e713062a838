// Parsing and storing a first download of a year of one Quietmark-SE monitor's records, fed
// straight into the reply handlers in the order a monitor sends them: records per second, the
// time spent in the handlers and the peak resident memory. Lines are made one day at a time
// outside the timed part.
//   download_store_bench [DAYS]
#include "core/Clock.h"
#include "core/Text.h"
#include "download/DataFiles.h"
#include "download/TDownloader.h"
#include "supervisor/TSupervisor.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

QString DateFields(const QDate& d) {
  return QStringLiteral("%1&%2&%3").arg(d.year()).arg(d.month()).arg(d.day());
}

// Plausible tenths of a dB that change from row to row.
int Level(quint32& seed) {
  seed = seed * 1664525u + 1013904223u;
  return 450 + static_cast<int>(seed >> 24) % 300;
}

qint64 PeakRssKiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
  return 0;
}

struct Feed {
  TDownloader& d;
  TDTClient& c;
  qint64 nsecs = 0;
  qint64 lines = 0;
  QElapsedTimer timer;

  // Splits each line at "&" as the dispatcher does and calls its handler.
  void operator()(const QStringList& batch) {
    timer.start();
    for (const QString& line : batch) {
      const QStringList f = qmtext::SplitStrict(line, QLatin1Char('&'));
      bool ok = false;
      if (f[0] == QLatin1String("per"))
        ok = d.PerRx(c, f);
      else if (f[0] == QLatin1String("alm"))
        ok = d.AlmRx(c, f);
      else if (f[0] == QLatin1String("cal"))
        ok = d.CalRx(c, f);
      else
        ok = d.PrfRx(c, f);
      if (!ok) std::fprintf(stderr, "not handled: %s\n", qPrintable(line.left(80)));
    }
    nsecs += timer.nsecsElapsed();
    lines += batch.size();
  }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int days = argc > 1 ? QByteArray(argv[1]).toInt() : 365;
  QTemporaryDir dir;
  TCfg::Env env;
  env.allUsersDataFolder = dir.path() + "/";
  env.appDataFolder = env.allUsersDataFolder + "Brackenhall/Quietmark-SV/";
  TSupervisor sup(nullptr, TSupervisor::Options{{"bench"}, env, false});
  const QDateTime now = QDateTime::currentDateTime();
  qmclock::SetSource([now] { return now; });

  TDTClient client;
  client.sID = "BENCH-SE";
  client.sType = "Quietmark-SE";
  client.bConnected = true;
  Feed feed{sup.Downloader(), client, 0, 0, {}};
  const QDate today = now.date();
  const QDate first = today.addDays(-days);
  const QString end = DateFields(today);
  qint64 records = 0, values = 0;
  quint32 seed = 1;

  for (int p : qmfiles::kPeriods) {
    const QString head = QStringLiteral("per&%1&") + QString::number(p) + QLatin1Char('&');
    for (QDate d = first; d < today; d = d.addDays(1)) {
      const QString prefix = head.arg(DateFields(d));
      QStringList batch{prefix + ".time,laeq,lmax,l10,l90"};
      for (int m = 0; m < 1440; m += p) {
        batch << prefix + qmfiles::TimeText(m * 60) +
                     QStringLiteral(",%1,%2,%3,%4")
                         .arg(Level(seed))
                         .arg(Level(seed) + 100)
                         .arg(Level(seed) + 30)
                         .arg(Level(seed) - 50);
      }
      records += batch.size() - 1;
      feed(batch);
    }
    feed({head.arg(end) + ".end"});
  }
  for (QDate d = first; d < today; d = d.addDays(1)) {
    const QString prefix = "alm&" + DateFields(d) + "&";
    QStringList rows;
    for (int i = 0; i < 24; ++i)
      rows << qmfiles::TimeText(i * 3600 + 1234) + QStringLiteral(",9,%1.0").arg(Level(seed) / 10);
    records += rows.size();
    feed({prefix + ".time,duration,lmax", prefix + rows.join(';')});
  }
  feed({"alm&" + end + "&.end"});
  for (QDate d = first; d < today; d = d.addDays(1)) {
    const QString prefix = "cal&" + DateFields(d) + "&";
    records += 1;
    feed({prefix + ".time,reference,offset", prefix + "06:00:00,94.0,-0.2"});
  }
  feed({"cal&" + end + "&.end"});
  for (QDate d = first; d < today; d = d.addDays(1)) {
    const QString prefix = "prf&" + DateFields(d) + "&";
    QStringList batch{prefix + ".time&laeq"};
    for (int block = 0; block < 86400; block += 600) {
      QStringList v;
      for (int s = 0; s < 600; ++s) v << QString::number(Level(seed));
      batch << prefix + qmfiles::TimeText(block) + "&" + v.join(',');
    }
    values += 86400;
    feed(batch);
  }
  feed({"prf&" + end + "&.end&0"});

  int files = 0;
  QDirIterator it(client.Folder(), {"*.csv"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    ++files;
  }
  const double secs = feed.nsecs / 1e9;
  std::printf(
      "%d days of one Quietmark-SE: %lld lines, %lld periodic/alarm/calibration records "
      "and %lld prf values\n",
      days, feed.lines, records, values);
  std::printf(
      "handlers: %.1f s, %.0f records+values/s, %.0f lines/s, %d files, peak RSS %.1f "
      "MiB\n",
      secs, (records + values) / secs, feed.lines / secs, files, PeakRssKiB() / 1024.0);
  qmclock::SetSource({});
  return 0;
}
