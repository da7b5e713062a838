#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include <vector>

class LevelChart;

// Paints a LevelChart: the left axis with its title, the two trigger lines and the 1-second
// values as stair steps with gaps at null points. No legend, no title, no zoom.
class LevelChartView : public QWidget {
 public:
  LevelChartView(const LevelChart& model, QWidget* parent);

  // The left axis is shown only in windows tall enough for it.
  void SetLeftAxisVisible(bool visible);
  bool LeftAxisVisible() const { return leftAxis_; }
  // The area the series are drawn in, for the current size and axis.
  QRect PlotRect() const;

  // The pixels the Leq series is drawn through: x 0 ... bottomMax across the plot's columns,
  // axisMin ... axisMax up its rows, one polyline per run of values between gaps.
  // Values that share a pixel column are drawn as one vertical span.
  static void StairPolylines(const std::vector<double>& values, const QRect& plot, double bottomMax,
                             double axisMin, double axisMax, std::vector<std::vector<QPoint>>& out);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Everything that changes only with the size or the axis: ground, grid, labels, title.
  const QPixmap& Backdrop(const QRect& plot);

  const LevelChart& model_;
  bool leftAxis_ = true;
  QPixmap backdrop_;
  QSize backdropSize_;
  double backdropMin_ = 0;
  double backdropMax_ = 0;
  bool backdropAxis_ = false;
  std::vector<std::vector<QPoint>> runs_;
};
