#include "ir/kernel_frame.h"

namespace zapvane {

Status sendKernelFrame(LircDevice& device, const FrameLight& light, PulseTimer& timer, Sleeper& sleeper) {
  PerformanceCounter& counter = timer.counter();
  const int64_t start = counter.now();
  const std::vector<uint32_t> values = kernelPulses(light.durations);
  size_t first = 0;
  while (first < values.size()) {
    // The longest piece from `first` that ends on a pulse and fits one write.
    size_t last = first;
    uint64_t total = values[first];
    while (last + 2 < values.size() && last + 3 - first <= kMaxLircValues &&
           total + values[last + 1] + values[last + 2] <= kMaxLircSendMicroseconds) {
      total += uint64_t{values[last + 1]} + values[last + 2];
      last += 2;
    }
    const Status sent = device.sendPulses({values.begin() + static_cast<long>(first), values.begin() + static_cast<long>(last) + 1});
    if (!sent.isOk()) return sent;
    if (last + 1 < values.size()) sleeper.sleepNanoseconds(int64_t{values[last + 1]} * 1000);
    first = last + 2;
  }
  const int64_t frequency = counter.frequency();
  const int64_t frameTicks =
      light.nanoseconds / 1'000'000'000 * frequency + light.nanoseconds % 1'000'000'000 * frequency / 1'000'000'000;
  timer.sleepUntil(start + frameTicks, sleeper);
  return Status::ok();
}

}  // namespace zapvane
