// The high-resolution counter that every wait and time stamp is measured on.
// MonotonicCounter is the real one; VirtualCounter (virtual_counter.h) gives
// tests and the CLI's deterministic modes an exact, repeatable timeline.
#pragma once

#include <cstdint>

namespace zapvane {

class PerformanceCounter {
 public:
  virtual ~PerformanceCounter() = default;

  // Ticks per second, constant for the life of the counter.
  virtual int64_t frequency() const = 0;
  // The counter now.
  virtual int64_t now() = 0;
  // Busy-waits until now() >= target, reading at least once, and returns
  // the read that ended the wait: past the target when the thread was held
  // up. A virtual counter jumps to the target instead of spinning.
  virtual int64_t spinUntil(int64_t target) {
    int64_t reached = now();
    while (reached < target) reached = now();
    return reached;
  }
};

// CLOCK_MONOTONIC_RAW in nanoseconds: immune to NTP slewing, which would
// otherwise stretch or shrink the carrier timing while a button is held.
class MonotonicCounter final : public PerformanceCounter {
 public:
  int64_t frequency() const override { return 1'000'000'000; }
  int64_t now() override;
};

}  // namespace zapvane
