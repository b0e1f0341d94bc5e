// The floor under the lateness figures: the same frames replayed by a bare
// loop, in the same run and under the same load: a stamp reads the counter,
// a burst busy-waits its light's time, a wait busy-waits to its deadline and
// notes how far past it the loop got. Time-critical around each frame, the
// gap slept but for its last 2 ms and the pause slept at normal priority,
// as the transmit worker does, so the loop stays inside the kernel's
// real-time limit just as the sender does. What is left is the machine's own
// lateness: interrupts, the hypervisor, the other core; the sender's figures
// divided by these tell what the program adds.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "catalogue/device_profile.h"
#include "ir/frame_recorder.h"
#include "ir/pulse_timer.h"

namespace zapvane::bench {

struct FloorRhythm {
  std::vector<std::vector<FrameStep>> frames;  // sent in turn
  int64_t gapTicks = 0;                        // after each frame, from its last stamp; 0: none
  std::chrono::milliseconds pause{0};
};

// The encoder's steps for one frame of `command`, adjustments in force.
std::vector<FrameStep> frameSteps(const PulseTimer& timer, const DeviceProfile& device, int32_t command);

// How late (ticks past the deadline) each wait of `repetitions` frames ended.
std::vector<int64_t> spinFloor(PerformanceCounter& clock, const PulseTimer& timer, const FloorRhythm& rhythm,
                               int repetitions);

}  // namespace zapvane::bench
