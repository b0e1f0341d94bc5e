// The two timing corrections in force for the current device. A built-in
// device uses the global pair of IrSettings; a user device its own pair; and
// while auto adjust runs, the current device's own pair (the candidates it
// steps) for either kind. Read at every use, so switching devices or stepping
// a candidate takes effect at the next wait or the next frame.
#pragma once

#include <atomic>
#include <cstdint>

#include "catalogue/device_catalogue.h"
#include "catalogue/ir_settings.h"

namespace zapvane {

inline constexpr int32_t kMinAdjust = -5;
inline constexpr int32_t kMaxAdjust = 5;

class AdjustmentsInForce {
 public:
  AdjustmentsInForce(const CurrentDevice& current, const IrSettings& settings,
                     const std::atomic<bool>& autoAdjustActive)
      : current_(current), settings_(settings), autoAdjustActive_(autoAdjustActive) {}

  int32_t spaceAdjust() const;
  int32_t markAdjust() const;

 private:
  bool deviceOwnPair(const DeviceProfile* device) const;

  const CurrentDevice& current_;
  const IrSettings& settings_;
  const std::atomic<bool>& autoAdjustActive_;
};

}  // namespace zapvane
