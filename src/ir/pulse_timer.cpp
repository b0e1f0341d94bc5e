#include "ir/pulse_timer.h"

#include "platform/sim_transmitter.h"

#include <algorithm>
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

void PulseTimer::markStamp() {
  burstStart_ = counter_.now();
  checkLateness(burstStart_);
  lightEnd_ = burstStart_;
}

void PulseTimer::startFrame() {
  space_ = -1;
  spaceBefore_ = 0;
  disturbed_ = false;
}

void PulseTimer::noteBurst(int32_t bytes) {
  settlePendingWait();
  lightEnd_ += std::max(0, bytes) * kByteNanoseconds * counterFrequency_ / 1'000'000'000;
  // The port stamps the light itself: a thread that lost its core between
  // our stamp and the write moved the burst in the log although the stamp
  // was on time. Such a write also returns late, and that is all we can see.
  if (counter_.now() - lightEnd_ > allowanceAfter(spaceBefore_)) disturbed_ = true;
}

void PulseTimer::settlePendingWait() {
  // A burst or a wait straight after a wait without a stamp between (a wait
  // before a burst, then the space after it): the first wait's end is when
  // the next thing started, and the timeline goes on from its due moment.
  if (space_ < 0) return;
  const int64_t due = due_;
  checkLateness(waitEnded_);
  lightEnd_ = due;
}

int64_t PulseTimer::allowanceAfter(int64_t space) const {
  const int64_t floor = std::max<int64_t>(1, counterFrequency_ * kLateFloorMicroseconds / 1'000'000);
  return std::max(space * kLatePercent / 100, floor);
}

void PulseTimer::checkLateness(int64_t at) {
  spaceBefore_ = std::max<int64_t>(0, space_);
  if (space_ < 0) return;
  if (at - due_ > allowanceAfter(space_)) disturbed_ = true;
  space_ = -1;
}

void PulseTimer::setDue(int32_t ticks, int64_t ended) {
  // A burst whose light outlasts the wait target moves the due moment: the
  // frames were tuned with such waits, which end when the write returns.
  due_ = std::max(burstStart_ + static_cast<int64_t>(ticks), lightEnd_);
  space_ = due_ - lightEnd_;
  waitEnded_ = ended;
}

int32_t PulseTimer::waitTicks(int32_t microseconds) const {
  const int32_t adj = adjustments_.spaceAdjust();
  const float f = static_cast<float>(adj) * 5.0f + 100.0f;
  const float x = (f * static_cast<float>(microseconds)) * kOneHundredth;
  return truncateToInt32(x / microsecondsPerTick());
}

void PulseTimer::waitSince(int32_t microseconds) {
  settlePendingWait();
  const int32_t ticks = waitTicks(microseconds);
  if (counterFrequency_ <= kLowResolutionHz) {
    waitByCountingReads(ticks);
    // Counted reads end on time as far as a coarse counter can tell.
    setDue(ticks, std::max(burstStart_ + static_cast<int64_t>(ticks), lightEnd_));
    return;
  }
  setDue(ticks, counter_.spinUntil(burstStart_ + static_cast<int64_t>(ticks)));
}

void PulseTimer::sleepThenWaitSince(int32_t microseconds, Sleeper& sleeper) {
  const int64_t marginTicks = kSpinMarginNanoseconds * counterFrequency_ / 1'000'000'000;
  const int32_t ticks = waitTicks(microseconds);
  if (counterFrequency_ > kLowResolutionHz && ticks > marginTicks) {
    const int64_t sleepTicks = burstStart_ + ticks - marginTicks - counter_.now();
    if (sleepTicks > 0) {
      sleeper.sleepNanoseconds(sleepTicks / counterFrequency_ * 1'000'000'000 +
                               sleepTicks % counterFrequency_ * 1'000'000'000 / counterFrequency_);
    }
  }
  waitSince(microseconds);
}

void PulseTimer::sleepUntil(int64_t tick, Sleeper& sleeper) {
  const int64_t ticks = tick - counter_.now();
  if (ticks <= 0 || counterFrequency_ <= 0) return;
  sleeper.sleepNanoseconds(ticks / counterFrequency_ * 1'000'000'000 +
                           ticks % counterFrequency_ * 1'000'000'000 / counterFrequency_);
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

int32_t markBytes(int32_t microseconds, int32_t markAdjust) {
  // 32-bit wrap-around as the integer arithmetic of the original timing;
  // only absurd durations ever reach it.
  const uint32_t product =
      static_cast<uint32_t>(microseconds) * static_cast<uint32_t>(markAdjust + 10) * 10u;
  const int32_t s = static_cast<int32_t>(product) / 100;
  return truncateToInt32(static_cast<float>(s) * kOneByteInMicroseconds + 0.5f);
}

int32_t PulseTimer::markToBytes(int32_t microseconds) const { return markBytes(microseconds, adjustments_.markAdjust()); }

}  // namespace zapvane
