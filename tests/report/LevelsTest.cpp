#include "report/DayPeriods.h"
#include "report/Levels.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace qmreport;

std::vector<float> Constant(std::size_t n, float v) { return std::vector<float>(n, v); }

std::vector<float> Concat(std::vector<float> a, const std::vector<float>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct StatsCase {
  const char* name;
  std::vector<float> seconds;
  double laeq, l10, l90, coverage;
};

TEST(Levels, IntervalStatisticsOfKnownHours) {
  // A ramp of 3600 seconds from 40.00 to 75.99 in steps of 0.01: 360 seconds lie above 72.39
  // (LA10) and 3240 above 43.59 (LA90).
  std::vector<float> ramp;
  for (int i = 0; i < 3600; ++i) ramp.push_back(40.0f + 0.01f * float(i));
  std::vector<float> gappy = Constant(3600, 60.0f);
  for (std::size_t i = 0; i < gappy.size(); i += 4) gappy[i] = kGap;
  const StatsCase cases[] = {
      {"constant 60", Constant(3600, 60.0f), 60.0, 60.0, 60.0, 1.0},
      {"half 50 half 70", Concat(Constant(1800, 50.0f), Constant(1800, 70.0f)), 67.0, 70.0, 50.0,
       1.0},
      {"ramp", ramp, 66.81, 72.39, 43.59, 1.0},
      {"a quarter gaps", gappy, 60.0, 60.0, 60.0, 0.75},
      {"half gaps, half 70", Concat(Constant(1800, kGap), Constant(1800, 70.0f)), 70.0, 70.0, 70.0,
       0.5},
  };
  for (const StatsCase& c : cases) {
    SCOPED_TRACE(c.name);
    const IntervalStats s = Stats(c.seconds);
    EXPECT_NEAR(s.laeq, c.laeq, 0.05);
    EXPECT_NEAR(s.l10, c.l10, 0.011);
    EXPECT_NEAR(s.l90, c.l90, 0.011);
    EXPECT_DOUBLE_EQ(s.Coverage(), c.coverage);
    EXPECT_EQ(s.seconds, 3600u);
  }
  // The ramp's extremes, and an interval with no value at all has none of the levels.
  const IntervalStats r = Stats(ramp);
  EXPECT_NEAR(r.lmax, 75.99, 1e-4);
  EXPECT_NEAR(r.lmin, 40.0, 1e-4);
  const IntervalStats empty = Stats(Constant(900, kGap));
  EXPECT_TRUE(std::isnan(empty.laeq) && std::isnan(empty.lmax) && std::isnan(empty.l10));
  EXPECT_EQ(empty.Coverage(), 0.0);
}

TEST(Levels, DayEveningNightAndLden) {
  const Boundaries b;
  const std::vector<float> day60 = Constant(kDaySeconds, 60.0f);
  DenLevels d = DayEveningNight(day60, day60, b);
  EXPECT_NEAR(d.lday, 60.0, 1e-9);
  EXPECT_NEAR(d.levening, 60.0, 1e-9);
  EXPECT_NEAR(d.lnight, 60.0, 1e-9);
  EXPECT_NEAR(d.lden, 66.4, 0.05);

  // The night is 23:00 of the day to 07:00 of the next: one hour at 50 dB from this day's file,
  // seven at 60 dB from the next day's. Early hours of this day's own file do not count.
  std::vector<float> today = Constant(kDaySeconds, 40.0f);
  std::fill(today.begin(), today.begin() + 7 * 3600, 90.0f);
  std::fill(today.begin() + 23 * 3600, today.end(), 50.0f);
  std::vector<float> next = Constant(kDaySeconds, 80.0f);
  std::fill(next.begin(), next.begin() + 7 * 3600, 60.0f);
  d = DayEveningNight(today, next, b);
  const double expected = 10 * std::log10((std::pow(10, 5.0) + 7 * std::pow(10, 6.0)) / 8);
  EXPECT_NEAR(d.lnight, expected, 1e-6);
  EXPECT_NEAR(d.lday, 40.0, 1e-6);
  // Without the next day's file the night has only its hour before midnight.
  d = DayEveningNight(today, {}, b);
  EXPECT_NEAR(d.lnight, 50.0, 1e-6);
  EXPECT_NEAR(d.lden, Lden(d.lday, d.levening, d.lnight, b), 1e-9);

  // Moved boundaries weigh the periods by their new lengths: 06-20, 20-22, 22-06.
  const Boundaries moved{6, 20, 22};
  EXPECT_NEAR(Lden(60, 60, 60, moved),
              10 * std::log10((14 * 1e6 + 2 * std::pow(10, 6.5) + 8 * 1e7) / 24), 1e-9);
  EXPECT_TRUE(std::isnan(Lden(60, NAN, 60, b)));
  EXPECT_FALSE((Boundaries{7, 7, 23}.Valid()));
  EXPECT_FALSE((Boundaries{7, 19, 25}.Valid()));
}

TEST(Levels, DaylightSavingDaysHave23And25HourlyRows) {
  const QTimeZone london("Europe/London");
  ASSERT_TRUE(london.isValid());
  struct Case {
    QDate day;
    int minutes;
    int rows;
    double hours;
  };
  const Case cases[] = {{QDate(2024, 3, 31), 60, 23, 23},
                        {QDate(2024, 10, 27), 60, 25, 25},
                        {QDate(2024, 6, 1), 60, 24, 24},
                        {QDate(2024, 6, 1), 15, 96, 24},
                        {QDate(2024, 3, 31), 15, 92, 23}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.day.toString(Qt::ISODate).toStdString() + " " + std::to_string(c.minutes));
    const QList<Interval> rows = DayIntervals(c.day, c.minutes, london);
    EXPECT_EQ(rows.size(), c.rows);
    EXPECT_EQ(DayLengthHours(c.day, london), c.hours);
  }
  // Spring: 01:00 does not exist. Autumn: 01:00 comes twice, the second time as a repeat.
  const QList<Interval> spring = DayIntervals(QDate(2024, 3, 31), 60, london);
  EXPECT_EQ(spring[1].label, "02:00");
  EXPECT_EQ(spring[1].start, 7200);
  const QList<Interval> autumn = DayIntervals(QDate(2024, 10, 27), 60, london);
  EXPECT_EQ(autumn[1].label, "01:00");
  EXPECT_FALSE(autumn[1].repeat);
  EXPECT_EQ(autumn[2].label, "01:00");
  EXPECT_TRUE(autumn[2].repeat);
  EXPECT_EQ(autumn[24].label, "23:00");
  EXPECT_EQ(autumn[24].length, 3600);
}

}  // namespace
