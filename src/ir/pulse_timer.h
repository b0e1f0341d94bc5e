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
#include "platform/sleeper.h"

namespace zapvane {

// At or below this counter frequency waits count counter reads instead.
inline constexpr int64_t kLowResolutionHz = 20000;
// The last part of a sleeping wait is spun: a woken thread is back on its
// core well within this, so the wait ends as exactly as a pure busy-wait.
inline constexpr int64_t kSpinMarginNanoseconds = 2'000'000;
// A burst is late when it starts more than this share of the space before
// it (the dark from the last light's end to its due moment: what a receiver
// measures), and more than kLateFloorMicroseconds, after its due moment:
// about where receivers stop recognising a stretched space; below the floor
// lies the jitter of the counter and the port themselves.
inline constexpr int64_t kLatePercent = 15;
inline constexpr int64_t kLateFloorMicroseconds = 100;

// Zero bytes that make a mark of `microseconds` at mark adjustment
// `markAdjust` (PulseTimer::markToBytes with that adjustment in force).
int32_t markBytes(int32_t microseconds, int32_t markAdjust);

class PulseTimer {
 public:
  PulseTimer(PerformanceCounter& counter, const AdjustmentsInForce& adjustments)
      : counter_(counter), adjustments_(adjustments) {}

  // Reads the counter frequency and measures loopCalibration (counter reads
  // per second); leaves burstStart set. Runs once, before any other use.
  void calibrateTimer();

  // 1e6 / (low 32 bits of the frequency as a signed integer), as float.
  float microsecondsPerTick() const;
  // Stamps the start of a burst. A stamp later than the wait before it was
  // due, past the allowance, marks the frame disturbed.
  void markStamp();
  // A burst of `bytes` was written: its light (234.375 us a byte) may end
  // after the next wait's target, which is then due when the light ends. A
  // write that returns later than its light allows marks the frame disturbed.
  void noteBurst(int32_t bytes);
  // Forgets the deadlines before a frame: its first burst follows a sleep.
  void startFrame();
  // Whether a burst since startFrame started later than its timeline allowed.
  bool frameDisturbed() const { return disturbed_; }
  // Returns when `microseconds`, scaled by the space adjustment in force,
  // have passed since the last markStamp. A target of 0 or less returns at
  // once.
  void waitSince(int32_t microseconds);
  // Zero bytes to write for a mark of `microseconds`, with the mark
  // adjustment in force: at adjustment 0, microseconds / 234 rounded half up.
  int32_t markToBytes(int32_t microseconds) const;
  // Ends like waitSince, but sleeps on `sleeper` until kSpinMarginNanoseconds
  // before the end: for the long frame gap, which would otherwise spin a
  // held button's thread past the kernel's real-time limit. REQUIRES: a
  // stamp just taken.
  void sleepThenWaitSince(int32_t microseconds, Sleeper& sleeper);

  // Sleeps, never spins, until the counter shows `tick`: for a device whose
  // kernel times the light itself, where a late wake costs a little gap and
  // nothing of a frame.
  void sleepUntil(int64_t tick, Sleeper& sleeper);

  // The counter ticks a wait of `microseconds` lasts, space adjustment applied.
  int32_t waitTicks(int32_t microseconds) const;

  int64_t counterFrequency() const { return counterFrequency_; }
  int64_t burstStart() const { return burstStart_; }
  float loopCalibration() const { return loopCalibration_; }
  PerformanceCounter& counter() { return counter_; }
  const AdjustmentsInForce& adjustments() const { return adjustments_; }

 private:
  float measureReadsPerSecond();
  void waitByCountingReads(int32_t ticks);
  // Checks a moment against the pending wait's due moment, then forgets it.
  void checkLateness(int64_t at);
  // How late past its due moment a burst may start after `space` ticks of dark.
  int64_t allowanceAfter(int64_t space) const;
  void settlePendingWait();
  void setDue(int32_t ticks, int64_t ended);

  PerformanceCounter& counter_;
  const AdjustmentsInForce& adjustments_;
  int64_t counterFrequency_ = 0;
  int64_t burstStart_ = 0;
  float loopCalibration_ = 0.0f;
  // The pending wait: when it was due, the dark part of it in ticks (-1:
  // none pending) and the counter when it ended; when the last burst's
  // light was due to end; whether the frame had a late burst.
  int64_t due_ = 0;
  int64_t space_ = -1;
  int64_t waitEnded_ = 0;
  int64_t lightEnd_ = 0;
  // The space before the burst last stamped (0: none), which sets how late
  // its light may end.
  int64_t spaceBefore_ = 0;
  bool disturbed_ = false;
};

}  // namespace zapvane
