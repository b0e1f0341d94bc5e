#include "ir/pulse_timer.h"

#include <bit>
#include <cmath>
#include <limits>

namespace zapvane {

namespace {

// The exact single-precision constants of the timing arithmetic.
constexpr float kOneHundredth = std::bit_cast<float>(0x3C23D70Au);
constexpr float kOneByteInMicroseconds = std::bit_cast<float>(0x3B8C08C1u);  // 1/234
static_assert(kOneHundredth == 0.01f);
static_assert(kOneByteInMicroseconds == 1.0f / 234.0f);

// float -> int32 truncating toward zero; a value out of range (a damaged
// learned signal can ask for one) saturates instead of being undefined.
int32_t truncateToInt32(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace

void PulseTimer::calibrateTimer() {
  counterFrequency_ = counter_.frequency();
  if (counterFrequency_ == 1'000'000) {
    markStamp();
    return;  // a microsecond counter times every wait directly
  }
  if (counterFrequency_ <= kLowResolutionHz) {
    // Two consecutive reads of a slow counter almost always agree, which
    // would make a reads-per-second figure from one pair of reads infinite;
    // count reads across whole ticks instead.
    loopCalibration_ = measureReadsPerSecond();
    markStamp();
    return;
  }
  markStamp();
  const int64_t t = counter_.now();
  const float g = static_cast<float>(t - burstStart_);
  loopCalibration_ = (1000000.0f / (g / static_cast<float>(counterFrequency_))) * 0.000001f;
}

float PulseTimer::measureReadsPerSecond() {
  if (counterFrequency_ <= 0) return 0.0f;
  // Start on a tick edge, then count reads over about 10 ms of whole ticks.
  const int64_t first = counter_.now();
  int64_t edge = first;
  while (edge == first) edge = counter_.now();
  const int64_t span = std::max<int64_t>(1, counterFrequency_ / 100);
  int64_t reads = 0;
  while (counter_.now() - edge < span) ++reads;
  return static_cast<float>(reads) * static_cast<float>(counterFrequency_) / static_cast<float>(span);
}

float PulseTimer::microsecondsPerTick() const {
  const auto low32 = static_cast<int32_t>(static_cast<uint32_t>(counterFrequency_));
  return 1000000.0f / static_cast<float>(low32);
}

void PulseTimer::markStamp() { burstStart_ = counter_.now(); }

int32_t PulseTimer::waitTicks(int32_t microseconds) const {
  const int32_t adj = adjustments_.spaceAdjust();
  const float f = static_cast<float>(adj) * 5.0f + 100.0f;
  const float x = (f * static_cast<float>(microseconds)) * kOneHundredth;
  return truncateToInt32(x / microsecondsPerTick());
}

void PulseTimer::waitSince(int32_t microseconds) {
  const int32_t ticks = waitTicks(microseconds);
  if (counterFrequency_ <= kLowResolutionHz) {
    waitByCountingReads(ticks);
    return;
  }
  counter_.spinUntil(burstStart_ + static_cast<int64_t>(ticks));
}

void PulseTimer::waitByCountingReads(int32_t ticks) {
  // The coarse counter still tells how many whole ticks the burst took;
  // counter reads at the calibrated rate time the rest.
  const int64_t elapsed = counter_.now() - burstStart_;
  const int64_t remaining = static_cast<int64_t>(ticks) - elapsed;
  if (remaining <= 0 || counterFrequency_ <= 0) return;
  const double reads = static_cast<double>(remaining) * static_cast<double>(loopCalibration_) /
                       static_cast<double>(counterFrequency_);
  for (auto n = static_cast<int64_t>(reads); n > 0; --n) counter_.now();
}

int32_t PulseTimer::markToBytes(int32_t microseconds) const {
  const int32_t adj = adjustments_.markAdjust();
  // 32-bit wrap-around as the integer arithmetic of the original timing;
  // only absurd durations ever reach it.
  const uint32_t product =
      static_cast<uint32_t>(microseconds) * static_cast<uint32_t>(adj + 10) * 10u;
  const int32_t s = static_cast<int32_t>(product) / 100;
  return truncateToInt32(static_cast<float>(s) * kOneByteInMicroseconds + 0.5f);
}

}  // namespace zapvane
