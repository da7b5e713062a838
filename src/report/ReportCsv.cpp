#include "report/ReportCsv.h"

#include "core/Text.h"

#include <QStringList>

namespace qmreport {

namespace {
QString Field(double v, int decimals = 1) {
  return std::isnan(v) ? QString() : QString::number(v, 'f', decimals);
}
}  // namespace

QByteArray ReportCsv(const Report& r) {
  QStringList lines;
  if (r.MultiDay()) {
    lines << QStringLiteral("date,hours,LAeq,Lday,Levening,Lnight,Lden,LAmax,alarms,coverage");
    for (const DayRow& d : r.days)
      lines << QStringList{d.date.toString(Qt::ISODate),
                           QString::number(d.hours),
                           Field(d.laeq),
                           Field(d.den.lday),
                           Field(d.den.levening),
                           Field(d.den.lnight),
                           Field(d.den.lden),
                           Field(d.lmax),
                           QString::number(d.alarms),
                           Field(d.coverage, 3)}
                   .join(QLatin1Char(','));
  } else {
    lines << QStringLiteral("date,start,minutes,LAeq,LAmax,LAmin,LA10,LA90,coverage");
    const QString date = r.from.toString(Qt::ISODate);
    for (const IntervalRow& ir : r.intervals) {
      const IntervalStats& s = ir.stats;
      lines << QStringList{date,          ir.at.label,   QString::number(ir.at.length / 60),
                           Field(s.laeq), Field(s.lmax), Field(s.lmin),
                           Field(s.l10),  Field(s.l90),  Field(s.Coverage(), 3)}
                   .join(QLatin1Char(','));
    }
  }
  return qmtext::JoinCrLf(lines);
}

}  // namespace qmreport
