#include "download/StartTime.h"

#include "core/EventLog.h"
#include "download/DataFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

const QDate TStartTimes::kFloor(2016, 9, 10);

namespace {
// The wall-clock time of day, so a day with a daylight-saving change keeps its row times.
QDateTime At(const QDate& day, int seconds) {
  if (seconds >= 86400) return QDateTime(day.addDays(1), QTime(0, 0));
  return QDateTime(day, QTime::fromMSecsSinceStartOfDay(seconds * 1000));
}
}  // namespace

template <class Name, class Visit>
bool TStartTimes::ForEachDayWithFile(const QString& monitorFolder, const QDate& today, Name name,
                                     Visit visit) {
  // Listing the month folders and their files finds the same days, newest first, as checking
  // every day back to the floor, without thousands of look-ups for a monitor with little data;
  // the walk stops at the first day the visitor takes. Usually today's file is there and ends
  // the walk: it is looked at first, without listing anything.
  const auto path = [&](const QDate& day) {
    return monitorFolder + QLatin1Char('/') + qmfiles::MonthFolder(day.year(), day.month()) +
           QLatin1Char('/') + name(day.day());
  };
  const bool probed = today >= kFloor && QFileInfo(path(today)).isFile();
  if (probed && visit(today, path(today))) return true;
  QStringList months = QDir(monitorFolder)
                           .entryList({QStringLiteral("[0-9][0-9][0-9][0-9]-[0-9][0-9]")},
                                      QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  std::reverse(months.begin(), months.end());
  for (const QString& month : months) {
    const QDate first =
        QDate::fromString(month + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
    if (!first.isValid() || first > today || first.addMonths(1) <= kFloor) continue;
    const QStringList list =
        QDir(monitorFolder + QLatin1Char('/') + month).entryList(QDir::Files, QDir::NoSort);
    const QSet<QString> files(list.begin(), list.end());
    for (int d = first.daysInMonth(); d >= 1; --d) {
      const QDate day(first.year(), first.month(), d);
      if (day > today || day < kFloor || (probed && day == today) || !files.contains(name(d)))
        continue;
      if (visit(day, path(day))) return true;
    }
  }
  return false;
}

std::optional<TStartTimes::Scan> TStartTimes::ScanFile(const QString& path, bool stopAtFirstFilled,
                                                       const Files& known, Files& seen) {
  const QFileInfo info(path);
  const qint64 mtime = info.lastModified().toMSecsSinceEpoch();
  const auto it = known.constFind(path);
  if (it != known.constEnd() && it->size == info.size() && it->mtime == mtime) {
    seen.insert(path, *it);
    return *it;
  }
  Scan scan;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  // Walk back from the end over the raw bytes: only the rows looked at become strings.
  const QByteArray bytes = file.readAll();
  scan.mtime = mtime;
  scan.size = info.size();
  qsizetype end = bytes.size();
  if (end > 0 && bytes[end - 1] == '\n') --end;  // the last line's terminator
  const qsizetype firstBreak = bytes.indexOf('\n');
  scan.twoLines = firstBreak >= 0 && firstBreak < end;
  while (scan.twoLines && end > firstBreak) {
    const qsizetype start = bytes.lastIndexOf('\n', end - 1) + 1;  // > firstBreak here
    qsizetype stop = end;
    if (stop > start && bytes[stop - 1] == '\r') --stop;
    const QString row = QString::fromLatin1(bytes.constData() + start, stop - start);
    end = start - 1;
    if (!qmfiles::Filled(row)) continue;
    scan.seconds = qmfiles::RowTime(row);
    if (scan.seconds || stopAtFirstFilled) {
      if (!scan.seconds) ++scan.conversionFailures;
      break;
    }
    ++scan.conversionFailures;
  }
  // A file written within the file system's time resolution of this scan may change again
  // without its time or size changing: such a scan is not kept. File times are compared with the
  // file system's clock, not the program's.
  if (QDateTime::currentMSecsSinceEpoch() - mtime > kRacyMs) seen.insert(path, scan);
  return scan;
}

QDateTime TStartTimes::LastDateTime(const QString& monitorFolder, const QString& sID,
                                    const QString& sStub, const QDate& today) {
  Files& known = cache_[monitorFolder + QLatin1Char('|') + sStub];
  Files seen;
  QDateTime result;
  const bool found = ForEachDayWithFile(
      monitorFolder, today, [&](int d) { return qmfiles::DayFileName(sStub, d); },
      [&](const QDate& day, const QString& path) {
        const auto scan = ScanFile(path, true, known, seen);
        if (!scan || !scan->twoLines) return false;
        if (scan->conversionFailures) LogMsg(QStringLiteral("Integer conversion failed"));
        result = scan->seconds ? At(day, *scan->seconds + 1) : At(day, 0);
        return true;
      });
  known = std::move(seen);
  if (found) return result;
  LogDebug(sID + QStringLiteral(":No ") + sStub +
           QStringLiteral(" data files found, requesting complete download"));
  return At(kFloor.addDays(-1), 0);
}

QDateTime TStartTimes::LastPerDateTime(const QString& monitorFolder, const QString& sID,
                                       int nPeriod, const QDate& today) {
  Files& known = cache_[monitorFolder + QStringLiteral("|per") + QString::number(nPeriod)];
  Files seen;
  QDateTime result;
  const bool found = ForEachDayWithFile(
      monitorFolder, today, [&](int d) { return qmfiles::PerFileName(d, nPeriod); },
      [&](const QDate& day, const QString& path) {
        const auto scan = ScanFile(path, false, known, seen);
        if (!scan) return false;
        for (int i = 0; i < scan->conversionFailures; ++i)
          LogMsg(QStringLiteral("Integer conversion failed"));
        if (!scan->twoLines || !scan->seconds) return false;
        result = At(day, *scan->seconds);
        return true;
      });
  known = std::move(seen);
  if (found) return result;
  LogDebug(sID + QStringLiteral(":No per data files found, requesting complete download"));
  return At(kFloor.addDays(-1), 0);
}
