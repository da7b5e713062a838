#pragma once

#include "core/LedRange.h"
#include "core/TCfg.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

// The chart half of a monitor window without any widget: the last hour of 1-second LAeq
// values, the series and threshold lines built from them, the left axis range and the texts.
// The window draws what this holds.
class LevelChart {
 public:
  static constexpr int kSlots = 3600;
  static constexpr double kEmpty = -1.0;

  // How the left axis follows the values (the program settings).
  struct Scale {
    TYAxisScale yscale = yasRemote;
    int nYFixedMin = 30;
    int nYFixedMax = 80;
  };
  // A threshold line: the same value at x = 0 ... points - 1.
  struct Line {
    int value = 0;
    int points = 0;
  };

  LevelChart();

  // Empties every slot and the Leq series.
  void ClearPlotBuf();
  // One new 1-second value; nPeriod is the chart period in minutes.
  void Leq1s(double flLeq, int nPeriod, const TLedRange& leds, const Scale& scale);
  // Replaces the buffer with the monitor's stored values (comma-separated, oldest first). The
  // series is rebuilt only with the next new value.
  void UpdateLeqBuf(QStringView sCs);

  // Slot 0 oldest, slot kSlots - 1 newest; kEmpty marks an empty slot.
  const std::vector<double>& PlotBuf() const { return flPlotBuf; }
  // One entry per point, x = its index; NaN is a null point (a gap).
  const std::vector<double>& LeqSeries() const { return leq_; }
  const Line& Thresh1() const { return thresh1_; }
  const Line& Thresh2() const { return thresh2_; }
  double BottomMax() const { return bottomMax_; }
  double AxisMin() const { return axisMin_; }
  double AxisMax() const { return axisMax_; }
  // Counters of rebuilds, so callers can tell what changed.
  int ThresholdBuilds() const { return thresholdBuilds_; }
  int AxisChanges() const { return axisChanges_; }

  // The large read-out for a value and the period label under the chart.
  static QString ReadOut(double flLeq);
  static QString PeriodLabel(int nPeriod);

 private:
  void FillSeries(int nPeriod);
  void BuildThresholds(int nPeriod, int nTrig1, int nTrig2);
  void ScaleAxis(int nLEDMin, int nLEDMax, const Scale& scale);
  void SetAxis(double lo, double hi);

  std::vector<double> flPlotBuf;
  std::vector<double> leq_;
  Line thresh1_;
  Line thresh2_;
  int nChartTrig1 = 0;
  int nChartTrig2 = 0;
  int nChartPeriod = 0;
  double bottomMax_ = 60;
  double axisMin_ = 0;
  double axisMax_ = 200;
  int thresholdBuilds_ = 0;
  int axisChanges_ = 0;
};
