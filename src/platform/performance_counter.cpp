#include "platform/performance_counter.h"

#include <ctime>

namespace zapvane {

int64_t MonotonicCounter::now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

}  // namespace zapvane
