#include "display/LevelChartView.h"
#include "live/LevelChart.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNull = std::numeric_limits<double>::quiet_NaN();
using Runs = std::vector<std::vector<QPoint>>;

TEST(LevelChartView, StairsBreakAtNullPoints) {
  // One pixel per point and per dB: x = 10 + index, y = 110 - value.
  const QRect plot(10, 10, 61, 101);
  Runs runs;
  LevelChartView::StairPolylines({10, 20, kNull, 30, 30, kNull, 50}, plot, 60, 0, 100, runs);
  ASSERT_EQ(runs.size(), 3u);
  // Along the first value to the next point's x, then up to the second value.
  EXPECT_EQ(runs[0], (std::vector<QPoint>{{10, 100}, {11, 100}, {11, 90}}));
  EXPECT_EQ(runs[1], (std::vector<QPoint>{{13, 80}, {14, 80}}));
  // A value between two gaps is still seen, as a short dash.
  EXPECT_EQ(runs[2], (std::vector<QPoint>{{15, 60}, {16, 60}}));

  LevelChartView::StairPolylines({kNull, kNull}, plot, 60, 0, 100, runs);
  EXPECT_TRUE(runs.empty());
}

TEST(LevelChartView, ValuesSharingAColumnBecomeOneSpan) {
  // An hour of values in 100 pixels: the polyline stays near four points per column and
  // still reaches every value's height.
  const QRect plot(0, 0, 101, 201);
  std::vector<double> values(3600);
  for (size_t i = 0; i < values.size(); ++i) values[i] = 50 + 40 * std::sin(i * 0.01);
  values[1800] = 150;  // one loud second
  Runs runs;
  LevelChartView::StairPolylines(values, plot, 3599, 0, 200, runs);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_LE(runs[0].size(), 4u * 101u);
  int top = 1000;
  for (const QPoint& p : runs[0]) top = std::min(top, p.y());
  EXPECT_EQ(top, 200 - 150);
}

TEST(LevelChartView, FarOffValuesAreHeldJustOutsideThePlot) {
  const QRect plot(0, 0, 60, 100);
  Runs runs;
  LevelChartView::StairPolylines({1e300, -1e300}, plot, 60, 0, 100, runs);
  ASSERT_EQ(runs.size(), 1u);
  for (const QPoint& p : runs[0]) {
    EXPECT_GE(p.y(), plot.top() - 2);
    EXPECT_LE(p.y(), plot.bottom() + 2);
  }
}

bool RowHas(const QImage& img, int y, QRgb colour, int from, int to) {
  for (int x = from; x < to; ++x)
    if (img.pixel(x, y) == colour) return true;
  return false;
}

TEST(LevelChartView, PaintsTriggerLinesAndTheLevels) {
  LevelChart model;
  const LevelChart::Scale fixed{yasFixed, 0, 100};
  for (int i = 0; i < 60; ++i) model.Leq1s(i < 30 ? 40 : 60, 1, {20, 120, 70, 90}, fixed);
  LevelChartView view(model, nullptr);
  view.resize(300, 200);
  for (bool axis : {true, false}) {
    view.SetLeftAxisVisible(axis);
    const QRect plot = view.PlotRect();
    EXPECT_EQ(plot.left() > 20, axis);
    const QImage img = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto y = [&](double v) {
      return plot.bottom() - int(std::lround(v * (plot.height() - 1) / 100));
    };
    const int mid = plot.left() + plot.width() / 2;
    EXPECT_TRUE(RowHas(img, y(90), qRgb(255, 0, 0), plot.left(), plot.right()));
    EXPECT_TRUE(RowHas(img, y(70), qRgb(234, 234, 0), plot.left(), plot.right()));
    EXPECT_TRUE(RowHas(img, y(40), qRgb(0, 0, 0), plot.left() + 2, mid - 2));
    EXPECT_TRUE(RowHas(img, y(60), qRgb(0, 0, 0), mid + 2, plot.right() - 2));
    EXPECT_FALSE(RowHas(img, y(40), qRgb(0, 0, 0), mid + 8, plot.right() - 2));
  }
}

TEST(LevelChartView, AGapIsLeftBlank) {
  LevelChart model;
  const LevelChart::Scale fixed{yasFixed, 0, 100};
  model.UpdateLeqBuf(u"50,50,50,50,50,50,50,50,50,50,x,x,x,x,x,x,x,x,x,x");
  model.Leq1s(50, 1, {20, 120, 0, 0}, fixed);
  LevelChartView view(model, nullptr);
  view.SetLeftAxisVisible(false);
  view.resize(123, 103);  // a plot of 121 x 101: two pixels per point, one per dB
  const QRect plot = view.PlotRect();
  const QImage img = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(plot, QRect(1, 1, 121, 101));
  const int y = plot.bottom() - 50;
  const auto x = [&](int point) { return plot.left() + 2 * point; };
  EXPECT_TRUE(RowHas(img, y, qRgb(0, 0, 0), x(40), x(49)));           // the stored values
  EXPECT_FALSE(RowHas(img, y, qRgb(0, 0, 0), x(50) + 1, x(59) - 1));  // the unreadable ones
  EXPECT_EQ(img.pixel(x(60), y), qRgb(0, 0, 0));                      // the newest value
}

TEST(LevelChartView, AbsurdValuesFromAMonitorStillPaint) {
  LevelChart model;
  const LevelChart::Scale automatic{yasAuto, 30, 80};
  model.UpdateLeqBuf(u"1e300,-1e300,1e-300,50");
  model.Leq1s(60, 1, {20, 120, -2000000000, 2000000000}, automatic);
  ASSERT_GT(model.AxisMax(), 1e299);
  LevelChartView view(model, nullptr);
  view.resize(300, 200);
  EXPECT_FALSE(view.grab().isNull());
}

}  // namespace
