#include "report/ReportPdf.h"

#include "report/ReportChart.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace qmreport {

namespace {

QString Hours(int from, int to) {
  return QStringLiteral("%1-%2")
      .arg(from, 2, 10, QLatin1Char('0'))
      .arg(to % 24, 2, 10, QLatin1Char('0'));
}

TextTable Summary(const Report& r) {
  const Boundaries& b = r.request.bounds;
  TextTable t;
  t.title = QStringLiteral("Summary");
  t.columns = {QStringLiteral("level"), QStringLiteral("dB")};
  t.rows = {
      {QStringLiteral("Lday (%1)").arg(Hours(b.day, b.evening)), Number(r.den.lday)},
      {QStringLiteral("Levening (%1, +5 dB in Lden)").arg(Hours(b.evening, b.night)),
       Number(r.den.levening)},
      {QStringLiteral("Lnight (%1, +10 dB in Lden)").arg(Hours(b.night, b.day)),
       Number(r.den.lnight)},
      {QStringLiteral("Lden"), Number(r.den.lden)},
      {QStringLiteral("LAeq of all valid seconds"), Number(r.total.laeq)},
      {QStringLiteral("LAmax (highest 1-second LAeq)"), Number(r.total.lmax)},
      {QStringLiteral("LAmin (lowest 1-second LAeq)"), Number(r.total.lmin)},
      {QStringLiteral("LA10"), Number(r.total.l10)},
      {QStringLiteral("LA90"), Number(r.total.l90)},
      {QStringLiteral("Data coverage"),
       Number(100.0 * (r.total.seconds ? double(r.total.valid) / double(r.total.seconds) : 0.0)) +
           QStringLiteral(" %")}};
  t.footnote = QStringLiteral(
      "LA10 and LA90 are the levels exceeded for 10 % and 90 % of the valid seconds, computed "
      "from the 1-second LAeq values. The night runs into the next day's file.");
  if (r.MultiDay())
    t.footnote +=
        QStringLiteral(" Lday, Levening and Lnight of the span are energy means of the days.");
  return t;
}

TextTable FromRecords(const RecordTable& rec) {
  TextTable t;
  t.title = rec.title;
  t.columns = rec.columns;
  int width = int(t.columns.size());
  for (const QStringList& row : rec.rows) width = std::max(width, int(row.size()));
  for (int i = int(t.columns.size()); i < width; ++i)
    t.columns.append(i == 0 ? QStringLiteral("time") : QStringLiteral("value %1").arg(i));
  t.rows = rec.rows;
  if (t.rows.isEmpty()) t.footnote = QStringLiteral("No records.");
  return t;
}

class PdfPages {
 public:
  explicit PdfPages(QPdfWriter& w) : w_(w), p_(&w) {
    const QSizeF size = w.pageLayout().paintRectPoints().size();
    page_ = QRectF(QPointF(0, 0), size);
    SetFont(9);
    y_ = 0;
  }
  bool Active() const { return p_.isActive(); }
  QPainter& Painter() { return p_; }

  void SetFont(double pt, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(pt);
    f.setBold(bold);
    p_.setFont(f);
  }
  double LineHeight() const { return QFontMetricsF(p_.font()).height() * 1.15; }

  void Need(double h) {
    if (y_ + h <= page_.height() - 20) return;
    Footer();
    w_.newPage();
    y_ = 0;
  }
  void Footer() {
    const QFont keep = p_.font();
    SetFont(7);
    p_.drawText(QRectF(0, page_.height() - 12, page_.width(), 12), Qt::AlignRight,
                QStringLiteral("Quietmark Reporter - page %1").arg(++pageNo_));
    p_.setFont(keep);
  }

  void Text(const QString& s, double pt = 9, bool bold = false) {
    SetFont(pt, bold);
    const QRectF box = p_.boundingRect(QRectF(0, 0, page_.width(), 1e6), Qt::TextWordWrap, s);
    Need(box.height());
    p_.drawText(QRectF(0, y_, page_.width(), box.height()), Qt::TextWordWrap, s);
    y_ += box.height() + 2;
  }

  void Chart(const Report& r, double h) {
    Need(h);
    PaintChart(p_, QRectF(0, y_, page_.width(), h), r);
    y_ += h + 6;
  }

  void Table(const TextTable& t) {
    SetFont(10, true);
    Need(LineHeight() * 3);
    p_.drawText(QPointF(0, y_ + QFontMetricsF(p_.font()).ascent()), t.title);
    y_ += LineHeight() + 2;
    SetFont(8);
    const QFontMetricsF fm(p_.font());
    // Columns as wide as their widest cell, shared out when they do not fit.
    QList<double> widths;
    for (const QString& c : t.columns) widths.append(fm.horizontalAdvance(c) + 10);
    for (const QStringList& row : t.rows)
      for (int i = 0; i < row.size() && i < widths.size(); ++i)
        widths[i] = std::max(widths[i], fm.horizontalAdvance(row[i]) + 10);
    double total = 0;
    for (const double w : widths) total += w;
    if (total > page_.width())
      for (double& w : widths) w *= page_.width() / total;
    const double lh = fm.height() + 2;
    auto drawRow = [&](const QStringList& cells, bool head) {
      Need(lh);
      double x = 0;
      if (head)
        p_.fillRect(QRectF(0, y_, std::min(total, page_.width()), lh), QColor(230, 230, 230));
      for (int i = 0; i < widths.size(); ++i) {
        p_.drawText(QRectF(x + 2, y_, widths[i] - 4, lh), Qt::AlignLeft | Qt::AlignVCenter,
                    fm.elidedText(cells.value(i), Qt::ElideRight, widths[i] - 4));
        x += widths[i];
      }
      y_ += lh;
    };
    if (!t.columns.isEmpty()) drawRow(t.columns, true);
    for (const QStringList& row : t.rows) {
      if (y_ + lh > page_.height() - 20 && !t.columns.isEmpty()) {
        Need(lh * 2);
        drawRow(t.columns, true);
      }
      drawRow(row, false);
    }
    if (!t.footnote.isEmpty()) {
      y_ += 2;
      Text(t.footnote, 7.5);
    }
    y_ += 8;
  }

  void Finish() {
    Footer();
    p_.end();
  }

 private:
  QPdfWriter& w_;
  QPainter p_;
  QRectF page_;
  double y_ = 0;
  int pageNo_ = 0;
};

}  // namespace

QString HeaderText(const Report& r) {
  const MonitorInfo& m = r.monitor;
  QString period = r.from.toString(Qt::ISODate);
  if (r.to != r.from) period += QStringLiteral(" to ") + r.to.toString(Qt::ISODate);
  const QTimeZone& tz = r.request.tz;
  QStringList lines{QStringLiteral("Monitor: %1").arg(m.id),
                    QStringLiteral("Name: %1").arg(m.name.isEmpty() ? QStringLiteral("-") : m.name),
                    QStringLiteral("Type: %1").arg(m.type.isEmpty() ? QStringLiteral("-") : m.type),
                    QStringLiteral("Period: %1").arg(period),
                    QStringLiteral("Time zone: %1 (%2)")
                        .arg(QString::fromLatin1(tz.id()),
                             tz.displayName(r.from.startOfDay(tz), QTimeZone::OffsetName))};
  if (!r.MultiDay()) lines << QStringLiteral("Interval: %1 min").arg(r.request.interval);
  return lines.join(QLatin1Char('\n'));
}

QList<TextTable> Tables(const Report& r) {
  QList<TextTable> list{Summary(r)};
  if (r.MultiDay()) {
    TextTable t;
    t.title = QStringLiteral("Days");
    t.columns = {QStringLiteral("date"),     QStringLiteral("LAeq"),   QStringLiteral("Lday"),
                 QStringLiteral("Levening"), QStringLiteral("Lnight"), QStringLiteral("Lden"),
                 QStringLiteral("LAmax"),    QStringLiteral("alarms"), QStringLiteral("coverage")};
    for (const DayRow& d : r.days)
      t.rows.append({d.date.toString(Qt::ISODate) +
                         (d.hours != 24 ? QStringLiteral(" (%1 h)").arg(d.hours) : QString()),
                     Number(d.laeq), Number(d.den.lday), Number(d.den.levening),
                     Number(d.den.lnight), Number(d.den.lden), Number(d.lmax),
                     QString::number(d.alarms), Number(d.coverage * 100.0) + QStringLiteral(" %")});
    list.append(t);
  } else {
    TextTable t;
    t.title = QStringLiteral("Intervals of %1 min").arg(r.request.interval);
    t.columns = {QStringLiteral("start"),   QStringLiteral("LAeq"), QStringLiteral("LAmax"),
                 QStringLiteral("LAmin"),   QStringLiteral("LA10"), QStringLiteral("LA90"),
                 QStringLiteral("coverage")};
    for (const IntervalRow& ir : r.intervals)
      t.rows.append({ir.at.label + (ir.at.repeat ? QStringLiteral(" (repeated)") : QString()),
                     Number(ir.stats.laeq), Number(ir.stats.lmax), Number(ir.stats.lmin),
                     Number(ir.stats.l10), Number(ir.stats.l90),
                     Number(ir.stats.Coverage() * 100.0) + QStringLiteral(" %")});
    if (r.intervals.size() != 24 * 60 / std::max(1, r.request.interval))
      t.footnote = QStringLiteral(
          "The clocks changed on this day; the rows follow the wall clock of the files, which "
          "keep one value per wall-clock second (a repeated hour is a gap).");
    list.append(t);
  }
  list.append(FromRecords(r.alarms));
  list.append(FromRecords(r.calibrations));
  for (const RecordTable& per : r.periodic) list.append(FromRecords(per));
  return list;
}

bool WritePdf(const Report& r, const QString& path, QString* error) {
  // Through a temporary file, so a failed run leaves no half-written PDF.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
  }
  QPdfWriter writer(&file);
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  writer.setResolution(72);
  writer.setTitle(QStringLiteral("%1 noise report %2").arg(KindName(r.request.kind), r.request.id));
  writer.setCreator(QStringLiteral("Quietmark Reporter"));
  PdfPages pages(writer);
  if (!pages.Active()) {
    if (error) *error = QStringLiteral("cannot write ") + path;
    return false;
  }
  pages.Text(QStringLiteral("%1 noise report").arg(KindName(r.request.kind)), 16, true);
  pages.Text(HeaderText(r), 9);
  for (const QString& n : r.dstNotes) pages.Text(n, 9, true);
  pages.Chart(r, 240);
  for (const TextTable& t : Tables(r)) pages.Table(t);
  if (!r.notes.isEmpty()) {
    pages.Text(QStringLiteral("Files that could not be read whole (their missing rows are gaps)"),
               10, true);
    for (const QString& n : r.notes) pages.Text(n, 8);
  }
  pages.Text(QStringLiteral("Made %1 from the files below %2")
                 .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm")),
                      r.request.dataPath),
             7);
  pages.Finish();
  if (!file.commit()) {
    if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
  }
  return true;
}

}  // namespace qmreport
