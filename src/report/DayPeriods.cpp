#include "report/DayPeriods.h"

#include <QDateTime>
#include <QSet>

namespace qmreport {

namespace {
void AddRange(Energy& e, std::span<const float> levels, int fromHour, int toHour) {
  const auto from = std::size_t(fromHour) * 3600;
  const auto to = std::min(std::size_t(toHour) * 3600, levels.size());
  for (std::size_t i = from; i < to; ++i)
    if (!IsGap(levels[i])) e.Add(levels[i]);
}
}  // namespace

double Lden(double lday, double levening, double lnight, const Boundaries& b) {
  if (std::isnan(lday) || std::isnan(levening) || std::isnan(lnight)) return NAN;
  const double sum = b.DayHours() * std::pow(10.0, lday / 10.0) +
                     b.EveningHours() * std::pow(10.0, (levening + 5.0) / 10.0) +
                     b.NightHours() * std::pow(10.0, (lnight + 10.0) / 10.0);
  return 10.0 * std::log10(sum / 24.0);
}

DenLevels DayEveningNight(std::span<const float> today, std::span<const float> next,
                          const Boundaries& b) {
  Energy d, e, n;
  AddRange(d, today, b.day, b.evening);
  AddRange(e, today, b.evening, b.night);
  AddRange(n, today, b.night, 24);
  AddRange(n, next, 0, b.day);
  DenLevels r;
  r.lday = d.Level();
  r.levening = e.Level();
  r.lnight = n.Level();
  r.lden = Lden(r.lday, r.levening, r.lnight, b);
  return r;
}

double DayLengthHours(const QDate& day, const QTimeZone& tz) {
  const QDateTime start = day.startOfDay(tz);
  const QDateTime end = day.addDays(1).startOfDay(tz);
  return double(start.secsTo(end)) / 3600.0;
}

QList<Interval> DayIntervals(const QDate& day, int minutes, const QTimeZone& tz) {
  QList<Interval> list;
  const int step = std::max(1, minutes) * 60;
  const QDateTime start = day.startOfDay(tz);
  const QDateTime end = day.addDays(1).startOfDay(tz);
  QSet<int> seen;
  // Walk real time; the wall clock of each step names the rows of the file it covers.
  for (QDateTime t = start; t < end; t = t.addSecs(step)) {
    const int wall = t.toTimeZone(tz).time().msecsSinceStartOfDay() / 1000;
    const int slot = wall / step * step;
    const qint64 left = t.secsTo(end);
    Interval iv;
    iv.start = slot;
    iv.length = int(std::min<qint64>(step, std::min<qint64>(left, kDaySeconds - slot)));
    iv.label = QStringLiteral("%1:%2")
                   .arg(slot / 3600, 2, 10, QLatin1Char('0'))
                   .arg(slot / 60 % 60, 2, 10, QLatin1Char('0'));
    iv.repeat = seen.contains(slot);
    seen.insert(slot);
    list.append(iv);
  }
  return list;
}

}  // namespace qmreport
