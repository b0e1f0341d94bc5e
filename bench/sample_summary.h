// A sample of timing errors in counter ticks, boiled down to the figures the
// tables print. Tails (p99, max) matter more than medians here: one late
// burst is a stretched space that a receiver may reject.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zapvane::bench {

struct SampleSummary {
  size_t count = 0;
  // Microseconds; meaningless when count is 0.
  double min = 0;
  double p50 = 0;
  double p99 = 0;
  double max = 0;
  size_t overAim = 0;  // values above the aim given to summarize
};

// Percentiles by nearest rank: the smallest value with at least that
// fraction of the sample at or below it.
SampleSummary summarize(std::vector<int64_t> ticks, int64_t frequency, double aimMicroseconds);

double toMicroseconds(int64_t ticks, int64_t frequency);

}  // namespace zapvane::bench
