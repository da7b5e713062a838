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
bool TStartTimes::ForEachDayWithFile(const QString& monitorFolder, Name name, Visit visit) {
  // Listing the month folders and their files finds the same days, newest first, as checking
  // every day back to the floor, without thousands of look-ups for a monitor with little data;
  // the walk stops at the first day the visitor takes.
  QStringList months = QDir(monitorFolder)
                           .entryList({QStringLiteral("[0-9][0-9][0-9][0-9]-[0-9][0-9]")},
                                      QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  std::reverse(months.begin(), months.end());
  for (const QString& month : months) {
    const QDate first =
        QDate::fromString(month + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
    if (!first.isValid() || first.addMonths(1) <= kFloor) continue;
    const QStringList list =
        QDir(monitorFolder + QLatin1Char('/') + month).entryList(QDir::Files, QDir::NoSort);
    const QSet<QString> files(list.begin(), list.end());
    for (int d = first.daysInMonth(); d >= 1; --d) {
      const QDate day(first.year(), first.month(), d);
      if (day < kFloor || !files.contains(name(d))) continue;
      if (visit(day, monitorFolder + QLatin1Char('/') + month + QLatin1Char('/') + name(d)))
        return true;
    }
  }
  return false;
}

bool TStartTimes::Counts(const Newest& newest, bool per) {
  return newest.twoLines && (!per || newest.seconds);
}

QDateTime TStartTimes::StartOf(const QDate& day, const Newest& newest, bool per) {
  if (per) return At(day, *newest.seconds);
  return newest.seconds ? At(day, *newest.seconds + 1) : At(day, 0);
}

TStartTimes::Newest TStartTimes::NewestOfLines(const QStringList& lines, bool stopAtFirstFilled,
                                               int* failures) {
  Newest newest;
  newest.twoLines = lines.size() >= 2;
  for (qsizetype i = lines.size() - 1; i >= 1; --i) {
    if (!qmfiles::Filled(lines[i])) continue;
    newest.seconds = qmfiles::RowTime(lines[i]);
    if (!newest.seconds && failures) ++*failures;
    if (newest.seconds || stopAtFirstFilled) break;
  }
  return newest;
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

TStartTimes::Days TStartTimes::Search(const QString& monitorFolder, const QString& key,
                                      const QDate& today, int* failures) {
  const bool per = key.startsWith(QLatin1String("per"));
  const int period = per ? key.mid(3).toInt() : 0;
  Files& known = cache_[monitorFolder + QLatin1Char('|') + key];
  Files seen;
  Days days;
  ForEachDayWithFile(
      monitorFolder,
      [&](int d) { return per ? qmfiles::PerFileName(d, period) : qmfiles::DayFileName(key, d); },
      [&](const QDate& day, const QString& path) {
        const auto scan = ScanFile(path, !per, known, seen);
        if (!scan) return false;
        *failures += scan->conversionFailures;
        const Newest newest{scan->twoLines, scan->seconds};
        if (!Counts(newest, per)) return false;
        days[day] = newest;
        return day <= today;
      });
  known = std::move(seen);
  return days;
}

QDateTime TStartTimes::LastFrom(const Days& days, bool per, const QDate& today, const QString& sID,
                                const QString& kind) {
  for (auto it = days.rbegin(); it != days.rend(); ++it)
    if (it->first <= today) return StartOf(it->first, it->second, per);
  LogDebug(sID + QStringLiteral(":No ") + kind +
           QStringLiteral(" data files found, requesting complete download"));
  return At(kFloor.addDays(-1), 0);
}

QDateTime TStartTimes::LastDateTime(const QString& monitorFolder, const QString& sID,
                                    const QString& sStub, const QDate& today) {
  int failures = 0;
  const Days days = Search(monitorFolder, sStub, today, &failures);
  if (failures) LogMsg(QStringLiteral("Integer conversion failed"));
  return LastFrom(days, false, today, sID, sStub);
}

QDateTime TStartTimes::LastPerDateTime(const QString& monitorFolder, const QString& sID,
                                       int nPeriod, const QDate& today) {
  int failures = 0;
  const Days days =
      Search(monitorFolder, QStringLiteral("per") + QString::number(nPeriod), today, &failures);
  for (int i = 0; i < failures; ++i) LogMsg(QStringLiteral("Integer conversion failed"));
  return LastFrom(days, true, today, sID, QStringLiteral("per"));
}
