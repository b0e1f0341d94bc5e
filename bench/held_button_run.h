// A button held through the real transmit worker on the real clock: the
// worker a remote wires for itself (on a bench machine, bench_platform.h),
// its own thread, priorities and sleeps, with the simulated transmitter as
// the port. Per repetition it measures how far the period (first burst to
// the next frame's first burst) strays from the ideal one, and per burst how
// late it starts after the deadline of the wait before it, the deadlines
// being the worker's own (see wait_deadlines.h), and per pause how much
// longer than asked the worker stayed away.
//
// Run from a thread at normal priority; it starts the worker and plays the
// window's part, setting the pen state and clearing buttonHeld after the
// hold.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace zapvane::bench {

struct HeldButtonResult {
  int64_t idealPeriodTicks = 0;
  int frames = 0;                         // repetitions sent
  int raises = 0;                         // times the worker asked for time-critical priority
  int granted = 0;                        // ... and got SCHED_FIFO
  double otherCores = -1;                 // CPU that other processes used meanwhile, in cores; < 0 unknown
  double stolenMs = -1;                   // CPU time the hypervisor took meanwhile; < 0 unknown
  std::vector<int64_t> periodErrorTicks;  // actual - ideal, one per pair of successive frames
  std::vector<int64_t> latenessTicks;     // burst start - its wait's deadline
  // Where period errors come from: from asking to drop to normal priority
  // after a frame's gap until time-critical again after the pause, minus
  // the pause.
  std::vector<int64_t> pauseOverrunTicks;
  int disturbedFrames = 0;          // frames the worker found a late burst in
  std::vector<int64_t> floorTicks;  // the same repetitions by a bare loop afterwards (spin_floor.h)
};

// Holds `command` of the built-in device named `deviceName` for `hold`, on a
// remote of its own. Nothing, with a line on stderr, when the device is not
// in the catalogue, the port will not open, a frame differs from the one
// sent on the virtual clock, or the recording ran out of room.
std::optional<HeldButtonResult> holdButton(const char* deviceName, int32_t command, std::chrono::milliseconds hold);

}  // namespace zapvane::bench
