#include "report/ReportChart.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace qmreport {

namespace {

struct Axis {
  double lo = 30, hi = 90;
  void Fit(double v) {
    if (std::isnan(v)) return;
    lo = std::min(lo, std::floor(v / 10.0) * 10.0);
    hi = std::max(hi, std::ceil(v / 10.0) * 10.0);
  }
};

class Frame {
 public:
  Frame(QPainter& p, const QRectF& area, double xMax, Axis y) : p_(p), y_(y), xMax_(xMax) {
    const double fontPx = std::max(7.0, area.height() / 26.0);
    QFont f = p.font();
    f.setPixelSize(int(fontPx));
    p.setFont(f);
    const double m = fontPx * 1.2;
    plot_ = area.adjusted(m * 3.2, m, -m * 2, -m * 2.6);
  }
  double X(double x) const { return plot_.left() + x / xMax_ * plot_.width(); }
  double Y(double db) const {
    const double c = std::clamp(db, y_.lo, y_.hi);
    return plot_.bottom() - (c - y_.lo) / (y_.hi - y_.lo) * plot_.height();
  }
  const QRectF& Plot() const { return plot_; }

  void Grid(const QList<std::pair<double, QString>>& xTicks) {
    const QFontMetricsF fm(p_.font());
    p_.setPen(QPen(QColor(220, 220, 220), 0));
    for (double db = y_.lo; db <= y_.hi + 1e-6; db += 10) {
      p_.drawLine(QPointF(plot_.left(), Y(db)), QPointF(plot_.right(), Y(db)));
    }
    for (const auto& t : xTicks)
      p_.drawLine(QPointF(X(t.first), plot_.top()), QPointF(X(t.first), plot_.bottom()));
    p_.setPen(QPen(Qt::black, 0));
    p_.drawRect(plot_);
    for (double db = y_.lo; db <= y_.hi + 1e-6; db += 10) {
      const QString s = QString::number(db, 'f', 0);
      p_.drawText(QPointF(plot_.left() - fm.horizontalAdvance(s) - fm.height() * 0.4,
                          Y(db) + fm.ascent() / 2.5),
                  s);
    }
    for (const auto& t : xTicks)
      p_.drawText(QPointF(X(t.first) - fm.horizontalAdvance(t.second) / 2,
                          plot_.bottom() + fm.height() * 1.3),
                  t.second);
    p_.save();
    p_.translate(plot_.left() - fm.height() * 2.4, plot_.center().y());
    p_.rotate(-90);
    const QString unit = QStringLiteral("dB");
    p_.drawText(QPointF(-fm.horizontalAdvance(unit) / 2, 0), unit);
    p_.restore();
  }

  // Legend entries in one row below the axis labels.
  void Legend(const QList<std::pair<QPen, QString>>& items) {
    const QFontMetricsF fm(p_.font());
    double x = plot_.left();
    const double y = plot_.bottom() + fm.height() * 2.5;
    for (const auto& [pen, text] : items) {
      p_.setPen(pen);
      p_.drawLine(QPointF(x, y - fm.ascent() / 3),
                  QPointF(x + fm.height() * 1.5, y - fm.ascent() / 3));
      p_.setPen(QPen(Qt::black, 0));
      x += fm.height() * 1.8;
      p_.drawText(QPointF(x, y), text);
      x += fm.horizontalAdvance(text) + fm.height() * 1.2;
    }
  }

 private:
  QPainter& p_;
  Axis y_;
  double xMax_;
  QRectF plot_;
};

void PaintDay(QPainter& p, const QRectF& area, const Report& r) {
  Axis axis;
  for (const float v : r.seconds) axis.Fit(v);
  axis.Fit(r.monitor.trig1);
  axis.Fit(r.monitor.trig2);
  Frame f(p, area, kDaySeconds, axis);
  QList<std::pair<double, QString>> ticks;
  for (int h = 0; h <= 24; h += 3)
    ticks.append({h * 3600.0, QStringLiteral("%1:00").arg(h, 2, 10, QLatin1Char('0'))});
  f.Grid(ticks);

  // One vertical stroke per device column from the lowest to the highest second in it; a column
  // without a value stays empty, so gaps show.
  const QRectF& plot = f.Plot();
  const int columns = std::max(
      1, int(plot.width() * std::max(1.0, p.device() ? p.device()->devicePixelRatioF() : 1.0)));
  const QPen secondsPen(QColor(70, 110, 200), 0);
  p.setPen(secondsPen);
  if (!r.seconds.empty()) {
    for (int c = 0; c < columns; ++c) {
      const auto from = std::size_t(double(c) / columns * kDaySeconds);
      const auto to = std::min<std::size_t>(r.seconds.size(),
                                            std::size_t(double(c + 1) / columns * kDaySeconds));
      float lo = 1e9f, hi = -1e9f;
      for (std::size_t i = from; i < to; ++i)
        if (!IsGap(r.seconds[i])) {
          lo = std::min(lo, r.seconds[i]);
          hi = std::max(hi, r.seconds[i]);
        }
      if (hi < lo) continue;
      const double x = plot.left() + (c + 0.5) / columns * plot.width();
      p.drawLine(QPointF(x, f.Y(lo)), QPointF(x, f.Y(hi) - 0.3));
    }
  }

  const QPen stepPen(QColor(200, 30, 30), std::max(1.0, area.height() / 250.0));
  p.setPen(stepPen);
  for (const IntervalRow& ir : r.intervals) {
    if (std::isnan(ir.stats.laeq)) continue;
    const double y = f.Y(ir.stats.laeq);
    p.drawLine(QPointF(f.X(ir.at.start), y), QPointF(f.X(ir.at.start + ir.at.length), y));
  }
  QList<std::pair<QPen, QString>> legend{
      {secondsPen, QStringLiteral("LAeq,1s")},
      {stepPen, QStringLiteral("LAeq,%1 min").arg(r.request.interval)}};
  const QColor trigColours[2] = {QColor(230, 160, 0), QColor(220, 0, 0)};
  const double trigs[2] = {r.monitor.trig1, r.monitor.trig2};
  for (int i = 0; i < 2; ++i) {
    if (std::isnan(trigs[i])) continue;
    QPen pen(trigColours[i], std::max(1.0, area.height() / 300.0), Qt::DashLine);
    p.setPen(pen);
    p.drawLine(QPointF(plot.left(), f.Y(trigs[i])), QPointF(plot.right(), f.Y(trigs[i])));
    legend.append({pen, QStringLiteral("Trigger %1: %2 dB").arg(i + 1).arg(Number(trigs[i]))});
  }
  f.Legend(legend);
}

void PaintDays(QPainter& p, const QRectF& area, const Report& r) {
  Axis axis;
  for (const DayRow& d : r.days)
    for (const double v : {d.den.lday, d.den.levening, d.den.lnight, d.den.lden}) axis.Fit(v);
  const int n = int(r.days.size());
  Frame f(p, area, std::max(1, n), axis);
  QList<std::pair<double, QString>> ticks;
  const int every = n > 10 ? 5 : 1;
  for (int i = 0; i < n; ++i)
    if (i % every == 0 || n <= 10)
      ticks.append({i + 0.5, r.days[i].date.toString(QStringLiteral("dd"))});
  f.Grid(ticks);
  const double w = std::max(1.0, area.height() / 200.0);
  const QList<std::pair<QPen, QString>> series{
      {QPen(QColor(230, 160, 0), w), QStringLiteral("Lday")},
      {QPen(QColor(140, 60, 170), w), QStringLiteral("Levening")},
      {QPen(QColor(40, 60, 160), w), QStringLiteral("Lnight")},
      {QPen(QColor(200, 30, 30), w * 1.5), QStringLiteral("Lden")}};
  for (int s = 0; s < series.size(); ++s) {
    p.setPen(series[s].first);
    QPainterPath path;
    bool open = false;
    for (int i = 0; i < n; ++i) {
      const DenLevels& d = r.days[i].den;
      const double v = s == 0 ? d.lday : s == 1 ? d.levening : s == 2 ? d.lnight : d.lden;
      if (std::isnan(v)) {
        open = false;
        continue;
      }
      const QPointF pt(f.X(i + 0.5), f.Y(v));
      if (open)
        path.lineTo(pt);
      else
        path.moveTo(pt);
      open = true;
      p.drawEllipse(pt, w * 1.5, w * 1.5);
    }
    p.drawPath(path);
  }
  f.Legend(series);
}

}  // namespace

void PaintChart(QPainter& p, const QRectF& area, const Report& r) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillRect(area, Qt::white);
  if (r.MultiDay())
    PaintDays(p, area, r);
  else
    PaintDay(p, area, r);
  p.restore();
}

QImage ChartImage(const Report& r, const QSize& size) {
  QImage img(size, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  PaintChart(p, QRectF(QPointF(0, 0), QSizeF(size)), r);
  p.end();
  return img;
}

}  // namespace qmreport
