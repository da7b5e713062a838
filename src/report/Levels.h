#pragma once

#include <cmath>
#include <cstddef>
#include <limits>
#include <span>

// Sound-level arithmetic on runs of 1-second LAeq values in dB; NaN marks a second without a value.
namespace qmreport {

inline constexpr int kDaySeconds = 86400;
inline constexpr float kGap = std::numeric_limits<float>::quiet_NaN();
inline bool IsGap(float v) { return std::isnan(v); }

// Energy sums, so periods can be combined without keeping their seconds.
struct Energy {
  double sum = 0;  // sum of 10^(L/10)
  std::size_t count = 0;
  void Add(double level) {
    sum += std::pow(10.0, level / 10.0);
    ++count;
  }
  void Add(const Energy& o) {
    sum += o.sum;
    count += o.count;
  }
  bool Empty() const { return count == 0; }
  // 10·log10(mean(10^(L/10))); NaN without values.
  double Level() const;
};

struct IntervalStats {
  std::size_t seconds = 0;  // seconds the interval has
  std::size_t valid = 0;    // seconds with a value
  double laeq = NAN;
  double lmax = NAN;
  double lmin = NAN;
  double l10 = NAN;  // exceeded for 10 % of the valid seconds
  double l90 = NAN;
  double Coverage() const { return seconds ? double(valid) / double(seconds) : 0.0; }
};

// The statistics of one interval; gaps count only towards `seconds`.
IntervalStats Stats(std::span<const float> levels);

// The level exceeded for `percent` % of the values (reorders them).
double Exceeded(std::span<float> values, double percent);

}  // namespace qmreport
