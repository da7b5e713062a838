#include "download/StartTime.h"

#include "core/EventLog.h"
#include "download/DataFiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

const QDate TStartTimes::kFloor(2016, 9, 10);

template <class Name>
QList<QDate> TStartTimes::DaysWithFiles(const QString& monitorFolder, const QDate& today,
                                        Name name) {
  // Listing the month folders and their files finds the same days as checking every day back
  // to the floor, without thousands of look-ups for a monitor with little data.
  QList<QDate> days;
  const QStringList months = QDir(monitorFolder)
                                 .entryList({QStringLiteral("[0-9][0-9][0-9][0-9]-[0-9][0-9]")},
                                            QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& month : months) {
    const QDate first =
        QDate::fromString(month + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
    if (!first.isValid() || first > today || first.addMonths(1) <= kFloor) continue;
    if (qmfiles::MonthFolder(first.year(), first.month()) != month) continue;
    const QSet<QString> files = [&] {
      const QStringList list =
          QDir(monitorFolder + QLatin1Char('/') + month).entryList(QDir::Files);
      return QSet<QString>(list.begin(), list.end());
    }();
    for (int d = 1; d <= first.daysInMonth(); ++d) {
      const QDate day(first.year(), first.month(), d);
      if (day > today || day < kFloor) continue;
      if (files.contains(name(d))) days << day;
    }
  }
  std::sort(days.begin(), days.end(), std::greater<QDate>());
  return days;
}

const TStartTimes::Scan* TStartTimes::ScanFile(const QString& path, bool stopAtFirstFilled) {
  const QFileInfo info(path);
  const QString key = path + (stopAtFirstFilled ? QStringLiteral("|1") : QStringLiteral("|0"));
  const qint64 mtime = info.lastModified().toMSecsSinceEpoch();
  Scan& scan = cache_[key];
  if (scan.size == info.size() && scan.mtime == mtime) return &scan;
  scan = Scan{};
  const auto lines = qmfiles::Load(path);
  if (!lines) return nullptr;
  scan.mtime = mtime;
  scan.size = info.size();
  scan.twoLines = lines->size() >= 2;
  for (qsizetype i = lines->size() - 1; i >= 1; --i) {
    if (!qmfiles::Filled((*lines)[i])) continue;
    scan.seconds = qmfiles::RowTime((*lines)[i]);
    if (scan.seconds || stopAtFirstFilled) {
      if (!scan.seconds) ++scan.conversionFailures;
      break;
    }
    ++scan.conversionFailures;
  }
  return &scan;
}

namespace {
QDateTime At(const QDate& day, int seconds) { return QDateTime(day, QTime(0, 0)).addSecs(seconds); }
}  // namespace

QDateTime TStartTimes::LastDateTime(const QString& monitorFolder, const QString& sID,
                                    const QString& sStub, const QDate& today) {
  const QString monitor = monitorFolder;
  for (const QDate& day :
       DaysWithFiles(monitor, today, [&](int d) { return qmfiles::DayFileName(sStub, d); })) {
    const QString path = monitor + QLatin1Char('/') +
                         qmfiles::MonthFolder(day.year(), day.month()) + QLatin1Char('/') +
                         qmfiles::DayFileName(sStub, day.day());
    const Scan* scan = ScanFile(path, true);
    if (!scan || !scan->twoLines) continue;
    if (scan->conversionFailures) LogMsg(QStringLiteral("Integer conversion failed"));
    return scan->seconds ? At(day, *scan->seconds + 1) : At(day, 0);
  }
  LogDebug(sID + QStringLiteral(":No ") + sStub +
           QStringLiteral(" data files found, requesting complete download"));
  return At(kFloor.addDays(-1), 0);
}

QDateTime TStartTimes::LastPerDateTime(const QString& monitorFolder, const QString& sID,
                                       int nPeriod, const QDate& today) {
  for (const QDate& day : DaysWithFiles(monitorFolder, today,
                                        [&](int d) { return qmfiles::PerFileName(d, nPeriod); })) {
    const QString path = monitorFolder + QLatin1Char('/') +
                         qmfiles::MonthFolder(day.year(), day.month()) + QLatin1Char('/') +
                         qmfiles::PerFileName(day.day(), nPeriod);
    const Scan* scan = ScanFile(path, false);
    if (!scan) continue;
    for (int i = 0; i < scan->conversionFailures; ++i)
      LogMsg(QStringLiteral("Integer conversion failed"));
    if (scan->twoLines && scan->seconds) return At(day, *scan->seconds);
  }
  LogDebug(sID + QStringLiteral(":No per data files found, requesting complete download"));
  return At(kFloor.addDays(-1), 0);
}
