#pragma once

#include "report/Levels.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// Reading the files the supervisor stores for one monitor and day. A damaged row is a gap, never a
// reason to stop; what could not be read is said in `problem`.
namespace qmreport {

// month folder and file name below the monitor folder, e.g. "2024-03/prf-07.csv"
QString DayFile(const QDate& day, const QString& stub);

struct ReadResult {
  bool present = false;  // the file exists and could be opened
  int badRows = 0;       // rows with a bad time or value
  QString problem;       // empty when the file was read whole
};

// One value per wall-clock second of the day, kGap where the file has none or it is unreadable.
struct PrfDay {
  std::vector<float> levels = std::vector<float>(kDaySeconds, kGap);
  ReadResult read;
  std::size_t Valid() const;
};

PrfDay ReadPrf(const QString& path);

// Rows of a periodic, alarm or calibration file as stored, split at ",". Empty slot rows are left
// out.
struct RecordTable {
  QString title;        // e.g. "Periodic 15 min"
  QStringList columns;  // from the file's header row; empty when it has none
  QList<QStringList> rows;
  ReadResult read;
};

RecordTable ReadRecords(const QString& path);

// The periodic files of a day that exist, in period order ("per-DD-PPPP.csv").
QList<int> PeriodsOnDisk(const QString& monitorFolder, const QDate& day);

}  // namespace qmreport
