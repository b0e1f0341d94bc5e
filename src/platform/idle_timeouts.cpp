#include "platform/idle_timeouts.h"

namespace zapvane {

void IdleTimeouts::saveIdleTimeouts() {
  savedBattery_ = battery_.load();
  savedExternal_ = external_.load();
}

void IdleTimeouts::raiseIdleTimeouts() {
  setInForce(kAutoAdjustIdleSeconds, kAutoAdjustIdleSeconds);
  if (inhibit) inhibit(true);
}

void IdleTimeouts::restoreIdleTimeouts() {
  setInForce(savedBattery_, savedExternal_);
  if (inhibit) inhibit(false);
}

void IdleTimeouts::setInForce(int32_t battery, int32_t external) {
  battery_ = battery;
  external_ = external;
}

}  // namespace zapvane
