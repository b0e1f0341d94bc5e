// Frames of several built-in devices sent one after another through the real
// frame encoder, the real pulse timer and the simulated transmitter, timed
// burst by burst. A burst's ideal start is the moment the wait before it
// expired (burstStart + waitTicks of its target); its actual start is the
// tick the transmitter stamped when the write began. The first burst of a
// frame follows no wait and has no figure.
//
// The calling thread does the timing: SCHED_FIFO around each frame and a
// 10 ms sleep at normal priority between frames, as the transmit worker
// does; the gap between frames is left out because no burst follows it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "app/remote.h"
#include "bench_platform.h"

namespace zapvane::bench {

struct FrameTarget {
  DeviceProfile* device;
  int32_t command;
};

struct FrameRunResult {
  int frames = 0;
  int realtimeFrames = 0;  // frames timed under SCHED_FIFO
  double otherCores = -1;  // CPU that other processes used meanwhile, in cores; < 0 unknown
  double stolenMs = -1;    // CPU time the hypervisor took meanwhile; < 0 unknown
  std::vector<int64_t> latenessTicks;
  int disturbedFrames = 0;           // frames the pulse timer found a late burst in
  std::vector<int64_t> floorTicks;   // the same frames by a bare loop afterwards (spin_floor.h)
};

// The first `commandsPerDevice` existing commands of each named device;
// empty, with a line on stderr, when a name is not in the catalogue.
std::vector<FrameTarget> chooseFrameTargets(const DeviceCatalogue& catalogue,
                                            const std::vector<const char*>& deviceNames, int commandsPerDevice);

// Sends `frames` frames through the remote's timer and port, cycling through
// the targets (devices of the remote's catalogue). Nothing when the port will
// not open or the transmitter's bursts and the recorded writes disagree,
// which would make every figure meaningless.
// REQUIRES: `remote` is built on `machine` with its timer calibrated, and
// the timer waits on the clock the transmitters stamp with.
std::optional<FrameRunResult> timeFrames(Remote& remote, BenchPlatform& machine,
                                         const std::vector<FrameTarget>& targets, int frames);

}  // namespace zapvane::bench
