// A counter that moves only when told to: by an explicit advance, by a fixed
// cost per read, or by a busy-wait that jumps to its target. Underneath it
// keeps nanoseconds, and reports them at any frequency, so a low-resolution
// counter (say 1000 Hz) can be modelled as exactly as a 1 GHz one.
//
// Threads: every word is atomic, but a timeline is only repeatable when one
// thread drives it.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/performance_counter.h"

namespace zapvane {

class VirtualCounter final : public PerformanceCounter {
 public:
  // REQUIRES: ticksPerSecond > 0, nanosecondsPerRead >= 0.
  explicit VirtualCounter(int64_t ticksPerSecond = 1'000'000'000, int64_t nanosecondsPerRead = 0)
      : frequency_(ticksPerSecond), readCost_(nanosecondsPerRead) {}

  int64_t frequency() const override { return frequency_; }
  int64_t now() override;
  int64_t spinUntil(int64_t target) override;

  // Test hook: the first busy-wait that runs across virtual time
  // `atNanoseconds` ends `lateNanoseconds` after its target, as when the
  // scheduler takes the core away in the middle of a space.
  void holdUpOnce(int64_t atNanoseconds, int64_t lateNanoseconds) {
    holdUpLate_ = lateNanoseconds;
    holdUpAt_ = atNanoseconds;
  }

  // Virtual time since the counter was made.
  int64_t elapsedNanoseconds() const { return nanoseconds_; }
  void advanceNanoseconds(int64_t ns) { nanoseconds_ += ns; }
  int64_t reads() const { return reads_; }
  // Virtual time spent in busy-waits: the core a real thread would have used.
  int64_t spunNanoseconds() const { return spun_; }

  int64_t ticksAt(int64_t nanoseconds) const;
  // The first nanosecond at which the counter shows `ticks`.
  int64_t nanosecondsAt(int64_t ticks) const;

 private:
  const int64_t frequency_;
  const int64_t readCost_;
  std::atomic<int64_t> nanoseconds_{0};
  std::atomic<int64_t> reads_{0};
  std::atomic<int64_t> spun_{0};
  std::atomic<int64_t> holdUpAt_{-1};  // -1: no hold-up pending
  std::atomic<int64_t> holdUpLate_{0};
};

}  // namespace zapvane
