#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>

// Where a download starts: after the newest row stored below a monitor's folder. What a file
// holds is remembered by its modification time and size, so a cycle over many monitors reads a
// file only when it has changed.
class TStartTimes {
 public:
  static const QDate kFloor;  // 2016-09-10: no earlier day is searched
  // Coarsest file time resolution of the file systems a data path may be on (FAT: 2 s).
  static constexpr qint64 kRacyMs = 2000;

  // sStub "alm", "cal" or "prf": one second after the newest filled row.
  QDateTime LastDateTime(const QString& monitorFolder, const QString& sID, const QString& sStub,
                         const QDate& today);
  // The periodic file of nPeriod minutes: the newest filled row itself.
  QDateTime LastPerDateTime(const QString& monitorFolder, const QString& sID, int nPeriod,
                            const QDate& today);

 private:
  struct Scan {
    qint64 mtime = 0;
    qint64 size = -1;
    bool twoLines = false;
    // Newest filled row whose time converts, scanning from the end; for the day kinds the scan
    // stops at the first filled row, convertible or not.
    std::optional<int> seconds;
    int conversionFailures = 0;
  };
  using Files = QHash<QString, Scan>;
  // The scan of one file, from `known` when the file has not changed since; kept in `seen`.
  std::optional<Scan> ScanFile(const QString& path, bool stopAtFirstFilled, const Files& known,
                               Files& seen);
  // Visits the days that have a file named by `name` below the monitor folder, with the file's
  // path, newest first, not after today and not before the floor, until the visitor returns true.
  template <class Name, class Visit>
  bool ForEachDayWithFile(const QString& monitorFolder, const QDate& today, Name name, Visit visit);

  // Per search (monitor folder and kind): the files its last run looked at. Older files drop
  // out as new days begin, so the cache does not grow with the days the program runs.
  QHash<QString, Files> cache_;
};
