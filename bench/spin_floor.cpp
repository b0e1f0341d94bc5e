#include "spin_floor.h"

#include <algorithm>
#include <thread>

#include "ir/frame_encoder.h"
#include "platform/sim_transmitter.h"
#include "platform/thread_priority.h"

namespace zapvane::bench {

std::vector<FrameStep> frameSteps(const PulseTimer& timer, const DeviceProfile& device, int32_t command) {
  FrameRecorder recorder(timer);
  sendFrame(recorder, device, command);
  return recorder.steps();
}

std::vector<int64_t> spinFloor(PerformanceCounter& clock, const PulseTimer& timer, const FloorRhythm& rhythm,
                               int repetitions) {
  std::vector<int64_t> lateness;
  if (rhythm.frames.empty()) return lateness;
  lateness.reserve(static_cast<size_t>(repetitions) * rhythm.frames.front().size());
  RealThreadPriority priority("bench_burst_timing");
  const int64_t frequency = clock.frequency();
  const int64_t margin = kSpinMarginNanoseconds * frequency / 1'000'000'000;
  for (int r = 0; r < repetitions; ++r) {
    const std::vector<FrameStep>& steps = rhythm.frames[static_cast<size_t>(r) % rhythm.frames.size()];
    priority.raiseToTimeCritical();
    int64_t stamp = clock.now();
    int64_t lightEnd = stamp;
    for (const FrameStep& step : steps) {
      if (step.kind == FrameStep::stamp) {
        stamp = clock.now();
      } else if (step.kind == FrameStep::burst) {
        lightEnd = clock.now() + int64_t{step.value} * kByteNanoseconds * frequency / 1'000'000'000;
        clock.spinUntil(lightEnd);
      } else {
        // A wait whose target falls inside the burst's light ends with the
        // light, as the pulse timer counts it.
        const int64_t deadline = std::max(stamp + timer.waitTicks(step.value), lightEnd);
        const int64_t reached = clock.spinUntil(deadline);
        if (lateness.size() < lateness.capacity()) lateness.push_back(reached - deadline);
      }
    }
    if (rhythm.gapTicks > 0) {
      const int64_t end = clock.now() + rhythm.gapTicks;
      const int64_t sleepTicks = end - margin - clock.now();
      if (sleepTicks > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(sleepTicks * 1'000'000'000 / frequency));
      clock.spinUntil(end);
    }
    priority.dropToNormal();
    std::this_thread::sleep_for(rhythm.pause);
  }
  return lateness;
}

}  // namespace zapvane::bench
