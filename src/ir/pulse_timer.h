// PulseTimer: time stamps and busy-waits on the performance counter, and the
// conversion of mark durations into bytes of carrier. All timing arithmetic
// is single-precision float truncated toward zero, with the exact constants
// the transmitter's timing was tuned with, so frames come out identical to
// the microsecond on any counter.
//
// Threads: calibrateTimer runs once at start-up; afterwards only the thread
// that holds the port (the transmit worker) stamps and waits.
#pragma once

#include <cstdint>

#include "ir/adjustments.h"
#include "platform/performance_counter.h"

namespace zapvane {

// At or below this counter frequency waits count counter reads instead.
inline constexpr int64_t kLowResolutionHz = 20000;

class PulseTimer {
 public:
  PulseTimer(PerformanceCounter& counter, const AdjustmentsInForce& adjustments)
      : counter_(counter), adjustments_(adjustments) {}

  // Reads the counter frequency and measures loopCalibration (counter reads
  // per second); leaves burstStart set. Runs once, before any other use.
  void calibrateTimer();

  // 1e6 / (low 32 bits of the frequency as a signed integer), as float.
  float microsecondsPerTick() const;
  void markStamp();
  // Returns when `microseconds`, scaled by the space adjustment in force,
  // have passed since the last markStamp. A target of 0 or less returns at
  // once.
  void waitSince(int32_t microseconds);
  // Zero bytes to write for a mark of `microseconds`, with the mark
  // adjustment in force: at adjustment 0, microseconds / 234 rounded half up.
  int32_t markToBytes(int32_t microseconds) const;

  // The counter ticks a wait of `microseconds` lasts, space adjustment applied.
  int32_t waitTicks(int32_t microseconds) const;

  int64_t counterFrequency() const { return counterFrequency_; }
  int64_t burstStart() const { return burstStart_; }
  float loopCalibration() const { return loopCalibration_; }
  PerformanceCounter& counter() { return counter_; }

 private:
  float measureReadsPerSecond();
  void waitByCountingReads(int32_t ticks);

  PerformanceCounter& counter_;
  const AdjustmentsInForce& adjustments_;
  int64_t counterFrequency_ = 0;
  int64_t burstStart_ = 0;
  float loopCalibration_ = 0.0f;
};

}  // namespace zapvane
