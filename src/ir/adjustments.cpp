#include "ir/adjustments.h"

namespace zapvane {

bool AdjustmentsInForce::deviceOwnPair(const DeviceProfile* device) const {
  return device != nullptr && (device->learned() || autoAdjustActive_.load());
}

int32_t AdjustmentsInForce::spaceAdjust() const {
  const DeviceProfile* device = current_.device.load();
  return deviceOwnPair(device) ? device->spaceAdjust.load() : settings_.spaceAdjust.load();
}

int32_t AdjustmentsInForce::markAdjust() const {
  const DeviceProfile* device = current_.device.load();
  return deviceOwnPair(device) ? device->markAdjust.load() : settings_.markAdjust.load();
}

}  // namespace zapvane
