#include "ir/auto_adjust.h"

#include "ir/adjustments.h"

namespace zapvane {

namespace {

// One step down, wrapping from below -5 to 5.
int32_t stepDown(int32_t value) { return value - 1 < kMinAdjust ? kMaxAdjust : value - 1; }

}  // namespace

Message autoAdjustExhausted() {
  return {"Adjusting finished! No success, go closer to TV,DVD,VCR..., try to adjust manually or learn command "
          "again!",
          "IR adjusting", MessageIcon::none};
}

bool stepAutoAdjust(DeviceProfile& device) {
  device.spaceAdjust = stepDown(device.spaceAdjust);
  if (device.spaceAdjust != 0) return true;
  device.markAdjust = stepDown(device.markAdjust);
  return device.markAdjust != 0;
}

}  // namespace zapvane
