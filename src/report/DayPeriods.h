#pragma once

#include "report/Levels.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace qmreport {

// Day, evening and night start at these hours; the night runs into the next day until the day
// starts again.
struct Boundaries {
  int day = 7;
  int evening = 19;
  int night = 23;
  bool Valid() const { return 0 <= day && day < evening && evening < night && night <= 24; }
  int DayHours() const { return evening - day; }
  int EveningHours() const { return night - evening; }
  int NightHours() const { return 24 - night + day; }
};

struct DenLevels {
  double lday = NAN;
  double levening = NAN;
  double lnight = NAN;
  double lden = NAN;  // only when all three have values
};

// Lden from the three period levels, weighted by their hours, evening +5 dB and night +10 dB.
double Lden(double lday, double levening, double lnight, const Boundaries& b);

// The day's periods from its own file and, for the night after midnight, the next day's.
// `next` may be empty (then the night has only its hours before midnight).
DenLevels DayEveningNight(std::span<const float> today, std::span<const float> next,
                          const Boundaries& b);

// One row of the interval table: a wall-clock span of the day's file.
struct Interval {
  QString label;        // "hh:mm"
  int start = 0;        // second of the day in the file
  int length = 0;       // seconds
  bool repeat = false;  // a second pass through the same wall-clock time (clocks went back)
};

// The intervals of a day as the clock runs in `tz`: 24 hourly rows on an ordinary day, 23 when the
// clocks go forward and 25 when they go back.
QList<Interval> DayIntervals(const QDate& day, int minutes, const QTimeZone& tz);

// Hours the day has in `tz` (23, 24 or 25 on the usual changes).
double DayLengthHours(const QDate& day, const QTimeZone& tz);

}  // namespace qmreport
