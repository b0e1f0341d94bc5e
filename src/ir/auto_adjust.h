// Auto adjust's stepping: while one command repeats, the transmit worker
// steps the current device's two adjustment candidates through all 121
// pairs, 2.5 s each. Candidates run (space, mark) = (0,0), (-1,0) ...
// (-5,0), (5,0) ... (1,0), (0,-1), (-1,-1) ... and end when both would be
// 0 again. Arming and the ending tap belong to the application.
//
// Threads: stepping runs on the worker; the candidates are atomic.
#pragma once

#include <cstdint>

#include "catalogue/device_profile.h"
#include "platform/messages.h"

namespace zapvane {

inline constexpr int64_t kCandidateMicroseconds = 2'500'000;

// The message shown when every candidate has been tried.
Message autoAdjustExhausted();

// One step of the candidates; false when they are exhausted (both back at 0).
bool stepAutoAdjust(DeviceProfile& device);

}  // namespace zapvane
