#pragma once

#include "report/DataFolder.h"
#include "report/DayFiles.h"
#include "report/DayPeriods.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <atomic>
#include <functional>
#include <vector>

namespace qmreport {

enum class Kind { Day, Week, Month };

struct Request {
  QString dataPath;  // with trailing separator
  QString id;
  QDate day;
  Kind kind = Kind::Day;
  int interval = 60;  // minutes: 5, 15, 30 or 60
  Boundaries bounds;
  QTimeZone tz = QTimeZone::systemTimeZone();
};

bool ValidInterval(int minutes);
// First and last day a report of this kind covers: the day, its week from Monday, its month.
std::pair<QDate, QDate> Span(const QDate& day, Kind kind);

struct IntervalRow {
  Interval at;
  IntervalStats stats;
};

struct DayRow {
  QDate date;
  DenLevels den;
  double laeq = NAN;  // whole day
  double lmax = NAN;
  int alarms = 0;
  double coverage = 0;
  double hours = 24;  // 23 or 25 on a daylight-saving change
};

struct Report {
  Request request;
  MonitorInfo monitor;
  bool termCfg = false;  // the folder has a term.cfg
  QDate from, to;        // inclusive

  // A day report: the seconds of the day, its intervals and records as stored.
  std::vector<float> seconds;
  QList<IntervalRow> intervals;
  QList<RecordTable> periodic;

  // Every report: the day rows (one for a day report), alarms and calibrations of the span.
  QList<DayRow> days;
  DenLevels den;        // a day report's periods; the energy mean of the days otherwise
  IntervalStats total;  // all valid seconds of the span
  RecordTable alarms;   // time, duration, level as stored (a date column first over several days)
  RecordTable calibrations;

  QStringList dstNotes;     // days of 23 or 25 hours
  QStringList notes;        // files that could not be read whole
  std::size_t records = 0;  // periodic, alarm and calibration rows

  bool HasData() const { return total.valid > 0 || records > 0; }
  bool MultiDay() const { return request.kind != Kind::Day; }
};

// Reads the files of the span and computes every table. `progress(done, total)` is called after
// each file read; a set `cancel` stops early (the result is then incomplete).
Report BuildReport(const Request& request, const std::function<void(int, int)>& progress = {},
                   const std::atomic_bool* cancel = nullptr);

QString KindName(Kind kind);                 // "Daily", "Weekly", "Monthly"
QString Number(double v, int decimals = 1);  // "." decimals; "-" for no value

}  // namespace qmreport
