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
};

class RealSleeper final : public Sleeper {
 public:
  void sleepMilliseconds(int32_t milliseconds) override;
};

class VirtualSleeper final : public Sleeper {
 public:
  explicit VirtualSleeper(VirtualCounter& counter) : counter_(counter) {}

  // Runs after each sleep, with the virtual time in nanoseconds.
  std::function<void(int64_t)> afterSleep;

  void sleepMilliseconds(int32_t milliseconds) override;

 private:
  VirtualCounter& counter_;
};

}  // namespace zapvane
