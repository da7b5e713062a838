#include "report/Levels.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace qmreport {

double Energy::Level() const {
  if (count == 0) return NAN;
  return 10.0 * std::log10(sum / double(count));
}

double Exceeded(std::span<float> values, double percent) {
  if (values.empty()) return NAN;
  // The smallest level that no more than `percent` % of the values lie above.
  auto k = static_cast<std::size_t>(std::floor(percent / 100.0 * double(values.size()) + 1e-9));
  k = std::min(k, values.size() - 1);
  std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(k), values.end(),
                   std::greater<float>());
  return values[k];
}

IntervalStats Stats(std::span<const float> levels) {
  IntervalStats s;
  s.seconds = levels.size();
  std::vector<float> valid;
  valid.reserve(levels.size());
  Energy e;
  for (const float v : levels) {
    if (IsGap(v)) continue;
    valid.push_back(v);
    e.Add(v);
  }
  s.valid = valid.size();
  if (valid.empty()) return s;
  s.laeq = e.Level();
  const auto [lo, hi] = std::minmax_element(valid.begin(), valid.end());
  s.lmin = *lo;
  s.lmax = *hi;
  s.l10 = Exceeded(valid, 10);
  s.l90 = Exceeded(valid, 90);
  return s;
}

}  // namespace qmreport
