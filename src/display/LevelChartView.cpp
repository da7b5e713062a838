#include "display/LevelChartView.h"

#include "display/Fonts.h"
#include "live/LevelChart.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMargin = 1;
constexpr int kTick = 4;
const QString kAxisTitle = QStringLiteral("LAeq,1s  dB(A)");
const QColor kThresh1(234, 234, 0);
const QColor kThresh2(255, 0, 0);
const QColor kGrid(225, 225, 225);
const QColor kAxis(128, 128, 128);

const QFont& AxisFont() {
  static const QFont f = qmfonts::Tahoma(10);
  return f;
}

// The label step: 10 dB, widened (20, 50, 100, ...) until the labels no longer crowd.
double LabelStep(double range, int pixels, int labelHeight) {
  double step = 10;
  const double factors[] = {2, 2.5, 2};
  for (int k = 0; range / step * (labelHeight + 2) > pixels && std::isfinite(step); ++k)
    step *= factors[k % 3];
  return step;
}

QString Label(double v) { return QString::number(v, 'f', 0); }

}  // namespace

LevelChartView::LevelChartView(const LevelChart& model, QWidget* parent)
    : QWidget(parent), model_(model) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LevelChartView::SetLeftAxisVisible(bool visible) {
  if (leftAxis_ == visible) return;
  leftAxis_ = visible;
  update();
}

QRect LevelChartView::PlotRect() const {
  QRect r = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
  if (!leftAxis_) return r;
  const QFontMetrics fm(AxisFont());
  const int labelWidth = std::max(fm.horizontalAdvance(Label(model_.AxisMin())),
                                  fm.horizontalAdvance(Label(model_.AxisMax())));
  r.setLeft(r.left() + fm.height() + 2 + labelWidth + kTick + 1);
  r.setTop(r.top() + fm.height() / 2);
  r.setBottom(r.bottom() - fm.height() / 2);
  return r;
}

const QPixmap& LevelChartView::Backdrop(const QRect& plot) {
  const double lo = model_.AxisMin();
  const double hi = model_.AxisMax();
  const qreal dpr = devicePixelRatioF();
  const QSize pixels = size() * dpr;
  if (!backdrop_.isNull() && backdropSize_ == pixels && backdropMin_ == lo && backdropMax_ == hi &&
      backdropAxis_ == leftAxis_)
    return backdrop_;
  backdropSize_ = pixels;
  backdropMin_ = lo;
  backdropMax_ = hi;
  backdropAxis_ = leftAxis_;
  backdrop_ = QPixmap(pixels);
  backdrop_.setDevicePixelRatio(dpr);
  backdrop_.fill(Qt::white);

  if (plot.width() <= 0 || plot.height() <= 0) return backdrop_;
  QPainter p(&backdrop_);
  p.setFont(AxisFont());
  const QFontMetrics fm(AxisFont());
  if (leftAxis_ && hi > lo) {
    const double step = LabelStep(hi - lo, plot.height(), fm.height());
    // The count bound keeps absurd ranges (values sent by a broken monitor) from looping.
    double v = std::ceil(lo / step) * step;
    for (int n = 0; v <= hi && n <= plot.height(); ++n, v += step) {
      const int y = plot.bottom() - int(std::lround((v - lo) * (plot.height() - 1) / (hi - lo)));
      p.setPen(kGrid);
      p.drawLine(plot.left() + 1, y, plot.right(), y);
      p.setPen(kAxis);
      p.drawLine(plot.left() - kTick, y, plot.left() - 1, y);
      const QRect box(0, y - fm.height() / 2, plot.left() - kTick - 2, fm.height());
      p.setPen(Qt::black);
      p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, Label(v));
    }
    // The title reads upwards along the axis, centred on the plot.
    p.save();
    p.translate(kMargin, plot.center().y());
    p.rotate(-90);
    p.drawText(QRect(-plot.height() / 2 - 40, 0, plot.height() + 80, fm.height()), Qt::AlignCenter,
               kAxisTitle);
    p.restore();
    p.setPen(kAxis);
    p.drawLine(plot.left(), plot.top(), plot.left(), plot.bottom());
  }
  p.setPen(kAxis);
  p.drawLine(plot.left(), plot.bottom(), plot.right(), plot.bottom());
  return backdrop_;
}

void LevelChartView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect plot = PlotRect();
  p.drawPixmap(0, 0, Backdrop(plot));
  const double bottomMax = model_.BottomMax();
  const double lo = model_.AxisMin();
  const double hi = model_.AxisMax();
  if (plot.width() <= 1 || plot.height() <= 1 || !(bottomMax > 0) || !(hi > lo)) return;
  p.setClipRect(plot);

  const auto yOf = [&](double v) {
    return plot.bottom() - (v - lo) * (plot.height() - 1) / (hi - lo);
  };
  const auto xOf = [&](double x) { return plot.left() + x * (plot.width() - 1) / bottomMax; };
  for (const auto& [line, colour] :
       {std::pair(model_.Thresh2(), kThresh2), std::pair(model_.Thresh1(), kThresh1)}) {
    if (line.points <= 0) continue;
    const double y = yOf(line.value);
    if (y < plot.top() - 2 || y > plot.bottom() + 2) continue;
    p.setPen(QPen(colour, 2));
    p.drawLine(QPointF(xOf(0), y), QPointF(xOf(line.points - 1), y));
  }

  StairPolylines(model_.LeqSeries(), plot, bottomMax, lo, hi, runs_);
  p.setPen(QPen(Qt::black, 1));
  for (const auto& run : runs_) p.drawPolyline(run.data(), int(run.size()));
}

void LevelChartView::StairPolylines(const std::vector<double>& values, const QRect& plot,
                                    double bottomMax, double axisMin, double axisMax,
                                    std::vector<std::vector<QPoint>>& out) {
  for (auto& run : out) run.clear();
  size_t used = 0;
  if (!(bottomMax > 0) || !(axisMax > axisMin)) {
    out.resize(0);
    return;
  }
  const double xScale = (plot.width() - 1) / bottomMax;
  const double yScale = (plot.height() - 1) / (axisMax - axisMin);
  // Pixel rows are held just outside the plot, so far-off values are clipped, not wrapped.
  const auto row = [&](double v) {
    const double y = plot.bottom() - (v - axisMin) * yScale;
    return int(std::lround(std::clamp(y, plot.top() - 2.0, plot.bottom() + 2.0)));
  };
  const auto column = [&](size_t i) { return plot.left() + int(std::lround(i * xScale)); };

  std::vector<QPoint>* run = nullptr;
  int col = 0, yMin = 0, yMax = 0, yEntry = 0, yExit = 0;
  bool inColumn = false;
  const auto flush = [&] {
    if (!inColumn) return;
    // Entry, both ends of the span, exit: the end nearer the exit is visited last.
    const int far = yExit == yMin ? yMax : yMin;
    const int near = far == yMax ? yMin : yMax;
    for (const int y : {yEntry, far, near, yExit})
      if (run->empty() || run->back() != QPoint(col, y)) run->push_back(QPoint(col, y));
    inColumn = false;
  };
  const auto endRun = [&] {
    flush();
    if (!run) return;
    if (run->size() == 1) {  // a lone value: a short dash, so it can be seen
      const QPoint pt = run->front();
      run->insert(run->begin(), QPoint(pt.x() - 1, pt.y()));
    }
    run = nullptr;
  };

  for (size_t i = 0; i < values.size(); ++i) {
    const double v = values[i];
    if (std::isnan(v)) {
      endRun();
      continue;
    }
    const int x = column(i);
    const int y = row(v);
    if (!run) {
      if (used == out.size()) out.emplace_back();
      run = &out[used++];
      col = x;
      yEntry = yMin = yMax = yExit = y;
      inColumn = true;
      continue;
    }
    // The step: along the previous value to this column, then up or down to this value.
    if (x != col) {
      const int previous = yExit;
      flush();
      col = x;
      yEntry = yMin = yMax = previous;
      inColumn = true;
    }
    yMin = std::min(yMin, y);
    yMax = std::max(yMax, y);
    yExit = y;
  }
  endRun();
  out.resize(used);
}
