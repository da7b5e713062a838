#include "live/LevelChart.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr double kNull = std::numeric_limits<double>::quiet_NaN();

// One entry of the stored values: a decimal number with "." (blanks around it allowed).
double ParseEntry(const char* first, const char* last) {
  while (first != last && *first == ' ') ++first;
  while (last != first && last[-1] == ' ') --last;
  if (first != last && *first == '+') ++first;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (first == last || ec != std::errc() || ptr != last || !std::isfinite(value))
    return LevelChart::kEmpty;
  return value;
}

}  // namespace

LevelChart::LevelChart() : flPlotBuf(kSlots, kEmpty) {}

void LevelChart::ClearPlotBuf() {
  std::fill(flPlotBuf.begin(), flPlotBuf.end(), kEmpty);
  leq_.clear();
}

void LevelChart::Leq1s(double flLeq, int nPeriod, const TLedRange& leds, const Scale& scale) {
  std::copy(flPlotBuf.begin() + 1, flPlotBuf.end(), flPlotBuf.begin());
  flPlotBuf.back() = flLeq;
  leq_.clear();
  bottomMax_ = 60.0 * nPeriod;
  if (nPeriod <= 60) {
    FillSeries(nPeriod);
    if (leds.nTrig1 != nChartTrig1 || leds.nTrig2 != nChartTrig2 || nPeriod != nChartPeriod)
      BuildThresholds(nPeriod, leds.nTrig1, leds.nTrig2);
  }
  ScaleAxis(leds.nLEDMin, leds.nLEDMax, scale);
}

void LevelChart::FillSeries(int nPeriod) {
  // A period of 0 or less (a hand-edited setting) gives no first slot inside the buffer.
  const long first = std::max(long(kSlots - 1) - 60L * nPeriod, 0L);
  if (first > kSlots - 1) return;
  leq_.reserve(kSlots);
  for (long i = first; i < kSlots; ++i) leq_.push_back(flPlotBuf[i] > -1 ? flPlotBuf[i] : kNull);
}

void LevelChart::BuildThresholds(int nPeriod, int nTrig1, int nTrig2) {
  const int points = std::max(60 * nPeriod, 0);
  thresh1_ = {nTrig1, points};
  thresh2_ = {nTrig2, points};
  nChartTrig1 = nTrig1;
  nChartTrig2 = nTrig2;
  nChartPeriod = nPeriod;
  ++thresholdBuilds_;
}

void LevelChart::ScaleAxis(int nLEDMin, int nLEDMax, const Scale& scale) {
  switch (scale.yscale) {
    case yasRemote:
      SetAxis(nLEDMin, nLEDMax);
      break;
    case yasAuto: {
      double hi = 0;
      double lo = 200;
      for (const double v : leq_) {
        if (!(v > 1)) continue;  // gaps count as 0
        hi = std::max(hi, v);
        lo = std::min(lo, v);
      }
      if (hi > lo) SetAxis(std::trunc(lo / 10) * 10, std::ceil(hi / 10) * 10);
      break;
    }
    case yasFixed:
      SetAxis(scale.nYFixedMin, scale.nYFixedMax);
      break;
  }
}

void LevelChart::SetAxis(double lo, double hi) {
  // An empty or reversed range (a monitor's LED range of 50 to 50, say) cannot be drawn: the
  // axis keeps the range it has.
  if (!(lo < hi)) return;
  if (axisMin_ == lo && axisMax_ == hi) return;
  axisMin_ = lo;
  axisMax_ = hi;
  ++axisChanges_;
}

void LevelChart::UpdateLeqBuf(QStringView sCs) {
  ClearPlotBuf();
  const QByteArray text = sCs.toLatin1();
  const char* const begin = text.constData();
  const char* end = begin + text.size();
  // Walk the entries from the last one backwards, filling the newest slots first.
  for (int slot = kSlots - 1; slot >= 0; --slot) {
    const char* start = end;
    while (start != begin && start[-1] != ',') --start;
    flPlotBuf[slot] = ParseEntry(start, end);
    if (start == begin) break;
    end = start - 1;
  }
}

QString LevelChart::ReadOut(double flLeq) {
  if (!(flLeq > 0) || flLeq >= 180) return QStringLiteral("---.-");
  return QString::number(flLeq, 'f', 1);
}

QString LevelChart::PeriodLabel(int nPeriod) {
  return QStringLiteral("← ") + QString::number(nPeriod) +
         (nPeriod == 1 ? QStringLiteral(" minute") : QStringLiteral(" minutes")) +
         QStringLiteral(" →");
}
