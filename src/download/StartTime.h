#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <map>
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

  // The newest filled row of a file whose time converts, scanning from the end; for the day
  // kinds the scan stops at the first filled row, convertible or not.
  struct Newest {
    bool twoLines = false;
    std::optional<int> seconds;
  };
  // Days whose files a start time may come from, by day.
  using Days = std::map<QDate, Newest>;
  // Whether a file counts for the start time: the periodic kind needs a filled row whose time
  // converts, the others two lines.
  static bool Counts(const Newest& newest, bool per);
  // The start time a counting file gives.
  static QDateTime StartOf(const QDate& day, const Newest& newest, bool per);
  // The same scan over lines in memory; unconvertible filled rows passed are added to *failures.
  static Newest NewestOfLines(const QStringList& lines, bool stopAtFirstFilled,
                              int* failures = nullptr);

  // The disk search of one kind ("alm", "cal", "prf", "per5" ... "per60"): the newest day not
  // after today whose file counts, and every later day's file that counts (a monitor's clock may
  // run ahead of the PC's). Unconvertible filled rows met are added to *failures.
  Days Search(const QString& monitorFolder, const QString& key, const QDate& today, int* failures);

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
  // path, newest first and not before the floor, until the visitor returns true.
  template <class Name, class Visit>
  bool ForEachDayWithFile(const QString& monitorFolder, Name name, Visit visit);
  QDateTime LastFrom(const Days& days, bool per, const QDate& today, const QString& sID,
                     const QString& kind);

  // Per search (monitor folder and kind): the files its last run looked at. Older files drop
  // out as new days begin, so the cache does not grow with the days the program runs.
  QHash<QString, Files> cache_;
};
