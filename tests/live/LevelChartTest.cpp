#include "live/LevelChart.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const LevelChart::Scale kRemote{yasRemote, 30, 80};
const LevelChart::Scale kAuto{yasAuto, 30, 80};
const LevelChart::Scale kFixed{yasFixed, 30, 80};

// One new value with the usual LED range and triggers.
void Add(LevelChart& c, double v, int period = 15, const LevelChart::Scale& s = kRemote,
         int t1 = 65, int t2 = 75) {
  c.Leq1s(v, period, {20, 120, t1, t2}, s);
}

int RealPoints(const LevelChart& c) {
  int n = 0;
  for (double v : c.LeqSeries()) n += !std::isnan(v);
  return n;
}

TEST(LevelChart, StartsEmptyWithTheDesignAxes) {
  const LevelChart c;
  EXPECT_EQ(c.PlotBuf().size(), size_t(LevelChart::kSlots));
  for (double v : c.PlotBuf()) ASSERT_EQ(v, -1.0);
  EXPECT_TRUE(c.LeqSeries().empty());
  EXPECT_EQ(c.AxisMin(), 0);
  EXPECT_EQ(c.AxisMax(), 200);
  EXPECT_EQ(c.BottomMax(), 60);
}

TEST(LevelChart, SeriesFollowsThePeriod) {
  const struct {
    int period;
    size_t points;
    double bottomMax;
  } cases[] = {{1, 61, 60}, {5, 301, 300}, {15, 901, 900}, {60, 3600, 3600}, {61, 0, 3660}};
  for (const auto& k : cases) {
    LevelChart c;
    Add(c, 55.5, k.period);
    EXPECT_EQ(c.LeqSeries().size(), k.points) << k.period;
    EXPECT_EQ(c.BottomMax(), k.bottomMax) << k.period;
    if (k.points == 0) continue;
    // After one value: one real point, at the right end.
    EXPECT_EQ(RealPoints(c), 1) << k.period;
    EXPECT_EQ(c.LeqSeries().back(), 55.5);
  }
}

TEST(LevelChart, ValuesShiftTowardsTheOldEnd) {
  LevelChart c;
  for (double v : {40.0, 0.0, -0.5, 42.0, 190.0}) Add(c, v, 1);
  const auto& buf = c.PlotBuf();
  EXPECT_EQ(buf[3595], 40.0);
  EXPECT_EQ(buf[3596], 0.0);
  EXPECT_EQ(buf[3599], 190.0);
  // Every value above -1 is plotted, however it reads out.
  const auto& s = c.LeqSeries();
  ASSERT_EQ(s.size(), 61u);
  EXPECT_EQ(s[56], 40.0);
  EXPECT_EQ(s[58], -0.5);
  EXPECT_EQ(s[60], 190.0);
  EXPECT_TRUE(std::isnan(s[55]));
}

TEST(LevelChart, ThresholdsAreRebuiltOnlyWhenTheirInputsChange) {
  LevelChart c;
  Add(c, 50, 15, kRemote, 65, 75);
  EXPECT_EQ(c.ThresholdBuilds(), 1);
  EXPECT_EQ(c.Thresh1().value, 65);
  EXPECT_EQ(c.Thresh2().value, 75);
  EXPECT_EQ(c.Thresh1().points, 900);
  Add(c, 51, 15, kRemote, 65, 75);
  EXPECT_EQ(c.ThresholdBuilds(), 1);
  Add(c, 52, 15, kRemote, 70, 80);
  EXPECT_EQ(c.ThresholdBuilds(), 2);
  EXPECT_EQ(c.Thresh1().value, 70);
  EXPECT_EQ(c.Thresh2().value, 80);
  Add(c, 53, 1, kRemote, 70, 80);
  EXPECT_EQ(c.ThresholdBuilds(), 3);
  EXPECT_EQ(c.Thresh2().points, 60);
  // Above an hour the lines keep their points and the series stays empty.
  Add(c, 54, 120, kRemote, 90, 95);
  EXPECT_EQ(c.ThresholdBuilds(), 3);
  EXPECT_EQ(c.Thresh2().value, 80);
  EXPECT_TRUE(c.LeqSeries().empty());
}

TEST(LevelChart, LeftAxis) {
  struct Case {
    const char* name;
    LevelChart::Scale scale;
    std::vector<double> values;
    double min, max;
  };
  const Case cases[] = {
      {"remote: the monitor's LED range", kRemote, {50}, 20, 120},
      {"auto: tens around the plotted values", kAuto, {43.2, 71.8, 55}, 40, 80},
      {"auto: values of 1 or less are skipped", kAuto, {1, 0.5, 43.2, 71.8}, 40, 80},
      {"auto: all values 1 or less leave the axis", kAuto, {1, 0.5}, 0, 200},
      {"auto: all equal leave the axis", kAuto, {60, 60, 60}, 0, 200},
      {"auto: whole tens stay", kAuto, {40, 80}, 40, 80},
      {"fixed: the set range", kFixed, {50}, 30, 80},
  };
  for (const Case& k : cases) {
    LevelChart c;
    for (double v : k.values) Add(c, v, 15, k.scale);
    EXPECT_EQ(c.AxisMin(), k.min) << k.name;
    EXPECT_EQ(c.AxisMax(), k.max) << k.name;
  }
}

TEST(LevelChart, AxisIsTouchedOnlyWhenItsRangeChanges) {
  LevelChart c;
  Add(c, 50);
  Add(c, 51);
  EXPECT_EQ(c.AxisChanges(), 1);
  c.Leq1s(52, 15, {30, 110, 65, 75}, kRemote);
  EXPECT_EQ(c.AxisChanges(), 2);
  EXPECT_EQ(c.AxisMin(), 30);
  // A monitor reporting an empty or reversed range leaves the axis drawable.
  c.Leq1s(52, 15, {90, 90, 65, 75}, kRemote);
  c.Leq1s(52, 15, {100, 40, 65, 75}, kRemote);
  EXPECT_EQ(c.AxisMin(), 30);
  EXPECT_EQ(c.AxisMax(), 110);
}

TEST(LevelChart, UpdateLeqBufFillsTheNewestSlots) {
  LevelChart c;
  QString many;
  for (int i = 0; i < 5000; ++i) many += QString::number(i) + (i < 4999 ? "," : "");
  c.UpdateLeqBuf(many);
  EXPECT_EQ(c.PlotBuf()[0], 1400.0);
  EXPECT_EQ(c.PlotBuf()[3599], 4999.0);

  c.UpdateLeqBuf(u"50,51,52,53,54,55,56,57,58,59.5");
  EXPECT_EQ(c.PlotBuf()[3589], -1.0);
  EXPECT_EQ(c.PlotBuf()[3590], 50.0);
  EXPECT_EQ(c.PlotBuf()[3599], 59.5);

  // Not a number: a gap in its place; the values after it keep theirs.
  c.UpdateLeqBuf(u"60.1,abc,,62.5, 63 ,1e999,64");
  const double* b = c.PlotBuf().data() + 3593;
  const double expected[] = {60.1, -1, -1, 62.5, 63, -1, 64};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(b[i], expected[i]) << i;
  EXPECT_EQ(c.PlotBuf()[3592], -1.0);
}

TEST(LevelChart, UpdateLeqBufShowsWithTheNextValueOnly) {
  LevelChart c;
  Add(c, 70, 1);
  c.UpdateLeqBuf(u"50,51");
  EXPECT_TRUE(c.LeqSeries().empty());  // the buffer was cleared, nothing is drawn yet
  Add(c, 52, 1);
  const auto& s = c.LeqSeries();
  EXPECT_EQ(s[58], 50.0);
  EXPECT_EQ(s[59], 51.0);
  EXPECT_EQ(s[60], 52.0);
  EXPECT_EQ(RealPoints(c), 3);
}

TEST(LevelChart, OddPeriodsFromAHandEditedSettingDoNotBreakTheChart) {
  for (int period : {0, -5, 1000000000}) {
    LevelChart c;
    Add(c, 50, period);
    EXPECT_LE(c.LeqSeries().size(), 1u) << period;
    EXPECT_GE(c.Thresh1().points, 0) << period;
  }
}

TEST(LevelChart, Texts) {
  EXPECT_EQ(LevelChart::ReadOut(63.44), "63.4");
  EXPECT_EQ(LevelChart::ReadOut(0.05), "0.1");
  for (double v : {0.0, -3.0, 180.0, 250.0}) EXPECT_EQ(LevelChart::ReadOut(v), "---.-") << v;
  EXPECT_EQ(LevelChart::PeriodLabel(1), "← 1 minute →");
  EXPECT_EQ(LevelChart::PeriodLabel(15), "← 15 minutes →");
}

}  // namespace
