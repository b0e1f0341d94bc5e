// The machine's idle time-outs (on battery and on external power, seconds),
// which auto adjust raises so the screen does not blank during its minutes
// of stepping. The values live here; a desktop can attach an inhibitor (the
// window uses the session's screen saver) that raising engages and
// restoring releases.
//
// Threads: the window thread saves and raises; the worker restores on
// exhaustion. Values are atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace zapvane {

inline constexpr int32_t kAutoAdjustIdleSeconds = 600;

class IdleTimeouts {
 public:
  // Reads the time-outs in force into the saved values.
  void saveIdleTimeouts();
  // Sets both time-outs to 600 s.
  void raiseIdleTimeouts();
  // Writes the saved values back.
  void restoreIdleTimeouts();

  int32_t batterySeconds() const { return battery_; }
  int32_t externalSeconds() const { return external_; }
  void setInForce(int32_t battery, int32_t external);

  // Called with true when the time-outs are raised, false when restored.
  std::function<void(bool)> inhibit;

 private:
  std::atomic<int32_t> battery_{0};
  std::atomic<int32_t> external_{0};
  std::atomic<int32_t> savedBattery_{0};
  std::atomic<int32_t> savedExternal_{0};
};

}  // namespace zapvane
