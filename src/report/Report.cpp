#include "report/Report.h"

#include <QFileInfo>

namespace qmreport {

bool ValidInterval(int minutes) {
  return minutes == 5 || minutes == 15 || minutes == 30 || minutes == 60;
}

std::pair<QDate, QDate> Span(const QDate& day, Kind kind) {
  switch (kind) {
    case Kind::Week: {
      const QDate monday = day.addDays(1 - day.dayOfWeek());
      return {monday, monday.addDays(6)};
    }
    case Kind::Month: {
      const QDate first(day.year(), day.month(), 1);
      return {first, first.addDays(first.daysInMonth() - 1)};
    }
    case Kind::Day:
      break;
  }
  return {day, day};
}

QString KindName(Kind kind) {
  switch (kind) {
    case Kind::Week:
      return QStringLiteral("Weekly");
    case Kind::Month:
      return QStringLiteral("Monthly");
    case Kind::Day:
      break;
  }
  return QStringLiteral("Daily");
}

QString Number(double v, int decimals) {
  if (std::isnan(v)) return QStringLiteral("-");
  return QString::number(v, 'f', decimals);
}

namespace {

class Builder {
 public:
  Builder(const Request& req, Report& r) : req_(req), r_(r) {
    folder_ = req.dataPath + req.id + QLatin1Char('/');
  }

  void Note(const QString& file, const ReadResult& read) {
    if (!read.problem.isEmpty()) r_.notes.append(file + QStringLiteral(": ") + read.problem);
  }

  PrfDay Prf(const QDate& d) {
    const QString rel = DayFile(d, QStringLiteral("prf"));
    PrfDay day = ReadPrf(folder_ + rel);
    Note(req_.id + QLatin1Char('/') + rel, day.read);
    return day;
  }

  RecordTable Records(const QString& rel, const QString& title) {
    RecordTable t = ReadRecords(folder_ + rel);
    t.title = title;
    Note(req_.id + QLatin1Char('/') + rel, t.read);
    r_.records += std::size_t(t.rows.size());
    return t;
  }

  // Appends a day's alarm or calibration rows to the span's table.
  void Merge(RecordTable& into, const RecordTable& day, const QDate& d, bool withDate) {
    if (into.columns.isEmpty() && !day.columns.isEmpty()) {
      into.columns = day.columns;
      if (withDate) into.columns.prepend(QStringLiteral("date"));
    }
    for (QStringList row : day.rows) {
      if (withDate) row.prepend(d.toString(Qt::ISODate));
      into.rows.append(row);
    }
  }

  QString folder_;
  const Request& req_;
  Report& r_;
};

}  // namespace

Report BuildReport(const Request& req, const std::function<void(int, int)>& progress,
                   const std::atomic_bool* cancel) {
  Report r;
  r.request = req;
  r.monitor = ReadMonitor(req.dataPath, req.id);
  r.termCfg = QFileInfo::exists(req.dataPath + req.id + QStringLiteral("/term.cfg"));
  std::tie(r.from, r.to) = Span(req.day, req.kind);
  r.alarms.title = QStringLiteral("Exceedances (alarm records)");
  r.calibrations.title = QStringLiteral("Calibration checks");
  if (!r.termCfg)
    r.notes.append(req.id + QStringLiteral("/term.cfg: missing; name and type unknown"));

  Builder b(req, r);
  const bool multi = r.MultiDay();
  const int dayCount = int(r.from.daysTo(r.to)) + 1;
  // Each day: its prf, alarm and calibration files, plus the prf after the last night.
  const int totalFiles = dayCount * 3 + 1;
  int done = 0;
  auto step = [&] {
    ++done;
    if (progress) progress(done, totalFiles);
  };

  Energy dayE, eveE, nightE;
  Energy all;
  std::vector<float> allValid;
  PrfDay today = b.Prf(r.from);
  step();
  for (QDate d = r.from; d <= r.to; d = d.addDays(1)) {
    if (cancel && cancel->load()) break;
    PrfDay next = b.Prf(d.addDays(1));
    step();
    const std::span<const float> secs(today.levels);

    DayRow row;
    row.date = d;
    row.hours = DayLengthHours(d, req.tz);
    row.den = DayEveningNight(secs, next.levels, req.bounds);
    const IntervalStats whole = Stats(secs);
    row.laeq = whole.laeq;
    row.lmax = whole.lmax;
    row.coverage = std::min(1.0, double(whole.valid) / (row.hours * 3600.0));
    if (row.hours != 24)
      r.dstNotes.append(
          d.toString(Qt::ISODate) +
          QStringLiteral(
              " has %1 hours (daylight-saving change); the rows follow the wall clock of the files")
              .arg(row.hours));

    const RecordTable alm = b.Records(DayFile(d, QStringLiteral("alm")), r.alarms.title);
    step();
    const RecordTable cal = b.Records(DayFile(d, QStringLiteral("cal")), r.calibrations.title);
    step();
    row.alarms = int(alm.rows.size());
    b.Merge(r.alarms, alm, d, multi);
    b.Merge(r.calibrations, cal, d, multi);

    // Energy of the span's periods, for the summary of a week or month.
    for (const auto& [e, level] :
         {std::pair{&dayE, row.den.lday}, std::pair{&eveE, row.den.levening},
          std::pair{&nightE, row.den.lnight}})
      if (!std::isnan(level)) {
        e->sum += std::pow(10.0, level / 10.0);
        ++e->count;
      }
    for (const float v : secs)
      if (!IsGap(v)) {
        all.Add(v);
        allValid.push_back(v);
      }

    if (!multi) {
      r.seconds = today.levels;
      for (const Interval& iv : DayIntervals(d, req.interval, req.tz)) {
        IntervalRow ir;
        ir.at = iv;
        ir.stats = iv.repeat ? IntervalStats{}
                             : Stats(secs.subspan(std::size_t(iv.start), std::size_t(iv.length)));
        ir.stats.seconds = std::size_t(iv.length);
        r.intervals.append(ir);
      }
      const QString monitorFolder = req.dataPath + req.id;
      for (const int p : PeriodsOnDisk(monitorFolder, d))
        r.periodic.append(b.Records(
            d.toString(QStringLiteral("yyyy-MM")) + QStringLiteral("/per-%1-%2.csv")
                                                        .arg(d.day(), 2, 10, QLatin1Char('0'))
                                                        .arg(p, 4, 10, QLatin1Char('0')),
            QStringLiteral("Periodic records, %1 min").arg(p)));
    }
    r.days.append(row);
    today = std::move(next);
  }

  r.total.valid = allValid.size();
  for (const DayRow& d : r.days) r.total.seconds += std::size_t(d.hours * 3600);
  if (!allValid.empty()) {
    r.total.laeq = all.Level();
    const auto [lo, hi] = std::minmax_element(allValid.begin(), allValid.end());
    r.total.lmin = *lo;
    r.total.lmax = *hi;
    r.total.l10 = Exceeded(allValid, 10);
    r.total.l90 = Exceeded(allValid, 90);
  }
  if (multi) {
    r.den.lday = dayE.Level();
    r.den.levening = eveE.Level();
    r.den.lnight = nightE.Level();
    r.den.lden = Lden(r.den.lday, r.den.levening, r.den.lnight, req.bounds);
  } else if (!r.days.isEmpty()) {
    r.den = r.days.front().den;
  }
  return r;
}

}  // namespace qmreport
