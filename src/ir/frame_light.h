// The light of one frame as the encoder makes it on the simulated port, on
// a virtual clock of its own: what `zapvane-cli pulses` prints, what the
// light matcher compares with, and what a kernel IR device is handed. The
// adjustments in force act exactly as they do on the serial port, through
// the same byte counts and waits.
#pragma once

#include <cstdint>
#include <vector>

#include "catalogue/device_profile.h"
#include "ir/adjustments.h"

namespace zapvane {

struct FrameLight {
  // Microseconds, rounded: pulse, space, ..., the last the space to the
  // frame's end (none when the light ends with it).
  std::vector<int64_t> durations;
  // From the first pulse's start to the frame's end, exactly.
  int64_t nanoseconds = 0;
};

// REQUIRES: commandExists(command, profile).
FrameLight composeFrameLight(const DeviceProfile& profile, int32_t command, const AdjustmentsInForce& adjustments);

// The durations of one write to a kernel device: the trailing space left
// out (a write ends on a pulse) and a mark the burst buffer split (a space
// of 0 between its parts) joined again.
std::vector<uint32_t> kernelPulses(const std::vector<int64_t>& durations);

}  // namespace zapvane
