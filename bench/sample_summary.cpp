#include "sample_summary.h"

#include <algorithm>
#include <cmath>

namespace zapvane::bench {

namespace {

int64_t percentile(const std::vector<int64_t>& sorted, double fraction) {
  const auto rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

}  // namespace

double toMicroseconds(int64_t ticks, int64_t frequency) {
  return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency);
}

SampleSummary summarize(std::vector<int64_t> ticks, int64_t frequency, double aimMicroseconds) {
  SampleSummary summary;
  summary.count = ticks.size();
  if (ticks.empty()) return summary;
  std::sort(ticks.begin(), ticks.end());
  summary.min = toMicroseconds(ticks.front(), frequency);
  summary.p50 = toMicroseconds(percentile(ticks, 0.50), frequency);
  summary.p99 = toMicroseconds(percentile(ticks, 0.99), frequency);
  summary.max = toMicroseconds(ticks.back(), frequency);
  summary.overAim = static_cast<size_t>(std::count_if(ticks.begin(), ticks.end(), [&](int64_t value) {
    return toMicroseconds(value, frequency) > aimMicroseconds;
  }));
  return summary;
}

}  // namespace zapvane::bench
