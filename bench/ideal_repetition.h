// What one repetition of a held button would be on a perfect clock: the
// worker's frame and frame gap sent on a virtual counter, where every wait
// ends exactly at its deadline and a burst takes exactly its bytes' time,
// plus the pause the worker sleeps after them. A real repetition's period is
// measured against this.
#pragma once

#include <cstdint>
#include <vector>

#include "app/remote.h"

namespace zapvane::bench {

struct IdealRepetition {
  int64_t frameAndGapTicks = 0;  // from the frame's first burst to the end of the frame gap
  int32_t pauseMilliseconds = 0;
  std::vector<int32_t> burstBytes;  // the frame's writes in order, to recognise it on the real clock

  // First burst to the next repetition's first burst.
  int64_t periodTicks(int64_t frequency) const {
    return frameAndGapTicks + int64_t{pauseMilliseconds} * frequency / 1000;
  }
};

// The repetition of `command` on the remote's current device, with the
// adjustments in force, on a counter of `frequency` ticks per second.
// REQUIRES: the command exists on the current device.
IdealRepetition idealRepetition(const Remote& remote, int32_t command, int64_t frequency);

}  // namespace zapvane::bench
