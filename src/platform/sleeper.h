// Sleeps between repetitions, at normal priority: the moments the window
// thread gets to handle the pen. A virtual sleeper moves a VirtualCounter
// instead and lets a test act at that moment, so a held button's whole
// timeline is exact and repeatable.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/virtual_counter.h"

namespace zapvane {

class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void sleepMilliseconds(int32_t milliseconds) = 0;
  // A sleep inside a wait that a busy-wait finishes, so the thread gives its
  // core back for the long part; a virtual sleeper moves the clock without
  // calling afterSleep, which marks the pauses between repetitions only.
  virtual void sleepNanoseconds(int64_t nanoseconds) = 0;
};

class RealSleeper final : public Sleeper {
 public:
  void sleepMilliseconds(int32_t milliseconds) override;
  void sleepNanoseconds(int64_t nanoseconds) override;
};

class VirtualSleeper final : public Sleeper {
 public:
  explicit VirtualSleeper(VirtualCounter& counter) : counter_(counter) {}

  // Runs after each sleep, with the virtual time in nanoseconds.
  std::function<void(int64_t)> afterSleep;

  void sleepMilliseconds(int32_t milliseconds) override;
  void sleepNanoseconds(int64_t nanoseconds) override;

 private:
  VirtualCounter& counter_;
};

}  // namespace zapvane
